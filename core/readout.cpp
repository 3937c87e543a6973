#include "core/readout.h"

#include <cstdint>

#include "core/number_text.h"

namespace hueclip {

double HexToValue(std::string& text) {
  if (!text.empty() && text.front() == '#') text.erase(0, 1);
  double sum = 0.0;
  double weight = 1.0;
  for (auto it = text.rbegin(); it != text.rend(); ++it, weight *= 16.0) {
    const int code = static_cast<unsigned char>(*it);
    int digit;
    if (code < 64) {
      digit = (code >= '0' && code <= '9') ? code - '0' : 0;
    } else {
      digit = code - 55;
    }
    sum += weight * digit;
  }
  return sum;
}

Readouts FormatReadouts(Point cursor, Colour colour) {
  // h holds the low 24 bits as digit pairs in the order blue, green, red.
  const std::string padded = "000000" + HexText(colour);
  const std::string h = padded.substr(padded.size() - 6);
  std::string red = h.substr(4, 2), green = h.substr(2, 2), blue = h.substr(0, 2);

  Readouts r;
  r.pos = DecimalText(cursor.x) + ", " + DecimalText(cursor.y);
  r.hex = "#" + red + green + blue;
  // The components are whole numbers from 0 to 255, written without a fraction.
  r.rgb = DecimalText(static_cast<std::int64_t>(HexToValue(red))) + " " +
          DecimalText(static_cast<std::int64_t>(HexToValue(green))) + " " +
          DecimalText(static_cast<std::int64_t>(HexToValue(blue)));
  r.lng = DecimalText(colour);
  return r;
}

}  // namespace hueclip
