#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/pixel_rect.h"
#include "platform/win32/desktop_duplication.h"
#include "platform/win32/hdr_displays.h"

namespace hueclip::win32 {

// When the passes use one HDR monitor's desktop duplication: opened by the first read on the
// monitor, its last image kept for a still desktop, opened again at once when lost (within a
// budget), let go when unused, and left to GDI, un-clipped, for as long as the reason it cannot
// be had lasts. The transitions are in the table at the top of duplication_policy.cpp.
class DuplicationPolicy {
 public:
  // How long a read waits for a new duplication's first image, on its first reads only.
  static constexpr unsigned kFirstFrameWaitMs = 50;
  static constexpr int kFirstFrameWaits = 2;
  // How long a duplication no read asked for is kept: every desktop update is copied for it
  // meanwhile, and it holds one of the four a session allows.
  static constexpr std::int64_t kIdleMs = 2000;
  // How often a lost duplication is opened again before GDI takes over for a while: a
  // full-screen game can take it away on every frame.
  static constexpr int kLossBudget = 3;
  static constexpr std::int64_t kBudgetWindowMs = 10000;
  // How long a busy or missing duplication is left before it is tried again, doubled each time.
  static constexpr std::int64_t kFirstBackOffMs = 5000, kLongestBackOffMs = 60000;

  enum class State {
    kClosed,         // no duplication: the next read opens one
    kAwaitingFrame,  // open, no image kept yet
    kFrameKept,      // open, an image kept
    kDenied,         // another desktop has the input: nothing can be read; the device is kept
    kUnsupported,    // none in this process: until a display change or a desktop switch
    kBackingOff,     // busy, or none for another reason: until the back-off is over
    kOverBudget,     // lost too often: until a display change or the budget's window is over
  };

  enum class Result {
    kRead,          // the pixels are in
    kGdiUnclipped,  // read these pixels through GDI, un-clipped at the monitor's white level
    kUnreadable,    // nothing can be read now: the pass leaves the window as it was
  };

  DuplicationPolicy(HdrDisplays& system, const MonitorFacts& facts);
  ~DuplicationPolicy();
  DuplicationPolicy(const DuplicationPolicy&) = delete;
  DuplicationPolicy& operator=(const DuplicationPolicy&) = delete;

  // Reads `area` (monitor-relative) of the desktop as it is now, or as it was when it last
  // changed, into `colours` (see DesktopDuplication::Read).
  Result Read(PixelRect area, std::int32_t* colours);

  // What the passes cannot see for themselves.
  void DisplaysChanged();
  void DesktopSwitched();
  // Lets go of the duplication and its device if no read has come for kIdleMs.
  void ReleaseIfIdle();
  // Lets go of them now: nobody sees the window.
  void ReleaseMinimised();

  State state() const { return state_; }
  // Whether a duplication, or the device for one, is held.
  bool Holds() const;

 private:
  // The duplication's answers, in DesktopDuplication::Answer's order, and what comes from beyond.
  enum class Event {
    kDone,
    kNoNewFrame,
    kLost,
    kDenied,
    kUnsupported,
    kBusy,
    kUnavailable,
    kDue,            // a back-off, or the budget's window, is over
    kDisplayChange,  // or a settings change
    kDesktopSwitch,
    kIdle,  // unread for kIdleMs
    kMinimised,
  };
  static Event Happened(DesktopDuplication::Answer answer) { return static_cast<Event>(answer); }
  static_assert(static_cast<int>(Event::kUnavailable) ==
                static_cast<int>(DesktopDuplication::Answer::kUnavailable));

  void On(Event event);
  State Next(Event event) const;
  void Trace(State from, Event event) const;
  unsigned FirstFrameWait();

  HdrDisplays* system_;
  MonitorFacts facts_;
  std::unique_ptr<DesktopDuplication> duplication_;
  State state_ = State::kClosed;
  std::int64_t lastRead_ = 0;
  std::int64_t due_ = 0;              // in kBackingOff and kOverBudget: when they are over
  int backOffs_ = 0;                  // since the last open that worked
  int waitsLeft_ = 0;                 // in kAwaitingFrame
  std::vector<std::int64_t> losses_;  // when the duplication was lost, within the budget's window
};

}  // namespace hueclip::win32
