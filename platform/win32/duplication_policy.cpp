#include "platform/win32/duplication_policy.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

// State                Event                           Next            On entering
// closed, denied       open: done                      awaiting frame  first-image waits armed
// awaiting frame       refresh: done                   frame kept
// awaiting frame       refresh: no new frame           awaiting frame  (GDI, un-clipped, this pass)
// frame kept           refresh: done, no new frame     frame kept      (a still desktop: the image
//                                                                      kept)
// any                  lost, a 3rd time or less        closed          device kept; opened again
//                        in 10 s                                       at once, once a pass
// any                  lost a 4th time in 10 s         over budget     all let go, for 10 s
// any                  denied                          denied          device kept
// any                  unsupported                     unsupported     all let go
// any                  busy, unavailable               backing off     all let go, for 5, 10, 20,
//                                                                      40, then 60 s
// backing off,         due                             closed
//   over budget
// not open             display change                  closed          all let go
// unsupported, denied  desktop switch                  closed          all let go
// open, denied         unread for 2 s, minimised       closed          all let go
//
// Anything else leaves the state as it is. A read in kDenied leaves the window as it was; in
// every state but kFrameKept, it reads GDI, un-clipped. Each change is traced once, with the
// HRESULT behind it.

namespace hueclip::win32 {
namespace {

using Answer = DesktopDuplication::Answer;

const char* Name(DuplicationPolicy::State state) {
  static const char* const kNames[] = {
      "closed: the next read opens it",
      "opened: GDI, un-clipped, until its first image",
      "read from its duplication",
      "unreadable: another desktop has the input",
      "GDI, un-clipped, until a display change or a desktop switch",
      "GDI, un-clipped, backing off",
      "GDI, un-clipped, lost too often",
  };
  return kNames[static_cast<int>(state)];
}

}  // namespace

DuplicationPolicy::DuplicationPolicy(HdrDisplays& system, const MonitorFacts& facts)
    : system_(&system), facts_(facts), duplication_(system.Duplicate(facts)) {}

DuplicationPolicy::~DuplicationPolicy() {
  if (Holds()) duplication_->Release();
}

bool DuplicationPolicy::Holds() const {
  return state_ == State::kAwaitingFrame || state_ == State::kFrameKept || state_ == State::kDenied;
}

DuplicationPolicy::Result DuplicationPolicy::Read(PixelRect area, std::int32_t* colours) {
  lastRead_ = system_->NowMs();
  if ((state_ == State::kBackingOff || state_ == State::kOverBudget) && lastRead_ >= due_)
    On(Event::kDue);
  // A duplication lost on the way is opened again at once, once; lost again, the pass reads GDI.
  for (int attempt = 0; attempt < 2; ++attempt) {
    if (state_ == State::kClosed || state_ == State::kDenied) On(Happened(duplication_->Open()));
    if (state_ == State::kAwaitingFrame || state_ == State::kFrameKept)
      On(Happened(duplication_->Refresh(FirstFrameWait())));
    if (state_ == State::kFrameKept) {
      const Answer answer = duplication_->Read(area, facts_.whiteNits, colours);
      if (answer == Answer::kDone) return Result::kRead;
      On(Happened(answer));
    }
    if (state_ != State::kClosed) break;
  }
  return state_ == State::kDenied ? Result::kUnreadable : Result::kGdiUnclipped;
}

void DuplicationPolicy::DisplaysChanged() { On(Event::kDisplayChange); }

void DuplicationPolicy::DesktopSwitched() { On(Event::kDesktopSwitch); }

void DuplicationPolicy::ReleaseIfIdle() {
  if (system_->NowMs() - lastRead_ >= kIdleMs) On(Event::kIdle);
}

void DuplicationPolicy::ReleaseMinimised() { On(Event::kMinimised); }

unsigned DuplicationPolicy::FirstFrameWait() {
  if (state_ != State::kAwaitingFrame || waitsLeft_ == 0) return 0;
  --waitsLeft_;
  return kFirstFrameWaitMs;
}

DuplicationPolicy::State DuplicationPolicy::Next(Event event) const {
  const bool open = state_ == State::kAwaitingFrame || state_ == State::kFrameKept;
  switch (event) {
    case Event::kDone:
      return open ? State::kFrameKept : State::kAwaitingFrame;
    case Event::kNoNewFrame:
      return state_;
    case Event::kLost:
      return static_cast<int>(losses_.size()) <= kLossBudget ? State::kClosed : State::kOverBudget;
    case Event::kDenied:
      return State::kDenied;
    case Event::kUnsupported:
      return State::kUnsupported;
    case Event::kBusy:
    case Event::kUnavailable:
      return State::kBackingOff;
    case Event::kDue:
      return State::kClosed;
    case Event::kDisplayChange:
      return open ? state_ : State::kClosed;
    case Event::kDesktopSwitch:
      return state_ == State::kUnsupported || state_ == State::kDenied ? State::kClosed : state_;
    case Event::kIdle:
    case Event::kMinimised:
      return Holds() ? State::kClosed : state_;
  }
  return state_;
}

void DuplicationPolicy::On(Event event) {
  const std::int64_t now = system_->NowMs();
  if (event == Event::kLost) {
    losses_.erase(std::remove_if(losses_.begin(), losses_.end(),
                                 [&](std::int64_t at) { return now - at >= kBudgetWindowMs; }),
                  losses_.end());
    losses_.push_back(now);
  }
  const bool held = Holds();
  const State from = state_;
  state_ = Next(event);
  if (state_ == from && event != Event::kLost) return;
  Trace(from, event);

  // What entering the state lets go of, and when a state that waits is over.
  switch (state_) {
    case State::kClosed:
      if (event == Event::kLost)
        duplication_->Close();  // the device stays for the open that follows
      else if (held)
        duplication_->Release();
      break;
    case State::kAwaitingFrame:
      backOffs_ = 0;
      waitsLeft_ = kFirstFrameWaits;
      break;
    case State::kFrameKept:
      break;
    case State::kDenied:
      duplication_->Close();  // the device stays for the passes that try again meanwhile
      break;
    case State::kUnsupported:
      duplication_->Release();
      break;
    case State::kBackingOff:
      duplication_->Release();
      due_ = now + std::min(kFirstBackOffMs << std::min(backOffs_++, 4), kLongestBackOffMs);
      break;
    case State::kOverBudget:
      duplication_->Release();
      due_ = now + kBudgetWindowMs;
      break;
  }
}

void DuplicationPolicy::Trace(State from, Event event) const {
  static const char* const kEvents[] = {
      "opened",         "no new image",   "lost",           "denied",
      "unsupported",    "busy",           "unavailable",    "due",
      "display change", "desktop switch", "unread for 2 s", "window minimised"};
  const bool wasOpen = from == State::kAwaitingFrame || from == State::kFrameKept;
  const PixelRect& at = facts_.bounds;
  std::string line =
      "monitor " + std::to_string(at.width) + "x" + std::to_string(at.height) + " at " +
      std::to_string(at.left) + "," + std::to_string(at.top) + ", " +
      std::to_string(std::lround(facts_.whiteNits)) + " nits: " + Name(state_) + " (" +
      (event == Event::kDone && wasOpen ? "new image" : kEvents[static_cast<int>(event)]);
  if (event >= Event::kLost && event <= Event::kUnavailable) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(duplication_->LastError()));
    line += std::string(", HRESULT ") + code;
  }
  system_->Trace(line + ")");
}

}  // namespace hueclip::win32
