// The reading of monitors in HDR of the Windows build: first against the system's own calls,
// which under Wine show no monitor in HDR; then through the program's own DXGI code, on Direct3D
// 11 textures, with a scripted duplication in the place of DuplicateOutput1 and a clock the test
// moves (scripted_duplication.h): what each pass reads, and every call it makes on the
// duplication. The block around the cursor lies over a patch of known colour (ShowPatch), which
// is what GDI reads. Reports as test_program.h says.
#include <algorithm>
#include <sstream>
#include <string>
#include <utility>

#include "platform/win32/duplication_policy.h"
#include "platform/win32/screen.h"
#include "platform/win32/scrgb.h"
#include "tests/windows/scripted_duplication.h"
#include "tests/windows/test_program.h"

namespace {

using namespace hueclip::win32;
using namespace hueclip::test_program;

constexpr int kCursorX = 210, kCursorY = 160;  // on the patch

// One pass over the block around the cursor as a letter: the frame ('A', 'B', '0' for black)
// that every pixel on the HDR monitor reads exactly, or the patch that GDI copies, as it is ('G')
// or un-clipped at the monitor's white level ('I'), where every pixel off it reads the patch;
// 'U' for no context (the window stays as it was); '?' otherwise, with the pixels read added to
// `detail`. The notice the pass posts is told meanwhile, from the event loop.
char Pass(hueclip::Screen& screen, const MonitorFacts& hdr, std::string& detail) {
  const auto context = screen.GetWindowDC();
  MSG msg;
  while (PeekMessageW(&msg, nullptr, WM_APP, WM_APP, PM_REMOVE)) DispatchMessageW(&msg);
  if (!context) return 'U';
  for (const char letter : {'A', 'B', '0', 'G', 'I'}) {
    bool all = true;
    for (int y = kCursorY - 2; y <= kCursorY + 2; ++y) {
      for (int x = kCursorX - 2; x <= kCursorX + 2; ++x) {
        const auto patch = static_cast<std::int32_t>(kPatch);
        all = all &&
              context->GetPixel(x, y) ==
                  (x < hdr.bounds.left || letter == 'G' ? patch
                   : letter == 'I'                      ? UnclipGdiPixel(patch, hdr.whiteNits)
                                   : FramePixel(letter, x - hdr.bounds.left, y - hdr.bounds.top));
      }
    }
    if (all) return letter;
  }
  for (int y = kCursorY - 2; y <= kCursorY + 2; ++y)
    for (int x = kCursorX - 2; x <= kCursorX + 2; ++x)
      detail += " " + std::to_string(context->GetPixel(x, y));
  return '?';
}

// A scenario: the script (ScriptedDisplays::script), the steps and the calls they make
// (ScriptedDisplays::log, with "|" before each pass but the first). A step is a pass, written as
// the letter it reads (Pass); "@80", the monitor's white level; "turn90", the desktop's rotation;
// "seam", the monitor in SDR left of the cursor's column, in HDR from it on; "+N", the clock
// moved on N ms; or what the passes cannot see: "display", "switch", "idle", "minimise",
// "restore". The monitor shows HDR at 200 nits unless a step says otherwise.
const struct Scenario {
  const char* name;
  const char* script;
  const char* steps;
  const char* calls;
} kScenarios[] = {
    {"80 nits: each pixel as it was drawn", "A", "@80 A", "d1:open acquire50 release"},
    {"200 nits", "A", "A", "d1:open acquire50 release"},
    {"480 nits", "A", "@480 A", "d1:open acquire50 release"},
    {"a desktop turned 90 degrees", "A", "turn90 A", "d1:open acquire50 release"},
    {"turned 180 degrees", "A", "turn180 A", "d1:open acquire50 release"},
    {"turned 270 degrees", "A", "turn270 A", "d1:open acquire50 release"},
    {"a block across an SDR and an HDR monitor: each pixel from its own", "A", "seam A",
     "d1:open acquire50 release"},
    {"BGRA, asked for beside 16-bit float: an SDR program's own frame read as its 8-bit values, "
     "the desktop's after it",
     "A8 B", "A B", "d1:open acquire50 release | acquire0 release"},
    {"no first image yet: GDI, un-clipped; waited for on two reads only",
     "WAIT_TIMEOUT WAIT_TIMEOUT WAIT_TIMEOUT A", "I I I A",
     "d1:open acquire50 | acquire50 | acquire0 | acquire0 release"},
    {"a black first frame that only moved the pointer (LastPresentTime 0): not kept", "pointer A",
     "I A", "d1:open acquire50 release | acquire50 release"},
    {"a still desktop: the frame kept until the next", "A WAIT_TIMEOUT B", "A A B",
     "d1:open acquire50 release | acquire0 | acquire0 release"},
    {"a frame that only moved the pointer: the image kept", "A pointer", "A A",
     "d1:open acquire50 release | acquire0 release"},
    {"ACCESS_LOST: opened again at once, on the same device, and read", "A ACCESS_LOST B", "A B",
     "d1:open acquire50 release | acquire0 0x887A0026 close d1:open acquire50 release"},
    {"lost again at once: GDI, un-clipped, for that pass", "A ACCESS_LOST ACCESS_LOST B", "A I B",
     "d1:open acquire50 release | acquire0 0x887A0026 close d1:open acquire50 0x887A0026 close | "
     "d1:open acquire50 release"},
    {"lost a 4th time in 10 s: let go; GDI, un-clipped, until the 10 s are over",
     "A ACCESS_LOST ACCESS_LOST ACCESS_LOST ACCESS_LOST B", "A I I +9999 I +1 B",
     "d1:open acquire50 release | acquire0 0x887A0026 close d1:open acquire50 0x887A0026 close | "
     "d1:open acquire50 0x887A0026 close d1:open acquire50 0x887A0026 close d1:gone | | d2:open "
     "acquire50 release"},
    {"... or until a display change", "A ACCESS_LOST ACCESS_LOST ACCESS_LOST ACCESS_LOST B",
     "A I I display B",
     "d1:open acquire50 release | acquire0 0x887A0026 close d1:open acquire50 0x887A0026 close | "
     "d1:open acquire50 0x887A0026 close d1:open acquire50 0x887A0026 close d1:gone | d2:open "
     "acquire50 release"},
    {"the secure desktop (lost, then E_ACCESSDENIED): the window stays, the device kept; the next "
     "pass reads",
     "A ACCESS_LOST open:E_ACCESSDENIED B", "A U B",
     "d1:open acquire50 release | acquire0 0x887A0026 close d1:open 0x80070005 | d1:open "
     "acquire50 release"},
    {"UNSUPPORTED: let go; GDI, un-clipped; told once; not tried again however long, but after a "
     "desktop switch or a display change",
     "open:UNSUPPORTED open:UNSUPPORTED A", "I +600000 I switch I display A",
     "d1:open d1:gone 0x887A0004 notice | | d2:open d2:gone 0x887A0004 | d3:open acquire50 "
     "release"},
    {"NOT_CURRENTLY_AVAILABLE: let go; GDI, un-clipped; tried again after 5, 10, then 20 s",
     "open:NOT_CURRENTLY_AVAILABLE open:NOT_CURRENTLY_AVAILABLE open:NOT_CURRENTLY_AVAILABLE A",
     "I +4999 I +1 I +9999 I +1 I +19999 I +1 A",
     "d1:open 0x887A0022 d1:gone | | d2:open 0x887A0022 d2:gone | | d3:open 0x887A0022 d3:gone | "
     "| d4:open acquire50 release"},
    {"Wine's own answer (E_NOTIMPL): let go; GDI, un-clipped; tried again after 5 s", "open:Wine A",
     "I +4999 I +1 A", "d1:open d1:gone 0x80004001 | | d2:open acquire50 release"},
    {"unread for 2 s: let go, device and all; opened again by the next read", "A WAIT_TIMEOUT A",
     "A +1999 idle A +2000 idle A",
     "d1:open acquire50 release | acquire0 close d1:gone | d2:open acquire50 release"},
    {"minimised: let go at once; GDI, un-clipped, without opening until restored", "A A",
     "A minimise I restore A",
     "d1:open acquire50 release close d1:gone | | d2:open acquire50 release"},
    {"a display change: the duplication kept; a new white level: opened anew, read at it; SDR: "
     "GDI as it is",
     "A WAIT_TIMEOUT A", "A display A @480 display A @0 display G",
     "d1:open acquire50 release | acquire0 close d1:gone | d2:open acquire50 release close "
     "d2:gone |"},
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
  std::string read;
  Screen sdr;
  Check(Pass(sdr, {}, read) == 'G' && !GetModuleHandleW(L"dxgi.dll") &&
            !GetModuleHandleW(L"d3d11.dll"),
        "a pass on monitors in SDR reads GDI's copy as it is, and loads neither dxgi nor d3d11",
        read);

  ScriptedDisplays displays;
  const MonitorFacts system = monitors.at(0);
  for (const Scenario& s : kScenarios) {
    displays.log.clear();
    displays.devices = 0;
    displays.now = 0;
    displays.rotationDegrees = 0;
    displays.monitors = {system};
    displays.monitors[0].whiteNits = 200;
    std::istringstream script(s.script);
    for (std::string answer; script >> answer;) displays.script.push_back(answer);
    std::string done, detail, calls;
    {
      Screen screen(ScreenApi::System(), displays);
      screen.OnNotice([&](std::string_view) { displays.Note("notice"); });
      std::istringstream steps(s.steps);
      bool passed = false;
      for (std::string step; steps >> step; done += (done.empty() ? "" : " ") + step) {
        MonitorFacts& hdr = displays.monitors[0];
        if (step.size() == 1) {
          if (std::exchange(passed, true)) displays.Note("|");
          step = Pass(screen, hdr, detail);
        } else if (step[0] == '@') {
          hdr.whiteNits = std::stod(step.substr(1));
        } else if (step.starts_with("turn")) {
          displays.rotationDegrees = std::stoi(step.substr(4));
        } else if (step == "seam") {
          hdr.bounds = {kCursorX, hdr.bounds.top, hdr.bounds.width - kCursorX, hdr.bounds.height};
          displays.monitors.push_back(system);
          displays.monitors[1].bounds.width = kCursorX;
        } else if (step[0] == '+') {
          displays.now += std::stoll(step.substr(1));
        } else if (step == "display") {
          screen.Hear(SystemChange::kDisplays);
        } else if (step == "switch") {
          screen.Hear(SystemChange::kDesktopSwitch);
        } else if (step == "idle") {
          screen.ReleaseIdle();
        } else if (step == "minimise") {
          screen.Hear(SystemChange::kMinimised);
        } else if (step == "restore") {
          screen.Hear(SystemChange::kRestored);
        }
      }
      calls = displays.log;
    }
    Check(done == s.steps && calls == s.calls && displays.script.empty(), s.name,
          "steps " + done + ", calls " + calls + detail);
    displays.script.clear();
  }
  DestroyWindow(patch);
  return Report();
}
