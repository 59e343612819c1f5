#include "workflow/calculation_progress.h"

#include <gtest/gtest.h>

using namespace vextal;

namespace {

class FakeClock : public Clock {
public:
    long long NowMs() const override { return now; }
    long long now = 1000000;
};

struct Fixture {
    FakeClock clock;
    int messagesPumped = 0;
    int timerStarts = 0;
    CalculationProgress progress{clock, ProgressHooks{[this] { ++messagesPumped; },
                                                      [this](int ms) { timerStarts += ms == 250; }, nullptr,
                                                      nullptr}};
};

}  // namespace

TEST(CalculationProgress, BracketsSetTheProgramWideFlag) {
    Fixture f;
    EXPECT_FALSE(Calculating());
    f.progress.RequestCancel();
    f.progress.BeginCalculation();
    EXPECT_TRUE(Calculating());
    EXPECT_FALSE(f.progress.CancelRequested()) << "a new run clears an old cancel";
    EXPECT_EQ(1, f.timerStarts);
    EXPECT_TRUE(f.progress.Status().ViewerHidden);
    f.progress.EndCalculation();
    EXPECT_FALSE(Calculating());
    EXPECT_FALSE(f.progress.Status().PanelVisible);
}

TEST(CalculationProgress, StatusPanelOnlyWhenStillCalculatingAfter250ms) {
    Fixture f;
    f.progress.BeginCalculation();
    f.progress.StatusTimerFired();
    EXPECT_TRUE(f.progress.Status().PanelVisible);
    EXPECT_EQ(PleaseWaitMessage, f.progress.Status().Message);
    f.progress.EndCalculation();

    Fixture quick;
    quick.progress.BeginCalculation();
    quick.progress.EndCalculation();
    quick.progress.StatusTimerFired();  // a late tick after a short calculation
    EXPECT_FALSE(quick.progress.Status().PanelVisible);
}

TEST(ExactProgress, QuietForTwoSecondsThenEstimates) {
    Fixture f;
    f.progress.BeginCalculation();
    f.progress.BeginExactCalculation(0.0123L);
    EXPECT_EQ("   0.01230", f.progress.Status().ApproximateP);
    f.clock.now += 1500;
    EXPECT_EQ(ExactProgress::Continue, f.progress.ExactCalculationProgress(50));
    EXPECT_FALSE(f.progress.Status().LabelsVisible) << "finishing within 2 s shows nothing";
    f.clock.now += 1500;  // 3 s in
    EXPECT_EQ(ExactProgress::Continue, f.progress.ExactCalculationProgress(1));
    EXPECT_TRUE(f.progress.Status().LabelsVisible);
    EXPECT_EQ("297", f.progress.Status().SecondsText);
    EXPECT_EQ("1.0", f.progress.Status().PercentText);
    EXPECT_EQ(ExactProgressMessage, f.progress.Status().Message);
    EXPECT_GE(f.messagesPumped, 2) << "window messages pass at every call";
    f.progress.EndExactCalculation();
    f.progress.EndCalculation();
}

TEST(ExactProgress, TooLongBeyondTenMinutes) {
    Fixture f;
    f.progress.BeginExactCalculation(0.5L);
    f.clock.now += 3000;
    EXPECT_EQ(ExactProgress::TooLong, f.progress.ExactCalculationProgress(0.1L));  // 2997 s left
    Fixture edge;
    edge.progress.BeginExactCalculation(0.5L);
    edge.clock.now += 6000;
    EXPECT_EQ(ExactProgress::Continue, edge.progress.ExactCalculationProgress(1));  // 594 s
    edge.clock.now += 600;
    EXPECT_EQ(ExactProgress::TooLong, edge.progress.ExactCalculationProgress(1));  // 653.4 s
}

TEST(ExactProgress, CancelIsNoticedOnlyAfterHalfASecond) {
    Fixture f;
    f.progress.BeginCalculation();
    f.progress.BeginExactCalculation(0.5L);
    f.progress.RequestCancel();
    f.clock.now += 400;
    EXPECT_EQ(ExactProgress::Continue, f.progress.ExactCalculationProgress(10));
    f.clock.now += 200;
    EXPECT_EQ(ExactProgress::Cancelled, f.progress.ExactCalculationProgress(10));
    f.progress.EndCalculation();
}

TEST(ExactProgress, NoWorkDoneMeansNoDivision) {
    Fixture f;
    f.progress.BeginExactCalculation(0.5L);
    f.clock.now += 5000;
    EXPECT_EQ(ExactProgress::Continue, f.progress.ExactCalculationProgress(0));
    EXPECT_EQ(ExactProgress::Continue, ReportExactProgress(nullptr, 0));
}
