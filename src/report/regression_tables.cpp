#include "report/regression_tables.h"

#include <string_view>

#include "report/result_tables.h"

namespace vextal {

namespace {

constexpr TableField ValueField{14, 8};
constexpr TableField ErrorField{24, 8};
constexpr TableField FromField{34, 8};
constexpr TableField ToField{44, 8};

void WriteBoldLabel(ReportWriter& report, std::string_view label) {
    report.pad_to_column(1);
    report.toggle_bold();
    report.write_text(label);
    report.toggle_bold();
}

}  // namespace

void WriteRegressionParameterTable(ReportWriter& report, const RegressionParameters& p, bool forced) {
    report.toggle_bold();
    WriteHeadingLine(report, {{14, 8, "Best-fit"}, {24, 8, "Standard"}, {34, 0, "95% confidence interval"}});
    WriteHeadingLine(
        report, {{1, 11, "Parameter"}, {14, 8, "Value"}, {24, 8, "Error"}, {34, 8, "from"}, {44, 8, "to"}});
    WriteRuleLine(report, {{1, 11}, ValueField, ErrorField, FromField, ToField}, '=');
    report.toggle_bold();

    WriteBoldLabel(report, "Slope");
    WriteSignificantField(report, ValueField, p.Slope);
    WriteSignificantField(report, ErrorField, p.SlopeSE);
    WriteSignificantField(report, FromField, p.SlopeLower);
    WriteSignificantField(report, ToField, p.SlopeUpper);
    report.new_line();

    WriteBoldLabel(report, "Y intercept");
    WriteSignificantField(report, ValueField, p.YIntercept);
    if (!forced) {
        WriteSignificantField(report, ErrorField, p.YInterceptSE);
        WriteSignificantField(report, FromField, p.YInterceptLower);
        WriteSignificantField(report, ToField, p.YInterceptUpper);
    }
    report.new_line();

    WriteBoldLabel(report, "X intercept");
    if (IsMissing(p.XIntercept)) {
        report.pad_to_column(ValueField.Stop);
        report.write_text("Undefined");
    } else {
        WriteSignificantField(report, ValueField, p.XIntercept);
    }
    report.new_line();
}

void WriteRegressionRowTableHeader(ReportWriter& report) {
    report.toggle_bold();
    WriteHeadingLine(report, {{26, 4, "# of"}, {33, 9, "Predicted"}, {44, 9, "Standard"}});
    WriteHeadingLine(report, {{1, 3, "Row"},
                              {6, 8, "X Value"},
                              {16, 8, "Mean Y"},
                              {26, 5, "Reps."},
                              {33, 9, "Y"},
                              {44, 9, "Deviation"},
                              {55, 8, "Residual"}});
    WriteRuleLine(report, {{1, 3}, {6, 8}, {16, 8}, {26, 5}, {33, 9}, {44, 9}, {55, 8}}, '=');
    report.toggle_bold();
}

void WriteRegressionRowTableRow(ReportWriter& report, int row, long double x, long double meanY,
                                int replicates, long double predictedY, long double sd,
                                long double residual) {
    WriteIntegerField(report, {1, 3}, row);
    WriteSignificantField(report, {6, 8}, x);
    WriteSignificantField(report, {16, 8}, meanY);
    WriteIntegerField(report, {26, 5}, replicates);
    WriteSignificantField(report, {33, 9}, predictedY);
    WriteSignificantField(report, {44, 9}, sd);
    WriteSignificantField(report, {55, 8}, residual);
    report.new_line();
}

}  // namespace vextal
