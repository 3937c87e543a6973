#pragma once

#include <cstddef>
#include <functional>
#include <utility>
#include <vector>

#include <QCursor>
#include <QRect>
#include <QWidget>

#include "platform/window.h"

namespace hueclip::qt {

// The top-level widget of a window. Labels and cells have no widget of their own: as the
// lightweight controls they are, the window paints them itself from their properties as they
// stand at each paint, so a tick that changes the cells and the readouts costs one paint and one
// flush to the X server. Push buttons and text boxes are real child widgets on top.
class FormWidget final : public QWidget {
 public:
  // `line` is the width in pixels of the lines round cells and bordered labels.
  FormWidget(const Window& window, QWidget* parent, Qt::WindowFlags flags, int line);

  // Places a label or a cell at `area`, in client coordinates.
  void AddWindowless(std::size_t control, const QRect& area);
  // Marks the control's area for the next paint, which draws only what was marked since the last
  // one: a label that did not change is neither laid out nor drawn again. The cells marked
  // between two paints are marked as one rectangle round them all.
  void Repaint(std::size_t control);

  std::function<void(std::size_t control)> clicked;  // a left press and release on one label
  std::function<void()> closed;                      // the user closed the window
  std::function<void()> destroyedByOthers;           // another client destroyed the native window

 protected:
  bool nativeEvent(const QByteArray& eventType, void* message, qintptr* result) override;
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  std::size_t LabelAt(const QPoint& point) const;
  QRect AreaOf(std::size_t control) const;

  const Window& window_;
  const int line_;
  std::vector<std::pair<std::size_t, QRect>> windowless_;  // in painting order
  QRect cells_;  // round the cells marked since the last paint
  std::size_t pressed_ = kNone;
  QCursor hand_;
};

}  // namespace hueclip::qt
