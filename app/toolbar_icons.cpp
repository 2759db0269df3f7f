#include "app/toolbar_icons.h"

#include <array>

#include <QDir>
#include <QPainter>
#include <QPixmap>
#include <QStyle>

#include "app/command_ids.h"

namespace tarvix {

namespace {

constexpr int kIconSize = 16;

struct StyleIcon {
    int id;
    QStyle::StandardPixmap pixmap;
};

constexpr std::array kStyleIcons = {
    StyleIcon{cmd::kFileNew, QStyle::SP_FileIcon},
    StyleIcon{cmd::kFileOpen, QStyle::SP_DialogOpenButton},
    StyleIcon{cmd::kFileSave, QStyle::SP_DialogSaveButton},
    StyleIcon{cmd::kAssemblyCode, QStyle::SP_FileDialogBack},
    StyleIcon{cmd::kEditUndo, QStyle::SP_ArrowBack},
    StyleIcon{cmd::kEditRedo, QStyle::SP_ArrowForward},
    StyleIcon{cmd::kEditFind, QStyle::SP_FileDialogContentsView},
    StyleIcon{cmd::kRun, QStyle::SP_MediaPlay},
    StyleIcon{cmd::kStep, QStyle::SP_MediaSkipForward},
    StyleIcon{cmd::kResetCpu, QStyle::SP_BrowserReload},
    StyleIcon{cmd::kAbout, QStyle::SP_MessageBoxInformation},
};

QPixmap blankPixmap() {
    QPixmap pixmap(kIconSize, kIconSize);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

// Two sheets, the front one over the back one.
QIcon drawCopy() {
    QPixmap pixmap = blankPixmap();
    QPainter painter(&pixmap);
    painter.setPen(QColor(40, 40, 90));
    painter.setBrush(Qt::white);
    painter.drawRect(1, 1, 8, 10);
    painter.drawRect(6, 4, 8, 10);
    return QIcon(pixmap);
}

// Scissors: two blades crossing above two handles.
QIcon drawCut() {
    QPixmap pixmap = blankPixmap();
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(40, 40, 90), 1.5));
    painter.drawLine(4, 1, 10, 10);
    painter.drawLine(11, 1, 5, 10);
    painter.drawEllipse(QRectF(1.5, 10, 4, 4.5));
    painter.drawEllipse(QRectF(9.5, 10, 4, 4.5));
    return QIcon(pixmap);
}

// A clipboard with a sheet on it.
QIcon drawPaste() {
    QPixmap pixmap = blankPixmap();
    QPainter painter(&pixmap);
    painter.setPen(QColor(90, 60, 20));
    painter.setBrush(QColor(200, 160, 90));
    painter.drawRect(1, 2, 10, 12);
    painter.setBrush(QColor(120, 120, 120));
    painter.drawRect(4, 1, 4, 2);
    painter.setPen(QColor(40, 40, 90));
    painter.setBrush(Qt::white);
    painter.drawRect(6, 6, 8, 9);
    return QIcon(pixmap);
}

// A sheet of listing.
QIcon drawAssemble() {
    QPixmap pixmap = blankPixmap();
    QPainter painter(&pixmap);
    painter.setPen(QColor(40, 40, 90));
    painter.setBrush(Qt::white);
    painter.drawRect(2, 1, 11, 14);
    painter.setPen(QColor(0, 110, 0));
    for (int y = 4; y <= 12; y += 3) {
        painter.drawLine(4, y, 11, y);
    }
    return QIcon(pixmap);
}

// A question mark in a blue disc.
QIcon drawHelp() {
    QPixmap pixmap = blankPixmap();
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(40, 90, 170));
    painter.drawEllipse(QRectF(1, 1, 14, 14));
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(11);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRect(0, 0, kIconSize, kIconSize), Qt::AlignCenter, "?");
    return QIcon(pixmap);
}

}  // namespace

QIcon commandIcon(int commandId, const QStyle& style) {
    for (const StyleIcon& icon : kStyleIcons) {
        if (icon.id == commandId) {
            return style.standardIcon(icon.pixmap);
        }
    }
    switch (commandId) {
        case cmd::kEditCut:
            return drawCut();
        case cmd::kEditCopy:
            return drawCopy();
        case cmd::kEditPaste:
            return drawPaste();
        case cmd::kAssemble:
            return drawAssemble();
        case cmd::kHelp:
            return drawHelp();
        default:
            return QIcon();
    }
}

QIcon applicationIcon() {
    QIcon icon;
    const QDir sizes(":/icons/tarvix", "*.png");
    for (const QString& name : sizes.entryList()) {
        icon.addFile(sizes.filePath(name));
    }
    return icon;
}

}  // namespace tarvix
