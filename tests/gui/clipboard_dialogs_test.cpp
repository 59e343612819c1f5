#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "data/cell_entry.h"
#include "data/clipboard_text.h"
#include "data/text_import.h"
#include "gui/TCopyForm.h"
#include "gui/TExportForm.h"
#include "gui/TImportForm.h"
#include "gui/grid_clipboard.h"

using namespace vextal;

namespace {

const NumberSettings Point{'.', ','};

// The import samples of the core tests, beside the examples folder.
std::string SampleFolder() {
    return std::filesystem::weakly_canonical(std::filesystem::path(VEXTAL_EXAMPLES_DIR) / "../tests/data/import")
        .string();
}

std::string Sample(const std::string& name) { return SampleFolder() + "/" + name; }

// Hooks that record every message and question and answer from fields the
// test sets.
struct RecordingHooks {
    std::vector<std::string> messages;
    std::vector<QString> questions;
    int yesNoCancelAnswer = 1;
    bool yesNoAnswer = false;
    std::optional<std::pair<bool, bool>> copyAnswer = std::pair{true, true};
    QString openAnswer;
    QString saveAnswer;
    QString saveFilter;
    std::function<int(QDialog&)> dialog = [](QDialog&) { return int(QDialog::Accepted); };

    ClipboardHooks hooks() {
        ClipboardHooks h;
        h.message = [this](const std::string&, const std::string& text) { messages.push_back(text); };
        h.yesNoCancel = [this](const QString& text) { return questions.push_back(text), yesNoCancelAnswer; };
        h.yesNo = [this](const QString& text, bool) { return questions.push_back(text), yesNoAnswer; };
        h.copyDialog = [this] { return copyAnswer; };
        h.openFileName = [this](const QString&, const QString&, const QString&) { return openAnswer; };
        h.saveFileName = [this](const QString&, const QString&, const QString&, QString* selected) {
            return *selected = saveFilter, saveAnswer;
        };
        h.runDialog = [this](QDialog& d) { return dialog(d); };
        return h;
    }
};

std::filesystem::path TempPath(const std::string& name) {
    return std::filesystem::temp_directory_path() / ("vextal_gui_clip_" + std::to_string(::getpid()) + "_" + name);
}

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

QString Clipboard() { return QGuiApplication::clipboard()->text(); }

}  // namespace

TEST(GridClipboard, CopyAsksForTitlesAndCutClears) {
    DataDocument document = NewDocument();
    StoreCell(document.Table, 0, 0, 1.5L);
    StoreCell(document.Table, 1, 0, 2);
    document.Table.AutoDecimals[0] = 1;
    document.Table.ColumnInfo[0].Title = "Dose";
    RecordingHooks record;
    const ClipboardHooks hooks = record.hooks();

    TCopyForm copyForm;
    EXPECT_EQ(copyForm.windowTitle(), QStringLiteral("Copy to clipboard"));
    EXPECT_EQ(copyForm.rowTitlesBox()->text(), QStringLiteral("Include &row titles"));
    ASSERT_TRUE(CopySelectionToClipboard(document, Point, WholeTableSelection(), hooks));
    const QString emptyColumns(25, QLatin1Char('\t'));  // B..Z are copied too
    EXPECT_EQ(Clipboard(), QStringLiteral("\tDose") + emptyColumns + QStringLiteral("\r\n1\t1.5") + emptyColumns +
                               QStringLiteral("\r\n2\t2.0") + emptyColumns);

    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    record.yesNoCancelAnswer = -1;
    EXPECT_FALSE(CopySelectionToClipboard(document, Point, WholeColumnsSelection(0, 0), hooks));
    EXPECT_EQ(Clipboard(), QStringLiteral("before")) << "Cancel copies nothing";
    record.yesNoCancelAnswer = 0;
    EXPECT_TRUE(CopySelectionToClipboard(document, Point, WholeColumnsSelection(0, 0), hooks));
    EXPECT_EQ(record.questions.back(), QStringLiteral("Include column titles?"));
    EXPECT_EQ(Clipboard(), QStringLiteral("1.5\r\n2.0"));

    EXPECT_TRUE(CutSelectionToClipboard(document, Point, {1, 0, 1, 0}, hooks));
    EXPECT_EQ(Clipboard(), QStringLiteral("2.0"));
    EXPECT_TRUE(IsMissing(RawValue(document.Table, 1, 0)));
    EXPECT_TRUE(record.messages.empty());

    // The size limit is reported after the copy.
    for (int row = 0; row < UserRowCount; ++row)
        for (int column = 0; column < DataColumnCount; ++column) StoreCell(document.Table, row, column, 1234.5L);
    EXPECT_TRUE(CopySelectionToClipboard(document, Point, {0, 0, 999, 25}, hooks));
    EXPECT_EQ(record.messages, std::vector<std::string>{ClipboardTooLargeMessage});
    EXPECT_LT(Clipboard().size(), 65000);
}

TEST(GridClipboard, PasteFromTheClipboard) {
    DataDocument document = NewDocument();
    RecordingHooks record;
    const ClipboardHooks hooks = record.hooks();
    QGuiApplication::clipboard()->setText(QStringLiteral("Before\tAfter\r\n1\t2\r\n3\t4\r\n"));
    ASSERT_TRUE(PasteIntoColumnTitleEditor(document, Point, 1, hooks));
    EXPECT_EQ(document.Table.ColumnInfo[1].Title, "Before");
    EXPECT_EQ(document.Table.ColumnInfo[2].Title, "After");
    EXPECT_EQ(RawValue(document.Table, 1, 2), 4);

    // A typed mean in the cursor's column: No keeps it and pastes nothing.
    document.Table.ColumnInfo[5].Mean = 3;
    document.Table.ColumnInfo[5].N = 4;
    QGuiApplication::clipboard()->setText(QStringLiteral("7"));
    EXPECT_FALSE(PasteFromClipboard(document, Point, {0, 5, 0, 5}, 0, 5, false, hooks));
    ASSERT_EQ(record.questions.size(), 1u);
    EXPECT_TRUE(record.questions[0].endsWith(QStringLiteral("Erase mean data?")));
    EXPECT_EQ(document.Table.ColumnInfo[5].Mean, 3);
    record.yesNoAnswer = true;
    EXPECT_TRUE(PasteFromClipboard(document, Point, {0, 5, 0, 5}, 0, 5, false, hooks));
    EXPECT_EQ(RawValue(document.Table, 0, 5), 7);

    QGuiApplication::clipboard()->setText(QStringLiteral("Rat 1\t20"));
    EXPECT_TRUE(PasteIntoRowTitleEditor(document, Point, 8, hooks));
    EXPECT_EQ(document.Table.RowTitles[8], "Rat 1");
    EXPECT_EQ(RawValue(document.Table, 8, 0), 20);

    QGuiApplication::clipboard()->clear();
    EXPECT_FALSE(PasteFromClipboard(document, Point, {0, 0, 0, 0}, 0, 0, false, hooks));
}

TEST(ImportDialog, PreviewDefaultsAndOptionRules) {
    const ImportStart start = StartImport(Sample("spreadsheet.csv"), Point);
    TImportForm form(start.Preview, QStringLiteral("/data/spreadsheet.csv"), Point);
    std::vector<QString> shown;
    form.setMessageHook([&](const QString& text) { shown.push_back(text); });
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Import"));
    EXPECT_EQ(form.previewGroup()->title(), QStringLiteral("Preview of /data/spreadsheet.csv"));
    const QAbstractItemModel* model = form.previewGrid()->model();
    EXPECT_EQ(model->rowCount(), 1000);
    EXPECT_EQ(model->index(1, 1).data().toString(), QStringLiteral("68.25"));
    EXPECT_EQ(model->index(3, 1).data().toString(), QStringLiteral("81.00"));

    EXPECT_TRUE(form.allColumnsButton()->isChecked());
    EXPECT_EQ(form.toColumnBox()->value(), 3);
    EXPECT_EQ(form.toRowBox()->value(), 5);
    EXPECT_EQ(form.groupColumnBox()->value(), 2);
    EXPECT_EQ(form.conditionBox()->currentText(), QStringLiteral("="));

    // Typing in a field chooses its option; the indexed layout drops the
    // row range and the filter.
    form.fromRowBox()->setValue(2);
    EXPECT_TRUE(form.rowRangeBox()->isChecked());
    QTest::keyClicks(form.filterValueEdit(), QStringLiteral("70"));
    EXPECT_TRUE(form.filterBox()->isChecked());
    form.conditionBox()->setCurrentIndex(2);
    ImportOptions options = form.options();
    EXPECT_EQ(options.Arrangement, ImportArrangement::AllColumns);
    EXPECT_EQ(options.FirstRow, 1);
    EXPECT_EQ(options.LastRow, 4);
    EXPECT_EQ(options.Condition, FilterCondition::GreaterOrEqual);
    EXPECT_EQ(options.FilterValue, 70);

    form.toColumnBox()->setValue(2);
    EXPECT_EQ(form.options().Arrangement, ImportArrangement::ColumnRange);
    form.groupColumnBox()->setValue(1);
    EXPECT_TRUE(form.indexedButton()->isChecked());
    EXPECT_FALSE(form.rowRangeBox()->isChecked());
    EXPECT_FALSE(form.filterBox()->isChecked());

    form.show();
    form.accept();
    EXPECT_TRUE(form.isVisible()) << "equal columns keep the dialog open";
    EXPECT_EQ(shown, std::vector<QString>{QString::fromLatin1(SameImportColumnsMessage)});
    form.groupColumnBox()->setValue(3);
    form.accept();
    EXPECT_EQ(form.result(), QDialog::Accepted);
}

TEST(ImportDialog, ImportCommandFromFileToDocument) {
    DataDocument document = NewDocument();
    RecordingHooks record;
    QString folder = QStringLiteral("/start");

    record.openAnswer = QStringLiteral("/home/me/Book1.xlsx");
    EXPECT_FALSE(ImportTextFile(nullptr, document, Point, 0, 0, folder, record.hooks()));
    EXPECT_EQ(record.messages, std::vector<std::string>{SpreadsheetNotice.toStdString()});
    EXPECT_EQ(folder, QStringLiteral("/start"));

    // The indexed sample: values in column 1, groups in column 2.
    record.messages.clear();
    record.openAnswer = QString::fromStdString(Sample("indexed.csv"));
    record.dialog = [](QDialog& dialog) {
        auto& form = dynamic_cast<TImportForm&>(dialog);
        form.indexedButton()->setChecked(true);
        return int(QDialog::Accepted);
    };
    ASSERT_TRUE(ImportTextFile(nullptr, document, Point, 5, 5, folder, record.hooks()));
    EXPECT_EQ(folder.toStdString(), SampleFolder());
    EXPECT_EQ(RawValue(document.Table, 1, 0), 5.4L);
    EXPECT_EQ(document.Table.ColumnInfo[2].Title, "3");
    EXPECT_TRUE(record.messages.empty());

    // Cancel in the dialog leaves the document alone.
    record.dialog = [](QDialog&) { return int(QDialog::Rejected); };
    record.openAnswer = QString::fromStdString(Sample("spreadsheet.csv"));
    EXPECT_FALSE(ImportTextFile(nullptr, document, Point, 0, 0, folder, record.hooks()));
    EXPECT_EQ(RawValue(document.Table, 0, 0), 5.1L);
}

TEST(ExportDialog, ChoicesSeparatorSettingAndFile) {
    TExportForm form(',');
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Export"));
    EXPECT_TRUE(form.standardButton()->isChecked());
    EXPECT_TRUE(form.sheetTitleBox()->isChecked() && form.columnTitlesBox()->isChecked());
    EXPECT_TRUE(form.commaButton()->isChecked());
    EXPECT_EQ(TExportForm('.').decimalSeparator(), '.');

    DataDocument document = NewDocument();
    StoreCell(document.Table, 0, 0, 1.5L);
    StoreCell(document.Table, 0, 1, 2);
    document.Table.DocumentTitle = "Trial";
    RecordingHooks record;
    const auto base = TempPath("export");
    record.saveAnswer = QString::fromStdString(base.string());
    record.saveFilter = QStringLiteral("Comma Sep. Text (*.CSV)");
    record.dialog = [](QDialog& dialog) {
        auto& export_form = dynamic_cast<TExportForm&>(dialog);
        export_form.periodButton()->setChecked(true);
        export_form.columnTitlesBox()->setChecked(false);
        return int(QDialog::Accepted);
    };
    char separator = ',';
    ASSERT_TRUE(ExportDataFile(nullptr, document, Point, ExportSource::DataGrid, separator, QString(), record.hooks()));
    EXPECT_EQ(separator, '.') << "the dialog's choice is stored back";
    EXPECT_EQ(ReadFile(base.string() + ".csv"), "Trial\r\n1.5, 2\r\n");

    // Cancel still stores the separator; nothing is written.
    record.dialog = [](QDialog& dialog) {
        dynamic_cast<TExportForm&>(dialog).commaButton()->setChecked(true);
        return int(QDialog::Rejected);
    };
    record.saveAnswer = QString::fromStdString(TempPath("cancelled.txt").string());
    EXPECT_FALSE(ExportDataFile(nullptr, document, Point, ExportSource::DataGrid, separator, QString(), record.hooks()));
    EXPECT_EQ(separator, ',');
    EXPECT_FALSE(std::filesystem::exists(TempPath("cancelled.txt")));

    std::filesystem::remove(base.string() + ".csv");
}
