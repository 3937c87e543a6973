#pragma once

// The system's monitors as a test says, with a clock it moves, and a desktop duplication that
// answers from a script in the place of DuplicateOutput1 on the system's own DXGI outputs, with
// real Direct3D 11 textures made on the device the program passes: under Wine, whose
// DuplicateOutput1 answers E_NOTIMPL, the program's whole DXGI reading runs.
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "platform/win32/display_config.h"

namespace hueclip::test_program {

// What frame `frame` shows at (x, y) of its monitor, as the 8-bit sRGB colour (0x00BBGGRR) it
// was drawn with: different from point to point and from frame 'A' to frame 'B'; '0' is black.
std::int32_t FramePixel(char frame, std::int32_t x, std::int32_t y);

class ScriptedDisplays final : public win32::SystemHdrDisplays {
 public:
  // In the place of DuplicateOutput1 from construction to destruction.
  ScriptedDisplays();
  ~ScriptedDisplays() override;
  ScriptedDisplays(const ScriptedDisplays&) = delete;
  ScriptedDisplays& operator=(const ScriptedDisplays&) = delete;

  // What ReadMonitors answers; the frames are composed at the first one's white level.
  std::vector<win32::MonitorFacts> monitors;
  std::int64_t now = 0;
  // The next answers, in order, each taken by the first call of its kind. For DuplicateOutput1,
  // which otherwise duplicates: "open:" and E_ACCESSDENIED, UNSUPPORTED or NOT_CURRENTLY_AVAILABLE,
  // or "open:Wine" for the system's own answer (E_NOTIMPL). For AcquireNextFrame,
  // which otherwise answers WAIT_TIMEOUT: a new frame, "A" or "B" in R16G16B16A16_FLOAT or "A8"
  // or "B8" in B8G8R8A8_UNORM; "pointer" (only the pointer moved: LastPresentTime 0, a black
  // image); or WAIT_TIMEOUT, ACCESS_LOST or E_ACCESSDENIED.
  std::deque<std::string> script;
  int rotationDegrees = 0;  // clockwise, as the duplication's description tells it
  // The calls, one word each: "d1:open" (DuplicateOutput1 on the first device the program made,
  // asking for 16-bit float and BGRA; "d1:open(other formats)" for any other list), "acquire50"
  // (AcquireNextFrame and its timeout; like DXGI's, it fails while the last frame is not
  // released), "close" (the duplication's last Release), "d1:gone" (that device destroyed, and
  // with it every texture made on it); the HRESULT of each trace line that has one, "0x887A0026";
  // and what the test notes between them.
  std::string log;
  int devices = 0;  // numbered so far

  void Note(const std::string& word) { log += (log.empty() ? "" : " ") + word; }

  std::vector<win32::MonitorFacts> ReadMonitors() override { return monitors; }
  std::int64_t NowMs() override { return now; }
  void Trace(const std::string& line) override;
};

}  // namespace hueclip::test_program
