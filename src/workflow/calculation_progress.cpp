#include "workflow/calculation_progress.h"

#include <cmath>

#include "data/number_text.h"

namespace vextal {

namespace {

// The program-wide flag: the number of document windows calculating.
int calculatingWindows = 0;

std::string RightAligned(std::string text, std::size_t width) {
    if (text.size() < width) text.insert(0, width - text.size(), ' ');
    return text;
}

}  // namespace

bool Calculating() { return calculatingWindows > 0; }

CalculationProgress::CalculationProgress(const Clock& clock, ProgressHooks hooks)
    : clock_(clock), hooks_(std::move(hooks)) {}

CalculationProgress::~CalculationProgress() {
    if (calculating_) --calculatingWindows;
}

void CalculationProgress::Changed() {
    if (hooks_.StatusChanged) hooks_.StatusChanged(status_);
}

void CalculationProgress::BeginCalculation() {
    status_.BusyCursor = true;
    if (!calculating_) ++calculatingWindows;
    calculating_ = true;
    if (hooks_.StartStatusTimer) hooks_.StartStatusTimer(StatusTimerMs);
    cancelRequested_ = false;
    status_.ViewerHidden = true;
    Changed();
}

void CalculationProgress::EndCalculation() {
    status_.MessageVisible = false;
    status_.CancelVisible = false;
    status_.PanelVisible = false;
    status_.LabelsVisible = false;
    status_.ViewerHidden = false;
    if (calculating_) --calculatingWindows;
    calculating_ = false;
    status_.BusyCursor = false;
    if (hooks_.StopStatusTimer) hooks_.StopStatusTimer();
    Changed();
}

void CalculationProgress::StatusTimerFired() {
    if (hooks_.StopStatusTimer) hooks_.StopStatusTimer();
    if (!calculating_) return;
    status_.PanelVisible = true;
    status_.Message = PleaseWaitMessage;
    status_.MessageVisible = true;
    status_.CancelCaption = CancelExactCaption;
    status_.CancelVisible = true;
    Changed();
}

void CalculationProgress::BeginExactCalculation(long double approximateP) {
    if (hooks_.StopStatusTimer) hooks_.StopStatusTimer();
    startTick_ = lastUpdateTick_ = clock_.NowMs();
    status_.ApproximateP = RightAligned(FormatFixed(approximateP, 5), 10);
    status_.PercentText.clear();
    status_.SecondsText.clear();
    status_.PanelVisible = true;
    status_.CancelCaption = CancelExactCaption;
    status_.CancelVisible = true;
    status_.Message = PleaseWaitMessage;
    status_.MessageVisible = false;
    status_.LabelsVisible = false;
    Changed();
}

ExactProgress CalculationProgress::ExactCalculationProgress(long double percentDone) {
    if (hooks_.ProcessMessages) hooks_.ProcessMessages();
    const long long now = clock_.NowMs();
    if (now - lastUpdateTick_ <= ProgressUpdateMs) return ExactProgress::Continue;
    if (cancelRequested_) return ExactProgress::Cancelled;
    const long long elapsed = std::llabs(now - startTick_);
    if (elapsed <= ProgressQuietMs) return ExactProgress::Continue;
    lastUpdateTick_ = now;
    const long double done = std::fabs(percentDone);
    // Nothing done yet (or no estimate): no basis for a forecast.
    if (!(done > 0)) return ExactProgress::Continue;
    const long double remainingMs = std::trunc(elapsed * (100 - done) / done);
    // Whole seconds left above the limit: at least (limit + 1) * 1000 ms.
    if (remainingMs >= (MaxRemainingSeconds + 1) * 1000.0L) return ExactProgress::TooLong;
    const long long remainingSeconds = static_cast<long long>(remainingMs) / 1000;
    status_.Message = ExactProgressMessage;
    status_.MessageVisible = true;
    status_.LabelsVisible = true;
    status_.PercentText = RightAligned(FormatFixed(percentDone, 1), 3);
    status_.SecondsText = std::to_string(remainingSeconds);
    Changed();
    return ExactProgress::Continue;
}

void CalculationProgress::EndExactCalculation() {
    status_.CancelVisible = false;
    status_.MessageVisible = false;
    status_.LabelsVisible = false;
    if (hooks_.StopStatusTimer) hooks_.StopStatusTimer();
    Changed();
}

}  // namespace vextal
