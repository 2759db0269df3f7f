#include "panels/ram_registers_panel.h"

#include <QKeyEvent>
#include <QResizeEvent>
#include <algorithm>

#include "panels/memory_list.h"
#include "panels/memory_row_model.h"
#include "panels/register_pane.h"

namespace tarvix {

namespace {

constexpr int kRegisterPaneHeight = 75;
constexpr int kBottomMargin = 3;

}  // namespace

RamRegistersPanel::RamRegistersPanel(QWidget* parent)
    : QWidget(parent),
      memoryRows_(new MemoryRowModel(this)),
      registerPane_(new RegisterPane(this)),
      memoryList_(new MemoryList(memoryRows_, this)) {
    setWindowTitle("Ram & Registers");
    setMinimumWidth(220);
}

void RamRegistersPanel::showRegisters(const std::array<std::string, 4>& lines) {
    registerPane_->setLines(lines);
}

void RamRegistersPanel::setMemory(const std::array<std::uint8_t, kMemorySize>* bytes) {
    memoryRows_->setMemory(bytes);
}

void RamRegistersPanel::invalidateMemory() {
    memoryRows_->invalidate();
}

void RamRegistersPanel::markStop() {
    registerPane_->markStop();
    memoryRows_->markStop();
}

void RamRegistersPanel::setEditable(bool editable) {
    registerPane_->setEditable(editable);
    memoryRows_->setEditable(editable);
}

void RamRegistersPanel::setWideRows(bool wide) {
    memoryRows_->setWideRows(wide);
    memoryList_->updateTitle();
}

bool RamRegistersPanel::wideRows() const {
    return memoryRows_->wideRows();
}

QSize RamRegistersPanel::sizeHint() const {
    return {230, 400};
}

void RamRegistersPanel::resizeEvent(QResizeEvent* event) {
    const int w = event->size().width();
    const int h = event->size().height();
    registerPane_->setGeometry(1, 0, std::max(0, w - 2), kRegisterPaneHeight);
    memoryList_->setGeometry(1, kRegisterPaneHeight, std::max(0, w - 1),
                             std::max(0, h - kBottomMargin - kRegisterPaneHeight));
}

void RamRegistersPanel::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Escape:
        case Qt::Key_Enter:
        case Qt::Key_Return:
            event->accept();
            return;
        default:
            QWidget::keyPressEvent(event);
    }
}

}  // namespace tarvix
