// hueclip_qt_floor: the least a Qt Widgets program costs here for what Hueclip does: a window the
// size of Hueclip's main window that shows a block of colour where Hueclip has its cells (first
// painted in #123456, so its first frame can be timed the same way) and, like Hueclip while the
// pointer moves, repaints that block in a new colour ten times a second. No X reads, no text.
#include <QApplication>
#include <QPainter>
#include <QTimer>
#include <QWidget>

namespace {

class Floor final : public QWidget {
 public:
  Floor() {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      colour_ = QColor::fromRgb(colour_.rgb() ^ 0x000101);
      update(kBlock);
    });
    timer_.start(100);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.fillRect(rect(), palette().window());
    p.fillRect(kBlock, colour_);
  }

 private:
  static constexpr QRect kBlock{13, 5, 92, 90};
  QColor colour_{0x12, 0x34, 0x56};
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
