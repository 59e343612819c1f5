// Damaged, huge and made-up input through every reader: the document files,
// text import and clipboard paste. Each must end in a sound document or a
// clear refusal, in bounded memory and time.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cfloat>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <sstream>
#include <string>
#include <vector>

#include "data/cell_entry.h"
#include "data/clipboard_text.h"
#include "data/document_file.h"
#include "data/text_import.h"

namespace vextal {
namespace {

namespace fs = std::filesystem;

const NumberSettings Point{'.', ','};
const NumberSettings Comma{',', ';'};

std::string Contents(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

fs::path Example(const std::string& name) { return fs::path(VEXTAL_TEST_DATA_DIR) / ".." / "examples" / name; }

long MaxResidentKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Bounds every reader must keep, and a save and read that changes nothing.
void ExpectSound(const DataDocument& document) {
    const DataTable& table = document.Table;
    ASSERT_TRUE(table.LastRow >= 0 && table.LastRow < TableRowCount);
    ASSERT_TRUE(table.LastColumn >= 0 && table.LastColumn < DataColumnCount);
    ASSERT_LE(table.DocumentTitle.size(), MaxDocumentTitleLength);
    ASSERT_LE(document.NotesText.size(), MaxNotesLength);
    for (const ColumnInfo& info : table.ColumnInfo) ASSERT_LE(info.Title.size(), 4 * MaxColumnTitleLength);
    for (const std::string& title : table.RowTitles) ASSERT_LE(title.size(), 4 * MaxRowTitleLength);
    for (int row = 0; row < TableRowCount; ++row)
        for (int column = 0; column < DataColumnCount; ++column)
            ASSERT_TRUE(std::isfinite(RawValue(table, row, column)));
    const std::string saved = DocumentFileText(document);
    DataDocument back;
    ASSERT_FALSE(LoadDocumentText(back, saved, static_cast<int>(document.State.Format), Point).ReadError);
    ASSERT_EQ(DocumentFileText(back), saved);
}

DataDocument Load(std::string_view text, int code, const NumberSettings& settings = Point) {
    DataDocument document;
    EXPECT_TRUE(LoadDocumentText(document, text, code, settings).Loaded);
    return document;
}

std::string Repeat(std::string_view piece, std::size_t times) {
    std::string text;
    text.reserve(piece.size() * times);
    for (std::size_t i = 0; i < times; ++i) text += piece;
    return text;
}

const std::string RawHeader = "Vextal data file\r\n2.00\r\n1\r\n\r\n\r\n\r\nTitle\r\n";

class HostileFiles : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "vextal-hostile-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
    }
    void TearDown() override { fs::remove_all(folder_); }

    // A file of `size` bytes that starts with `head` and is zeros after it;
    // sparse, so it takes no disk space.
    std::string SparseFile(const std::string& name, const std::string& head, off_t size) {
        const std::string path = (folder_ / name).string();
        const int fd = ::open(path.c_str(), O_CREAT | O_TRUNC | O_WRONLY, 0644);
        EXPECT_GE(fd, 0);
        EXPECT_EQ(::write(fd, head.data(), head.size()), static_cast<ssize_t>(head.size()));
        EXPECT_EQ(::ftruncate(fd, size), 0);
        ::close(fd);
        return path;
    }
    std::string File(const std::string& name, const std::string& text) {
        const fs::path path = folder_ / name;
        std::ofstream(path, std::ios::binary) << text;
        return path.string();
    }
    fs::path folder_;
};

// ------------------------------------------------------------------ sizes

TEST_F(HostileFiles, AGigabyteFileIsRefusedAsADocumentByItsSize) {
    std::vector<std::string> shown;
    const MessageSink sink = [&](const std::string&, const std::string& text) { shown.push_back(text); };
    for (const std::string& head : {RawHeader, std::string()}) {
        const std::string path = SparseFile("huge.vxd", head, off_t{1} << 30);
        DataDocument document = NewDocument();
        document.Table.DocumentTitle = "kept";
        EXPECT_EQ(ReadFileKind(path), 0);
        EXPECT_FALSE(OpenDocumentFile(document, path, Point, sink).Loaded);
        EXPECT_EQ(document.Table.DocumentTitle, "kept");
    }
    EXPECT_EQ(shown, std::vector<std::string>(2, NotDataFileMessage));

    // A document with its full 1000 rows in the longest number form is far
    // below the limit and still opens.
    DataDocument full = NewDocument();
    for (int row = 0; row < UserRowCount; ++row)
        for (int column = 0; column < DataColumnCount; ++column)
            SetValue(full.Table, row, column, -std::nextafter(1.2345678901234567e-4000L, 1.0L) * (row + 1));
    const std::string path = File("full.vxd", DocumentFileText(full));
    DataDocument opened;
    EXPECT_TRUE(OpenDocumentFile(opened, path, Point).Loaded);
    EXPECT_EQ(RawValue(opened.Table, 999, 25), RawValue(full.Table, 999, 25));
}

TEST_F(HostileFiles, EndlessFilesAreNotRead) {
    DataDocument document;
    EXPECT_FALSE(OpenDocumentFile(document, "/dev/zero", Point).Loaded);
    EXPECT_EQ(StartImport("/dev/zero", Point).IoCode, IoAccessDenied);
    EXPECT_EQ(StartImport(folder_.string(), Point).IoCode, IoAccessDenied);
}

TEST_F(HostileFiles, ImportOfAHugeFileReadsItsFirstRowsInBoundedMemory) {
    // 64 MB: two rows, then one line of zero bytes with no line end.
    const std::string path = SparseFile("huge.csv", "A,B\n1,2\n3,4\n", off_t{64} << 20);
    const long before = MaxResidentKilobytes();
    const ImportStart start = StartImport(path, Point);
    EXPECT_LT(MaxResidentKilobytes() - before, 40 * 1024);
    ASSERT_FALSE(start.Refused);
    EXPECT_EQ(RawValue(start.Preview.Table, 1, 1), 4.0L);
    EXPECT_EQ(start.Preview.Table.ColumnInfo[1].Title, "B");
    EXPECT_TRUE(IsMissing(RawValue(start.Preview.Table, 2, 0)));
}

TEST(HostileText, TenMegabyteLinesAreCut) {
    const std::string longRow = Repeat("1.5,", 2'500'000);  // 10 MB

    DataDocument document = Load(RawHeader + longRow + "\r\n2,\r\n<<END RAW DATA>>\r\n", 1);
    EXPECT_EQ(document.Table.LastColumn, 25);
    EXPECT_EQ(RawValue(document.Table, 0, 25), 1.5L);
    EXPECT_EQ(RawValue(document.Table, 1, 0), 2.0L);
    ExpectSound(document);

    document = Load("h\r\n2.00\r\n1\r\n\r\n\r\n\r\n" + std::string(10'000'000, 'T') + "\r\n3,\r\n", 1);
    EXPECT_EQ(document.Table.DocumentTitle.size(), MaxDocumentTitleLength);
    EXPECT_EQ(RawValue(document.Table, 0, 0), 3.0L);

    const ImportStart start = StartImportText(longRow + "\n7,8\n", Point);
    EXPECT_EQ(RawValue(start.Preview.Table, 0, 25), 1.5L);
    EXPECT_EQ(RawValue(start.Preview.Table, 1, 1), 8.0L);

    DataDocument pasted = NewDocument();
    PasteAtCursor(pasted, Repeat("2\t", 30) + std::string(10'000'000, '9') + "\r\n3", 0, 0, {}, false, Point);
    EXPECT_EQ(RawValue(pasted.Table, 0, 25), 2.0L) << "fields past Z are dropped";
    EXPECT_EQ(RawValue(pasted.Table, 1, 0), 3.0L);
    EXPECT_TRUE(IsMissing(PastedFieldValue(std::string(10'000'000, '9'), Point))) << "ten million digits are too large";
    ExpectSound(pasted);
}

TEST(HostileText, AMillionRowsKeepTheFirstThousand) {
    const std::string rows = Repeat("1,2,\r\n", 1'000'000);
    DataDocument document = Load(RawHeader + rows + "<<END RAW DATA>>\r\n0\r\nA\r\n", 1);
    EXPECT_EQ(document.Table.LastRow, 999);
    EXPECT_EQ(document.Table.ColumnInfo[0].Title, "A") << "reading goes on after the dropped rows";

    const ImportStart start = StartImportText(rows, Point);
    EXPECT_EQ(start.Messages, std::vector<std::string>{TooManyRowsMessage});
    EXPECT_EQ(start.Preview.Table.LastRow, PreviewRowLimit - 1);

    DataDocument pasted = NewDocument();
    EXPECT_TRUE(PasteAtCursor(pasted, rows, 500, 0, {}, false, Point).Changed);
    EXPECT_EQ(pasted.Table.LastRow, LastUserRow);
    EXPECT_TRUE(PasteAtCursor(pasted, rows, 0, 3, {}, true, Point).Changed);
    EXPECT_EQ(RawValue(pasted.Table, 1, 25), 2.0L) << "transposed lines stop at Z";
    ExpectSound(pasted);
}

// ------------------------------------------------------------------ bytes and numbers

TEST(HostileText, BinaryAndZeroBytes) {
    std::string binary;
    for (int i = 0; i < 4096; ++i) binary += static_cast<char>((i * 37) & 0xFF);
    for (int code = 1; code <= 7; ++code) ExpectSound(Load(RawHeader + binary, code));

    DataDocument document = Load(RawHeader + std::string("1\0,2,\r\n", 7) + "<<END RAW DATA>>\r\n", 1);
    EXPECT_TRUE(IsMissing(RawValue(document.Table, 0, 0)));
    EXPECT_EQ(RawValue(document.Table, 0, 1), 2.0L);

    EXPECT_TRUE(StartImportText("title \xFF\n1,2\n", Point).Messages.empty()) << "the first line may hold anything";
    EXPECT_EQ(StartImportText("1,2\n3,\x80\n", Point).Messages, std::vector<std::string>{NotAsciiMessage});
    const ImportStart start = StartImportText(std::string("1,2\n3,\0\0004\n", 10), Point);
    EXPECT_EQ(RawValue(start.Preview.Table, 1, 1), 4.0L) << "zero bytes in a field are dropped";

    DataDocument pasted = NewDocument();
    PasteAtCursor(pasted, std::string("4\t5\0\t6\r\n7", 9), 0, 0, {}, false, Point);
    EXPECT_EQ(RawValue(pasted.Table, 0, 1), 5.0L);
    EXPECT_TRUE(IsMissing(RawValue(pasted.Table, 0, 2))) << "a zero byte ends the paste";
    EXPECT_TRUE(IsMissing(RawValue(pasted.Table, 1, 0)));
    PasteAtCursor(pasted, binary, 2, 0, {}, false, Point);
    ExpectSound(pasted);
}

TEST(HostileText, NumbersOutsideTheRange) {
    // Text, a document cell, an imported field and a pasted field.
    struct Case {
        const char* text;
        bool value;           // a cell value results (else an empty cell)
        long double expected;
    };
    const Case cases[] = {
        {"1e99999", false, 0}, {"-1E4933", false, 0}, {"nan", false, 0},     {"inf", false, 0},
        {"-INF", false, 0},    {"1.6E38", false, 0},  {"-0", true, 0},       {"1e-99999", true, 0},
        {"1.5E38", true, 1.5E38L},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const DataDocument document = Load(RawHeader + c.text + ",\r\n", 1);
        const long double cell = RawValue(document.Table, 0, 0);
        if (std::string_view(c.text) == "1.6E38")
            EXPECT_EQ(cell, 1.6E38L) << "a file may hold any finite value";
        else
            EXPECT_EQ(IsMissing(cell), !c.value);
        const long double imported = RawValue(StartImportText(std::string(c.text) + ",1\n", Point).Preview.Table, 0, 0);
        const long double pasted = PastedFieldValue(c.text, Point);
        const long double typed = CellTextToValue(c.text);
        for (long double v : {pasted, typed}) {
            EXPECT_EQ(IsMissing(v), !c.value);
            if (c.value) {
                EXPECT_EQ(v, c.expected);
            }
        }
        // A word is no number (its letters are dropped, leaving an empty
        // field); a number too large for any cell is empty, whatever its
        // exponent.
        const bool word = std::string_view(c.text).find_first_of("aiAI") != std::string_view::npos;
        if (word)
            EXPECT_TRUE(IsMissing(imported)) << "only number characters stay in a delimited field";
        else
            EXPECT_EQ(IsMissing(imported), !c.value);
    }
    EXPECT_EQ(ImportedFieldValue("1e99999", ImportLayout::FixedWidth), MissingValue);
    EXPECT_EQ(ImportedFieldValue("-1e99999", ImportLayout::Delimited), MissingValue);
    EXPECT_EQ(ImportedFieldValue("nan", ImportLayout::FixedWidth), 0.0L);
    EXPECT_EQ(ImportedFieldValue("1e5x", ImportLayout::FixedWidth), 0.0L);

    // -0 is stored as a zero that saves as "0".
    DataDocument pasted = NewDocument();
    PasteAtCursor(pasted, "-0\t-0.0", 0, 0, {}, false, Comma);
    EXPECT_EQ(RawValue(pasted.Table, 0, 0), 0.0L);
    EXPECT_NE(DocumentFileText(pasted).find("\r\n0,0,\r\n"), std::string::npos);
}

// ------------------------------------------------------------------ long fields

TEST(HostileText, LongTitlesNotesAndPairFlags) {
    const std::string huge(100'000, 'W');
    DataDocument document = Load("h\r\n2.00\r\n1\r\n\r\n\r\n\r\n" + huge + "\r\n", 1);
    EXPECT_EQ(document.Table.DocumentTitle, huge.substr(0, MaxDocumentTitleLength));
    EXPECT_EQ(StartImportText(huge + "\n1,2\n", Point).Preview.Table.DocumentTitle.size(), MaxDocumentTitleLength);
    DataDocument pasted = NewDocument();
    PasteAtCursor(pasted, huge + "\t" + huge + "\r\n1", 0, 0, WholeColumnsSelection(0, 1), false, Point);
    EXPECT_EQ(pasted.Table.ColumnInfo[1].Title.size(), MaxColumnTitleLength);
    EXPECT_EQ(RawValue(pasted.Table, 0, 0), 1.0L);

    // Notes beyond the limit are cut; the rest of the file is still read.
    DataDocument original = NewDocument();
    original.NotesText = std::string(MaxNotesLength + 5000, 'n');
    original.Table.ColumnSelected[3] = true;
    const std::string text = DocumentFileText(original);
    const std::size_t notes = text.find("<<END NOTES>>");
    DataDocument back = Load(text.substr(0, notes) + Repeat("more notes\r\n", 100'000) + text.substr(notes), 1);
    EXPECT_EQ(back.NotesText.size(), MaxNotesLength);
    EXPECT_TRUE(back.Table.ColumnSelected[3]);
    ExpectSound(back);

    // A SelectedPairs line of any length sets flags 1..351 and no more, and
    // the lines after it stay in place.
    for (std::size_t length : {std::size_t{0}, std::size_t{5}, std::size_t{351}, std::size_t{352},
                               std::size_t{1'000'000}}) {
        SCOPED_TRACE(length);
        DataDocument choices = NewDocument();
        choices.State.Choices.SelectedPairs.fill(false);
        choices.NotesText = "after";
        std::string saved = DocumentFileText(choices);
        const std::size_t start = saved.find(std::string(SelectedPairCount, 'F'));
        ASSERT_NE(start, std::string::npos);
        saved.replace(start, SelectedPairCount, std::string(length, 'T'));
        const DataDocument read = Load(saved, 1);
        for (std::size_t flag = 0; flag + 1 < SelectedPairCount; ++flag)
            ASSERT_EQ(read.State.Choices.SelectedPairs[flag], flag < length);
        EXPECT_TRUE(read.State.Choices.SelectedPairs[SelectedPairCount - 1]) << "the last flag keeps its default";
        EXPECT_EQ(read.NotesText, "after\r\n");
    }
}

TEST(HostileText, RowTitleLinesWithImpossibleIndexes) {
    DataDocument original = NewDocument();
    const std::string text = DocumentFileText(original);
    const std::size_t end = text.find("<<END ROW TITLES>>");
    const std::string lines = "99999999999999999999 huge\r\n2147483648x\r\n-1    minus\r\n1000  last\r\n"
                              "  7   seven\r\n" + std::string(6, ' ') + "blank\r\n12\r\n" + Repeat("3", 200'000) +
                              "\r\n";
    const DataDocument read = Load(text.substr(0, end) + lines + text.substr(end), 1);
    for (int row = 0; row < TableRowCount; ++row) {
        if (row == 7)
            EXPECT_EQ(read.Table.RowTitles[row], "seven");
        else if (row == 1000)
            EXPECT_EQ(read.Table.RowTitles[row], "last");
        else if (row == 12)
            EXPECT_EQ(read.Table.RowTitles[row], "");
        else
            EXPECT_EQ(read.Table.RowTitles[row], DefaultRowTitle(row)) << row;
    }
    ExpectSound(read);
}

// Titles are limited in characters where they are typed, imported or
// pasted; reading a file once cut them in bytes, so a title of accented
// letters lost its end on every save and open.
TEST(HostileText, TitlesOfManyByteCharactersComeBackWhole) {
    const std::string e = "\xC3\xA9", euro = "\xE2\x82\xAC";
    DataDocument document = NewDocument();
    SetColumnTitle(document, 0, Repeat(e, 90));
    SetRowTitle(document, 4, Repeat(euro, 12));
    document.Table.DocumentTitle = Repeat(euro, MaxDocumentTitleLength);
    const DataDocument back = Load(DocumentFileText(document), 1);
    EXPECT_EQ(back.Table.ColumnInfo[0].Title, Repeat(e, MaxColumnTitleLength));
    EXPECT_EQ(back.Table.RowTitles[4], Repeat(euro, MaxRowTitleLength));
    EXPECT_EQ(back.Table.DocumentTitle, document.Table.DocumentTitle);

    DataDocument table = NewDocument();
    table.State.Format = DataFormat::TwoByTwo;
    table.TwoByTwo.Row1Title = Repeat(e, 200);
    EXPECT_EQ(Load(DocumentFileText(table), 5).TwoByTwo.Row1Title, table.TwoByTwo.Row1Title);

    // Bytes that are no UTF-8 count one character each beyond three
    // continuation bytes, so such a title stays within four bytes a
    // character and reads back the same.
    EXPECT_EQ(TruncateCharacters("A" + std::string(50, '\x80'), 3), "A" + std::string(11, '\x80'));
    SetColumnTitle(document, 1, std::string(1000, '\xBF'));
    EXPECT_EQ(Load(DocumentFileText(document), 1).Table.ColumnInfo[1].Title, std::string(4 * 80, '\xBF'));
    const ImportStart start = StartImportText(std::string(77, 'K') + "\x8A\xFC\xBDp\x10" + "\n1\n", Point);
    DataDocument imported = NewDocument();
    ImportIntoDocument(imported, start.Preview, DefaultImportOptions(start.Preview.Table), 0, 0);
    ExpectSound(imported);
}

// ------------------------------------------------------------------ truncation

// Each cut gives a refusal (cut inside the header) or a sound document.
void ExpectEveryCutSound(const std::string& text, const std::vector<std::size_t>& lengths) {
    const int code = FileKindOfText(text);
    ASSERT_GE(code, 1);
    DataDocument document;
    for (std::size_t length : lengths) {
        const std::string_view cut(text.data(), length);
        const int kind = FileKindOfText(cut);
        // Multiple-regression data cut before its marker line is raw data.
        ASSERT_TRUE(kind == 0 || kind == code || (code == 7 && kind == 1)) << length;
        if (kind == 0) continue;
        ASSERT_TRUE(LoadDocumentText(document, cut, kind, Point).Loaded);
        const DataTable& table = document.Table;
        ASSERT_TRUE(table.LastRow >= 0 && table.LastRow < TableRowCount) << length;
        ASSERT_LE(document.NotesText.size(), MaxNotesLength) << length;
        if (length % 29 == 0 || length == text.size()) ExpectSound(document);
    }
}

TEST(HostileText, EveryTruncationOfTheSampleDocuments) {
    // One document cut at every byte offset...
    const std::string sample = Contents(Example("multiple_regression.vxd"));
    ASSERT_GT(sample.size(), 500u);
    std::vector<std::size_t> every(sample.size() + 1);
    std::iota(every.begin(), every.end(), 0);
    ExpectEveryCutSound(sample, every);

    // ... and every other sample at the line ends where its reader checks
    // whether the file goes on: the header, each marker line and the two
    // lines after it, and every tenth line of the repeated blocks between.
    for (const char* name : {"raw_data.vxd", "mean_sd_n.vxd", "mean_sem_n.vxd", "contingency.vxd",
                             "two_by_two.vxd", "xy_standard_curve.vxd"}) {
        SCOPED_TRACE(name);
        const std::string text = Contents(Example(name));
        std::vector<std::size_t> cuts;
        int line = 0, sinceMarker = 99;
        for (std::size_t start = 0, end = text.find('\n'); end != std::string::npos;
             start = end + 1, end = text.find('\n', start), ++line) {
            sinceMarker = text.compare(start, 2, "<<") == 0 ? 0 : sinceMarker + 1;
            if (line < 12 || sinceMarker <= 2 || line % 10 == 0) cuts.insert(cuts.end(), {end, end + 1});
        }
        ASSERT_GT(cuts.size(), 30u);
        ExpectEveryCutSound(text, cuts);
    }
}

}  // namespace
}  // namespace vextal
