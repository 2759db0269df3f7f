// LEA, and the reports of a memory operand that names no address (the address itself is
// computed inline, in cpu8086.h).
#include "simulator/cpu8086.h"

namespace tarvix {

std::uint16_t Cpu8086::refuseAddress(MessageId id) {
    fail(id);
    return 0;
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
