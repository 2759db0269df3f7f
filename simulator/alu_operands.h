// Operands of the arithmetic, logic, shift and multiply executors, resolved from their forms
// into registers, addresses and immediates, then read and written at a width.
//
// The helpers are always inlined into the executors: left to itself, the WebAssembly build
// called them and kept the operand pair in memory, and the browser's core ran arithmetic at a
// third of the native rate instead of a half.
#pragma once

#include <cstdint>

#include "common/messages.h"
#include "simulator/cpu8086.h"
#include "simulator/flag_image.h"

namespace tarvix {

enum class OperandKind { Register, Memory, Immediate };

struct Operand {
    OperandKind kind = OperandKind::Register;
    std::uint16_t where = 0;  // the register number, the address or the immediate's value
};

struct OperandPair {
    Operand dest;
    Operand source;
    int size = 0;  // bytes
};

// A refused memory access has reported itself: a read yields 0, a write leaves memory as it was.
[[gnu::always_inline]] inline std::uint16_t readOperand(Cpu8086& cpu, Operand operand, int size) {
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

[[gnu::always_inline]] inline void writeOperand(Cpu8086& cpu, Operand operand, int size,
                                                std::uint16_t value) {
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

// The two-operand forms: a register with an immediate (cut to its width), a register of its
// width or memory; memory with a register, or with an immediate when a size prefix says the
// width (61207 without one). Anything else is 61206. The forms cannot overlap, so the order
// in which each executor's ladder tries them decides nothing. False after reporting.
// Reports of a refused operand form, always false.
bool reportFormat(Cpu8086& cpu);
bool reportPointerSize(Cpu8086& cpu);

[[gnu::always_inline]] inline bool memoryOperand(Cpu8086& cpu, const OperandForm& form,
                                                 Operand& operand) {
    const std::uint16_t address = cpu.operandAddress(form);
    operand = {OperandKind::Memory, address};
    return address != 0;
}

[[gnu::always_inline]] inline bool resolvePair(Cpu8086& cpu, const OperandForm& dest,
                                               const OperandForm& source, OperandPair& pair) {
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
                return reportPointerSize(cpu);
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

// How a one-operand instruction treats memory: the message for a missing size prefix, and
// whether a failed address is also reported as 61206 (behind the first, latched report).
struct TargetRule {
    MessageId missingPrefix;
    bool reportFailedAddress;
};

// The one operand of NOT, NEG, the shifts, the multiplications and divisions: a register, or
// memory with a size prefix. False after reporting.
bool resolveTarget(Cpu8086& cpu, const OperandForm& operand, TargetRule rule, Operand& target,
                   int& size);

// An operation on the destination's and the source's values; `flags` is FLAGS before it.
using BinaryOperation = AluResult (*)(std::uint16_t a, std::uint16_t b, std::uint16_t flags,
                                      int size);

// Reads both operands, computes, stores the result into the destination unless `store` is
// false (CMP, TEST), then FLAGS by the flag image rule. A template, so that each executor's
// operation is compiled into it.
template <BinaryOperation operation, bool store>
[[gnu::always_inline]] inline void applyPair(Cpu8086& cpu, const OperandPair& pair) {
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
