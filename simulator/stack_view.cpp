#include "simulator/stack_view.h"

#include <cctype>

namespace tarvix {

namespace {

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

bool sameWord(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(a[i])) !=
            std::toupper(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

// The nearest label at or above `line`: the one whose code the line belongs to.
std::string enclosingLabel(int line, const SourceLine& source) {
    for (int at = line; at >= 0; --at) {
        if (const std::string_view label = labelOfLine(source(at)); !label.empty()) {
            return std::string(label) + " (line " + std::to_string(line + 1) + ")";
        }
    }
    return "line " + std::to_string(line + 1);
}

}  // namespace

std::string_view labelOfLine(std::string_view line) {
    const std::string_view code = trimmed(line.substr(0, line.find(';')));
    const auto end = code.find_first_of(" \t:");
    if (end == std::string_view::npos || end == 0) {
        return {};
    }
    const std::string_view name = code.substr(0, end);
    if (code[end] == ':') {
        return name;
    }
    const std::string_view rest = trimmed(code.substr(end));
    return sameWord(rest.substr(0, rest.find_first_of(" \t")), "PROC") ? name : std::string_view{};
}

std::vector<StackWord> stackWords(const std::array<std::uint8_t, kMemorySize>& memory,
                                  std::uint16_t sp, const ProgramImage& image,
                                  const SourceLine& source) {
    std::vector<StackWord> words;
    if (sp < kMemoryFirst) {
        return words;
    }
    for (std::size_t offset = sp - kMemoryFirst; offset + 1 < kMemorySize; offset += 2) {
        StackWord word;
        word.address = static_cast<std::uint16_t>(kMemoryFirst + offset);
        word.value = static_cast<std::uint16_t>(memory[offset] | memory[offset + 1] << 8);
        if (int line = 0; image.lineOfAddress(word.value, line)) {
            word.returnsInto = enclosingLabel(line, source);
        }
        words.push_back(std::move(word));
    }
    return words;
}

}  // namespace tarvix
