#include "app/sample_view.h"

#include <QFile>
#include <QThread>

#include "app/gui_output_sink.h"
#include "simulator/program_loader.h"
#include "simulator/register_text.h"

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
    }
}

template <typename Command>
void CSampleView::busy(Command command) {
    if (running_) {
        return;
    }
    running_ = true;
    stopWanted_ = false;
    emit runningChanged(true);
    command();
    progress_.finish();
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
    dialog_->setMode(singleStep);
    dialog_->create();
}

void CSampleView::closeDialog() {
    flushDeferred();
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
    return dialog_ && dialog_->takeNextRequest();
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
    pendingRegisters_.reset();
    if (std::exchange(memoryDirty_, false) && panel_) {
        panel_->invalidateMemory();
    }
}

std::array<std::string, 4> CSampleView::currentRegisterLines() const {
    return registerLines(kit_.cpu.regs, kit_.image.displayedIP(kit_.currentLine));
}

}  // namespace tarvix
