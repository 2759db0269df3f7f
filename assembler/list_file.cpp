#include "assembler/list_file.h"

#include <algorithm>
#include <array>
#include <string>

#include "common/format.h"
#include "common/operand_text.h"
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

void appendListLine(std::string& out, std::string_view line, bool listingMode) {
    if (listingMode) {
        appendListingLine(out, line);
    } else {
        out += line;
        out += kLineEnd;
    }
}

JumpLine splitJumpLine(std::string_view line) {
    const std::size_t mark1 = line.find("#1");
    const std::size_t mark2 = line.find("#2", mark1);
    const std::size_t mark3 = line.find("#3", mark2);
    return {line.substr(0, 4), line.substr(mark1 + 2, mark2 - mark1 - 2),
            line.substr(mark2 + 2, mark3 - mark2 - 2), line.substr(mark3 + 2)};
}

void appendResolvedJump(std::string& out, const JumpLine& jump, const InstructionTemplate& row,
                        std::uint16_t targetAddress, bool listingMode) {
    const auto displacement =
        static_cast<std::uint16_t>(targetAddress - (parseHex(jump.address) + row.baseSize));
    std::string displacementText;
    appendHex(displacementText, displacement & 0xFFu, 2);
    if (row.baseSize != 2) {
        displacementText += ' ';
        appendHex(displacementText, displacement >> 8u, 2);
    }
    // A run-mode list line is the resolved line itself; a listing is made from it.
    std::string listingSource;
    std::string& line = listingMode ? listingSource : out;
    appendRightAligned(line, jump.address, 4);
    line += ": ";
    line += printedText(row.bitPattern);
    line += ' ';
    appendLeftAligned(line, displacementText, 17);
    line += ' ';
    line += printedText(jump.rest);
    if (listingMode) {
        appendListingLine(out, line);
    } else {
        out += kLineEnd;
    }
}

}  // namespace tarvix
