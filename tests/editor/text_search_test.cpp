#include "editor/text_search.h"

#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>

#include "common/text.h"

#include "tests/scratch_folder.h"

namespace tarvix {
namespace {

// findInLine against a plain scan of every start column, on random lines and patterns made
// of the characters that matter: letters of both cases, digits, '_' and separators.
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

TEST(TextSearch, FindInLineAgreesWithAPlainScan) {
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

TEST(TextSearch, NothingOrTooMuchFindsNothing) {
    EXPECT_EQ(findInLine("ab", "", 0, 0, 99), std::nullopt);
}

// Downwards and upwards, wrapping round the text's ends; a block is never left; a match
// straddling the start is found on the wrapped pass; no text or a line end finds nothing.
TEST(TextSearch, FindTextInABuffer) {
    ScratchFolder folder;
    writeFile(folder / "s.asm", "mov al,1\r\nfind here\r\nnothing\r\nfind there\r\nend");
    CX86TextBuffer buffer;
    ASSERT_TRUE(buffer.loadFile((folder / "s.asm").string()));
    const TextRange block{{1, 2}, {3, 3}};
    const struct {
        const char* what;
        unsigned flags;
        TextPosition from;
        std::optional<TextRange> within;
        std::optional<TextRange> found;
    } cases[] = {
        {"FIND", 0, {0, 0}, {}, TextRange{{1, 0}, {1, 4}}},
        {"FIND", 0, {1, 2}, {}, TextRange{{3, 0}, {3, 4}}},
        {"FIND", 0, {3, 1}, {}, TextRange{{1, 0}, {1, 4}}},  // wraps to the start
        {"FIND", kSearchUp, {4, 0}, {}, TextRange{{3, 0}, {3, 4}}},
        {"FIND", kSearchUp, {1, 0}, {}, TextRange{{3, 0}, {3, 4}}},  // wraps to the end
        {"nothing", 0, {2, 3}, {}, TextRange{{2, 0}, {2, 7}}},
        {"find", 0, {1, 2}, block, std::nullopt},
        {"fin", 0, {1, 2}, block, TextRange{{3, 0}, {3, 3}}},
        {"here", 0, {0, 0}, block, TextRange{{1, 5}, {1, 9}}},
        {"", 0, {0, 0}, {}, std::nullopt},
        {"here\r\nnothing", 0, {0, 0}, {}, std::nullopt},
        {"absent", kSearchUp, {2, 0}, {}, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.what) + " from " + std::to_string(c.from.line) + "," +
                     std::to_string(c.from.column));
        EXPECT_EQ(c.within ? findText(buffer, c.what, c.flags, c.from, *c.within)
                           : findText(buffer, c.what, c.flags, c.from),
                  c.found);
    }
}

TEST(TextSearch, NotFoundMessageQuotesTheText) {
    EXPECT_EQ(notFoundMessage("mov ax"), "Cannot find the string \"mov ax\"");
}

}  // namespace
}  // namespace tarvix
