#include "tests/fake/fake_platform.h"

namespace hueclip::fake {
namespace {

class FakeContext final : public ScreenContext {
 public:
  explicit FakeContext(FakeScreen& screen) : screen_(screen) {}
  ~FakeContext() override { ++screen_.contextsGiven; }

  std::int32_t GetPixel(std::int32_t x, std::int32_t y) override {
    screen_.reads.push_back({x, y});
    if (x < 0 || y < 0 || x >= screen_.width || y >= screen_.height) return -1;
    return screen_.pixel(x, y);
  }

 private:
  FakeScreen& screen_;
};

class FakePeer final : public WindowPeer {
 public:
  FakePeer(FakeToolkit& toolkit, Window& window, std::size_t record)
      : toolkit_(toolkit), window_(window), record_(record) {}

  WindowHandle Handle() const override { return 0x1000 + record_; }
  void CaptionChanged() override {}
  void ControlChanged(std::size_t) override {}
  void Show() override { ++Rec().shows; }
  void ShowModal() override {
    ++Rec().modalShows;
    if (toolkit_.whileModal) toolkit_.whileModal(window_);
  }

 private:
  FakeToolkit::Record& Rec() { return toolkit_.peers[record_]; }

  FakeToolkit& toolkit_;
  Window& window_;
  std::size_t record_;
};

}  // namespace

Point FakeScreen::GetCursorPos() {
  ++cursorReads;
  return cursor;
}

std::unique_ptr<ScreenContext> FakeScreen::GetWindowDC() {
  if (!readable) return nullptr;
  ++contextsTaken;
  return std::make_unique<FakeContext>(*this);
}

bool FakeClipboard::SetText(std::string_view t) {
  ++attempts;
  if (refuse) return false;
  if (refuseText) {
    text.clear();
    return false;
  }
  text = t;
  return true;
}

std::unique_ptr<WindowPeer> FakeToolkit::CreatePeer(Window& window) {
  peers.push_back({window.desc().name});
  return std::make_unique<FakePeer>(*this, window, peers.size() - 1);
}

void FakeToolkit::MessageBox(Window&, std::string_view text) { messages.emplace_back(text); }

int FakeToolkit::Run(Window& main) {
  main.Show();
  return 0;
}

int FakeToolkit::Built(const std::string& window) const {
  int n = 0;
  for (const Record& r : peers) n += r.window == window;
  return n;
}

}  // namespace hueclip::fake
