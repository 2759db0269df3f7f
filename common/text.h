// Small text helpers shared by the assembler and the simulator. The source language is 8-bit
// and case-insensitive, so case folding is plain ASCII.
#pragma once

#include <string>
#include <string_view>

namespace tarvix {

// ASCII folding: the kit's names and keywords are ASCII, other bytes stay as they are.
inline char asciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c | 0x20) : c;
}
inline char asciiUpper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c & ~0x20) : c;
}

std::string toLower(std::string_view text);
std::string toUpper(std::string_view text);

// Trims spaces and tabs at both ends; inline, as every statement is trimmed a dozen times.
inline std::string_view trimRight(std::string_view text) {
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    return text;
}
inline std::string_view trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    return trimRight(text);
}

// Inline, as the encoder asks it a dozen times per statement.
inline bool contains(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

bool equalsIgnoreCase(std::string_view a, std::string_view b);

// Replaces every occurrence of `from`, scanning left to right.
void replaceAll(std::string& text, std::string_view from, std::string_view to);

// Whether the bytes are well-formed UTF-8 (plain ASCII is).
bool isValidUtf8(std::string_view bytes);

// Each byte as its Latin-1 character, in UTF-8.
std::string utf8FromLatin1(std::string_view latin1);

}  // namespace tarvix
