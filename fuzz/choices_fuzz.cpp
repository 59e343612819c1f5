// The --set assignments of the command line: each line of the input is one
// "Field=Value". Whatever was accepted must be a valid choices record that
// a document saves and reads back unchanged, and the analysis of a small
// document with those choices must end in a report or a message.
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>

#include "fuzz_support.h"
#include "report/report_writer.h"
#include "stats/calc_error.h"
#include "workflow/analysis_dispatch.h"
#include "workflow/choice_fields.h"

using namespace vextal;
using namespace vextal::fuzz;

namespace {

constexpr DataFormat Formats[] = {DataFormat::RawData, DataFormat::MeanSDN, DataFormat::MeanSEMN,
                                  DataFormat::LargerTable, DataFormat::TwoByTwo, DataFormat::XYData,
                                  DataFormat::MultRegData};

// Small, varied data for each format: three columns with ties, a 2x2 table.
DataDocument SmallDocument(DataFormat format) {
    DataDocument document = NewDocument();
    document.State.Format = format;
    document.State.Goal = GoalFamilyOf(format);
    const long double values[3][5] = {{1, 2, 2, 4, 7}, {3, 3, 5, 6, 9.5L}, {0.5L, 8, 1, 2, 2}};
    if (format == DataFormat::TwoByTwo) {
        document.TwoByTwo.A = 12;
        document.TwoByTwo.B = 5;
        document.TwoByTwo.C = 3;
        document.TwoByTwo.D = 9;
    } else if (format == DataFormat::MeanSDN || format == DataFormat::MeanSEMN) {
        for (int column = 0; column < 3; ++column) {
            document.Table.ColumnInfo[column].Mean = values[column][1];
            document.Table.ColumnInfo[column].SD = values[column][0];
            document.Table.ColumnInfo[column].SEM = values[column][0] / 2;
            document.Table.ColumnInfo[column].N = 5;
            document.Table.SummaryEntered[column] = true;
            document.Table.ColumnSelected[column] = true;
        }
    } else {
        for (int column = 0; column < 3; ++column) {
            for (int row = 0; row < 5; ++row) SetValue(document.Table, row, column, values[column][row]);
            document.Table.SummaryEntered[column] = false;
            document.Table.ColumnSelected[column] = true;
        }
    }
    return document;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    AnalysisChoices choices;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = text.substr(start, end - start);
        const AnalysisChoices before = choices;
        const std::string problem = ApplyChoiceAssignment(choices, line);
        if (!problem.empty()) Require(choices == before, "a refused assignment changes nothing", problem);
        start = end + 1;
    }

    // The choices saved in a document of one format (picked by the last
    // byte) read back unchanged; with the byte odd, that document is also
    // analysed with them.
    const std::uint8_t last = size > 0 ? data[size - 1] : 0;
    DataDocument document = SmallDocument(Formats[last / 2 % 7]);
    document.State.Choices = choices;
    RequireSoundDocument(document);
    RequireFileRoundTrip(document, NumberSettings{});

    if (last & 1) {
        AnalysisEnvironment environment;
        environment.Clock = [] {
            std::tm fixed{};
            fixed.tm_year = 124;
            fixed.tm_mday = 1;
            return fixed;
        };
        const AnalysisOutcome outcome = RunAnalysis(document, environment);
        Require(outcome.CalcError >= 0, "calculation code");
        if (outcome.CalcError > 0) {
            const auto& message = CalcErrorMessage(outcome.CalcError);
            Require(!message.empty() && document.ResultReport.find(message.front()) != std::string::npos,
                    "a failed calculation shows its message", document.ResultReport);
        }
        Require(!HoldsNonFiniteText(document.ResultReport), "no non-finite text in a report",
                document.ResultReport);
    }
    return 0;
}
