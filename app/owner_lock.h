// While a progress or execution dialog lives, the user may work only with it and the device
// panels. Qt would disable a window's dialogs and panels together with the window, so the lock
// disables the owner's own parts instead (menu bar, toolbars, the editor, the status bar) and
// gives back exactly what it took. The docked panes stay enabled: they only show the machine.
#pragma once

#include <QList>
#include <QPointer>
#include <QWidget>

namespace tarvix {

// A part of the owner with this property set to true stays enabled: it works during a run.
inline constexpr const char* kLiveWhileLocked = "liveWhileLocked";

class OwnerLock {
public:
    // Locks the top-level window of `widget`.
    explicit OwnerLock(QWidget* widget);
    ~OwnerLock();

    OwnerLock(const OwnerLock&) = delete;
    OwnerLock& operator=(const OwnerLock&) = delete;

    // Whether this lock disabled anything (a window already locked is left to its locker).
    bool ownerDisabled() const { return !disabled_.isEmpty(); }

private:
    QList<QPointer<QWidget>> disabled_;
    // Disabling the editor sends the focus to a pane; it comes back when the lock goes.
    QPointer<QWidget> focus_;
};

}  // namespace tarvix
