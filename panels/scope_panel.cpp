#include "panels/scope_panel.h"

#include <QFrame>

#include "devices/scope_trace.h"
#include "panels/scope_view.h"

namespace tarvix {

namespace {

constexpr int kFrameMargin = 6;
constexpr int kFrameLine = 2;

}  // namespace

ScopePanel::ScopePanel(QWidget* owner)
    : DevicePanelWindow(owner, {"DAC+Oscilloscope - 8255", {135, 44}, {250, 120}}), view_(nullptr) {
    auto* frame = new QFrame(this);
    frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    frame->setLineWidth(kFrameLine);
    frame->setGeometry(rect().adjusted(kFrameMargin, kFrameMargin, -kFrameMargin, -kFrameMargin));
    view_ = new ScopeView(frame);
    view_->setGeometry(frame->contentsRect());

    sampler_.setInterval(kSampleMilliseconds);
    connect(&sampler_, &QTimer::timeout, this, &ScopePanel::sample);
}

void ScopePanel::sample() {
    if (isVisible()) {
        view_->appendPoint(scopeLevel(dacValue_));
        const QString hex = QStringLiteral("%1").arg(dacValue_, 2, 16, QLatin1Char('0'));
        describePanel(this, QStringLiteral("Last value %1H").arg(hex.toUpper()));
    }
}

void ScopePanel::showEvent(QShowEvent* event) {
    sampler_.start();
    DevicePanelWindow::showEvent(event);
}

void ScopePanel::hideEvent(QHideEvent* event) {
    sampler_.stop();
    DevicePanelWindow::hideEvent(event);
}

}  // namespace tarvix
