#pragma once

#include <optional>
#include <string>

namespace hueclip::qt {

// The command line, read before Qt starts, so that --help, --version and a mistyped option are
// answered without a display. Hueclip has no options of its own beyond those two; Qt's own
// (-display, -platform, -reverse and the others Qt 6 takes, with one dash or two) are left to
// Qt, their values with them.
struct CommandLine {
  enum class Action { kRun, kHelp, kVersion, kRefuse };
  Action action = Action::kRun;
  std::string refusal;  // for kRefuse: one line that names the argument
};

CommandLine ReadCommandLine(int argc, const char* const* argv);

// Answers the command line on standard output (help, version) or standard error (a refusal):
// the exit status, or nothing when the program is to run.
std::optional<int> AnswerCommandLine(int argc, const char* const* argv);

}  // namespace hueclip::qt
