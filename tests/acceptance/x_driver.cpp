#include "x_driver.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <thread>

namespace acceptance {

std::ostream& operator<<(std::ostream& os, const Rgb& c) {
  return os << "(" << c.r << "," << c.g << "," << c.b << ")";
}

pid_t Spawn(const std::vector<std::string>& argv, const std::vector<std::string>& env,
            int keep_fd) {
  pid_t pid = fork();
  if (pid != 0) return pid;
  setpgid(0, 0);
  if (keep_fd >= 0) dup2(keep_fd, 3);
  for (int fd = keep_fd >= 0 ? 4 : 3; fd < 1024; ++fd) close(fd);
  for (const std::string& e : env) {
    size_t eq = e.find('=');
    if (eq + 1 == e.size()) {
      unsetenv(e.substr(0, eq).c_str());
    } else {
      setenv(e.substr(0, eq).c_str(), e.substr(eq + 1).c_str(), 1);
    }
  }
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  execvp(args[0], args.data());
  _exit(127);
}

void KillGroup(pid_t pid) {
  if (pid <= 0) return;
  kill(-pid, SIGTERM);
  for (int i = 0; i < 40; ++i) {
    if (waitpid(pid, nullptr, WNOHANG) == pid) {
      kill(-pid, SIGKILL);  // anything the leader left behind in its group
      return;
    }
    std::this_thread::sleep_for(50ms);
  }
  kill(-pid, SIGKILL);
  waitpid(pid, nullptr, 0);
}

namespace {

// Windows vanish while they are looked at; such errors are expected and not fatal here.
int IgnoreXError(Display*, XErrorEvent*) { return 0; }

Atom A(Display* d, const char* name) { return XInternAtom(d, name, False); }

void SendToRoot(Display* d, Window root, Window w, const char* type, std::vector<long> data) {
  XEvent ev{};
  ev.xclient.type = ClientMessage;
  ev.xclient.window = w;
  ev.xclient.message_type = A(d, type);
  ev.xclient.format = 32;
  for (size_t i = 0; i < data.size() && i < 5; ++i) ev.xclient.data.l[i] = data[i];
  XSendEvent(d, root, False, SubstructureRedirectMask | SubstructureNotifyMask, &ev);
  XFlush(d);
}

}  // namespace

bool XDriver::Start(const std::string& config_home, std::string* error) {
  int fds[2];
  if (pipe(fds) != 0) return *error = "pipe failed", false;
  xvfb_ = Spawn(
      {"Xvfb", "-displayfd", "3", "-screen", "0", "1024x768x24", "-dpi", "96", "-nolisten", "tcp"},
      {}, fds[1]);
  close(fds[1]);
  std::string number;
  pollfd p{fds[0], POLLIN, 0};
  auto deadline = std::chrono::steady_clock::now() + 10s;
  while (number.find('\n') == std::string::npos && std::chrono::steady_clock::now() < deadline) {
    char buf[16];
    if (poll(&p, 1, 100) <= 0) continue;
    ssize_t n = read(fds[0], buf, sizeof buf);
    if (n <= 0) break;
    number.append(buf, static_cast<size_t>(n));
  }
  close(fds[0]);
  if (number.find('\n') == std::string::npos) return *error = "Xvfb did not start", false;
  display_name_ = ":" + number.substr(0, number.find('\n'));
  setenv("DISPLAY", display_name_.c_str(), 1);
  XSetErrorHandler(IgnoreXError);
  dpy_ = XOpenDisplay(display_name_.c_str());
  if (!dpy_) return *error = "cannot open " + display_name_, false;
  root_ = DefaultRootWindow(dpy_);
  own_ = XCreateSimpleWindow(dpy_, root_, 0, 0, 1, 1, 0, 0, 0);
  int ev, er, maj, min;
  if (!XTestQueryExtension(dpy_, &ev, &er, &maj, &min)) return *error = "no XTest", false;

  wm_ = Spawn({"openbox", "--sm-disable"}, {"XDG_CONFIG_HOME=" + config_home});
  // The window manager is ready once it puts a newly mapped window into a frame of its own.
  Window probe = XCreateSimpleWindow(dpy_, root_, 0, 0, 10, 10, 0, 0, 0);
  XMapWindow(dpy_, probe);
  bool wm_up = Poll(
      [&] {
        Window r, parent = 0, *kids = nullptr;
        unsigned n = 0;
        XQueryTree(dpy_, probe, &r, &parent, &kids, &n);
        if (kids) XFree(kids);
        return parent != 0 && parent != root_;
      },
      10s);
  XDestroyWindow(dpy_, probe);
  XSync(dpy_, False);
  if (!wm_up) return *error = "openbox did not start", false;
  return true;
}

void XDriver::Stop() {
  if (dpy_) XCloseDisplay(dpy_);
  dpy_ = nullptr;
  KillGroup(wm_);
  KillGroup(xvfb_);
  wm_ = xvfb_ = -1;
}

bool XDriver::Poll(const std::function<bool()>& cond, Millis timeout) {
  auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    ServeEvents();
    if (cond()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(50ms);
  }
}

void XDriver::ServeEvents() {
  XSync(dpy_, False);
  XEvent ev;
  while (XCheckTypedEvent(dpy_, SelectionRequest, &ev)) {
    // Nothing is offered while this driver holds CLIPBOARD: refuse every conversion.
    XEvent reply{};
    reply.xselection.type = SelectionNotify;
    reply.xselection.requestor = ev.xselectionrequest.requestor;
    reply.xselection.selection = ev.xselectionrequest.selection;
    reply.xselection.target = ev.xselectionrequest.target;
    reply.xselection.property = None;
    reply.xselection.time = ev.xselectionrequest.time;
    XSendEvent(dpy_, ev.xselectionrequest.requestor, False, 0, &reply);
  }
  XFlush(dpy_);
}

std::string XDriver::Title(Window w) {
  std::string title;
  Atom type;
  int format;
  unsigned long n, after;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(dpy_, w, A(dpy_, "_NET_WM_NAME"), 0, 1024, False, A(dpy_, "UTF8_STRING"),
                         &type, &format, &n, &after, &data) == Success &&
      data && n > 0) {
    title.assign(reinterpret_cast<char*>(data), n);
  } else {
    char* name = nullptr;
    if (XFetchName(dpy_, w, &name) && name) title = name;
    if (name) XFree(name);
  }
  if (data) XFree(data);
  return title;
}

bool XDriver::Viewable(Window w) {
  XWindowAttributes wa;
  return XGetWindowAttributes(dpy_, w, &wa) && wa.map_state == IsViewable;
}

bool XDriver::Focused(Window w) {
  Window f = 0;
  int revert;
  XGetInputFocus(dpy_, &f, &revert);
  while (f != 0 && f != PointerRoot && f != root_) {
    if (f == w) return true;
    Window r, parent = 0, *kids = nullptr;
    unsigned n = 0;
    if (!XQueryTree(dpy_, f, &r, &parent, &kids, &n)) return false;
    if (kids) XFree(kids);
    f = parent;
  }
  return false;
}

Window XDriver::Find(const std::string& title) {
  std::vector<Window> todo{root_};
  while (!todo.empty()) {
    Window w = todo.back();
    todo.pop_back();
    if (w != root_ && Title(w) == title && Viewable(w)) return w;
    Window r, parent, *kids = nullptr;
    unsigned n = 0;
    if (XQueryTree(dpy_, w, &r, &parent, &kids, &n) && kids) {
      todo.insert(todo.end(), kids, kids + n);
      XFree(kids);
    }
  }
  return 0;
}

Window XDriver::WaitFor(const std::string& title, Millis timeout) {
  Window found = 0;
  Poll([&] { return (found = Find(title)) != 0; }, timeout);
  return found;
}

Rect XDriver::ClientRect(Window w) {
  XWindowAttributes wa{};
  XGetWindowAttributes(dpy_, w, &wa);
  int x = 0, y = 0;
  Window child;
  XTranslateCoordinates(dpy_, w, root_, 0, 0, &x, &y, &child);
  return {x, y, wa.width, wa.height};
}

Image XDriver::Grab(const Rect& r) {
  Image img{r.w, r.h, {}};
  XImage* xi = XGetImage(dpy_, root_, r.x, r.y, static_cast<unsigned>(r.w),
                         static_cast<unsigned>(r.h), AllPlanes, ZPixmap);
  if (!xi) return {};
  img.px.reserve(static_cast<size_t>(r.w * r.h));
  for (int y = 0; y < r.h; ++y) {
    for (int x = 0; x < r.w; ++x) {
      unsigned long p = XGetPixel(xi, x, y);
      img.px.push_back({static_cast<int>((p >> 16) & 0xff), static_cast<int>((p >> 8) & 0xff),
                        static_cast<int>(p & 0xff)});
    }
  }
  XDestroyImage(xi);
  return img;
}

Window XDriver::CreatePicture(const Rect& r, const std::function<Rgb(int, int)>& colour) {
  int screen = DefaultScreen(dpy_);
  Pixmap pm = XCreatePixmap(dpy_, root_, static_cast<unsigned>(r.w), static_cast<unsigned>(r.h),
                            static_cast<unsigned>(DefaultDepth(dpy_, screen)));
  XImage* xi = XGetImage(dpy_, pm, 0, 0, static_cast<unsigned>(r.w), static_cast<unsigned>(r.h),
                         AllPlanes, ZPixmap);
  for (int y = 0; y < r.h; ++y) {
    for (int x = 0; x < r.w; ++x) {
      Rgb c = colour(x, y);
      XPutPixel(xi, x, y, static_cast<unsigned long>((c.r << 16) | (c.g << 8) | c.b));
    }
  }
  GC gc = XCreateGC(dpy_, pm, 0, nullptr);
  XPutImage(dpy_, pm, gc, xi, 0, 0, 0, 0, static_cast<unsigned>(r.w), static_cast<unsigned>(r.h));
  XFreeGC(dpy_, gc);
  XDestroyImage(xi);
  XSetWindowAttributes wa{};
  wa.override_redirect = True;
  wa.background_pixmap = pm;
  Window w = XCreateWindow(dpy_, root_, r.x, r.y, static_cast<unsigned>(r.w),
                           static_cast<unsigned>(r.h), 0, CopyFromParent, InputOutput,
                           CopyFromParent, CWOverrideRedirect | CWBackPixmap, &wa);
  XFreePixmap(dpy_, pm);
  XMapRaised(dpy_, w);
  XSync(dpy_, False);
  return w;
}

void XDriver::Destroy(Window w) {
  XDestroyWindow(dpy_, w);
  XSync(dpy_, False);
}

void XDriver::Raise(Window w) {
  XRaiseWindow(dpy_, w);
  XSync(dpy_, False);
}

void XDriver::Move(Window w, int x, int y) {
  XMoveWindow(dpy_, w, x, y);
  XSync(dpy_, False);
}

void XDriver::Activate(Window w) {
  SendToRoot(dpy_, root_, w, "_NET_ACTIVE_WINDOW", {2, CurrentTime, 0});
}

void XDriver::Close(Window w) { SendToRoot(dpy_, root_, w, "_NET_CLOSE_WINDOW", {CurrentTime, 2}); }

void XDriver::MovePointer(int x, int y) {
  XTestFakeMotionEvent(dpy_, -1, x, y, CurrentTime);
  XSync(dpy_, False);
  std::this_thread::sleep_for(30ms);
}

void XDriver::Click(int x, int y) {
  MovePointer(x, y);
  XTestFakeButtonEvent(dpy_, 1, True, CurrentTime);
  XSync(dpy_, False);
  std::this_thread::sleep_for(30ms);
  XTestFakeButtonEvent(dpy_, 1, False, CurrentTime);
  XSync(dpy_, False);
}

void XDriver::Drag(int x0, int y0, int x1, int y1) {
  MovePointer(x0, y0);
  XTestFakeButtonEvent(dpy_, 1, True, CurrentTime);
  for (int i = 1; i <= 10; ++i) MovePointer(x0 + (x1 - x0) * i / 10, y0 + (y1 - y0) * i / 10);
  XTestFakeButtonEvent(dpy_, 1, False, CurrentTime);
  XSync(dpy_, False);
}

void XDriver::Key(unsigned long keysym, const std::vector<unsigned long>& modifiers) {
  auto send = [&](unsigned long sym, bool down) {
    XTestFakeKeyEvent(dpy_, XKeysymToKeycode(dpy_, sym), down, CurrentTime);
    XSync(dpy_, False);
    std::this_thread::sleep_for(10ms);
  };
  for (unsigned long m : modifiers) send(m, true);
  send(keysym, true);
  send(keysym, false);
  for (auto m = modifiers.rbegin(); m != modifiers.rend(); ++m) send(*m, false);
}

void XDriver::ClaimClipboard() {
  XSetSelectionOwner(dpy_, A(dpy_, "CLIPBOARD"), own_, CurrentTime);
  XSync(dpy_, False);
}

std::optional<std::string> XDriver::Convert(Atom target) {
  Atom prop = A(dpy_, "HUECLIP_ACCEPTANCE");
  XDeleteProperty(dpy_, own_, prop);
  XConvertSelection(dpy_, A(dpy_, "CLIPBOARD"), target, prop, own_, CurrentTime);
  XEvent ev{};
  bool answered =
      Poll([&] { return XCheckTypedWindowEvent(dpy_, own_, SelectionNotify, &ev); }, 1s);
  if (!answered || ev.xselection.property == None) return std::nullopt;
  Atom type;
  int format;
  unsigned long n, after;
  unsigned char* data = nullptr;
  std::optional<std::string> text;
  if (XGetWindowProperty(dpy_, own_, prop, 0, 1 << 20, True, AnyPropertyType, &type, &format, &n,
                         &after, &data) == Success &&
      format == 8 && type != A(dpy_, "INCR")) {
    text = std::string(reinterpret_cast<char*>(data), n);
  }
  if (data) XFree(data);
  return text;
}

std::optional<std::string> XDriver::WaitClipboard(Millis timeout) {
  Atom clipboard = A(dpy_, "CLIPBOARD");
  std::optional<std::string> text;
  Poll(
      [&] {
        Window owner = XGetSelectionOwner(dpy_, clipboard);
        if (owner == None || owner == own_) return false;
        text = Convert(A(dpy_, "UTF8_STRING"));
        if (!text) text = Convert(XA_STRING);
        return text.has_value();
      },
      timeout);
  return text;
}

}  // namespace acceptance
