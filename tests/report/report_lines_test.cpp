#include "report/report_lines.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "data/data_document.h"
#include "report/report_writer.h"

using namespace vextal;

namespace {

struct Messages {
    std::vector<std::pair<std::string, std::string>> Shown;
    MessageSink Sink() {
        return [this](const std::string& caption, const std::string& text) { Shown.emplace_back(caption, text); };
    }
};

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

TEST(ReportLines, MarkersStyleTheCharactersBetweenThemAndAreNeverText) {
    const ReportLines lines("A\x80" "B\x80" "C");
    ASSERT_EQ(1, lines.Count());
    EXPECT_EQ("ABC", lines.Line(0)->Utf8());
    EXPECT_EQ((std::vector<std::uint8_t>{0, StyleBold, 0}), lines.Line(0)->Flags);

    // Nested styles, italic, and a bold run left open at the end of a line:
    // the next line starts unstyled.
    const ReportLines nested("\x80X\x81Y\x80Z\x82i\r\nW");
    ASSERT_EQ(2, nested.Count());
    EXPECT_EQ("XYZi", nested.Line(0)->Utf8());
    EXPECT_EQ((std::vector<std::uint8_t>{StyleBold, StyleBold | StyleUnderline, StyleUnderline,
                                         StyleUnderline | StyleItalic}),
              nested.Line(0)->Flags);
    EXPECT_EQ(std::vector<std::uint8_t>{0}, nested.Line(1)->Flags);
}

TEST(ReportLines, WriterReportsKeepTheirColumnsAndStyles) {
    ReportWriter report;
    report.new_line();
    report.toggle_underline();
    report.write_line(centred("Unpaired t test", 65));
    report.toggle_underline();
    report.toggle_bold();
    report.write_text("P value");
    report.new_line();  // bold goes on over the line break
    report.toggle_bold();
    report.write_line("plain");
    report.write_closing();

    const ReportLines lines(report.Text());
    EXPECT_EQ(report.LinesWritten(), lines.Count());
    EXPECT_EQ(0, lines.Line(0)->Length());
    const LineText& title = *lines.Line(1);
    EXPECT_EQ(65, title.Length());
    EXPECT_EQ(centred("Unpaired t test", 65), title.Utf8());
    EXPECT_EQ(std::vector<std::uint8_t>(65, StyleUnderline), title.Flags);
    EXPECT_EQ(std::vector<std::uint8_t>(7, StyleBold), lines.Line(2)->Flags);
    EXPECT_EQ(std::vector<std::uint8_t>(5, 0), lines.Line(3)->Flags);
    EXPECT_EQ("                       *     *     *", lines.Line(5)->Utf8());
    EXPECT_EQ(65, lines.LongestLine());
}

TEST(ReportLines, MultiByteCharactersStayWholeEvenWhenTheyHoldMarkerBytes) {
    // "À" is C3 80 and "€" is E2 82 AC: their second bytes equal the bold and
    // italic markers but belong to the characters.
    const std::string text = "\xC3\x80 \x80\xE2\x82\xAC\x80 \xF0\x9D\x9B\xBC \xCE\xBC";
    const ReportLines lines(text);
    ASSERT_EQ(1, lines.Count());
    const LineText& line = *lines.Line(0);
    EXPECT_EQ(7, line.Length());
    EXPECT_EQ((std::vector<std::uint8_t>{0, 0, StyleBold, 0, 0, 0, 0}), line.Flags);
    EXPECT_EQ("\xC3\x80 \xE2\x82\xAC \xF0\x9D\x9B\xBC \xCE\xBC", line.Utf8());
    EXPECT_EQ("\xE2\x82\xAC \xF0\x9D\x9B\xBC", line.Utf8(2, 5));

    // A byte that is neither a marker nor part of a character shows as "?",
    // and so does a cut-off character.
    EXPECT_EQ("a?b?", ReportLines("a\xFF" "b\xE2\x82").Line(0)->Utf8());
}

TEST(ReportLines, LineBoundariesAndTheEndOfText) {
    const ReportLines lines("one\r\ntwo\ntrailing\r\n\x80\x81");
    EXPECT_EQ((std::vector<std::string>{"one", "two", "trailing"}), lines.PlainLines());
    EXPECT_EQ(nullptr, lines.Line(-1));
    EXPECT_EQ(nullptr, lines.Line(3));

    EXPECT_EQ(std::vector<std::string>{"kept"}, ReportLines("kept\r\n\x1A" "dropped\r\n").PlainLines());
    EXPECT_EQ((std::vector<std::string>{"", ""}), ReportLines("\r\n\r\n").PlainLines());
    EXPECT_TRUE(ReportLines("").All().IsEmpty());
}

TEST(ReportLines, SelectionsTakePartialFirstAndLastLines) {
    const ReportLines lines("Mean = 12.5\r\nSD = 2.25\r\nN = 5\r\n");
    const TextSelection forward{{0, 7}, {2, 1}};
    const std::vector<std::string> expected{"12.5", "SD = 2.25", "N"};
    EXPECT_EQ(expected, lines.SelectedLines(forward));
    EXPECT_EQ(expected, lines.SelectedLines({forward.Caret, forward.Anchor}));  // dragged upwards
    EXPECT_EQ(std::vector<std::string>{"2.2"}, lines.SelectedLines({{1, 5}, {1, 8}}));
    EXPECT_TRUE(lines.SelectedLines({{1, 3}, {1, 3}}).empty());
    // Positions beyond the text are moved onto it.
    EXPECT_EQ((std::vector<std::string>{"", "N = 5"}), lines.SelectedLines({{1, 40}, {9, 99}}));
    EXPECT_EQ(lines.PlainLines(), lines.SelectedLines(lines.All()));
}

TEST(Notes, AppendedLinesGoOnLinesOfTheirOwn) {
    std::string notes;
    ASSERT_TRUE(AppendLinesToNotes(notes, {"first", "second"}));
    ASSERT_TRUE(AppendLinesToNotes(notes, {"", "third"}));
    EXPECT_EQ("first\r\nsecond\r\n\r\nthird", notes);
    // Notes read from a file end with a line break; the append follows it.
    std::string loaded = "from file\r\n";
    ASSERT_TRUE(AppendLinesToNotes(loaded, {"x"}));
    EXPECT_EQ("from file\r\nx", loaded);
}

TEST(Notes, AnAppendThatDoesNotFitChangesNothingAndSaysSo) {
    DataDocument document;
    document.NotesText = std::string(7995, 'n');
    Messages messages;
    EXPECT_FALSE(AppendToNotes(document, {"0123456789"}, messages.Sink()));
    EXPECT_EQ(std::string(7995, 'n'), document.NotesText);
    EXPECT_FALSE(document.State.DocumentModified);
    ASSERT_EQ(1u, messages.Shown.size());
    EXPECT_EQ("Corvanta Vextal", messages.Shown[0].first);
    EXPECT_EQ("The text is too large to copy to notes.", messages.Shown[0].second);

    // Ten characters need their line break before and after and the margin of 10.
    std::string notes(8000 - 24 + 1, 'n');
    EXPECT_FALSE(AppendLinesToNotes(notes, {"0123456789"}));
    notes.pop_back();
    ASSERT_TRUE(AppendLinesToNotes(notes, {"0123456789"}));
    EXPECT_EQ(7988u, notes.size());

    document.NotesText = "short";
    EXPECT_TRUE(AppendToNotes(document, {"0123456789"}, messages.Sink()));
    EXPECT_TRUE(document.State.DocumentModified);
    EXPECT_EQ(1u, messages.Shown.size());
}

TEST(Notes, LineBreaksAndMultiByteTextCountAsStored) {
    // 900 characters in 100 lines fit by their characters alone, but their
    // line breaks would push the notes past the editor's room: nothing may be cut.
    std::string notes(7000, 'n');
    const std::vector<std::string> lines(100, "123456789");
    EXPECT_FALSE(AppendLinesToNotes(notes, lines));
    notes.resize(6500);
    ASSERT_TRUE(AppendLinesToNotes(notes, lines));
    EXPECT_EQ(6500u + 2u + 900u + 99u * 2u, notes.size());
    EXPECT_EQ("123456789", notes.substr(notes.size() - 9));

    // The file keeps notes by bytes: 3999 two-byte characters leave no room.
    std::string greek;
    for (int i = 0; i < 3999; ++i) greek += "\xCE\xBC";
    EXPECT_FALSE(AppendLinesToNotes(greek, {"a"}));
}

TEST(Notes, EditorTextIsStoredWithCrLfAndWithoutItsFinalLineBreak) {
    EXPECT_EQ("a\r\nb", NotesFromEditor("a\nb\n"));
    EXPECT_EQ("a\r\n", NotesFromEditor("a\n\n"));  // only the very last break goes
    EXPECT_EQ("a\r\nb\r\nc", NotesFromEditor("a\r\nb\rc\r\n"));
    EXPECT_EQ("ab", NotesFromEditor("a\x1A" "b"));
    EXPECT_EQ("", NotesFromEditor("\n"));

    // Cut to what the document keeps, without splitting a character.
    const std::string full(MaxNotesLength - 1, 'x');
    EXPECT_EQ(full, NotesFromEditor(full + "\xCE\xBC" "tail"));
    EXPECT_EQ(MaxNotesLength, NotesFromEditor(std::string(9000, 'y')).size());
    EXPECT_EQ(6u, StoredNotesLength("a\nb\r\n"));

    EXPECT_EQ("a\nb\n", NotesForEditor("a\r\nb\r\n\x1A" "junk"));
}

TEST(SaveReportAsText, WritesPlainLinesWithCrLf) {
    const auto path = std::filesystem::temp_directory_path() / "vextal_report_lines_test.txt";
    Messages messages;
    ASSERT_EQ(0, SaveReportAsText("\r\n\x81Title\x81\r\n\x81\x81" "A\x80" "B\x80" "C\r\n\xC2\xB5g\r\n",
                                  path.string(), messages.Sink()));
    EXPECT_EQ("\r\nTitle\r\nABC\r\n\xC2\xB5g\r\n", ReadFile(path));
    EXPECT_TRUE(messages.Shown.empty());
    std::filesystem::remove(path);
}

TEST(SaveReportAsText, FailuresAreReportedWithTheirCode) {
    const auto folder = std::filesystem::temp_directory_path() / "vextal_report_lines_missing_folder";
    std::filesystem::remove_all(folder);
    Messages messages;
    EXPECT_EQ(IoPathNotFound, SaveReportAsText("x\r\n", (folder / "out.txt").string(), messages.Sink()));
    EXPECT_FALSE(std::filesystem::exists(folder));

    // A folder in place of the file.
    std::filesystem::create_directory(folder);
    EXPECT_EQ(IoAccessDenied, SaveReportAsText("x\r\n", folder.string(), messages.Sink()));
    std::filesystem::remove_all(folder);

    ASSERT_EQ(2u, messages.Shown.size());
    EXPECT_EQ("", messages.Shown[0].first);
    EXPECT_EQ("Error: #3  Path not found.", messages.Shown[0].second);
    EXPECT_EQ("Error: #5  File access denied.", messages.Shown[1].second);

    // A device that takes no data: the write fails when the file is closed.
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full on this system";
    EXPECT_EQ(IoDiskFull, SaveReportAsText(std::string(100, 'x') + "\r\n", "/dev/full", messages.Sink()));
    ASSERT_EQ(3u, messages.Shown.size());
    EXPECT_EQ("Error: #101  The disk is full.", messages.Shown[2].second);
    EXPECT_TRUE(std::filesystem::exists("/dev/full"));
}
