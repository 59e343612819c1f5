#include "report/number_format.h"

#include <cmath>

#include "data/number_text.h"

namespace vextal {

namespace {

std::string RightAligned(std::string text, int w) {
    if (static_cast<int>(text.size()) < w) text.insert(0, static_cast<std::size_t>(w) - text.size(), ' ');
    return text;
}

constexpr int ScientificFieldWidth = 12;

bool UsesScientificForm(long double x) {
    const long double magnitude = std::fabs(x);
    return !IsMissing(x) && x != 0 && (magnitude > 10000000.0L || magnitude <= 0.0001L);
}

bool ReadsAsZero(const std::string& text) {
    for (char c : text)
        if (c >= '1' && c <= '9') return false;
    return true;
}

}  // namespace

std::string format_real(int w, int decimals, long double x) {
    if (IsMissing(x)) return RightAligned("", w);
    std::string text;
    if (UsesScientificForm(x)) {
        text = FormatScientific4(x);
    } else {
        text = FormatFixed(x, decimals < 0 ? 0 : decimals);
        if (!text.empty() && text[0] == '-' && ReadsAsZero(text)) text = FormatFixed(0, decimals < 0 ? 0 : decimals);
    }
    return RightAligned(std::move(text), w);
}

int DigitRuleExponent(long double x) {
    if (x == 0 || !std::isfinite(x)) return 1;
    // The truncation of log10|x| + 10000, less 10000, is the floor for any
    // exponent an extended value can have.
    return static_cast<int>(std::trunc(std::log10(std::fabs(x)) + 10000.0L)) - 10000;
}

int DigitRuleDecimals(int digits, long double x) {
    if (digits >= 0) return digits;
    const int significant = -digits;
    const int e = DigitRuleExponent(x);
    if (e <= 0) return significant - e - 2;
    const int decimals = significant - e - 1;
    return decimals < 0 ? 0 : decimals;
}

std::string FormatDigits(int digits, long double x) {
    const int decimals = DigitRuleDecimals(digits, x);
    const int e = DigitRuleExponent(x);
    int width = decimals + 2 + (e > 1 ? e : 0);
    // The width grows with the exponent; for values shown in scientific form
    // beyond 1E+10 or below 1E-07 it would push the number past the 80
    // characters a report line keeps. Such values keep the width of a
    // scientific field.
    if (UsesScientificForm(x) && width > ScientificFieldWidth) width = ScientificFieldWidth;
    return format_real(width, decimals, x);
}

std::string FormatDigitsWidth(int w, int digits, long double x) {
    return format_real(w, DigitRuleDecimals(digits, x), x);
}

}  // namespace vextal
