#pragma once

#include <pipewire/pipewire.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/portal/frame_pixels.h"

namespace hueclip::portal {

// The stream of one monitor from the compositor, consumed on the user-interface thread: at
// most ten frames a second, in CPU memory, with the pointer's position as cursor metadata.
// It keeps the newest frame that holds pixels: its buffer is held (the rest go back at once), so
// a pass reads its pixels straight from the compositor's buffer, until the pointer moves over
// the still picture; then the frame is copied and its buffer goes back as well.
class MonitorStream {
 public:
  // `onPointer` is told, with each buffer's cursor data, whether the pointer is on this monitor
  // and where in this stream's pixels; `onFailure` is called when the stream errs or is ended
  // from outside. Both are called from the PipeWire loop.
  MonitorStream(pw_core* core, std::uint32_t nodeId, std::function<void(bool, int, int)> onPointer,
                std::function<void()> onFailure);
  ~MonitorStream();
  MonitorStream(const MonitorStream&) = delete;
  MonitorStream& operator=(const MonitorStream&) = delete;

  // Whether the stream could be set up at all.
  bool Connected() const { return stream_ != nullptr; }

  // Stops the stream so that the compositor produces nothing for it, and gives the held frame
  // back; Resume starts it again. The first buffer after Resume is a whole new frame.
  void Pause();
  void Resume();

  // The newest frame that holds pixels since the stream started or resumed; empty before.
  const FrameView& Frame() const { return frame_; }
  // The frame size agreed with the compositor; 0 before.
  int Width() const { return width_; }
  int Height() const { return height_; }

 private:
  static void OnStateChanged(void* self, pw_stream_state old, pw_stream_state state,
                             const char* error);
  static void OnParamChanged(void* self, std::uint32_t id, const spa_pod* param);
  static void OnRemoveBuffer(void* self, pw_buffer* buffer);
  static void OnProcess(void* self);

  bool Connect();
  void Take(pw_buffer* buffer);
  void ReadCursor(const spa_buffer* buffer);
  void GiveBackHeld();
  void CopyHeld();

  pw_stream* stream_ = nullptr;
  std::uint32_t nodeId_;
  std::function<void(bool, int, int)> onPointer_;
  std::function<void()> onFailure_;
  spa_hook listener_{};
  pw_stream_events events_{};
  bool paused_ = false;
  PixelOrder order_ = PixelOrder::kBgrx;
  int width_ = 0, height_ = 0;
  pw_buffer* held_ = nullptr;
  std::vector<std::uint8_t> copy_;
  FrameView frame_;  // in the held buffer, or in copy_
};

}  // namespace hueclip::portal
