// hueclip_pass_bench: one sampling pass through the real X11 screen provider, as the picker
// makes it on every tick: the screen context, the cursor, 25 reads, the release. Reports the
// time per pass and how many requests it sends to the X server (counters x_requests, from
// NextRequest, and x_<Request> from the server's own RECORD count).
#include <X11/Xlib.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>

#include "bench/x_requests.h"
#include "platform/qt/x11_screen.h"

namespace {

Display* g_display = nullptr;
std::map<std::string, long> g_byRequest;  // requests of kRecordedPasses passes
constexpr int kRecordedPasses = 100;

std::int32_t OnePass(hueclip::Screen& screen) {
  std::int32_t sum = 0;
  auto context = screen.GetWindowDC();
  const hueclip::Point p = screen.GetCursorPos();
  for (int i = 0; i < 25; ++i) sum += context->GetPixel(p.x + i % 5 - 2, p.y + i / 5 - 2);
  context.reset();
  return sum;
}

void BM_SamplingPass(benchmark::State& state) {
  hueclip::qt::X11Screen screen(g_display);
  OnePass(screen);
  const unsigned long before = NextRequest(g_display);
  for (auto _ : state) benchmark::DoNotOptimize(OnePass(screen));
  const unsigned long sent = NextRequest(g_display) - before;
  state.counters["x_requests"] =
      static_cast<double>(sent) / static_cast<double>(state.iterations());
  for (const auto& [name, count] : g_byRequest)
    state.counters["x_" + name] = static_cast<double>(count) / kRecordedPasses;
}
BENCHMARK(BM_SamplingPass)->UseRealTime()->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  g_display = XOpenDisplay(nullptr);
  if (!g_display) {
    std::fputs("hueclip_pass_bench: no X display\n", stderr);
    return 1;
  }
  {
    hueclip::qt::X11Screen screen(g_display);
    OnePass(screen);
    g_byRequest = hueclip::bench::RecordRequests(g_display, [&] {
      for (int i = 0; i < kRecordedPasses; ++i) benchmark::DoNotOptimize(OnePass(screen));
    });
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  XCloseDisplay(g_display);
  return 0;
}
