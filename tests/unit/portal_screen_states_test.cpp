#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/portal/screen_states.h"

namespace hueclip::portal {
namespace {

using State = ScreenStates::State;
using Event = ScreenStates::Event;
using Action = ScreenStates::Action;

// The events by name, in the order of ScreenStates::Event.
const std::vector<std::string> kEvents = {
    "started", "token",       "token-refused", "choosing", "refused", "failed", "unavailable",
    "closed",  "lost-closed", "lost",          "data",     "due",     "pass",   "idle"};
Event Named(const std::string& name) {
  return Event(std::find(kEvents.begin(), kEvents.end(), name) - kEvents.begin());
}

// How a screen that asked with a stored token ends after `events` once time has passed (its
// state's timer runs out as long as it has one): "live", "paused", "asking the user",
// "starting", what its owner was told ("lost: " and why, "handed over"), each time it was, or
// "stuck" in a recovery that waits for nothing.
std::string End(const std::string& events) {
  ScreenStates s(true);
  const char* losses[] = {"refused", "failed", "stopped", "broke off"};
  std::string told;
  const auto feed = [&](Event e) {
    const Action a = s.Handle(e);
    if (a != Action::kLose && a != Action::kHandOver) return;
    told += std::string(told.empty() ? "" : ", ") +
            (a == Action::kLose ? std::string("lost: ") + losses[int(s.Why())] : "handed over");
  };
  std::istringstream in(events);
  for (std::string word; in >> word;) feed(Named(word));
  for (int i = 0; i < 20 && s.TimerMs() > 0; ++i) feed(Event::kTimerDue);
  const char* ends[] = {"starting", "live", "paused", "stuck", "stuck", "asking the user", "stuck"};
  if (s.TimerMs() > 0) return "never ends";
  return s.Now() == State::kLost ? (told.empty() ? "lost untold" : told) : ends[int(s.Now())];
}

TEST(PortalScreenStates, EveryPathEndsLiveOrLostWithAMessage) {
  const std::pair<const char*, const char*> paths[] = {
      // The first session; the user may take their time in the dialog.
      {"choosing", "starting"},
      {"choosing started data", "live"},
      {"choosing refused", "lost: refused"},
      {"failed", "lost: failed"},
      {"closed", "lost: failed"},  // before anything was shared
      {"unavailable", "handed over"},
      {"started data idle", "paused"},
      {"started data idle pass", "live"},
      // The streams lost: shared again with the token, after a second, also after a try failed.
      {"started data lost due started data", "live"},
      {"started data idle lost due started data", "live"},
      {"started data lost due unavailable due started data", "live"},
      {"started data lost due failed due choosing started data", "live"},
      // The user's stop, whenever the desktop's word comes.
      {"started data closed", "lost: stopped"},
      {"started data lost lost-closed", "lost: stopped"},
      {"started data lost due lost-closed", "lost: stopped"},
      // Given up after the last try: the desktop never answers, or fails...
      {"started data lost", "lost: broke off"},
      {"started data lost due failed due closed due unavailable", "lost: broke off"},
      // ... or the new streams never send anything, or fail first, also after the user shared.
      {"started data lost due started", "lost: broke off"},
      {"started data lost due token-refused choosing token started", "lost: broke off"},
      {"started data lost due token-refused choosing token started lost", "lost: broke off"},
      // A token refused, or not honoured, in a recovery: the user is asked, and waited for.
      {"started data lost due token-refused", "asking the user"},
      {"started data lost due choosing", "asking the user"},
      {"started data lost due choosing started data", "live"},
      {"started data lost due token-refused choosing refused", "lost: refused"},
      {"started data lost due token-refused choosing failed", "lost: broke off"},  // no token
      {"token-refused choosing started data lost", "lost: broke off"},
  };
  for (const auto& [events, end] : paths) EXPECT_EQ(End(events), end) << events;
}

// Whatever comes, in whatever order, a recovery always waits for something, its timer or the
// user, and ends live or lost with one message. Every sequence of up to four events once live.
TEST(PortalScreenStates, NoSequenceOfEventsLeavesARecoveryWaitingForNothing) {
  std::string wrong;
  const std::function<void(const std::string&, int)> explore = [&](const std::string& path,
                                                                   int depth) {
    for (const std::string& name : kEvents) {
      const std::string next = path + " " + name, end = End(next);
      const bool toldOnce = (end.starts_with("lost: ") || end == "handed over") &&
                            end.find(", ") == std::string::npos;
      if (!toldOnce && end != "live" && end != "paused" && end != "asking the user")
        wrong = next + ": " + end;
      if (depth > 1 && wrong.empty()) explore(next, depth - 1);
    }
  };
  explore("started data", 4);
  EXPECT_EQ(wrong, "");
}

}  // namespace
}  // namespace hueclip::portal
