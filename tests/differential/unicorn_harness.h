// Differential execution: a kit program runs once the kit's way (source lines through the
// execution driver's Step) and once as its machine code on Unicorn, in lockstep. After each
// instruction the harness compares the executed line, AX..DI, SP, BP, the next IP, the 4 KB
// memory window and FLAGS: every bit but the reserved ones, so an instruction that must leave
// a flag alone is held to that too. Flags the 8086 leaves undefined are compared as well: the
// kit takes their values from the processor Unicorn models (simulator/flag_image.h). After an
// instruction that stores FLAGS by the flag image rule the reserved bits are held to that rule
// too.
// Where the kit differs from a processor on purpose, the difference is named in one table and
// either masked in the comparison, recognised when the kit refuses an instruction, or avoided
// by the programs.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/messages.h"

namespace tarvix::test {

// The kit's deliberate departures from a real processor.
enum class KitDifference {
    FlagsReservedBits,
    HandlersByLabel,
    CodeWriteRefused,
    IretCsZero,
    StackBounds,
    MemoryWindow,
    TargetsAreLines,
    ReturnSkipsData,
    NoSegmentRegisters,
    NoTrapInterrupt,
    HaltedIpDisplay,
    DivideErrorStops,
    RefusedForms,
    IdivQuotientRange,
    ShiftCountModulo32,
};

// How the harness deals with a difference.
enum class Handling {
    Masked,      // the comparison leaves the affected bits out
    Recognised,  // the kit refuses the instruction; the harness checks Unicorn did what the rule
                 // says
    Avoided,     // the generator never writes such a program
    AsUnicorn,   // only the 8086 differs: Unicorn's later processor does as the kit does
};

struct DeliberateDifference {
    KitDifference id;
    std::string_view name;
    std::string_view reason;
    Handling handling;
    // The pane messages with which the kit refuses (Recognised rules): from the message
    // table, or plain text; none for the others.
    std::array<std::optional<MessageId>, 2> messages;
    std::string_view otherMessage;
};

// The entry of the single table of the kit's deliberate differences.
const DeliberateDifference& deliberateDifference(KitDifference id);

struct MemoryBlock {
    std::uint16_t address = 0;
    std::vector<std::uint8_t> bytes;
};

struct DifferentialCase {
    std::string name;
    std::string source;               // kit source text, lines ended by '\n'
    std::vector<MemoryBlock> memory;  // inside 1000H..1FFFH; the program's bytes load over it
};

struct DifferentialResult {
    bool agreed = false;  // no unexplained difference, and the run halted or was refused
    // The kit refused an instruction for this deliberate reason, after `instructions`
    // compared steps; Unicorn's step was checked to be the rule's case.
    std::optional<KitDifference> refusedFor;
    std::uint64_t instructions = 0;  // steps compared equal
    std::uint16_t codeEnd = 0;       // one past the program's last byte
    std::string report;              // the first unexplained difference, with context
};

// Runs the case both ways and compares them after every executed instruction.
DifferentialResult runDifferential(const DifferentialCase& program);

}  // namespace tarvix::test
