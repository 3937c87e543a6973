#include "platform/portal/pointer_tracker.h"

namespace hueclip::portal {

void PointerTracker::Update(int monitor, const PointerReport& report) {
  if (report.onMonitor) {
    monitor_ = monitor;
    x_ = report.x;
    y_ = report.y;
  } else if (monitor == monitor_) {
    // It left this monitor, and no shared one has it (yet): where it is cannot be read. The
    // monitor it went to may have told first; then this says nothing new.
    monitor_ = -1;
  }
}

Point PointerTracker::At(const std::vector<PixelRect>& rects) const {
  const PixelRect& r = rects[static_cast<std::size_t>(monitor_)];
  return {static_cast<std::int32_t>(r.left + x_), static_cast<std::int32_t>(r.top + y_)};
}

}  // namespace hueclip::portal
