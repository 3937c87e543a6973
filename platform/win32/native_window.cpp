#include "platform/win32/native_window.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <stdexcept>
#include <string>
#include <utility>

#include "platform/twips.h"
#include "platform/win32/dpi.h"
#include "platform/win32/resource_ids.h"
#include "platform/win32/toolkit.h"
#include "platform/win32/wide.h"

namespace hueclip::win32 {
namespace {

constexpr wchar_t kClassName[] = L"HueclipWindow";
constexpr int kFirstChildId = 100;  // child control ids are kFirstChildId + control index
constexpr int kOutsideAny = -1;

HINSTANCE Instance() { return GetModuleHandleW(nullptr); }

ATOM WindowClass(WNDPROC proc) {
  static const ATOM atom = [proc] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = proc;
    wc.hInstance = Instance();
    // Both windows carry the program's icon; each window sets its small one for its DPI.
    wc.hIcon = LoadIconW(Instance(), MAKEINTRESOURCEW(HUECLIP_IDI_APP));
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kClassName;
    return RegisterClassExW(&wc);
  }();
  return atom;
}

COLORREF Resolve(Colour c) {
  if (IsSystemColour(c)) return GetSysColor(SystemColourIndex(c));
  return static_cast<COLORREF>(c) & 0x00FFFFFF;
}

void Fill(HDC dc, const RECT& r, COLORREF colour) {
  SetDCBrushColor(dc, colour);
  FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

RECT ToRect(const PixelRect& p) { return {p.left, p.top, p.left + p.width, p.top + p.height}; }

bool IsPainted(ControlKind kind) { return kind == ControlKind::Label || kind == ControlKind::Cell; }

// The client point of a mouse message (coordinates may be negative while captured).
POINT ClientPoint(LPARAM lParam) {
  return {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

int FontHeight(double points, int dpi) {
  return -static_cast<int>(std::lround(points * dpi / 72.0));
}

// A read-only EDIT does not select everything on Ctrl+A everywhere; this one does.
WNDPROC editProc = nullptr;

LRESULT CALLBACK SelectAllEditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_KEYDOWN && wParam == 'A' && GetKeyState(VK_CONTROL) < 0) {
    SendMessageW(hwnd, EM_SETSEL, 0, -1);
    return 0;
  }
  if (msg == WM_CHAR && wParam == 1) return 0;  // Ctrl+A's character: no beep
  return CallWindowProcW(editProc, hwnd, msg, wParam, lParam);
}

}  // namespace

NativeWindow::NativeWindow(Toolkit& toolkit, Window& window, HWND owner)
    : toolkit_(&toolkit), window_(&window) {
  const WindowDesc& desc = window.desc();
  const std::size_t n = window.ControlCount();
  children_.assign(n, nullptr);
  rects_.assign(n, RECT{});

  if (desc.frame == Frame::Sizable) {
    style_ = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;
  } else {
    style_ = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
    exStyle_ = WS_EX_DLGMODALFRAME;
  }
  style_ |= WS_CLIPCHILDREN;

  // Created at the system DPI, then sized for the DPI of the monitor it landed on.
  dpi_ = WindowDpi(nullptr);
  RECT outer = OuterRect(
      {0, 0, TwipsToPixels(desc.clientWidth, dpi_), TwipsToPixels(desc.clientHeight, dpi_)}, style_,
      exStyle_, dpi_);
  WindowClass(&WindowProc);
  // An overlapped window, owned or not, gets the system's default placement.
  CreateWindowExW(exStyle_, kClassName, Widen(window.Caption()).c_str(), style_, CW_USEDEFAULT,
                  CW_USEDEFAULT, outer.right - outer.left, outer.bottom - outer.top, owner, nullptr,
                  Instance(), this);
  if (!hwnd_) throw std::runtime_error("cannot create the window " + std::string(desc.name));

  // The class carries the icon too, but a window's own are what others ask for.
  SendMessageW(hwnd_, WM_SETICON, ICON_BIG, GetClassLongPtrW(hwnd_, GCLP_HICON));

  dpi_ = WindowDpi(hwnd_);
  LoadDpiImages();
  outer = OuterRect(
      {0, 0, TwipsToPixels(desc.clientWidth, dpi_), TwipsToPixels(desc.clientHeight, dpi_)}, style_,
      exStyle_, dpi_);
  SetWindowPos(hwnd_, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  fonts_ = MakeFonts();
  CreateChildren();
  Layout();
  for (std::size_t i = 0; i < n; ++i)
    if (desc.controls[i].kind == ControlKind::Timer) UpdateTimer(i);
}

NativeWindow::~NativeWindow() {
  if (hwnd_) {
    // Not closed by the user: take it down quietly, without ending the program.
    quitOnClose_ = false;
    DestroyWindow(hwnd_);
  }
  FreeFonts(fonts_);
  if (smallIcon_) DestroyIcon(smallIcon_);
  if (hand_) DestroyCursor(hand_);
}

NativeWindow* NativeWindow::FromHwnd(HWND hwnd) {
  if (!hwnd || GetClassWord(hwnd, GCW_ATOM) != WindowClass(&WindowProc)) return nullptr;
  return reinterpret_cast<NativeWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

WindowHandle NativeWindow::Handle() const { return reinterpret_cast<WindowHandle>(hwnd_); }

void NativeWindow::CaptionChanged() {
  if (hwnd_) SetWindowTextW(hwnd_, Widen(window_->Caption()).c_str());
}

void NativeWindow::ControlChanged(std::size_t control) {
  if (!hwnd_) return;
  switch (window_->desc().controls[control].kind) {
    case ControlKind::Label:
    case ControlKind::Cell:
      InvalidateRect(hwnd_, &rects_[control], FALSE);
      break;
    case ControlKind::Button:
    case ControlKind::TextBox:
      SetWindowTextW(children_[control], Widen(window_->control(control).Caption()).c_str());
      break;
    case ControlKind::Timer:
      UpdateTimer(control);
      break;
  }
}

void NativeWindow::Show() {
  ShowWindow(hwnd_, SW_SHOWDEFAULT);
  UpdateWindow(hwnd_);
}

void NativeWindow::ShowModal() {
  modal_ = true;
  // The program's other windows take no input while this one is open.
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND other, LPARAM self) -> BOOL {
        auto* me = reinterpret_cast<NativeWindow*>(self);
        if (other != me->hwnd_ && IsWindowVisible(other) && IsWindowEnabled(other)) {
          EnableWindow(other, FALSE);
          me->disabled_.push_back(other);
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(this));
  const HWND owner = GetWindow(hwnd_, GW_OWNER);
  ShowWindow(hwnd_, SW_SHOWNORMAL);
  UpdateWindow(hwnd_);
  toolkit_->RunUntil([this] { return destroyed_; });
  if (!destroyed_) Close();  // the program is quitting
  if (owner && IsWindow(owner) && GetActiveWindow() != owner) SetActiveWindow(owner);
}

void NativeWindow::Close() {
  // Give the other windows their input back first, so that the owner is the one activated.
  for (HWND w : disabled_)
    if (IsWindow(w)) EnableWindow(w, TRUE);
  disabled_.clear();
  DestroyWindow(hwnd_);
}

void NativeWindow::LoadDpiImages() {
  // Each old image goes once the new one has replaced it where it was in use.
  HICON oldIcon = std::exchange(smallIcon_, LoadSmallIcon(Instance(), HUECLIP_IDI_APP, dpi_));
  SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));
  if (oldIcon) DestroyIcon(oldIcon);
  HCURSOR oldHand = std::exchange(
      hand_, static_cast<HCURSOR>(LoadImageW(Instance(), MAKEINTRESOURCEW(HUECLIP_IDC_HAND_POINTER),
                                             IMAGE_CURSOR, SystemMetric(SM_CXCURSOR, dpi_),
                                             SystemMetric(SM_CYCURSOR, dpi_), 0)));
  if (oldHand && GetCursor() == oldHand) SetCursor(hand_);
  if (oldHand) DestroyCursor(oldHand);
}

void NativeWindow::CreateChildren() {
  const auto& controls = window_->desc().controls;
  // Children are made in tab order, which is the order the focus moves in.
  std::vector<std::size_t> order(controls.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return controls[a].tabIndex < controls[b].tabIndex;
  });
  for (std::size_t i : order) {
    const ControlDesc& d = controls[i];
    const std::wstring text = Widen(window_->control(i).Caption());
    const auto id = reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstChildId + i));
    if (d.kind == ControlKind::Button) {
      children_[i] = CreateWindowExW(0, L"BUTTON", text.c_str(),
                                     WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 0, 0, 0,
                                     hwnd_, id, Instance(), nullptr);
    } else if (d.kind == ControlKind::TextBox) {
      // No ES_AUTOHSCROLL: long lines wrap; no scroll bars.
      children_[i] = CreateWindowExW(
          d.bordered ? WS_EX_CLIENTEDGE : 0, L"EDIT", text.c_str(),
          WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_MULTILINE | ES_READONLY | ES_NOHIDESEL, 0, 0, 0,
          0, hwnd_, id, Instance(), nullptr);
      if (children_[i]) {
        const auto old = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
            children_[i], GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SelectAllEditProc)));
        if (old != &SelectAllEditProc) editProc = old;
      }
    }
    if (!focus_ && children_[i]) focus_ = children_[i];
  }
}

void NativeWindow::Layout() {
  const auto& controls = window_->desc().controls;
  for (std::size_t i = 0; i < controls.size(); ++i) {
    rects_[i] = ToRect(TwipsToPixels(controls[i].rect, dpi_));
    if (HWND child = children_[i]) {
      const RECT& r = rects_[i];
      MoveWindow(child, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
      SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(FontOf(i)), TRUE);
      if (controls[i].kind == ControlKind::TextBox) {
        // Narrow inner margins (a font change resets them), so that a line as wide as the box
        // is not wrapped.
        const WORD margin = static_cast<WORD>(TwipsToPixels(15, dpi_));
        SendMessageW(child, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN,
                     MAKELPARAM(margin, margin));
      }
    }
  }
}

NativeWindow::Fonts NativeWindow::MakeFonts() const {
  Fonts fonts;
  // The default interface font: "MS Shell Dlg" (the system's dialog face) at 8.25 pt.
  fonts.ui = CreateFontW(FontHeight(8.25, dpi_), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                         DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                         DEFAULT_PITCH | FF_SWISS, L"MS Shell Dlg");
  const auto& controls = window_->desc().controls;
  fonts.own.assign(controls.size(), nullptr);
  for (std::size_t i = 0; i < controls.size(); ++i) {
    const FontDesc* f = controls[i].font;
    if (!f) continue;
    // A face of its own is a fixed-pitch one; the font mapper picks a fixed-pitch stand-in
    // where the face is missing.
    fonts.own[i] = CreateFontW(FontHeight(f->points, dpi_), 0, 0, 0, f->weight, FALSE, FALSE, FALSE,
                               ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                               DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, Widen(f->face).c_str());
  }
  return fonts;
}

void NativeWindow::FreeFonts(Fonts& fonts) {
  for (HFONT& f : fonts.own) {
    if (f) DeleteObject(f);
    f = nullptr;
  }
  if (fonts.ui) DeleteObject(fonts.ui);
  fonts.ui = nullptr;
}

HFONT NativeWindow::FontOf(std::size_t control) const {
  return fonts_.own[control] ? fonts_.own[control] : fonts_.ui;
}

void NativeWindow::UpdateTimer(std::size_t control) {
  const int interval = window_->control(control).Interval();
  const UINT_PTR id = control + 1;  // timer ids are never 0
  if (interval > 0)
    SetTimer(hwnd_, id, static_cast<UINT>(interval), nullptr);
  else
    KillTimer(hwnd_, id);
}

int NativeWindow::PaintedControlAt(POINT p) const {
  const auto& controls = window_->desc().controls;
  for (std::size_t i = 0; i < controls.size(); ++i)
    if (IsPainted(controls[i].kind) && PtInRect(&rects_[i], p)) return static_cast<int>(i);
  return kOutsideAny;
}

void NativeWindow::Paint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd_, &ps);
  const RECT area = ps.rcPaint;
  const int w = area.right - area.left, h = area.bottom - area.top;
  if (w > 0 && h > 0) {
    // Painted off screen first, so that the ten refreshes a second do not flicker.
    HDC mem = CreateCompatibleDC(dc);
    HBITMAP bitmap = mem ? CreateCompatibleBitmap(dc, w, h) : nullptr;
    HDC target = bitmap ? mem : dc;
    HGDIOBJ oldBitmap = bitmap ? SelectObject(mem, bitmap) : nullptr;
    if (bitmap) SetViewportOrgEx(mem, -area.left, -area.top, nullptr);

    Fill(target, area, Resolve(window_->desc().back));
    const auto& controls = window_->desc().controls;
    for (std::size_t i = 0; i < controls.size(); ++i) {
      RECT overlap;
      if (IsPainted(controls[i].kind) && IntersectRect(&overlap, &rects_[i], &area))
        PaintControl(target, i);
    }

    if (bitmap) {
      BitBlt(dc, area.left, area.top, w, h, mem, area.left, area.top, SRCCOPY);
      SelectObject(mem, oldBitmap);
      DeleteObject(bitmap);
    }
    if (mem) DeleteDC(mem);
  }
  EndPaint(hwnd_, &ps);
}

void NativeWindow::PaintControl(HDC dc, std::size_t i) {
  const ControlDesc& d = window_->desc().controls[i];
  const Control& c = window_->control(i);
  RECT r = rects_[i];
  if (d.kind == ControlKind::Cell) {
    // A 1 px border in the border colour around an opaque interior in the fill colour.
    Fill(dc, r, Resolve(c.BorderColor()));
    InflateRect(&r, -1, -1);
    Fill(dc, r, Resolve(c.FillColor()));
    return;
  }
  if (d.bordered) {
    // A flat single line, not a sunken edge.
    Fill(dc, r, GetSysColor(COLOR_WINDOWFRAME));
    InflateRect(&r, -1, -1);
  }
  Fill(dc, r, Resolve(d.back));
  UINT format = DT_NOPREFIX | DT_WORDBREAK;
  format |= d.align == Align::Right ? DT_RIGHT : d.align == Align::Centre ? DT_CENTER : DT_LEFT;
  const std::wstring text = Widen(c.Caption());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, Resolve(d.fore));
  HGDIOBJ oldFont = SelectObject(dc, FontOf(i));
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, format);
  SelectObject(dc, oldFont);
}

LRESULT CALLBACK NativeWindow::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    auto* self =
        static_cast<NativeWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<NativeWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcW(hwnd, msg, wParam, lParam);
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
    return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
  Toolkit* toolkit = self->toolkit_;
  try {
    return self->OnMessage(msg, wParam, lParam);
  } catch (...) {
    // An exception must not unwind into the system code that called this procedure: on 64-bit
    // Windows it is swallowed there or ends the process. The message loop ends instead and
    // hands it on, to be reported like any other error.
    toolkit->Fail(std::current_exception());
    return 0;
  }
}

LRESULT NativeWindow::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_PAINT:
      Paint();
      return 0;
    case WM_ERASEBKGND:
      return 1;  // WM_PAINT paints every pixel
    case WM_TIMER:
      window_->TimerFired(static_cast<std::size_t>(wParam) - 1);
      return 0;
    case WM_COMMAND: {
      const auto id = static_cast<std::size_t>(LOWORD(wParam)) - kFirstChildId;
      if (HIWORD(wParam) == BN_CLICKED && id < children_.size() &&
          window_->desc().controls[id].kind == ControlKind::Button)
        window_->Clicked(id);
      return 0;
    }
    case WM_LBUTTONDOWN: {
      const POINT p = ClientPoint(lParam);
      pressed_ = PaintedControlAt(p);
      if (pressed_ != kOutsideAny) SetCapture(hwnd_);
      return 0;
    }
    case WM_LBUTTONUP: {
      // A click is a press and a release on the same control.
      const int started = pressed_;
      pressed_ = kOutsideAny;
      if (GetCapture() == hwnd_) ReleaseCapture();
      const POINT p = ClientPoint(lParam);
      if (started != kOutsideAny && PaintedControlAt(p) == started)
        window_->Clicked(static_cast<std::size_t>(started));
      return 0;
    }
    case WM_CAPTURECHANGED:
      pressed_ = kOutsideAny;
      return 0;
    case WM_SETCURSOR:
      if (reinterpret_cast<HWND>(wParam) == hwnd_ && LOWORD(lParam) == HTCLIENT) {
        POINT p;
        GetCursorPos(&p);
        ScreenToClient(hwnd_, &p);
        const int at = PaintedControlAt(p);
        if (at != kOutsideAny && hand_ &&
            window_->desc().controls[static_cast<std::size_t>(at)].pointer == Pointer::Hand) {
          SetCursor(hand_);
          return TRUE;
        }
      }
      break;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT: {
      // A read-only EDIT asks with WM_CTLCOLORSTATIC; it keeps its own colours.
      const auto child = reinterpret_cast<HWND>(lParam);
      const auto it = std::find(children_.begin(), children_.end(), child);
      if (it == children_.end()) break;
      const ControlDesc& d =
          window_->desc().controls[static_cast<std::size_t>(it - children_.begin())];
      const auto dc = reinterpret_cast<HDC>(wParam);
      SetTextColor(dc, Resolve(d.fore));
      SetBkColor(dc, Resolve(d.back));
      SetDCBrushColor(dc, Resolve(d.back));
      return reinterpret_cast<LRESULT>(GetStockObject(DC_BRUSH));
    }
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focused = GetFocus();
        if (focused && IsChild(hwnd_, focused)) focus_ = focused;
      } else if (focus_ && IsWindow(focus_)) {
        SetFocus(focus_);
        return 0;
      }
      break;
    case WM_DPICHANGED: {
      dpi_ = HIWORD(wParam);
      LoadDpiImages();
      // The old fonts go only once the controls have the new ones: a control must not hold a
      // deleted font, not even while it is moved and repainted.
      Fonts old = std::exchange(fonts_, MakeFonts());
      Layout();
      FreeFonts(old);
      const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
      SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top,
                   suggested->right - suggested->left, suggested->bottom - suggested->top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      InvalidateRect(hwnd_, nullptr, TRUE);
      return 0;
    }
    case WM_GETMINMAXINFO: {
      // The system's minimum comes from the caption's metrics and may be wider than the designed
      // window (113 px of client area at 96 dpi), which would then open wider than designed.
      // Only the frame sets the minimum here, so the user may also make the window smaller,
      // cutting controls off.
      const RECT frame = OuterRect({0, 0, 0, 0}, style_, exStyle_, dpi_);
      auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
      limits->ptMinTrackSize = {frame.right - frame.left, frame.bottom - frame.top};
      return 0;
    }
    case WM_DISPLAYCHANGE:
    case WM_SETTINGCHANGE:
      toolkit_->Changed(hwnd_, SystemChange::kDisplays);
      break;
    case WM_SIZE:
      toolkit_->Changed(
          hwnd_, wParam == SIZE_MINIMIZED ? SystemChange::kMinimised : SystemChange::kRestored);
      break;
    case WM_MENUCHAR:
      // Alt+letter: key preview has handled the key, and there is no menu to find it in. Close
      // the menu quietly instead of beeping.
      return MAKELRESULT(0, MNC_CLOSE);
    case WM_CLOSE:
      Close();
      return 0;
    case WM_DESTROY:
      destroyed_ = true;
      if (quitOnClose_) PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(hwnd_, msg, wParam, lParam);
}

}  // namespace hueclip::win32
