#include "common/line_ends.h"

#include <array>
#include <cstring>
#include <utility>

namespace tarvix {

namespace {

constexpr std::array<std::string_view, 4> kLineEndTexts = {"\r\n", "\n\r", "\n", "\r"};

bool isLineEndByte(char c) {
    return c == '\r' || c == '\n';
}

// The length of the line end at `at`: 2 for a pair, 1 for a lone CR or LF. The same byte twice
// is two line ends.
std::size_t lineEndLength(std::string_view text, std::size_t at) {
    const bool pair =
        at + 1 < text.size() && isLineEndByte(text[at + 1]) && text[at + 1] != text[at];
    return pair ? 2 : 1;
}

// The first LF found by memchr, then the first CR before it: every source line passes through
// here, and both searches run over many bytes at a time where a byte loop or find_first_of
// would test them one by one.
std::size_t findLineEnd(std::string_view text) {
    if (text.empty()) {
        return std::string_view::npos;
    }
    const void* lf = std::memchr(text.data(), '\n', text.size());
    const std::size_t before =
        lf == nullptr ? text.size()
                      : static_cast<std::size_t>(static_cast<const char*>(lf) - text.data());
    if (const void* cr = std::memchr(text.data(), '\r', before); cr != nullptr) {
        return static_cast<std::size_t>(static_cast<const char*>(cr) - text.data());
    }
    return lf == nullptr ? std::string_view::npos : before;
}

bool hasLineEnd(std::string_view text) {
    return findLineEnd(text) != std::string_view::npos;
}

}  // namespace

bool isLineEndStyle(int style) {
    return style >= kLineEndCrLf && style <= kLineEndCr;
}

std::string_view lineEndText(int style) {
    return kLineEndTexts[static_cast<std::size_t>(isLineEndStyle(style) ? style : kLineEndCrLf)];
}

int firstLineEndStyle(std::string_view text) {
    const std::size_t at = findLineEnd(text);
    if (at == std::string_view::npos) {
        return kLineEndCrLf;
    }
    if (lineEndLength(text, at) == 2) {
        return text[at] == '\r' ? kLineEndCrLf : kLineEndLfCr;
    }
    return text[at] == '\n' ? kLineEndLf : kLineEndCr;
}

std::string_view takeLine(std::string_view& text) {
    const std::size_t at = findLineEnd(text);
    if (at == std::string_view::npos) {
        return std::exchange(text, std::string_view());
    }
    const std::string_view line = text.substr(0, at);
    text.remove_prefix(at + lineEndLength(text, at));
    return line;
}

std::vector<std::string_view> splitLines(std::string_view text, std::size_t maxLines) {
    std::vector<std::string_view> lines;
    bool more = true;
    while (more && lines.size() < maxLines) {
        more = hasLineEnd(text);
        lines.push_back(takeLine(text));
    }
    return lines;
}

std::size_t countLines(std::string_view text) {
    std::size_t lines = 1;
    for (std::size_t at = findLineEnd(text); at != std::string_view::npos; at = findLineEnd(text)) {
        text.remove_prefix(at + lineEndLength(text, at));
        ++lines;
    }
    return lines;
}

}  // namespace tarvix
