#pragma once

#include <string>

#include "platform/colour.h"
#include "platform/services.h"

namespace hueclip {

// The four readout texts of one cell: Pos, Hex (#RRGGBB), RGB ("R G B") and Long.
struct Readouts {
  std::string pos, hex, rgb, lng;
};

// Reads a text of hexadecimal digits (upper case), optionally after one "#", which is removed
// from `text` itself. Characters below '@' that are not digits count 0.
double HexToValue(std::string& text);

// Hex and RGB show the low 24 bits of `colour` alone, Long the whole value: a system colour
// reference a cell holds before it is first sampled reads as a negative number.
Readouts FormatReadouts(Point cursor, Colour colour);

}  // namespace hueclip
