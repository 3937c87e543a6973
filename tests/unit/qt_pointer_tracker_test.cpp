#include <gtest/gtest.h>

#include <vector>

#include "platform/qt/pointer_tracker.h"

namespace hueclip::qt {
namespace {

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
}  // namespace hueclip::qt
