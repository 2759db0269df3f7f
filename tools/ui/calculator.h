// The Calculator command: starts the desktop's calculator as a program of its own.
#pragma once

namespace tarvix {

// Starts the first of the usual Linux calculators found on PATH; false when none is there or
// it would not start.
bool startCalculator();

}  // namespace tarvix
