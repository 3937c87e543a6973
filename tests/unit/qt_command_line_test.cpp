#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/qt/command_line.h"

namespace hueclip::qt {
namespace {

using Action = CommandLine::Action;

// --help, --version and an unknown option without a display are checked end to end by the
// acceptance suite; which of Qt's options take the next argument with them is not.
TEST(QtCommandLine, QtsOptionsAndTheirValuesAreLeftToQt) {
  const struct {
    std::vector<const char*> args;
    Action action;
    std::string refusal;
  } cases[] = {
      {{}, Action::kRun, ""},
      {{"-display", ":1", "--platform", "xcb", "-reverse", "-style=fusion"}, Action::kRun, ""},
      {{"-qwindowtitle", "--version"}, Action::kRun, ""},  // a value, not an option
      {{"-display", ":1", "--version", "--bogus"}, Action::kVersion, ""},
      {{"--sync", "--help"}, Action::kRefuse, "hueclip: unknown option '--sync'"},
      {{"-display=:1"}, Action::kRefuse, "hueclip: unknown option '-display=:1'"},
      {{"-platform"}, Action::kRefuse, "hueclip: option '-platform' needs a value"},
      {{"-reverse", "picture.png"}, Action::kRefuse, "hueclip: unexpected argument 'picture.png'"},
  };
  for (const auto& c : cases) {
    std::vector<const char*> argv{"hueclip"};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    const CommandLine line = ReadCommandLine(static_cast<int>(argv.size()), argv.data());
    SCOPED_TRACE(c.args.empty() ? "(none)" : c.args[0]);
    EXPECT_EQ(line.action, c.action);
    EXPECT_EQ(line.refusal.substr(0, line.refusal.find(';')), c.refusal);
  }
}

}  // namespace
}  // namespace hueclip::qt
