#include "app/frame_settings.h"

#include <QSettings>

#include "app/document_names.h"

namespace tarvix {

namespace {

// The per-user profile of the kit.
constexpr const char* kOrganisation = "Tarvix";
constexpr const char* kApplication = "Tarvix";
constexpr const char* kPlacementGroup = "Settings";
constexpr const char* kRecentGroup = "Recent File List";
constexpr QRect kDefaultPlacement(55, 34, 677, 492);

QString recentKey(int index) {
    return QString("File%1").arg(index + 1);
}

}  // namespace

std::optional<QPoint> readDialogPlace() {
    QSettings settings(kOrganisation, kApplication);
    settings.beginGroup(kPlacementGroup);
    if (!settings.contains("dialogX") || !settings.contains("dialogY")) {
        return std::nullopt;
    }
    return QPoint(settings.value("dialogX").toInt(), settings.value("dialogY").toInt());
}

void writeDialogPlace(QPoint place) {
    QSettings settings(kOrganisation, kApplication);
    settings.beginGroup(kPlacementGroup);
    settings.setValue("dialogX", place.x());
    settings.setValue("dialogY", place.y());
}

bool readHighContrast() {
    QSettings settings(kOrganisation, kApplication);
    settings.beginGroup(kPlacementGroup);
    return settings.value("HighContrast", false).toBool();
}

void writeHighContrast(bool on) {
    QSettings settings(kOrganisation, kApplication);
    settings.beginGroup(kPlacementGroup);
    settings.setValue("HighContrast", on);
}

QRect readWindowPlacement() {
    QSettings settings(kOrganisation, kApplication);
    settings.beginGroup(kPlacementGroup);
    return QRect(settings.value("x", kDefaultPlacement.x()).toInt(),
                 settings.value("y", kDefaultPlacement.y()).toInt(),
                 settings.value("cx", kDefaultPlacement.width()).toInt(),
                 settings.value("cy", kDefaultPlacement.height()).toInt());
}

void writeWindowPlacement(const QRect& frame) {
    QSettings settings(kOrganisation, kApplication);
    settings.beginGroup(kPlacementGroup);
    settings.setValue("x", frame.x());
    settings.setValue("y", frame.y());
    settings.setValue("cx", frame.width());
    settings.setValue("cy", frame.height());
}

RecentFileList::RecentFileList() {
    QSettings settings(kOrganisation, kApplication);
    settings.beginGroup(kRecentGroup);
    for (int i = 0; i < kMaxFiles; ++i) {
        const QString path = settings.value(recentKey(i)).toString();
        if (isRecentFileName(path) && !files_.contains(path)) {
            files_.append(path);
        }
    }
}

void RecentFileList::add(const QString& path) {
    if (!isRecentFileName(path)) {
        return;
    }
    files_.removeAll(path);
    files_.prepend(path);
    while (files_.size() > kMaxFiles) {
        files_.removeLast();
    }
    store();
}

void RecentFileList::remove(const QString& path) {
    if (files_.removeAll(path) > 0) {
        store();
    }
}

void RecentFileList::store() const {
    QSettings settings(kOrganisation, kApplication);
    settings.remove(kRecentGroup);
    settings.beginGroup(kRecentGroup);
    for (int i = 0; i < files_.size(); ++i) {
        settings.setValue(recentKey(i), files_[i]);
    }
}

}  // namespace tarvix
