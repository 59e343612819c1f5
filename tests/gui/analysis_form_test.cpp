#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QLineEdit>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTableWidget>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "data/data_table.h"
#include "gui/TAnalysisForm.h"
#include "gui/TCheckListForm.h"
#include "gui/TResultsViewer.h"
#include "report/report_lines.h"
#include "gui/TSpreadGrid.h"
#include "stats/walked_exact_p.h"
#include "workflow/calculation_progress.h"
#include "workflow/pair_selection.h"

using namespace vextal;

namespace {

QString example(const char* name) {
    return QDir(QStringLiteral(VEXTAL_EXAMPLES_DIR)).absoluteFilePath(QLatin1String(name));
}

MessageSink failOnMessage() {
    return [](const std::string&, const std::string& text) { ADD_FAILURE() << text; };
}

// A form opened on a sample file whose questions are answered by `answer`.
struct Form {
    explicit Form(const char* file = nullptr) : form(NumberSettings{}) {
        form.setQuestionHook([this](const QString&, bool defaultNo) {
            ++questions;
            lastDefaultNo = defaultNo;
            return answer;
        });
        form.resize(900, 600);
        form.show();
        if (file) loaded = form.loadFile(example(file), failOnMessage());
    }
    TAnalysisForm form;
    bool loaded = false;
    bool answer = false;
    int questions = 0;
    bool lastDefaultNo = false;
};

QRadioButton* radioWithText(QWidget* page, const QString& start) {
    for (QRadioButton* radio : page->findChildren<QRadioButton*>())
        if (radio->isVisible() && radio->text().startsWith(start)) return radio;
    return nullptr;
}

TEST(AnalysisForm, NewDocumentStartsOnStartWithItsTests) {
    Form f;
    EXPECT_EQ(f.form.currentStep(), TAnalysisForm::StartStep);
    EXPECT_TRUE(f.form.needsName());
    auto* next = f.form.startPage()->findChild<QAbstractButton*>(QStringLiteral("nextStepButton"));
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(next->text(), QStringLiteral("Next step: Enter data (click here)."));
    auto* tests = f.form.startPage()->findChild<QLabel*>(QStringLiteral("testList"));
    ASSERT_NE(tests, nullptr);
    EXPECT_TRUE(tests->text().contains(QStringLiteral("One-way ANOVA")));
    next->click();
    EXPECT_EQ(f.form.currentStep(), TAnalysisForm::DataStep);
}

TEST(AnalysisForm, EverySampleWalksThroughItsSteps) {
    const char* files[] = {"raw_data.vxd",  "mean_sd_n.vxd",          "mean_sem_n.vxd",         "contingency.vxd",
                           "two_by_two.vxd", "xy_standard_curve.vxd", "multiple_regression.vxd"};
    for (const char* file : files) {
        SCOPED_TRACE(file);
        Form f(file);
        ASSERT_TRUE(f.loaded);
        const auto enabled = f.form.enabledSteps();
        // Walk forward with Next, then back with Previous: every enabled step is visited.
        f.form.showStep(TAnalysisForm::StartStep);
        std::vector<int> visited{f.form.currentStep()};
        for (int i = 0; i < 6; ++i) {
            f.form.nextStep();
            if (f.form.currentStep() != visited.back()) visited.push_back(f.form.currentStep());
        }
        std::vector<int> expected;
        for (int step = 0; step < TAnalysisForm::StepCount; ++step)
            if (enabled[step]) expected.push_back(step);
        EXPECT_EQ(visited, expected);
        f.form.showStep(TAnalysisForm::ResultsStep);
        EXPECT_FALSE(f.form.resultsText().trimmed().isEmpty());
        for (int i = 0; i < 6; ++i) f.form.previousStep();
        EXPECT_EQ(f.form.currentStep(), TAnalysisForm::StartStep);
    }
}

TEST(AnalysisForm, StepAvailabilityFollowsTheFormat) {
    Form contingency("contingency.vxd");
    contingency.form.showStep(TAnalysisForm::DataStep);
    contingency.form.nextStep();
    EXPECT_EQ(contingency.form.currentStep(), TAnalysisForm::ResultsStep);

    Form averaged("mean_sd_n.vxd");
    EXPECT_EQ(averaged.form.currentStep(), TAnalysisForm::StatsStep) << "averaged files open on Column Stats";
    averaged.form.showStep(TAnalysisForm::DataStep);  // not available
    EXPECT_EQ(averaged.form.currentStep(), TAnalysisForm::StatsStep);
    averaged.form.showStep(TAnalysisForm::StartStep);
    averaged.form.nextStep();
    EXPECT_EQ(averaged.form.currentStep(), TAnalysisForm::StatsStep);
    averaged.form.previousStep();
    EXPECT_EQ(averaged.form.currentStep(), TAnalysisForm::StartStep);

    Form pairs("two_by_two.vxd");
    pairs.form.showStep(TAnalysisForm::DataStep);
    auto* stack = pairs.form.grid()->parentWidget()->parentWidget();
    ASSERT_NE(qobject_cast<QStackedWidget*>(stack), nullptr);
    EXPECT_EQ(qobject_cast<QStackedWidget*>(stack)->currentWidget()->objectName(), QStringLiteral("twoByTwoPage"));
}

TEST(AnalysisForm, ResultsAreComputedOnlyWhenStale) {
    Form f("raw_data.vxd");
    f.form.showStep(TAnalysisForm::ResultsStep);
    EXPECT_TRUE(f.form.resultsText().contains(QStringLiteral("One-way Analysis of Variance")));
    f.form.showStep(TAnalysisForm::GraphStep);
    f.form.showStep(TAnalysisForm::ResultsStep);
    EXPECT_EQ(f.form.analysisRuns(), 1);

    // Choosing the nonparametric test on the Choose Test page recomputes.
    f.form.showStep(TAnalysisForm::ChooseStep);
    QRadioButton* nonparametric = radioWithText(f.form.choosePage(), QStringLiteral("No. Use nonparametric"));
    ASSERT_NE(nonparametric, nullptr);
    nonparametric->click();
    EXPECT_EQ(f.form.document().State.Choices.MultiColNonParametric, 1);
    f.form.showStep(TAnalysisForm::ResultsStep);
    EXPECT_EQ(f.form.analysisRuns(), 2);
    EXPECT_TRUE(f.form.resultsText().contains(QStringLiteral("Kruskal-Wallis")));
}

TEST(AnalysisForm, ReportMarkersBecomeStyles) {
    Form f("raw_data.vxd");
    f.form.showStep(TAnalysisForm::ResultsStep);
    EXPECT_FALSE(f.form.resultsText().contains(QChar(0x80)));
    // The title of the analysis is underlined, character by character.
    const ReportLines& lines = f.form.resultsView()->lines();
    bool found = false;
    for (int i = 0; i < lines.Count() && !found; ++i) {
        const std::string text = lines.Line(i)->Utf8();
        const auto at = text.find("One-way Analysis of Variance");
        if (at == std::string::npos) continue;
        found = true;
        EXPECT_TRUE(lines.Line(i)->Flags[at] & StyleUnderline);
    }
    EXPECT_TRUE(found);
}

TEST(AnalysisForm, NoStepChangeOrCloseWhileCalculating) {
    Form f("raw_data.vxd");
    SteadyClock clock;
    CalculationProgress other(clock);
    other.BeginCalculation();
    f.form.showStep(TAnalysisForm::StartStep);
    f.form.nextStep();
    EXPECT_EQ(f.form.currentStep(), TAnalysisForm::DataStep);
    EXPECT_FALSE(f.form.close());
    other.EndCalculation();
    f.form.showStep(TAnalysisForm::StartStep);
    EXPECT_EQ(f.form.currentStep(), TAnalysisForm::StartStep);
}

TEST(AnalysisForm, DeleteAllDataAsksAndCommitsThePendingEdit) {
    Form f("raw_data.vxd");
    f.form.showStep(TAnalysisForm::ChooseStep);
    f.answer = false;
    f.form.deleteAllData();
    EXPECT_EQ(f.questions, 1);
    EXPECT_TRUE(f.lastDefaultNo);
    EXPECT_TRUE(HasData(f.form.document().Table));

    f.answer = true;
    f.form.deleteAllData();
    EXPECT_FALSE(HasData(f.form.document().Table));
    EXPECT_EQ(f.form.currentStep(), TAnalysisForm::StartStep);
}

TEST(AnalysisForm, LeavingTheGridCommitsItsEditor) {
    Form f;
    f.form.showStep(TAnalysisForm::DataStep);
    TSpreadGrid* grid = f.form.grid();
    grid->setCurrentDataCell(0, 0);
    grid->edit(grid->currentIndex());
    auto* editor = qobject_cast<QLineEdit*>(grid->indexWidget(grid->currentIndex()));
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, QStringLiteral("4.5"));
    f.form.showStep(TAnalysisForm::StatsStep);
    EXPECT_EQ(RawValue(f.form.document().Table, 0, 0), 4.5L);
    EXPECT_EQ(f.form.statsGrid()->item(1, 1)->text(), QStringLiteral("4.5000"));
}

TEST(AnalysisForm, TwoByTwoTotalsFollowTheCounts) {
    Form f("two_by_two.vxd");
    f.form.showStep(TAnalysisForm::DataStep);
    QList<QLineEdit*> fields = f.form.findChildren<QLineEdit*>();
    QLineEdit* countA = nullptr;
    for (QLineEdit* field : fields)
        if (field->text() == QStringLiteral("28")) countA = field;
    ASSERT_NE(countA, nullptr);
    countA->setText(QString());
    emit countA->editingFinished();
    EXPECT_TRUE(IsMissing(f.form.document().TwoByTwo.A));
    bool blankGrandTotal = true;
    for (QLineEdit* field : fields)
        if (field->isReadOnly() && field->text() == QStringLiteral("372")) blankGrandTotal = false;
    EXPECT_TRUE(blankGrandTotal) << "a total with a blank part is blank";
}

TEST(AnalysisForm, TypedSummaryIsStoredThroughTheStatsGrid) {
    Form f("mean_sd_n.vxd");
    DataDocument& doc = f.form.document();
    const int empty = 3;  // column D
    ASSERT_EQ(doc.Table.ColumnInfo[empty].N, 0);
    f.form.statsGrid()->item(1, empty + 1)->setText(QStringLiteral("10"));
    f.form.statsGrid()->item(2, empty + 1)->setText(QStringLiteral("2"));
    f.form.statsGrid()->item(3, empty + 1)->setText(QStringLiteral("5"));
    QCoreApplication::processEvents();
    EXPECT_EQ(doc.Table.ColumnInfo[empty].Mean, 10.0L);
    EXPECT_EQ(doc.Table.ColumnInfo[empty].SD, 2.0L);
    EXPECT_EQ(doc.Table.ColumnInfo[empty].N, 5);
    EXPECT_FALSE(f.form.statsGrid()->item(5, empty + 1)->text().isEmpty()) << "SEM derived";
}

TEST(AnalysisForm, SelectColumnsDialogRefusesNoneAndStoresTheChecks) {
    Form f("raw_data.vxd");
    f.form.showStep(TAnalysisForm::ChooseStep);
    auto* button = f.form.choosePage()->findChild<QPushButton*>(QStringLiteral("selectColumnsButton"));
    ASSERT_NE(button, nullptr);
    int shown = 0;
    f.form.setCheckListHook([&](TCheckListForm& form) {
        ++shown;
        EXPECT_EQ(form.windowTitle(), QStringLiteral("Select Columns"));
        ASSERT_GE(form.list()->count(), 3);
        form.showMessage = [](const QString&) {};
        form.setChecks(std::vector<bool>(form.list()->count(), false));
        form.accept();
        EXPECT_EQ(form.lastMessage(), QString::fromLatin1(NoColumnSelectedMessage));
        EXPECT_EQ(form.result(), QDialog::Rejected) << "the dialog stays open";
        std::vector<bool> firstTwo(form.list()->count(), false);
        firstTwo[0] = firstTwo[1] = true;
        form.setChecks(firstTwo);
        form.accept();
        EXPECT_EQ(form.result(), QDialog::Accepted);
    });
    f.form.selectColumns();
    EXPECT_EQ(shown, 1);
    const DataTable& table = f.form.document().Table;
    EXPECT_TRUE(table.ColumnSelected[0] && table.ColumnSelected[1]);
    EXPECT_FALSE(table.ColumnSelected[2]);
    EXPECT_TRUE(f.form.document().State.ResultsStale);
}

TEST(AnalysisForm, SelectPairsDialogHasItsAllButtons) {
    Form f("raw_data.vxd");
    f.form.showStep(TAnalysisForm::ChooseStep);
    f.form.setCheckListHook([&](TCheckListForm& form) {
        EXPECT_EQ(form.windowTitle(), QStringLiteral("Select Pairs"));
        ASSERT_NE(form.deselectAllButton(), nullptr);
        form.showMessage = [](const QString&) {};
        form.deselectAllButton()->click();
        form.accept();
        EXPECT_EQ(form.lastMessage(), QString::fromLatin1(NoPairSelectedMessage));
        form.selectAllButton()->click();
        form.accept();
        EXPECT_EQ(form.result(), QDialog::Accepted);
        EXPECT_EQ(form.checks(), std::vector<bool>(form.list()->count(), true));
    });
    f.form.selectPairs();
}

TEST(AnalysisForm, TwoByTwoArrowKeysFollowTheTable) {
    Form f("two_by_two.vxd");
    f.form.showStep(TAnalysisForm::DataStep);
    f.form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f.form));
    const auto fields = f.form.twoByTwoFields();
    enum { Title, Col1, Col2, Row1, Row2, A, B, C, D };
    const auto press = [&](int from, Qt::Key key) {
        fields[from]->setFocus();
        QTest::keyClick(fields[from], key);
        for (int i = 0; i < 9; ++i)
            if (fields[i]->hasFocus()) return i;
        return -1;
    };
    EXPECT_EQ(press(A, Qt::Key_Up), Col1);
    EXPECT_EQ(press(B, Qt::Key_Up), Col2);
    EXPECT_EQ(press(C, Qt::Key_Up), A);
    EXPECT_EQ(press(Row1, Qt::Key_Up), Title);
    EXPECT_EQ(press(Row2, Qt::Key_Up), Row1);
    EXPECT_EQ(press(Title, Qt::Key_Down), Col1);
    EXPECT_EQ(press(Col2, Qt::Key_Down), B);
    EXPECT_EQ(press(B, Qt::Key_Down), D);
    EXPECT_EQ(press(A, Qt::Key_Right), B);
    EXPECT_EQ(press(B, Qt::Key_Right), Row2);
    EXPECT_EQ(press(A, Qt::Key_Left), Row1);
    fields[A]->setFocus();
    QTest::keyClick(fields[A], Qt::Key_F2, Qt::ShiftModifier);
    EXPECT_EQ(f.form.currentStep(), TAnalysisForm::ChooseStep) << "Shift+F2: the next step";
}

TEST(AnalysisForm, HelpButtonsAndCommandsFollowTheStep) {
    Form f("raw_data.vxd");
    f.form.showStep(TAnalysisForm::StartStep);
    EXPECT_EQ(f.form.helpButtons()[0].Topic, 695);
    f.form.showStep(TAnalysisForm::DataStep);
    EXPECT_EQ(f.form.helpButtons()[0].Topic, 528);
    EXPECT_EQ(f.form.stepCommands().PrintCaption, "Print Data");
    f.form.showStep(TAnalysisForm::ChooseStep);
    EXPECT_EQ(f.form.helpButtons()[0].Topic, 134) << "three or more columns";
    f.form.showStep(TAnalysisForm::ResultsStep);
    EXPECT_EQ(f.form.helpButtons()[0].Topic, f.form.document().ReportHelpTopic);
    EXPECT_GT(f.form.helpButtons()[0].Topic, 0);
    EXPECT_TRUE(f.form.stepCommands().AppendToNotes);
}

TEST(AnalysisForm, DataTitleFieldStoresAndLeadsToTheColumnTitles) {
    Form f;
    f.form.showStep(TAnalysisForm::DataStep);
    QLineEdit* title = f.form.dataTitleField();
    ASSERT_NE(title, nullptr);
    QTest::keyClicks(title, QStringLiteral("Trial 4"));
    EXPECT_EQ(f.form.document().Table.DocumentTitle, "Trial 4");
    EXPECT_TRUE(f.form.document().State.DocumentModified);
    QTest::keyClick(title, Qt::Key_Down);
    EXPECT_TRUE(f.form.grid()->isEditing());
    EXPECT_EQ(f.form.grid()->currentIndex(), f.form.grid()->model()->index(0, 1));
}

TEST(AnalysisForm, CancelButtonStopsALongExactCalculation) {
    Form f;
    CalculationProgress* progress = f.form.progress();
    bool clicked = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!clicked && f.form.cancelButton()->isVisible()) {
            clicked = true;
            QTest::mouseClick(f.form.cancelButton(), Qt::LeftButton);
        }
    });
    poll.start(20);
    QElapsedTimer timer;
    timer.start();
    progress->BeginCalculation();
    // Nearly 2·10^9 deals: most of a minute of walking, ended by Cancel.
    const std::int32_t sizes[] = {4, 10, 10};
    const ExactPResult result = KruskalWallisWalkedP(sizes, 3.0L, 0.25L, progress);
    progress->EndCalculation();
    poll.stop();
    EXPECT_TRUE(clicked);
    EXPECT_EQ(result.State, NonparametricExactState::Interrupted);
    EXPECT_LT(timer.elapsed(), 20000);
    EXPECT_FALSE(Calculating());
    EXPECT_FALSE(f.form.cancelButton()->isVisible());
}

}  // namespace
