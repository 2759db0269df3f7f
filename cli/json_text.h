// Text as JSON string literals, for tarvix-run's report, and text made UTF-8 for the grader's.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "common/format.h"
#include "common/text.h"

namespace tarvix {

// One character of a string literal: printable ASCII as it is, everything else escaped, so the
// report is plain ASCII whatever the text holds.
inline void appendJsonCharacter(std::string& out, std::uint32_t code) {
    if (code == '"' || code == '\\') {
        out += '\\';
        out += static_cast<char>(code);
    } else if (code >= 0x20 && code < 0x7F) {
        out += static_cast<char>(code);
    } else if (code < 0x10000) {
        out += formatText("\\u%04x", code);
    } else {
        const std::uint32_t offset = code - 0x10000;
        out += formatText("\\u%04x\\u%04x", 0xD800 + (offset >> 10), 0xDC00 + (offset & 0x3FF));
    }
}

// Each byte one character 0 to 255: what a program sends the terminal is no UTF-8, and must not
// make the report invalid.
inline std::string jsonBytes(std::string_view bytes) {
    std::string out = "\"";
    for (const char c : bytes) {
        appendJsonCharacter(out, static_cast<unsigned char>(c));
    }
    return out + "\"";
}

// The pane's text as the desktop program shows it: UTF-8 read as its characters. A pane that is
// no UTF-8 (a Latin-1 source's bytes in a message) is taken byte by byte.
inline std::string jsonText(std::string_view text) {
    if (!isValidUtf8(text)) {
        return jsonBytes(text);
    }
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        std::uint32_t code = length == 1 ? lead : lead & (0x7Fu >> length);
        for (std::size_t k = 1; k < length; ++k) {
            code = code << 6 | (static_cast<unsigned char>(text[i + k]) & 0x3Fu);
        }
        appendJsonCharacter(out, code);
        i += length;
    }
    return out + "\"";
}

// The text as it is when it is UTF-8, else each byte as its Latin-1 character: what a
// student's source or file name holds becomes valid text for any report.
inline std::string utf8Text(std::string_view text) {
    return isValidUtf8(text) ? std::string(text) : utf8FromLatin1(text);
}

}  // namespace tarvix
