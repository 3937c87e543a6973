#pragma once

#include <cstdint>
#include <vector>

#include "platform/portal/monitor_layout.h"
#include "platform/services.h"

namespace hueclip::portal {

// What one buffer's cursor data tells of the pointer: it is on the buffer's monitor, at (x, y)
// of its pixels, or it is not (it is on another monitor, maybe one not shared, or hidden).
struct PointerReport {
  bool onMonitor = false;
  std::int32_t x = 0, y = 0;
};

// Where the pointer is, from the cursor data that the monitors' streams send with their
// buffers, taken in the order they come.
class PointerTracker {
 public:
  // The cursor data of the stream of `monitor`.
  void Update(int monitor, const PointerReport& report);
  // Forgets where it was: the streams were paused or lost, and it may have moved meanwhile.
  void Forget() { monitor_ = -1; }

  // The monitor that has the pointer; -1 when that is not known.
  int Monitor() const { return monitor_; }
  // The pointer in screen pixels, the monitors being placed at `rects`; only while Monitor()
  // is not -1.
  Point At(const std::vector<PixelRect>& rects) const;

 private:
  int monitor_ = -1;
  std::int32_t x_ = 0, y_ = 0;
};

}  // namespace hueclip::portal
