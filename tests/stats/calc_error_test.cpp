#include "stats/calc_error.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cfloat>
#include <cmath>
#include <string>

#include "report/report_writer.h"
#include "stats/fault_guard.h"

using namespace vextal;

namespace {

// Values the optimiser cannot see through.
volatile long double Zero = 0;
volatile long double One = 1;
volatile long double MinusOne = -1;
volatile long double Huge = LDBL_MAX;
volatile double HugeDouble = DBL_MAX;

std::string Message(int code) {
    ReportWriter w;
    w.write_line("partial report that must disappear");
    report_calc_error(w, code);
    return w.Text();
}

}  // namespace

TEST(FaultGuard, MapsEachFloatingPointFaultToItsCode) {
    long double out = 0;
    EXPECT_EQ(0, RunGuarded([&] { out = One / 3; }));
    EXPECT_EQ(2, RunGuarded([&] { out = One / Zero; }));
    EXPECT_EQ(5, RunGuarded([&] { out = Zero / Zero; }));
    EXPECT_EQ(5, RunGuarded([&] { out = std::sqrt(MinusOne); }));
    EXPECT_EQ(2, RunGuarded([&] { out = std::log(Zero); }));
    EXPECT_EQ(4, RunGuarded([&] { out = Huge * 2; }));
    EXPECT_EQ(4, RunGuarded([&] { out = std::exp(One * 1e6L); }));
    EXPECT_EQ(4, RunGuarded([&] { out = HugeDouble * 2.0; })) << "SSE arithmetic too";
    EXPECT_EQ(5, RunGuarded([&] { out = std::sqrt(static_cast<double>(MinusOne)); }));
}

TEST(FaultGuard, FirstFaultWinsWhenSeveralFlagsAreRaised) {
    long double out = 0;
    // inf - inf: the division by zero made the infinity, the subtraction is invalid.
    EXPECT_EQ(2, RunGuarded([&] { out = One / Zero - One / Zero; }));
    EXPECT_EQ(4, RunGuarded([&] { out = (Huge * 2) - (Huge * 2); }));
}

TEST(FaultGuard, UnderflowOnlyWhereEnabled) {
    long double out = 0;
    EXPECT_EQ(0, RunGuarded([&] { out = LDBL_MIN * (One / 1e10L); }));
    EXPECT_EQ(3, RunGuarded([&] { out = LDBL_MIN * (One / 1e10L); }, true));
}

TEST(FaultGuard, IntegerFaultsAndMemory) {
    int out = 0;
    EXPECT_EQ(2, RunGuarded([&] { out = CheckedDivide(7, static_cast<int>(Zero)); }));
    EXPECT_EQ(4, RunGuarded([&] { out = CheckedToInt(1e12L); }));
    EXPECT_EQ(5, RunGuarded([&] { out = CheckedToInt(std::nanl("")); }));
    EXPECT_EQ(0, RunGuarded([&] { out = CheckedToInt(2147483647.0L); }));
    EXPECT_EQ(10, RunGuarded([&] { throw std::bad_alloc(); }));
    EXPECT_THROW(RunGuarded([&] { throw std::runtime_error("other"); }), std::runtime_error);
}

TEST(FaultGuard, LeavesNoFlagsOrTrapsBehind) {
    long double out = 0;
    RunGuarded([&] { out = One / Zero; });
    std::feclearexcept(FE_ALL_EXCEPT);
    EXPECT_EQ(0, RunGuarded([&] { out = One + One; }));
    EXPECT_EQ(2.0L, out);
}

TEST(CalcErrorMessages, ReplaceTheReportWordForWord) {
    EXPECT_EQ("\r\nDivide by zero.  A computation has divided a number by zero\r\n"
              "which is illegal.  This may be caused by unusual data or an\r\n"
              "unanticipated circumstance.\r\n\r\n",
              Message(2));
    EXPECT_EQ("\r\nIt is not possible to analyze your data because one column's SD is zero.\r\n\r\n", Message(40));
    EXPECT_EQ("\r\nInvalid floating point operation.  This unanticipated error\r\n"
              "may arise from a number of possibilities.  Please notify\r\n"
              "Corvanta of the problem along with the data set so that the\r\n"
              "problem can be reproduced and corrected.\r\n\r\n",
              Message(5));
    EXPECT_EQ("\r\nStandard deviations are all zero. ANOVA requires at least one\r\n"
              "column's standard deviation to be nonzero.\r\n\r\n",
              Message(13));
}

TEST(CalcErrorMessages, EveryCodeInUseHasLinesThatFitALine) {
    for (int code : {2, 3, 4, 5, 10, 11, 12, 13, 15, 30, 31, 32, 33, 34, 36, 37, 38, 39, 40, 41, 42, 43, 44, 45,
                     46, 47, 49, 50}) {
        ASSERT_FALSE(CalcErrorMessage(code).empty()) << code;
        for (auto line : CalcErrorMessage(code)) EXPECT_LE(line.size(), 80u) << code;
    }
}

TEST(CalcErrorMessages, UnknownCodesLeaveTwoEmptyLinesAndZeroLeavesTheReport) {
    EXPECT_EQ("\r\n\r\n", Message(1));
    EXPECT_EQ("\r\n\r\n", Message(20));
    EXPECT_EQ("partial report that must disappear\r\n", Message(0));
    EXPECT_EQ("partial report that must disappear\r\n", Message(-3));
}

TEST(AnalysisFrame, ChecksComeFirstAndFaultsDiscardThePartialReport) {
    ReportWriter w;
    int calcError = 99;
    bool calculated = false;
    EXPECT_EQ(40, RunAnalysisFrame(w, calcError, [] { return 40; }, [&] { calculated = true; }));
    EXPECT_FALSE(calculated);
    EXPECT_EQ(40, calcError);

    ReportWriter faulty;
    long double out = 0;
    EXPECT_EQ(2, RunAnalysisFrame(faulty, calcError, [] { return 0; }, [&] {
                  faulty.write_line("Mean = 3");
                  out = One / Zero;
              }));
    EXPECT_EQ(std::string::npos, faulty.Text().find("Mean")) << "the partial report is discarded";
    EXPECT_EQ(0u, faulty.Text().find("\r\nDivide by zero."));

    ReportWriter good;
    EXPECT_EQ(0, RunAnalysisFrame(good, calcError, nullptr, [&] { good.write_line("ok"); }));
    EXPECT_EQ(0, calcError);
    EXPECT_EQ("ok\r\n", good.Text());
}
