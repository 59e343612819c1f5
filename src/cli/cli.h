// The command-line front end: commands over document files, without windows.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace vextal {

/// Exit codes of vextal-cli.
inline constexpr int CliSuccess = 0;
inline constexpr int CliFailure = 1;     // the command ran but failed (a save error)
inline constexpr int CliBadInput = 2;    // bad arguments, or a file that cannot be read

/// Runs vextal-cli with `args` (without the program name), writing results to
/// `out` and messages to `err`; returns the exit code.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace vextal
