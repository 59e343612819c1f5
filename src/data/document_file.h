// The document file (*.VXD): a text file with a header, a version line, a
// format code and sections closed by marker lines, one layout per data
// format. The writer saves atomically; the readers are tolerant of older,
// shorter files and safe against damaged or hostile ones.
//
// Text layout shared by all formats: line 1 "Vextal data file" (ignored on
// reading), line 2 the version ("3.00" for multiple-regression data, "2.00"
// for the others), line 3 the format code (multiple-regression data is
// written as 1 with "1" on line 4), lines 4 to 6 empty, line 7 the document
// title (not for the two-by-two table). Lines end with CR LF; readers accept
// LF alone as well. Cell values and statistics are written in their exact
// form (FormatCell for files, FormatStatistic) and read back unchanged.
//
// Multiple-regression files also carry the column number formats, between
// the row titles and the exclusion flags, where readers of the older layout
// skip lines anyway.
#pragma once

#include <string>
#include <string_view>

#include "data/data_document.h"
#include "data/io_error.h"
#include "data/number_settings.h"

namespace vextal {

inline constexpr const char* DocumentFileHeader = "Vextal data file";
inline constexpr const char* NotDataFileMessage =
    "The file is not an Vextal data file. If you want to import data, first create a new file, then "
    "Import.";
inline constexpr const char* NewerVersionMessage =
    "This file cannot be read because it was created by a newer version of Vextal.";
/// The newest file version this program reads.
inline constexpr long double NewestFileVersion = 3.0L;

// ---------------------------------------------------------------- writing

/// The complete file text of a document in the layout of its data format,
/// CR LF line ends included.
std::string DocumentFileText(const DataDocument& document);

/// Writes the document to `fileName` and returns 0, or an I/O code (see
/// io_error.h) that has also been reported through `sink`. The text goes to
/// a temporary file in the target's folder, which is flushed to the disk and
/// then renamed over the target, so a failed or interrupted save leaves the
/// previous file as it was. The document itself is not changed: on 0 the
/// caller records the file name and clears State.DocumentModified.
int SaveDocument(const DataDocument& document, const std::string& fileName, const MessageSink& sink = {});

// ---------------------------------------------------------------- reading

/// The format code of a file, 1..7, or 0 when the file cannot be opened or
/// is no document file (also when it is far larger than any document). Line 3 holds the code; code 1 with "1" on line 4 is
/// multiple-regression data (7).
int ReadFileKind(const std::string& fileName);
int FileKindOfText(std::string_view text);

/// The number on line 2; false when the file cannot be opened or the line
/// holds no number.
bool ReadFileVersion(const std::string& fileName, long double& version);

/// The checks made before a file is opened as a document.
struct FileCheck {
    bool Accepted = false;
    int Code = 0;        // format code 1..7 when accepted
    std::string Message; // the refusal shown to the user, "" when accepted
};

/// Refuses a file whose format code is not 1..7 (NotDataFileMessage) or whose
/// version is newer than NewestFileVersion (NewerVersionMessage); a version
/// line that holds no number is accepted. A refusal is also shown through
/// `sink` under ProgramCaption.
FileCheck CheckDocumentFile(const std::string& fileName, const MessageSink& sink = {});

/// What reading a document file gave.
struct LoadResult {
    bool Loaded = false;    // the file was opened and read into the document
    int IoCode = 0;         // the I/O code when the file could not be opened
    bool ReadError = false; // an integer line did not parse; reading ended there
    /// Raw and averaged data: once the AllColumns line has been read, the
    /// number of columns whose N is above 0 (for raw columns counted from
    /// their values, see LoadDocument); -1 when that line was not reached.
    int ColumnsWithData = -1;
};

/// Reads a document file of format `code` (1..7, as ReadFileKind gives it)
/// into `document`. The document starts afresh (defaults for everything the
/// file does not hold); State.Format, State.Goal and, for codes 2 and 3,
/// State.ErrorBars follow the code; afterwards Table.Modified and
/// State.DocumentModified are false and State.ResultsStale is true.
///
/// Statistics stored in the file are not trusted for columns that hold raw
/// values: such columns are marked changed and their normality results
/// emptied, so the column statistics are recomputed from the values when
/// they are next needed. Typed summaries of averaged data are kept as read.
///
/// A file that cannot be opened is reported through `sink` and leaves the
/// document as it was (Loaded false). A wrong code leaves it as well.
LoadResult LoadDocument(DataDocument& document, const std::string& fileName, int code,
                        const NumberSettings& settings, const MessageSink& sink = {});

/// LoadDocument on file text already in memory.
LoadResult LoadDocumentText(DataDocument& document, std::string_view text, int code,
                            const NumberSettings& settings);

/// CheckDocumentFile, then LoadDocument with the code found: what opening a
/// file as a new document does. Loaded is false after a refusal.
LoadResult OpenDocumentFile(DataDocument& document, const std::string& fileName,
                            const NumberSettings& settings, const MessageSink& sink = {});

} // namespace vextal
