#include "app/sample_doc.h"

#include <QDir>
#include <QFileInfo>

#include "ui/kit_fonts.h"

namespace tarvix {

namespace {

std::string localPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

}  // namespace

CSampleDoc::CSampleDoc(QObject* parent) : QObject(parent), font_(monospacedFont("courier")) {
    buffer_.initEmpty(kLineEndCrLf);
}

QString CSampleDoc::displayName() const {
    return path_.isEmpty() ? QString("Untitled") : QFileInfo(path_).fileName();
}

void CSampleDoc::newDocument() {
    keepBreakpoints();
    buffer_.initEmpty(kLineEndCrLf);
    setPath(QString());
}

bool CSampleDoc::open(const QString& path, UserPrompts& prompts) {
    const QString absolute = QFileInfo(path).absoluteFilePath();
    keepBreakpoints();
    if (!buffer_.loadFile(localPath(absolute))) {
        prompts.showError(QString("Cannot open %1.\nThe file is missing, is not a regular file, "
                                  "cannot be read or is larger than 8 MiB.")
                              .arg(QDir::toNativeSeparators(absolute)));
        return false;
    }
    setPath(absolute);
    restoreBreakpoints();
    return true;
}

void CSampleDoc::keepBreakpoints() {
    if (path_.isEmpty()) {
        return;
    }
    std::vector<int>& lines = breakpoints_[path_];
    lines.clear();
    for (int line = 0; line < buffer_.lineCount(); ++line) {
        if ((buffer_.lineFlags(line) & kBreakpointMarker) != 0) {
            lines.push_back(line);
        }
    }
}

void CSampleDoc::restoreBreakpoints() {
    const auto kept = breakpoints_.find(path_);
    if (kept == breakpoints_.end()) {
        return;
    }
    for (const int line : kept->second) {
        buffer_.setLineFlags(line, buffer_.lineFlags(line) | kBreakpointMarker);
    }
}

bool CSampleDoc::save(UserPrompts& prompts) {
    return path_.isEmpty() ? saveAs(prompts) : saveTo(path_, prompts);
}

bool CSampleDoc::saveAs(UserPrompts& prompts) {
    const QString chosen =
        prompts.chooseSavePath(path_.isEmpty() ? QString("Untitled.asm") : path_);
    if (chosen.isEmpty()) {
        return false;
    }
    const QString absolute = QFileInfo(chosen).absoluteFilePath();
    if (!saveTo(absolute, prompts)) {
        return false;
    }
    setPath(absolute);
    return true;
}

bool CSampleDoc::saveModified(UserPrompts& prompts) {
    if (!isModified()) {
        return true;
    }
    switch (prompts.askSaveChanges(displayName())) {
        case SaveAnswer::Save:
            return save(prompts);
        case SaveAnswer::Discard:
            return true;
        case SaveAnswer::Cancel:
            break;
    }
    return false;
}

bool CSampleDoc::saveTo(const QString& path, UserPrompts& prompts) {
    if (!buffer_.saveFile(localPath(path))) {
        prompts.showError(QString("Cannot save %1.\nThe file is unchanged and the text is still "
                                  "here; save it under another name.")
                              .arg(QDir::toNativeSeparators(path)));
        return false;
    }
    return true;
}

void CSampleDoc::setPath(const QString& path) {
    path_ = path;
    emit pathChanged(path_);
}

}  // namespace tarvix
