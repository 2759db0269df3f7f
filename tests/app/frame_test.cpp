// The frame as a user meets it: the command table within reach in both modes, the document's
// safety rules, and the windows its commands open. The lock a run puts on the frame is
// checked in simulation_test.
#include <QAudioDevice>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMediaDevices>
#include <QMenu>
#include <QMenuBar>
#include <QSet>
#include <QSettings>
#include <QSpinBox>
#include <QTimer>
#include <QToolBar>

#include "app/command_ids.h"
#include "app/command_table.h"
#include "app/output_bar.h"
#include "app/sample_view.h"
#include "app/speed_bar.h"
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

    // Cancelling keeps the text, a failed open or save loses nothing, Save writes it, and in
    // the line ends of the file it replaces.
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
        prompts_->openPaths = {writeFile("lf.asm", "hlt\n")};
        command(cmd::kFileOpen);  // the file first, then one question about the text it replaces
        QCOMPARE(prompts_->askedToSave, QStringList{"Untitled"});
        QCOMPARE(readFile(folder_->filePath("kept.asm")), QByteArray("mov al,1"));
        type("nop\r\n");
        command(cmd::kFileSave);
        QCOMPARE(readFile(folder_->filePath("lf.asm")), QByteArray("nop\nhlt\n"));
        QVERIFY(frame_->close());
    }

    // The routine for the kit's 5 MHz goes in as the file holds its text: its Latin-1 signs
    // stay Latin-1 only in a Latin-1 file. OK without a delay is refused and said.
    void theDelayRoutineKeepsTheFilesEncoding_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("latin1");
        QTest::newRow("UTF-8") << QByteArray("; caf\xC3\xA9\r\n") << false;
        QTest::newRow("Latin-1") << QByteArray("; caf\xE9\r\n") << true;
        QTest::newRow("ASCII") << QByteArray("; cafe\r\n") << false;
    }
    void theDelayRoutineKeepsTheFilesEncoding() {
        QFETCH(QByteArray, file);
        QFETCH(bool, latin1);
        QVERIFY(frame_->openDocument(writeFile("delay.asm", file)));
        QTimer::singleShot(0, [] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog != nullptr);
            dialog->accept();
            QTest::keyClicks(dialog->findChild<QLineEdit*>("delay"), "x1");
            dialog->accept();
        });
        command(cmd::kDelayRoutine);
        QCOMPARE(prompts_->errors, QStringList{"Enter a number between 1 and 100000"});
        const QByteArray routine = QByteArray::fromStdString(makeDelayRoutine(1, 5)->text);
        QCOMPARE(QByteArray::fromStdString(frame_->document().buffer().text()),
                 (latin1 ? routine : QString::fromLatin1(routine).toUtf8()) + file);
    }

    // The speed comes from the menu or the speed bar, shows in the status bar, and the next
    // session starts with it. A Kit clock run ends with its pace in the status bar.
    void theSpeedIsRememberedAcrossSessions() {
        QCOMPARE(frame_->speedPane()->text(), QString("Full speed"));
        QVERIFY(frame_->commandAction(cmd::kFullSpeed)->isChecked());
        command(cmd::kKitClock);
        frame_->speedBar().rateBox()->setValue(12);
        QCOMPARE(frame_->speedPane()->text(), QString("Kit clock 12 MHz"));
        frame_->speedBar().speedBox()->setCurrentIndex(static_cast<int>(RunSpeed::Animate));
        frame_->speedBar().rateBox()->setValue(20);
        QCOMPARE(frame_->speedPane()->text(), QString("Animate 20 lines/s"));
        QVERIFY(frame_->commandAction(cmd::kAnimate)->isChecked());

        dropFrame();
        makeFrame();
        QCOMPARE(frame_->speedPane()->text(), QString("Animate 20 lines/s"));
        QCOMPARE(frame_->speedBar().speedBox()->currentIndex(),
                 static_cast<int>(RunSpeed::Animate));
        QVERIFY(frame_->commandAction(cmd::kAnimate)->isChecked());
        QVERIFY(!frame_->commandAction(cmd::kKitClock)->isChecked());
        command(cmd::kKitClock);
        QCOMPARE(frame_->speedBar().rateBox()->value(), 12);

        QVERIFY(frame_->openDocument(writeFile("p.asm", "mov cx,100\r\nl: loop l\r\nhlt\r\n")));
        command(cmd::kRun);
        QVERIFY2(frame_->speedPane()->text().startsWith("Kit clock 12 MHz · "),
                 qPrintable(frame_->speedPane()->text()));
        QVERIFY(frame_->outputBar().text().startsWith("Done. [ 257 instrns @ "));
    }

    // High contrast turns the editor's white ground black at once, and the next session
    // starts with it.
    void highContrastIsRememberedAcrossSessions() {
        QVERIFY(frame_->openDocument(writeFile("p.asm", "hlt\r\n")));
        const auto ground = [this] {
            const QImage shown = frame_->view().viewport()->grab().toImage();
            return shown.pixelColor(shown.width() - 2, shown.height() - 2);
        };
        QCOMPARE(ground(), QColor(Qt::white));
        command(cmd::kViewHighContrast);
        QCOMPARE(ground(), QColor(Qt::black));
        dropFrame();
        makeFrame();
        QVERIFY(frame_->commandAction(cmd::kViewHighContrast)->isChecked());
        command(cmd::kViewHighContrast);
        QCOMPARE(ground(), QColor(Qt::white));
    }

    // Each command opens its window (the modal ones are closed again). With no calculator on
    // the PATH the student is told so; the Speaker panel says when there is no audio device.
    void commandsOpenTheirWindows() {
        const std::pair<int, QString> windows[] = {{cmd::kSegmentCodes, "7 segment codes"},
                                                   {cmd::kNumberConverter, "Hex-Dec-Bin"},
                                                   {cmd::kHelp, "Tarvix v1.0 Help"},
                                                   {cmd::kAbout, "About Tarvix"},
                                                   {cmd::kEditFind, "Find"},
                                                   {cmd::kEditReplace, "Replace"}};
        for (const auto& [id, title] : windows) {
            QString shown;
            QTimer modal;
            modal.setSingleShot(true);
            connect(&modal, &QTimer::timeout, [&shown] {
                auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
                QVERIFY(dialog != nullptr);
                shown = dialog->windowTitle();
                dialog->reject();
            });
            modal.start(0);
            command(id);
            if (modal.isActive()) {  // a window beside the frame
                modal.stop();
                for (const QWidget* window : QApplication::topLevelWidgets()) {
                    if (window->isVisible() && window->windowTitle() == title) {
                        shown = title;
                    }
                }
            }
            QCOMPARE(shown, title);
        }
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", folder_->path().toUtf8());
        command(cmd::kCalculator);
        qputenv("PATH", path);
        QCOMPARE(prompts_->errors, QStringList{"No calculator was found on this system."});
        QCOMPARE(!frame_->findChild<QLabel*>("noAudioDevice")->isHidden(),
                 QMediaDevices::audioOutputs().isEmpty());
    }
};

TARVIX_APP_TEST_MAIN(FrameTest)

#include "frame_test.moc"
