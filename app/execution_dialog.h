// The dialog of a Run or Step: "Running..." or "Single-Stepping Mode", the instruction just
// executed, "Next >>" and "Stop", and while stepping the debugger's commands. It is where a
// run's event pump lives: while running it takes every key press of the application as the
// kit's key; while single-stepping the kit gets no keys and the keys are the step commands'.
// It locks its owner window while it exists, and opens where the student last put it.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include <QDialog>
#include <QList>
#include <QPoint>

#include "app/owner_lock.h"
#include "simulator/step_command.h"

class QAction;
class QKeyEvent;
class QLabel;
class QPushButton;

namespace tarvix {

class ExecutionDialog : public QDialog {
    Q_OBJECT

public:
    // The dialog belongs to the top-level window of `parent`.
    explicit ExecutionDialog(QWidget* parent);
    ~ExecutionDialog() override;

    // Locks the owner, shows the dialog and starts taking keys.
    bool create();
    // Stops taking keys, unlocks the owner (if this dialog locked it) and hides the dialog.
    void destroy();
    bool ownerDisabled() const { return lock_ && lock_->ownerDisabled(); }

    void setMode(bool singleStep);
    bool singleStepMode() const { return singleStepMode_; }
    void setStatusText(const QString& text);
    QString statusText() const;

    // Handles what is waiting, never waiting itself; while single-stepping with nothing to do
    // it rests a few milliseconds, so that waiting for Next does not keep a core busy.
    void pumpMessages();
    bool takeStopRequest();
    bool takeNextRequest();
    void clearNextRequest() { nextRequested_ = false; }
    // Whether a key was captured since the last call; `key` receives the last one either way.
    bool takeKey(std::uint8_t& key);
    // A step command other than Next and Stop given since the last call, or None.
    StepCommand takeStepCommand();

    QPushButton* nextButton() const { return next_; }
    QPushButton* stopButton() const { return stop_; }
    // The button of Continue, Step Over, Step Out or Step Back; null for any other command.
    QPushButton* commandButton(StepCommand command) const;
    // Commands of the owner whose keys still work while stepping, where the dialog takes
    // every key: it triggers them itself.
    void setSteppingActions(const QList<QAction*>& actions) { steppingActions_ = actions; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void reject() override;
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    bool captureKey(QEvent* event);
    static QWidget* keyReceiver(QObject* watched);
    static bool inPane(QWidget* receiver);
    bool paneKey(QWidget* receiver, QEvent* event);
    // The step command of a key while stepping, Next for Enter and F10; None for other keys.
    static StepCommand steppingKey(const QKeyEvent& key);
    bool triggerSteppingAction(const QKeyEvent& key);
    void request(StepCommand command);

    QLabel* modeLine_;
    QLabel* statusLine_;
    QPushButton* next_;
    QPushButton* stop_;
    QList<QPushButton*> commandButtons_;
    QList<QAction*> steppingActions_;
    std::unique_ptr<OwnerLock> lock_;
    bool capturing_ = false;
    std::optional<QPoint> dragOffset_;

    bool stopRequested_ = false;
    bool nextRequested_ = false;
    StepCommand commandRequested_ = StepCommand::None;
    std::uint8_t keyCode_ = 0;
    bool keyPending_ = false;
    bool singleStepMode_ = false;
};

}  // namespace tarvix
