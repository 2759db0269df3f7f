#include "ui/announce.h"

#include <QAccessible>

namespace tarvix {

void announce(QObject* source, const QString& message) {
    if (message.isEmpty()) {
        return;
    }
    // An alert is what the platforms' readers speak unasked; Qt from 6.8 on can also hand the
    // words over, where AT-SPI has no alert to map it to.
    QAccessibleEvent alert(source, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    QAccessibleAnnouncementEvent announcement(source, message);
    QAccessible::updateAccessibility(&announcement);
#endif
}

}  // namespace tarvix
