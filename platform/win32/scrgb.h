#pragma once

#include <cstdint>

// What an HDR desktop's pixels were before the desktop composed them. With HDR on, Windows
// composes in scRGB: linear light in the sRGB primaries, 1.0 = 80 nits, as 16-bit floats. SDR
// content is drawn there at the SDR white level the user chose (the "SDR content brightness"
// slider), so an 8-bit sRGB value v is stored as sRGB-decode(v / 255) x (white nits / 80).
// These functions undo that, for a desktop duplication's pixels and for GDI's copies of them.
// They need no Windows, so that they are tested on every system.
namespace hueclip::win32 {

// An IEEE 754 half-precision number (what R16G16B16A16_FLOAT holds) as a float.
float HalfToFloat(std::uint16_t half);

// The SDR white level in nits, from DisplayConfig's SDRWhiteLevel (thousandths of 80 nits).
double SdrWhiteNits(std::uint32_t sdrWhiteLevel);

// One channel of an scRGB pixel as the 8-bit sRGB value it was drawn with on a monitor whose SDR
// white is `whiteNits`: divided by white / 80, clamped to 0..1, encoded with the sRGB curve and
// rounded. HDR content brighter than SDR white reads 255.
std::uint8_t ScRgbToSrgb8(float value, double whiteNits);

// A pixel of an R16G16B16A16_FLOAT desktop image (red, green, blue, alpha halves) as 0x00BBGGRR.
std::int32_t ScRgbPixel(const std::uint16_t* rgba, double whiteNits);

// A pixel of a B8G8R8A8_UNORM desktop image (an SDR application flipping its own frames onto an
// HDR monitor) as 0x00BBGGRR: its 8-bit values are the ones it was drawn with.
std::int32_t Bgra8Pixel(const std::uint8_t* bgra);

// One channel of GDI's copy of an HDR desktop: the composed value clipped at scRGB 1.0 and
// sRGB-encoded, so that SDR content drawn at `whiteNits` reads too bright. Gives back the 8-bit
// value it was drawn with, exactly wherever the copy is below the clip. A copy at 255 is only
// known to be at or above the clip, and stays 255.
std::uint8_t UnclipGdi8(std::uint8_t copied, double whiteNits);

// A GDI colour (0x00BBGGRR) copied from a monitor that shows HDR, each channel given back as
// UnclipGdi8 does.
std::int32_t UnclipGdiPixel(std::int32_t colour, double whiteNits);

}  // namespace hueclip::win32
