#include "editor/caret_moves.h"

#include <gtest/gtest.h>

#include <string>

namespace tarvix {
namespace {

void load(CX86TextBuffer& buffer, const std::string& text) {
    buffer.initEmpty();
    buffer.insertTextAt(nullptr, {0, 0}, text, EditAction::Unknown);
}

std::string shown(TextPosition position) {
    return std::to_string(position.line) + ":" + std::to_string(position.column);
}

TEST(CaretMoves, EveryMovementTable) {
    using enum Movement;
    const std::string words = "mov  ax,bx ; c\r\nnext";
    const std::string columns = "abcdefghij\r\nab\r\n\tx\r\nabcdefghij";
    const std::string utf8 =
        "a\xC2\xB1"
        "b\xB5";  // a, plus-minus in UTF-8, b, a Latin-1 byte
    struct Case {
        std::string text;
        TextPosition from;
        Movement movement;
        TextPosition to;
        int screenColumn = 0;  // for Up and Down
    };
    const Case cases[] = {
        {"\t  mov", {0, 6}, Home, {0, 3}},
        {"\t  mov", {0, 3}, Home, {0, 0}},
        {"  x", {0, 0}, Home, {0, 2}},
        {" \t ", {0, 2}, Home, {0, 0}},
        {"", {0, 0}, Home, {0, 0}},
        {words, {0, 0}, WordRight, {0, 5}},
        {words, {0, 5}, WordRight, {0, 7}},
        {words, {0, 8}, WordRight, {0, 11}},
        {words, {0, 11}, WordRight, {0, 13}},
        {words, {0, 14}, WordRight, {1, 0}},
        {words, {1, 0}, WordLeft, {0, 14}},
        {words, {0, 13}, WordLeft, {0, 11}},
        {"x \xC3\xA9t\xC3\xA9 y", {0, 2}, WordRight, {0, 8}},  // UTF-8 letters make words
        {columns, {0, 9}, LineDown, {1, 2}, 9},
        {columns, {1, 2}, LineDown, {2, 2}, 9},
        {columns, {2, 2}, LineDown, {3, 9}, 9},
        {columns, {3, 8}, LineUp, {2, 1}, 8},  // the tab ends at column 8
        {columns, {0, 3}, LineUp, {0, 3}, 3},
        {columns, {0, 9}, PageDown, {3, 9}},
        {columns, {3, 9}, PageUp, {0, 9}},
        {columns, {3, 9}, PageDown, {3, 9}},
        {"aaaa\r\nb\r\nc\r\nd\r\ne", {0, 4}, PageDown, {3, 1}},
        {utf8, {0, 1}, CharRight, {0, 3}},
        {utf8, {0, 3}, CharLeft, {0, 1}},
        {utf8, {0, 5}, CharLeft, {0, 4}},
        {columns, {1, 0}, CharLeft, {0, 10}},
        {columns, {0, 10}, CharRight, {1, 0}},
        {columns, {3, 10}, CharRight, {3, 10}},
        {columns, {0, 0}, CharLeft, {0, 0}},
        {columns, {1, 1}, LineEnd, {1, 2}},
        {columns, {2, 1}, TextStart, {0, 0}},
        {columns, {0, 1}, TextEnd, {3, 10}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text + " from " + shown(c.from) + " move " +
                     std::to_string(static_cast<int>(c.movement)));
        CX86TextBuffer buffer;
        load(buffer, c.text);
        EXPECT_EQ(shown(caretMove(buffer, c.from, c.movement, {c.screenColumn, 3})), shown(c.to));
    }
}

TEST(CaretMoves, WordAtAndScreenColumnTable) {
    struct Case {
        const char* text;
        int column;
        int wordStart;
        int wordEnd;
        int screenColumn;
    };
    const Case cases[] = {
        {"  mov loop_1,bx", 8, 6, 12, 8},
        {"  mov loop_1,bx", 12, 6, 12, 12},
        {"  mov loop_1,bx", 2, 2, 5, 2},
        {"a  b", 2, 2, 2, 2},
        {"\tx", 1, 1, 2, 8},
        {"a\xC2\xB1"
         "b",
         3, 3, 4, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " at " + std::to_string(c.column));
        CX86TextBuffer buffer;
        load(buffer, c.text);
        const TextRange word = wordAt(buffer, {0, c.column});
        EXPECT_EQ(word.start.column, c.wordStart);
        EXPECT_EQ(word.end.column, c.wordEnd);
        EXPECT_EQ(screenColumnOf(c.text, c.column), c.screenColumn);
    }
}

}  // namespace
}  // namespace tarvix
