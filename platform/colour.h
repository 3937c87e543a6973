#pragma once

#include <cstdint>

namespace hueclip {

// A packed colour 0x00BBGGRR (red in the low byte), or a reference to a colour of the user's
// colour scheme: high bit set, the system colour's index in the low byte. A colour property keeps
// whatever was set; only drawing resolves a reference to a real colour.
using Colour = std::int32_t;

constexpr Colour SystemColour(int index) {
  return static_cast<Colour>(0x80000000u | static_cast<std::uint32_t>(index));
}

// The system colour indexes are those of the Windows colour scheme (COLOR_WINDOW and so on).
inline constexpr Colour kSysWindowBackground = SystemColour(5);
inline constexpr Colour kSysWindowText = SystemColour(8);
inline constexpr Colour kSysButtonFace = SystemColour(15);
inline constexpr Colour kSysButtonText = SystemColour(18);

constexpr bool IsSystemColour(Colour c) { return c < 0; }
constexpr int SystemColourIndex(Colour c) { return static_cast<int>(c & 0xFF); }

constexpr int RedOf(Colour c) { return c & 0xFF; }
constexpr int GreenOf(Colour c) { return (c >> 8) & 0xFF; }
constexpr int BlueOf(Colour c) { return (c >> 16) & 0xFF; }
constexpr Colour PackRgb(int r, int g, int b) { return r | (g << 8) | (b << 16); }

}  // namespace hueclip
