// hueclip_qt_floor: the least a Qt Widgets program costs here for what Hueclip does: a window the
// size of Hueclip's main window that shows a block of colour where Hueclip has its cells (first
// painted in #123456, so its first frame can be timed the same way) and Hueclip's captions and
// four readouts in the same font and places. Like Hueclip while the pointer moves, ten times a
// second it repaints that block in a new colour and the four readouts with new text. No X reads.
#include <array>

#include <QApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QTimer>
#include <QWidget>

namespace {

struct Caption {
  QRect area;
  const char* text;
  Qt::Alignment align;
  QRgb colour;
};

// Hueclip's labels at 96 dpi, captions first.
constexpr std::array<Caption, 5> kCaptions{{
    {{6, 102, 22, 13}, "Pos:", Qt::AlignLeft, 0x000000},
    {{3, 123, 25, 13}, "Hex:", Qt::AlignRight, 0x000000},
    {{-12, 144, 40, 13}, "RGB:", Qt::AlignRight, 0x000000},
    {{0, 165, 28, 13}, "Long:", Qt::AlignRight, 0x000000},
    {{0, 186, 112, 13}, "Visit Quorvane Labs", Qt::AlignHCenter, 0x0000ff},
}};
constexpr std::array<QRect, 4> kReadouts{
    {{33, 102, 79, 16}, {33, 123, 79, 16}, {33, 144, 79, 16}, {33, 165, 79, 16}}};

class Floor final : public QWidget {
 public:
  Floor() {
    setAttribute(Qt::WA_OpaquePaintEvent);
    QFont font = QApplication::font();
    font.setFamilies({QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Arial"),
                      QStringLiteral("Liberation Sans"), font.family()});
    font.setPointSizeF(8.25);
    setFont(font);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      colour_ = QColor::fromRgb(colour_.rgb() ^ 0x000101);
      ++tick_;
      update(kBlock);
      for (const QRect& r : kReadouts) update(r);
    });
    timer_.start(100);
  }

 protected:
  // One rectangle of the region at a time, as QPainter clips faster to a rectangle than to a
  // region of several.
  void paintEvent(QPaintEvent* event) override {
    const QRgb rgb = colour_.rgb() & 0xffffff;
    const QString texts[] = {
        QStringLiteral("%1, %2").arg(400 + tick_ % 300).arg(300),
        QStringLiteral("#%1").arg(rgb, 6, 16, QLatin1Char('0')).toUpper(),
        QStringLiteral("%1 %2 %3").arg(colour_.red()).arg(colour_.green()).arg(colour_.blue()),
        QString::number(colour_.red() + colour_.green() * 256 + colour_.blue() * 65536)};
    QPainter p(this);
    for (const QRect& rect : event->region()) {
      p.setClipRect(rect);
      p.fillRect(rect, palette().window());
      if (kBlock.intersects(rect)) p.fillRect(kBlock, colour_);
      for (const Caption& c : kCaptions) {
        if (!c.area.intersects(rect)) continue;
        p.setPen(QColor::fromRgb(c.colour));
        p.drawText(c.area, c.align | Qt::AlignTop | Qt::TextWordWrap, QString::fromLatin1(c.text));
      }
      for (std::size_t i = 0; i < kReadouts.size(); ++i) {
        const QRect& r = kReadouts[i];
        if (!r.intersects(rect)) continue;
        p.fillRect(r, Qt::black);
        p.fillRect(r.adjusted(1, 1, -1, -1), Qt::white);
        p.setPen(Qt::black);
        p.drawText(r.adjusted(1, 1, -1, -1), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
                   texts[i]);
      }
    }
  }

 private:
  static constexpr QRect kBlock{13, 5, 92, 90};
  QColor colour_{0x12, 0x34, 0x56};
  int tick_ = 0;
  QTimer timer_;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  Floor w;
  w.setWindowTitle("qt-floor");
  w.setFixedSize(113, 225);
  w.show();
  return QApplication::exec();
}
