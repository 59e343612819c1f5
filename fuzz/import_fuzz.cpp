// Text import: the first two bytes pick the number settings and how the
// preview is imported (all columns, a column range, the indexed layout, a
// filter, a row range, where the import starts), or a new document of any
// format made from the file as the command line does; the rest is the file
// text. The preview and the document must hold only sound values, and the
// document must survive saving and reading back.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>

#include "data/text_import.h"
#include "fuzz_support.h"

using namespace vextal;
using namespace vextal::fuzz;

namespace {

// The text as a file in memory; returns its path.
std::string MemoryFile(std::string_view text) {
    static const int fd = memfd_create("import", 0);
    Require(fd >= 0 && ftruncate(fd, 0) == 0, "memory file");
    Require(pwrite(fd, text.data(), text.size(), 0) == static_cast<ssize_t>(text.size()), "memory file write");
    return "/proc/self/fd/" + std::to_string(fd);
}

void ImportAsNewDocument(std::string_view text, DataFormat format, const NumberSettings& settings) {
    static DataDocument document;
    if (!ImportTextDocument(document, MemoryFile(text), format, settings)) return;
    Require(document.State.Format == format, "the document takes the format");
    RequireSoundDocument(document);
    RequireSoundCells(document.Table);
    for (const ColumnInfo& info : document.Table.ColumnInfo)
        Require(SoundCellValue(info.Mean) && info.N >= 0, "sound imported summary");
    RequireFileRoundTrip(document, settings);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Input input(data, size);
    const std::uint8_t options = input.Byte();
    const std::uint8_t place = input.Byte();
    const NumberSettings settings = SettingsOf(options);

    if ((options / 5) % 4 == 3) {
        ImportAsNewDocument(input.Rest(), static_cast<DataFormat>(1 + place % 7), settings);
        return 0;
    }

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
