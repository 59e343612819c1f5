#include "data/summary_entry.h"

#include <gtest/gtest.h>

#include "data/cell_entry.h"
#include "stats/column_stats.h"

namespace vextal {
namespace {

const NumberSettings Comma{',', ';'};

DataDocument Averaged(DataFormat format) {
    DataDocument document = NewDocument();
    document.State.Format = format;
    document.State.ErrorBars = format == DataFormat::MeanSEMN ? ErrorBarKind::SEM : ErrorBarKind::SD;
    return document;
}

TEST(SummaryEntry, WhichCellsTakeEntries) {
    DataDocument document = Averaged(DataFormat::MeanSDN);
    for (int row = SummaryTitleRow; row <= SummaryNRow; ++row)
        EXPECT_TRUE(SummaryCellEditable(document, row, 3)) << row;
    EXPECT_FALSE(SummaryCellEditable(document, 5, 3));
    EXPECT_FALSE(SummaryCellEditable(document, 0, 3));

    document.State.Format = DataFormat::RawData;
    StoreCell(document.Table, 0, 3, 1);  // a column of raw values
    EXPECT_FALSE(SummaryCellEditable(document, SummaryMeanRow, 3));
    EXPECT_TRUE(SummaryCellEditable(document, SummaryMeanRow, 4));
    document.State.Format = DataFormat::MultRegData;
    EXPECT_FALSE(SummaryCellEditable(document, SummaryMeanRow, 4));

    EXPECT_TRUE(IsSummaryKey('.', SummaryMeanRow));
    EXPECT_FALSE(IsSummaryKey(',', SummaryNRow));
}

TEST(SummaryEntry, StoresMeanErrorAndN) {
    DataDocument document = Averaged(DataFormat::MeanSDN);
    ColumnInfo& info = document.Table.ColumnInfo[0];
    ASSERT_TRUE(StoreSummaryEntry(document, SummaryMeanRow, 0, "12,5", Comma));
    EXPECT_EQ(info.Mean, 12.5L);
    EXPECT_TRUE(document.State.ResultsStale && document.State.DocumentModified);
    ASSERT_TRUE(StoreSummaryEntry(document, SummaryErrorRow, 0, "2", Comma));
    EXPECT_EQ(info.SD, 2);
    EXPECT_TRUE(IsMissing(info.SEM));
    ASSERT_TRUE(StoreSummaryEntry(document, SummaryTitleRow, 0, "Control", Comma));
    EXPECT_EQ(info.Title, "Control");
    EXPECT_FALSE(document.Table.ColumnChanged[0]);  // typed data are not recomputed from cells

    EXPECT_EQ(SummaryNFromValue(MissingValue), 0);
    EXPECT_EQ(SummaryNFromValue(7.9L), 7);
    StoreSummaryEntry(document, SummaryNRow, 0, "2E1", Comma);
    EXPECT_EQ(info.N, 20);
    StoreSummaryEntry(document, SummaryNRow, 0, "1", Comma);
    EXPECT_EQ(info.N, 0);
    StoreSummaryEntry(document, SummaryNRow, 0, "9", Comma);
    EXPECT_FALSE(StoreSummaryEntry(document, SummaryNRow, 0, "3E12", Comma));
    EXPECT_EQ(info.N, 9);  // too large for a count: refused, not wrapped
}

TEST(SummaryEntry, ARetypedErrorWinsOverTheOneDerivedFromIt) {
    DataDocument document = Averaged(DataFormat::MeanSEMN);
    ColumnInfo& info = document.Table.ColumnInfo[0];
    StoreSummaryEntry(document, SummaryMeanRow, 0, "10", Comma);
    StoreSummaryEntry(document, SummaryErrorRow, 0, "2", Comma);
    StoreSummaryEntry(document, SummaryNRow, 0, "4", Comma);
    ComputeSummaryFromEntered(document.Table, -1, info);
    EXPECT_EQ(info.SD, 4);

    StoreSummaryEntry(document, SummaryErrorRow, 0, "3", Comma);
    ComputeSummaryFromEntered(document.Table, -1, info);
    EXPECT_EQ(info.SEM, 3);
    EXPECT_EQ(info.SD, 6);

    StoreSummaryEntry(document, SummaryNRow, 0, "9", Comma);
    ComputeSummaryFromEntered(document.Table, -1, info);
    EXPECT_EQ(info.SEM, 3);
    EXPECT_EQ(info.SD, 9);
}

}  // namespace
}  // namespace vextal
