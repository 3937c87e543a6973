// Acceptance tests: a real Hueclip build on a private X server, driven with the pointer, the
// keyboard and the clipboard as a user would, and judged by what its window shows and what it
// puts on the clipboard. The build under test is the shell command in HUECLIP_COMMAND (for
// example "wine /path/hueclip.exe"), else the Linux program of this build tree.
#include <X11/keysym.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <sstream>

#include "pattern.h"
#include "picker_scenarios.h"
#include "picker_window.h"
#include "x_driver.h"

namespace acceptance {
namespace {

namespace fs = std::filesystem;

constexpr char kMakerUrl[] = "https://www.quorvanelabs.com/";

// Test pictures on the screen, showing the Wayland suite's pattern where they are; none of its
// colours is black. Two sit in the screen's corners so that the picker's edge cells can be
// checked.
constexpr Rect kPictures[] = {
    {0, 0, 40, 40}, {984, 728, 40, 40}, {150, 450, 40, 40}, {800, 100, 40, 40}};

// What the screen shows at (x, y): black beyond its edges (the picker reads those as black), the
// pattern on a test picture.
int ScreenAt(int x, int y) {
  if (x < 0 || y < 0 || x >= 1024 || y >= 768) return kBlack;
  for (const Rect& p : kPictures) {
    if (p.Contains(x, y)) return PatternAt(x, y);
  }
  ADD_FAILURE() << "no known colour at " << x << "," << y;
  return kBlack;
}

// Puts a test picture at r on X screen `screen` of x.
Window Show(XDriver& x, const Rect& r, int screen = 0) {
  return x.CreatePicture(
      r, [&](int px, int py) { return PatternAt(r.x + px, r.y + py); }, screen);
}

std::vector<std::string> LinesOf(const fs::path& file) {
  std::vector<std::string> lines;
  std::ifstream in(file);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::string Lf(std::string s) {
  for (size_t i; (i = s.find("\r\n")) != std::string::npos;) s.erase(i, 1);
  return s;
}

XDriver* g_x = nullptr;
fs::path g_tmp;

// The X server and window manager, once for the whole run.
class XEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    char dir[] = "/tmp/hueclip-acceptance-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    g_tmp = dir;
    fs::create_directories(g_tmp / "bin");
    fs::create_directory(g_tmp / "runtime");
    chmod((g_tmp / "runtime").c_str(), 0700);
    fs::create_directories(g_tmp / "config" / "openbox");
    // openbox with the system's settings, less a menu file that only some systems have.
    std::stringstream rc;
    rc << std::ifstream("/etc/xdg/openbox/rc.xml").rdbuf();
    std::string settings = std::regex_replace(rc.str(), std::regex(".*debian-menu.xml.*"), "");
    if (!settings.empty()) std::ofstream(g_tmp / "config" / "openbox" / "rc.xml") << settings;
    // Stands in for the desktop's URL opener: logs each call's arguments, one line per call,
    // and the Qt settings of its environment.
    fs::path opener = g_tmp / "bin" / "xdg-open";
    std::ofstream(opener) << "#!/bin/sh\nprintf '%s\\n' \"QT_QPA_PLATFORM=${QT_QPA_PLATFORM-unset} "
                             "QT_ENABLE_HIGHDPI_SCALING=${QT_ENABLE_HIGHDPI_SCALING-unset} "
                             "QT_FONT_DPI=${QT_FONT_DPI-unset}\" >> '"
                          << (g_tmp / "opener-env.log").string() << "'\nprintf '%s\\n' \"$*\" >> '"
                          << (g_tmp / "opened.log").string() << "'\n";
    chmod(opener.c_str(), 0755);
    g_x = new XDriver;
    std::string error;
    // A second X screen, for a pointer that leaves the picker's screen.
    ASSERT_TRUE(g_x->Start((g_tmp / "config").string(), &error,
                           {"-screen", "0", "1024x768x24", "-screen", "1", "800x600x24"}))
        << error;
  }
  void TearDown() override {
    delete g_x;
    g_x = nullptr;
    fs::remove_all(g_tmp);
  }
};

std::string CommandUnderTest() {
  const char* c = std::getenv("HUECLIP_COMMAND");
  return c && *c ? c : HUECLIP_DEFAULT_COMMAND;
}

// Whether the build under test is the Windows one, run by Wine.
bool UnderWine() { return CommandUnderTest().find("wine") != std::string::npos; }

class Hueclip : public ::testing::Test, public PickerDriver {
 protected:
  void SetUp() override {
    ASSERT_NE(g_x, nullptr);
    for (const Rect& p : kPictures) pictures_.push_back(Show(*g_x, p));
    Launch(*g_x);
  }

  void TearDown() override {
    End();
    for (Window w : pictures_) g_x->Destroy(w);
  }

  // Starts the build under test on x's server, with `args` after its command, `env` over the
  // environment and the signals in `ignored` ("HUP INT") ignored, as nohup or a script's
  // background job leaves them, and makes its main window the active one, clear of the test
  // pictures.
  void Launch(XDriver& x, const std::string& args = "", const std::vector<std::string>& env = {},
              const std::string& ignored = "") {
    x_ = &x;
    fs::remove(g_tmp / "opened.log");
    fs::remove(g_tmp / "opener-env.log");
    std::string path = (g_tmp / "bin").string() + ":" + std::getenv("PATH");
    std::vector<std::string> environment{"DISPLAY=" + x.display_name(),
                                         "PATH=" + path,
                                         "BROWSER=",
                                         "DEFAULT_BROWSER=",
                                         "WAYLAND_DISPLAY=",
                                         "QT_QPA_PLATFORM=xcb",
                                         "XDG_RUNTIME_DIR=" + (g_tmp / "runtime").string()};
    environment.insert(environment.end(), env.begin(), env.end());
    // exec: the process waited for is the program's own, and so is its exit status.
    ASSERT_NO_FATAL_FAILURE(Start({"/bin/sh", "-c",
                                   (ignored.empty() ? "" : "trap '' " + ignored + "; ") + "exec " +
                                       CommandUnderTest() + " " + args},
                                  environment, 450, 250));
    x.Activate(main_);  // with no window manager, the program's own request gives the focus
    ASSERT_TRUE(x.Poll([&] { return x.Focused(main_); })) << "main window not focused";
  }

  XDriver& X() override { return *x_; }
  Input& In() override { return *x_; }
  Image Shot() override { return x_->Grab(Client()); }
  std::string ClipboardText() override { return x_->Clipboard(); }

  std::vector<Window> pictures_;
  XDriver* x_ = nullptr;
};

TEST_F(Hueclip, CellsShowTheBlockAroundThePointer) {
  EXPECT_EQ(Client().w, 113);
  EXPECT_EQ(Client().h, 225);
  EXPECT_EQ(Title(), "Hueclip");
  CellsAt(ScreenAt, {{170, 470}, {152, 452}, {820, 137}, {0, 0}, {1023, 767}});
}

TEST_F(Hueclip, FFreezesTheCellsAndResumes) {
  FreezeAndResume(ScreenAt, {}, 160, 460, 810, 110);
  FreezeAndResume(ScreenAt, {XK_Shift_L}, 815, 125, 175, 480);
  FreezeAndResume(ScreenAt, {XK_Control_L}, 168, 455, 830, 130);
}

TEST_F(Hueclip, KeysMoveTheSelectionOverAFrozenBlockAndCopy) {
  const Keys none, shift{XK_Shift_L}, ctrl{XK_Control_L};
  WalkSelection(ScreenAt, 165, 458,  // red and green differ in every cell
                {{XK_q, none, 12, true},
                 {XK_w, none, 7, false},
                 {XK_w, shift, 2, false},
                 {XK_w, ctrl, 22, false},
                 {XK_s, none, 2, false},
                 {XK_a, shift, 1, false},
                 {XK_a, ctrl, 0, false},
                 {XK_a, none, 24, true},
                 {XK_d, shift, 0, false},
                 {XK_s, ctrl, 5, false},
                 {XK_a, none, 4, false},
                 {XK_d, ctrl, 5, false},
                 {XK_d, none, 6, false},
                 {XK_s, shift, 11, true}});
  // A press on one value label and its release on another is no click on either.
  const std::string before = g_x->Clipboard();
  g_x->Drag(Client().x + 73, Client().y + kLabelTop[1] + 8, Client().x + 73,
            Client().y + kLabelTop[2] + 8);
  g_x->Sleep(500ms);
  EXPECT_EQ(g_x->Clipboard(), before) << "a drag from one value label to another copied";
}

const char* const kHelpLines[] = {
    "VERSION:    1.1",
    "WRITTEN BY: Quorvane Labs",
    "WEBSITE:    www.quorvanelabs.com",
    "DATE:       10/11/2003",
    "",
    "Press \"F\" to freeze",
    "Press \"W\" to move pixel selection up",
    "Press \"S\" to move pixel selection down",
    "Press \"A\" to move pixel selection left",
    "Press \"D\" to move pixel selection right",
    "",
    "Pixel selection is shown by the pink ",
    "border.",
    "",
    "Fields can be copied to the clipboard by ",
    "clicking on them (you might want to freeze ",
    "it first). All data can be copied to ",
    "clipboard by pressing \"C\".",
};

TEST_F(Hueclip, AboutShowsTheHelpTextAndBlocksTheMainWindow) {
  std::string expected;
  for (const char* line : kHelpLines) expected += std::string(line) + "\n";
  // Keys that reach the main window when nothing blocks it.
  auto press_f_in_main = [&] {
    g_x->Activate(main_);
    ClickAt(60, 50);
    g_x->Key(XK_f);
  };

  for (int round = 1; round <= 2; ++round) {
    SCOPED_TRACE("About window, opening " + std::to_string(round));
    ClickAt(73, 110);  // the position readout on the clipboard, for the copy below to replace
    ClickAt(56, 213);
    Window about = g_x->WaitFor("About Hueclip");
    ASSERT_NE(about, 0u) << "no window titled About Hueclip";
    Rect r = g_x->ClientRect(about);
    EXPECT_EQ(r.w, 312);
    EXPECT_EQ(r.h, 281);
    EXPECT_TRUE(g_x->Poll([&] { return g_x->Focused(about); })) << "About has no focus";

    // Neither Escape nor Enter closes it, and typing changes nothing. The text box hands out
    // its text with LF line ends under Qt and under Wine alike.
    for (unsigned long key : {XK_Escape, XK_Return, XK_KP_Enter, XK_x, XK_BackSpace, XK_Delete})
      g_x->Key(key);
    g_x->Key(XK_v, {XK_Control_L});
    EXPECT_EQ(Lf(CopiedBy([&] {
                g_x->Key(XK_a, {XK_Control_L});
                g_x->Key(XK_c, {XK_Control_L});
              })),
              expected);
    EXPECT_TRUE(g_x->Viewable(about)) << "a key closed About";

    // Clear of the main window (the window manager may have put it on top of it), so that a
    // click on the main window lands there.
    g_x->Move(about, 40, 300);
    EXPECT_TRUE(g_x->Poll([&] { return g_x->ClientRect(about).x < 100; }));
    const std::string title = Title();
    press_f_in_main();
    g_x->Sleep(500ms);
    EXPECT_EQ(Title(), title) << "a key reached the main window while About was open";
    EXPECT_TRUE(g_x->Viewable(about));

    g_x->Close(about);
    EXPECT_TRUE(g_x->Poll([&] { return g_x->Find("About Hueclip") == 0; }));
    press_f_in_main();
    EXPECT_TRUE(g_x->Poll([&] { return Title() != title; }))
        << "keys do not reach the main window after About was closed";
  }
}

TEST_F(Hueclip, EachClickOnTheLinkOpensTheMakersPageInTheUsersEnvironment) {
  for (size_t clicks = 1; clicks <= 2; ++clicks) {
    ClickAt(56, 192);
    EXPECT_TRUE(g_x->Poll([&] { return LinesOf(g_tmp / "opened.log").size() >= clicks; }))
        << "click " << clicks << " opened nothing";
  }
  g_x->Sleep(300ms);
  EXPECT_EQ(LinesOf(g_tmp / "opened.log"), (std::vector<std::string>{kMakerUrl, kMakerUrl}));
  // The Qt settings are the ones the program was started with, not those it made for itself.
  const std::string users = "QT_QPA_PLATFORM=xcb QT_ENABLE_HIGHDPI_SCALING=unset QT_FONT_DPI=unset";
  EXPECT_EQ(LinesOf(g_tmp / "opener-env.log"), (std::vector<std::string>{users, users}));
}

// Start-up settings that users have give the same working picker, pixel for pixel: right to
// left, a Wayland platform asked for where there is none, a display named on the command line.
TEST_F(Hueclip, UsersStartUpSettingsGiveTheSameWorkingPicker) {
  auto freeze = [&] {
    CellsAt(ScreenAt, {{165, 458}});
    g_x->Key(XK_f);
    EXPECT_TRUE(WaitTitle("-Frozen-"));
    g_x->MovePointer(700, 650);
  };
  freeze();
  const std::vector<int> plain = Shot().px;
  const struct {
    std::string args;
    std::vector<std::string> env;
    bool under_wine;
  } cases[] = {
      {"-reverse", {}, true},
      {"", {"QT_QPA_PLATFORM=wayland"}, true},
      {"-display " + g_x->display_name(), {"DISPLAY=:999"}, false},
  };
  for (const auto& c : cases) {
    if (UnderWine() && !c.under_wine) continue;
    SCOPED_TRACE(c.args + " " + (c.env.empty() ? "" : c.env[0]));
    ASSERT_NO_FATAL_FAILURE(Launch(*g_x, c.args, c.env));
    freeze();
    EXPECT_TRUE(g_x->Poll([&] { return Shot().px == plain; })) << "the window differs";
  }
}

// Each way of asking Qt for twice the size gives the same window: its size, and the cells with
// their lines as the window paints them, pixel for pixel (Qt hints the text of each a little
// differently). QT_FONT_DPI stands for the desktop's Xft.dpi, which reaches Qt as it.
TEST_F(Hueclip, EachWayOfAskingForTwiceTheSizeGivesTheSameWindow) {
  if (UnderWine()) GTEST_SKIP() << "Qt's settings";
  const int centre = PatternAt(165, 458);
  std::vector<int> first;
  for (const char* setting :
       {"QT_SCALE_FACTOR=2", "QT_SCREEN_SCALE_FACTORS=2", "QT_FONT_DPI=192"}) {
    SCOPED_TRACE(setting);
    ASSERT_NO_FATAL_FAILURE(Launch(*g_x, "", {setting}));
    EXPECT_EQ(Client().w, 226);
    EXPECT_EQ(Client().h, 450);
    g_x->MovePointer(165, 458);
    const Rect cells{Client().x, Client().y, 226, 200};
    EXPECT_TRUE(g_x->Poll([&] { return g_x->Grab(cells).At(118, 100) == centre; }));
    g_x->Key(XK_f);
    EXPECT_TRUE(WaitTitle("-Frozen-"));
    const std::vector<int> shot = g_x->Grab(cells).px;
    if (first.empty()) first = shot;
    EXPECT_TRUE(shot == first) << "the cells differ from those of QT_SCALE_FACTOR=2";
  }
}

TEST_F(Hueclip, ThePointerOnASecondXScreenShowsThatScreensPixels) {
  if (UnderWine()) GTEST_SKIP() << "Wine shows one X screen";
  pictures_.push_back(Show(*g_x, {100, 100, 40, 40}, 1));
  g_x->MovePointer(120, 118, 1);
  EXPECT_EQ(WaitForBlock(BlockAround(120, 118, PatternAt)), "");
  CellsAt(ScreenAt, {{170, 470}});  // back on the first screen
}

TEST_F(Hueclip, FAndCActWithANonLatinLayoutFirst) {
  if (UnderWine()) GTEST_SKIP() << "setxkbmap layouts";
  auto set_layout = [](const char* layouts) {
    int status = -1;
    waitpid(Spawn({"setxkbmap", "-display", g_x->display_name(), "-layout", layouts}), &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
  };
  ASSERT_TRUE(set_layout("ru,us")) << "setxkbmap failed";  // F gives Cyrillic_a in the first group
  FreezeAndResume(ScreenAt, {}, 165, 458, 170, 470);
  set_layout("us");
}

// Stands in for the desktop's clipboard manager: owns CLIPBOARD_MANAGER and, when a program
// that ends asks it to keep the clipboard (SAVE_TARGETS), takes the CLIPBOARD text from it.
class ClipboardManager {
 public:
  explicit ClipboardManager(const std::string& display) : dpy_(XOpenDisplay(display.c_str())) {
    win_ = XCreateSimpleWindow(dpy_, DefaultRootWindow(dpy_), 0, 0, 1, 1, 0, 0, 0);
    XSetSelectionOwner(dpy_, A("CLIPBOARD_MANAGER"), win_, CurrentTime);
    XSync(dpy_, False);
  }
  ~ClipboardManager() { XCloseDisplay(dpy_); }
  // Answers the requests that came; the text kept so far.
  std::optional<std::string> Serve() {
    while (XPending(dpy_)) {
      XEvent ev;
      XNextEvent(dpy_, &ev);
      if (ev.type == SelectionRequest && ev.xselectionrequest.target == A("SAVE_TARGETS")) {
        request_ = ev.xselectionrequest;
        XConvertSelection(dpy_, A("CLIPBOARD"), A("UTF8_STRING"), A("KEPT"), win_, request_.time);
      } else if (ev.type == SelectionNotify && ev.xselection.property == A("KEPT")) {
        Atom type;
        int format;
        unsigned long n, after;
        unsigned char* data = nullptr;
        XGetWindowProperty(dpy_, win_, A("KEPT"), 0, 1 << 20, True, AnyPropertyType, &type, &format,
                           &n, &after, &data);
        if (data) kept_ = std::string(reinterpret_cast<char*>(data), n), XFree(data);
        const XSelectionRequestEvent& r = request_;
        XEvent done{.xselection = {SelectionNotify, 0, True, dpy_, r.requestor, r.selection,
                                   r.target, r.property, r.time}};
        XSendEvent(dpy_, request_.requestor, False, 0, &done);
      }
    }
    XFlush(dpy_);
    return kept_;
  }

 private:
  Atom A(const char* name) { return XInternAtom(dpy_, name, False); }
  Display* dpy_;
  Window win_;
  XSelectionRequestEvent request_{};
  std::optional<std::string> kept_;
};

// xdotool windowclose, xkill -id: the About window is closed, the main window ends the program
// as a close would, and what was copied outlives it.
TEST_F(Hueclip, AWindowDestroyedByAnotherClientEndsTheProgram) {
  if (UnderWine()) GTEST_SKIP() << "Wine's own handling of X windows";
  ClipboardManager manager(g_x->display_name());
  Window about = 0;  // seen now and then as the first test on a new server: a click opens nothing
  ASSERT_TRUE(g_x->PollAfter([&] { ClickAt(56, 213); },
                             [&] { return (about = g_x->Find("About Hueclip")) != 0; }, 2s))
      << "no window titled About Hueclip";
  g_x->Destroy(about);
  g_x->Activate(main_);
  EXPECT_TRUE(g_x->Poll([&] { return g_x->Focused(main_); })) << "main window not focused";
  const std::string copied = CopiedBy([&] { g_x->Key(XK_c); });  // About no longer blocks
  EXPECT_NE(copied, "(no copy)") << "no copy after About was destroyed";

  g_x->Destroy(main_);
  std::optional<std::string> kept;
  ASSERT_TRUE(g_x->Poll([&] { return (kept = manager.Serve(), Ended(0ms)); }))
      << "still running without its window";
  EXPECT_EQ(ExitStatus(), "exit 0");
  EXPECT_EQ(kept, copied) << "the clipboard manager was not given the copy";
}

// kill, Ctrl+C in the terminal and a logout end the program as a close of its window does, with
// the About window up or not: status 0, and what was copied outlives it. A signal that was ignored
// at the start (nohup, a background job of a script) stays ignored.
TEST_F(Hueclip, TermIntAndHupEndTheProgramAsACloseDoes) {
  if (UnderWine()) GTEST_SKIP() << "Wine's own handling of signals";
  const struct {
    int signal;
    bool about;
    bool hup_and_int_ignored;  // at the start, as by nohup in a script's background job; sent first
  } cases[] = {{SIGTERM, false, false},
               {SIGINT, true, false},
               {SIGHUP, false, false},
               {SIGTERM, false, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(strsignal(c.signal)) + (c.about ? ", About up" : "") +
                 (c.hup_and_int_ignored ? ", HUP and INT ignored" : ""));
    ASSERT_NO_FATAL_FAILURE(Launch(*g_x, "", {}, c.hup_and_int_ignored ? "HUP INT" : ""));
    if (c.hup_and_int_ignored) {
      kill(pid_, SIGHUP), kill(pid_, SIGINT);
      ASSERT_FALSE(Ended(1s)) << "an ignored signal ended the program";
    }
    ClipboardManager manager(g_x->display_name());
    const std::string copied = CopiedBy([&] { g_x->Key(XK_c); });
    if (c.about) {
      ASSERT_TRUE(g_x->PollAfter([&] { ClickAt(56, 213); },
                                 [&] { return g_x->Find("About Hueclip") != 0; }, 2s));
    }
    kill(pid_, c.signal);
    std::optional<std::string> kept;
    ASSERT_TRUE(g_x->Poll([&] { return (kept = manager.Serve(), Ended(0ms)); }))
        << "still running after the signal";
    EXPECT_EQ(ExitStatus(), "exit 0");
    EXPECT_EQ(kept, copied) << "the clipboard manager was not given the copy";
  }
}

// On an X server of its own, set up as some users' are; the Linux build only.
class HueclipElsewhere : public Hueclip {
 protected:
  void SetUp() override {
    if (UnderWine()) GTEST_SKIP() << "for the Linux build";
  }
  void StartServer(const std::vector<std::string>& screens, bool window_manager = true) {
    std::string error;
    ASSERT_TRUE(server_.Start((g_tmp / "config").string(), &error, screens, window_manager))
        << error;
  }
  // Runs the build under test with args to its end, under env (env(1)'s arguments): how it
  // ended ("still running" if it did not), and the lines it wrote on stdout and stderr.
  struct Ran {
    std::string status;
    std::vector<std::string> out, err;
  };
  Ran RunToEnd(std::vector<std::string> env, const std::string& args) {
    const fs::path out = g_tmp / "out.txt", err = g_tmp / "err.txt";
    env.insert(env.begin(), "env");
    env.insert(env.end(), {"/bin/sh", "-c",
                           "exec " + CommandUnderTest() + " " + args + " >'" + out.string() +
                               "' 2>'" + err.string() + "'"});
    pid_ = Spawn(env);
    x_ = g_x;
    if (!Ended()) return {"still running", {}, {}};
    return {ExitStatus(), LinesOf(out), LinesOf(err)};
  }
  XDriver server_;
};

TEST_F(HueclipElsewhere, DirectColourPixelsGoThroughTheColourMap) {
  StartServer({"-screen", "0", "1024x768x24", "-cc", "5"}, false);  // openbox needs true colour
  // Colours whose pixel values, read as bit fields, would give other colours.
  int colours[] = {0x40A0E0, 0xE06020};
  const unsigned long pixels[] = {server_.AllocColour(&colours[0]),
                                  server_.AllocColour(&colours[1])};
  ASSERT_NE(colours[0], colours[1]);
  server_.CreatePicture({150, 450, 40, 40}, [&](int x, int) { return int(pixels[x >= 15]); });
  ASSERT_NO_FATAL_FAILURE(Launch(server_));
  server_.MovePointer(165, 458);
  const std::string expected = CopyAll(ReadoutsFor(165, 458, colours[1]));
  std::string copied;  // C again until a pass has read the pointer's place
  server_.PollAfter([&] { server_.Key(XK_c); },
                    [&] { return (copied = server_.Clipboard()) == expected; }, 1s);
  EXPECT_EQ(copied, expected);
}

TEST_F(HueclipElsewhere, AServerWithRoomForOneMoreClientIsStillRead) {
  StartServer({"-screen", "0", "1024x768x24", "-maxclients", "64"});
  Show(server_, kPictures[2]);
  // Every connection the server takes but one, which Qt's will be.
  std::vector<std::unique_ptr<Display, int (*)(Display*)>> others;
  while (Display* d = XOpenDisplay(server_.display_name().c_str()))
    others.emplace_back(d, XCloseDisplay);
  ASSERT_FALSE(others.empty());
  // The place of the last one is free once the server has destroyed its window.
  Display* last = others.back().get();
  const Window gone = XCreateSimpleWindow(last, DefaultRootWindow(last), 0, 0, 1, 1, 0, 0, 0);
  others.pop_back();
  ASSERT_TRUE(server_.Poll([&] { return server_.ClientRect(gone).w == 0; }));
  ASSERT_NO_FATAL_FAILURE(Launch(server_));
  CellsAt(ScreenAt, {{170, 470}});
}

TEST_F(HueclipElsewhere, AnEightBitDisplayIsRefusedInOneLine) {
  StartServer({"-screen", "0", "1024x768x8"});
  const Ran ran = RunToEnd({"DISPLAY=" + server_.display_name(), "QT_QPA_PLATFORM="}, "");
  EXPECT_EQ(ran.status, "exit 1");
  EXPECT_EQ(ran.err.size(), 1u) << (ran.err.empty() ? "" : ran.err[0]);
}

// With no display at all, as a terminal with neither X nor Wayland has it.
TEST_F(HueclipElsewhere, TheCommandLineIsAnsweredWithoutADisplay) {
  const struct {
    std::string args;
    int status;
    std::string out;  // its first line
    std::vector<std::string> err;
  } cases[] = {
      {"--version", 0, "Hueclip 1.01", {}},
      {"--help", 0, "Usage: hueclip [-display DISPLAY] [-platform NAME] [QT-OPTION]...", {}},
      {"-reverse --frobnicate",
       2,
       "",
       {"hueclip: unknown option '--frobnicate'; see hueclip --help"}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args);
    const Ran ran = RunToEnd({"-u", "DISPLAY", "-u", "WAYLAND_DISPLAY"}, c.args);
    EXPECT_EQ(ran.status, "exit " + std::to_string(c.status));
    EXPECT_EQ(ran.out.empty() ? "" : ran.out[0], c.out);
    EXPECT_EQ(ran.err, c.err);
  }
}

}  // namespace
}  // namespace acceptance

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::AddGlobalTestEnvironment(new acceptance::XEnvironment);
  return RUN_ALL_TESTS();
}
