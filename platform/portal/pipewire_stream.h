#pragma once

#include <pipewire/pipewire.h>

#include <cstdint>
#include <functional>

#include "platform/portal/stream_intake.h"

namespace hueclip::portal {

// The stream of one monitor from the compositor, consumed on the user-interface thread: at
// most ten frames a second, in CPU memory, with the pointer's position as cursor metadata.
// What it keeps of the buffers is StreamIntake's; every buffer goes back at once.
class MonitorStream {
 public:
  // `onPointer` is told what each buffer's cursor data says of the pointer, in this stream's
  // pixels; `onFailure` is called when the stream errs or is ended from outside. Both are called
  // from the PipeWire loop.
  MonitorStream(pw_core* core, std::uint32_t nodeId,
                std::function<void(const PointerReport&)> onPointer,
                std::function<void()> onFailure);
  ~MonitorStream();
  MonitorStream(const MonitorStream&) = delete;
  MonitorStream& operator=(const MonitorStream&) = delete;

  // Whether the stream could be set up at all.
  bool Connected() const { return stream_ != nullptr; }

  // Stops the stream so that the compositor produces nothing for it, and forgets the picture;
  // Resume starts it again. The first buffer after Resume is a whole new frame.
  void Pause();
  void Resume();

  // The newest frame that holds pixels since the stream started or resumed; empty before.
  const FrameView& Frame() const { return intake_.Frame(); }
  // The frame size agreed with the compositor; 0 before.
  int Width() const { return intake_.Width(); }
  int Height() const { return intake_.Height(); }

 private:
  static void OnStateChanged(void* self, pw_stream_state old, pw_stream_state state,
                             const char* error);
  static void OnParamChanged(void* self, std::uint32_t id, const spa_pod* param);
  static void OnProcess(void* self);

  bool Connect();

  pw_stream* stream_ = nullptr;
  std::uint32_t nodeId_;
  std::function<void()> onFailure_;
  spa_hook listener_{};
  pw_stream_events events_{};
  bool paused_ = false;
  StreamIntake intake_;
};

}  // namespace hueclip::portal
