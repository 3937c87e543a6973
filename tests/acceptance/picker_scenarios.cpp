// GoogleTest comes before Xlib, whose None macro it would otherwise meet.
#include <gtest/gtest.h>

#include "picker_scenarios.h"

#include <X11/keysym.h>
#include <sys/wait.h>

namespace acceptance {

void PickerDriver::Start(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                         int x, int y) {
  End();
  pid_ = Spawn(argv, env);
  main_ = X().WaitFor("Hueclip");
  ASSERT_NE(main_, 0u) << "no window titled Hueclip appeared";
  X().Move(main_, x, y);
  // The window manager may put a frame round it: its client area is then a little lower.
  ASSERT_TRUE(X().Poll([&] {
    return Client().x == x && Client().y - y >= 0 && Client().y - y < 30;
  })) << "the window manager did not move the main window";
}

void PickerDriver::End() {
  KillGroup(pid_);
  pid_ = -1;
}

bool PickerDriver::Ended(Millis timeout) {
  return X().Poll([&] { return waitpid(pid_, &status_, WNOHANG) == pid_; }, timeout) &&
         (pid_ = -1, true);
}

std::string PickerDriver::ExitStatus() const {
  return WIFEXITED(status_) ? "exit " + std::to_string(WEXITSTATUS(status_))
                            : "signal " + std::to_string(WTERMSIG(status_));
}

std::string PickerDriver::CopiedBy(const std::function<void()>& action) {
  std::string before = ClipboardText(), now;
  Settle();
  action();
  const bool changed = X().Poll([&] { return (now = ClipboardText()) != before; });
  Settle();
  return changed ? now : "(no copy)";
}

std::string PickerDriver::WaitForBlock(const std::vector<int>& block) {
  std::string diff;
  X().Poll([&] { return (diff = BlockMismatch(Shot(), block)).empty(); });
  return diff;
}

void PickerDriver::CellsAt(const ScreenFn& screen, const Points& points, bool copy) {
  for (auto [x, y] : points) {
    SCOPED_TRACE("pointer at " + std::to_string(x) + "," + std::to_string(y));
    MovePointer(x, y);
    EXPECT_EQ(WaitForBlock(BlockAround(x, y, screen)), "");
    EXPECT_EQ(Hex(Cell(Shot(), 12, true)), Hex(kMagenta)) << "border of the selected cell";
    if (copy) {
      EXPECT_EQ(CopiedBy([&] { Key(XK_c); }), CopyAll(ReadoutsFor(x, y, screen(x, y))));
    }
  }
}

void PickerDriver::FreezeAndResume(const ScreenFn& screen, const Keys& modifiers, int x0, int y0,
                                   int x1, int y1) {
  SCOPED_TRACE("F with " + std::to_string(modifiers.size()) + " modifier(s)");
  MovePointer(x0, y0);
  ASSERT_EQ(WaitForBlock(BlockAround(x0, y0, screen)), "");
  Key(XK_f, modifiers);
  EXPECT_TRUE(WaitTitle("-Frozen-")) << Title();
  MovePointer(x1, y1);
  X().Sleep(500ms);
  EXPECT_EQ(BlockMismatch(Shot(), BlockAround(x0, y0, screen)), "") << "cells changed while frozen";
  EXPECT_EQ(CopiedBy([&] { Key(XK_c); }), CopyAll(ReadoutsFor(x0, y0, screen(x0, y0))));
  EXPECT_EQ(Title(), "-Frozen-");
  Key(XK_f, modifiers);
  EXPECT_TRUE(WaitTitle("Hueclip")) << Title();
  EXPECT_EQ(WaitForBlock(BlockAround(x1, y1, screen)), "") << "cells do not follow after resuming";
}

void PickerDriver::WalkSelection(const ScreenFn& screen, int px, int py,
                                 const std::vector<Step>& steps) {
  const std::vector<int> block = BlockAround(px, py, screen);
  MovePointer(px, py);
  ASSERT_EQ(WaitForBlock(block), "");
  Key(XK_f);
  ASSERT_TRUE(WaitTitle("-Frozen-"));
  MovePointer(100, 400);  // clear of the main window on either desktop

  int previous = 12;
  bool first_c = true;
  for (const Step& s : steps) {
    std::string keys;
    for (unsigned long m : s.modifiers) keys += std::string(XKeysymToString(m)) + "+";
    SCOPED_TRACE(keys + XKeysymToString(s.key) + " to cell " + std::to_string(s.selected));
    Key(s.key, s.modifiers);
    std::string state;
    bool ok = X().Poll([&] {
      Image img = Shot();
      int now = Cell(img, s.selected, true), before = Cell(img, previous, true);
      state = "border " + Hex(now) + ", previous cell's border " + Hex(before);
      return now == kMagenta && (previous == s.selected || before == kBlack) &&
             BlockMismatch(img, block).empty();
    });
    EXPECT_TRUE(ok) << state << BlockMismatch(Shot(), block);
    previous = s.selected;
    if (!s.copy) continue;

    std::vector<std::string> r = ReadoutsFor(px, py, block[static_cast<size_t>(s.selected)]);
    EXPECT_EQ(CopiedBy([&] { Key(XK_c, first_c ? Keys{} : Keys{XK_Control_L}); }), CopyAll(r));
    first_c = false;
    for (size_t i = 0; i < 4; ++i)
      EXPECT_EQ(CopiedBy([&] { ClickAt(73, kLabelTop[i] + 8); }), r[i]) << "value label " << i;
  }
  EXPECT_EQ(Title(), "-Frozen-");
}

}  // namespace acceptance
