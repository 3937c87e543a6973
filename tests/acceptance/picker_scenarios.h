// The program's main window as both acceptance suites drive it, whatever carries the pointer,
// the keys and the clipboard (XTest and X selections, or mutter's RemoteDesktop and wl-paste),
// and the scenarios that both suites run on it.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "picker_window.h"
#include "x_driver.h"

namespace acceptance {

using Keys = std::vector<unsigned long>;
using ScreenFn = std::function<int(int, int)>;

class PickerDriver {
 public:
  virtual ~PickerDriver() = default;

  // The X server that shows the main window.
  virtual XDriver& X() = 0;
  virtual void MovePointer(int x, int y) = 0;
  // Presses and releases the key of keysym while the modifier keys are held.
  virtual void Key(unsigned long keysym, const Keys& modifiers = {}) = 0;
  // A click at (cx, cy) of the main window's client area.
  virtual void ClickAt(int cx, int cy) = 0;
  // The main window's client area.
  virtual Image Shot() = 0;
  // The clipboard text, byte for byte, once action has changed it; "(no copy)" if it did not.
  virtual std::string CopiedBy(const std::function<void()>& action) = 0;
  // What C copies for the readouts r.
  virtual std::string CopyAllText(const std::vector<std::string>& r) { return CopyAll(r); }

  Rect Client() { return X().ClientRect(main_); }
  std::string Title() { return X().Title(main_); }
  bool WaitTitle(const std::string& t) {
    return X().Poll([&] { return Title() == t; }, 2s);
  }
  // Waits until the cells show block; returns what differed when they never did.
  std::string WaitForBlock(const std::vector<int>& block);

  // F (with modifiers) at (x0, y0) freezes the cells and the title; a move to (x1, y1) changes
  // nothing; F again resumes, and the cells follow the pointer.
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
};

}  // namespace acceptance
