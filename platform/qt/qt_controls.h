#pragma once

#include <functional>

#include <QWidget>

#include "platform/window.h"

namespace hueclip::qt {

// A cell of the grid: opaque, its interior in the fill colour inside a 1-pixel line in the
// border colour. Drawn from the control's properties as they stand at each paint.
class CellWidget final : public QWidget {
 public:
  CellWidget(const Control& control, QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  const Control& control_;
};

// A label: an opaque rectangle in its back colour with the caption in its fore colour, aligned
// as described, optionally inside a flat 1-pixel line. Its size never follows the text. A left
// button press and release inside it is a click.
class LabelWidget final : public QWidget {
 public:
  LabelWidget(const Control& control, std::function<void()> clicked, QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  const Control& control_;
  std::function<void()> clicked_;
  bool pressed_ = false;
};

}  // namespace hueclip::qt
