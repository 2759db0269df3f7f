// tarvix-run: runs a kit program headless, exactly as the Run (or Step) command does, and
// reports how it ended (or where it stopped before a breakpoint's line): the pane's text, the
// registers, optionally memory, and what the devices show, as text or JSON.
#include <charconv>
#include <chrono>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>

#include "cli/command_line.h"
#include "cli/headless_run.h"
#include "cli/tool_status.h"
#include "common/format.h"
#include "common/source_limits.h"
#include "common/temporary_paths.h"
#include "simulator/register_text.h"

namespace {

using namespace tarvix;

struct Options {
    RunRequest run;
    bool trace = false;
    bool json = false;
    bool help = false;
    std::optional<AddressRange> memory;
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
    "  --poke ADDR=BYTES  put bytes into memory before the first instruction, such as\n"
    "                     --poke 1900=01,02,03 (hexadecimal; repeatable)\n"
    "  --set REG=VALUE    set AX, BX, CX, DX, SI, DI, BP or SP before the first\n"
    "                     instruction, such as --set CX=0003 (repeatable)\n"
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

std::optional<AddressRange> parseRange(std::string_view text) {
    const std::size_t dash = text.find('-');
    if (dash == std::string_view::npos) {
        return std::nullopt;
    }
    const auto first = parseHexValue(text.substr(0, dash), 0xFFFF);
    const auto last = parseHexValue(text.substr(dash + 1), 0xFFFF);
    if (!first || !last || *first < kMemoryFirst || *last >= kMemoryFirst + kMemorySize ||
        *first > *last) {
        return std::nullopt;
    }
    return std::make_pair(static_cast<std::uint16_t>(*first), static_cast<std::uint16_t>(*last));
}

// NAME=VALUE, split at the first '='.
std::pair<std::string_view, std::string_view> splitSetting(std::string_view text) {
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos) {
        return {text, {}};
    }
    return {text.substr(0, equals), text.substr(equals + 1)};
}

// A count option: a positive whole number up to `max`, or `problem`.
std::function<std::string(const std::string&)> count(std::uint64_t& target, std::uint64_t max,
                                                     const char* problem) {
    return [&target, max, problem](const std::string& text) {
        const auto value = parseCount(text);
        if (!value || *value > max) {
            return std::string(problem);
        }
        target = *value;
        return std::string();
    };
}

void addOptions(CLI::App& app, Options& options, std::uint64_t& megahertz) {
    RunRequest& run = options.run;
    constexpr std::uint64_t kAny = ~std::uint64_t{0};
    addValueOption(app, "--max-steps",
                   count(run.maxSteps, kAny, "--max-steps needs a positive whole number"));
    addValueOption(app, "--timeout", [&run](const std::string& text) {
        char* end = nullptr;
        run.timeoutSeconds = std::strtod(text.c_str(), &end);
        const bool good = !text.empty() && *end == '\0' && run.timeoutSeconds > 0;
        return good ? std::string() : "--timeout needs a positive number of seconds";
    });
    addValueOption(app, "--memory", [&options](const std::string& text) {
        options.memory = parseRange(text);
        return options.memory ? std::string()
                              : "--memory needs a range A-B of hexadecimal addresses within "
                                "1000-1FFF";
    });
    addValueOption(app, "--break", [&run](const std::string& text) {
        const auto line = parseCount(text);
        if (!line || *line > static_cast<std::uint64_t>(kMaxSourceLines)) {
            return std::string("--break needs a line number of the program");
        }
        run.breakpoints.push_back(static_cast<int>(*line));
        return std::string();
    })->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    addValueOption(app, "--poke", [&run](const std::string& text) {
        const auto [address, bytes] = splitSetting(text);
        std::optional<MemoryBytes> poke = parseMemoryBytes(address, bytes);
        if (!poke) {
            return std::string(
                "--poke needs ADDR=BYTES in hexadecimal within 1000-1FFF, such as "
                "1900=01,02,03");
        }
        run.setup.memory.push_back(std::move(*poke));
        return std::string();
    })->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    addValueOption(app, "--set", [&run](const std::string& text) {
        const auto [name, value] = splitSetting(text);
        const std::optional<Reg16> reg = parseSetupRegister(name);
        const std::optional<unsigned> word = parseHexValue(value, 0xFFFF);
        if (!reg || !word) {
            return std::string(
                "--set needs REG=VALUE, REG one of AX, BX, CX, DX, SI, DI, BP, SP and VALUE "
                "hexadecimal up to FFFF, such as CX=0003");
        }
        run.setup.registers.push_back({*reg, static_cast<std::uint16_t>(*word)});
        return std::string();
    })->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    addValueOption(app, "--keys", [&run](const std::string& text) {
        run.keys = text;
        return text.empty() ? "--keys needs the characters to press" : std::string();
    });
    addValueOption(app, "--key-interval",
                   count(run.keyInterval, kAny, "--key-interval needs a positive whole number"));
    addValueOption(app, "--clock",
                   count(megahertz, static_cast<std::uint64_t>(KitClock::kMaxMegahertz),
                         "--clock needs a whole number of MHz from 1 to 99"));
    app.add_flag("--step", run.step);
    app.add_flag("--trace", options.trace);
    app.add_flag("--json", options.json);
    app.add_flag("--hwtimer", run.hwTimer);
    app.add_flag("--help", options.help);
    app.add_flag_callback("--no-terminal", [&run] { run.terminal = BatchTerminal::None; });
    app.add_option("file", run.path);
}

// Refusals are returned as text; an empty text means the options are good.
std::string parseOptions(int argc, char** argv, Options& options) {
    CLI::App app;
    prepareApp(app);
    std::uint64_t megahertz = KitClock::kDefaultMegahertz;
    addOptions(app, options, megahertz);
    std::string problem = parseCommandLine(app, argc, argv, "only one source file can be run");
    options.run.megahertz = static_cast<int>(megahertz);
    if (!problem.empty() || options.help) {
        return problem;
    }
    if (options.run.step && !options.run.breakpoints.empty()) {
        return "--break stops a Run; it cannot be used with --step";
    }
    return options.run.path.empty() ? "no source file given" : "";
}

void printText(const RunReport& report, const Options& options) {
    std::cout << report.pane << '\n';
    for (const std::string& line : report.registerLines) {
        std::cout << line << '\n';
    }
    std::cout << kFlagsLegend << '\n';
    if (options.memory) {
        std::cout << formatText("%04X: ", options.memory->first)
                  << memoryText(report, *options.memory) << '\n';
    }
    for (const std::string& line : report.deviceLines) {
        std::cout << line << '\n';
    }
}

int command(int argc, char** argv) {
    Options options;
    options.run.started = std::chrono::steady_clock::now();
    if (const std::string problem = parseOptions(argc, argv, options); !problem.empty()) {
        return usage(problem);
    }
    if (options.help) {
        std::cout << kUsage;
        return 0;
    }
    if (options.trace) {
        options.run.trace = [](std::string_view line) { std::cout << line << '\n'; };
    }

    const RunReport report = runHeadless(options.run);
    if (!report.terminalProblem.empty()) {
        std::cerr << "tarvix-run: no terminal: " << report.terminalProblem << '\n';
    }
    if (!report.refusal.empty()) {
        std::cerr << "tarvix-run: " << report.refusal << '\n';
        return kExitUsage;
    }
    if (options.json) {
        std::cout << reportJson(report, options.memory) << '\n';
    } else {
        printText(report, options);
    }

    if (report.fileError) {
        return kExitUsage;  // the source or its list file could not be read or written
    }
    if (report.status == "limit") {
        return kExitLimit;
    }
    return report.status == "error" ? kExitFailed : 0;
}

}  // namespace

int main(int argc, char** argv) {
    guardStandardStreams();
    removeTemporaryPathsOnSignals();
    return statusAfterReport(command(argc, argv), "tarvix-run");
}
