#pragma once

#include <algorithm>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "platform/win32/hdr_desktop.h"
#include "platform/win32/scrgb.h"

namespace hueclip::fake {

using win32::DesktopDuplication;

// Monitors as the test sets them, a clock it moves, the trace it reads, and duplications that
// answer as it scripts (kDone once the script is done), hold scRGB 1.0 and log their calls. Like
// DXGI's, they refuse areas beyond their monitor.
class FakeHdrDisplays final : public win32::HdrDisplays {
 public:
  using Answer = DesktopDuplication::Answer;
  // How the log writes each answer after a colon (kDone goes without).
  static constexpr const char* kAnswerNames[] = {"done",        "timeout", "lost",       "denied",
                                                 "unsupported", "busy",    "unavailable"};
  std::vector<win32::MonitorFacts> monitors;
  std::deque<Answer> answers;
  std::string log;
  std::int64_t now = 0;
  std::vector<std::string> traces;

  std::vector<win32::MonitorFacts> ReadMonitors() override {
    log += "monitors ";
    return monitors;
  }
  std::unique_ptr<DesktopDuplication> Duplicate(const win32::MonitorFacts& monitor) override {
    log += "duplicate ";
    return std::make_unique<Duplication>(*this, monitor.bounds);
  }
  std::int64_t NowMs() override { return now; }
  void Trace(const std::string& line) override { traces.push_back(line); }

 private:
  class Duplication final : public DesktopDuplication {
   public:
    Duplication(FakeHdrDisplays& d, PixelRect on) : d_(d), on_(on) {}
    Answer Open() override { return Next("open"); }
    Answer Refresh(unsigned waitMs) override { return Next("refresh" + std::to_string(waitMs)); }
    Answer Read(PixelRect a, double whiteNits, std::int32_t* colours) override {
      const std::uint16_t one[] = {0x3C00, 0x3C00, 0x3C00, 0x3C00};
      std::fill_n(colours, a.width * a.height, win32::ScRgbPixel(one, whiteNits));
      const bool on = Intersect(a, {0, 0, on_.width, on_.height}) == a;
      return on ? Next("read") : Answer::kUnavailable;
    }
    void Close() override { d_.log += "close "; }
    void Release() override { d_.log += "release "; }
    // DXGI's codes for the answers, E_NOTIMPL for kUnavailable.
    std::uint32_t LastError() const override {
      const std::uint32_t codes[] = {0,          0x887A0027, 0x887A0026, 0x80070005,
                                     0x887A0004, 0x887A0022, 0x80004001};
      return codes[static_cast<int>(last_)];
    }

   private:
    Answer Next(const std::string& call) {
      d_.log += call;
      last_ = Answer::kDone;
      if (!d_.answers.empty()) {
        last_ = d_.answers.front();
        d_.answers.pop_front();
      }
      if (last_ != Answer::kDone)
        d_.log += std::string(":") + kAnswerNames[static_cast<int>(last_)];
      d_.log += " ";
      return last_;
    }
    FakeHdrDisplays& d_;
    PixelRect on_;
    Answer last_ = Answer::kDone;
  };
};

}  // namespace hueclip::fake
