#include "editor/ui/edit_settings.h"

#include <QSettings>
#include <cmath>

namespace tarvix {

namespace {

constexpr int kDefaultMarginMm = 20;

bool readFlag(const QSettings& settings, const QString& key) {
    return settings.value(key, 0).toInt() != 0;
}

}  // namespace

FindSettings loadFindSettings() {
    QSettings settings(QStringLiteral("Tarvix"), QStringLiteral("Tarvix"));
    settings.beginGroup(QStringLiteral("Edit/Find"));
    return {readFlag(settings, QStringLiteral("MatchCase")),
            readFlag(settings, QStringLiteral("WholeWord")),
            settings.value(QStringLiteral("FindWhat")).toString()};
}

void saveFindSettings(const FindSettings& values) {
    QSettings settings(QStringLiteral("Tarvix"), QStringLiteral("Tarvix"));
    settings.beginGroup(QStringLiteral("Edit/Find"));
    settings.setValue(QStringLiteral("MatchCase"), values.matchCase ? 1 : 0);
    settings.setValue(QStringLiteral("WholeWord"), values.wholeWord ? 1 : 0);
    settings.setValue(QStringLiteral("FindWhat"), values.findWhat);
}

ReplaceSettings loadReplaceSettings() {
    QSettings settings(QStringLiteral("Tarvix"), QStringLiteral("Tarvix"));
    settings.beginGroup(QStringLiteral("Edit/Replace"));
    return {readFlag(settings, QStringLiteral("MatchCase")),
            readFlag(settings, QStringLiteral("WholeWord")),
            settings.value(QStringLiteral("FindWhat")).toString(),
            settings.value(QStringLiteral("ReplaceWith")).toString()};
}

void saveReplaceSettings(const ReplaceSettings& values) {
    QSettings settings(QStringLiteral("Tarvix"), QStringLiteral("Tarvix"));
    settings.beginGroup(QStringLiteral("Edit/Replace"));
    settings.setValue(QStringLiteral("MatchCase"), values.matchCase ? 1 : 0);
    settings.setValue(QStringLiteral("WholeWord"), values.wholeWord ? 1 : 0);
    settings.setValue(QStringLiteral("FindWhat"), values.findWhat);
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
