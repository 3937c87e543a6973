#pragma once

#include <QObject>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/portal/loss.h"
#include "platform/portal/monitor_layout.h"
#include "platform/portal/pointer_tracker.h"
#include "platform/portal/screen_states.h"
#include "platform/portal/session.h"
#include "platform/portal/sight.h"
#include "platform/services.h"

namespace hueclip::portal {

class PipeWireConnection;
class MonitorStream;

// The cursor and the screen pixels on a Wayland desktop, through the screen-cast portal and
// PipeWire. See screen.cpp for what it does and does not support.
class PortalScreen final : public QObject, public Screen {
 public:
  // What the screen tells its owner, from the event loop and never from inside GetWindowDC.
  enum class Event {
    // No portal could be started, or it cannot give the pointer's position: another way of
    // reading the screen must serve. Nothing more comes.
    kUnavailable,
    // The streams have carried the pointer's position but no picture for a while; the screen
    // goes on waiting for one. Not again until a picture has come and the streams were lost and
    // shared again; never after kLost.
    kNoPicture,
    // The screen cannot be read any more: the user refused, the portal failed, the sharing was
    // stopped from the desktop, or it broke off and could not be started again. Nothing more
    // comes.
    kLost,
  };
  // Told an event with the sentence for the user (none with kUnavailable).
  using Listener = std::function<void(Event event, const std::string& notice)>;

  // Asks the portal for every monitor at once (the desktop shows its sharing dialog unless a
  // stored restore token lets it skip it); nothing waits for the portal. Needs the Qt
  // application.
  explicit PortalScreen(Listener listener);
  ~PortalScreen() override;
  PortalScreen(const PortalScreen&) = delete;
  PortalScreen& operator=(const PortalScreen&) = delete;

  // Null until a frame and the pointer's position have come (the portal may still be starting,
  // or its dialog up), while the sharing is started again, after a failure, and on the first
  // pass after a pause (the streams are resumed then).
  std::unique_ptr<ScreenContext> GetWindowDC() override;
  std::string WhyUnseen() const override { return sight_.Why(); }

 private:
  class Context;

  // A new session, with the newest restore token when there is one.
  void Ask();
  void OnStarted(int fd, const QList<PortalStream>& streams, const QString& token);
  void OnFailed(const PortalSession* session, Loss loss);
  // Tells the states of `event`, runs their timer anew when their state changed, and does what
  // they answer, but for kConnect, which is left to the caller that has the session's streams.
  ScreenStates::Action Feed(ScreenStates::Event event);
  void Connect(int fd, const QList<PortalStream>& streams);
  void EndStreams();
  // The streams and every session, the lost one too.
  void EndSessions();
  // When PipeWire went away, mutter ended every screen cast: a session's Closed signal then says
  // nothing of the user.
  bool PipeWireGone() const;
  void Break();
  void AskAgain();
  void EndAll();
  void Notify(Event event, std::string notice);
  std::vector<PixelRect> Rects() const;

  Listener listener_;
  std::string tokenPath_;
  QString token_;  // the newest restore token, for a new session
  ScreenStates states_;
  std::unique_ptr<PortalSession> session_;
  // The session whose streams were lost, until it is closed before the next try: its Closed
  // signal, should it come late, says that the user stopped the sharing.
  std::unique_ptr<PortalSession> lost_;
  std::unique_ptr<PipeWireConnection> connection_;
  std::vector<PortalStream> monitors_;
  std::vector<std::unique_ptr<MonitorStream>> streams_;
  PointerTracker pointer_;
  Sight sight_;
  QTimer idle_;   // no pass for a while: the picker is frozen
  QTimer timer_;  // the state's own (ScreenStates::TimerMs)
};

}  // namespace hueclip::portal
