#include "cli/cli.h"

#include <ctime>
#include <iomanip>
#include <optional>
#include <sstream>

#include "cli/cli_graph.h"
#include "cli/column_stats_output.h"
#include "report/json_value.h"
#include "workflow/analysis_dispatch.h"
#include "workflow/choice_fields.h"
#include "data/document_file.h"
#include "data/number_settings.h"
#include "data/text_import.h"
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
    "  import TEXT -o OUT [--format F]  read a text file (CSV, TAB-separated or\n"
    "                            fixed-width) and save it as a data file\n"
    "  report FILE [OPTIONS]     run the document's analysis and print its report\n"
    "      --json                one JSON object: format, analysis, calc_error,\n"
    "                            help_topic, report (lines) and values\n"
    "      --markers             keep the style bytes (128 bold, 129 underline,\n"
    "                            130 italic) in the text report\n"
    "      --set FIELD=VALUE     override an analysis choice (repeatable), e.g.\n"
    "                            --set PostTestMethod=2 --set SelectedPairs=1101\n"
    "      --time 'YYYY-MM-DD HH:MM:SS'  the date and time reports show\n"
    "  graph FILE -o OUT [OPTIONS]  draw the document's graph as OUT.svg, OUT.png\n"
    "                            or OUT.pdf; takes --set, --error-bars sd|sem,\n"
    "                            --by columns|rows, --size WxH (see graph --help)\n"
    "\n"
    "A FILE that is not a *.VXD file is read as text: titles from the header\n"
    "line, one column per field. stats, report and import take --format F with F\n"
    "one of raw (default), sd, sem, larger, 2x2, xy, multreg; sd and sem read the\n"
    "first three rows as mean, SD (or SEM) and N, 2x2 reads A B / C D.\n"
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

bool IsDocumentFileName(const std::string& fileName) {
    const auto dot = fileName.find_last_of("./");
    if (dot == std::string::npos || fileName[dot] != '.') return false;
    std::string extension = fileName.substr(dot + 1);
    for (char& c : extension) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    return extension == "VXD";
}

// "--format F" or "--format=F" at args[i]: true when taken (i moves past
// the value); `problem` is set when the value names no format.
bool TakeFormatOption(const std::vector<std::string>& args, std::size_t& i, std::optional<DataFormat>& format,
                      std::string& problem) {
    std::string value;
    if (args[i] == "--format" && i + 1 < args.size())
        value = args[++i];
    else if (args[i].rfind("--format=", 0) == 0)
        value = args[i].substr(9);
    else
        return false;
    format = ParseCliFormat(value);
    if (!format) problem = "unknown format '" + value + "' (raw, sd, sem, larger, 2x2, xy or multreg)";
    return true;
}

int StatsCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::string fileName;
    bool json = false;
    std::optional<DataFormat> format;
    std::string problem;
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--json")
            json = true;
        else if (TakeFormatOption(args, i, format, problem)) {
            if (!problem.empty()) return BadArguments(err, "stats: " + problem);
        } else if (fileName.empty() && (args[i].empty() || args[i][0] != '-'))
            fileName = args[i];
        else
            return BadArguments(err, "stats: unexpected argument '" + args[i] + "'");
    }
    if (fileName.empty()) return BadArguments(err, "stats: no data file given");
    DataDocument document;
    if (!LoadDocumentForCli(document, fileName, format, err)) return CliBadInput;
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

int ImportCommand(const std::vector<std::string>& args, std::ostream& err) {
    std::string input, output;
    std::optional<DataFormat> format;
    std::string problem;
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "-o" && i + 1 < args.size() && output.empty()) {
            output = args[++i];
        } else if (TakeFormatOption(args, i, format, problem)) {
            if (!problem.empty()) return BadArguments(err, "import: " + problem);
        } else if (input.empty() && (args[i].empty() || args[i][0] != '-')) {
            input = args[i];
        } else {
            return BadArguments(err, "import: unexpected argument '" + args[i] + "'");
        }
    }
    if (input.empty() || output.empty()) return BadArguments(err, "import: give TEXT and -o OUT");
    DataDocument document;
    // The input is text whatever its name says.
    if (!ImportTextDocument(document, input, format.value_or(DataFormat::RawData), SystemNumberSettings(),
                            ErrorStream(err)))
        return CliBadInput;
    ComputeColumnStats(document);
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
    std::optional<DataFormat> format;
    std::string problem;
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--json") {
            json = true;
        } else if (TakeFormatOption(args, i, format, problem)) {
            if (!problem.empty()) return BadArguments(err, "report: " + problem);
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
    if (!LoadDocumentForCli(document, fileName, format, err)) return CliBadInput;
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

std::optional<DataFormat> ParseCliFormat(const std::string& text) {
    static const std::pair<const char*, DataFormat> names[] = {
        {"raw", DataFormat::RawData},     {"sd", DataFormat::MeanSDN},    {"sem", DataFormat::MeanSEMN},
        {"larger", DataFormat::LargerTable}, {"2x2", DataFormat::TwoByTwo}, {"xy", DataFormat::XYData},
        {"multreg", DataFormat::MultRegData}};
    for (const auto& [name, format] : names)
        if (text == name) return format;
    return std::nullopt;
}

bool LoadDocumentForCli(DataDocument& document, const std::string& fileName, std::optional<DataFormat> format,
                        std::ostream& err) {
    if (!IsDocumentFileName(fileName))
        return ImportTextDocument(document, fileName, format.value_or(DataFormat::RawData), SystemNumberSettings(),
                                  ErrorStream(err));
    if (format) {
        err << "vextal-cli: --format applies to text files; " << fileName << " is a data file\n";
        return false;
    }
    return OpenForCli(document, fileName, err);
}

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
    if (args[0] == "import") return ImportCommand(args, err);
    if (args[0] == "report") return ReportCommand(args, out, err);
    if (args[0] == "graph") return GraphCommand(args, out, err);
    return BadArguments(err, "unknown command '" + args[0] + "'");
}

}  // namespace vextal
