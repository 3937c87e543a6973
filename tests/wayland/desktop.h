// The headless session as the Wayland tests and the benchmark see it: mutter's remote desktop
// and screen cast, Xwayland (where the program's windows are), and the pattern on the monitor;
// what the program's cells should show there; and the portal's permission dialog.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

#include "mutter_driver.h"
#include "x_driver.h"

namespace acceptance {

constexpr int kMagenta = 0xFF00FF, kBlack = 0;
// Cells of the main window (left and top of each column and row, 16 x 16 with the border).
constexpr int kColLeft[5] = {13, 32, 51, 70, 89};
constexpr int kRowTop[5] = {5, 23, 42, 60, 79};
// Where the main window's client area is put: in the monitor's right half, clear of the places
// that the tests sample and of the permission dialog's parts that are looked at.
constexpr int kWindowX = 500, kWindowY = 230;

// What the monitor shows at (x, y): the pattern, black beyond the monitor's edges.
int ScreenAt(int x, int y);
// The 25 pixels around (x, y), row by row.
std::vector<int> BlockAt(int x, int y);
std::string Hex(int c);
// The one colour of cell i's border (or of its 14 x 14 interior), -1 when it has several.
int Cell(const Image& img, int i, bool border);
// Empty when the cells show block; else the first differences and how many cells differ.
std::string BlockMismatch(const Image& img, const std::vector<int>& block);

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
  // Cancel. False when no dialog came up within 10 s, or it stayed.
  bool AnswerShareDialog(bool share);

 private:
  MutterDriver mutter_;
  XDriver x_;
  pid_t pattern_ = -1;
};

}  // namespace acceptance
