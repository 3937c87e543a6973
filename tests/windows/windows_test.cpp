// What only Win32 can check of the Windows build (what the window shows, its keys and copies
// are checked by the acceptance suite under Wine): the resources of hueclip.exe, the screen's
// and the clipboard's failure paths, the program's windows on the Win32 toolkit (size limits,
// Alt+letter, input methods, DPI changes, an exception in a handler), and a running hueclip.exe
// meeting a clipboard held by another program, and closed during a copy. What the main window and
// the system tell the screen is checked with the HDR reading (duplication_test.cpp). Reports as
// test_program.h says.
//
// Usage: hueclip_windows_test <path to hueclip.exe>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

#include "platform/win32/platform.h"
#include "platform/win32/resource_ids.h"
#include "tests/windows/test_program.h"
#include "ui/main_window.h"

#include <imm.h>

namespace {

using namespace hueclip::test_program;

std::string Narrow(const wchar_t* s) {
  std::string out;
  for (; *s; ++s) out += *s < 128 ? static_cast<char>(*s) : '?';
  return out;
}

// --- Resources ---------------------------------------------------------------------------------

std::string_view Load(HMODULE module, LPCWSTR type, int id) {
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), type);
  if (!found) return {};
  return {static_cast<const char*>(LockResource(LoadResource(module, found))),
          SizeofResource(module, found)};
}

void ResourceChecks(const wchar_t* exe) {
  // What the version resource and the icon say restates resources/hueclip.rc and the files
  // made from hueclip.xpm; that they are in the .exe, and the hand's hot spot, are checked.
  HMODULE module = LoadLibraryExW(exe, nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!Check(module != nullptr, "hueclip.exe loads as a resource module")) return;
  Check(!Load(module, RT_VERSION, VS_VERSION_INFO).empty(), "the version resource is there");
  Check(!Load(module, RT_GROUP_ICON, HUECLIP_IDI_APP).empty(), "the icon is there");
  ICONINFO hand{};
  const auto cursor = static_cast<HCURSOR>(
      LoadImageW(module, MAKEINTRESOURCEW(HUECLIP_IDC_HAND_POINTER), IMAGE_CURSOR, 0, 0, 0));
  Check(cursor && GetIconInfo(cursor, &hand) && hand.xHotspot == 4 && hand.yHotspot == 0,
        "the hand pointer's hot spot is (4, 0)",
        std::to_string(hand.xHotspot) + ", " + std::to_string(hand.yHotspot));
  const std::string_view text = Load(module, RT_MANIFEST, 1);
  const auto awareness = text.find("<dpiAwareness");
  Check(awareness != std::string_view::npos &&
            text.find("PerMonitorV2", awareness) < text.find("</dpiAwareness>", awareness),
        "the manifest declares PerMonitorV2 DPI awareness");
  FreeLibrary(module);
}

// --- The screen, while it cannot be read ----------------------------------------------------

// The system's screen calls, except those the test refuses; the cursor is where the test says.
class RefusingScreenApi final : public hueclip::win32::ScreenApi {
 public:
  bool refuseCursor = false, refuseCopy = false;
  POINT cursor{};

  bool GetCursorPos(POINT& p) override {
    p = cursor;
    return !refuseCursor;
  }
  bool Copy(HDC to, int x, int y, int width, int height, HDC from, int fromX, int fromY) override {
    return !refuseCopy && System().Copy(to, x, y, width, height, from, fromX, fromY);
  }
};

// While the screen cannot be read (another desktop has the input), a pass leaves the cells and
// readouts as they were; the next pass that can read it samples again.
void UnreadableScreenChecks() {
  HWND patch = ShowPatch();
  RefusingScreenApi api;
  hueclip::win32::Platform platform(api);
  hueclip::MainWindow main(platform.services());
  // What the window shows: the readouts, then the cells (the top-left cell is selected).
  const auto shown = [&] {
    std::string text;
    for (std::size_t id : {hueclip::main_ids::lblPos, hueclip::main_ids::lblHex,
                           hueclip::main_ids::lblRGB, hueclip::main_ids::lblLong})
      text += main.form().control(id).Caption() + "; ";
    for (int i = 0; i < 25; ++i) text += std::to_string(main.pix(i).FillColor()) + " ";
    return text;
  };
  const auto pass = [&] { main.form().TimerFired(hueclip::main_ids::Timer1); };
  const auto showsPatchAt = [&](int x, int y) {
    return main.form().control(hueclip::main_ids::lblPos).Caption() ==
               std::to_string(x) + ", " + std::to_string(y) &&
           main.pix(0).FillColor() == kPatch;
  };
  api.cursor = {210, 160};
  pass();
  const std::string before = shown();
  Check(showsPatchAt(210, 160), "a pass shows the patch under the cursor", before);
  api.cursor = {205, 155};
  for (bool* refused : {&api.refuseCursor, &api.refuseCopy}) {
    *refused = true;
    pass();
    *refused = false;
    Check(shown() == before,
          std::string("a pass whose ") + (refused == &api.refuseCursor ? "cursor query" : "copy") +
              " fails leaves the cells and readouts as they were",
          shown());
  }
  pass();
  Check(showsPatchAt(205, 155), "the next pass that can read the screen samples again", shown());
  DestroyWindow(patch);
}

// --- A running hueclip.exe ---------------------------------------------------------------------

DWORD pid = 0;

// A window of hueclip.exe of this class: top-level, visible, titled "Hueclip"; or under `parent`.
HWND FindHueclip(const wchar_t* cls, DWORD timeoutMs, HWND parent = nullptr) {
  HWND found = nullptr;
  WaitFor(
      [&] {
        while ((found = FindWindowExW(parent, found, cls, parent ? L"" : L"Hueclip"))) {
          DWORD owner = 0;
          GetWindowThreadProcessId(found, &owner);
          if (owner == pid && (parent || IsWindowVisible(found))) return true;
        }
        return false;
      },
      timeoutMs);
  return found;
}

// Opens the clipboard, puts `text` on it as CF_UNICODETEXT, and keeps it open.
bool HoldClipboard(const wchar_t* text) {
  // EmptyClipboard makes the opening window the owner; without one, setting data fails.
  HWND owner = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
  if (!OpenClipboard(owner)) return false;
  EmptyClipboard();
  const std::size_t bytes = (std::wcslen(text) + 1) * sizeof(wchar_t);
  HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, bytes);
  std::memcpy(GlobalLock(mem), text, bytes);
  GlobalUnlock(mem);
  return SetClipboardData(CF_UNICODETEXT, mem) != nullptr;
}

std::string ClipboardText() {
  std::string text;
  if (!WaitFor([] { return OpenClipboard(nullptr) != FALSE; }, 2000)) return "(cannot open)";
  if (HANDLE h = GetClipboardData(CF_UNICODETEXT)) {
    text = Narrow(static_cast<const wchar_t*>(GlobalLock(h)));
    GlobalUnlock(h);
  }
  CloseClipboard();
  return text;
}

// --- The clipboard's failure paths, through a fake that refuses calls ------------------------

// The system's clipboard calls, except those the test refuses.
class RefusingClipboardApi final : public hueclip::win32::ClipboardApi {
 public:
  bool refuseOpen = false, refuseSet = false;
  int opens = 0;

  bool Open(HWND owner) override {
    ++opens;
    return !refuseOpen && System().Open(owner);
  }
  bool Empty() override { return System().Empty(); }
  bool Set(UINT format, HANDLE data) override { return !refuseSet && System().Set(format, data); }
  void Close() override { System().Close(); }
};

// What a copy does is checked end to end by the acceptance suite under Wine; its failures are
// checked here.
void ClipboardChecks() {
  RefusingClipboardApi api;
  hueclip::win32::Clipboard clipboard(api);
  // Taken and emptied, then both formats refused: reported as emptied, and it is empty.
  if (HoldClipboard(L"held before")) CloseClipboard();
  api.refuseSet = true;
  Check(!clipboard.SetText("Pos: 1, 2") && clipboard.EmptiedOnFailure() && ClipboardText().empty(),
        "refused text after EmptyClipboard is reported as an emptied, empty clipboard",
        ClipboardText());

  // Never taken: reported as unchanged, and it is (after an emptied one). Between the tries the
  // program's messages are handled; a copy that one of them asks for is refused, not done before
  // the waiting one, which could then overwrite it.
  if (HoldClipboard(L"held before")) CloseClipboard();
  api.refuseSet = false;
  api.refuseOpen = true;
  int nested = -1;
  RunSteps(10, [&](int) {
    api.refuseOpen = false;
    nested = clipboard.SetText("Hex: #000000");
    api.refuseOpen = true;
    return false;
  });
  const bool busyCopied = clipboard.SetText("Pos: 1, 2");
  KillTimer(nullptr, stepTimer);
  Check(!busyCopied && !clipboard.EmptiedOnFailure() && ClipboardText() == "held before",
        "a clipboard that cannot be opened is reported, and kept, as it was", ClipboardText());
  Check(nested == 0, "a copy asked for while the clipboard is waited for is refused",
        std::to_string(nested));
}

// --- The program's windows on the Win32 toolkit, in this process -----------------------------

// Whether the button ever held a deleted font while the window's DPI changed.
WNDPROC buttonProc = nullptr;
bool buttonHeldDeletedFont = false;

LRESULT CALLBACK FontWatchProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  const auto font = reinterpret_cast<HGDIOBJ>(CallWindowProcW(buttonProc, hwnd, WM_GETFONT, 0, 0));
  if (font && GetObjectType(font) != OBJ_FONT) buttonHeldDeletedFont = true;
  return CallWindowProcW(buttonProc, hwnd, msg, wParam, lParam);
}

// WM_DPICHANGED as the system sends it when the window moves to a monitor at `dpi`.
void ChangeDpi(HWND hwnd, int dpi) {
  RECT r;
  GetWindowRect(hwnd, &r);
  SendMessageW(hwnd, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&r));
}

// Whether `hwnd` has an input method context (and so an input method would take its keys).
bool HasInputMethod(HWND hwnd) {
  HIMC context = ImmGetContext(hwnd);
  if (context) ImmReleaseContext(hwnd, context);
  return context != nullptr;
}

// The width of the window's small icon (its mask's).
int SmallIconWidth(HWND hwnd) {
  ICONINFO info{};
  BITMAP mask{};
  if (GetIconInfo(reinterpret_cast<HICON>(SendMessageW(hwnd, WM_GETICON, ICON_SMALL, 0)), &info))
    GetObjectW(info.hbmMask, sizeof mask, &mask);
  DeleteObject(info.hbmMask);
  DeleteObject(info.hbmColor);
  return mask.bmWidth;
}

void MainWindowChecks() {
  hueclip::win32::Platform platform;
  hueclip::MainWindow main(platform.services());
  HWND about = nullptr;
  RunSteps(200, [&](int step) {
    const auto hwnd = reinterpret_cast<HWND>(main.form().hWnd());
    HWND button = FindWindowExW(hwnd, nullptr, L"Button", nullptr);
    if (step == 0) {
      // A minimum as large as a wide caption's metrics could make it: the window lowers it to
      // no more than its designed size.
      RECT designed{0, 0, 113, 225};
      AdjustWindowRectEx(&designed, static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE)), FALSE,
                         static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_EXSTYLE)));
      MINMAXINFO limits{};
      limits.ptMinTrackSize = {10000, 10000};
      limits.ptMaxTrackSize = {20000, 20000};
      SendMessageW(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
      const POINT min = limits.ptMinTrackSize;
      Check(min.x > 0 && min.y > 0 && min.x <= designed.right - designed.left &&
                min.y <= designed.bottom - designed.top,
            "WM_GETMINMAXINFO allows the designed size and smaller",
            std::to_string(min.x) + " x " + std::to_string(min.y));

      const LRESULT menuChar = SendMessageW(hwnd, WM_MENUCHAR, MAKEWPARAM('F', MF_SYSMENU), 0);
      Check(HIWORD(menuChar) == MNC_CLOSE, "Alt+letter's WM_MENUCHAR is answered with MNC_CLOSE",
            std::to_string(HIWORD(menuChar)));

      Check(!HasInputMethod(hwnd) && button && !HasInputMethod(button),
            "the main window and its button have no input method");

      if (Check(button != nullptr, "the main window has its Help/About button")) {
        buttonProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&FontWatchProc)));
        ChangeDpi(hwnd, 144);
        const int iconAt144 = SmallIconWidth(hwnd);
        ChangeDpi(hwnd, 96);
        SetWindowLongPtrW(button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(buttonProc));
        const auto font = reinterpret_cast<HGDIOBJ>(SendMessageW(button, WM_GETFONT, 0, 0));
        Check(!buttonHeldDeletedFont && font && GetObjectType(font) == OBJ_FONT,
              "through DPI changes the button never holds a deleted font");
        const int iconAt96 = SmallIconWidth(hwnd);
        Check(iconAt96 > 0 && iconAt144 * 2 == iconAt96 * 3,
              "the small icon is made again for each DPI, 1.5 times as wide at 144 dpi",
              std::to_string(iconAt96) + " px at 96 dpi, " + std::to_string(iconAt144) + " at 144");
        // Opens the About window; the next steps run in its modal loop.
        PostMessageW(hwnd, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                     reinterpret_cast<LPARAM>(button));
      }
      return true;
    }
    if (step == 1) {
      about = main.frmAbout() ? reinterpret_cast<HWND>(main.frmAbout()->form().hWnd()) : nullptr;
      HWND text = about ? FindWindowExW(about, nullptr, L"Edit", nullptr) : nullptr;
      Check(text != nullptr && HasInputMethod(text),
            "the About window's text keeps its input method");
      if (about) PostMessageW(about, WM_CLOSE, 0, 0);
      return true;
    }
    PostMessageW(hwnd, WM_CLOSE, 0, 0);
    return false;
  });
  platform.toolkit().Run(main.form());  // its exit code is checked on hueclip.exe below
}

// The main window's layout with a click handler that throws.
struct ThrowingEvents final : hueclip::WindowEvents {
  void Click(std::size_t) override { throw std::runtime_error("thrown by a click handler"); }
};

// An exception thrown by a handler under the window procedure stays out of the system's code,
// ends the message loop, and comes out of Run to the program's error box. Thrown while a copy
// waits for the clipboard, it ends the copy too, which keeps the WM_QUIT for the loop.
void ExceptionChecks() {
  RefusingClipboardApi api;
  api.refuseOpen = true;
  hueclip::win32::Platform platform(hueclip::win32::ScreenApi::System(), api);
  ThrowingEvents events;
  hueclip::Window window(platform.toolkit(), hueclip::kFrmHueclip, events);
  bool escaped = false, copied = true;
  RunSteps(100, [&](int step) {
    const auto hwnd = reinterpret_cast<HWND>(window.hWnd());
    // Step 1 comes while step 0's copy waits.
    if (step == 0) copied = platform.services().clipboard.SetText("Pos: 1, 2");
    if (step == 1) {
      HWND button = FindWindowExW(hwnd, nullptr, L"Button", nullptr);
      try {
        SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                     reinterpret_cast<LPARAM>(button));
      } catch (...) {
        escaped = true;
      }
    }
    // Still running two seconds later: the loop did not end by itself.
    if (step < 20) return true;
    PostMessageW(hwnd, WM_CLOSE, 0, 0);
    return false;
  });
  std::string error = "(Run returned)";
  try {
    platform.toolkit().Run(window);
  } catch (const std::exception& e) {
    error = e.what();
  }
  KillTimer(nullptr, stepTimer);
  Check(!escaped, "the exception does not unwind through the system's SendMessage");
  Check(
      error == "thrown by a click handler" && stepCount < 20 && !copied &&
          api.opens < hueclip::win32::Clipboard::kTries,
      "the exception ends the copy that waits, and the message loop, and comes out of Run",
      error + ", " + std::to_string(stepCount) + " steps, " + std::to_string(api.opens) + " tries");
}

// Another program holds the clipboard while C is pressed and a value label is clicked.
void HeldClipboardChecks(HWND main, HANDLE process) {
  for (const char* action : {"C", "a click on the Hex value"}) {
    if (action[0] == 'C') {
      PostMessageW(main, WM_KEYDOWN, 'C', 1);
      PostMessageW(main, WM_KEYUP, 'C', 0xC0000001);
    } else {
      PostMessageW(main, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(60, 130));
      PostMessageW(main, WM_LBUTTONUP, 0, MAKELPARAM(60, 130));
    }
    // For the first 150 ms Hueclip waits between its tries (four pauses of 50 ms, then the
    // message box): its window keeps answering meanwhile.
    int answered = 0, late = 0;
    for (const ULONGLONG end = GetTickCount64() + 150; GetTickCount64() < end; Sleep(10)) {
      DWORD_PTR result = 0;
      ++(SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_NORMAL, 50, &result) ? answered : late);
    }
    Check(answered >= 5 && late == 0,
          std::string("while ") + action + " waits for the clipboard, the window answers",
          std::to_string(answered) + " answered, " + std::to_string(late) + " not in 50 ms");
    HWND box = FindHueclip(L"#32770", 4000);
    wchar_t text[256] = L"(no message box)";
    if (box) GetDlgItemTextW(box, 0xFFFF, text, 256);
    const std::string said = Narrow(text);
    Check(said == hueclip::kNothingCopied,
          std::string(action) + " on a held clipboard says that nothing was copied", said);
    if (box) PostMessageW(box, WM_COMMAND, IDOK, 0);
    WaitFor([&] { return !IsWindow(box); }, 3000);
    Check(WaitForSingleObject(process, 0) == WAIT_TIMEOUT && IsWindow(main),
          std::string("Hueclip keeps running after ") + action + " on a held clipboard");
  }
}

// hueclip.exe is started once for each way of closing it: WM_CLOSE posted while it is idle, and
// while a copy waits for a held clipboard posted (for the message loop) or sent (to the wait).
enum class Closing { PostedWhileIdle, PostedWhileCopying, SentWhileCopying };

void RunningChecks(wchar_t* exe) {
  for (const auto& [closing, how] :
       {std::pair{Closing::PostedWhileIdle, "posted while idle"},
        std::pair{Closing::PostedWhileCopying, "posted while a copy waits"},
        std::pair{Closing::SentWhileCopying, "sent while a copy waits"}}) {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!Check(CreateProcessW(exe, nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                              &pi) != FALSE,
               "hueclip.exe starts"))
      return;
    pid = pi.dwProcessId;
    WaitForInputIdle(pi.hProcess, 10000);
    HWND main = FindHueclip(L"HueclipWindow", 10000);
    HWND button = main ? FindWindowExW(main, nullptr, L"Button", nullptr) : nullptr;
    if (Check(button != nullptr, "the main window appears with its Help/About button") &&
        Check(HoldClipboard(L"held by another program"), "the test holds the clipboard open")) {
      if (closing == Closing::PostedWhileIdle) {
        HeldClipboardChecks(main, pi.hProcess);
        CloseClipboard();
      } else {
        // The copy has begun once its clipboard has made its window, and waits 200 ms for the
        // clipboard the test holds.
        PostMessageW(main, WM_KEYDOWN, 'C', 1);
        FindHueclip(L"Static", 2000, HWND_MESSAGE);
      }
      if (closing == Closing::SentWhileCopying)
        SendMessageTimeoutW(main, WM_CLOSE, 0, 0, SMTO_NORMAL, 2000, nullptr);
      else
        PostMessageW(main, WM_CLOSE, 0, 0);
    }
    // The test answers its messages meanwhile: under Wine, a program opening the clipboard waits
    // (up to 5 s) for an answer from the window holding it.
    const bool ended =
        WaitFor([&] { return WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0; }, 2000);
    CloseClipboard();
    if (!ended) TerminateProcess(pi.hProcess, 1);
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    Check(ended && code == 0,
          std::string("hueclip.exe ends within 2 s, with exit code 0, when WM_CLOSE is ") + how,
          std::to_string(code));
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
  }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::printf("usage: hueclip_windows_test <hueclip.exe>\n");
    return 2;
  }
  ResourceChecks(argv[1]);
  UnreadableScreenChecks();
  ClipboardChecks();
  MainWindowChecks();
  ExceptionChecks();
  RunningChecks(argv[1]);
  return Report();
}
