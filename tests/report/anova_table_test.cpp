#include "report/anova_table.h"

#include <gtest/gtest.h>

#include "table_text.h"

using namespace vextal;

namespace {

std::string Table(AnovaVariant variant, const std::vector<AnovaRow>& rows) {
    ReportWriter report;
    WriteAnovaTable(report, variant, rows);
    return report.Text();
}

}  // namespace

TEST(AnovaTable, OneWayWithoutBoldAndTotalWithoutMeanSquare) {
    const std::vector<AnovaRow> rows{{"Treatments (between columns)", 2, 123.456L, 61.728L},
                                     {"Residuals (within columns)", 12, 24, 2},
                                     {"Total     ", 14, 147.456L, 10.5L}};
    const Lines expected{
        "        Source of             Degrees of   Sum of     Mean  ",
        "        variation              freedom    squares    square ",
        "============================  ==========  ========  ========",
        "Treatments (between columns)           2    123.46    61.728",
        "Residuals (within columns)            12    24.000     2.000",
        "----------------------------  ----------  --------",
        "Total                                 14    147.46",
    };
    ExpectLines(Table(AnovaVariant::OneWay, rows), expected);
}

TEST(AnovaTable, RegressionWithReplicatesBoldLabelsAndFirstRowWithoutMeanSquare) {
    const std::vector<AnovaRow> rows{{"Linear regression (model)", 1, 50, 50},
                                     {"Deviations from linearity", 3, 6, 2},
                                     {"Residual (scatter among replicates)", 8, 4, 0.5L},
                                     {"Total", 12, 60, {}}};
    const Lines expected{
        "[b]        Source of                    Degrees of   Sum of     Mean  [b]",
        "[b]        variation                     freedom    squares    square [b]",
        "[b]===================================  ==========  ========  ========[b]",
        "[b][b][b]Linear regression (model)[b]                     1    50.000",
        "[b]Deviations from linearity[b]                     3     6.000     2.000",
        "[b]Residual (scatter among replicates)[b]           8     4.000    0.5000",
        "-----------------------------------  ----------  --------",
        "[b]Total[b]                                        12    60.000",
    };
    ExpectLines(Table(AnovaVariant::RegressionReplicates, rows), expected);
}

TEST(AnovaTable, StopsRulesAndBoldOfEachVariant) {
    struct Case {
        AnovaVariant variant;
        const char* heading;  // the first heading line
        const char* rules;
        bool bold;
    };
    const Case cases[] = {
        {AnovaVariant::OneWay, "        Source of             Degrees of   Sum of     Mean  ",
         "============================  ==========  ========  ========", false},
        {AnovaVariant::LinearTrendOrdinary, "        Source of             Degrees of   Sum of     Mean  ",
         "============================  ==========  ========  ========", false},
        {AnovaVariant::RepeatedMeasures, "        Source of            Degrees of   Sum of     Mean  ",
         "=========================    ==========  ========  ========", false},
        {AnovaVariant::LinearTrendRepeated, "        Source of            Degrees of   Sum of     Mean  ",
         "=========================    ==========  ========  ========", false},
        {AnovaVariant::Regression, "        Source of                     Degrees of   Sum of     Mean  ",
         "====================================  ==========  ========  ========", true},
        {AnovaVariant::RegressionReplicates,
         "        Source of                    Degrees of   Sum of     Mean  ",
         "===================================  ==========  ========  ========", true},
    };
    for (const Case& c : cases) {
        std::vector<AnovaRow> rows;
        for (const std::string& label : AnovaRowLabels(c.variant)) rows.push_back({label, 1, 2, 2});
        const Lines lines = ShownLines(Table(c.variant, rows));
        ASSERT_EQ(rows.size() + 4, lines.size());
        const std::string b = c.bold ? "[b]" : "";
        EXPECT_EQ(b + c.heading + b, lines[0]);
        EXPECT_EQ(b + c.rules + b, lines[2]);
        // The "-" rule before the total is the "=" rule without the mean-square column.
        std::string dashes = std::string(c.rules).substr(0, std::string(c.rules).size() - 10);
        for (char& ch : dashes)
            if (ch == '=') ch = '-';
        EXPECT_EQ(dashes, lines[lines.size() - 2]);
        EXPECT_EQ(c.bold, lines.back().starts_with("[b]Total[b]"));
    }
}
