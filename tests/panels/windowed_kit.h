// A kit whose devices drive real panel windows (owned by no main window), with the output
// pane in memory and a terminal launcher that only counts.
#pragma once

#include "common/output_sink.h"
#include "devices/kit_devices.h"
#include "panels/kit_panels.h"
#include "simulator/kit.h"

namespace tarvix {

class CountingLauncher : public TerminalLauncher {
public:
    int launches = 0;
    void launch() override { ++launches; }
};

struct WindowedKit {
    WindowedKit() {
        sink.lineSource = &kit.currentLine;
        panels.attachPpi(&kit.devices.ppi);
    }

    MemoryOutputSink sink;
    OutputPane pane{sink};
    KitPanels panels{nullptr};
    RecordedSound sound;
    AbsentTerminal terminal;
    CountingLauncher launcher;
    SteadyClock clock;
    DeviceHost host{panels, sound, terminal, launcher, clock};
    Kit kit{pane, host};
};

}  // namespace tarvix
