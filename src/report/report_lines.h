// The line model of a results report and the plain-text forms made from it.
//
// A report (report_writer.h) is UTF-8 text with CR LF line ends and three
// style marker bytes that toggle bold, underline and italic for the
// characters that follow on the same line. Here it is split into lines of
// characters (one column each, markers removed) with the styles in force at
// every character; selections, copying, the notes and text export all work
// on these lines, so every plain form of a report is free of markers.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "data/io_error.h"

namespace vextal {

struct DataDocument;

/// Style flags of one character.
enum StyleFlag : std::uint8_t {
    StyleBold = 1,
    StyleUnderline = 2,
    StyleItalic = 4,
};

/// One report line without its markers. Characters are Unicode code points,
/// one column each; Flags[i] holds the StyleFlag bits in force at
/// Characters[i].
struct LineText {
    std::u32string Characters;
    std::vector<std::uint8_t> Flags;

    int Length() const { return static_cast<int>(Characters.size()); }
    /// Columns [from, to) as UTF-8; both ends are clamped to the line.
    std::string Utf8(int from, int to) const;
    std::string Utf8() const { return Utf8(0, Length()); }
};

/// A place between two characters: the line and the number of characters
/// before it on that line.
struct TextPosition {
    int Line = 0;
    int Column = 0;

    friend bool operator==(const TextPosition&, const TextPosition&) = default;
    friend bool operator<(const TextPosition& a, const TextPosition& b) {
        return a.Line != b.Line ? a.Line < b.Line : a.Column < b.Column;
    }
};

/// A selection from where it was started (Anchor) to the caret.
struct TextSelection {
    TextPosition Anchor;
    TextPosition Caret;

    bool IsEmpty() const { return Anchor == Caret; }
    TextPosition Start() const { return Caret < Anchor ? Caret : Anchor; }
    TextPosition End() const { return Caret < Anchor ? Anchor : Caret; }
};

/// The lines of one report. Lines end at LF (a CR before it is dropped); the
/// byte 26 ends the report; a last piece without a line end is a line when it
/// holds a character. Every line starts unstyled. Bytes that are neither a
/// marker nor part of a valid UTF-8 character show as "?".
class ReportLines {
public:
    ReportLines() = default;
    explicit ReportLines(std::string_view report);

    int Count() const { return static_cast<int>(lines_.size()); }
    /// Line `index`, or nullptr when the index lies outside the report.
    const LineText* Line(int index) const;
    /// Characters of the longest line.
    int LongestLine() const { return longest_; }

    /// `position` moved onto the text: the line into 0..Count-1, the column
    /// into 0..length of that line.
    TextPosition Clamp(TextPosition position) const;
    /// The selection covering every line.
    TextSelection All() const;

    /// Every line as plain UTF-8 text.
    std::vector<std::string> PlainLines() const;
    /// The selected part of each line it touches: the first line from the
    /// start column, the last up to the end column. Empty when the selection is.
    std::vector<std::string> SelectedLines(const TextSelection& selection) const;

private:
    std::vector<LineText> lines_;
    int longest_ = 0;
};

/// The lines joined with `lineEnd` between them (none after the last).
std::string JoinLines(const std::vector<std::string>& lines, std::string_view lineEnd);

// --- Notes ---------------------------------------------------------------

/// Room of the notes editor, in bytes of the stored text (UTF-8, CR LF).
inline constexpr std::size_t NotesEditorLimit = 8000;
/// Room an append must leave free besides its own text.
inline constexpr std::size_t NotesAppendMargin = 10;
inline constexpr const char* NotesTooLargeMessage = "The text is too large to copy to notes.";

/// Bytes `text` takes once stored: UTF-8, a lone LF or CR counted as CR LF.
std::size_t StoredNotesLength(std::string_view text);

/// Text of an editor (LF, CR LF or CR line ends) as the document stores it:
/// CR LF line ends, cut to MaxNotesLength bytes (what the document keeps)
/// without splitting a character, and one final CR LF dropped. The editor
/// itself takes new text only up to NotesEditorLimit, so notes read from a
/// file a little longer than that are kept whole.
std::string NotesFromEditor(std::string_view text);
/// Stored notes as an editor shows them: up to a byte 26 if there is one,
/// LF line ends.
std::string NotesForEditor(std::string_view notes);

/// Appends `lines` to `notes` on lines of their own (a new line is started
/// when the notes do not end with one) and stores the result as
/// NotesFromEditor does. When the text with its line ends plus
/// NotesAppendMargin does not fit in the room the editor has left, `notes`
/// stays unchanged and false is returned.
bool AppendLinesToNotes(std::string& notes, const std::vector<std::string>& lines);

/// AppendLinesToNotes on the document's notes. A refusal shows
/// NotesTooLargeMessage through `sink`; an append marks the document modified.
bool AppendToNotes(DataDocument& document, const std::vector<std::string>& lines, const MessageSink& sink);

// --- Text export -----------------------------------------------------------

/// Writes every line of `report` without its markers, each ended by CR LF.
/// Returns 0, or the I/O code of a file that could not be created, written
/// or closed; that code is also shown through `sink` (ReportIoError).
int SaveReportAsText(std::string_view report, const std::string& path, const MessageSink& sink);

}  // namespace vextal
