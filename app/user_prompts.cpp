#include "app/user_prompts.h"

#include <QFileDialog>
#include <QMessageBox>

#include "app/document_names.h"

namespace tarvix {

namespace {

constexpr const char* kSourceFilter = "Asm Files (*.asm);;List Files (*.lst);;All Files (*)";

}  // namespace

SaveAnswer DialogPrompts::askSaveChanges(const QString& documentName) {
    const auto answer = QMessageBox::question(
        parent_, kProductTitle, QString("Save changes to %1?").arg(documentName),
        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
    if (answer == QMessageBox::Yes) {
        return SaveAnswer::Save;
    }
    return answer == QMessageBox::No ? SaveAnswer::Discard : SaveAnswer::Cancel;
}

QString DialogPrompts::chooseOpenPath(const QString& folder) {
    return QFileDialog::getOpenFileName(parent_, "Open", folder, kSourceFilter);
}

QString DialogPrompts::chooseSavePath(const QString& suggestion) {
    QFileDialog dialog(parent_, "Save As", suggestion, kSourceFilter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix("asm");
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
}

void DialogPrompts::showError(const QString& text) {
    QMessageBox::warning(parent_, kProductTitle, text);
}

void DialogPrompts::showMessage(const QString& text) {
    QMessageBox::information(parent_, kProductTitle, text);
}

}  // namespace tarvix
