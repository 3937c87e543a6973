// The headless session as the Wayland tests and the benchmark see it: mutter's remote desktop
// and screen cast, Xwayland (where the program's windows are), and the pattern on the monitor;
// what the program's cells should show there; and the portal's permission dialog.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

#include "mutter_driver.h"
#include "picker_window.h"
#include "x_driver.h"

namespace acceptance {

// Where the main window's client area is put: in the monitor's right half, clear of the places
// that the tests sample and of the permission dialog's parts that are looked at.
constexpr int kWindowX = 500, kWindowY = 230;

// What the monitor shows at (x, y): the pattern, black beyond the monitor's edges.
int ScreenAt(int x, int y);
// The 25 pixels around (x, y), row by row.
inline std::vector<int> BlockAt(int x, int y) { return BlockAround(x, y, ScreenAt); }

class Desktop {
 public:
  ~Desktop();
  // Needs the environment of session.sh. Starts the drivers and the pattern client, and checks
  // that the monitor shows the pattern.
  bool Start(std::string* error);
  MutterDriver& mutter() { return mutter_; }
  XDriver& x() { return x_; }

  // Whether the screen-cast portal's "Screen Share" dialog is up.
  bool ShareDialogShown();
  // Answers the dialog as a user does, with clicks: the monitor's row and then Share, or
  // Cancel. With several monitors, `row` picks one row of the list (0: the first) rather than
  // the middle of the list. False when no dialog came up, or it stayed.
  bool AnswerShareDialog(bool share, int row = -1);
  // Ends PipeWire and WirePlumber, as a desktop update does, starts them again and reconnects
  // the drivers (mutter ends its screen casts when PipeWire goes).
  bool RestartPipeWire(std::string* error);

 private:
  MutterDriver mutter_;
  XDriver x_;
  pid_t pattern_ = -1;
};

}  // namespace acceptance
