#include "assembler/symbol_table.h"

#include "common/text.h"

namespace tarvix {

void SymbolTable::clear() {
    index_.clear();
}

bool SymbolTable::add(std::string_view name, std::uint16_t address) {
    if (lookup(name) != 0) {
        return false;
    }
    index_.emplace(toLower(name), address);
    return true;
}

std::uint16_t SymbolTable::lookup(std::string_view name) const {
    const auto found = index_.find(toLower(name));
    return found == index_.end() ? 0 : found->second;
}

}  // namespace tarvix
