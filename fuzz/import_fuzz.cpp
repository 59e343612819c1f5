// Text import: the first byte picks the number settings and how the preview
// is imported (all columns, a column range, the indexed layout, a filter, a
// row range, where the import starts); the rest is the file text. The
// preview and the document must hold only sound values, and the document
// must survive saving and reading back.
#include <cstddef>
#include <cstdint>

#include "data/text_import.h"
#include "fuzz_support.h"

using namespace vextal;
using namespace vextal::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Input input(data, size);
    const std::uint8_t options = input.Byte();
    const std::uint8_t place = input.Byte();
    const NumberSettings settings = SettingsOf(options);

    const ImportStart start = StartImportText(input.Rest(), settings);
    Require(start.IoCode == 0, "text in memory has no I/O error");
    if (start.Refused) return 0;
    const ImportPreview& preview = start.Preview;
    Require(preview.HeaderLines >= 0, "header lines");
    RequireSoundCells(preview.Table);

    ImportOptions choice = DefaultImportOptions(preview.Table);
    switch ((options / 5) % 4) {
    case 1:
        choice.Arrangement = ImportArrangement::ColumnRange;
        choice.FirstColumn = place % 4;
        choice.LastColumn = place % 4 + (place / 4) % 8;
        break;
    case 2:
        choice.Arrangement = ImportArrangement::Indexed;
        choice.ValueColumn = place % 3;
        choice.GroupColumn = (place / 3) % 3;
        break;
    default:
        break;
    }
    if (options & 0x40) {
        choice.Filter = true;
        choice.FilterColumn = place % DataColumnCount;
        choice.Condition = static_cast<FilterCondition>((place / 26) % 6);
        choice.FilterValue = (place % 7) - 3;
    }
    if (options & 0x80) {
        choice.RowRange = true;
        choice.FirstRow = place % 5;
        choice.LastRow = place % 5 + place % 11;
    }
    const int targetRow = (options & 0x20) ? place * 4 % UserRowCount : 0;
    const int targetColumn = (options & 0x20) ? place % DataColumnCount : 0;

    DataDocument document = NewDocument();
    const ImportOutcome outcome = ImportIntoDocument(document, preview, choice, targetRow, targetColumn);
    Require(outcome.Imported || !outcome.Message.empty(), "an import that fails says why");
    RequireSoundDocument(document);
    RequireSoundCells(document.Table);
    RequireFileRoundTrip(document, settings);
    return 0;
}
