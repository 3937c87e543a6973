#pragma once

#include "platform/portal/loss.h"

namespace hueclip::portal {

// What the portal screen waits for, and what it does on each event of its portal session, its
// streams, its timer and the picker's passes. The transition table is at the top of
// screen_states.cpp. Neither Qt nor a portal is needed: the screen (screen.cpp) tells it every
// event, does what it answers, and runs its timer for TimerMs() whenever its state changes.
class ScreenStates {
 public:
  enum class State {
    kStarting,      // the first session is asked for: the desktop, and maybe the user, answer
    kLive,          // the streams run
    kPaused,        // the streams are paused, as no pass came for a while (a frozen picker)
    kBroken,        // the streams were lost: the next try waits its time
    kRetrying,      // the lost session is closed, a new one asked for: the desktop answers
    kAskingUser,    // the desktop may show its sharing dialog: the user answers
    kAwaitingData,  // the new session's streams are set up: their first buffer is awaited
    kLost,          // for good
  };
  enum class Event {
    kStarted,       // the session shares the monitors
    kTokenGiven,    // the session gave a restore token, which is stored
    kTokenRefused,  // the portal refused the restore token: the session asks the user instead
    kChoosing,      // the desktop is asked to start: its dialog comes unless a token serves
    kRefused,       // the user said no in the dialog
    kFailed,        // the portal or the desktop could not set the sharing up
    kUnavailable,   // no portal could be started, or it cannot give the pointer's position
    kClosed,        // the desktop ended the session, PipeWire staying up
    kLostClosed,    // the desktop ended the session whose streams were lost, PipeWire staying up
    kStreamsLost,   // a stream or its node went away, or PipeWire itself
    kData,          // a buffer came from a stream
    kTimerDue,      // the state's timer ran out
    kPass,          // a pass asks for the screen
    kIdle,          // no pass came for a while
  };
  enum class Action {
    kNone,
    kConnect,   // set up the streams of the session that started, and watch for passes
    kGoLive,    // watch for passes
    kPause,     // pause the streams
    kResume,    // resume them
    kBreak,     // the streams are lost: forget the pointer; their session is heard until closed
    kAskAgain,  // end the last try, close the lost session, await the portal, ask with the token
    kDropTry,   // end the try's streams and sessions
    kLose,      // end everything and tell the user why (Why())
    kHandOver,  // end everything: another way of reading the screen must serve
  };

  // `tokenStored`: the first session asks with a restore token kept from an earlier run.
  explicit ScreenStates(bool tokenStored) : restorable_(tokenStored) {}

  Action Handle(Event event);

  State Now() const { return state_; }
  // How long the state waits for its kTimerDue; 0 when it waits for something else.
  int TimerMs() const;
  // In kLost: why.
  Loss Why() const { return loss_; }

 private:
  Action Lose(Loss loss);
  Action NextTry(Action then);

  State state_ = State::kStarting;
  bool restorable_;  // a restore token is held: the desktop can share again without asking
  int tries_ = 0;    // sessions asked for since the streams were lost
  Loss loss_ = Loss::kFailed;
};

}  // namespace hueclip::portal
