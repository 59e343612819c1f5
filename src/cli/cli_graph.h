// vextal-cli graph: draws a document's graph into an SVG, PNG or PDF file.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace vextal {

/// Runs `graph FILE -o OUT [options]` (args[0] is "graph"); returns the exit
/// code. Without Qt in the build it says so and returns CliFailure.
int GraphCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace vextal
