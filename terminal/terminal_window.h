// The terminal program's window: takes what the kit sends over the link and shows it on the
// CRT screen, in order.
#pragma once

#include <QTimer>
#include <QWidget>
#include <cstddef>

#include "terminal/terminal_screen.h"

namespace tarvix {

class CrtView;
class TerminalReceiver;

class TerminalWindow : public QWidget {
    Q_OBJECT

public:
    TerminalWindow(TerminalReceiver& receiver, QWidget* parent = nullptr);

    const TerminalScreen& screen() const { return screen_; }

    // Takes what has arrived and shows it.
    void receive();

private:
    TerminalReceiver& receiver_;
    TerminalScreen screen_;
    CrtView* view_;
    QTimer poll_;
};

}  // namespace tarvix
