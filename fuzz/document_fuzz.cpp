// Document files: the format code comes from the text itself as it does when
// a file is opened (a text with no valid code is read with a code chosen by
// its length, so every reader sees every kind of damage). The document read
// must be sound and must save and read back to the same text (averaged data
// after its first save, which drops cell values such a file cannot hold).
#include <cstddef>
#include <cstdint>

#include "fuzz_support.h"

using namespace vextal;
using namespace vextal::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    int code = FileKindOfText(text);
    Require(code >= 0 && code <= 7, "file kind in range");
    if (code == 0) code = 1 + static_cast<int>(size % 7);
    const NumberSettings settings = SettingsOf(static_cast<std::uint8_t>((size / 7) % 2));

    static DataDocument document;
    const LoadResult result = LoadDocumentText(document, text, code, settings);
    Require(result.Loaded, "a text is always read");
    Require(result.ColumnsWithData >= -1 && result.ColumnsWithData <= DataColumnCount, "column count");
    Require(static_cast<int>(document.State.Format) == code, "format follows the code");
    RequireSoundDocument(document);
    RequireFileRoundTrip(document, settings, code == 2 || code == 3);
    return 0;
}
