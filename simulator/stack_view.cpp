#include "simulator/stack_view.h"

#include "assembler/line_scanner.h"
#include "assembler/statement.h"
#include "common/format.h"
#include "common/text.h"

namespace tarvix {

namespace {

// The label a source line defines ("name:" or "proc name") and its mnemonic, in lower case
// as the assembler reads them; both empty for a line that gives the assembler nothing.
Statement scanned(std::string_view line) {
    Statement statement;
    if (!scanLine(trim(line), statement)) {
        statement.reset();
    }
    return statement;
}

// The nearest label at or above `line`: the one whose code the line belongs to.
std::string enclosingLabel(int line, const SourceLine& source) {
    for (int at = line; at >= 0; --at) {
        if (const std::string label = scanned(source(at)).label; !label.empty()) {
            return label + " (line " + std::to_string(line + 1) + ")";
        }
    }
    return "line " + std::to_string(line + 1);
}

// Whether `value`, the address of the instruction on `line`, is what the instruction before
// it pushed on its way out: a CALL, or an INT or INTO, whose frame has the 0 of CS above it.
bool isReturnAddress(std::uint16_t value, bool underZero, int line, const ProgramImage& image,
                     const SourceLine& source) {
    for (int at = line - 1; at >= 0; --at) {
        const std::string mnemonic = scanned(source(at)).mnemonic;
        if (mnemonic.empty()) {
            continue;  // a label, a procedure header or a comment: no instruction
        }
        std::uint16_t after = 0;
        if (!image.addressAtOrAfterLine(at + 1, after) || after != value) {
            return false;
        }
        return mnemonic == "call" || ((mnemonic == "int" || mnemonic == "into") && underZero);
    }
    return false;
}

}  // namespace

std::vector<StackWord> stackWords(const std::array<std::uint8_t, kMemorySize>& memory,
                                  std::uint16_t sp, const ProgramImage& image,
                                  const SourceLine& source, std::size_t limit) {
    std::vector<StackWord> words;
    if (sp < kMemoryFirst) {
        return words;
    }
    const auto wordAt = [&memory](std::size_t offset) {
        return static_cast<std::uint16_t>(memory[offset] | memory[offset + 1] << 8);
    };
    for (std::size_t offset = sp - kMemoryFirst; offset + 1 < kMemorySize && words.size() < limit;
         offset += 2) {
        StackWord word;
        word.address = static_cast<std::uint16_t>(kMemoryFirst + offset);
        word.value = wordAt(offset);
        const bool underZero = offset + 3 < kMemorySize && wordAt(offset + 2) == 0;
        if (int line = 0; image.lineOfAddress(word.value, line) &&
                          isReturnAddress(word.value, underZero, line, image, source)) {
            word.returnsInto = enclosingLabel(line, source);
        }
        words.push_back(std::move(word));
    }
    return words;
}

std::string stackRowText(const StackWord& word, bool atSp) {
    std::string text = formatText("%s %04X: %04X", atSp ? "SP>" : "   ", word.address, word.value);
    if (!word.returnsInto.empty()) {
        text += "  -> " + word.returnsInto;
    }
    return text;
}

}  // namespace tarvix
