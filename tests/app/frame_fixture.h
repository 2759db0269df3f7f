// A main frame for each test, with scripted prompts and a scratch folder for its files; the
// commands are triggered through the frame's actions, as a user gives them.
#pragma once

#include <QAction>
#include <QFile>
#include <QTemporaryDir>
#include <memory>

#include "app/main_frame.h"
#include "tests/app/scripted_prompts.h"

namespace tarvix {

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
