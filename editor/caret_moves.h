// Where the caret goes for each of the editor's cursor movements, and the word the editor
// takes for a double-click: plain rules over the buffer's text, so that the view only scrolls
// and paints.
#pragma once

#include "editor/text_search.h"
#include "editor/x86_text_buffer.h"

namespace tarvix {

enum class Movement {
    CharLeft,
    CharRight,
    WordLeft,
    WordRight,
    LineUp,
    LineDown,
    PageUp,
    PageDown,
    LineEnd,
    Home,
    TextStart,
    TextEnd,
};

// What a movement needs to know besides the text: the screen column that Up and Down keep
// to, and how many lines a page moves.
struct MoveFrame {
    int screenColumn = 0;
    int pageLines = 1;
};

// The caret's place after `movement` from `cursor` in a buffer of at least one line, always a
// character boundary inside the text. Word moves stop at the start of each run of word characters,
// of other characters and of the line; Home goes to the first non-blank character, or from there to
// column 0.
TextPosition caretMove(const CX86TextBuffer& buffer, TextPosition cursor, Movement movement,
                       MoveFrame frame);

// The screen column of the character that holds byte `column` of `line`, tabs expanded.
int screenColumnOf(std::string_view line, int column);

// The run of word characters around `position` (empty between two other characters).
TextRange wordAt(const CX86TextBuffer& buffer, TextPosition position);

}  // namespace tarvix
