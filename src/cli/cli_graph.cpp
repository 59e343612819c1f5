#include "cli/cli_graph.h"

#include <cstdlib>
#include <optional>

#include "cli/cli.h"
#include "graphs/analysis_graph.h"
#include "workflow/choice_fields.h"

#ifdef VEXTAL_CLI_GRAPH
#include <QApplication>
#include <QString>

#include <clocale>
#include <cstdio>

#include "gui/graph_export.h"
#endif

namespace vextal {

namespace {

constexpr const char* GraphUsage =
    "Usage: vextal-cli graph FILE -o OUT.svg|OUT.png|OUT.pdf [OPTIONS]\n"
    "  --set FIELD=VALUE     override an analysis choice (repeatable); MRGraphX and\n"
    "                        MRGraphY also take * for the residuals\n"
    "  --error-bars sd|sem   whiskers of the column graph (default sd)\n"
    "  --by columns|rows     bars of the contingency graphs (default columns)\n"
    "  --size WxH            picture size in pixels (default 800x600)\n"
    "  --format F            data format of a text FILE (as for report)\n";

int Bad(std::ostream& err, const std::string& problem) {
    err << "vextal-cli: graph: " << problem << "\n\n" << GraphUsage;
    return CliBadInput;
}

bool ParseSize(const std::string& text, int& width, int& height) {
    const auto x = text.find('x');
    if (x == std::string::npos) return false;
    char* end = nullptr;
    const long w = std::strtol(text.c_str(), &end, 10);
    if (end != text.c_str() + x) return false;
    const long h = std::strtol(text.c_str() + x + 1, &end, 10);
    if (*end != '\0' || w < 100 || h < 100 || w > 10000 || h > 10000) return false;
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    return true;
}

#ifdef VEXTAL_CLI_GRAPH
std::string ApplyGraphAssignment(AnalysisChoices& choices, const std::string& assignment) {
    // The residuals are a graph variable of their own, not a column letter.
    for (auto [field, member] : {std::pair{"MRGraphX=", &AnalysisChoices::MRGraphX},
                                 std::pair{"MRGraphY=", &AnalysisChoices::MRGraphY}})
        if (assignment.rfind(field, 0) == 0 && assignment.substr(9) == ResidualsKey) {
            choices.*member = assignment.substr(9);
            return {};
        }
    return ApplyChoiceAssignment(choices, assignment);
}

// The charts need a widget application; without a display it runs on the
// offscreen platform. It lives until the process ends.
bool EnsureApplication(std::ostream& err) {
    if (QCoreApplication::instance()) {
        if (qobject_cast<QApplication*>(QCoreApplication::instance())) return true;
        err << "vextal-cli: graph: needs a widget application\n";
        return false;
    }
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // Qt's notes about the session (runtime folder, fonts) are no concern of
    // a command-line run; its errors still reach stderr.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type == QtCriticalMsg || type == QtFatalMsg) fprintf(stderr, "%s\n", qPrintable(message));
    });
    static int argc = 1;
    static char name[] = "vextal-cli";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
    std::setlocale(LC_NUMERIC, "C");  // the application takes the user's locale
    return true;
}
#endif

}  // namespace

int GraphCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::string input, output;
    std::vector<std::string> assignments;
    std::optional<ErrorBarKind> errorBars;
    std::optional<bool> byColumns;
    std::optional<DataFormat> format;
    int width = 800, height = 600;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "--help" || arg == "-h") {
            out << GraphUsage;
            return CliSuccess;
        } else if (arg == "-o" && hasValue && output.empty()) {
            output = args[++i];
        } else if (arg == "--set" && hasValue) {
            assignments.push_back(args[++i]);
        } else if (arg.rfind("--set=", 0) == 0) {
            assignments.push_back(arg.substr(6));
        } else if (arg == "--error-bars" && hasValue) {
            const std::string& kind = args[++i];
            if (kind != "sd" && kind != "sem") return Bad(err, "--error-bars takes sd or sem");
            errorBars = kind == "sd" ? ErrorBarKind::SD : ErrorBarKind::SEM;
        } else if (arg == "--by" && hasValue) {
            const std::string& by = args[++i];
            if (by != "columns" && by != "rows") return Bad(err, "--by takes columns or rows");
            byColumns = by == "columns";
        } else if (arg == "--size" && hasValue) {
            if (!ParseSize(args[++i], width, height)) return Bad(err, "--size takes WxH, each 100 to 10000");
        } else if (arg == "--format" && hasValue) {
            format = ParseCliFormat(args[++i]);
            if (!format) return Bad(err, "unknown --format '" + args[i] + "'");
        } else if (input.empty() && !arg.empty() && arg[0] != '-') {
            input = arg;
        } else {
            return Bad(err, "unexpected argument '" + arg + "'");
        }
    }
    if (input.empty() || output.empty()) return Bad(err, "give FILE and -o OUT");

#ifndef VEXTAL_CLI_GRAPH
    (void)width;
    (void)height;
    err << "vextal-cli: graph: not available in this build (built without Qt)\n";
    return CliFailure;
#else
    if (GraphFileKindOf(QString::fromStdString(output)) == GraphFileKind::Unknown)
        return Bad(err, "OUT must end in .svg, .png or .pdf");
    DataDocument document;
    if (!LoadDocumentForCli(document, input, format, err)) return CliBadInput;
    for (const std::string& assignment : assignments) {
        const std::string problem = ApplyGraphAssignment(document.State.Choices, assignment);
        if (!problem.empty()) return Bad(err, problem);
    }
    if (errorBars) document.State.ErrorBars = *errorBars;
    if (byColumns) document.State.GraphByColumns = *byColumns;
    const GraphModel model = BuildGraph(document);
    if (!model.ChartVisible || !model.HasSeries()) err << "vextal-cli: graph: the document has nothing to plot\n";
    if (!EnsureApplication(err)) return CliFailure;
    QString problem;
    if (!SaveGraph(model, QString::fromStdString(output), QSize(width, height), &problem)) {
        err << "vextal-cli: graph: " << output << ": " << problem.toStdString() << "\n";
        return CliFailure;
    }
    return CliSuccess;
#endif
}

}  // namespace vextal
