#pragma once

#include <QObject>

#include "platform/window.h"

class QWidget;

namespace hueclip::qt {

// Hands every key press made in one top-level widget to its Window before the focused control
// sees it. It watches the widget's native window, which receives each key press once and then
// forwards it to the focus widget; key events propagating up the widget tree are not counted
// again. Presses are dropped while another window holds the application modal.
class KeyPreview final : public QObject {
 public:
  KeyPreview(Window& window, QWidget& top);
  ~KeyPreview() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  Window& window_;
  QWidget& top_;
};

}  // namespace hueclip::qt
