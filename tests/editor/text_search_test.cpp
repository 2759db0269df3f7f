#include "editor/text_search.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "tests/scratch_folder.h"

namespace tarvix {
namespace {

TEST(TextSearch, FindInLineTable) {
    struct Case {
        const char* line;
        const char* what;
        unsigned flags;
        int from;
        int to;
        std::optional<int> found;
    };
    const Case cases[] = {
        {"mov ax,bx", "AX", 0, 0, 99, 4},
        {"mov ax,bx", "AX", kSearchMatchCase, 0, 99, std::nullopt},
        {"mov AX,bx", "AX", kSearchMatchCase, 0, 99, 4},
        {"loop loopz", "loop", 0, 1, 99, 5},
        {"loopz loop", "loop", kSearchWholeWord, 0, 99, 6},
        {"a_loop loop1 loop", "loop", kSearchWholeWord, 0, 99, 13},
        {"loop", "loop", kSearchWholeWord, 0, 99, 0},
        {"ab ab ab", "ab", kSearchUp, 0, 99, 6},
        {"ab ab ab", "ab", kSearchUp, 0, 7, 3},  // must end before the limit
        {"ab ab ab", "ab", kSearchUp, 0, 1, std::nullopt},
        {"ab", "", 0, 0, 99, std::nullopt},
        {"ab", "abc", 0, 0, 99, std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(findInLine(c.line, c.what, c.flags, c.from, c.to), c.found)
            << c.line << " / " << c.what;
    }
}

class TextSearchInBuffer : public ::testing::Test {
protected:
    void SetUp() override {
        const auto path = folder_.path() / "search.asm";
        writeFile(path, "mov al,1\r\nfind here\r\nnothing\r\nfind there\r\nend");
        ASSERT_TRUE(buffer_.loadFile(path.string()));
    }
    CX86TextBuffer buffer_;

private:
    ScratchFolder folder_;
};

TEST_F(TextSearchInBuffer, DownwardsAndUpwardsWrapAround) {
    struct Case {
        TextPosition from;
        unsigned flags;
        TextRange found;
    };
    const Case cases[] = {
        {{0, 0}, 0, {{1, 0}, {1, 4}}},         {{1, 1}, 0, {{3, 0}, {3, 4}}},
        {{3, 1}, 0, {{1, 0}, {1, 4}}},  // wraps to the start
        {{4, 0}, kSearchUp, {{3, 0}, {3, 4}}}, {{3, 0}, kSearchUp, {{1, 0}, {1, 4}}},
        {{1, 0}, kSearchUp, {{3, 0}, {3, 4}}},  // wraps to the end
        {{1, 2}, 0, {{3, 0}, {3, 4}}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(findText(buffer_, "FIND", c.flags, c.from), c.found)
            << c.from.line << "," << c.from.column << " flags " << c.flags;
    }
}

TEST_F(TextSearchInBuffer, WrappingFindsAMatchAroundTheStart) {
    // The only match straddles the starting position: found on the wrapped pass.
    EXPECT_EQ(findText(buffer_, "nothing", 0, {2, 3}), (TextRange{{2, 0}, {2, 7}}));
}

TEST_F(TextSearchInBuffer, ABlockIsNeverLeft) {
    const TextRange block{{1, 2}, {3, 3}};
    EXPECT_EQ(findText(buffer_, "find", 0, {1, 2}, block), std::nullopt);
    EXPECT_EQ(findText(buffer_, "fin", 0, {1, 2}, block), (TextRange{{3, 0}, {3, 3}}));
    EXPECT_EQ(findText(buffer_, "here", 0, {0, 0}, block), (TextRange{{1, 5}, {1, 9}}));
}

TEST_F(TextSearchInBuffer, NothingToFind) {
    EXPECT_EQ(findText(buffer_, "", 0, {0, 0}), std::nullopt);
    EXPECT_EQ(findText(buffer_, "here\r\nnothing", 0, {0, 0}), std::nullopt);
    EXPECT_EQ(findText(buffer_, "absent", kSearchUp, {2, 0}), std::nullopt);
}

TEST(TextSearch, NotFoundMessageQuotesTheText) {
    EXPECT_EQ(notFoundMessage("mov ax"), "Cannot find the string \"mov ax\"");
}

}  // namespace
}  // namespace tarvix
