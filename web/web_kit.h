// The kit of the browser page, living in a Web Worker: the text, the machine with its devices
// as records the page draws, and a run host that takes the page's Stop, step commands and keys
// from the control block and posts the machine's state while it runs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli/batch_devices.h"
#include "common/output_pane.h"
#include "devices/device_panels.h"
#include "devices/stepper_rotor.h"
#include "devices/terminal_launcher.h"
#include "editor/x86_text_buffer.h"
#include "simulator/execution_driver.h"
#include "simulator/kit.h"
#include "simulator/run_clock.h"
#include "web/web_run_host.h"

namespace tarvix::web {

// The panels as records, with the stepper's rotor turning as the desktop's does.
class WebPanels : public RecordedPanels {
public:
    using RecordedPanels::RecordedPanels;
    void setCoils(std::uint8_t coils) override {
        RecordedPanels::setCoils(coils);
        rotor.follow(coils);
    }
    StepperRotor rotor;
};

// The pane; an error silences the speaker, as the error sound takes its one output.
class WebOutputSink : public MemoryOutputSink {
public:
    explicit WebOutputSink(SoundOutput& speaker) : speaker_(speaker) {}
    void playErrorSound() override {
        MemoryOutputSink::playErrorSound();
        speaker_.stop();
    }

private:
    SoundOutput& speaker_;
};

class WebKit {
public:
    WebKit();

    // The editor's text, saved where the assembler reads it, with the breakpoints' 0-based
    // lines given as "3,7".
    bool setSource(const std::string& text, const std::string& breakpoints);
    // 0 Full speed, 1 Kit clock, 2 Animate.
    void setSpeed(int speed, int megahertz, int linesPerSecond);

    void run() {
        host_.during([this] { driver_.run(); });
    }
    void runToCursor() {
        host_.during([this] { driver_.runToCursor(); });
    }
    void step() {
        host_.during([this] { driver_.step(); });
    }
    void resetCpu();
    void resetMemory();
    // An edit of a stopped or stepping kit, as the desktop's Ram & Registers pane makes it:
    // (kind << 28) | (index << 16) | value, where the kind is an EditKind and the index a
    // register's 8086 number, a flag's bit or a byte's address less 1000H. A flag's value is
    // 0 or 1; a byte is written by the kit's rules, which refuse the program's code bytes.
    enum class EditKind { Register = 1, Flag = 2, Memory = 3 };
    void edit(int code);
    // Assembles in listing mode, as the Assemble command does; the list file's text, or empty
    // when the pane reports an error.
    std::string assemble();

    // Everything the page shows, as JSON; the terminal's text since the last call.
    std::string state();

private:
    // What the pump does besides the blanking timers: the breakpoints the student changed, an
    // edit of a stepping kit, and the scope's sample every 10 ms of real time, as the
    // desktop's scope takes it.
    void pump();
    void followPageBreakpoints();

    std::string sourcePath_;
    RunClock clock_;
    SteadyClock wallClock_;
    WebPanels panels_{clock_};
    RecordedSound sound_;
    CollectingTerminal terminal_;
    std::size_t terminalShown_ = 0;
    std::vector<std::uint8_t> scopeSamples_;  // since the last state
    double nextScopeSample_ = 0;
    int pageBreakpointRevision_ = 0;  // of the breakpoints the kit has
    NoTerminalLauncher launcher_;
    DeviceHost deviceHost_{panels_, sound_, terminal_, launcher_, clock_};
    WebOutputSink sink_{sound_};
    OutputPane pane_{sink_};
    Kit kit_{pane_, deviceHost_};
    CX86TextBuffer buffer_;
    WebRunHost host_;
    ExecutionDriver driver_;
};

}  // namespace tarvix::web
