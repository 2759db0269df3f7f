#include "app/speed_settings.h"

#include <QSettings>
#include <algorithm>

namespace tarvix {

namespace {

constexpr const char* kOrganisation = "Tarvix";
constexpr const char* kApplication = "Tarvix";
constexpr const char* kGroup = "Simulation";

}  // namespace

SpeedSettings readSpeedSettings() {
    QSettings settings(kOrganisation, kApplication);
    settings.beginGroup(kGroup);
    SpeedSettings stored;
    const int speed = settings.value("Speed", 0).toInt();
    if (speed == static_cast<int>(RunSpeed::KitClock) ||
        speed == static_cast<int>(RunSpeed::Animate)) {
        stored.speed = static_cast<RunSpeed>(speed);
    }
    stored.megahertz = std::clamp(settings.value("Megahertz", stored.megahertz).toInt(),
                                  KitClock::kMinMegahertz, KitClock::kMaxMegahertz);
    stored.linesPerSecond =
        std::clamp(settings.value("LinesPerSecond", stored.linesPerSecond).toInt(),
                   kMinLinesPerSecond, kMaxLinesPerSecond);
    return stored;
}

void writeSpeedSettings(const SpeedSettings& stored) {
    QSettings settings(kOrganisation, kApplication);
    settings.beginGroup(kGroup);
    settings.setValue("Speed", static_cast<int>(stored.speed));
    settings.setValue("Megahertz", stored.megahertz);
    settings.setValue("LinesPerSecond", stored.linesPerSecond);
}

QString speedText(const SpeedSettings& settings) {
    switch (settings.speed) {
        case RunSpeed::KitClock:
            return QString("Kit clock %1 MHz").arg(settings.megahertz);
        case RunSpeed::Animate:
            return QString("Animate %1 lines/s").arg(settings.linesPerSecond);
        case RunSpeed::FullSpeed:
            break;
    }
    return "Full speed";
}

}  // namespace tarvix
