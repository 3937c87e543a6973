#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "tests/fake/fake_hdr_displays.h"

namespace hueclip::win32 {
namespace {

using Answer = DesktopDuplication::Answer;
constexpr Answer kDone = Answer::kDone, kNoNewFrame = Answer::kNoNewFrame, kLost = Answer::kLost,
                 kDenied = Answer::kDenied, kUnavailable = Answer::kUnavailable;

using FakeDisplays = fake::FakeHdrDisplays;

// One pass over the block at (left, top): per pixel W (read as white), g (read as 0xAAAAAA), -
// (left to GDI) or ?, a space between rows; or "unreadable".
std::string Pass(HdrDesktop& desktop, std::int32_t left, std::int32_t top) {
  HdrDesktop::Block pixels;
  pixels.fill(-1);
  std::array<bool, HdrDesktop::kSize * HdrDesktop::kSize> read{};
  if (!desktop.Read(left, top, pixels, read)) return "unreadable";
  std::string seen;
  for (std::size_t i = 0; i < pixels.size(); ++i) {
    if (i && i % HdrDesktop::kSize == 0) seen += ' ';
    const std::int32_t p = pixels[i];
    seen += !read[i] ? (p == -1 ? '-' : '?') : p == 0xFFFFFF ? 'W' : p == 0xAAAAAA ? 'g' : '?';
  }
  return seen;
}

const std::string kWhite = "WWWWW WWWWW WWWWW WWWWW WWWWW", kGdi = "----- ----- ----- ----- -----";

// One HDR monitor at 80 nits under the whole block, pass after pass (H = read from its
// duplication, G = left to GDI, U = unreadable: the window stays), and the calls on its
// duplication, each answering kDone unless the script gives another answer after a colon.
TEST(Win32HdrDesktop, ReadsThroughTheDuplicationOrFallsBack) {
  const char* scenarios[][3] = {
      {"HDR: the duplication read, its first frame waited for", "H",
       "duplicate open refresh50 read"},
      {"still desktop: the frame kept", "HH",
       "duplicate open refresh50 read | refresh0:timeout read"},
      {"E_NOTIMPL: GDI, not tried again at once", "GG", "duplicate open:unavailable close |"},
      {"ACCESS_LOST: made again and read", "H",
       "duplicate open refresh50:lost close open refresh50 read"},
      {"lost twice: the window stays, the next pass starts over", "UH",
       "duplicate open refresh50:lost close open refresh50:lost close | open refresh50 read"},
      {"E_ACCESSDENIED: the window stays, the next pass tries again", "UH",
       "duplicate open:denied close | open refresh50 read"},
      {"a switch to the secure desktop", "HU",
       "duplicate open refresh50 read | refresh0:lost close open:denied close"},
      {"no first frame yet: GDI for that pass", "GH",
       "duplicate open refresh50:timeout | refresh50 read"},
  };
  for (const auto& [name, expected, script] : scenarios) {
    FakeDisplays displays;
    displays.monitors = {{{0, 0, 1920, 1080}, 80, 1}};
    std::istringstream calls(script);
    std::string log;
    for (std::string call; calls >> call; log += call.substr(0, call.find(':')) + " ") {
      const std::string answer = call.substr(call.find(':') + 1);
      if (call.starts_with("open") || call.starts_with("refresh") || call.starts_with("read"))
        displays.answers.push_back(answer == "timeout"       ? kNoNewFrame
                                   : answer == "lost"        ? kLost
                                   : answer == "denied"      ? kDenied
                                   : answer == "unavailable" ? kUnavailable
                                                             : kDone);
    }
    HdrDesktop desktop(displays);
    std::string passes;
    for (std::size_t i = 0; expected[i]; ++i) {
      if (i) displays.log += "| ";
      const std::string seen = Pass(desktop, 100, 200);
      passes += seen == kWhite ? 'H' : seen == kGdi ? 'G' : seen == "unreadable" ? 'U' : '?';
    }
    EXPECT_EQ(passes, expected) << name;
    EXPECT_EQ(displays.log, log) << name;
  }
}

TEST(Win32HdrDesktop, TriesARefusedDuplicationAgainAfterAWhile) {
  FakeDisplays displays;
  displays.monitors = {{{0, 0, 1920, 1080}, 80, 1}};
  displays.answers = {kUnavailable};
  HdrDesktop desktop(displays);
  for (int i = 0; i <= DuplicationPolicy::kRetryAfter; ++i) EXPECT_EQ(Pass(desktop, 0, 0), kGdi);
  EXPECT_EQ(Pass(desktop, 0, 0), kWhite);
}

// A: HDR at 80 nits left of the primary; B: the primary, SDR; C: HDR at 200 nits below it. The
// block at (-2, 1078) has two columns on A (two rows, then nothing), three on B, then C.
TEST(Win32HdrDesktop, ReadsEachPixelFromItsOwnMonitor) {
  FakeDisplays displays;
  displays.monitors = {
      {{-1920, 0, 1920, 1080}, 80, 1}, {{0, 0, 1920, 1080}, 0, 2}, {{0, 1080, 1920, 1080}, 200, 3}};
  HdrDesktop desktop(displays);
  EXPECT_EQ(Pass(desktop, -2, 1078), "WW--- WW--- --ggg --ggg --ggg");
}

// The monitors are asked once, and again only after DisplaysChanged, which lets go of the
// duplication of a monitor whose facts changed (and of none else); monitors in SDR are not
// duplicated.
TEST(Win32HdrDesktop, SeesAWhiteLevelChangeAfterDisplaysChanged) {
  FakeDisplays displays;
  displays.monitors = {{{0, 0, 1920, 1080}, 80, 1}};
  HdrDesktop desktop(displays);
  EXPECT_EQ(Pass(desktop, 0, 0), kWhite);
  desktop.DisplaysChanged();  // nothing of the monitor's changed: its duplication is kept
  EXPECT_EQ(Pass(desktop, 0, 0), kWhite);
  displays.monitors[0].whiteNits = 200;
  EXPECT_EQ(Pass(desktop, 0, 0), kWhite);
  desktop.DisplaysChanged();
  EXPECT_EQ(Pass(desktop, 0, 0), "ggggg ggggg ggggg ggggg ggggg");
  displays.monitors[0].whiteNits = 0;
  desktop.DisplaysChanged();
  EXPECT_EQ(Pass(desktop, 0, 0), kGdi);
  EXPECT_EQ(displays.log,
            "duplicate open refresh50 read refresh0 read refresh0 read close duplicate open "
            "refresh50 read "
            "close ");
}

// DisplayConfig's answers: the colour mode where Windows 11 24H2 and later tell it, the older
// answer before; a white level of 3000 is 240 nits.
TEST(Win32HdrDisplays, TakesOnlyAMonitorShowingHdrForOne) {
  using Mode = PathColour::Mode;
  const struct {
    PathColour colour;
    double nits;
  } cases[] = {
      {{Mode::kHdr, false, false, 3000}, 240},
      // An SDR monitor with automatic colour management: the older answer says enabled.
      {{Mode::kWideColour, true, false, 3000}, 0},
      {{Mode::kSdr, true, false, 3000}, 0},
      {{Mode::kHdr, false, false, 0}, 0},  // no white level answered
      {{Mode::kUnknown, true, false, 3000}, 240},
      {{Mode::kUnknown, true, true, 3000}, 0},  // wide colour enforced
      {{Mode::kUnknown, false, false, 3000}, 0},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i)
    EXPECT_EQ(HdrWhiteNits(cases[i].colour), cases[i].nits) << "case " << i;
  // That monitor in SDR with colour management on is read through GDI, as it is.
  FakeDisplays displays;
  displays.monitors = {{{0, 0, 1920, 1080}, HdrWhiteNits(cases[1].colour), 1}};
  HdrDesktop desktop(displays);
  EXPECT_EQ(Pass(desktop, 0, 0), kGdi);
  EXPECT_EQ(displays.log, "");
}

// Where a turned desktop's pixels lie in its duplication's image, after the rotations of
// Microsoft's desktop duplication sample, on a desktop 4 wide and 3 high.
TEST(Win32HdrDesktop, FindsPixelsOfATurnedDesktopInItsImage) {
  const struct {
    Rotation rotation;
    Point desktop, image;
  } cases[] = {{Rotation::kNone, {3, 2}, {3, 2}}, {Rotation::k90, {0, 0}, {0, 3}},
               {Rotation::k90, {3, 0}, {0, 0}},   {Rotation::k90, {1, 2}, {2, 2}},
               {Rotation::k180, {0, 0}, {3, 2}},  {Rotation::k180, {1, 2}, {2, 0}},
               {Rotation::k270, {0, 0}, {2, 0}},  {Rotation::k270, {3, 2}, {0, 3}}};
  for (const auto& c : cases) {
    const Point p = ImagePoint(c.desktop, 4, 3, c.rotation);
    EXPECT_TRUE(p.x == c.image.x && p.y == c.image.y)
        << static_cast<int>(c.rotation) << ": " << c.desktop.x << "," << c.desktop.y;
  }
}

}  // namespace
}  // namespace hueclip::win32
