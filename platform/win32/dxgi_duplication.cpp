#include "platform/win32/dxgi_duplication.h"

#include <algorithm>
#include <cstring>

#include <d3d11.h>
#include <dxgi1_5.h>
#include <wrl/client.h>

#include "platform/win32/proc_address.h"

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

class DxgiDuplication final : public DesktopDuplication {
 public:
  explicit DxgiDuplication(HMONITOR monitor) : monitor_(monitor) {}

  Answer Open() override {
    if (!device_ && !FindOutput()) return Drop(Answer::kUnavailable);
    DXGI_OUTPUT_DESC output{};
    if (FAILED(output_->GetDesc(&output))) return Drop(Answer::kUnavailable);
    width_ = output.DesktopCoordinates.right - output.DesktopCoordinates.left;
    height_ = output.DesktopCoordinates.bottom - output.DesktopCoordinates.top;
    const DXGI_FORMAT formats[] = {DXGI_FORMAT_R16G16B16A16_FLOAT};
    const HRESULT hr = output_->DuplicateOutput1(device_.Get(), 0, 1, formats,
                                                 duplication_.ReleaseAndGetAddressOf());
    // The device stays for the next pass, which tries again while the lock screen is up.
    if (hr == E_ACCESSDENIED || hr == DXGI_ERROR_SESSION_DISCONNECTED) return Answer::kDenied;
    if (FAILED(hr)) return Drop(Answer::kUnavailable);
    DXGI_OUTDUPL_DESC description{};
    duplication_->GetDesc(&description);
    rotation_ = FromDxgi(description.Rotation);
    return Answer::kDone;
  }

  Answer Refresh(unsigned waitMs) override {
    DXGI_OUTDUPL_FRAME_INFO info{};
    ComPtr<IDXGIResource> resource;
    const HRESULT hr = duplication_->AcquireNextFrame(waitMs, &info, resource.GetAddressOf());
    if (hr == DXGI_ERROR_WAIT_TIMEOUT) return Answer::kNoNewFrame;
    if (hr == E_ACCESSDENIED) return Answer::kDenied;
    if (FAILED(hr)) return Drop(Answer::kLost);  // the device too may be gone (a driver reset)
    // A frame that only moved the pointer leaves the image as it was.
    const Answer answer =
        info.LastPresentTime.QuadPart != 0 || !kept_ ? Keep(resource.Get()) : Answer::kDone;
    duplication_->ReleaseFrame();
    return answer;
  }

  Answer Read(PixelRect area, std::uint16_t* rgba) override {
    if (area.Empty() || Intersect(area, {0, 0, width_, height_}) != area)
      return Answer::kUnavailable;  // the monitor is not what the program was told
    // The area as it lies in the image: turned, but still a rectangle.
    const Point a = ImagePoint({area.left, area.top}, width_, height_, rotation_);
    const Point b = ImagePoint({area.left + area.width - 1, area.top + area.height - 1}, width_,
                               height_, rotation_);
    const D3D11_BOX box{
        static_cast<UINT>(std::min(a.x, b.x)),     static_cast<UINT>(std::min(a.y, b.y)),     0,
        static_cast<UINT>(std::max(a.x, b.x) + 1), static_cast<UINT>(std::max(a.y, b.y) + 1), 1};
    context_->CopySubresourceRegion(staging_.Get(), 0, 0, 0, 0, kept_.Get(), 0, &box);
    D3D11_MAPPED_SUBRESOURCE mapped{};
    if (FAILED(context_->Map(staging_.Get(), 0, D3D11_MAP_READ, 0, &mapped)))
      return Drop(Answer::kLost);
    const auto* bytes = static_cast<const unsigned char*>(mapped.pData);
    for (std::int32_t y = area.top; y < area.top + area.height; ++y) {
      for (std::int32_t x = area.left; x < area.left + area.width; ++x, rgba += 4) {
        const Point p = ImagePoint({x, y}, width_, height_, rotation_);
        const std::size_t row = static_cast<std::size_t>(p.y) - box.top;
        const std::size_t column = static_cast<std::size_t>(p.x) - box.left;
        std::memcpy(rgba, bytes + row * mapped.RowPitch + column * 8, 8);
      }
    }
    context_->Unmap(staging_.Get(), 0);
    return Answer::kDone;
  }

  void Close() override {
    kept_.Reset();
    duplication_.Reset();
  }

 private:
  static constexpr UINT kStagingSize = 5;  // a pass's block, PixelBlockContext::kSize

  // Lets go of the device and the output as well, so that the next Open looks for them again.
  Answer Drop(Answer answer) {
    Close();
    staging_.Reset();
    context_.Reset();
    device_.Reset();
    output_.Reset();
    return answer;
  }

  // The output that shows the monitor, and a device on its adapter (on a laptop with two GPUs,
  // duplicating from another adapter's device fails).
  bool FindOutput() {
    const Direct3D& d3d = Direct3D::Load();
    ComPtr<IDXGIFactory1> factory;
    if (!d3d.createFactory || !d3d.createDevice ||
        FAILED(d3d.createFactory(__uuidof(IDXGIFactory1),
                                 reinterpret_cast<void**>(factory.GetAddressOf()))))
      return false;
    ComPtr<IDXGIAdapter1> adapter;
    for (UINT i = 0; factory->EnumAdapters1(i, adapter.ReleaseAndGetAddressOf()) == S_OK; ++i) {
      ComPtr<IDXGIOutput> output;
      for (UINT j = 0; adapter->EnumOutputs(j, output.ReleaseAndGetAddressOf()) == S_OK; ++j) {
        DXGI_OUTPUT_DESC description{};
        if (FAILED(output->GetDesc(&description)) || description.Monitor != monitor_) continue;
        return SUCCEEDED(output.As(&output_)) &&
               SUCCEEDED(d3d.createDevice(adapter.Get(), D3D_DRIVER_TYPE_UNKNOWN, nullptr, 0,
                                          nullptr, 0, D3D11_SDK_VERSION,
                                          device_.ReleaseAndGetAddressOf(), nullptr,
                                          context_.ReleaseAndGetAddressOf())) &&
               MakeStaging();
      }
    }
    return false;
  }

  bool MakeStaging() {
    D3D11_TEXTURE2D_DESC description{};
    description.Width = description.Height = kStagingSize;
    description.MipLevels = description.ArraySize = 1;
    description.Format = DXGI_FORMAT_R16G16B16A16_FLOAT;
    description.SampleDesc.Count = 1;
    description.Usage = D3D11_USAGE_STAGING;
    description.CPUAccessFlags = D3D11_CPU_ACCESS_READ;
    return SUCCEEDED(
        device_->CreateTexture2D(&description, nullptr, staging_.ReleaseAndGetAddressOf()));
  }

  // Copies the acquired desktop image into the kept frame, made like it the first time.
  Answer Keep(IDXGIResource* resource) {
    ComPtr<ID3D11Texture2D> image;
    if (FAILED(resource->QueryInterface(__uuidof(ID3D11Texture2D),
                                        reinterpret_cast<void**>(image.GetAddressOf()))))
      return Answer::kLost;
    if (!kept_) {
      D3D11_TEXTURE2D_DESC description{};
      image->GetDesc(&description);
      // Anything but the 16-bit float asked for would be read wrong.
      if (description.Format != DXGI_FORMAT_R16G16B16A16_FLOAT) return Answer::kUnavailable;
      description.Usage = D3D11_USAGE_DEFAULT;
      description.BindFlags = description.CPUAccessFlags = description.MiscFlags = 0;
      if (FAILED(device_->CreateTexture2D(&description, nullptr, kept_.ReleaseAndGetAddressOf())))
        return Answer::kLost;
    }
    context_->CopyResource(kept_.Get(), image.Get());
    return Answer::kDone;
  }

  HMONITOR monitor_;
  ComPtr<IDXGIOutput5> output_;
  ComPtr<ID3D11Device> device_;
  ComPtr<ID3D11DeviceContext> context_;
  ComPtr<IDXGIOutputDuplication> duplication_;
  ComPtr<ID3D11Texture2D> kept_;     // the last desktop image, for a still desktop
  ComPtr<ID3D11Texture2D> staging_;  // the pixels a pass reads, copied where the CPU can map them
  std::int32_t width_ = 0, height_ = 0;  // of the desktop, the way it is up
  Rotation rotation_ = Rotation::kNone;
};

}  // namespace

std::unique_ptr<DesktopDuplication> DuplicateMonitor(HMONITOR monitor) {
  return std::make_unique<DxgiDuplication>(monitor);
}

}  // namespace hueclip::win32
