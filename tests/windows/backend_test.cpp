// The Win32 services on their own: the screen context against GetPixel on the same screen DC,
// and the clipboard, free and held by another thread.
#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "check.h"
#include "platform/win32/clipboard.h"
#include "platform/win32/resource_ids.h"
#include "platform/win32/screen.h"
#include "platform/win32/toolkit.h"
#include "ui/about_window.h"
#include "win_util.h"

using wintest::Check;

namespace {

std::string Hex(std::int32_t v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%08X", static_cast<unsigned>(v));
  return buf;
}

// Reads the 5 x 5 block from (left, top) the way a sampling pass does and compares every read
// with GetPixel on the context's own DC; returns the reads.
std::array<std::int32_t, 25> CompareBlock(hueclip::win32::Screen& screen, int left, int top,
                                          const std::string& name) {
  std::array<std::int32_t, 25> got{};
  auto context = screen.GetWindowDC();
  auto* win = static_cast<hueclip::win32::ScreenContext*>(context.get());
  std::string mismatches;
  for (int i = 0; i < 25; ++i) {
    const int x = left + i % 5, y = top + i / 5;
    got[static_cast<std::size_t>(i)] = context->GetPixel(x, y);
    const auto expected = static_cast<std::int32_t>(::GetPixel(win->dc(), x, y));
    if (got[static_cast<std::size_t>(i)] != expected && mismatches.size() < 200)
      mismatches += "(" + std::to_string(x) + "," + std::to_string(y) + ") " +
                    Hex(got[static_cast<std::size_t>(i)]) + " vs " + Hex(expected) + "; ";
  }
  Check(mismatches.empty(), "screen block at " + name + " answers as GetPixel", mismatches);
  return got;
}

void ScreenChecks() {
  hueclip::win32::Screen screen;
  HWND pattern = wintest::ShowPattern(200, 150, 20);
  Check(pattern != nullptr, "pattern window shown");

  const auto inside = CompareBlock(screen, 205, 155, "the pattern");
  bool matches = true;
  for (int i = 0; i < 25; ++i)
    matches = matches && static_cast<COLORREF>(inside[static_cast<std::size_t>(i)]) ==
                             wintest::PatternColour(5 + i % 5, 5 + i / 5);
  Check(matches, "screen block reads the pattern as 0x00BBGGRR, row by row");

  const int w = GetSystemMetrics(SM_CXVIRTUALSCREEN), h = GetSystemMetrics(SM_CYVIRTUALSCREEN);
  const int vx = GetSystemMetrics(SM_XVIRTUALSCREEN), vy = GetSystemMetrics(SM_YVIRTUALSCREEN);
  const auto topLeft = CompareBlock(screen, vx - 2, vy - 2, "the top-left corner");
  Check(topLeft[0] < 0 && topLeft[6] < 0 && topLeft[12] >= 0 && topLeft[24] >= 0,
        "off-screen points at the top-left read negative, on-screen ones do not");
  const auto bottomRight = CompareBlock(screen, vx + w - 3, vy + h - 3, "the bottom-right corner");
  Check(bottomRight[0] >= 0 && bottomRight[12] >= 0 && bottomRight[13] < 0 && bottomRight[24] < 0,
        "off-screen points at the bottom-right read negative, on-screen ones do not");
  const auto distant = CompareBlock(screen, -100000, -100000, "a point far off screen");
  bool allNegative = true;
  for (auto v : distant) allNegative = allNegative && v < 0;
  Check(allNegative, "a block far off screen reads negative throughout");

  // A pass takes the screen DC and gives it back, and the block buffer is made once.
  const DWORD before = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  for (int pass = 0; pass < 300; ++pass) {
    auto context = screen.GetWindowDC();
    for (int i = 0; i < 25; ++i) context->GetPixel(205 + i % 5, 155 + i / 5);
  }
  const DWORD after = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  if (before == 0 && after == 0)
    std::printf("SKIP GDI object count: GetGuiResources reports nothing here\n");
  else
    Check(after <= before, "300 sampling passes leave the GDI object count as it was",
          std::to_string(before) + " -> " + std::to_string(after));
  DestroyWindow(pattern);
}

struct Holder {
  HANDLE holding = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  bool held = false;
};

DWORD WINAPI HoldClipboard(void* param) {
  auto* h = static_cast<Holder*>(param);
  h->held = wintest::PutClipboard("what the other program holds", true);
  SetEvent(h->holding);
  WaitForSingleObject(h->release, 10000);
  if (h->held) CloseClipboard();
  return 0;
}

void ClipboardChecks() {
  hueclip::win32::Clipboard clipboard;
  const std::string text = "Pos: 12, -3\r\nHex: #0A0B0C\r\nRGB: 10 11 12\r\nLong: 789258";
  Check(clipboard.SetText(text), "clipboard: text set while free");
  std::string unicode, ansi;
  Check(wintest::ReadClipboard(unicode) && unicode == text, "clipboard: CF_UNICODETEXT as set",
        unicode);
  Check(wintest::ReadClipboard(ansi, true) && ansi == text, "clipboard: CF_TEXT as set", ansi);

  Holder holder;
  HANDLE thread = CreateThread(nullptr, 0, &HoldClipboard, &holder, 0, nullptr);
  // Emptying the clipboard tells its owner, a window of this thread: keep its messages going.
  wintest::WaitFor([&] { return WaitForSingleObject(holder.holding, 0) == WAIT_OBJECT_0; }, 5000);
  if (Check(holder.held, "clipboard: another thread holds it")) {
    const ULONGLONG start = GetTickCount64();
    const bool set = clipboard.SetText("must not land");
    const ULONGLONG took = GetTickCount64() - start;
    Check(!set, "clipboard: SetText reports a held clipboard");
    Check(took >= 150 && took < 2000, "clipboard: a held clipboard is tried for about 1/4 s",
          std::to_string(took) + " ms");
  }
  SetEvent(holder.release);
  wintest::WaitFor([&] { return WaitForSingleObject(thread, 0) == WAIT_OBJECT_0; }, 5000);
  CloseHandle(thread);
  std::string after;
  Check(wintest::ReadClipboard(after) && after == "what the other program holds",
        "clipboard: a held clipboard keeps what it had", after);
  Check(clipboard.SetText("again"), "clipboard: set again once released");
}

// The windows carry the program's icon, big and small (this program has the same resources).
void IconChecks() {
  hueclip::win32::Toolkit toolkit;
  hueclip::AboutWindow about(toolkit);
  about.form().Load();
  const auto hwnd = reinterpret_cast<HWND>(about.form().hWnd());
  const auto big = reinterpret_cast<HICON>(SendMessageW(hwnd, WM_GETICON, ICON_BIG, 0));
  const auto small_ = reinterpret_cast<HICON>(SendMessageW(hwnd, WM_GETICON, ICON_SMALL, 0));
  const HICON resource = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(HUECLIP_IDI_APP));
  Check(resource && big == resource, "a window's big icon is the program icon");
  Check(small_ != nullptr, "a window has a small icon");
  ICONINFO info{};
  BITMAP bm{};
  if (big && GetIconInfo(big, &info)) {
    GetObjectW(info.hbmColor, sizeof bm, &bm);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
  }
  Check(bm.bmWidth == 32 && bm.bmHeight == 32, "the big icon is 32 x 32");

  // The link's pointer comes from the resources; its hot spot is the fingertip.
  const HCURSOR hand =
      LoadCursorW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(HUECLIP_IDC_HAND_POINTER));
  ICONINFO cursor{};
  const bool read = hand && GetIconInfo(hand, &cursor);
  Check(read && !cursor.fIcon && cursor.xHotspot == 4 && cursor.yHotspot == 0,
        "the hand pointer loads with its hot spot at (4, 0)");
  if (read) {
    if (cursor.hbmColor) DeleteObject(cursor.hbmColor);
    if (cursor.hbmMask) DeleteObject(cursor.hbmMask);
  }
}

}  // namespace

int wmain() {
  IconChecks();
  ScreenChecks();
  ClipboardChecks();
  return wintest::Finish();
}
