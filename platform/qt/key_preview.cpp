#include "platform/qt/key_preview.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>
#include <QWindow>

#include "platform/qt/key_map.h"
#include "platform/x11/keys.h"

namespace hueclip::qt {
namespace {

// The Windows virtual-key code of a key press, which, as on Windows, names the physical key
// whatever the layout. The keysym of the press decides when it names a key (letters in either
// case, digits, keypad, function and cursor keys); otherwise the key's own symbols without and
// with Shift, in the active keyboard group and then in the others, so that Shift+1 gives the
// code of 1, and a key of a non-Latin layout the code of its Latin letter in whichever group
// the Latin layout is. Events with no X key behind them fall back to Qt's key code.
std::int16_t VirtualKey(const QKeyEvent& event) {
  std::int16_t vk = VirtualKeyFromKeysym(event.nativeVirtualKey());
  const auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
  Display* display = x11 != nullptr ? x11->display() : nullptr;
  const unsigned keycode = event.nativeScanCode();
  if (vk == 0 && display != nullptr && keycode != 0) {
    const int group = static_cast<int>((event.nativeModifiers() >> 13) & 3);
    for (std::uint32_t keysym : x11::KeysymsOf(display, keycode, group))
      if (vk == 0) vk = VirtualKeyFromKeysym(keysym);
  }
  if (vk == 0) vk = VirtualKeyFromQtKey(event.key());
  return vk;
}

}  // namespace

KeyPreview::KeyPreview(Window& window, QWidget& top) : window_(window), top_(top) {
  qApp->installEventFilter(this);
}

KeyPreview::~KeyPreview() { qApp->removeEventFilter(this); }

bool KeyPreview::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress || watched != top_.windowHandle()) return false;
  const QWidget* modal = QApplication::activeModalWidget();
  if (modal != nullptr && modal != &top_) return false;
  const auto& key = static_cast<const QKeyEvent&>(*event);
  window_.KeyDown(VirtualKey(key), ShiftState(key.modifiers()));
  return false;  // the focused control still gets the key
}

}  // namespace hueclip::qt
