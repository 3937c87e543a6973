#pragma once

#include <memory>
#include <vector>

#include <QWidget>

#include "platform/window.h"

class QTimer;

namespace hueclip::qt {

class FormWidget;
class KeyPreview;

// The native window of one Window: a top-level widget that paints the labels and cells itself,
// a child widget per button and text box, and a QTimer per timer, placed once from the
// description's twips at the screen's DPI and never laid out again.
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
  std::unique_ptr<FormWidget> top_;
  std::unique_ptr<KeyPreview> keyPreview_;
  std::vector<QWidget*> widgets_;  // by control id: buttons and text boxes; owned by top_
  std::vector<QTimer*> timers_;    // by control id; null for the rest; owned by top_
};

}  // namespace hueclip::qt
