#include <gtest/gtest.h>

#include <string>

#include "platform/portal/sight.h"

namespace hueclip::portal {
namespace {

using namespace std::chrono_literals;
using Clock = Sight::Clock;

// Each stage of a start says why nothing can be read, in its own words, until a pass reads;
// a loss is said for good, whatever came before.
TEST(PortalSight, SaysWhyNothingCanBeReadAtEachStage) {
  const Clock::time_point t0{};
  Sight s;
  std::string said[6];
  said[0] = s.Why();  // the dialog is up
  s.NoteShared();
  said[1] = s.Why();
  s.NotePointer(t0);
  said[2] = s.Why();
  s.NotePicture();
  said[3] = s.Why();  // the pointer is on a monitor that is not shared
  s.MarkSeen();
  EXPECT_EQ(s.Why(), "");
  s.MarkLost(Loss::kStopped);
  said[4] = s.Why();
  s.MarkLost(Loss::kRefused);  // only the first loss counts
  EXPECT_EQ(s.Why(), said[4]);
  Sight refused;
  refused.MarkLost(Loss::kRefused);
  said[5] = refused.Why();

  EXPECT_NE(said[0].find("screen-sharing dialog"), std::string::npos) << said[0];
  EXPECT_NE(said[1].find("where the pointer is"), std::string::npos) << said[1];
  EXPECT_NE(said[2].find("no picture"), std::string::npos) << said[2];
  EXPECT_NE(said[3].find("shared"), std::string::npos) << said[3];
  EXPECT_NE(said[4].find("stopped"), std::string::npos) << said[4];
  EXPECT_NE(said[5].find("refused"), std::string::npos) << said[5];
}

// The user hears once, after three seconds of positions without a picture, and not at all when a
// picture comes, the screen is lost, or the streams pause in between (the wait starts over).
TEST(PortalSight, TellsOnceOfPositionsWithoutAPicture) {
  const Clock::time_point t0{};
  Sight s;
  EXPECT_FALSE(s.MarkPictureless(t0 + 10s)) << "no position yet";
  s.NoteShared();
  s.NotePointer(t0);
  s.NotePointer(t0 + 2s);  // the wait counts from the first position
  EXPECT_FALSE(s.MarkPictureless(t0 + 2999ms));
  s.NotePause();
  s.NotePointer(t0 + 4s);
  EXPECT_FALSE(s.MarkPictureless(t0 + 6s));
  EXPECT_TRUE(s.MarkPictureless(t0 + 7s));
  EXPECT_FALSE(s.MarkPictureless(t0 + 60s)) << "told twice";

  Sight pictured;
  pictured.NoteShared();
  pictured.NotePointer(t0);
  pictured.NotePicture();
  EXPECT_FALSE(pictured.MarkPictureless(t0 + 10s));
  Sight lost;
  lost.NoteShared();
  lost.NotePointer(t0);
  lost.MarkLost(Loss::kStopped);
  EXPECT_FALSE(lost.MarkPictureless(t0 + 10s));

  // Streams that replace lost ones count afresh, after pictures from the lost ones; but a user
  // told that none come is not told again while none has come since.
  pictured.MarkSeen();
  pictured.NotePause();
  pictured.NoteShared();
  pictured.NotePointer(t0 + 20s);
  EXPECT_FALSE(pictured.MarkPictureless(t0 + 22s));
  EXPECT_TRUE(pictured.MarkPictureless(t0 + 23s)) << "not told after the streams were replaced";
  s.NotePause();
  s.NoteShared();
  s.NotePointer(t0 + 30s);
  EXPECT_FALSE(s.MarkPictureless(t0 + 40s)) << "told twice";
}

}  // namespace
}  // namespace hueclip::portal
