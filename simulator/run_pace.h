// How a Run spends time. Full speed runs flat out. Kit clock holds the kit's time (its cycles
// over its crystal) to the host's real time, so that a delay loop lasts as long as on the kit.
// Animate shows every line, a few a second.
#pragma once

#include <cstdint>
#include <string>

namespace tarvix {

enum class RunSpeed { FullSpeed, KitClock, Animate };

inline constexpr int kMinLinesPerSecond = 1;
inline constexpr int kMaxLinesPerSecond = 50;
inline constexpr int kDefaultLinesPerSecond = 5;

// How the kit's time compares with real time, as the status bar shows it during a run.
struct PaceReport {
    double kitSeconds = 0;
    double speed = 0;  // kit time over real time since the last report
    bool lagging = false;
};

// "Kit clock 5 MHz · 1.00× · 2.35 s", with the complaint when the host cannot keep up.
std::string kitClockText(int megahertz, const PaceReport& report);

// Decides how far the kit's time may run ahead of real time. Both times are seconds since the
// run started. A host too slow for the kit does not catch up in a burst: a debt over
// kMaxDebtSeconds is dropped, and the next report says the host could not keep up. A debt
// made in one stall between two looks (a panel window opening) is dropped without the
// complaint: the host keeps up, it was only busy once.
class KitPacer {
public:
    static constexpr double kMaxDebtSeconds = 0.1;
    static constexpr double kReportSeconds = 0.25;

    void start();
    // Seconds the kit is ahead of real time; 0 when it is not.
    double lead(double kitSeconds, double wallSeconds);
    // A report every kReportSeconds of real time; false between them.
    bool report(double kitSeconds, double wallSeconds, PaceReport& out);
    // The whole run: kit time over real time, and whether a debt was ever dropped.
    PaceReport total(double kitSeconds, double wallSeconds) const;
    // Real time as the kit may follow it: the run's time less the debts dropped.
    double pacedSeconds(double wallSeconds) const { return wallSeconds - dropped_; }

private:
    double dropped_ = 0;
    double lastWall_ = 0;
    bool lagged_ = false;
    bool laggedSinceReport_ = false;
    double reportKit_ = 0;
    double reportWall_ = 0;
};

}  // namespace tarvix
