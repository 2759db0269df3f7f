// How a memory operand becomes an address: its registers' values now plus its displacement,
// or the address it names, inside the memory window.
#include "simulator/cpu8086.h"

namespace tarvix {

std::uint16_t Cpu8086::operandAddress(const OperandForm& operand) {
    if (!operand.hasAddress) {
        fail(MessageId::ErrorInInstructionFormat);
        return 0;
    }
    unsigned sum = operand.displacement;
    if (operand.base >= 0) {
        sum += regs[static_cast<Reg16>(operand.base)];
    }
    if (operand.index >= 0) {
        sum += regs[static_cast<Reg16>(operand.index)];
    }
    const auto address = static_cast<std::uint16_t>(sum & 0xFFFF);
    if (!KitMemory::isValidAddress(address, true)) {
        fail(MessageId::AddressOutsideMemory);
        return 0;
    }
    return address;
}

bool Cpu8086::execLea(const DecodedInstruction& ins) {
    const std::uint16_t address = operandAddress(ins.source);
    if (address == 0) {
        return false;
    }
    if (ins.dest.registerSize != 2) {
        return regs.reportUnknownRegister(2);
    }
    regs[ins.dest.word()] = address;
    return true;
}

}  // namespace tarvix
