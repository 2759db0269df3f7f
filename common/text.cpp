#include "common/text.h"

#include <algorithm>
#include <utility>

namespace tarvix {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

}  // namespace

std::string toLower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), asciiLower);
    return out;
}

std::string toUpper(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), asciiUpper);
    return out;
}

std::string_view trimRight(std::string_view text) {
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

std::string_view trim(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    return trimRight(text);
}

bool contains(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

bool equalsIgnoreCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return asciiLower(x) == asciiLower(y);
           });
}

void replaceAll(std::string& text, std::string_view from, std::string_view to) {
    if (from.empty()) {
        return;
    }
    // Built anew rather than replaced in place, which would move the tail at every match.
    std::string replaced;
    std::size_t pos = 0;
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, pos)) {
        replaced.append(text, pos, at - pos);
        replaced += to;
        pos = at + from.size();
    }
    if (pos == 0) {
        return;
    }
    replaced.append(text, pos);
    text = std::move(replaced);
}

}  // namespace tarvix
