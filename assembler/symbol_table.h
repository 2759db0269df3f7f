// Labels and their addresses. Names are compared without regard to case and the first
// definition wins. The names lie one after another in one string, found through an open-
// addressing index: a long program defines thousands of labels, and a node and a key string
// apiece cost more than the rest of their statements.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarvix {

class SymbolTable {
public:
    void clear();

    // False when the name is already defined.
    bool add(std::string_view name, std::uint16_t address);

    // 0 when the name is not defined: no label can sit at 0, code starts at 1000H.
    std::uint16_t lookup(std::string_view name) const;

private:
    struct Entry {
        std::uint32_t nameAt;  // in names_, lower case
        std::uint32_t nameLength;
        std::uint16_t address;
    };

    // The slot that holds the name's entry, or the empty slot where it would go.
    std::size_t slotFor(std::string_view name) const;
    void grow();

    std::string names_;
    std::vector<Entry> entries_;
    std::vector<std::uint32_t> slots_;  // entry number + 1, 0 when empty; a power of two long
};

}  // namespace tarvix
