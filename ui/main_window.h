#pragma once

#include <cstddef>
#include <memory>

#include "core/picker.h"
#include "platform/window.h"
#include "ui/about_window.h"

namespace hueclip {

// frmHueclip: the 5 x 5 cell grid, the four readouts with their captions, the web link and the
// Help/About button, with the sampling timer.
extern const WindowDesc kFrmHueclip;

// Control ids of frmHueclip: positions in kFrmHueclip.controls, which is built by id. The order
// is the order the controls are created and painted in.
namespace main_ids {
enum : std::size_t {
  Label4,
  Label5,
  Label6,
  Label7,
  Command1,
  lblPos,
  lblHex,
  lblRGB,
  lblLong,
  lblVisitQL,
  pix0,  // pix(i) is pix0 + i
  Timer1 = pix0 + kCellCount,
  kCount
};
}  // namespace main_ids

class MainWindow final : public WindowEvents {
 public:
  explicit MainWindow(Services& services);

  Window& form() { return form_; }
  Picker& picker() { return picker_; }
  Control& pix(int i) { return form_.control(main_ids::pix0 + static_cast<std::size_t>(i)); }
  // Null until Help/About is first clicked.
  AboutWindow* frmAbout() { return frmAbout_.get(); }

  void lblPos_Click();
  void lblHex_Click();
  void lblRGB_Click();
  void lblLong_Click();
  void lblVisitQL_Click();
  void Command1_Click();

 private:
  void Form_Load() override { picker_.Form_Load(); }
  void Form_KeyDown(std::int16_t keyCode, std::int16_t shift) override {
    picker_.Form_KeyDown(keyCode, shift);
  }
  void Tick(std::size_t /*timer*/) override { picker_.Timer1_Timer(); }
  void Click(std::size_t control) override;

  PickerControls Controls();

  Services* services_;
  Window form_;
  Picker picker_;
  std::unique_ptr<AboutWindow> frmAbout_;
};

}  // namespace hueclip
