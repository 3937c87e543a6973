#include "core/picker.h"

#include <cstdint>
#include <limits>
#include <string>

#include "core/readout.h"

namespace hueclip {
namespace {

// The pixel (dx, dy) away from `at`. A point past the ends of the coordinate range lies beyond
// every screen, and reads as such rather than wrapping round to the other end.
std::int32_t PixelNear(ScreenContext& context, Point at, int dx, int dy) {
  using Limits = std::numeric_limits<std::int32_t>;
  const std::int64_t x = std::int64_t{at.x} + dx;
  const std::int64_t y = std::int64_t{at.y} + dy;
  if (x < Limits::min() || x > Limits::max() || y < Limits::min() || y > Limits::max()) return -1;
  return context.GetPixel(static_cast<std::int32_t>(x), static_cast<std::int32_t>(y));
}

}  // namespace

Picker::Picker(const PickerControls& controls, Services& services)
    : c_(controls), services_(&services) {}

void Picker::Form_Load() {
  c_.Timer1.SetInterval(kSampleIntervalMs);
  SelIndex = kCentreCell;
  Frozen = false;
  c_.form.SetKeyPreview(true);
  // A screen that cannot be seen yet (the desktop has still to share it) shows no readouts
  // rather than the captions of creation.
  if (!WhyUnseen().empty()) UpdateReadout();
}

void Picker::Timer1_Timer() {
  if (Frozen) return;
  const auto context = services_->screen.GetWindowDC();
  if (!context) return;
  CursorPos = context->GetCursorPos();
  // Row-major: cell i shows the pixel at (x + i mod 5 - 2, y + i div 5 - 2).
  for (int i = 0; i < kCellCount; ++i) {
    const std::int32_t colour = PixelNear(*context, CursorPos, i % 5 - 2, i / 5 - 2);
    c_.pix[i]->SetFillColor(colour < 0 ? 0 : colour);
  }
  sampled_ = true;
  UpdateReadout();
}

std::string Picker::WhyUnseen() const {
  return sampled_ ? std::string() : services_->screen.WhyUnseen();
}

void Picker::UpdateReadout() {
  const Readouts r =
      WhyUnseen().empty() ? FormatReadouts(CursorPos, c_.pix[SelIndex]->FillColor()) : Readouts{};
  c_.lblPos.SetCaption(r.pos);
  c_.lblHex.SetCaption(r.hex);
  c_.lblRGB.SetCaption(r.rgb);
  c_.lblLong.SetCaption(r.lng);
}

void Picker::Form_KeyDown(std::int16_t KeyCode, std::int16_t /*Shift*/) {
  bool copied = true;
  const std::int16_t was = SelIndex;
  switch (KeyCode) {
    case kKeyW:
      SelIndex = static_cast<std::int16_t>((SelIndex + kCellCount - 5) % kCellCount);
      break;
    case kKeyS:
      SelIndex = static_cast<std::int16_t>((SelIndex + 5) % kCellCount);
      break;
    case kKeyA:
      SelIndex = static_cast<std::int16_t>((SelIndex + kCellCount - 1) % kCellCount);
      break;
    case kKeyD:
      SelIndex = static_cast<std::int16_t>((SelIndex + 1) % kCellCount);
      break;
    case kKeyF:
      Frozen = !Frozen;
      c_.form.SetCaption(std::string(Frozen ? kFrozenTitle : kLiveTitle));
      break;
    case kKeyC:
      copied = CopyAll();
      break;
    default:
      break;
  }
  // The old cell loses its highlight only once the selection has moved: a copy may paint the
  // window while it waits for the clipboard, and the selection stays shown meanwhile.
  if (SelIndex != was) c_.pix[was]->SetBorderColor(kUnselectedBorder);
  c_.pix[SelIndex]->SetBorderColor(kSelectedBorder);
  UpdateReadout();
  // Told only now, with the key fully handled: the message box runs its own event loop.
  if (!copied) TellNothingCopied();
}

bool Picker::CopyAll() {
  // The captions as shown before this key press refreshes them.
  const std::string text = "Pos: " + c_.lblPos.Caption() + "\r\nHex: " + c_.lblHex.Caption() +
                           "\r\nRGB: " + c_.lblRGB.Caption() + "\r\nLong: " + c_.lblLong.Caption();
  return Copy(text);
}

void Picker::CopyText(std::string_view text) {
  if (!Copy(text)) TellNothingCopied();
}

bool Picker::Copy(std::string_view text) {
  return WhyUnseen().empty() && services_->clipboard.SetText(text);
}

void Picker::TellNothingCopied() {
  // As at the copy: one refused for this ran nothing meanwhile, and a screen once read stays read.
  if (const std::string unseen = WhyUnseen(); !unseen.empty()) {
    services_->toolkit.MessageBox(c_.form, unseen + std::string(kNothingSeenToCopy));
    return;
  }
  services_->toolkit.MessageBox(
      c_.form, services_->clipboard.EmptiedOnFailure() ? kClipboardEmptied : kNothingCopied);
}

}  // namespace hueclip
