#include "platform/portal/monitor_layout.h"

#include <algorithm>
#include <cmath>

namespace hueclip::portal {

namespace {

bool InsideDesktop(const MonitorRect& r) {
  return WithinDesktop(r.left) && WithinDesktop(r.top) && WithinDesktop(r.left + r.width) &&
         WithinDesktop(r.top + r.height);
}

bool Overlap(const MonitorRect& a, const MonitorRect& b) {
  return a.width > 0 && a.height > 0 && b.width > 0 && b.height > 0 && a.left < b.left + b.width &&
         b.left < a.left + a.width && a.top < b.top + b.height && b.top < a.top + a.height;
}

}  // namespace

std::vector<MonitorRect> PlaceMonitors(const std::vector<MonitorGeometry>& monitors, int pointed) {
  double scale = 0;
  for (const MonitorGeometry& m : monitors) {
    if (m.layoutWidth > 0 && m.pixelWidth > 0)
      scale = std::max(scale, static_cast<double>(m.pixelWidth) / m.layoutWidth);
  }
  if (scale == 0) scale = 1;
  std::vector<MonitorRect> rects;
  rects.reserve(monitors.size());
  for (const MonitorGeometry& m : monitors) {
    rects.push_back(
        {std::llround(m.x * scale), std::llround(m.y * scale), m.pixelWidth, m.pixelHeight});
  }
  bool known = true;
  for (std::size_t i = 0; i < monitors.size(); ++i) {
    known = known && monitors[i].placed && InsideDesktop(rects[i]);
    for (std::size_t j = 0; j < i; ++j) known = known && !Overlap(rects[i], rects[j]);
  }
  if (known) return rects;
  for (std::size_t i = 0; i < rects.size(); ++i)
    rects[i] = static_cast<int>(i) == pointed ? MonitorRect{0, 0, rects[i].width, rects[i].height}
                                              : MonitorRect{};
  return rects;
}

int MonitorAt(const std::vector<MonitorRect>& rects, std::int64_t x, std::int64_t y) {
  for (std::size_t i = 0; i < rects.size(); ++i)
    if (rects[i].Contains(x, y)) return static_cast<int>(i);
  return -1;
}

}  // namespace hueclip::portal
