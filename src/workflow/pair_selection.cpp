#include "workflow/pair_selection.h"

#include <algorithm>

#include "workflow/test_selection.h"

namespace vextal {
namespace {

std::string PairCaption(const DataTable& table, int first, int second) {
    const auto part = [&table](int column) {
        return std::string(1, static_cast<char>('A' + column)) + ":" +
               table.ColumnInfo[static_cast<std::size_t>(column)].Title;
    };
    return part(first) + "-" + part(second);
}

bool Checked(const std::vector<bool>& checks, std::size_t i) {
    return i < checks.size() && checks[i];
}

} // namespace

std::vector<ColumnSelectionItem> ColumnSelectionItems(const DataDocument& document) {
    const DataTable& table = document.Table;
    std::vector<ColumnSelectionItem> items;
    for (int column : DataColumns(table))
        items.push_back({column, ColumnListCaption(table, column),
                         static_cast<bool>(table.ColumnSelected[static_cast<std::size_t>(column)])});
    return items;
}

SelectionOutcome ApplyColumnSelection(DataDocument& document, ChooseTestState& selection,
                                      const std::vector<bool>& checks) {
    const std::vector<ColumnSelectionItem> items = ColumnSelectionItems(document);
    bool any = false;
    for (std::size_t i = 0; i < items.size(); ++i)
        any |= Checked(checks, i);
    if (!any)
        return {false, NoColumnSelectedMessage};

    for (std::size_t i = 0; i < items.size(); ++i) {
        const bool checked = Checked(checks, i);
        document.Table.ColumnSelected[static_cast<std::size_t>(items[i].Column)] = checked;
        if (!checked)
            document.State.Choices.AllColumns = false;
    }
    MarkChanged(document.State);
    PrepareChooseTest(document, selection);
    return {true, {}};
}

std::vector<PairSelectionItem> PairSelectionItems(const DataDocument& document) {
    const DataTable& table = document.Table;
    const std::vector<int> columns = SelectedDataColumns(table);
    const auto& flags = document.State.Choices.SelectedPairs;
    std::vector<PairSelectionItem> items;
    for (std::size_t i = 0; i < columns.size(); ++i)
        for (std::size_t j = i + 1; j < columns.size(); ++j) {
            const std::size_t k = items.size();
            items.push_back({columns[i], columns[j], PairCaption(table, columns[i], columns[j]),
                             k < flags.size() && flags[k]});
        }
    return items;
}

SelectionOutcome ApplyPairSelection(DataDocument& document, const std::vector<bool>& checks) {
    const std::size_t count = PairSelectionItems(document).size();
    bool any = false;
    for (std::size_t k = 0; k < count; ++k)
        any |= Checked(checks, k);
    if (!any)
        return {false, NoPairSelectedMessage};

    auto& flags = document.State.Choices.SelectedPairs;
    for (std::size_t k = 0; k < flags.size(); ++k)
        flags[k] = k < count && Checked(checks, k);
    MarkChanged(document.State);
    return {true, {}};
}

bool NoColumnPairFlagged(const DataDocument& document) {
    const AnalysisChoices& c = document.State.Choices;
    if (c.PostTestPairs != 1 || c.PostTestMethod != 0 || c.PostTestCondition == 1)
        return false;
    const std::size_t m = SelectedDataColumns(document.Table).size();
    const std::size_t pairs = std::min(m < 2 ? 0 : m * (m - 1) / 2, c.SelectedPairs.size());
    return std::none_of(c.SelectedPairs.begin(), c.SelectedPairs.begin() + static_cast<std::ptrdiff_t>(pairs),
                        [](bool flag) { return flag; });
}

} // namespace vextal
