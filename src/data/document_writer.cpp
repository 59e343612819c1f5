// The writer of document files: one layout per data format (see
// document_file.h), sharing the section routines below, and the atomic save.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <string>
#include <string_view>

#include "data/cell_format.h"
#include "data/document_file.h"

namespace vextal {
namespace {

// The notes are scanned up to this many positions (they hold at most
// MaxNotesLength characters and the end byte).
constexpr std::size_t NotesScanLimit = 8010;
constexpr char NotesEndByte = 26;
constexpr int RowTitleIndexWidth = 6;

class FileText {
public:
    void Line(std::string_view text) {
        text_.append(text);
        text_.append("\r\n");
    }
    // A title or other free text that must stay on its one line: line
    // breaks inside it would shift every following line of the file.
    void SingleLine(std::string_view text) {
        std::string line(text);
        std::replace(line.begin(), line.end(), '\r', ' ');
        std::replace(line.begin(), line.end(), '\n', ' ');
        Line(line);
    }
    void Integer(long long value) { Line(std::to_string(value)); }
    void Boolean(bool value) { Line(value ? "T" : "F"); }
    void Extended(long double value) { Line(FormatStatistic(value)); }
    void Empty() { Line(""); }

    std::string Take() { return std::move(text_); }

private:
    std::string text_;
};

// The rows and columns written: the table's extents, raised to the last
// cell that actually holds a value so that stale extents never drop data,
// and never beyond the rows the user can reach.
struct WrittenExtents {
    int LastRow = 0;
    int LastColumn = 0;
};

WrittenExtents ExtentsToWrite(const DataTable& table) {
    WrittenExtents extents;
    extents.LastRow = std::clamp(table.LastRow, 0, UserRowCount - 1);
    extents.LastColumn = std::clamp(table.LastColumn, 0, DataColumnCount - 1);
    // Values beyond the recorded extents (the extents may lag behind the
    // cells): the last row holding one is found from the end, then each row
    // up to it is searched from the right only beyond the last column known.
    const auto cell = [&](int row, int column) {
        return table.Cells[static_cast<std::size_t>(row) * DataColumnCount + static_cast<std::size_t>(column)];
    };
    const auto rowHoldsValue = [&](int row) {
        for (int column = 0; column < DataColumnCount; ++column)
            if (!IsMissing(cell(row, column))) return true;
        return false;
    };
    for (int row = UserRowCount - 1; row > extents.LastRow; --row)
        if (rowHoldsValue(row)) {
            extents.LastRow = row;
            break;
        }
    for (int row = 0; row <= extents.LastRow; ++row)
        for (int column = DataColumnCount - 1; column > extents.LastColumn; --column)
            if (!IsMissing(cell(row, column))) {
                extents.LastColumn = column;
                break;
            }
    return extents;
}

void Header(FileText& out, const DataDocument& document, const char* version, int code, const char* line4,
            bool withTitle) {
    out.Line(DocumentFileHeader);
    out.Line(version);
    out.Integer(code);
    out.Line(line4);
    out.Empty();
    out.Empty();
    if (withTitle)
        out.SingleLine(document.Table.DocumentTitle);
}

void RawDataSection(FileText& out, const DataTable& table) {
    const WrittenExtents extents = ExtentsToWrite(table);
    for (int row = 0; row <= extents.LastRow; ++row) {
        std::string line;
        for (int column = 0; column <= extents.LastColumn; ++column) {
            const long double value = RawValue(table, row, column);
            line += IsMissing(value) ? "*" : FormatCell(table, column, value, false, true, false);
            line += ',';
        }
        out.Line(line);
    }
    out.Line("<<END RAW DATA>>");
}

// One line per note line, split at CR (LF dropped), up to the end byte.
// A note line that reads exactly like the closing marker gets a blank
// appended, or reading would end the notes there.
void NotesSection(FileText& out, const std::string& notes) {
    static constexpr std::string_view Marker = "<<END NOTES>>";
    auto emit = [&](const std::string& line) {
        if (line == Marker)
            out.Line(line + " ");
        else
            out.Line(line);
    };
    const std::size_t limit = std::min(notes.size(), NotesScanLimit);
    std::string line;
    for (std::size_t i = 0; i < limit && notes[i] != NotesEndByte; ++i) {
        if (notes[i] == '\r') {
            emit(line);
            line.clear();
        } else if (notes[i] != '\n') {
            line += notes[i];
        }
    }
    if (!line.empty())
        emit(line);
    out.Line(Marker);
}

void RowTitlesSection(FileText& out, const DataTable& table) {
    const int rows = std::min<int>(TableRowCount, static_cast<int>(table.RowTitles.size()));
    for (int row = 0; row < rows; ++row) {
        const std::string& title = table.RowTitles[row];
        if (title == DefaultRowTitle(row))
            continue;
        std::string index = std::to_string(row);
        index.resize(RowTitleIndexWidth, ' ');
        out.SingleLine(index + title);
    }
    out.Line("<<END ROW TITLES>>");
}

void DecimalFormats(FileText& out, const DataTable& table) {
    for (int column = 0; column < DataColumnCount; ++column)
        out.Integer(table.ColumnFormat[column]);
    out.Line("<<END DEC PT DATA>>");
}

void ExclusionSection(FileText& out, const DataTable& table) {
    const WrittenExtents extents = ExtentsToWrite(table);
    out.Line("<<START EXCLUDE FLAGS>>");
    for (int row = 0; row <= extents.LastRow; ++row) {
        std::string line;
        for (int column = 0; column <= extents.LastColumn; ++column)
            line += IsExcluded(table, row, column) ? '*' : '.';
        out.Line(line);
    }
    out.Line("<<END EXCLUDE FLAGS>>");
}

void ColumnChoices(FileText& out, const AnalysisChoices& choices) {
    out.Integer(choices.ColumnCountClass);
    out.Integer(choices.OneColNonParametric);
    out.Extended(choices.HypotheticalValue);
    out.Integer(choices.OneColTwoSided);
    out.Integer(choices.OneColColumn);
    out.Integer(choices.HypotheticalChoice);
    out.Integer(choices.TwoColNonParametric);
    out.Integer(choices.TwoColUnpaired);
    out.Integer(choices.TwoColTwoSided);
    out.Integer(choices.TwoColFirstColumn);
    out.Integer(choices.TwoColSecondColumn);
    out.Boolean(choices.TwoColEqualSD);
    out.Integer(choices.MultiColOrdinary);
    out.Integer(choices.MultiColNonParametric);
    out.Integer(choices.PostTestCondition);
    out.Integer(choices.PostTestPairs);
    out.Integer(choices.ControlColumn);
    out.Integer(choices.PostTestMethod);
    std::string pairs;
    for (bool selected : choices.SelectedPairs)
        pairs += selected ? 'T' : 'F';
    out.Line(pairs);
}

// Raw data (1) and the two kinds of averaged data (2, 3).
void WriteColumnData(FileText& out, const DataDocument& document, int code) {
    const DataTable& table = document.Table;
    Header(out, document, "2.00", code, "", true);
    if (code == 1)
        RawDataSection(out, table);
    else
        out.Line("<<END RAW DATA>>");
    for (int column = 0; column < DataColumnCount; ++column) {
        const ColumnInfo& info = table.ColumnInfo[column];
        out.Integer(column);
        out.SingleLine(info.Title);
        out.Integer(info.N);
        for (long double value : {info.Mean, info.SD, info.SEM, info.Minimum, info.Maximum, info.Median,
                                  info.UpperCI, info.LowerCI})
            out.Extended(value);
        out.Empty();
    }
    out.Line("<<END STAT DATA>>");
    ColumnChoices(out, document.State.Choices);
    out.Line("<<END CHOICES>>");
    NotesSection(out, document.NotesText);
    for (bool selected : table.ColumnSelected)
        out.Boolean(selected);
    out.Line("<<END SELECTED FLAGS>>");
    RowTitlesSection(out, table);
    DecimalFormats(out, table);
    out.Boolean(document.State.Choices.AllColumns);
    out.Empty();
    for (const ColumnInfo& info : table.ColumnInfo) {
        out.Extended(info.KSDistance);
        out.Extended(info.NormalityP);
        out.Boolean(info.Passed);
    }
    out.Empty();
    ExclusionSection(out, table);
    out.Empty();
}

void WriteXYData(FileText& out, const DataDocument& document) {
    const DataTable& table = document.Table;
    const AnalysisChoices& choices = document.State.Choices;
    Header(out, document, "2.00", 6, "", true);
    out.Boolean(choices.FitRegression);
    out.Boolean(choices.RunsTest);
    out.Boolean(choices.ForceThroughPoint);
    out.Extended(choices.ForceX);
    out.Extended(choices.ForceY);
    out.Integer(choices.CorrelationKind);
    out.Boolean(choices.InterpolateUnknowns);
    out.Line("<<END CHOICES>>");
    for (int column = 0; column < DataColumnCount; ++column) {
        out.Integer(column);
        out.SingleLine(table.ColumnInfo[column].Title);
    }
    out.Line("<<TITLES>>");
    RawDataSection(out, table);
    NotesSection(out, document.NotesText);
    RowTitlesSection(out, table);
    DecimalFormats(out, table);
    ExclusionSection(out, table);
    out.Empty();
}

void WriteLargerTable(FileText& out, const DataDocument& document) {
    const DataTable& table = document.Table;
    Header(out, document, "2.00", 4, "", true);
    for (int column = 0; column < DataColumnCount; ++column) {
        out.Integer(column);
        out.SingleLine(table.ColumnInfo[column].Title);
        out.Integer(table.ColumnInfo[column].N);
        out.Empty();
    }
    out.Line("<<END STAT DATA>>");
    RawDataSection(out, table);
    NotesSection(out, document.NotesText);
    RowTitlesSection(out, table);
    DecimalFormats(out, table);
    ExclusionSection(out, table);
    out.Empty();
}

void WriteTwoByTwo(FileText& out, const DataDocument& document) {
    const AnalysisChoices& choices = document.State.Choices;
    const TwoByTwoTable& counts = document.TwoByTwo;
    Header(out, document, "2.00", 5, "", false);
    out.Integer(choices.UseChiSquare);
    out.Boolean(choices.YatesCorrection);
    out.Integer(choices.TwoByTwoTwoSided ? 1 : 0);
    out.Boolean(choices.RelativeRisk);
    out.Boolean(choices.OddsRatio);
    out.Boolean(choices.ProportionDifference);
    for (long double count : {counts.A, counts.B, counts.C, counts.D})
        out.Extended(count);
    out.SingleLine(counts.Column1Title);
    out.SingleLine(counts.Column2Title);
    out.SingleLine(counts.Row1Title);
    out.SingleLine(counts.Row2Title);
    out.SingleLine(document.Table.DocumentTitle);
    out.Line("<<END CHOICES>>");
    NotesSection(out, document.NotesText);
    out.Empty();
    out.Boolean(choices.Sensitivity);
    out.Empty();
}

void WriteMultipleRegression(FileText& out, const DataDocument& document) {
    const DataTable& table = document.Table;
    const AnalysisChoices& choices = document.State.Choices;
    Header(out, document, "3.00", 1, "1", true);
    RawDataSection(out, table);
    for (const ColumnInfo& info : table.ColumnInfo)
        out.SingleLine(info.Title);
    out.Integer(choices.MultipleRegression ? 1 : 0);
    out.Integer(choices.DependentY);
    out.Boolean(choices.GraphAnalyzedOnly);
    for (bool independent : choices.IndependentX)
        out.Boolean(independent);
    out.SingleLine(choices.MRGraphX);
    out.SingleLine(choices.MRGraphY);
    out.Line("<<END CHOICES>>");
    NotesSection(out, document.NotesText);
    RowTitlesSection(out, table);
    // The number formats go where older readers skip lines on their way to
    // the exclusion flags, so those files still open there.
    DecimalFormats(out, table);
    out.Empty();
    ExclusionSection(out, table);
    out.Empty();
}

// ------------------------------------------------------------ atomic save

class FileDescriptor {
public:
    explicit FileDescriptor(int fd = -1) : fd_(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    int Get() const { return fd_; }
    // Closes now and reports whether the close succeeded (a delayed write
    // error can surface here).
    bool Close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

bool WriteAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t written = ::write(fd, text.data(), text.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        text.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

mode_t CreationMode() {
    // umask can only be read by setting it; the program has one thread.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// Writes `text` to a new file beside `target`, forces it to the disk and
// renames it over `target`; the previous file is replaced only by a file
// that is complete. Returns 0 or an I/O code.
int ReplaceFile(const std::string& fileName, std::string_view text) {
    namespace fs = std::filesystem;
    if (fileName.empty())
        return IoPathNotFound;

    // A symbolic link stays a link: the file it names is replaced.
    fs::path target(fileName);
    std::error_code error;
    if (fs::is_symlink(fs::symlink_status(target, error))) {
        const fs::path resolved = fs::weakly_canonical(target, error);
        if (!error)
            target = resolved;
    }

    mode_t mode = CreationMode();
    struct stat existing {};
    if (::stat(target.c_str(), &existing) == 0) {
        if (S_ISDIR(existing.st_mode))
            return IoAccessDenied;
        // Saving over a file the user may not write is refused, as it would
        // be without the rename.
        if (::access(target.c_str(), W_OK) != 0)
            return IoCodeFromErrno(errno, true);
        mode = existing.st_mode & 07777;
    }

    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    std::string temporary = (folder / ".vextal-save-XXXXXX").string();
    FileDescriptor file(::mkstemp(temporary.data()));
    if (file.Get() < 0)
        return IoCodeFromErrno(errno, true);

    auto fail = [&](int savedErrno) {
        ::unlink(temporary.c_str());
        return IoCodeFromErrno(savedErrno, true);
    };
    if (!WriteAll(file.Get(), text))
        return fail(errno);
    ::fchmod(file.Get(), mode); // a file that keeps mkstemp's 0600 is still a good file
    if (::fsync(file.Get()) != 0)
        return fail(errno);
    if (!file.Close())
        return fail(errno);
    if (::rename(temporary.c_str(), target.c_str()) != 0)
        return fail(errno);

    // Make the rename itself durable; a folder that cannot be synced does
    // not make the save fail.
    const int folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (folderFd >= 0) {
        ::fsync(folderFd);
        ::close(folderFd);
    }
    return 0;
}

} // namespace

std::string DocumentFileText(const DataDocument& document) {
    FileText out;
    switch (document.State.Format) {
    case DataFormat::MeanSDN:
        WriteColumnData(out, document, 2);
        break;
    case DataFormat::MeanSEMN:
        WriteColumnData(out, document, 3);
        break;
    case DataFormat::LargerTable:
        WriteLargerTable(out, document);
        break;
    case DataFormat::TwoByTwo:
        WriteTwoByTwo(out, document);
        break;
    case DataFormat::XYData:
        WriteXYData(out, document);
        break;
    case DataFormat::MultRegData:
        WriteMultipleRegression(out, document);
        break;
    default:
        WriteColumnData(out, document, 1);
        break; // raw data
    }
    return out.Take();
}

int SaveDocument(const DataDocument& document, const std::string& fileName, const MessageSink& sink) {
    const int code = ReplaceFile(fileName, DocumentFileText(document));
    if (code != 0)
        ReportIoError(code, sink);
    return code;
}

} // namespace vextal
