#include <QApplication>
#include <QHeaderView>
#include <QRadioButton>
#include <QSpinBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include "data/cell_entry.h"
#include "data/data_document.h"
#include "gui/TNumberFormatForm.h"
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

namespace {

QLineEdit* openEditorOf(TSpreadGrid& grid) {
    return qobject_cast<QLineEdit*>(grid.indexWidget(grid.currentIndex()));
}

TEST_F(GridFixture, SelectColumnRowAndHeaderClicksWithShift) {
    grid.setCurrentDataCell(4, 2);
    grid.selectCurrentColumn();
    EXPECT_EQ(grid.dataSelection(), (GridSelection{0, 2, LastUserRow, 2}));
    grid.setCurrentDataCell(4, 2);
    grid.selectCurrentRow();
    EXPECT_EQ(grid.dataSelection(), (GridSelection{4, 0, 4, LastDataColumn}));

    QHeaderView* header = grid.horizontalHeader();
    const auto centre = [&](int section) {
        return QPoint(header->sectionViewportPosition(section) + header->sectionSize(section) / 2, header->height() / 2);
    };
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, centre(2));  // column B
    EXPECT_EQ(grid.dataSelection(), (GridSelection{0, 1, LastUserRow, 1}));
    QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::ShiftModifier, centre(4));
    EXPECT_EQ(grid.dataSelection(), (GridSelection{0, 1, LastUserRow, 3})) << "Shift extends from the anchor";
}

TEST_F(GridFixture, RowTitleColumnSelectsRowsOrOpensItsEditor) {
    const auto zone = [&](int modelRow, int x) {
        const QRect cell = grid.visualRect(grid.model()->index(modelRow, 0));
        return QPoint(cell.left() + x, cell.center().y());
    };
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, zone(3, 30));
    EXPECT_EQ(grid.dataSelection(), (GridSelection{2, 0, 2, LastDataColumn}));
    EXPECT_FALSE(grid.isEditing());
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, Qt::ShiftModifier, zone(6, 30));
    EXPECT_EQ(grid.dataSelection(), (GridSelection{2, 0, 5, LastDataColumn}));
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, zone(4, 4));
    EXPECT_TRUE(grid.isEditing()) << "the left edge opens the row title";
    EXPECT_EQ(grid.currentIndex().column(), 0);
    grid.commitPendingEdit();
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, zone(0, 30));
    EXPECT_TRUE(IsAllSelected(grid.dataSelection())) << "the title row's row-title cell selects everything";
}

TEST_F(GridFixture, TitleEditorsMoveWithTheirKeys) {
    QSignalSpy toTitleField(&grid, &TSpreadGrid::titleFieldRequested);
    // A key for the open editor; a missing editor fails the check instead.
    const auto key = [&](Qt::Key k, int line) {
        QLineEdit* editor = openEditorOf(grid);
        if (!editor) {
            ADD_FAILURE_AT(__FILE__, line) << "no open editor";
            return;
        }
        QTest::keyClick(editor, k);
    };
    grid.editColumnTitle(0);
    QLineEdit* editor = openEditorOf(grid);
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, QStringLiteral("Dose"));
    QTest::keyClick(editor, Qt::Key_Tab);
    EXPECT_EQ(doc.Table.ColumnInfo[0].Title, "Dose");
    EXPECT_EQ(grid.currentIndex(), grid.model()->index(0, 2)) << "Tab: the next column's title";
    key(Qt::Key_Left, __LINE__);
    EXPECT_EQ(grid.currentIndex(), grid.model()->index(0, 1));
    key(Qt::Key_Up, __LINE__);
    EXPECT_EQ(toTitleField.count(), 1);
    grid.editColumnTitle(0);
    key(Qt::Key_Down, __LINE__);
    EXPECT_EQ(grid.currentIndex(), grid.model()->index(1, 1)) << "Down: into the first data row";
    EXPECT_FALSE(grid.isEditing());

    // Up from the first data row's editor opens its column's title.
    grid.setCurrentDataCell(0, 2);
    grid.edit(grid.currentIndex());
    key(Qt::Key_Up, __LINE__);
    EXPECT_EQ(grid.currentIndex(), grid.model()->index(0, 3));
    EXPECT_TRUE(grid.isEditing());
    grid.commitPendingEdit();

    grid.editRowTitle(0);
    ASSERT_NE(openEditorOf(grid), nullptr);
    QTest::keyClicks(openEditorOf(grid), QStringLiteral("first"));
    key(Qt::Key_Down, __LINE__);
    EXPECT_EQ(doc.Table.RowTitles[0], "first");
    EXPECT_EQ(grid.currentIndex(), grid.model()->index(2, 0));
    key(Qt::Key_Up, __LINE__);
    EXPECT_EQ(grid.currentIndex(), grid.model()->index(1, 0));
    key(Qt::Key_Up, __LINE__);
    EXPECT_EQ(grid.currentIndex(), grid.model()->index(1, 0)) << "not above the first data row";
    key(Qt::Key_Escape, __LINE__);
    EXPECT_EQ(grid.currentIndex(), grid.model()->index(1, 1)) << "Escape: back into the grid";
    EXPECT_FALSE(grid.isEditing());
}

TEST_F(GridFixture, NumberFormatNamesTheColumnsAndStoresTheSetting) {
    type(0, 1, QStringLiteral("1.5"));
    type(1, 1, QStringLiteral("2.25"));
    grid.setCurrentDataCell(0, 1);
    grid.selectCurrentColumn();
    NumberFormatDialogState seen;
    grid.setNumberFormatHook([&](const NumberFormatDialogState& state) -> std::optional<int> {
        seen = state;
        return 4;
    });
    QSignalSpy changed(&grid, &TSpreadGrid::documentChanged);
    grid.numberFormat();
    EXPECT_EQ(seen.Label, "For column B:");
    EXPECT_FALSE(seen.Fixed);
    EXPECT_EQ(doc.Table.ColumnFormat[1], 4);
    EXPECT_EQ(shown(0, 1), QStringLiteral("1.5000"));
    EXPECT_EQ(changed.count(), 1);

    // The dialog itself: the fixed choice comes with the number.
    TNumberFormatForm form(PrepareNumberFormat(doc.Table, grid.dataSelection(), 1));
    EXPECT_TRUE(form.fixedChoice()->isChecked());
    EXPECT_EQ(form.decimalsField()->value(), 4);
    form.automaticChoice()->setChecked(true);
    EXPECT_EQ(form.setting(), AutomaticFormat);
    form.decimalsField()->setValue(2);
    EXPECT_TRUE(form.fixedChoice()->isChecked());
    EXPECT_EQ(form.setting(), 2);
}

}  // namespace
