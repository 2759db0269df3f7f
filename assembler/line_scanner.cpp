#include "assembler/line_scanner.h"

#include <algorithm>

#include "common/text.h"

namespace tarvix {

namespace {

std::string_view cutComment(std::string_view text) {
    return text.substr(0, text.find(';'));
}

// Splits "mnemonic operands" at the first space; both parts come out trimmed.
void splitMnemonic(std::string_view text, std::string_view& mnemonic, std::string_view& operands) {
    const std::size_t space = text.find(' ');
    if (space == std::string_view::npos) {
        mnemonic = trim(text);
        operands = {};
        return;
    }
    mnemonic = trim(text.substr(0, space));
    operands = trim(text.substr(space + 1));
}

// A size keyword keeps the operand from the keyword on; anything written before it is dropped.
bool takeSizeKeyword(std::string_view& operand, std::string_view keyword) {
    const std::size_t at = operand.find(keyword);
    if (at == std::string_view::npos) {
        return false;
    }
    operand.remove_prefix(at);
    return true;
}

void scanSizeKeywords(Statement& s, std::string_view& operand1, std::string_view& operand2) {
    if (takeSizeKeyword(operand2, "bptr")) {
        s.operandSize = 0;
        s.sizeGiven = true;
    }
    if (takeSizeKeyword(operand2, "wptr")) {
        s.operandSize = 1;
        s.sizeGiven = true;
    }
    if (takeSizeKeyword(operand1, "bptr")) {
        s.operandSize = 0;
        s.sizeGiven = true;
        s.firstOperandIsWord = false;
    }
    if (takeSizeKeyword(operand1, "wptr")) {
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
    // Tabs count as spaces, and letters as lower case; the fields are cut from this text and
    // copied once each.
    const std::string_view kept = trim(cutComment(line));
    std::string& text = s.text;
    text.resize(kept.size());
    std::transform(kept.begin(), kept.end(), text.begin(),
                   [](char c) { return c == '\t' ? ' ' : asciiLower(c); });
    if (text.empty() || contains(text, "endp")) {
        return false;
    }

    std::string_view label;
    std::string_view mnemonic;
    std::string_view operands;
    const std::string_view view = text;
    const std::size_t colon = view.find(':');
    if (colon != std::string_view::npos) {
        label = view.substr(0, colon);
        std::string_view rest = view.substr(colon + 1);
        rest.remove_prefix(std::min(rest.find_first_not_of(' '), rest.size()));
        splitMnemonic(rest, mnemonic, operands);
    } else {
        if (contains(text, "proc") && !contains(text, "call")) {
            s.label = trim(view.substr(view.find("proc") + 4));
            return true;
        }
        splitMnemonic(view, mnemonic, operands);
    }
    s.mnemonic = mnemonic;

    if (mnemonic == "db" || mnemonic == "dw" || mnemonic == "connect") {
        // These lines keep the label as written before the colon.
        s.label = label;
        return mnemonic != "connect";
    }

    const std::size_t comma = operands.find(',');
    std::string_view operand1 = trim(operands.substr(0, comma));
    std::string_view operand2 =
        comma == std::string_view::npos ? std::string_view() : trim(operands.substr(comma + 1));
    if (contains(operands, "ptr")) {
        scanSizeKeywords(s, operand1, operand2);
    }
    s.label = trim(label);
    s.operand1 = operand1;
    s.operand2 = operand2;
    return true;
}

std::string listingText(std::string_view line) {
    return std::string(trimRight(cutComment(trim(line))));
}

}  // namespace tarvix
