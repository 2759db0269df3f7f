// A machine without files: a hand-made program image and label table, the pane kept in memory.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "assembler/symbol_table.h"
#include "common/operand_text.h"
#include "common/output_pane.h"
#include "simulator/cpu8086.h"

namespace tarvix::test {

// Lines 3 and 7 hold no instruction (a blank and a comment), so "the next instruction" and
// "the next line" differ there. Every instruction is two bytes long.
struct ProgramLine {
    int line;
    std::uint16_t address;
};
inline constexpr std::array<ProgramLine, 8> kProgram{{
    {0, 0x1000},
    {1, 0x1002},
    {2, 0x1004},
    {4, 0x1006},
    {5, 0x1008},
    {6, 0x100A},
    {8, 0x100C},
    {9, 0x100E},
}};
inline constexpr std::uint16_t kCodeLast = 0x100F;
inline constexpr std::uint8_t kCodeByte = 0x90;

class CpuFixture : public ::testing::Test {
protected:
    CpuFixture() {
        sink.lineSource = &line;
        for (const ProgramLine& p : kProgram) {
            image.lineMap.push_back(p.address);
            image.lineMap.push_back(static_cast<std::uint16_t>(p.line));
            cpu.memory.writeWord(p.address, kCodeByte * 0x101);
        }
        image.codeRanges = {0x1000, kCodeLast};  // after the bytes, or they could not be stored
        symbols.add("target", 0x1008);           // line 5
        symbols.add("Int21H", 0x100C);           // line 8
        symbols.add("table", 0x1200);            // data: no instruction there
        cpu.memory.modified = false;
    }

    // Prepares the instruction of line `after` - 1, as the dispatcher leaves it.
    void at(int after, std::string_view dest, std::string_view source = "") {
        line = after;
        cpu.dest = dest;
        cpu.source = source;
        pane.clearStatus();
        sink.markedLine.reset();
    }

    // Reads "AX".."DH", "FLAGS", "SP" or a word "[addr]" / byte "b[addr]" of memory.
    std::uint16_t probe(std::string_view what) {
        if (what == "FLAGS") {
            return cpu.regs.FLAGS;
        }
        if (registerSize(what) == 2) {
            return cpu.regs.getReg16(what);
        }
        if (registerSize(what) == 1) {
            return cpu.regs.getReg8(what);
        }
        const auto address = static_cast<std::size_t>(parseHex(what.substr(what.find('[') + 1)));
        const auto& bytes = cpu.memory.bytes();
        const std::size_t i = address - 0x1000;
        return what.front() == 'b' ? bytes[i]
                                   : static_cast<std::uint16_t>(bytes[i] | bytes[i + 1] << 8);
    }

    void poke(std::uint16_t address, std::uint16_t word) {
        ASSERT_TRUE(cpu.memory.writeWord(address, word));
    }

    // Applies "NAME=value ..." (hexadecimal) to what probe() reads.
    void apply(std::string_view assignments) {
        forEachPair(assignments, [this](std::string_view what, std::uint16_t value) {
            if (what == "FLAGS") {
                cpu.regs.FLAGS = value;
            } else if (registerSize(what) == 2) {
                cpu.regs.setReg16(what, value);
            } else if (registerSize(what) == 1) {
                cpu.regs.setReg8(what, static_cast<std::uint8_t>(value));
            } else if (what.front() == 'b') {
                ASSERT_TRUE(cpu.memory.writeByte(parseHex(what.substr(2)),
                                                 static_cast<std::uint8_t>(value)));
            } else {
                poke(parseHex(what.substr(1)), value);
            }
        });
    }

    // Expects every "NAME=value" of the text.
    void check(std::string_view expectations) {
        forEachPair(expectations, [this](std::string_view what, std::uint16_t value) {
            EXPECT_EQ(probe(what), value) << what;
        });
    }

private:
    template <typename F>
    static void forEachPair(std::string_view text, F&& f) {
        while (!text.empty()) {
            const std::size_t end = std::min(text.find(' '), text.size());
            const std::string_view pair = text.substr(0, end);
            const std::size_t equals = pair.find('=');
            f(pair.substr(0, equals), parseHex(pair.substr(equals + 1)));
            text.remove_prefix(std::min(end + 1, text.size()));
        }
    }

protected:
    int line = 0;
    MemoryOutputSink sink;
    OutputPane pane{sink};
    ProgramImage image;
    SymbolTable symbols;
    Cpu8086 cpu{pane, image, line, symbols};
};

// The pane after an error of the instruction whose next line is `after`.
inline std::string lineError(int after, std::string_view text) {
    return "Line " + std::to_string(after) + " Error: " + std::string(text);
}

}  // namespace tarvix::test
