#include "cli/cli.h"

#include <ctime>
#include <iomanip>
#include <optional>
#include <sstream>

#include "cli/column_stats_output.h"
#include "report/json_value.h"
#include "workflow/analysis_dispatch.h"
#include "workflow/choice_fields.h"
#include "data/document_file.h"
#include "data/number_settings.h"
#include "stats/column_stats.h"

namespace vextal {

namespace {

constexpr const char* Version = "3.06";

constexpr const char* Usage =
    "Usage: vextal-cli COMMAND [ARGUMENTS]\n"
    "\n"
    "Runs Vextal analyses on data files (*.VXD) without a window.\n"
    "\n"
    "Commands:\n"
    "  stats FILE [--json]       column statistics of every column that holds data\n"
    "  convert IN -o OUT         read a data file and write it again\n"
    "  report FILE [OPTIONS]     run the document's analysis and print its report\n"
    "      --json                one JSON object: format, analysis, calc_error,\n"
    "                            help_topic, report (lines) and values\n"
    "      --markers             keep the style bytes (128 bold, 129 underline,\n"
    "                            130 italic) in the text report\n"
    "      --set FIELD=VALUE     override an analysis choice (repeatable), e.g.\n"
    "                            --set PostTestMethod=2 --set SelectedPairs=1101\n"
    "      --time 'YYYY-MM-DD HH:MM:SS'  the date and time reports show\n"
    "\n"
    "Options:\n"
    "  --help                    show this text and exit\n"
    "  --version                 show the version number and exit\n"
    "\n"
    "Exit codes: 0 success, 1 the output could not be written, 2 bad arguments or\n"
    "a file that cannot be read.\n";

int BadArguments(std::ostream& err, const std::string& problem) {
    err << "vextal-cli: " << problem << "\n\n" << Usage;
    return CliBadInput;
}

MessageSink ErrorStream(std::ostream& err) {
    return [&err](const std::string&, const std::string& text) { err << text << "\n"; };
}

// Checks and reads a document file; false (with the program's message on
// err) when it is missing, unreadable, too new or no data file.
bool OpenForCli(DataDocument& document, const std::string& fileName, std::ostream& err) {
    document = NewDocument();
    const LoadResult result = OpenDocumentFile(document, fileName, SystemNumberSettings(), ErrorStream(err));
    return result.Loaded;
}

int StatsCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::string fileName;
    bool json = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--json")
            json = true;
        else if (fileName.empty() && (args[i].empty() || args[i][0] != '-'))
            fileName = args[i];
        else
            return BadArguments(err, "stats: unexpected argument '" + args[i] + "'");
    }
    if (fileName.empty()) return BadArguments(err, "stats: no data file given");
    DataDocument document;
    if (!OpenForCli(document, fileName, err)) return CliBadInput;
    ComputeColumnStats(document);
    out << (json ? ColumnStatsJson(document.Table) : ColumnStatsText(document.Table));
    return CliSuccess;
}

int ConvertCommand(const std::vector<std::string>& args, std::ostream& err) {
    std::string input, output;
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "-o" && i + 1 < args.size() && output.empty())
            output = args[++i];
        else if (input.empty() && (args[i].empty() || args[i][0] != '-'))
            input = args[i];
        else
            return BadArguments(err, "convert: unexpected argument '" + args[i] + "'");
    }
    if (input.empty() || output.empty()) return BadArguments(err, "convert: give IN and -o OUT");
    DataDocument document;
    if (!OpenForCli(document, input, err)) return CliBadInput;
    ComputeColumnStats(document);  // raw columns were marked for recomputation on reading
    if (SaveDocument(document, output, ErrorStream(err)) != 0) return CliFailure;
    return CliSuccess;
}

bool ParseTime(const std::string& text, std::tm& time) {
    std::istringstream in(text);
    in >> std::get_time(&time, "%Y-%m-%d %H:%M:%S");
    return !in.fail();
}

int ReportCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::string fileName;
    bool json = false, markers = false;
    std::vector<std::string> assignments;
    std::optional<std::tm> fixedTime;
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--json") {
            json = true;
        } else if (args[i] == "--markers") {
            markers = true;
        } else if (args[i] == "--set" && i + 1 < args.size()) {
            assignments.push_back(args[++i]);
        } else if (args[i].rfind("--set=", 0) == 0) {
            assignments.push_back(args[i].substr(6));
        } else if (args[i] == "--time" && i + 1 < args.size()) {
            std::tm time{};
            if (!ParseTime(args[++i], time)) return BadArguments(err, "report: --time expects 'YYYY-MM-DD HH:MM:SS'");
            fixedTime = time;
        } else if (fileName.empty() && (args[i].empty() || args[i][0] != '-')) {
            fileName = args[i];
        } else {
            return BadArguments(err, "report: unexpected argument '" + args[i] + "'");
        }
    }
    if (fileName.empty()) return BadArguments(err, "report: no data file given");
    DataDocument document;
    if (!OpenForCli(document, fileName, err)) return CliBadInput;
    for (const std::string& assignment : assignments) {
        const std::string problem = ApplyChoiceAssignment(document.State.Choices, assignment);
        if (!problem.empty()) return BadArguments(err, "report: " + problem);
    }
    AnalysisEnvironment environment;
    if (fixedTime) environment.Clock = [time = *fixedTime] { return time; };
    const AnalysisOutcome outcome = RunAnalysis(document, environment);
    if (!json) {
        if (markers) {
            out << document.ResultReport;
        } else {
            for (const std::string& line : PlainReportLines(document.ResultReport)) out << line << "\n";
        }
        return CliSuccess;
    }
    JsonValue lines = JsonValue::Array();
    for (const std::string& line : PlainReportLines(document.ResultReport)) lines.Push(JsonValue::String(line));
    JsonValue result = JsonValue::Object();
    result.Set("format", JsonValue::Integer(static_cast<int>(document.State.Format)));
    result.Set("analysis", JsonValue::String(outcome.Title));
    result.Set("calc_error", JsonValue::Integer(outcome.CalcError));
    result.Set("help_topic", JsonValue::Integer(document.ReportHelpTopic));
    result.Set("report", lines);
    result.Set("values", outcome.Values);
    out << result.Dump(2) << "\n";
    return CliSuccess;
}

}  // namespace

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.empty() || args[0] == "--help" || args[0] == "-h") {
        out << Usage;
        return CliSuccess;
    }
    if (args[0] == "--version") {
        out << "vextal-cli " << Version << "\n";
        return CliSuccess;
    }
    if (args[0] == "stats") return StatsCommand(args, out, err);
    if (args[0] == "convert") return ConvertCommand(args, err);
    if (args[0] == "report") return ReportCommand(args, out, err);
    return BadArguments(err, "unknown command '" + args[0] + "'");
}

}  // namespace vextal
