#include "data/cell_format.h"

#include <locale.h>
#include <stdlib.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

namespace vextal {
namespace {

// An extended value has no significant digits this far behind the point in
// the fixed form (which is only used down to 0.0001).
constexpr int MaxCellDecimals = 30;
// Digit counts are capped so that their sums cannot overflow.
constexpr int MaxDigitCount = 100000;
constexpr int MaxCountedDigits = 14;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

bool UsesScientificForm(long double value) {
    const long double magnitude = std::fabs(value);
    return value != 0 && (magnitude > 10000000.0L || magnitude <= 0.0001L);
}

bool ShowsZero(std::string_view text) {
    return std::none_of(text.begin(), text.end(), [](char c) { return c >= '1' && c <= '9'; });
}

// Optional sign, digits with an optional fraction (at least one digit in
// all), optional exponent with at least one digit, and nothing more.
bool IsDecimalNumber(std::string_view text) {
    std::size_t pos = 0;
    auto digits = [&] {
        const std::size_t start = pos;
        while (pos < text.size() && IsDigit(text[pos])) ++pos;
        return pos - start;
    };
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) ++pos;
    std::size_t mantissaDigits = digits();
    if (pos < text.size() && text[pos] == '.') {
        ++pos;
        mantissaDigits += digits();
    }
    if (mantissaDigits == 0) return false;
    if (pos < text.size() && (text[pos] == 'E' || text[pos] == 'e')) {
        ++pos;
        if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) ++pos;
        if (digits() == 0) return false;
    }
    return pos == text.size();
}

// std::from_chars reports values below the normal range as out of range
// without giving them; strtold in the "C" locale rounds them correctly.
bool ConvertTinyOrHuge(const std::string& number, long double& value) {
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    if (cLocale == static_cast<locale_t>(0)) return false;
    const long double converted = strtold_l(number.c_str(), nullptr, cLocale);
    if (!std::isfinite(converted)) return false;
    value = converted;
    return true;
}

// The signed exponent after an exponent mark, capped at +-MaxDigitCount;
// 0 when no digits follow.
int ExponentAfter(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    int exponent = 0;
    for (char c : text) {
        if (!IsDigit(c)) break;
        exponent = std::min(exponent * 10 + (c - '0'), MaxDigitCount);
    }
    return negative ? -exponent : exponent;
}

int CappedCount(std::size_t count) {
    return static_cast<int>(std::min<std::size_t>(count, MaxDigitCount));
}

}  // namespace

std::string FormatCell(const DataTable& table, int column, long double value, bool excluded,
                       bool forFile, bool stripZeros) {
    if (IsMissing(value)) return "";
    std::string text;
    if (forFile) {
        text = FormatExact(value);
    } else if (UsesScientificForm(value)) {
        text = FormatScientific4(value);
    } else {
        int decimals = 0;
        if (column >= 0 && column < DataColumnCount) {
            decimals = table.ColumnFormat[column] >= 0 ? table.ColumnFormat[column]
                                                       : table.AutoDecimals[column];
        }
        text = FormatFixed(value, std::clamp(decimals, 0, MaxCellDecimals));
        if (stripZeros && text.find('.') != std::string::npos) {
            while (text.back() == '0') text.pop_back();
            if (text.back() == '.') text.pop_back();
        }
        if (text.front() == '-' && ShowsZero(text)) text.erase(0, 1);
    }
    return excluded ? "*" + text : text;
}

std::string FormatStatistic(long double value) {
    return IsMissing(value) ? "" : FormatExact(value);
}

bool ParseNumber(std::string_view text, const NumberSettings& settings, long double& value) {
    text = Trim(text);
    if (text.empty()) {
        value = 0;
        return true;
    }
    std::string number(text);
    const char separator = settings.DecimalSeparator;
    const bool usableSeparator = !IsDigit(separator) && !IsBlank(separator) &&
                                 separator != '+' && separator != '-' && separator != 'E' &&
                                 separator != 'e' && separator != '\0';
    if (const auto at = number.find(separator); usableSeparator && at != std::string::npos) {
        if (at + 1 == number.size())
            number.erase(at);
        else
            number[at] = '.';
    }
    if (!IsDecimalNumber(number)) return false;

    // from_chars takes no "+" sign.
    const char* first = number.data() + (number.front() == '+' ? 1 : 0);
    const char* last = number.data() + number.size();
    long double converted = 0;
    const auto result = std::from_chars(first, last, converted, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) return ConvertTinyOrHuge(number, value);
    if (result.ec != std::errc() || result.ptr != last || !std::isfinite(converted)) return false;
    value = converted;
    return true;
}

int CountDecimals(std::string_view text, const NumberSettings& settings) {
    text = Trim(text);
    if (const auto mark = text.find_first_of("Ee"); mark != std::string_view::npos) {
        const int exponent = ExponentAfter(text.substr(mark + 1));
        return exponent < 0 ? -exponent : 0;
    }
    auto point = text.find('.');
    if (point == std::string_view::npos) point = text.find(settings.DecimalSeparator);
    if (point == std::string_view::npos) return 0;
    return CappedCount(text.size() - point - 1);
}

int CountIntegerDigits(std::string_view text) {
    text = Trim(text);
    const auto end = text.find_first_of(".Ee");
    const int count = CappedCount(end == std::string_view::npos ? text.size() : end);
    const auto mark = text.find_first_of("Ee");
    if (mark == std::string_view::npos) return count;
    return std::max(1, count + ExponentAfter(text.substr(mark + 1)));
}

bool RaiseAutoDecimals(DataTable& table, int column, std::string_view text,
                       const NumberSettings& settings) {
    if (column < 0 || column >= DataColumnCount) return false;
    const int decimals = CountDecimals(text, settings);
    if (CountIntegerDigits(text) + decimals > MaxCountedDigits) return false;
    if (decimals <= table.AutoDecimals[column]) return false;
    table.AutoDecimals[column] = decimals;
    return true;
}

}  // namespace vextal
