#include "panels/memory_row_model.h"

#include "simulator/register_text.h"

namespace tarvix {

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
    return QString::fromStdString(memoryRowText(address, value));
}

}  // namespace tarvix
