#include "simulator/cpu_registers.h"

#include "common/operand_text.h"

namespace tarvix {

std::uint8_t CpuRegisters::getReg8(std::string_view name) {
    const RegisterRef ref = registerRef(name);
    if (ref.size != 1) {
        reportUnknownRegister(1);
        return 0;
    }
    return (*this)[static_cast<Reg8>(ref.code)];
}

bool CpuRegisters::setReg8(std::string_view name, std::uint8_t value) {
    const RegisterRef ref = registerRef(name);
    if (ref.size != 1) {
        return reportUnknownRegister(1);
    }
    (*this)[static_cast<Reg8>(ref.code)] = value;
    return true;
}

std::uint16_t CpuRegisters::getReg16(std::string_view name) {
    const RegisterRef ref = registerRef(name);
    if (ref.size != 2) {
        reportUnknownRegister(2);
        return 0;
    }
    return (*this)[static_cast<Reg16>(ref.code)];
}

bool CpuRegisters::setReg16(std::string_view name, std::uint16_t value) {
    const RegisterRef ref = registerRef(name);
    if (ref.size != 2) {
        return reportUnknownRegister(2);
    }
    (*this)[static_cast<Reg16>(ref.code)] = value;
    return true;
}

bool CpuRegisters::reportUnknownRegister(int size) {
    if (boxes_) {
        boxes_->showMessageBox(size == 1 ? "Err124" : "Err125");
    }
    return false;
}

void CpuRegisters::reset() {
    words_.fill(0);
    (*this)[Reg16::SP] = kStackTop;
    FLAGS = 0;
}

}  // namespace tarvix
