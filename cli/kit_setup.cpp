#include "cli/kit_setup.h"

#include <charconv>

#include "common/format.h"
#include "common/operand_text.h"
#include "simulator/kit_memory.h"

namespace tarvix {

std::optional<unsigned> parseHexValue(std::string_view text, unsigned maxValue) {
    unsigned value = 0;
    const char* end = text.data() + text.size();
    if (!isHexNumber(text)) {
        return std::nullopt;
    }
    const auto [stop, error] = std::from_chars(text.data(), end, value, 16);
    if (error != std::errc() || stop != end || value > maxValue) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::vector<std::uint8_t>> parseByteList(std::string_view text) {
    std::vector<std::uint8_t> bytes;
    while (!text.empty()) {
        const std::size_t end = text.find_first_of(" ,");
        const std::string_view item = text.substr(0, end);
        if (!item.empty()) {
            if (item.size() > 2) {
                return std::nullopt;
            }
            const std::optional<unsigned> byte = parseHexValue(item, 0xFF);
            if (!byte) {
                return std::nullopt;
            }
            bytes.push_back(static_cast<std::uint8_t>(*byte));
        }
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    }
    if (bytes.empty()) {
        return std::nullopt;
    }
    return bytes;
}

std::optional<MemoryBytes> parseMemoryBytes(std::string_view address, std::string_view bytes) {
    const std::optional<unsigned> first = parseHexValue(address, 0xFFFF);
    std::optional<std::vector<std::uint8_t>> list = parseByteList(bytes);
    if (!first || !list || *first < kMemoryFirst ||
        *first + list->size() > kMemoryFirst + kMemorySize) {
        return std::nullopt;
    }
    return MemoryBytes{static_cast<std::uint16_t>(*first), std::move(*list)};
}

std::optional<Reg16> parseSetupRegister(std::string_view name) {
    const RegisterRef ref = registerRef(name);
    if (ref.size != 2) {
        return std::nullopt;
    }
    return static_cast<Reg16>(ref.code);
}

std::string applySetup(const KitSetup& setup, Kit& kit) {
    for (const MemoryBytes& poke : setup.memory) {
        for (std::size_t i = 0; i < poke.bytes.size(); ++i) {
            const auto address = static_cast<std::uint16_t>(poke.address + i);
            if (kit.image.isCode(address)) {
                return formatText("cannot poke %04X: the program's own bytes are there", address);
            }
        }
    }
    for (const MemoryBytes& poke : setup.memory) {
        for (std::size_t i = 0; i < poke.bytes.size(); ++i) {
            kit.cpu.memory.writeByte(static_cast<std::uint16_t>(poke.address + i), poke.bytes[i]);
        }
    }
    for (const RegisterSetting& setting : setup.registers) {
        kit.cpu.regs[setting.reg] = setting.value;
    }
    return {};
}

}  // namespace tarvix
