#include "editor/ui/edit_settings.h"

#include <QSettings>
#include <cmath>

namespace tarvix {

namespace {

constexpr int kDefaultMarginMm = 20;

bool readFlag(const QSettings& settings, const QString& key) {
    return settings.value(key, 0).toInt() != 0;
}

// The values Find and Replace share, in the settings' current group.
FindSettings readSearch(const QSettings& settings) {
    return {readFlag(settings, QStringLiteral("MatchCase")),
            readFlag(settings, QStringLiteral("WholeWord")),
            settings.value(QStringLiteral("FindWhat")).toString()};
}

void writeSearch(QSettings& settings, const FindSettings& values) {
    settings.setValue(QStringLiteral("MatchCase"), values.matchCase ? 1 : 0);
    settings.setValue(QStringLiteral("WholeWord"), values.wholeWord ? 1 : 0);
    settings.setValue(QStringLiteral("FindWhat"), values.findWhat);
}

}  // namespace

FindSettings loadFindSettings() {
    QSettings settings(QStringLiteral("Tarvix"), QStringLiteral("Tarvix"));
    settings.beginGroup(QStringLiteral("Edit/Find"));
    return readSearch(settings);
}

void saveFindSettings(const FindSettings& values) {
    QSettings settings(QStringLiteral("Tarvix"), QStringLiteral("Tarvix"));
    settings.beginGroup(QStringLiteral("Edit/Find"));
    writeSearch(settings, values);
}

ReplaceSettings loadReplaceSettings() {
    QSettings settings(QStringLiteral("Tarvix"), QStringLiteral("Tarvix"));
    settings.beginGroup(QStringLiteral("Edit/Replace"));
    return {readSearch(settings), settings.value(QStringLiteral("ReplaceWith")).toString()};
}

void saveReplaceSettings(const ReplaceSettings& values) {
    QSettings settings(QStringLiteral("Tarvix"), QStringLiteral("Tarvix"));
    settings.beginGroup(QStringLiteral("Edit/Replace"));
    writeSearch(settings, values.find);
    settings.setValue(QStringLiteral("ReplaceWith"), values.replaceWith);
}

QMarginsF loadPageMargins() {
    QSettings settings(QStringLiteral("Tarvix"), QStringLiteral("Tarvix"));
    settings.beginGroup(QStringLiteral("Edit/PageSetup"));
    const auto read = [&](const char* key) {
        return settings.value(QLatin1String(key), kDefaultMarginMm).toDouble();
    };
    return {read("LeftMargin"), read("TopMargin"), read("RightMargin"), read("BottomMargin")};
}

void savePageMargins(const QMarginsF& margins) {
    QSettings settings(QStringLiteral("Tarvix"), QStringLiteral("Tarvix"));
    settings.beginGroup(QStringLiteral("Edit/PageSetup"));
    // Whole millimetres: the profile keeps integers.
    const auto write = [&](const char* key, double value) {
        settings.setValue(QLatin1String(key), static_cast<int>(std::lround(value)));
    };
    write("LeftMargin", margins.left());
    write("RightMargin", margins.right());
    write("TopMargin", margins.top());
    write("BottomMargin", margins.bottom());
}

}  // namespace tarvix
