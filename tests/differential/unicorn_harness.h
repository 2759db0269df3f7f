// Differential execution: a kit program runs once the kit's way (source lines through the
// execution driver's Step) and once as its machine code on Unicorn, in lockstep. After each
// instruction the harness compares the executed line, AX..DI, SP, BP, the next IP, the 4 KB
// memory window and FLAGS, the flags the 8086 leaves undefined too: the kit takes their values
// from the processor Unicorn models (simulator/flag_image.h). Where the kit differs from a
// processor on purpose, one table in unicorn_harness.cpp names the difference and its reason.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarvix::test {

struct DifferentialCase {
    std::string name;
    std::string source;             // kit source text, lines ended by '\n'
    std::uint16_t dataAddress = 0;  // where `data` goes; the program's bytes load over it
    std::vector<std::uint8_t> data;
};

struct DifferentialResult {
    bool agreed = false;  // no unexplained difference, and the run halted or was refused
    // The deliberate difference the kit refused an instruction for, Unicorn's step checked to
    // be that case; empty when the run halted.
    std::string_view refusedFor;
    std::uint64_t instructions = 0;  // steps compared equal
    std::string report;              // the first unexplained difference, with context
};

DifferentialResult runDifferential(const DifferentialCase& program);

}  // namespace tarvix::test
