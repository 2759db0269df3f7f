// tarvix-run: runs a kit program headless, exactly as the Run (or Step) command does, and
// reports how it ended (or where it stopped before a breakpoint's line): the pane's text, the
// registers, optionally memory, and what the devices show, as text or JSON.
#include <charconv>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/batch_devices.h"
#include "cli/device_report.h"
#include "cli/json_text.h"
#include "cli/tool_status.h"
#include "common/format.h"
#include "common/message_box.h"
#include "common/operand_text.h"
#include "common/output_pane.h"
#include "common/progress.h"
#include "common/source_limits.h"
#include "common/temporary_paths.h"
#include "common/text.h"
#include "editor/x86_text_buffer.h"
#include "simulator/execution_driver.h"
#include "simulator/headless_run_host.h"
#include "simulator/kit.h"
#include "simulator/kit_clock.h"
#include "simulator/register_text.h"

namespace {

using namespace tarvix;

struct Options {
    std::string path;
    std::uint64_t maxSteps = 0;
    double timeoutSeconds = 0;
    std::string keys;
    std::uint64_t keyInterval = 1000;
    bool hwTimer = false;
    int megahertz = KitClock::kDefaultMegahertz;
    bool terminal = true;
    bool step = false;
    bool trace = false;
    bool json = false;
    std::vector<int> breakpoints;  // 1-based lines
    std::optional<std::pair<std::uint16_t, std::uint16_t>> memory;
};

constexpr const char* kUsage =
    "usage: tarvix-run [options] FILE.asm\n"
    "  --max-steps N      stop after N executed instructions (exit 3)\n"
    "  --timeout SECONDS  stop after that much wall time (exit 3)\n"
    "  --keys TEXT        key presses delivered during the run, one character each,\n"
    "                     one key every --key-interval instructions (default 1000)\n"
    "  --key-interval N   instructions between two keys\n"
    "  --hwtimer          connect the 1 Hz NMI timer before the run\n"
    "  --clock MHZ        the kit's crystal, 1 to 99 (default 5): the kit's time is the\n"
    "                     executed instructions' 8086 clock counts at that rate\n"
    "  --no-terminal      run with no terminal program listening\n"
    "  --step             run as Step does (no interrupts), without waiting\n"
    "  --break LINE       stop before the 1-based source line LINE executes, with the\n"
    "                     registers and memory as they are there (repeatable)\n"
    "  --memory A-B       include the bytes from address A to B (hex) in the report\n"
    "  --trace            print each executed line with the registers after it\n"
    "  --json             print the final report as one JSON object\n";

int usage(std::string_view problem) {
    std::cerr << "tarvix-run: " << problem << '\n' << kUsage;
    return kExitUsage;
}

std::optional<std::uint64_t> parseCount(std::string_view text) {
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value == 0) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::pair<std::uint16_t, std::uint16_t>> parseRange(std::string_view text) {
    const std::size_t dash = text.find('-');
    if (dash == std::string_view::npos) {
        return std::nullopt;
    }
    const std::string_view first = text.substr(0, dash);
    const std::string_view last = text.substr(dash + 1);
    if (!isHexNumber(first) || !isHexNumber(last) || first.size() > 4 || last.size() > 4) {
        return std::nullopt;
    }
    const std::uint16_t a = parseHex(first);
    const std::uint16_t b = parseHex(last);
    if (a < 0x1000 || b > 0x1FFF || a > b) {
        return std::nullopt;
    }
    return std::make_pair(a, b);
}

// Refusals are returned as text; an empty text means the options are good.
std::string parseOptions(const std::vector<std::string_view>& args, Options& options) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "--max-steps") {
            const auto count = hasValue ? parseCount(args[++i]) : std::nullopt;
            if (!count) {
                return "--max-steps needs a positive whole number";
            }
            options.maxSteps = *count;
        } else if (arg == "--timeout") {
            const std::string value = hasValue ? std::string(args[++i]) : std::string();
            char* end = nullptr;
            options.timeoutSeconds = std::strtod(value.c_str(), &end);
            if (value.empty() || *end != '\0' || !(options.timeoutSeconds > 0)) {
                return "--timeout needs a positive number of seconds";
            }
        } else if (arg == "--memory") {
            options.memory = hasValue ? parseRange(args[++i]) : std::nullopt;
            if (!options.memory) {
                return "--memory needs a range A-B of hexadecimal addresses within 1000-1FFF";
            }
        } else if (arg == "--break") {
            const auto line = hasValue ? parseCount(args[++i]) : std::nullopt;
            if (!line || *line > static_cast<std::uint64_t>(kMaxSourceLines)) {
                return "--break needs a line number of the program";
            }
            options.breakpoints.push_back(static_cast<int>(*line));
        } else if (arg == "--step") {
            options.step = true;
        } else if (arg == "--trace") {
            options.trace = true;
        } else if (arg == "--json") {
            options.json = true;
        } else if (arg == "--keys") {
            options.keys = hasValue ? std::string(args[++i]) : std::string();
            if (options.keys.empty()) {
                return "--keys needs the characters to press";
            }
        } else if (arg == "--key-interval") {
            const auto count = hasValue ? parseCount(args[++i]) : std::nullopt;
            if (!count) {
                return "--key-interval needs a positive whole number";
            }
            options.keyInterval = *count;
        } else if (arg == "--clock") {
            const auto megahertz = hasValue ? parseCount(args[++i]) : std::nullopt;
            if (!megahertz || *megahertz > KitClock::kMaxMegahertz) {
                return "--clock needs a whole number of MHz from 1 to 99";
            }
            options.megahertz = static_cast<int>(*megahertz);
        } else if (arg == "--hwtimer") {
            options.hwTimer = true;
        } else if (arg == "--no-terminal") {
            options.terminal = false;
        } else if (arg.starts_with("-")) {
            return "unknown option " + std::string(arg);
        } else if (options.path.empty()) {
            options.path = arg;
        } else {
            return "only one source file can be run";
        }
    }
    if (options.step && !options.breakpoints.empty()) {
        return "--break stops a Run; it cannot be used with --step";
    }
    return options.path.empty() ? "no source file given" : "";
}

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
// the command's start and also stops the assembly, between two of its lines. A run that stops
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

struct RegisterValue {
    const char* name;
    std::uint16_t value;
};

std::vector<RegisterValue> registerValues(const Kit& kit, std::uint16_t ip) {
    const CpuRegisters& r = kit.cpu.regs;
    return {{"AX", r[Reg16::AX]}, {"BX", r[Reg16::BX]}, {"CX", r[Reg16::CX]}, {"DX", r[Reg16::DX]},
            {"SI", r[Reg16::SI]}, {"DI", r[Reg16::DI]}, {"BP", r[Reg16::BP]}, {"SP", r[Reg16::SP]},
            {"IP", ip},           {"FLAGS", r.FLAGS}};
}

std::string memoryBytes(Kit& kit, std::pair<std::uint16_t, std::uint16_t> range) {
    std::string bytes;
    for (unsigned a = range.first; a <= range.second; ++a) {
        bytes += formatText(a == range.first ? "%02X" : " %02X",
                            kit.cpu.memory.bytes()[a - kMemoryFirst]);
    }
    return bytes;
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

// Marks the --break lines in the text as the editor does; a refusal for a line past its end.
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

int command(int argc, char** argv) {
    const auto started = std::chrono::steady_clock::now();
    if (argc == 2 && std::string_view(argv[1]) == "--help") {
        std::cout << kUsage;
        return 0;
    }
    Options options;
    if (const std::string problem = parseOptions({argv + 1, argv + argc}, options);
        !problem.empty()) {
        return usage(problem);
    }

    // Lines past the limit are refused anyway ("Large file"): they are not kept.
    CX86TextBuffer buffer;
    if (!buffer.loadFile(options.path, kDetectLineEnd, kMaxSourceLines + 1)) {
        std::cerr << "tarvix-run: cannot read " << options.path << kUnreadableSource << '\n';
        return kExitUsage;
    }

    KitClock clock;
    clock.setMegahertz(options.megahertz);
    std::string terminalProblem;
    BatchDevices devices(clock, options.terminal, terminalProblem);
    if (!terminalProblem.empty()) {
        std::cerr << "tarvix-run: no terminal: " << terminalProblem << '\n';
    }
    BatchOutputSink sink(devices.sound);
    OutputPane pane(sink);
    Kit kit(pane, devices.host());
    clock.follow(kit.cpu);
    kit.hwTimerEnabled = options.hwTimer;
    sink.lineSource = &kit.currentLine;
    StderrMessageBoxes boxes;
    kit.cpu.regs.setMessageBoxSink(&boxes);
    if (const std::string problem = setBreakpoints(options.breakpoints, buffer); !problem.empty()) {
        return usage(problem);
    }
    BatchRunHost host(options.path, started, options.timeoutSeconds, devices, kit);
    kit.assembler.setProgress(&host);
    ExecutionDriver driver(kit, buffer, host, clock);
    driver.setInstructionLimit(options.maxSteps);
    if (!options.keys.empty()) {
        driver.setScriptedKeys(options.keys, options.keyInterval);
    }
    if (options.trace) {
        driver.setInstructionObserver(
            [&](int line) { std::cout << traceLine(buffer, line, kit) << '\n'; });
    }
    options.step ? driver.step() : driver.run();
    devices.settle(kit.devices.ppi);

    const RunEnding ending = driver.lastEnding();
    const char* status = statusName(ending, host.timedOut(), host.breakLine() >= 0);
    const int stoppedLine = host.breakLine() >= 0             ? host.breakLine() + 1
                            : ending == RunEnding::NotStarted ? 0
                                                              : driver.lastLine() + 1;

    if (options.json) {
        std::ostringstream json;
        json << "{\"status\": \"" << status << "\", \"pane\": " << jsonText(sink.text)
             << ", \"instructions\": " << driver.lastInstructionCount()
             << ", \"cycles\": " << driver.lastCycleCount()
             << ", \"kitMicroseconds\": " << clock.microseconds() << ", \"line\": " << stoppedLine
             << ", \"registers\": {";
        const char* separator = "";
        for (const RegisterValue& reg : registerValues(kit, driver.lastIP())) {
            json << separator << '"' << reg.name << "\": \"" << formatText("%04X", reg.value)
                 << '"';
            separator = ", ";
        }
        json << '}';
        if (options.memory) {
            json << ", \"memory\": {\"start\": \"" << formatText("%04X", options.memory->first)
                 << "\", \"bytes\": \"" << memoryBytes(kit, *options.memory) << "\"}";
        }
        json << ", \"devices\": " << devicesJson(devices) << "}\n";
        std::cout << json.str();
    } else {
        std::cout << sink.text << '\n';
        for (const std::string& line : registerLines(kit.cpu.regs, driver.lastIP())) {
            std::cout << line << '\n';
        }
        std::cout << kFlagsLegend << '\n';
        if (options.memory) {
            std::cout << formatText("%04X: ", options.memory->first)
                      << memoryBytes(kit, *options.memory) << '\n';
        }
        for (const std::string& line : deviceLines(devices)) {
            std::cout << line << '\n';
        }
    }

    if (!kit.assembler.fileError().empty()) {
        return kExitUsage;  // the source or its list file could not be read or written
    }
    if (std::string_view(status) == "limit") {
        return kExitLimit;
    }
    return std::string_view(status) == "error" ? kExitFailed : 0;
}

}  // namespace

int main(int argc, char** argv) {
    guardStandardStreams();
    removeTemporaryPathsOnSignals();
    return statusAfterReport(command(argc, argv), "tarvix-run");
}
