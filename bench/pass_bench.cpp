// hueclip_pass_bench: one sampling pass through the real X11 screen provider, as the picker
// makes it on every tick: the screen context, the cursor, 25 reads, the release. Reports the
// time per pass and how many requests it sends to the X server (counters x_requests, from
// NextRequest, and x_<Request> from the server's own RECORD count). A second benchmark times the
// least a pass can cost, for comparison.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <benchmark/benchmark.h>

#include <array>
#include <cstdio>
#include <map>
#include <memory>
#include <string>

#include "bench/one_pass.h"
#include "bench/x_requests.h"
#include "platform/pixel_block.h"
#include "platform/x11/pixels.h"
#include "platform/x11/screen.h"

namespace {

Display* g_display = nullptr;
std::map<std::string, long> g_byRequest;  // requests of kRecordedPasses passes
constexpr int kRecordedPasses = 100;

void BM_SamplingPass(benchmark::State& state) {
  hueclip::x11::X11Screen screen(g_display, hueclip::x11::X11Screen::Connection::kShared);
  hueclip::bench::OnePass(screen);
  const unsigned long before = NextRequest(g_display);
  for (auto _ : state) benchmark::DoNotOptimize(hueclip::bench::OnePass(screen));
  const unsigned long sent = NextRequest(g_display) - before;
  state.counters["x_requests"] =
      static_cast<double>(sent) / static_cast<double>(state.iterations());
  for (const auto& [name, count] : g_byRequest)
    state.counters["x_" + name] = static_cast<double>(count) / kRecordedPasses;
}
BENCHMARK(BM_SamplingPass)->UseRealTime()->Unit(benchmark::kMicrosecond);

// For comparison, the least a pass can ask of the server: the root window's size asked once
// (not on every grab), the block clipped against it, one GetImage and one QueryPointer.
class OneRequestContext final : public hueclip::PixelBlockContext {
 public:
  OneRequestContext(Display* display, hueclip::Point cursor, int width, int height)
      : PixelBlockContext(cursor), display_(display), width_(width), height_(height) {}

 protected:
  void Grab(std::int32_t left, std::int32_t top,
            std::array<std::int32_t, kSize * kSize>& out) override {
    out.fill(-1);
    const hueclip::PixelRect clip = ClipBlock(left, top, {0, 0, width_, height_});
    if (clip.Empty()) return;
    XImage* image = XGetImage(display_, DefaultRootWindow(display_), clip.left, clip.top,
                              static_cast<unsigned>(clip.width), static_cast<unsigned>(clip.height),
                              AllPlanes, ZPixmap);
    if (!image) return;
    const Visual* v = DefaultVisual(display_, DefaultScreen(display_));
    const hueclip::x11::ChannelMasks masks{v->red_mask, v->green_mask, v->blue_mask};
    for (int y = 0; y < clip.height; ++y)
      for (int x = 0; x < clip.width; ++x)
        out[static_cast<std::size_t>((clip.top - top + y) * kSize + clip.left - left + x)] =
            hueclip::x11::ColourFromPixel(XGetPixel(image, x, y), masks);
    XDestroyImage(image);
  }

 private:
  Display* display_;
  int width_, height_;
};

class OneRequestScreen final : public hueclip::Screen {
 public:
  explicit OneRequestScreen(Display* display) : display_(display) {
    Window root;
    int x, y;
    unsigned border, depth;
    XGetGeometry(display, DefaultRootWindow(display), &root, &x, &y, &width_, &height_, &border,
                 &depth);
  }
  std::unique_ptr<hueclip::ScreenContext> GetWindowDC() override {
    Window r, c;
    int rx = 0, ry = 0, wx, wy;
    unsigned mask;
    XQueryPointer(display_, DefaultRootWindow(display_), &r, &c, &rx, &ry, &wx, &wy, &mask);
    return std::make_unique<OneRequestContext>(display_, hueclip::Point{rx, ry},
                                               static_cast<int>(width_), static_cast<int>(height_));
  }

 private:
  Display* display_;
  unsigned width_ = 0, height_ = 0;
};

void BM_SamplingPass_OneRequestReference(benchmark::State& state) {
  OneRequestScreen screen(g_display);
  hueclip::bench::OnePass(screen);
  const unsigned long before = NextRequest(g_display);
  for (auto _ : state) benchmark::DoNotOptimize(hueclip::bench::OnePass(screen));
  state.counters["x_requests"] = static_cast<double>(NextRequest(g_display) - before) /
                                 static_cast<double>(state.iterations());
}
BENCHMARK(BM_SamplingPass_OneRequestReference)->UseRealTime()->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  g_display = XOpenDisplay(nullptr);
  if (!g_display) {
    std::fputs("hueclip_pass_bench: no X display\n", stderr);
    return 1;
  }
  {
    hueclip::x11::X11Screen screen(g_display, hueclip::x11::X11Screen::Connection::kShared);
    hueclip::bench::OnePass(screen);
    g_byRequest = hueclip::bench::RecordRequests(g_display, [&] {
      for (int i = 0; i < kRecordedPasses; ++i)
        benchmark::DoNotOptimize(hueclip::bench::OnePass(screen));
    });
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  XCloseDisplay(g_display);
  return 0;
}
