// The 8086 timing table (Intel, 8086 Family User's Manual, table 2-21) as rows of an operation,
// the shape of its operands and its clock count. A memory operand adds its effective-address
// time, except in the accumulator forms with a direct address, whose counts include it.
#include "simulator/clock_table.h"

#include <array>
#include <initializer_list>
#include <string_view>

#include "common/text.h"
#include "simulator/decoded_instruction.h"

namespace tarvix {

namespace {

using Op = Operation;

// Operands as the table tells forms apart. A general shape stands for its sized ones
// (Reg for Reg8 and Reg16) and the accumulator forms fall back on the register forms.
enum class Shape : std::uint8_t {
    Any,
    Reg,
    Reg8,
    Reg16,
    Mem,
    Mem8,
    Mem16,
    RegReg,
    RegMem,
    MemReg,
    RegImm,
    MemImm,
    AccImm,
    AccReg,
    AccMem,  // AL or AX and a direct address
    MemAcc,
    ImmAcc,  // OUT to a fixed port
    Count,
};

struct ClockRow {
    std::initializer_list<Operation> operations;
    Shape shape;
    std::uint16_t clocks;
    std::uint16_t extra = 0;
};

const std::initializer_list<Operation> kArithmetic = {Op::Add, Op::Adc, Op::Sub, Op::Sbb,
                                                      Op::And, Op::Or,  Op::Xor};
const std::initializer_list<Operation> kShifts = {Op::Shl, Op::Shr, Op::Sar, Op::Rol,
                                                  Op::Ror, Op::Rcl, Op::Rcr};
const std::initializer_list<Operation> kConditionalJumps = {
    Op::Je, Op::Jne, Op::Ja, Op::Jae, Op::Jb, Op::Jbe, Op::Jg, Op::Jge,
    Op::Jl, Op::Jle, Op::Jo, Op::Jno, Op::Js, Op::Jns, Op::Jp, Op::Jnp};
const std::initializer_list<Operation> kFlagOperations = {Op::Clc, Op::Stc, Op::Cmc, Op::Cld,
                                                          Op::Std, Op::Cli, Op::Sti};

// Multiply and divide take a time that depends on the operands; the table gives a range, and
// the kit takes the middle of it, rounded down.
// clang-format off
const ClockRow kRows[] = {
    {{Op::Mov}, Shape::RegReg, 2},   {{Op::Mov}, Shape::RegMem, 8},
    {{Op::Mov}, Shape::MemReg, 9},   {{Op::Mov}, Shape::RegImm, 4},
    {{Op::Mov}, Shape::MemImm, 10},  {{Op::Mov}, Shape::AccMem, 10},
    {{Op::Mov}, Shape::MemAcc, 10},
    {{Op::Push}, Shape::Reg, 11},    {{Op::Push}, Shape::Mem, 16},
    {{Op::Pop}, Shape::Reg, 8},      {{Op::Pop}, Shape::Mem, 17},
    {{Op::Pushf}, Shape::Any, 10},   {{Op::Popf}, Shape::Any, 8},
    {{Op::Xchg}, Shape::RegReg, 4},  {{Op::Xchg}, Shape::AccReg, 3},
    {{Op::Xchg}, Shape::RegMem, 17}, {{Op::Xchg}, Shape::MemReg, 17},
    {{Op::Xlat}, Shape::Any, 11},    {{Op::Lea}, Shape::RegMem, 2},
    {{Op::In}, Shape::AccImm, 10},   {{Op::In}, Shape::AccReg, 8},
    {{Op::Out}, Shape::ImmAcc, 10},  {{Op::Out}, Shape::RegReg, 8},

    {kArithmetic, Shape::RegReg, 3},  {kArithmetic, Shape::RegMem, 9},
    {kArithmetic, Shape::MemReg, 16}, {kArithmetic, Shape::RegImm, 4},
    {kArithmetic, Shape::MemImm, 17}, {kArithmetic, Shape::AccImm, 4},
    {{Op::Cmp}, Shape::RegReg, 3},    {{Op::Cmp}, Shape::RegMem, 9},
    {{Op::Cmp}, Shape::MemReg, 9},    {{Op::Cmp}, Shape::RegImm, 4},
    {{Op::Cmp}, Shape::MemImm, 10},   {{Op::Cmp}, Shape::AccImm, 4},
    {{Op::Test}, Shape::RegReg, 3},   {{Op::Test}, Shape::RegMem, 9},
    {{Op::Test}, Shape::MemReg, 9},   {{Op::Test}, Shape::RegImm, 5},
    {{Op::Test}, Shape::MemImm, 11},  {{Op::Test}, Shape::AccImm, 4},
    {{Op::Inc, Op::Dec}, Shape::Reg16, 2}, {{Op::Inc, Op::Dec}, Shape::Reg8, 3},
    {{Op::Inc, Op::Dec}, Shape::Mem, 15},
    {{Op::Neg, Op::Not}, Shape::Reg, 3},   {{Op::Neg, Op::Not}, Shape::Mem, 16},

    {{Op::Mul}, Shape::Reg8, 73},   {{Op::Mul}, Shape::Reg16, 125},    // 70-77, 118-133
    {{Op::Mul}, Shape::Mem8, 79},   {{Op::Mul}, Shape::Mem16, 131},    // 76-83, 124-139
    {{Op::Imul}, Shape::Reg8, 89},  {{Op::Imul}, Shape::Reg16, 141},   // 80-98, 128-154
    {{Op::Imul}, Shape::Mem8, 95},  {{Op::Imul}, Shape::Mem16, 147},   // 86-104, 134-160
    {{Op::Div}, Shape::Reg8, 85},   {{Op::Div}, Shape::Reg16, 153},    // 80-90, 144-162
    {{Op::Div}, Shape::Mem8, 91},   {{Op::Div}, Shape::Mem16, 159},    // 86-96, 150-168
    {{Op::Idiv}, Shape::Reg8, 106}, {{Op::Idiv}, Shape::Reg16, 174},   // 101-112, 165-184
    {{Op::Idiv}, Shape::Mem8, 112}, {{Op::Idiv}, Shape::Mem16, 180},   // 107-118, 171-190

    // By 1, or by CL at 4 more a bit.
    {kShifts, Shape::RegImm, 2},  {kShifts, Shape::RegReg, 8, 4},
    {kShifts, Shape::MemImm, 15}, {kShifts, Shape::MemReg, 20, 4},

    {{Op::Aaa, Op::Aas, Op::Daa, Op::Das}, Shape::Any, 4},
    {{Op::Aam}, Shape::Any, 83},  {{Op::Aad}, Shape::Any, 60},
    {{Op::Cbw}, Shape::Any, 2},   {{Op::Cwd}, Shape::Any, 5},

    {{Op::Movsb, Op::Movsw}, Shape::Any, 18}, {{Op::Cmpsb, Op::Cmpsw}, Shape::Any, 22},
    {{Op::Scasb, Op::Scasw}, Shape::Any, 15}, {{Op::Lodsb, Op::Lodsw}, Shape::Any, 12},
    {{Op::Stosb, Op::Stosw}, Shape::Any, 11},

    // Not taken, and what taking the transfer adds.
    {kConditionalJumps, Shape::Any, 4, 12},
    {{Op::Loop}, Shape::Any, 5, 12},   {{Op::LoopE}, Shape::Any, 6, 12},
    {{Op::LoopNE}, Shape::Any, 5, 14}, {{Op::Jcxz}, Shape::Any, 6, 12},
    {{Op::Jmp}, Shape::Any, 15},  {{Op::Jmp}, Shape::Reg, 11},  {{Op::Jmp}, Shape::Mem, 18},
    {{Op::Call}, Shape::Any, 19}, {{Op::Call}, Shape::Reg, 16}, {{Op::Call}, Shape::Mem, 21},
    {{Op::Ret}, Shape::Any, 8},
    {{Op::Int}, Shape::Any, 51},  {{Op::Into}, Shape::Any, 4, 49},  {{Op::Iret}, Shape::Any, 24},

    {kFlagOperations, Shape::Any, 2},
    {{Op::Nop}, Shape::Any, 3},
};
// clang-format on

// REPE and REPNE: the prefix's 9 and the repeated instruction's count per repetition.
struct RepeatedRow {
    std::string_view name;  // the string instruction without its size letter
    std::uint16_t perRepetition;
};
constexpr std::array<RepeatedRow, 5> kRepeatedRows{{
    {"movs", 17},
    {"cmps", 22},
    {"scas", 15},
    {"lods", 13},
    {"stos", 10},
}};
constexpr std::uint16_t kRepeatPrefixClocks = 9;

constexpr auto kOperations = static_cast<std::size_t>(Op::Hlt) + 1;
constexpr auto kShapes = static_cast<std::size_t>(Shape::Count);

struct Entry {
    bool present = false;
    InstructionClocks clocks;
};
using Lookup = std::array<std::array<Entry, kShapes>, kOperations>;

const Lookup& lookup() {
    static const Lookup table = [] {
        Lookup built{};
        for (const ClockRow& row : kRows) {
            for (const Operation operation : row.operations) {
                built[static_cast<std::size_t>(operation)][static_cast<std::size_t>(row.shape)] = {
                    true, {row.clocks, row.extra}};
            }
        }
        return built;
    }();
    return table;
}

bool isAccumulator(const OperandForm& operand) {
    return operand.is(Reg16::AX) || operand.is(Reg8::AL);
}

enum class Kind { None, Reg, Acc, Mem, Imm };

Kind kindOf(const OperandForm& operand) {
    if (operand.registerSize != 0) {
        return isAccumulator(operand) ? Kind::Acc : Kind::Reg;
    }
    if (operand.isMemory) {
        return Kind::Mem;
    }
    return operand.isNumber ? Kind::Imm : Kind::None;
}

bool isDirectAddress(const OperandForm& operand) {
    return operand.base < 0 && operand.index < 0;
}

Shape singleShape(const OperandForm& operand) {
    if (operand.registerSize != 0) {
        return operand.registerSize == 1 ? Shape::Reg8 : Shape::Reg16;
    }
    if (operand.isMemory) {
        return operand.pointerSize == 1   ? Shape::Mem8
               : operand.pointerSize == 2 ? Shape::Mem16
                                          : Shape::Mem;
    }
    return Shape::Any;
}

Shape pairShape(const OperandForm& dest, const OperandForm& source) {
    const Kind d = kindOf(dest);
    const Kind s = kindOf(source);
    const bool destIsRegister = d == Kind::Reg || d == Kind::Acc;
    const bool sourceIsRegister = s == Kind::Reg || s == Kind::Acc;
    if (d == Kind::Acc && s == Kind::Mem && isDirectAddress(source)) {
        return Shape::AccMem;
    }
    if (d == Kind::Mem && s == Kind::Acc && isDirectAddress(dest)) {
        return Shape::MemAcc;
    }
    if (d == Kind::Acc && s == Kind::Imm) {
        return Shape::AccImm;
    }
    if (d == Kind::Imm && s == Kind::Acc) {
        return Shape::ImmAcc;
    }
    if (destIsRegister && sourceIsRegister) {
        // XCHG with AX has a short form either way round; IN AL,DX is the accumulator's too.
        return d == Kind::Acc || s == Kind::Acc ? Shape::AccReg : Shape::RegReg;
    }
    if (destIsRegister) {
        return s == Kind::Mem ? Shape::RegMem : Shape::RegImm;
    }
    return sourceIsRegister ? Shape::MemReg : Shape::MemImm;
}

// The shape to try when a form has no row of its own.
Shape generalShape(Shape shape) {
    switch (shape) {
        case Shape::Reg8:
        case Shape::Reg16:
            return Shape::Reg;
        case Shape::Mem8:
        case Shape::Mem16:
            return Shape::Mem;
        case Shape::AccMem:
            return Shape::RegMem;
        case Shape::MemAcc:
            return Shape::MemReg;
        case Shape::AccImm:
            return Shape::RegImm;
        case Shape::AccReg:
            return Shape::RegReg;
        default:
            return Shape::Any;
    }
}

// Effective-address time; [BP] alone is encoded with a zero displacement, and costs one.
std::uint16_t effectiveAddressClocks(const OperandForm& operand) {
    const bool hasBase = operand.base >= 0;
    const bool hasIndex = operand.index >= 0;
    const bool hasDisplacement = operand.displacement != 0;
    if (!hasBase && !hasIndex) {
        return 6;
    }
    if (hasBase != hasIndex) {
        const bool onBp = (hasBase ? operand.base : operand.index) == static_cast<int>(Reg16::BP);
        return hasDisplacement || onBp ? 9 : 5;
    }
    // BX+SI and BP+DI take one clock less than BX+DI and BP+SI.
    const int sum = operand.base + operand.index;
    const bool quickPair = sum == static_cast<int>(Reg16::BX) + static_cast<int>(Reg16::SI) ||
                           sum == static_cast<int>(Reg16::BP) + static_cast<int>(Reg16::DI);
    return static_cast<std::uint16_t>((hasDisplacement ? 11 : 7) + (quickPair ? 0 : 1));
}

InstructionClocks repeatedClocks(std::string_view operation) {
    for (const RepeatedRow& row : kRepeatedRows) {
        if (operation.size() == row.name.size() + 1 &&
            equalsIgnoreCase(operation.substr(0, row.name.size()), row.name)) {
            return {kRepeatPrefixClocks, row.perRepetition};
        }
    }
    return {};
}

}  // namespace

InstructionClocks clocksOf(const DecodedInstruction& ins) {
    if (ins.operation == Op::Repe || ins.operation == Op::Repne) {
        return repeatedClocks(ins.destText);
    }
    const auto& rows = lookup()[static_cast<std::size_t>(ins.operation)];
    Shape shape = ins.source.isEmpty ? singleShape(ins.dest) : pairShape(ins.dest, ins.source);
    while (!rows[static_cast<std::size_t>(shape)].present && shape != Shape::Any) {
        shape = generalShape(shape);
    }
    const Entry& entry = rows[static_cast<std::size_t>(shape)];
    if (!entry.present) {
        return {};
    }
    InstructionClocks clocks = entry.clocks;
    const OperandForm* memory = ins.dest.isMemory     ? &ins.dest
                                : ins.source.isMemory ? &ins.source
                                                      : nullptr;
    if (memory != nullptr && shape != Shape::AccMem && shape != Shape::MemAcc) {
        clocks.clocks = static_cast<std::uint16_t>(clocks.clocks + effectiveAddressClocks(*memory));
    }
    return clocks;
}

}  // namespace tarvix
