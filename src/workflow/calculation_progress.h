// Progress and cancellation of long calculations.
//
// Every analysis runs on the user-interface thread. BeginCalculation and
// EndCalculation bracket a run and set the program-wide Calculating flag,
// which commands check to ignore themselves meanwhile. The exact P-value
// enumerations call ExactCalculationProgress, which lets pending window
// messages through, notices a cancel, shows how far the work is, and gives
// up on work that would need more than ten minutes more.
//
// The window side (cursor, status panel, timer, message pump) plugs in
// through ProgressHooks; the clock through Clock, so tests drive time.
#pragma once

#include <chrono>
#include <functional>
#include <string>

namespace vextal {

/// True between BeginCalculation and EndCalculation of any document.
bool Calculating();

enum class ExactProgress : int { Cancelled = 0, Continue = 1, TooLong = 2 };

/// Milliseconds from a monotonic clock.
class Clock {
public:
    virtual ~Clock() = default;
    virtual long long NowMs() const = 0;
};

class SteadyClock final : public Clock {
public:
    long long NowMs() const override {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
};

/// What the status panel of a document window shows.
struct StatusPanelState {
    bool PanelVisible = false;
    bool CancelVisible = false;
    bool MessageVisible = false;
    bool LabelsVisible = false;  // "Approximate P = ", "Percentage Done = ", "Seconds Left = " and values
    bool ViewerHidden = false;   // the results viewer is hidden while calculating
    bool BusyCursor = false;
    std::string Message;
    std::string CancelCaption;
    std::string ApproximateP;  // width 10, 5 decimals
    std::string PercentText;   // width 3, 1 decimal
    std::string SecondsText;
};

/// Window-side actions; any may be left empty.
struct ProgressHooks {
    std::function<void()> ProcessMessages;        // let pending window messages through
    std::function<void(int ms)> StartStatusTimer;  // one-shot; calls StatusTimerFired when it fires
    std::function<void()> StopStatusTimer;
    std::function<void(const StatusPanelState&)> StatusChanged;
};

inline constexpr int StatusTimerMs = 250;
inline constexpr long long ProgressUpdateMs = 500;
inline constexpr long long ProgressQuietMs = 2000;
inline constexpr long long MaxRemainingSeconds = 600;

inline constexpr const char* PleaseWaitMessage = "Performing calculations, please wait...";
inline constexpr const char* ExactProgressMessage =
    "Calculating exact P value. Click Cancel to use approximate P value.";
inline constexpr const char* CancelExactCaption = "Cancel exact calculations. Display approximate answer.";

/// The progress state of one document window.
class CalculationProgress {
public:
    explicit CalculationProgress(const Clock& clock, ProgressHooks hooks = {});
    ~CalculationProgress();
    CalculationProgress(const CalculationProgress&) = delete;
    CalculationProgress& operator=(const CalculationProgress&) = delete;

    void BeginCalculation();
    void EndCalculation();
    /// The 250 ms status timer fired: shows the panel if still calculating.
    void StatusTimerFired();

    void BeginExactCalculation(long double approximateP);
    /// Called by an enumeration with the percentage of its work done.
    ExactProgress ExactCalculationProgress(long double percentDone);
    void EndExactCalculation();

    /// The cancel button (or Exit while calculating).
    void RequestCancel() { cancelRequested_ = true; }
    bool CancelRequested() const { return cancelRequested_; }
    bool IsCalculating() const { return calculating_; }
    const StatusPanelState& Status() const { return status_; }

private:
    void Changed();

    const Clock& clock_;
    ProgressHooks hooks_;
    StatusPanelState status_;
    bool calculating_ = false;
    bool cancelRequested_ = false;
    long long startTick_ = 0;
    long long lastUpdateTick_ = 0;
};

/// Brackets an exact calculation in the progress display (Begin on
/// construction, End on destruction, also when left by an exception); does
/// nothing without a progress object.
class ExactCalculationBracket {
public:
    ExactCalculationBracket(CalculationProgress* progress, long double approximateP) : progress_(progress) {
        if (progress_) progress_->BeginExactCalculation(approximateP);
    }
    ~ExactCalculationBracket() {
        if (progress_) progress_->EndExactCalculation();
    }
    ExactCalculationBracket(const ExactCalculationBracket&) = delete;
    ExactCalculationBracket& operator=(const ExactCalculationBracket&) = delete;

private:
    CalculationProgress* progress_;
};

/// Progress of an enumeration that may run without a window: Continue when
/// `progress` is null.
inline ExactProgress ReportExactProgress(CalculationProgress* progress, long double percentDone) {
    return progress ? progress->ExactCalculationProgress(percentDone) : ExactProgress::Continue;
}

}  // namespace vextal
