#include "simulator/alu_operands.h"

namespace tarvix {

namespace {

bool reportFormat(Cpu8086& cpu) {
    return cpu.pane().reportError(MessageId::ErrorInInstructionFormat, WithLine::Yes);
}

bool memoryOperand(Cpu8086& cpu, const OperandForm& form, Operand& operand) {
    const std::uint16_t address = cpu.operandAddress(form);
    operand = {OperandKind::Memory, address};
    return address != 0;
}

}  // namespace

bool resolvePair(Cpu8086& cpu, const OperandForm& dest, const OperandForm& source,
                 OperandPair& pair) {
    if (dest.registerSize != 0) {
        pair.dest = {OperandKind::Register, dest.registerCode};
        pair.size = dest.registerSize;
        if (source.isNumber) {
            pair.source = {OperandKind::Immediate,
                           static_cast<std::uint16_t>(source.number & widthMask(pair.size))};
            return true;
        }
        if (source.registerSize == dest.registerSize) {
            pair.source = {OperandKind::Register, source.registerCode};
            return true;
        }
        if (source.registerSize == 0 && source.isMemory) {
            return memoryOperand(cpu, source, pair.source);
        }
    } else if (dest.isMemory) {
        if (source.isNumber) {
            if (!memoryOperand(cpu, dest, pair.dest)) {
                return false;
            }
            pair.size = dest.pointerSize;
            if (pair.size == 0) {
                return cpu.pane().reportError(MessageId::SpecifyPointerSize, WithLine::Yes);
            }
            pair.source = {OperandKind::Immediate,
                           static_cast<std::uint16_t>(source.number & widthMask(pair.size))};
            return true;
        }
        if (source.registerSize != 0) {
            pair.source = {OperandKind::Register, source.registerCode};
            pair.size = source.registerSize;
            return memoryOperand(cpu, dest, pair.dest);
        }
    }
    return reportFormat(cpu);
}

bool resolveTarget(Cpu8086& cpu, const OperandForm& operand, TargetRule rule, Operand& target,
                   int& size) {
    if (operand.registerSize != 0) {
        target = {OperandKind::Register, operand.registerCode};
        size = operand.registerSize;
        return true;
    }
    if (!operand.isMemory) {
        return reportFormat(cpu);
    }
    if (!memoryOperand(cpu, operand, target)) {
        return rule.reportFailedAddress ? reportFormat(cpu) : false;
    }
    size = operand.pointerSize;
    if (size == 0) {
        return cpu.pane().reportError(rule.missingPrefix, WithLine::Yes);
    }
    return true;
}

}  // namespace tarvix
