#pragma once

#include <functional>
#include <utility>
#include <vector>

#include <QWidget>

#include "platform/window.h"

namespace hueclip::qt {

// The cells of a window, painted together: a tick that changes every cell costs one paint and
// one flush to the X server rather than one of each per cell. Each cell is opaque, its interior
// in the fill colour inside a 1-pixel line in the border colour, drawn from the control's
// properties as they stand at each paint; between cells the window's background shows.
class CellGridWidget final : public QWidget {
 public:
  CellGridWidget(Colour background, QWidget* parent);
  // `area` is in the grid's own coordinates.
  void Add(const Control& cell, const QRect& area);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  Colour background_;
  std::vector<std::pair<const Control*, QRect>> cells_;
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
