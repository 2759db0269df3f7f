// The editor's values in the per-user profile: the last Find and Replace requests and the
// print margins.
#pragma once

#include <QMarginsF>
#include <QString>

namespace tarvix {

struct FindSettings {
    bool matchCase = false;
    bool wholeWord = false;
    QString findWhat;
};

struct ReplaceSettings {
    FindSettings find;
    QString replaceWith;
};

FindSettings loadFindSettings();
void saveFindSettings(const FindSettings& settings);
ReplaceSettings loadReplaceSettings();
void saveReplaceSettings(const ReplaceSettings& settings);

// Print margins in millimetres (left, top, right, bottom).
QMarginsF loadPageMargins();
void savePageMargins(const QMarginsF& margins);

}  // namespace tarvix
