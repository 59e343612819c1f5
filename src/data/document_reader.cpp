// The readers of document files, one per layout (see document_file.h).
//
// Reading is positional and tolerant: a section an older file lacks at its
// end is not read and keeps its defaults. It is also defensive, because a
// document file may be damaged or made up: lines are cut to a safe length,
// every index read from the file is checked before it is used, integers
// outside their field's range are ignored, and a line that should hold an
// integer and does not ends the reading (what was read before stays).
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <fstream>
#include <streambuf>
#include <string>
#include <string_view>
#include <vector>

#include "data/cell_entry.h"
#include "data/cell_format.h"
#include "data/document_file.h"

namespace vextal {
namespace {

// No line of a valid file comes near this; longer lines are cut here so a
// damaged file cannot make a line grow without bound.
constexpr std::size_t MaxLineLength = 65536;
// The largest document this program writes stays below 1 MB (1000 rows of
// 26 values in their longest exact form). A bigger file is no document, and
// refusing it by its size spares scanning gigabytes for its lines.
constexpr off_t MaxDocumentFileSize = 16 << 20;
constexpr int RowTitleIndexWidth = 6;
constexpr int MaxColumnFormat = 30;
// The SelectedPairs line sets every flag but the last, which keeps its value.
constexpr int PairFlagsRead = SelectedPairCount - 1;

constexpr std::string_view EndRawData = "<<END RAW DATA>>";
constexpr std::string_view EndNotes = "<<END NOTES>>";
constexpr std::string_view EndRowTitles = "<<END ROW TITLES>>";
constexpr std::string_view EndDecimalFormats = "<<END DEC PT DATA>>";
constexpr std::string_view EndChoices = "<<END CHOICES>>";
constexpr std::string_view StartExcludeFlags = "<<START EXCLUDE FLAGS>>";
constexpr std::string_view EndExcludeFlags = "<<END EXCLUDE FLAGS>>";

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// Cuts text to at most `limit` bytes without splitting a UTF-8 sequence.
std::string CapText(std::string_view text, std::size_t limit) {
    if (text.size() <= limit)
        return std::string(text);
    std::size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return std::string(text.substr(0, end));
}

// A whole line holding an integer (blanks around it allowed) that fits a
// 32-bit field.
bool ParseInteger(std::string_view text, long long& value) {
    text = Trim(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty())
        return false;
    long long magnitude = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        magnitude = magnitude * 10 + (c - '0');
        if (magnitude > static_cast<long long>(INT_MAX) + 1)
            return false;
    }
    value = negative ? -magnitude : magnitude;
    return value >= INT_MIN && value <= INT_MAX;
}

// A read-only stream buffer over text in memory.
class MemoryBuffer : public std::streambuf {
public:
    explicit MemoryBuffer(std::string_view text) {
        char* begin = const_cast<char*>(text.data());
        setg(begin, begin, begin + text.size());
    }
};

// Lines ended by LF or CR LF; a last line without an end counts.
class LineSource {
public:
    explicit LineSource(std::streambuf& buffer) : buffer_(buffer) {}

    bool Next(std::string& line) {
        using Traits = std::streambuf::traits_type;
        line.clear();
        int c = buffer_.sbumpc();
        if (c == Traits::eof())
            return false;
        bool cut = false;
        while (c != Traits::eof() && c != '\n') {
            if (line.size() < MaxLineLength)
                line.push_back(static_cast<char>(c));
            else
                cut = true;
            c = buffer_.sbumpc();
        }
        if (!cut && !line.empty() && line.back() == '\r')
            line.pop_back();
        return true;
    }

    bool AtEnd() { return buffer_.sgetc() == std::streambuf::traits_type::eof(); }

private:
    std::streambuf& buffer_;
};

// Reads the fields of one document. Every read stops for good at the end of
// the file or at an integer line that does not parse; a field whose line was
// not read keeps its value.
class DocumentReader {
public:
    DocumentReader(LineSource& source, DataDocument& document, const NumberSettings& settings)
        : source_(source), document_(document), table_(document.Table), choices_(document.State.Choices),
          settings_(settings) {}

    LoadResult Read(int code) {
        switch (code) {
        case 1:
        case 2:
        case 3:
            ReadColumnData();
            break;
        case 4:
            ReadLargerTable();
            break;
        case 5:
            ReadTwoByTwo();
            break;
        case 6:
            ReadXYData();
            break;
        case 7:
            ReadMultipleRegression();
            break;
        default:
            break;
        }
        LoadResult result;
        result.Loaded = true;
        result.ReadError = readError_;
        return result;
    }

    // True once the AllColumns line has been read (raw and averaged data).
    bool AllColumnsRead() const { return allColumnsRead_; }

private:
    // ------------------------------------------------------ line reading

    bool Line(std::string& line) {
        if (stopped_)
            return false;
        if (!source_.Next(line)) {
            stopped_ = true;
            return false;
        }
        return true;
    }

    void Skip(int count = 1) {
        std::string line;
        for (int i = 0; i < count; ++i)
            Line(line);
    }

    // The check made between the sections: true while the file goes on.
    bool GoesOn() { return !stopped_ && !source_.AtEnd(); }

    bool Integer(long long& value) {
        std::string line;
        if (!Line(line))
            return false;
        if (!ParseInteger(line, value)) {
            stopped_ = true;
            readError_ = true;
            return false;
        }
        return true;
    }

    // An integer outside [low, high] is ignored: the field keeps its value.
    template <typename Field> void IntegerField(Field& field, long long low, long long high) {
        long long value = 0;
        if (Integer(value) && value >= low && value <= high)
            field = static_cast<Field>(value);
    }

    // A flag written as the integer 1 or 0.
    void IntegerFlag(bool& field) {
        long long value = 0;
        if (Integer(value) && (value == 0 || value == 1))
            field = value == 1;
    }

    long double ExtendedOf(std::string_view text) {
        if (Trim(text).empty())
            return MissingValue;
        long double value = 0;
        return ParseNumber(text, settings_, value) ? value : MissingValue;
    }

    void Extended(long double& field) {
        std::string line;
        if (Line(line))
            field = ExtendedOf(line);
    }

    void Boolean(bool& field) {
        std::string line;
        if (Line(line))
            field = !line.empty() && line.front() == 'T';
    }

    // Titles are limited in characters, as their editors count them, so a
    // title of accented letters comes back whole.
    void Text(std::string& field, std::size_t limit) {
        std::string line;
        if (Line(line))
            field = TruncateCharacters(line, limit);
    }

    // A column letter of the multiple-regression graph; anything else is
    // ignored.
    void ColumnLetter(std::string& field) {
        std::string line;
        // A letter, or "*" for the residuals of a multiple regression.
        if (Line(line) && !line.empty() && ((line.front() >= 'A' && line.front() <= 'Z') || line.front() == '*'))
            field = line.substr(0, 1);
    }

    // ------------------------------------------------------ sections

    void Header(bool withTitle) {
        Skip(6);
        if (withTitle)
            Text(table_.DocumentTitle, MaxDocumentTitleLength);
    }

    void RawDataSection() {
        table_.SummaryEntered.fill(true);
        std::string line;
        int row = 0;
        while (Line(line) && line != EndRawData) {
            // Rows past the last user row are read and dropped.
            if (row < UserRowCount)
                StoreRow(row++, line);
        }
        // The statistics of the columns are recomputed when they are needed
        // (see MarkRawColumnsForRecomputation).
        table_.ColumnChanged.fill(false);
    }

    // Fields are separated by commas; runs of commas count as one separator.
    void StoreRow(int row, std::string_view line) {
        int column = 0;
        std::size_t start = 0;
        while (column < DataColumnCount && start <= line.size()) {
            std::size_t comma = line.find(',', start);
            if (comma == std::string_view::npos)
                comma = line.size();
            const std::string_view field = line.substr(start, comma - start);
            start = comma + 1;
            if (field.empty())
                continue;
            StoreField(row, column++, Trim(field));
        }
    }

    void StoreField(int row, int column, std::string_view field) {
        long double value = MissingValue;
        if (!field.empty() && field != "*" && !ParseNumber(field, settings_, value))
            value = MissingValue;
        if (!IsMissing(value)) {
            RaiseAutoDecimals(table_, column, field, settings_);
            table_.SummaryEntered[column] = false;
        }
        SetValue(table_, row, column, value);
    }

    void NotesSection() {
        std::string notes;
        bool full = false;
        std::string line;
        while (Line(line) && line != EndNotes) {
            if (full)
                continue;
            notes += line;
            notes += "\r\n";
            if (notes.size() >= MaxNotesLength) {
                notes = CapText(notes, MaxNotesLength);
                full = true;
            }
        }
        document_.NotesText = std::move(notes);
    }

    void RowTitlesSection() {
        std::string line;
        while (Line(line) && line != EndRowTitles) {
            std::string index = line.substr(0, RowTitleIndexWidth);
            index.erase(std::remove(index.begin(), index.end(), ' '), index.end());
            long long row = 0;
            if (!ParseInteger(index, row) || row < 0 || row >= TableRowCount ||
                row >= static_cast<long long>(table_.RowTitles.size()))
                continue;
            const std::string_view title =
                line.size() > RowTitleIndexWidth ? std::string_view(line).substr(RowTitleIndexWidth) : "";
            table_.RowTitles[static_cast<std::size_t>(row)] = TruncateCharacters(title, MaxRowTitleLength);
        }
    }

    // Returns false when reading stopped inside the section (raw and
    // averaged data check after every line).
    bool DecimalFormats(bool checkEveryLine) {
        for (int column = 0; column < DataColumnCount; ++column) {
            IntegerField(table_.ColumnFormat[column], -1, MaxColumnFormat);
            if (checkEveryLine && !GoesOn())
                return false;
        }
        Skip(); // <<END DEC PT DATA>>
        return !stopped_;
    }

    // Lines before the start marker are skipped; `skipped`, when given,
    // receives the first of them.
    void ExclusionSection(std::vector<std::string>* skipped = nullptr) {
        constexpr std::size_t KeptLines = DataColumnCount + 2;
        std::string line;
        while (Line(line) && line != StartExcludeFlags)
            if (skipped != nullptr && skipped->size() < KeptLines)
                skipped->push_back(line);
        int row = 0;
        while (Line(line) && line != EndExcludeFlags) {
            if (row >= TableRowCount)
                continue;
            const int columns = std::min<int>(DataColumnCount, static_cast<int>(line.size()));
            for (int column = 0; column < columns; ++column)
                if (line[column] == '*')
                    SetExcluded(table_, row, column, true);
            ++row;
        }
    }

    // The record of the column a block belongs to, by the index the block
    // starts with; a block with an index outside A..Z is read into a scratch
    // record and dropped. False when the index line could not be read.
    bool BlockColumn(ColumnInfo*& info) {
        long long index = 0;
        if (!Integer(index))
            return false;
        info = index >= 0 && index < DataColumnCount ? &table_.ColumnInfo[index] : &scratch_;
        return true;
    }

    void ColumnChoices() {
        IntegerField(choices_.ColumnCountClass, 0, 3);
        IntegerField(choices_.OneColNonParametric, 0, 1);
        Extended(choices_.HypotheticalValue);
        IntegerField(choices_.OneColTwoSided, 0, 1);
        IntegerField(choices_.OneColColumn, -1, DataColumnCount - 1);
        IntegerField(choices_.HypotheticalChoice, 0, 3);
        IntegerField(choices_.TwoColNonParametric, 0, 1);
        IntegerField(choices_.TwoColUnpaired, 0, 1);
        IntegerField(choices_.TwoColTwoSided, 0, 1);
        IntegerField(choices_.TwoColFirstColumn, 0, DataColumnCount - 1);
        IntegerField(choices_.TwoColSecondColumn, 0, DataColumnCount - 1);
        Boolean(choices_.TwoColEqualSD);
        IntegerField(choices_.MultiColOrdinary, 0, 1);
        IntegerField(choices_.MultiColNonParametric, 0, 1);
        IntegerField(choices_.PostTestCondition, 0, 2);
        IntegerField(choices_.PostTestPairs, 0, 2);
        IntegerField(choices_.ControlColumn, 0, DataColumnCount - 1);
        IntegerField(choices_.PostTestMethod, 0, 4);
        std::string pairs;
        if (Line(pairs))
            for (int i = 0; i < PairFlagsRead; ++i)
                choices_.SelectedPairs[i] = i < static_cast<int>(pairs.size()) && pairs[i] == 'T';
    }

    // ------------------------------------------------------ layouts

    // Raw data (1), mean/SD/N (2), mean/SEM/N (3).
    void ReadColumnData() {
        Header(true);
        RawDataSection();
        for (int block = 0; block < DataColumnCount; ++block) {
            ColumnInfo* info = nullptr;
            if (!BlockColumn(info))
                return;
            Text(info->Title, MaxColumnTitleLength);
            IntegerField(info->N, -1, INT_MAX);
            for (long double* value : {&info->Mean, &info->SD, &info->SEM, &info->Minimum, &info->Maximum,
                                       &info->Median, &info->UpperCI, &info->LowerCI})
                Extended(*value);
            Skip();
        }
        Skip(); // <<END STAT DATA>>
        ColumnChoices();
        Skip(); // <<END CHOICES>>
        NotesSection();
        for (int column = 0; column < DataColumnCount; ++column)
            Boolean(table_.ColumnSelected[column]);
        Skip(); // <<END SELECTED FLAGS>>

        // Older files end at any of the following checks.
        if (!GoesOn())
            return;
        RowTitlesSection();
        if (!GoesOn())
            return;
        if (!DecimalFormats(true))
            return;
        Boolean(choices_.AllColumns);
        if (stopped_)
            return;
        allColumnsRead_ = true;
        if (!GoesOn())
            return;
        Skip();
        for (ColumnInfo& info : table_.ColumnInfo) {
            Extended(info.KSDistance);
            if (!GoesOn())
                return;
            Extended(info.NormalityP);
            if (!GoesOn())
                return;
            Boolean(info.Passed);
            if (!GoesOn())
                return;
        }
        Skip();
        ExclusionSection();
    }

    void ReadXYData() {
        Header(true);
        Boolean(choices_.FitRegression);
        Boolean(choices_.RunsTest);
        Boolean(choices_.ForceThroughPoint);
        Extended(choices_.ForceX);
        Extended(choices_.ForceY);
        IntegerField(choices_.CorrelationKind, 0, 2);
        // Files from before the interpolation choice go straight to the marker.
        std::string line;
        if (Line(line) && line != EndChoices) {
            choices_.InterpolateUnknowns = !line.empty() && line.front() == 'T';
            Skip(); // <<END CHOICES>>
        }
        for (int block = 0; block < DataColumnCount; ++block) {
            ColumnInfo* info = nullptr;
            if (!BlockColumn(info))
                return;
            Text(info->Title, MaxColumnTitleLength);
        }
        Skip(); // <<TITLES>>
        RawDataSection();
        NotesSection();
        RowTitlesSection();
        if (!GoesOn())
            return;
        DecimalFormats(false);
        ExclusionSection();
    }

    void ReadLargerTable() {
        Header(true);
        for (int block = 0; block < DataColumnCount; ++block) {
            ColumnInfo* info = nullptr;
            if (!BlockColumn(info))
                return;
            Text(info->Title, MaxColumnTitleLength);
            IntegerField(info->N, -1, INT_MAX);
            Skip();
        }
        Skip(); // <<END STAT DATA>>
        RawDataSection();
        NotesSection();
        RowTitlesSection();
        if (!GoesOn())
            return;
        DecimalFormats(false);
        ExclusionSection();
    }

    void ReadTwoByTwo() {
        TwoByTwoTable& counts = document_.TwoByTwo;
        Header(false);
        long long test = 0;
        if (Integer(test)) {
            if (test == 2)
                test = 0;
            if (test == 0 || test == 1)
                choices_.UseChiSquare = static_cast<std::uint8_t>(test);
        }
        Boolean(choices_.YatesCorrection);
        IntegerFlag(choices_.TwoByTwoTwoSided);
        Boolean(choices_.RelativeRisk);
        Boolean(choices_.OddsRatio);
        Boolean(choices_.ProportionDifference);
        // The relative risk and the difference of proportions are one choice.
        if (choices_.RelativeRisk || choices_.ProportionDifference)
            choices_.RelativeRisk = choices_.ProportionDifference = true;
        for (long double* count : {&counts.A, &counts.B, &counts.C, &counts.D})
            Extended(*count);
        Text(counts.Column1Title, MaxDocumentTitleLength);
        Text(counts.Column2Title, MaxDocumentTitleLength);
        Text(counts.Row1Title, MaxDocumentTitleLength);
        Text(counts.Row2Title, MaxDocumentTitleLength);
        Text(table_.DocumentTitle, MaxDocumentTitleLength);
        Skip(); // <<END CHOICES>>
        NotesSection();
        if (!GoesOn())
            return;
        Skip();
        if (!GoesOn())
            return;
        std::string line;
        // The diagnostic-test flag counts only when the file goes on after it.
        if (Line(line) && GoesOn())
            choices_.Sensitivity = !line.empty() && line.front() == 'T';
    }

    void ReadMultipleRegression() {
        Header(true);
        RawDataSection();
        for (ColumnInfo& info : table_.ColumnInfo)
            Text(info.Title, MaxColumnTitleLength);
        IntegerFlag(choices_.MultipleRegression);
        IntegerField(choices_.DependentY, 0, DataColumnCount - 1);
        Boolean(choices_.GraphAnalyzedOnly);
        for (bool& independent : choices_.IndependentX)
            Boolean(independent);
        ColumnLetter(choices_.MRGraphX);
        ColumnLetter(choices_.MRGraphY);
        Skip(); // <<END CHOICES>>
        NotesSection();
        if (readError_)
            return;
        RowTitlesSection();
        // This program writes the number formats after the row titles;
        // older files have only an empty line there.
        std::vector<std::string> skipped;
        ExclusionSection(&skipped);
        if (skipped.size() > DataColumnCount && skipped[DataColumnCount] == EndDecimalFormats)
            for (int column = 0; column < DataColumnCount; ++column) {
                long long format = 0;
                if (ParseInteger(skipped[column], format) && format >= -1 && format <= MaxColumnFormat)
                    table_.ColumnFormat[column] = static_cast<int>(format);
            }
    }

    LineSource& source_;
    DataDocument& document_;
    DataTable& table_;
    AnalysisChoices& choices_;
    const NumberSettings& settings_;
    ColumnInfo scratch_;
    bool stopped_ = false;
    bool readError_ = false;
    bool allColumnsRead_ = false;
};

// Statistics in a file may be stale or made up. A column holding raw values
// is marked changed and loses its normality result, so that the column
// statistics routine recomputes all of them from the values; the typed
// summaries of averaged data (columns without raw values) are kept.
void MarkRawColumnsForRecomputation(DataTable& table) {
    for (int column = 0; column < DataColumnCount; ++column) {
        if (ColumnIsEmpty(table, column))
            continue;
        table.ColumnChanged[column] = true;
        table.ColumnInfo[column].KSDistance = MissingValue;
        table.ColumnInfo[column].NormalityP = MissingValue;
    }
}

// Columns whose N is above 0: for a raw column the N its values give, for
// any other the N read from the file.
int CountColumnsWithData(const DataTable& table) {
    int count = 0;
    for (int column = 0; column < DataColumnCount; ++column) {
        if (ColumnIsEmpty(table, column)) {
            if (table.ColumnInfo[column].N > 0)
                ++count;
            continue;
        }
        for (int row = 0; row < TableRowCount; ++row)
            if (!IsMissing(GetValue(table, row, column))) {
                ++count;
                break;
            }
    }
    return count;
}

LoadResult ReadDocument(LineSource& source, DataDocument& target, DataFormat format,
                        const NumberSettings& settings) {
    DataDocument document = NewDocument();
    document.State.Format = format;
    document.State.Goal = GoalFamilyOf(format);
    document.State.ErrorBars = ErrorBarsForFormat(format, document.State.ErrorBars);

    DocumentReader reader(source, document, settings);
    LoadResult result = reader.Read(static_cast<int>(format));

    MarkRawColumnsForRecomputation(document.Table);
    if (reader.AllColumnsRead())
        result.ColumnsWithData = CountColumnsWithData(document.Table);
    document.Table.Modified = false;
    document.State.DocumentModified = false;
    document.State.ResultsStale = true;
    target = std::move(document);
    return result;
}

// Opens a regular file for reading; returns 0 or an I/O code.
int OpenForReading(const std::string& fileName, std::ifstream& file) {
    struct stat status {};
    if (::stat(fileName.c_str(), &status) != 0)
        return IoCodeFromErrno(errno, false);
    // Devices and pipes may never end; folders hold no lines.
    if (!S_ISREG(status.st_mode))
        return IoAccessDenied;
    errno = 0;
    file.open(fileName, std::ios::binary);
    if (!file.is_open())
        return errno != 0 ? IoCodeFromErrno(errno, false) : IoAccessDenied;
    return 0;
}

int FileKindOf(LineSource& source) {
    std::string line;
    for (int i = 0; i < 2; ++i)
        if (!source.Next(line))
            return 0;
    long long code = 0;
    if (!source.Next(line) || !ParseInteger(line, code))
        return 0;
    if (code == 1) {
        long long marker = 0;
        return source.Next(line) && ParseInteger(line, marker) && marker == 1 ? 7 : 1;
    }
    return code >= 2 && code <= 7 ? static_cast<int>(code) : 0;
}

} // namespace

int FileKindOfText(std::string_view text) {
    MemoryBuffer buffer(text);
    LineSource source(buffer);
    return FileKindOf(source);
}

int ReadFileKind(const std::string& fileName) {
    struct stat status {};
    if (::stat(fileName.c_str(), &status) == 0 && status.st_size > MaxDocumentFileSize)
        return 0;
    std::ifstream file;
    if (OpenForReading(fileName, file) != 0)
        return 0;
    LineSource source(*file.rdbuf());
    return FileKindOf(source);
}

bool ReadFileVersion(const std::string& fileName, long double& version) {
    std::ifstream file;
    if (OpenForReading(fileName, file) != 0)
        return false;
    LineSource source(*file.rdbuf());
    std::string line;
    if (!source.Next(line) || !source.Next(line) || Trim(line).empty())
        return false;
    return ParseNumber(line, NumberSettings{}, version);
}

FileCheck CheckDocumentFile(const std::string& fileName, const MessageSink& sink) {
    FileCheck check;
    const int code = ReadFileKind(fileName);
    long double version = 0;
    if (code < 1 || code > 7)
        check.Message = NotDataFileMessage;
    else if (ReadFileVersion(fileName, version) && version > NewestFileVersion)
        check.Message = NewerVersionMessage;
    if (!check.Message.empty()) {
        if (sink)
            sink(ProgramCaption, check.Message);
        return check;
    }
    check.Accepted = true;
    check.Code = code;
    return check;
}

LoadResult LoadDocument(DataDocument& document, const std::string& fileName, int code,
                        const NumberSettings& settings, const MessageSink& sink) {
    DataFormat format = DataFormat::RawData;
    if (!DataFormatFromCode(code, format))
        return {};
    std::ifstream file;
    if (const int ioCode = OpenForReading(fileName, file); ioCode != 0) {
        ReportIoError(ioCode, sink);
        LoadResult result;
        result.IoCode = ioCode;
        return result;
    }
    LineSource source(*file.rdbuf());
    return ReadDocument(source, document, format, settings);
}

LoadResult LoadDocumentText(DataDocument& document, std::string_view text, int code,
                            const NumberSettings& settings) {
    DataFormat format = DataFormat::RawData;
    if (!DataFormatFromCode(code, format))
        return {};
    MemoryBuffer buffer(text);
    LineSource source(buffer);
    return ReadDocument(source, document, format, settings);
}

LoadResult OpenDocumentFile(DataDocument& document, const std::string& fileName,
                            const NumberSettings& settings, const MessageSink& sink) {
    const FileCheck check = CheckDocumentFile(fileName, sink);
    if (!check.Accepted)
        return {};
    return LoadDocument(document, fileName, check.Code, settings, sink);
}

} // namespace vextal
