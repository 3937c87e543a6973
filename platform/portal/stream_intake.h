#pragma once

#include <spa/buffer/buffer.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/portal/frame_pixels.h"
#include "platform/portal/pointer_tracker.h"

namespace hueclip::portal {

// What a monitor's stream keeps of the buffers the compositor sends it: the newest picture; the
// pointer's position is passed on as each buffer gives it. Every buffer can go back to the
// compositor as soon as Take has read it. Buffers that carry only the pointer come between pictures
// whenever the pointer moves over a still screen, and mutter 43 drops such updates once the client
// holds a buffer, so none is held: a picture is copied when it comes, once, into memory that the
// next picture of the same size reuses, and a pointer update costs the same on any size of monitor.
class StreamIntake {
 public:
  // `onPointer` is told what each buffer's cursor data says of the pointer: on this monitor
  // only at a position inside its frame or at its far edge.
  explicit StreamIntake(std::function<void(const PointerReport&)> onPointer)
      : onPointer_(std::move(onPointer)) {}

  // The frames' size and byte order, as agreed with the compositor; forgets the picture.
  void SetFormat(int width, int height, PixelOrder order);
  // Reads one buffer from the compositor.
  void Take(const spa_buffer& buffer);
  // Forgets the picture and gives its memory back.
  void Forget();

  // The newest picture since the format was set or the picture forgotten; empty before.
  const FrameView& Frame() const { return frame_; }
  int Width() const { return width_; }
  int Height() const { return height_; }

 private:
  void ReadCursor(const spa_buffer& buffer);

  std::function<void(const PointerReport&)> onPointer_;
  int width_ = 0, height_ = 0;
  PixelOrder order_ = PixelOrder::kBgrx;
  std::vector<std::uint8_t> copy_;
  FrameView frame_;  // in copy_
};

}  // namespace hueclip::portal
