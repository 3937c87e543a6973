// hueclip_xprobe: the X side of the benchmark. It paints the test pattern on the root window,
// launches a program and times its first frame, moves the pointer, presses keys, and counts a
// client's requests and server resources. scripts/bench drives it; every subcommand prints
// plain "key value" lines.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XRes.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/record.h>
#include <X11/keysym.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "bench/x_requests.h"

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point t0) {
  return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

[[noreturn]] void Die(const char* what) {
  std::fprintf(stderr, "hueclip_xprobe: %s\n", what);
  std::exit(2);
}

Display* Open() {
  Display* d = XOpenDisplay(nullptr);
  if (!d) Die("cannot open the display");
  return d;
}

// The test pattern: every pixel of a 5 x 5 block differs from its neighbours, and no pixel is a
// grey that a window background could have.
unsigned long PatternPixel(int x, int y) {
  const unsigned r = (x * 37 + y * 11) & 0xff;
  const unsigned g = (y * 53 + x * 7 + 64) & 0xff;
  const unsigned b = ((x ^ y) * 29 + 128) & 0xff;
  return (r << 16) | (g << 8) | (b == r ? b ^ 0x80 : b);
}

void CmdPattern(Display* d, int px, int py) {
  const int screen = DefaultScreen(d);
  const Window root = RootWindow(d, screen);
  const int w = DisplayWidth(d, screen), h = DisplayHeight(d, screen);
  const int depth = DefaultDepth(d, screen);
  if (depth < 24) Die("the pattern needs a 24-bit screen");
  XImage* img = XCreateImage(d, DefaultVisual(d, screen), depth, ZPixmap, 0, nullptr, w, h, 32, 0);
  img->data = static_cast<char*>(std::malloc(static_cast<size_t>(img->bytes_per_line) * h));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) XPutPixel(img, x, y, PatternPixel(x, y));
  const Pixmap pm = XCreatePixmap(d, root, w, h, depth);
  const GC gc = XCreateGC(d, pm, 0, nullptr);
  XPutImage(d, pm, gc, img, 0, 0, 0, 0, w, h);
  XSetWindowBackgroundPixmap(d, root, pm);
  XClearWindow(d, root);
  XFreeGC(d, gc);
  XFreePixmap(d, pm);  // the root window keeps its own reference
  XDestroyImage(img);
  XWarpPointer(d, None, root, 0, 0, 0, 0, px, py);
  XSync(d, False);
  std::printf("pattern %dx%d pointer %d %d\n", w, h, px, py);
}

long WindowPid(Display* d, Window w) {
  static const Atom pidAtom = XInternAtom(d, "_NET_WM_PID", False);
  Atom type;
  int format;
  unsigned long n, after;
  unsigned char* data = nullptr;
  long pid = -1;
  if (XGetWindowProperty(d, w, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &n, &after,
                         &data) == Success &&
      data && n == 1 && format == 32)
    pid = static_cast<long>(*reinterpret_cast<unsigned long*>(data));
  if (data) XFree(data);
  return pid;
}

bool Viewable(Display* d, Window w) {
  XWindowAttributes a;
  return XGetWindowAttributes(d, w, &a) && a.map_state == IsViewable;
}

// The first viewable top-level window of process `pid`, looked up through the window manager's
// client list and, without one, through the root window's children.
Window FindWindow(Display* d, long pid) {
  const Window root = DefaultRootWindow(d);
  std::vector<Window> candidates;
  const Atom list = XInternAtom(d, "_NET_CLIENT_LIST", False);
  Atom type;
  int format;
  unsigned long n = 0, after;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(d, root, list, 0, 1024, False, XA_WINDOW, &type, &format, &n, &after,
                         &data) == Success &&
      data) {
    auto* ws = reinterpret_cast<Window*>(data);
    candidates.assign(ws, ws + n);
  }
  if (data) XFree(data);
  if (candidates.empty()) {
    Window r, p, *kids = nullptr;
    unsigned nk = 0;
    if (XQueryTree(d, root, &r, &p, &kids, &nk)) candidates.assign(kids, kids + nk);
    if (kids) XFree(kids);
  }
  for (Window w : candidates)
    if (WindowPid(d, w) == pid && Viewable(d, w)) return w;
  return None;
}

XImage* Grab(Display* d, int x, int y, int w, int h) {
  return XGetImage(d, DefaultRootWindow(d), x, y, w, h, AllPlanes, ZPixmap);
}

// Where the cells of the main window sit in its client area: 16 x 16 each with a one-pixel
// border, so the interior's centre is 8 pixels in.
constexpr int kCellX[5] = {13, 32, 51, 70, 89};
constexpr int kCellY[5] = {5, 23, 42, 60, 79};

// True when window `w` shows, in its 25 cells, the pixels around the pointer (`want` < 0), or
// `want` in every cell.
bool CellsShow(Display* d, Window w, long want) {
  int wx, wy;
  Window child;
  if (!XTranslateCoordinates(d, w, DefaultRootWindow(d), 0, 0, &wx, &wy, &child)) return false;
  XImage* cells = Grab(d, wx, wy, 110, 100);
  if (!cells) return false;
  unsigned long expect[25];
  if (want < 0) {
    Window r, c;
    int px, py, cx, cy;
    unsigned mask;
    XQueryPointer(d, DefaultRootWindow(d), &r, &c, &px, &py, &cx, &cy, &mask);
    XImage* block = Grab(d, px - 2, py - 2, 5, 5);
    if (!block) {
      XDestroyImage(cells);
      return false;
    }
    for (int i = 0; i < 25; ++i) expect[i] = XGetPixel(block, i % 5, i / 5) & 0xffffff;
    XDestroyImage(block);
  } else {
    for (auto& e : expect) e = static_cast<unsigned long>(want);
  }
  bool all = true;
  for (int i = 0; i < 25 && all; ++i)
    all = (XGetPixel(cells, kCellX[i % 5] + 8, kCellY[i / 5] + 8) & 0xffffff) == expect[i];
  XDestroyImage(cells);
  return all;
}

// Starts argv, prints when its window is viewable and, with `wait` "cells" or "colour=RRGGBB",
// when its cells first show the pixels around the pointer or that colour; then keeps the program
// running until standard input closes, and ends it.
int CmdLaunch(Display* d, const std::string& wait, double timeoutMs, char** argv) {
  long want = -2;  // mapped only
  if (wait == "cells") want = -1;
  if (wait.rfind("colour=", 0) == 0) want = std::strtol(wait.c_str() + 7, nullptr, 16);
  const auto t0 = Clock::now();
  const pid_t pid = fork();
  if (pid < 0) Die("fork failed");
  if (pid == 0) {
    execvp(argv[0], argv);
    std::_Exit(127);
  }
  Window w = None;
  double mappedMs = -1, readyMs = -1;
  while (MsSince(t0) < timeoutMs) {
    int status;
    if (waitpid(pid, &status, WNOHANG) == pid) {
      std::printf("error exited %d\n", status);
      std::fflush(stdout);
      return 1;
    }
    if (w == None) {
      w = FindWindow(d, pid);
      if (w != None) mappedMs = MsSince(t0);
    }
    if (w != None) {
      if (want == -2 || CellsShow(d, w, want)) {
        readyMs = MsSince(t0);
        break;
      }
    }
    std::this_thread::sleep_for(std::chrono::microseconds(500));
  }
  std::printf("pid %d\nwindow 0x%lx\nmapped_ms %.2f\nready_ms %.2f\n", pid, w, mappedMs, readyMs);
  std::fflush(stdout);
  // Hold the program until told to end it.
  char buf[256];
  while (read(STDIN_FILENO, buf, sizeof buf) > 0) {
  }
  kill(pid, SIGTERM);
  for (int i = 0; i < 300; ++i) {
    if (waitpid(pid, nullptr, WNOHANG) == pid) return 0;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  return 0;
}

// Moves the pointer every `intervalMs` for `seconds`, round a circle of radius 120 about
// (cx, cy), as a hand would: one XTest motion each step.
void CmdMove(Display* d, double seconds, int intervalMs, int cx, int cy) {
  const auto t0 = Clock::now();
  int steps = 0;
  for (auto next = t0; MsSince(t0) < seconds * 1000; ++steps) {
    const double a = steps * 0.07;
    XTestFakeMotionEvent(d, -1, cx + static_cast<int>(120 * std::cos(a)),
                         cy + static_cast<int>(120 * std::sin(a)), CurrentTime);
    XFlush(d);
    next += std::chrono::milliseconds(intervalMs);
    std::this_thread::sleep_until(next);
  }
  XTestFakeMotionEvent(d, -1, cx, cy, CurrentTime);
  XSync(d, False);
  std::printf("moves %d\n", steps);
}

std::string Title(Display* d, Window w) {
  const Atom name = XInternAtom(d, "_NET_WM_NAME", False);
  const Atom utf8 = XInternAtom(d, "UTF8_STRING", False);
  Atom type;
  int format;
  unsigned long n, after;
  unsigned char* data = nullptr;
  std::string title;
  if (XGetWindowProperty(d, w, name, 0, 256, False, utf8, &type, &format, &n, &after, &data) ==
          Success &&
      data)
    title.assign(reinterpret_cast<char*>(data), n);
  if (data) XFree(data);
  if (title.empty()) {
    char* s = nullptr;
    if (XFetchName(d, w, &s) && s) {
      title = s;
      XFree(s);
    }
  }
  return title;
}

// Gives the program's window the focus and types `key` (a keysym name, "alt+" before it for
// Alt held down) through XTest.
void CmdKey(Display* d, long pid, const char* key) {
  const Window w = FindWindow(d, pid);
  if (w == None) Die("no window for that process");
  XRaiseWindow(d, w);
  XSetInputFocus(d, w, RevertToParent, CurrentTime);
  XSync(d, False);
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  // "alt+p" holds Alt down round the key.
  const bool alt = std::strncmp(key, "alt+", 4) == 0;
  const KeyCode altCode = XKeysymToKeycode(d, XK_Alt_L);
  const KeyCode code = XKeysymToKeycode(d, XStringToKeysym(alt ? key + 4 : key));
  if (alt) XTestFakeKeyEvent(d, altCode, True, CurrentTime);
  XTestFakeKeyEvent(d, code, True, CurrentTime);
  XTestFakeKeyEvent(d, code, False, CurrentTime);
  if (alt) XTestFakeKeyEvent(d, altCode, False, CurrentTime);
  XSync(d, False);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  std::printf("title %s\n", Title(d, w).c_str());
}

// The XID bases of every X client of process `pid`.
void CmdXres(Display* d, long pid) {
  for (const auto& [name, count] : hueclip::bench::XResourcesOf(d, pid)) {
    if (name == "total")
      std::printf("resources %ld\n", count);
    else
      std::printf("type %s %ld\n", name.c_str(), count);
  }
}

long g_requests = 0;
std::map<int, long> g_byOpcode;

void OnRecord(XPointer, XRecordInterceptData* data) {
  if (data->category == XRecordFromClient && data->data) {
    ++g_requests;
    ++g_byOpcode[data->data[0]];
  }
  XRecordFreeData(data);
}

// Counts the requests that every X client of `pid` sends over `seconds`, through RECORD.
void CmdRequests(Display* d, long pid, double seconds) {
  int major, minor;
  if (!XRecordQueryVersion(d, &major, &minor)) Die("the RECORD extension is missing");
  auto clients = hueclip::bench::ClientsOf(d, pid);
  if (clients.empty()) Die("that process has no X client");
  XRecordRange* range = hueclip::bench::EveryRequest();
  const XRecordContext ctx =
      XRecordCreateContext(d, 0, clients.data(), static_cast<int>(clients.size()), &range, 1);
  XFree(range);
  if (!ctx) Die("cannot create a RECORD context");
  XSync(d, False);
  Display* data = Open();
  if (!XRecordEnableContextAsync(data, ctx, OnRecord, nullptr)) Die("cannot enable RECORD");
  const auto t0 = Clock::now();
  while (MsSince(t0) < seconds * 1000) {
    XRecordProcessReplies(data);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  XRecordDisableContext(d, ctx);
  XSync(d, False);
  XRecordProcessReplies(data);
  XRecordFreeContext(d, ctx);
  XSync(d, False);
  std::printf("clients %zu\nrequests %ld\n", clients.size(), g_requests);
  for (const auto& [op, n] : g_byOpcode) std::printf("opcode %d %ld\n", op, n);
}

void Usage() {
  std::fprintf(stderr,
               "usage: hueclip_xprobe pattern X Y\n"
               "       hueclip_xprobe launch mapped|cells|colour=RRGGBB TIMEOUT_MS -- CMD...\n"
               "       hueclip_xprobe move SECONDS INTERVAL_MS CX CY\n"
               "       hueclip_xprobe key PID KEYSYM | title PID | xres PID\n"
               "       hueclip_xprobe requests PID SECONDS\n");
  std::exit(2);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) Usage();
  signal(SIGPIPE, SIG_IGN);
  const std::string cmd = argv[1];
  Display* d = Open();
  // Windows come and go while they are looked at; a failed request only means "not this one".
  XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
  if (cmd == "pattern" && argc == 4) {
    CmdPattern(d, std::atoi(argv[2]), std::atoi(argv[3]));
  } else if (cmd == "launch" && argc >= 6 && std::strcmp(argv[4], "--") == 0) {
    return CmdLaunch(d, argv[2], std::atof(argv[3]), argv + 5);
  } else if (cmd == "move" && argc == 6) {
    CmdMove(d, std::atof(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5]));
  } else if (cmd == "key" && argc == 4) {
    CmdKey(d, std::atol(argv[2]), argv[3]);
  } else if (cmd == "title" && argc == 3) {
    const Window w = FindWindow(d, std::atol(argv[2]));
    std::printf("title %s\n", w == None ? "" : Title(d, w).c_str());
  } else if (cmd == "xres" && argc == 3) {
    CmdXres(d, std::atol(argv[2]));
  } else if (cmd == "requests" && argc == 4) {
    CmdRequests(d, std::atol(argv[2]), std::atof(argv[3]));
  } else {
    Usage();
  }
  XCloseDisplay(d);
  return 0;
}
