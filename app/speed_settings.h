// How the desktop program runs programs, kept in the user's profile (section "Simulation"):
// the speed, the kit's clock in MHz and Animate's lines a second.
#pragma once

#include <QString>

#include "simulator/kit_clock.h"
#include "simulator/run_pace.h"

namespace tarvix {

struct SpeedSettings {
    RunSpeed speed = RunSpeed::FullSpeed;
    int megahertz = KitClock::kDefaultMegahertz;
    int linesPerSecond = kDefaultLinesPerSecond;
};

// Values out of range come back clamped; an unknown speed is Full speed.
SpeedSettings readSpeedSettings();
void writeSpeedSettings(const SpeedSettings& settings);

// The status bar's text between runs: "Full speed", "Kit clock 5 MHz", "Animate 5 lines/s".
QString speedText(const SpeedSettings& settings);

}  // namespace tarvix
