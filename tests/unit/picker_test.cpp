#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/readout.h"
#include "tests/fake/fake_platform.h"
#include "ui/main_window.h"

namespace hueclip {
namespace {

class PickerTest : public ::testing::Test {
 protected:
  // `unseen`: why the screen cannot be seen (yet), for a screen that says so.
  explicit PickerTest(const char* unseen = "") {
    p.screen.unseen = unseen;
    p.screen.readable = !*unseen;
    main.form().Show();
  }

  void Key(std::int16_t code) { main.form().KeyDown(code, 0); }
  void Tick() { main.form().TimerFired(main_ids::Timer1); }
  std::vector<std::string> Shown() {
    std::vector<std::string> texts;
    for (std::size_t id : {main_ids::lblPos, main_ids::lblHex, main_ids::lblRGB, main_ids::lblLong})
      texts.push_back(main.form().control(id).Caption());
    return texts;
  }

  fake::FakePlatform p;
  MainWindow main{p.services};
};

// The first tick comes a tenth of a second after the window, too soon for the acceptance suites.
TEST_F(PickerTest, KeysBeforeTheFirstTickUseTheWindowAsCreated) {
  Key(kKeyC);
  EXPECT_EQ(p.clipboard.text, "Pos: lblPos\r\nHex: lblPos\r\nRGB: lblPos\r\nLong: lblPos");
  EXPECT_TRUE(p.toolkit.messages.empty());
  Key(kKeyA);
  EXPECT_EQ(Shown(), (std::vector<std::string>{"0, 0", "#050000", "5 0 0", "-2147483643"}));
}

// What a pass shows is checked end to end by the acceptance suites; that it leaks nothing is not.
TEST_F(PickerTest, APassGivesBackEveryContextItTakes) {
  Tick();
  Tick();
  EXPECT_GT(p.screen.contextsTaken, 0);
  EXPECT_EQ(p.screen.contextsGiven, p.screen.contextsTaken);
}

// The position and the pixels of a pass come from the one context it takes, though the pointer
// moves on at once: a pass never shows the pixels around one position beside another.
TEST_F(PickerTest, APassShowsThePositionAndThePixelsOfTheOneContextItTakes) {
  p.screen.cursor = {7, 9};
  p.screen.drift = {40, 30};
  Tick();
  Tick();
  EXPECT_EQ(p.screen.contextsTaken, 2);
  EXPECT_EQ(Shown()[0], "47, 39");
  for (int i = 0; i < kCellCount; ++i)
    EXPECT_EQ(main.pix(i).FillColor(), fake::FakeScreen::Pattern(45 + i % 5, 37 + i / 5)) << i;
}

// At the ends of the coordinate range the block does not wrap round to the other end: what lies
// past them reads as beyond the screen.
TEST_F(PickerTest, APositionAtTheEndsOfTheRangeReadsBeyondThemAsBlack) {
  constexpr std::int32_t kMax = 2147483647, kMin = -kMax - 1;
  p.screen.cursor = {kMax - 1, kMin + 1};
  Tick();
  for (int i = 0; i < kCellCount; ++i) {
    const int dx = i % 5 - 2, dy = i / 5 - 2;
    const bool past = dx == 2 || dy == -2;
    EXPECT_EQ(main.pix(i).FillColor(),
              past ? 0 : fake::FakeScreen::Pattern(kMax - 1 + dx, kMin + 1 + dy))
        << i;
  }
}

// A screen that cannot be seen yet (the desktop's sharing dialog is up, or it never sent a
// picture) shows no readouts and copies nothing, saying why, until a pass has read it. From then
// on the cells hold what was read, and copying them stays possible whatever the screen says.
class UnseenScreen : public PickerTest {
 protected:
  UnseenScreen() : PickerTest("Hueclip cannot see the screen yet.") {}
};

TEST_F(UnseenScreen, ShowsAndCopiesNothingUntilAPassHasReadIt) {
  const std::vector<std::string> blank(4);
  EXPECT_EQ(Shown(), blank) << "at load";
  for (std::int16_t key : {kKeyA, kKeyF, kKeyD, kKeyF, kKeyC}) {
    Key(key);
    Tick();
    EXPECT_EQ(Shown(), blank) << "after key " << key;
  }
  main.lblLong_Click();
  EXPECT_EQ(p.clipboard.attempts, 0);
  EXPECT_EQ(p.clipboard.text, "what the user had copied");
  EXPECT_EQ(p.toolkit.messages,
            std::vector<std::string>(2, p.screen.unseen + std::string(kNothingSeenToCopy)));

  p.screen.readable = true;
  p.screen.cursor = {50, 60};
  Tick();
  const std::vector<std::string> read = Shown();
  EXPECT_EQ(read[0], "50, 60");
  p.screen.unseen = "Hueclip can no longer see the screen.";
  Key(kKeyF);
  Key(kKeyC);
  EXPECT_EQ(Shown(), read);
  EXPECT_EQ(p.clipboard.text, "Pos: " + read[0] + "\r\nHex: " + read[1] + "\r\nRGB: " + read[2] +
                                  "\r\nLong: " + read[3]);
  EXPECT_EQ(p.toolkit.messages.size(), 2u);
}

// A clipboard held by another program, or emptied and then refusing the text: the user is told
// which, and the highlight (kept while the clipboard is tried) and readouts end as after a copy.
TEST_F(PickerTest, AFailedCopySaysWhatTheClipboardHoldsAndKeepsTheWindow) {
  p.screen.cursor = {100, 200};
  Tick();
  Key(kKeyD);
  Colour border = kUnselectedBorder;
  p.clipboard.whileWriting = [&] { border = main.pix(13).BorderColor(); };
  for (bool emptied : {false, true}) {
    p.clipboard.refuse = !emptied;
    p.clipboard.refuseText = emptied;
    p.toolkit.messages.clear();
    Key(kKeyC);
    EXPECT_EQ(border, kSelectedBorder) << "while the clipboard was tried";
    main.lblHex_Click();
    EXPECT_EQ(p.clipboard.text, emptied ? "" : "what the user had copied");
    EXPECT_EQ(
        p.toolkit.messages,
        std::vector<std::string>(2, std::string(emptied ? kClipboardEmptied : kNothingCopied)));
    EXPECT_EQ(main.pix(13).BorderColor(), kSelectedBorder);
    EXPECT_EQ(Shown()[3], std::to_string(fake::FakeScreen::Pattern(101, 200)));
  }
}

TEST_F(PickerTest, CaptionLabelsCellsAndBackgroundDoNothing) {
  const std::size_t idle[] = {main_ids::Label4, main_ids::Label7, main_ids::pix0,
                              main_ids::pix0 + 12, main_ids::kCount};
  for (std::size_t id : idle) main.form().Clicked(id);
  EXPECT_EQ(p.clipboard.attempts, 0);
  EXPECT_EQ(p.shell.calls, 0);
  EXPECT_EQ(main.frmAbout(), nullptr);
}

// Ordinary colours are checked end to end by the acceptance suites; these values are not on a
// screen there.
TEST(Readout, NegativePositionsAndLongs) {
  EXPECT_EQ(FormatReadouts({-1920, -5}, 0).pos, "-1920, -5");
  EXPECT_EQ(FormatReadouts({2147483647, -2147483647 - 1}, 0).pos, "2147483647, -2147483648");
  const Readouts all = FormatReadouts({0, 0}, static_cast<Colour>(0xFFFFFFFF));
  EXPECT_EQ(all.hex, "#FFFFFF");
  EXPECT_EQ(all.rgb, "255 255 255");
  EXPECT_EQ(all.lng, "-1");
}

}  // namespace
}  // namespace hueclip
