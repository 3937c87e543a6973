#include "platform/portal/monitor_layout.h"

#include <algorithm>
#include <cmath>

namespace hueclip::portal {

std::vector<PixelRect> PlaceMonitors(const std::vector<MonitorGeometry>& monitors) {
  double scale = 0;
  for (const MonitorGeometry& m : monitors) {
    if (m.layoutWidth > 0 && m.pixelWidth > 0)
      scale = std::max(scale, static_cast<double>(m.pixelWidth) / m.layoutWidth);
  }
  if (scale == 0) scale = 1;
  std::vector<PixelRect> rects;
  rects.reserve(monitors.size());
  for (const MonitorGeometry& m : monitors) {
    rects.push_back(
        {std::llround(m.x * scale), std::llround(m.y * scale), m.pixelWidth, m.pixelHeight});
  }
  return rects;
}

int MonitorAt(const std::vector<PixelRect>& rects, std::int64_t x, std::int64_t y) {
  for (std::size_t i = 0; i < rects.size(); ++i)
    if (rects[i].Contains(x, y)) return static_cast<int>(i);
  return -1;
}

}  // namespace hueclip::portal
