#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <utility>

#include "tests/fake/fake_hdr_displays.h"

namespace hueclip::win32 {
namespace {

using Answer = DesktopDuplication::Answer;
using FakeDisplays = fake::FakeHdrDisplays;

// One pass over the block at (left, top): per pixel W (read as white), g (read as 0xAAAAAA), -
// (GDI's as it is), i (GDI's un-clipped at 80 nits), j (at 200 nits) or ?, a space between rows;
// or "unreadable".
std::string Pass(HdrDesktop& desktop, std::int32_t left, std::int32_t top) {
  HdrDesktop::Block block;
  if (!desktop.Read(left, top, block)) return "unreadable";
  std::string seen;
  for (std::size_t i = 0; i < block.size(); ++i) {
    if (i && i % HdrDesktop::kSize == 0) seen += ' ';
    const BlockPixel& p = block[i];
    const std::int32_t unclipped = p.FromGdi(0x999999);  // 153 at 200 nits was drawn as 100
    seen += p.colour == 0xFFFFFF    ? 'W'
            : p.colour == 0xAAAAAA  ? 'g'
            : p.colour != -1        ? '?'
            : p.unclipNits == 0     ? '-'
            : unclipped == 0x999999 ? 'i'
            : unclipped == 0x646464 ? 'j'
                                    : '?';
  }
  return seen;
}

const std::string kWhite = "WWWWW WWWWW WWWWW WWWWW WWWWW", kGdi = "----- ----- ----- ----- -----",
                  kUnclipped = "iiiii iiiii iiiii iiiii iiiii";

// One HDR monitor at 80 nits under the whole block. Steps: a pass, H (read from its
// duplication), I (GDI's, un-clipped) or U (unreadable: the window stays); +N, the clock moved on
// N ms; or what the passes cannot see: display, switch, idle, minimise, restore. Calls: those on
// the monitor's duplication, each answering done unless a colon gives another answer, with | before
// each pass but the first.
TEST(Win32HdrDesktop, ReadsThroughTheDuplicationOrFallsBack) {
  const char* scenarios[][3] = {
      {"HDR: read from the duplication, its first image waited for", "H",
       "duplicate open refresh50 read"},
      {"a still desktop: the image kept", "H H",
       "duplicate open refresh50 read | refresh0:timeout read"},
      {"no first image yet: GDI, un-clipped; waited for by two reads only", "I I I H",
       "duplicate open refresh50:timeout | refresh50:timeout | refresh0:timeout | refresh0 read"},
      {"ACCESS_LOST: opened again at once, on the same device", "H H",
       "duplicate open refresh50 read | refresh0:lost close open refresh50 read"},
      {"lost again at once: GDI, un-clipped, for that pass", "I H",
       "duplicate open refresh50:lost close open refresh50:lost close | open refresh50 read"},
      {"lost a 4th time in 10 s: GDI, un-clipped, until the 10 s are over",
       "H H H H I +9999 I +1 H",
       "duplicate open refresh50 read | refresh0:lost close open refresh50 read | refresh0:lost "
       "close open refresh50 read | refresh0:lost close open refresh50 read | refresh0:lost "
       "release | | open refresh50 read"},
      {"E_ACCESSDENIED: the window stays, the next pass tries again", "U H",
       "duplicate open:denied close | open refresh50 read"},
      {"a switch to the secure desktop", "H U",
       "duplicate open refresh50 read | refresh0:lost close open:denied close"},
      {"unsupported: GDI, un-clipped, never tried again with time alone, but after a desktop "
       "switch",
       "I +600000 I switch H", "duplicate open:unsupported release | | open refresh50 read"},
      {"... or a display change", "I display H",
       "duplicate open:unsupported release monitors | open refresh50 read"},
      {"busy, E_NOTIMPL: tried again after 5 s, then after 10 s", "I +4999 I +1 I +9999 I +1 H",
       "duplicate open:busy release | | open:unavailable release | | open refresh50 read"},
      {"unread for 2 s: let go, opened again by the next read", "H +1999 idle H +2000 idle H",
       "duplicate open refresh50 read | refresh0 read release | open refresh50 read"},
      {"minimised: let go at once; GDI, un-clipped, without opening until restored",
       "H minimise I restore H", "duplicate open refresh50 read release | | open refresh50 read"},
  };
  for (const auto& [name, steps, calls] : scenarios) {
    FakeDisplays displays;
    displays.monitors = {{{0, 0, 1920, 1080}, 80, 1}};
    std::istringstream script(calls);
    for (std::string call; script >> call;) {
      if (!call.starts_with("open") && !call.starts_with("refresh") && !call.starts_with("read"))
        continue;
      const std::string answer =
          call.find(':') == std::string::npos ? "done" : call.substr(call.find(':') + 1);
      const auto* names = FakeDisplays::kAnswerNames;
      displays.answers.push_back(static_cast<Answer>(std::find(names, names + 7, answer) - names));
    }
    HdrDesktop desktop(displays);
    std::istringstream each(steps);
    std::string done;
    bool passed = false;
    for (std::string step; each >> step; done += step + ' ') {
      if (step == "H" || step == "I" || step == "U") {
        if (std::exchange(passed, true)) displays.log += "| ";
        const std::string seen = Pass(desktop, 100, 200);
        step = seen == kWhite ? "H" : seen == kUnclipped ? "I" : seen == "unreadable" ? "U" : seen;
      } else if (step[0] == '+') {
        displays.now += std::stoll(step);
      } else if (step == "display") {
        desktop.DisplaysChanged();
      } else if (step == "switch") {
        desktop.DesktopSwitched();
      } else if (step == "idle") {
        desktop.ReleaseIdle();
      } else if (step == "minimise") {
        desktop.Minimised();
      } else if (step == "restore") {
        desktop.Restored();
      }
    }
    EXPECT_EQ(done, std::string(steps) + ' ') << name;
    EXPECT_EQ(displays.log, "monitors " + std::string(calls) + ' ') << name;
  }
}

// A: HDR at 80 nits left of the primary; B: the primary, SDR; C: HDR at 200 nits below it. The
// block at (-2, 1078) has two columns on A (two rows, then nothing), three on B, then C; C's
// duplication is to be had, then not.
TEST(Win32HdrDesktop, ReadsEachPixelFromItsOwnMonitor) {
  FakeDisplays displays;
  displays.monitors = {
      {{-1920, 0, 1920, 1080}, 80, 1}, {{0, 0, 1920, 1080}, 0, 2}, {{0, 1080, 1920, 1080}, 200, 3}};
  HdrDesktop desktop(displays);
  EXPECT_EQ(Pass(desktop, -2, 1078), "WW--- WW--- --ggg --ggg --ggg");
  displays.answers = {Answer::kDone, Answer::kDone,       Answer::kLost, Answer::kDone,
                      Answer::kDone, Answer::kUnavailable};  // A as before; C lost, then none
  EXPECT_EQ(Pass(desktop, -2, 1078), "WW--- WW--- --jjj --jjj --jjj");
}

// The monitors are asked once, and again after DisplaysChanged, which lets go of the duplication
// of a monitor whose facts changed (and of none else); monitors in SDR are not duplicated.
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
            "monitors duplicate open refresh50 read monitors refresh0 read refresh0 read monitors "
            "release duplicate open refresh50 read monitors release ");
}

// Each change of the way a monitor is read is traced once, with its HRESULT, and not on every
// pass; a duplication that proves unsupported is told of once a run.
TEST(Win32HdrDesktop, TracesEachChangeOnceAndTellsOfAnUnsupportedOneOnce) {
  FakeDisplays displays;
  displays.monitors = {{{0, 0, 1920, 1080}, 240, 1}};
  displays.answers = {Answer::kUnsupported, Answer::kUnsupported};
  HdrDesktop desktop(displays);
  for (int i = 0; i < 2; ++i) Pass(desktop, 0, 0);
  EXPECT_TRUE(desktop.TakeNotice());
  EXPECT_FALSE(desktop.TakeNotice());
  desktop.DisplaysChanged();
  for (int i = 0; i < 2; ++i) Pass(desktop, 0, 0);
  desktop.DesktopSwitched();
  for (int i = 0; i < 3; ++i) Pass(desktop, 0, 0);
  EXPECT_FALSE(desktop.TakeNotice());
  // Unsupported, closed, unsupported, closed, opened, read.
  ASSERT_EQ(displays.traces.size(), 6u);
  EXPECT_NE(displays.traces[0].find("240 nits: GDI, un-clipped"), std::string::npos);
  EXPECT_NE(displays.traces[2].find("HRESULT 0x887A0004"), std::string::npos);
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
  EXPECT_EQ(displays.log, "monitors ");
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
