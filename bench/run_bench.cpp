// The run loop's speed: tight programs of nested loops around register work, memory moves,
// string instructions and calls, executed by the kit's driver as Run executes them, and the
// same programs' machine code executed by Unicorn in the same benchmark, for the ratio.
#include <benchmark/benchmark.h>
#include <unicorn/unicorn.h>

#include <chrono>
#include <fstream>
#include <string>

#include "assembler/list_file.h"
#include "bench/bench_programs.h"
#include "common/operand_text.h"

namespace {

using namespace tarvix;
using namespace tarvix::bench;

// The instructions a program executes, as the kit counts them (HLT not counted); the run also
// writes the list file its machine code is read from.
std::uint64_t programInstructions(std::size_t program) {
    HeadlessKit headless(program);
    headless.driver.run();
    return headless.driver.lastInstructionCount();
}

// The machine code of the same program, from the run-mode list file the kit wrote.
std::string programBytes(std::size_t program, std::uint16_t& haltAddress) {
    std::ifstream list(listFilePath(sourcePath(program).string()));
    std::string bytes;
    std::string line;
    while (std::getline(list, line)) {
        const std::size_t dollar = line.find('$');
        if (dollar == std::string::npos) {
            continue;
        }
        std::string_view text(line);
        text = text.substr(6, dollar - 6);
        if (text.substr(0, 2) == "F4") {
            haltAddress = parseHex(line.substr(0, 4));
        }
        while (!text.empty() && text.front() != ' ') {
            bytes += static_cast<char>(parseHex(text.substr(0, 2)));
            text.remove_prefix(std::min<std::size_t>(3, text.size()));
            while (!text.empty() && text.front() == ' ') {
                text.remove_prefix(1);
            }
        }
    }
    return bytes;
}

// The program's machine code run to its HLT by Unicorn; false when Unicorn fails.
bool runOnUnicorn(const std::string& code, std::uint16_t halt) {
    uc_engine* uc = nullptr;
    uc_open(UC_ARCH_X86, UC_MODE_16, &uc);
    uc_mem_map(uc, 0, 0x10000, UC_PROT_ALL);
    uc_mem_write(uc, 0x1000, code.data(), code.size());
    int sp = 0x2000;
    uc_reg_write(uc, UC_X86_REG_SP, &sp);
    const bool ok = uc_emu_start(uc, 0x1000, halt, 0, 0) == UC_ERR_OK;
    uc_close(uc);
    return ok;
}

double seconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

// Each iteration runs the program on the kit, as Run does, and on Unicorn, so that both rates
// come from the same minutes of a shared machine.
void BM_KitBesideUnicorn(benchmark::State& state) {
    const auto program = static_cast<std::size_t>(state.range(0));
    const std::uint64_t count = programInstructions(program);
    std::uint16_t halt = 0;
    const std::string code = programBytes(program, halt);
    HeadlessKit headless(program);
    double kitSeconds = 0;
    double unicornSeconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        headless.driver.run();
        const auto middle = std::chrono::steady_clock::now();
        const bool unicornOk = runOnUnicorn(code, halt);
        kitSeconds += seconds(middle - start);
        unicornSeconds += seconds(std::chrono::steady_clock::now() - middle);
        if (headless.driver.lastEnding() != RunEnding::Halted || !unicornOk) {
            state.SkipWithError(unicornOk ? headless.sink.text.c_str() : "unicorn failed");
            return;
        }
    }
    const double runs = static_cast<double>(state.iterations());
    const double kitRate = static_cast<double>(count) * runs / kitSeconds;
    const double unicornRate = static_cast<double>(count) * runs / unicornSeconds;
    state.counters["kit_M/s"] = kitRate / 1e6;
    state.counters["unicorn_M/s"] = unicornRate / 1e6;
    state.counters["kit/unicorn"] = kitRate / unicornRate;
}

BENCHMARK(BM_KitBesideUnicorn)
    ->DenseRange(0, kProgramCount - 1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);

// The same runs with a breakpoint on the HLT line: every line is checked against the
// breakpoints, and the run stops only before its last line, which it then steps.
void BM_KitWithBreakpoint(benchmark::State& state) {
    const auto program = static_cast<std::size_t>(state.range(0));
    const std::uint64_t count = programInstructions(program);
    HeadlessKit headless(program);
    for (int line = 0; line < headless.buffer.lineCount(); ++line) {
        if (headless.buffer.line(line).find("hlt") != std::string::npos) {
            headless.buffer.setLineFlags(line, kBreakpointMarker);
        }
    }
    for (auto _ : state) {
        headless.driver.run();
        if (headless.driver.lastEnding() != RunEnding::Halted) {
            state.SkipWithError(headless.sink.text.c_str());
            return;
        }
    }
    state.counters["kit_M/s"] = benchmark::Counter(static_cast<double>(count) * 1e-6,
                                                   benchmark::Counter::kIsIterationInvariantRate);
}

BENCHMARK(BM_KitWithBreakpoint)
    ->DenseRange(0, kProgramCount - 1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
