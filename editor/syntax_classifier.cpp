#include "editor/syntax_classifier.h"

#include <array>
#include <cctype>

#include "common/text.h"

namespace tarvix {

namespace {

constexpr std::array<std::string_view, 100> kMnemonics = {
    "mov",    "inc",    "dec",   "add",   "sub",   "cmp",   "jmp",   "loop",  "loopz", "loope",
    "loopnz", "loopne", "ja",    "jae",   "jb",    "jbe",   "jc",    "jz",    "je",    "jg",
    "jge",    "jl",     "jna",   "jnb",   "jle",   "jng",   "jnc",   "jne",   "jnz",   "jno",
    "jns",    "jnp",    "jpo",   "jo",    "jp",    "jpe",   "js",    "xchg",  "xlat",  "call",
    "ret",    "int",    "iret",  "and",   "or",    "xor",   "not",   "neg",   "test",  "push",
    "shl",    "shr",    "rol",   "ror",   "rcl",   "rcr",   "pop",   "popf",  "pushf", "mul",
    "div",    "imul",   "idiv",  "scasb", "scasw", "stosw", "stosb", "lodsw", "lodsb", "cmpsb",
    "cmpsw",  "movsw",  "movsb", "repe",  "repne", "aaa",   "daa",   "das",   "aad",   "aam",
    "aas",    "cbw",    "cwd",   "lea",   "nop",   "hlt",   "into",  "clc",   "cmc",   "stc",
    "cld",    "std",    "out",   "in",    "adc",   "sbb",   "sti",   "cli",   "sal",   "sar"};

constexpr std::array<std::string_view, 16> kRegisters = {
    "ax", "bx", "cx", "dx", "si", "di", "al", "bl", "cl", "dl", "ah", "bh", "ch", "dh", "sp", "bp"};

constexpr std::array<std::string_view, 5> kDirectives = {"db", "dw", "proc", "endp", "connect"};

template <std::size_t N>
bool listed(const std::array<std::string_view, N>& words, std::string_view word) {
    for (std::string_view candidate : words) {
        if (equalsIgnoreCase(candidate, word)) {
            return true;
        }
    }
    return false;
}

bool isHexDigit(char c) {
    return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}

bool isNumber(std::string_view word) {
    if (word.empty() || !isHexDigit(word.front())) {
        return false;
    }
    for (char c : word.substr(1)) {
        if (!isHexDigit(c) && c != '+' && c != '-') {
            return false;
        }
    }
    return true;
}

// The colour of the text that follows, by what the state says it is inside.
int runningColour(std::uint32_t state) {
    if (state & (kInComment | kKeptAcrossLines)) {
        return kColourComment;
    }
    if (state & (kInDoubleQuote | kInSingleQuote)) {
        return kColourLiteral;
    }
    return kColourText;
}

class BlockList {
public:
    explicit BlockList(std::vector<ColourBlock>* blocks) : blocks_(blocks) {}

    // A block that would start before the last one is dropped, keeping the starts in order.
    void add(int start, int colour) {
        if (blocks_ && (blocks_->empty() || blocks_->back().start <= start)) {
            blocks_->push_back({start, colour});
        }
    }

private:
    std::vector<ColourBlock>* blocks_;
};

void classifyWord(std::string_view word, int start, BlockList& blocks) {
    if (listed(kMnemonics, word)) {
        blocks.add(start, kColourMnemonic);
    } else if (listed(kRegisters, word)) {
        blocks.add(start, kColourRegister);
    } else if (listed(kDirectives, word)) {
        blocks.add(start, kColourDirective);
    } else if (isNumber(word)) {
        blocks.add(start, kColourNumber);
    }
}

}  // namespace

std::uint32_t classifyLine(std::uint32_t state, std::string_view line,
                           std::vector<ColourBlock>* blocksOut) {
    BlockList blocks(blocksOut);
    const int length = static_cast<int>(line.size());
    const auto at = [&](int i) { return line[static_cast<std::size_t>(i)]; };
    const auto word = [&](int start, int end) {
        return line.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(end - start));
    };
    bool pending = true;
    bool pendingAtWordEnd = false;  // then the block goes back one column, onto the delimiter
    int wordStart = -1;

    for (int i = 0;; ++i) {
        if (pending) {
            blocks.add(pendingAtWordEnd ? i - 1 : i, runningColour(state));
            pending = false;
        }
        if (i == length || (state & kInComment)) {
            break;
        }
        const char c = at(i);
        if (state & (kInDoubleQuote | kInSingleQuote)) {
            const std::uint32_t bit = (state & kInDoubleQuote) ? kInDoubleQuote : kInSingleQuote;
            if (c == (bit == kInDoubleQuote ? '"' : '\'') && (i == 0 || at(i - 1) != '\\')) {
                state &= ~bit;
                pending = true;
                pendingAtWordEnd = false;
            }
            continue;
        }
        // A comment is seen one column after its ";".
        if (i > 0 && at(i - 1) == ';') {
            blocks.add(i - 1, kColourComment);
            state |= kInComment;
            break;
        }
        if (c == '"' || c == '\'') {
            blocks.add(i, kColourLiteral);
            state |= c == '"' ? kInDoubleQuote : kInSingleQuote;
        } else if (std::isalnum(static_cast<unsigned char>(c))) {
            if (wordStart < 0) {
                wordStart = i;
            }
        } else if (wordStart >= 0) {
            classifyWord(word(wordStart, i), wordStart, blocks);
            wordStart = -1;
            pending = true;
            pendingAtWordEnd = true;
        }
    }
    if (wordStart >= 0) {
        classifyWord(word(wordStart, length), wordStart, blocks);
    }
    // Comments and literals end with the line, unless a backslash carries them on.
    if (line.empty() || line.back() != '\\') {
        state &= kKeptAcrossLines;
    }
    return state;
}

namespace {

// An index's colour in the kit's scheme and in the high-contrast one, side by side.
struct SchemeColours {
    Rgb kit;
    Rgb highContrast;
};

SchemeColours schemeColours(int index, Rgb scrollBar) {
    switch (index) {
        case kColourBackground:
        case kColourMarginOff:
        case kColourSelectedText:
            return {{255, 255, 255}, {0, 0, 0}};
        case kColourText:
        case kColourSelectedBackground:
        case kColourOther:
            return {{0, 0, 0}, {255, 255, 255}};
        case kColourMarginOn:
            return {scrollBar, {64, 64, 64}};
        case kColourMnemonic:
            return {{0, 0, 240}, {255, 255, 0}};
        case kColourComment:
            return {{150, 150, 150}, {190, 190, 190}};
        case kColourRegister:
            return {{0, 200, 128}, {0, 255, 255}};
        case kColourNumber:
            return {{212, 164, 132}, {128, 255, 128}};
        case kColourDirective:
            return {{240, 0, 0}, {255, 160, 255}};
        default:
            return {{255, 0, 0}, {255, 140, 100}};
    }
}

}  // namespace

Rgb colourOf(int index, Rgb scrollBar) {
    return schemeColours(index, scrollBar).kit;
}

Rgb highContrastColourOf(int index) {
    return schemeColours(index, {}).highContrast;
}

}  // namespace tarvix
