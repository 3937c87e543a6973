// hueclip_qt_floor: the least a Qt Widgets program costs here: one window the size of
// Hueclip's main window, painted once with one block of colour where Hueclip has its cells, so
// that its first frame can be timed the same way. Nothing else: no timer, no controls.
#include <QApplication>
#include <QPainter>
#include <QWidget>

namespace {

class Floor final : public QWidget {
 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.fillRect(rect(), palette().window());
    p.fillRect(13, 5, 92, 90, QColor(0x12, 0x34, 0x56));
  }
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  Floor w;
  w.setWindowTitle("qt-floor");
  w.setFixedSize(330, 136);
  w.show();
  return QApplication::exec();
}
