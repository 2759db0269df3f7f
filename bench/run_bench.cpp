// The run loop's speed: tight programs of nested loops around register work, memory moves,
// string instructions and calls, executed by the kit's driver as Run executes them, and the
// same programs' machine code executed by Unicorn in the same benchmark, for the ratio.
#include <benchmark/benchmark.h>
#include <unicorn/unicorn.h>
#include <unistd.h>

#include <chrono>
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

// About ten million instructions each: nested loops of 65535 inner passes.
constexpr const char* kPrograms[] = {
    // LOOP around moves and exchanges.
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
    "        jmp outer\n",
    // DEC/JNZ around an ADD from memory, which sets every flag.
    "        mov si,1800\n"
    "        mov dx,28\n"
    "outer:  mov cx,ffff\n"
    "inner:  add ax,[si]\n"
    "        mov [si+2],ax\n"
    "        dec cx\n"
    "        jnz inner\n"
    "        dec dx\n"
    "        jnz outer\n"
    "        hlt\n",
    // Registers only.
    "        mov dx,20\n"
    "outer:  mov cx,ffff\n"
    "inner:  add ax,bx\n"
    "        xor bx,ax\n"
    "        inc si\n"
    "        dec cx\n"
    "        jnz inner\n"
    "        dec dx\n"
    "        jnz outer\n"
    "        hlt\n",
    // A procedure with memory operands and a repeated string move, called from a loop.
    "        mov dx,10\n"
    "outer:  mov bx,ffff\n"
    "inner:  call work\n"
    "        dec bx\n"
    "        jnz inner\n"
    "        dec dx\n"
    "        jnz outer\n"
    "        hlt\n"
    "work:   mov si,1800\n"
    "        mov di,1900\n"
    "        mov cx,4\n"
    "        repe movsb\n"
    "        lodsw\n"
    "        add [di+2],ax\n"
    "        ret\n",
};

fs::path sourcePath(std::size_t program) {
    static const fs::path folder = [] {
        const fs::path made =
            fs::temp_directory_path() / ("tarvix_run_bench_" + std::to_string(::getpid()));
        fs::create_directories(made);
        for (std::size_t i = 0; i < std::size(kPrograms); ++i) {
            std::ofstream(made / ("loop" + std::to_string(i) + ".asm")) << kPrograms[i];
        }
        return made;
    }();
    return folder / ("loop" + std::to_string(program) + ".asm");
}

// A kit with the program loaded in its buffer, driven as the Run command drives it.
struct HeadlessKit {
    explicit HeadlessKit(std::size_t program) : host(sourcePath(program).string()) {
        buffer.loadFile(sourcePath(program).string());
        sink.lineSource = &kit.currentLine;
    }
    CX86TextBuffer buffer;
    MemoryOutputSink sink;
    OutputPane pane{sink};
    Kit kit{pane};
    HeadlessRunHost host;
    SteadyClock clock;
    ExecutionDriver driver{kit, buffer, host, clock};
};

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
    ->DenseRange(0, std::size(kPrograms) - 1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
