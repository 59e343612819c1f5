// Decimal text of extended values.
//
// FormatFixed and FormatScientific4 round the exact decimal expansion of the
// binary value, so an exact decimal tie (2.5, 0.125) is recognised as such and
// rounded away from zero, while every other value is rounded correctly. The
// expansion is exact because a value m * 2^-k (m odd) has exactly k decimals;
// std::to_chars with that precision therefore writes it without rounding.
// FormatExact takes the shortest round-trip digits of std::to_chars.
#include "data/number_text.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>

namespace vextal {
namespace {

// More decimals than this only append zeros to the exact expansion of any
// extended value (the smallest one has 16445 decimals).
constexpr int MaxDecimals = 20000;

struct ExactDecimal {
    std::string integerDigits;   // at least "0"
    std::string fractionDigits;  // no trailing zeros
};

// Number of binary fraction digits of a finite positive value, which is also
// the number of decimals of its exact expansion.
int FractionBits(long double magnitude) {
    int exponent = 0;
    const long double fraction = std::frexp(magnitude, &exponent);
    auto mantissa = static_cast<std::uint64_t>(std::ldexp(fraction, 64));
    int lowestBit = exponent - 64 + std::countr_zero(mantissa);
    return lowestBit < 0 ? -lowestBit : 0;
}

ExactDecimal ExpandExactly(long double magnitude) {
    if (magnitude == 0) return {"0", ""};
    const int decimals = FractionBits(magnitude);
    std::string buffer(static_cast<std::size_t>(decimals) + 4960, '\0');
    auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), magnitude,
                                std::chars_format::fixed, decimals);
    buffer.resize(static_cast<std::size_t>(result.ptr - buffer.data()));
    const auto point = buffer.find('.');
    if (point == std::string::npos) return {buffer, ""};
    ExactDecimal exact{buffer.substr(0, point), buffer.substr(point + 1)};
    while (!exact.fractionDigits.empty() && exact.fractionDigits.back() == '0')
        exact.fractionDigits.pop_back();
    return exact;
}

// Adds one unit in the last place of a digit string; true when the carry
// runs out of the front (all nines became zeros).
bool IncrementDigits(std::string& digits) {
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
        if (*it != '9') {
            ++*it;
            return false;
        }
        *it = '0';
    }
    return true;
}

std::string NonFiniteText(long double x) {
    if (std::isnan(x)) return "NAN";
    return x < 0 ? "-INF" : "INF";
}

std::string ExponentText(long long exponent) {
    std::string text = exponent < 0 ? "-" : "+";
    const std::string digits = std::to_string(exponent < 0 ? -exponent : exponent);
    if (digits.size() < 2) text += '0';
    return text + digits;
}

}  // namespace

std::string FormatFixed(long double x, int decimals) {
    if (!std::isfinite(x)) return NonFiniteText(x);
    decimals = decimals < 0 ? 0 : (decimals > MaxDecimals ? MaxDecimals : decimals);
    const auto count = static_cast<std::size_t>(decimals);

    ExactDecimal exact = ExpandExactly(std::fabs(x));
    std::string digits = exact.integerDigits;
    std::string& fraction = exact.fractionDigits;
    bool roundUp = false;
    if (fraction.size() > count) {
        // The expansion is exact, so the next digit alone decides; "5" with
        // or without more digits behind it rounds away from zero.
        roundUp = fraction[count] >= '5';
        fraction.resize(count);
    } else {
        fraction.append(count - fraction.size(), '0');
    }
    digits += fraction;
    if (roundUp && IncrementDigits(digits)) digits.insert(digits.begin(), '1');

    std::string text = x < 0 ? "-" : "";
    text.append(digits, 0, digits.size() - count);
    if (decimals > 0) {
        text += '.';
        text.append(digits, digits.size() - count, count);
    }
    return text;
}

std::string FormatScientific4(long double x) {
    if (!std::isfinite(x)) return NonFiniteText(x);
    if (x == 0) return "0.000E+00";

    const ExactDecimal exact = ExpandExactly(std::fabs(x));
    const std::string all = exact.integerDigits + exact.fractionDigits;
    const std::size_t first = all.find_first_not_of('0');
    long long exponent = static_cast<long long>(exact.integerDigits.size()) -
                         static_cast<long long>(first) - 1;

    std::string significant = all.substr(first, 4);
    significant.append(4 - significant.size(), '0');
    const char next = first + 4 < all.size() ? all[first + 4] : '0';
    if (next >= '5' && IncrementDigits(significant)) {
        significant = "1000";
        ++exponent;
    }

    std::string text = x < 0 ? "-" : "";
    text += significant[0];
    text += '.';
    text.append(significant, 1, 3);
    return text + "E" + ExponentText(exponent);
}

std::string FormatExact(long double x) {
    if (!std::isfinite(x)) return NonFiniteText(x);
    if (x == 0) return "0";

    // Shortest round-trip digits in the form d[.ddd]e(+|-)xx.
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(x),
                                std::chars_format::scientific);
    const std::string_view shortest(buffer, static_cast<std::size_t>(result.ptr - buffer));
    const auto e = shortest.find('e');
    std::string digits;
    for (char c : shortest.substr(0, e))
        if (c != '.') digits += c;
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
    std::string_view exponentText = shortest.substr(e + 1);
    if (!exponentText.empty() && exponentText.front() == '+') exponentText.remove_prefix(1);
    long long exponent = 0;
    std::from_chars(exponentText.data(), exponentText.data() + exponentText.size(), exponent);

    std::string text = x < 0 ? "-" : "";
    const long double magnitude = std::fabs(x);
    if (magnitude > 0.0001L && magnitude <= 10000000.0L) {
        if (exponent < 0) {
            text += "0.";
            text.append(static_cast<std::size_t>(-exponent - 1), '0');
            text += digits;
        } else {
            const auto integerCount = static_cast<std::size_t>(exponent) + 1;
            if (digits.size() <= integerCount) {
                text += digits;
                text.append(integerCount - digits.size(), '0');
            } else {
                text.append(digits, 0, integerCount);
                text += '.';
                text.append(digits, integerCount);
            }
        }
        return text;
    }
    text += digits[0];
    if (digits.size() > 1) {
        text += '.';
        text.append(digits, 1);
    }
    return text + "E" + ExponentText(exponent);
}

}  // namespace vextal
