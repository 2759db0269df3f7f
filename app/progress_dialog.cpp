#include "app/progress_dialog.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

#include "app/document_names.h"
#include "ui/dialog_units.h"

namespace tarvix {

namespace {

// Often enough to see the bar move, rarely enough not to slow the assembler.
constexpr qint64 kRepaintMilliseconds = 30;

// A caption only: an assembly cannot be closed, minimised or maximised away.
constexpr Qt::WindowFlags kProgressWindowFlags =
    Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;

}  // namespace

ProgressDialog::ProgressDialog(QWidget* parent)
    : QDialog(parent ? parent->window() : nullptr, kProgressWindowFlags),
      bar_(new QProgressBar(this)) {
    setWindowTitle(kProductTitle);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("Assembling..Please Wait....", this));
    layout->addWidget(bar_);
    bar_->setTextVisible(false);
    bar_->setRange(lower_, upper_);
    bar_->setValue(lower_);
    setFixedSize(sizeHint().expandedTo(QSize(240, 0)));
}

ProgressDialog::~ProgressDialog() {
    destroy();
}

bool ProgressDialog::create() {
    lock_ = std::make_unique<OwnerLock>(parentWidget());
    if (QWidget* owner = parentWidget()) {
        // Where the kit put it: at a fixed place over the owner's top-left corner.
        move(owner->mapToGlobal(dialogUnitsToPixels(QPoint(50, 50))));
    }
    show();
    repaintNow();
    return true;
}

void ProgressDialog::destroy() {
    lock_.reset();
    hide();
}

void ProgressDialog::setRange(int low, int high) {
    lower_ = low;
    upper_ = high;
    bar_->setRange(lower_, upper_);
    bar_->setValue(lower_);
}

void ProgressDialog::step() {
    bar_->setValue(std::min(bar_->value() + stepSize_, upper_));
    if (sinceRepaint_.hasExpired(kRepaintMilliseconds)) {
        repaintNow();
    }
}

int ProgressDialog::position() const {
    return bar_->value();
}

void ProgressDialog::repaintNow() {
    sinceRepaint_.start();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace tarvix

namespace tarvix {

void AssemblyProgress::setRange(int low, int high) {
    if (!dialog_) {
        dialog_ = std::make_unique<ProgressDialog>(parent_);
        dialog_->setStep(1);
        dialog_->create();
    }
    dialog_->setRange(low, high);
}

void AssemblyProgress::step() {
    if (dialog_) {
        dialog_->step();
    }
}

}  // namespace tarvix
