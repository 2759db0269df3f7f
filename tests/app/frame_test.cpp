// The frame's rules: the caption, source and list mode menus, recent files, window placement
// in the profile, the View toggles, the locking of the frame by a dialog, and the question
// before unsaved text is lost.
#include <QDir>
#include <QDockWidget>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>
#include <memory>

#include "app/command_ids.h"
#include "app/execution_dialog.h"
#include "app/frame_settings.h"
#include "app/help_window.h"
#include "app/main_frame.h"
#include "app/output_bar.h"
#include "app/owner_lock.h"
#include "app/progress_dialog.h"
#include "app/sample_view.h"
#include "tests/app/app_test_main.h"
#include "tests/app/frame_fixture.h"
#include "tests/app/scripted_prompts.h"

using namespace tarvix;

namespace {

QByteArray readFile(const QString& path) {
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

QStringList menuTexts(const QMenu& menu) {
    QStringList texts;
    for (const QAction* action : menu.actions()) {
        if (!action->isSeparator()) {
            texts.append(action->text());
        }
    }
    return texts;
}

const QMenu* menuNamed(const QMenuBar& bar, const QString& title) {
    for (const QAction* action : bar.actions()) {
        if (action->text() == title) {
            return action->menu();
        }
    }
    return nullptr;
}

}  // namespace

class FrameTest : public QObject, private FrameFixture {
    Q_OBJECT

private:
    void type(const char* text) { frame_->view().replaceSelection(text); }

private slots:
    void init() {
        QSettings("Tarvix", "Tarvix").clear();
        makeFrame();
    }

    void cleanup() { dropFrame(); }

    void titleShowsTheFullPathInUpperCase() {
        QCOMPARE(frame_->windowTitle(), QString("Tarvix v1.0 - [UNTITLED]"));
        const QString path = writeFile("Blink.asm", "hlt\r\n");
        QVERIFY(frame_->openDocument(path));
        QCOMPARE(frame_->windowTitle(),
                 "Tarvix v1.0 - [" + QDir::toNativeSeparators(path).toUpper() + "]");
    }

    void listModeMenusAreTheShortOnes() {
        QVERIFY(frame_->openDocument(writeFile("prog.LsT", "listing\r\n")));
        QVERIFY(frame_->isListMode());
        const QMenuBar& bar = *frame_->menuBar();
        QCOMPARE(menuTexts(*menuNamed(bar, "&File")),
                 (QStringList{"Assembly Code", "&Save\tCtrl+S", "Save &As...", "&Print...\tCtrl+P",
                              "Print Pre&view", "Page Set&up...", "E&xit"}));
        QVERIFY(!menuTexts(*menuNamed(bar, "&Edit")).contains("Undo\tCtrl+Z"));
        QVERIFY(!menuTexts(*menuNamed(bar, "&View")).contains("Output"));
        QVERIFY(menuNamed(bar, "&Simulation") == nullptr);
        QVERIFY(menuNamed(bar, "&Help") != nullptr);

        QVERIFY(frame_->openDocument(writeFile("prog.asm", "hlt\r\n")));
        QVERIFY(!frame_->isListMode());
        QCOMPARE(
            menuTexts(*menuNamed(bar, "&Simulation")),
            (QStringList{"Run\tF9", "Step\tF10", "Reset CPU\tF11", "Reset Memory", "Assemble"}));
    }

    void aListFileWithoutItsSourceIsNoDeadEnd() {
        QVERIFY(frame_->openDocument(writeFile("lone.lst", "listing\r\n")));
        command(cmd::kAssemblyCode);
        QVERIFY(frame_->isListMode());
        QCOMPARE(prompts_->errors.size(), 1);

        prompts_->openPaths << writeFile("other.asm", "hlt\r\n");
        QVERIFY(frame_->commandAction(cmd::kFileOpen)->isEnabled());
        command(cmd::kFileOpen);
        QVERIFY(!frame_->isListMode());
        QVERIFY(frame_->document().path().endsWith("other.asm"));
    }

    void acceleratorsReachTheirCommands_data() {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<int>("id");
        QTest::newRow("F9") << "F9" << cmd::kRun;
        QTest::newRow("F10") << "F10" << cmd::kStep;
        QTest::newRow("F11") << "F11" << cmd::kResetCpu;
        QTest::newRow("F12") << "F12" << cmd::kAssemble;
        QTest::newRow("F1") << "F1" << cmd::kHelp;
        QTest::newRow("F3") << "F3" << cmd::kEditFindNext;
        QTest::newRow("Ctrl+N") << "Ctrl+N" << cmd::kFileNew;
        QTest::newRow("Ctrl+H") << "Ctrl+H" << cmd::kEditReplace;
        QTest::newRow("Ctrl+Insert") << "Ctrl+Ins" << cmd::kEditCopy;
        QTest::newRow("Shift+Insert") << "Shift+Ins" << cmd::kEditPaste;
        QTest::newRow("Shift+Delete") << "Shift+Del" << cmd::kEditCut;
    }

    void acceleratorsReachTheirCommands() {
        QFETCH(QString, keys);
        QFETCH(int, id);
        QList<int> owners;
        for (const QAction* action : frame_->actions()) {
            if (action->shortcuts().contains(QKeySequence(keys))) {
                owners.append(action == frame_->commandAction(id) ? id : -1);
            }
        }
        QCOMPARE(owners, QList<int>{id});
    }

    void viewTogglesFollowTheirBars() {
        QVERIFY(frame_->commandAction(cmd::kViewOutput)->isChecked());
        command(cmd::kViewOutput);
        QVERIFY(frame_->findChild<QDockWidget*>("Output")->isHidden());
        QVERIFY(!frame_->commandAction(cmd::kViewOutput)->isChecked());
        command(cmd::kViewStatusBar);
        QVERIFY(frame_->statusBar()->isHidden());
        QVERIFY(!frame_->commandAction(cmd::kViewStatusBar)->isChecked());
        command(cmd::kViewStatusBar);
        QVERIFY(frame_->commandAction(cmd::kViewStatusBar)->isChecked());
    }

    void hwTimerCommandTogglesTheKitsTimer() {
        QVERIFY(!frame_->commandAction(cmd::kHwTimer)->isChecked());
        command(cmd::kHwTimer);
        QVERIFY(frame_->view().kit().hwTimerEnabled);
        QVERIFY(frame_->commandAction(cmd::kHwTimer)->isChecked());
    }

    void recentFilesKeepOnlyAsmNames() {
        const QString first = writeFile("one.asm", "hlt\r\n");
        const QString listing = writeFile("one.lst", "x\r\n");
        const QString upper = writeFile("TWO.AsM", "hlt\r\n");
        for (const QString& path : {first, listing, upper}) {
            QVERIFY(frame_->openDocument(path));
        }
        QCOMPARE(frame_->recentFiles().files(), (QStringList{upper, first}));
        frame_->openDocument(first);
        QCOMPARE(frame_->recentFiles().files(), (QStringList{first, upper}));
        QCOMPARE(frame_->recentFileActions().size(), 2);
        QCOMPARE(RecentFileList().files(), (QStringList{first, upper}));  // stored
    }

    void recentFileListHoldsTwenty() {
        RecentFileList list;
        for (int i = 0; i < 25; ++i) {
            list.add(QString("/k/p%1.asm").arg(i));
        }
        QCOMPARE(list.files().size(), RecentFileList::kMaxFiles);
        QCOMPARE(list.files().first(), QString("/k/p24.asm"));
        QCOMPARE(RecentFileList().files(), list.files());
    }

    void aRecentFileThatIsGoneIsReportedAndDropped() {
        const QString path = writeFile("gone.asm", "hlt\r\n");
        QVERIFY(frame_->openDocument(path));
        frame_->newDocument();
        QFile::remove(path);
        frame_->recentFileActions().first()->trigger();
        QCOMPARE(prompts_->errors.size(), 1);
        QVERIFY(frame_->recentFiles().files().isEmpty());
    }

    void placementDefaultsAndIsWrittenOnClose() {
        QCOMPARE(readWindowPlacement(), QRect(55, 34, 677, 492));
        frame_->setGeometry(120, 80, 700, 500);
        QVERIFY(frame_->close());
        QCOMPARE(readWindowPlacement(), QRect(120, 80, 700, 500));
        CMainFrame again(prompts_.get());
        QCOMPARE(again.geometry(), QRect(120, 80, 700, 500));
    }

    void unsavedChangesAreAskedAbout() {
        type("mov al,1");
        prompts_->saveAnswer = SaveAnswer::Cancel;
        command(cmd::kFileNew);
        QCOMPARE(prompts_->askedToSave, QStringList{"Untitled"});
        QVERIFY(frame_->document().isModified());
        QVERIFY(!frame_->close());

        prompts_->saveAnswer = SaveAnswer::Save;
        prompts_->savePaths = {folder_->filePath("kept.asm")};
        command(cmd::kFileNew);
        QCOMPARE(readFile(folder_->filePath("kept.asm")), QByteArray("mov al,1"));
        QCOMPARE(frame_->document().path(), QString());
        QVERIFY(!frame_->document().isModified());
        QVERIFY(frame_->close());
    }

    void openAsksOnceAboutTheTextItReplaces() {
        const QString path = writeFile("other.asm", "hlt\r\n");
        type("mov al,1");
        prompts_->openPaths = {path};
        command(cmd::kFileOpen);
        QCOMPARE(prompts_->askedToSave.size(), 1);
        QCOMPARE(frame_->document().path(), path);
    }

    void aFileThatCannotBeOpenedLosesNothing() {
        type("mov al,1");
        prompts_->saveAnswer = SaveAnswer::Discard;
        QVERIFY(!frame_->openDocument(folder_->filePath("missing.asm")));
        QCOMPARE(prompts_->errors.size(), 1);
        QCOMPARE(QString::fromStdString(frame_->document().buffer().text()), QString("mov al,1"));
        QCOMPARE(frame_->windowTitle(), QString("Tarvix v1.0 - [UNTITLED]"));
    }

    void aFailedSaveKeepsTheText() {
        type("mov al,1");
        prompts_->savePaths = {folder_->filePath("no/such/folder/x.asm")};
        command(cmd::kFileSaveAs);
        QCOMPARE(prompts_->errors.size(), 1);
        QVERIFY(frame_->document().isModified());
        QCOMPARE(frame_->document().path(), QString());
    }

    void saveKeepsTheFilesLineEnds() {
        const QString path = writeFile("lf.asm", "mov al,1\nhlt\n");
        QVERIFY(frame_->openDocument(path));
        frame_->view().setCursorPosition({1, 0});
        type("nop\r\n");
        command(cmd::kFileSave);
        QCOMPARE(readFile(path), QByteArray("mov al,1\nnop\nhlt\n"));
    }

    void aDialogLocksOnlyAnOwnerItFoundUnlocked() {
        auto first = std::make_unique<OwnerLock>(&frame_->view());
        QVERIFY(first->ownerDisabled());
        QVERIFY(!frame_->menuBar()->isEnabled());
        QVERIFY(frame_->isEnabled());  // the window itself, so its panels stay usable
        {
            ExecutionDialog dialog(&frame_->view());
            dialog.create();
            QVERIFY(!dialog.ownerDisabled());
            QVERIFY(dialog.isEnabled());
            dialog.destroy();
        }
        QVERIFY(!frame_->menuBar()->isEnabled());
        first.reset();
        QVERIFY(frame_->menuBar()->isEnabled());
        QVERIFY(frame_->centralWidget()->isEnabled());
    }

    void theEditorHasTheFocusAgainWhenALockGoes() {
        frame_->show();
        QApplication::setActiveWindow(frame_.get());
        frame_->view().setFocus();
        QTRY_VERIFY(frame_->view().hasFocus());
        { OwnerLock lock(&frame_->view()); }  // an assembly's progress dialog, say
        QVERIFY(frame_->view().hasFocus());
    }

    void peripheralCommandsShowTheirPanels() {
        command(cmd::kLed8255);
        QVERIFY(frame_->panels().isVisible(Panel::Led8255));
        QVERIFY(frame_->commandAction(cmd::kLed8255)->isChecked());
        QVERIFY(frame_->outputBar().text().startsWith("8255 Ports: A= 20H"));
        command(cmd::kStepperMotor);  // the devices of port A exclude each other
        QVERIFY(!frame_->commandAction(cmd::kLed8255)->isChecked());
        QVERIFY(frame_->commandAction(cmd::kStepperMotor)->isChecked());
    }

    void theContextMenuOffersTheEditingCommands() {
        QCOMPARE(menuTexts(*frame_->contextMenu()),
                 (QStringList{"Cu&t", "&Copy", "&Paste", "Delete", "Select All"}));
        emit frame_->contextMenu()->aboutToShow();
        QVERIFY(!frame_->contextMenu()->actions().first()->isEnabled());  // nothing selected
        type("mov al,1");
        frame_->view().setSelection({0, 0}, {0, 3});
        emit frame_->contextMenu()->aboutToShow();
        QVERIFY(frame_->contextMenu()->actions().first()->isEnabled());
    }

    void deleteTakesTheSelectionOrElseTheNextCharacter() {
        type("mov al,1");
        frame_->view().setCursorPosition({0, 0});
        command(cmd::kEditDelete);
        QCOMPARE(frame_->document().buffer().text(), std::string("ov al,1"));
        frame_->view().setSelection({0, 0}, {0, 3});
        command(cmd::kEditDelete);
        QCOMPARE(frame_->document().buffer().text(), std::string("al,1"));
    }

    void theStatusBarShowsTheCursorPosition() {
        type("mov al,1\r\nmov bl,2");
        frame_->view().setCursorPosition({1, 3});
        QCOMPARE(frame_->positionPane()->text(), QString("Ln 2, Col 4"));
    }

    void aNewDocumentPutsThePositionBackToTheStart() {
        type("mov al,1\r\nmov bl,2");
        frame_->view().setCursorPosition({1, 3});
        frame_->document().buffer().setModified(false);
        command(cmd::kFileNew);
        QCOMPARE(frame_->positionPane()->text(), QString("Ln 1, Col 1"));
    }

    void theDelayRoutineIsInsertedAtTheCursor() {
        QTimer::singleShot(0, [] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog != nullptr);
            dialog->findChild<QLineEdit*>("delay")->setText("10");
            dialog->accept();
        });
        command(cmd::kDelayRoutine);
        QVERIFY(QString::fromStdString(frame_->document().buffer().text())
                    .contains("Delay", Qt::CaseInsensitive));
    }

    void theProgressDialogLocksTheFrameWhileItLives() {
        AssemblyProgress progress(&frame_->view());
        progress.setRange(0, 3);
        QVERIFY(progress.dialog()->ownerDisabled());
        QVERIFY(!frame_->menuBar()->isEnabled());
        progress.step();
        progress.step();
        QCOMPARE(progress.dialog()->position(), 2);
        progress.finish();
        QVERIFY(frame_->menuBar()->isEnabled());
    }

    void helpShowsTheGuide() {
        command(cmd::kHelp);
        const auto* help = frame_->findChild<HelpWindow*>();
        QVERIFY(help != nullptr && help->isVisible());
        QVERIFY(help->guideText().contains("1000"));
    }
};

TARVIX_APP_TEST_MAIN(FrameTest)

#include "frame_test.moc"
