#include "data/export_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "data/cell_entry.h"

namespace vextal {
namespace {

const NumberSettings Point{'.', ','};
const NumberSettings Comma{',', ';'};

// Column A: 1.5, 2, 1E-05 (titled Dose); column B: 7, 2.25 (titled Effect).
DataDocument SmallTable() {
    DataDocument document = NewDocument();
    DataTable& table = document.Table;
    StoreCell(table, 0, 0, 1.5L);
    StoreCell(table, 1, 0, 2);
    StoreCell(table, 2, 0, 1E-5L);
    StoreCell(table, 0, 1, 7);
    StoreCell(table, 1, 1, 2.25L);
    table.ColumnInfo[0].Title = "Dose";
    table.ColumnInfo[1].Title = "Effect";
    table.DocumentTitle = "Pilot study";
    return document;
}

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(ExportSeparator, ListSeparatorForUpperCaseTxtAndAnyCsv) {
    EXPECT_EQ(ExportSeparator("/data/out.TXT", Comma), ';');
    EXPECT_EQ(ExportSeparator("/data/out.txt", Comma), '\t');
    EXPECT_EQ(ExportSeparator("/data/out.Txt", Point), '\t');
    EXPECT_EQ(ExportSeparator("/data/out.csv", Point), ',');
    EXPECT_EQ(ExportSeparator("/data/out.CSV", Comma), ';');
    EXPECT_EQ(ExportSeparator("/data/out.dat", Point), '\t');
    EXPECT_EQ(ExportSeparator("/data/old.TXT/out", Point), '\t') << "the folder's extension does not count";
    EXPECT_EQ(ExportSeparator("out", Point), '\t');
}

TEST(ExportText, StandardLayout) {
    DataDocument document = SmallTable();
    SetExcluded(document.Table, 1, 0, true);
    EXPECT_EQ(ExportFileText(document.Table, '\t', {}),
              "Pilot study\r\nDose\tEffect\r\n1.5\t 7\r\n2\t 2.25\r\n1E-05\t \r\n");
    ExportOptions bare;
    bare.WithTitle = bare.WithColumnTitles = false;
    bare.DecimalSeparator = ',';
    EXPECT_EQ(ExportFileText(document.Table, ';', bare), "1,5; 7\r\n2; 2,25\r\n1E-05; \r\n");

    // An empty table writes its one empty row.
    EXPECT_EQ(ExportFileText(NewDocument().Table, '\t', bare), "\r\n");
}

TEST(ExportText, IndexLayoutWritesEveryCell) {
    const DataDocument document = SmallTable();
    ExportOptions index;
    index.IndexFormat = true;
    index.WithTitle = false;
    EXPECT_EQ(ExportFileText(document.Table, '\t', index),
              "value\tgroup\r\n1.5\t1\r\n2\t1\r\n1E-05\t1\r\n7\t2\r\n2.25\t2\r\n\t2\r\n");
}

TEST(ExportText, TwoByTwoAndColumnStatistics) {
    TwoByTwoTable counts;
    counts.A = 12;
    counts.B = 5;
    counts.D = 30.5L;
    EXPECT_EQ(TwoByTwoExportText(counts), "12,5\r\n,30.5\r\n");

    DataDocument document = NewDocument();
    DataTable& table = document.Table;
    ColumnInfo& a = table.ColumnInfo[0];
    a.N = 7;
    a.Mean = 5.8428571428571428L;
    a.SD = 1.23456789012345L;
    a.SEM = 123456.123456789L;
    a.LowerCI = -2.5L;
    a.UpperCI = 1E15L;
    ColumnInfo& c = table.ColumnInfo[2];  // B has no values and is left out
    c.N = 1;
    c.Mean = 4;
    // Typed summaries only: no medians, minimums or maximums.
    EXPECT_EQ(SummaryExportText(table),
              "5.8428571429,4.0000000000\r\n7.0000000000,1.0000000000\r\n1.2345678901,\r\n123456.1234567,\r\n"
              "-2.5000000000,\r\n1000000000000000,\r\n");

    StoreCell(table, 0, 0, 3);
    a.Median = 5;
    a.Minimum = 3;
    a.Maximum = 9;
    const std::string withRaw = SummaryExportText(table);
    EXPECT_EQ(std::count(withRaw.begin(), withRaw.end(), '\n'), 9);
    EXPECT_TRUE(withRaw.ends_with("\r\n3.0000000000,\r\n9.0000000000,\r\n"));
}

TEST(ExportFile, WritesTheTextAndReportsErrors) {
    const auto folder = std::filesystem::temp_directory_path() / ("vextal_export_" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const DataDocument document = SmallTable();
    std::vector<std::string> shown;
    const MessageSink sink = [&](const std::string& caption, const std::string& text) {
        shown.push_back(caption + "|" + text);
    };

    const auto file = folder / "out.csv";
    EXPECT_EQ(WriteExportFile(document, file.string(), ',', {}, sink), 0);
    EXPECT_EQ(ReadFile(file), ExportFileText(document.Table, ',', {}));
    EXPECT_EQ(WriteTwoByTwoExport(document, file.string(), sink), 0);
    EXPECT_EQ(ReadFile(file), ",\r\n,\r\n") << "the file is replaced, not appended to";
    EXPECT_TRUE(shown.empty());

    EXPECT_EQ(WriteExportFile(document, (folder / "missing" / "out.txt").string(), '\t', {}, sink), IoPathNotFound);
    EXPECT_EQ(WriteSummaryExport(document, folder.string(), sink), IoAccessDenied) << "a folder";
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0], "|Error: #3  Path not found.");
    EXPECT_EQ(shown[1], "|Error: #5  File access denied.");
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace vextal
