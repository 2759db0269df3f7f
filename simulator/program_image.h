// What ties the running program's machine addresses to its source lines: the line map
// (instruction address, 0-based source line) and the code ranges that hold its bytes. Built by
// the loader before each Run or Step, emptied when the run ends. Jumps, calls, returns and
// every memory write ask it, so it answers from indexes built once when it is loaded.
#pragma once

#include <bitset>
#include <cstdint>
#include <utility>
#include <vector>

namespace tarvix {

class ProgramImage {
public:
    // `lineMap`: flat pairs address0, line0, address1, line1, ... in list order.
    // `codeRanges`: flat pairs first0, last0, first1, last1, ... both inclusive.
    void load(std::vector<std::uint16_t> lineMap, std::vector<std::uint16_t> codeRanges);
    void clear() { load({}, {}); }

    const std::vector<std::uint16_t>& lineMap() const { return lineMap_; }
    const std::vector<std::uint16_t>& codeRanges() const { return codeRanges_; }

    // The address of the first instruction whose line is at or after `line`: for CALL and INT
    // the return address, since the current line already points past the instruction.
    bool addressAtOrAfterLine(int line, std::uint16_t& address) const;

    // The line of the first instruction at exactly this address.
    bool lineOfAddress(std::uint16_t address, int& line) const;

    // The IP the register pane shows: the address at or after the line, else 1000H.
    std::uint16_t displayedIP(int currentLine) const;

    // Only addresses of the memory window can hold code the kit must protect.
    bool isCode(std::uint16_t address) const {
        const unsigned offset = address - 0x1000u;
        return offset < codeInWindow_.size() && codeInWindow_[offset];
    }

private:
    std::vector<std::uint16_t> lineMap_;
    std::vector<std::uint16_t> codeRanges_;
    std::vector<std::pair<std::uint16_t, int>> linesByAddress_;  // stable-sorted by address
    std::vector<std::uint16_t> addressFromLine_;  // for each line up to the last one mapped
    std::bitset<0x1000> codeInWindow_;
};

}  // namespace tarvix
