// One source line as the kit executes it, read once per run: the operation, its operands as
// typed forms, where it transfers control to, and the texts the execution dialog shows.
// Executors take this record; nothing they do on the way reads operand text again.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "simulator/clock_table.h"
#include "simulator/operand_form.h"

namespace tarvix {

class Kit;
class Cpu8086;

// Every operation the kit executes; other names of one (JZ for JE, SAL for SHL) share it.
// One family a row.
// clang-format off
enum class Operation : std::uint8_t {
    None,     // a blank, comment-only or label-only line
    Unknown,  // a mnemonic the kit does not know
    Mov, Xchg, Xlat, Lea, Push, Pop, Pushf, Popf, In, Out, Connect,
    Add, Adc, Sub, Sbb, Cmp, Inc, Dec, Neg, Mul, Imul, Div, Idiv,
    And, Or, Xor, Not, Test, Shl, Shr, Sar, Rol, Ror, Rcl, Rcr,
    Aaa, Aas, Daa, Das, Aam, Aad, Cbw, Cwd,
    Movsb, Movsw, Cmpsb, Cmpsw, Scasb, Scasw, Lodsb, Lodsw, Stosb, Stosw, Repe, Repne,
    Jmp, Je, Jne, Ja, Jae, Jb, Jbe, Jg, Jge, Jl, Jle, Jo, Jno, Js, Jns, Jp, Jnp, Jcxz,
    Loop, LoopE, LoopNE, Call, Ret, Int, Into, Iret,
    Clc, Stc, Cmc, Cld, Std, Cli, Sti, Nop, Hlt,
};
// clang-format on

// What an executor tells the dispatcher.
enum class Outcome {
    Failed,           // an error has been reported; the run stops
    Executed,         // done; the views are refreshed by the usual rule
    ExecutedQuietly,  // done, without any refresh (connect, INTO without overflow)
    Halted,           // HLT: the run stops without a message
};

struct DecodedInstruction;

// Executors reach the whole kit: the processor, and for IN, OUT and connect its devices.
using Executor = Outcome (*)(Kit&, const DecodedInstruction&);

// Where a label sends a jump, a call or an interrupt: its line, or the message that a transfer
// there reports (the label is undefined or names no instruction) with line -1.
struct LineTarget {
    int line = -1;
    std::string error;
};

struct DecodedInstruction {
    Operation operation = Operation::None;
    Executor executor = nullptr;  // null for None and Unknown
    OperandForm dest;             // first operand
    OperandForm source;           // second operand
    LineTarget target;            // a label operand's line; INT's and INTO's handler
    // The string operation REPE and REPNE repeat, or the device connect names; -1 for none.
    int variant = -1;
    InstructionClocks clocks;  // what the instruction takes on an 8086

    std::string text;  // normalised, for the execution dialog's status line
    std::string mnemonic;
    std::string destText;    // right-trimmed
    std::string sourceText;  // left-trimmed
};

// Decodes a line of the program the kit has loaded, whose labels `cpu` resolves.
DecodedInstruction decodeLine(std::string_view line, const Cpu8086& cpu);

}  // namespace tarvix
