// The text writer every analysis writes its report through.
//
// A report is UTF-8 text with CR LF line ends and three style marker bytes:
// 128 toggles bold, 129 underline, 130 italic. The markers are never part of
// a valid UTF-8 character at that position (they would be continuation
// bytes without a lead byte), so a reader tells them apart by decoding; the
// writer keeps user text valid UTF-8 so that this holds. Columns count
// characters, not bytes, and markers take no column.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vextal {

inline constexpr char BoldMarker = static_cast<char>(128);
inline constexpr char UnderlineMarker = static_cast<char>(129);
inline constexpr char ItalicMarker = static_cast<char>(130);

/// Longest text one write_text call keeps, in characters.
inline constexpr int MaxWriteLength = 80;
inline constexpr int MaxTabStops = 20;

class ReportWriter {
public:
    ReportWriter() = default;

    const std::string& Text() const { return text_; }
    int Column() const { return column_; }
    int LineNumber() const { return line_; }
    int LinesWritten() const { return linesWritten_; }
    bool Bold() const { return bold_; }
    bool Underline() const { return underline_; }

    void write_text(std::string_view s);
    void write_line(std::string_view s);
    void new_line();
    void pad_to_column(int c);
    void write_rule(int n, char ch);
    void toggle_bold();
    void toggle_underline();
    void toggle_italic();
    void clear_tab_stops();
    void add_tab_stop(int c);
    void tab();
    void write_integer(std::int64_t n);
    void write_integer_width(std::int64_t n, int w);
    void write_number(int digits, long double x);
    void write_number_width(int w, int digits, long double x);
    void restart_report();
    void write_closing();
    /// "The [one-|two-]tailed P value is ..." with or without the significance words.
    void write_p_value(int tails, bool with_significance, long double P);
    void significance_word(long double P);

private:
    void Append(std::string_view s);
    void Marker(char marker);

    std::string text_;
    int column_ = 1;
    int line_ = 1;
    int linesWritten_ = 0;
    std::vector<int> tabStops_;
    bool bold_ = false;
    bool underline_ = false;
    bool italic_ = false;
};

/// The word significance_word writes for P: "extremely ", "very ", "", "not quite " or "not ".
std::string_view SignificanceWord(long double P);

/// Number of characters (UTF-8 code points) in s, marker bytes excluded.
int DisplayLength(std::string_view s);
/// s made valid UTF-8: bytes that do not form a character become "?".
std::string ValidUtf8(std::string_view s);

std::string centred(std::string_view s, int w);
std::string left_justified(std::string_view s, int w);
std::string right_justified(std::string_view s, int w);

}  // namespace vextal
