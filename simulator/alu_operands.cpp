#include "simulator/alu_operands.h"

namespace tarvix {

bool reportFormat(Cpu8086& cpu) {
    return cpu.pane().reportError(MessageId::ErrorInInstructionFormat, WithLine::Yes);
}

bool reportPointerSize(Cpu8086& cpu) {
    return cpu.pane().reportError(MessageId::SpecifyPointerSize, WithLine::Yes);
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
