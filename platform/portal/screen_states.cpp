// The portal screen's states and transitions. An event not listed for a state changes nothing.
//
// State          Event                       Next            Action
// -------------  --------------------------  --------------  ---------------------------------
// kStarting      kStarted                    kLive           kConnect
//                kRefused                    kLost           kLose (refused)
//                kFailed, kClosed            kLost           kLose (failed)
//                kUnavailable                kLost           kHandOver
// kLive          kIdle                       kPaused         kPause
//                kStreamsLost                next try        kBreak
//                kClosed                     kLost           kLose (stopped)
// kPaused        kPass                       kLive           kResume
//                kStreamsLost                next try        kBreak
//                kClosed                     kLost           kLose (stopped)
// kBroken        kTimerDue (1 s)             kRetrying       kAskAgain
//                kLostClosed                 kLost           kLose (stopped)
// kRetrying      kStarted                    kAwaitingData   kConnect
//                kChoosing, kTokenRefused    kAskingUser     -
//                kFailed, kUnavailable,      next try        -
//                kClosed
//                kRefused                    kLost           kLose (refused)
//                kLostClosed                 kLost           kLose (stopped)
//                kTimerDue (2, 3, 4 s)       next try        kDropTry
// kAskingUser    kStarted                    kAwaitingData   kConnect
//                kFailed, kUnavailable,      next try        -
//                kClosed
//                kRefused                    kLost           kLose (refused)
//                kLostClosed                 kLost           kLose (stopped)
// kAwaitingData  kData                       kLive           kGoLive
//                kStreamsLost                next try        kBreak
//                kClosed                     kLost           kLose (stopped)
//                kTimerDue (2, 3, 4 s)       next try        kDropTry
//
// "next try": kBroken with the action given, while a restore token is held and fewer than three
// tries were made since the streams were lost (from kLive and kPaused: none yet); otherwise
// kLost, kLose (broke off). In every state kTokenGiven and kTokenRefused say whether a token is
// held.
//
// Why it is so:
//  - Every state of a recovery but kAskingUser has a timer, and the tries are counted, so every
//    recovery ends live or lost with a message, however the desktop answers or fails to.
//  - The desktop's dialog can come in a recovery too: the portal refused the token, or does not
//    honour it (a monitor unplugged since). The user looking at it is waited for however long
//    they take, and no timer tears the dialog down.
//  - The first try waits a second after the loss: the desktop's word that the user stopped the
//    sharing (the session's Closed signal) comes shortly after the streams end. Should it come
//    later, it still comes before the portal's answer to the close of that session, which the
//    try awaits before it asks anew.
//  - A session that the desktop closes before it ever shared anything has failed; one closed
//    after, while PipeWire stays up, was stopped by the user (or its monitor unplugged).
#include "platform/portal/screen_states.h"

#include <iterator>

namespace hueclip::portal {
namespace {

using State = ScreenStates::State;
using Event = ScreenStates::Event;
using Action = ScreenStates::Action;

constexpr int kPauseBeforeTryMs = 1000;
// What each try is given, to answer and then to send its first buffer: a portal may never answer
// when the desktop cannot start the screen cast, and a busy desktop needs longer.
constexpr int kTryMs[] = {2000, 3000, 4000};

}  // namespace

int ScreenStates::TimerMs() const {
  switch (state_) {
    case State::kBroken:
      return kPauseBeforeTryMs;
    case State::kRetrying:
    case State::kAwaitingData:
      return kTryMs[tries_ - 1];
    default:
      return 0;
  }
}

Action ScreenStates::Lose(Loss loss) {
  state_ = State::kLost;
  loss_ = loss;
  return Action::kLose;
}

Action ScreenStates::NextTry(Action then) {
  if (!restorable_ || tries_ == static_cast<int>(std::size(kTryMs))) return Lose(Loss::kBrokeOff);
  state_ = State::kBroken;
  return then;
}

Action ScreenStates::Handle(Event event) {
  if (event == Event::kTokenGiven) restorable_ = true;
  if (event == Event::kTokenRefused) restorable_ = false;
  switch (state_) {
    case State::kStarting:
      switch (event) {
        case Event::kStarted:
          state_ = State::kLive;
          return Action::kConnect;
        case Event::kRefused:
          return Lose(Loss::kRefused);
        case Event::kFailed:
        case Event::kClosed:
          return Lose(Loss::kFailed);
        case Event::kUnavailable:
          state_ = State::kLost;
          return Action::kHandOver;
        default:
          return Action::kNone;
      }
    case State::kLive:
    case State::kPaused:
      if (event == Event::kIdle && state_ == State::kLive) {
        state_ = State::kPaused;
        return Action::kPause;
      }
      if (event == Event::kPass && state_ == State::kPaused) {
        state_ = State::kLive;
        return Action::kResume;
      }
      if (event == Event::kClosed) return Lose(Loss::kStopped);
      if (event != Event::kStreamsLost) return Action::kNone;
      tries_ = 0;
      return NextTry(Action::kBreak);
    case State::kBroken:
      if (event == Event::kLostClosed) return Lose(Loss::kStopped);
      if (event != Event::kTimerDue) return Action::kNone;
      state_ = State::kRetrying;
      ++tries_;
      return Action::kAskAgain;
    case State::kRetrying:
    case State::kAskingUser:
      switch (event) {
        case Event::kStarted:
          state_ = State::kAwaitingData;
          return Action::kConnect;
        case Event::kChoosing:
        case Event::kTokenRefused:
          state_ = State::kAskingUser;
          return Action::kNone;
        case Event::kFailed:
        case Event::kUnavailable:
        case Event::kClosed:
          return NextTry(Action::kNone);
        case Event::kRefused:
          return Lose(Loss::kRefused);
        case Event::kLostClosed:
          return Lose(Loss::kStopped);
        case Event::kTimerDue:  // the user is given no time limit
          return state_ == State::kRetrying ? NextTry(Action::kDropTry) : Action::kNone;
        default:
          return Action::kNone;
      }
    case State::kAwaitingData:
      switch (event) {
        case Event::kData:
          state_ = State::kLive;
          return Action::kGoLive;
        case Event::kStreamsLost:
          return NextTry(Action::kBreak);
        case Event::kClosed:
          return Lose(Loss::kStopped);
        case Event::kTimerDue:
          return NextTry(Action::kDropTry);
        default:
          return Action::kNone;
      }
    case State::kLost:
      return Action::kNone;
  }
  return Action::kNone;
}

}  // namespace hueclip::portal
