#include "editor/caret_moves.h"

#include <algorithm>
#include <cctype>

#include "editor/line_layout.h"

namespace tarvix {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// What word moves step over: runs of word characters (UTF-8 bytes included), of blanks, and
// of anything else.
int characterClass(char c) {
    if (isBlank(c)) {
        return 0;
    }
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 0x80 || std::isalnum(byte) || c == '_' ? 1 : 2;
}

TextPosition endOfText(const CX86TextBuffer& buffer) {
    const int last = buffer.lineCount() - 1;
    return {last, buffer.lineLength(last)};
}

TextPosition wordLeft(std::string_view text, TextPosition cursor) {
    const auto charAt = [&](int column) { return text[static_cast<std::size_t>(column)]; };
    int column = cursor.column;
    while (column > 0 && isBlank(charAt(column - 1))) {
        --column;
    }
    const int kind = column > 0 ? characterClass(charAt(column - 1)) : 0;
    while (column > 0 && characterClass(charAt(column - 1)) == kind) {
        --column;
    }
    return {cursor.line, column};
}

TextPosition wordRight(std::string_view text, TextPosition cursor) {
    const auto charAt = [&](int column) { return text[static_cast<std::size_t>(column)]; };
    const int length = static_cast<int>(text.size());
    int column = cursor.column;
    const int kind = characterClass(charAt(column));
    while (column < length && characterClass(charAt(column)) == kind) {
        ++column;
    }
    while (column < length && isBlank(charAt(column))) {
        ++column;
    }
    return {cursor.line, column};
}

// The character nearest to the wanted screen column on `line`, never to the right of it.
TextPosition atScreenColumn(const CX86TextBuffer& buffer, int line, int wanted) {
    const LineLayout target(buffer.line(line));
    int chosen = target.characterNearColumn(wanted);
    while (chosen > 0 && target.columnOf(chosen) > wanted) {
        --chosen;
    }
    return {line, target.byteOf(chosen)};
}

}  // namespace

int screenColumnOf(std::string_view line, int column) {
    const LineLayout layout(line);
    return layout.columnOf(layout.characterAt(column));
}

TextPosition caretMove(const CX86TextBuffer& buffer, TextPosition cursor, Movement movement,
                       MoveFrame frame) {
    const int lastLine = buffer.lineCount() - 1;
    const std::string_view text = buffer.line(cursor.line);
    const int length = static_cast<int>(text.size());
    const LineLayout layout(text);
    const int character = layout.characterAt(cursor.column);
    switch (movement) {
        case Movement::CharLeft:
            if (character > 0) {
                return {cursor.line, layout.byteOf(character - 1)};
            }
            return cursor.line > 0
                       ? TextPosition{cursor.line - 1, buffer.lineLength(cursor.line - 1)}
                       : cursor;
        case Movement::CharRight:
            if (cursor.column < length) {
                return {cursor.line, layout.byteOf(character + 1)};
            }
            return cursor.line < lastLine ? TextPosition{cursor.line + 1, 0} : cursor;
        case Movement::WordLeft:
            return cursor.column == 0 ? caretMove(buffer, cursor, Movement::CharLeft, frame)
                                      : wordLeft(text, cursor);
        case Movement::WordRight:
            return cursor.column >= length ? caretMove(buffer, cursor, Movement::CharRight, frame)
                                           : wordRight(text, cursor);
        case Movement::LineUp:
        case Movement::LineDown: {
            const int step = movement == Movement::LineUp ? -1 : 1;
            return atScreenColumn(buffer, std::clamp(cursor.line + step, 0, lastLine),
                                  frame.screenColumn);
        }
        case Movement::PageUp:
        case Movement::PageDown: {
            const int step = movement == Movement::PageUp ? -frame.pageLines : frame.pageLines;
            const int line = std::clamp(cursor.line + step, 0, lastLine);
            return {line, std::min(cursor.column, buffer.lineLength(line))};
        }
        case Movement::LineEnd:
            return {cursor.line, length};
        case Movement::Home: {
            int firstText = 0;
            while (firstText < length && isBlank(text[static_cast<std::size_t>(firstText)])) {
                ++firstText;
            }
            const bool onlyBlanks = firstText == length;
            return {cursor.line, onlyBlanks || cursor.column == firstText ? 0 : firstText};
        }
        case Movement::TextStart:
            return {0, 0};
        case Movement::TextEnd:
            return endOfText(buffer);
    }
    return cursor;
}

TextRange wordAt(const CX86TextBuffer& buffer, TextPosition position) {
    const std::string_view text = buffer.line(position.line);
    int start = std::clamp(position.column, 0, static_cast<int>(text.size()));
    int end = start;
    while (start > 0 && isWordCharacter(text[static_cast<std::size_t>(start - 1)])) {
        --start;
    }
    while (end < static_cast<int>(text.size()) &&
           isWordCharacter(text[static_cast<std::size_t>(end)])) {
        ++end;
    }
    return {{position.line, start}, {position.line, end}};
}

}  // namespace tarvix
