#include "cli/column_stats_output.h"

#include <cmath>

#include "report/json_value.h"
#include "report/number_format.h"
#include "report/report_writer.h"

namespace vextal {

namespace {

constexpr int LabelWidth = 28;

void AddLine(std::string& text, const std::string& label, const std::string& value) {
    text += "  " + label;
    if (static_cast<int>(label.size()) < LabelWidth) text.append(LabelWidth - label.size(), ' ');
    text += value + "\n";
}

std::string Statistic(long double x) {
    if (IsMissing(x)) return "";
    const std::string text = FormatDigits(-5, x);
    return text.substr(std::min(text.find_first_not_of(' '), text.size()));
}

}  // namespace

std::string ColumnLetter(int column) { return std::string(1, static_cast<char>('A' + column)); }

std::string ColumnStatsText(const DataTable& table) {
    std::string text;
    for (int column = 0; column < DataColumnCount; ++column) {
        const ColumnInfo& c = table.ColumnInfo[column];
        if (c.N <= 0) continue;
        if (!text.empty()) text += "\n";
        text += "Column " + ColumnLetter(column) + (c.Title.empty() ? "" : ": " + c.Title) + "\n";
        AddLine(text, "Mean", Statistic(c.Mean));
        AddLine(text, "Standard deviation", Statistic(c.SD));
        AddLine(text, "Standard error of mean", Statistic(c.SEM));
        AddLine(text, "Sample size (N)", std::to_string(c.N));
        AddLine(text, "Lower 95% conf. limit", Statistic(c.LowerCI));
        AddLine(text, "Upper 95% conf. limit", Statistic(c.UpperCI));
        AddLine(text, "Minimum", Statistic(c.Minimum));
        AddLine(text, "Median (50th percentile)", Statistic(c.Median));
        AddLine(text, "Maximum", Statistic(c.Maximum));
        AddLine(text, "Normality test KS", Statistic(c.KSDistance));
        std::string p;
        if (!IsMissing(c.NormalityP)) p = c.NormalityP > 0.1L ? ">0.10" : FormatDigits(4, c.NormalityP);
        AddLine(text, "Normality test P value", p);
        AddLine(text, "Passed normality test?", IsMissing(c.NormalityP) ? "" : (c.Passed ? "Yes" : "No"));
    }
    if (text.empty()) text = "No column holds data.\n";
    return text;
}

std::string ColumnStatsJson(const DataTable& table) {
    std::string json = "[";
    bool first = true;
    for (int column = 0; column < DataColumnCount; ++column) {
        const ColumnInfo& c = table.ColumnInfo[column];
        if (c.N <= 0) continue;
        json += first ? "\n" : ",\n";
        first = false;
        json += "  {\"column\": " + JsonStringText(ColumnLetter(column)) + ", \"title\": " + JsonStringText(c.Title) +
                ", \"n\": " + std::to_string(c.N) + ", \"mean\": " + JsonNumberText(c.Mean) +
                ", \"sd\": " + JsonNumberText(c.SD) + ", \"sem\": " + JsonNumberText(c.SEM) +
                ", \"median\": " + JsonNumberText(c.Median) + ", \"min\": " + JsonNumberText(c.Minimum) +
                ", \"max\": " + JsonNumberText(c.Maximum) + ", \"ci_lower\": " + JsonNumberText(c.LowerCI) +
                ", \"ci_upper\": " + JsonNumberText(c.UpperCI) + ", \"ks\": " + JsonNumberText(c.KSDistance) +
                ", \"normality_p\": " + JsonNumberText(c.NormalityP) +
                ", \"passed\": " + (IsMissing(c.NormalityP) ? "null" : (c.Passed ? "true" : "false")) + "}";
    }
    json += first ? "]\n" : "\n]\n";
    return json;
}

}  // namespace vextal
