#include "platform/qt/command_line.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <string_view>

#include "resources/product.h"

namespace hueclip::qt {
namespace {

// Qt 6's own options, as its application, xcb and widget code take them.
constexpr std::string_view kQtWithValue[] = {"display",       "platform",     "platformpluginpath",
                                             "platformtheme", "plugin",       "qwindowgeometry",
                                             "geometry",      "qwindowtitle", "title",
                                             "qwindowicon",   "icon",         "session",
                                             "style",         "stylesheet",   "name",
                                             "visual"};
constexpr std::string_view kQtFlags[] = {"reverse", "widgetcount", "nograb", "dograb",
                                         "testability"};
constexpr std::string_view kQtWithEquals[] = {"style=", "stylesheet=", "qmljsdebugger="};

bool In(std::string_view name, const auto& names) {
  return std::find(std::begin(names), std::end(names), name) != std::end(names);
}

bool StartsWithOneOf(std::string_view name, const auto& prefixes) {
  return std::any_of(std::begin(prefixes), std::end(prefixes),
                     [&](std::string_view prefix) { return name.starts_with(prefix); });
}

CommandLine Refuse(std::string line) {
  return {CommandLine::Action::kRefuse, "hueclip: " + line + "; see hueclip --help"};
}

constexpr char kVersion[] = HUECLIP_NAME " " HUECLIP_VERSION_TEXT "\n";

constexpr char kHelp[] =
    "Usage: hueclip [-display DISPLAY] [-platform NAME] [QT-OPTION]...\n"
    "       hueclip --help | --version\n"
    "\n"
    "Shows the 5 x 5 screen pixels around the mouse pointer, enlarged, with the selected\n"
    "pixel's position and colour as Pos, Hex, RGB and Long.\n"
    "\n"
    "Keys and clicks in the window:\n"
    "  W, A, S, D       move the selection up, left, down, right\n"
    "  F                freeze the block, or resume sampling\n"
    "  C                copy all four readouts to the clipboard\n"
    "  click a readout  copy that readout alone\n"
    "\n"
    "Options:\n"
    "  --help              show this help and exit\n"
    "  --version           show the version and exit\n"
    "  -display DISPLAY    the X display to read and to show the window on\n"
    "  -platform NAME      the Qt platform to show the window with (xcb, wayland);\n"
    "                      X11 stands behind it\n"
    "  Qt's other options (-reverse, -style and so on) are taken as Qt takes them.\n"
    "\n"
    "Environment:\n"
    "  DISPLAY             the X display, as -display; Hueclip needs X11 or XWayland\n"
#if HUECLIP_PORTAL
    "  WAYLAND_DISPLAY     on a Wayland desktop, the screen is read through the desktop's\n"
    "                      screen sharing\n"
#else
    "  WAYLAND_DISPLAY     on a Wayland desktop, only X11 windows can be read\n"
#endif
    "  QT_QPA_PLATFORM     the Qt platform, as -platform\n"
#if HUECLIP_PORTAL
    "  XDG_STATE_HOME      where the screen-sharing permission is kept (~/.local/state)\n"
#endif
    "  QT_LOGGING_RULES    \"hueclip.*=true\" writes Hueclip's diagnostics to standard error\n"
#if HUECLIP_PORTAL
    "\n"
    "Files:\n"
    "  $XDG_STATE_HOME/hueclip/screen-cast-token\n"
    "                      the desktop's permission to share the screen, the one file\n"
    "                      Hueclip writes (Wayland only); delete it to be asked again\n"
#endif
    "\n"
    "More in man hueclip; " HUECLIP_MAKER_URL "\n";

}  // namespace

CommandLine ReadCommandLine(int argc, const char* const* argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h") return {CommandLine::Action::kHelp, {}};
    if (arg == "--version") return {CommandLine::Action::kVersion, {}};
    if (arg.size() < 2 || arg[0] != '-')
      return Refuse("unexpected argument '" + std::string(arg) + "'");
    const std::string_view name = arg.substr(arg.starts_with("--") ? 2 : 1);
    if (In(name, kQtFlags) || StartsWithOneOf(name, kQtWithEquals)) continue;
    if (!In(name, kQtWithValue)) return Refuse("unknown option '" + std::string(arg) + "'");
    if (++i == argc) return Refuse("option '" + std::string(arg) + "' needs a value");
  }
  return {};
}

std::optional<int> AnswerCommandLine(int argc, const char* const* argv) {
  const CommandLine line = ReadCommandLine(argc, argv);
  switch (line.action) {
    case CommandLine::Action::kRun:
      return std::nullopt;
    case CommandLine::Action::kHelp:
    case CommandLine::Action::kVersion:
      // Output that could not be written is a failure, as with any other command.
      std::fputs(line.action == CommandLine::Action::kHelp ? kHelp : kVersion, stdout);
      return std::fflush(stdout) == 0 ? 0 : 1;
    case CommandLine::Action::kRefuse:
      std::fprintf(stderr, "%s\n", line.refusal.c_str());
      return 2;
  }
  return std::nullopt;
}

}  // namespace hueclip::qt
