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
//    read nothing, until the compositor's first new frame (mutter sends one on resuming).
// Does not support:
//  - a pointer on a monitor that was not shared, or hidden: nothing can be read then, and the
//    picker keeps what it showed;
//  - portals that cannot send the pointer's position (xdg-desktop-portal-wlr): Available() is
//    false there and another provider must be used;
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
// and below rather than overlap its neighbours.
#include "platform/portal/screen.h"

#include <cstdlib>

#include "platform/portal/log.h"
#include "platform/portal/pipewire_connection.h"
#include "platform/portal/pipewire_stream.h"
#include "platform/portal/restore_token.h"

namespace hueclip::portal {
namespace {

// A picker passes ten times a second; this long without a pass means it is frozen.
constexpr int kIdleMs = 300;

}  // namespace

// One pass's view of the frames: the monitors' places and their newest frames, which stay
// valid while the pass runs, as the PipeWire loop only runs between passes.
class PortalScreen::Context final : public ScreenContext {
 public:
  Context(std::vector<PixelRect> rects, std::vector<FrameView> frames)
      : rects_(std::move(rects)), frames_(std::move(frames)) {}

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

PortalScreen::PortalScreen(std::function<void(Failure)> onFailure)
    : onFailure_(std::move(onFailure)),
      tokenPath_(RestoreTokenPath(std::getenv("XDG_STATE_HOME"), std::getenv("HOME"))) {
  idle_.setSingleShot(true);
  idle_.setInterval(kIdleMs);
  QObject::connect(&idle_, &QTimer::timeout, [this] { Pause(); });

  session_ = std::make_unique<PortalSession>(QString::fromStdString(LoadRestoreToken(tokenPath_)));
  QObject::connect(session_.get(), &PortalSession::Started, &idle_,
                   [this](int fd, const QList<PortalStream>& streams, const QString& token) {
                     OnStarted(fd, streams, token);
                   });
  QObject::connect(session_.get(), &PortalSession::Failed, &idle_,
                   [this](Failure failure) { Lose(failure); });
  session_->Start();
}

PortalScreen::~PortalScreen() {
  streams_.clear();
  connection_.reset();
}

void PortalScreen::OnStarted(int fd, const QList<PortalStream>& streams, const QString& token) {
  sight_.Shared();
  if (!token.isEmpty()) SaveRestoreToken(tokenPath_, token.toStdString());
  connection_ = std::make_unique<PipeWireConnection>(
      fd, [this] { Lose(Failure::kFailed); },
      [this](std::uint32_t node) {
        // A monitor's node goes when the sharing is stopped or the monitor is unplugged.
        for (const PortalStream& monitor : monitors_) {
          if (monitor.nodeId != node) continue;
          qCInfo(lcPipeWire) << "node" << node << "went away";
          Lose(Failure::kFailed);
        }
      });
  if (!connection_->Connected()) return Lose(Failure::kFailed);
  for (const PortalStream& monitor : streams) {
    const int index = static_cast<int>(streams_.size());
    monitors_.push_back(monitor);
    streams_.push_back(std::make_unique<MonitorStream>(
        connection_->core(), monitor.nodeId,
        [this, index](bool onMonitor, int x, int y) {
          streamed_ = true;
          sight_.Pointer(Sight::Clock::now());
          pointer_.Update(index, onMonitor, x, y);
        },
        [this] { Lose(Failure::kFailed); }));
    if (!streams_.back()->Connected()) return Lose(Failure::kFailed);
  }
}

void PortalScreen::Lose(Failure failure) {
  if (lost_) return;
  lost_ = true;
  if (failure == Failure::kFailed && streamed_) failure = Failure::kStopped;
  sight_.Lost(failure == Failure::kRefused   ? Sight::Loss::kRefused
              : failure == Failure::kStopped ? Sight::Loss::kStopped
                                             : Sight::Loss::kFailed);
  qCInfo(lcPortal).noquote() << QString::fromStdString(sight_.Why());
  // Streams and session are not torn down inside their own callbacks, and the user is told
  // from the event loop, never from a pass.
  QTimer::singleShot(0, &idle_, [this, failure] {
    streams_.clear();
    connection_.reset();
    session_.reset();
    if (onFailure_) onFailure_(failure);
  });
}

void PortalScreen::Pause() {
  if (lost_ || paused_) return;
  paused_ = true;
  for (auto& stream : streams_) stream->Pause();
  // What the pointer did while paused is unknown: wait for fresh data after resuming.
  pointer_.Forget();
  sight_.Paused();
}

void PortalScreen::Resume() {
  paused_ = false;
  for (auto& stream : streams_) stream->Resume();
}

std::vector<PixelRect> PortalScreen::Rects() const {
  std::vector<MonitorGeometry> geometry;
  for (std::size_t i = 0; i < monitors_.size(); ++i) {
    const PortalStream& m = monitors_[i];
    geometry.push_back({m.x, m.y, m.width, m.height, streams_[i]->Width(), streams_[i]->Height()});
  }
  return PlaceMonitors(geometry);
}

Point PortalScreen::GetCursorPos() { return cursor_; }

std::unique_ptr<ScreenContext> PortalScreen::GetWindowDC() {
  if (lost_ || streams_.empty()) return nullptr;
  idle_.start();
  if (paused_) {
    Resume();
    return nullptr;
  }
  for (const auto& stream : streams_)
    if (!stream->Frame().Empty()) sight_.Picture();
  if (sight_.NoPictureDue(Sight::Clock::now())) {
    qCInfo(lcPortal) << "the streams carry the pointer's position but no picture";
    QTimer::singleShot(0, &idle_, [this] {
      if (onFailure_) onFailure_(Failure::kNoPicture);
    });
  }
  const int pointed = pointer_.Monitor();
  if (pointed < 0 || streams_[static_cast<std::size_t>(pointed)]->Frame().Empty()) return nullptr;
  sight_.Seen();

  std::vector<PixelRect> rects = Rects();
  cursor_ = pointer_.At(rects);
  std::vector<FrameView> frames;
  for (const auto& stream : streams_) frames.push_back(stream->Frame());
  return std::make_unique<Context>(std::move(rects), std::move(frames));
}

}  // namespace hueclip::portal
