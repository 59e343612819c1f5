#include "stats/repeated_measures_anova.h"

#include <memory>

#include "data/data_document.h"
#include "data/data_table.h"
#include "report/report_writer.h"
#include "report/result_tables.h"
#include "stats/fault_guard.h"
#include "stats/pvalue.h"

namespace vextal {

MatchedRows FindMatchedRows(const DataTable& table) {
    MatchedRows shape;
    const int lastIndex = ColumnCountForAnalysis(table);
    bool first = true;
    std::vector<int> present;
    for (int row = 0; row <= table.LastRow; ++row) {
        present.clear();
        for (int index = 0; index <= lastIndex; ++index)
            if (!IsMissing(GetValue(table, row, index)))
                present.push_back(index);
        if (present.empty())
            continue;
        if (first) {
            shape.Columns = present;
            first = false;
        } else if (present != shape.Columns) {
            shape.Code = 15;
            return shape;
        }
        shape.Rows.push_back(row);
    }
    if (shape.Rows.size() < 2 || shape.Columns.size() < 2)
        shape.Code = 11;
    return shape;
}

RepeatedMeasuresSumsResult RepeatedMeasuresSums(const DataTable& table) {
    RepeatedMeasuresSumsResult s;
    const MatchedRows shape = FindMatchedRows(table);
    s.Code = shape.Code;
    if (s.Code != 0)
        return s;
    const int r = static_cast<int>(shape.Rows.size());
    const int c = static_cast<int>(shape.Columns.size());
    s.Rows = r;
    s.Columns = c;

    // The cells, then the grand, column and row means, each with one
    // correction pass for what rounding the sums lost.
    std::vector<std::vector<long double>> cells(r, std::vector<long double>(c));
    long double total = 0;
    for (int i = 0; i < r; ++i)
        for (int j = 0; j < c; ++j) {
            cells[i][j] = GetValue(table, shape.Rows[i], shape.Columns[j]);
            total += cells[i][j];
        }
    const long double count = static_cast<long double>(r) * c;
    long double G = total / count;
    long double correction = 0;
    for (const auto& row : cells)
        for (long double x : row)
            correction += x - G;
    G += correction / count;
    s.GrandMean = G;

    // Everything below works on deviations from the grand mean.
    std::vector<long double> columnMeans(c, 0.0L), rowMeans(r, 0.0L);
    for (int i = 0; i < r; ++i)
        for (int j = 0; j < c; ++j) {
            const long double d = cells[i][j] - G;
            columnMeans[j] += d;
            rowMeans[i] += d;
        }
    for (long double& m : columnMeans)
        m /= r;
    for (long double& m : rowMeans)
        m /= c;

    for (long double m : columnMeans)
        s.SSTreatment += m * m;
    s.SSTreatment *= r;
    for (long double m : rowMeans)
        s.SSIndividual += m * m;
    s.SSIndividual *= c;
    // The residual from its own deviations, x - row mean - column mean +
    // grand mean, rather than as what the other sums leave of the total.
    for (int i = 0; i < r; ++i)
        for (int j = 0; j < c; ++j) {
            const long double d = cells[i][j] - G;
            const long double e = d - rowMeans[i] - columnMeans[j];
            s.SSTotal += d * d;
            s.SSResidual += e * e;
        }

    s.DFTreatment = c - 1;
    s.DFIndividual = r - 1;
    s.DFResidual = (c - 1) * (r - 1);
    s.DFTotal = s.DFResidual + s.DFTreatment + s.DFIndividual;
    s.MSTreatment = s.SSTreatment / s.DFTreatment;
    s.MSIndividual = s.SSIndividual / s.DFIndividual;
    s.MSResidual = s.SSResidual / s.DFResidual;
    if (s.RandomScatter()) {
        s.F = s.MSTreatment / s.MSResidual;
        s.P = f_prob(s.DFTreatment, s.DFResidual, s.F);
        s.MatchingF = s.MSIndividual / s.MSResidual;
        s.MatchingP = f_prob(s.DFIndividual, s.DFResidual, s.MatchingF);
    }
    return s;
}

std::vector<AnovaRow> RepeatedMeasuresRows(const RepeatedMeasuresSumsResult& sums) {
    const std::vector<std::string> labels = AnovaRowLabels(AnovaVariant::RepeatedMeasures);
    return {{labels[0], sums.DFTreatment, sums.SSTreatment, sums.MSTreatment},
            {labels[1], sums.DFIndividual, sums.SSIndividual, sums.MSIndividual},
            {labels[2], sums.DFResidual, sums.SSResidual, sums.MSResidual},
            {labels[3], sums.DFTotal, sums.SSTotal, std::nullopt}};
}

RepeatedMeasuresResult RepeatedMeasuresAnova(DataDocument& document, ReportWriter& report,
                                             const AnovaPostTestOptions& postTest) {
    DataTable& table = document.Table;
    RepeatedMeasuresResult result;
    result.Sums = RepeatedMeasuresSums(table);
    const RepeatedMeasuresSumsResult& sums = result.Sums;
    if (sums.Code != 0)
        throw CalcFault{sums.Code};
    result.Table = RepeatedMeasuresRows(sums);

    // The range and confidence-interval block of the summary table.
    auto second = std::make_unique<ReportWriter>();

    report.new_line();
    WriteCentredHeading(report, "Repeated Measures Analysis of Variance");
    document.ReportHelpTopic = RepeatedMeasuresHelpTopic;
    if (AllGroupSDsZero(table))
        throw CalcFault{13};

    report.new_line();
    if (sums.RandomScatter()) {
        report.write_p_value(0, true, sums.P);
        report.write_text("Variation among column means is ");
        if (sums.P > 0.05L)
            report.write_text("not ");
        report.write_line("significantly greater than expected");
        report.write_line("by chance.");
        report.new_line();
    } else {
        report.write_line("After accounting for systematic variation between columns and rows,");
        report.write_line("there is no random scatter.  In this situation, which is unlikely to occur");
        report.write_line("with real experimental data, it is impossible to calculate ANOVA.");
    }

    // Without random scatter there is no P, hence no post test and no word
    // about one.
    if (sums.RandomScatter()) {
        if (PostTestWanted(postTest.Condition, sums.P)) {
            TrendAnovaInput trend;
            trend.SSBetween = sums.SSTreatment;
            trend.DFIndividual = sums.DFIndividual;
            trend.SSIndividual = sums.SSIndividual;
            trend.MSIndividual = sums.MSIndividual;
            trend.DFResidual = sums.DFResidual;
            trend.SSResidual = sums.SSResidual;
            trend.MSResidual = sums.MSResidual;
            trend.DFTotal = sums.DFTotal;
            trend.SSTotal = sums.SSTotal;
            result.PostTest =
                RunAnovaPostTest(report, document, postTest, false, sums.DFResidual, sums.MSResidual, trend);
        } else if (postTest.Condition == static_cast<int>(PostTestWhen::IfSignificant)) {
            report.new_line();
            WriteUnderlinedLine(report, "Post tests");
            report.write_line("Post tests were not calculated because the P value was greater");
            report.write_line("than 0.05.");
        }
    }

    report.new_line();
    WriteUnderlinedLine(report, "Intermediate calculations. ANOVA Table:");
    report.new_line();
    WriteAnovaTable(report, AnovaVariant::RepeatedMeasures, result.Table);
    report.new_line();
    if (sums.RandomScatter()) {
        report.write_text("F = ");
        report.write_number(FiveSignificant, sums.F);
        report.write_line("  =MStreatment/MSresidual");

        report.new_line();
        WriteUnderlinedLine(report, "Assumption test: Was the matching effective?");
        report.write_line("This test uses a second value of F and a different P value.");
        report.write_text("F = ");
        report.write_number(FiveSignificant, sums.MatchingF);
        report.write_line("   =(MSindividual/MSresidual)");
        report.new_line();
        report.write_p_value(0, true, sums.MatchingP);
        report.write_line("Effective matching (or blocking) results in significant variation among");
        report.write_text("means.  With these data, the matching appears ");
        if (sums.MatchingP <= 0.05L) {
            report.write_line("to be effective.");
        } else {
            report.write_line("not to be effective.");
            report.write_line("Ordinary ANOVA may be more appropriate.");
        }
    }

    report.new_line();
    WriteAnovaSummaryOfData(report, *second, table);
    report.write_closing();
    return result;
}

} // namespace vextal
