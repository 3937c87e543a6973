// The program under test as both acceptance suites drive it, whatever carries the pointer, the
// keys and the clipboard (XTest and X selections, or mutter's RemoteDesktop and wl-paste): its
// process, its main window, and the scenarios that both suites run on it.
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "picker_window.h"
#include "x_driver.h"

namespace acceptance {

using ScreenFn = std::function<int(int, int)>;
using Points = std::vector<std::pair<int, int>>;

class PickerDriver {
 public:
  virtual ~PickerDriver() { End(); }

  // The X server that shows the main window, and what moves the pointer and presses keys.
  virtual XDriver& X() = 0;
  virtual Input& In() = 0;
  // The main window's client area.
  virtual Image Shot() { return X().GrabWindow(main_); }
  // The clipboard's text, or "(empty)".
  virtual std::string ClipboardText() = 0;
  // Waits until keys reach the main window again after a clipboard read.
  virtual void Settle() {}

  // Starts the program (argv, with each "NAME=VALUE" of env set), waits for its main window on
  // X() and moves it there so that its client area starts at about (x, y).
  void Start(const std::vector<std::string>& argv, const std::vector<std::string>& env, int x,
             int y);
  // Ends the program, if it runs.
  void End();
  // Whether the program has ended by itself within timeout; ExitStatus() then says how.
  bool Ended(Millis timeout = kPatience);
  // "exit N" or "signal N".
  std::string ExitStatus() const;

  void MovePointer(int x, int y) { In().MovePointer(x, y); }
  void Key(unsigned long keysym, const Keys& modifiers = {}) { In().Key(keysym, modifiers); }
  // A click at (cx, cy) of the main window's client area.
  void ClickAt(int cx, int cy) { In().Click(Client().x + cx, Client().y + cy); }
  // The clipboard text, byte for byte, once action has changed it; "(no copy)" if it did not.
  // Consecutive copies in the tests differ, so that each one shows as a change.
  std::string CopiedBy(const std::function<void()>& action);

  Rect Client() { return X().ClientRect(main_); }
  std::string Title() { return X().Title(main_); }
  bool WaitTitle(const std::string& t) {
    return X().Poll([&] { return Title() == t; });
  }
  // Waits until the cells show block; returns what differed when they never did.
  std::string WaitForBlock(const std::vector<int>& block);

  // At each point, the cells show the block around it with the centre cell selected, and C
  // copies its readouts when copy is set.
  void CellsAt(const ScreenFn& screen, const Points& points, bool copy = false);
  // F (with modifiers) at (x0, y0) freezes the cells and the title; a move to (x1, y1) changes
  // nothing, and C copies the readouts of (x0, y0); F again resumes, and the cells follow.
  void FreezeAndResume(const ScreenFn& screen, const Keys& modifiers, int x0, int y0, int x1,
                       int y1);

  struct Step {
    unsigned long key;
    Keys modifiers;
    int selected;  // afterwards
    bool copy;     // check C and a click on each value label there
  };
  // Freezes the cells over (px, py), takes the pointer away, and walks the selection with the
  // steps: the selected cell's border alone is magenta, the cells stay, and the copies give the
  // selected cell's readouts (C first bare, then with Ctrl).
  void WalkSelection(const ScreenFn& screen, int px, int py, const std::vector<Step>& steps);

  Window main_ = 0;
  pid_t pid_ = -1;
  int status_ = 0;
};

}  // namespace acceptance
