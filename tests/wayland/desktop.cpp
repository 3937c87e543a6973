#include "desktop.h"

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <utility>

#include "pattern.h"

namespace acceptance {

int ScreenAt(int x, int y) {
  if (x < 0 || y < 0 || x >= kPatternWidth || y >= kPatternHeight) return kBlack;
  return PatternAt(x, y);
}

Desktop::~Desktop() { KillGroup(pattern_); }

bool Desktop::Start(std::string* error) {
  for (const char* v : {"WAYLAND_DISPLAY", "DISPLAY", "DBUS_SESSION_BUS_ADDRESS"}) {
    if (!std::getenv(v))
      return *error = std::string(v) + " is not set: run through session.sh", false;
  }
  if (!mutter_.Start(error) || !x_.Attach(std::getenv("DISPLAY"), error)) return false;

  pattern_ = Spawn({HUECLIP_PATTERN_CLIENT});
  // The monitor shows the pattern everywhere (checked on a grid of points).
  const bool shown = x_.Poll([&] {
    const Image img = mutter_.Screen();
    for (int y = 0; y < kPatternHeight; y += 37)
      for (int x = 0; x < kPatternWidth; x += 41)
        if (img.w != kPatternWidth || img.At(x, y) != PatternAt(x, y)) return false;
    return true;
  });
  return shown || (*error = "the monitor does not show the pattern", false);
}

bool Desktop::RestartPipeWire(std::string* error) {
  mutter_.Stop();
  const std::pair<const char*, const char*> wireplumber{"wireplumber", "HUECLIP_WIREPLUMBER_PID"},
      pipewire{"pipewire", "HUECLIP_PIPEWIRE_PID"};
  for (auto [name, var] : {wireplumber, pipewire}) {
    const pid_t pid = std::atoi(std::getenv(var) ? std::getenv(var) : "0");
    // Still running: a process that has ended but is not reaped yet is a zombie ("Z").
    const auto running = [&] {
      std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
      std::string pid_field, command, state;
      return stat >> pid_field >> command >> state && state != "Z";
    };
    if (pid <= 0 || kill(pid, SIGTERM) != 0 || !x_.Poll([&] { return !running(); }))
      return *error = std::string(name) + " did not end", false;
  }
  const std::string socket = std::string(std::getenv("XDG_RUNTIME_DIR")) + "/pipewire-0";
  for (auto [name, var] : {pipewire, wireplumber}) {
    const char* dir = std::getenv("HUECLIP_SESSION_DIR");
    const pid_t pid = Spawn({"/bin/sh", "-c", "exec \"$0\" >>\"$1/$0.log\" 2>&1", name, dir});
    setenv(var, std::to_string(pid).c_str(), 1);
    if (var == pipewire.second && !x_.Poll([&] { return access(socket.c_str(), F_OK) == 0; }))
      return *error = "pipewire did not start again", false;
  }
  return mutter_.Start(error);
}

namespace {

// Where the pixels of colour c lie inside r: their bounding box, and how many there are.
struct Patch {
  Rect box;
  int count = 0;
  int CentreX() const { return box.x + box.w / 2; }
  int CentreY() const { return box.y + box.h / 2; }
};
Patch Find(const Image& img, const Rect& r, int c) {
  int x0 = r.x + r.w, y0 = r.y + r.h, x1 = r.x - 1, y1 = r.y - 1, count = 0;
  for (int y = std::max(r.y, 0); y < std::min(r.y + r.h, img.h); ++y) {
    for (int x = std::max(r.x, 0); x < std::min(r.x + r.w, img.w); ++x) {
      if (img.At(x, y) != c) continue;
      ++count;
      x0 = std::min(x0, x), y0 = std::min(y0, y), x1 = std::max(x1, x), y1 = std::max(y1, y);
    }
  }
  return {{x0, y0, x1 - x0 + 1, y1 - y0 + 1}, count};
}

// The permission dialog is a Wayland window in the middle of the monitor, found by the light
// grey of its body in the monitor's left half (the pattern has no such colour, and the main
// window sits in the right half). Its title bar holds Cancel (grey) and Share (light blue until
// a monitor is picked); the monitors are white rows of a list in its body.
constexpr int kDialogGrey = 0xFAFAFA, kCancelGrey = 0xD9D9D9, kRowWhite = 0xFFFFFF;
constexpr int kShareDisabled = 0x90B7E7, kShareEnabled = 0x3584E4;

std::optional<Rect> ShareDialog(const Image& img) {
  Patch left = Find(img, {0, 0, kPatternWidth / 2, kPatternHeight}, kDialogGrey);
  if (left.count < 10000) return std::nullopt;
  return Rect{left.box.x, left.box.y, kPatternWidth - 2 * left.box.x, left.box.h};
}

}  // namespace

bool Desktop::ShareDialogShown() { return ShareDialog(mutter_.Screen()).has_value(); }

bool Desktop::AnswerShareDialog(bool share, int row) {
  std::optional<Rect> body;
  if (!x_.Poll([&] { return (body = ShareDialog(mutter_.Screen())).has_value(); })) return false;
  mutter_.MovePointer(kPatternWidth / 2, kPatternHeight - 10);  // no row highlighted under it
  // A dialog just mapped may not be drawn, nor take input, yet: look until its parts show. It
  // may also have lost the keyboard to the program's window, and then draws its buttons in
  // paler colours and its title bar in the body's grey: a click on the empty foot of its body
  // gives it back (a click above the grey would miss it).
  const int footX = body->x + body->w / 2, footY = body->y + body->h - 15;
  Rect left, right;
  std::vector<std::pair<int, int>> rows;  // first and last line of each
  Patch button;
  const auto ready = [&] {
    const Image img = mutter_.Screen();
    if (!(body = ShareDialog(img))) return false;
    const Rect title_bar{body->x, body->y - 50, body->w, 50};
    left = {title_bar.x, title_bar.y, title_bar.w / 2, title_bar.h};
    right = {left.x + left.w, left.y, title_bar.w - left.w, left.h};
    if (!share) return (button = Find(img, left, kCancelGrey)).count >= 100;
    // The list's rows: the lines of the body that are mostly white.
    rows.clear();
    for (int y = body->y; y < body->y + body->h; ++y) {
      if (Find(img, {body->x, y, body->w, 1}, kRowWhite).count < body->w / 2) continue;
      if (rows.empty() || rows.back().second < y - 1) rows.emplace_back(y, y);
      rows.back().second = y;
    }
    return !rows.empty() && row < int(rows.size()) &&
           (button = Find(img, right, kShareDisabled)).count >= 100;
  };
  // The program, still starting or just done with a message box, may take the keyboard back
  // after that click: it is made again until the buttons show in their own colours.
  if (!x_.PollAfter([&] { mutter_.Click(footX, footY); }, ready, 1500ms)) return false;
  // Each click below may come before the dialog takes input, or only give it the keyboard back:
  // it is made again after long enough for one that came to show (a row's second would untick it).
  if (share) {
    const auto [top, bottom] = row < 0 ? std::pair(rows.front().first, rows.back().second)
                                       : rows[static_cast<std::size_t>(row)];
    x_.PollAfter([&] { mutter_.Click(body->x + body->w / 2, (top + bottom) / 2); },
                 [&] { return Find(mutter_.Screen(), right, kShareEnabled).count >= 100; }, 3s);
  }
  return x_.PollAfter([&] { mutter_.Click(button.CentreX(), button.CentreY()); },
                      [&] { return !ShareDialogShown(); }, 3s);
}

}  // namespace acceptance
