#pragma once

#include <cstdint>
#include <span>

#include "platform/colour.h"

namespace hueclip {

// Positions and sizes in twips, from the top-left corner of the window's client area.
struct TwipsRect {
  int left, top, width, height;
};

enum class ControlKind : std::uint8_t {
  Label,    // caption, colours, alignment, optional flat border, click event
  Button,   // push button with a caption and a click event
  Cell,     // filled rectangle: interior in the fill colour, 1 px border in the border colour
  TextBox,  // multi-line, read-only, no scroll bars
  Timer,    // not visible; ticks every Interval milliseconds once the interval is set
};

enum class Align : std::uint8_t { Left, Right, Centre };
enum class Pointer : std::uint8_t { Default, Hand };
enum class Frame : std::uint8_t { Sizable, FixedDialog };

struct FontDesc {
  const char* face;  // the backend picks a fixed-pitch stand-in when this face is missing
  double points;
  int weight;
};

// One control as it stands when its window is built. Nothing here changes at run time; the
// properties that do change (caption, fill colour, border colour, interval) start from it.
struct ControlDesc {
  ControlKind kind;
  const char* name;
  int index = -1;  // index within a control array, -1 outside one
  TwipsRect rect{};
  const char* caption = "";  // label and button caption, text box text
  Colour back = kSysButtonFace;
  Colour fore = kSysButtonText;
  Colour fill = 0;
  Colour border = 0;
  Align align = Align::Left;
  bool bordered = false;  // labels: flat 1 px line; text box: the standard sunken edge
  int tabIndex = -1;      // -1 for controls outside the tab order
  Pointer pointer = Pointer::Default;
  const FontDesc* font = nullptr;  // nullptr: the toolkit's default interface font
};

// A window as it stands when built. Every window carries the program's icon.
struct WindowDesc {
  const char* name;
  const char* title;
  int clientWidth, clientHeight;  // twips
  Frame frame;
  bool taskbarButton;
  Colour back;
  std::span<const ControlDesc> controls;
};

}  // namespace hueclip
