// The reading of monitors in HDR of the Windows build: first against the system's own calls,
// which under Wine show no monitor in HDR; then through the program's own DXGI code, on Direct3D
// 11 textures, with a scripted duplication in the place of DuplicateOutput1 and a clock the test
// moves (scripted_duplication.h), on the platform's screen behind a frozen main window, which
// hears the system's changes through its own window procedure and toolkit: what each pass reads,
// and every call it makes on the duplication. The block around the cursor lies over a patch of
// known colour (ShowPatch), which is what GDI reads. Reports as test_program.h says.
#include <algorithm>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "platform/win32/platform.h"
#include "platform/win32/scrgb.h"
#include "platform/win32/wide.h"
#include "tests/windows/scripted_duplication.h"
#include "tests/windows/test_program.h"
#include "ui/main_window.h"

namespace {

using namespace hueclip::win32;
using namespace hueclip::test_program;

constexpr int kCursorX = 210, kCursorY = 160;  // on the patch
// What the system sends the main window, by the steps' names.
const std::map<std::string, std::pair<UINT, WPARAM>> kMessages = {
    {"display", {WM_DISPLAYCHANGE, 32}},
    {"settings", {WM_SETTINGCHANGE, 0}},
    {"minimise", {WM_SIZE, SIZE_MINIMIZED}},
    {"restore", {WM_SIZE, SIZE_RESTORED}}};

// One pass over the block around the cursor as a letter: the frame ('A', 'B', '0' for black)
// that every pixel on the first monitor reads exactly, or the patch that GDI copies, as it is
// ('G') or un-clipped at that monitor's white level ('I'); where every pixel on another monitor
// reads the patch, un-clipped at its white level where it shows HDR. 'U' for no context (the
// window stays as it was); '?' otherwise.
char Pass(hueclip::Screen& screen, const std::vector<MonitorFacts>& monitors) {
  const auto context = screen.GetWindowDC();
  if (!context) return 'U';
  const auto patch = static_cast<std::int32_t>(kPatch);
  for (const char letter : {'A', 'B', '0', 'G', 'I'}) {
    bool all = true;
    for (int y = kCursorY - 2; y <= kCursorY + 2; ++y) {
      for (int x = kCursorX - 2; x <= kCursorX + 2; ++x) {
        const MonitorFacts& on = *std::find_if(monitors.begin(), monitors.end(),
                                               [&](auto& m) { return m.bounds.Contains(x, y); });
        const bool first = &on == &monitors[0];
        const std::int32_t expected =
            first && letter != 'G' && letter != 'I'
                ? FramePixel(letter, x - on.bounds.left, y - on.bounds.top)
            : on.whiteNits > 0 && (letter == 'I' || !first) ? UnclipGdiPixel(patch, on.whiteNits)
                                                            : patch;
        all = all && context->GetPixel(x, y) == expected;
      }
    }
    if (all) return letter;
  }
  return '?';
}

// A scenario: its name, the script (ScriptedDisplays::script), the steps and the calls they make
// (ScriptedDisplays::log, with "|" before each pass but the first, and "notice" where the program
// shows the notice of an unsupported duplication). A step is a pass, written as the letter it
// reads (Pass); "@80", the monitor's white level; "turn90", the desktop's rotation; "seam", the
// monitor in SDR left of the cursor's column, in HDR from it on ("seam300": in HDR at 300 nits
// left of it); "+N", the clock moved on N ms; what the system sends the main window, "display"
// and "settings" (a display or settings change), "minimise" and "restore"; "switch", a desktop
// switch; "idle", the screen's idle timer going off; or "wait", two seconds of the event loop, in
// which the idle timer, due every second, goes off if it runs. The monitor shows HDR at 200 nits
// unless a step says otherwise.
const char* const kScenarios[][4] = {
    {"a desktop turned 90 degrees", "A", "turn90 A", "d1:open acquire50"},
    {"a block across an SDR and an HDR monitor: each pixel from its own", "A", "seam A",
     "d1:open acquire50"},
    {"across two HDR monitors, one UNSUPPORTED: that one through GDI, un-clipped at its own level",
     "A open:UNSUPPORTED", "seam300 A", "d1:open acquire50 d2:open d2:gone 0x887A0004 notice"},
    {"BGRA, asked for beside 16-bit float: an SDR program's own frame read as its 8-bit values",
     "A8 B", "A B", "d1:open acquire50 | acquire0"},
    {"no first image yet: GDI, un-clipped; waited for on two reads only",
     "WAIT_TIMEOUT WAIT_TIMEOUT WAIT_TIMEOUT A", "I I I A",
     "d1:open acquire50 | acquire50 | acquire0 | acquire0"},
    {"a black first frame that only moved the pointer (LastPresentTime 0): not kept", "pointer A",
     "I A", "d1:open acquire50 | acquire50"},
    {"a still desktop, or a frame that only moved the pointer: the image kept until the next",
     "A WAIT_TIMEOUT pointer B", "A A A B", "d1:open acquire50 | acquire0 | acquire0 | acquire0"},
    {"ACCESS_LOST: opened again at once, on the same device, and read", "A ACCESS_LOST B", "A B",
     "d1:open acquire50 | acquire0 0x887A0026 close d1:open acquire50"},
    {"lost a 4th time in 10 s: let go; GDI, un-clipped, until the 10 s are over",
     "ACCESS_LOST ACCESS_LOST ACCESS_LOST ACCESS_LOST A", "I I +9999 I +1 A",
     "d1:open acquire50 0x887A0026 close d1:open acquire50 0x887A0026 close | d1:open acquire50 "
     "0x887A0026 close d1:open acquire50 0x887A0026 close d1:gone | | d2:open acquire50"},
    {"... or until a display change", "ACCESS_LOST ACCESS_LOST ACCESS_LOST ACCESS_LOST A",
     "I I display A",
     "d1:open acquire50 0x887A0026 close d1:open acquire50 0x887A0026 close | d1:open acquire50 "
     "0x887A0026 close d1:open acquire50 0x887A0026 close d1:gone | d2:open acquire50"},
    {"the secure desktop (lost, then E_ACCESSDENIED): the window stays, the device kept",
     "A ACCESS_LOST open:E_ACCESSDENIED B", "A U B",
     "d1:open acquire50 | acquire0 0x887A0026 close d1:open 0x80070005 | d1:open acquire50"},
    {"UNSUPPORTED: let go; GDI, un-clipped; told once; tried again after a desktop switch or a "
     "display change, never with time alone",
     "open:UNSUPPORTED open:UNSUPPORTED A", "I +600000 I switch I display A",
     "d1:open d1:gone 0x887A0004 notice | | d2:open d2:gone 0x887A0004 | d3:open acquire50"},
    {"NOT_CURRENTLY_AVAILABLE: let go; GDI, un-clipped; tried again after 5, 10, then 20 s, not "
     "at a desktop switch",
     "open:NOT_CURRENTLY_AVAILABLE open:NOT_CURRENTLY_AVAILABLE open:NOT_CURRENTLY_AVAILABLE A",
     "I +4999 switch I +1 I +9999 I +1 I +19999 I +1 A",
     "d1:open 0x887A0022 d1:gone | | d2:open 0x887A0022 d2:gone | | d3:open 0x887A0022 d3:gone | "
     "| d4:open acquire50"},
    {"Wine's own answer (E_NOTIMPL): let go; GDI, un-clipped; tried again after 5 s", "open:Wine A",
     "I +4999 I +1 A", "d1:open d1:gone 0x80004001 | | d2:open acquire50"},
    {"unread for 2 s: let go, device and all; opened again by the next read", "A WAIT_TIMEOUT A",
     "A +1999 idle A +2000 idle A",
     "d1:open acquire50 | acquire0 close d1:gone | d2:open acquire50"},
    {"frozen: the screen's own timer lets go of a duplication unread for 2 s", "A A",
     "A +2000 wait A", "d1:open acquire50 close d1:gone | d2:open acquire50"},
    {"minimised: let go at once; GDI, un-clipped, without opening until restored", "A A",
     "A minimise I restore A", "d1:open acquire50 close d1:gone | | d2:open acquire50"},
    {"each pixel as drawn at 80 nits; a display change keeps the duplication; a new white level "
     "opens it anew, read exactly at it; SDR is GDI's",
     "A WAIT_TIMEOUT A", "@80 A display A @480 settings A @0 display G",
     "d1:open acquire50 | acquire0 close d1:gone | d2:open acquire50 close d2:gone |"},
};

}  // namespace

int wmain() {
  HWND patch = ShowPatch();
  SetCursorPos(kCursorX, kCursorY);
  const auto monitors = ReadMonitorFacts();
  Check(!monitors.empty() &&
            std::all_of(monitors.begin(), monitors.end(),
                        [](const MonitorFacts& m) { return m.whiteNits == 0 && m.adapter != 0; }),
        "DisplayConfig finds the monitors, none showing HDR, each with its display path's adapter");
  Screen sdr;
  Check(Pass(sdr, monitors) == 'G' && !GetModuleHandleW(L"dxgi.dll") &&
            !GetModuleHandleW(L"d3d11.dll"),
        "a pass on monitors in SDR reads GDI's copy as it is, and loads neither dxgi nor d3d11");

  const MonitorFacts system = monitors.at(0);
  for (const auto& [name, script, steps, calls] : kScenarios) {
    ScriptedDisplays displays;
    displays.monitors = {system};
    displays.monitors[0].whiteNits = 200;
    std::istringstream answers(script), each(steps);
    for (std::string answer; answers >> answer;) displays.script.push_back(answer);
    const std::vector<std::string> todo{std::istream_iterator<std::string>(each), {}};
    std::string done, made;
    Platform platform(ScreenApi::System(), ClipboardApi::System(), displays);
    hueclip::MainWindow main(platform.services());
    bool stepping = false, passed = false;
    std::size_t next = 0;
    ULONGLONG waited = 0;
    RunSteps(10, [&](int tick) {
      const auto hwnd = reinterpret_cast<HWND>(main.form().hWnd());
      if (tick == 0) main.form().KeyDown('F', 0);  // frozen: the test makes every pass
      // The program's message box, over the main window, is read and closed.
      HWND box = FindWindowExW(nullptr, nullptr, L"#32770", nullptr);
      while (box && GetWindow(box, GW_OWNER) != hwnd)
        box = FindWindowExW(nullptr, box, L"#32770", nullptr);
      if (box) {
        wchar_t text[512] = L"";
        GetDlgItemTextW(box, 0xFFFF, text, 512);
        const bool notice = text == Widen(HdrDesktop::kUnsupportedNotice);
        displays.Note(stepping ? "box-during-a-step" : notice ? "notice" : "box");
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        return true;
      }
      if (stepping || GetTickCount64() < waited) return true;
      if (next == todo.size()) {
        made = displays.log;
        PostMessageW(hwnd, WM_CLOSE, 0, 0);
        return false;
      }
      std::string step = todo[next++];
      stepping = true;
      MonitorFacts& hdr = displays.monitors[0];
      if (step.size() == 1) {
        if (std::exchange(passed, true)) displays.Note("|");
        step = Pass(platform.services().screen, displays.monitors);
      } else if (step[0] == '@') {
        hdr.whiteNits = std::stod(step.substr(1));
      } else if (step.starts_with("turn")) {
        displays.rotationDegrees = std::stoi(step.substr(4));
      } else if (step.starts_with("seam")) {
        hdr.bounds = {kCursorX, hdr.bounds.top, hdr.bounds.width - kCursorX, hdr.bounds.height};
        displays.monitors.push_back(system);
        displays.monitors[1].bounds.width = kCursorX;
        displays.monitors[1].whiteNits = step.size() > 4 ? std::stod(step.substr(4)) : 0;
      } else if (step[0] == '+') {
        displays.now += std::stoll(step.substr(1));
      } else if (kMessages.contains(step)) {
        SendMessageW(hwnd, kMessages.at(step).first, kMessages.at(step).second, 0);
      } else if (step == "switch") {
        NotifyWinEvent(EVENT_SYSTEM_DESKTOPSWITCH, hwnd, OBJID_WINDOW, CHILDID_SELF);
      } else if (step == "idle") {
        SendMessageW(FindWindowExW(HWND_MESSAGE, nullptr, L"HueclipScreenEvents", nullptr),
                     WM_TIMER, 1, 0);
      } else if (step == "wait") {
        waited = GetTickCount64() + 2000;
      }
      done += (done.empty() ? "" : " ") + step;
      stepping = false;
      return true;
    });
    platform.toolkit().Run(main.form());
    Check(done == steps && made == calls && displays.script.empty(), name,
          "steps " + done + ", calls " + made);
  }
  DestroyWindow(patch);
  return Report();
}
