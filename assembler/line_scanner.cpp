#include "assembler/line_scanner.h"

#include <algorithm>

#include "common/text.h"

namespace tarvix {

namespace {

std::string_view cutComment(std::string_view text) {
    return text.substr(0, text.find(';'));
}

// Splits "mnemonic operands" at the first space.
void splitMnemonic(std::string_view text, std::string& mnemonic, std::string_view& operands) {
    const std::size_t space = text.find(' ');
    if (space == std::string_view::npos) {
        mnemonic = text;
        operands = {};
        return;
    }
    mnemonic = trim(text.substr(0, space));
    operands = trim(text.substr(space + 1));
}

// A size keyword keeps the operand from the keyword on; anything written before it is dropped.
bool takeSizeKeyword(std::string& operand, std::string_view keyword) {
    const std::size_t at = operand.find(keyword);
    if (at == std::string::npos) {
        return false;
    }
    operand.erase(0, at);
    return true;
}

void scanSizeKeywords(Statement& s) {
    if (takeSizeKeyword(s.operand2, "bptr")) {
        s.operandSize = 0;
        s.sizeGiven = true;
    }
    if (takeSizeKeyword(s.operand2, "wptr")) {
        s.operandSize = 1;
        s.sizeGiven = true;
    }
    if (takeSizeKeyword(s.operand1, "bptr")) {
        s.operandSize = 0;
        s.sizeGiven = true;
        s.firstOperandIsWord = false;
    }
    if (takeSizeKeyword(s.operand1, "wptr")) {
        s.operandSize = 1;
        s.sizeGiven = true;
        s.firstOperandIsWord = true;
    }
}

}  // namespace

bool scanLine(std::string_view line, Statement& s) {
    if (line.empty()) {
        return false;
    }
    // Tabs count as spaces, and letters as lower case.
    std::string text(trim(cutComment(line)));
    for (char& c : text) {
        c = c == '\t' ? ' ' : asciiLower(c);
    }
    if (text.empty() || contains(text, "endp")) {
        return false;
    }

    std::string_view operands;
    const std::string_view view = text;
    const std::size_t colon = view.find(':');
    if (colon != std::string_view::npos) {
        s.label = view.substr(0, colon);
        std::string_view rest = view.substr(colon + 1);
        rest.remove_prefix(std::min(rest.find_first_not_of(' '), rest.size()));
        splitMnemonic(rest, s.mnemonic, operands);
    } else {
        if (contains(text, "proc") && !contains(text, "call")) {
            s.label = trim(view.substr(view.find("proc") + 4));
            return true;
        }
        s.label.clear();
        splitMnemonic(view, s.mnemonic, operands);
    }

    if (s.mnemonic == "db" || s.mnemonic == "dw") {
        return true;
    }
    if (s.mnemonic == "connect") {
        return false;
    }

    const std::size_t comma = operands.find(',');
    s.operand1 = operands.substr(0, comma);
    s.operand2 = comma == std::string_view::npos ? std::string_view() : operands.substr(comma + 1);
    if (contains(operands, "ptr")) {
        scanSizeKeywords(s);
    }

    s.mnemonic = trim(s.mnemonic);
    s.operand1 = trim(s.operand1);
    s.operand2 = trim(s.operand2);
    s.label = trim(s.label);
    return true;
}

std::string listingText(std::string_view line) {
    return std::string(trimRight(cutComment(trim(line))));
}

}  // namespace tarvix
