// Executors read their operands as text at run time. Random and mutated instruction lines go
// straight to them, past the assembler: each either executes or reports why not, and nothing
// reads or writes out of bounds (the test build runs sanitized).
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "tests/kit_fixture.h"

namespace tarvix {
namespace {

const std::vector<std::string> kSeeds = {"mov ax,[bx+si+7f]",
                                         "mov bptr [1800],ff",
                                         "xchg al,[di-2]",
                                         "xlat",
                                         "push wptr [bp+4]",
                                         "pop [1802]",
                                         "add wptr [si],8000",
                                         "sbb al,bl",
                                         "neg bptr [bx]",
                                         "test ax,1234",
                                         "shl wptr [1800],cl",
                                         "rcr bl,1",
                                         "mul bptr [si]",
                                         "idiv cx",
                                         "aam",
                                         "das",
                                         "cwd",
                                         "repne scasb",
                                         "movsw",
                                         "lodsb",
                                         "jmp [bx]",
                                         "call ax",
                                         "ret",
                                         "iret",
                                         "int 21",
                                         "loopne x",
                                         "jcxz y",
                                         "in al,dx",
                                         "out 20,al",
                                         "out dx,ax",
                                         "inc wptr [1800]",
                                         "dec sp",
                                         "lea si,[bx+4]",
                                         "pushf",
                                         "popf",
                                         "cmp [1800],al",
                                         "sar wptr [bp-10],cl",
                                         "div bptr [1fff]"};

const std::string kAlphabet = "axbxcldhsidibpsp[]+-,:; 0123456789abcdefwptrbptrword byte ptr\t";

std::string mutate(std::string text, std::mt19937& rng) {
    const int edits = static_cast<int>(rng() % 4);
    for (int i = 0; i < edits; ++i) {
        const std::size_t at = text.empty() ? 0 : rng() % text.size();
        const char c = kAlphabet[rng() % kAlphabet.size()];
        switch (rng() % 3) {
            case 0:
                text.insert(at, 1, c);
                break;
            case 1:
                if (!text.empty()) {
                    text.erase(at, 1);
                }
                break;
            default:
                if (!text.empty()) {
                    text[at] = c;
                }
                break;
        }
    }
    return text;
}

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
        const std::string line = mutate(kSeeds[rng() % kSeeds.size()], rng);
        if (findExecutor(decodeLine(line).mnemonic) == nullptr) {
            continue;
        }
        boxes.shown = 0;
        kit.cpu.regs.SI = static_cast<std::uint16_t>(0x1800 + rng() % 0x900);
        kit.cpu.regs.DI = static_cast<std::uint16_t>(rng());
        kit.cpu.regs.setWord(3, static_cast<std::uint16_t>(0x1000 + rng() % 0x1100));
        kit.cpu.regs.setWord(1, static_cast<std::uint16_t>(rng() % 40));  // CX keeps REP short
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
