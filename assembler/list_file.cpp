#include "assembler/list_file.h"

#include <algorithm>
#include <array>
#include <string>

#include "common/format.h"
#include "common/text.h"

namespace tarvix {

namespace {

constexpr std::array<const char*, 12> kMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                 "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

std::string normalisedInstruction(std::string text) {
    replaceAll(text, "\t", " ");
    replaceAll(text, "   ", " ");
    replaceAll(text, "  ", " ");
    replaceAll(text, " , ", ",");
    replaceAll(text, " ,", ",");
    replaceAll(text, ", ", ",");
    replaceAll(text, " ", "\t");
    return text;
}

}  // namespace

std::string separatorLine() {
    return std::string(49, '-');
}

std::string listFilePath(std::string_view sourcePath) {
    const std::size_t nameStart = sourcePath.find_last_of('/') + 1;  // npos + 1 is 0
    const std::size_t dot = sourcePath.rfind('.');
    if (dot == std::string_view::npos || dot < nameStart) {
        return {};
    }
    return std::string(sourcePath.substr(0, dot)) + ".lst";
}

std::string listingHeader(const std::tm& t) {
    // Built by hand rather than with strftime: the day and the hour carry no leading zero on
    // any platform, and the month names do not follow the locale.
    const int hour12 = t.tm_hour % 12 == 0 ? 12 : t.tm_hour % 12;
    const char* month = kMonths[static_cast<std::size_t>(t.tm_mon % 12)];
    std::string header(kApplicationTitle);
    header += kLineEnd;
    header += formatText(",   %s %d, %d ,%d:%02d  %s ", month, t.tm_mday, t.tm_year + 1900, hour12,
                         t.tm_min, t.tm_hour < 12 ? "AM" : "PM");
    header += kLineEnd;
    header += separatorLine();
    header += kLineEnd;
    header += "ADDR                  CODE   LABEL      MNEMONIC ";
    header += kLineEnd;
    header += separatorLine();
    header += kLineEnd;
    return header;
}

void appendListingLine(std::string& out, std::string_view line) {
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) {
        out += line;
        out += kLineEnd;
        return;
    }
    const std::string_view address = line.substr(0, colon);
    std::string_view rest = line.substr(colon + 1);

    std::string_view code;
    if (const std::size_t tilde = rest.find('~'); tilde != std::string_view::npos) {
        code = rest.substr(0, tilde);
        rest = rest.substr(tilde + 1);
    }
    std::string_view label;
    std::string_view text = rest;
    if (const std::size_t labelEnd = rest.find(':'); labelEnd != std::string_view::npos) {
        label = rest.substr(0, labelEnd);
        text = rest.substr(labelEnd + 1);
    }
    appendRightAligned(out, address, 4);
    out += ": ";
    const std::size_t upperFrom = out.size();
    appendRightAligned(out, trim(code), 20);
    out += "   ";
    appendLeftAligned(out, trim(label), 10);
    out += ' ';
    out += printedText(trim(normalisedInstruction(std::string(text))));
    std::transform(out.begin() + static_cast<std::ptrdiff_t>(upperFrom), out.end(),
                   out.begin() + static_cast<std::ptrdiff_t>(upperFrom), asciiUpper);
    out += kLineEnd;
}

std::string resolvedJumpLine(std::string_view address, std::string_view opcode,
                             std::string_view displacement, std::string_view rest) {
    std::string line;
    appendRightAligned(line, address, 4);
    line += ": ";
    line += printedText(opcode);
    line += ' ';
    appendLeftAligned(line, displacement, 17);
    line += ' ';
    line += printedText(rest);
    return line;
}

}  // namespace tarvix
