// Prompts that answer from a script and record what the application said, so that no test
// ever waits for a window.
#pragma once

#include <QStringList>

#include "app/user_prompts.h"

namespace tarvix {

class ScriptedPrompts : public UserPrompts {
public:
    SaveAnswer saveAnswer = SaveAnswer::Discard;
    QStringList savePaths;  // taken one by one; empty means "cancelled"
    QStringList openPaths;

    QStringList askedToSave;
    QStringList errors;
    QStringList messages;

    SaveAnswer askSaveChanges(const QString& documentName) override {
        askedToSave.append(documentName);
        return saveAnswer;
    }
    QString chooseOpenPath(const QString&) override {
        return openPaths.isEmpty() ? QString() : openPaths.takeFirst();
    }
    QString chooseSavePath(const QString&) override {
        return savePaths.isEmpty() ? QString() : savePaths.takeFirst();
    }
    void showError(const QString& text) override { errors.append(text); }
    void showMessage(const QString& text) override { messages.append(text); }
};

}  // namespace tarvix
