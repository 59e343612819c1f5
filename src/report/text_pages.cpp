#include "report/text_pages.h"

#include <algorithm>
#include <cmath>

#include "data/cell_entry.h"
#include "data/data_document.h"
#include "report/report_writer.h"

namespace vextal {

namespace {

// The first `count` characters of a UTF-8 text.
std::string FirstCharacters(const std::string& text, int count) {
    std::size_t i = 0;
    for (int seen = 0; i < text.size() && seen < count; ++seen) {
        ++i;
        while (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) ++i;
    }
    return text.substr(0, i);
}

std::string Fit(const std::string& text, int width, bool right) {
    const std::string cut = DisplayLength(text) > width ? FirstCharacters(text, width) : text;
    const std::string blanks(static_cast<std::size_t>(std::max(0, width - DisplayLength(cut))), ' ');
    return right ? blanks + cut : cut + blanks;
}

std::string TrimRight(std::string line) {
    line.erase(line.find_last_not_of(' ') + 1);
    return line;
}

std::string CountText(long double value) { return IsMissing(value) ? std::string() : FormatGridCell(value, 0); }

long double SumOrMissing(long double a, long double b) {
    return IsMissing(a) || IsMissing(b) ? MissingValue : a + b;
}

TextTable TwoByTwoText(const TwoByTwoTable& t) {
    TextTable table;
    table.Rows = {
        {"", t.Column1Title, t.Column2Title, "Total"},
        {t.Row1Title, CountText(t.A), CountText(t.B), CountText(SumOrMissing(t.A, t.B))},
        {t.Row2Title, CountText(t.C), CountText(t.D), CountText(SumOrMissing(t.C, t.D))},
        {"Total", CountText(SumOrMissing(t.A, t.C)), CountText(SumOrMissing(t.B, t.D)),
         CountText(SumOrMissing(SumOrMissing(t.A, t.B), SumOrMissing(t.C, t.D)))},
    };
    return table;
}

}  // namespace

std::vector<TextPage> TablePages(const TextTable& table, int width, int height) {
    std::vector<TextPage> pages;
    if (table.Rows.empty()) return pages;
    width = std::max(width, 1);
    std::size_t columns = 0;
    for (const auto& row : table.Rows) columns = std::max(columns, row.size());
    if (columns == 0) columns = 1;

    const auto cell = [&](std::size_t row, std::size_t column) -> const std::string& {
        static const std::string empty;
        const auto& cells = table.Rows[row];
        return column < cells.size() ? cells[column] : empty;
    };
    std::vector<int> widths(columns, 0);
    for (std::size_t row = 0; row < table.Rows.size(); ++row)
        for (std::size_t column = 0; column < columns; ++column)
            widths[column] = std::max(widths[column], DisplayLength(cell(row, column)));
    widths[0] = std::min(widths[0], width);
    const int room = std::max(1, width - widths[0] - PrintedColumnGap);
    for (std::size_t column = 1; column < columns; ++column) widths[column] = std::min(widths[column], room);

    // Bands of columns that fit beside column 0.
    std::vector<std::pair<std::size_t, std::size_t>> bands;
    for (std::size_t first = 1; first < columns;) {
        std::size_t last = first;
        int used = widths[0] + PrintedColumnGap + widths[first];
        while (last + 1 < columns && used + PrintedColumnGap + widths[last + 1] <= width) {
            ++last;
            used += PrintedColumnGap + widths[last];
        }
        bands.emplace_back(first, last + 1);
        first = last + 1;
    }
    if (bands.empty()) bands.emplace_back(1, 1);

    const std::size_t headerRows = std::min<std::size_t>(static_cast<std::size_t>(std::max(table.HeaderRows, 0)),
                                                         table.Rows.size());
    const std::size_t bodyPerPage =
        static_cast<std::size_t>(std::max(1, height - static_cast<int>(headerRows)));
    const auto line = [&](std::size_t row, std::pair<std::size_t, std::size_t> band) {
        std::string text = Fit(cell(row, 0), widths[0], false);
        for (std::size_t column = band.first; column < band.second; ++column)
            text += std::string(PrintedColumnGap, ' ') + Fit(cell(row, column), widths[column], true);
        return TrimRight(text);
    };
    for (const auto& band : bands) {
        std::size_t row = headerRows;
        do {
            TextPage page;
            for (std::size_t header = 0; header < headerRows; ++header) page.push_back(line(header, band));
            for (std::size_t n = 0; n < bodyPerPage && row < table.Rows.size(); ++n, ++row)
                page.push_back(line(row, band));
            pages.push_back(std::move(page));
        } while (row < table.Rows.size());
    }
    return pages;
}

std::vector<TextPage> LinePages(const std::vector<std::string>& lines, int height) {
    const std::size_t perPage = static_cast<std::size_t>(std::max(1, height));
    std::vector<TextPage> pages;
    for (std::size_t first = 0; first < lines.size(); first += perPage)
        pages.emplace_back(lines.begin() + static_cast<std::ptrdiff_t>(first),
                           lines.begin() + static_cast<std::ptrdiff_t>(std::min(lines.size(), first + perPage)));
    return pages;
}

TextTable DataTableText(const DataDocument& document) {
    if (document.State.Format == DataFormat::TwoByTwo) return TwoByTwoText(document.TwoByTwo);
    const DataTable& data = document.Table;
    const int lastColumn = std::clamp(data.LastColumn, 0, DataColumnCount - 1);
    const int lastRow = std::clamp(data.LastRow, 0, UserRowCount - 1);
    TextTable table;
    std::vector<std::string> headers{""};
    std::vector<std::string> titles{""};
    bool anyTitle = false;
    for (int column = 0; column <= lastColumn; ++column) {
        headers.push_back(GridColumnHeader(document.State.Format, column));
        titles.push_back(data.ColumnInfo[column].Title);
        anyTitle = anyTitle || !titles.back().empty();
    }
    table.Rows.push_back(std::move(headers));
    if (anyTitle) table.Rows.push_back(std::move(titles));
    table.HeaderRows = static_cast<int>(table.Rows.size());
    for (int row = 0; row <= lastRow; ++row) {
        std::vector<std::string> cells;
        cells.push_back(static_cast<std::size_t>(row) < data.RowTitles.size() ? data.RowTitles[row]
                                                                             : DefaultRowTitle(row));
        for (int column = 0; column <= lastColumn; ++column) {
            std::string text = GridCellText(data, row, column);
            if (!text.empty() && IsExcluded(data, row, column)) text = "*" + text;
            cells.push_back(std::move(text));
        }
        table.Rows.push_back(std::move(cells));
    }
    return table;
}

std::string StatisticText(long double value) {
    if (IsMissing(value)) return {};
    int decimals = 4;
    if (value != 0 && std::isfinite(value))
        decimals = std::clamp(4 - static_cast<int>(std::floor(std::log10(std::fabs(value)))), 0, 6);
    return FormatGridCell(value, decimals);
}

TextTable StatsTableText(const DataDocument& document) {
    const DataTable& data = document.Table;
    const bool errorIsSD = document.State.ErrorBars == ErrorBarKind::SD;
    const bool detailed =
        document.State.Format == DataFormat::RawData || document.State.Format == DataFormat::MultRegData;
    const int rows = detailed ? 16 : 8;
    std::vector<std::string> captions(static_cast<std::size_t>(rows));
    captions[0] = "Col. title";
    captions[1] = "Mean";
    captions[2] = errorIsSD ? "Standard deviation (SD)" : "SEM";
    captions[3] = "Sample size (N)";
    captions[5] = errorIsSD ? "Std. error of mean(SEM)" : "SD";
    captions[6] = "Lower 95% conf. limit";
    captions[7] = "Upper 95% conf. limit";
    if (detailed) {
        captions[9] = "Minimum";
        captions[10] = "Median (50th percentile)";
        captions[11] = "Maximum";
        captions[13] = "Normality test KS";
        captions[14] = "Normality test P value";
        captions[15] = "Passed normality test?";
    }
    TextTable table;
    table.Rows.emplace_back(1, "");
    for (const std::string& caption : captions) table.Rows.push_back({caption});
    const int lastColumn = std::clamp(LastColumnWithData(data), 0, DataColumnCount - 1);
    for (int column = 0; column <= lastColumn; ++column) {
        const ColumnInfo& info = data.ColumnInfo[column];
        const bool hasData = info.N > 0;
        const auto statistic = [&](long double value) { return hasData ? StatisticText(value) : std::string(); };
        table.Rows[0].push_back(GridColumnHeader(document.State.Format, column));
        std::vector<std::string> texts(static_cast<std::size_t>(rows));
        texts[0] = info.Title;
        texts[1] = StatisticText(info.Mean);
        texts[2] = StatisticText(errorIsSD ? info.SD : info.SEM);
        texts[3] = hasData ? std::to_string(info.N) : std::string();
        texts[5] = StatisticText(errorIsSD ? info.SEM : info.SD);
        texts[6] = statistic(info.LowerCI);
        texts[7] = statistic(info.UpperCI);
        if (detailed) {
            texts[9] = statistic(info.Minimum);
            texts[10] = statistic(info.Median);
            texts[11] = statistic(info.Maximum);
            texts[13] = statistic(info.KSDistance);
            texts[14] = statistic(info.NormalityP);
            if (hasData && !IsMissing(info.NormalityP)) texts[15] = info.Passed ? "Yes" : "No";
        }
        for (int row = 0; row < rows; ++row) table.Rows[static_cast<std::size_t>(row) + 1].push_back(texts[row]);
    }
    return table;
}

}  // namespace vextal
