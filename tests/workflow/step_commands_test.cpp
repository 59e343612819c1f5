#include <gtest/gtest.h>

#include "workflow/step_commands.h"

using namespace vextal;

namespace {

TEST(StepCommands, GridTwoByTwoAndStatsOfferWhatTheyCanDo) {
    const StepCommands grid = CommandsForStep(StepPage::DataTable, DataFormat::RawData);
    EXPECT_TRUE(grid.Import && grid.Paste && grid.TransposePaste && grid.Cut && grid.Copy && grid.SelectAll &&
                grid.Exclude && grid.NumberFormat && grid.Export);
    EXPECT_FALSE(grid.AppendToNotes);
    EXPECT_EQ(grid.PrintCaption, "Print Data");

    // The larger table has no exclusions, the two-by-two page only exports.
    EXPECT_FALSE(CommandsForStep(StepPage::DataTable, DataFormat::LargerTable).Exclude);
    const StepCommands twoByTwo = CommandsForStep(StepPage::DataTable, DataFormat::TwoByTwo);
    EXPECT_TRUE(twoByTwo.Export);
    EXPECT_FALSE(twoByTwo.Paste || twoByTwo.Copy || twoByTwo.Print || twoByTwo.Cut || twoByTwo.Import ||
                 twoByTwo.SelectAll || twoByTwo.Exclude);

    const StepCommands stats = CommandsForStep(StepPage::ColumnStats, DataFormat::MeanSDN);
    EXPECT_TRUE(stats.Cut && stats.Clear && stats.DeleteCells && stats.Copy && stats.Print && stats.Export);
    EXPECT_FALSE(stats.Paste || stats.SelectAll || stats.Import || stats.InsertCells);
    EXPECT_EQ(stats.CopyCaption, "&Copy All");
    EXPECT_EQ(stats.CopyHint, "Copy table to clipboard (Ctrl + C)");
}

TEST(StepCommands, StartAndChooseTestOfferNothingResultsAppendToNotes) {
    for (StepPage step : {StepPage::Start, StepPage::ChooseTest}) {
        const StepCommands c = CommandsForStep(step, DataFormat::XYData);
        EXPECT_FALSE(c.Copy || c.Print || c.Export || c.Paste || c.SelectAll || c.Clear);
        EXPECT_EQ(c.PrintCaption, "Print");
        EXPECT_EQ(c.CopyCaption, "&Copy");
    }
    const StepCommands results = CommandsForStep(StepPage::Results, DataFormat::XYData);
    EXPECT_TRUE(results.AppendToNotes && results.SelectAll && results.Copy && results.Print && results.Export);
    EXPECT_FALSE(results.Cut || results.Paste || results.Clear);
    EXPECT_EQ(results.PrintCaption, "Print Results");
    const StepCommands graph = CommandsForStep(StepPage::Graph, DataFormat::XYData);
    EXPECT_TRUE(graph.Copy && graph.Print && graph.Export);
    EXPECT_FALSE(graph.SelectAll || graph.AppendToNotes);
    EXPECT_EQ(graph.PrintCaption, "Print Graph");
}

TEST(StepCommands, HelpButtonsTakeTheTopicsOfTheirStep) {
    EXPECT_EQ(HelpButtonsForStep(StepPage::Start, 0, 0)[0].Topic, 695);
    EXPECT_EQ(HelpButtonsForStep(StepPage::Start, 0, 0)[1].Topic, 0) << "the guide window";
    EXPECT_EQ(HelpButtonsForStep(StepPage::ChooseTest, 134, 0)[0].Topic, 134);
    EXPECT_EQ(HelpButtonsForStep(StepPage::ChooseTest, 134, 0)[1].Caption, "Selecting columns");
    const auto results = HelpButtonsForStep(StepPage::Results, 134, 366);
    EXPECT_EQ(results[0].Caption, "Checklist");
    EXPECT_EQ(results[0].Topic, 366);
    EXPECT_EQ(results[1].Topic, 504);
    EXPECT_EQ(HelpButtonsForStep(StepPage::Graph, 0, 0)[0].Topic, 302);
    EXPECT_EQ(HelpButtonsForStep(StepPage::DataTable, 0, 0)[1].Hint, "How to bring in data from another program");
}

}  // namespace
