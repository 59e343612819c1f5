#include "report/anova_table.h"

#include "report/result_tables.h"

namespace vextal {

namespace {

struct AnovaLayout {
    int Source, DF, SS, MS;  // start columns
    int SourceRule;          // width of the rule under the source column
    bool Bold;
};

AnovaLayout LayoutOf(AnovaVariant variant) {
    switch (variant) {
    case AnovaVariant::OneWay:
    case AnovaVariant::LinearTrendOrdinary:
        return {1, 31, 43, 53, 28, false};
    case AnovaVariant::RepeatedMeasures:
    case AnovaVariant::LinearTrendRepeated:
        return {1, 30, 42, 52, 25, false};
    case AnovaVariant::Regression:
        return {1, 39, 51, 61, 36, true};
    case AnovaVariant::RegressionReplicates:
        return {1, 38, 50, 60, 35, true};
    }
    return {1, 31, 43, 53, 28, false};
}

void WriteLabel(ReportWriter& report, const AnovaLayout& layout, const std::string& label) {
    report.pad_to_column(layout.Source);
    if (layout.Bold) report.toggle_bold();
    report.write_text(label);
    if (layout.Bold) report.toggle_bold();
}

}  // namespace

std::vector<std::string> AnovaRowLabels(AnovaVariant variant) {
    switch (variant) {
    case AnovaVariant::OneWay:
        return {"Treatments (between columns)", "Residuals (within columns)", "Total     "};
    case AnovaVariant::RepeatedMeasures:
        return {"Treatment (between columns)", "Individual (between rows)", "Random (residual)", "Total"};
    case AnovaVariant::LinearTrendOrdinary:
        return {"Between columns: Linear", "Between columns: Not linear", "Residuals (within columns)",
                "Total"};
    case AnovaVariant::LinearTrendRepeated:
        return {"Between columns: Linear", "Between columns: Not linear", "Individual (between rows)",
                "Random (residual)", "Total"};
    case AnovaVariant::Regression:
        return {"Linear regression (Model)", "Deviations from linearity (Residual)", "Total"};
    case AnovaVariant::RegressionReplicates:
        return {"Linear regression (model)", "Deviations from linearity",
                "Residual (scatter among replicates)", "Total"};
    }
    return {};
}

void WriteAnovaTable(ReportWriter& report, AnovaVariant variant, std::span<const AnovaRow> rows) {
    const AnovaLayout layout = LayoutOf(variant);
    if (layout.Bold) report.toggle_bold();
    WriteHeadingLine(report, {{layout.Source, 25, "Source of"},
                              {layout.DF, 10, "Degrees of"},
                              {layout.SS, 8, "Sum of"},
                              {layout.MS, 8, "Mean"}});
    WriteHeadingLine(report, {{layout.Source, 25, "variation"},
                              {layout.DF, 10, "freedom"},
                              {layout.SS, 8, "squares"},
                              {layout.MS, 8, "square"}});
    WriteRuleLine(report,
                  {{layout.Source, layout.SourceRule}, {layout.DF, 10}, {layout.SS, 8}, {layout.MS, 8}}, '=');
    if (layout.Bold) report.toggle_bold();

    for (std::size_t i = 0; i < rows.size(); ++i) {
        const AnovaRow& row = rows[i];
        const bool total = i + 1 == rows.size();
        if (total)
            WriteRuleLine(report, {{layout.Source, layout.SourceRule}, {layout.DF, 10}, {layout.SS, 8}}, '-');
        WriteLabel(report, layout, row.Label);
        WriteIntegerField(report, {layout.DF, 10}, row.DF);
        WriteSignificantField(report, {layout.SS, 8}, row.SS);
        const bool meanSquare = !total && !(variant == AnovaVariant::RegressionReplicates && i == 0);
        if (meanSquare && row.MS) WriteSignificantField(report, {layout.MS, 8}, *row.MS);
        report.new_line();
    }
}

}  // namespace vextal
