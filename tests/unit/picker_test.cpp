#include <gtest/gtest.h>

#include <string>

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

TEST_F(PickerTest, LoadSetsTheStartStateAndSamplesNothing) {
  EXPECT_EQ(main.form().control(main_ids::Timer1).Interval(), 100);
  EXPECT_EQ(Sel(), 12);
  EXPECT_FALSE(main.picker().Frozen);
  EXPECT_TRUE(main.form().KeyPreview());
  EXPECT_EQ(p.screen.Calls(), 0);
  EXPECT_EQ(Caption(main_ids::lblHex), "lblPos");
  for (int i = 0; i < 25; ++i) EXPECT_EQ(Fill(i), kSysWindowBackground);
}

TEST_F(PickerTest, CellIReadsTheBlockAroundTheCursorRowByRow) {
  for (Point at : {Point{320, 240}, Point{2, 2}, Point{637, 477}, Point{100, 7}}) {
    p.screen.cursor = at;
    p.screen.reads.clear();
    Tick();
    ASSERT_EQ(p.screen.reads.size(), 25u);
    for (int i = 0; i < 25; ++i) {
      SCOPED_TRACE(i);
      const Point want{at.x + i % 5 - 2, at.y + i / 5 - 2};
      EXPECT_EQ(p.screen.reads[i].x, want.x);
      EXPECT_EQ(p.screen.reads[i].y, want.y);
      EXPECT_EQ(Fill(i), fake::FakeScreen::Pattern(want.x, want.y));
    }
  }
  // One cursor read and one context per pass, given back at its end.
  EXPECT_EQ(p.screen.cursorReads, 4);
  EXPECT_EQ(p.screen.contextsTaken, 4);
  EXPECT_EQ(p.screen.contextsGiven, 4);
}

TEST_F(PickerTest, UnreadablePixelsAtTheCornersTurnBlack) {
  p.screen.pixel = [](std::int32_t, std::int32_t) { return Colour{0x00808080}; };
  p.screen.cursor = {0, 0};
  Tick();
  for (int i = 0; i < 25; ++i) {
    const bool onScreen = i % 5 >= 2 && i / 5 >= 2;
    EXPECT_EQ(Fill(i), onScreen ? 0x00808080 : 0) << i;
  }
  p.screen.cursor = {639, 479};
  Tick();
  for (int i = 0; i < 25; ++i) {
    const bool onScreen = i % 5 <= 2 && i / 5 <= 2;
    EXPECT_EQ(Fill(i), onScreen ? 0x00808080 : 0) << i;
  }
  EXPECT_EQ(Caption(main_ids::lblPos), "639, 479");
}

TEST_F(PickerTest, ATickRefreshesTheReadoutsOfTheSelectedCell) {
  p.screen.pixel = [](std::int32_t x, std::int32_t y) {
    return x == 640 && y == 480 ? Colour{0x00563412} : Colour{0};
  };
  p.screen.width = 1280;
  p.screen.height = 960;
  p.screen.cursor = {640, 480};
  Tick();
  EXPECT_EQ(Caption(main_ids::lblPos), "640, 480");
  EXPECT_EQ(Caption(main_ids::lblHex), "#123456");
  EXPECT_EQ(Caption(main_ids::lblRGB), "18 52 86");
  EXPECT_EQ(Caption(main_ids::lblLong), "5649426");
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

TEST_F(PickerTest, AFrozenTickChangesNothingAndCallsNothing) {
  p.screen.cursor = {50, 60};
  Tick();
  Key(kKeyF);
  const int calls = p.screen.Calls();
  const std::string hex = Caption(main_ids::lblHex);
  p.screen.cursor = {400, 300};
  Tick();
  Tick();
  EXPECT_EQ(p.screen.Calls(), calls);
  EXPECT_EQ(main.picker().CursorPos.x, 50);
  EXPECT_EQ(Caption(main_ids::lblPos), "50, 60");
  EXPECT_EQ(Caption(main_ids::lblHex), hex);
  EXPECT_EQ(Fill(0), fake::FakeScreen::Pattern(48, 58));
}

TEST_F(PickerTest, SelectionMovesWrapAndMoveTheHighlight) {
  struct Move {
    std::int16_t from, key, to;
  };
  const Move moves[] = {
      {0, kKeyW, 20}, {0, kKeyS, 5},   {0, kKeyA, 24},  {0, kKeyD, 1},   {2, kKeyW, 22},
      {2, kKeyA, 1},  {4, kKeyW, 24},  {4, kKeyS, 9},   {4, kKeyD, 5},   {5, kKeyW, 0},
      {5, kKeyA, 4},  {12, kKeyW, 7},  {12, kKeyS, 17}, {12, kKeyA, 11}, {12, kKeyD, 13},
      {20, kKeyS, 0}, {20, kKeyA, 19}, {22, kKeyS, 2},  {22, kKeyD, 23}, {24, kKeyW, 19},
      {24, kKeyS, 4}, {24, kKeyA, 23}, {24, kKeyD, 0},
  };
  for (const Move& m : moves) {
    SCOPED_TRACE(std::to_string(m.from) + " key " + std::to_string(m.key));
    main.picker().SelIndex = m.from;
    Key(m.key);
    EXPECT_EQ(Sel(), m.to);
    EXPECT_EQ(Border(m.to), kSelectedBorder);
    EXPECT_EQ(Border(m.from), kUnselectedBorder);
  }
}

TEST_F(PickerTest, FullCyclesReturnHome) {
  for (std::int16_t key : {kKeyD, kKeyA}) {
    for (int i = 0; i < 25; ++i) Key(key);
    EXPECT_EQ(Sel(), 12);
  }
  for (std::int16_t key : {kKeyW, kKeyS}) {
    for (int i = 0; i < 5; ++i) Key(key);
    EXPECT_EQ(Sel(), 12);
  }
}

TEST_F(PickerTest, ModifiersMakeNoDifferenceAndOtherKeysOnlyRedraw) {
  for (int shift : {0, 1, 2, 4, 1 | 2}) {  // none, Shift, Ctrl, Alt, Shift+Ctrl
    Key(kKeyD, static_cast<std::int16_t>(shift));
  }
  EXPECT_EQ(Sel(), 17);
  // Q, E, an arrow key, a digit: the selection stays, the highlight is drawn on the same cell.
  for (std::int16_t code : {81, 69, 37, 49}) Key(code);
  EXPECT_EQ(Sel(), 17);
  EXPECT_EQ(Border(17), kSelectedBorder);
  EXPECT_EQ(Border(12), kUnselectedBorder);
  // Cells never selected keep their border from creation.
  EXPECT_EQ(Border(0), kSysWindowText);
}

TEST_F(PickerTest, KeysBeforeTheFirstTickShowTheUnsampledCell) {
  Key(kKeyA);
  EXPECT_EQ(Caption(main_ids::lblPos), "0, 0");
  EXPECT_EQ(Caption(main_ids::lblHex), "#050000");
  EXPECT_EQ(Caption(main_ids::lblRGB), "5 0 0");
  EXPECT_EQ(Caption(main_ids::lblLong), "-2147483643");
}

TEST_F(PickerTest, FTogglesFreezingAndTheTitle) {
  Key(kKeyF);
  EXPECT_TRUE(main.picker().Frozen);
  EXPECT_EQ(main.form().Caption(), "-Frozen-");
  Key(kKeyF);
  EXPECT_FALSE(main.picker().Frozen);
  EXPECT_EQ(main.form().Caption(), "Hueclip");
  EXPECT_EQ(p.screen.Calls(), 0);  // resuming does not sample by itself
}

TEST_F(PickerTest, FrozenSelectionWalksTheStoredBlock) {
  p.screen.cursor = {100, 200};
  Tick();
  Key(kKeyF);
  p.screen.cursor = {5, 5};
  Key(kKeyW);
  Key(kKeyA);  // cell 6: the pixel at (99, 199)
  const Colour c = fake::FakeScreen::Pattern(99, 199);
  EXPECT_EQ(Caption(main_ids::lblPos), "100, 200");
  EXPECT_EQ(Caption(main_ids::lblLong), std::to_string(c));
  EXPECT_EQ(Caption(main_ids::lblRGB), std::to_string(RedOf(c)) + " " + std::to_string(GreenOf(c)) +
                                           " " + std::to_string(BlueOf(c)));
}

TEST_F(PickerTest, CCopiesAllFourReadoutsAsShown) {
  Key(kKeyC);  // before any refresh: the captions at creation
  EXPECT_EQ(p.clipboard.text, "Pos: lblPos\r\nHex: lblPos\r\nRGB: lblPos\r\nLong: lblPos");
  p.screen.pixel = [](std::int32_t, std::int32_t) { return Colour{0x000000FF}; };
  p.screen.cursor = {100, 200};
  Tick();
  Key(kKeyC, kCtrlMask);
  EXPECT_EQ(p.clipboard.text, "Pos: 100, 200\r\nHex: #FF0000\r\nRGB: 255 0 0\r\nLong: 255");
  EXPECT_TRUE(p.toolkit.messages.empty());
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

}  // namespace
}  // namespace hueclip
