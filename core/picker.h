#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/services.h"
#include "platform/window.h"

namespace hueclip {

inline constexpr int kCellCount = 25;
inline constexpr std::int16_t kCentreCell = 12;
inline constexpr Colour kSelectedBorder = 0xFF00FF;  // magenta
inline constexpr Colour kUnselectedBorder = 0;

// Key codes of the commands (Windows virtual-key codes).
enum KeyCommand : std::int16_t {
  kKeyA = 65,  // selection left
  kKeyC = 67,  // copy all readouts
  kKeyD = 68,  // selection right
  kKeyF = 70,  // freeze / resume
  kKeyS = 83,  // selection down
  kKeyW = 87,  // selection up
};

inline constexpr std::string_view kLiveTitle = "Hueclip";
inline constexpr std::string_view kFrozenTitle = "-Frozen-";
inline constexpr std::string_view kNothingCopied =
    "Nothing was copied: another program is using the clipboard.\n"
    "What it held is unchanged. Try again in a moment.";
inline constexpr std::string_view kClipboardEmptied =
    "Nothing was copied: the clipboard was emptied, then refused the text.\n"
    "It is empty now. Try again in a moment.";
// Follows the screen's own sentence on why it cannot be seen.
inline constexpr std::string_view kNothingSeenToCopy =
    "\nNothing was copied: the clipboard keeps what it held.";

// The main window's controls the picker works on. The cells are the only store of the sampled
// colours and the value labels the only store of the readout texts.
struct PickerControls {
  Window& form;
  std::array<Control*, kCellCount> pix;
  Control& lblPos;
  Control& lblHex;
  Control& lblRGB;
  Control& lblLong;
  Control& Timer1;
};

// The picker: its state, the sampling pass, the readouts and the key commands.
class Picker {
 public:
  Picker(const PickerControls& controls, Services& services);

  void Form_Load();
  void Timer1_Timer();
  void Form_KeyDown(std::int16_t KeyCode, std::int16_t Shift);
  // While nothing has been read from a screen that cannot be seen, the value labels are
  // emptied: the cells hold no colour of the screen, and no position was read.
  void UpdateReadout();
  // Replaces the clipboard's contents with `text`; when that fails, leaves the picker as it was
  // and tells the user, saying whether the clipboard kept what it held or was left empty. While
  // nothing has been read from a screen that cannot be seen, copies nothing and says why.
  void CopyText(std::string_view text);

  std::int16_t SelIndex = 0;
  Point CursorPos;
  bool Frozen = false;

 private:
  bool CopyAll();
  bool Copy(std::string_view text);
  void TellNothingCopied();
  // Why the cells show nothing of the screen: empty once a pass has read it, and until then
  // wherever the screen can be seen.
  std::string WhyUnseen() const;

  PickerControls c_;
  Services* services_;
  bool sampled_ = false;  // a pass has read the screen into the cells
};

}  // namespace hueclip
