// A device panel of the kit: a small fixed-size tool window of the main window, created
// hidden, placed beside the main window the first time it is shown, and moved by dragging
// anywhere in it as well as by its caption.
#pragma once

#include <QPoint>
#include <QSize>
#include <QString>
#include <QWidget>
#include <optional>

namespace tarvix {

// Gives a panel's picture in words to screen readers, telling them only when the words change.
void describePanel(QWidget* widget, const QString& text);

struct PanelFrame {
    const char* caption;
    QSize sizeInDialogUnits;
    QPoint placeInDialogUnits;  // from the owner's top-left corner
};

class DevicePanelWindow : public QWidget {
    Q_OBJECT

public:
    DevicePanelWindow(QWidget* owner, const PanelFrame& frame);

    void setVisible(bool visible) override;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QPoint place_;
    bool placed_ = false;
    // Where the window was grabbed, while it is dragged by hand (when the window system
    // cannot move it for us).
    std::optional<QPoint> grab_;
};

}  // namespace tarvix
