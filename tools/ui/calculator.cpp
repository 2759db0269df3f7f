#include "tools/ui/calculator.h"

#include <QProcess>
#include <QStandardPaths>
#include <array>

namespace tarvix {

namespace {

// GNOME's, KDE's, then the other desktops' and X's own.
constexpr std::array<const char*, 6> kCalculators{"gnome-calculator", "kcalc",     "qalculate-gtk",
                                                  "galculator",       "mate-calc", "xcalc"};

}  // namespace

bool startCalculator() {
    for (const char* name : kCalculators) {
        const QString program = QStandardPaths::findExecutable(QString::fromLatin1(name));
        if (!program.isEmpty()) {
            return QProcess::startDetached(program, {});
        }
    }
    return false;
}

}  // namespace tarvix
