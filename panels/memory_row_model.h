// The RAM window as 4096 rows, one per address from 1000H, each row's text made when the view
// asks for it: the model holds no copy of the memory.
#pragma once

#include <QAbstractListModel>
#include <array>
#include <cstdint>

#include "simulator/kit_memory.h"

namespace tarvix {

class MemoryRowModel : public QAbstractListModel {
    Q_OBJECT

public:
    using Bytes = std::array<std::uint8_t, kMemorySize>;

    explicit MemoryRowModel(QObject* parent = nullptr) : QAbstractListModel(parent) {}

    // Without memory every row reads as a zero byte.
    void setMemory(const Bytes* bytes);
    // The bytes changed behind the model's back: every row's text is made again.
    void invalidate();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    const Bytes* bytes_ = nullptr;
};

}  // namespace tarvix
