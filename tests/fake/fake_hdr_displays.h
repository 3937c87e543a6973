#pragma once

#include <algorithm>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "platform/win32/hdr_desktop.h"

namespace hueclip::fake {

using win32::DesktopDuplication;

// Monitors as the test sets them, and desktop images that answer as it scripts (kDone once the
// script is done), hold scRGB 1.0 and log their calls. Like DXGI's, they refuse areas beyond
// their monitor.
class FakeHdrDisplays final : public win32::HdrDisplays {
 public:
  std::vector<win32::MonitorFacts> monitors;
  std::deque<DesktopDuplication::Answer> answers;
  std::string log;

  std::vector<win32::MonitorFacts> ReadMonitors() override { return monitors; }
  std::unique_ptr<DesktopDuplication> Duplicate(const win32::MonitorFacts& monitor) override {
    log += "duplicate ";
    return std::make_unique<Image>(*this, monitor.bounds);
  }

 private:
  class Image final : public DesktopDuplication {
   public:
    Image(FakeHdrDisplays& d, PixelRect on) : d_(d), on_(on) {}
    Answer Open() override { return Next("open"); }
    Answer Refresh(unsigned waitMs) override { return Next("refresh" + std::to_string(waitMs)); }
    Answer Read(PixelRect a, std::uint16_t* rgba) override {
      std::fill_n(rgba, a.width * a.height * 4, std::uint16_t{0x3C00});
      const bool on = Intersect(a, {0, 0, on_.width, on_.height}) == a;
      return on ? Next("read") : Answer::kUnavailable;
    }
    void Close() override { d_.log += "close "; }

   private:
    Answer Next(const std::string& call) {
      d_.log += call + " ";
      if (d_.answers.empty()) return Answer::kDone;
      const Answer answer = d_.answers.front();
      d_.answers.pop_front();
      return answer;
    }
    FakeHdrDisplays& d_;
    PixelRect on_;
  };
};

}  // namespace hueclip::fake
