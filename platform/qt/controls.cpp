#include "platform/qt/controls.h"

#include <QCloseEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>

#include <xcb/xproto.h>

#include "platform/qt/colours.h"
#include "resources/hand.xpm"

namespace hueclip::qt {
namespace {

// A rectangle in `fill` inside a line `line` pixels wide in `border`: filled rather than drawn with
// a pen, which costs QPainter far more for the same pixels.
void FillFramed(QPainter& painter, const QRect& area, int line, const QColor& border,
                const QColor& fill) {
  painter.fillRect(area, border);
  painter.fillRect(area.adjusted(line, line, -line, -line), fill);
}

// A cell: opaque, its interior in the fill colour inside a line in the border colour.
void PaintCell(QPainter& painter, const Control& cell, const QRect& area, int line,
               const QPalette& palette) {
  FillFramed(painter, area, line, Resolve(cell.BorderColor(), palette),
             Resolve(cell.FillColor(), palette));
}

// A label: an opaque rectangle in its back colour with the caption in its fore colour, aligned
// as described, optionally inside a flat line. Its size never follows the text.
void PaintLabel(QPainter& painter, const Control& label, QRect area, int line,
                const QPalette& palette) {
  const ControlDesc& desc = label.desc();
  if (desc.bordered) {
    FillFramed(painter, area, line, Resolve(kSysWindowText, palette), Resolve(desc.back, palette));
    area.adjust(line, line, -line, -line);
  } else {
    painter.fillRect(area, Resolve(desc.back, palette));
  }
  int flags = Qt::AlignTop | Qt::TextWordWrap;
  switch (desc.align) {
    case Align::Left:
      flags |= Qt::AlignLeft;
      break;
    case Align::Right:
      flags |= Qt::AlignRight;
      break;
    case Align::Centre:
      flags |= Qt::AlignHCenter;
      break;
  }
  painter.setPen(Resolve(desc.fore, palette));
  painter.drawText(area, flags, QString::fromStdString(label.Caption()));
}

}  // namespace

FormWidget::FormWidget(const Window& window, QWidget* parent, Qt::WindowFlags flags, int line)
    : QWidget(parent, flags), window_(window), line_(line), hand_(QPixmap(hand_xpm), 4, 0) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(true);  // for the pointer over the labels
}

void FormWidget::AddWindowless(std::size_t control, const QRect& area) {
  windowless_.emplace_back(control, area);
}

QRect FormWidget::AreaOf(std::size_t control) const {
  for (const auto& [id, area] : windowless_)
    if (id == control) return area;
  return {};
}

void FormWidget::Repaint(std::size_t control) {
  const QRect area = AreaOf(control);
  // The cells change together: one rectangle round them costs less to clip to and to flush
  // than 25 rectangles of their own.
  if (window_.control(control).desc().kind == ControlKind::Cell) {
    cells_ |= area;
    update(cells_);
  } else {
    update(area);
  }
}

bool FormWidget::nativeEvent(const QByteArray& eventType, void* message, qintptr* result) {
  // Qt has no event for a native window that another client destroys (xdotool windowclose; xkill
  // cuts the whole connection instead, on which Qt ends the program): the window would be gone
  // and the widget would go on without it. The handler runs once Qt is done with the event: Qt
  // goes on with its object for the native window after this returns, and closing the window
  // here would delete that object under it.
  if (eventType == "xcb_generic_event_t" && destroyedByOthers) {
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) == XCB_DESTROY_NOTIFY &&
        reinterpret_cast<const xcb_destroy_notify_event_t*>(event)->window == winId()) {
      QMetaObject::invokeMethod(
          this, [this] { destroyedByOthers(); }, Qt::QueuedConnection);
    }
  }
  return QWidget::nativeEvent(eventType, message, result);
}

void FormWidget::paintEvent(QPaintEvent* event) {
  cells_ = QRect();
  QPainter painter(this);
  const QPalette& colours = palette();
  const QColor back = Resolve(window_.desc().back, colours);
  // One rectangle of the region at a time: QPainter clips far faster to a rectangle than to a
  // region of several.
  for (const QRect& rect : event->region()) {
    painter.setClipRect(rect);
    painter.fillRect(rect, back);
    for (const auto& [id, area] : windowless_) {
      if (!area.intersects(rect)) continue;
      const Control& control = window_.control(id);
      if (control.desc().kind == ControlKind::Cell)
        PaintCell(painter, control, area, line_, colours);
      else
        PaintLabel(painter, control, area, line_, colours);
    }
  }
}

std::size_t FormWidget::LabelAt(const QPoint& point) const {
  for (const auto& [id, area] : windowless_)
    if (area.contains(point) && window_.control(id).desc().kind == ControlKind::Label) return id;
  return kNone;
}

void FormWidget::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) pressed_ = LabelAt(event->position().toPoint());
}

void FormWidget::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const std::size_t pressed = pressed_;
  pressed_ = kNone;
  if (pressed != kNone && LabelAt(event->position().toPoint()) == pressed && clicked)
    clicked(pressed);
}

void FormWidget::mouseMoveEvent(QMouseEvent* event) {
  const std::size_t over = LabelAt(event->position().toPoint());
  if (over != kNone && window_.control(over).desc().pointer == Pointer::Hand)
    setCursor(hand_);
  else
    unsetCursor();
}

void FormWidget::closeEvent(QCloseEvent* event) {
  QWidget::closeEvent(event);
  if (event->isAccepted() && closed) closed();
}

}  // namespace hueclip::qt
