#pragma once

#include <memory>

class QSocketNotifier;

namespace hueclip::qt {

// Makes SIGTERM (kill, a logout), SIGINT (Ctrl+C in the terminal) and SIGHUP (the terminal
// closed) end the program as a close of its main window does, while the returned notifier lives:
// every event loop ends, a modal window's or a message box's too, Run returns 0 and everything is
// destroyed in order. A signal ignored at the start (nohup, a script's background job) stays
// ignored. The same signal again ends the program on the spot, should the quit hang; another of
// the three (SIGHUP after SIGTERM at a logout) is taken in. Once a process, once the Qt
// application exists; null, the signals ending the program on the spot, when no pipe can be had.
std::unique_ptr<QSocketNotifier> QuitOnSignals();

}  // namespace hueclip::qt
