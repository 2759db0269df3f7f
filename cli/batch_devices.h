// The devices of a batch run: panels and speaker as plain records, and a terminal that collects
// what the 8251 sends. On a system with local sockets the terminal is an in-process receiver on
// the 8251's socket protocol, listening in a private folder so that parallel runs and a real
// terminal never meet; in a browser it is the link itself.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "common/temporary_paths.h"
#include "devices/device_panels.h"
#include "devices/kit_devices.h"
#include "devices/sound_output.h"
#include "devices/terminal_launcher.h"
#include "devices/terminal_link.h"
#include "devices/terminal_receiver.h"

namespace tarvix {

// A terminal that is nothing but the end of the link: every character arrives at once.
class CollectingTerminal : public TerminalLink {
public:
    bool isThere() override { return true; }
    void post(std::uint8_t character) override { text += static_cast<char>(character); }

    std::string text;
};

enum class BatchTerminal { None, Socket, Collecting };

class BatchDevices {
public:
    // Without a terminal the 8251 finds nobody listening. `problem` tells why a wanted
    // terminal could not be set up; the run then goes on without one.
    BatchDevices(Clock& clock, BatchTerminal terminal, std::string& problem);
    ~BatchDevices();

    BatchDevices(const BatchDevices&) = delete;
    BatchDevices& operator=(const BatchDevices&) = delete;

    DeviceHost host() { return {panels, sound, *link_, launcher, clock_}; }

    // What time does between instructions: blanking timers run out, the terminal reads.
    void pump(Ppi8255& ppi);
    // After the run: everything sent has arrived, every timer due has run out.
    void settle(Ppi8255& ppi);

    const std::string& terminalText() const;

    RecordedPanels panels;
    RecordedSound sound;
    NoTerminalLauncher launcher;  // `connect terminal` starts nothing: the receiver is here

private:
    Clock& clock_;
    std::filesystem::path folder_;
    std::unique_ptr<SocketTerminalLink> socket_;
    std::unique_ptr<TerminalReceiver> receiver_;
    CollectingTerminal collecting_;
    TerminalLink* link_ = &collecting_;
    std::vector<std::unique_ptr<TemporaryPath>> recorded_;  // removed should a signal end us
};

}  // namespace tarvix
