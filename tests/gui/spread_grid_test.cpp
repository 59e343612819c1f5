#include <QApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include "data/cell_entry.h"
#include "data/data_document.h"
#include "gui/TSpreadGrid.h"

using namespace vextal;

namespace {

struct GridFixture : ::testing::Test {
    DataDocument doc = NewDocument();
    NumberSettings comma{',', ';'};
    TSpreadGrid grid{doc, comma};
    std::vector<std::pair<QString, bool>> asked;
    bool answer = false;

    void SetUp() override {
        grid.setQuestionHook([this](const QString& text, bool defaultNo) {
            asked.emplace_back(text, defaultNo);
            return answer;
        });
        grid.resize(600, 400);
        grid.show();
    }

    QLineEdit* openEditor(int modelRow, int modelColumn) {
        grid.setCurrentIndex(grid.model()->index(modelRow, modelColumn));
        grid.edit(grid.currentIndex());
        return qobject_cast<QLineEdit*>(grid.indexWidget(grid.currentIndex()));
    }

    // Types into data cell (row, column) and presses Enter.
    QString type(int row, int column, const QString& text) {
        QLineEdit* editor = openEditor(row + 1, column + 1);
        if (!editor) return QStringLiteral("<no editor>");
        editor->selectAll();
        QTest::keyClicks(editor, text);
        const QString typed = editor->text();
        QTest::keyClick(editor, Qt::Key_Return);
        QCoreApplication::processEvents();
        return typed;
    }

    QString shown(int row, int column) {
        return grid.model()->index(row + 1, column + 1).data().toString();
    }
};

TEST_F(GridFixture, TypedTextBecomesValuesUnderTheGivenSettings) {
    type(0, 0, QStringLiteral("1,5"));
    EXPECT_EQ(RawValue(doc.Table, 0, 0), 1.5L);
    EXPECT_EQ(shown(0, 0), QStringLiteral("1.5"));
    EXPECT_EQ(grid.currentIndex().row(), 2) << "Enter moves to the cell below";

    type(1, 0, QStringLiteral("12e"));
    EXPECT_EQ(RawValue(doc.Table, 1, 0), 12.0L);

    // Letters never reach the editor, so nothing is stored.
    EXPECT_EQ(type(2, 0, QStringLiteral("abc")), QString());
    EXPECT_TRUE(IsMissing(RawValue(doc.Table, 2, 0)));

    type(3, 0, QStringLiteral("1.2.3"));
    EXPECT_EQ(RawValue(doc.Table, 3, 0), CellTextToValue("1.23"));
    EXPECT_TRUE(doc.State.DocumentModified);
}

TEST_F(GridFixture, EditorLimitsAndUntouchedCells) {
    EXPECT_EQ(type(0, 0, QStringLiteral("12345678901234567890")).size(), 14);
    EXPECT_EQ(type(0, 1, QStringLiteral("+3")), QStringLiteral("3"));  // "+" is no cell key

    // Opening and leaving a cell without typing stores nothing.
    doc.State.DocumentModified = false;
    QLineEdit* editor = openEditor(1, 1);
    ASSERT_NE(editor, nullptr);
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_FALSE(doc.State.DocumentModified);

    // Titles: 15 characters for a column, 10 for a row.
    editor = openEditor(0, 2);
    QTest::keyClicks(editor, QStringLiteral("A very long column title"));
    EXPECT_EQ(editor->text().size(), 15);
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_EQ(doc.Table.ColumnInfo[1].Title, "A very long col");
    editor = openEditor(4, 0);
    editor->selectAll();
    QTest::keyClicks(editor, QStringLiteral("Patient 12345"));
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_EQ(doc.Table.RowTitles[3], "Patient 12");
}

TEST_F(GridFixture, DecimalsOfAColumnFollowTheTypedValues) {
    type(0, 0, QStringLiteral("1.5"));
    type(1, 0, QStringLiteral("0.125"));
    EXPECT_EQ(ColumnDecimals(doc.Table, 0), 3);
    EXPECT_EQ(shown(0, 0), QStringLiteral("1.500"));
}

TEST_F(GridFixture, TypingIntoATypedSummaryAsksBeforeErasingIt) {
    doc.Table.SummaryEntered[0] = true;
    doc.Table.ColumnInfo[0].N = 5;
    doc.Table.ColumnInfo[0].Mean = 3;
    doc.Table.ColumnInfo[0].SD = 1;

    answer = false;
    type(0, 0, QStringLiteral("7"));
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_TRUE(asked[0].second) << "No must be preselected";
    EXPECT_TRUE(asked[0].first.contains(QStringLiteral("Erase mean data?")));
    EXPECT_TRUE(IsMissing(RawValue(doc.Table, 0, 0)));
    EXPECT_EQ(doc.Table.ColumnInfo[0].Mean, 3.0L);

    answer = true;
    type(0, 0, QStringLiteral("7"));
    EXPECT_EQ(RawValue(doc.Table, 0, 0), 7.0L);
    EXPECT_TRUE(IsMissing(doc.Table.ColumnInfo[0].Mean));
}

TEST_F(GridFixture, NumericColumnTitleCanGoIntoTheFirstRow) {
    answer = true;
    QLineEdit* editor = openEditor(0, 1);
    QTest::keyClicks(editor, QStringLiteral("12"));
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(doc.Table.ColumnInfo[0].Title, "");
    EXPECT_EQ(RawValue(doc.Table, 0, 0), 12.0L);
}

TEST_F(GridFixture, DeletingARowMovesTheRowsBelowWithTheirExclusions) {
    for (int row = 0; row < 10; ++row) SetValue(doc.Table, row, 0, row + 1);
    SetExcluded(doc.Table, 7, 0, true);
    grid.fillFromDocument();
    QSignalSpy resets(grid.model(), &QAbstractItemModel::modelReset);

    grid.selectDataBlock(WholeRowsSelection(5, 5));
    grid.deleteCells();
    EXPECT_EQ(resets.count(), 1) << "one reset per block command";
    for (int row = 0; row < 5; ++row) EXPECT_EQ(RawValue(doc.Table, row, 0), row + 1.0L);
    for (int row = 5; row < 9; ++row) EXPECT_EQ(RawValue(doc.Table, row, 0), row + 2.0L);
    EXPECT_TRUE(IsMissing(RawValue(doc.Table, 9, 0)));
    EXPECT_TRUE(IsExcluded(doc.Table, 6, 0));
    EXPECT_FALSE(IsExcluded(doc.Table, 7, 0));
    EXPECT_TRUE(grid.model()->index(7, 1).data(Qt::FontRole).value<QFont>().italic());
}

TEST_F(GridFixture, InsertingTwoColumnsAtBPushesYAndZOut) {
    for (int column = 0; column < DataColumnCount; ++column) SetValue(doc.Table, 0, column, column);
    grid.fillFromDocument();
    grid.selectDataBlock(WholeColumnsSelection(1, 2));
    grid.insertCells();
    EXPECT_EQ(RawValue(doc.Table, 0, 0), 0.0L);
    EXPECT_TRUE(IsMissing(RawValue(doc.Table, 0, 1)));
    EXPECT_TRUE(IsMissing(RawValue(doc.Table, 0, 2)));
    EXPECT_EQ(RawValue(doc.Table, 0, 3), 1.0L);
    EXPECT_EQ(RawValue(doc.Table, 0, 25), 23.0L);
    EXPECT_EQ(shown(0, 3), QStringLiteral("1"));
}

TEST_F(GridFixture, ABlockAsksHowToDeleteAndCancelKeepsEverything) {
    for (int row = 0; row < 4; ++row) SetValue(doc.Table, row, 0, row + 1);
    grid.fillFromDocument();
    QStringList offered;
    int choice = -1;
    grid.setChoiceHook([&](const QString&, const QStringList& items, const QString&) {
        offered = items;
        return choice;
    });
    grid.selectDataBlock({1, 0, 1, 0});
    grid.deleteCells();
    EXPECT_EQ(offered.value(0), QStringLiteral("&Shift cells up"));
    EXPECT_EQ(RawValue(doc.Table, 1, 0), 2.0L);

    choice = 0;  // shift cells up
    grid.deleteCells();
    EXPECT_EQ(RawValue(doc.Table, 1, 0), 3.0L);
    EXPECT_TRUE(IsMissing(RawValue(doc.Table, 3, 0)));
}

TEST_F(GridFixture, ExcludeTogglesTheWholeBlockAndClearEmptiesIt) {
    for (int row = 0; row < 4; ++row) SetValue(doc.Table, row, 0, row + 1);
    SetExcluded(doc.Table, 2, 0, true);
    grid.fillFromDocument();
    grid.selectDataBlock({0, 0, 5, 1});
    QTest::keyClick(&grid, Qt::Key_E, Qt::ControlModifier);
    for (int row = 0; row < 4; ++row) EXPECT_FALSE(IsExcluded(doc.Table, row, 0));
    grid.toggleExclusion();
    for (int row = 0; row < 4; ++row) EXPECT_TRUE(IsExcluded(doc.Table, row, 0));
    EXPECT_FALSE(IsExcluded(doc.Table, 4, 0)) << "empty cells are never excluded";

    QTest::keyClick(&grid, Qt::Key_Delete);
    EXPECT_FALSE(HasData(doc.Table));
}

TEST_F(GridFixture, HeadersFollowTheFormatAndSelectAllCoversTheTable) {
    EXPECT_EQ(grid.model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Group A"));
    doc.State.Format = DataFormat::XYData;
    grid.fillFromDocument();
    EXPECT_EQ(grid.model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("X"));
    EXPECT_EQ(grid.model()->headerData(3, Qt::Horizontal).toString(), QStringLiteral("Y2"));
    QTest::keyClick(&grid, Qt::Key_A, Qt::ControlModifier);
    EXPECT_TRUE(IsAllSelected(grid.dataSelection()));
}

}  // namespace
