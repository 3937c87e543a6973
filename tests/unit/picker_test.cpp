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
  PickerTest() { main.form().Show(); }

  void Key(std::int16_t code, std::int16_t shift = 0) { main.form().KeyDown(code, shift); }
  void Tick() { main.form().TimerFired(main_ids::Timer1); }
  std::string Caption(std::size_t id) { return main.form().control(id).Caption(); }
  Colour Fill(int i) { return main.pix(i).FillColor(); }
  Colour Border(int i) { return main.pix(i).BorderColor(); }
  std::int16_t Sel() { return main.picker().SelIndex; }

  fake::FakePlatform p;
  MainWindow main{p.services};
};

TEST_F(PickerTest, LoadSamplesNothingAndCCopiesTheCaptionsOfCreation) {
  EXPECT_EQ(Sel(), 12);
  EXPECT_FALSE(main.picker().Frozen);
  EXPECT_EQ(p.screen.cursorReads + p.screen.contextsTaken, 0);
  for (int i = 0; i < 25; ++i) EXPECT_EQ(Fill(i), kSysWindowBackground);
  EXPECT_EQ(Border(0), kSysWindowText);
  Key(kKeyC);
  EXPECT_EQ(p.clipboard.text, "Pos: lblPos\r\nHex: lblPos\r\nRGB: lblPos\r\nLong: lblPos");
  EXPECT_TRUE(p.toolkit.messages.empty());
}

// What a pass shows is checked end to end by the acceptance suites; that it leaks nothing is not.
TEST_F(PickerTest, APassGivesBackEveryContextItTakes) {
  Tick();
  Tick();
  EXPECT_GT(p.screen.contextsTaken, 0);
  EXPECT_EQ(p.screen.contextsGiven, p.screen.contextsTaken);
}

TEST_F(PickerTest, AScreenThatCannotBeReadLeavesTheWindowAsItIs) {
  p.screen.readable = false;
  Tick();
  EXPECT_EQ(Caption(main_ids::lblPos), "lblPos");
  EXPECT_EQ(Fill(0), kSysWindowBackground);
  EXPECT_EQ(p.screen.cursorReads, 0);
  // Once access is granted, the next tick samples as usual.
  p.screen.readable = true;
  p.screen.cursor = {50, 60};
  Tick();
  EXPECT_EQ(Caption(main_ids::lblPos), "50, 60");
  EXPECT_EQ(Fill(12), fake::FakeScreen::Pattern(50, 60));
}

// A screen that cannot be seen yet (the desktop's sharing dialog is up, or it never sent a
// picture) shows no readouts and copies nothing, saying why, until a pass has read it. From then
// on the cells hold what was read, and copying them stays possible whatever the screen says.
TEST(UnseenScreen, ShowsAndCopiesNothingUntilAPassHasReadIt) {
  fake::FakePlatform p;
  p.screen.readable = false;
  p.screen.unseen = "Hueclip cannot see the screen yet.";
  MainWindow main{p.services};
  main.form().Show();
  auto captions = [&] {
    std::vector<std::string> texts;
    for (std::size_t id : {main_ids::lblPos, main_ids::lblHex, main_ids::lblRGB, main_ids::lblLong})
      texts.push_back(main.form().control(id).Caption());
    return texts;
  };
  const std::vector<std::string> blank(4);
  EXPECT_EQ(captions(), blank) << "at load";
  for (std::int16_t key : {kKeyA, kKeyF, kKeyD, kKeyF, kKeyC}) {
    main.form().KeyDown(key, 0);
    main.form().TimerFired(main_ids::Timer1);
    EXPECT_EQ(captions(), blank) << "after key " << key;
  }
  main.lblLong_Click();
  EXPECT_EQ(p.clipboard.attempts, 0);
  EXPECT_EQ(p.clipboard.text, "what the user had copied");
  EXPECT_EQ(p.toolkit.messages,
            std::vector<std::string>(2, p.screen.unseen + std::string(kNothingSeenToCopy)));

  p.screen.readable = true;
  p.screen.cursor = {50, 60};
  main.form().TimerFired(main_ids::Timer1);
  const std::vector<std::string> read = captions();
  EXPECT_EQ(read[0], "50, 60");
  p.screen.unseen = "Hueclip can no longer see the screen.";
  main.form().KeyDown(kKeyF, 0);
  main.form().KeyDown(kKeyC, 0);
  EXPECT_EQ(captions(), read);
  EXPECT_EQ(p.clipboard.text, "Pos: " + read[0] + "\r\nHex: " + read[1] + "\r\nRGB: " + read[2] +
                                  "\r\nLong: " + read[3]);
  EXPECT_EQ(p.toolkit.messages.size(), 2u);
}

TEST_F(PickerTest, KeysBeforeTheFirstTickShowTheUnsampledCell) {
  Key(kKeyA);
  EXPECT_EQ(Caption(main_ids::lblPos), "0, 0");
  EXPECT_EQ(Caption(main_ids::lblHex), "#050000");
  EXPECT_EQ(Caption(main_ids::lblRGB), "5 0 0");
  EXPECT_EQ(Caption(main_ids::lblLong), "-2147483643");
}

TEST_F(PickerTest, ABusyClipboardKeepsEverythingAndSaysNothingWasCopied) {
  p.screen.cursor = {100, 200};
  Tick();
  Key(kKeyF);
  Key(kKeyD);
  p.clipboard.refuse = true;
  Key(kKeyC);
  main.lblHex_Click();
  EXPECT_EQ(p.clipboard.text, "what the user had copied");
  ASSERT_EQ(p.toolkit.messages.size(), 2u);
  EXPECT_EQ(p.toolkit.messages[0], kNothingCopied);
  // The key press still finished: state, highlight and readouts as after a good copy.
  EXPECT_TRUE(main.picker().Frozen);
  EXPECT_EQ(Sel(), 13);
  EXPECT_EQ(Border(13), kSelectedBorder);
  EXPECT_EQ(Caption(main_ids::lblLong), std::to_string(fake::FakeScreen::Pattern(101, 200)));
  // Once the clipboard is free again, copying works.
  p.clipboard.refuse = false;
  main.lblPos_Click();
  EXPECT_EQ(p.clipboard.text, "100, 200");
}

TEST_F(PickerTest, AClipboardEmptiedButRefusingTheTextSaysItIsEmpty) {
  p.clipboard.refuseText = true;
  Key(kKeyC);
  main.lblRGB_Click();
  EXPECT_EQ(p.clipboard.text, "");
  EXPECT_EQ(p.toolkit.messages, (std::vector<std::string>{std::string(kClipboardEmptied),
                                                          std::string(kClipboardEmptied)}));
  EXPECT_EQ(Sel(), kCentreCell);
}

TEST_F(PickerTest, CaptionLabelsCellsAndBackgroundDoNothing) {
  for (std::size_t id : {main_ids::Label4, main_ids::Label7, main_ids::pix0, main_ids::pix0 + 12,
                         main_ids::kCount}) {
    main.form().Clicked(id);
  }
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
