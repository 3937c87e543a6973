#pragma once

// A desktop duplication that answers from a script, put in the place of DuplicateOutput1 on the
// system's own DXGI outputs: the program's whole DXGI reading (opening a duplication, acquiring,
// copying, mapping and converting frames) then runs under Wine, whose DuplicateOutput1 answers
// E_NOTIMPL, on real Direct3D 11 textures made on the device the program passes.
#include <cstdint>
#include <deque>
#include <string>

#include <dxgi1_5.h>

namespace hueclip::test_program {

// What frame `frame` shows at (x, y) of its monitor, as the 8-bit sRGB colour (0x00BBGGRR) it
// was drawn with: different from point to point and from frame 'A' to frame 'B'; '0' is black.
std::int32_t FramePixel(char frame, std::int32_t x, std::int32_t y);

class ScriptedDuplication {
 public:
  // In the place of DuplicateOutput1 from construction to destruction.
  ScriptedDuplication();
  ~ScriptedDuplication();
  ScriptedDuplication(const ScriptedDuplication&) = delete;
  ScriptedDuplication& operator=(const ScriptedDuplication&) = delete;

  // The next answers, in order, each taken by the first call of its kind. For DuplicateOutput1,
  // which otherwise duplicates: "open:" and E_NOTIMPL, E_ACCESSDENIED, UNSUPPORTED or
  // NOT_CURRENTLY_AVAILABLE, or "open:Wine" for the system's own answer. For AcquireNextFrame,
  // which otherwise answers WAIT_TIMEOUT: a new frame, "A" or "B" in R16G16B16A16_FLOAT drawn at
  // `whiteNits`, "A8" (frame A in B8G8R8A8_UNORM); "pointer" (only the pointer moved:
  // LastPresentTime 0, a black image); or WAIT_TIMEOUT, ACCESS_LOST or E_ACCESSDENIED.
  std::deque<std::string> script;
  double whiteNits = 80;    // the SDR white level the desktop composes SDR content at
  int rotationDegrees = 0;  // clockwise, as the duplication's description tells it
  // The calls, one word each: "open(fp16,...)" (DuplicateOutput1 with its formats),
  // "acquire50" (AcquireNextFrame and its timeout), "release" (ReleaseFrame), "close" (the
  // duplication's last Release); and what the test notes between them.
  std::string log;

  void Note(const std::string& word) { log += (log.empty() ? "" : " ") + word; }
};

}  // namespace hueclip::test_program
