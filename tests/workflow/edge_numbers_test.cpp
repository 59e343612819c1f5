// Numbers at the edges of what a cell or a file can hold, through every
// analysis the dispatch can run: the 1.5E38 limit, the neighbours of the
// empty-cell marker, denormals, signed zeros, counts beyond 32 bits. Each
// run must end in a report of finite numbers or in the calculation error
// message, never in a "success" that prints INF or NAN, a P value outside
// [0, 1] or a count that wrapped around.
#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "data/cell_entry.h"
#include "data/data_document.h"
#include "stats/calc_error.h"
#include "stats/column_stats.h"
#include "workflow/analysis_dispatch.h"
#include "workflow/choice_fields.h"

namespace vextal {
namespace {

const long double Limit = LargestCellMagnitude;
const long double BelowMarker = std::nextafter(MissingValue, 0.0L);
const long double AboveMarker = std::nextafter(MissingValue, LDBL_MAX);
const long double Denormal = LDBL_TRUE_MIN;

struct EdgeSet {
    const char* Name;
    std::vector<long double> Values;
};

// Five rows each; column c of a table takes the values rotated by c so the
// columns differ.
const std::vector<EdgeSet>& EdgeSets() {
    static const std::vector<EdgeSet> sets = {
        {"limits", {Limit, -Limit, Limit, 1.0e38L, -Limit}},
        {"marker neighbours", {BelowMarker, AboveMarker, -BelowMarker, 1, 2}},
        {"denormals", {Denormal, 2 * Denormal, -Denormal, 0, 3 * Denormal}},
        {"signed zeros", {-0.0L, 0.0L, -0.0L, 0.0L, -0.0L}},
        {"one huge value", {1, 2, 3, Limit, 4}},
        {"ulp apart", {1, std::nextafter(1.0L, 2.0L), 1, std::nextafter(1.0L, 0.0L), 1}},
        {"wide span", {Denormal, Limit, LDBL_MIN, 1, -Limit}},
    };
    return sets;
}

long double EdgeValue(const EdgeSet& set, int row, int column) {
    return set.Values[static_cast<std::size_t>(row + column) % set.Values.size()];
}

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// True when the text holds "nan" or "inf" (any case) as a word of its own.
bool HoldsNonFiniteText(const std::string& text) {
    for (std::size_t i = 0; i + 3 <= text.size(); ++i) {
        std::string word = text.substr(i, 3);
        for (char& c : word) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if ((word == "nan" || word == "inf") && (i == 0 || !IsLetter(text[i - 1])) &&
            (i + 3 == text.size() || !IsLetter(text[i + 3])))
            return true;
    }
    return false;
}

// The P values of the machine-readable results ("p", "p1", "p_...", "..._p"),
// by key; null values are left out.
std::vector<std::pair<std::string, long double>> PValues(const JsonValue& values) {
    std::vector<std::pair<std::string, long double>> found;
    const std::string json = values.Dump();
    for (std::size_t close = json.find("\": "); close != std::string::npos; close = json.find("\": ", close + 1)) {
        const std::size_t open = json.rfind('"', close - 1);
        const std::string key = json.substr(open + 1, close - open - 1);
        const bool isP = key == "p" || (key.size() == 2 && key[0] == 'p' && std::isdigit(key[1])) ||
                         key.rfind("p_", 0) == 0 ||
                         (key.size() > 2 && key.compare(key.size() - 2, 2, "_p") == 0);
        const char* number = json.c_str() + close + 3;
        if (isP && (*number == '-' || std::isdigit(static_cast<unsigned char>(*number))))
            found.emplace_back(key, std::strtold(number, nullptr));
    }
    return found;
}

// Returns how many P values it checked.
std::size_t ExpectHonestOutcome(const DataDocument& document, const AnalysisOutcome& outcome,
                                const std::string& what) {
    SCOPED_TRACE(what);
    const std::string& report = document.ResultReport;
    EXPECT_FALSE(HoldsNonFiniteText(report)) << report;
    EXPECT_EQ(report.find("-2147483648"), std::string::npos) << "a count wrapped around\n" << report;
    const auto pValues = PValues(outcome.Values);
    for (const auto& [key, p] : pValues)
        EXPECT_TRUE(p >= 0 && p <= 1) << key << " = " << static_cast<double>(p) << "\n" << report;
    EXPECT_GE(outcome.CalcError, 0);
    if (outcome.CalcError > 0) {
        const auto& message = CalcErrorMessage(outcome.CalcError);
        EXPECT_FALSE(message.empty()) << "code " << outcome.CalcError;
        if (!message.empty()) {
            EXPECT_NE(report.find(message.front()), std::string::npos) << report;
        }
    }
    return pValues.size();
}

DataDocument Document(DataFormat format) {
    DataDocument document = NewDocument();
    document.State.Format = format;
    document.State.Goal = GoalFamilyOf(format);
    document.State.ErrorBars = format == DataFormat::MeanSEMN ? ErrorBarKind::SEM : ErrorBarKind::SD;
    return document;
}

void FillColumns(DataDocument& document, const EdgeSet& set, int columns) {
    for (int column = 0; column < columns; ++column) {
        for (int row = 0; row < static_cast<int>(set.Values.size()); ++row)
            SetValue(document.Table, row, column, EdgeValue(set, row, column));
        document.Table.SummaryEntered[column] = false;
    }
}

void Set(DataDocument& document, const std::string& assignment) {
    ASSERT_EQ(ApplyChoiceAssignment(document.State.Choices, assignment), "") << assignment;
}

// P values checked by a test; each test expects some, so the checks cannot
// pass by finding nothing.
std::size_t checkedPValues = 0;

void RunAndCheck(DataDocument document, const std::string& what) {
    const AnalysisOutcome outcome = RunAnalysis(document);
    checkedPValues += ExpectHonestOutcome(document, outcome, what);
}

class EdgeNumbers : public ::testing::Test {
protected:
    void SetUp() override { checkedPValues = 0; }
    void TearDown() override { EXPECT_GT(checkedPValues, 0u) << "no P value was checked"; }
};

// Every test of one, two and three or more columns of raw data.
TEST_F(EdgeNumbers, ColumnAnalysesOfRawData) {
    for (const EdgeSet& set : EdgeSets()) {
        for (int nonParametric = 0; nonParametric <= 1; ++nonParametric) {
            DataDocument one = Document(DataFormat::RawData);
            FillColumns(one, set, 1);
            Set(one, "OneColNonParametric=" + std::to_string(nonParametric));
            RunAndCheck(one, std::string(set.Name) + ", one column, nonparametric " + std::to_string(nonParametric));
            Set(one, "HypotheticalValue=-1.5e38");
            Set(one, "HypotheticalChoice=3");
            RunAndCheck(one, std::string(set.Name) + ", one column against -1.5E38");

            for (int unpaired = 0; unpaired <= 1; ++unpaired)
                for (const char* equalSD : {"T", "F"}) {
                    DataDocument two = Document(DataFormat::RawData);
                    FillColumns(two, set, 2);
                    Set(two, "TwoColNonParametric=" + std::to_string(nonParametric));
                    Set(two, "TwoColUnpaired=" + std::to_string(unpaired));
                    Set(two, std::string("TwoColEqualSD=") + equalSD);
                    RunAndCheck(two, std::string(set.Name) + ", two columns, nonparametric " +
                                         std::to_string(nonParametric) + " unpaired " + std::to_string(unpaired));
                }

            // The nonparametric tests take no post-test method, only the pairs.
            const int lastMethod = nonParametric ? 0 : 4;
            for (int ordinary = 0; ordinary <= 1; ++ordinary)
                for (int method = 0; method <= lastMethod; ++method)
                    for (int pairs = 0; pairs <= 2; ++pairs) {
                        DataDocument three = Document(DataFormat::RawData);
                        FillColumns(three, set, 3);
                        Set(three, "MultiColNonParametric=" + std::to_string(nonParametric));
                        Set(three, "MultiColOrdinary=" + std::to_string(ordinary));
                        Set(three, "PostTestMethod=" + std::to_string(method));
                        Set(three, "PostTestPairs=" + std::to_string(pairs));
                        Set(three, "PostTestCondition=0");
                        RunAndCheck(three, std::string(set.Name) + ", three columns, nonparametric " +
                                               std::to_string(nonParametric) + " ordinary " +
                                               std::to_string(ordinary) + " method " + std::to_string(method) +
                                               " pairs " + std::to_string(pairs));
                    }
        }
    }
}

// Typed means, SDs or SEMs and N as a document file may hold them.
TEST_F(EdgeNumbers, ColumnAnalysesOfAveragedData) {
    for (DataFormat format : {DataFormat::MeanSDN, DataFormat::MeanSEMN})
        for (const EdgeSet& set : EdgeSets())
            for (int n : {5, INT_MAX})
                for (int columns = 1; columns <= 3; ++columns)
                    for (int method = 1; method <= (columns == 3 ? 2 : 1); ++method) {
                        DataDocument document = Document(format);
                        for (int column = 0; column < columns; ++column) {
                            ColumnInfo& info = document.Table.ColumnInfo[column];
                            info.Mean = EdgeValue(set, 0, column);
                            (format == DataFormat::MeanSDN ? info.SD : info.SEM) =
                                std::fabs(EdgeValue(set, 1, column));
                            info.N = n;
                            ComputeSummaryFromEntered(document.Table, -1, info);
                        }
                        Set(document, "TwoColUnpaired=1");
                        Set(document, "PostTestMethod=" + std::to_string(method));
                        Set(document, "PostTestCondition=0");
                        RunAndCheck(document, std::string(set.Name) + ", averaged, N " + std::to_string(n) +
                                                  ", columns " + std::to_string(columns));
                    }
}

TEST_F(EdgeNumbers, RegressionAndCorrelation) {
    for (const EdgeSet& set : EdgeSets())
        for (const char* fit : {"FitRegression=1", "FitRegression=0"})
            for (int kind = 0; kind <= 2; ++kind)
                for (const char* force : {"ForceThroughPoint=0", "ForceThroughPoint=1"}) {
                    DataDocument xy = Document(DataFormat::XYData);
                    FillColumns(xy, set, 3);
                    SetValue(xy.Table, 5, 1, 2.5L);  // a standard to interpolate
                    Set(xy, fit);
                    Set(xy, "CorrelationKind=" + std::to_string(kind));
                    Set(xy, "RunsTest=1");
                    Set(xy, force);
                    Set(xy, "ForceY=1.5e38");
                    RunAndCheck(xy, std::string(set.Name) + ", " + fit + ", kind " + std::to_string(kind) + ", " + force);
                }

    for (const EdgeSet& set : EdgeSets())
        for (const char* multiple : {"MultipleRegression=1", "MultipleRegression=0"}) {
            DataDocument mr = Document(DataFormat::MultRegData);
            FillColumns(mr, set, 3);
            for (int row = 5; row < 9; ++row)
                for (int column = 0; column < 3; ++column) SetValue(mr.Table, row, column, row * (column + 1) % 7);
            Set(mr, multiple);
            RunAndCheck(mr, std::string(set.Name) + ", " + multiple);
        }
}

TEST_F(EdgeNumbers, ContingencyTables) {
    const std::vector<long double> counts = {0,       -0.0L,      7,     2147483647.0L, 2147483648.0L,
                                             1.0e10L, Denormal,   Limit, BelowMarker,   2.5L};
    for (std::size_t a = 0; a < counts.size(); ++a)
        for (std::size_t b = 0; b < counts.size(); b += 3)
            for (const char* test : {"UseChiSquare=0", "UseChiSquare=1"})
                for (const char* sensitivity : {"Sensitivity=0", "Sensitivity=1"}) {
                    DataDocument table = Document(DataFormat::TwoByTwo);
                    table.TwoByTwo.A = counts[a];
                    table.TwoByTwo.B = counts[b];
                    table.TwoByTwo.C = 3;
                    table.TwoByTwo.D = counts[(a + b) % counts.size()];
                    Set(table, test);
                    Set(table, sensitivity);
                    Set(table, "OddsRatio=1");
                    RunAndCheck(table, "two by two " + std::to_string(a) + "," + std::to_string(b) + ", " + test);
                }

    for (const EdgeSet& set : EdgeSets()) {
        DataDocument larger = Document(DataFormat::LargerTable);
        FillColumns(larger, set, 3);
        RunAndCheck(larger, std::string(set.Name) + ", larger table");
    }
}

}  // namespace
}  // namespace vextal
