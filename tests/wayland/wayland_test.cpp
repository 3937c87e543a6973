// Acceptance tests on Wayland: the Linux program on a headless GNOME session (run by
// session.sh), where a native Wayland client fills the monitor with a picture that every pixel
// of has a colour of its own. Pointer and keys go in through mutter's RemoteDesktop, the
// clipboard is read with wl-paste, and the program's window (on Xwayland) is read through X.
#include <X11/keysym.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
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
    g_desktop = nullptr;
    // Screens of failed tests (or, with HUECLIP_KEEP, of all) stay for a look.
    if (::testing::UnitTest::GetInstance()->failed_test_count() > 0 || std::getenv("HUECLIP_KEEP"))
      printf("Screens of the monitor (PPM) kept in %s\n", g_tmp.c_str());
    else
      fs::remove_all(g_tmp);
  }
};

MutterDriver& M() { return g_desktop->mutter(); }
XDriver& X() { return g_desktop->x(); }
bool ShareDialogShown() { return g_desktop->ShareDialogShown(); }
bool AnswerShareDialog(bool share, int row = -1) {
  return g_desktop->AnswerShareDialog(share, row);
}

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// The program with its window found, moved to a known place and focused; the screen-cast
// permission is given once for the whole run (the token the program stores serves the rest).
class Hueclip : public ::testing::Test, public PickerDriver {
 protected:
  void SetUp() override {
    ASSERT_NE(g_desktop, nullptr);
    Launch(g_tmp / "state");
  }

  // share: how the permission dialog is answered, when it comes; ask: it comes even though
  // something is stored; row: the monitor shared, when there are several (-1: the middle of
  // the list).
  void Launch(const fs::path& state, const std::vector<std::string>& env = {}, bool share = true,
              bool ask = false, int row = -1) {
    KillGroup(pid_);
    state_ = state;
    bool token_stored = !ask && fs::exists(state / "hueclip") && !fs::is_empty(state / "hueclip");
    fs::create_directories(state);
    std::vector<std::string> environment = env;
    environment.push_back("XDG_STATE_HOME=" + state.string());  // where the token is kept
    pid_ = Spawn({HUECLIP_PROGRAM}, environment);
    main_ = X().WaitFor("Hueclip", 10s);
    ASSERT_NE(main_, 0u) << "no X11 window titled Hueclip on Xwayland";
    X().Move(main_, kWindowX, kWindowY);
    X().Poll([&] { return Client().x == kWindowX && Client().y == kWindowY; }, 3s);
    ASSERT_EQ(Client().x, kWindowX) << "mutter did not move the main window";
    if (!token_stored) {
      ASSERT_TRUE(AnswerShareDialog(share, row))
          << "no Screen Share dialog: the program did not ask the screen-cast portal";
    }
    if (share) Focus();
  }

  void TearDown() override {
    // The monitor as the test left it, for a look at a failure (HUECLIP_KEEP keeps them all).
    if (HasFailure() || std::getenv("HUECLIP_KEEP"))
      M().SaveScreen(g_tmp.string() + "/" +
                     ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".ppm");
    KillGroup(pid_);
  }

  XDriver& X() override { return g_desktop->x(); }
  void MovePointer(int x, int y) override { M().MovePointer(x, y); }
  void Key(unsigned long keysym, const Keys& modifiers = {}) override {
    M().Key(static_cast<unsigned>(keysym),
            std::vector<unsigned>(modifiers.begin(), modifiers.end()));
  }
  void ClickAt(int cx, int cy) override { M().Click(Client().x + cx, Client().y + cy); }
  Image Shot() override { return X().GrabWindow(main_); }
  // A click on the cells, which have no action of their own, gives the window the keyboard.
  void Focus() {
    ClickAt(40, 40);
    ASSERT_TRUE(X().Poll([&] { return X().Focused(main_); }, 3s)) << "main window not focused";
  }

  // The clipboard text once action has changed it. wl-paste reads through a window of its own,
  // which has the keyboard for a moment: keys wait until the main window has it back.
  std::string CopiedBy(const std::function<void()>& action) override {
    std::string before = WaylandClipboard(), now;
    X().Poll([&] { return X().Focused(main_); }, 2s);
    action();
    bool changed = X().Poll([&] { return (now = WaylandClipboard()) != before; }, 3s);
    X().Poll([&] { return X().Focused(main_); }, 2s);
    return changed ? now : "(no copy)";
  }

  // Files the program stored in its state directory.
  std::vector<fs::path> Stored() {
    std::vector<fs::path> files;
    std::error_code ec;
    for (const auto& e : fs::recursive_directory_iterator(state_ / "hueclip", ec))
      if (e.is_regular_file()) files.push_back(e.path());
    return files;
  }

  pid_t pid_ = -1;
  fs::path state_;
};

TEST_F(Hueclip, CellsShowTheBlockAroundThePointerUpToTheMonitorsEdges) {
  EXPECT_EQ(Title(), "Hueclip");
  const std::pair<int, int> points[] = {{100, 100}, {257, 130}, {0, 0},    {639, 0}, {0, 479},
                                        {300, 479}, {639, 479}, {420, 60}, {2, 2}};
  for (auto [x, y] : points) {
    SCOPED_TRACE("pointer at " + std::to_string(x) + "," + std::to_string(y));
    M().MovePointer(x, y);
    EXPECT_EQ(WaitForBlock(BlockAt(x, y)), "");
    EXPECT_EQ(Hex(Cell(Shot(), 12, true)), Hex(kMagenta)) << "border of the selected cell";
    EXPECT_EQ(CopiedBy([&] { M().Key(XK_c); }), CopyAllText(ReadoutsFor(x, y, ScreenAt(x, y))));
  }
}

TEST_F(Hueclip, FFreezesTheCellsAndResumes) {
  FreezeAndResume(ScreenAt, {}, 160, 160, 300, 90);
  FreezeAndResume(ScreenAt, {XK_Shift_L}, 40, 400, 250, 300);
}

TEST_F(Hueclip, KeysMoveTheSelectionOverAFrozenBlockAndCopy) {
  WalkSelection(ScreenAt, 301, 257,  // beyond 256 in x and y: blue differs from the low corner
                {{XK_w, {}, 7, false},
                 {XK_w, {}, 2, false},
                 {XK_w, {}, 22, true},
                 {XK_s, {}, 2, false},
                 {XK_a, {}, 1, false},
                 {XK_a, {}, 0, false},
                 {XK_a, {}, 24, true},
                 {XK_d, {}, 0, false},
                 {XK_s, {}, 5, false},
                 {XK_a, {}, 4, false},
                 {XK_d, {}, 5, false},
                 {XK_d, {}, 6, true}});
}

// The permission is asked once: the token stored then makes the next start silent.
TEST_F(Hueclip, ASecondStartAsksNoPermissionAgain) {
  const fs::path state = g_tmp / "asked-once";
  fs::remove_all(state);
  ASSERT_NO_FATAL_FAILURE(Launch(state));  // answers the dialog: nothing stored here yet
  std::vector<fs::path> stored;
  X().Poll([&] { return !(stored = Stored()).empty(); }, 3s);
  ASSERT_EQ(stored.size(), 1u) << "the program stores one file, its token";
  EXPECT_EQ(fs::status(stored[0]).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write);
  M().MovePointer(120, 330);
  EXPECT_EQ(WaitForBlock(BlockAt(120, 330)), "");

  ASSERT_NO_FATAL_FAILURE(Launch(state));  // expects no dialog: the token is there
  EXPECT_FALSE(X().Poll(ShareDialogShown, 2s)) << "the permission dialog came again";
  M().MovePointer(200, 140);
  EXPECT_EQ(WaitForBlock(BlockAt(200, 140)), "");
}

// A Qt platform that the user asks for and that is not installed does not stop the program.
TEST_F(Hueclip, AQtPlatformThatIsNotInstalledIsNoObstacle) {
  ASSERT_NO_FATAL_FAILURE(Launch(g_tmp / "state", {"QT_QPA_PLATFORM=no-such-platform"}));
  M().MovePointer(77, 222);
  EXPECT_EQ(WaitForBlock(BlockAt(77, 222)), "");
}

// A refusal: a message box of the program's comes up (its text cannot be read from outside:
// only its title is checked), and once it is closed the program carries on without sampling.
TEST_F(Hueclip, ARefusalIsExplainedAndTheProgramStays) {
  const fs::path state = g_tmp / "refused";
  fs::remove_all(state);
  ASSERT_NO_FATAL_FAILURE(Launch(state, {}, false));

  std::vector<Window> boxes;
  ASSERT_TRUE(X().Poll(
      [&] {
        boxes = X().FindAll(
            [](const std::string& t) { return Lower(t).find("hueclip") != std::string::npos; });
        std::erase(boxes, main_);
        return !boxes.empty();
      },
      5s))
      << "no message box";
  EXPECT_TRUE(X().Poll([&] { return X().Focused(boxes[0]); }, 3s)) << "the message has no focus";
  M().Key(XK_Return);
  EXPECT_TRUE(X().Poll([&] { return !X().Viewable(boxes[0]); }, 3s)) << "the message stays";
  X().Sleep(1500ms);  // some ticks of the timer, which must not ask again
  EXPECT_TRUE(waitpid(pid_, nullptr, WNOHANG) == 0) << "the program ended";
  EXPECT_TRUE(X().Viewable(main_)) << "the main window is gone";
  EXPECT_FALSE(ShareDialogShown()) << "the permission dialog came again";
  EXPECT_TRUE(Stored().empty()) << "a token stored though sharing was refused";
}

// A token file that holds no token of the portal's (xdg-desktop-portal refuses anything but a
// UUID) stands in nobody's way: the dialog comes, and the token given then replaces it.
TEST_F(Hueclip, AGarbageTokenFileIsReplacedAfterTheDialog) {
  const fs::path state = g_tmp / "garbage";
  fs::remove_all(state);
  fs::create_directories(state / "hueclip");
  std::ofstream(state / "hueclip" / "screen-cast-token") << "garbage\n";
  ASSERT_NO_FATAL_FAILURE(Launch(state, {}, true, true));
  M().MovePointer(150, 90);
  EXPECT_EQ(WaitForBlock(BlockAt(150, 90)), "");
  std::string token;
  std::getline(std::ifstream(state / "hueclip" / "screen-cast-token"), token);
  EXPECT_EQ(token.size(), 36u) << token;  // a UUID
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
         X().Poll([&] { return std::system(freed.c_str()) == 0; }, 3s);
}

// A portal that the session bus starts only on demand, and slowly, is waited for: the program
// reads the native Wayland picture through it rather than only X11 windows.
TEST_F(Hueclip, ASlowPortalIsWaitedFor) {
  KillGroup(pid_);
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
  const fs::path state = g_tmp / "slow-portal";
  fs::remove_all(state);
  ASSERT_NO_FATAL_FAILURE(Launch(state));
  EXPECT_TRUE(fs::exists(started)) << "the bus started the portal in some other way";
  M().MovePointer(60, 420);
  EXPECT_EQ(WaitForBlock(BlockAt(60, 420)), "");
}

// The streams lost while the user keeps sharing: the program shares the screen again by itself
// with its token, without a word, and samples as before. PipeWire and WirePlumber restart as
// a desktop update does; the portal's GNOME backend ends as in a crash (mutter ends its screen
// casts with it, and the bus starts it again when asked).
TEST_F(Hueclip, SamplingGoesOnWhenTheStreamsAreLost) {
  std::string error;
  const std::pair<const char*, std::function<bool()>> losses[] = {
      {"PipeWire restarted", [&] { return g_desktop->RestartPipeWire(&error); }},
      {"backend ended", [&] { return EndOwnerOf("org.freedesktop.impl.portal.desktop.gnome"); }},
  };
  for (const auto& [what, lose] : losses) {
    SCOPED_TRACE(what);
    M().MovePointer(230, 70);
    ASSERT_EQ(WaitForBlock(BlockAt(230, 70)), "");
    ASSERT_TRUE(lose()) << error;
    std::string diff = "never sampled";
    for (int i = 0; i < 40 && !diff.empty(); ++i) {  // the pointer's position comes as it moves
      M().MovePointer(320 + i % 2, 180);
      X().Poll([&] { return (diff = BlockMismatch(Shot(), BlockAt(320 + i % 2, 180))).empty(); },
               300ms);
    }
    EXPECT_EQ(diff, "");
    EXPECT_EQ(X().FindAll([&](const std::string& t) {
                   return Lower(t).find("hueclip") != std::string::npos;
                 })
                  .size(),
              1u)
        << "a message box came up";
    EXPECT_FALSE(ShareDialogShown()) << "the permission dialog came again";
  }
}

// Two monitors side by side (session.sh --monitors 2), one of them shared. mutter marks the
// cursor valid on the stream of every monitor that the cursor's image touches, with a position
// outside that stream's frame: near the seam on the monitor left out, the picker keeps what it
// showed rather than black cells at a made-up position.
class HueclipOnTwoMonitors : public Hueclip {
 protected:
  void SetUp() override { ASSERT_NE(g_desktop, nullptr); }

  // Shares monitor `shared` alone (0: the left one), lets the cells show the pointer at `from`
  // on it, then puts the pointer at `seam`, on the other monitor. A click on a value label
  // moves the pointer: the copies that check C are made before the move to `from` and after F.
  void KeepsWhatItShowed(int shared, std::pair<int, int> from, std::pair<int, int> seam) {
    SCOPED_TRACE("monitor " + std::to_string(shared) + " shared");
    ASSERT_NO_FATAL_FAILURE(
        Launch(g_tmp / ("shared-" + std::to_string(shared)), {}, true, false, shared));
    const auto label = [&] { ClickAt(73, kLabelTop[1] + 8); };
    CopiedBy(label);  // C's four lines are then a change
    M().MovePointer(from.first, from.second);
    const std::string pos =
        "Pos: " + std::to_string(from.first) + ", " + std::to_string(from.second) + "\r\n";
    std::string shown;
    X().Poll([&] { return (shown = CopiedBy([&] { M().Key(XK_c); })).starts_with(pos); }, 5s);
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
TEST(HueclipWithoutThePortal, ReadsTheX11WindowUnderThePointer) {
  const Rect r{40, 300, 120, 100};
  auto colour = [](int x, int y) { return (60 + x) << 16 | (40 + y) << 8 | 0x5A; };
  const Window picture = X().CreatePicture(r, colour);
  const fs::path log = g_tmp / "no-portal.log";
  const pid_t pid = Spawn({"/bin/sh", "-c", std::string(HUECLIP_PROGRAM) + " 2>" + log.string()},
                          {"DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent",
                           "XDG_STATE_HOME=" + (g_tmp / "no-portal").string()});
  const Window main = X().WaitFor("Hueclip", 10s);
  ASSERT_NE(main, 0u);
  X().Move(main, kWindowX, kWindowY);
  X().Poll([&] { return X().ClientRect(main).x == kWindowX; }, 3s);

  const int px = 100, py = 350;
  const std::vector<int> block =
      BlockAround(px, py, [&](int x, int y) { return colour(x - r.x, y - r.y); });
  M().MovePointer(px, py);
  std::string diff;
  X().Poll([&] { return (diff = BlockMismatch(X().GrabWindow(main), block)).empty(); }, 3s);
  EXPECT_EQ(diff, "");
  EXPECT_FALSE(ShareDialogShown()) << "the portal was asked without a session bus";
  KillGroup(pid);
  X().Destroy(picture);
  std::ifstream in(log);
  const std::string said((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(said.find("only X11 windows can be read"), std::string::npos) << said;
}

}  // namespace
}  // namespace acceptance

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::AddGlobalTestEnvironment(new acceptance::WaylandEnvironment);
  return RUN_ALL_TESTS();
}
