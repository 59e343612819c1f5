#include "report/result_tables.h"

#include <gtest/gtest.h>

#include <string>

#include "table_text.h"

using namespace vextal;

TEST(AppendReport, ReplaysTextLinesAndStyles) {
    ReportWriter second;
    second.new_line();
    second.toggle_bold();
    second.write_line("Heading");
    second.write_line("Rules");
    second.toggle_bold();
    second.toggle_underline();
    second.write_text("\xC3\x80 la fin");  // "À": its second byte is 0x80, not a marker
    second.toggle_underline();
    second.write_text(" tail");

    ReportWriter main;
    main.write_line("First block");
    AppendReport(main, second);

    EXPECT_EQ("First block\r\n" + second.Text(), main.Text());
    ExpectLines(main.Text(),
                {"First block", "", "[b]Heading[b]", "[b]Rules[b]", "[b][b][u]\xC3\x80 la fin[u] tail"});
    EXPECT_EQ(5, main.LineNumber());
    EXPECT_EQ(4, main.LinesWritten());
    EXPECT_EQ(14, main.Column());  // "À la fin tail" is 13 characters
    EXPECT_FALSE(main.Bold());
    EXPECT_FALSE(main.Underline());
}

TEST(AppendReport, KeepsLinesLongerThanOneWrite) {
    // A table row written in pieces can pass 80 characters; appending must not cut it.
    const std::string piece(60, 'x');
    ReportWriter second;
    second.write_text(piece);
    second.write_text(piece);
    second.new_line();
    ReportWriter main;
    main.write_text("> ");
    AppendReport(main, second);
    EXPECT_EQ("> " + piece + piece + "\r\n", main.Text());
    EXPECT_EQ(1, main.Column());
    EXPECT_EQ(2, main.LineNumber());
}
