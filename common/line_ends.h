// Line ends as the kit's text files carry them. Every reader (the editor's buffer, the
// assembler, the tools' line count) breaks lines by this one rule, so all of them see the same
// lines: a CR LF or LF CR pair is one line end, a lone LF or a lone CR is one too.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace tarvix {

// Line-end styles, the way a file is written back: the style of its first line end.
inline constexpr int kLineEndCrLf = 0;
inline constexpr int kLineEndLfCr = 1;
inline constexpr int kLineEndLf = 2;
inline constexpr int kLineEndCr = 3;

bool isLineEndStyle(int style);
std::string_view lineEndText(int style);

// The style of the first line end; CR LF for a text without any.
int firstLineEndStyle(std::string_view text);

// The first line of `text`, which then holds what follows that line's end.
std::string_view takeLine(std::string_view& text);

// The lines between the line ends; a text ending in a line end has a last, empty line. Only the
// first `maxLines` are given.
std::vector<std::string_view> splitLines(std::string_view text,
                                         std::size_t maxLines = static_cast<std::size_t>(-1));

// How many lines splitLines would give, without keeping them.
std::size_t countLines(std::string_view text);

}  // namespace tarvix
