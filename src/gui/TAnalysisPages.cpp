// The Start and Choose Test pages of the document window. Both are rebuilt
// from the core's page descriptions after every change, so they never hold
// a choice of their own; the controls call the core's setters.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include <type_traits>

#include "data/cell_format.h"
#include "gui/TAnalysisForm.h"
#include "gui/TCheckListForm.h"
#include "workflow/pair_selection.h"
#include "gui/TSpreadGrid.h"
#include "workflow/choose_test_pages.h"
#include "workflow/test_selection.h"

using namespace vextal;

namespace {

QString fromStd(const std::string& text) { return QString::fromStdString(text); }

// Replaces a scroll area's content; the old one may be the sender of the
// signal that asked for the rebuild, so it goes later.
void replaceContent(QScrollArea* host, QWidget* content) {
    if (QWidget* old = host->takeWidget()) {
        old->hide();
        old->deleteLater();
    }
    host->setWidget(content);
}

template <typename Button>
Button* mirrored(QWidget* parent, QLayout* layout, const ControlState& state) {
    auto* button = new Button(fromStd(state.Caption), parent);
    if constexpr (!std::is_same_v<Button, QLabel>) button->setChecked(state.Checked);
    else button->setWordWrap(true);
    button->setEnabled(state.Enabled);
    button->setVisible(state.Visible);
    layout->addWidget(button);
    return button;
}

QGroupBox* group(QWidget* parent, QLayout* layout, const std::string& caption) {
    auto* box = new QGroupBox(fromStd(caption), parent);
    box->setLayout(new QVBoxLayout);
    layout->addWidget(box);
    return box;
}

QComboBox* mirroredList(QWidget* parent, QLayout* layout, const ListState& state) {
    auto* box = new QComboBox(parent);
    for (const std::string& item : state.Items) box->addItem(fromStd(item));
    box->setCurrentIndex(state.ItemIndex);
    box->setEnabled(state.Enabled);
    box->setVisible(state.Visible);
    layout->addWidget(box);
    return box;
}

QLineEdit* entryField(QWidget* parent, QLayout* layout, const EntryState& state) {
    auto* field = new QLineEdit(fromStd(state.Text), parent);
    field->setEnabled(state.Enabled);
    field->setMaximumWidth(120);
    layout->addWidget(field);
    return field;
}

QLabel* wrappedLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    return label;
}

}  // namespace

void TAnalysisForm::rebuildStartPage() {
    DataDocument& doc = *m_document;
    const StartPageView view = DescribeStartPage(doc);
    auto* page = new QWidget;
    auto* columns = new QHBoxLayout(page);

    auto* left = new QVBoxLayout;
    QGroupBox* goals = group(page, left, view.GoalGroupCaption);
    for (int i = 0; i < 3; ++i) {
        auto* radio = mirrored<QRadioButton>(goals, goals->layout(), view.Goals[i]);
        radio->setObjectName(QStringLiteral("goal%1").arg(i));
        connect(radio, &QRadioButton::clicked, this, [this, i] {
            SetGoal(*m_document, static_cast<GoalFamily>(i));
            m_grid->fillFromDocument();
            rebuildStartPage();
            updateStepBar();
        });
    }
    QGroupBox* formats = group(page, left, view.FormatGroupCaption);
    for (int i = 0; i < 7; ++i) {
        auto* radio = mirrored<QRadioButton>(formats, formats->layout(), view.Formats[i]);
        radio->setObjectName(QStringLiteral("format%1").arg(i + 1));
        connect(radio, &QRadioButton::clicked, this, [this, i] {
            if (SetDataFormat(*m_document, static_cast<DataFormat>(i + 1))) {
                m_grid->fillFromDocument();
                refreshTwoByTwo();
            }
            rebuildStartPage();
            updateStepBar();
        });
    }
    left->addStretch(1);
    columns->addLayout(left, 1);

    auto* right = new QVBoxLayout;
    right->addWidget(wrappedLabel(QStringLiteral("<b>%1</b>").arg(fromStd(view.ExampleCaption).toHtmlEscaped()), page));
    for (const std::string& line : view.ExampleLines) right->addWidget(wrappedLabel(fromStd(line), page));
    right->addSpacing(8);
    QString tests = QStringLiteral("<b>%1</b>").arg(fromStd(view.TestsCaption).toHtmlEscaped());
    for (const TestListGroup& listGroup : view.Tests) {
        if (!listGroup.Heading.empty())
            tests += QStringLiteral("<br><i>%1</i>").arg(fromStd(listGroup.Heading).toHtmlEscaped());
        for (const std::string& test : listGroup.Tests)
            tests += QStringLiteral("<br>&nbsp;&nbsp;%1").arg(fromStd(test).toHtmlEscaped());
    }
    auto* testsLabel = wrappedLabel(tests, page);
    testsLabel->setObjectName(QStringLiteral("testList"));
    testsLabel->setTextFormat(Qt::RichText);
    right->addWidget(testsLabel);
    right->addStretch(1);
    auto* next = new QPushButton(fromStd(view.NextStepCaption), page);
    next->setObjectName(QStringLiteral("nextStepButton"));
    next->setFlat(true);
    next->setStyleSheet(QStringLiteral("text-align: left; color: palette(link); text-decoration: underline;"));
    connect(next, &QPushButton::clicked, this, [this] { nextStep(); });
    right->addWidget(next);
    columns->addLayout(right, 1);

    replaceContent(m_startHost, page);
}

void TAnalysisForm::afterChoice() { rebuildChoosePage(); }

void TAnalysisForm::selectButton(QWidget* box, const ControlState& state) {
    auto* button = mirrored<QPushButton>(box, box->layout(), state);
    button->setObjectName(QStringLiteral("selectColumnsButton"));
    box->layout()->setAlignment(button, Qt::AlignLeft);
    connect(button, &QPushButton::clicked, this, [this] { selectColumns(); });
}

void TAnalysisForm::runCheckList(TCheckListForm& form) {
    if (m_checkListHook) m_checkListHook(form);
    else form.exec();
}

void TAnalysisForm::selectColumns() {
    if (Calculating()) return;
    DataDocument& doc = *m_document;
    const std::vector<ColumnSelectionItem> items = ColumnSelectionItems(doc);
    QStringList captions;
    std::vector<bool> checked;
    for (const ColumnSelectionItem& item : items) {
        captions << fromStd(item.Caption);
        checked.push_back(item.Checked);
    }
    TCheckListForm form(QString::fromLatin1(SelectColumnsTitle), captions, checked, false,
                        [this](const std::vector<bool>& checks) {
                            return ApplyColumnSelection(*m_document, m_document->State.Selection, checks).Message;
                        },
                        this);
    runCheckList(form);
    rebuildChoosePage();
}

void TAnalysisForm::selectPairs() {
    if (Calculating()) return;
    const std::vector<PairSelectionItem> items = PairSelectionItems(*m_document);
    QStringList captions;
    std::vector<bool> checked;
    for (const PairSelectionItem& item : items) {
        captions << fromStd(item.Caption);
        checked.push_back(item.Checked);
    }
    TCheckListForm form(QString::fromLatin1(SelectPairsTitle), captions, checked, true,
                        [this](const std::vector<bool>& checks) {
                            return ApplyPairSelection(*m_document, checks).Message;
                        },
                        this);
    runCheckList(form);
    rebuildChoosePage();
}

void TAnalysisForm::rebuildChoosePage() { replaceContent(m_chooseHost, buildChooseContent()); }

QWidget* TAnalysisForm::buildChooseContent() {
    DataDocument& doc = *m_document;
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    const auto onClick = [this](QAbstractButton* button, auto action) {
        connect(button, &QAbstractButton::clicked, this, [this, action](bool checked) {
            action(checked);
            afterChoice();
        });
    };
    const auto onNumber = [this](QLineEdit* field, auto action) {
        connect(field, &QLineEdit::editingFinished, this, [this, field, action] {
            long double value = 0;
            if (ParseNumber(field->text().trimmed().toStdString(), m_settings, value)) action(value);
            afterChoice();
        });
    };
    const auto testLine = [&](const std::string& caption, const std::string& text) {
        auto* label = wrappedLabel(fromStd(caption) + QStringLiteral("<b>%1</b>").arg(fromStd(text).toHtmlEscaped()), page);
        label->setObjectName(QStringLiteral("selectedTest"));
        layout->addWidget(label);
    };

    switch (doc.State.Selection.Page) {
    case ChooseTestPage::Blank:
        layout->addWidget(wrappedLabel(QStringLiteral("No test needs to be chosen for this data."), page));
        break;

    case ChooseTestPage::Fit: {
        const FitPageView view = DescribeFitPage(doc);
        auto* box = new QGroupBox(page);
        auto* boxLayout = new QVBoxLayout(box);
        onClick(mirrored<QRadioButton>(box, boxLayout, view.LinearRegression),
                [this](bool) { SetFitChoice(*m_document, FitChoice::LinearRegression); });
        auto* forceRow = new QHBoxLayout;
        onClick(mirrored<QRadioButton>(box, forceRow, view.ForceThrough),
                [this](bool) { SetFitChoice(*m_document, FitChoice::ForceThrough); });
        forceRow->addWidget(new QLabel(fromStd(view.ForceXCaption), box));
        onNumber(entryField(box, forceRow, view.ForceX), [this](long double x) { SetForceX(*m_document, x); });
        forceRow->addWidget(new QLabel(fromStd(view.ForceYCaption), box));
        onNumber(entryField(box, forceRow, view.ForceY), [this](long double y) { SetForceY(*m_document, y); });
        forceRow->addStretch(1);
        boxLayout->addLayout(forceRow);
        onClick(mirrored<QRadioButton>(box, boxLayout, view.Pearson),
                [this](bool) { SetFitChoice(*m_document, FitChoice::Pearson); });
        onClick(mirrored<QRadioButton>(box, boxLayout, view.Spearman),
                [this](bool) { SetFitChoice(*m_document, FitChoice::Spearman); });
        layout->addWidget(box);
        QGroupBox* runs = group(page, layout, view.LinearityGroupCaption);
        onClick(mirrored<QRadioButton>(runs, runs->layout(), view.RunsTestYes), [this](bool) { SetRunsTest(*m_document, true); });
        onClick(mirrored<QRadioButton>(runs, runs->layout(), view.RunsTestNo), [this](bool) { SetRunsTest(*m_document, false); });
        QGroupBox* unknowns = group(page, layout, view.UnknownsGroupCaption);
        onClick(mirrored<QCheckBox>(unknowns, unknowns->layout(), view.Interpolate),
                [this](bool checked) { SetInterpolateUnknowns(*m_document, checked); });
        break;
    }

    case ChooseTestPage::TwoByTwo: {
        const TwoByTwoPageView view = DescribeTwoByTwoPage(doc);
        QGroupBox* test = group(page, layout, view.TestGroupCaption);
        onClick(mirrored<QRadioButton>(test, test->layout(), view.Fisher), [this](bool) { SetUseChiSquare(*m_document, false); });
        onClick(mirrored<QRadioButton>(test, test->layout(), view.ChiSquare), [this](bool) { SetUseChiSquare(*m_document, true); });
        QGroupBox* yates = group(page, layout, view.YatesGroupCaption);
        onClick(mirrored<QRadioButton>(yates, yates->layout(), view.YatesYes), [this](bool) { SetYatesCorrection(*m_document, true); });
        onClick(mirrored<QRadioButton>(yates, yates->layout(), view.YatesNo), [this](bool) { SetYatesCorrection(*m_document, false); });
        QGroupBox* sides = group(page, layout, view.SidesGroupCaption);
        onClick(mirrored<QRadioButton>(sides, sides->layout(), view.OneSided), [this](bool) { SetTwoByTwoTwoSided(*m_document, false); });
        onClick(mirrored<QRadioButton>(sides, sides->layout(), view.TwoSided), [this](bool) { SetTwoByTwoTwoSided(*m_document, true); });
        QGroupBox* also = group(page, layout, view.AlsoCalculateGroupCaption);
        onClick(mirrored<QRadioButton>(also, also->layout(), view.RelativeRisk),
                [this](bool) { SetAlsoCalculate(*m_document, AlsoCalculate::RelativeRisk); });
        onClick(mirrored<QRadioButton>(also, also->layout(), view.OddsRatio),
                [this](bool) { SetAlsoCalculate(*m_document, AlsoCalculate::OddsRatio); });
        onClick(mirrored<QRadioButton>(also, also->layout(), view.Sensitivity),
                [this](bool) { SetAlsoCalculate(*m_document, AlsoCalculate::Sensitivity); });
        break;
    }

    case ChooseTestPage::OneColumn: {
        const OneColumnPageView view = DescribeOneColumnPage(doc);
        QGroupBox* column = group(page, layout, view.ColumnGroupCaption);
        mirrored<QLabel>(column, column->layout(), view.SelectionLabel);
        selectButton(column, view.SelectButton);
        auto* tests = new QGroupBox(page);
        tests->setLayout(new QVBoxLayout);
        layout->addWidget(tests);
        onClick(mirrored<QRadioButton>(tests, tests->layout(), view.TTest), [this](bool) { SetOneColNonParametric(*m_document, false); });
        onClick(mirrored<QRadioButton>(tests, tests->layout(), view.Wilcoxon), [this](bool) { SetOneColNonParametric(*m_document, true); });
        auto* tails = new QGroupBox(page);
        tails->setLayout(new QVBoxLayout);
        layout->addWidget(tails);
        onClick(mirrored<QRadioButton>(tails, tails->layout(), view.OneTail), [this](bool) { SetOneColTwoSided(*m_document, false); });
        onClick(mirrored<QRadioButton>(tails, tails->layout(), view.TwoTail), [this](bool) { SetOneColTwoSided(*m_document, true); });
        auto* hypothetical = new QGroupBox(page);
        auto* hypLayout = new QVBoxLayout(hypothetical);
        layout->addWidget(hypothetical);
        for (int i = 0; i < 3; ++i)
            onClick(mirrored<QRadioButton>(hypothetical, hypLayout, view.Hypothetical[i]),
                    [this, i](bool) { SetHypotheticalPreset(*m_document, i); });
        auto* otherRow = new QHBoxLayout;
        auto* other = mirrored<QRadioButton>(hypothetical, otherRow, view.Hypothetical[3]);
        QLineEdit* field = entryField(hypothetical, otherRow, view.HypotheticalField);
        otherRow->addStretch(1);
        hypLayout->addLayout(otherRow);
        onClick(other, [this, field](bool) {
            long double value = 0;
            if (!ParseNumber(field->text().trimmed().toStdString(), m_settings, value)) value = 0;
            SetHypotheticalOther(*m_document, value);
        });
        onNumber(field, [this](long double value) { LeaveHypotheticalField(*m_document, value); });
        break;
    }

    case ChooseTestPage::TwoColumns: {
        const TwoColumnsPageView view = DescribeTwoColumnsPage(doc);
        QGroupBox* column = group(page, layout, view.ColumnGroupCaption);
        mirrored<QLabel>(column, column->layout(), view.SelectionLabel);
        selectButton(column, view.SelectButton);
        QGroupBox* pairing = group(page, layout, view.PairingGroupCaption);
        onClick(mirrored<QRadioButton>(pairing, pairing->layout(), view.Unpaired), [this](bool) { SetTwoColUnpaired(*m_document, true); });
        onClick(mirrored<QRadioButton>(pairing, pairing->layout(), view.Paired), [this](bool) { SetTwoColUnpaired(*m_document, false); });
        QGroupBox* gaussian = group(page, layout, view.GaussianGroupCaption);
        onClick(mirrored<QRadioButton>(gaussian, gaussian->layout(), view.Nonparametric),
                [this](bool) { SetTwoColAssumption(*m_document, TwoColumnAssumption::Nonparametric); });
        onClick(mirrored<QRadioButton>(gaussian, gaussian->layout(), view.EqualSDs),
                [this](bool) { SetTwoColAssumption(*m_document, TwoColumnAssumption::EqualSDs); });
        onClick(mirrored<QRadioButton>(gaussian, gaussian->layout(), view.UnequalSDs),
                [this](bool) { SetTwoColAssumption(*m_document, TwoColumnAssumption::UnequalSDs); });
        QGroupBox* tails = group(page, layout, view.TailsGroupCaption);
        onClick(mirrored<QRadioButton>(tails, tails->layout(), view.OneTail), [this](bool) { SetTwoColTwoSided(*m_document, false); });
        onClick(mirrored<QRadioButton>(tails, tails->layout(), view.TwoTail), [this](bool) { SetTwoColTwoSided(*m_document, true); });
        testLine(view.TestCaption, view.TestText);
        break;
    }

    case ChooseTestPage::ThreeOrMoreColumns: {
        const ThreeOrMorePageView view = DescribeThreeOrMorePage(doc);
        QGroupBox* columns = group(page, layout, view.ColumnGroupCaption);
        onClick(mirrored<QRadioButton>(columns, columns->layout(), view.AllColumns),
                [this](bool) { SetAllColumns(*m_document, m_document->State.Selection, true); });
        onClick(mirrored<QRadioButton>(columns, columns->layout(), view.SelectedColumns),
                [this](bool) { SetAllColumns(*m_document, m_document->State.Selection, false); });
        selectButton(columns, view.SelectButton);
        mirrored<QLabel>(columns, columns->layout(), view.SelectionLabel);
        QGroupBox* matched = group(page, layout, view.MatchedGroupCaption);
        onClick(mirrored<QRadioButton>(matched, matched->layout(), view.Ordinary), [this](bool) { SetMultiColOrdinary(*m_document, true); });
        onClick(mirrored<QRadioButton>(matched, matched->layout(), view.Repeated), [this](bool) { SetMultiColOrdinary(*m_document, false); });
        QGroupBox* gaussian = group(page, layout, view.GaussianGroupCaption);
        onClick(mirrored<QRadioButton>(gaussian, gaussian->layout(), view.Parametric),
                [this](bool) { SetMultiColNonParametric(*m_document, false); });
        onClick(mirrored<QRadioButton>(gaussian, gaussian->layout(), view.Nonparametric),
                [this](bool) { SetMultiColNonParametric(*m_document, true); });
        QGroupBox* post = group(page, layout, view.PostTestGroupCaption);
        QComboBox* postList = mirroredList(post, post->layout(), view.PostTest);
        postList->setObjectName(QStringLiteral("postTestList"));
        connect(postList, &QComboBox::activated, this, [this](int item) {
            SetPostTestItem(*m_document, item);
            afterChoice();
        });
        onClick(mirrored<QCheckBox>(post, post->layout(), view.OnlyIfSignificant),
                [this](bool checked) { SetPostTestOnlyIfSignificant(*m_document, checked); });
        {
            auto* pairs = mirrored<QPushButton>(post, post->layout(), view.SelectPairs);
            pairs->setObjectName(QStringLiteral("selectPairsButton"));
            post->layout()->setAlignment(pairs, Qt::AlignLeft);
            connect(pairs, &QPushButton::clicked, this, [this] { selectPairs(); });
        }
        mirrored<QLabel>(post, post->layout(), view.ControlColumnLabel);
        QComboBox* control = mirroredList(post, post->layout(), view.ControlColumn);
        connect(control, &QComboBox::activated, this, [this](int item) {
            SetControlColumn(*m_document, item);
            afterChoice();
        });
        testLine(view.TestCaption, view.TestText);
        break;
    }

    case ChooseTestPage::MultipleRegression: {
        const MultipleRegressionPageView view = DescribeMultipleRegressionPage(doc);
        auto* kind = new QGroupBox(page);
        kind->setLayout(new QVBoxLayout);
        layout->addWidget(kind);
        onClick(mirrored<QRadioButton>(kind, kind->layout(), view.MultipleRegression),
                [this](bool) { SetMultipleRegression(*m_document, true); });
        onClick(mirrored<QRadioButton>(kind, kind->layout(), view.CorrelationMatrix),
                [this](bool) { SetMultipleRegression(*m_document, false); });
        mirrored<QLabel>(page, layout, view.OutcomeLabel);
        QComboBox* outcome = mirroredList(page, layout, view.Outcome);
        connect(outcome, &QComboBox::activated, this, [this, columns = view.OutcomeColumns](int item) {
            if (item >= 0 && item < static_cast<int>(columns.size())) SetDependentY(*m_document, columns[item]);
            afterChoice();
        });
        mirrored<QLabel>(page, layout, view.IndependentCaption);
        auto* list = new QWidget(page);
        auto* listLayout = new QVBoxLayout(list);
        listLayout->setContentsMargins(12, 0, 0, 0);
        for (std::size_t i = 0; i < view.Independent.Items.size(); ++i) {
            auto* check = new QCheckBox(fromStd(view.Independent.Items[i]), list);
            check->setChecked(view.Independent.Checked[i]);
            check->setEnabled(view.Independent.Enabled);
            listLayout->addWidget(check);
            const int column = view.Independent.Columns[i];
            onClick(check, [this, column](bool checked) { SetIndependentX(*m_document, column, checked); });
        }
        layout->addWidget(list);
        auto* buttons = new QHBoxLayout;
        onClick(mirrored<QPushButton>(page, buttons, view.SelectAll), [this](bool) { SetAllIndependentX(*m_document, true); });
        onClick(mirrored<QPushButton>(page, buttons, view.DeselectAll), [this](bool) { SetAllIndependentX(*m_document, false); });
        buttons->addStretch(1);
        layout->addLayout(buttons);
        break;
    }
    }
    layout->addStretch(1);
    return page;
}
