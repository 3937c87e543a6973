// The HDR reading of the Windows build against the system's real calls where no monitor shows
// HDR (as under Wine): what a pass reads over a patch of known colour (ShowPatch), and that it
// loads no DXGI. duplication_test.cpp reads monitors in HDR. Reports as test_program.h says.
#include <algorithm>
#include <string>

#include "platform/win32/display_config.h"
#include "platform/win32/screen.h"
#include "tests/windows/test_program.h"

namespace {

using namespace hueclip::win32;
using namespace hueclip::test_program;

// The pixels of the 5 x 5 block around the cursor that one pass of `screen` does not read as the
// patch; empty when all are.
std::string ReadBlock(hueclip::Screen& screen) {
  auto context = screen.GetWindowDC();
  if (!context) return "no context";
  std::string wrong;
  for (int y = 158; y < 163; ++y)
    for (int x = 208; x < 213; ++x)
      if (context->GetPixel(x, y) != static_cast<int>(kPatch))
        wrong += std::to_string(x) + "," + std::to_string(y) + " ";
  return wrong;
}

bool Loaded(const wchar_t* dll) { return GetModuleHandleW(dll) != nullptr; }

}  // namespace

int wmain() {
  HWND patch = ShowPatch();
  SetCursorPos(210, 160);

  const auto monitors = ReadMonitorFacts();
  Check(!monitors.empty() && std::none_of(monitors.begin(), monitors.end(),
                                          [](const MonitorFacts& m) { return m.whiteNits > 0; }),
        "DisplayConfig finds the monitors, none showing HDR");
  Screen sdr;
  const std::string read = ReadBlock(sdr);
  Check(read.empty(), "a pass on monitors in SDR reads the patch through GDI", read);
  Check(!Loaded(L"dxgi.dll") && !Loaded(L"d3d11.dll"), "and loads neither dxgi nor d3d11");

  DestroyWindow(patch);
  return Report();
}
