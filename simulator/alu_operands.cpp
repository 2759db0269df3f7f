#include "simulator/alu_operands.h"

#include "common/operand_text.h"

namespace tarvix {

namespace {

bool reportFormat(Cpu8086& cpu) {
    return cpu.pane().reportError(MessageId::ErrorInInstructionFormat, WithLine::Yes);
}

bool memoryOperand(Cpu8086& cpu, std::string_view text, Operand& operand) {
    const std::uint16_t address = cpu.operandAddress(text);
    operand = {OperandKind::Memory, address};
    return address != 0;
}

}  // namespace

std::uint16_t readOperand(Cpu8086& cpu, Operand operand, int size) {
    switch (operand.kind) {
        case OperandKind::Register:
            return size == 2 ? cpu.regs.word(operand.where) : cpu.regs.byteRegister(operand.where);
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
            cpu.regs.setWord(operand.where, value);
        } else {
            cpu.regs.byteRegister(operand.where) = low;
        }
    } else if (operand.kind == OperandKind::Memory) {
        if (size == 2) {
            cpu.memory.writeWord(operand.where, value);
        } else {
            cpu.memory.writeByte(operand.where, low);
        }
    }
}

bool resolvePair(Cpu8086& cpu, std::string_view dest, std::string_view source, OperandPair& pair) {
    const RegisterRef destRegister = registerRef(dest);
    const RegisterRef sourceRegister = registerRef(source);
    const bool immediate = isHexNumber(source);
    if (destRegister.size != 0) {
        pair.dest = {OperandKind::Register, static_cast<std::uint16_t>(destRegister.code)};
        pair.size = destRegister.size;
        if (immediate) {
            pair.source = {OperandKind::Immediate,
                           static_cast<std::uint16_t>(parseHex(source) & widthMask(pair.size))};
            return true;
        }
        if (sourceRegister.size == destRegister.size) {
            pair.source = {OperandKind::Register, static_cast<std::uint16_t>(sourceRegister.code)};
            return true;
        }
        if (sourceRegister.size == 0 && Cpu8086::isMemoryOperand(source)) {
            return memoryOperand(cpu, source, pair.source);
        }
    } else if (Cpu8086::isMemoryOperand(dest)) {
        if (immediate) {
            if (!memoryOperand(cpu, dest, pair.dest)) {
                return false;
            }
            pair.size = Cpu8086::pointerSize(dest);
            if (pair.size == 0) {
                return cpu.pane().reportError(MessageId::SpecifyPointerSize, WithLine::Yes);
            }
            pair.source = {OperandKind::Immediate,
                           static_cast<std::uint16_t>(parseHex(source) & widthMask(pair.size))};
            return true;
        }
        if (sourceRegister.size != 0) {
            pair.source = {OperandKind::Register, static_cast<std::uint16_t>(sourceRegister.code)};
            pair.size = sourceRegister.size;
            return memoryOperand(cpu, dest, pair.dest);
        }
    }
    return reportFormat(cpu);
}

bool resolveTarget(Cpu8086& cpu, std::string_view text, TargetRule rule, Operand& target,
                   int& size) {
    if (const RegisterRef ref = registerRef(text); ref.size != 0) {
        target = {OperandKind::Register, static_cast<std::uint16_t>(ref.code)};
        size = ref.size;
        return true;
    }
    if (!Cpu8086::isMemoryOperand(text)) {
        return reportFormat(cpu);
    }
    if (!memoryOperand(cpu, text, target)) {
        return rule.reportFailedAddress ? reportFormat(cpu) : false;
    }
    size = Cpu8086::pointerSize(text);
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
