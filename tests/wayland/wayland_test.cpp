// Acceptance tests on Wayland: the Linux program on a headless GNOME session (run by
// session.sh), where a native Wayland client fills the monitor with a picture that every pixel
// of has a colour of its own. Pointer and keys go in through mutter's RemoteDesktop, the
// clipboard is read with wl-paste, and the program's window (on Xwayland) is read through X.
#include <X11/keysym.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <ranges>

#include "desktop.h"
#include "picker_scenarios.h"

namespace acceptance {
namespace {

namespace fs = std::filesystem;

Desktop* g_desktop = nullptr;
fs::path g_tmp;

// The session's drivers and pattern, and a scratch directory, for the whole run.
class WaylandEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    unsetenv("QT_QPA_PLATFORM");  // the program chooses its own, as on a user's desktop
    char dir[] = "/tmp/hueclip-wayland-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    g_tmp = dir;
    g_desktop = new Desktop;
    std::string error;
    ASSERT_TRUE(g_desktop->Start(&error)) << error;
  }
  void TearDown() override {
    delete g_desktop;
    fs::remove_all(g_tmp);
  }
};

MutterDriver& M() { return g_desktop->mutter(); }
bool ShareDialogShown() { return g_desktop->ShareDialogShown(); }

// The program with its window found, moved to a known place and focused; the screen-cast
// permission is given once for the whole run (the token the program stores serves the rest).
class Hueclip : public ::testing::Test, public PickerDriver {
 protected:
  void SetUp() override {
    ASSERT_NE(g_desktop, nullptr);
    Launch(g_tmp / "state");
  }

  // The permission dialog comes unless a token (a UUID) is stored. share: how it is answered;
  // row: the monitor shared, when there are several (-1: the middle of the list); asked: what
  // the user does while it is up, before answering it. The program's standard error goes to
  // log_, when it is set.
  void Launch(const fs::path& state, const std::vector<std::string>& env = {}, bool share = true,
              int row = -1, const std::function<void()>& asked = {}) {
    state_ = state;
    std::error_code missing;
    const auto size = fs::file_size(state / "hueclip" / "screen-cast-token", missing);
    const bool token_stored = !missing && size >= 36;
    fs::create_directories(state);
    std::vector<std::string> environment = env;
    environment.push_back("XDG_STATE_HOME=" + state.string());  // where the token is kept
    std::vector<std::string> argv{HUECLIP_PROGRAM};
    if (!log_.empty()) argv = {"/bin/sh", "-c", "exec \"$0\" 2>\"$1\"", HUECLIP_PROGRAM, log_};
    ASSERT_NO_FATAL_FAILURE(Start(argv, environment, kWindowX, kWindowY));
    if (!token_stored) {
      if (asked) {
        ASSERT_TRUE(X().Poll(ShareDialogShown)) << "no Screen Share dialog";
        asked();
        if (HasFatalFailure()) return;
      }
      ASSERT_TRUE(g_desktop->AnswerShareDialog(share, row))
          << "no Screen Share dialog: the program did not ask the screen-cast portal";
    }
    if (share) Focus();
  }

  XDriver& X() override { return g_desktop->x(); }
  Input& In() override { return M(); }
  // A click on the cells' last column, beside the permission dialog and of no action, gives the
  // window the keyboard; made again, as on a busy machine a click as a window goes may miss.
  void Focus() {
    ASSERT_TRUE(X().PollAfter([&] { ClickAt(kColLeft[4] + 8, kRowTop[2] + 8); },
                              [&] { return X().Focused(main_); }, 1500ms))
        << "main window not focused";
  }

  // wl-paste reads through a window of its own, which has the keyboard for a moment: keys wait
  // until the main window has it back.
  std::string ClipboardText() override { return WaylandClipboard(); }
  void Settle() override {
    X().Poll([&] { return X().Focused(main_); });
  }

  // Files the program stored in its state directory.
  std::vector<fs::path> Stored() {
    std::vector<fs::path> files;
    std::error_code ec;
    for (const auto& e : fs::recursive_directory_iterator(state_ / "hueclip", ec))
      if (e.is_regular_file()) files.push_back(e.path());
    return files;
  }

  // The program's windows but the main one: its message boxes.
  std::vector<Window> Boxes() {
    std::vector<Window> boxes =
        X().FindAll([](const std::string& t) { return t.find("Hueclip") != std::string::npos; });
    return std::erase(boxes, main_), boxes;
  }

  // Answers the program's message box, once it is up, with Enter: false when none came, or it
  // stayed.
  bool DismissMessage() {
    std::vector<Window> boxes;
    if (!X().Poll([&] { return !(boxes = Boxes()).empty(); })) return false;
    const Window box = boxes[0];
    if (!X().Poll([&] { return X().Focused(box); })) return false;
    M().Key(XK_Return);
    return X().Poll([&] { return !X().Viewable(box); });
  }

  // What the program wrote to log_.
  std::string Said() {
    std::ifstream in(log_);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }

  fs::path state_;
  std::string log_;
};

// Tests that start the program their own way. None is started for them: the portal honours a
// restore token once, so a program ended while it restored its sharing would leave the token
// that the other tests share spent, and their next start would ask again.
class HueclipStartedByTheTest : public Hueclip {
 protected:
  void SetUp() override { ASSERT_NE(g_desktop, nullptr); }
};

// The cells and readouts up to the monitor's last pixel, however close to its edge the pointer
// is. While frozen the program pauses the stream: the cells, and what C copies, come from the
// block it read before; the cells follow again once the stream resumes.
TEST_F(Hueclip, CellsShowTheBlockAroundThePointerUpToTheMonitorsEdgesAndFreeze) {
  EXPECT_EQ(Title(), "Hueclip");
  const Points edges = {{100, 100}, {257, 130}, {0, 0},    {639, 0}, {0, 479},
                        {300, 479}, {639, 479}, {420, 60}, {2, 2}};
  CellsAt(ScreenAt, edges, true);
  // Past the middle of the last pixel, which the compositor's rounding puts at 640, 480.
  M().MovePointerTo(639.75, 479.75);
  EXPECT_EQ(WaitForBlock(BlockAt(639, 479)), "");
  EXPECT_EQ(CopiedBy([&] { Key(XK_c); }), CopyAll(ReadoutsFor(639, 479, ScreenAt(639, 479))));
  FreezeAndResume(ScreenAt, {}, 301, 257, 300, 90);  // beyond 256: blue differs from the low corner
}

// The states of the program's PipeWire streams (their media are named after it), one word each;
// a paused one that PipeWire has let rest (suspended) reads idle, as it sends nothing either.
std::string StreamStates() {
  return Output(
      "pw-dump | python3 -c 'import json, sys; sys.stdout.write(\" \".join(o[\"info\"][\"state\"]"
      ".replace(\"suspended\", \"idle\") for o in json.load(sys.stdin) if "
      "o[\"type\"].endswith(\"Node\") and o[\"info\"][\"props\"].get(\"media.name\") == "
      "\"Hueclip\"))'");
}

// Frozen before the desktop shares the screen, the program pauses the sharing as soon as it has
// it, as it does when frozen later: the desktop does nothing for it until it is resumed.
TEST_F(HueclipStartedByTheTest, FrozenBeforeTheSharingStartsPausesIt) {
  ASSERT_NO_FATAL_FAILURE(Launch(g_tmp / "frozen-first", {}, true, -1, [&] {
    Focus();
    Key(XK_f);
  }));
  EXPECT_TRUE(X().Poll([&] { return StreamStates() == "idle"; })) << StreamStates();
  Key(XK_f);
  CellsAt(ScreenAt, {{120, 330}});
  EXPECT_EQ(StreamStates(), "running");
}

// The permission is asked once: the token stored then (the one file, its owner's alone) makes
// the next start silent. A token file that holds no token of the portal's (xdg-desktop-portal
// refuses anything but a UUID) stands in nobody's way: the dialog comes, and the token given
// then replaces it.
TEST_F(HueclipStartedByTheTest, TheTokenMakesTheNextStartSilentAndGarbageIsReplaced) {
  const fs::path state = g_tmp / "asked-once", file = state / "hueclip" / "screen-cast-token";
  const auto token = [&] {
    std::string t;
    X().Poll([&] { return std::getline(std::ifstream(file), t) && t.size() == 36; });
    return t;  // a UUID
  };
  ASSERT_NO_FATAL_FAILURE(Launch(state));  // answers the dialog: nothing stored here yet
  EXPECT_EQ(token().size(), 36u);
  ASSERT_EQ(Stored(), std::vector{file});
  EXPECT_EQ(fs::status(file).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write);
  CellsAt(ScreenAt, {{120, 330}});

  std::ofstream(file) << "garbage\n";
  ASSERT_NO_FATAL_FAILURE(Launch(state));  // the dialog must come
  CellsAt(ScreenAt, {{150, 90}});
  EXPECT_EQ(token().size(), 36u) << token();

  ASSERT_NO_FATAL_FAILURE(Launch(state));  // expects no dialog: the token is there
  CellsAt(ScreenAt, {{200, 140}});         // shared, so the dialog would have come by now
  EXPECT_FALSE(ShareDialogShown()) << "the permission dialog came again";
}

// While the permission dialog is up the screen has never been read: C and a click on a value
// label copy nothing (no made-up position or colour), and the program's message says why. Then
// a refusal: a message box of the program's says so, and once it is closed the program carries
// on without sampling, and C still copies nothing.
TEST_F(HueclipStartedByTheTest, NothingIsCopiedWhileTheDialogIsUpNorAfterARefusal) {
  log_ = (g_tmp / "refused.log").string();
  ASSERT_EQ(std::system("wl-copy 'what the user had copied'"), 0);
  const auto copyNothing = [&](const char* how, const std::function<void()>& action) {
    SCOPED_TRACE(how);
    Focus();
    action();
    EXPECT_TRUE(DismissMessage()) << "no message box with the focus, or it stays";
    EXPECT_EQ(WaylandClipboard(), "what the user had copied");
  };
  ASSERT_NO_FATAL_FAILURE(
      Launch(g_tmp / "refused", {"QT_LOGGING_RULES=hueclip.messages=true"}, false, -1, [&] {
        // The dialog covers the window but for its right edge: the last column of cells and the
        // value labels' right ends.
        Focus();
        Key(XK_d);  // a refresh of the readouts
        copyNothing("C", [&] { M().Key(XK_c); });
        copyNothing("click", [&] { ClickAt(100, kLabelTop[1] + 8); });  // on lblHex
        const std::string text = Said();
        EXPECT_NE(text.find("cannot see the screen yet"), std::string::npos) << text;
        EXPECT_NE(text.find("screen-sharing dialog"), std::string::npos) << text;
      }));

  ASSERT_TRUE(DismissMessage()) << "no message box with the focus, or it stays";
  X().Sleep(1500ms);  // some ticks of the timer, which must not ask again
  EXPECT_TRUE(waitpid(pid_, nullptr, WNOHANG) == 0) << "the program ended";
  EXPECT_TRUE(X().Viewable(main_)) << "the main window is gone";
  EXPECT_FALSE(ShareDialogShown()) << "the permission dialog came again";
  EXPECT_TRUE(Stored().empty()) << "a token stored though sharing was refused";
  copyNothing("C after the refusal", [&] { M().Key(XK_c); });
  const std::string said = Said();
  // The copy's message gives the refusal, as the warning did, and says that nothing was copied.
  EXPECT_NE(said.find("sharing dialog.\nNothing was copied"), std::string::npos) << said;
}

// Ends the process that owns a name on the session bus (found through the bus, never by its
// name among the machine's processes) and waits until the name is free.
bool EndOwnerOf(const std::string& name) {
  const std::string bus =
      "dbus-send --session --print-reply=literal --dest=org.freedesktop.DBus /org/freedesktop/DBus "
      "org.freedesktop.DBus.";
  const std::string kill = "kill $(" + bus + "GetConnectionUnixProcessID string:" + name +
                           " | awk '{print $2}') 2>/dev/null";
  const std::string freed = bus + "NameHasOwner string:" + name + " | grep -q false";
  return std::system(kill.c_str()) == 0 &&
         g_desktop->x().Poll([&] { return std::system(freed.c_str()) == 0; });
}

// A portal that the session bus starts only on demand, and slowly, is waited for: the program
// reads the native Wayland picture through it rather than only X11 windows.
TEST_F(HueclipStartedByTheTest, ASlowPortalIsWaitedFor) {
  const fs::path services = fs::path(std::getenv("XDG_DATA_HOME")) / "dbus-1/services";
  const fs::path started = g_tmp / "slow-portal-started";
  fs::create_directories(services);
  std::ofstream(services / "org.freedesktop.portal.Desktop.service")
      << "[D-BUS Service]\nName=org.freedesktop.portal.Desktop\nExec=/bin/sh -c 'touch "
      << started.string() << "; sleep 3; exec /usr/libexec/xdg-desktop-portal'\n";
  ASSERT_EQ(std::system("dbus-send --session --print-reply --dest=org.freedesktop.DBus "
                        "/org/freedesktop/DBus org.freedesktop.DBus.ReloadConfig >/dev/null"),
            0);
  ASSERT_TRUE(EndOwnerOf("org.freedesktop.portal.Desktop")) << "the portal did not end";
  ASSERT_NO_FATAL_FAILURE(Launch(g_tmp / "slow-portal"));
  EXPECT_TRUE(fs::exists(started)) << "the bus started the portal in some other way";
  CellsAt(ScreenAt, {{60, 420}});
}

// The streams lost while the user keeps sharing: the program shares the screen again by itself
// with its token, without a word, and samples as before. The portal's GNOME backend ends the cast
// with no word to the program; PipeWire and WirePlumber restart as a desktop update does; the
// backend ends as in a crash (mutter ends its screen casts with it, and the bus starts it again
// when asked).
TEST_F(Hueclip, SamplingGoesOnWhenTheStreamsAreLost) {
  std::string error;
  const std::string backend = "org.freedesktop.impl.portal.desktop.gnome";
  const std::string cast = "$(gdbus introspect --session --dest " + backend +
                           " --object-path /org/freedesktop/portal/desktop --recurse | "
                           "grep -o '/org/.*/session/.*/[^ ]*')";
  const std::pair<const char*, std::function<bool()>> losses[] = {
      {"cast ended",
       [&] {
         return std::system(("gdbus call --session --dest " + backend + " --object-path " + cast +
                             " --method org.freedesktop.impl.portal.Session.Close >/dev/null")
                                .c_str()) == 0;
       }},
      {"PipeWire restarted", [&] { return g_desktop->RestartPipeWire(&error); }},
      {"backend ended", [&] { return EndOwnerOf(backend); }}};
  for (const auto& [what, lose] : losses) {
    SCOPED_TRACE(what);
    CellsAt(ScreenAt, {{230, 70}});
    ASSERT_TRUE(lose()) << error;
    std::string diff;
    int x = 320;  // the pointer's position comes as it moves
    X().PollAfter([&] { M().MovePointer(x ^= 1, 180); },
                  [&] { return (diff = BlockMismatch(Shot(), BlockAt(x, 180))).empty(); }, 300ms);
    EXPECT_EQ(diff, "");
    EXPECT_TRUE(Boxes().empty()) << "a message box came up";
    EXPECT_FALSE(ShareDialogShown()) << "the permission dialog came again";
  }
}

// Two monitors side by side (session.sh --monitors 2), one of them shared. mutter marks the
// cursor valid on the stream of every monitor that the cursor's image touches, with a position
// outside that stream's frame: near the seam on the monitor left out, the picker keeps what it
// showed rather than black cells at a made-up position.
class HueclipOnTwoMonitors : public HueclipStartedByTheTest {
 protected:
  // Shares monitor `shared` alone (0: the left one), lets the cells show the pointer at `from`
  // on it, then puts the pointer at `seam`, on the other monitor. A click on a value label
  // moves the pointer: the copy that checks C is made after F (before any pass has read the
  // screen, a click copies nothing).
  void KeepsWhatItShowed(int shared, std::pair<int, int> from, std::pair<int, int> seam) {
    SCOPED_TRACE("monitor " + std::to_string(shared) + " shared");
    ASSERT_NO_FATAL_FAILURE(Launch(g_tmp / ("shared-" + std::to_string(shared)), {}, true, shared));
    const auto label = [&] { ClickAt(73, kLabelTop[1] + 8); };
    ASSERT_EQ(std::system("wl-copy 'before C'"), 0);  // C's four lines are then a change
    // Before a pass has read the screen, C copies nothing and says why in a message box: C waits
    // until the cells show something read.
    const int unread = Cell(Shot(), 12, false);
    M().MovePointer(from.first, from.second);
    ASSERT_TRUE(X().Poll([&] { return Cell(Shot(), 12, false) != unread; }));
    const std::string pos =
        "Pos: " + std::to_string(from.first) + ", " + std::to_string(from.second) + "\n";
    std::string shown;
    X().Poll([&] { return (shown = CopiedBy([&] { M().Key(XK_c); })).starts_with(pos); });
    ASSERT_TRUE(shown.starts_with(pos)) << shown;
    const auto cells = [&] {
      std::string all;
      for (const Image shot = Shot(); int i : std::views::iota(0, 25))
        all += Hex(Cell(shot, i, false)) + (i % 5 == 4 ? "\n" : " ");
      return all;
    };
    const std::string before = cells();
    ASSERT_EQ(before.find(Hex(kBlack)), std::string::npos) << before;
    M().MovePointer(seam.first, seam.second);
    X().Sleep(700ms);
    EXPECT_EQ(cells(), before);
    M().Key(XK_f);
    ASSERT_TRUE(WaitTitle("-Frozen-"));
    CopiedBy(label);
    EXPECT_EQ(CopiedBy([&] { M().Key(XK_c); }), shown);
  }
};

TEST_F(HueclipOnTwoMonitors, NearTheSeamOnTheMonitorLeftOutNothingIsMadeUp) {
  KeepsWhatItShowed(1, {900, 100}, {632, 200});
  KeepsWhatItShowed(0, {600, 100}, {642, 200});
}

// With no screen-cast portal that gives the pointer's position (as on wlroots desktops; here
// the program is given no session bus at all), the program says so in one line and reads what
// XWayland can give: the X11 window under the pointer, where a read of the root window fails.
TEST_F(HueclipStartedByTheTest, WithoutThePortalTheX11WindowUnderThePointerIsRead) {
  const Rect r{40, 300, 120, 100};
  auto colour = [](int x, int y) { return (60 + x) << 16 | (40 + y) << 8 | 0x5A; };
  const Window picture = X().CreatePicture(r, colour);
  log_ = (g_tmp / "no-portal.log").string();
  ASSERT_NO_FATAL_FAILURE(Start({"/bin/sh", "-c", "exec \"$0\" 2>\"$1\"", HUECLIP_PROGRAM, log_},
                                {"DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent",
                                 "XDG_STATE_HOME=" + (g_tmp / "no-portal").string()},
                                kWindowX, kWindowY));
  CellsAt([&](int x, int y) { return colour(x - r.x, y - r.y); }, {{100, 350}});
  EXPECT_FALSE(ShareDialogShown()) << "the portal was asked without a session bus";
  End();
  X().Destroy(picture);
  const std::string said = Said();
  EXPECT_NE(said.find("only X11 windows can be read"), std::string::npos) << said;
}

}  // namespace
}  // namespace acceptance

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::AddGlobalTestEnvironment(new acceptance::WaylandEnvironment);
  return RUN_ALL_TESTS();
}
