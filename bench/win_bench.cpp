// hueclip_win_bench.exe: one sampling pass through the real Win32 screen provider, as the
// picker makes it on every tick (the screen context, the cursor, 25 reads, the release), the
// soak, and the re-opening of an HDR monitor's duplication. Built with the same toolchain as
// hueclip.exe; scripts/bench runs it under Wine.
//
//   hueclip_win_bench pass N    times N passes one by one: {"median_us": ..., "mean_us": ...,
//                               "copies_per_pass": ..., "dxgi_loaded": ...}
//   hueclip_win_bench soak N    N passes back to back, GDI and USER objects and memory before
//                               and after
//   hueclip_win_bench reopen N  times the first opening of the first monitor's real duplication,
//                               then N more, as after an idle release (device and all let go
//                               each time): {"first_us": ..., "median_us": ..., "answer": ...}
#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <numeric>
#include <vector>

#include "bench/one_pass.h"
#include "platform/win32/display_config.h"
#include "platform/win32/dxgi_duplication.h"
#include "platform/win32/screen.h"

// psapi.h needs windows.h first.
#include <psapi.h>

namespace {

struct Snapshot {
  DWORD gdi, user;
  SIZE_T workingSetKb, privateKb;
};

Snapshot Take() {
  PROCESS_MEMORY_COUNTERS_EX m{};
  m.cb = sizeof m;
  GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&m),
                       sizeof m);
  return {GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS),
          GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS), m.WorkingSetSize / 1024,
          m.PrivateUsage / 1024};
}

void Print(const char* name, const Snapshot& s) {
  std::printf(
      "\"%s\": {\"gui\": {\"gdi\": %lu, \"user\": %lu, \"total\": %lu}, "
      "\"working_set_kb\": %zu, \"private_kb\": %zu}",
      name, s.gdi, s.user, s.gdi + s.user, s.workingSetKb, s.privateKb);
}

// The system's screen calls, counting the screen copies.
class CountingScreenApi final : public hueclip::win32::ScreenApi {
 public:
  long copies = 0;
  bool GetCursorPos(POINT& p) override { return System().GetCursorPos(p); }
  bool Copy(HDC to, int x, int y, int width, int height, HDC from, int fromX, int fromY) override {
    ++copies;
    return System().Copy(to, x, y, width, height, from, fromX, fromY);
  }
};

// The median and mean of `us`, as JSON members.
void PrintTimes(std::vector<double>& us) {
  const double mean = std::accumulate(us.begin(), us.end(), 0.0) / static_cast<double>(us.size());
  std::nth_element(us.begin(), us.begin() + us.size() / 2, us.end());
  std::printf("\"median_us\": %.3f, \"mean_us\": %.3f", us[us.size() / 2], mean);
}

template <typename Step>
std::vector<double> Time(long n, Step step) {
  LARGE_INTEGER freq, t0, t1;
  QueryPerformanceFrequency(&freq);
  std::vector<double> us(static_cast<std::size_t>(n));
  for (auto& u : us) {
    QueryPerformanceCounter(&t0);
    step();
    QueryPerformanceCounter(&t1);
    u = 1e6 * static_cast<double>(t1.QuadPart - t0.QuadPart) / static_cast<double>(freq.QuadPart);
  }
  return us;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const bool soak = argc > 1 && std::wcscmp(argv[1], L"soak") == 0;
  const bool reopen = argc > 1 && std::wcscmp(argv[1], L"reopen") == 0;
  const long n = argc > 2 ? std::wcstol(argv[2], nullptr, 10) : (soak ? 36000 : 10000);
  if (reopen) {
    const auto duplication =
        hueclip::win32::DuplicateMonitor(hueclip::win32::ReadMonitorFacts()[0]);
    int answer = 0;
    const auto open = [&] {
      answer = static_cast<int>(duplication->Open());
      duplication->Release();
    };
    const double first = Time(1, open)[0];
    std::vector<double> us = Time(n, open);
    std::printf("{\"reopens\": %ld, \"first_us\": %.3f, ", n, first);
    PrintTimes(us);
    std::printf(", \"answer\": %d, \"hresult\": \"0x%08X\"}\n", answer,
                static_cast<unsigned>(duplication->LastError()));
    return 0;
  }
  CountingScreenApi api;
  hueclip::win32::Screen screen(api);
  volatile std::int32_t sink = 0;
  for (int i = 0; i < 100; ++i) sink = sink + hueclip::bench::OnePass(screen);  // warm up
  if (soak) {
    const Snapshot before = Take();
    for (long i = 0; i < n; ++i) sink = sink + hueclip::bench::OnePass(screen);
    const Snapshot after = Take();
    std::printf("{\"passes\": %ld, ", n);
    Print("before", before);
    std::printf(", ");
    Print("after", after);
    std::printf("}\n");
    return 0;
  }
  api.copies = 0;
  std::vector<double> us = Time(n, [&] { sink = sink + hueclip::bench::OnePass(screen); });
  std::printf("{\"passes\": %ld, ", n);
  PrintTimes(us);
  std::printf(", \"copies_per_pass\": %.3f, \"dxgi_loaded\": %s}\n",
              static_cast<double>(api.copies) / static_cast<double>(n),
              GetModuleHandleW(L"dxgi.dll") ? "true" : "false");
  return 0;
}
