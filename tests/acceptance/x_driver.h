// A small X11 driver for the acceptance suite: a private Xvfb with openbox on it, windows found
// by title, screenshots of screen regions, pointer and keys through XTest, and the CLIPBOARD
// selection read with xclip.
#pragma once

#include <X11/Xlib.h>
#include <sys/types.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace acceptance {

using namespace std::chrono_literals;
using Millis = std::chrono::milliseconds;

// The bound of every wait for a state that is bound to come: enough for a machine whose cores are
// busy, twice that under the sanitizers. A wait ends once its state holds: only a failure waits it.
#ifdef __SANITIZE_ADDRESS__
constexpr Millis kPatience = 60s;
#else
constexpr Millis kPatience = 30s;
#endif

struct Rect {
  int x = 0, y = 0, w = 0, h = 0;
  bool Contains(int px, int py) const { return px >= x && py >= y && px < x + w && py < y + h; }
};

// Pixels of a screen region, row-major, each 0xRRGGBB.
struct Image {
  int w = 0, h = 0;
  std::vector<int> px;
  int At(int x, int y) const { return px[static_cast<size_t>(y * w + x)]; }
};

// Starts a program as the leader of its own process group, with each "NAME=VALUE" of env set in
// its environment. keep_fd, when >= 0, is passed on as fd 3.
pid_t Spawn(const std::vector<std::string>& argv, const std::vector<std::string>& env = {},
            int keep_fd = -1);
// Ends the process group led by pid: SIGTERM, then SIGKILL after kPatience; reaps pid.
void KillGroup(pid_t pid);
// The shell command's output, or "(empty)" when it fails or its first program outlives kPatience.
std::string Output(const std::string& command);

using Keys = std::vector<unsigned long>;

// The pointer and the keyboard, through XTest or through mutter's RemoteDesktop.
class Input {
 public:
  virtual ~Input() = default;
  virtual void MovePointer(int x, int y) = 0;
  // The left button, or the key of keysym, going down or up.
  virtual void Button(bool down) = 0;
  virtual void KeyEvent(unsigned long keysym, bool down) = 0;

  void Click(int x, int y) { Drag(x, y, x, y); }
  // A left press at one point and its release at another.
  void Drag(int x0, int y0, int x1, int y1);
  // Presses and releases the key of keysym while the modifier keys are held.
  void Key(unsigned long keysym, const Keys& modifiers = {});
};

class XDriver : public Input {
 public:
  ~XDriver() { Stop(); }
  // Starts Xvfb with the screens of `screens` (its -screen options and the like) on a display
  // it picks itself, connects, and starts openbox on it unless told not to.
  bool Start(const std::string& config_home, std::string* error,
             const std::vector<std::string>& screens, bool window_manager = true);
  // Connects to a running X server (Xwayland) instead, starting nothing.
  bool Attach(const std::string& display_name, std::string* error);
  void Stop();
  const std::string& display_name() const { return display_name_; }

  // Calls cond every 50 ms until it holds or timeout passes.
  bool Poll(const std::function<bool()>& cond, Millis timeout = kPatience);
  // Does act, and again each time cond has not held for `every`, until cond holds or kPatience
  // passes: for an action that a busy desktop may let go by (a click while a window goes).
  bool PollAfter(const std::function<void()>& act, const std::function<bool()>& cond, Millis every);
  void Sleep(Millis d) {
    Poll([] { return false; }, d);
  }

  // The viewable window with this title (anywhere in the tree), or 0.
  Window Find(const std::string& title);
  // Every viewable window whose title passes match.
  std::vector<Window> FindAll(const std::function<bool(const std::string&)>& match);
  Window WaitFor(const std::string& title, Millis timeout = kPatience);
  std::string Title(Window w);
  bool Viewable(Window w);
  // Whether w, or a window inside it, has the keyboard focus.
  bool Focused(Window w);
  // Client area in root coordinates.
  Rect ClientRect(Window w);
  Image Grab(const Rect& r);
  // A pixel value for the colour *rgb (0xRRGGBB) from the default colour map of the default
  // screen; *rgb becomes the colour the map holds for it.
  unsigned long AllocColour(int* rgb);
  // The pixels of w's own client area: the one read that a rootless Xwayland serves, where a
  // read of the root window fails.
  Image GrabWindow(Window w);

  // An override-redirect window on X screen `screen` showing the pixel value colour(x, y)
  // (0xRRGGBB on a true colour screen) at each of its pixels; the picture is its background, so
  // the server repaints it whenever it is exposed.
  Window CreatePicture(const Rect& r, const std::function<int(int, int)>& colour, int screen = 0);
  void Destroy(Window w);

  // Requests to the window manager, as a user's desktop tools make them.
  void Move(Window w, int x, int y);
  void Activate(Window w);
  void Close(Window w);

  void MovePointer(int x, int y) override { MovePointer(x, y, 0); }
  void MovePointer(int x, int y, int screen);
  void Button(bool down) override;
  void KeyEvent(unsigned long keysym, bool down) override;

  // The CLIPBOARD text, or "(empty)".
  std::string Clipboard();

 private:
  Window Parent(Window w);
  Image Read(Drawable d, const Rect& r);
  // An 8-bit property's bytes.
  std::optional<std::string> Property(Window w, const char* name);

  Display* dpy_ = nullptr;
  Window root_ = 0;
  std::string display_name_;
  pid_t xvfb_ = -1, wm_ = -1;
};

}  // namespace acceptance
