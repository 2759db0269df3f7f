#include "terminal/terminal_window.h"

#include <QVBoxLayout>

#include "devices/terminal_receiver.h"
#include "terminal/crt_view.h"

namespace tarvix {

namespace {

// The kit sends a character every 1041 µs at most; a few dozen per look keep the screen
// smooth without a busy loop.
constexpr int kPollMs = 15;

}  // namespace

TerminalWindow::TerminalWindow(TerminalReceiver& receiver, QWidget* parent)
    : QWidget(parent), receiver_(receiver), view_(new CrtView(screen_, this)) {
    setWindowTitle(QStringLiteral("CRT Terminal"));
    setAutoFillBackground(true);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view_);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(&poll_, &QTimer::timeout, this, &TerminalWindow::receive);
    poll_.start(kPollMs);
}

void TerminalWindow::receive() {
    receiver_.poll();
    const std::string text = receiver_.takeText();
    if (text.empty()) {
        return;
    }
    const int bells = screen_.bells();
    screen_.write(text);
    view_->screenChanged(bells);
}

}  // namespace tarvix
