#pragma once

#include <chrono>
#include <optional>
#include <string>

namespace hueclip::portal {

// How much of the screen the program can see through the desktop's sharing, told in the order
// it happens, and what the user is told about it: why nothing can be read yet, and, once, that
// the desktop sends the pointer's position but no picture (KWin's virtual outputs do, and so can
// a broken driver), which would otherwise leave the cells empty without a word.
class Sight {
 public:
  using Clock = std::chrono::steady_clock;
  // How long the streams may carry the pointer's position without a picture before the user is
  // told.
  static constexpr Clock::duration kNoPictureAfter = std::chrono::seconds(3);

  enum class Loss { kRefused, kFailed, kStopped, kLost };

  // The desktop shares the monitors: their streams are being set up.
  void Shared() { shared_ = true; }
  // A buffer came with the pointer's position (on its monitor or not) at `now`.
  void Pointer(Clock::time_point now);
  // A buffer came with a picture.
  void Picture() { pictured_ = true; }
  // A pass read the pixels under the pointer.
  void Seen() { seen_ = true; }
  // The streams stopped for a while: the time without a picture counts again from the next
  // position.
  void Paused() { pointerSince_.reset(); }
  // The screen cannot be read any more; the first loss is the one told.
  void Lost(Loss loss);

  // Whether the user should now be told that the streams carry no picture: positions have come
  // for kNoPictureAfter without a picture since. True once at most.
  bool NoPictureDue(Clock::time_point now);

  // Why the pixels under the pointer cannot be read, for the user; empty once a pass has read
  // them, unless the screen was lost since.
  std::string Why() const;

 private:
  bool shared_ = false, pointed_ = false, pictured_ = false, seen_ = false;
  bool told_ = false;  // that no picture comes
  bool lost_ = false;
  Loss loss_ = Loss::kFailed;
  // The first position since the start or the last pause.
  std::optional<Clock::time_point> pointerSince_;
};

}  // namespace hueclip::portal
