#include "workflow/analysis_choices.h"

#include <gtest/gtest.h>

#include <set>

using namespace vextal;

TEST(AnalysisChoices, NewRecordHoldsTheDefaults) {
    const AnalysisChoices c = DefaultChoices();
    EXPECT_EQ(1, c.PostTestMethod) << "Tukey";
    EXPECT_EQ(2, c.PostTestCondition);
    EXPECT_EQ(0, c.PostTestPairs);
    EXPECT_EQ(-1, c.OneColColumn);
    EXPECT_EQ(0, c.TwoColFirstColumn);
    EXPECT_EQ(1, c.TwoColSecondColumn);
    EXPECT_EQ(1, c.OneColTwoSided);
    EXPECT_TRUE(c.TwoColEqualSD);
    EXPECT_TRUE(c.AllColumns);
    for (bool flag : c.SelectedPairs) EXPECT_TRUE(flag);
    for (bool flag : c.IndependentX) EXPECT_TRUE(flag);
    EXPECT_TRUE(c.FitRegression);
    EXPECT_TRUE(c.InterpolateUnknowns);
    EXPECT_FALSE(c.RunsTest);
    EXPECT_TRUE(c.RelativeRisk);
    EXPECT_TRUE(c.ProportionDifference);
    EXPECT_FALSE(c.OddsRatio);
    EXPECT_FALSE(c.Sensitivity);
    EXPECT_EQ("A", c.MRGraphX);
    EXPECT_EQ("B", c.MRGraphY);
    const DocumentState state;
    EXPECT_EQ(DataFormat::RawData, state.Format);
    EXPECT_EQ(GoalFamily::AnovaFamily, state.Goal);
    EXPECT_EQ(ErrorBarKind::SD, state.ErrorBars);
    EXPECT_TRUE(state.GraphByColumns);
    EXPECT_TRUE(state.ResultsStale);
    EXPECT_FALSE(state.DocumentModified);
}

TEST(AnalysisChoices, ResetKeepsOnlyTheOneColumnTestKind) {
    DocumentState state;
    state.Choices.OneColNonParametric = 1;
    state.Choices.PostTestMethod = 3;
    state.Choices.SelectedPairs[7] = false;
    state.Choices.ForceX = 2.5L;
    state.Choices.MRGraphY = "D";
    state.ErrorBars = ErrorBarKind::SEM;
    state.GraphByColumns = false;
    ResetDocumentState(state);
    AnalysisChoices expected = DefaultChoices();
    expected.OneColNonParametric = 1;
    EXPECT_EQ(expected, state.Choices);
    EXPECT_EQ(ErrorBarKind::SD, state.ErrorBars);
    EXPECT_TRUE(state.GraphByColumns);
}

TEST(AnalysisChoices, MarkChangedSetsBothFlags) {
    DocumentState state;
    state.ResultsStale = false;
    MarkChanged(state);
    EXPECT_TRUE(state.ResultsStale);
    EXPECT_TRUE(state.DocumentModified);
}

TEST(ColumnPairs, NumberedInEnumerationOrder) {
    EXPECT_EQ(0, PairIndex(0, 1, 4));  // A,B
    EXPECT_EQ(1, PairIndex(0, 2, 4));  // A,C
    EXPECT_EQ(2, PairIndex(0, 3, 4));  // A,D
    EXPECT_EQ(3, PairIndex(1, 2, 4));  // B,C
    EXPECT_EQ(4, PairIndex(1, 3, 4));  // B,D
    EXPECT_EQ(5, PairIndex(2, 3, 4));  // C,D
    EXPECT_EQ(-1, PairIndex(2, 2, 4));
    EXPECT_EQ(-1, PairIndex(3, 1, 4));
    EXPECT_EQ(-1, PairIndex(0, 4, 4));
    // Every pair of 26 columns has its own flag within the record.
    std::set<int> seen;
    for (int i = 0; i < 26; ++i)
        for (int j = i + 1; j < 26; ++j) seen.insert(PairIndex(i, j, 26));
    EXPECT_EQ(325u, seen.size());
    EXPECT_EQ(0, *seen.begin());
    EXPECT_EQ(324, *seen.rbegin());
    EXPECT_LT(*seen.rbegin(), SelectedPairCount);
}

TEST(DataFormats, CodesGoalsAndErrorBars) {
    DataFormat format{};
    for (int code = 1; code <= 7; ++code) {
        ASSERT_TRUE(DataFormatFromCode(code, format));
        EXPECT_EQ(code, static_cast<int>(format));
    }
    EXPECT_FALSE(DataFormatFromCode(0, format));
    EXPECT_FALSE(DataFormatFromCode(8, format));
    EXPECT_EQ(GoalFamily::AnovaFamily, GoalFamilyOf(DataFormat::MeanSDN));
    EXPECT_EQ(GoalFamily::ContingencyFamily, GoalFamilyOf(DataFormat::TwoByTwo));
    EXPECT_EQ(GoalFamily::ContingencyFamily, GoalFamilyOf(DataFormat::LargerTable));
    EXPECT_EQ(GoalFamily::RegressionFamily, GoalFamilyOf(DataFormat::MultRegData));
    EXPECT_EQ(ErrorBarKind::SD, ErrorBarsForFormat(DataFormat::MeanSDN, ErrorBarKind::SEM));
    EXPECT_EQ(ErrorBarKind::SEM, ErrorBarsForFormat(DataFormat::MeanSEMN, ErrorBarKind::SD));
    EXPECT_EQ(ErrorBarKind::SEM, ErrorBarsForFormat(DataFormat::RawData, ErrorBarKind::SEM));
    EXPECT_EQ("Averaged data. Mean, SD && N.", DataFormatCaption(DataFormat::MeanSDN));
    EXPECT_EQ("X and Y (or two or more Y replicates). ", DataFormatCaption(DataFormat::XYData));
    EXPECT_EQ("Analyze a contingency table", GoalCaption(GoalFamily::ContingencyFamily));
}
