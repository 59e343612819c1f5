// Report text of the t tests, written from their computed results.
#pragma once

namespace vextal {

class ReportWriter;
struct NormalityCheck;
struct OneSampleTTestResult;
struct UnpairedTTestResult;
struct PairedTTestResult;

/// The Kolmogorov-Smirnov lines of one set of values, without a final line
/// break.
void WriteNormalityBlock(ReportWriter& report, const NormalityCheck& normality);

/// Whole reports of results whose Code is 0, ending with the closing line.
void WriteOneSampleTTestReport(ReportWriter& report, const OneSampleTTestResult& result);
void WriteUnpairedTTestReport(ReportWriter& report, const UnpairedTTestResult& result);
void WritePairedTTestReport(ReportWriter& report, const PairedTTestResult& result);

}  // namespace vextal
