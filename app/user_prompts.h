// Every question and message box the application puts to the user, behind one interface so
// that tests answer them without a window ever blocking.
#pragma once

#include <QString>

#include "common/message_box.h"

class QWidget;

namespace tarvix {

enum class SaveAnswer { Save, Discard, Cancel };

class UserPrompts {
public:
    virtual ~UserPrompts() = default;

    // Unsaved changes in the named document: save them, drop them, or stay.
    virtual SaveAnswer askSaveChanges(const QString& documentName) = 0;
    // A file to open or to save to; empty when the user cancels.
    virtual QString chooseOpenPath(const QString& folder) = 0;
    virtual QString chooseSavePath(const QString& suggestion) = 0;
    // A failure the user must read: a file that cannot be read or written.
    virtual void showError(const QString& text) = 0;
    // The kit's own message boxes ("Err124", the terminal that is not found, ...).
    virtual void showMessage(const QString& text) = 0;
};

// The prompts as dialogs over a parent window.
class DialogPrompts : public UserPrompts {
public:
    explicit DialogPrompts(QWidget* parent) : parent_(parent) {}

    SaveAnswer askSaveChanges(const QString& documentName) override;
    QString chooseOpenPath(const QString& folder) override;
    QString chooseSavePath(const QString& suggestion) override;
    void showError(const QString& text) override;
    void showMessage(const QString& text) override;

private:
    QWidget* parent_;
};

// The kit's message boxes go through the prompts.
class PromptMessageBoxes : public MessageBoxSink {
public:
    explicit PromptMessageBoxes(UserPrompts& prompts) : prompts_(prompts) {}
    void showMessageBox(std::string_view text) override {
        prompts_.showMessage(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    }

private:
    UserPrompts& prompts_;
};

}  // namespace tarvix
