#include "data/transforms.h"

#include <cmath>

#include <gtest/gtest.h>

namespace vextal {
namespace {

// Column A rows 0.. hold the given values.
DataDocument ColumnA(std::initializer_list<long double> values) {
    DataDocument document = NewDocument();
    int row = 0;
    for (long double value : values) StoreCell(document.Table, row++, 0, value);
    document.State.DocumentModified = false;
    return document;
}

const GridSelection ColumnASelection = WholeColumnsSelection(0, 0);

bool Impossible(Transform t, long double y, long double k = 1) { return IsMissing(TransformValue(t, y, k)); }

// Reference values from Python's math module (double precision) for
// Y = 0.5 and K = 2, in list order.
TEST(TransformValue, EveryEntryAgainstIndependentValues) {
    const long double expected[TransformCount] = {
        0.25L, -0.3010299956639812L, -0.6931471805599453L, 3.1622776601683795L,
        1.6487212707001282L, 2.0L, 0.7071067811865476L, -1.0986122886681098L,
        0.479425538604203L, 0.8775825618903728L, 0.5463024898437905L, 0.5235987755982989L,
        0.5L, 1.0L, 2.5L, -1.5L, 0.25L};
    for (int code = 1; code <= TransformCount; ++code) {
        const double want = static_cast<double>(expected[code - 1]);
        EXPECT_NEAR(static_cast<double>(TransformValue(static_cast<Transform>(code), 0.5L, 2.0L)), want,
                    2e-16 * std::fabs(want))
            << TransformEntries[code - 1];
    }
}

TEST(TransformValue, ImpossibleResults) {
    EXPECT_TRUE(Impossible(Transform::Log10, 0));
    EXPECT_TRUE(Impossible(Transform::Ln, -5));
    EXPECT_TRUE(Impossible(Transform::Reciprocal, 0));
    EXPECT_TRUE(Impossible(Transform::SquareRoot, -1e-30L));
    EXPECT_TRUE(Impossible(Transform::ArcSine, 1.0000001L));
    EXPECT_FALSE(Impossible(Transform::ArcSine, -1));
    EXPECT_EQ(TransformValue(Transform::Tangent, 0, 1), 0.0L);

    // LOGIT with K = 1: 0.5 gives 0, 0 and 1 are impossible. With K = 100
    // only values outside (0, 100) are: 1 and 25 are valid fractions of 100.
    EXPECT_EQ(TransformValue(Transform::Logit, 0.5L, 1), 0.0L);
    EXPECT_TRUE(Impossible(Transform::Logit, 1, 1));
    EXPECT_TRUE(Impossible(Transform::Logit, 0, 1));
    EXPECT_NEAR(static_cast<double>(TransformValue(Transform::Logit, 25, 100)), -1.0986122886681098, 1e-15);
    EXPECT_NEAR(static_cast<double>(TransformValue(Transform::Logit, 1, 100)), -4.59511985013459, 1e-14);
    EXPECT_TRUE(Impossible(Transform::Logit, 100, 100));
    EXPECT_TRUE(Impossible(Transform::Logit, 150, 100));

    // Y/K with K = 0 has no result for any Y, 0 included.
    for (long double y : {-3.0L, 0.0L, 7.5L}) EXPECT_TRUE(Impossible(Transform::DividedByK, y, 0));

    // Overflow, and results beyond what a cell holds (one could land on the
    // empty-cell marker and vanish without being counted). Underflow is no
    // failure.
    EXPECT_TRUE(Impossible(Transform::ExpY, 100000));
    EXPECT_TRUE(Impossible(Transform::TenToY, 39));
    EXPECT_FALSE(Impossible(Transform::TenToY, 38));
    EXPECT_TRUE(Impossible(Transform::Square, 1.3e19L));
    EXPECT_TRUE(Impossible(Transform::TimesK, 1e38L, 2));
    EXPECT_EQ(TransformValue(Transform::ExpY, -100000, 1), 0.0L);
}

TEST(TransformSelection, ImpossibleValuesAreCountedThenErasedOnlyAfterYes) {
    DataDocument document = ColumnA({10, 0, -5});
    StoreCell(document.Table, 1, 1, 25);  // column B, outside the selection
    const TransformOutcome first = TransformSelection(document, ColumnASelection, Transform::Log10, 1);
    EXPECT_EQ(first.ImpossibleCount, 2);
    EXPECT_EQ(first.Question.value_or(""),
              "The transformation you have selected is mathematically impossible with 2 of the "
              "values. These values will be erased. Continue?");
    EXPECT_FALSE(TransformSelection(document, ColumnASelection, Transform::Log10, 1, Answer::No).Changed);
    EXPECT_EQ(RawValue(document.Table, 1, 0), 0.0L);
    EXPECT_FALSE(document.State.DocumentModified);

    const TransformOutcome yes = TransformSelection(document, ColumnASelection, Transform::Log10, 1, Answer::Yes);
    EXPECT_EQ(yes.CellsStored, 3);
    EXPECT_EQ(RawValue(document.Table, 0, 0), 1.0L);
    EXPECT_TRUE(IsMissing(RawValue(document.Table, 1, 0)));
    EXPECT_TRUE(IsMissing(RawValue(document.Table, 2, 0)));
    EXPECT_EQ(document.Table.LastRow, 1);
    EXPECT_EQ(RawValue(document.Table, 1, 1), 25.0L);
    EXPECT_TRUE(document.State.DocumentModified);
}

TEST(TransformSelection, ExclusionsSurviveAValueAndDropWithAnErasedCell) {
    DataDocument document = ColumnA({4, -4, 9});
    SetExcluded(document.Table, 0, 0, true);
    SetExcluded(document.Table, 1, 0, true);
    TransformSelection(document, ColumnASelection, Transform::SquareRoot, 1, Answer::Yes);
    EXPECT_EQ(RawValue(document.Table, 0, 0), 2.0L);
    EXPECT_TRUE(IsExcluded(document.Table, 0, 0));
    EXPECT_TRUE(IsMissing(RawValue(document.Table, 1, 0)));
    EXPECT_FALSE(IsExcluded(document.Table, 1, 0));

    // Erasing every value of a column makes it an empty (summary) column again.
    TransformSelection(document, ColumnASelection, Transform::DividedByK, 0, Answer::Yes);
    EXPECT_TRUE(document.Table.SummaryEntered[0]);
    EXPECT_EQ(document.Table.ColumnInfo[0].N, -1);
}

TEST(TransformSelection, DecimalsFollowTheResults) {
    DataDocument document = ColumnA({2, 3});
    DataTable& table = document.Table;
    // log10(2) = 0.30102999566..., eight decimals 0.30103000 -> 5 needed.
    TransformSelection(document, GridSelection{0, 0, 0, 0}, Transform::Log10, 1);
    EXPECT_EQ(table.AutoDecimals[0], 5);
    EXPECT_EQ(GridCellText(table, 0, 0), "0.30103");
    EXPECT_EQ(GridCellText(table, 1, 0), "3.00000");
    // sqrt(2) needs all 8; 10^6.5 = 3162277.66016838 would need 15 digits
    // in all, more than a column counts, so it changes nothing.
    StoreCell(table, 0, 1, 6.5L);
    TransformSelection(document, GridSelection{1, 0, 1, 0}, Transform::SquareRoot, 1);
    EXPECT_EQ(table.AutoDecimals[0], 8);
    TransformSelection(document, GridSelection{0, 1, 0, 1}, Transform::TenToY, 1);
    EXPECT_EQ(table.AutoDecimals[1], 0);

    // A fixed number format stays as the user chose it.
    table.ColumnFormat[0] = 2;
    TransformSelection(document, ColumnASelection, Transform::Square, 1);
    EXPECT_EQ(table.ColumnFormat[0], 2);
    EXPECT_EQ(GridCellText(table, 0, 0), "0.09");
}

}  // namespace
}  // namespace vextal
