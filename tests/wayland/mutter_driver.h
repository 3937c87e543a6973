// Drives a headless mutter session as a user at its desk would: pointer and keys go in through
// mutter's RemoteDesktop interface, and the monitor is watched through a ScreenCast stream of
// it (PipeWire), which needs no permission dialog. The D-Bus connection stays open for the
// driver's life, since mutter ends a remote-desktop session when its caller goes away.
#pragma once

#include <gio/gio.h>

#include <memory>
#include <string>

#include "x_driver.h"  // Image, Input, Rect

namespace acceptance {

class MutterDriver : public Input {
 public:
  MutterDriver();
  ~MutterDriver();
  // Connects to the session bus of DBUS_SESSION_BUS_ADDRESS, starts a remote-desktop session
  // with a screen-cast stream of the primary monitor, and waits for its first frame.
  bool Start(std::string* error);
  // Ends the remote-desktop session (if mutter has not ended it already); Start may follow.
  void Stop();

  void MovePointer(int x, int y) override;
  // To a point between pixels, as a touchpad or a tablet can put it.
  void MovePointerTo(double x, double y);
  void Button(bool down) override;
  void KeyEvent(unsigned long keysym, bool down) override;

  // The newest frame of the monitor (without the pointer), 0xRRGGBB per pixel.
  Image Screen();

 private:
  GVariant* Call(const char* path, const char* interface, const char* method, GVariant* args,
                 const GVariantType* reply = nullptr);
  std::string CallForPath(const char* path, const char* interface, const char* method,
                          GVariant* args);
  // Calls method of the remote-desktop session, then waits for pause.
  void Tell(const char* method, GVariant* args, Millis pause = 0ms);

  struct Frames;
  GDBusConnection* bus_ = nullptr;
  std::string session_, stream_;
  std::unique_ptr<Frames> frames_;
};

// The CLIPBOARD text as wl-paste gives it (no newline added), or "(empty)" when there is none.
std::string WaylandClipboard();

}  // namespace acceptance
