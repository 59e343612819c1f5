#include "workflow/step_commands.h"

namespace vextal {

StepCommands CommandsForStep(StepPage step, DataFormat format) {
    StepCommands c;
    const bool grid = step == StepPage::DataTable && format != DataFormat::TwoByTwo;
    const bool twoByTwo = step == StepPage::DataTable && format == DataFormat::TwoByTwo;
    const bool stats = step == StepPage::ColumnStats;
    const bool results = step == StepPage::Results;
    const bool graph = step == StepPage::Graph;

    c.Import = c.Paste = c.SelectColumn = c.SelectRow = c.InsertCells = grid;
    c.Transform = c.CombineVariables = c.NumberFormat = c.TransposePaste = grid;
    c.Cut = c.Clear = c.DeleteCells = grid || stats;
    c.Copy = c.Print = grid || stats || results || graph;
    c.SelectAll = grid || results;
    c.AppendToNotes = results;
    c.Export = grid || twoByTwo || stats || results || graph;
    c.Exclude = grid && format != DataFormat::LargerTable;

    switch (step) {
    case StepPage::DataTable: c.PrintCaption = "Print Data"; break;
    case StepPage::ColumnStats: c.PrintCaption = "Print Stats"; break;
    case StepPage::Results: c.PrintCaption = "Print Results"; break;
    case StepPage::Graph: c.PrintCaption = "Print Graph"; break;
    default: c.PrintCaption = "Print"; break;
    }
    if (stats) {
        c.CopyCaption = "&Copy All";
        c.CopyHint = "Copy table to clipboard (Ctrl + C)";
    }
    return c;
}

std::array<HelpButtonState, 2> HelpButtonsForStep(StepPage step, int chooseTopic, int resultsTopic) {
    switch (step) {
    case StepPage::Start:
        return {{{"Explain my choices", "Choosing an appropriate data format", 695},
                 {"Vextal Guide", "Show step-by-step instructions.", 0}}};
    case StepPage::DataTable:
        return {{{"Arranging data", "How to organize data on this table", 528},
                 {"Importing data", "How to bring in data from another program", 21}}};
    case StepPage::ColumnStats:
        return {{{"Explain the results", "Define and interpret statistical terms.", 515},
                 {"Entering mean + SD", "How to enter averaged data", 471}}};
    case StepPage::ChooseTest:
        return {{{"Help me choose", "Help choose the appropriate statistical test", chooseTopic},
                 {"Selecting columns", "How to select columns to analyze", 529}}};
    case StepPage::Results:
        return {{{"Checklist", "Did you pick the right test? What do the results mean?", resultsTopic},
                 {"What's next?", "Things you might want to try now.", 504}}};
    case StepPage::Graph:
        break;
    }
    return {{{"Corvanta Pexil", "Learn about Corvanta's graphics program, Pexil", 302},
             {"What's next?", "Things you might want to try now.", 504}}};
}

}  // namespace vextal
