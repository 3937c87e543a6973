// The HDR monitors' reading through the program's own DXGI code (DuplicateMonitor), on Direct3D
// 11 textures, with a scripted duplication in the place of DuplicateOutput1
// (scripted_duplication.h): what each pass reads, and every call it makes on the duplication.
// The system's monitor is said to show HDR; the block around the cursor lies over a patch of
// known colour (ShowPatch), which is what GDI reads. Reports as test_program.h says.
#include <sstream>
#include <string>

#include "platform/win32/desktop_duplication.h"
#include "platform/win32/display_config.h"
#include "platform/win32/screen.h"
#include "tests/windows/scripted_duplication.h"
#include "tests/windows/test_program.h"

namespace {

using namespace hueclip::win32;
using namespace hueclip::test_program;

// The system's monitor, in HDR from x = `hdrFrom` on and in SDR left of it; the part in HDR
// duplicated by the program.
class Monitors final : public HdrDisplays {
 public:
  Monitors(double whiteNits, std::int32_t hdrFrom) {
    MonitorFacts system = ReadMonitorFacts().at(0);
    hdr = system;
    hdr.bounds.left = hdrFrom;
    hdr.bounds.width -= hdrFrom;
    hdr.whiteNits = whiteNits;
    system.bounds.width = hdrFrom;
    facts = {hdr};
    if (hdrFrom > 0) facts.push_back(system);
  }
  std::vector<MonitorFacts> ReadMonitors() override { return facts; }
  std::unique_ptr<DesktopImage> Duplicate(const MonitorFacts& monitor) override {
    return DuplicateMonitor(reinterpret_cast<HMONITOR>(monitor.handle));
  }

  MonitorFacts hdr;
  std::vector<MonitorFacts> facts;
};

constexpr int kCursorX = 210, kCursorY = 160;  // on the patch

// One pass over the block around the cursor as a letter: the frame ('A', 'B', '0' for black)
// that every pixel on the HDR monitor reads exactly, where every other pixel reads the patch
// through GDI; 'G' where all read the patch; 'U' for no context (the window stays as it was);
// '?' otherwise, with the pixels read added to `detail`.
char Pass(hueclip::Screen& screen, const MonitorFacts& hdr, std::string& detail) {
  const auto context = screen.GetWindowDC();
  if (!context) return 'U';
  for (const char frame : {'A', 'B', '0', 'G'}) {
    bool all = true;
    for (int y = kCursorY - 2; y <= kCursorY + 2; ++y) {
      for (int x = kCursorX - 2; x <= kCursorX + 2; ++x) {
        const bool onHdr = frame != 'G' && x >= hdr.bounds.left;
        all = all && context->GetPixel(x, y) ==
                         (onHdr ? FramePixel(frame, x - hdr.bounds.left, y - hdr.bounds.top)
                                : static_cast<std::int32_t>(kPatch));
      }
    }
    if (all) return frame;
  }
  for (int y = kCursorY - 2; y <= kCursorY + 2; ++y)
    for (int x = kCursorX - 2; x <= kCursorX + 2; ++x)
      detail += " " + std::to_string(context->GetPixel(x, y));
  return '?';
}

// A scenario: the monitor's SDR white level, the desktop's rotation, where its part in HDR
// begins, the script (ScriptedDuplication::script), each pass's letter (Pass) and the calls
// made, a "|" after each pass.
const struct Scenario {
  const char* name;
  double whiteNits;
  int rotationDegrees;
  std::int32_t hdrFrom;
  const char* script;
  const char* passes;
  const char* calls;
} kScenarios[] = {
    {"80 nits: each pixel as it was drawn", 80, 0, 0, "A", "A",
     "open(fp16) acquire50 release | close"},
    {"200 nits", 200, 0, 0, "A", "A", "open(fp16) acquire50 release | close"},
    {"480 nits", 480, 0, 0, "A", "A", "open(fp16) acquire50 release | close"},
    {"a desktop turned 90 degrees", 200, 90, 0, "A", "A", "open(fp16) acquire50 release | close"},
    {"turned 180 degrees", 200, 180, 0, "A", "A", "open(fp16) acquire50 release | close"},
    {"turned 270 degrees", 200, 270, 0, "A", "A", "open(fp16) acquire50 release | close"},
    {"a block across an SDR and an HDR monitor: each pixel from its own", 200, 0, kCursorX, "A",
     "A", "open(fp16) acquire50 release | close"},
    {"a still desktop: the frame kept until the next", 80, 0, 0, "A WAIT_TIMEOUT B", "AAB",
     "open(fp16) acquire50 release | acquire0 | acquire0 release | close"},
    {"a frame that only moved the pointer: the image kept", 80, 0, 0, "A pointer", "AA",
     "open(fp16) acquire50 release | acquire0 release | close"},
    {"ACCESS_LOST: opened again and read", 80, 0, 0, "A ACCESS_LOST B", "AB",
     "open(fp16) acquire50 release | acquire0 close open(fp16) acquire50 release | close"},
    {"E_ACCESSDENIED: the window stays, the next pass reads", 80, 0, 0, "open:E_ACCESSDENIED A",
     "UA", "open(fp16) | open(fp16) acquire50 release | close"},
    {"Wine's own answer (E_NOTIMPL): GDI, not tried again at once", 80, 0, 0, "open:Wine", "GG",
     "open(fp16) | |"},
    {"a frame in a format not asked for: GDI", 80, 0, 0, "A8", "G",
     "open(fp16) acquire50 release close |"},
};

}  // namespace

int wmain() {
  HWND patch = ShowPatch();
  SetCursorPos(kCursorX, kCursorY);
  ScriptedDuplication scripted;
  for (const Scenario& s : kScenarios) {
    scripted.log.clear();
    std::istringstream script(s.script);
    for (std::string answer; script >> answer;) scripted.script.push_back(answer);
    scripted.whiteNits = s.whiteNits;
    scripted.rotationDegrees = s.rotationDegrees;
    std::string passes, detail;
    {
      Monitors monitors(s.whiteNits, s.hdrFrom);
      Screen screen(ScreenApi::System(), monitors);
      for (std::size_t i = 0; s.passes[i]; ++i) {
        passes += Pass(screen, monitors.hdr, detail);
        scripted.Note("|");
      }
    }
    Check(passes == s.passes && scripted.log == s.calls && scripted.script.empty(), s.name,
          "passes " + passes + ", calls " + scripted.log + detail);
    scripted.script.clear();
  }
  DestroyWindow(patch);
  return Report();
}
