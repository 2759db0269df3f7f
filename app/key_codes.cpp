#include "app/key_codes.h"

#include <array>
#include <utility>

#include <QKeyEvent>

namespace tarvix {

namespace {

// Keys whose number wins over any character they type (Delete types 7FH on some systems).
constexpr std::array<std::pair<int, std::uint8_t>, 30> kKeyTable = {{
    {Qt::Key_Backspace, 0x08}, {Qt::Key_Tab, 0x09},    {Qt::Key_Backtab, 0x09},
    {Qt::Key_Return, 0x0D},    {Qt::Key_Enter, 0x0D},  {Qt::Key_Shift, 0x10},
    {Qt::Key_Control, 0x11},   {Qt::Key_Alt, 0x12},    {Qt::Key_PageUp, 0x21},
    {Qt::Key_PageDown, 0x22},  {Qt::Key_End, 0x23},    {Qt::Key_Home, 0x24},
    {Qt::Key_Left, 0x25},      {Qt::Key_Up, 0x26},     {Qt::Key_Right, 0x27},
    {Qt::Key_Down, 0x28},      {Qt::Key_Insert, 0x2D}, {Qt::Key_Delete, 0x2E},
    {Qt::Key_F1, 0x70},        {Qt::Key_F2, 0x71},     {Qt::Key_F3, 0x72},
    {Qt::Key_F4, 0x73},        {Qt::Key_F5, 0x74},     {Qt::Key_F6, 0x75},
    {Qt::Key_F7, 0x76},        {Qt::Key_F8, 0x77},     {Qt::Key_F9, 0x78},
    {Qt::Key_F10, 0x79},       {Qt::Key_F11, 0x7A},    {Qt::Key_F12, 0x7B},
}};

}  // namespace

std::optional<std::uint8_t> kitKeyCode(const QKeyEvent& event) {
    for (const auto& [key, code] : kKeyTable) {
        if (event.key() == key) {
            return code;
        }
    }
    const QString text = event.text();
    if (!text.isEmpty() && text.at(0).unicode() < 0x100) {
        return static_cast<std::uint8_t>(text.at(0).unicode());
    }
    return std::nullopt;
}

}  // namespace tarvix
