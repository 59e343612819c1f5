// Helpers shared by the fuzz targets: a reader of the input's leading
// option bytes, a check that aborts with a message (libFuzzer then keeps the
// input as a crash), and the invariants every document must keep whatever
// it was built from.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>

#include "data/cell_entry.h"
#include "data/data_document.h"
#include "data/document_file.h"
#include "data/number_text.h"

namespace vextal::fuzz {

[[noreturn]] inline void Fail(const char* what, const std::string& detail = {}) {
    std::fprintf(stderr, "fuzz check failed: %s %s\n", what, detail.c_str());
    std::abort();
}

inline void Require(bool condition, const char* what, const std::string& detail = {}) {
    if (!condition) Fail(what, detail);
}

// Takes option bytes from the front of the input; the rest is the text.
class Input {
public:
    Input(const std::uint8_t* data, std::size_t size)
        : text_(reinterpret_cast<const char*>(data), size) {}

    std::uint8_t Byte() {
        if (text_.empty()) return 0;
        const auto b = static_cast<std::uint8_t>(text_.front());
        text_.remove_prefix(1);
        return b;
    }
    std::string_view Rest() const { return text_; }

private:
    std::string_view text_;
};

// The decimal and list separators people use: "." with ",", "," with ";",
// and a few unusual pairs a settings file could hold.
inline NumberSettings SettingsOf(std::uint8_t selector) {
    switch (selector % 5) {
    case 0: return {'.', ','};
    case 1: return {',', ';'};
    case 2: return {',', ','};
    case 3: return {'.', ';'};
    default: return {'\0', '\t'};
    }
}

// A stored cell value is empty or a finite number within the grid's range.
inline bool SoundCellValue(long double value) {
    return IsMissing(value) || (std::isfinite(value) && std::fabs(value) <= LargestCellMagnitude);
}

// True when the text holds "nan" or "inf" (any case) as a word of its own,
// the way a non-finite number is printed.
inline bool HoldsNonFiniteText(std::string_view text) {
    auto letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    for (std::size_t i = 0; i + 3 <= text.size(); ++i) {
        const std::string word{lower(text[i]), lower(text[i + 1]), lower(text[i + 2])};
        if ((word == "nan" || word == "inf") && (i == 0 || !letter(text[i - 1])) &&
            (i + 3 == text.size() || !letter(text[i + 3]) ||
             text.substr(i, 8) == "infinity" || text.substr(i, 8) == "INFINITY"))
            return true;
    }
    return false;
}

inline void RequireSoundDocument(const DataDocument& document) {
    const DataTable& table = document.Table;
    Require(table.LastRow >= 0 && table.LastRow < TableRowCount, "LastRow in range");
    Require(table.LastColumn >= 0 && table.LastColumn < DataColumnCount, "LastColumn in range");
    Require(table.DocumentTitle.size() <= 4 * MaxDocumentTitleLength, "title length");
    Require(document.NotesText.size() <= MaxNotesLength + 2, "notes length");
    Require(table.RowTitles.size() == static_cast<std::size_t>(TableRowCount), "row title count");
    for (int column = 0; column < DataColumnCount; ++column) {
        Require(table.ColumnFormat[column] >= -1 && table.ColumnFormat[column] <= 30, "column format");
        Require(table.AutoDecimals[column] >= 0 && table.AutoDecimals[column] <= 100000, "auto decimals");
    }
    const AnalysisChoices& c = document.State.Choices;
    Require(c.OneColColumn >= -1 && c.OneColColumn < DataColumnCount, "OneColColumn");
    Require(c.TwoColFirstColumn >= 0 && c.TwoColFirstColumn < DataColumnCount, "TwoColFirstColumn");
    Require(c.TwoColSecondColumn >= 0 && c.TwoColSecondColumn < DataColumnCount, "TwoColSecondColumn");
    Require(c.ControlColumn >= 0 && c.ControlColumn < DataColumnCount, "ControlColumn");
    Require(c.DependentY >= 0 && c.DependentY < DataColumnCount, "DependentY");
    Require(c.PostTestMethod <= 4 && c.PostTestPairs <= 2 && c.PostTestCondition <= 2, "post-test choices");
    Require(c.CorrelationKind <= 2 && c.UseChiSquare <= 1 && c.ColumnCountClass <= 3, "small choices");
    Require(c.MRGraphX.size() <= 1 && c.MRGraphY.size() <= 1, "graph letters");
}

// Every cell of a table built from parsed text is empty or a sound value.
inline void RequireSoundCells(const DataTable& table) {
    for (int row = 0; row < TableRowCount; ++row)
        for (int column = 0; column < DataColumnCount; ++column)
            if (!SoundCellValue(RawValue(table, row, column)))
                Fail("sound cell value", FormatExact(RawValue(table, row, column)));
}

// Saving a document and opening the file again gives a document that saves
// to the same text: nothing the file can hold is lost on the way. Averaged
// data files have no raw data section, so values a damaged file put into
// their cells are dropped by the first save; with `settleFirst` the check
// starts from the text of that first save.
inline void RequireFileRoundTrip(const DataDocument& document, const NumberSettings& settings,
                                 bool settleFirst = false) {
    static DataDocument back;
    const int code = static_cast<int>(document.State.Format);
    std::string first = DocumentFileText(document);
    if (settleFirst) {
        LoadDocumentText(back, first, code, settings);
        first = DocumentFileText(back);
    }
    const LoadResult result = LoadDocumentText(back, first, code, settings);
    Require(result.Loaded && !result.ReadError, "a saved file reads back without error");
    RequireSoundDocument(back);
    const std::string second = DocumentFileText(back);
    if (first != second) {
        // For triage: VEXTAL_FUZZ_DUMP=prefix writes both texts whole.
        if (const char* dump = std::getenv("VEXTAL_FUZZ_DUMP")) {
            std::ofstream(std::string(dump) + ".first", std::ios::binary) << first;
            std::ofstream(std::string(dump) + ".second", std::ios::binary) << second;
        }
        std::size_t at = 0;
        while (at < first.size() && at < second.size() && first[at] == second[at]) ++at;
        const std::size_t from = at > 60 ? at - 60 : 0;
        Fail("saved text changes after a round trip",
             "at byte " + std::to_string(at) + "\n--- first:\n" + first.substr(from, 160) + "\n--- second:\n" +
                 second.substr(from, 160));
    }
}

}  // namespace vextal::fuzz
