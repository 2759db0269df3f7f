#include "simulator/kit_memory.h"

namespace tarvix {

namespace {

std::size_t offset(std::uint16_t address) {
    return static_cast<std::size_t>(address - kMemoryFirst);
}

}  // namespace

bool KitMemory::isValidAddress(std::uint16_t address, bool isByte) {
    return address >= kMemoryFirst && address < (isByte ? 0x2000 : 0x1FFF);
}

std::uint8_t KitMemory::readByte(std::uint16_t address) {
    if (!isValidAddress(address, true)) {
        pane_.reportError(MessageId::AddressOutsideMemory, WithLine::Yes);
        return 0;
    }
    return bytes_[offset(address)];
}

std::uint16_t KitMemory::readWord(std::uint16_t address) {
    if (!isValidAddress(address, false)) {
        pane_.reportError(MessageId::AddressOutsideMemory, WithLine::Yes);
        return 0;
    }
    return static_cast<std::uint16_t>(bytes_[offset(address)] | bytes_[offset(address) + 1] << 8);
}

bool KitMemory::writable(std::uint16_t address) {
    if (image_.isCode(address)) {
        return pane_.reportError(MessageId::CannotReplaceOpcode, WithLine::Yes);
    }
    return true;
}

bool KitMemory::writeByte(std::uint16_t address, std::uint8_t value) {
    if (!isValidAddress(address, true)) {
        return pane_.reportError(MessageId::AddressOutsideMemory, WithLine::Yes);
    }
    if (!writable(address)) {
        return false;
    }
    bytes_[offset(address)] = value;
    modified = true;
    return true;
}

bool KitMemory::writeWord(std::uint16_t address, std::uint16_t value) {
    if (!isValidAddress(address, false)) {
        return pane_.reportError(MessageId::AddressOutsideMemory, WithLine::Yes);
    }
    if (!writable(address) || !writable(static_cast<std::uint16_t>(address + 1))) {
        return false;
    }
    bytes_[offset(address)] = static_cast<std::uint8_t>(value & 0xFF);
    bytes_[offset(address) + 1] = static_cast<std::uint8_t>(value >> 8);
    modified = true;
    return true;
}

void KitMemory::clear(bool really) {
    if (really) {
        bytes_.fill(0);
    }
}

}  // namespace tarvix
