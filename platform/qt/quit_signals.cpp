#include "platform/qt/quit_signals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

#include <QCoreApplication>
#include <QSocketNotifier>

namespace hueclip::qt {
namespace {

// The pipe from the signal handler to the event loop. It and the handlers stay to the end of the
// process: a signal that comes while the program is destroyed, Qt's application last, is taken in
// rather than ending it halfway, and no handler ever writes to a closed end.
int g_readEnd = -1;
int g_writeEnd = -1;

// A signal handler may do next to nothing: this one writes a byte to the pipe, on whichever
// thread the signal came to, and the event loop does the rest.
void OnQuitSignal(int) {
  const int saved = errno;  // the code the signal interrupted may be about to read it
  const char byte = 0;
  // A full pipe holds a request to quit already.
  [[maybe_unused]] const ssize_t written = write(g_writeEnd, &byte, 1);
  errno = saved;
}

}  // namespace

std::unique_ptr<QSocketNotifier> QuitOnSignals() {
  int ends[2];
  if (pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) return nullptr;
  g_readEnd = ends[0];
  g_writeEnd = ends[1];
  auto notifier = std::make_unique<QSocketNotifier>(g_readEnd, QSocketNotifier::Read);
  QObject::connect(notifier.get(), &QSocketNotifier::activated, [] {
    char bytes[16];
    while (read(g_readEnd, bytes, sizeof bytes) > 0) {
    }
    // Ends the nested event loops too, and any that starts on the way out returns at once; the
    // main loop returns 0.
    QCoreApplication::exit(0);
  });
  for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
    struct sigaction was = {};
    if (sigaction(signal, nullptr, &was) != 0 || was.sa_handler == SIG_IGN) continue;
    struct sigaction action = {};
    action.sa_handler = OnQuitSignal;
    sigemptyset(&action.sa_mask);
    // The calls that the signal interrupts are made again; the handler takes the signal's first
    // coming only.
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    sigaction(signal, &action, nullptr);
  }
  return notifier;
}

}  // namespace hueclip::qt
