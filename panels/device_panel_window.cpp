#include "panels/device_panel_window.h"

#include <QMouseEvent>
#include <QWindow>

#include "ui/dialog_units.h"

namespace tarvix {

void describePanel(QWidget* widget, const QString& text) {
    if (widget->accessibleDescription() != text) {
        widget->setAccessibleDescription(text);
    }
}

DevicePanelWindow::DevicePanelWindow(QWidget* owner, const PanelFrame& frame)
    : QWidget(owner, Qt::Tool), place_(dialogUnitsToPixels(frame.placeInDialogUnits)) {
    setWindowTitle(frame.caption);
    // Reached by F6 (never by a click, which would take the keys from the editor), so that a
    // screen reader reads what the panel shows.
    setFocusPolicy(Qt::TabFocus);
    setFixedSize(dialogUnitsToPixels(frame.sizeInDialogUnits));
}

void DevicePanelWindow::setVisible(bool visible) {
    if (visible && !placed_) {
        placed_ = true;
        const QWidget* owner = parentWidget();
        move(owner ? owner->geometry().topLeft() + place_ : place_);
    }
    QWidget::setVisible(visible);
}

void DevicePanelWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    QWindow* handle = window()->windowHandle();
    if (handle == nullptr || !handle->startSystemMove()) {
        grab_ = event->globalPosition().toPoint() - frameGeometry().topLeft();
    }
    event->accept();
}

void DevicePanelWindow::mouseMoveEvent(QMouseEvent* event) {
    if (grab_ && (event->buttons() & Qt::LeftButton)) {
        move(event->globalPosition().toPoint() - *grab_);
        event->accept();
        return;
    }
    QWidget::mouseMoveEvent(event);
}

void DevicePanelWindow::mouseReleaseEvent(QMouseEvent* event) {
    grab_.reset();
    QWidget::mouseReleaseEvent(event);
}

}  // namespace tarvix
