// ADD, SUB, CMP, INC, DEC, ADC and SBB: one operand ladder, addition or subtraction at the
// width, and FLAGS by the flag image rule.
#include "simulator/add_subtract.h"
#include "simulator/alu_operands.h"
#include "simulator/cpu8086.h"

namespace tarvix {

namespace {

bool carryIn(std::uint16_t flags) {
    return (flags & kCarryFlag) != 0;
}

// INC and DEC leave CF as it was.
AluResult keepCarry(AluResult result, std::uint16_t flags) {
    result.status =
        static_cast<std::uint16_t>((result.status & ~kCarryFlag) | (flags & kCarryFlag));
    return result;
}

AluResult addOperation(std::uint16_t a, std::uint16_t b, std::uint16_t, int size) {
    return add(a, b, false, size);
}
AluResult subOperation(std::uint16_t a, std::uint16_t b, std::uint16_t, int size) {
    return subtract(a, b, false, size);
}
AluResult adcOperation(std::uint16_t a, std::uint16_t b, std::uint16_t flags, int size) {
    return add(a, b, carryIn(flags), size);
}
AluResult sbbOperation(std::uint16_t a, std::uint16_t b, std::uint16_t flags, int size) {
    return subtract(a, b, carryIn(flags), size);
}
AluResult incOperation(std::uint16_t a, std::uint16_t b, std::uint16_t flags, int size) {
    return keepCarry(add(a, b, false, size), flags);
}
AluResult decOperation(std::uint16_t a, std::uint16_t b, std::uint16_t flags, int size) {
    return keepCarry(subtract(a, b, false, size), flags);
}

template <BinaryOperation operation, bool store = true>
bool execute(Cpu8086& cpu, const OperandForm& dest, const OperandForm& source) {
    OperandPair pair;
    if (!resolvePair(cpu, dest, source, pair)) {
        return false;
    }
    applyPair<operation, store>(cpu, pair);
    return true;
}

constexpr OperandForm kOne = OperandForm::immediate(1);

}  // namespace

bool Cpu8086::execAdd(const DecodedInstruction& ins) {
    return execute<addOperation>(*this, ins.dest, ins.source);
}

bool Cpu8086::execSub(const DecodedInstruction& ins, bool store) {
    return store ? execute<subOperation>(*this, ins.dest, ins.source)
                 : execute<subOperation, false>(*this, ins.dest, ins.source);
}

// The ADD or SUB ladder with the source "1", whatever the line says after the operand.
bool Cpu8086::execIncDec(const DecodedInstruction& ins, bool isInc) {
    return isInc ? execute<incOperation>(*this, ins.dest, kOne)
                 : execute<decOperation>(*this, ins.dest, kOne);
}

bool Cpu8086::execAdcSbb(const DecodedInstruction& ins, bool isAdc) {
    return isAdc ? execute<adcOperation>(*this, ins.dest, ins.source)
                 : execute<sbbOperation>(*this, ins.dest, ins.source);
}

}  // namespace tarvix
