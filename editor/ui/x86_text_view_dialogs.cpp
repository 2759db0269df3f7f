// The view's commands that work through a dialog: Find, Print, Print Preview, Page Setup;
// and the search that Find, F3 and Shift+F3 share.
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

#include "editor/ui/edit_settings.h"
#include "editor/ui/find_dialog.h"
#include "editor/ui/text_printer.h"
#include "editor/ui/x86_text_view.h"

namespace tarvix {

void CX86TextView::find() {
    QString what;
    unsigned flags = 0;
    if (lastSearch_.made) {
        what = QString::fromStdString(lastSearch_.text);
        flags = lastSearch_.flags;
    } else {
        const FindSettings saved = loadFindSettings();
        what = saved.findWhat;
        flags =
            (saved.matchCase ? kSearchMatchCase : 0u) | (saved.wholeWord ? kSearchWholeWord : 0u);
    }
    if (hasSelection() && selectionStart().line == selectionEnd().line) {
        what = QString::fromStdString(selectedText());
    }
    FindDialog dialog(this);
    dialog.setRequest(what, flags);
    const bool accepted = dialog.exec() == QDialog::Accepted;
    lastSearch_ = {dialog.findWhat().toStdString(), dialog.flags(), true};
    saveFindSettings({(dialog.flags() & kSearchMatchCase) != 0,
                      (dialog.flags() & kSearchWholeWord) != 0, dialog.findWhat()});
    if (accepted) {
        findAndSelect(lastSearch_.text, lastSearch_.flags);
    }
}

void CX86TextView::findNext() {
    if (!lastSearch_.made || lastSearch_.text.empty()) {
        find();
        return;
    }
    findAndSelect(lastSearch_.text, lastSearch_.flags);
}

void CX86TextView::findPrevious() {
    if (!lastSearch_.made || lastSearch_.text.empty()) {
        find();
        return;
    }
    findAndSelect(lastSearch_.text, lastSearch_.flags ^ kSearchUp);
}

bool CX86TextView::findAndSelect(const std::string& what, unsigned flags) {
    if (buffer() == nullptr) {
        return false;
    }
    const TextPosition from = (flags & kSearchUp) != 0 ? selectionStart() : selectionEnd();
    const std::optional<TextRange> found = findText(*buffer(), what, flags, from);
    if (!found) {
        showMessage(QString::fromStdString(notFoundMessage(what)));
        return false;
    }
    setSelection(found->start, found->end);
    return true;
}

QPrinter& CX86TextView::printer() {
    if (!printer_) {
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer_->setPageMargins(loadPageMargins(), QPageLayout::Millimeter);
    }
    return *printer_;
}

void CX86TextView::print() {
    if (buffer() == nullptr) {
        return;
    }
    QPrintDialog dialog(&printer(), this);
    if (dialog.exec() == QDialog::Accepted) {
        printText(printer(), *buffer(), sourceFont());
    }
}

void CX86TextView::printPreview() {
    if (buffer() == nullptr) {
        return;
    }
    QPrintPreviewDialog dialog(&printer(), this);
    connect(&dialog, &QPrintPreviewDialog::paintRequested, this,
            [this](QPrinter* target) { printText(*target, *buffer(), sourceFont()); });
    dialog.exec();
}

void CX86TextView::pageSetup() {
    QPageSetupDialog dialog(&printer(), this);
    if (dialog.exec() == QDialog::Accepted) {
        savePageMargins(printer().pageLayout().margins(QPageLayout::Millimeter));
    }
}

}  // namespace tarvix
