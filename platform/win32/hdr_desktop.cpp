#include "platform/win32/hdr_desktop.h"

#include <algorithm>

#include "platform/win32/scrgb.h"

namespace hueclip::win32 {

using Result = DuplicationPolicy::Result;

std::int32_t BlockPixel::FromGdi(std::int32_t copied) const {
  return unclipNits > 0 ? UnclipGdiPixel(copied, unclipNits) : copied;
}

void HdrDesktop::AskMonitors() {
  std::vector<Monitor> old = monitors_ ? std::move(*monitors_) : std::vector<Monitor>();
  std::vector<Monitor> now;
  for (const MonitorFacts& facts : displays_->ReadMonitors()) {
    const auto same =
        std::find_if(old.begin(), old.end(), [&](const Monitor& m) { return m.facts == facts; });
    now.push_back({facts, same != old.end() ? std::move(same->policy) : nullptr});
  }
  old.clear();  // the duplications no monitor kept are let go before any new one is opened
  monitors_ = std::move(now);
}

bool HdrDesktop::Read(std::int32_t left, std::int32_t top, Block& block) {
  if (!monitors_) AskMonitors();
  for (Monitor& monitor : *monitors_) {
    const MonitorFacts& facts = monitor.facts;
    if (facts.whiteNits <= 0) continue;
    const PixelRect area = PixelBlockContext::ClipBlock(left, top, facts.bounds);
    if (area.Empty()) continue;
    std::array<std::int32_t, kSize * kSize> colours{};
    Result result = Result::kGdiUnclipped;
    if (window_ == Window::kShown) {
      if (!monitor.policy) monitor.policy = std::make_unique<DuplicationPolicy>(*displays_, facts);
      result = monitor.policy->Read(
          {area.left - facts.bounds.left, area.top - facts.bounds.top, area.width, area.height},
          colours.data());
      if (notice_ == Notice::kNotDue &&
          monitor.policy->state() == DuplicationPolicy::State::kUnsupported)
        notice_ = Notice::kDue;
    }
    if (result == Result::kUnreadable) return false;
    const std::int32_t* next = colours.data();
    for (std::int32_t y = area.top - top; y < area.top - top + area.height; ++y) {
      for (std::int32_t x = area.left - left; x < area.left - left + area.width; ++x) {
        block[static_cast<std::size_t>(y * kSize + x)] =
            result == Result::kRead ? BlockPixel{*next++, 0} : BlockPixel{-1, facts.whiteNits};
      }
    }
  }
  return true;
}

void HdrDesktop::DisplaysChanged() {
  if (!monitors_) return;
  AskMonitors();
  EachPolicy([](DuplicationPolicy& policy) { policy.DisplaysChanged(); });
}

void HdrDesktop::DesktopSwitched() {
  EachPolicy([](DuplicationPolicy& policy) { policy.DesktopSwitched(); });
}

void HdrDesktop::Minimised() {
  window_ = Window::kMinimised;
  EachPolicy([](DuplicationPolicy& policy) { policy.ReleaseMinimised(); });
}

void HdrDesktop::Restored() { window_ = Window::kShown; }

void HdrDesktop::ReleaseIdle() {
  EachPolicy([](DuplicationPolicy& policy) { policy.ReleaseIfIdle(); });
}

bool HdrDesktop::HoldsDuplication() const {
  return monitors_ && std::any_of(monitors_->begin(), monitors_->end(),
                                  [](const Monitor& m) { return m.policy && m.policy->Holds(); });
}

bool HdrDesktop::TakeNotice() {
  if (notice_ != Notice::kDue) return false;
  notice_ = Notice::kGiven;
  return true;
}

}  // namespace hueclip::win32
