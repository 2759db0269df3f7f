// The frame as a user meets it: the command table within reach in both modes, the document's
// safety rules, the recent files and the window's place, the bars, the lock a dialog puts on
// the frame, and the windows the Tools and Help menus open.
#include <QDockWidget>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QSet>
#include <QSettings>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

#include "app/command_ids.h"
#include "app/command_table.h"
#include "app/execution_dialog.h"
#include "app/help_window.h"
#include "app/progress_dialog.h"
#include "app/sample_view.h"
#include "editor/ui/text_view_commands.h"
#include "tests/app/frame_fixture.h"

using namespace tarvix;

namespace {

QByteArray readFile(const QString& path) {
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

// Answers the next modal dialog with `answer` once it is up.
template <typename Answer>
void whenModal(Answer answer) {
    QTimer::singleShot(0, [answer] {
        QWidget* dialog = QApplication::activeModalWidget();
        QVERIFY(dialog != nullptr);
        answer(*dialog);
    });
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

    // The menus and the toolbar are built from the table; in each mode every command that
    // works there is in a menu, on the toolbar or on a key of its own, and no key starts two
    // commands (or a command other than the editor's, which takes its keys first).
    void everyCommandIsWithinReachAndNoKeyIsTakenTwice() {
        for (const bool listMode : {false, true}) {
            QVERIFY(frame_->openDocument(writeFile(listMode ? "p.lst" : "p.asm", "hlt\r\n")));
            QCOMPARE(frame_->isListMode(), listMode);
            const unsigned mode = listMode ? kListMode : kSourceMode;
            QSet<QAction*> inMenus;
            for (const QAction* menu : frame_->menuBar()->actions()) {
                for (QAction* action : menu->menu()->actions()) {
                    inMenus.insert(action);
                }
            }
            const QList<QAction*> toolbar = frame_->findChild<QToolBar*>("Toolbar")->actions();
            QSet<int> keysTaken;
            for (const Command& command : commandTable()) {
                const QByteArray trace = QByteArray(command.text) + (listMode ? " (list)" : "");
                QAction* action = frame_->commandAction(command.id);
                const bool menu = command.menu != MenuName::None && (command.menuModes & mode);
                QVERIFY2(inMenus.contains(action) == menu, trace);
                QVERIFY2(toolbar.contains(action) == ((command.toolbarModes & mode) != 0), trace);
                if (((command.menuModes | command.toolbarModes) & mode) == 0) {
                    QVERIFY2(!action->isEnabled(), trace);  // and so are its keys
                    continue;
                }
                QVERIFY2(menu || toolbar.contains(action) || !action->shortcuts().isEmpty(), trace);
                for (const QKeySequence& keys : action->shortcuts()) {
                    QVERIFY2(keys.count() == 1 && keys[0].key() != Qt::Key_unknown, trace);
                    QVERIFY2(!keysTaken.contains(keys[0].toCombined()), trace);
                    keysTaken.insert(keys[0].toCombined());
                    const ViewCommand* editorCommand = commandForKey(keys[0]);
                    QVERIFY2(editorCommand == nullptr || editorCommand->id == command.id, trace);
                }
            }
        }
    }

    // Cancelling keeps the text, a failed open or save loses nothing, Save writes it.
    void unsavedTextIsNeverLost() {
        type("mov al,1");
        QVERIFY(!frame_->openDocument(folder_->filePath("missing.asm")));
        prompts_->savePaths = {folder_->filePath("no/such/folder/x.asm")};
        command(cmd::kFileSaveAs);
        QCOMPARE(prompts_->errors.size(), 2);
        prompts_->saveAnswer = SaveAnswer::Cancel;
        command(cmd::kFileNew);
        QVERIFY(!frame_->close());
        QCOMPARE(frame_->document().buffer().text(), std::string("mov al,1"));
        QVERIFY(frame_->document().isModified());
        QCOMPARE(frame_->windowTitle(), QString("Tarvix v1.0 - [UNTITLED]"));

        prompts_->askedToSave.clear();
        prompts_->saveAnswer = SaveAnswer::Save;
        prompts_->savePaths = {folder_->filePath("kept.asm")};
        prompts_->openPaths = {writeFile("other.asm", "hlt\r\n")};
        command(cmd::kFileOpen);  // the file first, then one question about the text it replaces
        QCOMPARE(prompts_->askedToSave, QStringList{"Untitled"});
        QCOMPARE(readFile(folder_->filePath("kept.asm")), QByteArray("mov al,1"));
        QVERIFY(frame_->document().path().endsWith("other.asm"));
        QVERIFY(frame_->close());
    }

    void saveKeepsTheFilesLineEnds() {
        const QString path = writeFile("lf.asm", "mov al,1\nhlt\n");
        QVERIFY(frame_->openDocument(path));
        frame_->view().setCursorPosition({1, 0});
        type("nop\r\n");
        command(cmd::kFileSave);
        QCOMPARE(readFile(path), QByteArray("mov al,1\nnop\nhlt\n"));
    }

    void recentFilesKeepTwentyAsmNamesNewestFirst() {
        const QString first = writeFile("one.asm", "hlt\r\n");
        const QString upper = writeFile("TWO.AsM", "hlt\r\n");
        for (const QString& path : {first, writeFile("one.lst", "x\r\n"), upper, first}) {
            QVERIFY(frame_->openDocument(path));
        }
        QCOMPARE(frame_->recentFiles().files(), (QStringList{first, upper}));
        QCOMPARE(RecentFileList().files(), (QStringList{first, upper}));  // stored

        QFile::remove(upper);
        frame_->recentFileActions().at(1)->trigger();
        QCOMPARE(prompts_->errors.size(), 1);
        QCOMPARE(frame_->recentFiles().files(), QStringList{first});

        RecentFileList list;
        for (int i = 0; i < 25; ++i) {
            list.add(QString("/k/p%1.asm").arg(i));
        }
        QCOMPARE(list.files().size(), RecentFileList::kMaxFiles);
        QCOMPARE(list.files().first(), QString("/k/p24.asm"));
    }

    void placementDefaultsAndIsWrittenOnClose() {
        QCOMPARE(frame_->geometry(), QRect(55, 34, 677, 492));
        frame_->setGeometry(120, 80, 700, 500);
        QVERIFY(frame_->close());
        QCOMPARE(CMainFrame(prompts_.get()).geometry(), QRect(120, 80, 700, 500));
    }

    void barsFollowTheirCommands() {
        const std::pair<int, QWidget*> bars[] = {
            {cmd::kViewToolbar, frame_->findChild<QToolBar*>("Toolbar")},
            {cmd::kViewStatusBar, frame_->statusBar()},
            {cmd::kViewRamRegisters, frame_->findChild<QDockWidget*>("RamRegisters")},
            {cmd::kViewOutput, frame_->findChild<QDockWidget*>("Output")},
        };
        for (const auto& [id, bar] : bars) {
            const QAction* action = frame_->commandAction(id);
            QVERIFY2(action->isChecked() && !bar->isHidden(), qPrintable(action->text()));
            command(id);
            QVERIFY2(!action->isChecked() && bar->isHidden(), qPrintable(action->text()));
            command(id);
            QVERIFY2(action->isChecked() && !bar->isHidden(), qPrintable(action->text()));
        }
    }

    // While a dialog works, the frame's own parts are locked, its panes and its dialogs not;
    // a second dialog leaves the lock to the first, and the editor gets the focus back.
    void aDialogLocksTheFramesPartsAndGivesTheFocusBack() {
        frame_->show();
        QApplication::setActiveWindow(frame_.get());
        frame_->view().setFocus();
        QTRY_VERIFY(frame_->view().hasFocus());
        {
            OwnerLock lock(&frame_->view());
            QVERIFY(!frame_->view().hasFocus());  // a disabled editor gives its focus away
        }
        QVERIFY(frame_->view().hasFocus());

        AssemblyProgress progress(&frame_->view());
        progress.setRange(0, 3);
        QVERIFY(progress.dialog()->ownerDisabled());
        QVERIFY(!frame_->menuBar()->isEnabled() && !frame_->view().isEnabled());
        QVERIFY(frame_->isEnabled() && frame_->findChild<QDockWidget*>("Output")->isEnabled());
        {
            ExecutionDialog second(&frame_->view());
            second.create();
            QVERIFY(!second.ownerDisabled() && second.isEnabled());
        }
        QVERIFY(!frame_->menuBar()->isEnabled());
        progress.step();
        progress.step();
        QCOMPARE(progress.dialog()->position(), 2);
        progress.finish();
        QVERIFY(frame_->menuBar()->isEnabled() && frame_->view().isEnabled());
    }

    void editingCommandsAndTheCursorPositionReachTheFrame() {
        type("mov al,1\r\nmov bl,2");
        frame_->view().setCursorPosition({1, 3});
        QCOMPARE(frame_->positionPane()->text(), QString("Ln 2, Col 4"));
        frame_->view().setCursorPosition({0, 0});
        command(cmd::kEditDelete);  // no selection: the next character
        QCOMPARE(frame_->document().buffer().line(0), std::string_view("ov al,1"));
        emit frame_->contextMenu()->aboutToShow();
        QVERIFY(!frame_->contextMenu()->actions().first()->isEnabled());  // Cut needs a selection
        frame_->view().setSelection({0, 0}, {0, 3});
        emit frame_->contextMenu()->aboutToShow();
        QVERIFY(frame_->contextMenu()->actions().first()->isEnabled());
        command(cmd::kEditDelete);
        QCOMPARE(frame_->document().buffer().line(0), std::string_view("al,1"));

        frame_->document().buffer().setModified(false);
        command(cmd::kFileNew);
        QCOMPARE(frame_->positionPane()->text(), QString("Ln 1, Col 1"));
    }

    void toolsAndHelpOpenTheirWindows() {
        whenModal([](QWidget& dialog) {
            dialog.findChild<QLineEdit*>("delay")->setText("10");
            qobject_cast<QDialog*>(&dialog)->accept();
        });
        command(cmd::kDelayRoutine);
        QVERIFY(QString::fromStdString(frame_->document().buffer().text())
                    .contains("Delay", Qt::CaseInsensitive));

        command(cmd::kHelp);
        const auto* help = frame_->findChild<HelpWindow*>();
        QVERIFY(help != nullptr && help->isVisible());
        QVERIFY(help->guideText().contains("1000"));  // the bundled guide, not its stand-in

        QString about;
        whenModal([&about](QWidget& box) {
            about = qobject_cast<QMessageBox*>(&box)->text();
            qobject_cast<QDialog*>(&box)->accept();
        });
        command(cmd::kAbout);
        QVERIFY(about.contains("Tarvix v1.0"));
    }
};

TARVIX_APP_TEST_MAIN(FrameTest)

#include "frame_test.moc"
