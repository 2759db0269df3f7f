// The kit's peripheral side: one of each chip, wired to what the front end provides (panels,
// sound, the terminal link and its launcher, the clock). HeadlessDeviceHost provides them for
// a kit that nobody watches.
#pragma once

#include "common/clock.h"
#include "common/output_pane.h"
#include "devices/device_panels.h"
#include "devices/kbd8279.h"
#include "devices/ppi8255.h"
#include "devices/sound_output.h"
#include "devices/terminal_launcher.h"
#include "devices/terminal_link.h"
#include "devices/timer8254.h"
#include "devices/usart8251.h"

namespace tarvix {

struct DeviceHost {
    DevicePanels& panels;
    SoundOutput& sound;
    TerminalLink& terminal;
    TerminalLauncher& launcher;
    Clock& clock;
};

class HeadlessDeviceHost {
public:
    SteadyClock clock;
    RecordedPanels panels{clock};
    RecordedSound sound;
    AbsentTerminal terminal;
    NoTerminalLauncher launcher;

    DeviceHost host() { return {panels, sound, terminal, launcher, clock}; }
};

class KitDevices {
public:
    KitDevices(OutputPane& pane, const DeviceHost& deviceHost)
        : host(deviceHost),
          ppi(pane, host.panels),
          kbd(pane, host.panels),
          timer(pane, host.sound),
          usart(pane, host.terminal, host.launcher, host.clock) {}

    KitDevices(const KitDevices&) = delete;
    KitDevices& operator=(const KitDevices&) = delete;

    DeviceHost host;
    Ppi8255 ppi;
    Kbd8279 kbd;
    Timer8254 timer;
    Usart8251 usart;
};

}  // namespace tarvix
