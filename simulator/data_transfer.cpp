// MOV, XCHG, XLAT and the stack transfers. Operands are classified in one order everywhere:
// register name, then immediate, then memory reference.
#include "common/operand_text.h"
#include "simulator/cpu8086.h"

namespace tarvix {

namespace {

std::uint16_t readRegister(CpuRegisters& regs, std::string_view name, int size) {
    return size == 2 ? regs.getReg16(name) : regs.getReg8(name);
}

// An immediate is cut to the register's width without a message.
void writeRegister(CpuRegisters& regs, std::string_view name, int size, std::uint16_t value) {
    if (size == 2) {
        regs.setReg16(name, value);
    } else {
        regs.setReg8(name, static_cast<std::uint8_t>(value & 0xFF));
    }
}

std::uint16_t readMemory(KitMemory& memory, std::uint16_t address, int size) {
    return size == 2 ? memory.readWord(address) : memory.readByte(address);
}

bool writeMemory(KitMemory& memory, std::uint16_t address, int size, std::uint16_t value) {
    return size == 2 ? memory.writeWord(address, value)
                     : memory.writeByte(address, static_cast<std::uint8_t>(value & 0xFF));
}

}  // namespace

bool Cpu8086::execMov() {
    const int destSize = registerSize(dest);
    const int sourceSize = registerSize(source);
    if (destSize != 0) {
        if (sourceSize != 0) {
            if (sourceSize != destSize) {
                return fail(MessageId::ErrorInInstructionFormat);
            }
            writeRegister(regs, dest, destSize, readRegister(regs, source, sourceSize));
            return true;
        }
        if (isHexNumber(source)) {
            writeRegister(regs, dest, destSize, parseHex(source));
            return true;
        }
        if (isMemoryOperand(source)) {
            const std::uint16_t address = operandAddress(source);
            if (address == 0) {
                return false;
            }
            // A refused word read at 1FFFH has reported itself and loads 0; the run goes on.
            writeRegister(regs, dest, destSize, readMemory(memory, address, destSize));
            return true;
        }
    } else if (isMemoryOperand(dest)) {
        if (sourceSize != 0) {
            const std::uint16_t address = operandAddress(dest);
            return address != 0 &&
                   writeMemory(memory, address, sourceSize, readRegister(regs, source, sourceSize));
        }
        if (isHexNumber(source)) {
            const std::uint16_t address = operandAddress(dest);
            if (address == 0) {
                // Hidden behind the latched first report; kept so both forms fail alike.
                return fail(MessageId::ErrorInInstructionFormat);
            }
            const int size = pointerSize(dest);
            if (size == 0) {
                return fail(MessageId::SpecifyPointerSize);
            }
            return writeMemory(memory, address, size, parseHex(source));
        }
    }
    return fail(MessageId::ErrorInInstructionFormat);
}

bool Cpu8086::execXchg() {
    const int destSize = registerSize(dest);
    const int sourceSize = registerSize(source);
    if (destSize != 0 && sourceSize != 0) {
        if (destSize != sourceSize) {
            return fail(MessageId::ErrorInInstructionFormat);
        }
        const std::uint16_t oldDest = readRegister(regs, dest, destSize);
        writeRegister(regs, dest, destSize, readRegister(regs, source, sourceSize));
        writeRegister(regs, source, sourceSize, oldDest);
        return true;
    }

    std::string_view reg;
    std::string_view mem;
    int size = 0;
    if (destSize == 0 && sourceSize != 0 && isMemoryOperand(dest)) {
        reg = source;
        mem = dest;
        size = sourceSize;
    } else if (destSize != 0 && isMemoryOperand(source)) {
        reg = dest;
        mem = source;
        size = destSize;
    } else {
        return fail(MessageId::ErrorInInstructionFormat);
    }
    const std::uint16_t address = operandAddress(mem);
    if (address == 0) {
        return false;
    }
    const std::uint16_t old = readMemory(memory, address, size);
    // A refused write has reported itself; the register still takes the old value.
    writeMemory(memory, address, size, readRegister(regs, reg, size));
    writeRegister(regs, reg, size, old);
    return true;
}

bool Cpu8086::execXlat() {
    const std::uint32_t address = std::uint32_t{regs.getReg16("BX")} + regs.AL;
    if (address < kMemoryFirst || address >= kMemoryFirst + kMemorySize) {
        return fail(MessageId::AddressOutsideMemory);
    }
    regs.AL = memory.readByte(static_cast<std::uint16_t>(address));
    return true;
}

bool Cpu8086::execPushPop(bool isPush) {
    const int size = registerSize(dest);
    if (isPush) {
        std::uint16_t value = 0;
        if (size == 2) {
            value = regs.getReg16(dest);
        } else if (size == 0 && isMemoryOperand(dest) && pointerSize(dest) != 1) {
            const std::uint16_t address = operandAddress(dest);
            if (address == 0) {
                return false;
            }
            value = memory.readWord(address);
        } else {
            return fail(MessageId::ErrorInInstructionFormat);
        }
        return push(value);
    }

    if (size != 0) {
        std::uint16_t value = 0;
        if (!pop(value)) {
            return false;
        }
        // SP stays raised: the word has left the stack before the byte register is refused.
        return size == 2 ? regs.setReg16(dest, value) : fail(MessageId::StackEmpty);
    }
    if (isMemoryOperand(dest)) {
        const std::uint16_t address = operandAddress(dest);
        std::uint16_t value = 0;
        if (address == 0 || !pop(value)) {
            return false;
        }
        if (pointerSize(dest) == 1) {
            return fail(MessageId::StackEmpty);
        }
        return memory.writeWord(address, value);
    }
    return fail(MessageId::ErrorInInstructionFormat);
}

bool Cpu8086::execPushfPopf(bool isPushf) {
    if (isPushf) {
        return push(regs.FLAGS);
    }
    std::uint16_t value = 0;
    if (!pop(value)) {
        return false;
    }
    // Unlike the arithmetic, POPF sets IF too.
    regs.loadFlagsKeepIF(value);
    regs.setFlag(kInterruptFlag, (value & kInterruptFlag) != 0);
    return true;
}

}  // namespace tarvix
