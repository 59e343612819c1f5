// What the Choose Test step remembers between two preparations of a
// document: the option page it shows and how many columns held data the last
// time it looked. Kept apart from the rules so that a document can carry it
// without pulling in the rules.
#pragma once

namespace vextal {

/// The option page of the Choose Test step.
enum class ChooseTestPage : int {
    Blank,              // larger contingency tables, and a new window before any choice
    ThreeOrMoreColumns, // raw or averaged data, none or three or more selected columns
    TwoByTwo,
    TwoColumns,
    OneColumn,
    Fit, // XY data
    MultipleRegression,
};

struct ChooseTestState {
    ChooseTestPage Page = ChooseTestPage::Blank;
    int ColumnsWithData = 0; // columns holding data at the last preparation
};

/// The help topic of the page's "Help me choose" button; 0 for the blank page.
inline int ChooseTestHelpTopic(ChooseTestPage page) {
    switch (page) {
    case ChooseTestPage::ThreeOrMoreColumns:
        return 134;
    case ChooseTestPage::TwoByTwo:
        return 161;
    case ChooseTestPage::TwoColumns:
        return 88;
    case ChooseTestPage::OneColumn:
        return 73;
    case ChooseTestPage::Fit:
        return 182;
    case ChooseTestPage::MultipleRegression:
        return 463;
    case ChooseTestPage::Blank:
        return 0;
    }
    return 0;
}

} // namespace vextal
