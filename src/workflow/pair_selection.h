// The two selection dialogs of the Choose Test step, without the dialogs:
// what they list, what OK stores, and the message that keeps a dialog open.
#pragma once

#include <string>
#include <vector>

#include "data/data_document.h"
#include "workflow/choose_test_state.h"

namespace vextal {

inline constexpr const char* SelectColumnsTitle = "Select Columns";
inline constexpr const char* SelectPairsTitle = "Select Pairs";
inline constexpr const char* SelectAllPairsCaption = "Select All";
inline constexpr const char* DeselectAllPairsCaption = "Deselect all";
inline constexpr const char* NoColumnSelectedMessage = "At least one column must be selected.";
inline constexpr const char* NoPairSelectedMessage = "At least one column pair must be selected.";

/// What OK in a selection dialog gave: accepted (the choices are stored),
/// or refused with the message to show while the dialog stays open.
struct SelectionOutcome {
    bool Accepted = false;
    std::string Message;
};

/// One line of the column selection dialog: a column holding data.
struct ColumnSelectionItem {
    int Column = 0;
    std::string Caption;  // "C: title"
    bool Checked = false; // the column's selected flag
};
std::vector<ColumnSelectionItem> ColumnSelectionItems(const DataDocument& document);

/// OK with `checks[i]` the check of item i. Stores the selected flags of the
/// listed columns, marks the document changed and prepares the Choose Test
/// step again (the page may switch). A column left unchecked also clears
/// "All columns", so data typed later into another column does not bring
/// it back.
SelectionOutcome ApplyColumnSelection(DataDocument& document, ChooseTestState& selection,
                                      const std::vector<bool>& checks);

/// One line of the pair selection dialog: a pair of selected columns holding
/// data, numbered as the post tests number them (item k owns flag k of
/// SelectedPairs).
struct PairSelectionItem {
    int First = 0; // columns
    int Second = 0;
    std::string Caption; // "A:title-B:title"
    bool Checked = false;
};
std::vector<PairSelectionItem> PairSelectionItems(const DataDocument& document);

/// OK: flag k takes the check of item k, the flags beyond the list are
/// cleared, and the document is marked changed.
SelectionOutcome ApplyPairSelection(DataDocument& document, const std::vector<bool>& checks);

/// True when the post test compares selected pairs and none of the pairs of
/// the current columns is flagged; the analysis then shows
/// NoPairSelectedMessage instead of results. A choice of no post test never
/// needs pairs.
bool NoColumnPairFlagged(const DataDocument& document);

} // namespace vextal
