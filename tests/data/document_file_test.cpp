#include "data/document_file.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace vextal {
namespace {

namespace fs = std::filesystem;

const NumberSettings Settings{'.', ','};

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find("\r\n", start);
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

std::string Join(const std::vector<std::string>& lines, std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count && i < lines.size(); ++i)
        text += lines[i] + "\r\n";
    return text;
}

std::size_t IndexOf(const std::vector<std::string>& lines, const std::string& line) {
    return static_cast<std::size_t>(std::find(lines.begin(), lines.end(), line) - lines.begin());
}

DataDocument Document(DataFormat format) {
    DataDocument document = NewDocument();
    document.State.Format = format;
    return document;
}

DataDocument Load(const std::string& text, int code) {
    DataDocument document;
    LoadDocumentText(document, text, code, Settings);
    return document;
}

class TempFolder : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "vextal-files-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
    }
    void TearDown() override { fs::remove_all(folder_); }
    std::string PathOf(const std::string& name) const { return (folder_ / name).string(); }
    static std::string Contents(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    static void Write(const std::string& path, const std::string& text) {
        std::ofstream(path, std::ios::binary) << text;
    }
    fs::path folder_;
};

// ------------------------------------------------------------------ errors

TEST(IoError, ShowsCodeAndTextInABoxWithoutCaption) {
    std::vector<std::pair<std::string, std::string>> shown;
    const MessageSink sink = [&](const std::string& caption, const std::string& text) {
        shown.emplace_back(caption, text);
    };
    for (int code : {2, 104, 162, 0, 42})
        ReportIoError(code, sink);
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0], std::make_pair(std::string(), std::string("Error: #2  File not found.")));
    EXPECT_EQ(shown[1].second, "Error: #104  File not open.");
    EXPECT_EQ(shown[2].second, "Error: #162  ecHardwareFailure");

    EXPECT_EQ(IoCodeFromErrno(ENOENT, false), 2);
    EXPECT_EQ(IoCodeFromErrno(ENOENT, true), 3); // the folder of a new file is missing
    EXPECT_EQ(IoCodeFromErrno(EACCES, true), 5);
    EXPECT_EQ(IoCodeFromErrno(ENOSPC, true), 101);
    EXPECT_EQ(IoCodeFromErrno(EROFS, true), 150);
}

// ------------------------------------------------------------------ writer

TEST(DocumentWriter, WritesTheHeaderWithCrLfLineEnds) {
    DataDocument document = Document(DataFormat::MeanSEMN);
    document.Table.DocumentTitle = "Weights";
    const std::string text = DocumentFileText(document);
    EXPECT_EQ(text.find('\n'), text.find("\r\n") + 1);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), std::count(text.begin(), text.end(), '\r'));
    const auto lines = Lines(text);
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 8),
              (std::vector<std::string>{"Vextal data file", "2.00", "3", "", "", "", "Weights",
                                        "<<END RAW DATA>>"}));

    const auto regression = Lines(DocumentFileText(Document(DataFormat::MultRegData)));
    EXPECT_EQ(regression[1], "3.00");
    EXPECT_EQ(regression[2], "1");
    EXPECT_EQ(regression[3], "1");
}

TEST(DocumentWriter, WritesRawDataRowsWithStarsForEmptyCells) {
    auto lines = Lines(DocumentFileText(Document(DataFormat::RawData)));
    EXPECT_EQ(lines[7], "*,");
    EXPECT_EQ(lines[8], "<<END RAW DATA>>");

    DataDocument document = Document(DataFormat::RawData);
    SetValue(document.Table, 0, 0, 1.5L);
    SetValue(document.Table, 1, 0, 2.0L);
    SetValue(document.Table, 1, 1, 7.0L);
    SetExcluded(document.Table, 1, 1, true);
    lines = Lines(DocumentFileText(document));
    EXPECT_EQ(lines[7], "1.5,*,");
    EXPECT_EQ(lines[8], "2,7,"); // excluded values are written as plain numbers
    const std::size_t flags = IndexOf(lines, "<<START EXCLUDE FLAGS>>");
    EXPECT_EQ(lines[flags + 1], "..");
    EXPECT_EQ(lines[flags + 2], ".*");

    const DataDocument back = Load(Join(lines, lines.size()), 1);
    EXPECT_EQ(back.Table.AutoDecimals[0], 1);
    EXPECT_EQ(back.Table.AutoDecimals[1], 0);
    EXPECT_FALSE(back.Table.SummaryEntered[1]);
    EXPECT_TRUE(back.Table.SummaryEntered[2]);
    EXPECT_EQ(back.Table.LastRow, 1);
    EXPECT_EQ(back.Table.LastColumn, 1);

    // Extents that lag behind the values never make the writer drop one.
    SetValue(document.Table, 3, 2, 4.0L);
    document.Table.LastRow = 0;
    document.Table.LastColumn = 0;
    lines = Lines(DocumentFileText(document));
    EXPECT_EQ(lines[IndexOf(lines, "<<END RAW DATA>>") - 1], "*,*,4,");
}

TEST(DocumentWriter, TwoByTwoTitleFollowsTheCellTitles) {
    DataDocument document = Document(DataFormat::TwoByTwo);
    document.Table.DocumentTitle = "Trial";
    document.TwoByTwo.Column1Title = "Sick";
    document.TwoByTwo.Row2Title = "Placebo";
    const auto lines = Lines(DocumentFileText(document));
    EXPECT_EQ(lines[2], "5");
    EXPECT_EQ(lines[5], "");
    EXPECT_EQ(lines[6], "0"); // UseChiSquare directly after the six header lines
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 16, lines.begin() + 22),
              (std::vector<std::string>{"Sick", "", "", "Placebo", "Trial", "<<END CHOICES>>"}));
}

TEST(DocumentWriter, WritesOnlyRowTitlesThatDifferFromTheDefault) {
    DataDocument document = Document(DataFormat::LargerTable);
    document.Table.RowTitles[4] = "Mouse";
    document.Table.RowTitles[7] = "8";
    const auto lines = Lines(DocumentFileText(document));
    const std::size_t end = IndexOf(lines, "<<END ROW TITLES>>");
    EXPECT_EQ(lines[end - 1], "4     Mouse");
    EXPECT_EQ(lines[end - 2], "<<END NOTES>>");
}

// Line breaks inside a title, or a note line that reads like the notes
// marker, would shift every following line of the file.
TEST(DocumentWriter, KeepsFreeTextFromBreakingTheLayout) {
    DataDocument document = Document(DataFormat::RawData);
    document.Table.DocumentTitle = "two\r\nlines";
    document.Table.ColumnInfo[0].Title = "a\nb";
    document.NotesText = "<<END NOTES>>\r\nafter\r\n";
    document.State.Choices.PostTestMethod = 3;
    const DataDocument back = Load(DocumentFileText(document), 1);
    EXPECT_EQ(back.Table.DocumentTitle, "two  lines");
    EXPECT_EQ(back.Table.ColumnInfo[0].Title, "a b");
    EXPECT_EQ(back.NotesText, "<<END NOTES>> \r\nafter\r\n");
    EXPECT_EQ(back.State.Choices.PostTestMethod, 3);
}

// ------------------------------------------------------------------ kind and version

TEST(FileKind, ReadsTheFormatCodeAndTheMultipleRegressionMarker) {
    EXPECT_EQ(FileKindOfText("x\r\n2.00\r\n1\r\n1\r\n"), 7);
    EXPECT_EQ(FileKindOfText("x\n2.00\n1\n0\n"), 1);
    EXPECT_EQ(FileKindOfText("x\n2.00\n1\n\n"), 1);
    EXPECT_EQ(FileKindOfText("x\n2.00\n1"), 1);
    EXPECT_EQ(FileKindOfText("x\n2.00\n5\n"), 5);
    EXPECT_EQ(FileKindOfText("x\n2.00\n8\n"), 0);
    EXPECT_EQ(FileKindOfText("x\n2.00\nfive\n"), 0);
    EXPECT_EQ(FileKindOfText("x\n2.00\n"), 0);
    EXPECT_EQ(ReadFileKind("/nonexistent/file.vxd"), 0);
}

TEST_F(TempFolder, RefusesFilesOfNewerVersionsAndOtherFiles) {
    std::vector<std::pair<std::string, std::string>> shown;
    const MessageSink sink = [&](const std::string& caption, const std::string& text) {
        shown.emplace_back(caption, text);
    };
    Write(PathOf("new.vxd"), "Vextal data file\r\n3.01\r\n1\r\n");
    Write(PathOf("odd.vxd"), "Vextal data file\r\nnew\r\n6\r\n");
    Write(PathOf("mr.vxd"), "Vextal data file\r\n3.00\r\n1\r\n1\r\n");
    Write(PathOf("text.vxd"), "1,2,3\r\n4,5,6\r\n");

    EXPECT_FALSE(CheckDocumentFile(PathOf("new.vxd"), sink).Accepted);
    EXPECT_EQ(CheckDocumentFile(PathOf("odd.vxd"), sink).Code, 6);
    EXPECT_EQ(CheckDocumentFile(PathOf("mr.vxd"), sink).Code, 7);
    EXPECT_FALSE(CheckDocumentFile(PathOf("text.vxd"), sink).Accepted);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0], std::make_pair(std::string("Corvanta Vextal"), std::string(NewerVersionMessage)));
    EXPECT_EQ(shown[1].second,
              "The file is not an Vextal data file. If you want to import data, first create a new file, "
              "then Import.");

    long double version = 0;
    EXPECT_TRUE(ReadFileVersion(PathOf("mr.vxd"), version));
    EXPECT_EQ(version, 3.0L);
    EXPECT_FALSE(ReadFileVersion(PathOf("odd.vxd"), version));
}

// ------------------------------------------------------------------ round trips

void FillColumns(DataDocument& document, int columns) {
    DataTable& table = document.Table;
    const long double values[] = {0.1L, 1.0L / 3.0L, 123456789.125L, -0.0001L, 1e-10L, 42.0L, -7.5L};
    for (int column = 0; column < columns; ++column) {
        table.ColumnInfo[column].Title = "Group " + std::string(1, static_cast<char>('A' + column));
        for (int row = 0; row < 5 + column; ++row)
            if ((row + column) % 4 != 3)
                SetValue(table, row, column, values[(row + column) % 7] * (row + 1));
    }
    SetExcluded(table, 1, 0, true);
    SetExcluded(table, 2, columns - 1, true);
    table.RowTitles[0] = "Mon";
    table.RowTitles[1000] = "last";
    table.ColumnFormat[1] = 3;
    table.DocumentTitle = "Study 7";
    document.NotesText = "First line\r\n\r\nThird, after an empty one\r\n";
}

void ExpectSameDocument(const DataDocument& a, const DataDocument& b) {
    for (int row = 0; row < TableRowCount; ++row)
        for (int column = 0; column < DataColumnCount; ++column) {
            ASSERT_EQ(RawValue(a.Table, row, column), RawValue(b.Table, row, column)) << row << "," << column;
            ASSERT_EQ(IsExcluded(a.Table, row, column), IsExcluded(b.Table, row, column)) << row;
        }
    EXPECT_EQ(a.Table.RowTitles, b.Table.RowTitles);
    EXPECT_EQ(a.Table.ColumnFormat, b.Table.ColumnFormat);
    EXPECT_EQ(a.Table.DocumentTitle, b.Table.DocumentTitle);
    for (int column = 0; column < DataColumnCount; ++column)
        EXPECT_EQ(a.Table.ColumnInfo[column].Title, b.Table.ColumnInfo[column].Title);
    EXPECT_EQ(a.Table.ColumnSelected, b.Table.ColumnSelected);
    EXPECT_EQ(a.NotesText, b.NotesText);
    const TwoByTwoTable& x = a.TwoByTwo;
    const TwoByTwoTable& y = b.TwoByTwo;
    EXPECT_TRUE(x.A == y.A && x.B == y.B && x.C == y.C && x.D == y.D);
    EXPECT_TRUE(x.Column1Title == y.Column1Title && x.Column2Title == y.Column2Title &&
                x.Row1Title == y.Row1Title && x.Row2Title == y.Row2Title);
    EXPECT_EQ(a.State.Format, b.State.Format);
    AnalysisChoices expected = a.State.Choices;
    expected.SelectedPairs[SelectedPairCount - 1] = b.State.Choices.SelectedPairs[SelectedPairCount - 1];
    EXPECT_TRUE(expected == b.State.Choices);
    EXPECT_FALSE(b.Table.Modified);
    EXPECT_FALSE(b.State.DocumentModified);
    EXPECT_TRUE(b.State.ResultsStale);
}

std::vector<DataDocument> OneDocumentPerFormat() {
    std::vector<DataDocument> documents;
    for (int code = 1; code <= 7; ++code) {
        DataFormat format{};
        DataFormatFromCode(code, format);
        DataDocument document = Document(format);
        AnalysisChoices& choices = document.State.Choices;
        switch (format) {
        case DataFormat::RawData:
            FillColumns(document, 4);
            choices.HypotheticalValue = 2.75L;
            choices.OneColColumn = 2;
            choices.TwoColEqualSD = false;
            choices.PostTestMethod = 2;
            choices.ControlColumn = 3;
            choices.SelectedPairs[5] = false;
            choices.AllColumns = false;
            document.Table.ColumnSelected[1] = false;
            break;
        case DataFormat::MeanSDN:
        case DataFormat::MeanSEMN:
            for (int column = 0; column < 3; ++column) {
                ColumnInfo& info = document.Table.ColumnInfo[column];
                info.Title = "Dose " + std::to_string(column);
                info.N = 10 + column;
                info.Mean = 12.5L + column / 7.0L;
                info.SD = 1.0L / 3.0L;
                info.SEM = 0.105409255338946L;
            }
            document.Table.DocumentTitle = "Averaged";
            document.NotesText = "typed\r\n";
            choices.PostTestCondition = 0;
            break;
        case DataFormat::LargerTable:
            FillColumns(document, 3);
            break;
        case DataFormat::TwoByTwo:
            document.TwoByTwo = {12, 5, 3, 20, "Ill", "Well", "Exposed", "Unexposed"};
            document.Table.DocumentTitle = "Outbreak";
            document.NotesText = "2x2\r\n";
            choices.UseChiSquare = 1;
            choices.YatesCorrection = false;
            choices.TwoByTwoTwoSided = false;
            choices.RelativeRisk = choices.ProportionDifference = choices.OddsRatio = false;
            choices.Sensitivity = true;
            break;
        case DataFormat::XYData:
            FillColumns(document, 3);
            choices.RunsTest = true;
            choices.ForceThroughPoint = true;
            choices.ForceX = 1.25L;
            choices.ForceY = MissingValue;
            choices.CorrelationKind = 2;
            choices.InterpolateUnknowns = false;
            break;
        case DataFormat::MultRegData:
            FillColumns(document, 5);
            choices.MultipleRegression = false;
            choices.DependentY = 2;
            choices.IndependentX[4] = false;
            choices.MRGraphX = "C";
            choices.MRGraphY = "*";  // the residuals
            break;
        }
        documents.push_back(std::move(document));
    }
    return documents;
}

TEST_F(TempFolder, EveryFormatSurvivesSavingAndOpening) {
    for (const DataDocument& original : OneDocumentPerFormat()) {
        SCOPED_TRACE(static_cast<int>(original.State.Format));
        const std::string path = PathOf("doc.vxd");
        ASSERT_EQ(SaveDocument(original, path), 0);
        DataDocument back;
        const LoadResult result = OpenDocumentFile(back, path, Settings);
        ASSERT_TRUE(result.Loaded);
        EXPECT_FALSE(result.ReadError);
        ExpectSameDocument(original, back);

        // The same file with LF line ends, as another system may leave it.
        std::string text = Contents(path);
        for (std::size_t at; (at = text.find("\r\n")) != std::string::npos;)
            text.erase(at, 1);
        ExpectSameDocument(original, Load(text, static_cast<int>(original.State.Format)));
    }
}

TEST(DocumentReader, KeepsTypedSummariesAndRecomputesRawColumns) {
    auto documents = OneDocumentPerFormat();
    const DataDocument sem = Load(DocumentFileText(documents[2]), 3);
    EXPECT_EQ(sem.State.ErrorBars, ErrorBarKind::SEM);
    EXPECT_EQ(sem.State.Goal, GoalFamily::AnovaFamily);
    for (int column = 0; column < 3; ++column) {
        const ColumnInfo& expected = documents[2].Table.ColumnInfo[column];
        const ColumnInfo& info = sem.Table.ColumnInfo[column];
        EXPECT_EQ(info.N, expected.N);
        EXPECT_EQ(info.Mean, expected.Mean);
        EXPECT_EQ(info.SD, expected.SD);
        EXPECT_EQ(info.SEM, expected.SEM);
        EXPECT_TRUE(sem.Table.SummaryEntered[column]);
        EXPECT_FALSE(sem.Table.ColumnChanged[column]);
    }
    EXPECT_EQ(Load(DocumentFileText(documents[1]), 2).State.ErrorBars, ErrorBarKind::SD);

    // Raw data: whatever statistics the file holds, raw columns are redone.
    DataDocument& raw = documents[0];
    raw.Table.ColumnInfo[0] = {"Group A", 99, 1, 2, 3, 4, 5, 6, 7, 8, 0.5L, 0.9L, true};
    raw.Table.ColumnInfo[6].N = 4; // typed summary of a column without values
    raw.Table.ColumnInfo[6].Mean = 3.5L;
    LoadResult result;
    DataDocument back;
    result = LoadDocumentText(back, DocumentFileText(raw), 1, Settings);
    EXPECT_TRUE(back.Table.ColumnChanged[0]);
    EXPECT_TRUE(IsMissing(back.Table.ColumnInfo[0].KSDistance));
    EXPECT_TRUE(IsMissing(back.Table.ColumnInfo[0].NormalityP));
    EXPECT_FALSE(back.Table.SummaryEntered[0]);
    EXPECT_FALSE(back.Table.ColumnChanged[6]);
    EXPECT_EQ(back.Table.ColumnInfo[6].Mean, 3.5L);
    EXPECT_EQ(result.ColumnsWithData, 5); // A..D from their values, G from its typed N
}

// ------------------------------------------------------------------ older and shorter files

TEST(DocumentReader, StopsAtTheEndOfAnOlderFileKeepingDefaults) {
    DataDocument document = OneDocumentPerFormat()[0];
    document.Table.ColumnFormat[2] = 5;
    const auto lines = Lines(DocumentFileText(document));
    const std::size_t end = IndexOf(lines, "<<END SELECTED FLAGS>>");
    DataDocument back;
    const LoadResult result = LoadDocumentText(back, Join(lines, end + 1), 1, Settings);
    EXPECT_FALSE(result.ReadError);
    EXPECT_EQ(result.ColumnsWithData, -1);
    EXPECT_EQ(RawValue(back.Table, 0, 0), RawValue(document.Table, 0, 0));
    EXPECT_EQ(back.NotesText, document.NotesText);
    EXPECT_FALSE(back.Table.ColumnSelected[1]);
    EXPECT_EQ(back.Table.RowTitles[0], "1");
    EXPECT_EQ(back.Table.ColumnFormat[2], -1);
    EXPECT_FALSE(IsExcluded(back.Table, 1, 0));
    EXPECT_TRUE(back.State.Choices.AllColumns);
}

TEST(DocumentReader, ReadsOlderXYAndTwoByTwoChoices) {
    DataDocument xy = OneDocumentPerFormat()[5];
    auto lines = Lines(DocumentFileText(xy));
    lines.erase(lines.begin() + 13); // the InterpolateUnknowns line
    const DataDocument oldXY = Load(Join(lines, lines.size()), 6);
    EXPECT_TRUE(oldXY.State.Choices.InterpolateUnknowns);
    EXPECT_EQ(oldXY.State.Choices.CorrelationKind, 2);
    EXPECT_EQ(oldXY.Table.ColumnInfo[2].Title, "Group C");

    DataDocument table = OneDocumentPerFormat()[4];
    lines = Lines(DocumentFileText(table));
    lines[6] = "2"; // an old code for Fisher's test
    lines[9] = "F"; // relative risk off, difference of proportions on
    lines[11] = "T";
    DataDocument back = Load(Join(lines, lines.size()), 5);
    EXPECT_EQ(back.State.Choices.UseChiSquare, 0);
    EXPECT_TRUE(back.State.Choices.RelativeRisk && back.State.Choices.ProportionDifference);
    EXPECT_TRUE(back.State.Choices.Sensitivity);
    EXPECT_FALSE(Load(Join(lines, lines.size() - 1), 5).State.Choices.Sensitivity);
}

TEST(DocumentReader, AnIntegerThatDoesNotParseEndsReading) {
    DataDocument document = OneDocumentPerFormat()[0];
    auto lines = Lines(DocumentFileText(document));
    const std::size_t choices = IndexOf(lines, "<<END STAT DATA>>") + 1;
    lines[choices + 16] = "two"; // ControlColumn
    DataDocument back;
    const LoadResult result = LoadDocumentText(back, Join(lines, lines.size()), 1, Settings);
    EXPECT_TRUE(result.ReadError);
    EXPECT_EQ(back.State.Choices.OneColColumn, 2);   // read before the error
    EXPECT_EQ(back.State.Choices.PostTestMethod, 1); // default: not read
    EXPECT_EQ(back.NotesText, "");
    EXPECT_EQ(RawValue(back.Table, 0, 0), RawValue(document.Table, 0, 0));
}

// ------------------------------------------------------------------ damaged files

TEST(DocumentReader, IgnoresOutOfRangeIndexesAndCapsSizes) {
    DataDocument document = OneDocumentPerFormat()[0];
    document.Table.ColumnInfo[0].Title = std::string(300, 'T');
    document.NotesText = std::string(9000, 'n');
    auto lines = Lines(DocumentFileText(document));
    const std::size_t stats = IndexOf(lines, "<<END RAW DATA>>") + 1;
    lines[stats] = "-5"; // the block of column A claims an impossible index
    const std::size_t choices = IndexOf(lines, "<<END STAT DATA>>") + 1;
    lines[choices + 16] = "99999";
    lines[choices + 4] = "-2";
    std::vector<std::string> rows(1005,
                                  "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21,22,23,24,25,26,27,");
    lines.insert(lines.begin() + 7, rows.begin(), rows.end());
    const std::size_t titles = IndexOf(lines, "<<END ROW TITLES>>");
    lines.insert(lines.begin() + titles, {"5000  far", "-3    neg", "12    a very long row title"});

    const DataDocument back = Load(Join(lines, lines.size()), 1);
    EXPECT_EQ(back.Table.ColumnInfo[0].Title, "");
    EXPECT_EQ(back.State.Choices.ControlColumn, 0);
    EXPECT_EQ(back.State.Choices.OneColColumn, -1);
    EXPECT_EQ(back.Table.LastRow, 999);
    EXPECT_EQ(back.Table.LastColumn, 25);
    EXPECT_TRUE(IsMissing(RawValue(back.Table, 1000, 0)));
    EXPECT_EQ(RawValue(back.Table, 999, 25), 26.0L);
    EXPECT_EQ(back.Table.RowTitles[12], "a very lon");
    EXPECT_EQ(back.NotesText.size(), MaxNotesLength);

    document.Table.ColumnInfo[1].Title = std::string(300, 'T');
    const DataDocument capped = Load(DocumentFileText(document), 1);
    EXPECT_EQ(capped.Table.ColumnInfo[1].Title.size(), MaxColumnTitleLength);
}

void ExpectSound(const DataDocument& document) {
    const DataTable& table = document.Table;
    ASSERT_GE(table.LastRow, 0);
    ASSERT_LT(table.LastRow, UserRowCount);
    ASSERT_GE(table.LastColumn, 0);
    ASSERT_LT(table.LastColumn, DataColumnCount);
    // Titles are limited in characters of up to four bytes each.
    ASSERT_LE(table.DocumentTitle.size(), 4 * MaxDocumentTitleLength);
    ASSERT_LE(document.NotesText.size(), MaxNotesLength);
    for (int column = 0; column < DataColumnCount; ++column) {
        ASSERT_LE(table.ColumnInfo[column].Title.size(), 4 * MaxColumnTitleLength);
        ASSERT_GE(table.ColumnFormat[column], -1);
    }
    for (const std::string& title : table.RowTitles)
        ASSERT_LE(title.size(), 4 * MaxRowTitleLength);
    const AnalysisChoices& choices = document.State.Choices;
    ASSERT_TRUE(choices.OneColColumn >= -1 && choices.OneColColumn < DataColumnCount);
    ASSERT_TRUE(choices.ControlColumn >= 0 && choices.ControlColumn < DataColumnCount);
    ASSERT_TRUE(choices.DependentY >= 0 && choices.DependentY < DataColumnCount);
    ASSERT_LE(choices.PostTestMethod, 4);
    ASSERT_LE(choices.CorrelationKind, 2);
    ASSERT_LE(choices.MRGraphX.size(), 1u);
}

TEST(DocumentReader, SurvivesTruncatedAndGarbledFiles) {
    std::mt19937 random(1402);
    DataDocument document;
    auto check = [&](const std::string& text, int code) {
        LoadDocumentText(document, text, code, Settings);
        ExpectSound(document);
    };
    for (const DataDocument& original : OneDocumentPerFormat()) {
        const int code = static_cast<int>(original.State.Format);
        const std::string text = DocumentFileText(original);
        const auto lines = Lines(text);
        for (std::size_t count = 0; count <= lines.size(); ++count)
            check(Join(lines, count), code);
        for (std::size_t cut = 1; cut < text.size(); cut += 331)
            check(text.substr(0, cut), code);

        // Lines swapped for tokens that a reader might take at face value.
        const std::vector<std::string> tokens = {"-5",
                                                 "99999",
                                                 "-2147483648",
                                                 "2147483648",
                                                 "T",
                                                 "*",
                                                 "",
                                                 "<<END RAW DATA>>",
                                                 "<<END NOTES>>",
                                                 std::string(70000, ','),
                                                 "<<START EXCLUDE FLAGS>>",
                                                 std::string(40, '*'),
                                                 "1e99999"};
        for (int round = 0; round < 20; ++round) {
            auto garbled = lines;
            for (auto& line : garbled)
                if (random() % 6 == 0)
                    line = tokens[random() % tokens.size()];
            check(Join(garbled, garbled.size()), code);
        }
        for (int round = 0; round < 8; ++round) {
            std::string bytes(random() % 4000, '\0');
            for (char& c : bytes)
                c = static_cast<char>(random() % 256);
            check(bytes, code);
        }
    }
}

// ------------------------------------------------------------------ saving

TEST_F(TempFolder, ReportsASaveIntoAMissingFolder) {
    std::vector<std::string> shown;
    const int code = SaveDocument(Document(DataFormat::RawData), PathOf("missing/doc.vxd"),
                                  [&](const std::string& caption, const std::string& text) {
                                      EXPECT_EQ(caption, "");
                                      shown.push_back(text);
                                  });
    EXPECT_EQ(code, 3);
    EXPECT_EQ(shown, std::vector<std::string>{"Error: #3  Path not found."});

    DataDocument document;
    const LoadResult result = LoadDocument(document, PathOf("absent.vxd"), 1, Settings);
    EXPECT_FALSE(result.Loaded);
    EXPECT_EQ(result.IoCode, 2);
}

TEST_F(TempFolder, AFailedSaveLeavesThePreviousFileIntact) {
    const std::string path = PathOf("doc.vxd");
    DataDocument document = OneDocumentPerFormat()[0];
    ASSERT_EQ(SaveDocument(document, path), 0);
    const std::string previous = Contents(path);

    // A file size limit makes the write fail half way through.
    for (int row = 0; row < UserRowCount; ++row)
        SetValue(document.Table, row, 20, row + 0.5L);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 4096;
    setrlimit(RLIMIT_FSIZE, &small);
    std::string message;
    const int code =
        SaveDocument(document, path, [&](const std::string&, const std::string& text) { message = text; });
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(code, 101);
    EXPECT_EQ(message, "Error: #101  The disk is full.");
    EXPECT_EQ(Contents(path), previous);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()), 1);

    ASSERT_EQ(SaveDocument(document, path), 0);
    EXPECT_EQ(Contents(path), DocumentFileText(document));
    EXPECT_EQ(SaveDocument(document, folder_.string()), 5); // a folder is no file
}

// ------------------------------------------------------------------ sample documents

TEST(SampleDocuments, EveryExampleOpens) {
    const fs::path folder = fs::path(VEXTAL_TEST_DATA_DIR) / ".." / "examples";
    int opened = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().extension() != ".vxd")
            continue;
        SCOPED_TRACE(entry.path().string());
        DataDocument document;
        const LoadResult result = OpenDocumentFile(document, entry.path().string(), Settings);
        ASSERT_TRUE(result.Loaded);
        EXPECT_FALSE(result.ReadError);
        EXPECT_FALSE(document.Table.DocumentTitle.empty());
        EXPECT_FALSE(document.NotesText.empty());
        const std::string name = entry.path().stem().string();
        if (name == "raw_data") {
            EXPECT_EQ(document.State.Format, DataFormat::RawData);
            EXPECT_EQ(RawValue(document.Table, 0, 0), 5.2L);
            EXPECT_TRUE(IsExcluded(document.Table, 3, 1));
        } else if (name == "mean_sem_n") {
            EXPECT_EQ(document.State.ErrorBars, ErrorBarKind::SEM);
            EXPECT_EQ(document.Table.ColumnInfo[0].N, 12);
        } else if (name == "two_by_two") {
            EXPECT_EQ(document.TwoByTwo.A, 28.0L);
            EXPECT_EQ(document.State.Goal, GoalFamily::ContingencyFamily);
        } else if (name == "multiple_regression") {
            EXPECT_EQ(document.State.Format, DataFormat::MultRegData);
            EXPECT_EQ(document.State.Choices.DependentY, 0);
        }
        ++opened;
    }
    EXPECT_EQ(opened, 7);
}

} // namespace
} // namespace vextal
