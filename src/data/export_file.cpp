#include "data/export_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>

#include "data/cell_format.h"
#include "data/grid_selection.h"

namespace vextal {
namespace {

constexpr const char* LineEnd = "\r\n";
constexpr int SummaryDecimals = 10;
constexpr std::size_t SummaryWidth = 14;

std::string_view Extension(std::string_view fileName) {
    const auto slash = fileName.find_last_of('/');
    if (slash != std::string_view::npos) fileName.remove_prefix(slash + 1);
    const auto dot = fileName.find_last_of('.');
    return dot == std::string_view::npos ? std::string_view() : fileName.substr(dot + 1);
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
               return lower(x) == lower(y);
           });
}

std::string ExportValueText(const DataTable& table, int row, int column, char decimalSeparator) {
    std::string text = FormatCell(table, column, RawValue(table, row, column), false, true, true);
    if (decimalSeparator != '.') std::replace(text.begin(), text.end(), '.', decimalSeparator);
    return text;
}

// A statistic written with 10 decimals and cut to 14 characters; the
// integer part is kept whole.
std::string SummaryValueText(long double value) {
    if (IsMissing(value) || !std::isfinite(value)) return "";
    std::string text = FormatFixed(value, SummaryDecimals);
    const std::size_t integerLength = std::min(text.find('.'), text.size());
    text.resize(std::max(integerLength, std::min(text.size(), SummaryWidth)));
    if (text.back() == '.') text.pop_back();
    return text;
}

bool AnyRawValues(const DataTable& table) {
    for (int column = 0; column < DataColumnCount; ++column)
        if (!ColumnIsEmpty(table, column)) return true;
    return false;
}

int ReportedWrite(const std::string& fileName, std::string_view text, const MessageSink& sink) {
    const int code = WriteWholeFile(fileName, text);
    if (code != 0) ReportIoError(code, sink);
    return code;
}

}  // namespace

char ExportSeparator(std::string_view fileName, const NumberSettings& settings) {
    const std::string_view extension = Extension(fileName);
    if (extension == "TXT" || EqualsIgnoringCase(extension, "csv")) return settings.ListSeparator;
    return '\t';
}

std::string ExportFileText(const DataTable& table, char separator, const ExportOptions& options) {
    std::string out;
    if (options.WithTitle) out.append(table.DocumentTitle).append(LineEnd);
    const int lastRow = std::min(table.LastRow, LastUserRow);
    const int lastColumn = table.LastColumn;

    if (options.IndexFormat) {
        if (options.WithColumnTitles) out.append("value").append(1, separator).append("group").append(LineEnd);
        for (int column = 0; column <= lastColumn; ++column) {
            const std::string group = std::to_string(column + 1);
            for (int row = 0; row <= lastRow; ++row) {
                out.append(ExportValueText(table, row, column, options.DecimalSeparator));
                out.append(1, separator).append(group).append(LineEnd);
            }
        }
        return out;
    }

    if (options.WithColumnTitles) {
        for (int column = 0; column <= lastColumn; ++column) {
            if (column > 0) out.append(1, separator);
            out.append(table.ColumnInfo[column].Title);
        }
        out.append(LineEnd);
    }
    for (int row = 0; row <= lastRow; ++row) {
        for (int column = 0; column <= lastColumn; ++column) {
            if (column > 0) out.append(1, separator).append(1, ' ');
            out.append(ExportValueText(table, row, column, options.DecimalSeparator));
        }
        out.append(LineEnd);
    }
    return out;
}

int WriteExportFile(const DataDocument& document, const std::string& fileName, char separator,
                    const ExportOptions& options, const MessageSink& sink) {
    return ReportedWrite(fileName, ExportFileText(document.Table, separator, options), sink);
}

std::string TwoByTwoExportText(const TwoByTwoTable& counts) {
    return FormatStatistic(counts.A) + "," + FormatStatistic(counts.B) + LineEnd + FormatStatistic(counts.C) +
           "," + FormatStatistic(counts.D) + LineEnd;
}

int WriteTwoByTwoExport(const DataDocument& document, const std::string& fileName, const MessageSink& sink) {
    return ReportedWrite(fileName, TwoByTwoExportText(document.TwoByTwo), sink);
}

std::string SummaryExportText(const DataTable& table) {
    const bool raw = AnyRawValues(table);
    std::string out;
    auto line = [&](auto statistic) {
        bool first = true;
        for (int column = 0; column < DataColumnCount; ++column) {
            const ColumnInfo& info = table.ColumnInfo[column];
            if (info.N <= 0) continue;
            if (!first) out.append(",");
            out.append(SummaryValueText(statistic(info)));
            first = false;
        }
        out.append(LineEnd);
    };
    line([](const ColumnInfo& i) { return i.Mean; });
    line([](const ColumnInfo& i) { return static_cast<long double>(i.N); });
    line([](const ColumnInfo& i) { return i.SD; });
    line([](const ColumnInfo& i) { return i.SEM; });
    if (raw) line([](const ColumnInfo& i) { return i.Median; });
    line([](const ColumnInfo& i) { return i.LowerCI; });
    line([](const ColumnInfo& i) { return i.UpperCI; });
    if (raw) {
        line([](const ColumnInfo& i) { return i.Minimum; });
        line([](const ColumnInfo& i) { return i.Maximum; });
    }
    return out;
}

int WriteSummaryExport(const DataDocument& document, const std::string& fileName, const MessageSink& sink) {
    return ReportedWrite(fileName, SummaryExportText(document.Table), sink);
}

int WriteWholeFile(const std::string& fileName, std::string_view text) {
    if (fileName.empty()) return IoPathNotFound;
    const int file = ::open(fileName.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (file < 0) return IoCodeFromErrno(errno, true);
    while (!text.empty()) {
        const ssize_t written = ::write(file, text.data(), text.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            const int code = IoCodeFromErrno(errno, true);
            ::close(file);
            return code;
        }
        text.remove_prefix(static_cast<std::size_t>(written));
    }
    if (::close(file) != 0) return IoCodeFromErrno(errno, true);
    return 0;
}

}  // namespace vextal
