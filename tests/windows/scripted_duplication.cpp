#include "tests/windows/scripted_duplication.h"

#include <cmath>
#include <cstring>

#include <d3d11.h>
#include <dxgi1_5.h>
#include <wrl/client.h>

#include "platform/win32/proc_address.h"

namespace hueclip::test_program {
namespace {

using Microsoft::WRL::ComPtr;
using DuplicateOutput1Fn = HRESULT(STDMETHODCALLTYPE*)(IDXGIOutput5*, IUnknown*, UINT, UINT,
                                                       const DXGI_FORMAT*,
                                                       IDXGIOutputDuplication**);

// DuplicateOutput1's place in IDXGIOutput5's vtable, after IUnknown's 3 methods, IDXGIObject's
// 4, IDXGIOutput's 12, IDXGIOutput1's 4 and one each of IDXGIOutput2, 3 and 4 (dxgi1_5.h).
constexpr std::size_t kDuplicateOutput1 = 26;

ScriptedDisplays* scripted = nullptr;  // the one in place
DuplicateOutput1Fn* slot = nullptr;
DuplicateOutput1Fn systemDuplicateOutput1 = nullptr;

// IUnknown for the test's own COM objects, which say what their destruction means.
template <typename Interface>
class Counted : public Interface {
 public:
  virtual ~Counted() = default;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
    *object = id == __uuidof(IUnknown) || id == __uuidof(Interface) ? this : nullptr;
    if (!*object) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    if (--references_) return references_;
    delete this;
    return 0;
  }

 private:
  ULONG references_ = 1;
};

// Writes `function` into the vtable `slot`, which lies in dxgi.dll's read-only data, and returns
// what was there.
DuplicateOutput1Fn Replace(DuplicateOutput1Fn function) {
  DWORD was = 0;
  VirtualProtect(slot, sizeof function, PAGE_READWRITE, &was);
  std::swap(*slot, function);
  VirtualProtect(slot, sizeof function, was, &was);
  return function;
}

// The script's next answer if it is for a call of this kind, without its "open:"; else "".
std::string Take(bool open) {
  std::deque<std::string>& script = scripted->script;
  if (script.empty() || script.front().starts_with("open:") != open) return {};
  std::string answer = script.front().substr(open ? 5 : 0);
  script.pop_front();
  return answer;
}

// The failure that `answer` names, or S_OK.
HRESULT Failure(const std::string& answer) {
  return answer == "E_ACCESSDENIED"            ? E_ACCESSDENIED
         : answer == "UNSUPPORTED"             ? DXGI_ERROR_UNSUPPORTED
         : answer == "NOT_CURRENTLY_AVAILABLE" ? DXGI_ERROR_NOT_CURRENTLY_AVAILABLE
         : answer == "WAIT_TIMEOUT"            ? DXGI_ERROR_WAIT_TIMEOUT
         : answer == "ACCESS_LOST"             ? DXGI_ERROR_ACCESS_LOST
                                               : S_OK;
}

// An 8-bit sRGB value as the desktop composes it at `whiteNits`, scRGB (linear light, 1.0 =
// 80 nits) as the nearest half float.
std::uint16_t ScRgbHalf(int value, double whiteNits) {
  const double c = value / 255.0;
  const double linear =
      (c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4)) * whiteNits / 80;
  if (linear == 0) return 0;
  int exponent = 0;
  const double fraction = std::frexp(linear, &exponent);  // from 0.5 to 1
  // A normal half: biased exponent, then ten bits of fraction; rounding up to 1024 carries on.
  return static_cast<std::uint16_t>(((exponent + 14) << 10) + std::lround(fraction * 2048 - 1024));
}

// Frame `frame` as the duplication hands it out, on `device`: the panel's own picture, so that
// on a monitor turned a quarter clockwise its top row runs down the desktop's right edge.
ComPtr<ID3D11Texture2D> DrawFrame(ID3D11Device* device, char frame, DXGI_FORMAT format, LONG width,
                                  LONG height) {
  const int turn = scripted->rotationDegrees;
  const LONG w = turn % 180 ? height : width, h = turn % 180 ? width : height;
  const bool halves = format == DXGI_FORMAT_R16G16B16A16_FLOAT;
  const std::size_t pixelBytes = halves ? 8 : 4;
  std::uint16_t scRgb[256];
  for (int v = 0; v < 256; ++v) scRgb[v] = ScRgbHalf(v, scripted->monitors.at(0).whiteNits);
  std::vector<unsigned char> image(pixelBytes * w * h);
  for (LONG y = 0; y < h; ++y) {
    for (LONG x = 0; x < w; ++x) {
      const LONG onDesktop[][2] = {
          {x, y}, {width - 1 - y, x}, {width - 1 - x, height - 1 - y}, {y, height - 1 - x}};
      const auto [dx, dy] = onDesktop[turn / 90];
      const auto c = static_cast<std::uint32_t>(FramePixel(frame, dx, dy));
      unsigned char* at = &image[pixelBytes * (y * w + x)];
      const std::uint16_t rgba[] = {scRgb[c & 0xFF], scRgb[(c >> 8) & 0xFF], scRgb[c >> 16],
                                    0x3C00};
      const std::uint32_t bgra = 0xFF000000u | (c & 0xFF) << 16 | (c & 0xFF00) | c >> 16;
      std::memcpy(at, halves ? static_cast<const void*>(rgba) : &bgra, pixelBytes);
    }
  }
  const CD3D11_TEXTURE2D_DESC description(format, static_cast<UINT>(w), static_cast<UINT>(h), 1, 1);
  const D3D11_SUBRESOURCE_DATA data{image.data(), static_cast<UINT>(pixelBytes * w), 0};
  ComPtr<ID3D11Texture2D> texture;
  device->CreateTexture2D(&description, &data, texture.GetAddressOf());
  return texture;
}

class Duplication final : public Counted<IDXGIOutputDuplication> {
 public:
  Duplication(ComPtr<ID3D11Device> device, LONG width, LONG height)
      : device_(std::move(device)), width_(width), height_(height) {}
  ~Duplication() override { scripted->Note("close"); }

  // The program asks it for the rotation alone.
  void STDMETHODCALLTYPE GetDesc(DXGI_OUTDUPL_DESC* description) override {
    *description = {};
    description->Rotation = static_cast<DXGI_MODE_ROTATION>(DXGI_MODE_ROTATION_IDENTITY +
                                                            scripted->rotationDegrees / 90);
  }

  HRESULT STDMETHODCALLTYPE AcquireNextFrame(UINT timeoutMs, DXGI_OUTDUPL_FRAME_INFO* info,
                                             IDXGIResource** resource) override {
    scripted->Note("acquire" + std::to_string(timeoutMs));
    if (frame_) return DXGI_ERROR_INVALID_CALL;  // the last frame is not released yet
    const std::string answer = Take(false);
    if (answer.empty()) return DXGI_ERROR_WAIT_TIMEOUT;
    if (FAILED(Failure(answer))) return Failure(answer);
    const bool pointerOnly = answer == "pointer";
    *info = {};
    (pointerOnly ? info->LastMouseUpdateTime : info->LastPresentTime).QuadPart = ++time_;
    info->AccumulatedFrames = pointerOnly ? 0 : 1;
    frame_ = DrawFrame(
        device_.Get(), pointerOnly ? '0' : answer[0],
        answer.ends_with('8') ? DXGI_FORMAT_B8G8R8A8_UNORM : DXGI_FORMAT_R16G16B16A16_FLOAT, width_,
        height_);
    return frame_->QueryInterface(IID_PPV_ARGS(resource));
  }

  HRESULT STDMETHODCALLTYPE ReleaseFrame() override {
    if (!frame_) return DXGI_ERROR_INVALID_CALL;
    frame_.Reset();
    return S_OK;
  }

  // IDXGIObject's calls, the dirty and moved rectangles, the pointer's shape and desktop images
  // in system memory: the program uses none of them.
  HRESULT STDMETHODCALLTYPE SetPrivateData(REFGUID, UINT, const void*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SetPrivateDataInterface(REFGUID, const IUnknown*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetPrivateData(REFGUID, UINT*, void*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetParent(REFIID, void**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetFrameDirtyRects(UINT, RECT*, UINT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetFrameMoveRects(UINT, DXGI_OUTDUPL_MOVE_RECT*, UINT*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetFramePointerShape(UINT, void*, UINT*,
                                                 DXGI_OUTDUPL_POINTER_SHAPE_INFO*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE MapDesktopSurface(DXGI_MAPPED_RECT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE UnMapDesktopSurface() override { return E_NOTIMPL; }

 private:
  ComPtr<ID3D11Device> device_;
  LONG width_, height_;            // of the desktop, the way it is up
  ComPtr<ID3D11Texture2D> frame_;  // acquired, not released yet
  LONGLONG time_ = 0;
};

// Watches a device from the inside, as its private data, which the device lets go of when it is
// destroyed: then notes "dN:gone".
struct DeviceWatch final : Counted<IUnknown> {
  explicit DeviceWatch(int n) : number(n) {}
  ~DeviceWatch() override {
    if (scripted) scripted->Note("d" + std::to_string(number) + ":gone");
  }
  int number;
};
constexpr GUID kDeviceWatch{0x5c1f0d2a, 0x7e43, 0x4b1e, {0x9a, 0x51, 0x3d, 0x6e, 0, 0, 0, 2}};

// The number of `device`, in the order the program made them; a device seen first is numbered
// and watched. Its private data hands out the watch's IUnknown, which is the watch itself.
int DeviceNumber(ID3D11Device* device) {
  DeviceWatch* watch = nullptr;
  UINT size = sizeof watch;
  if (FAILED(device->GetPrivateData(kDeviceWatch, &size, &watch))) {
    watch = new DeviceWatch(++scripted->devices);
    device->SetPrivateDataInterface(kDeviceWatch, watch);
  }
  const int number = watch->number;
  watch->Release();
  return number;
}

HRESULT STDMETHODCALLTYPE DuplicateOutput1(IDXGIOutput5* output, IUnknown* device, UINT flags,
                                           UINT formatCount, const DXGI_FORMAT* formats,
                                           IDXGIOutputDuplication** duplication) {
  ComPtr<ID3D11Device> d3d;
  if (FAILED(device->QueryInterface(IID_PPV_ARGS(d3d.GetAddressOf())))) return E_INVALIDARG;
  const bool asked = formatCount == 2 && formats[0] == DXGI_FORMAT_R16G16B16A16_FLOAT &&
                     formats[1] == DXGI_FORMAT_B8G8R8A8_UNORM;
  scripted->Note("d" + std::to_string(DeviceNumber(d3d.Get())) +
                 (asked ? ":open" : ":open(other formats)"));
  const std::string answer = Take(true);
  if (answer == "Wine")
    return systemDuplicateOutput1(output, device, flags, formatCount, formats, duplication);
  if (FAILED(Failure(answer))) return Failure(answer);
  DXGI_OUTPUT_DESC desc{};
  if (FAILED(output->GetDesc(&desc))) return E_INVALIDARG;
  const RECT& r = desc.DesktopCoordinates;
  *duplication = new Duplication(d3d, r.right - r.left, r.bottom - r.top);
  return S_OK;
}

}  // namespace

std::int32_t FramePixel(char frame, std::int32_t x, std::int32_t y) {
  if (frame == '0') return 0;
  // A hash of the point and the frame: no period that a wrong turn or offset could fall on.
  std::uint32_t h = static_cast<std::uint32_t>(x) * 73856093u ^
                    static_cast<std::uint32_t>(y) * 19349663u ^
                    static_cast<std::uint32_t>(frame) * 83492791u;
  h = (h ^ h >> 13) * 0x5BD1E995u;
  return static_cast<std::int32_t>((h ^ h >> 15) & 0xFFFFFF);
}

// Every output of dxgi.dll shares one vtable: replacing the slot in the first output's replaces
// it in those the program finds later as well. dxgi.dll is loaded here, not by the test program's
// start, which is to show that a program reading monitors in SDR does not load it.
ScriptedDisplays::ScriptedDisplays() {
  const auto createFactory = win32::ProcAddress<decltype(&CreateDXGIFactory1)>(
      LoadLibraryW(L"dxgi.dll"), "CreateDXGIFactory1");
  ComPtr<IDXGIFactory1> factory;
  ComPtr<IDXGIAdapter1> adapter;
  ComPtr<IDXGIOutput> output;
  ComPtr<IDXGIOutput5> output5;
  if (!createFactory || FAILED(createFactory(IID_PPV_ARGS(factory.GetAddressOf()))) ||
      FAILED(factory->EnumAdapters1(0, adapter.GetAddressOf())) ||
      FAILED(adapter->EnumOutputs(0, output.GetAddressOf())) || FAILED(output.As(&output5)))
    return;  // nothing replaced: the scenarios fail
  scripted = this;
  slot = *reinterpret_cast<DuplicateOutput1Fn**>(output5.Get()) + kDuplicateOutput1;
  systemDuplicateOutput1 = Replace(&DuplicateOutput1);
}

ScriptedDisplays::~ScriptedDisplays() {
  if (slot) Replace(systemDuplicateOutput1);
  scripted = nullptr;
}

// Each line names a monitor.
void ScriptedDisplays::Trace(const std::string& line) {
  if (!line.starts_with("monitor ") || line.find(" nits: ") == std::string::npos)
    Note("trace(" + line + ")");
  if (const auto code = line.find("HRESULT "); code != std::string::npos)
    Note(line.substr(code + 8, 10));
}

}  // namespace hueclip::test_program
