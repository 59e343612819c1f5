#include "report/report_lines.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>

#include "data/data_document.h"
#include "report/report_writer.h"

namespace vextal {

namespace {

constexpr char EndOfText = 26;
constexpr char32_t Replacement = U'?';

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Decodes the valid UTF-8 character at s[i] into `code`; returns its length,
// or 0 when no valid character starts there.
std::size_t DecodeCharacter(std::string_view s, std::size_t i, char32_t& code) {
    const unsigned char lead = static_cast<unsigned char>(s[i]);
    if (lead < 0x80) {
        code = lead;
        return 1;
    }
    std::size_t length;
    char32_t value;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        value = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        value = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        value = lead & 0x07;
    } else {
        return 0;
    }
    if (i + length > s.size()) return 0;
    for (std::size_t k = 1; k < length; ++k) {
        const unsigned char next = static_cast<unsigned char>(s[i + k]);
        if (!IsContinuation(next)) return 0;
        value = (value << 6) | (next & 0x3F);
    }
    // Overlong forms, surrogates and values beyond U+10FFFF are not characters.
    if ((length == 3 && value < 0x800) || (value >= 0xD800 && value <= 0xDFFF) ||
        (length == 4 && (value < 0x10000 || value > 0x10FFFF)))
        return 0;
    code = value;
    return length;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::uint8_t MarkerFlag(char c) {
    switch (c) {
    case BoldMarker: return StyleBold;
    case UnderlineMarker: return StyleUnderline;
    case ItalicMarker: return StyleItalic;
    default: return 0;
    }
}

// Length of `text` cut to at most `limit` bytes without splitting a UTF-8
// character or a CR LF pair.
std::size_t CutPoint(std::string_view text, std::size_t limit) {
    if (text.size() <= limit) return text.size();
    std::size_t end = limit;
    while (end > 0 && IsContinuation(static_cast<unsigned char>(text[end]))) --end;
    if (end > 0 && text[end - 1] == '\r' && text[end] == '\n') --end;
    return end;
}

}  // namespace

std::string LineText::Utf8(int from, int to) const {
    from = std::clamp(from, 0, Length());
    to = std::clamp(to, from, Length());
    std::string out;
    for (int i = from; i < to; ++i) AppendUtf8(out, Characters[static_cast<std::size_t>(i)]);
    return out;
}

ReportLines::ReportLines(std::string_view report) {
    LineText line;
    std::uint8_t flags = 0;
    const auto finishLine = [&] {
        longest_ = std::max(longest_, line.Length());
        lines_.push_back(std::move(line));
        line = LineText();
        flags = 0;
    };
    for (std::size_t i = 0; i < report.size();) {
        const char byte = report[i];
        if (byte == EndOfText) break;
        if (byte == '\n') {
            finishLine();
            ++i;
            continue;
        }
        if (byte == '\r') {
            ++i;
            continue;
        }
        char32_t code = 0;
        const std::size_t length = DecodeCharacter(report, i, code);
        if (length == 0) {
            // A marker is a byte that does not belong to a character.
            if (const std::uint8_t flag = MarkerFlag(byte)) {
                flags ^= flag;
                ++i;
                continue;
            }
            code = Replacement;
            ++i;
        } else {
            i += length;
        }
        line.Characters += code;
        line.Flags.push_back(flags);
    }
    if (line.Length() > 0) finishLine();
}

const LineText* ReportLines::Line(int index) const {
    if (index < 0 || index >= Count()) return nullptr;
    return &lines_[static_cast<std::size_t>(index)];
}

TextPosition ReportLines::Clamp(TextPosition position) const {
    if (lines_.empty()) return {};
    position.Line = std::clamp(position.Line, 0, Count() - 1);
    position.Column = std::clamp(position.Column, 0, Line(position.Line)->Length());
    return position;
}

TextSelection ReportLines::All() const {
    if (lines_.empty()) return {};
    return {TextPosition{0, 0}, TextPosition{Count() - 1, lines_.back().Length()}};
}

std::vector<std::string> ReportLines::PlainLines() const {
    std::vector<std::string> out;
    out.reserve(lines_.size());
    for (const LineText& line : lines_) out.push_back(line.Utf8());
    return out;
}

std::vector<std::string> ReportLines::SelectedLines(const TextSelection& selection) const {
    const TextPosition start = Clamp(selection.Start());
    const TextPosition end = Clamp(selection.End());
    std::vector<std::string> out;
    if (lines_.empty() || start == end) return out;
    for (int index = start.Line; index <= end.Line; ++index) {
        const LineText& line = *Line(index);
        const int from = index == start.Line ? start.Column : 0;
        const int to = index == end.Line ? end.Column : line.Length();
        out.push_back(line.Utf8(from, to));
    }
    return out;
}

std::string JoinLines(const std::vector<std::string>& lines, std::string_view lineEnd) {
    std::string out;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) out.append(lineEnd);
        out.append(lines[i]);
    }
    return out;
}

std::size_t StoredNotesLength(std::string_view text) {
    std::size_t length = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            length += 2;
            ++i;
        } else if (text[i] == '\r' || text[i] == '\n') {
            length += 2;
        } else {
            ++length;
        }
    }
    return length;
}

std::string NotesFromEditor(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r') {
            out += "\r\n";
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else if (c == '\n') {
            out += "\r\n";
        } else if (c != EndOfText) {  // the file form ends its notes at this byte
            out += c;
        }
    }
    out.resize(CutPoint(out, MaxNotesLength));
    if (out.size() >= 2 && out.compare(out.size() - 2, 2, "\r\n") == 0) out.resize(out.size() - 2);
    return out;
}

std::string NotesForEditor(std::string_view notes) {
    notes = notes.substr(0, notes.find(EndOfText));
    std::string out;
    out.reserve(notes.size());
    for (std::size_t i = 0; i < notes.size(); ++i) {
        if (notes[i] == '\r') {
            out += '\n';
            if (i + 1 < notes.size() && notes[i + 1] == '\n') ++i;
        } else {
            out += notes[i];
        }
    }
    return out;
}

bool AppendLinesToNotes(std::string& notes, const std::vector<std::string>& lines) {
    if (lines.empty()) return true;
    const std::string current = NotesForEditor(notes);
    // Each line goes in with its own line end, after a line break of its own
    // when the notes end inside a line.
    std::string added;
    if (!current.empty() && current.back() != '\n') added += '\n';
    for (const std::string& line : lines) {
        added += line;
        added += '\n';
    }
    const std::size_t used = StoredNotesLength(current);
    const std::size_t needed = StoredNotesLength(added) + NotesAppendMargin;
    if (used > NotesEditorLimit || needed > NotesEditorLimit - used) return false;
    notes = NotesFromEditor(current + added);
    return true;
}

bool AppendToNotes(DataDocument& document, const std::vector<std::string>& lines, const MessageSink& sink) {
    if (!AppendLinesToNotes(document.NotesText, lines)) {
        if (sink) sink(ProgramCaption, NotesTooLargeMessage);
        return false;
    }
    if (!lines.empty()) document.State.DocumentModified = true;
    return true;
}

int SaveReportAsText(std::string_view report, const std::string& path, const MessageSink& sink) {
    errno = 0;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        const int code = IoCodeFromErrno(errno, true);
        ReportIoError(code, sink);
        return code;
    }
    int error = 0;
    for (const std::string& line : ReportLines(report).PlainLines()) {
        std::string text = line + "\r\n";
        if (std::fwrite(text.data(), 1, text.size(), file) != text.size()) {
            error = errno != 0 ? errno : EIO;
            break;
        }
    }
    errno = 0;
    if (std::fclose(file) != 0 && error == 0) error = errno != 0 ? errno : EIO;
    if (error == 0) return 0;
    // A cut-off copy of the report is no export; devices and the like stay.
    std::error_code ignored;
    if (std::filesystem::is_regular_file(path, ignored)) std::filesystem::remove(path, ignored);
    const int code = IoCodeFromErrno(error, true);
    ReportIoError(code, sink);
    return code;
}

}  // namespace vextal
