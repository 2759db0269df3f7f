// The key code a kit program reads in lastKey: the character for a key that types one, else
// the key's number on the kit's keyboard (arrows, function keys, ...).
#pragma once

#include <cstdint>
#include <optional>

class QKeyEvent;

namespace tarvix {

// Nothing for a key the kit does not know (no character and not in the table).
std::optional<std::uint8_t> kitKeyCode(const QKeyEvent& event);

}  // namespace tarvix
