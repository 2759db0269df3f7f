#include "assembler/symbol_table.h"

#include "common/text.h"

namespace tarvix {

namespace {

constexpr std::size_t kFirstSlots = 64;

// FNV-1a over the name in lower case.
std::uint32_t foldedHash(std::string_view name) {
    std::uint32_t hash = 2166136261u;
    for (const char c : name) {
        hash = (hash ^ static_cast<unsigned char>(asciiLower(c))) * 16777619u;
    }
    return hash;
}

// Whether `name`, folded, is the stored lower-case `folded`.
bool sameName(std::string_view name, std::string_view folded) {
    if (name.size() != folded.size()) {
        return false;
    }
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (asciiLower(name[i]) != folded[i]) {
            return false;
        }
    }
    return true;
}

}  // namespace

void SymbolTable::clear() {
    names_.clear();
    entries_.clear();
    slots_.clear();
}

std::size_t SymbolTable::slotFor(std::string_view name) const {
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t slot = foldedHash(name) & mask;; slot = (slot + 1) & mask) {
        const std::uint32_t held = slots_[slot];
        if (held == 0) {
            return slot;
        }
        const Entry& entry = entries_[held - 1];
        if (sameName(name, std::string_view(names_).substr(entry.nameAt, entry.nameLength))) {
            return slot;
        }
    }
}

void SymbolTable::grow() {
    std::vector<std::uint32_t> old = std::move(slots_);
    slots_.assign(old.empty() ? kFirstSlots : old.size() * 2, 0);
    const std::size_t mask = slots_.size() - 1;
    for (const std::uint32_t held : old) {
        if (held == 0) {
            continue;
        }
        const Entry& entry = entries_[held - 1];
        std::size_t slot =
            foldedHash(std::string_view(names_).substr(entry.nameAt, entry.nameLength)) & mask;
        while (slots_[slot] != 0) {
            slot = (slot + 1) & mask;
        }
        slots_[slot] = held;
    }
}

bool SymbolTable::add(std::string_view name, std::uint16_t address) {
    // At most half the slots are taken, so that a probe ends soon.
    if ((entries_.size() + 1) * 2 > slots_.size()) {
        grow();
    }
    const std::size_t slot = slotFor(name);
    if (slots_[slot] != 0) {
        // A name already there at address 0 (past the wrap of the location counter) reads as
        // undefined, so it may be defined again, though the first address stays.
        return entries_[slots_[slot] - 1].address == 0;
    }
    entries_.push_back({static_cast<std::uint32_t>(names_.size()),
                        static_cast<std::uint32_t>(name.size()), address});
    for (const char c : name) {
        names_ += asciiLower(c);
    }
    slots_[slot] = static_cast<std::uint32_t>(entries_.size());
    return true;
}

std::uint16_t SymbolTable::lookup(std::string_view name) const {
    if (slots_.empty()) {
        return 0;
    }
    const std::uint32_t held = slots_[slotFor(name)];
    return held == 0 ? 0 : entries_[held - 1].address;
}

}  // namespace tarvix
