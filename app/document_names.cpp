#include "app/document_names.h"

#include <QDir>

namespace tarvix {

QString frameTitle(const QString& path) {
    const QString shown =
        path.isEmpty() ? QString("UNTITLED") : QDir::toNativeSeparators(path).toUpper();
    return QString(kProductTitle) + " - [" + shown + "]";
}

bool isListFileName(const QString& path) {
    return path.endsWith(".lst", Qt::CaseInsensitive);
}

bool hasListSuffix(const QString& path) {
    return path.endsWith("lst", Qt::CaseInsensitive);
}

QString sourcePathOf(const QString& listPath) {
    return listPath.chopped(3) + "asm";
}

bool isRecentFileName(const QString& path) {
    return path.endsWith("asm", Qt::CaseInsensitive);
}

}  // namespace tarvix
