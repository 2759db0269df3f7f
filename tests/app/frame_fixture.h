// A main frame for each test, with prompts that answer from a script and record what the
// application said (so that no test waits for a window), and a scratch folder for its files.
#pragma once

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "app/app_resources.h"
#include "app/main_frame.h"
#include "app/user_prompts.h"

namespace tarvix {

class ScriptedPrompts : public UserPrompts {
public:
    SaveAnswer saveAnswer = SaveAnswer::Discard;
    QStringList savePaths;  // taken one by one; empty means "cancelled"
    QStringList openPaths;
    QStringList askedToSave;
    QStringList errors;  // and the kit's own messages

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
    void showMessage(const QString& text) override { errors.append(text); }
};

class FrameFixture {
protected:
    std::unique_ptr<ScriptedPrompts> prompts_;
    std::unique_ptr<CMainFrame> frame_;
    std::unique_ptr<QTemporaryDir> folder_;

    void makeFrame() {
        prompts_ = std::make_unique<ScriptedPrompts>();
        frame_ = std::make_unique<CMainFrame>(prompts_.get());
        folder_ = std::make_unique<QTemporaryDir>();
    }

    void dropFrame() {
        frame_.reset();
        prompts_.reset();
        folder_.reset();
    }

    // As a user gives it, through the frame's action.
    void command(int id) { frame_->commandAction(id)->trigger(); }

    // Writes a file into the scratch folder and gives its path.
    QString writeFile(const QString& name, const QByteArray& text) {
        const QString path = folder_->filePath(name);
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(text);
        return path;
    }
};

}  // namespace tarvix

// The profile goes to a folder of the test's own before anything reads it.
#define TARVIX_APP_TEST_MAIN(TestClass)                      \
    int main(int argc, char** argv) {                        \
        QTemporaryDir profile;                               \
        qputenv("XDG_CONFIG_HOME", profile.path().toUtf8()); \
        QApplication application(argc, argv);                \
        QApplication::setOrganizationName("Tarvix");         \
        QApplication::setApplicationName("Tarvix");          \
        tarvix::loadAppResources();                          \
        TestClass test;                                      \
        return QTest::qExec(&test, argc, argv);              \
    }
