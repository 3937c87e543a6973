#pragma once

#include <cstdint>
#include <vector>

#include "platform/pixel_rect.h"

namespace hueclip::portal {

// No desktop reaches this far, in layout units or in pixels: ten 8K monitors side by side span
// 76,800 pixels. Positions and sizes beyond it come from a buggy or hostile portal or
// compositor; within it, every sum of a place, a size and an offset stays far inside 32 bits.
constexpr std::int64_t kDesktopLimit = 1'000'000;
constexpr bool WithinDesktop(std::int64_t v) { return v >= -kDesktopLimit && v <= kDesktopLimit; }

// What is known of one monitor's stream: its place and size in the desktop's layout, as the
// screen-cast portal tells them, and the size of its frames in pixels, once negotiated. The
// portal need not tell either (KDE's tells monitors' sizes only).
struct MonitorGeometry {
  std::int32_t x = 0, y = 0;                       // top-left in the layout
  std::int32_t layoutWidth = 0, layoutHeight = 0;  // 0 when the portal did not say
  std::int32_t pixelWidth = 0, pixelHeight = 0;    // 0 until the stream has a format
  bool placed = true;                              // false when the portal gave no position
};

// Places the monitors' frames in screen pixels. A monitor keeps its frame size, so every pixel
// of it stays one screen pixel; its top-left is its layout position times the largest ratio of
// frame pixels to layout units among the monitors (rounded). On a desktop whose monitors share
// one scale this tiles them edge to edge exactly as the layout does, at any scale; a monitor
// with a smaller scale than the largest leaves a gap (black) to its right and below.
// Where the monitors are is not known when the portal left out a position, when the frames
// would overlap (a stream of the whole workspace beside a monitor's, or mirrored monitors), or
// when a frame would lie beyond kDesktopLimit (a scale gone wild): then
// only the frame of monitor `pointed`, the one that has the pointer, is placed, at (0, 0), and the
// others hold no pixels.
std::vector<PixelRect> PlaceMonitors(const std::vector<MonitorGeometry>& monitors,
                                     int pointed = -1);

// The index of the monitor whose frame holds the screen pixel (x, y), or -1 when none does.
int MonitorAt(const std::vector<PixelRect>& rects, std::int64_t x, std::int64_t y);

}  // namespace hueclip::portal
