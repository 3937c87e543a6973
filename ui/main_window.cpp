#include "ui/main_window.h"

#include <algorithm>
#include <array>

#include "resources/product.h"

namespace hueclip {
namespace {

constexpr ControlDesc CaptionLabel(const char* name, int left, int top, int width,
                                   const char* caption, Align align, int tabIndex) {
  return {.kind = ControlKind::Label,
          .name = name,
          .rect = {left, top, width, 195},
          .caption = caption,
          .align = align,
          .tabIndex = tabIndex};
}

// The value labels all start with the caption "lblPos", shown until the first refresh.
constexpr ControlDesc ValueLabel(const char* name, int top, int tabIndex) {
  return {.kind = ControlKind::Label,
          .name = name,
          .rect = {495, top, 1185, 240},
          .caption = "lblPos",
          .back = kSysWindowBackground,
          .fore = kSysWindowText,
          .bordered = true,
          .tabIndex = tabIndex};
}

// Columns are evenly spaced; rows step 270, 285, 270, 285 twips.
constexpr std::array<int, 5> kCellLeft{195, 480, 765, 1050, 1335};
constexpr std::array<int, 5> kCellTop{75, 345, 630, 900, 1185};

constexpr std::array<ControlDesc, main_ids::kCount> MakeControls() {
  using namespace main_ids;
  std::array<ControlDesc, kCount> c{};
  c[Label4] = CaptionLabel("Label4", 45, 1845, 375, "Hex:", Align::Right, 0);
  c[Label5] = CaptionLabel("Label5", -180, 2160, 600, "RGB:", Align::Right, 1);
  c[Label6] = CaptionLabel("Label6", 0, 2475, 420, "Long:", Align::Right, 2);
  c[Label7] = CaptionLabel("Label7", 90, 1530, 330, "Pos:", Align::Left, 3);
  c[Command1] = {.kind = ControlKind::Button,
                 .name = "Command1",
                 .rect = {0, 3060, 1725, 285},
                 .caption = "Help/About",
                 .tabIndex = 4};
  c[lblPos] = ValueLabel("lblPos", 1530, 5);
  c[lblHex] = ValueLabel("lblHex", 1845, 6);
  c[lblRGB] = ValueLabel("lblRGB", 2160, 7);
  c[lblLong] = ValueLabel("lblLong", 2475, 8);
  c[lblVisitQL] = {.kind = ControlKind::Label,
                   .name = "lblVisitQL",
                   .rect = {0, 2790, 1680, 195},
                   .caption = "Visit Quorvane Labs",
                   .fore = 0xFF0000,  // pure blue
                   .align = Align::Centre,
                   .tabIndex = 9,
                   .pointer = Pointer::Hand};
  for (int i = 0; i < kCellCount; ++i) {
    c[pix0 + static_cast<std::size_t>(i)] = {
        .kind = ControlKind::Cell,
        .name = "pix",
        .index = i,
        .rect = {kCellLeft[static_cast<std::size_t>(i % 5)],
                 kCellTop[static_cast<std::size_t>(i / 5)], 240, 240},
        .fill = kSysWindowBackground,
        // The centre cell starts selected.
        .border = i == kCentreCell ? kSelectedBorder : kSysWindowText};
  }
  c[Timer1] = {.kind = ControlKind::Timer, .name = "Timer1"};
  return c;
}

constexpr std::array<ControlDesc, main_ids::kCount> kControls = MakeControls();
static_assert(std::all_of(kControls.begin(), kControls.end(),
                          [](const ControlDesc& c) { return c.name != nullptr; }),
              "every control id has its control");

}  // namespace

const WindowDesc kFrmHueclip{
    .name = "frmHueclip",
    .title = "Hueclip",
    .clientWidth = 1695,
    .clientHeight = 3375,
    .frame = Frame::Sizable,
    .taskbarButton = true,
    .back = kSysButtonFace,
    .controls = kControls,
};

MainWindow::MainWindow(Services& services)
    : services_(&services),
      form_(services.toolkit, kFrmHueclip, *this),
      picker_(Controls(), services) {}

PickerControls MainWindow::Controls() {
  std::array<Control*, kCellCount> cells{};
  for (int i = 0; i < kCellCount; ++i) cells[static_cast<std::size_t>(i)] = &pix(i);
  return {form_,
          cells,
          form_.control(main_ids::lblPos),
          form_.control(main_ids::lblHex),
          form_.control(main_ids::lblRGB),
          form_.control(main_ids::lblLong),
          form_.control(main_ids::Timer1)};
}

void MainWindow::Click(std::size_t control) {
  switch (control) {
    case main_ids::lblPos:
      return lblPos_Click();
    case main_ids::lblHex:
      return lblHex_Click();
    case main_ids::lblRGB:
      return lblRGB_Click();
    case main_ids::lblLong:
      return lblLong_Click();
    case main_ids::lblVisitQL:
      return lblVisitQL_Click();
    case main_ids::Command1:
      return Command1_Click();
    default:
      return;  // caption labels, cells and the background do nothing
  }
}

// Each value label copies its caption exactly as shown.
void MainWindow::lblPos_Click() { picker_.CopyText(form_.control(main_ids::lblPos).Caption()); }
void MainWindow::lblHex_Click() { picker_.CopyText(form_.control(main_ids::lblHex).Caption()); }
void MainWindow::lblRGB_Click() { picker_.CopyText(form_.control(main_ids::lblRGB).Caption()); }
void MainWindow::lblLong_Click() { picker_.CopyText(form_.control(main_ids::lblLong).Caption()); }

void MainWindow::lblVisitQL_Click() {
  services_->shell.Execute(form_.hWnd(), "open", HUECLIP_MAKER_URL);
}

void MainWindow::Command1_Click() {
  if (!frmAbout_) frmAbout_ = std::make_unique<AboutWindow>(services_->toolkit);
  frmAbout_->form().ShowModal();
}

}  // namespace hueclip
