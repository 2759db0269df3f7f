// Assembling a 10000-line source with tarvix-asm against NASM on the same program, both run
// as the command-line tools a teacher would use: started straight from this process, with no
// shell between, whose own start would weigh on the faster tool's figure most.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace {

namespace fs = std::filesystem;

// One statement in the kit's syntax and in NASM's.
struct Form {
    const char* kit;
    const char* nasm;
};

const std::vector<Form> kForms = {
    {"mov ax,1234", "mov ax,0x1234"},
    {"mov bl,[si+7f]", "mov bl,[si+0x7f]"},
    {"add wptr [bx+di+100],80", "add word [bx+di+0x100],0x80"},
    {"sub cx,[1200]", "sub cx,[0x1200]"},
    {"and al,0f", "and al,0x0f"},
    {"xor bx,bx", "xor bx,bx"},
    {"cmp bptr [bp-2],5", "cmp byte [bp-0x2],0x5"},
    {"test dx,8000", "test dx,0x8000"},
    {"inc wptr [1300]", "inc word [0x1300]"},
    {"shl ax,cl", "shl ax,cl"},
    {"rcr bptr [si],1", "rcr byte [si],1"},
    {"push bx", "push bx"},
    {"pop wptr [di+4]", "pop word [di+0x4]"},
    {"in al,20", "in al,0x20"},
    {"out dx,ax", "out dx,ax"},
    {"xchg si,[bx]", "xchg si,[bx]"},
    {"mul bptr [bx+si]", "mul byte [bx+si]"},
    {"int 21", "int 0x21"},
    {"rep movsb", "rep movsb"},
    {"daa", "daa"},
};

struct Sources {
    fs::path folder;
    fs::path kit;
    fs::path nasm;
};

// Every fifth line carries a label, and every seventh jumps forward to the next label.
Sources writeSources() {
    Sources s;
    s.folder = fs::temp_directory_path() / ("tarvix_bench_" + std::to_string(::getpid()));
    fs::create_directories(s.folder);
    s.kit = s.folder / "big.asm";
    s.nasm = s.folder / "big.nasm";
    std::ofstream kit(s.kit, std::ios::binary);
    std::ofstream nasm(s.nasm, std::ios::binary);
    nasm << "bits 16\norg 0x1000\n";
    for (int line = 0; line < 9999; ++line) {
        const Form& form = kForms[static_cast<std::size_t>(line) % kForms.size()];
        std::string label;
        if (line % 5 == 0) {
            label = "l" + std::to_string(line / 5) + ": ";
        }
        if (line % 7 == 3) {
            const std::string target = "l" + std::to_string(line / 5 + 1);
            kit << label << "jnz " << target << "\r\n";
            nasm << label << "jnz near " << target << "\n";
        } else {
            kit << label << form.kit << "\r\n";
            nasm << label << form.nasm << "\n";
        }
    }
    kit << "last: hlt";
    nasm << "last: hlt\n";
    return s;
}

const Sources& sources() {
    static const Sources s = writeSources();
    return s;
}

using Command = std::vector<std::string>;

std::string shown(const Command& command) {
    std::string text;
    for (const std::string& word : command) {
        text += (text.empty() ? "" : " ") + word;
    }
    return text;
}

bool succeeds(const Command& command) {
    std::vector<char*> argv;
    for (const std::string& word : command) {
        argv.push_back(const_cast<char*>(word.c_str()));  // NOLINT: posix_spawn's old signature
    }
    argv.push_back(nullptr);
    pid_t child = 0;
    if (posix_spawnp(&child, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
        return false;
    }
    int status = 0;
    return waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void runTool(benchmark::State& state, const Command& command) {
    for (auto _ : state) {
        if (!succeeds(command)) {
            state.SkipWithError(("failed: " + shown(command)).c_str());
            return;
        }
    }
}

Command kitCommand() {
    return {TARVIX_ASM, sources().kit.string()};
}

Command nasmCommand() {
    const Sources& s = sources();
    return {"nasm", "-O0", "-f", "bin", "-o", (s.folder / "big.bin").string(), s.nasm.string()};
}

void BM_TarvixAsm(benchmark::State& state) {
    runTool(state, kitCommand());
}

void BM_TarvixAsmListing(benchmark::State& state) {
    runTool(state, {TARVIX_ASM, "--listing", sources().kit.string()});
}

// One DB line of that many letters: the time must grow with the line, not with its square.
void BM_TarvixAsmLongDataLine(benchmark::State& state) {
    const auto letters = static_cast<std::size_t>(state.range(0));
    const fs::path path = sources().folder / ("data" + std::to_string(letters) + ".asm");
    std::ofstream(path, std::ios::binary) << "db '" << std::string(letters, 'a') << "'\r\nhlt\r\n";
    runTool(state, {TARVIX_ASM, path.string()});
}

void BM_Nasm(benchmark::State& state) {
    runTool(state, nasmCommand());
}

// Both tools in turns, so that a shared machine's load weighs on both alike; the counter
// "ratio" is tarvix-asm's time over NASM's.
void BM_TarvixAsmOverNasm(benchmark::State& state) {
    using Clock = std::chrono::steady_clock;
    Clock::duration kit{};
    Clock::duration nasm{};
    for (auto _ : state) {
        for (const auto& [command, total] :
             {std::pair{kitCommand(), &kit}, std::pair{nasmCommand(), &nasm}}) {
            const Clock::time_point start = Clock::now();
            if (!succeeds(command)) {
                state.SkipWithError(("failed: " + shown(command)).c_str());
                return;
            }
            *total += Clock::now() - start;
        }
    }
    const auto milliseconds = [&](Clock::duration total) {
        return std::chrono::duration<double, std::milli>(total).count() /
               static_cast<double>(state.iterations());
    };
    state.counters["tarvix_ms"] = milliseconds(kit);
    state.counters["nasm_ms"] = milliseconds(nasm);
    state.counters["ratio"] = milliseconds(kit) / milliseconds(nasm);
}

void BM_NasmOptimising(benchmark::State& state) {
    const Sources& s = sources();
    runTool(state, {"nasm", "-f", "bin", "-o", (s.folder / "big.bin").string(), s.nasm.string()});
}

BENCHMARK(BM_TarvixAsm)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TarvixAsmListing)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TarvixAsmLongDataLine)
    ->Arg(200'000)
    ->Arg(1'000'000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_Nasm)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_NasmOptimising)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TarvixAsmOverNasm)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    fs::remove_all(sources().folder);
    return 0;
}
