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

std::uint16_t readOperand(Cpu8086& cpu, Operand operand, int size) {
    switch (operand.kind) {
        case OperandKind::Register:
            return size == 2 ? cpu.regs[static_cast<Reg16>(operand.where)]
                             : cpu.regs[static_cast<Reg8>(operand.where)];
        case OperandKind::Memory:
            return size == 2 ? cpu.memory.readWord(operand.where)
                             : cpu.memory.readByte(operand.where);
        case OperandKind::Immediate:
            break;
    }
    return operand.where;
}

void writeOperand(Cpu8086& cpu, Operand operand, int size, std::uint16_t value) {
    const auto low = static_cast<std::uint8_t>(value & 0xFF);
    if (operand.kind == OperandKind::Register) {
        if (size == 2) {
            cpu.regs[static_cast<Reg16>(operand.where)] = value;
        } else {
            cpu.regs[static_cast<Reg8>(operand.where)] = low;
        }
    } else if (operand.kind == OperandKind::Memory) {
        if (size == 2) {
            cpu.memory.writeWord(operand.where, value);
        } else {
            cpu.memory.writeByte(operand.where, low);
        }
    }
}

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

void applyPair(Cpu8086& cpu, const OperandPair& pair, BinaryOperation operation, bool store) {
    const std::uint16_t flags = cpu.regs.FLAGS;
    const std::uint16_t a = readOperand(cpu, pair.dest, pair.size);
    const std::uint16_t b = readOperand(cpu, pair.source, pair.size);
    const AluResult result = operation(a, b, flags, pair.size);
    if (store) {
        writeOperand(cpu, pair.dest, pair.size, result.value);
    }
    storeFlags(cpu.regs, result.status);
}

}  // namespace tarvix
