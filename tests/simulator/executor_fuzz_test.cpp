// Random and mutated instruction lines go straight to the decoder and the executors, past the
// assembler: each either executes or reports why not, and nothing reads or writes out of
// bounds (the test build runs sanitized).
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "tests/kit_fixture.h"
#include "tests/line_mutations.h"

namespace tarvix {
namespace {

// The internal reports a register setter makes when handed a name it does not know.
class CountedBoxes : public MessageBoxSink {
public:
    int shown = 0;
    void showMessageBox(std::string_view) override { ++shown; }
};

using ExecutorFuzz = KitFixture;

TEST_F(ExecutorFuzz, AnyOperandTextExecutesOrIsRefused) {
    loadTestProgram();  // somewhere for transfers to land, and code to refuse writes to
    CountedBoxes boxes;
    kit.cpu.regs.setMessageBoxSink(&boxes);
    std::mt19937 rng(20261206);
    int executed = 0;
    for (int i = 0; i < 200000; ++i) {
        const std::string line = mutatedLine(rng);
        if (decodeLine(line, kit.cpu).executor == nullptr) {
            continue;
        }
        boxes.shown = 0;
        kit.cpu.regs[Reg16::SI] = static_cast<std::uint16_t>(0x1800 + rng() % 0x900);
        kit.cpu.regs[Reg16::DI] = static_cast<std::uint16_t>(rng());
        kit.cpu.regs[Reg16::BX] = static_cast<std::uint16_t>(0x1000 + rng() % 0x1100);
        kit.cpu.regs[Reg16::CX] = static_cast<std::uint16_t>(rng() % 40);  // CX keeps REP short
        if (exec(1, line)) {
            ++executed;
        } else {
            ASSERT_TRUE(pane.errorLatched() || boxes.shown > 0) << line << ": failed silently";
        }
    }
    EXPECT_GT(executed, 1000);
}

}  // namespace
}  // namespace tarvix
