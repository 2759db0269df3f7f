#include "panels/memory_row_model.h"

#include <array>

#include "simulator/register_text.h"

namespace tarvix {

namespace {

// The OEM fixed font draws the control codes 01H to 1FH and 7FH as pictures; so does the
// list, which also keeps a line feed or carriage return from breaking a row in two. Code 0
// never comes: a zero byte's row reads NUL.
constexpr std::array<char16_t, 32> kControlPictures{
    u' ',      u'\u263A', u'\u263B', u'\u2665', u'\u2666', u'\u2663', u'\u2660', u'\u2022',
    u'\u25D8', u'\u25CB', u'\u25D9', u'\u2642', u'\u2640', u'\u266A', u'\u266B', u'\u263C',
    u'\u25BA', u'\u25C4', u'\u2195', u'\u203C', u'\u00B6', u'\u00A7', u'\u25AC', u'\u21A8',
    u'\u2191', u'\u2193', u'\u2192', u'\u2190', u'\u221F', u'\u2194', u'\u25B2', u'\u25BC'};
constexpr char16_t kDeletePicture = u'\u2302';

QString shownAsOemFont(const std::string& text) {
    QString shown;
    shown.reserve(static_cast<qsizetype>(text.size()));
    for (const char c : text) {
        const auto code = static_cast<unsigned char>(c);
        if (code < kControlPictures.size()) {
            shown += QChar(kControlPictures[code]);
        } else if (code == 0x7F) {
            shown += QChar(kDeletePicture);
        } else {
            shown += QLatin1Char(c);
        }
    }
    return shown;
}

}  // namespace

void MemoryRowModel::setMemory(const Bytes* bytes) {
    bytes_ = bytes;
    invalidate();
}

void MemoryRowModel::invalidate() {
    emit dataChanged(index(0), index(static_cast<int>(kMemorySize) - 1), {Qt::DisplayRole});
}

int MemoryRowModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(kMemorySize);
}

QVariant MemoryRowModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() < 0 ||
        index.row() >= static_cast<int>(kMemorySize)) {
        return {};
    }
    const auto offset = static_cast<std::size_t>(index.row());
    const std::uint8_t value = bytes_ ? (*bytes_)[offset] : std::uint8_t{0};
    const auto address = static_cast<std::uint16_t>(kMemoryFirst + offset);
    return shownAsOemFont(memoryRowText(address, value));
}

}  // namespace tarvix
