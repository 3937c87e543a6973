#pragma once

#include <cstdint>
#include <vector>

#include "platform/portal/monitor_layout.h"
#include "platform/services.h"

namespace hueclip::portal {

// What one buffer's cursor data tells of the pointer, (x, y) being a pixel of the buffer's
// monitor.
struct PointerReport {
  enum class Where {
    kElsewhere,  // not on this monitor: on another one, maybe one not shared, or hidden
    kOn,         // on this monitor, at (x, y)
    // On this monitor's last column or row, at (x, y): the compositor rounds the position, and
    // past the middle of the last pixel it says the frame's width or height. A neighbour's first
    // column or row rounds to the same place, so a neighbour that has the pointer on itself
    // comes first.
    kOnFarEdge,
  };
  Where where = Where::kElsewhere;
  std::int32_t x = 0, y = 0;
};

// Where the pointer is, from the cursor data that the monitors' streams send with their
// buffers, taken in the order they come. Every monitor's stream tells on every move.
class PointerTracker {
 public:
  // The cursor data of the stream of `monitor`.
  void Update(int monitor, const PointerReport& report);
  // Forgets where it was: the streams were paused or lost, and it may have moved meanwhile.
  void Forget() { on_ = edge_ = {}; }

  // The monitor that has the pointer; -1 when that is not known.
  int Monitor() const { return Newest().monitor; }
  // The pointer in screen pixels, the monitors being placed at `rects`; only while Monitor()
  // is not -1.
  Point At(const std::vector<PixelRect>& rects) const;

 private:
  struct Sighting {
    int monitor = -1;
    std::int32_t x = 0, y = 0;
  };
  const Sighting& Newest() const { return on_.monitor >= 0 ? on_ : edge_; }

  Sighting on_;    // the newest report of a monitor that has the pointer inside its frame
  Sighting edge_;  // the newest of one that has it at its far edge
};

}  // namespace hueclip::portal
