// Has a screen reader speak a message as it appears, such as a new line in the Output pane.
#pragma once

#include <QString>

class QObject;

namespace tarvix {

void announce(QObject* source, const QString& message);

}  // namespace tarvix
