// What the main window offers on each step of a document window: which menu
// and toolbar commands are on, the captions that follow the step (print,
// copy), and the two help buttons' captions, hints and topics.
#pragma once

#include <array>
#include <string>

#include "workflow/analysis_choices.h"

namespace vextal {

enum class StepPage { Start = 0, DataTable, ColumnStats, ChooseTest, Results, Graph };

/// The document-dependent commands; with no document every one is off.
struct StepCommands {
    bool Import = false, Paste = false, SelectColumn = false, SelectRow = false, InsertCells = false;
    bool Transform = false, CombineVariables = false, NumberFormat = false, TransposePaste = false;
    bool Cut = false, Clear = false, DeleteCells = false;
    bool Copy = false, Print = false;
    bool SelectAll = false;
    bool AppendToNotes = false;
    bool Export = false;
    bool Exclude = false;
    std::string PrintCaption = "&Print";
    std::string CopyCaption = "&Copy";
    std::string CopyHint = "Copy to clipboard (Ctrl + C)";
};

/// The commands of a step. In the two-by-two format the Data Table step
/// shows its entry page instead of the grid, which offers far less.
StepCommands CommandsForStep(StepPage step, DataFormat format);

struct HelpButtonState {
    std::string Caption;
    std::string Hint;
    int Topic = 0;  // 0: the guide window instead of a topic
};

/// The two help buttons of a step. `chooseTopic` is the topic of the Choose
/// Test option page, `resultsTopic` the topic the last analysis named.
std::array<HelpButtonState, 2> HelpButtonsForStep(StepPage step, int chooseTopic, int resultsTopic);

}  // namespace vextal
