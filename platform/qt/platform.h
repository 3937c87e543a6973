#pragma once

#include <memory>

#include "platform/services.h"

class QApplication;
class QProcessEnvironment;
class QSocketNotifier;

namespace hueclip::qt {

class QtClipboard;
class QtShell;
class QtToolkit;

// The Linux platform of one run: the Qt application (on the X server, or on a Wayland
// compositor), which SIGTERM, SIGINT and SIGHUP end as a close of the main window does, and the
// services over it.
class QtPlatform {
 public:
  // Null, after one line on standard error, when no X server can be reached, unless the user
  // chose a Qt platform other than X11's and a Wayland display is named (a Wayland start needs no
  // X server); or when the X server has fewer than 15 bits a pixel, which Qt cannot paint on.
  static std::unique_ptr<QtPlatform> Create(int& argc, char** argv);
  ~QtPlatform();
  QtPlatform(const QtPlatform&) = delete;
  QtPlatform& operator=(const QtPlatform&) = delete;

  Services& services() { return *services_; }

 private:
  QtPlatform(int& argc, char** argv, QProcessEnvironment userEnvironment);

  std::unique_ptr<Screen> MakeScreen();

  std::unique_ptr<QApplication> app_;
  std::unique_ptr<QSocketNotifier> quitOnSignals_;  // SIGTERM, SIGINT and SIGHUP end the loop
  std::unique_ptr<Screen> screen_;
  std::unique_ptr<QtClipboard> clipboard_;
  std::unique_ptr<QtShell> shell_;
  std::unique_ptr<QtToolkit> toolkit_;
  std::unique_ptr<Services> services_;
};

}  // namespace hueclip::qt
