#include "simulator/program_image.h"

namespace tarvix {

bool ProgramImage::addressAtOrAfterLine(int line, std::uint16_t& address) const {
    for (std::size_t i = 0; i + 1 < lineMap.size(); i += 2) {
        if (lineMap[i + 1] >= line) {
            address = lineMap[i];
            return true;
        }
    }
    return false;
}

bool ProgramImage::lineOfAddress(std::uint16_t address, int& line) const {
    for (std::size_t i = 0; i + 1 < lineMap.size(); i += 2) {
        if (lineMap[i] == address) {
            line = lineMap[i + 1];
            return true;
        }
    }
    return false;
}

std::uint16_t ProgramImage::displayedIP(int currentLine) const {
    std::uint16_t address = 0x1000;
    addressAtOrAfterLine(currentLine, address);
    return address;
}

bool ProgramImage::isCode(std::uint16_t address) const {
    for (std::size_t i = 0; i + 1 < codeRanges.size(); i += 2) {
        if (codeRanges[i] <= address && address <= codeRanges[i + 1]) {
            return true;
        }
    }
    return false;
}

void ProgramImage::clear() {
    std::vector<std::uint16_t>().swap(lineMap);
    std::vector<std::uint16_t>().swap(codeRanges);
}

}  // namespace tarvix
