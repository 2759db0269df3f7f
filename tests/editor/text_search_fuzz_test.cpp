// findInLine against a plain scan of every start column, on random lines and patterns made of
// the characters that matter: letters of both cases, digits, '_' and separators.
#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>

#include "common/text.h"
#include "editor/text_search.h"

namespace tarvix {
namespace {

std::optional<int> scanForMatch(const std::string& line, const std::string& what, unsigned flags,
                                int from, int to) {
    const int length = static_cast<int>(what.size());
    std::optional<int> found;
    for (int start = from; start + length <= to; ++start) {
        const std::string piece = line.substr(static_cast<std::size_t>(start), what.size());
        const bool same =
            (flags & kSearchMatchCase) ? piece == what : equalsIgnoreCase(piece, what);
        if (!same) {
            continue;
        }
        if (flags & kSearchWholeWord) {
            const auto at = [&](int i) { return line[static_cast<std::size_t>(i)]; };
            if ((start > 0 && isWordCharacter(at(start - 1))) ||
                (start + length < static_cast<int>(line.size()) &&
                 isWordCharacter(at(start + length)))) {
                continue;
            }
        }
        found = start;
        if (!(flags & kSearchUp)) {
            break;
        }
    }
    return found;
}

TEST(TextSearchFuzzTest, FindInLineAgreesWithAPlainScan) {
    std::mt19937 random(20261206);
    const std::string alphabet = "aAbB_1 ;,";
    const auto text = [&](int length) {
        std::string s;
        for (int i = 0; i < length; ++i) {
            s += alphabet[random() % alphabet.size()];
        }
        return s;
    };
    for (int round = 0; round < 20000; ++round) {
        const std::string line = text(static_cast<int>(random() % 24));
        const std::string what = text(1 + static_cast<int>(random() % 3));
        const unsigned flags = (random() % 2 ? kSearchMatchCase : 0u) |
                               (random() % 2 ? kSearchWholeWord : 0u) |
                               (random() % 2 ? kSearchUp : 0u);
        const int size = static_cast<int>(line.size());
        const int from =
            size == 0 ? 0 : static_cast<int>(random() % static_cast<unsigned>(size + 1));
        const int to = from + static_cast<int>(random() % static_cast<unsigned>(size - from + 1));
        ASSERT_EQ(findInLine(line, what, flags, from, to),
                  scanForMatch(line, what, flags, from, to))
            << "line '" << line << "' what '" << what << "' flags " << flags << " in [" << from
            << ", " << to << ")";
    }
}

}  // namespace
}  // namespace tarvix
