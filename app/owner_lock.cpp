#include "app/owner_lock.h"

#include <QDockWidget>

namespace tarvix {

OwnerLock::OwnerLock(QWidget* widget) {
    if (widget == nullptr) {
        return;
    }
    QWidget* owner = widget->window();
    focus_ = owner->focusWidget();
    for (QObject* child : owner->children()) {
        auto* part = qobject_cast<QWidget*>(child);
        // Dialogs and panels are windows of their own. The docked panes only show the machine,
        // and disabled they would grey out the messages and registers a run is showing.
        if (part == nullptr || part->isWindow() || qobject_cast<QDockWidget*>(part) != nullptr ||
            !part->isEnabled() || part->property(kLiveWhileLocked).toBool()) {
            continue;
        }
        part->setEnabled(false);
        disabled_.append(part);
    }
}

OwnerLock::~OwnerLock() {
    for (const QPointer<QWidget>& part : disabled_) {
        if (part) {
            part->setEnabled(true);
        }
    }
    if (focus_ && !disabled_.isEmpty()) {
        focus_->setFocus();
    }
}

}  // namespace tarvix
