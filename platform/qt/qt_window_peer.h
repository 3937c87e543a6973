#pragma once

#include <functional>
#include <memory>
#include <vector>

#include <QWidget>

#include "platform/window.h"

class QTimer;

namespace hueclip::qt {

class KeyPreview;

// The top-level widget of a window; tells its peer when the user closes it.
class TopLevelWidget final : public QWidget {
 public:
  TopLevelWidget(QWidget* parent, Qt::WindowFlags flags) : QWidget(parent, flags) {}
  std::function<void()> closed;

 protected:
  void closeEvent(QCloseEvent* event) override;
};

// The native window of one Window: a top-level widget with one child widget per visible control
// and a QTimer per timer, placed once from the description's twips at the screen's DPI and never
// laid out again.
class QtWindowPeer final : public WindowPeer {
 public:
  // `parent` is the window that a window without a task-bar button of its own belongs to.
  QtWindowPeer(Window& window, QWidget* parent, int dpi);
  ~QtWindowPeer() override;

  WindowHandle Handle() const override;
  void CaptionChanged() override;
  void ControlChanged(std::size_t control) override;
  void Show() override;
  void ShowModal() override;

 private:
  void Build(int dpi);
  QWidget* MakeControl(const Control& control, int dpi);

  Window& window_;
  std::unique_ptr<TopLevelWidget> top_;
  std::unique_ptr<KeyPreview> keyPreview_;
  std::vector<QWidget*> widgets_;  // by control id; null for timers; owned by top_
  std::vector<QTimer*> timers_;    // by control id; null for the rest; owned by top_
};

}  // namespace hueclip::qt
