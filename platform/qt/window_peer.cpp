#include "platform/qt/window_peer.h"

#include <algorithm>

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include "platform/qt/colours.h"
#include "platform/qt/controls.h"
#include "platform/qt/key_preview.h"
#include "platform/twips.h"

namespace hueclip::qt {
namespace {

// The interface font of every caption: a sans-serif face at 8.25 pt. The captions were sized for
// the narrow faces of Windows, so a face with their widths comes first where one is installed,
// then the desktop's own.
QFont InterfaceFont() {
  QFont font = QApplication::font();
  font.setFamilies({QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Arial"),
                    QStringLiteral("Liberation Sans"), font.family()});
  font.setStyleHint(QFont::SansSerif);
  font.setPointSizeF(8.25);
  return font;
}

// A control's own font. Only the text box has one, a fixed-pitch face; where that face is
// missing a fixed-pitch face of the system stands in, so that columns of text stay aligned.
QFont ControlFont(const FontDesc& desc) {
  QFont font(QString::fromUtf8(desc.face));
  font.setStyleHint(QFont::TypeWriter);
  font.setFixedPitch(true);
  font.setPointSizeF(desc.points);
  font.setWeight(static_cast<QFont::Weight>(desc.weight));
  if (!QFontInfo(font).fixedPitch()) {
    QFont standIn = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    standIn.setPointSizeF(desc.points);
    standIn.setWeight(static_cast<QFont::Weight>(desc.weight));
    return standIn;
  }
  return font;
}

// Text box contents: lines end in CR LF in the program, in LF in Qt.
QString TextBoxText(const std::string& text) {
  return QString::fromStdString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

// The width of the lines round cells and bordered labels: a pixel at 96 dpi (15 twips), scaled
// with the DPI like everything else in the window (2 at 144 and 192 dpi), never below a pixel.
int LineWidth(int dpi) { return std::max(1, TwipsToPixels(15, dpi)); }

QRect Place(const TwipsRect& twips, int dpi) {
  const PixelRect r = TwipsToPixels(twips, dpi);
  return {r.left, r.top, r.width, r.height};
}

}  // namespace

QtWindowPeer::QtWindowPeer(Window& window, QWidget* parent, int dpi) : window_(window) {
  const WindowDesc& desc = window.desc();
  // Title bar with the window menu and the close button only. mutter gives the title the room of
  // the buttons it leaves out; openbox shows its minimise and maximise buttons whatever a window
  // asks, short of a toolbar or menu window type, which would lose minimising and the task bar.
  Qt::WindowFlags flags = Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint;
  // A window without a task-bar button of its own is a dialog of the program's main window.
  flags |= desc.taskbarButton ? Qt::Window : Qt::Dialog;
  top_ = std::make_unique<FormWidget>(window, desc.taskbarButton ? nullptr : parent, flags,
                                      LineWidth(dpi));
  top_->clicked = [this](std::size_t id) { window_.Clicked(id); };
  // A window that another client destroyed is closed: the main window's end ends the program.
  top_->destroyedByOthers = [this] {
    if (window_.desc().taskbarButton)
      QCoreApplication::quit();
    else if (top_->closed)
      top_->closed();
  };
  Build(dpi);
  keyPreview_ = std::make_unique<KeyPreview>(window_, *top_);
}

// The key filter goes before the widget it watches.
QtWindowPeer::~QtWindowPeer() { keyPreview_.reset(); }

void QtWindowPeer::Build(int dpi) {
  const WindowDesc& desc = window_.desc();
  const QSize client(TwipsToPixels(desc.clientWidth, dpi), TwipsToPixels(desc.clientHeight, dpi));
  if (desc.frame == Frame::FixedDialog)
    top_->setFixedSize(client);
  else
    top_->resize(client);
  top_->setWindowTitle(QString::fromStdString(window_.Caption()));
  QPalette palette = top_->palette();
  palette.setColor(QPalette::Window, Resolve(desc.back, palette));
  top_->setPalette(palette);
  top_->setFont(InterfaceFont());

  widgets_.assign(window_.ControlCount(), nullptr);
  timers_.assign(window_.ControlCount(), nullptr);
  for (std::size_t id = 0; id < window_.ControlCount(); ++id) {
    const Control& control = window_.control(id);
    const ControlKind kind = control.desc().kind;
    if (kind == ControlKind::Cell || kind == ControlKind::Label) {
      top_->AddWindowless(id, Place(control.desc().rect, dpi));
      continue;
    }
    if (kind == ControlKind::Timer) {
      auto* timer = new QTimer(top_.get());
      timer->setTimerType(Qt::PreciseTimer);
      QObject::connect(timer, &QTimer::timeout, [this, id] { window_.TimerFired(id); });
      timers_[id] = timer;
    } else {
      widgets_[id] = MakeControl(control, dpi);
    }
    ControlChanged(id);
  }
}

QWidget* QtWindowPeer::MakeControl(const Control& control, int dpi) {
  const ControlDesc& desc = control.desc();
  const std::size_t id = control.id();
  QWidget* widget = nullptr;
  switch (desc.kind) {
    case ControlKind::Button: {
      auto* button = new QPushButton(top_.get());
      QObject::connect(button, &QPushButton::clicked, [this, id] { window_.Clicked(id); });
      widget = button;
      break;
    }
    case ControlKind::TextBox: {
      auto* box = new QPlainTextEdit(top_.get());
      box->setReadOnly(true);
      box->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
      box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
      box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
      box->setLineWrapMode(QPlainTextEdit::WidgetWidth);
      box->setFrameStyle(desc.bordered ? QFrame::StyledPanel | QFrame::Sunken : QFrame::NoFrame);
      box->document()->setDocumentMargin(1);
      QPalette palette = box->palette();
      palette.setColor(QPalette::Base, Resolve(desc.back, palette));
      palette.setColor(QPalette::Text, Resolve(desc.fore, palette));
      box->setPalette(palette);
      widget = box;
      break;
    }
    case ControlKind::Label:
    case ControlKind::Cell:
    case ControlKind::Timer:
      return nullptr;  // painted by the window, or not visible
  }
  if (desc.font != nullptr) widget->setFont(ControlFont(*desc.font));
  // Only controls in the tab order take the keyboard focus.
  if (desc.tabIndex < 0) widget->setFocusPolicy(Qt::NoFocus);
  widget->setGeometry(Place(desc.rect, dpi));
  return widget;
}

WindowHandle QtWindowPeer::Handle() const { return static_cast<WindowHandle>(top_->winId()); }

void QtWindowPeer::CaptionChanged() {
  top_->setWindowTitle(QString::fromStdString(window_.Caption()));
}

void QtWindowPeer::ControlChanged(std::size_t id) {
  const Control& control = window_.control(id);
  if (QTimer* timer = timers_[id]) {
    if (control.Interval() <= 0)
      timer->stop();
    else if (!timer->isActive() || timer->interval() != control.Interval())
      timer->start(control.Interval());
    return;
  }
  QWidget* widget = widgets_[id];
  switch (control.desc().kind) {
    case ControlKind::Button:
      static_cast<QPushButton*>(widget)->setText(QString::fromStdString(control.Caption()));
      break;
    case ControlKind::TextBox: {
      auto* box = static_cast<QPlainTextEdit*>(widget);
      const QString text = TextBoxText(control.Caption());
      if (box->toPlainText() != text) box->setPlainText(text);
      break;
    }
    default:
      top_->Repaint(id);
      break;
  }
}

void QtWindowPeer::Show() {
  top_->show();
  top_->raise();
  top_->activateWindow();
}

void QtWindowPeer::ShowModal() {
  QEventLoop loop;
  top_->closed = [&loop] { loop.quit(); };
  top_->setWindowModality(Qt::ApplicationModal);
  Show();
  loop.exec();
  top_->closed = nullptr;
  top_->hide();
}

}  // namespace hueclip::qt
