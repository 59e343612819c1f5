#include "report/report_writer.h"

#include <string>

#include "report/number_format.h"

namespace vextal {

namespace {

constexpr std::string_view LineEnd = "\r\n";
constexpr std::string_view ClosingLine = "                       *     *     *";
constexpr int ClosingMinimumLine = 21;

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Length of the valid UTF-8 character starting at s[i], or 0 when there is none.
std::size_t CharacterLength(std::string_view s, std::size_t i) {
    const unsigned char lead = static_cast<unsigned char>(s[i]);
    std::size_t length;
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4;
    else
        return 0;
    if (i + length > s.size()) return 0;
    for (std::size_t k = 1; k < length; ++k)
        if (!IsContinuation(static_cast<unsigned char>(s[i + k]))) return 0;
    const unsigned char second = static_cast<unsigned char>(s[i + 1]);
    if (lead == 0xE0 && second < 0xA0) return 0;   // overlong
    if (lead == 0xED && second >= 0xA0) return 0;  // surrogate
    if (lead == 0xF0 && second < 0x90) return 0;   // overlong
    if (lead == 0xF4 && second >= 0x90) return 0;  // beyond U+10FFFF
    return length;
}

bool IsMarker(char c) { return c == BoldMarker || c == UnderlineMarker || c == ItalicMarker; }

std::string Trimmed(std::string_view s) {
    const auto first = s.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    const auto last = s.find_last_not_of(' ');
    return std::string(s.substr(first, last - first + 1));
}

std::string Blanks(int n) { return n > 0 ? std::string(static_cast<std::size_t>(n), ' ') : std::string(); }

}  // namespace

std::string ValidUtf8(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t length = CharacterLength(s, i);
        if (length == 0) {
            out += '?';
            ++i;
        } else {
            out.append(s.substr(i, length));
            i += length;
        }
    }
    return out;
}

int DisplayLength(std::string_view s) {
    int count = 0;
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t length = CharacterLength(s, i);
        if (length == 0) {
            if (!IsMarker(s[i])) ++count;  // a stray byte still takes a column
            ++i;
        } else {
            ++count;
            i += length;
        }
    }
    return count;
}

void ReportWriter::Append(std::string_view s) {
    text_.append(s);
    column_ += DisplayLength(s);
}

void ReportWriter::Marker(char marker) { text_ += marker; }

void ReportWriter::write_text(std::string_view s) {
    std::string text = ValidUtf8(s);
    // Keep the first MaxWriteLength characters.
    int characters = 0;
    std::size_t i = 0;
    while (i < text.size() && characters < MaxWriteLength) {
        i += CharacterLength(text, i);
        ++characters;
    }
    text.resize(i);
    Append(text);
}

void ReportWriter::write_line(std::string_view s) {
    write_text(s);
    new_line();
}

void ReportWriter::new_line() {
    if (bold_) Marker(BoldMarker);
    if (underline_) Marker(UnderlineMarker);
    text_.append(LineEnd);
    if (bold_) Marker(BoldMarker);
    if (underline_) Marker(UnderlineMarker);
    column_ = 1;
    ++line_;
    ++linesWritten_;
}

void ReportWriter::pad_to_column(int c) {
    if (c > column_) Append(Blanks(c - column_));
}

void ReportWriter::write_rule(int n, char ch) {
    if (n > 0) Append(std::string(static_cast<std::size_t>(n), ch == '=' ? '=' : '-'));
}

void ReportWriter::toggle_bold() {
    bold_ = !bold_;
    Marker(BoldMarker);
}

void ReportWriter::toggle_underline() {
    underline_ = !underline_;
    Marker(UnderlineMarker);
}

void ReportWriter::toggle_italic() {
    italic_ = !italic_;
    Marker(ItalicMarker);
}

void ReportWriter::clear_tab_stops() { tabStops_.clear(); }

void ReportWriter::add_tab_stop(int c) {
    if (static_cast<int>(tabStops_.size()) < MaxTabStops) tabStops_.push_back(c);
}

void ReportWriter::tab() {
    for (int stop : tabStops_)
        if (stop > column_) {
            pad_to_column(stop);
            return;
        }
}

void ReportWriter::write_integer(std::int64_t n) { Append(std::to_string(n)); }

void ReportWriter::write_integer_width(std::int64_t n, int w) {
    const std::string digits = std::to_string(n);
    Append(Blanks(w - static_cast<int>(digits.size())) + digits);
}

void ReportWriter::write_number(int digits, long double x) { Append(FormatDigits(digits, x)); }

void ReportWriter::write_number_width(int w, int digits, long double x) { Append(FormatDigitsWidth(w, digits, x)); }

void ReportWriter::restart_report() {
    text_.clear();
    column_ = 1;
    line_ = 1;
    linesWritten_ = 0;
    bold_ = underline_ = italic_ = false;
}

void ReportWriter::write_closing() {
    new_line();
    write_line(ClosingLine);
    new_line();
    new_line();
    while (line_ < ClosingMinimumLine) new_line();
}

std::string_view SignificanceWord(long double P) {
    if (P < 0.001L) return "extremely ";
    if (P < 0.01L) return "very ";
    if (P < 0.05L) return "";
    if (P < 0.1L) return "not quite ";
    return "not ";
}

void ReportWriter::significance_word(long double P) { write_text(SignificanceWord(P)); }

void ReportWriter::write_p_value(int tails, bool with_significance, long double P) {
    write_text("The ");
    if (tails == 1) write_text("one-tailed ");
    if (tails == 2) write_text("two-tailed ");
    write_text("P value is ");
    if (P <= 0.0001L)
        write_text("< 0.0001");
    else if (P < 0.9999L)
        write_number(4, P);
    else
        write_text("> 0.9999");
    if (with_significance) {
        write_text(", considered ");
        significance_word(P);
        write_line("significant.");
    } else {
        write_line(". ");
    }
}

std::string centred(std::string_view s, int w) {
    const int length = DisplayLength(s);
    const int leading = (w - length) / 2;
    std::string out = Blanks(leading);
    out.append(s);
    return out + Blanks(w - leading - length);
}

std::string left_justified(std::string_view s, int w) {
    std::string out = Trimmed(s);
    return out + Blanks(w - DisplayLength(out));
}

std::string right_justified(std::string_view s, int w) {
    std::string out = Trimmed(s);
    return Blanks(w - DisplayLength(out)) + out;
}

}  // namespace vextal
