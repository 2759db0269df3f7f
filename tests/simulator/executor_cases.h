// Table-driven executor tests: each row runs one executor on its operand texts after a setup,
// and expects its outcome, the pane's message and register, memory and flag values.
#pragma once

#include <array>
#include <span>
#include <string>
#include <string_view>

#include "simulator/cpu_registers.h"
#include "tests/simulator/cpu_fixture.h"

namespace tarvix::test {

using Exec = bool (*)(Cpu8086&);

struct ExecutorCase {
    Exec exec;
    const char* dest;
    const char* source;
    // "NAME=value ..." (hexadecimal) as CpuFixture::apply and check read them, and flags by
    // their names: "CF=1 AF=0".
    const char* setup;
    bool ok;
    const char* error;  // the message after "Line 7 Error: ", or "" for none
    const char* expect;
};

inline constexpr const char* kFormat = "Error in instruction format";
inline constexpr const char* kPrefix =
    "Specify 'BPTR'  or 'WPTR' for pointer to byte or word resptly";
inline constexpr const char* kWindow = "Bytes can be placed only between 1000H and 1FFFH";
inline constexpr const char* kOpcode = "Cannot replace opcode";

class ExecutorTest : public CpuFixture {
protected:
    // Every row starts from reset registers and the same words at 1100H, 1102H and 1FFEH.
    void runAll(std::span<const ExecutorCase> cases) {
        for (const ExecutorCase& c : cases) {
            cpu.regs.reset();
            apply("[1100]=5678 [1102]=9ABC [1FFE]=0A5A5");
            withFlags(
                c.setup, [this](std::string_view rest) { apply(rest); },
                [this](std::uint16_t mask, bool on) { cpu.regs.setFlag(mask, on); });
            at(7, c.dest, c.source);
            SCOPED_TRACE(std::string(c.dest) + "," + c.source + " | " + c.setup);
            EXPECT_EQ(c.exec(cpu), c.ok);
            EXPECT_EQ(sink.text, *c.error ? lineError(7, c.error) : "");
            withFlags(
                c.expect, [this](std::string_view rest) { check(rest); },
                [this](std::uint16_t mask, bool on) {
                    EXPECT_EQ(cpu.regs.testFlag(mask), on) << "flag " << std::hex << mask;
                });
        }
    }

private:
    struct FlagName {
        std::string_view name;
        std::uint16_t mask;
    };
    static constexpr std::array<FlagName, 9> kFlagNames{{
        {"CF", kCarryFlag},
        {"PF", kParityFlag},
        {"AF", kAuxCarryFlag},
        {"ZF", kZeroFlag},
        {"SF", kSignFlag},
        {"TF", kTrapFlag},
        {"IF", kInterruptFlag},
        {"DF", kDirectionFlag},
        {"OF", kOverflowFlag},
    }};

    // Hands the flag pairs of `text` to `onFlag` and the rest, as one text, to `onRest`.
    template <typename Rest, typename Flag>
    static void withFlags(std::string_view text, Rest&& onRest, Flag&& onFlag) {
        std::string rest;
        while (!text.empty()) {
            const std::size_t end = std::min(text.find(' '), text.size());
            const std::string_view pair = text.substr(0, end);
            text.remove_prefix(std::min(end + 1, text.size()));
            bool isFlag = false;
            for (const FlagName& f : kFlagNames) {
                if (pair.size() == 4 && pair.substr(0, 3) == std::string(f.name) + "=") {
                    onFlag(f.mask, pair[3] == '1');
                    isFlag = true;
                }
            }
            if (!isFlag && !pair.empty()) {
                rest += (rest.empty() ? "" : " ") + std::string(pair);
            }
        }
        if (!rest.empty()) {
            onRest(rest);
        }
    }
};

}  // namespace tarvix::test
