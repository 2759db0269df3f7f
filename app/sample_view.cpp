#include "app/sample_view.h"

#include <QFile>
#include <QScrollBar>
#include <QThread>
#include <algorithm>

#include "app/gui_output_sink.h"
#include "panels/memory_row_model.h"
#include "panels/register_pane.h"
#include "simulator/program_loader.h"
#include "simulator/register_text.h"
#include "simulator/stack_view.h"

namespace tarvix {

namespace {

// How often a Run shows its progress: smooth to the eye, cheap for the run.
constexpr qint64 kRunRefreshMilliseconds = 40;

}  // namespace

CSampleView::CSampleView(CSampleDoc& document, const DeviceHost& devices, UserPrompts& prompts,
                         QWidget* parent)
    : CX86EditView(parent),
      document_(document),
      prompts_(prompts),
      boxes_(prompts),
      kit_(applicationOutputPane(), devices),
      driver_(kit_, document.buffer(), *this, devices.clock),
      progress_(this) {
    kit_.cpu.regs.setMessageBoxSink(&boxes_);
    kit_.assembler.setProgress(&progress_);
    setMessageHandler([this](const QString& text) { prompts_.showMessage(text); });
    setSourceFont(document.font());
    attachBuffer(&document.buffer());
    connect(this, &CX86TextView::marginClicked, this, &CSampleView::toggleBreakpointAt);
}

CSampleView::~CSampleView() {
    kit_.assembler.setProgress(nullptr);
    if (panel_) {
        panel_->setMemory(nullptr);
    }
    attachBuffer(nullptr);
}

void CSampleView::setRegisterPanel(RamRegistersPanel* panel) {
    panel_ = panel;
    if (panel_) {
        panel_->setMemory(&kit_.cpu.memory.bytes());
        panel_->showRegisters(currentRegisterLines());
        panel_->markStop();
        connect(panel_->registerPane(), &RegisterPane::registerEdited, this,
                &CSampleView::editRegister);
        connect(panel_->registerPane(), &RegisterPane::flagToggled, this, &CSampleView::toggleFlag);
        connect(panel_->memoryRows(), &MemoryRowModel::byteEdited, this, &CSampleView::editMemory);
    }
}

void CSampleView::setStackPanel(StackPanel* panel) {
    stack_ = panel;
    showStack();
}

void CSampleView::showStack() {
    if (!stack_) {
        return;
    }
    const CX86TextBuffer& buffer = document_.buffer();
    stack_->showWords(stackWords(kit_.cpu.memory.bytes(), kit_.cpu.regs[Reg16::SP], kit_.image,
                                 [&buffer](int line) { return buffer.line(line); }));
}

// The edits of a student stopped in the program: straight into the kit, so that the next
// step uses them; memory by the kit's own rules, which refuse the program's code bytes with
// the message a program's write gets, but leave the run stepping.
void CSampleView::editRegister(const QString& name, std::uint16_t value) {
    kit_.cpu.regs.setReg16(name.toStdString(), value);
    refreshRegisters();
}

void CSampleView::toggleFlag(int bit) {
    kit_.cpu.regs.FLAGS ^= static_cast<std::uint16_t>(1U << static_cast<unsigned>(bit));
    refreshRegisters();
}

void CSampleView::editMemory(std::uint16_t address, std::uint8_t value) {
    if (const auto refused = kit_.cpu.memory.editByte(address, value)) {
        kit_.pane.showRefusal(*refused);
    }
    invalidateMemory();
}

template <typename Command>
void CSampleView::busy(Command command) {
    if (running_) {
        return;
    }
    running_ = true;
    stopWanted_ = false;
    markStop();
    emit runningChanged(true);
    command();
    progress_.finish();
    awaitingStep_ = false;
    running_ = false;
    emit runningChanged(false);
}

void CSampleView::setSpeed(RunSpeed speed, int linesPerSecond) {
    driver_.setSpeed(speed, &wallClock_);
    driver_.setLinesPerSecond(linesPerSecond);
}

void CSampleView::run() {
    busy([this] { driver_.run(); });
}

void CSampleView::step() {
    busy([this] { driver_.step(); });
}

void CSampleView::toggleBreakpoint() {
    toggleBreakpointAt(cursorPosition().line);
}

void CSampleView::toggleBreakpointAt(int line) {
    CX86TextBuffer& buffer = document_.buffer();
    buffer.setLineFlags(line, buffer.lineFlags(line) ^ kBreakpointMarker);
}

void CSampleView::clearBreakpoints() {
    CX86TextBuffer& buffer = document_.buffer();
    for (int line = 0; line < buffer.lineCount(); ++line) {
        buffer.setLineFlags(line, buffer.lineFlags(line) & ~kBreakpointMarker);
    }
}

void CSampleView::runToCursor() {
    busy([this] { driver_.runToCursor(); });
}

// Some of the assembler's messages name no line (an undefined jump target), but its marker
// is on the line all the same: the caret goes there, where the student will mend it. An error
// of the running program leaves the caret where it was.
void CSampleView::markErrorLine(int line) {
    driver_.markLine(line, true);
    if (!dialog_ && (document_.buffer().lineFlags(line) & kErrorMarker) != 0) {
        setCursorPosition({line, 0});
        ensureLineVisible(line);
    }
}

void CSampleView::resetCpu() {
    busy([this] { driver_.resetCpu(); });
}

void CSampleView::resetMemory() {
    busy([this] { driver_.resetMemory(); });
}

QString CSampleView::assembleListing() {
    std::string listPath;
    busy([&] {
        if (!assembleForListing(kit_, document_.buffer(), *this, listPath)) {
            listPath.clear();
        }
    });
    return QFile::decodeName(QByteArray::fromStdString(listPath));
}

void CSampleView::requestStop() {
    stopWanted_ = true;
}

std::string CSampleView::saveDocument() {
    return document_.save(prompts_) ? documentPath() : std::string();
}

std::string CSampleView::documentPath() {
    return QFile::encodeName(document_.path()).toStdString();
}

void CSampleView::openDialog(bool singleStep) {
    progress_.finish();
    dialog_ = std::make_unique<ExecutionDialog>(this);
    dialog_->setSteppingActions(steppingActions_);
    dialog_->setMode(singleStep);
    dialog_->create();
    if (singleStep) {
        allowEditsWhileStepping();
    }
}

void CSampleView::closeDialog() {
    flushDeferred();
    setStateEditable(false);
    if (dialog_) {
        dialog_->destroy();
        dialog_.reset();
    }
    setFocus();
}

void CSampleView::setStatusText(std::string_view text) {
    pendingStatus_ = std::string(text);
    if (!deferring()) {
        flushDeferred();
    }
}

void CSampleView::pump() {
    if (!deferring() || sinceFlush_.hasExpired(kRunRefreshMilliseconds)) {
        flushDeferred();
    }
    if (dialog_) {
        dialog_->pumpMessages();
    }
}

bool CSampleView::takeStopRequest() {
    const bool dialogStop = dialog_ && dialog_->takeStopRequest();
    return dialogStop || std::exchange(stopWanted_, false);
}

bool CSampleView::takeNextRequest() {
    const bool next = dialog_ && dialog_->takeNextRequest();
    if (next) {
        markStop();
    }
    return next;
}

void CSampleView::clearNextRequest() {
    if (dialog_) {
        dialog_->clearNextRequest();
    }
}

bool CSampleView::takeKey(std::uint8_t& key) {
    return dialog_ && dialog_->takeKey(key);
}

void CSampleView::refreshRegisters() {
    pendingRegisters_ = currentRegisterLines();
    if (!deferring()) {
        flushDeferred();
    }
}

void CSampleView::invalidateMemory() {
    memoryDirty_ = true;
    if (!deferring()) {
        flushDeferred();
    }
}

void CSampleView::scrollToTop() {
    CX86TextView::scrollToTop();
}

void CSampleView::keepLineVisible(int line) {
    ensureLineVisible(line);
    if (!dialog_ || !dialog_->isVisible()) {
        return;
    }
    // The line's row on the screen, against the dialog where the student put it.
    const int rowHeight = lineHeight();
    const QPoint rowTop =
        viewport()->mapToGlobal(QPoint(0, (line - firstVisibleLine()) * rowHeight));
    const QRect row(rowTop, QSize(viewport()->width(), rowHeight));
    const QRect covered = dialog_->frameGeometry();
    if (!row.intersects(covered)) {
        return;
    }
    const QRect shown(viewport()->mapToGlobal(QPoint(0, 0)), viewport()->size());
    const int rowsAbove = (covered.top() - shown.top()) / rowHeight;
    const int rowsBelow = (shown.bottom() - covered.bottom()) / rowHeight;
    // Into the larger free band the scrolling can reach: just above the dialog, or just below
    // it (a line near the top of the text cannot go down, nor one near its end up).
    QScrollBar* bar = verticalScrollBar();
    const int firstAbove = line - std::max(0, rowsAbove - 1);
    const int firstBelow = line - ((covered.bottom() - shown.top()) / rowHeight + 1);
    const bool aboveFits = rowsAbove > 0 && firstAbove >= 0 && firstAbove <= bar->maximum();
    const bool belowFits = rowsBelow > 0 && firstBelow >= 0 && firstBelow <= bar->maximum();
    if (belowFits && (!aboveFits || rowsBelow > rowsAbove)) {
        bar->setValue(firstBelow);
    } else if (aboveFits) {
        bar->setValue(firstAbove);
    }
}

void CSampleView::playDoneSound() {
    if (doneSound_) {
        doneSound_();
    }
}

void CSampleView::rest(double seconds) {
    QElapsedTimer resting;
    resting.start();
    pump();
    const double left = seconds * 1e6 - static_cast<double>(resting.nsecsElapsed()) / 1e3;
    if (left >= 1) {
        QThread::usleep(static_cast<unsigned long>(left));
    }
}

void CSampleView::showPace(const PaceReport& report) {
    if (paceSink_) {
        paceSink_(report);
    }
}

StepCommand CSampleView::takeStepCommand() {
    awaitingStep_ = true;
    StepCommand command = RunHost::takeStepCommand();
    if (command == StepCommand::None && dialog_) {
        command = dialog_->takeStepCommand();
        if (command != StepCommand::None) {
            markStop();
        }
    }
    awaitingStep_ = command == StepCommand::None;
    return command;
}

int CSampleView::cursorLine() {
    return cursorPosition().line;
}

void CSampleView::enterStepping() {
    if (dialog_) {
        dialog_->setMode(true);
        allowEditsWhileStepping();
    }
    flushDeferred();
}

void CSampleView::showNote(std::string_view text) {
    emit noteShown(QString::fromStdString(std::string(text)));
}

void CSampleView::markStop() {
    if (panel_) {
        panel_->markStop();
    }
}

void CSampleView::allowEditsWhileStepping() {
    setEnabled(true);
    setStateEditable(true);
}

void CSampleView::setStateEditable(bool editable) {
    if (panel_) {
        panel_->setEditable(editable);
    }
}

// A Run refreshes thousands of times a second; nobody sees more than the pumps show.
bool CSampleView::deferring() const {
    return dialog_ && !dialog_->singleStepMode() && driver_.speed() != RunSpeed::Animate;
}

void CSampleView::flushDeferred() {
    sinceFlush_.start();
    if (pendingStatus_ && dialog_) {
        dialog_->setStatusText(QString::fromStdString(*pendingStatus_));
    }
    pendingStatus_.reset();
    if (pendingRegisters_ && panel_) {
        panel_->showRegisters(*pendingRegisters_);
    }
    if (pendingRegisters_ || memoryDirty_) {
        showStack();
    }
    pendingRegisters_.reset();
    if (std::exchange(memoryDirty_, false) && panel_) {
        panel_->invalidateMemory();
    }
}

std::array<std::string, 4> CSampleView::currentRegisterLines() const {
    return registerLines(kit_.cpu.regs, kit_.image.displayedIP(kit_.currentLine));
}

}  // namespace tarvix
