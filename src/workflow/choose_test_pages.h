// Every control of the Start step and of the Choose Test option pages as
// plain values: caption, check mark, enabled and visible state, list items
// and the item shown. The window pages copy these into their widgets after
// each PrepareChooseTest and after each setter of test_selection.h; they
// keep no choice of their own.
//
// Captions are given as the widgets take them: "&&" stands for one
// ampersand, trailing blanks are part of the caption.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "data/data_document.h"
#include "workflow/choose_test_state.h"
#include "workflow/test_selection.h"

namespace vextal {

/// A radio button, check box, button or label.
struct ControlState {
    std::string Caption;
    bool Checked = false;
    bool Enabled = true;
    bool Visible = true;
};

/// A drop-down list; ItemIndex -1 shows no item.
struct ListState {
    std::vector<std::string> Items;
    int ItemIndex = -1;
    bool Enabled = true;
    bool Visible = true;
};

/// A list of check boxes, one per column in Columns.
struct CheckListState {
    std::vector<std::string> Items;
    std::vector<bool> Checked;
    std::vector<int> Columns;
    bool Enabled = true;
};

/// A numeric entry field; the text uses "." as decimal point.
struct EntryState {
    std::string Text;
    long double Value = 0;
    bool Enabled = true;
};

inline constexpr const char* SelectedTestCaption =
    "Based on your answers above, Vextal will perform this test:  ";

struct StartPageView {
    std::string GoalGroupCaption;
    std::array<ControlState, 3> Goals; // in GoalFamily order
    std::string FormatGroupCaption;
    std::array<ControlState, 7> Formats; // index = format code - 1
    std::string ExampleCaption;
    std::array<std::string, 2> ExampleLines;
    std::string TestsCaption;
    std::vector<TestListGroup> Tests;
    std::string NextStepCaption;
};
StartPageView DescribeStartPage(const DataDocument& document);

struct FitPageView {
    ControlState LinearRegression; // "Linear regression."
    ControlState ForceThrough;     // "Linear regression. Force through", then the X= and Y= fields
    ControlState Pearson;
    ControlState Spearman;
    std::string ForceXCaption;
    std::string ForceYCaption;
    EntryState ForceX;
    EntryState ForceY;
    std::string LinearityGroupCaption;
    ControlState RunsTestYes;
    ControlState RunsTestNo;
    std::string UnknownsGroupCaption;
    ControlState Interpolate;
    ControlState UnknownsHelpButton;
    int UnknownsHelpTopic = 202;
};
FitPageView DescribeFitPage(const DataDocument& document);

struct TwoByTwoPageView {
    std::string TestGroupCaption;
    ControlState Fisher;
    ControlState ChiSquare;
    std::string YatesGroupCaption;
    ControlState YatesYes;
    ControlState YatesNo;
    std::string SidesGroupCaption;
    ControlState OneSided;
    ControlState TwoSided;
    std::string AlsoCalculateGroupCaption;
    ControlState RelativeRisk;
    ControlState OddsRatio;
    ControlState Sensitivity;
};
TwoByTwoPageView DescribeTwoByTwoPage(const DataDocument& document);

struct OneColumnPageView {
    std::string ColumnGroupCaption;
    ControlState SelectionLabel; // "Selected: " and the column letter
    ControlState SelectButton;
    ControlState TTest;
    ControlState Wilcoxon;
    ControlState OneTail;
    ControlState TwoTail;
    std::array<ControlState, 4> Hypothetical; // 0.0, 1.0, 100, another value
    EntryState HypotheticalField;
};
OneColumnPageView DescribeOneColumnPage(const DataDocument& document);

struct TwoColumnsPageView {
    std::string ColumnGroupCaption;
    ControlState SelectionLabel;
    ControlState SelectButton;
    std::string PairingGroupCaption;
    ControlState Unpaired;
    ControlState Paired;
    std::string GaussianGroupCaption;
    ControlState Nonparametric;
    ControlState EqualSDs;
    ControlState UnequalSDs;
    std::string TailsGroupCaption;
    ControlState OneTail;
    ControlState TwoTail;
    std::string TestCaption;
    std::string TestText;
};
TwoColumnsPageView DescribeTwoColumnsPage(const DataDocument& document);

struct ThreeOrMorePageView {
    std::string ColumnGroupCaption;
    ControlState AllColumns;
    ControlState SelectedColumns;
    ControlState SelectButton;
    ControlState SelectionLabel;
    std::string MatchedGroupCaption;
    ControlState Ordinary;
    ControlState Repeated;
    std::string GaussianGroupCaption;
    ControlState Parametric;
    ControlState Nonparametric;
    std::string PostTestGroupCaption;
    ListState PostTest;
    ControlState OnlyIfSignificant;
    ControlState SelectPairs;
    ControlState ControlColumnLabel;
    ListState ControlColumn; // one item per selected column holding data
    std::string TestCaption;
    std::string TestText;
};
ThreeOrMorePageView DescribeThreeOrMorePage(const DataDocument& document);

struct MultipleRegressionPageView {
    ControlState MultipleRegression;
    ControlState CorrelationMatrix;
    ControlState OutcomeLabel;
    ListState Outcome;
    std::vector<int> OutcomeColumns; // the column of each Outcome item
    ControlState IndependentCaption;
    CheckListState Independent;
    ControlState SelectAll;
    ControlState DeselectAll;
};
MultipleRegressionPageView DescribeMultipleRegressionPage(const DataDocument& document);

/// The text an entry field shows for a value: up to 9 decimals, trailing
/// zeros dropped ("0", "100", "100.5").
std::string EntryFieldText(long double value);

} // namespace vextal
