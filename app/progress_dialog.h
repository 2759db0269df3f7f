// "Assembling..Please Wait....": how far the assembler has got. It locks its owner window
// while it exists and repaints itself now and then, since the assembler holds the one thread.
#pragma once

#include <memory>

#include <QDialog>
#include <QElapsedTimer>

#include "app/owner_lock.h"
#include "common/progress.h"

class QProgressBar;

namespace tarvix {

class ProgressDialog : public QDialog, public ProgressSink {
    Q_OBJECT

public:
    // The dialog belongs to the top-level window of `parent`.
    explicit ProgressDialog(QWidget* parent);
    ~ProgressDialog() override;

    // Locks the owner and shows the dialog.
    bool create();
    // Unlocks the owner (if this dialog locked it) and hides the dialog.
    void destroy();
    bool ownerDisabled() const { return lock_ && lock_->ownerDisabled(); }

    void setRange(int low, int high) override;
    void setStep(int step) { stepSize_ = step; }
    void step() override;

    int position() const;

private:
    void repaintNow();

    QProgressBar* bar_;
    int lower_ = 0;
    int upper_ = 100;
    int stepSize_ = 10;
    std::unique_ptr<OwnerLock> lock_;
    QElapsedTimer sinceRepaint_;
};

}  // namespace tarvix

namespace tarvix {

// The progress the assembler reports: the dialog opens when an assembly starts (its range is
// set) and closes with finish(), which the view calls once the assembler is done.
class AssemblyProgress : public ProgressSink {
public:
    explicit AssemblyProgress(QWidget* parent) : parent_(parent) {}

    void setRange(int low, int high) override;
    void step() override;
    void finish() { dialog_.reset(); }
    ProgressDialog* dialog() const { return dialog_.get(); }

private:
    QWidget* parent_;
    std::unique_ptr<ProgressDialog> dialog_;
};

}  // namespace tarvix
