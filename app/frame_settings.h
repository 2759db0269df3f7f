// What the frame keeps in the user's profile (QSettings "Tarvix"/"Tarvix"): the window's
// place and size in section "Settings", and the recent-file list.
#pragma once

#include <optional>

#include <QPoint>
#include <QRect>
#include <QStringList>

namespace tarvix {

// Keys "x", "y", "cx", "cy"; 55, 34, 677 and 492 when none are stored.
QRect readWindowPlacement();
void writeWindowPlacement(const QRect& frame);
// Where the student last put the execution dialog (keys "dialogX", "dialogY"), if anywhere.
std::optional<QPoint> readDialogPlace();
void writeDialogPlace(QPoint place);
// Whether the student chose the high-contrast colours (key "HighContrast"); off when unset.
bool readHighContrast();
void writeHighContrast(bool on);

class RecentFileList {
public:
    static constexpr int kMaxFiles = 20;

    // Reads the stored list.
    RecentFileList();

    const QStringList& files() const { return files_; }
    // Puts an "asm" file first (once) and stores the list; other names are ignored.
    void add(const QString& path);
    void remove(const QString& path);

private:
    void store() const;

    QStringList files_;
};

}  // namespace tarvix
