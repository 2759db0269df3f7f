// AND, OR, XOR, TEST, NOT and NEG. NOT and NEG without a second operand work on their one
// operand; with one they meet the two-operand forms, where they do nothing.
#include "simulator/add_subtract.h"
#include "simulator/alu_operands.h"
#include "simulator/cpu8086.h"

namespace tarvix {

namespace {

// CF and OF cleared; AF cleared too, as Unicorn's processor does.
AluResult bitwise(unsigned value, int size) {
    const auto result = static_cast<std::uint16_t>(value & widthMask(size));
    return {result, resultFlags(result, size)};
}

AluResult andOperation(std::uint16_t a, std::uint16_t b, std::uint16_t, int size) {
    return bitwise(a & b, size);
}
AluResult orOperation(std::uint16_t a, std::uint16_t b, std::uint16_t, int size) {
    return bitwise(a | b, size);
}
AluResult xorOperation(std::uint16_t a, std::uint16_t b, std::uint16_t, int size) {
    return bitwise(a ^ b, size);
}

AluResult unary(Cpu8086::LogicOp op, std::uint16_t value, std::uint16_t flags, int size) {
    if (op == Cpu8086::LogicOp::Not) {
        return {static_cast<std::uint16_t>(~value & widthMask(size)), flags};
    }
    return subtract(0, value, false, size);
}

}  // namespace

bool Cpu8086::execLogic(const DecodedInstruction& ins, LogicOp op) {
    const bool isUnary = op == LogicOp::Not || op == LogicOp::Neg;
    if (isUnary && ins.source.isEmpty && (ins.dest.registerSize != 0 || ins.dest.isMemory)) {
        Operand target;
        int size = 0;
        if (!resolveTarget(*this, ins.dest, {MessageId::SpecifyPointerSize, false}, target, size)) {
            return false;
        }
        const std::uint16_t flags = regs.FLAGS;
        const AluResult result = unary(op, readOperand(*this, target, size), flags, size);
        writeOperand(*this, target, size, result.value);
        storeFlags(regs, result.status);
        return true;
    }

    OperandPair pair;
    if (!resolvePair(*this, ins.dest, ins.source, pair)) {
        return false;
    }
    switch (op) {
        case LogicOp::And:
            applyPair<andOperation, true>(*this, pair);
            break;
        case LogicOp::Test:
            applyPair<andOperation, false>(*this, pair);
            break;
        case LogicOp::Or:
            applyPair<orOperation, true>(*this, pair);
            break;
        case LogicOp::Xor:
            applyPair<xorOperation, true>(*this, pair);
            break;
        case LogicOp::Not:
        case LogicOp::Neg:
            break;  // a second operand makes NOT and NEG do nothing
    }
    return true;
}

}  // namespace tarvix
