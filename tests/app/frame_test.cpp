// The frame as a user meets it: the command table within reach in both modes, the document's
// safety rules, the lock a dialog puts on the frame, and the windows its commands open.
#include <QAudioDevice>
#include <QDockWidget>
#include <QLabel>
#include <QLineEdit>
#include <QMediaDevices>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSet>
#include <QSettings>
#include <QTimer>
#include <QToolBar>
#include <functional>

#include "app/command_ids.h"
#include "app/command_table.h"
#include "app/execution_dialog.h"
#include "app/help_window.h"
#include "app/progress_dialog.h"
#include "app/sample_view.h"
#include "editor/ui/text_view_commands.h"
#include "tests/app/frame_fixture.h"
#include "tools/delay_routine.h"

using namespace tarvix;

namespace {

QByteArray readFile(const QString& path) {
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
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
        QCOMPARE(frame_->positionPane()->text(), QString("Ln 1, Col 9"));

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
        progress.finish();
        QVERIFY(frame_->menuBar()->isEnabled() && frame_->view().isEnabled());
    }

    // The routine's micro sign goes in as the file holds its text: in Latin-1 only when the
    // file is Latin-1.
    void theDelayRoutineKeepsTheFilesEncoding_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QByteArray>("micro");
        QTest::newRow("UTF-8") << QByteArray("; caf\xC3\xA9\r\n") << QByteArray("\xC2\xB5sec");
        QTest::newRow("Latin-1") << QByteArray("; caf\xE9\r\n") << QByteArray("\xB5sec");
        QTest::newRow("ASCII") << QByteArray("; cafe\r\n") << QByteArray("\xC2\xB5sec");
    }
    void theDelayRoutineKeepsTheFilesEncoding() {
        QFETCH(QByteArray, file);
        QFETCH(QByteArray, micro);
        QVERIFY(frame_->openDocument(writeFile("delay.asm", file)));
        QTimer::singleShot(0, [] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog != nullptr);
            dialog->findChild<QLineEdit*>("delay")->setText("1");
            dialog->accept();
        });
        command(cmd::kDelayRoutine);
        const QByteArray text = QByteArray::fromStdString(frame_->document().buffer().text());
        QVERIFY2(text.contains(micro) && text.count('\xB5') == 1, text.constData());
    }

    // Each command opens its window, where one thing is tried; then a modal one is closed,
    // the Delay Procedure with OK: refused without a delay, with 10 ms (typed among a letter)
    // it puts the routine for the kit's 5 MHz into the text.
    void commandsOpenTheirWindows() {
        const struct {
            int command;
            QString title;
            std::function<void(QWidget&)> use;
        } windows[] = {
            {cmd::kDelayRoutine, "Delay Procedure",
             [](QWidget& dialog) {
                 qobject_cast<QDialog*>(&dialog)->accept();  // no delay yet: said, and kept open
                 QVERIFY(dialog.isVisible());
                 QTest::keyClicks(dialog.findChild<QLineEdit*>("delay"), "1x0");
             }},
            {cmd::kSegmentCodes, "7 segment codes",
             [](QWidget& dialog) {
                 for (const char* name : {"segment_a", "segment_c", "segment_h"}) {
                     QTest::mouseClick(dialog.findChild<QPushButton*>(name), Qt::LeftButton);
                 }
                 QCOMPARE(dialog.findChild<QLabel*>("hexCode")->text(), QString("85 H"));
             }},
            {cmd::kNumberConverter, "Hex-Dec-Bin",
             [](QWidget& dialog) {
                 QTest::keyClicks(dialog.findChild<QLineEdit*>("Hex"), "12G");
                 QCOMPARE(dialog.findChild<QLineEdit*>("Dec")->text(), QString("18"));
             }},
            {cmd::kHelp, "Tarvix v1.0 Help",
             [](QWidget& help) {
                 QVERIFY(qobject_cast<HelpWindow*>(&help)->guideText().contains("1000"));
             }},
            {cmd::kAbout, "About Tarvix", {}},
            {cmd::kEditFind, "Find", {}},
            {cmd::kEditReplace, "Replace", {}},
        };
        for (const auto& window : windows) {
            QTimer modal;
            modal.setSingleShot(true);
            connect(&modal, &QTimer::timeout, [&window] {
                auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
                QVERIFY(dialog != nullptr);
                QCOMPARE(dialog->windowTitle(), window.title);
                if (window.use) {
                    window.use(*dialog);
                }
                window.command == cmd::kDelayRoutine ? dialog->accept() : dialog->reject();
            });
            modal.start(0);
            command(window.command);
            if (modal.isActive()) {
                modal.stop();
                const QWidgetList shown = QApplication::topLevelWidgets();
                const auto found = std::find_if(shown.begin(), shown.end(), [&window](QWidget* w) {
                    return w->isVisible() && w->windowTitle() == window.title;
                });
                QVERIFY2(found != shown.end(), qPrintable(window.title));
                window.use(**found);
            }
        }
        // A new document is UTF-8: the routine's Latin-1 signs arrive in it as UTF-8.
        QCOMPARE(QString::fromStdString(frame_->document().buffer().text()),
                 QString::fromLatin1(makeDelayRoutine(10, 5)->text));
        // With no calculator on the PATH the student is told so; the Speaker panel says when
        // there is no audio device.
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", folder_->path().toUtf8());
        command(cmd::kCalculator);
        qputenv("PATH", path);
        QCOMPARE(prompts_->errors, (QStringList{"Enter a number between 1 and 100000",
                                                "No calculator was found on this system."}));
        QCOMPARE(!frame_->findChild<QLabel*>("noAudioDevice")->isHidden(),
                 QMediaDevices::audioOutputs().isEmpty());
    }
};

TARVIX_APP_TEST_MAIN(FrameTest)

#include "frame_test.moc"
