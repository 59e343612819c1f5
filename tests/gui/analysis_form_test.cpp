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
#include <QTest>

#include <gtest/gtest.h>

#include "data/data_table.h"
#include "gui/TAnalysisForm.h"
#include "gui/TSpreadGrid.h"
#include "workflow/calculation_progress.h"

using namespace vextal;

namespace {

QString example(const char* name) {
    return QFileInfo(QStringLiteral(__FILE__)).dir().absoluteFilePath(QStringLiteral("../../examples/%1").arg(QLatin1String(name)));
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
    auto* stack = pairs.form.grid()->parentWidget();
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
    QTextCursor cursor = f.form.resultsView()->document()->find(QStringLiteral("One-way Analysis of Variance"));
    ASSERT_FALSE(cursor.isNull());
    EXPECT_TRUE(cursor.charFormat().fontUnderline());
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

}  // namespace
