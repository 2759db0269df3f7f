#include "assembler/assembler8086.h"

#include <string_view>

#include "assembler/bit_pattern.h"
#include "assembler/line_scanner.h"
#include "common/format.h"
#include "common/operand_text.h"
#include "common/text.h"

namespace tarvix {

namespace {

constexpr std::size_t kMaxLabelLength = 9;

bool isRepPrefix(std::string_view mnemonic) {
    return mnemonic.substr(0, 3) == "rep";
}

}  // namespace

Assembler8086::Assembler8086(OutputPane& pane, int* currentLine)
    : pane_(pane), currentLine_(currentLine ? currentLine : &ownLine_) {}

bool Assembler8086::findTemplate() {
    Statement& s = statement;
    classifyOperands();
    // Built in a string that keeps its capacity from one statement to the next.
    std::string& key = s.key;
    key = s.mnemonic;
    key += '_';
    key += s.class1;
    if (!s.class2.empty()) {
        key += '/';
        key += s.class2;
    }
    const char first = s.mnemonic.empty() ? '\0' : s.mnemonic.front();
    if (first < 'a' || first > 'z') {
        return false;
    }
    const InstructionTemplate* row = findForm(key);
    if (!row && contains(key, "acu")) {
        // Accumulator operands fall back on the general register forms.
        replaceAll(key, "acu", "reg");
        replaceAll(s.class1, "acu", "reg");
        replaceAll(s.class2, "acu", "reg");
        row = findForm(key);
    }
    if (!row) {
        return false;
    }
    s.pattern.assign(row->bitPattern, row->fields);
    locationCounter = static_cast<std::uint16_t>(locationCounter + row->baseSize);
    return true;
}

bool Assembler8086::assembleInstruction(std::string& byteText) {
    Statement& s = statement;
    if (!findTemplate()) {
        return pane_.reportError(MessageId::UnsupportedInstruction, WithLine::Yes);
    }
    if (s.pattern.has(Field::W) && !s.sizeGiven) {
        return pane_.reportError(MessageId::SpecifyPointerSize, WithLine::Yes);
    }
    if (!encodeStatement()) {
        return pane_.reportError(MessageId::UnsupportedInstruction, WithLine::Yes);
    }
    const bool word = s.operandSize != 0;
    byteText.clear();
    if (!isRepPrefix(s.mnemonic)) {
        s.pattern.appendFinishedBytes(byteText, word);
        return true;
    }
    // The string instruction after REP is looked up as a statement of its own, and its pattern
    // follows the prefix's finished one as it stands.
    s.pattern.finish(word);
    const std::string prefix = s.pattern.text();
    s.mnemonic = s.operand1;
    s.operand1.clear();
    if (!findTemplate()) {
        return pane_.reportError(MessageId::UnsupportedInstruction, WithLine::Yes);
    }
    s.pattern.prepend(prefix);
    s.pattern.appendBytes(byteText);
    return true;
}

bool Assembler8086::checkLabel() {
    if (contains(statement.label, " ")) {
        return pane_.reportError(MessageId::LabelHasSpaces, WithLine::Yes);
    }
    if (statement.label.size() > kMaxLabelLength) {
        return pane_.reportError("Label's length should be < 10", WithLine::Yes);
    }
    return true;
}

int Assembler8086::labelJumpSize() const {
    const std::string& m = statement.mnemonic;
    const bool callOrJmp = m == "call" || m == "jmp";
    if (!callOrJmp && !m.starts_with("j") && !m.starts_with("loop")) {
        return 0;
    }
    if (!callOrJmp) {
        return 2;
    }
    if (registerSize(statement.operand1) != 0 || hasBracket(statement.operand1)) {
        return 0;
    }
    return 3;
}

bool Assembler8086::defineDataBytes(std::string_view line, std::string& byteText) {
    const std::string& m = statement.mnemonic;
    if (m != "db" && m != "dw") {
        return false;
    }
    // The comment is no data: read through, its digits and commas would become bytes.
    std::string text = toLower(line.substr(0, line.find(';')));
    // The directive follows the label's colon, if the line has one.
    const std::size_t colon = text.find(':');
    const std::size_t from = colon == std::string::npos ? 0 : colon + 1;
    text = trim(std::string_view(text).substr(text.find(m, from) + m.size()));
    replaceAll(text, "\t", " ");

    byteText.clear();
    if (m == "db" && text.size() >= 2 && text.front() == '\'' && text.back() == '\'') {
        // A string: each character's code is one byte.
        const std::string_view characters = std::string_view(text).substr(1, text.size() - 2);
        for (const char c : characters) {
            appendHexByte(byteText, static_cast<unsigned char>(c));
        }
        locationCounter =
            static_cast<std::uint16_t>(locationCounter + (characters.size() & 0xFFFFu));
        return true;
    }

    // One pass over the items: each is read where it stands, never copied with the rest.
    std::string_view rest = text;
    while (!rest.empty()) {
        const std::size_t comma = rest.find(',');
        const std::uint16_t value = parseHex(trim(rest.substr(0, comma)));
        rest = comma == std::string_view::npos ? std::string_view() : trim(rest.substr(comma + 1));
        appendHexByte(byteText, value);
        if (m == "dw") {
            appendHexByte(byteText, value >> 8u);
        }
        locationCounter = static_cast<std::uint16_t>(locationCounter + (m == "dw" ? 2 : 1));
    }
    return true;
}

bool Assembler8086::encodeSingleStatement(std::string_view line, std::string& byteText) {
    byteText.clear();
    statement.reset();
    const std::string trimmed(trim(line));
    if (!scanLine(trimmed, statement) || defineDataBytes(trimmed, byteText)) {
        return true;
    }
    if (!statement.label.empty() && !checkLabel()) {
        return false;
    }
    if (statement.mnemonic.empty()) {
        return true;
    }
    if (labelJumpSize() != 0) {
        return pane_.reportError("Unrecognized symbol " + statement.operand1, WithLine::MarkOnly);
    }
    return assembleInstruction(byteText);
}

}  // namespace tarvix
