// Labels and their addresses. Names are compared without regard to case and the first
// definition wins; a hash index keeps large sources fast.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

namespace tarvix {

class SymbolTable {
public:
    void clear();

    // False when the name is already defined.
    bool add(std::string_view name, std::uint16_t address);

    // 0 when the name is not defined: no label can sit at 0, code starts at 1000H.
    std::uint16_t lookup(std::string_view name) const;

private:
    std::unordered_map<std::string, std::uint16_t> index_;  // lower-case name to address
};

}  // namespace tarvix
