#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/portal/monitor_layout.h"
#include "platform/portal/pointer_tracker.h"
#include "platform/portal/stream_intake.h"
#include "recorded_buffer.h"

namespace hueclip::portal {
namespace {

using Desk = std::vector<MonitorGeometry>;

// Which monitor, and which of its pixels, shows the screen pixel (x, y) of each desk; "-1": none.
// `pointed`: the monitor whose stream has the pointer on its frame. Monitors are given as the
// portal tells them, {x, y, width, height} in the layout, then the frames' size in pixels.
TEST(PortalMonitorLayout, EachScreenPixelIsShownByOneMonitorAtMost) {
  // Side by side, the second lower and smaller: a gap below it and above it.
  const Desk unscaled{{0, 0, 1920, 1080, 1920, 1080}, {1920, 200, 1280, 720, 1280, 720}};
  // Layout in logical units, frames twice as large; then at scale 1.5, 1707 units to 2560 pixels.
  const Desk scaled{{0, 0, 1280, 720, 2560, 1440}, {1280, 0, 1280, 720, 2560, 1440}};
  const Desk fractional{{0, 0, 1707, 960, 2560, 1440}, {1707, 0, 1707, 960, 2560, 1440}};
  // A scale-2 laptop panel and an unscaled monitor to its right, both 1280 units wide: the
  // unscaled one keeps its own pixels, and a gap follows it.
  const Desk mixed{{0, 0, 1280, 800, 2560, 1600}, {1280, 0, 1280, 1024, 1280, 1024}};
  // The second stream has not agreed a format yet; the portal gave no sizes at all.
  const Desk unsized{{0, 0, 0, 0, 640, 480}, {640, 0, 0, 0, 0, 0}};
  const Desk left{{-800, -100, 800, 600, 800, 600}, {0, 0, 0, 0, 640, 480}};
  // Where the monitors are is not known, so only the one with the pointer is read: KDE's streams
  // (sizes, no positions), a stream of the whole workspace beside one of its monitors, mirrored
  // monitors, and one position missing where it would not overlap the other's.
  const Desk kde{{0, 0, 1920, 1080, 1920, 1080, false}, {0, 0, 1280, 720, 1280, 720, false}};
  const Desk workspace{{0, 0, 3200, 1080, 3200, 1080}, {1920, 0, 1280, 720, 1280, 720}};
  const Desk mirrored{{0, 0, 1920, 1080, 1920, 1080}, {0, 0, 1920, 1080, 1920, 1080}};
  const Desk half{{640, 0, 640, 480, 640, 480}, {0, 0, 640, 480, 640, 480, false}};
  // Beyond any desktop (a buggy or hostile portal), at scale 1 and through a scale of 2.
  const Desk far{{2147483646, 0, 640, 480, 640, 480}};
  const Desk farScaled{{1 << 30, 0, 640, 480, 1280, 960}};
  // Each row: a screen pixel, then the monitor and its pixel that show it ("-1": none).
  const struct {
    const Desk& desk;
    int pointed;
    std::vector<std::string> rows;
  } cases[] = {
      {unscaled,
       -1,
       {"0,0 0:0,0", "1919,1079 0:1919,1079", "1920,200 1:0,0", "3199,919 1:1279,719",
        "1920,199 -1", "3200,500 -1", "1000,1080 -1", "-1,0 -1"}},
      {scaled, -1, {"2559,0 0:2559,0", "2560,0 1:0,0", "5119,1439 1:2559,1439", "5120,0 -1"}},
      {fractional, -1, {"2559,5 0:2559,5", "2560,5 1:0,5"}},
      {mixed,
       -1,
       {"2559,1599 0:2559,1599", "2560,0 1:0,0", "3839,1023 1:1279,1023", "3840,0 -1",
        "2560,1024 -1"}},
      {unsized, -1, {"639,479 0:639,479", "640,0 -1"}},
      {left, -1, {"-800,-100 0:0,0", "-1,499 0:799,599", "0,0 1:0,0"}},
      {kde, 1, {"5,5 1:5,5", "1279,719 1:1279,719", "1280,5 -1"}},
      {kde, 0, {"1900,5 0:1900,5"}},
      {kde, -1, {"5,5 -1"}},
      {workspace, 1, {"5,5 1:5,5"}},
      {workspace, 0, {"3000,5 0:3000,5"}},
      {mirrored, 1, {"0,0 1:0,0"}},
      {half, 1, {"639,0 1:639,0", "640,0 -1"}},
      {far, 0, {"5,5 0:5,5"}},
      {farScaled, 0, {"1279,959 0:1279,959"}},
  };
  for (const auto& c : cases) {
    const std::vector<PixelRect> rects = PlaceMonitors(c.desk, c.pointed);
    for (const std::string& row : c.rows) {
      long long x = 0, y = 0;
      std::sscanf(row.c_str(), "%lld,%lld", &x, &y);
      const int i = MonitorAt(rects, x, y);
      const PixelRect r = i < 0 ? PixelRect{} : rects[static_cast<std::size_t>(i)];
      const std::string at =
          std::to_string(i) + ":" + std::to_string(x - r.left) + "," + std::to_string(y - r.top);
      EXPECT_EQ(row.substr(0, row.find(' ') + 1) + (i < 0 ? "-1" : at), row)
          << "pointer on monitor " << c.pointed;
    }
  }
}

// Cursor data from two shared monitors side by side, 4 x 3 pixels then 2 x 2, as their streams
// take it from the compositor's buffers, in the order it comes; monitor -1 stands for a pause of
// the streams. The compositor rounds the position: past the middle of a monitor's last column it
// says the frame's width, and the neighbour that the cursor's image touches says 0.
TEST(PortalPointerTracker, ThePointerIsWhereTheNewestCursorDataPutsIt) {
  const std::vector<PixelRect> desk{{0, 0, 4, 3}, {4, 0, 2, 2}};
  PointerTracker pointer;
  StreamIntake streams[] = {StreamIntake([&](const PointerReport& r) { pointer.Update(0, r); }),
                            StreamIntake([&](const PointerReport& r) { pointer.Update(1, r); })};
  streams[0].SetFormat(4, 3, PixelOrder::kBgrx);
  streams[1].SetFormat(2, 2, PixelOrder::kBgrx);
  const struct {
    int monitor;
    Cursor cursor;
    const char* at;
  } steps[] = {
      {0, {false}, "-"},  // nothing about where it is yet
      {0, {true, 3, 2}, "3,2"},
      {1, {true, 0, 1}, "4,1"},  // the second monitor's pixels start at 4
      // The monitor it went to told first; the one it left says it is gone afterwards.
      {0, {true, 3, 1}, "3,1"},
      {1, {true, 0, 1}, "4,1"},
      {0, {true, -3, 1}, "4,1"},
      // It leaves for a monitor that is not shared: no longer known, not kept at its last place.
      {1, {true, 0, 3}, "-"},
      {0, {true, 1, 1}, "1,1"},
      {-1, {}, "-"},  // it may have moved during a pause
      {1, {false}, "-"},
      {0, {true, 4, 1}, "3,1"},  // rounded up to the frame's width: its last column
      {0, {true, 4, 3}, "3,2"},  // and to its height: its last row
      {0, {true, 5, 1}, "-"},
      // The neighbour has it on its first column, which rounds to the same, whichever tells
      // first; the last column again once the neighbour says it left.
      {0, {true, 4, 1}, "3,1"},
      {1, {true, 0, 1}, "4,1"},
      {0, {true, 4, 1}, "4,1"},
      {1, {false}, "3,1"},
  };
  for (const auto& s : steps) {
    if (s.monitor < 0) {
      pointer.Forget();
    } else {
      const RecordedBuffer buffer(nullptr, 0, 0, s.cursor);
      streams[s.monitor].Take(*buffer);
    }
    const Point p = pointer.Monitor() < 0 ? Point{} : pointer.At(desk);
    EXPECT_EQ(pointer.Monitor() < 0 ? "-" : std::to_string(p.x) + "," + std::to_string(p.y), s.at)
        << "step " << &s - steps;
  }
}

}  // namespace
}  // namespace hueclip::portal
