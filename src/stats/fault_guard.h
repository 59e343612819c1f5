// The fault guard every analysis runs its calculation in.
//
// Floating-point faults are detected from the status flags: the guard clears
// them, runs the calculation with all traps masked, and reads them afterwards
// (traps through SIGFPE are unreliable for x87 code and inside libm). Integer
// faults, which C++ does not trap, are reported by throwing CalcFault from an
// explicit check at the place they would happen.
#pragma once

#include <functional>

namespace vextal {

/// Calculation error codes raised by the guard itself.
inline constexpr int CalcDivideByZero = 2;
inline constexpr int CalcUnderflow = 3;
inline constexpr int CalcOverflow = 4;
inline constexpr int CalcInvalid = 5;
inline constexpr int CalcOutOfMemory = 10;

/// Thrown by explicit checks inside a guarded calculation (integer overflow,
/// integer division by zero) with the code to report.
struct CalcFault {
    int Code;
};

/// Runs `calculation` and returns 0, or the code of the first fault it met:
/// division by zero 2, overflow 4, invalid operation 5, underflow 3 (only when
/// `reportUnderflow`), a CalcFault's own code, running out of memory 10.
/// The calculation must deliver its results through references or objects it
/// was given, so that no floating-point operation can be moved past the test.
int RunGuarded(const std::function<void()>& calculation, bool reportUnderflow = false);

/// Integer division with the guard's semantics: a zero divisor throws
/// CalcFault{2}; INT_MIN / -1 throws CalcFault{4}.
int CheckedDivide(int numerator, int denominator);
/// Rounds a real to the nearest 32-bit integer, throwing CalcFault{4} when it is out
/// of range and CalcFault{5} when it is not a number.
int CheckedToInt(long double value);

}  // namespace vextal
