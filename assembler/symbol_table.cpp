#include "assembler/symbol_table.h"

#include "common/text.h"

namespace tarvix {

void SymbolTable::clear() {
    index_.clear();
}

bool SymbolTable::add(std::string_view name, std::uint16_t address) {
    // A name already there at address 0 (past the wrap of the location counter) reads as
    // undefined, so it may be defined again, though the first address stays.
    const auto [entry, added] = index_.try_emplace(toLower(name), address);
    return added || entry->second == 0;
}

std::uint16_t SymbolTable::lookup(std::string_view name) const {
    const auto found = index_.find(toLower(name));
    return found == index_.end() ? 0 : found->second;
}

}  // namespace tarvix
