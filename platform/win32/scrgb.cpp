#include "platform/win32/scrgb.h"

#include <cmath>

namespace hueclip::win32 {
namespace {

// Linear light (0..1) as an 8-bit value on the sRGB curve.
std::uint8_t EncodeSrgb8(double linear) {
  if (!(linear > 0)) return 0;  // NaN too
  if (linear >= 1) return 255;
  const double encoded =
      linear <= 0.0031308 ? 12.92 * linear : 1.055 * std::pow(linear, 1 / 2.4) - 0.055;
  return static_cast<std::uint8_t>(std::lround(encoded * 255));
}

double DecodeSrgb8(std::uint8_t value) {
  const double c = value / 255.0;
  return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

}  // namespace

float HalfToFloat(std::uint16_t half) {
  const int exponent = (half >> 10) & 0x1F;
  const int fraction = half & 0x3FF;
  float magnitude;
  if (exponent == 0)  // zero and subnormals: fraction x 2^-24
    magnitude = std::ldexp(static_cast<float>(fraction), -24);
  else if (exponent == 31)
    magnitude = fraction ? NAN : INFINITY;
  else
    magnitude = std::ldexp(static_cast<float>(fraction | 0x400), exponent - 25);
  return (half & 0x8000) ? -magnitude : magnitude;
}

double SdrWhiteNits(std::uint32_t sdrWhiteLevel) { return sdrWhiteLevel / 1000.0 * 80.0; }

std::uint8_t ScRgbToSrgb8(float value, double whiteNits) {
  return EncodeSrgb8(value / (whiteNits / 80.0));
}

std::int32_t ScRgbPixel(const std::uint16_t* rgba, double whiteNits) {
  std::int32_t pixel = 0;
  for (int channel = 0; channel < 3; ++channel)
    pixel |= ScRgbToSrgb8(HalfToFloat(rgba[channel]), whiteNits) << (8 * channel);
  return pixel;
}

std::int32_t Bgra8Pixel(const std::uint8_t* bgra) { return bgra[2] | bgra[1] << 8 | bgra[0] << 16; }

std::uint8_t UnclipGdi8(std::uint8_t copied, double whiteNits) {
  if (copied == 255) return 255;
  return EncodeSrgb8(DecodeSrgb8(copied) * 80.0 / whiteNits);
}

std::int32_t UnclipGdiPixel(std::int32_t colour, double whiteNits) {
  std::int32_t pixel = 0;
  for (int shift = 0; shift < 24; shift += 8)
    pixel |= UnclipGdi8(static_cast<std::uint8_t>(colour >> shift), whiteNits) << shift;
  return pixel;
}

}  // namespace hueclip::win32
