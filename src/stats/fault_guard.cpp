#include "stats/fault_guard.h"

#include <cfenv>
#include <climits>
#include <cmath>
#include <new>

namespace vextal {

namespace {

// Maps raised flags to a code. Several flags often come together (1/0 - 1/0
// raises division by zero and invalid); the fault that produced the infinity
// comes first, so it is matched first.
int CodeForFlags(int flags, bool reportUnderflow) {
    if (flags & FE_DIVBYZERO) return CalcDivideByZero;
    if (flags & FE_OVERFLOW) return CalcOverflow;
    if (flags & FE_INVALID) return CalcInvalid;
    if (reportUnderflow && (flags & FE_UNDERFLOW)) return CalcUnderflow;
    return 0;
}

}  // namespace

int RunGuarded(const std::function<void()>& calculation, bool reportUnderflow) {
    std::fenv_t saved;
    std::feholdexcept(&saved);  // saves the environment, clears the flags, masks the traps
    int code = 0;
    try {
        calculation();
    } catch (const CalcFault& fault) {
        code = fault.Code;
    } catch (const std::bad_alloc&) {
        code = CalcOutOfMemory;
    }
    const int flags = std::fetestexcept(FE_ALL_EXCEPT);
    std::fesetenv(&saved);
    if (code == 0) code = CodeForFlags(flags, reportUnderflow);
    return code;
}

int CheckedDivide(int numerator, int denominator) {
    if (denominator == 0) throw CalcFault{CalcDivideByZero};
    if (numerator == INT_MIN && denominator == -1) throw CalcFault{CalcOverflow};
    return numerator / denominator;
}

int CheckedToInt(long double value) {
    if (std::isnan(value)) throw CalcFault{CalcInvalid};
    const long double rounded = std::nearbyint(value);
    if (rounded < static_cast<long double>(INT_MIN) || rounded > static_cast<long double>(INT_MAX))
        throw CalcFault{CalcOverflow};
    return static_cast<int>(rounded);
}

}  // namespace vextal
