// The run loop's speed: a tight program of nested LOOPs around register and memory moves,
// executed by the kit's driver as Run executes it, and the same program's machine code
// executed by Unicorn in the same run, for the ratio.
#include <benchmark/benchmark.h>
#include <unicorn/unicorn.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "assembler/list_file.h"
#include "common/operand_text.h"
#include "editor/x86_text_buffer.h"
#include "simulator/execution_driver.h"
#include "simulator/headless_run_host.h"
#include "simulator/kit.h"

namespace {

namespace fs = std::filesystem;
using namespace tarvix;

// About 10.5 million instructions: 40 outer passes of 65535 inner passes of four.
constexpr const char* kProgram =
    "        mov si,1800\n"
    "        mov dx,28\n"
    "outer:  mov cx,ffff\n"
    "inner:  mov ax,[si]\n"
    "        mov [si+2],ax\n"
    "        xchg ax,bx\n"
    "        loop inner\n"
    "        xchg cx,dx\n"
    "        loop next\n"
    "        hlt\n"
    "next:   xchg cx,dx\n"
    "        jmp outer\n";

fs::path sourcePath() {
    static const fs::path path = [] {
        const fs::path folder =
            fs::temp_directory_path() / ("tarvix_run_bench_" + std::to_string(::getpid()));
        fs::create_directories(folder);
        std::ofstream(folder / "loop.asm") << kProgram;
        return folder / "loop.asm";
    }();
    return path;
}

// A kit with the program loaded in its buffer, driven as the Run command drives it.
struct HeadlessKit {
    HeadlessKit() {
        buffer.loadFile(sourcePath().string());
        sink.lineSource = &kit.currentLine;
    }
    CX86TextBuffer buffer;
    MemoryOutputSink sink;
    OutputPane pane{sink};
    Kit kit{pane};
    HeadlessRunHost host{sourcePath().string()};
    SteadyClock clock;
    ExecutionDriver driver{kit, buffer, host, clock};
};

void BM_KitRun(benchmark::State& state) {
    HeadlessKit headless;
    std::uint64_t instructions = 0;
    for (auto _ : state) {
        headless.driver.run();
        if (headless.driver.lastEnding() != RunEnding::Halted) {
            state.SkipWithError(headless.sink.text.c_str());
            return;
        }
        instructions += headless.driver.lastInstructionCount();
    }
    state.counters["instructions/s"] =
        benchmark::Counter(static_cast<double>(instructions), benchmark::Counter::kIsRate);
}

// The instructions the program executes, as the kit counts them (HLT not counted).
std::uint64_t programInstructions() {
    static const std::uint64_t count = [] {
        HeadlessKit headless;
        headless.driver.run();
        return headless.driver.lastInstructionCount();
    }();
    return count;
}

// The machine code of the same program, from the run-mode list file the kit wrote.
std::string programBytes(std::uint16_t& haltAddress) {
    std::ifstream list(listFilePath(sourcePath().string()));
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

void BM_UnicornRun(benchmark::State& state) {
    const std::uint64_t count = programInstructions();  // also writes the list file
    std::uint16_t halt = 0;
    const std::string code = programBytes(halt);
    std::uint64_t instructions = 0;
    for (auto _ : state) {
        uc_engine* uc = nullptr;
        uc_open(UC_ARCH_X86, UC_MODE_16, &uc);
        uc_mem_map(uc, 0, 0x10000, UC_PROT_ALL);
        uc_mem_write(uc, 0x1000, code.data(), code.size());
        int sp = 0x2000;
        uc_reg_write(uc, UC_X86_REG_SP, &sp);
        if (uc_emu_start(uc, 0x1000, halt, 0, 0) != UC_ERR_OK) {
            state.SkipWithError("unicorn failed");
        }
        uc_close(uc);
        instructions += count;
    }
    state.counters["instructions/s"] =
        benchmark::Counter(static_cast<double>(instructions), benchmark::Counter::kIsRate);
}

BENCHMARK(BM_KitRun)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_UnicornRun)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
