// Run, Step, Stop and key capture as the user gives them: through the frame's commands, with
// the execution dialog's buttons and keys pressed from timers while the kit runs; a program's
// output reaches the real terminal program.
#include <QDockWidget>
#include <QElapsedTimer>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QTimer>
#include <functional>
#include <memory>

#include "app/command_ids.h"
#include "app/frame_settings.h"
#include "app/output_bar.h"
#include "app/sample_view.h"
#include "devices/terminal_link.h"
#include "panels/register_pane.h"
#include "tests/app/frame_fixture.h"

using namespace tarvix;

namespace {

// Calls `act` on the execution dialog every few milliseconds while one exists.
std::unique_ptr<QTimer> whileRunning(CSampleView& view, std::function<void(ExecutionDialog&)> act) {
    auto timer = std::make_unique<QTimer>();
    QObject::connect(timer.get(), &QTimer::timeout, [&view, act] {
        if (ExecutionDialog* dialog = view.executionDialog()) {
            act(*dialog);
        }
    });
    timer->start(20);
    return timer;
}

enum class Act { StopButton, CloseWindow, Key, MessageBox };

}  // namespace

class SimulationTest : public QObject, private FrameFixture {
    Q_OBJECT

private:
    QString pane() const { return frame_->outputBar().text(); }
    CX86TextBuffer& buffer() { return frame_->document().buffer(); }
    Kit& kit() { return frame_->view().kit(); }
    void open(const QString& name, const QByteArray& text) {
        QVERIFY(frame_->openDocument(writeFile(name, text)));
    }
    // After any run the frame is the user's again.
    void verifyRunOver() {
        QVERIFY(frame_->view().executionDialog() == nullptr);
        QVERIFY(frame_->menuBar()->isEnabled());
        QVERIFY(!buffer().isReadOnly());
    }

private slots:
    void init() { makeFrame(); }

    void cleanup() { dropFrame(); }

    // examples/hello.asm, untitled, is saved before it runs or not run; then it reaches the
    // terminal program and its end the registers pane. One terminal listens at a time, and it
    // takes its socket away when told to end.
    void anUntitledProgramRunsOnceSavedAndReachesTheTerminal() {
        const QStringList options{"--dump-on-exit", "--no-message-box"};
        QProcess terminal;
        terminal.start(TARVIX_BIN_DIR "/tarvix-terminal", options);
        const std::string socket = defaultTerminalSocketPath();
        QTRY_VERIFY_WITH_TIMEOUT(SocketTerminalLink(socket).isThere(), 10000);
        QProcess second;
        second.start(TARVIX_BIN_DIR "/tarvix-terminal", options);
        QVERIFY(second.waitForFinished(10000));
        QCOMPARE(second.exitCode(), 1);
        QFile example(QString(TARVIX_SOURCE_DIR) + "/examples/hello.asm");
        QVERIFY(example.open(QIODevice::ReadOnly));
        frame_->view().replaceSelection(example.readAll().toStdString());
        command(cmd::kRun);
        QVERIFY2(pane().contains("Please save the File"), qPrintable(pane()));
        verifyRunOver();

        prompts_->savePaths = {folder_->filePath("hello.asm")};
        command(cmd::kRun);
        QVERIFY2(pane().startsWith("Done. ["), qPrintable(pane()));
        QCOMPARE(frame_->windowTitle(),
                 "Tarvix v1.0 - [" + folder_->filePath("hello.asm").toUpper() + "]");
        const auto& lines = frame_->registerPanel().registerPane()->lines();
        QCOMPARE(QString::fromStdString(lines[0]), QString("Ax= 000A Bx= 1900 Cx= 0001"));
        terminal.terminate();
        QVERIFY(terminal.waitForFinished(10000));
        QCOMPARE(terminal.exitCode(), 0);
        QCOMPARE(terminal.readAllStandardOutput(), QByteArray("HELLO\n"));
        QVERIFY(!QFile::exists(QString::fromStdString(socket)));
    }

    // Whatever the user does while a program loops, the run answers at once: Stop, Escape
    // and closing the window end it; a key goes to the kit and not to the editor; a message
    // box the kit shows mid-run keeps its own keys.
    void aRunStaysResponsiveToTheUser_data() {
        QTest::addColumn<Act>("act");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("code");  // in lastKey at the end
        QTest::newRow("Stop") << Act::StopButton << 0 << "" << 0;
        QTest::newRow("Escape") << Act::Key << int(Qt::Key_Escape) << "\x1b" << 0;
        QTest::newRow("closing the window") << Act::CloseWindow << 0 << "" << 0;
        QTest::newRow("letter") << Act::Key << int(Qt::Key_A) << "a" << 0x61;
        QTest::newRow("left arrow") << Act::Key << int(Qt::Key_Left) << "" << 0x25;
        QTest::newRow("a message box") << Act::MessageBox << 0 << "" << 0;
    }

    void aRunStaysResponsiveToTheUser() {
        QFETCH(Act, act);
        QFETCH(int, key);
        QFETCH(QString, text);
        QFETCH(int, code);
        open("loop.asm", "l: jmp l\r\n");
        frame_->setGeometry(150, 90, 640, 480);
        kit().lastKey = 0;
        QElapsedTimer sinceAct;
        int ticks = 0;
        int boxAnswer = -1;
        const auto user = whileRunning(frame_->view(), [&](ExecutionDialog& dialog) {
            if (++ticks > 1) {  // a key first reaches the kit: Stop would win over it
                if (kit().lastKey != 0 || act == Act::MessageBox || ticks > 100) {
                    dialog.stopButton()->click();
                }
                return;
            }
            QVERIFY(!dialog.singleStepMode() && !dialog.nextButton()->isVisible());
            sinceAct.start();
            if (act == Act::StopButton) {
                dialog.stopButton()->click();
            } else if (act == Act::CloseWindow) {
                QVERIFY(!frame_->close());  // the run ends first
            } else if (act == Act::Key) {
                QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
                QApplication::sendEvent(&frame_->view(), &press);
            } else {
                QDialog box(frame_.get());
                QTimer::singleShot(0, &box, [&box] { QTest::keyClick(&box, Qt::Key_Escape); });
                QTimer::singleShot(500, &box, [&box] { box.done(2); });  // unanswered
                boxAnswer = box.exec();
            }
        });

        command(cmd::kRun);

        QVERIFY2(sinceAct.elapsed() < 1000, qPrintable(QString::number(sinceAct.elapsed())));
        QCOMPARE(frame_->view().driver().lastEnding(), RunEnding::Stopped);
        QVERIFY2(pane().startsWith("Done. ["), qPrintable(pane()));
        verifyRunOver();
        QCOMPARE(int(kit().lastKey), code);
        QCOMPARE(buffer().text(), std::string("l: jmp l\r\n"));  // the editor got nothing
        if (act == Act::MessageBox) {
            QCOMPARE(boxAnswer, int(QDialog::Rejected));  // Escape reached the box
        }
        if (act == Act::CloseWindow) {
            QTRY_COMPARE(readWindowPlacement(), QRect(150, 90, 640, 480));  // then it closed
        }
    }

    // The assembler's refusal puts the marker and the caret on its line, also when its message
    // names no line; an error of the running program leaves the caret where it was.
    void aRefusedLineGetsTheMarkerAndTheCaret() {
        const QByteArray undefined = "nop\r\n\r\njmp nowhere\r\nhlt\r\n";
        const struct {
            QByteArray text;
            int command;
            const char* message;
            int marked;
            int caret;
        } cases[] = {
            {undefined, cmd::kStep, "Error: Unrecognized symbol nowhere", 2, 2},
            {undefined, cmd::kAssemble, "Error: Unrecognized symbol nowhere", 2, 2},
            {"nop\r\nfoo ax\r\nhlt\r\n", cmd::kRun,
             "Line 2 Error: Unrecognized/unsupported instruction", 1, 1},
            {"mov bx,0\r\nmov al,[bx]\r\nhlt\r\n", cmd::kRun,
             "Line 2 Error: Bytes can be placed only between 1000H and 1FFFH", 1, 0},
        };
        int number = 0;
        for (const auto& c : cases) {
            open(QString("refused%1.asm").arg(++number), c.text);
            command(c.command);
            QCOMPARE(pane(), QString(c.message));
            QCOMPARE(buffer().findMarker(kErrorMarker), c.marked);
            QCOMPARE(frame_->view().cursorPosition().line, c.caret);
        }
    }

    // Next, or Enter wherever the focus is (the locked editor or the dialog), runs one line
    // and the marker and the dialog follow; the kit gets no keys while stepping.
    void steppingTakesNextAndEnterButNoKeys() {
        open("step.asm", "mov ax,1\r\nmov bx,2\r\nmov cx,3\r\nhlt\r\n");
        kit().lastKey = 0;
        QList<int> markers;
        const auto stepper = whileRunning(frame_->view(), [&](ExecutionDialog& dialog) {
            const int marker = buffer().findMarker(kExecutionMarker);
            if (!markers.isEmpty() && markers.last() == marker) {
                return;  // the last press is still on its way
            }
            markers.append(marker);
            QVERIFY(dialog.singleStepMode() && !frame_->menuBar()->isEnabled());
            QVERIFY(frame_->findChild<QDockWidget*>("Output")->isEnabled());  // it shows the run
            QTest::keyClick(&dialog, Qt::Key_A);
            QTest::keyClick(&frame_->view(), Qt::Key_Left);
            const std::function<void()> presses[] = {
                [&dialog] { dialog.nextButton()->click(); },
                [this] { QTest::keyClick(&frame_->view(), Qt::Key_Return); },
                [&dialog] { QTest::keyClick(&dialog, Qt::Key_Return); },
                [&dialog] { QTest::keyClick(&dialog, Qt::Key_Escape); }};
            presses[std::min(markers.size(), qsizetype(std::size(presses))) - 1]();
        });

        command(cmd::kStep);

        QCOMPARE(markers, (QList<int>{0, 1, 2, 3}));
        QCOMPARE(kit().cpu.regs[Reg16::CX], std::uint16_t(3));
        QCOMPARE(int(kit().lastKey), 0);
        QVERIFY(pane().startsWith("In Single-Step Mode."));
        verifyRunOver();
    }
};

TARVIX_APP_TEST_MAIN(SimulationTest)

#include "simulation_test.moc"
