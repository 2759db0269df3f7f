#include "app/execution_dialog.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDockWidget>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QThread>
#include <QVBoxLayout>
#include <QWindow>
#include <array>
#include <utility>

#include "app/document_names.h"
#include "app/frame_settings.h"
#include "app/key_codes.h"
#include "ui/dialog_units.h"
#include "ui/key_ownership.h"

namespace tarvix {

namespace {

constexpr unsigned long kIdleRestMilliseconds = 5;

// A caption and a close box, which is Stop; no minimise or maximise box to lose the dialog by.
constexpr Qt::WindowFlags kExecutionWindowFlags = Qt::Dialog | Qt::CustomizeWindowHint |
                                                  Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                                  Qt::WindowCloseButtonHint;

struct StepButton {
    StepCommand command;
    const char* text;
    const char* key;  // shown in the button's tooltip
};

constexpr std::array kStepButtons{
    StepButton{StepCommand::Continue, "&Continue", "F9"},
    StepButton{StepCommand::StepOver, "Step &Over", "F8"},
    StepButton{StepCommand::StepOut, "Step O&ut", "Shift+F8"},
    StepButton{StepCommand::StepBack, "Step &Back", "Backspace"},
};

bool onSomeScreen(QPoint place) {
    return QGuiApplication::screenAt(place) != nullptr;
}

}  // namespace

ExecutionDialog::ExecutionDialog(QWidget* parent)
    : QDialog(parent ? parent->window() : nullptr, kExecutionWindowFlags),
      modeLine_(new QLabel("Executing...", this)),
      statusLine_(new QLabel(this)),
      next_(new QPushButton("Next >>", this)),
      stop_(new QPushButton("Stop", this)) {
    setWindowTitle(kProductTitle);
    auto* group = new QGroupBox(this);
    auto* grid = new QGridLayout(group);
    grid->addWidget(modeLine_, 0, 0, 1, 2);
    grid->addWidget(statusLine_, 1, 0, 1, 2);
    grid->addWidget(next_, 2, 0);
    grid->addWidget(stop_, 2, 1);
    for (std::size_t i = 0; i < kStepButtons.size(); ++i) {
        const StepButton& shown = kStepButtons[i];
        auto* button = new QPushButton(shown.text, this);
        button->setAutoDefault(false);
        button->setToolTip(shown.key);
        button->setVisible(false);
        const auto row = static_cast<int>(3 + i / 2);
        grid->addWidget(button, row, static_cast<int>(i % 2));
        connect(button, &QPushButton::clicked, this, [this, shown] { request(shown.command); });
        commandButtons_.append(button);
    }
    statusLine_->setTextFormat(Qt::PlainText);
    statusLine_->setMinimumWidth(fontMetrics().horizontalAdvance(QString(28, 'M')));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    next_->setDefault(true);
    next_->setAutoDefault(true);
    stop_->setAutoDefault(false);
    connect(next_, &QPushButton::clicked, this, [this] { nextRequested_ = true; });
    connect(stop_, &QPushButton::clicked, this, [this] { stopRequested_ = true; });
    // Its size follows the buttons the mode shows; the student cannot change it.
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

ExecutionDialog::~ExecutionDialog() {
    destroy();
}

bool ExecutionDialog::create() {
    lock_ = std::make_unique<OwnerLock>(parentWidget());
    qApp->installEventFilter(this);
    capturing_ = true;
    if (const auto place = readDialogPlace(); place && onSomeScreen(*place)) {
        move(*place);
    } else if (QWidget* owner = parentWidget()) {
        // Where the kit put it: at a fixed place over the owner's top-left corner.
        move(owner->mapToGlobal(dialogUnitsToPixels(QPoint(50, 150))));
    }
    show();
    raise();
    activateWindow();
    return true;
}

void ExecutionDialog::destroy() {
    if (isVisible()) {
        writeDialogPlace(pos());
    }
    if (capturing_) {
        qApp->removeEventFilter(this);
        capturing_ = false;
    }
    lock_.reset();
    hide();
}

void ExecutionDialog::setMode(bool singleStep) {
    singleStepMode_ = singleStep;
    next_->setVisible(singleStep);
    next_->setEnabled(singleStep);
    for (QPushButton* button : commandButtons_) {
        button->setVisible(singleStep);
    }
    modeLine_->setText(singleStep ? "Single-Stepping Mode" : "Running...");
    if (singleStep) {
        next_->setFocus();
    }
}

QPushButton* ExecutionDialog::commandButton(StepCommand command) const {
    for (std::size_t i = 0; i < kStepButtons.size(); ++i) {
        if (kStepButtons[i].command == command) {
            return commandButtons_[static_cast<qsizetype>(i)];
        }
    }
    return nullptr;
}

void ExecutionDialog::setStatusText(const QString& text) {
    statusLine_->setText(text);
}

QString ExecutionDialog::statusText() const {
    return statusLine_->text();
}

void ExecutionDialog::pumpMessages() {
    if (!singleStepMode_) {
        QCoreApplication::processEvents();
        return;
    }
    QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
    const bool handled = dispatcher != nullptr && dispatcher->processEvents(QEventLoop::AllEvents);
    if (!handled && !nextRequested_ && !stopRequested_) {
        QThread::msleep(kIdleRestMilliseconds);
    }
}

bool ExecutionDialog::takeStopRequest() {
    pumpMessages();
    return std::exchange(stopRequested_, false);
}

bool ExecutionDialog::takeNextRequest() {
    pumpMessages();
    return std::exchange(nextRequested_, false);
}

StepCommand ExecutionDialog::takeStepCommand() {
    pumpMessages();
    return std::exchange(commandRequested_, StepCommand::None);
}

void ExecutionDialog::request(StepCommand command) {
    if (command == StepCommand::None) {
        return;
    }
    if (command == StepCommand::Next) {
        nextRequested_ = true;
    } else if (command == StepCommand::Stop) {
        stopRequested_ = true;
    } else {
        commandRequested_ = command;
    }
}

bool ExecutionDialog::takeKey(std::uint8_t& key) {
    key = keyCode_;
    return std::exchange(keyPending_, false);
}

bool ExecutionDialog::eventFilter(QObject* watched, QEvent* event) {
    if (QApplication::activeModalWidget() != nullptr) {
        // A message box the kit raised mid-run has its own loop and needs its keys.
        return QDialog::eventFilter(watched, event);
    }
    if (QWidget* receiver = keyReceiver(watched); singleStepMode_ && inPane(receiver)) {
        return paneKey(receiver, event);
    }
    switch (event->type()) {
        case QEvent::ShortcutOverride:
            // No menu shortcut may start a command while the kit runs: the key goes on as a
            // plain key press.
            event->accept();
            return true;
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
            return captureKey(event);
        default:
            return QDialog::eventFilter(watched, event);
    }
}

// Escape is Stop in both modes. While running every key is the kit's; while single-stepping
// the kit gets none, and Enter (or F10, the key that started stepping) presses "Next >>"
// wherever the focus has gone; the keys of the owner's stepping commands work as well.
bool ExecutionDialog::captureKey(QEvent* event) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (event->type() != QEvent::KeyPress) {
        return true;
    }
    if (key->key() == Qt::Key_Escape) {
        stopRequested_ = true;
    } else if (singleStepMode_ && !triggerSteppingAction(*key)) {
        request(steppingKey(*key));
    } else if (const auto code = kitKeyCode(*key)) {
        keyCode_ = *code;
        keyPending_ = true;
    }
    return true;
}

// A key reaches the window first, and then the window's focus widget.
QWidget* ExecutionDialog::keyReceiver(QObject* watched) {
    return watched->isWindowType() ? QApplication::focusWidget() : qobject_cast<QWidget*>(watched);
}

// While stepping, the docked panes (the RAM list and its address line, the registers) keep
// their keys, but for the step commands' function keys; Enter and Escape are the dialog's,
// unless a line edit has the focus, and Enter where a pane edits with it.
bool ExecutionDialog::inPane(QWidget* receiver) {
    for (QWidget* part = receiver; part != nullptr; part = part->parentWidget()) {
        if (qobject_cast<QDockWidget*>(part) != nullptr) {
            return true;
        }
    }
    return false;
}

bool ExecutionDialog::paneKey(QWidget* receiver, QEvent* event) {
    if (event->type() != QEvent::KeyPress) {
        return false;
    }
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool inLine = qobject_cast<QLineEdit*>(receiver) != nullptr;
    const bool functionKey = key->key() >= Qt::Key_F8 && key->key() <= Qt::Key_F10;
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    const bool dialogKey = key->key() == Qt::Key_Escape ||
                           (enter && !receiver->property(kTakesEnterWhileStepping).toBool());
    if (!functionKey && (inLine || !dialogKey)) {
        return false;
    }
    return captureKey(event);
}

bool ExecutionDialog::triggerSteppingAction(const QKeyEvent& key) {
    const QKeySequence pressed(key.keyCombination());
    for (QAction* action : steppingActions_) {
        if (action->isEnabled() && action->shortcuts().contains(pressed)) {
            action->trigger();
            return true;
        }
    }
    return false;
}

StepCommand ExecutionDialog::steppingKey(const QKeyEvent& key) {
    const bool shift = (key.modifiers() & Qt::ShiftModifier) != 0;
    const bool ctrl = (key.modifiers() & Qt::ControlModifier) != 0;
    switch (key.key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return StepCommand::Next;
        case Qt::Key_F10:
            return ctrl ? StepCommand::RunToCursor : StepCommand::Next;
        case Qt::Key_F9:
            return StepCommand::Continue;
        case Qt::Key_F8:
            return shift ? StepCommand::StepOut : StepCommand::StepOver;
        case Qt::Key_Backspace:
            return StepCommand::StepBack;
        default:
            return StepCommand::None;
    }
}

void ExecutionDialog::reject() {
    stopRequested_ = true;
}

void ExecutionDialog::closeEvent(QCloseEvent* event) {
    stopRequested_ = true;
    event->ignore();
}

// The dialog moves when dragged anywhere, as if by its caption.
void ExecutionDialog::mousePressEvent(QMouseEvent* event) {
    dragOffset_.reset();
    if (event->button() != Qt::LeftButton) {
        QDialog::mousePressEvent(event);
        return;
    }
    if (windowHandle() == nullptr || !windowHandle()->startSystemMove()) {
        dragOffset_ = event->globalPosition().toPoint() - frameGeometry().topLeft();
    }
}

void ExecutionDialog::mouseMoveEvent(QMouseEvent* event) {
    if (dragOffset_ && (event->buttons() & Qt::LeftButton)) {
        move(event->globalPosition().toPoint() - *dragOffset_);
        return;
    }
    QDialog::mouseMoveEvent(event);
}

}  // namespace tarvix
