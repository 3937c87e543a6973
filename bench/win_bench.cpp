// hueclip_win_bench.exe: one sampling pass through the real Win32 screen provider, as the
// picker makes it on every tick (the screen context, the cursor, 25 reads, the release), and
// the soak. Built with the same toolchain as hueclip.exe; scripts/bench runs it under Wine.
//
//   hueclip_win_bench pass N   times N passes one by one: {"median_us": ..., "mean_us": ...}
//   hueclip_win_bench soak N   N passes back to back, GDI and USER objects and memory before
//                              and after
#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <numeric>
#include <vector>

#include "bench/one_pass.h"
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

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const bool soak = argc > 1 && std::wcscmp(argv[1], L"soak") == 0;
  const long n = argc > 2 ? std::wcstol(argv[2], nullptr, 10) : (soak ? 36000 : 10000);
  hueclip::win32::Screen screen;
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
  LARGE_INTEGER freq, t0, t1;
  QueryPerformanceFrequency(&freq);
  std::vector<double> us(static_cast<std::size_t>(n));
  for (auto& u : us) {
    QueryPerformanceCounter(&t0);
    sink = sink + hueclip::bench::OnePass(screen);
    QueryPerformanceCounter(&t1);
    u = 1e6 * static_cast<double>(t1.QuadPart - t0.QuadPart) / static_cast<double>(freq.QuadPart);
  }
  const double mean = std::accumulate(us.begin(), us.end(), 0.0) / static_cast<double>(n);
  std::nth_element(us.begin(), us.begin() + n / 2, us.end());
  std::printf("{\"passes\": %ld, \"median_us\": %.3f, \"mean_us\": %.3f}\n", n, us[n / 2], mean);
  return 0;
}
