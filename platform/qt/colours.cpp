#include "platform/qt/colours.h"

namespace hueclip::qt {

QPalette::ColorRole RoleOfSystemColour(int index) {
  switch (index) {
    case 2:   // active caption
    case 13:  // highlight
    case 27:  // active caption gradient
    case 29:  // menu highlight
      return QPalette::Highlight;
    case 9:   // caption text
    case 14:  // highlight text
      return QPalette::HighlightedText;
    case 0:   // scroll bar
    case 3:   // inactive caption
    case 12:  // application workspace
    case 28:  // inactive caption gradient
      return QPalette::Mid;
    case 1:   // desktop
    case 16:  // button shadow
      return QPalette::Dark;
    case 5:  // window background
      return QPalette::Base;
    case 6:   // window frame
    case 21:  // 3D dark shadow
      return QPalette::Shadow;
    case 7:   // menu text
    case 19:  // inactive caption text
      return QPalette::WindowText;
    case 8:  // window text
      return QPalette::Text;
    case 15:  // button face
      return QPalette::Button;
    case 17:  // grey text
      return QPalette::PlaceholderText;
    case 18:  // button text
      return QPalette::ButtonText;
    case 20:  // button highlight
      return QPalette::Light;
    case 22:  // 3D light
      return QPalette::Midlight;
    case 23:  // tooltip text
      return QPalette::ToolTipText;
    case 24:  // tooltip background
      return QPalette::ToolTipBase;
    case 26:  // hot-tracked item
      return QPalette::Link;
    default:  // menu, borders, menu bar and anything unknown
      return QPalette::Window;
  }
}

QColor Resolve(Colour colour, const QPalette& palette) {
  if (IsSystemColour(colour)) return palette.color(RoleOfSystemColour(SystemColourIndex(colour)));
  return QColor(RedOf(colour), GreenOf(colour), BlueOf(colour));
}

}  // namespace hueclip::qt
