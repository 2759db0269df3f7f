// Operand classes and the filling of a template's bit pattern from the operands.
#include <array>
#include <string>

#include "assembler/assembler8086.h"
#include "assembler/bit_pattern.h"
#include "common/operand_text.h"
#include "common/text.h"

namespace tarvix {

namespace {

struct BaseForm {
    std::string_view inner;
    unsigned rm;
};

// The r/m field of each base; either order of a register pair is accepted.
constexpr std::array<BaseForm, 12> kBaseForms{{
    {"BX+SI", 0b000},
    {"SI+BX", 0b000},
    {"BX+DI", 0b001},
    {"DI+BX", 0b001},
    {"BP+SI", 0b010},
    {"SI+BP", 0b010},
    {"BP+DI", 0b011},
    {"DI+BP", 0b011},
    {"SI", 0b100},
    {"DI", 0b101},
    {"BP", 0b110},
    {"BX", 0b111},
}};

// The text between the first "[" at `open` and the first "]" at `close`, as found (npos when
// missing); empty when either is missing or "]" comes first. Callers that have looked for
// the brackets already pass what they found.
std::string_view bracketInner(std::string_view operand, std::size_t open, std::size_t close) {
    if (open == std::string_view::npos || close == std::string_view::npos || close < open) {
        return {};
    }
    return operand.substr(open + 1, close - open - 1);
}

// The class of one operand: a register's (which also sets the size), "addr" or "mem" for
// brackets, "imm" for a number, else empty. A register name is neither bracketed nor a number.
std::string_view operandClass(std::string_view operand, int& operandSize) {
    if (const RegisterRef reg = registerRef(operand); reg.size != 0) {
        operandSize = reg.size == 2 ? 1 : 0;
        if (reg.code == 0) {
            return reg.size == 2 ? "acu16" : "acu8";
        }
        return reg.size == 2 ? "reg16" : "reg8";
    }
    if (isHexNumber(operand)) {
        return "imm";
    }
    if (const std::size_t open = operand.find('['); open != std::string_view::npos) {
        return isHexNumber(bracketInner(operand, open, operand.find(']'))) ? "addr" : "mem";
    }
    return {};
}

bool isRegister(std::string_view operand) {
    return registerSize(operand) != 0;
}

}  // namespace

void Assembler8086::classifyOperands() {
    Statement& s = statement;
    if (s.operand1.empty()) {
        s.class1.clear();
        s.class2.clear();
        return;
    }
    // The second operand first, so that a first-operand register decides the size.
    const std::string_view c2 = operandClass(s.operand2, s.operandSize);
    s.class1 = operandClass(s.operand1, s.operandSize);
    s.class2 = s.operand2.empty() ? std::string_view() : c2;
}

bool Assembler8086::encodeRegOrMem(std::string_view operand) {
    BitPattern& pattern = statement.pattern;
    const std::string_view s = trim(operand);

    if (const RegisterRef reg = registerRef(s); reg.size != 0) {
        pattern.fill(Field::RegOrMem, BitText().bits(static_cast<unsigned>(reg.code), 3).view());
        pattern.fill(Field::Mod, "11");
        statement.operandSize = reg.size == 2 ? 1 : 0;
        return true;
    }

    const std::size_t open = s.find('[');
    const std::size_t close = s.find(']');
    if (open == std::string::npos || close == std::string::npos ||
        s.find('[', open + 1) != std::string::npos || s.find("]+", open) != std::string::npos) {
        return false;
    }
    std::string_view inner = bracketInner(s, open, close);

    // A "-" displacement is taken only when the brackets hold no "+".
    std::string_view displacement;
    bool negative = false;
    if (const std::size_t plus = inner.rfind('+'); plus != std::string::npos) {
        if (isHexNumber(inner.substr(plus + 1))) {
            displacement = inner.substr(plus + 1);
            inner = inner.substr(0, plus);
        }
    } else if (const std::size_t minus = inner.rfind('-'); minus != std::string::npos) {
        if (isHexNumber(inner.substr(minus + 1))) {
            displacement = inner.substr(minus + 1);
            negative = true;
            inner = inner.substr(0, minus);
        }
    }

    const BaseForm* base = nullptr;
    // The forms differ from one another, so the first that matches is the only one.
    for (const BaseForm& form : kBaseForms) {
        if (form.inner.size() == inner.size() && equalsIgnoreCase(inner, form.inner)) {
            base = &form;
            break;
        }
    }
    if (!base) {
        return false;
    }

    const long d = parseHex(displacement);
    const long signedDisplacement = negative ? -d : d;
    std::string_view mod = "00";
    BitText rm;
    rm.bits(base->rm, 3);
    int displacementBytes = 0;
    if (d == 0) {
        // The 8086 has no BP-indirect form without a displacement: [bp] is [bp+00].
        if (base->inner == "BP") {
            mod = "01";
            rm.bits(0, 8);
            displacementBytes = 1;
        }
    } else if (signedDisplacement >= -0x80 && signedDisplacement <= 0x7F) {
        mod = "01";
        rm.bits(static_cast<unsigned>(signedDisplacement), 8);
        displacementBytes = 1;
    } else {
        mod = "10";
        rm.word(static_cast<unsigned>(signedDisplacement));
        displacementBytes = 2;
    }
    locationCounter = static_cast<std::uint16_t>(locationCounter + displacementBytes);
    pattern.fill(Field::Mod, mod);
    pattern.fill(Field::RegOrMem, rm.view());
    return true;
}

bool Assembler8086::encodeStatement() {
    Statement& s = statement;
    BitPattern& pattern = s.pattern;

    // The one-byte XCHG with the accumulator takes the other register's number. A class is
    // one of the fixed names, so a register class is known by how it starts.
    if (s.class1.starts_with("acu") && s.class2.starts_with("reg")) {
        pattern.fill(Field::Reg, registerCode(s.operand2));
    }
    if (s.class1.starts_with("reg") && s.class2.starts_with("acu")) {
        pattern.fill(Field::Reg, registerCode(s.operand1));
    }

    if (pattern.has(Field::Shift)) {
        if (!equalsIgnoreCase(s.operand2, "cl") && parseHex(s.operand2) != 1) {
            return false;
        }
        if (isRegister(s.operand1)) {
            pattern.fill(Field::W, registerSize(s.operand1) == 2 ? "1" : "0");
        } else if (s.sizeGiven) {
            pattern.fill(Field::W, s.firstOperandIsWord ? "1" : "0");
        }
        // A direct address has no r/m field: its rows spell out mod and r/m.
        if (pattern.has(Field::RegOrMem) && !encodeRegOrMem(s.operand1)) {
            return false;
        }
        pattern.fill(Field::Shift, "");
    }

    // Register to register: reg is the destination, r/m the source (the d = 1 encodings).
    if (isRegister(s.operand1) && isRegister(s.operand2)) {
        pattern.fill(Field::Reg, registerCode(s.operand1));
        encodeRegOrMem(s.operand2);
    }

    if (pattern.has(Field::Reg)) {
        pattern.fill(Field::Reg, registerCode(isRegister(s.operand1) ? s.operand1 : s.operand2));
    } else if (pattern.has(Field::RegOrMem)) {
        encodeRegOrMem(isRegister(s.operand1) ? s.operand1 : s.operand2);
    }
    if (pattern.has(Field::RegOrMem) &&
        !encodeRegOrMem(hasBracket(s.operand1) ? s.operand1 : s.operand2)) {
        return false;
    }

    if (pattern.has(Field::Data)) {
        const std::uint16_t value = parseHex(s.operand2);
        bool wordData = s.operandSize != 0;
        if (pattern.has(Field::Y) && s.operandSize != 0) {
            // A word immediate up to 7FH goes as one byte that the processor sign-extends.
            wordData = value > 0x7F;
            pattern.fill(Field::Y, wordData ? "0" : "1");
        } else {
            pattern.fill(Field::Y, "0");
        }
        if (wordData) {
            pattern.fill(Field::Data, BitText().word(value).view());
            locationCounter = static_cast<std::uint16_t>(locationCounter + 1);
        } else {
            pattern.fill(Field::Data, BitText().bits(value, 8).view());
        }
    }

    if (pattern.has(Field::Addr)) {
        const std::size_t firstOpen = s.operand1.find('[');
        const std::string& operand = firstOpen != std::string::npos ? s.operand1 : s.operand2;
        const std::size_t open = firstOpen != std::string::npos ? firstOpen : operand.find('[');
        const std::size_t close = operand.find(']');
        if (open == std::string::npos || close == std::string::npos) {
            return false;
        }
        pattern.fill(Field::Addr,
                     BitText().word(parseHex(bracketInner(operand, open, close))).view());
    }

    if (pattern.has(Field::Port)) {
        const std::string& port = accumulatorSize(s.operand1) != 0 ? s.operand2 : s.operand1;
        pattern.fill(Field::Port, BitText().bits(parseHex(port), 8).view());
    }

    if (pattern.has(Field::Type)) {
        const unsigned type = parseHex(s.operand1) & 0xFFu;
        pattern.fill(Field::Type, BitText().bits(type, 8).view());
        if (type == 3) {
            // INT 3 has its own one-byte opcode.
            pattern.assign("11001100", 0);
            locationCounter = static_cast<std::uint16_t>(locationCounter - 1);
        }
    }

    return true;
}

}  // namespace tarvix
