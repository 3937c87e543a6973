#include "tests/fake/fake_platform.h"

namespace hueclip::fake {
namespace {

class FakeContext final : public ScreenContext {
 public:
  explicit FakeContext(FakeScreen& screen) : screen_(screen) {}
  ~FakeContext() override { ++screen_.contextsGiven; }

  std::int32_t GetPixel(std::int32_t x, std::int32_t y) override {
    return FakeScreen::Pattern(x, y);
  }

 private:
  FakeScreen& screen_;
};

class FakePeer final : public WindowPeer {
 public:
  explicit FakePeer(WindowHandle handle) : handle_(handle) {}
  WindowHandle Handle() const override { return handle_; }
  void CaptionChanged() override {}
  void ControlChanged(std::size_t) override {}
  void Show() override {}
  void ShowModal() override {}

 private:
  WindowHandle handle_;
};

}  // namespace

std::unique_ptr<ScreenContext> FakeScreen::GetWindowDC() {
  if (!readable) return nullptr;
  ++contextsTaken;
  return std::make_unique<FakeContext>(*this);
}

bool FakeClipboard::SetText(std::string_view t) {
  ++attempts;
  if (refuseText) text.clear();
  if (refuse || refuseText) return false;
  text = t;
  return true;
}

std::unique_ptr<WindowPeer> FakeToolkit::CreatePeer(Window&) {
  return std::make_unique<FakePeer>(0x1000 + built_++);
}

}  // namespace hueclip::fake
