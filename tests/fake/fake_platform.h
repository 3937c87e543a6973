#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/colour.h"
#include "platform/services.h"
#include "platform/window.h"

namespace hueclip::fake {

// A scripted screen: a pixel function over a screen of the given size (negative outside it), a
// cursor the test sets, and a count of every call the program makes.
class FakeScreen final : public Screen {
 public:
  int width = 640, height = 480;
  Point cursor{320, 240};
  bool readable = true;  // false: no context, as while access to the screen is not granted
  std::function<Colour(std::int32_t, std::int32_t)> pixel = &Pattern;

  int cursorReads = 0, contextsTaken = 0, contextsGiven = 0;
  std::vector<Point> reads;
  int Calls() const {
    return cursorReads + contextsTaken + contextsGiven + static_cast<int>(reads.size());
  }

  // A pattern in which every pixel of a 5 x 5 block differs from the others.
  static Colour Pattern(std::int32_t x, std::int32_t y) {
    return PackRgb(x & 0xFF, y & 0xFF, (x * 7 + y * 13) & 0xFF);
  }

  Point GetCursorPos() override;
  std::unique_ptr<ScreenContext> GetWindowDC() override;
};

class FakeClipboard final : public Clipboard {
 public:
  std::string text = "what the user had copied";
  bool refuse = false;      // another program holds it open
  bool refuseText = false;  // it can be had and emptied, but then takes no text
  int attempts = 0;

  bool SetText(std::string_view t) override;
  bool EmptiedOnFailure() const override { return refuseText; }
};

class FakeShell final : public Shell {
 public:
  struct Call {
    WindowHandle owner;
    std::string operation, file;
  };
  std::vector<Call> calls;

  void Execute(WindowHandle owner, std::string_view operation, std::string_view file) override {
    calls.push_back({owner, std::string(operation), std::string(file)});
  }
};

// Windows that exist only as records: what was built, shown and shown modally.
class FakeToolkit final : public Toolkit {
 public:
  struct Record {
    std::string window;
    int shows = 0, modalShows = 0;
  };
  std::vector<Record> peers;  // one per native window built
  std::vector<std::string> messages;
  // Runs while a modal window is up, before the user "closes" it.
  std::function<void(Window&)> whileModal;

  std::unique_ptr<WindowPeer> CreatePeer(Window& window) override;
  void MessageBox(Window& owner, std::string_view text) override;
  int Run(Window& main) override;
  int Built(const std::string& window) const;
};

struct FakePlatform {
  FakeScreen screen;
  FakeClipboard clipboard;
  FakeShell shell;
  FakeToolkit toolkit;
  Services services{screen, clipboard, shell, toolkit};
};

}  // namespace hueclip::fake
