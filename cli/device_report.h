// What the devices show at the end of a batch run: the `devices` object of the JSON report,
// and the lines the text report prints after the registers.
#pragma once

#include <string>
#include <vector>

#include "cli/batch_devices.h"

namespace tarvix {

std::string devicesJson(const BatchDevices& devices);

// Only what a watcher would notice: the connected panels, a sounding speaker, terminal text.
std::vector<std::string> deviceLines(const BatchDevices& devices);

}  // namespace tarvix
