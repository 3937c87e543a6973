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

// A scripted screen: a pattern of pixels, a cursor the test sets, and counts of contexts taken
// and given back.
class FakeScreen final : public Screen {
 public:
  Point cursor{320, 240};
  Point drift{};         // how far the pointer moves on each time a context has taken it
  bool readable = true;  // false: no context, as while access to the screen is not granted
  std::string unseen;    // why the screen cannot be seen, when it says so
  int contextsTaken = 0, contextsGiven = 0;

  // A pattern in which every pixel of a 5 x 5 block differs from the others.
  static Colour Pattern(std::int32_t x, std::int32_t y) {
    const auto mix = static_cast<std::uint32_t>(x) * 7 + static_cast<std::uint32_t>(y) * 13;
    return PackRgb(x & 0xFF, y & 0xFF, static_cast<int>(mix & 0xFF));
  }

  std::unique_ptr<ScreenContext> GetWindowDC() override {
    if (!readable) return nullptr;
    ++contextsTaken;
    auto context = std::make_unique<Context>(cursor, contextsGiven);
    cursor = {cursor.x + drift.x, cursor.y + drift.y};
    return context;
  }
  std::string WhyUnseen() const override { return unseen; }

 private:
  struct Context final : ScreenContext {
    Context(Point cursor, int& given) : ScreenContext(cursor), given(given) {}
    ~Context() override { ++given; }
    std::int32_t GetPixel(std::int32_t x, std::int32_t y) override { return Pattern(x, y); }
    int& given;
  };
};

class FakeClipboard final : public Clipboard {
 public:
  std::string text = "what the user had copied";
  bool refuse = false;      // another program holds it open
  bool refuseText = false;  // it can be had and emptied, but then takes no text
  int attempts = 0;
  std::function<void()> whileWriting;  // runs inside SetText, where a held clipboard is waited for

  bool SetText(std::string_view t) override {
    ++attempts;
    if (whileWriting) whileWriting();
    if (refuseText) text.clear();
    if (refuse || refuseText) return false;
    text = t;
    return true;
  }
  bool EmptiedOnFailure() const override { return refuseText; }
};

class FakeShell final : public Shell {
 public:
  int calls = 0;
  void Execute(WindowHandle, std::string_view, std::string_view) override { ++calls; }
};

// Windows that exist only as handles; message boxes are recorded.
class FakeToolkit final : public Toolkit {
 public:
  std::vector<std::string> messages;

  std::unique_ptr<WindowPeer> CreatePeer(Window&) override {
    return std::make_unique<Peer>(0x1000 + built_++);
  }
  void MessageBox(Window&, std::string_view text) override { messages.emplace_back(text); }
  int Run(Window&) override { return 0; }

 private:
  struct Peer final : WindowPeer {
    explicit Peer(WindowHandle handle) : handle(handle) {}
    WindowHandle Handle() const override { return handle; }
    void CaptionChanged() override {}
    void ControlChanged(std::size_t) override {}
    void Show() override {}
    void ShowModal() override {}
    WindowHandle handle;
  };
  WindowHandle built_ = 0;
};

struct FakePlatform {
  FakeScreen screen;
  FakeClipboard clipboard;
  FakeShell shell;
  FakeToolkit toolkit;
  Services services{screen, clipboard, shell, toolkit};
};

}  // namespace hueclip::fake
