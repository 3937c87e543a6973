#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/portal/monitor_layout.h"
#include "platform/portal/pointer_tracker.h"

namespace hueclip::portal {
namespace {

// Which monitor, and which of its pixels, shows the screen pixel (x, y): "-1" off every one.
// `pointed`: the monitor whose stream has the pointer on its frame.
std::string Locate(const std::vector<MonitorGeometry>& monitors, std::int64_t x, std::int64_t y,
                   int pointed = -1) {
  const std::vector<PixelRect> rects = PlaceMonitors(monitors, pointed);
  const int i = MonitorAt(rects, x, y);
  if (i < 0) return "-1";
  const PixelRect& r = rects[static_cast<std::size_t>(i)];
  return std::to_string(i) + ":" + std::to_string(x - r.left) + "," + std::to_string(y - r.top);
}

TEST(QtMonitorLayout, UnscaledMonitorsKeepTheLayoutsCoordinates) {
  // Two monitors side by side, the second lower and smaller: a gap below it and above it.
  const std::vector<MonitorGeometry> desk{{0, 0, 1920, 1080, 1920, 1080},
                                          {1920, 200, 1280, 720, 1280, 720}};
  EXPECT_EQ(Locate(desk, 0, 0), "0:0,0");
  EXPECT_EQ(Locate(desk, 1919, 1079), "0:1919,1079");
  EXPECT_EQ(Locate(desk, 1920, 200), "1:0,0");
  EXPECT_EQ(Locate(desk, 3199, 919), "1:1279,719");
  EXPECT_EQ(Locate(desk, 1920, 199), "-1");  // above the second monitor
  EXPECT_EQ(Locate(desk, 3200, 500), "-1");  // right of it
  EXPECT_EQ(Locate(desk, 1000, 1080), "-1");
  EXPECT_EQ(Locate(desk, -1, 0), "-1");
}

TEST(QtMonitorLayout, MonitorsOfOneScaleTileInDevicePixels) {
  // Layout in logical units, frames twice as large: a 2560 x 1440 panel at scale 2 left of
  // another one.
  const std::vector<MonitorGeometry> desk{{0, 0, 1280, 720, 2560, 1440},
                                          {1280, 0, 1280, 720, 2560, 1440}};
  EXPECT_EQ(Locate(desk, 2559, 0), "0:2559,0");
  EXPECT_EQ(Locate(desk, 2560, 0), "1:0,0");
  EXPECT_EQ(Locate(desk, 5119, 1439), "1:2559,1439");
  EXPECT_EQ(Locate(desk, 5120, 0), "-1");
  // Fractional scale 1.5: 1707 logical units are 2560 pixels; the next monitor starts right
  // after the last pixel of the first.
  const std::vector<MonitorGeometry> fractional{{0, 0, 1707, 960, 2560, 1440},
                                                {1707, 0, 1707, 960, 2560, 1440}};
  EXPECT_EQ(Locate(fractional, 2559, 5), "0:2559,5");
  EXPECT_EQ(Locate(fractional, 2560, 5), "1:0,5");
}

TEST(QtMonitorLayout, MixedScalesNeverOverlap) {
  // A scale-2 laptop panel and an unscaled monitor to its right, both 1280 units wide.
  const std::vector<MonitorGeometry> desk{{0, 0, 1280, 800, 2560, 1600},
                                          {1280, 0, 1280, 1024, 1280, 1024}};
  EXPECT_EQ(Locate(desk, 2559, 1599), "0:2559,1599");
  EXPECT_EQ(Locate(desk, 2560, 0), "1:0,0");
  // The unscaled monitor keeps its own pixels: a gap follows it.
  EXPECT_EQ(Locate(desk, 3839, 1023), "1:1279,1023");
  EXPECT_EQ(Locate(desk, 3840, 0), "-1");
  EXPECT_EQ(Locate(desk, 2560, 1024), "-1");
}

TEST(QtMonitorLayout, MonitorsWithoutAFrameSizeHoldNoPixels) {
  // The second stream has not agreed a format yet; the portal gave no sizes at all.
  const std::vector<MonitorGeometry> desk{{0, 0, 0, 0, 640, 480}, {640, 0, 0, 0, 0, 0}};
  EXPECT_EQ(Locate(desk, 639, 479), "0:639,479");
  EXPECT_EQ(Locate(desk, 640, 0), "-1");
  // Layout positions left of and above the origin.
  const std::vector<MonitorGeometry> left{{-800, -100, 800, 600, 800, 600}, {0, 0, 0, 0, 640, 480}};
  EXPECT_EQ(Locate(left, -800, -100), "0:0,0");
  EXPECT_EQ(Locate(left, -1, 499), "0:799,599");
  EXPECT_EQ(Locate(left, 0, 0), "1:0,0");
}

TEST(QtMonitorLayout, WithoutKnownPlacesOnlyTheMonitorWithThePointerIsRead) {
  // KDE's monitor streams: sizes, no positions.
  const std::vector<MonitorGeometry> kde{{0, 0, 1920, 1080, 1920, 1080, false},
                                         {0, 0, 1280, 720, 1280, 720, false}};
  // A stream of the whole workspace beside one of its monitors; mirrored monitors.
  const std::vector<MonitorGeometry> workspace{{0, 0, 3200, 1080, 3200, 1080},
                                               {1920, 0, 1280, 720, 1280, 720}};
  const std::vector<MonitorGeometry> mirrored{{0, 0, 1920, 1080, 1920, 1080},
                                              {0, 0, 1920, 1080, 1920, 1080}};
  // One monitor's position is missing, and it would not overlap the other's.
  const std::vector<MonitorGeometry> half{{640, 0, 640, 480, 640, 480},
                                          {0, 0, 640, 480, 640, 480, false}};
  const struct {
    const std::vector<MonitorGeometry>& desk;
    int pointed;
    std::int64_t x, y;
    const char* at;
  } cases[] = {
      {kde, 1, 5, 5, "1:5,5"},
      {kde, 1, 1279, 719, "1:1279,719"},
      {kde, 1, 1280, 5, "-1"},
      {kde, 0, 1900, 5, "0:1900,5"},
      {kde, -1, 5, 5, "-1"},
      {workspace, 1, 5, 5, "1:5,5"},
      {workspace, 0, 3000, 5, "0:3000,5"},
      {mirrored, 1, 0, 0, "1:0,0"},
      {half, 1, 639, 0, "1:639,0"},
      {half, 1, 640, 0, "-1"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Locate(c.desk, c.x, c.y, c.pointed), c.at)
        << "pointer on " << c.pointed << ", pixel " << c.x << "," << c.y;
}

// Two shared monitors side by side: 640 x 480 pixels, then 320 x 240.
const std::vector<PixelRect> kDesk{{0, 0, 640, 480}, {640, 0, 320, 240}};

TEST(QtPointerTracker, ThePointerIsWhereTheNewestCursorDataPutsIt) {
  PointerTracker pointer;
  EXPECT_EQ(pointer.Monitor(), -1);  // nothing came yet
  pointer.Update(0, true, 10, 20);
  pointer.Update(0, true, 639, 479);
  EXPECT_EQ(pointer.Monitor(), 0);
  EXPECT_EQ(pointer.At(kDesk).x, 639);
  EXPECT_EQ(pointer.At(kDesk).y, 479);
  // Onto the second monitor: its pixels start at 640.
  pointer.Update(1, true, 0, 5);
  EXPECT_EQ(pointer.Monitor(), 1);
  EXPECT_EQ(pointer.At(kDesk).x, 640);
  EXPECT_EQ(pointer.At(kDesk).y, 5);
}

TEST(QtPointerTracker, LeavingAMonitorOnlyCountsForTheMonitorThatHadThePointer) {
  PointerTracker pointer;
  // The monitor it went to told first; the one it left says it is gone afterwards.
  pointer.Update(0, true, 639, 100);
  pointer.Update(1, true, 0, 100);
  pointer.Update(0, false, 0, 0);
  EXPECT_EQ(pointer.Monitor(), 1);
  EXPECT_EQ(pointer.At(kDesk).x, 640);
  // Now it leaves for a monitor that is not shared (or hides): no longer known, rather than
  // kept at its last place.
  pointer.Update(1, false, 0, 0);
  EXPECT_EQ(pointer.Monitor(), -1);
  pointer.Update(0, true, 3, 4);
  EXPECT_EQ(pointer.Monitor(), 0);
}

TEST(QtPointerTracker, APauseForgetsThePointerUntilNewData) {
  PointerTracker pointer;
  pointer.Update(0, true, 100, 100);
  pointer.Forget();
  EXPECT_EQ(pointer.Monitor(), -1);
  pointer.Update(1, false, 0, 0);  // says nothing about where it is
  EXPECT_EQ(pointer.Monitor(), -1);
  pointer.Update(0, true, 7, 8);
  EXPECT_EQ(pointer.At(kDesk).x, 7);
}

}  // namespace
}  // namespace hueclip::portal
