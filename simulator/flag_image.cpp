#include "simulator/flag_image.h"

#include <bit>

namespace tarvix {

namespace {

constexpr std::uint16_t kKeptBits = kTrapFlag | kDirectionFlag | 0x4000;
constexpr std::uint16_t kAlwaysSet = 0x0002;

}  // namespace

std::uint16_t resultFlags(std::uint16_t value, int size) {
    std::uint16_t flags = 0;
    if ((value & widthMask(size)) == 0) {
        flags |= kZeroFlag;
    }
    if ((value & topBit(size)) != 0) {
        flags |= kSignFlag;
    }
    if (std::popcount(static_cast<unsigned>(value & 0xFF)) % 2 == 0) {
        flags |= kParityFlag;
    }
    return flags;
}

std::uint16_t flagImage(std::uint16_t before, std::uint16_t status) {
    return static_cast<std::uint16_t>((status & kStatusFlags) | (before & kKeptBits) | kAlwaysSet);
}

void storeFlags(CpuRegisters& regs, std::uint16_t status) {
    regs.loadFlagsKeepIF(flagImage(regs.FLAGS, status));
}

}  // namespace tarvix
