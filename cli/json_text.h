// Text as JSON string literals, for tarvix-run's report.
#pragma once

#include <string>
#include <string_view>

#include "common/format.h"

namespace tarvix {

// Control characters escaped; other bytes as they are (the pane's text is UTF-8).
inline std::string jsonString(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20) {
            out += formatText("\\u%04x", byte);
        } else {
            out += c;
        }
    }
    return out + "\"";
}

// Each byte one character 0 to 255: what a program sends the terminal is no UTF-8, and must
// not make the report invalid.
inline std::string jsonBytes(std::string_view bytes) {
    std::string out = "\"";
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20 || byte >= 0x7F) {
            out += formatText("\\u%04x", byte);
        } else {
            out += c;
        }
    }
    return out + "\"";
}

}  // namespace tarvix
