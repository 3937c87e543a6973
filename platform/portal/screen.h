#pragma once

#include <QTimer>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/portal/monitor_layout.h"
#include "platform/portal/pointer_tracker.h"
#include "platform/portal/session.h"
#include "platform/portal/sight.h"
#include "platform/services.h"

namespace hueclip::portal {

class PipeWireConnection;
class MonitorStream;

// The cursor and the screen pixels on a Wayland desktop, through the screen-cast portal and
// PipeWire. See screen.cpp for what it does and does not support.
class PortalScreen final : public Screen {
 public:
  using Failure = PortalSession::Failure;

  // Asks the portal for every monitor at once (the desktop shows its sharing dialog unless a
  // stored restore token lets it skip it); nothing waits for the portal. `onFailure` is called
  // once, from the event loop and never from inside GetWindowDC, when the screen
  // turns out unreadable for good: no portal could be started or it cannot give the pointer's
  // position (kUnavailable: another provider must serve), the user refused, the portal failed,
  // the sharing was stopped from the desktop, or it broke off and could not be started again.
  // It may also be called once with kNoPicture, before any failure: the streams have carried the
  // pointer's position but no picture for a while; the screen keeps waiting for one.
  // Needs the Qt application.
  explicit PortalScreen(std::function<void(Failure)> onFailure);
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

  void Ask(const QString& token);
  void OnStarted(int fd, const QList<PortalStream>& streams, const QString& token);
  void OnFailed(Failure failure);
  void Break(bool pipewireGone);
  void Restart();
  void Lose(Failure failure);
  void Pause();
  void Resume();
  std::vector<MonitorRect> Rects() const;

  std::function<void(Failure)> onFailure_;
  std::string tokenPath_;
  QString token_;  // the newest restore token, for a new session
  std::unique_ptr<PortalSession> session_;
  std::unique_ptr<PipeWireConnection> connection_;
  std::vector<PortalStream> monitors_;
  std::vector<std::unique_ptr<MonitorStream>> streams_;
  bool lost_ = false;
  bool down_ = false;          // the streams were lost and are not replaced yet
  bool pipewireGone_ = false;  // ... because PipeWire went away
  bool recovering_ = false;    // new sessions are tried until data comes again
  std::size_t tries_ = 0;      // of these new sessions
  bool paused_ = false;
  PointerTracker pointer_;
  Sight sight_;
  QTimer idle_;
  QTimer restart_;
};

}  // namespace hueclip::portal
