// Clipboard paste: the first three bytes pick the number settings, the
// cursor, where the text goes (the data grid, the summary grid, the column
// titles) and, for the data grid, the selection (a block, whole columns,
// whole rows, everything) and a transposed paste; the rest is the clipboard
// text. Pasted documents hold only sound values and titles and survive
// saving and reading back.
#include <cstddef>
#include <cstdint>

#include "data/clipboard_text.h"
#include "fuzz_support.h"

using namespace vextal;
using namespace vextal::fuzz;

namespace {

GridSelection SelectionOf(std::uint8_t kind, int row, int column) {
    switch (kind % 4) {
    case 1: return WholeColumnsSelection(column, column);
    case 2: return WholeRowsSelection(row, row);
    case 3: return WholeTableSelection();
    default: return {row, column, row, column};
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Input input(data, size);
    const std::uint8_t options = input.Byte();
    const int row = input.Byte() * 4 % UserRowCount;
    const std::uint8_t place = input.Byte();
    const int column = place % DataColumnCount;
    const NumberSettings settings = SettingsOf(options);
    const std::string_view text = input.Rest();
    DataDocument document = NewDocument();

    switch (place / DataColumnCount % 4) {
    case 2: {
        // The summary grid of averaged data.
        document.State.Format = (options & 0x20) ? DataFormat::MeanSEMN : DataFormat::MeanSDN;
        PasteSummary(document, text, 1 + options % 4, column % 5 - 1, settings);
        RequireSoundDocument(document);
        for (const ColumnInfo& info : document.Table.ColumnInfo) {
            Require(SoundCellValue(info.Mean) && SoundCellValue(info.SD) && SoundCellValue(info.SEM),
                    "sound pasted summary");
            Require(info.N >= -1, "pasted N");
        }
        break;
    }
    case 3:
        // Column titles pasted from a title editor.
        PasteTitles(document, text, column);
        break;
    default: {
        if (options & 0x80) {
            // A column holding a typed summary asks first; Yes erases it.
            document.Table.ColumnInfo[column].Mean = 5;
            document.Table.ColumnInfo[column].SD = 1;
            document.Table.ColumnInfo[column].N = 3;
        }
        const GridSelection selection = SelectionOf(options / 5, row, column);
        const bool transposed = (options & 0x40) != 0;
        PasteResult result = PasteAtCursor(document, text, row, column, selection, transposed, settings);
        if (result.Question) {
            Require(!result.Changed, "nothing changes before the answer");
            result = PasteAtCursor(document, text, row, column, selection, transposed, settings, Answer::Yes);
        }
        RequireSoundDocument(document);
        RequireSoundCells(document.Table);
        // The copy of what was pasted stays within the clipboard's limit.
        const ClipboardText copied =
            BuildClipboardText(document.Table, WholeTableSelection(), true, true, settings);
        Require(copied.Text.size() < ClipboardLimit, "copy within the limit");
        break;
    }
    }
    for (const ColumnInfo& info : document.Table.ColumnInfo)
        Require(info.Title.size() <= 4 * MaxColumnTitleLength, "column title length");
    for (const std::string& title : document.Table.RowTitles)
        Require(title.size() <= 4 * MaxRowTitleLength, "row title length");
    RequireFileRoundTrip(document, settings);
    return 0;
}
