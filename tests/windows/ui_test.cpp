// Drives a running hueclip.exe through window messages and checks what it does: its windows,
// key preview, sampling, copying (with the clipboard free and held by another program), the
// modal About window and closing. Usage: ui_test <path to hueclip.exe>
#include <cstring>
#include <string>
#include <vector>

#include "check.h"
#include "ui/about_window.h"
#include "win_util.h"

using wintest::Check;
using wintest::Narrow;
using wintest::WaitFor;

namespace {

DWORD pid = 0;

std::wstring ClassOf(HWND hwnd) {
  wchar_t name[64] = {};
  GetClassNameW(hwnd, name, 64);
  return name;
}

// The text of a window of another process, asked for with WM_GETTEXT (GetWindowText gives
// only the caption of a control in another process).
std::string TextOf(HWND hwnd) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length))
    return {};
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(hwnd, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(text.data()),
                      SMTO_ABORTIFHUNG, 2000, &copied);
  text.resize(static_cast<std::size_t>(copied));
  return Narrow(text);
}

// A visible top-level window of hueclip.exe with this title and, if given, class.
HWND FindTopLevel(const std::string& title, const wchar_t* cls = nullptr) {
  struct Search {
    std::string title;
    const wchar_t* cls;
    HWND found;
  } s{title, cls, nullptr};
  EnumWindows(
      [](HWND hwnd, LPARAM p) -> BOOL {
        auto* s = reinterpret_cast<Search*>(p);
        DWORD owner = 0;
        GetWindowThreadProcessId(hwnd, &owner);
        if (owner != pid || !IsWindowVisible(hwnd) || TextOf(hwnd) != s->title) return TRUE;
        if (s->cls && ClassOf(hwnd) != s->cls) return TRUE;
        s->found = hwnd;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&s));
  return s.found;
}

HWND WaitForTopLevel(const std::string& title, const wchar_t* cls = nullptr, DWORD timeout = 5000) {
  HWND found = nullptr;
  WaitFor([&] { return (found = FindTopLevel(title, cls)) != nullptr; }, timeout);
  return found;
}

HWND ChildOfClass(HWND parent, const wchar_t* cls) {
  HWND child = nullptr;
  while ((child = FindWindowExW(parent, child, nullptr, nullptr)))
    if (_wcsicmp(ClassOf(child).c_str(), cls) == 0) return child;
  return nullptr;
}

SIZE ClientSize(HWND hwnd) {
  RECT r{};
  GetClientRect(hwnd, &r);
  return {r.right, r.bottom};
}

void Key(HWND target, WPARAM vk) {
  PostMessageW(target, WM_KEYDOWN, vk, 1);
  PostMessageW(target, WM_KEYUP, vk, 0xC0000001);
}

void Click(HWND hwnd, int x, int y) {
  PostMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
  PostMessageW(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

bool TitleBecomes(HWND hwnd, const std::string& title) {
  return WaitFor([&] { return TextOf(hwnd) == title; }, 3000);
}

std::string ClipboardText() {
  std::string text;
  wintest::ReadClipboard(text);
  return text;
}

bool ClipboardBecomes(const std::string& text) {
  return WaitFor([&] { return ClipboardText() == text; }, 3000);
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0, end;
  while ((end = text.find("\r\n", start)) != std::string::npos) {
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  lines.push_back(text.substr(start));
  return lines;
}

// Client points inside the main window's controls at 96 dpi.
constexpr POINT kLblHex{60, 130};
constexpr POINT kLabel4{20, 130};  // the "Hex:" caption
constexpr POINT kLblLong{60, 172};

void MainWindowChecks(HWND main) {
  const LONG style = GetWindowLongW(main, GWL_STYLE);
  Check((style & WS_THICKFRAME) && (style & WS_SYSMENU) && (style & WS_CAPTION) == WS_CAPTION,
        "main window: sizable, with a title bar and window menu");
  Check(!(style & WS_MINIMIZEBOX) && !(style & WS_MAXIMIZEBOX),
        "main window: no minimize or maximize box");
  Check(GetWindow(main, GW_OWNER) == nullptr &&
            !(GetWindowLongW(main, GWL_EXSTYLE) & WS_EX_TOOLWINDOW),
        "main window: has a task-bar button (unowned, not a tool window)");
  const SIZE client = ClientSize(main);
  Check(client.cx == 113 && client.cy == 225, "main window: client area 113 x 225",
        std::to_string(client.cx) + " x " + std::to_string(client.cy));
  HWND button = ChildOfClass(main, L"Button");
  if (Check(button != nullptr, "main window: Help/About is a push button")) {
    Check(TextOf(button) == "Help/About", "button caption", TextOf(button));
    RECT r{};
    GetWindowRect(button, &r);
    MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&r), 2);
    Check(r.left == 0 && r.top == 204 && r.right - r.left == 115 && r.bottom - r.top == 19,
          "button at (0, 204), 115 x 19, cut at the right edge",
          std::to_string(r.left) + "," + std::to_string(r.top) + " " +
              std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top));
  }
}

void KeyPreviewChecks(HWND main) {
  HWND button = ChildOfClass(main, L"Button");
  Key(main, 'F');
  Check(TitleBecomes(main, "-Frozen-"), "F on the window freezes");
  Key(button, 'F');
  Check(TitleBecomes(main, "Hueclip"), "F on the focused button resumes (key preview)");
  PostMessageW(main, WM_SYSKEYDOWN, 'F', 1 | (1 << 29));
  Check(TitleBecomes(main, "-Frozen-"), "Alt+F freezes too");
  Key(main, 'F');
  Check(TitleBecomes(main, "Hueclip"), "F again resumes");
}

// Puts a pattern under the cursor, lets the picker sample it, freezes, and checks what C and a
// click on the Hex value copy.
void SamplingAndCopyChecks(HWND main) {
  HWND pattern = wintest::ShowPattern(300, 300, 20);
  SetCursorPos(310, 310);
  wintest::Pump(600);
  Key(main, 'F');
  TitleBecomes(main, "-Frozen-");
  wintest::PutClipboard("before C");
  Key(main, 'C');
  WaitFor([] { return ClipboardText().rfind("Pos: ", 0) == 0; }, 3000);
  const std::string all = ClipboardText();
  const std::vector<std::string> lines = Lines(all);
  const COLORREF c = wintest::PatternColour(10, 10);
  char hex[8];
  std::snprintf(hex, sizeof hex, "#%02X%02X%02X", GetRValue(c), GetGValue(c), GetBValue(c));
  const std::vector<std::string> expected = {"Pos: 310, 310", std::string("Hex: ") + hex,
                                             "RGB: " + std::to_string(GetRValue(c)) + " " +
                                                 std::to_string(GetGValue(c)) + " " +
                                                 std::to_string(GetBValue(c)),
                                             "Long: " + std::to_string(c)};
  Check(lines == expected, "C copies the four readouts of the pixel under the cursor", all);
  std::string ansi;
  Check(wintest::ReadClipboard(ansi, true) && ansi == all, "C puts CF_TEXT beside Unicode", ansi);

  Click(main, kLblHex.x, kLblHex.y);
  Check(ClipboardBecomes(hex), "a click on the Hex value copies it", ClipboardText());
  Click(main, kLblLong.x, kLblLong.y);
  Check(ClipboardBecomes(std::to_string(c)), "a click on the Long value copies it",
        ClipboardText());
  wintest::PutClipboard("untouched");
  Click(main, kLabel4.x, kLabel4.y);
  wintest::Pump(500);
  Check(ClipboardText() == "untouched", "a click on a caption label copies nothing",
        ClipboardText());

  // Moving the selection while frozen: D selects the cell right of the centre.
  Key(main, 'D');
  wintest::Pump(300);
  Click(main, kLblHex.x, kLblHex.y);
  const COLORREF right = wintest::PatternColour(11, 10);
  std::snprintf(hex, sizeof hex, "#%02X%02X%02X", GetRValue(right), GetGValue(right),
                GetBValue(right));
  Check(ClipboardBecomes(hex), "D then a click copies the colour of the next pixel right",
        ClipboardText());
  Key(main, 'A');
  Key(main, 'F');
  TitleBecomes(main, "Hueclip");
  DestroyWindow(pattern);
}

// The dismissable warning box of hueclip.exe, or null.
HWND WarningBox() { return WaitForTopLevel("Hueclip", L"#32770", 4000); }

void BusyClipboardChecks(HWND main) {
  const std::string held = "held by another program";
  if (!Check(wintest::PutClipboard(held, true), "the test holds the clipboard")) return;

  Key(main, 'C');
  HWND box = WarningBox();
  Check(box != nullptr, "C on a held clipboard shows a message box titled Hueclip");
  if (box) {
    Check(GetWindow(box, GW_OWNER) == main, "the message box belongs to the main window");
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    WaitFor([&] { return !IsWindow(box); }, 3000);
  }
  Click(main, kLblHex.x, kLblHex.y);
  box = WarningBox();
  Check(box != nullptr, "a value click on a held clipboard shows a message box");
  if (box) {
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    WaitFor([&] { return !IsWindow(box); }, 3000);
  }
  Check(IsWindow(main) != FALSE, "Hueclip is still running after both");

  // Still open here: read what it holds without closing it.
  std::string now;
  if (HANDLE h = GetClipboardData(CF_UNICODETEXT)) {
    if (const void* p = GlobalLock(h)) {
      now = Narrow(static_cast<const wchar_t*>(p));
      GlobalUnlock(h);
    }
  }
  CloseClipboard();
  Check(now == held, "the held clipboard still has its text", now);
}

void AboutChecks(HWND main) {
  HWND button = ChildOfClass(main, L"Button");
  for (int round = 1; round <= 2; ++round) {
    const std::string r = " (opening " + std::to_string(round) + ")";
    PostMessageW(button, BM_CLICK, 0, 0);
    HWND about = WaitForTopLevel("About Hueclip");
    if (!Check(about != nullptr, "Help/About opens About Hueclip" + r)) return;
    Check(GetWindow(about, GW_OWNER) == main, "About is owned by the main window" + r);
    Check(!IsWindowEnabled(main), "the main window takes no input while About is open" + r);
    const LONG style = GetWindowLongW(about, GWL_STYLE);
    Check(!(style & WS_THICKFRAME) && !(style & WS_MINIMIZEBOX) && !(style & WS_MAXIMIZEBOX) &&
              (style & WS_SYSMENU) && (GetWindowLongW(about, GWL_EXSTYLE) & WS_EX_DLGMODALFRAME),
          "About has a fixed dialog frame with only the close button" + r);
    const SIZE client = ClientSize(about);
    Check(client.cx == 312 && client.cy == 281, "About client area 312 x 281" + r,
          std::to_string(client.cx) + " x " + std::to_string(client.cy));

    HWND edit = ChildOfClass(about, L"Edit");
    if (!Check(edit != nullptr, "About holds an edit box" + r)) return;
    const LONG es = GetWindowLongW(edit, GWL_STYLE);
    Check((es & ES_MULTILINE) && (es & ES_READONLY) && !(es & WS_VSCROLL) && !(es & WS_HSCROLL),
          "the edit box is multi-line, read-only, without scroll bars" + r);
    Check(TextOf(edit) == hueclip::kHelpText, "the edit box shows the help text" + r);
    GUITHREADINFO gui{};
    gui.cbSize = sizeof gui;
    Check(GetGUIThreadInfo(GetWindowThreadProcessId(about, nullptr), &gui) && gui.hwndFocus == edit,
          "the edit box has the focus" + r);

    Key(edit, VK_ESCAPE);
    PostMessageW(edit, WM_CHAR, 27, 1);
    Key(edit, VK_RETURN);
    PostMessageW(edit, WM_CHAR, '\r', 1);
    PostMessageW(edit, WM_CHAR, 'x', 1);
    Key(edit, VK_DELETE);
    Key(edit, 'F');
    wintest::Pump(600);
    Check(IsWindow(about) != FALSE, "Escape and Enter leave About open" + r);
    Check(TextOf(edit) == hueclip::kHelpText, "typing changes nothing in the help text" + r);
    Check(TextOf(main) == "Hueclip", "keys in About do not reach the main window" + r);

    PostMessageW(about, WM_CLOSE, 0, 0);
    Check(WaitFor([&] { return !IsWindow(about); }, 3000), "About closes" + r);
    Check(WaitFor([&] { return IsWindowEnabled(main) != FALSE; }, 3000),
          "the main window takes input again" + r);
  }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::printf("usage: ui_test <hueclip.exe>\n");
    return 2;
  }
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::wstring command = L"\"" + std::wstring(argv[1]) + L"\"";
  if (!Check(CreateProcessW(argv[1], command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                            &si, &pi) != FALSE,
             "hueclip.exe starts"))
    return wintest::Finish();
  pid = pi.dwProcessId;
  WaitForInputIdle(pi.hProcess, 10000);
  HWND main = WaitForTopLevel("Hueclip", L"HueclipWindow", 10000);
  if (Check(main != nullptr, "the main window appears titled Hueclip")) {
    MainWindowChecks(main);
    KeyPreviewChecks(main);
    SamplingAndCopyChecks(main);
    BusyClipboardChecks(main);
    AboutChecks(main);
    PostMessageW(main, WM_CLOSE, 0, 0);
  }
  const bool ended = WaitForSingleObject(pi.hProcess, 10000) == WAIT_OBJECT_0;
  DWORD code = 1;
  GetExitCodeProcess(pi.hProcess, &code);
  Check(ended && code == 0, "closing the main window ends the program with code 0",
        std::to_string(code));
  if (!ended) TerminateProcess(pi.hProcess, 1);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return wintest::Finish();
}
