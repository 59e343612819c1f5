// The command-line front end: commands over document files, without windows.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "data/data_document.h"

namespace vextal {

/// Exit codes of vextal-cli.
inline constexpr int CliSuccess = 0;
inline constexpr int CliFailure = 1;     // the command ran but failed (a save error)
inline constexpr int CliBadInput = 2;    // bad arguments, or a file that cannot be read

/// Runs vextal-cli with `args` (without the program name), writing results to
/// `out` and messages to `err`; returns the exit code.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

/// The data format named by a --format value: raw, sd, sem, larger, 2x2, xy
/// or multreg; nothing for any other text.
std::optional<DataFormat> ParseCliFormat(const std::string& text);

/// Reads the data file of a command into `document`: a *.VXD file as a
/// document (refused with a `format`), any other file as text with its
/// titles in the header line, into a new document of `format` (raw data
/// when none is given). Messages go to `err`; false when nothing was read.
bool LoadDocumentForCli(DataDocument& document, const std::string& fileName, std::optional<DataFormat> format,
                        std::ostream& err);

}  // namespace vextal
