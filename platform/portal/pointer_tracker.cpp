#include "platform/portal/pointer_tracker.h"

namespace hueclip::portal {

// A monitor's new report replaces what it said before. When the pointer goes from one monitor
// to another, the one it went to may tell first; the one it left then says nothing new.
void PointerTracker::Update(int monitor, const PointerReport& report) {
  if (on_.monitor == monitor) on_ = {};
  if (edge_.monitor == monitor) edge_ = {};
  const Sighting seen{monitor, report.x, report.y};
  if (report.where == PointerReport::Where::kOn) on_ = seen;
  if (report.where == PointerReport::Where::kOnFarEdge) edge_ = seen;
}

Point PointerTracker::At(const std::vector<PixelRect>& rects) const {
  const Sighting& s = Newest();
  const PixelRect& r = rects[static_cast<std::size_t>(s.monitor)];
  return {static_cast<std::int32_t>(r.left + s.x), static_cast<std::int32_t>(r.top + s.y)};
}

}  // namespace hueclip::portal
