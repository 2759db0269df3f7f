#include "editor/text_search.h"

#include <algorithm>
#include <cctype>

#include "common/messages.h"

namespace tarvix {

namespace {

char upper(char c) {
    return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

bool sameText(std::string_view a, std::string_view b, bool matchCase) {
    if (matchCase) {
        return a == b;
    }
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return upper(x) == upper(y); });
}

bool isWholeWord(std::string_view line, std::size_t start, std::size_t length) {
    const bool boundaryBefore = start == 0 || !isWordCharacter(line[start - 1]);
    const bool boundaryAfter =
        start + length >= line.size() || !isWordCharacter(line[start + length]);
    return boundaryBefore && boundaryAfter;
}

bool matchesAt(std::string_view line, std::string_view what, unsigned flags, std::size_t start) {
    return sameText(line.substr(start, what.size()), what, (flags & kSearchMatchCase) != 0) &&
           ((flags & kSearchWholeWord) == 0 || isWholeWord(line, start, what.size()));
}

TextPosition endOfText(const CX86TextBuffer& buffer) {
    const int last = buffer.lineCount() - 1;
    return {last, buffer.lineLength(last)};
}

bool isBefore(TextPosition a, TextPosition b) {
    return a.line < b.line || (a.line == b.line && a.column < b.column);
}

// The columns of `line` a search may use when it runs over [low, high).
std::pair<int, int> columnsOf(int line, TextPosition low, TextPosition high, int length) {
    const int from = line == low.line ? low.column : 0;
    const int to = line == high.line ? high.column : length;
    return {from, to};
}

std::optional<TextRange> findBetween(const CX86TextBuffer& buffer, std::string_view what,
                                     unsigned flags, TextPosition low, TextPosition high) {
    const bool up = (flags & kSearchUp) != 0;
    const int first = up ? high.line : low.line;
    const int last = up ? low.line : high.line;
    const int step = up ? -1 : 1;
    for (int line = first; line != last + step; line += step) {
        const std::string_view text = buffer.line(line);
        const auto [from, to] = columnsOf(line, low, high, static_cast<int>(text.size()));
        if (const std::optional<int> column = findInLine(text, what, flags, from, to)) {
            const int end = *column + static_cast<int>(what.size());
            return TextRange{{line, *column}, {line, end}};
        }
    }
    return std::nullopt;
}

}  // namespace

bool isWordCharacter(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

std::optional<int> findInLine(std::string_view line, std::string_view what, unsigned flags,
                              int from, int to) {
    const int length = static_cast<int>(what.size());
    from = std::max(from, 0);
    to = std::min(to, static_cast<int>(line.size()));
    if (length == 0 || to - from < length) {
        return std::nullopt;
    }
    const bool up = (flags & kSearchUp) != 0;
    const int lastStart = to - length;
    for (int i = 0; i <= lastStart - from; ++i) {
        const int start = up ? lastStart - i : from + i;
        if (matchesAt(line, what, flags, static_cast<std::size_t>(start))) {
            return start;
        }
    }
    return std::nullopt;
}

std::optional<TextRange> findText(const CX86TextBuffer& buffer, std::string_view what,
                                  unsigned flags, TextPosition from,
                                  const std::optional<TextRange>& block) {
    if (what.empty() || what.find_first_of("\r\n") != std::string_view::npos ||
        buffer.lineCount() == 0) {
        return std::nullopt;
    }
    const TextPosition textStart{0, 0};
    const TextPosition textEnd = endOfText(buffer);
    const TextPosition low = block ? block->start : textStart;
    const TextPosition high = block ? block->end : textEnd;
    from = std::clamp(from, low, high, isBefore);
    const bool up = (flags & kSearchUp) != 0;
    if (auto found = up ? findBetween(buffer, what, flags, low, from)
                        : findBetween(buffer, what, flags, from, high)) {
        return found;
    }
    if (block) {
        return std::nullopt;
    }
    // The wrapped pass takes in the whole starting line, for a match that straddles `from`.
    return up ? findBetween(buffer, what, flags, {from.line, 0}, textEnd)
              : findBetween(buffer, what, flags, textStart,
                            {from.line, buffer.lineLength(from.line)});
}

std::string notFoundMessage(std::string_view what) {
    std::string message = messageText(MessageId::CannotFindString);
    if (const std::size_t slot = message.find("%s"); slot != std::string::npos) {
        message.replace(slot, 2, what);
    }
    return message;
}

}  // namespace tarvix
