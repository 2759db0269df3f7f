// Text as JSON string literals, for tarvix-run's report.
#pragma once

#include <string>
#include <string_view>

#include "common/format.h"

namespace tarvix {

// Each byte one character 0 to 255, everything outside printable ASCII escaped: the pane can
// hold any byte of the source and the terminal any byte a program sends, and neither may make
// the report invalid JSON.
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
