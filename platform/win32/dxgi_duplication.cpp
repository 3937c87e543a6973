#include "platform/win32/dxgi_duplication.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <vector>

#include <d3d11.h>
#include <dxgi1_5.h>
#include <wrl/client.h>

#include "platform/win32/proc_address.h"
#include "platform/win32/scrgb.h"

namespace hueclip::win32 {
namespace {

using Microsoft::WRL::ComPtr;
using Answer = DesktopDuplication::Answer;

// DXGI and Direct3D 11, looked up at run time so that they are not in the program's imports.
struct Direct3D {
  decltype(&CreateDXGIFactory1) createFactory = nullptr;
  PFN_D3D11_CREATE_DEVICE createDevice = nullptr;

  static const Direct3D& Load() {
    static const Direct3D loaded = [] {
      Direct3D d;
      // From the system folder only, never from beside the program.
      d.createFactory = ProcAddress<decltype(&CreateDXGIFactory1)>(
          LoadLibraryExW(L"dxgi.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32), "CreateDXGIFactory1");
      d.createDevice = ProcAddress<PFN_D3D11_CREATE_DEVICE>(
          LoadLibraryExW(L"d3d11.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32), "D3D11CreateDevice");
      return d;
    }();
    return loaded;
  }
};

Rotation FromDxgi(DXGI_MODE_ROTATION rotation) {
  switch (rotation) {
    case DXGI_MODE_ROTATION_ROTATE90:
      return Rotation::k90;
    case DXGI_MODE_ROTATION_ROTATE180:
      return Rotation::k180;
    case DXGI_MODE_ROTATION_ROTATE270:
      return Rotation::k270;
    default:
      return Rotation::kNone;
  }
}

// The formats a frame may come in: 16-bit float while the desktop is composed for HDR, and 8-bit
// BGRA, which the documentation asks every list to hold, when an SDR application flips its own
// frames onto the monitor.
const DXGI_FORMAT kFormats[] = {DXGI_FORMAT_R16G16B16A16_FLOAT, DXGI_FORMAT_B8G8R8A8_UNORM};

// What a failure of DuplicateOutput1 or AcquireNextFrame means for the passes.
Answer AnswerTo(HRESULT hr) {
  switch (hr) {
    case E_ACCESSDENIED:
    case DXGI_ERROR_SESSION_DISCONNECTED:
      return Answer::kDenied;
    case DXGI_ERROR_ACCESS_LOST:
    case DXGI_ERROR_INVALID_CALL:  // a frame left acquired: start the duplication afresh
      return Answer::kLost;
    case DXGI_ERROR_UNSUPPORTED:
      return Answer::kUnsupported;
    case DXGI_ERROR_NOT_CURRENTLY_AVAILABLE:
      return Answer::kBusy;
    default:
      return Answer::kUnavailable;
  }
}

class DxgiDuplication final : public DesktopDuplication {
 public:
  DxgiDuplication(HMONITOR monitor, LUID adapter) : monitor_(monitor), adapter_(adapter) {}

  Answer Open() override {
    if (device_) return Duplicate();
    // Where the adapter DisplayConfig names does not do, another that shows the monitor may: on a
    // laptop with two GPUs the process sees the panel through the one it runs on.
    Answer answer = Fail(DXGI_ERROR_NOT_FOUND, Answer::kUnavailable);
    bool unsupported = false;
    const Direct3D& d3d = Direct3D::Load();
    for (const Candidate& candidate : Candidates()) {
      const HRESULT hr =
          d3d.createDevice(candidate.adapter.Get(), D3D_DRIVER_TYPE_UNKNOWN, nullptr, 0, nullptr, 0,
                           D3D11_SDK_VERSION, device_.ReleaseAndGetAddressOf(), nullptr,
                           context_.ReleaseAndGetAddressOf());
      output_ = candidate.output;
      answer = SUCCEEDED(hr) ? Duplicate() : Fail(hr, Answer::kUnavailable);
      // Denied or busy, every adapter would answer the same.
      if (answer == Answer::kDone || answer == Answer::kDenied || answer == Answer::kBusy)
        return answer;
      unsupported = unsupported || answer == Answer::kUnsupported;
      Release();
    }
    return unsupported ? Answer::kUnsupported : answer;
  }

  Answer Refresh(unsigned waitMs) override {
    DXGI_OUTDUPL_FRAME_INFO info{};
    ComPtr<IDXGIResource> resource;
    const HRESULT hr = duplication_->AcquireNextFrame(waitMs, &info, resource.GetAddressOf());
    if (hr == DXGI_ERROR_WAIT_TIMEOUT) return Answer::kNoNewFrame;
    if (FAILED(hr)) return Fail(hr, hr == E_ACCESSDENIED ? Answer::kDenied : Answer::kLost);
    // A frame with no present time only moved the pointer: it is no new desktop image, and where
    // none is kept yet it is none at all (some drivers hand out a black one first).
    const Answer answer =
        info.LastPresentTime.QuadPart != 0 ? Keep(resource.Get()) : Answer::kNoNewFrame;
    duplication_->ReleaseFrame();
    return answer;
  }

  Answer Read(PixelRect area, double whiteNits, std::int32_t* colours) override {
    if (area.Empty() || Intersect(area, {0, 0, width_, height_}) != area)
      return Fail(E_INVALIDARG, Answer::kUnavailable);  // the monitor is not what we were told
    // The area as it lies in the image: turned, but still a rectangle.
    const Point a = ImagePoint({area.left, area.top}, width_, height_, rotation_);
    const Point b = ImagePoint({area.left + area.width - 1, area.top + area.height - 1}, width_,
                               height_, rotation_);
    const D3D11_BOX box{
        static_cast<UINT>(std::min(a.x, b.x)),     static_cast<UINT>(std::min(a.y, b.y)),     0,
        static_cast<UINT>(std::max(a.x, b.x) + 1), static_cast<UINT>(std::max(a.y, b.y) + 1), 1};
    context_->CopySubresourceRegion(staging_.Get(), 0, 0, 0, 0, kept_.Get(), 0, &box);
    D3D11_MAPPED_SUBRESOURCE mapped{};
    if (const HRESULT hr = context_->Map(staging_.Get(), 0, D3D11_MAP_READ, 0, &mapped); FAILED(hr))
      return Fail(hr, Answer::kLost);
    const bool halves = format_ == DXGI_FORMAT_R16G16B16A16_FLOAT;
    const auto* bytes = static_cast<const std::uint8_t*>(mapped.pData);
    for (std::int32_t y = area.top; y < area.top + area.height; ++y) {
      for (std::int32_t x = area.left; x < area.left + area.width; ++x) {
        const Point p = ImagePoint({x, y}, width_, height_, rotation_);
        const std::uint8_t* texel = bytes +
                                    (static_cast<std::size_t>(p.y) - box.top) * mapped.RowPitch +
                                    (static_cast<std::size_t>(p.x) - box.left) * (halves ? 8 : 4);
        std::uint16_t rgba[4];
        if (halves) std::memcpy(rgba, texel, sizeof rgba);
        *colours++ = halves ? ScRgbPixel(rgba, whiteNits) : Bgra8Pixel(texel);
      }
    }
    context_->Unmap(staging_.Get(), 0);
    return Answer::kDone;
  }

  void Close() override {
    kept_.Reset();
    duplication_.Reset();
  }

  void Release() override {
    Close();
    staging_.Reset();
    context_.Reset();
    device_.Reset();
    output_.Reset();
  }

  std::uint32_t LastError() const override { return static_cast<std::uint32_t>(lastError_); }

 private:
  static constexpr UINT kStagingSize = 5;  // a pass's block, PixelBlockContext::kSize

  struct Candidate {
    ComPtr<IDXGIAdapter1> adapter;
    ComPtr<IDXGIOutput5> output;
  };

  // Every adapter that lists an output showing the monitor, with that output; first the one
  // DisplayConfig names, with another adapter's output where it lists none itself.
  std::vector<Candidate> Candidates() {
    const Direct3D& d3d = Direct3D::Load();
    std::vector<Candidate> found;
    if (!d3d.createFactory || !d3d.createDevice) return found;
    // The factory outlives the device, made again only when the adapters have changed: making it
    // is the dearer part of opening again after a release (about 200 ms under Wine, against 25
    // for the device), and it holds nothing of the desktop.
    if ((!factory_ || !factory_->IsCurrent()) &&
        FAILED(d3d.createFactory(__uuidof(IDXGIFactory1),
                                 reinterpret_cast<void**>(factory_.ReleaseAndGetAddressOf()))))
      return found;
    ComPtr<IDXGIAdapter1> adapter, named;
    for (UINT i = 0; factory_->EnumAdapters1(i, adapter.ReleaseAndGetAddressOf()) == S_OK; ++i) {
      DXGI_ADAPTER_DESC1 description{};
      const bool isNamed = SUCCEEDED(adapter->GetDesc1(&description)) &&
                           description.AdapterLuid.LowPart == adapter_.LowPart &&
                           description.AdapterLuid.HighPart == adapter_.HighPart;
      if (isNamed) named = adapter;
      ComPtr<IDXGIOutput> output;
      for (UINT j = 0; adapter->EnumOutputs(j, output.ReleaseAndGetAddressOf()) == S_OK; ++j) {
        DXGI_OUTPUT_DESC shows{};
        ComPtr<IDXGIOutput5> output5;
        if (FAILED(output->GetDesc(&shows)) || shows.Monitor != monitor_ ||
            FAILED(output.As(&output5)))
          continue;
        found.insert(isNamed ? found.begin() : found.end(), Candidate{adapter, output5});
      }
    }
    if (named && !found.empty() && found.front().adapter != named)
      found.insert(found.begin(), Candidate{named, found.front().output});
    return found;
  }

  Answer Duplicate() {
    DXGI_OUTPUT_DESC output{};
    if (const HRESULT hr = output_->GetDesc(&output); FAILED(hr))
      return Fail(hr, Answer::kUnavailable);
    width_ = output.DesktopCoordinates.right - output.DesktopCoordinates.left;
    height_ = output.DesktopCoordinates.bottom - output.DesktopCoordinates.top;
    const HRESULT hr =
        output_->DuplicateOutput1(device_.Get(), 0, static_cast<UINT>(std::size(kFormats)),
                                  kFormats, duplication_.ReleaseAndGetAddressOf());
    if (FAILED(hr)) return Fail(hr, AnswerTo(hr));
    DXGI_OUTDUPL_DESC description{};
    duplication_->GetDesc(&description);
    rotation_ = FromDxgi(description.Rotation);
    return Answer::kDone;
  }

  // Copies the acquired desktop image into the kept one, made like it (and the staging texture
  // with it) the first time.
  Answer Keep(IDXGIResource* resource) {
    ComPtr<ID3D11Texture2D> image;
    if (const HRESULT hr = resource->QueryInterface(__uuidof(ID3D11Texture2D),
                                                    reinterpret_cast<void**>(image.GetAddressOf()));
        FAILED(hr))
      return Fail(hr, Answer::kLost);
    D3D11_TEXTURE2D_DESC description{};
    image->GetDesc(&description);
    if (!kept_ || description.Format != format_) {
      // Anything but the formats asked for would be read wrong.
      if (std::find(std::begin(kFormats), std::end(kFormats), description.Format) ==
          std::end(kFormats))
        return Fail(DXGI_ERROR_UNSUPPORTED, Answer::kUnavailable);
      format_ = description.Format;
      description.Usage = D3D11_USAGE_DEFAULT;
      description.BindFlags = description.CPUAccessFlags = description.MiscFlags = 0;
      HRESULT hr = device_->CreateTexture2D(&description, nullptr, kept_.ReleaseAndGetAddressOf());
      description.Width = description.Height = kStagingSize;
      description.MipLevels = description.ArraySize = 1;
      description.Usage = D3D11_USAGE_STAGING;
      description.CPUAccessFlags = D3D11_CPU_ACCESS_READ;
      if (SUCCEEDED(hr))
        hr = device_->CreateTexture2D(&description, nullptr, staging_.ReleaseAndGetAddressOf());
      if (FAILED(hr)) {
        kept_.Reset();
        return Fail(hr, Answer::kLost);
      }
    }
    context_->CopyResource(kept_.Get(), image.Get());
    return Answer::kDone;
  }

  // Notes why an answer is not kDone. A device that was removed or reset (a driver update, a GPU
  // reset) is let go with everything else, for the open that follows to make a new one; on
  // other failures it is kept.
  Answer Fail(HRESULT hr, Answer answer) {
    lastError_ = hr;
    if (device_ && device_->GetDeviceRemovedReason() != S_OK) {
      Release();
      return Answer::kLost;
    }
    return answer;
  }

  HMONITOR monitor_;
  LUID adapter_;
  ComPtr<IDXGIFactory1> factory_;
  ComPtr<IDXGIOutput5> output_;
  ComPtr<ID3D11Device> device_;
  ComPtr<ID3D11DeviceContext> context_;
  ComPtr<IDXGIOutputDuplication> duplication_;
  ComPtr<ID3D11Texture2D> kept_;     // the last desktop image, for a still desktop
  ComPtr<ID3D11Texture2D> staging_;  // the pixels a pass reads, copied where the CPU can map them
  DXGI_FORMAT format_ = DXGI_FORMAT_UNKNOWN;  // of both
  std::int32_t width_ = 0, height_ = 0;       // of the desktop, the way it is up
  Rotation rotation_ = Rotation::kNone;
  HRESULT lastError_ = S_OK;
};

}  // namespace

std::unique_ptr<DesktopDuplication> DuplicateMonitor(const MonitorFacts& monitor) {
  const LUID adapter{static_cast<DWORD>(monitor.adapter), static_cast<LONG>(monitor.adapter >> 32)};
  return std::make_unique<DxgiDuplication>(reinterpret_cast<HMONITOR>(monitor.handle), adapter);
}

}  // namespace hueclip::win32
