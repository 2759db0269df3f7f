// How an operand text becomes an address: register-based forms with an optional displacement,
// or a bracketed number.
#include <array>

#include "common/operand_text.h"
#include "common/text.h"
#include "simulator/cpu8086.h"

namespace tarvix {

namespace {

struct AddressForm {
    std::string_view inner;
    int first;   // 8086 register numbers: BX 3, BP 5, SI 6, DI 7
    int second;  // -1 when a single register
};

// In the order they are compared.
constexpr std::array<AddressForm, 12> kAddressForms{{
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

}  // namespace

bool Cpu8086::isMemoryOperand(std::string_view text) {
    return contains(text, "[");
}

int Cpu8086::pointerSize(std::string_view text) {
    const std::string upper = toUpper(text);
    if (contains(upper, "BYTE PTR") || contains(upper, "BPTR")) {
        return 1;
    }
    if (contains(upper, "WORD PTR") || contains(upper, "WPTR")) {
        return 2;
    }
    return 0;
}

std::uint16_t Cpu8086::effectiveAddress(std::string_view text) {
    bool reported = false;
    return effectiveAddress(text, reported);
}

std::uint16_t Cpu8086::effectiveAddress(std::string_view text, bool& reported) {
    reported = true;
    const std::string upper = toUpper(trim(text));
    std::string_view inner;
    if (!bracketInner(upper, inner)) {
        reported = false;
        return 0;
    }
    const std::size_t open = upper.find('[');
    if (upper.find('[', open + 1) != std::string::npos ||
        upper.find("]+", open) != std::string::npos) {
        fail(MessageId::ErrorInInstructionFormat);
        return 0;
    }

    int displacement = 0;
    if (const std::size_t plus = inner.rfind('+'); plus != std::string_view::npos) {
        if (isHexNumber(inner.substr(plus + 1))) {
            displacement = parseHex(inner.substr(plus + 1));
            inner = trimRight(inner.substr(0, plus));
        }
    } else if (const std::size_t minus = inner.rfind('-'); minus != std::string_view::npos) {
        if (isHexNumber(inner.substr(minus + 1))) {
            displacement = -parseHex(inner.substr(minus + 1));
            inner = trimRight(inner.substr(0, minus));
        }
    }

    for (const AddressForm& form : kAddressForms) {
        if (inner == form.inner) {
            int sum = regs.word(form.first) + displacement;
            if (form.second >= 0) {
                sum += regs.word(form.second);
            }
            const auto address = static_cast<std::uint16_t>(sum & 0xFFFF);
            if (!KitMemory::isValidAddress(address, true)) {
                fail(MessageId::AddressOutsideMemory);
                return 0;
            }
            return address;
        }
    }
    if (isHexNumber(inner)) {
        reported = false;  // a direct address
    } else {
        fail(MessageId::ErrorInInstructionFormat);
    }
    return 0;
}

std::uint16_t Cpu8086::directAddress(std::string_view text) {
    const std::string upper = toUpper(text);
    std::string_view inner;
    if (!bracketInner(upper, inner) || !isHexNumber(inner)) {
        fail(MessageId::ErrorInInstructionFormat);
        return 0;
    }
    const std::uint16_t address = parseHex(inner);
    if (!KitMemory::isValidAddress(address, true)) {
        fail(MessageId::AddressOutsideMemory);
        return 0;
    }
    return address;
}

std::uint16_t Cpu8086::operandAddress(std::string_view text) {
    bool reported = false;
    const std::uint16_t address = effectiveAddress(text, reported);
    // A register form that failed has said why; saying it again would sound twice.
    return address != 0 || reported ? address : directAddress(text);
}

bool Cpu8086::execLea() {
    const std::uint16_t address = operandAddress(source);
    if (address == 0) {
        return false;
    }
    return regs.setReg16(dest, address);
}

}  // namespace tarvix
