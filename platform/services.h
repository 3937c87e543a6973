#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace hueclip {

class Toolkit;

struct Point {
  std::int32_t x = 0, y = 0;
};

// The native handle of a window, as the window system knows it (HWND, X window id).
using WindowHandle = std::uintptr_t;

// The screen as one sampling pass sees it: where the pointer was and the pixels around it, read
// together when the pass takes the context, so that the position and the pixels always come from
// the same screen at the same moment. Given back (destroyed) at the end of the pass.
class ScreenContext {
 public:
  explicit ScreenContext(Point cursor) : cursor_(cursor) {}
  virtual ~ScreenContext() = default;
  // The cursor position in physical screen pixels, origin at the primary screen's top-left.
  Point GetCursorPos() const { return cursor_; }
  // The pixel at (x, y) in screen pixels as 0x00BBGGRR, or a negative value where it cannot be
  // read (beyond the edge of every screen).
  virtual std::int32_t GetPixel(std::int32_t x, std::int32_t y) = 0;

 private:
  Point cursor_;
};

// A live picker takes a screen context this often. A screen that has seen no pass for several
// times as long may take the picker to be frozen.
inline constexpr int kSampleIntervalMs = 100;

class Screen {
 public:
  virtual ~Screen() = default;
  // The cursor and the screen's pixels for one pass, or null while the screen cannot be read at
  // all (access not granted yet, or refused): the pass then leaves the window as it is, rather
  // than showing a position and colours that were never read.
  virtual std::unique_ptr<ScreenContext> GetWindowDC() = 0;
  // Why the screen cannot be seen now, as a sentence for the user (what to do, where there is
  // something to do); empty when it can be, and always where nothing stands between the program
  // and the screen (X11, Windows). A screen that needs the desktop's permission says so until it
  // has it, and after a refusal, a stop or a failure.
  virtual std::string WhyUnseen() const { return {}; }
};

class Clipboard {
 public:
  virtual ~Clipboard() = default;
  // Takes the clipboard (a few tries over about a quarter of a second), empties it and puts
  // `text` on it as plain text, all in one hold. When it cannot be had, returns false and
  // leaves it exactly as it was.
  virtual bool SetText(std::string_view text) = 0;
  // After a SetText that returned false: whether the clipboard had been taken and emptied
  // before it refused the text, so that it now holds nothing rather than what it held.
  virtual bool EmptiedOnFailure() const { return false; }
};

class Shell {
 public:
  virtual ~Shell() = default;
  // Hands `file` (a web address here) to the desktop's handler for `operation`. Whether it
  // opens is not reported.
  virtual void Execute(WindowHandle owner, std::string_view operation, std::string_view file) = 0;
};

// Everything the program asks of the system, one instance per run.
struct Services {
  Screen& screen;
  Clipboard& clipboard;
  Shell& shell;
  Toolkit& toolkit;
};

}  // namespace hueclip
