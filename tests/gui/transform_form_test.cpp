#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include "data/cell_entry.h"
#include "gui/TCombineVarForm.h"
#include "gui/TTransformForm.h"

using namespace vextal;

namespace {

bool OkEnabled(const TTransformForm& form) { return form.buttons()->button(QDialogButtonBox::Ok)->isEnabled(); }

TEST(TransformForm, ListOrderAndKField) {
    TTransformForm form(NumberSettings{});
    ASSERT_EQ(form.transformList()->count(), TransformCount);
    for (int row = 0; row < TransformCount; ++row)
        EXPECT_EQ(form.transformList()->item(row)->text().toStdString(), TransformEntries[static_cast<std::size_t>(row)]);
    EXPECT_EQ(form.transform(), Transform::TimesK);
    EXPECT_EQ(form.kLabel()->text(), QStringLiteral("K = "));
    EXPECT_EQ(form.kEdit()->text(), QStringLiteral("1"));
    EXPECT_TRUE(form.kEdit()->isEnabled());

    form.kEdit()->setText(QStringLiteral("7"));
    form.transformList()->setCurrentRow(static_cast<int>(Transform::PlusK) - 1);
    EXPECT_EQ(form.kEdit()->text(), QStringLiteral("0"));
    form.transformList()->setCurrentRow(static_cast<int>(Transform::DividedByK) - 1);
    EXPECT_EQ(form.kEdit()->text(), QStringLiteral("1"));
    form.transformList()->setCurrentRow(static_cast<int>(Transform::Tangent) - 1);
    EXPECT_FALSE(form.kEdit()->isEnabled());

    // A K that is no number blocks OK only for entries that use K.
    form.kEdit()->setText(QStringLiteral("abc"));
    EXPECT_TRUE(OkEnabled(form));
    form.setTransform(Transform::Logit);
    form.kEdit()->setText(QStringLiteral("abc"));
    EXPECT_FALSE(OkEnabled(form));

    // K follows the user's decimal separator.
    TTransformForm comma(NumberSettings{',', ';'});
    comma.kEdit()->setText(QStringLiteral("0,5"));
    EXPECT_EQ(comma.k(), 0.5L);

    // Double-clicking an entry is OK.
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    form.kEdit()->setText(QStringLiteral("2"));
    QListWidget* list = form.transformList();
    const QRect rect = list->visualItemRect(list->item(0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(form.transform(), Transform::Square);
}

TEST(TransformCommand, AsksBeforeErasingAndStoresOnYes) {
    DataDocument document = NewDocument();
    for (int row = 0; row < 3; ++row) StoreCell(document.Table, row, 0, 10 - 7.5L * row);  // 10, 2.5, -5
    std::vector<std::pair<QString, bool>> asked;
    bool answer = false;
    const YesNoHook ask = [&](const QString& text, bool defaultNo) {
        asked.emplace_back(text, defaultNo);
        return answer;
    };
    const TransformDialogHook chooseLog = [](TTransformForm& form) {
        form.setTransform(Transform::Log10);
        return true;
    };
    const GridSelection columnA = WholeColumnsSelection(0, 0);

    EXPECT_FALSE(RunTransformDialog(nullptr, document, NumberSettings{}, columnA, ask, chooseLog));
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_TRUE(asked[0].first.contains(QStringLiteral("impossible with 1 of the values")));
    EXPECT_TRUE(asked[0].second) << "No is preselected";
    EXPECT_EQ(RawValue(document.Table, 2, 0), -5.0L);

    answer = true;
    EXPECT_TRUE(RunTransformDialog(nullptr, document, NumberSettings{}, columnA, ask, chooseLog));
    EXPECT_TRUE(IsMissing(RawValue(document.Table, 2, 0)));
    EXPECT_EQ(RawValue(document.Table, 0, 0), 1.0L);

    // A typed K reaches the computation.
    EXPECT_TRUE(RunTransformDialog(nullptr, document, NumberSettings{}, columnA, ask, [](TTransformForm& form) {
        form.setTransform(Transform::PlusK);
        form.kEdit()->setText(QStringLiteral("2.5"));
        return true;
    }));
    EXPECT_EQ(RawValue(document.Table, 0, 0), 3.5L);
}

TEST(CombineCommand, DialogFillsTheTargetColumn) {
    DataDocument document = NewDocument();
    for (int row = 0; row < 3; ++row) {
        StoreCell(document.Table, row, 0, 10 * (row + 1));
        StoreCell(document.Table, row, 1, row);  // 0 in row 0
    }
    document.Table.ColumnInfo[0].Title = "Weight";

    int commits = 0;
    const auto commit = [&] { ++commits; };
    EXPECT_TRUE(RunCombineDialog(nullptr, document, 1, commit, {}, [](TCombineVarForm& form) {
        EXPECT_EQ(form.prompt()->text(), QStringLiteral("Create a new variable for column C"));
        EXPECT_EQ(form.secondList()->item(1)->text(), QStringLiteral("B: Column B"));
        EXPECT_EQ(form.firstColumn(), 0);
        EXPECT_EQ(form.operations()->checkedButton()->text(), QStringLiteral("&Minus"));
        form.secondList()->setCurrentRow(1);
        form.setOperation(CombineOperation::DividedBy);
        return true;
    }));
    EXPECT_EQ(document.Table.ColumnInfo[2].Title, "A/B");
    EXPECT_EQ(RawValue(document.Table, 2, 2), 15.0L);
    EXPECT_EQ(commits, 1);

    // Without a free column the message shows and no dialog opens.
    for (int column = 3; column < DataColumnCount; ++column) StoreCell(document.Table, 0, column, column);
    std::vector<std::string> messages;
    const MessageSink sink = [&](const std::string& caption, const std::string& text) {
        messages.push_back(caption + ": " + text);
    };
    EXPECT_FALSE(RunCombineDialog(nullptr, document, 0, commit, sink, [](TCombineVarForm&) {
        ADD_FAILURE() << "the dialog opened";
        return false;
    }));
    EXPECT_EQ(messages, std::vector<std::string>{
                            "Corvanta Vextal: There must be an empty column in order to combine columns."});

    // Double-clicking an operation is OK.
    TCombineVarForm form(document.Table, 2);
    form.show();
    QAbstractButton* times = form.operations()->button(static_cast<int>(CombineOperation::Times));
    QTest::mouseDClick(times, Qt::LeftButton, {}, QPoint(5, times->height() / 2));
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(form.operation(), CombineOperation::Times);
}

}  // namespace
