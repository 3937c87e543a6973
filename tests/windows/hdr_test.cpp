// The HDR reading of the Windows build against the system's real calls (under Wine: no monitor
// in HDR, DuplicateOutput1 not implemented): what a pass reads, from which source, over a patch
// of known colour (ShowPatch). Reports as test_program.h says.
#include <algorithm>
#include <string>

#include "platform/win32/display_config.h"
#include "platform/win32/screen.h"
#include "platform/win32/scrgb.h"
#include "tests/fake/fake_hdr_displays.h"
#include "tests/windows/test_program.h"

namespace {

using namespace hueclip::win32;
using namespace hueclip::test_program;
using Answer = DesktopDuplication::Answer;

// The system's monitors, the first said to show HDR at `nits` left of x = `hdrUpTo`.
std::vector<MonitorFacts> PartlyHdr(int hdrUpTo, double nits) {
  auto monitors = ReadMonitorFacts();
  MonitorFacts hdr = monitors[0];
  hueclip::PixelRect& sdr = monitors[0].bounds;
  hdr.bounds.width = hdrUpTo - sdr.left;
  hdr.whiteNits = nits;
  sdr.width = static_cast<std::int32_t>(sdr.Right() - hdrUpTo);
  sdr.left = hdrUpTo;
  monitors.push_back(hdr);
  return monitors;
}

// Those with their real duplications, and the trace kept.
class RealDuplications final : public SystemHdrDisplays {
 public:
  std::string trace;
  std::vector<MonitorFacts> ReadMonitors() override { return PartlyHdr(10000, 200); }
  void Trace(const std::string& line) override { trace += line + "\n"; }
};

// What one pass of `screen` reads of the 5 x 5 block around the cursor against what is expected:
// `hdr` left of x = `hdrUpTo`, the patch beyond. Empty when all is as expected.
std::string ReadBlock(hueclip::Screen& screen, int hdrUpTo = 0, std::int32_t hdr = 0) {
  auto context = screen.GetWindowDC();
  if (!context) return "no context";
  std::string wrong;
  for (int y = 158; y < 163; ++y)
    for (int x = 208; x < 213; ++x)
      if (context->GetPixel(x, y) != (x < hdrUpTo ? hdr : static_cast<std::int32_t>(kPatch)))
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
  Check(std::all_of(monitors.begin(), monitors.end(),
                    [](const MonitorFacts& m) { return m.adapter != 0; }),
        "and names the adapter of each one's display path");
  Screen sdr;
  const std::string read = ReadBlock(sdr);
  Check(read.empty(), "a pass on monitors in SDR reads the patch through GDI", read);
  Check(!Loaded(L"dxgi.dll") && !Loaded(L"d3d11.dll"), "and loads neither dxgi nor d3d11");

  // GDI's copy of the patch as it would be on a monitor at 200 nits, given back.
  const std::int32_t unclipped = UnclipGdiPixel(static_cast<std::int32_t>(kPatch), 200);
  RealDuplications real;
  Screen hdr(ScreenApi::System(), real);
  const std::string exact = ReadBlock(hdr, 10000, unclipped);
  Check(exact.empty() && Loaded(L"dxgi.dll") && Loaded(L"d3d11.dll"),
        "a monitor in HDR whose real duplication cannot be had is read through GDI, un-clipped",
        exact);
  Check(real.trace.find("HRESULT 0x80004001") != std::string::npos,
        "and the trace says why: E_NOTIMPL", real.trace);

  hueclip::fake::FakeHdrDisplays fake;
  fake.monitors = PartlyHdr(210, 80);
  Screen across(ScreenApi::System(), fake);
  const std::string each = ReadBlock(across, 210, 0xFFFFFF);
  Check(each.empty(), "a block across an HDR and an SDR monitor reads each from its source", each);
  fake.answers = {Answer::kDenied};
  Screen denied(ScreenApi::System(), fake);
  Check(!denied.GetWindowDC(), "a denied duplication gives no context: the window stays");

  DestroyWindow(patch);
  return Report();
}
