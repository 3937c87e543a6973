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

// A cell: opaque, its interior in the fill colour inside a 1-pixel line in the border colour.
void PaintCell(QPainter& painter, const Control& cell, const QRect& area, const QPalette& palette) {
  painter.fillRect(area, Resolve(cell.BorderColor(), palette));
  painter.fillRect(area.adjusted(1, 1, -1, -1), Resolve(cell.FillColor(), palette));
}

// A label: an opaque rectangle in its back colour with the caption in its fore colour, aligned
// as described, optionally inside a flat 1-pixel line. Its size never follows the text.
void PaintLabel(QPainter& painter, const Control& label, QRect area, const QPalette& palette) {
  const ControlDesc& desc = label.desc();
  painter.fillRect(area, Resolve(desc.back, palette));
  if (desc.bordered) {
    painter.setPen(Resolve(kSysWindowText, palette));
    painter.drawRect(area.adjusted(0, 0, -1, -1));
    area.adjust(1, 1, -1, -1);
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

FormWidget::FormWidget(const Window& window, QWidget* parent, Qt::WindowFlags flags)
    : QWidget(parent, flags), window_(window), hand_(QPixmap(hand_xpm), 4, 0) {
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
  // Each call covers all earlier ones, so the dirty region stays a single rectangle.
  pending_ |= AreaOf(control);
  update(pending_);
}

bool FormWidget::event(QEvent* event) {
  if (event->type() == QEvent::UpdateRequest) pending_ = QRect();
  return QWidget::event(event);
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
  QPainter painter(this);
  const QPalette& colours = palette();
  painter.fillRect(event->rect(), Resolve(window_.desc().back, colours));
  for (const auto& [id, area] : windowless_) {
    if (!event->region().intersects(area)) continue;
    const Control& control = window_.control(id);
    if (control.desc().kind == ControlKind::Cell)
      PaintCell(painter, control, area, colours);
    else
      PaintLabel(painter, control, area, colours);
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
