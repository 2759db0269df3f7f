#include "simulator/operand_form.h"

#include <array>

#include "common/operand_text.h"
#include "common/text.h"

namespace tarvix {

namespace {

struct AddressRegisters {
    std::string_view inner;
    std::int8_t base;   // 8086 register numbers: BX 3, BP 5, SI 6, DI 7
    std::int8_t index;  // -1 when a single register
};

// In the order they are compared.
constexpr std::array<AddressRegisters, 12> kAddressRegisters{{
    {"BX", 3, -1},
    {"SI", 6, -1},
    {"DI", 7, -1},
    {"BP", 5, -1},
    {"BX+SI", 3, 6},
    {"BX+DI", 3, 7},
    {"SI+BX", 6, 3},
    {"DI+BX", 7, 3},
    {"BP+SI", 5, 6},
    {"BP+DI", 5, 7},
    {"SI+BP", 6, 5},
    {"DI+BP", 7, 5},
}};

// The text between the first "[" and the first "]"; nothing when either is missing.
bool bracketInner(std::string_view text, std::string_view& inner) {
    const std::size_t open = text.find('[');
    const std::size_t close = text.find(']');
    if (open == std::string_view::npos || close == std::string_view::npos) {
        return false;
    }
    inner = close > open ? text.substr(open + 1, close - open - 1) : std::string_view();
    return true;
}

int sizePrefix(std::string_view upper) {
    if (contains(upper, "BYTE PTR") || contains(upper, "BPTR")) {
        return 1;
    }
    if (contains(upper, "WORD PTR") || contains(upper, "WPTR")) {
        return 2;
    }
    return 0;
}

// One bracket pair holding a register form with an optional hexadecimal displacement after
// "+" or "-", or a bare address. False for anything else.
bool readAddress(std::string_view upper, OperandForm& form) {
    std::string_view inner;
    if (!bracketInner(upper, inner)) {
        return false;
    }
    const std::size_t open = upper.find('[');
    if (upper.find('[', open + 1) != std::string_view::npos ||
        upper.find("]+", open) != std::string_view::npos) {
        return false;
    }
    const std::string_view whole = inner;
    std::uint16_t displacement = 0;
    if (const std::size_t plus = inner.rfind('+'); plus != std::string_view::npos) {
        if (isHexNumber(inner.substr(plus + 1))) {
            displacement = parseHex(inner.substr(plus + 1));
            inner = trimRight(inner.substr(0, plus));
        }
    } else if (const std::size_t minus = inner.rfind('-'); minus != std::string_view::npos) {
        if (isHexNumber(inner.substr(minus + 1))) {
            displacement = static_cast<std::uint16_t>(-parseHex(inner.substr(minus + 1)));
            inner = trimRight(inner.substr(0, minus));
        }
    }
    for (const AddressRegisters& registers : kAddressRegisters) {
        if (inner == registers.inner) {
            form.base = registers.base;
            form.index = registers.index;
            form.displacement = displacement;
            return true;
        }
    }
    // A bare address is the whole text in the brackets, displacement and all.
    if (!isHexNumber(inner) || !isHexNumber(whole)) {
        return false;
    }
    form.displacement = parseHex(whole);
    return true;
}

}  // namespace

OperandForm OperandForm::read(std::string_view text) {
    OperandForm form;
    const RegisterRef ref = registerRef(text);
    form.registerSize = static_cast<std::uint8_t>(ref.size);
    form.registerCode = static_cast<std::uint8_t>(ref.code);
    form.isEmpty = text.empty();
    form.isNumber = isHexNumber(text);
    form.number = parseHex(text);
    form.isMemory = contains(text, "[");
    const std::string upper = toUpper(trim(text));
    form.pointerSize = static_cast<std::uint8_t>(sizePrefix(upper));
    form.hasAddress = readAddress(upper, form);
    return form;
}

}  // namespace tarvix
