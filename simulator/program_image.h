// What ties the running program's machine addresses to its source lines: the line map
// (instruction address, 0-based source line) and the code ranges that hold its bytes. Built by
// the loader before each Run or Step, emptied when the run ends.
#pragma once

#include <cstdint>
#include <vector>

namespace tarvix {

class ProgramImage {
public:
    // Flat pairs: address0, line0, address1, line1, ... in ascending addresses.
    std::vector<std::uint16_t> lineMap;
    // Flat pairs: first0, last0, first1, last1, ... both inclusive.
    std::vector<std::uint16_t> codeRanges;

    // The address of the first instruction whose line is at or after `line`: for CALL and INT
    // the return address, since the current line already points past the instruction.
    bool addressAtOrAfterLine(int line, std::uint16_t& address) const;

    // The line of the instruction at exactly this address.
    bool lineOfAddress(std::uint16_t address, int& line) const;

    // The IP the register pane shows: the address at or after the line, else 1000H.
    std::uint16_t displayedIP(int currentLine) const;

    bool isCode(std::uint16_t address) const;

    void clear();
};

}  // namespace tarvix
