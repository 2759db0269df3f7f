// The words on the stack as a debugger lists them: from SP up to the top of the RAM, each
// return address (the address after a CALL, or after an INT in its frame) named by the label
// or procedure it returns into. A data word that only happens to equal an instruction's
// address stays unnamed.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "simulator/kit_memory.h"
#include "simulator/program_image.h"

namespace tarvix {

struct StackWord {
    std::uint16_t address = 0;
    std::uint16_t value = 0;
    // "delay (line 12)" for a return address; empty for data.
    std::string returnsInto;
};

// A 0-based source line's text; empty past the end.
using SourceLine = std::function<std::string_view(int line)>;

// The words from `sp` to 1FFEH, the first `limit` of them; none when SP is outside the RAM.
std::vector<StackWord> stackWords(const std::array<std::uint8_t, kMemorySize>& memory,
                                  std::uint16_t sp, const ProgramImage& image,
                                  const SourceLine& source,
                                  std::size_t limit = std::numeric_limits<std::size_t>::max());

// "SP> 1FFA: 1006  -> delay (line 12)": SP's row marked, the address it returns into named.
std::string stackRowText(const StackWord& word, bool atSp);

}  // namespace tarvix
