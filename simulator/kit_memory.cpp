#include "simulator/kit_memory.h"

namespace tarvix {

std::uint8_t KitMemory::refuseRead() {
    pane_.reportError(MessageId::AddressOutsideMemory, WithLine::Yes);
    return 0;
}

bool KitMemory::refuseWrite(std::uint16_t address, bool isByte) {
    return pane_.reportError(refusal(address, isByte), WithLine::Yes);
}

std::optional<MessageId> KitMemory::editByte(std::uint16_t address, std::uint8_t value) {
    if (!isValidAddress(address, true) || image_.isCode(address)) {
        return refusal(address, true);
    }
    ++writes;  // Step Back returns to before the edit, as it does for registers
    lastWrite = address;
    bytes_[offset(address)] = value;
    modified = true;
    return std::nullopt;
}

void KitMemory::clear(bool really) {
    if (really) {
        bytes_.fill(0);
    }
}

}  // namespace tarvix
