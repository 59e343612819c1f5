// Calculation error codes and the messages that replace a failed report.
#pragma once

#include <functional>
#include <string_view>
#include <vector>

namespace vextal {

class ReportWriter;

/// The message lines of a code, one write_line each; empty for a code
/// without a message (and for 0 or less).
const std::vector<std::string_view>& CalcErrorMessage(int code);

/// Replaces everything written so far by the code's message. Does nothing for
/// a code of 0 or less.
void report_calc_error(ReportWriter& report, int code);

/// The frame of every analysis entry point: sets calcError to 0, runs the data
/// checks (which return a code, 0 when the data are fine), then the
/// calculation inside the fault guard, and finally replaces the report by the
/// message of the code, if any. Returns the code.
int RunAnalysisFrame(ReportWriter& report, int& calcError, const std::function<int()>& checks,
                     const std::function<void()>& calculation, bool reportUnderflow = false);

}  // namespace vextal
