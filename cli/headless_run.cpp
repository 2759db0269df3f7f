#include "cli/headless_run.h"

#include <iostream>
#include <sstream>

#include "cli/batch_devices.h"
#include "cli/device_report.h"
#include "cli/json_text.h"
#include "common/format.h"
#include "common/message_box.h"
#include "common/output_pane.h"
#include "common/progress.h"
#include "common/source_limits.h"
#include "common/text.h"
#include "editor/x86_text_buffer.h"
#include "simulator/execution_driver.h"
#include "simulator/headless_run_host.h"
#include "simulator/register_text.h"

namespace tarvix {

namespace {

// The pane of a batch run. The kit plays the error sound on the speaker's one output, where it
// replaces a playing tone: an error ends the tone, as in the desktop program.
class BatchOutputSink : public MemoryOutputSink {
public:
    explicit BatchOutputSink(SoundOutput& speaker) : speaker_(speaker) {}
    void playErrorSound() override {
        MemoryOutputSink::playErrorSound();
        speaker_.stop();
    }

private:
    SoundOutput& speaker_;
};

// Internal reports go to standard error, where a script sees them.
class StderrMessageBoxes : public MessageBoxSink {
public:
    void showMessageBox(std::string_view text) override { std::cerr << text << '\n'; }
};

// The execution dialog of a batch run: nobody presses Next, so it is always pressed, and Stop
// comes from the wall-clock limit. Its pump lets the devices' time pass. The limit counts from
// the request's start and also stops the assembly, between two of its lines. A run that stops
// before a breakpoint's line ends there.
class BatchRunHost : public HeadlessRunHost, public ProgressSink {
public:
    using Time = std::chrono::steady_clock::time_point;

    BatchRunHost(std::string path, Time started, double timeoutSeconds, BatchDevices& devices,
                 Kit& kit)
        : HeadlessRunHost(std::move(path)),
          started_(started),
          timeoutSeconds_(timeoutSeconds),
          devices_(devices),
          kit_(kit) {}

    bool timedOut() const { return timedOut_; }
    // The 0-based line the run stopped before, at a breakpoint; -1 for none.
    int breakLine() const { return breakLine_; }

    void enterStepping() override { breakLine_ = kit_.currentLine; }
    StepCommand takeStepCommand() override {
        return breakLine_ >= 0 ? StepCommand::Stop : HeadlessRunHost::takeStepCommand();
    }

    void pump() override { devices_.pump(kit_.devices.ppi); }
    bool takeStopRequest() override {
        if (timeoutSeconds_ > 0 && !timedOut_) {
            const std::chrono::duration<double> elapsed =
                std::chrono::steady_clock::now() - started_;
            timedOut_ = elapsed.count() >= timeoutSeconds_;
        }
        return timedOut_;
    }
    // Step never pumps: each instruction it waits for is the moment to.
    bool takeNextRequest() override {
        pump();
        return !takeStopRequest();
    }

    void setRange(int, int) override {}
    void step() override {}
    bool cancelled() override { return takeStopRequest(); }

private:
    Time started_;
    double timeoutSeconds_;
    BatchDevices& devices_;
    Kit& kit_;
    bool timedOut_ = false;
    int breakLine_ = -1;
};

std::vector<RegisterValue> registerValues(const Kit& kit, std::uint16_t ip) {
    const CpuRegisters& r = kit.cpu.regs;
    return {{"AX", r[Reg16::AX]}, {"BX", r[Reg16::BX]}, {"CX", r[Reg16::CX]}, {"DX", r[Reg16::DX]},
            {"SI", r[Reg16::SI]}, {"DI", r[Reg16::DI]}, {"BP", r[Reg16::BP]}, {"SP", r[Reg16::SP]},
            {"IP", ip},           {"FLAGS", r.FLAGS}};
}

std::string traceLine(const CX86TextBuffer& buffer, int line, const Kit& kit) {
    std::string text =
        formatText("%5d  %-28s", line + 1, std::string(trim(buffer.line(line))).c_str());
    for (const RegisterValue& reg : registerValues(kit, kit.image.displayedIP(kit.currentLine))) {
        text += formatText(" %s=%04X", reg.name, reg.value);
    }
    return text;
}

const char* statusName(RunEnding ending, bool timedOut, bool atBreakpoint) {
    if (timedOut) {
        return "limit";
    }
    if (atBreakpoint) {
        return "breakpoint";
    }
    switch (ending) {
        case RunEnding::Error:
        case RunEnding::NotStarted:
            return "error";
        case RunEnding::Limit:
            return "limit";
        default:
            return "halted";
    }
}

// Marks the breakpoints' lines in the text as the editor does; a refusal for a line past its
// end.
std::string setBreakpoints(const std::vector<int>& lines, CX86TextBuffer& buffer) {
    for (const int line : lines) {
        if (line > buffer.lineCount()) {
            return "--break " + std::to_string(line) + ": the program has " +
                   std::to_string(buffer.lineCount()) + " lines";
        }
        buffer.setLineFlags(line - 1, buffer.lineFlags(line - 1) | kBreakpointMarker);
    }
    return {};
}

}  // namespace

RunReport runHeadless(const RunRequest& request) {
    RunReport report;
    // Lines past the limit are refused anyway ("Large file"): they are not kept.
    CX86TextBuffer buffer;
    if (!buffer.loadFile(request.path, kDetectLineEnd, kMaxSourceLines + 1)) {
        report.refusal = "cannot read " + request.path + kUnreadableSource;
        return report;
    }
    report.refusal = setBreakpoints(request.breakpoints, buffer);
    if (!report.refusal.empty()) {
        return report;
    }

    KitClock clock;
    clock.setMegahertz(request.megahertz);
    BatchDevices devices(clock, request.terminal, report.terminalProblem);
    BatchOutputSink sink(devices.sound);
    OutputPane pane(sink);
    Kit kit(pane, devices.host());
    clock.follow(kit.cpu);
    kit.hwTimerEnabled = request.hwTimer;
    sink.lineSource = &kit.currentLine;
    StderrMessageBoxes boxes;
    kit.cpu.regs.setMessageBoxSink(&boxes);
    BatchRunHost host(request.path, request.started, request.timeoutSeconds, devices, kit);
    kit.assembler.setProgress(&host);
    ExecutionDriver driver(kit, buffer, host, clock);
    driver.setInstructionLimit(request.maxSteps);
    if (!request.keys.empty()) {
        driver.setScriptedKeys(request.keys, request.keyInterval);
    }
    if (request.trace) {
        driver.setInstructionObserver(
            [&](int line) { request.trace(traceLine(buffer, line, kit)); });
    }
    driver.setLoadedHook([&] {
        report.refusal = applySetup(request.setup, kit);
        return report.refusal.empty();
    });
    request.step ? driver.step() : driver.run();
    if (!report.refusal.empty()) {
        return report;
    }
    devices.settle(kit.devices.ppi);

    const RunEnding ending = driver.lastEnding();
    report.fileError = !kit.assembler.fileError().empty();
    report.timedOut = host.timedOut();
    report.status = statusName(ending, report.timedOut, host.breakLine() >= 0);
    report.line = host.breakLine() >= 0             ? host.breakLine() + 1
                  : ending == RunEnding::NotStarted ? 0
                                                    : driver.lastLine() + 1;
    report.pane = sink.text;
    report.instructions = driver.lastInstructionCount();
    report.cycles = driver.lastCycleCount();
    report.kitMicroseconds = clock.microseconds();
    report.registers = registerValues(kit, driver.lastIP());
    report.registerLines = registerLines(kit.cpu.regs, driver.lastIP());
    report.memory = kit.cpu.memory.bytes();
    report.devicesJson = devicesJson(devices);
    report.deviceLines = deviceLines(devices);
    return report;
}

std::string memoryText(const RunReport& report, AddressRange range) {
    std::string bytes;
    for (unsigned a = range.first; a <= range.second; ++a) {
        bytes += formatText(a == range.first ? "%02X" : " %02X", report.memory[a - kMemoryFirst]);
    }
    return bytes;
}

std::string reportJson(const RunReport& report, const std::optional<AddressRange>& memory) {
    std::ostringstream json;
    json << "{\"status\": \"" << report.status << "\", \"pane\": " << jsonText(report.pane)
         << ", \"instructions\": " << report.instructions << ", \"cycles\": " << report.cycles
         << ", \"kitMicroseconds\": " << report.kitMicroseconds << ", \"line\": " << report.line
         << ", \"registers\": {";
    const char* separator = "";
    for (const RegisterValue& reg : report.registers) {
        json << separator << '"' << reg.name << "\": \"" << formatText("%04X", reg.value) << '"';
        separator = ", ";
    }
    json << '}';
    if (memory) {
        json << ", \"memory\": {\"start\": \"" << formatText("%04X", memory->first)
             << "\", \"bytes\": \"" << memoryText(report, *memory) << "\"}";
    }
    json << ", \"devices\": " << report.devicesJson << "}";
    return json.str();
}

}  // namespace tarvix
