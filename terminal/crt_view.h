// The terminal's screen drawn as a CRT: green characters on black in a fixed-pitch font, with
// a blinking block cursor. A bell flashes the screen.
#pragma once

#include <QTimer>
#include <QWidget>

#include "terminal/terminal_screen.h"

namespace tarvix {

class CrtView : public QWidget {
    Q_OBJECT

public:
    explicit CrtView(const TerminalScreen& screen, QWidget* parent = nullptr);

    // The screen changed; `bellsBefore` is its bell count before the change.
    void screenChanged(int bellsBefore);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QSize cellSize() const;

    const TerminalScreen& screen_;
    QTimer cursorBlink_;
    QTimer flashEnd_;
    bool cursorOn_ = true;
};

}  // namespace tarvix
