// Screen provider for Wayland desktops: the xdg-desktop-portal ScreenCast interface (over Qt
// D-Bus) and PipeWire. What it waits for, and every transition from one state to another
// (starting, live, paused, a recovery's steps, lost), is ScreenStates', in the table at the top of
// screen_states.cpp; this file does what they say.
//
// Supports:
//  - every monitor, one stream each, placed as in the desktop's layout; black outside them;
//  - the pointer's position from the streams' cursor metadata (GNOME's mutter, KDE's KWin);
//  - frames of 4-byte pixels (BGRx, BGRA, RGBx, RGBA) in CPU memory (memfd or plain memory);
//  - asking the user once: the portal's restore token is kept (restore_token.h) and the next
//    start is granted without a dialog;
//  - pausing the streams when no pass has come for a while (a frozen picker), so the compositor
//    does nothing for us, and resuming them on the next pass; that pass and the next one or two
//    read nothing, until the compositor's first new frame (mutter sends one on resuming);
//  - a portal that the session bus starts slowly: it is waited for, and nothing is read meanwhile;
//  - PipeWire restarting, or a monitor's stream going away, while the user keeps sharing: new
//    sessions are asked for with the restore token, silently, three tries at most, each a second
//    after the loss or the last one's end; one for which the desktop shows its dialog again waits
//    for the user.
// Does not support:
//  - a pointer on a monitor that was not shared, or hidden: nothing can be read then, and the
//    picker keeps what it showed;
//  - portals that cannot send the pointer's position (xdg-desktop-portal-wlr): the session's
//    first answer says so (Event::kUnavailable) and another provider must be used;
//  - DMA-BUF frames, 10-bit or YUV formats, and cropped frames (video crop metadata);
//  - monitors plugged in after the start: the session's set of monitors is fixed;
//  - asking again after a refusal, or once the sharing is stopped: the screen stays unreadable
//    until the next start.
//
// Screen pixels: each monitor's frame keeps its own pixels (a 5 x 5 block is always 5 x 5 device
// pixels), and its top-left corner is its position in the desktop's layout times the largest
// ratio of frame pixels to layout units among the monitors (monitor_layout.h). So with one scale
// everywhere (1, 2 or fractional) the monitors tile edge to edge and Pos counts device pixels from
// the layout's top-left; a monitor with a smaller scale than another leaves black gaps to its right
// and below rather than overlap its neighbours. The portal need not say where a stream lies (KDE's
// gives none), and a stream of the whole workspace overlaps the monitors': then only the stream
// that has the pointer on its own frame is read, and Pos counts its pixels from its top-left.
#include "platform/portal/screen.h"

#include <unistd.h>

#include <cstdlib>

#include "platform/portal/log.h"
#include "platform/portal/pipewire_connection.h"
#include "platform/portal/pipewire_stream.h"
#include "platform/portal/restore_token.h"

namespace hueclip::portal {
namespace {

using State = ScreenStates::State;
using Action = ScreenStates::Action;
using StateEvent = ScreenStates::Event;

// This long without a pass means the picker is frozen.
constexpr int kIdleMs = 3 * kSampleIntervalMs;

}  // namespace

// One pass's view of the frames: the monitors' places and their newest frames, which stay
// valid while the pass runs, as the PipeWire loop only runs between passes.
class PortalScreen::Context final : public ScreenContext {
 public:
  Context(Point cursor, std::vector<PixelRect> rects, std::vector<FrameView> frames)
      : ScreenContext(cursor), rects_(std::move(rects)), frames_(std::move(frames)) {}

  std::int32_t GetPixel(std::int32_t x, std::int32_t y) override {
    const int i = MonitorAt(rects_, x, y);
    if (i < 0) return -1;
    const PixelRect& r = rects_[static_cast<std::size_t>(i)];
    return frames_[static_cast<std::size_t>(i)].PixelAt(x - r.left, y - r.top);
  }

 private:
  std::vector<PixelRect> rects_;
  std::vector<FrameView> frames_;
};

PortalScreen::PortalScreen(Listener listener)
    : listener_(std::move(listener)),
      tokenPath_(RestoreTokenPath(std::getenv("XDG_STATE_HOME"), std::getenv("HOME"))),
      token_(QString::fromStdString(LoadRestoreToken(tokenPath_))),
      states_(!token_.isEmpty()) {
  idle_.setSingleShot(true);
  idle_.setInterval(kIdleMs);
  connect(&idle_, &QTimer::timeout, this, [this] { Feed(StateEvent::kIdle); });
  timer_.setSingleShot(true);
  connect(&timer_, &QTimer::timeout, this, [this] { Feed(StateEvent::kTimerDue); });
  Ask();
}

PortalScreen::~PortalScreen() {
  streams_.clear();
  connection_.reset();
}

void PortalScreen::Ask() {
  session_ = std::make_unique<PortalSession>(token_);
  const PortalSession* session = session_.get();
  connect(session, &PortalSession::Started, this, &PortalScreen::OnStarted);
  connect(session, &PortalSession::Unavailable, this, [this] { Feed(StateEvent::kUnavailable); });
  connect(session, &PortalSession::Failed, this,
          [this, session](Loss loss) { OnFailed(session, loss); });
  connect(session, &PortalSession::TokenRefused, this, [this] {
    token_.clear();
    ForgetRestoreToken(tokenPath_);
    Feed(StateEvent::kTokenRefused);
  });
  connect(session, &PortalSession::Choosing, this, [this] { Feed(StateEvent::kChoosing); });
  session_->Start();
}

void PortalScreen::OnStarted(int fd, const QList<PortalStream>& streams, const QString& token) {
  if (!token.isEmpty()) {
    token_ = token;
    SaveRestoreToken(tokenPath_, token.toStdString());
    Feed(StateEvent::kTokenGiven);
  }
  if (Feed(StateEvent::kStarted) != Action::kConnect) {
    close(fd);
    return;
  }
  Connect(fd, streams);
}

void PortalScreen::Connect(int fd, const QList<PortalStream>& streams) {
  sight_.NoteShared();
  idle_.start();  // streams that no pass ever asks for (a frozen picker) are paused too
  connection_ = std::make_unique<PipeWireConnection>(
      fd, [this] { Feed(StateEvent::kStreamsLost); },
      [this](std::uint32_t node) {
        // A monitor's node goes when the sharing is stopped, the monitor is unplugged, or the
        // compositor lost PipeWire.
        for (const PortalStream& monitor : monitors_) {
          if (monitor.nodeId != node) continue;
          qCInfo(lcPipeWire) << "node" << node << "went away";
          Feed(StateEvent::kStreamsLost);
        }
      });
  if (!connection_->Connected()) {
    Feed(StateEvent::kStreamsLost);
    return;
  }
  for (const PortalStream& monitor : streams) {
    const int index = static_cast<int>(streams_.size());
    monitors_.push_back(monitor);
    streams_.push_back(std::make_unique<MonitorStream>(
        connection_->core(), monitor.nodeId,
        [this, index](const PointerReport& report) {
          sight_.NotePointer(Sight::Clock::now());
          pointer_.Update(index, report);
          Feed(StateEvent::kData);
        },
        [this] { Feed(StateEvent::kStreamsLost); }));
    if (!streams_.back()->Connected()) {
      Feed(StateEvent::kStreamsLost);
      return;
    }
  }
}

void PortalScreen::OnFailed(const PortalSession* session, Loss loss) {
  StateEvent event = loss == Loss::kRefused ? StateEvent::kRefused : StateEvent::kFailed;
  if (loss == Loss::kStopped) {
    // The desktop closed the session. When PipeWire went away, mutter ends its screen casts: our
    // own connection, broken as well, says so once what it has pending is read.
    if (connection_ != nullptr) connection_->Dispatch();
    event = PipeWireGone()           ? StateEvent::kStreamsLost
            : session == lost_.get() ? StateEvent::kLostClosed
                                     : StateEvent::kClosed;
  }
  Feed(event);
}

ScreenStates::Action PortalScreen::Feed(StateEvent event) {
  const State before = states_.Now();
  const Action action = states_.Handle(event);
  if (states_.Now() != before) {
    if (states_.TimerMs() > 0)
      timer_.start(states_.TimerMs());
    else
      timer_.stop();
  }
  switch (action) {
    case Action::kNone:
    case Action::kConnect:
      break;
    case Action::kGoLive:
      idle_.start();
      break;
    case Action::kPause:
      for (auto& stream : streams_) stream->Pause();
      // What the pointer did while paused is unknown: wait for fresh data after resuming.
      pointer_.Forget();
      sight_.NotePause();
      break;
    case Action::kResume:
      for (auto& stream : streams_) stream->Resume();
      break;
    case Action::kBreak:
      Break();
      break;
    case Action::kAskAgain:
      AskAgain();
      break;
    case Action::kDropTry:
      EndSessions();
      break;
    case Action::kLose:
      sight_.MarkLost(states_.Why());
      qCInfo(lcPortal).noquote() << QString::fromStdString(sight_.Why());
      EndAll();
      Notify(Event::kLost, sight_.Why());
      break;
    case Action::kHandOver:
      EndAll();
      Notify(Event::kUnavailable, {});
      break;
  }
  return action;
}

// The streams stay until the next try: this may run inside their own callbacks.
void PortalScreen::Break() {
  pointer_.Forget();
  sight_.NotePause();
  lost_ = std::move(session_);
}

void PortalScreen::AskAgain() {
  const bool pipeWireGone = PipeWireGone();
  EndStreams();
  session_.reset();
  qCInfo(lcPortal) << "asking the portal again with the restore token";
  if (lost_ == nullptr || pipeWireGone) {
    lost_.reset();
    Ask();
    return;
  }
  // By the portal's answer to the close, the Closed signal that says the user stopped the sharing
  // has come, if the portal had it.
  connect(lost_.get(), &PortalSession::Ended, this, [this] {
    if (states_.Now() != State::kRetrying) return;
    lost_.release()->deleteLater();
    Ask();
  });
  lost_->End();
}

void PortalScreen::EndStreams() {
  streams_.clear();
  monitors_.clear();
  connection_.reset();
  pointer_.Forget();
}

void PortalScreen::EndSessions() {
  EndStreams();
  session_.reset();
  lost_.reset();
}

bool PortalScreen::PipeWireGone() const { return connection_ != nullptr && connection_->Broken(); }

// Not torn down inside their own callbacks.
void PortalScreen::EndAll() {
  QTimer::singleShot(0, this, [this] { EndSessions(); });
}

// The owner is told from the event loop, never from a pass.
void PortalScreen::Notify(Event event, std::string notice) {
  QTimer::singleShot(0, this, [this, event, notice = std::move(notice)] {
    if (listener_) listener_(event, notice);
  });
}

std::vector<PixelRect> PortalScreen::Rects() const {
  std::vector<MonitorGeometry> geometry;
  for (std::size_t i = 0; i < monitors_.size(); ++i) {
    const PortalStream& m = monitors_[i];
    geometry.push_back(
        {m.x, m.y, m.width, m.height, streams_[i]->Width(), streams_[i]->Height(), m.positioned});
  }
  return PlaceMonitors(geometry, pointer_.Monitor());
}

std::unique_ptr<ScreenContext> PortalScreen::GetWindowDC() {
  if (states_.Now() != State::kLive && states_.Now() != State::kPaused) return nullptr;
  idle_.start();
  if (Feed(StateEvent::kPass) == Action::kResume) return nullptr;
  for (const auto& stream : streams_)
    if (!stream->Frame().Empty()) sight_.NotePicture();
  if (sight_.MarkPictureless(Sight::Clock::now())) {
    qCInfo(lcPortal) << "the streams carry the pointer's position but no picture";
    Notify(Event::kNoPicture, Sight::NoPictureNotice());
  }
  const int pointed = pointer_.Monitor();
  if (pointed < 0 || streams_[static_cast<std::size_t>(pointed)]->Frame().Empty()) return nullptr;
  sight_.MarkSeen();

  std::vector<PixelRect> rects = Rects();
  const Point cursor = pointer_.At(rects);
  std::vector<FrameView> frames;
  for (const auto& stream : streams_) frames.push_back(stream->Frame());
  return std::make_unique<Context>(cursor, std::move(rects), std::move(frames));
}

}  // namespace hueclip::portal
