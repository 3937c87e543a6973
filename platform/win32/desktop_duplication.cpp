#include "platform/win32/desktop_duplication.h"

namespace hueclip::win32 {

Point ImagePoint(Point p, std::int32_t width, std::int32_t height, Rotation rotation) {
  switch (rotation) {
    case Rotation::k90:
      return {p.y, width - 1 - p.x};
    case Rotation::k180:
      return {width - 1 - p.x, height - 1 - p.y};
    case Rotation::k270:
      return {height - 1 - p.y, p.x};
    case Rotation::kNone:
      break;
  }
  return p;
}

}  // namespace hueclip::win32
