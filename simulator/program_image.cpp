#include "simulator/program_image.h"

#include <algorithm>

namespace tarvix {

void ProgramImage::load(std::vector<std::uint16_t> lineMap, std::vector<std::uint16_t> codeRanges) {
    lineMap_ = std::move(lineMap);
    codeRanges_ = std::move(codeRanges);

    linesByAddress_.clear();
    addressFromLine_.clear();
    for (std::size_t i = 0; i + 1 < lineMap_.size(); i += 2) {
        const std::uint16_t address = lineMap_[i];
        const std::uint16_t line = lineMap_[i + 1];
        linesByAddress_.emplace_back(address, line);
        // The first pair in list order whose line is at or after each line not yet answered.
        while (addressFromLine_.size() <= line) {
            addressFromLine_.push_back(address);
        }
    }
    std::stable_sort(linesByAddress_.begin(), linesByAddress_.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });

    // Marked through a running count of open ranges, so a range costs the same at any width.
    std::vector<int> opened(codeInWindow_.size() + 1, 0);
    for (std::size_t i = 0; i + 1 < codeRanges_.size(); i += 2) {
        const int first = std::max(codeRanges_[i] - 0x1000, 0);
        const int last = std::min(codeRanges_[i + 1] - 0x1000, 0xFFF);
        if (first <= last) {
            ++opened[static_cast<std::size_t>(first)];
            --opened[static_cast<std::size_t>(last) + 1];
        }
    }
    int open = 0;
    for (std::size_t offset = 0; offset < codeInWindow_.size(); ++offset) {
        open += opened[offset];
        codeInWindow_[offset] = open > 0;
    }
}

bool ProgramImage::addressAtOrAfterLine(int line, std::uint16_t& address) const {
    const auto index = static_cast<std::size_t>(std::max(line, 0));
    if (index >= addressFromLine_.size()) {
        return false;
    }
    address = addressFromLine_[index];
    return true;
}

bool ProgramImage::lineOfAddress(std::uint16_t address, int& line) const {
    const auto found =
        std::lower_bound(linesByAddress_.begin(), linesByAddress_.end(), address,
                         [](const auto& entry, std::uint16_t a) { return entry.first < a; });
    if (found == linesByAddress_.end() || found->first != address) {
        return false;
    }
    line = found->second;
    return true;
}

std::uint16_t ProgramImage::displayedIP(int currentLine) const {
    std::uint16_t address = 0x1000;
    addressAtOrAfterLine(currentLine, address);
    return address;
}

}  // namespace tarvix
