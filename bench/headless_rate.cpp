// The headless rate of each run-benchmark program, as Run executes it: built natively and as
// WebAssembly, so that scripts/web-bench can set the browser's core beside the native one.
// Prints one line per program: its index and millions of instructions a second.
#include <chrono>
#include <cstdio>

#include "bench/bench_programs.h"

int main() {
    using namespace tarvix;
    constexpr int kRuns = 3;
    for (std::size_t program = 0; program < bench::kProgramCount; ++program) {
        bench::HeadlessKit headless(program);
        double best = 0;
        for (int run = 0; run < kRuns; ++run) {
            const auto start = std::chrono::steady_clock::now();
            headless.driver.run();
            const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
            if (headless.driver.lastEnding() != RunEnding::Halted) {
                std::fprintf(stderr, "program %zu: %s\n", program, headless.sink.text.c_str());
                return 1;
            }
            const double rate =
                static_cast<double>(headless.driver.lastInstructionCount()) / took.count() / 1e6;
            best = rate > best ? rate : best;
        }
        std::printf("%zu %.2f\n", program, best);
    }
    return 0;
}
