#include "simulator/cpu_registers.h"

namespace tarvix {

std::uint8_t& CpuRegisters::byteRegister(int code) {
    switch (code & 7) {
        case 0:
            return AL;
        case 1:
            return CL;
        case 2:
            return DL;
        case 3:
            return BL;
        case 4:
            return AH;
        case 5:
            return CH;
        case 6:
            return DH;
        default:
            return BH;
    }
}

std::uint16_t CpuRegisters::word(int code) const {
    const auto pair = [](std::uint8_t high, std::uint8_t low) {
        return static_cast<std::uint16_t>(high << 8 | low);
    };
    switch (code & 7) {
        case 0:
            return pair(AH, AL);
        case 1:
            return pair(CH, CL);
        case 2:
            return pair(DH, DL);
        case 3:
            return pair(BH, BL);
        case 4:
            return SP;
        case 5:
            return BP;
        case 6:
            return SI;
        default:
            return DI;
    }
}

void CpuRegisters::setWord(int code, std::uint16_t value) {
    const auto low = static_cast<std::uint8_t>(value & 0xFF);
    const auto high = static_cast<std::uint8_t>(value >> 8);
    switch (code & 7) {
        case 0:
            AL = low, AH = high;
            break;
        case 1:
            CL = low, CH = high;
            break;
        case 2:
            DL = low, DH = high;
            break;
        case 3:
            BL = low, BH = high;
            break;
        case 4:
            SP = value;
            break;
        case 5:
            BP = value;
            break;
        case 6:
            SI = value;
            break;
        default:
            DI = value;
            break;
    }
}

std::uint8_t CpuRegisters::getReg8(std::string_view name) {
    const RegisterRef ref = registerRef(name);
    if (ref.size != 1) {
        report("Err124");
        return 0;
    }
    return byteRegister(ref.code);
}

bool CpuRegisters::setReg8(std::string_view name, std::uint8_t value) {
    const RegisterRef ref = registerRef(name);
    if (ref.size != 1) {
        report("Err124");
        return false;
    }
    byteRegister(ref.code) = value;
    return true;
}

std::uint16_t CpuRegisters::getReg16(std::string_view name) {
    const RegisterRef ref = registerRef(name);
    if (ref.size != 2) {
        report("Err125");
        return 0;
    }
    return word(ref.code);
}

bool CpuRegisters::setReg16(std::string_view name, std::uint16_t value) {
    const RegisterRef ref = registerRef(name);
    if (ref.size != 2) {
        report("Err125");
        return false;
    }
    setWord(ref.code, value);
    return true;
}

void CpuRegisters::setFlag(std::uint16_t mask, bool on) {
    FLAGS = static_cast<std::uint16_t>(on ? FLAGS | mask : FLAGS & ~mask);
}

void CpuRegisters::loadFlagsKeepIF(std::uint16_t value) {
    FLAGS = static_cast<std::uint16_t>((value & ~kInterruptFlag) | (FLAGS & kInterruptFlag));
}

void CpuRegisters::reset() {
    AL = BL = CL = DL = AH = BH = CH = DH = 0;
    SI = DI = BP = 0;
    SP = kStackTop;
    FLAGS = 0;
}

void CpuRegisters::report(std::string_view text) {
    if (boxes_) {
        boxes_->showMessageBox(text);
    }
}

}  // namespace tarvix
