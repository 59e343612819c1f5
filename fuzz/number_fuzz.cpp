// Number text: ParseNumber under the input's settings, CellTextToValue, the
// pasted and imported field rules, and the text forms of what they give.
// A number read is finite; its exact text reads back to the same value;
// the cell rules give an empty cell or a value within the grid's range.
#include <cstddef>
#include <cstdint>

#include "data/cell_format.h"
#include "data/clipboard_text.h"
#include "data/text_import.h"
#include "fuzz_support.h"

using namespace vextal;
using namespace vextal::fuzz;

namespace {

const NumberSettings Point{};

void RequireTextForms(long double value) {
    const std::string exact = FormatExact(value);
    long double back = 0;
    Require(ParseNumber(exact, Point, back), "exact text parses", exact);
    Require(back == value, "exact text reads back", exact);
    FormatScientific4(value);
    for (int decimals : {0, 2, 12, 30}) FormatFixed(value, decimals);
    if (SoundCellValue(value)) {
        const std::string shown = FormatGridCell(value, 12);
        Require(shown.size() <= MaxGridCellDrawn, "grid text fits its cell", shown);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Input input(data, size);
    const NumberSettings settings = SettingsOf(input.Byte());
    const std::string_view text = input.Rest();

    long double value = 12345;
    if (ParseNumber(text, settings, value)) {
        Require(std::isfinite(value), "parsed value is finite");
        RequireTextForms(value);
    } else {
        Require(value == 12345, "a rejected text leaves the value alone");
    }
    CountDecimals(text, settings);
    CountIntegerDigits(text);

    const long double typed = CellTextToValue(text);
    Require(SoundCellValue(typed), "typed value in range");
    if (!IsMissing(typed)) RequireTextForms(typed);

    const long double pasted = PastedFieldValue(text, settings);
    Require(SoundCellValue(pasted), "pasted value in range");
    for (ImportLayout layout : {ImportLayout::Delimited, ImportLayout::FixedWidth}) {
        const long double imported = ImportedFieldValue(text, layout);
        Require(SoundCellValue(imported), "imported value in range");
    }

    static DataTable table;
    table.AutoDecimals[0] = 0;
    RaiseAutoDecimals(table, 0, text, settings);
    Require(table.AutoDecimals[0] >= 0 && table.AutoDecimals[0] <= MaxCountedCellDigits, "auto decimals");
    return 0;
}
