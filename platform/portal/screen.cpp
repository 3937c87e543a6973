// Screen provider for Wayland desktops: the xdg-desktop-portal ScreenCast interface (over Qt
// D-Bus) and PipeWire.
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
//    sessions are started with the restore token, silently, three tries within ten seconds.
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
#include <iterator>

#include "platform/portal/log.h"
#include "platform/portal/pipewire_connection.h"
#include "platform/portal/pipewire_stream.h"
#include "platform/portal/restore_token.h"

namespace hueclip::portal {
namespace {

// This long without a pass means the picker is frozen.
constexpr int kIdleMs = 3 * kSampleIntervalMs;

// When the streams are lost, new sessions are tried this long after the loss; a try that has
// not started by the next one's time is given up (a portal may never answer when the desktop
// cannot start the screen cast), and by the last time the sharing is lost. The first wait also
// leaves the desktop time to tell whether the user stopped the sharing (the session's Closed
// signal comes shortly after the streams end then).
constexpr int kTriesAtMs[] = {1000, 3000, 6000, 10000};

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
      token_(QString::fromStdString(LoadRestoreToken(tokenPath_))) {
  idle_.setSingleShot(true);
  idle_.setInterval(kIdleMs);
  connect(&idle_, &QTimer::timeout, this, &PortalScreen::Pause);
  restart_.setSingleShot(true);
  connect(&restart_, &QTimer::timeout, this, &PortalScreen::Restart);
  Ask(token_);
}

PortalScreen::~PortalScreen() {
  streams_.clear();
  connection_.reset();
}

void PortalScreen::Ask(const QString& token) {
  session_ = std::make_unique<PortalSession>(token);
  connect(session_.get(), &PortalSession::Started, this, &PortalScreen::OnStarted);
  connect(session_.get(), &PortalSession::Unavailable, this, &PortalScreen::OnUnavailable);
  connect(session_.get(), &PortalSession::Failed, this, &PortalScreen::OnFailed);
  connect(session_.get(), &PortalSession::TokenRefused, this, [this] {
    token_.clear();
    ForgetRestoreToken(tokenPath_);
    restart_.stop();  // the user is asked now, and may take their time
  });
  session_->Start();
}

void PortalScreen::OnStarted(int fd, const QList<PortalStream>& streams, const QString& token) {
  if (state_ == State::kLost) {
    close(fd);
    return;
  }
  if (state_ == State::kBroken)
    state_ = State::kRecovering;
  else
    GoLive();
  sight_.NoteShared();
  if (!token.isEmpty()) {
    token_ = token;
    SaveRestoreToken(tokenPath_, token.toStdString());
  }
  connection_ = std::make_unique<PipeWireConnection>(
      fd, [this] { Break(); },
      [this](std::uint32_t node) {
        // A monitor's node goes when the sharing is stopped, the monitor is unplugged, or the
        // compositor lost PipeWire.
        for (const PortalStream& monitor : monitors_) {
          if (monitor.nodeId != node) continue;
          qCInfo(lcPipeWire) << "node" << node << "went away";
          Break();
        }
      });
  if (!connection_->Connected()) return Break();
  for (const PortalStream& monitor : streams) {
    const int index = static_cast<int>(streams_.size());
    monitors_.push_back(monitor);
    streams_.push_back(std::make_unique<MonitorStream>(
        connection_->core(), monitor.nodeId,
        [this, index](const PointerReport& report) {
          sight_.NotePointer(Sight::Clock::now());
          if (state_ == State::kRecovering) {  // data of the new session's streams
            GoLive();
            restart_.stop();
          }
          pointer_.Update(index, report);
        },
        [this] { Break(); }));
    if (!streams_.back()->Connected()) return Break();
  }
}

// Whether a failure of the session is one try of a recovery, and the next is due.
bool PortalScreen::RetryDue() const {
  return (state_ == State::kBroken || state_ == State::kRecovering) && restart_.isActive();
}

void PortalScreen::OnUnavailable() {
  if (!RetryDue()) Lose(Loss::kFailed, Event::kUnavailable);
}

void PortalScreen::OnFailed(Loss loss) {
  if (loss == Loss::kStopped) {
    // The session's end is the user's stop, unless PipeWire went away: mutter ends its screen
    // casts then, and our own connection, broken as well, has told so by now.
    if (connection_ != nullptr) connection_->Dispatch();
    return connection_ != nullptr && connection_->Broken() ? Break() : Lose(loss, Event::kLost);
  }
  // A refusal in a new session's dialog is final.
  if (loss == Loss::kRefused || !RetryDue()) Lose(loss, Event::kLost);
}

// The streams were lost without the user stopping the sharing: new sessions with the restore
// token, which the portal grants without asking, until data comes again.
void PortalScreen::Break() {
  pointer_.Forget();
  sight_.NotePause();
  switch (state_) {
    case State::kLost:
    case State::kBroken:
      return;
    case State::kRecovering:  // the tries go on
      state_ = State::kBroken;
      return;
    case State::kStarting:
    case State::kLive:
    case State::kPaused:
      break;
  }
  if (token_.isEmpty()) return Lose(Loss::kBrokeOff, Event::kLost);
  state_ = State::kBroken;
  tries_ = 0;
  restart_.start(kTriesAtMs[0]);
}

void PortalScreen::Restart() {
  streams_.clear();
  monitors_.clear();
  connection_.reset();
  session_.reset();
  state_ = State::kBroken;
  if (tries_ + 1 == std::size(kTriesAtMs) || token_.isEmpty())
    return Lose(Loss::kBrokeOff, Event::kLost);
  restart_.start(kTriesAtMs[tries_ + 1] - kTriesAtMs[tries_]);
  ++tries_;
  Ask(token_);
}

void PortalScreen::Lose(Loss loss, Event event) {
  if (state_ == State::kLost) return;
  state_ = State::kLost;
  restart_.stop();
  sight_.MarkLost(loss);
  qCInfo(lcPortal).noquote() << QString::fromStdString(sight_.Why());
  // Streams and session are not torn down inside their own callbacks.
  QTimer::singleShot(0, this, [this] {
    streams_.clear();
    connection_.reset();
    session_.reset();
  });
  Tell(event, event == Event::kUnavailable ? std::string() : sight_.Why());
}

// The owner is told from the event loop, never from a pass.
void PortalScreen::Tell(Event event, std::string notice) {
  QTimer::singleShot(0, this, [this, event, notice = std::move(notice)] {
    if (listener_) listener_(event, notice);
  });
}

void PortalScreen::Pause() {
  // A new session's streams are left running until they have sent something.
  if (state_ != State::kLive) return;
  state_ = State::kPaused;
  for (auto& stream : streams_) stream->Pause();
  // What the pointer did while paused is unknown: wait for fresh data after resuming.
  pointer_.Forget();
  sight_.NotePause();
}

// The idle timer runs from here as well as from each pass, so that streams that no pass ever asks
// for (the picker was frozen before they started) are paused too.
void PortalScreen::GoLive() {
  state_ = State::kLive;
  idle_.start();
}

void PortalScreen::Resume() {
  state_ = State::kLive;
  for (auto& stream : streams_) stream->Resume();
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
  if (state_ != State::kLive && state_ != State::kPaused && state_ != State::kRecovering)
    return nullptr;
  idle_.start();
  if (state_ == State::kPaused) {
    Resume();
    return nullptr;
  }
  for (const auto& stream : streams_)
    if (!stream->Frame().Empty()) sight_.NotePicture();
  if (sight_.MarkPictureless(Sight::Clock::now())) {
    qCInfo(lcPortal) << "the streams carry the pointer's position but no picture";
    Tell(Event::kNoPicture, Sight::NoPictureNotice());
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
