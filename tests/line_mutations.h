// Statement lines mutated at random, for the fuzz tests of the encoder and the executors: seeds
// of every operand form, with characters inserted, deleted or replaced from an alphabet of
// register names, brackets, digits, size words and bytes no source should hold.
#pragma once

#include <algorithm>
#include <array>
#include <random>
#include <string>
#include <string_view>

namespace tarvix {

inline constexpr std::array<std::string_view, 32> kSeedLines = {"mov ax,[bx+si+7f]",
                                                                "mov bptr [1800],ff",
                                                                "xchg al,[di-2]",
                                                                "xlat",
                                                                "push wptr [bp+4]",
                                                                "pop [1802]",
                                                                "add wptr [si],8000",
                                                                "sbb al,bl",
                                                                "neg bptr [bx]",
                                                                "test bl,[1200]",
                                                                "shl wptr [1800],cl",
                                                                "rcr bl,1",
                                                                "mul bptr [si]",
                                                                "idiv cx",
                                                                "aam",
                                                                "das",
                                                                "cwd",
                                                                "repne scasb",
                                                                "rep movsb",
                                                                "lodsb",
                                                                "jmp [bx]",
                                                                "call ax",
                                                                "iret",
                                                                "int 3",
                                                                "loopne x",
                                                                "again: jnz again",
                                                                "in al,dx",
                                                                "out 20,al",
                                                                "lea si,[bx+4]",
                                                                "db 'Hi',0d ; text",
                                                                "dw 1,2,3",
                                                                "Proc\tDelay"};

inline std::string mutatedLine(std::mt19937& rng) {
    static constexpr std::string_view kAlphabet =
        "axbxcldhsidibpsp[]+-,:;'\t 0123456789abcdefwptrbptr\xff\x80";
    std::string text(kSeedLines[rng() % kSeedLines.size()]);
    for (auto edits = rng() % 4; edits > 0; --edits) {
        const std::size_t at = rng() % (text.size() + 1);
        const char c = kAlphabet[rng() % kAlphabet.size()];
        switch (rng() % 3) {
            case 0:
                text.insert(at, 1, c);
                break;
            case 1:
                text.erase(at, 1);
                break;
            default:
                if (!text.empty()) {
                    text[std::min(at, text.size() - 1)] = c;
                }
                break;
        }
    }
    return text;
}

}  // namespace tarvix
