// Finding a text in the buffer, line by line, for the Find and Replace commands: match case,
// whole word, upwards or downwards with wrap-around, or inside a block without wrapping.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "editor/x86_text_buffer.h"

namespace tarvix {

// Bits of a search's flags.
inline constexpr unsigned kSearchMatchCase = 0x01;
inline constexpr unsigned kSearchWholeWord = 0x02;
inline constexpr unsigned kSearchUp = 0x10;

struct TextRange {
    TextPosition start;
    TextPosition end;

    friend bool operator==(const TextRange&, const TextRange&) = default;
};

// Letters, digits and '_': what a word is made of for whole-word matching and word selection.
bool isWordCharacter(char c);

// A match of `what` lying wholly inside columns [from, to) of `line`: the first one, or the
// last one when searching upwards. The column where it starts.
std::optional<int> findInLine(std::string_view line, std::string_view what, unsigned flags,
                              int from, int to);

// Searches from `from`: downwards to the end of the text and then from the start, upwards to
// the start and then from the end. With a block the search stays inside it and does not wrap.
// An empty `what` or one spanning lines is never found.
std::optional<TextRange> findText(const CX86TextBuffer& buffer, std::string_view what,
                                  unsigned flags, TextPosition from,
                                  const std::optional<TextRange>& block = std::nullopt);

// The not-found message with the search text in it.
std::string notFoundMessage(std::string_view what);

}  // namespace tarvix
