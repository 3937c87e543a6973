#include "platform/qt/qt_controls.h"

#include <utility>

#include <QMouseEvent>
#include <QPainter>

#include "platform/qt/qt_colours.h"

namespace hueclip::qt {

CellGridWidget::CellGridWidget(Colour background, QWidget* parent)
    : QWidget(parent), background_(background) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void CellGridWidget::Add(const Control& cell, const QRect& area) {
  cells_.emplace_back(&cell, area);
}

void CellGridWidget::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  painter.fillRect(rect(), Resolve(background_, palette()));
  for (const auto& [cell, area] : cells_) {
    painter.fillRect(area, Resolve(cell->BorderColor(), palette()));
    painter.fillRect(area.adjusted(1, 1, -1, -1), Resolve(cell->FillColor(), palette()));
  }
}

LabelWidget::LabelWidget(const Control& control, std::function<void()> clicked, QWidget* parent)
    : QWidget(parent), control_(control), clicked_(std::move(clicked)) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void LabelWidget::paintEvent(QPaintEvent* /*event*/) {
  const ControlDesc& desc = control_.desc();
  QPainter painter(this);
  QRect area = rect();
  painter.fillRect(area, Resolve(desc.back, palette()));
  if (desc.bordered) {
    painter.setPen(Resolve(kSysWindowText, palette()));
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
  painter.setPen(Resolve(desc.fore, palette()));
  painter.drawText(area, flags, QString::fromStdString(control_.Caption()));
}

void LabelWidget::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) pressed_ = true;
}

void LabelWidget::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const bool click = pressed_ && rect().contains(event->position().toPoint());
  pressed_ = false;
  if (click) clicked_();
}

}  // namespace hueclip::qt
