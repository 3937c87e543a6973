#include "x_driver.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <thread>

namespace acceptance {

pid_t Spawn(const std::vector<std::string>& argv, const std::vector<std::string>& env,
            int keep_fd) {
  pid_t pid = fork();
  if (pid != 0) return pid;
  setpgid(0, 0);
  prctl(PR_SET_PDEATHSIG, SIGKILL);  // no server or program outlives a killed test run
  if (keep_fd >= 0) dup2(keep_fd, 3);
  for (int fd = keep_fd >= 0 ? 4 : 3; fd < 1024; ++fd) close(fd);
  for (const std::string& e : env) putenv(strdup(e.c_str()));
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  execvp(args[0], args.data());
  _exit(127);
}

void KillGroup(pid_t pid) {
  if (pid <= 0) return;
  kill(-pid, SIGTERM);
  for (auto i = kPatience / 50ms; i > 0; --i) {  // the sanitizers' leak check takes a while
    if (waitpid(pid, nullptr, WNOHANG) == pid) {
      kill(-pid, SIGKILL);  // anything the leader left behind in its group
      return;
    }
    std::this_thread::sleep_for(50ms);
  }
  kill(-pid, SIGKILL);
  waitpid(pid, nullptr, 0);
}

std::string Output(const std::string& command) {
  std::string text;
  FILE* p = popen(("timeout " + std::to_string(kPatience / 1s) + " " + command).c_str(), "r");
  if (!p) return "(empty)";
  char buf[512];
  for (size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;) text.append(buf, n);
  return pclose(p) == 0 ? text : "(empty)";
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

bool XDriver::Start(const std::string& config_home, std::string* error,
                    const std::vector<std::string>& screens, bool window_manager) {
  int fds[2];
  if (pipe(fds) != 0) return *error = "pipe failed", false;
  std::vector<std::string> xvfb{"Xvfb", "-displayfd", "3", "-dpi", "96", "-nolisten", "tcp"};
  xvfb.insert(xvfb.end(), screens.begin(), screens.end());
  xvfb_ = Spawn(xvfb, {}, fds[1]);
  close(fds[1]);
  // Xvfb writes its display number once it accepts connections, or exits.
  char number[16] = "";
  FILE* f = fdopen(fds[0], "r");
  bool started = fgets(number, sizeof number, f) && std::strchr(number, '\n');
  fclose(f);
  if (!started) return *error = "Xvfb did not start", false;
  number[std::strcspn(number, "\n")] = 0;
  if (!Attach(std::string(":") + number, error)) return false;
  int ev, er, maj, min;
  if (!XTestQueryExtension(dpy_, &ev, &er, &maj, &min)) return *error = "no XTest", false;

  if (!window_manager) return true;
  wm_ = Spawn({"openbox", "--sm-disable"},
              {"DISPLAY=" + display_name_, "XDG_CONFIG_HOME=" + config_home});
  // The window manager is ready once it owns the screen's WM_S0 selection (ICCCM).
  const bool wm_up = Poll([&] { return XGetSelectionOwner(dpy_, A(dpy_, "WM_S0")) != 0; });
  return wm_up || (*error = "openbox did not start", false);
}

bool XDriver::Attach(const std::string& display_name, std::string* error) {
  display_name_ = display_name;
  XSetErrorHandler(IgnoreXError);
  dpy_ = XOpenDisplay(display_name_.c_str());
  if (!dpy_) return *error = "cannot open " + display_name_, false;
  root_ = DefaultRootWindow(dpy_);
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
    XSync(dpy_, False);
    if (cond()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(50ms);
  }
}

bool XDriver::PollAfter(const std::function<void()>& act, const std::function<bool()>& cond,
                        Millis every) {
  const auto deadline = std::chrono::steady_clock::now() + kPatience;
  do {
    act();
    if (Poll(cond, every)) return true;
  } while (std::chrono::steady_clock::now() < deadline);
  return false;
}

std::optional<std::string> XDriver::Property(Window w, const char* name) {
  Atom type;
  int format;
  unsigned long n, after;
  unsigned char* data = nullptr;
  std::optional<std::string> text;
  if (XGetWindowProperty(dpy_, w, A(dpy_, name), 0, 1 << 20, False, AnyPropertyType, &type, &format,
                         &n, &after, &data) == Success &&
      data && format == 8) {
    text = std::string(reinterpret_cast<char*>(data), n);
  }
  if (data) XFree(data);
  return text;
}

std::string XDriver::Title(Window w) {
  std::optional<std::string> title = Property(w, "_NET_WM_NAME");
  return title ? *title : Property(w, "WM_NAME").value_or("");
}

bool XDriver::Viewable(Window w) {
  XWindowAttributes wa;
  return XGetWindowAttributes(dpy_, w, &wa) && wa.map_state == IsViewable;
}

Window XDriver::Parent(Window w) {
  Window r, parent = 0, *kids = nullptr;
  unsigned n = 0;
  XQueryTree(dpy_, w, &r, &parent, &kids, &n);
  if (kids) XFree(kids);
  return parent;
}

bool XDriver::Focused(Window w) {
  Window f = 0;
  int revert;
  XGetInputFocus(dpy_, &f, &revert);
  for (; f != 0 && f != PointerRoot && f != root_; f = Parent(f)) {
    if (f == w) return true;
  }
  return false;
}

Window XDriver::Find(const std::string& title) {
  std::vector<Window> found = FindAll([&](const std::string& t) { return t == title; });
  return found.empty() ? 0 : found.front();
}

std::vector<Window> XDriver::FindAll(const std::function<bool(const std::string&)>& match) {
  std::vector<Window> todo{root_}, found;
  while (!todo.empty()) {
    Window w = todo.back();
    todo.pop_back();
    if (w != root_ && match(Title(w)) && Viewable(w)) found.push_back(w);
    Window r, parent, *kids = nullptr;
    unsigned n = 0;
    if (XQueryTree(dpy_, w, &r, &parent, &kids, &n) && kids) {  // depth first
      todo.insert(todo.end(), kids, kids + n);
      XFree(kids);
    }
  }
  return found;
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

Image XDriver::Grab(const Rect& r) { return Read(root_, r); }

Image XDriver::GrabWindow(Window w) {
  Rect r = ClientRect(w);
  return Read(w, {0, 0, r.w, r.h});
}

Image XDriver::Read(Drawable d, const Rect& r) {
  Image img{r.w, r.h, {}};
  XImage* xi = XGetImage(dpy_, d, r.x, r.y, static_cast<unsigned>(r.w), static_cast<unsigned>(r.h),
                         AllPlanes, ZPixmap);
  if (!xi) return {};
  for (int y = 0; y < r.h; ++y) {
    for (int x = 0; x < r.w; ++x)
      img.px.push_back(static_cast<int>(XGetPixel(xi, x, y) & 0xffffff));
  }
  XDestroyImage(xi);
  return img;
}

unsigned long XDriver::AllocColour(int* rgb) {
  XColor c{};
  c.red = static_cast<unsigned short>((*rgb >> 16) * 257);
  c.green = static_cast<unsigned short>((*rgb >> 8 & 255) * 257);
  c.blue = static_cast<unsigned short>((*rgb & 255) * 257);
  XAllocColor(dpy_, DefaultColormap(dpy_, 0), &c);
  *rgb = (c.red >> 8) << 16 | (c.green >> 8) << 8 | c.blue >> 8;
  return c.pixel;
}

Window XDriver::CreatePicture(const Rect& r, const std::function<int(int, int)>& colour,
                              int screen) {
  unsigned w = static_cast<unsigned>(r.w), h = static_cast<unsigned>(r.h);
  const Window root = RootWindow(dpy_, screen);
  Pixmap pm = XCreatePixmap(dpy_, root, w, h, static_cast<unsigned>(DefaultDepth(dpy_, screen)));
  XImage* xi = XGetImage(dpy_, pm, 0, 0, w, h, AllPlanes, ZPixmap);
  for (int y = 0; y < r.h; ++y) {
    for (int x = 0; x < r.w; ++x) XPutPixel(xi, x, y, static_cast<unsigned long>(colour(x, y)));
  }
  GC gc = XCreateGC(dpy_, pm, 0, nullptr);
  XPutImage(dpy_, pm, gc, xi, 0, 0, 0, 0, w, h);
  XFreeGC(dpy_, gc);
  XDestroyImage(xi);
  XSetWindowAttributes wa{};
  wa.override_redirect = True;
  wa.background_pixmap = pm;
  Window win = XCreateWindow(dpy_, root, r.x, r.y, w, h, 0, CopyFromParent, InputOutput,
                             CopyFromParent, CWOverrideRedirect | CWBackPixmap, &wa);
  XFreePixmap(dpy_, pm);
  XMapRaised(dpy_, win);
  XSync(dpy_, False);
  return win;
}

void XDriver::Destroy(Window w) { XDestroyWindow(dpy_, w), XSync(dpy_, False); }

void XDriver::Move(Window w, int x, int y) { XMoveWindow(dpy_, w, x, y), XSync(dpy_, False); }

void XDriver::Activate(Window w) {
  SendToRoot(dpy_, root_, w, "_NET_ACTIVE_WINDOW", {2, CurrentTime, 0});
}

void XDriver::Close(Window w) { SendToRoot(dpy_, root_, w, "_NET_CLOSE_WINDOW", {CurrentTime, 2}); }

void XDriver::MovePointer(int x, int y, int screen) {
  // XTest moves the pointer within its screen only; a warp takes it to another.
  Window root = 0, child = 0;
  int rx, ry, wx, wy;
  unsigned mask;
  XQueryPointer(dpy_, RootWindow(dpy_, screen), &root, &child, &rx, &ry, &wx, &wy, &mask);
  if (root != RootWindow(dpy_, screen))
    XWarpPointer(dpy_, 0, RootWindow(dpy_, screen), 0, 0, 0, 0, x, y);
  XTestFakeMotionEvent(dpy_, screen, x, y, CurrentTime);
  XSync(dpy_, False);
  std::this_thread::sleep_for(30ms);
}

void XDriver::Button(bool down) {
  XTestFakeButtonEvent(dpy_, 1, down, CurrentTime);
  XSync(dpy_, False);
  std::this_thread::sleep_for(30ms);
}

void XDriver::KeyEvent(unsigned long keysym, bool down) {
  XTestFakeKeyEvent(dpy_, XKeysymToKeycode(dpy_, keysym), down, CurrentTime);
  XSync(dpy_, False);
  std::this_thread::sleep_for(10ms);
}

void Input::Drag(int x0, int y0, int x1, int y1) {
  MovePointer(x0, y0);
  Button(true);
  MovePointer(x1, y1);
  Button(false);
}

void Input::Key(unsigned long keysym, const Keys& modifiers) {
  for (unsigned long m : modifiers) KeyEvent(m, true);
  KeyEvent(keysym, true);
  KeyEvent(keysym, false);
  for (auto m = modifiers.rbegin(); m != modifiers.rend(); ++m) KeyEvent(*m, false);
}

std::string XDriver::Clipboard() {
  return Output("xclip -display " + display_name_ + " -o -selection clipboard 2>/dev/null");
}

}  // namespace acceptance
