// The "Ram & Registers" pane: the register lines on top, the RAM rows below. It only shows
// what the simulator hands it; the simulator decides when.
#pragma once

#include <QWidget>
#include <array>
#include <cstdint>
#include <string>

#include "simulator/kit_memory.h"

namespace tarvix {

class MemoryList;
class MemoryRowModel;
class RegisterPane;

class RamRegistersPanel : public QWidget {
    Q_OBJECT

public:
    explicit RamRegistersPanel(QWidget* parent = nullptr);

    // The four lines of registerLines().
    void showRegisters(const std::array<std::string, 4>& lines);
    // KitMemory::bytes(); the panel reads it whenever a row is shown, so it must outlive the
    // panel or be replaced by nullptr first.
    void setMemory(const std::array<std::uint8_t, kMemorySize>* bytes);
    void invalidateMemory();
    // What is shown now is where the next changes are measured from.
    void markStop();
    // Sixteen bytes a row in hex with their ASCII, or one byte a row.
    void setWideRows(bool wide);
    // Registers, flags and RAM bytes take edits (reported by the pane and the rows' model).
    void setEditable(bool editable);
    bool wideRows() const;

    RegisterPane* registerPane() const { return registerPane_; }
    MemoryList* memoryList() const { return memoryList_; }
    MemoryRowModel* memoryRows() const { return memoryRows_; }

    QSize sizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    // A dock's pane must not be closed or defaulted by Escape or Enter.
    void keyPressEvent(QKeyEvent* event) override;

private:
    MemoryRowModel* memoryRows_;
    RegisterPane* registerPane_;
    MemoryList* memoryList_;
};

}  // namespace tarvix
