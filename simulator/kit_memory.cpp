#include "simulator/kit_memory.h"

namespace tarvix {

std::uint8_t KitMemory::refuseRead() {
    pane_.reportError(MessageId::AddressOutsideMemory, WithLine::Yes);
    return 0;
}

// Inside the window a write is refused only for landing on code.
bool KitMemory::refuseWrite(std::uint16_t address, bool isByte) {
    return pane_.reportError(isValidAddress(address, isByte) ? MessageId::CannotReplaceOpcode
                                                             : MessageId::AddressOutsideMemory,
                             WithLine::Yes);
}

void KitMemory::clear(bool really) {
    if (really) {
        bytes_.fill(0);
    }
}

}  // namespace tarvix
