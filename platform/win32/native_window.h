#pragma once

#include <cstddef>
#include <vector>

#include "platform/win32/win32.h"
#include "platform/window.h"

namespace hueclip::win32 {

class Toolkit;

// The native window of one Window. Labels and cells are painted by the window itself and
// hit-tested on mouse clicks; buttons and text boxes are real BUTTON and EDIT controls; timers
// are window timers. Laid out from twips at the window's DPI, again when the DPI changes.
class NativeWindow final : public WindowPeer {
 public:
  NativeWindow(Toolkit& toolkit, Window& window, HWND owner);
  ~NativeWindow() override;
  NativeWindow(const NativeWindow&) = delete;
  NativeWindow& operator=(const NativeWindow&) = delete;

  WindowHandle Handle() const override;
  void CaptionChanged() override;
  void ControlChanged(std::size_t control) override;
  void Show() override;
  void ShowModal() override;

  Window& window() { return *window_; }
  // The program's ending follows this window's closing.
  void QuitOnClose() { quitOnClose_ = true; }

  // The peer of one of the program's top-level windows, or null.
  static NativeWindow* FromHwnd(HWND hwnd);

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam);

  // The fonts the window's text is drawn in, made for one DPI.
  struct Fonts {
    HFONT ui = nullptr;      // the default interface font
    std::vector<HFONT> own;  // per control; null where the control uses `ui`
  };

  // The small icon and the hand pointer, loaded for the window's DPI.
  void LoadDpiImages();
  void CreateChildren();
  void Layout();
  Fonts MakeFonts() const;
  static void FreeFonts(Fonts& fonts);
  HFONT FontOf(std::size_t control) const;
  void UpdateTimer(std::size_t control);
  void Paint();
  void PaintControl(HDC dc, std::size_t control);
  // The painted control (label or cell) under a client point, or -1.
  int PaintedControlAt(POINT p) const;
  void Close();

  Toolkit* toolkit_;
  Window* window_;
  HWND hwnd_ = nullptr;
  DWORD style_ = 0, exStyle_ = 0;
  int dpi_ = 96;
  std::vector<HWND> children_;  // per control; null for painted ones and timers
  std::vector<RECT> rects_;     // per control, client pixels
  Fonts fonts_;
  HICON smallIcon_ = nullptr;
  HCURSOR hand_ = nullptr;  // null when it could not be loaded: the arrow stays
  HWND focus_ = nullptr;    // the child to give the focus back to on activation
  int pressed_ = -1;        // the painted control a left click started on
  bool quitOnClose_ = false;
  bool modal_ = false;
  bool destroyed_ = false;
  std::vector<HWND> disabled_;  // the windows a modal show took input from
};

}  // namespace hueclip::win32
