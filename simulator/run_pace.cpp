#include "simulator/run_pace.h"

#include "common/format.h"

namespace tarvix {

std::string kitClockText(int megahertz, const PaceReport& report) {
    std::string text =
        formatText("Kit clock %d MHz · %.2f× · %.2f s", megahertz, report.speed, report.kitSeconds);
    if (report.lagging) {
        text += " — the computer cannot keep up";
    }
    return text;
}

void KitPacer::start() {
    *this = KitPacer();
}

double KitPacer::lead(double kitSeconds, double wallSeconds) {
    const bool stalled = wallSeconds - lastWall_ > kMaxDebtSeconds;
    lastWall_ = wallSeconds;
    const double ahead = kitSeconds - pacedSeconds(wallSeconds);
    if (ahead < -kMaxDebtSeconds) {
        dropped_ -= ahead;
        lagged_ = lagged_ || !stalled;
        laggedSinceReport_ = laggedSinceReport_ || !stalled;
        return 0;
    }
    return ahead > 0 ? ahead : 0;
}

PaceReport KitPacer::total(double kitSeconds, double wallSeconds) const {
    return {kitSeconds, wallSeconds > 0 ? kitSeconds / wallSeconds : 1.0, lagged_};
}

bool KitPacer::report(double kitSeconds, double wallSeconds, PaceReport& out) {
    const double wall = wallSeconds - reportWall_;
    if (wall < kReportSeconds) {
        return false;
    }
    out = {kitSeconds, (kitSeconds - reportKit_) / wall, laggedSinceReport_};
    reportKit_ = kitSeconds;
    reportWall_ = wallSeconds;
    laggedSinceReport_ = false;
    return true;
}

}  // namespace tarvix
