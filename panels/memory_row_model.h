// The RAM window as rows: 4096, one per address from 1000H, or 256 of sixteen bytes in hex with
// their ASCII beside them. Each row's text is made when the view asks for it. The model's one
// copy of the memory is the bytes at the last stop, so that a row whose bytes have changed
// since is shown in the highlight colour. While editable a row's bytes are edited in hex; the
// model only reports the bytes typed, its owner writes them by the kit's rules.
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
    static constexpr int kWideRowBytes = 16;

    explicit MemoryRowModel(QObject* parent = nullptr) : QAbstractListModel(parent) {}

    // Without memory every row reads as a zero byte.
    void setMemory(const Bytes* bytes);
    // The bytes changed behind the model's back: every row's text is made again.
    void invalidate();
    // The bytes now become the ones changes are measured from.
    void markStop();
    bool changedSinceStop(int row) const;

    void setWideRows(bool wide);
    bool wideRows() const { return wide_; }
    // The row that shows a RAM address.
    int rowOf(std::uint16_t address) const;

    void setEditable(bool editable) { editable_ = editable; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // Reports each byte that differs from memory; false for text that is not the row's bytes.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

signals:
    void byteEdited(std::uint16_t address, std::uint8_t value);

private:
    int bytesPerRow() const { return wide_ ? kWideRowBytes : 1; }
    std::uint8_t byteAt(std::size_t offset) const { return bytes_ ? (*bytes_)[offset] : 0; }
    QString wideRowText(std::size_t first) const;

    const Bytes* bytes_ = nullptr;
    Bytes atStop_{};
    bool wide_ = false;
    bool editable_ = false;
};

}  // namespace tarvix
