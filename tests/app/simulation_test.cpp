// Run, Step, Stop, key capture and Assemble as the user gives them: through the frame's
// commands, with the execution dialog's buttons pressed from timers while the kit runs.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <memory>

#include "app/command_ids.h"
#include "app/frame_settings.h"
#include "app/gui_output_sink.h"
#include "app/main_frame.h"
#include "app/output_bar.h"
#include "app/sample_view.h"
#include "devices/terminal_receiver.h"
#include "panels/ram_registers_panel.h"
#include "panels/register_pane.h"
#include "tests/app/app_test_main.h"
#include "tests/app/frame_fixture.h"
#include "tests/app/scripted_prompts.h"

using namespace tarvix;

namespace {

// Calls `act` on the execution dialog every few milliseconds while one exists.
class WhileRunning {
public:
    WhileRunning(CSampleView& view, std::function<void(ExecutionDialog&)> act) {
        timer_.setInterval(20);
        QObject::connect(&timer_, &QTimer::timeout, [&view, act] {
            if (ExecutionDialog* dialog = view.executionDialog()) {
                act(*dialog);
            }
        });
        timer_.start();
    }

private:
    QTimer timer_;
};

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

private slots:
    void init() { makeFrame(); }

    void cleanup() { dropFrame(); }

    void runShowsDoneAndTheTerminalGetsTheText() {
        TerminalReceiver terminal(defaultTerminalSocketPath());
        QCOMPARE(QString::fromStdString(terminal.listen()), QString());
        QFile example(QString(TARVIX_SOURCE_DIR) + "/examples/hello.asm");
        QVERIFY(example.open(QIODevice::ReadOnly));
        open("hello.asm", example.readAll());

        command(cmd::kRun);

        QVERIFY2(pane().startsWith("Done. ["), qPrintable(pane()));
        QVERIFY(!buffer().isReadOnly());
        QVERIFY(frame_->view().executionDialog() == nullptr);
        QVERIFY(frame_->menuBar()->isEnabled());
        terminal.poll();
        QCOMPARE(QString::fromStdString(terminal.text()), QString("HELLO\r\n"));
    }

    void stepMovesTheExecutionMarkerWithEachNext() {
        open("step.asm", "mov ax,1\r\nmov bx,2\r\nmov cx,3\r\nhlt\r\n");
        QList<int> markers;
        QStringList shown;
        WhileRunning presser(frame_->view(), [&](ExecutionDialog& dialog) {
            markers.append(buffer().findMarker(kExecutionMarker));
            shown.append(dialog.statusText());
            QVERIFY(!frame_->menuBar()->isEnabled());
            QVERIFY(dialog.singleStepMode());
            (markers.size() < 4 ? dialog.nextButton() : dialog.stopButton())->click();
        });

        command(cmd::kStep);

        QCOMPARE(markers, (QList<int>{0, 1, 2, 3}));
        QCOMPARE(shown, (QStringList{" ", "mov ax,1", "mov bx,2", "mov cx,3"}));
        QCOMPARE(kit().cpu.regs.word(0), std::uint16_t(1));  // AX
        QCOMPARE(kit().cpu.regs.word(1), std::uint16_t(3));  // CX
        QVERIFY(pane().startsWith("In Single-Step Mode."));
        QVERIFY(frame_->menuBar()->isEnabled());
        QVERIFY(!buffer().isReadOnly());
    }

    void anAssemblyErrorMarksItsLineAndLatchesThePane() {
        open("bad.asm", "mov ax,1\r\nmov bx,2\r\nfrob ax\r\nhlt\r\n");

        command(cmd::kRun);

        QVERIFY2(pane().startsWith("Line 3 Error"), qPrintable(pane()));
        QCOMPARE(buffer().findMarker(kErrorMarker), 2);
        QVERIFY(applicationOutputPane().errorLatched());
        applicationOutputPane().showStatus("hidden by the latch");
        QVERIFY(pane().startsWith("Line 3 Error"));
        QVERIFY(frame_->sound().playCount() >= 1);

        command(cmd::kResetCpu);
        QCOMPARE(buffer().findMarker(kErrorMarker), -1);
        QVERIFY(!applicationOutputPane().errorLatched());
    }

    void stopEndsAnEndlessLoop() {
        open("loop.asm", "l: jmp l\r\n");
        QElapsedTimer sinceStop;
        WhileRunning stopper(frame_->view(), [&](ExecutionDialog& dialog) {
            if (!sinceStop.isValid()) {
                QVERIFY(!dialog.singleStepMode());
                QVERIFY(!dialog.nextButton()->isVisible());
                sinceStop.start();
                dialog.stopButton()->click();
            }
        });

        command(cmd::kRun);

        QVERIFY(sinceStop.isValid());
        qInfo("Stop took %lld ms", sinceStop.elapsed());
        QVERIFY(sinceStop.elapsed() < 1000);
        QVERIFY2(pane().startsWith("Done. ["), qPrintable(pane()));
        QCOMPARE(frame_->view().driver().lastEnding(), RunEnding::Stopped);
    }

    // During a Run the pane shows the machine as it was at a refresh, every 1501 instructions:
    // here AX counts every second instruction, so it reads 1501k / 2 rounded up, in 16 bits.
    void aRunShowsRegistersOnlyAsTheyWereAtARefresh() {
        open("count.asm", "l: inc ax\r\njmp l\r\n");
        QStringList shown;
        WhileRunning watcher(frame_->view(), [&](ExecutionDialog& dialog) {
            shown.append(QString::fromStdString(
                frame_->registerPanel().registerPane()->lines()[0].substr(4, 4)));
            if (shown.size() == 10) {
                dialog.stopButton()->click();
            }
        });

        command(cmd::kRun);

        const auto refreshesInRun = frame_->view().driver().lastInstructionCount() / 1501;
        const auto atARefresh = [&](std::uint64_t ax) {
            for (std::uint64_t refreshes = 0; refreshes <= refreshesInRun; ++refreshes) {
                if ((1501 * refreshes + 1) / 2 % 0x10000 == ax) {
                    return true;
                }
            }
            return false;
        };
        for (const QString& ax : shown) {
            QVERIFY2(atARefresh(ax.toULongLong(nullptr, 16)), qPrintable(ax));
        }
    }

    void closingTheWindowDuringARunStopsItAndThenCloses() {
        open("loop.asm", "l: jmp l\r\n");
        frame_->setGeometry(150, 90, 640, 480);
        bool refused = false;
        WhileRunning closer(frame_->view(), [&](ExecutionDialog&) {
            if (!refused) {
                refused = !frame_->close();
            }
        });

        command(cmd::kRun);

        QVERIFY(refused);
        QCOMPARE(frame_->view().driver().lastEnding(), RunEnding::Stopped);
        QTRY_COMPARE(readWindowPlacement(), QRect(150, 90, 640, 480));  // closed after the run
    }

    void escapeIsStop() {
        open("loop.asm", "l: jmp l\r\n");
        WhileRunning escaper(frame_->view(), [](ExecutionDialog& dialog) {
            QTest::keyClick(&dialog, Qt::Key_Escape);
        });
        command(cmd::kRun);
        QCOMPARE(frame_->view().driver().lastEnding(), RunEnding::Stopped);
    }

    void keysReachTheKitWhileRunning_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("code");
        QTest::newRow("letter") << int(Qt::Key_A) << "a" << 0x61;
        QTest::newRow("shifted letter") << int(Qt::Key_A) << "A" << 0x41;
        QTest::newRow("enter") << int(Qt::Key_Return) << "\r" << 0x0D;
        QTest::newRow("left arrow") << int(Qt::Key_Left) << "" << 0x25;
        QTest::newRow("F1") << int(Qt::Key_F1) << "" << 0x70;
        QTest::newRow("delete") << int(Qt::Key_Delete) << "\x7f" << 0x2E;
    }

    void keysReachTheKitWhileRunning() {
        QFETCH(int, key);
        QFETCH(QString, text);
        QFETCH(int, code);
        open("loop.asm", "l: jmp l\r\n");
        int ticks = 0;
        WhileRunning typist(frame_->view(), [&](ExecutionDialog& dialog) {
            if (++ticks == 1) {
                QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
                QApplication::sendEvent(&frame_->view(), &press);
            } else {
                dialog.stopButton()->click();
            }
        });

        command(cmd::kRun);

        QCOMPARE(int(kit().lastKey), code);
        QVERIFY(buffer().text().find('a') == std::string::npos);  // the editor got nothing
    }

    // A message box the kit shows mid-run answers to its own keys; they are not the kit's.
    void aModalBoxDuringARunKeepsItsKeys() {
        constexpr int kUnanswered = 2;
        open("loop.asm", "l: jmp l\r\n");
        kit().lastKey = 0;
        QString typed;
        int answer = -1;
        int ticks = 0;
        WhileRunning boxer(frame_->view(), [&](ExecutionDialog& dialog) {
            if (++ticks > 1) {
                dialog.stopButton()->click();
                return;
            }
            QDialog box(frame_.get());
            auto* field = new QLineEdit(&box);
            QTimer::singleShot(0, &box, [&box, field] {
                QTest::keyClick(field, Qt::Key_X);
                QTest::keyClick(&box, Qt::Key_Escape);
            });
            QTimer::singleShot(500, &box, [&box] { box.done(kUnanswered); });
            answer = box.exec();
            typed = field->text();
        });

        command(cmd::kRun);

        QCOMPARE(answer, int(QDialog::Rejected));  // Escape reached the box
        QCOMPARE(typed, QString("x"));
        QCOMPARE(int(kit().lastKey), 0);
        QCOMPARE(frame_->view().driver().lastEnding(), RunEnding::Stopped);
    }

    // Wherever the focus is while stepping (the editor, disabled, or the dialog), Enter is Next.
    void enterIsNextWhileStepping() {
        open("step.asm", "mov ax,1\r\nmov bx,2\r\nmov cx,3\r\nhlt\r\n");
        int ticks = 0;
        WhileRunning presser(frame_->view(), [&](ExecutionDialog& dialog) {
            QWidget* target = ++ticks % 2 ? static_cast<QWidget*>(&frame_->view()) : &dialog;
            QTest::keyClick(target, ticks < 4 ? Qt::Key_Return : Qt::Key_Escape);
        });

        command(cmd::kStep);

        QCOMPARE(kit().cpu.regs.word(1), std::uint16_t(3));  // CX: three Nexts ran three lines
        QCOMPARE(int(kit().lastKey), 0);
    }

    void stepTakesNoKeys() {
        open("step.asm", "mov ax,1\r\nmov bx,2\r\nhlt\r\n");
        kit().lastKey = 0;
        int ticks = 0;
        WhileRunning typist(frame_->view(), [&](ExecutionDialog& dialog) {
            if (++ticks == 1) {
                QTest::keyClick(&dialog, Qt::Key_A);
                QTest::keyClick(&frame_->view(), Qt::Key_Left);
            } else {
                dialog.stopButton()->click();
            }
        });

        command(cmd::kStep);

        QCOMPARE(int(kit().lastKey), 0);
    }

    void assembleOpensTheListingAndAssemblyCodeReturns() {
        open("sum.asm", "mov ax,1\r\nadd ax,2\r\nhlt\r\n");
        const QString source = frame_->document().path();
        QVERIFY(!frame_->commandAction(cmd::kAssemblyCode)->isEnabled());

        command(cmd::kAssemble);

        QVERIFY(frame_->isListMode());
        QVERIFY(frame_->document().path().endsWith("sum.lst"));
        QVERIFY(QString::fromStdString(buffer().text()).contains("B8 01 00"));
        QVERIFY(frame_->view().progressDialog() == nullptr);
        QVERIFY(frame_->commandAction(cmd::kAssemblyCode)->isEnabled());
        QVERIFY(!frame_->commandAction(cmd::kRun)->isEnabled());

        command(cmd::kAssemblyCode);

        QCOMPARE(frame_->document().path(), source);
        QVERIFY(!frame_->isListMode());
        QVERIFY(frame_->commandAction(cmd::kRun)->isEnabled());
    }

    void theRegisterPaneShowsTheEndOfARunAndResetMemoryClears() {
        open("mem.asm", "mov ax,abcd\r\nmov [1800],ax\r\nhlt\r\n");

        command(cmd::kRun);

        const auto& lines = frame_->registerPanel().registerPane()->lines();
        QCOMPARE(QString::fromStdString(lines[0]), QString("Ax= ABCD Bx= 0000 Cx= 0000"));
        QCOMPARE(int(kit().cpu.memory.bytes()[0x800]), 0xCD);

        command(cmd::kResetMemory);

        QCOMPARE(int(kit().cpu.memory.bytes()[0x800]), 0);
        QVERIFY(buffer().needsAssembly());
        command(cmd::kRun);  // assembles and loads the program again
        QVERIFY2(pane().startsWith("Done. [ 2 instrns"), qPrintable(pane()));
    }

    void anUntitledProgramIsSavedBeforeItRuns() {
        frame_->view().replaceSelection("mov ax,5\r\nhlt\r\n");
        prompts_->savePaths = {folder_->filePath("fresh.asm")};

        command(cmd::kRun);

        QVERIFY2(pane().startsWith("Done. ["), qPrintable(pane()));
        QVERIFY(QFile::exists(folder_->filePath("fresh.asm")));
        QCOMPARE(frame_->windowTitle(),
                 "Tarvix v1.0 - [" + folder_->filePath("fresh.asm").toUpper() + "]");
    }

    void anUntitledProgramNotSavedIsNotRun() {
        frame_->view().replaceSelection("mov ax,5\r\nhlt\r\n");

        command(cmd::kRun);

        QVERIFY2(pane().contains("Please save the File"), qPrintable(pane()));
        QVERIFY(!buffer().isReadOnly());
    }
};

TARVIX_APP_TEST_MAIN(SimulationTest)

#include "simulation_test.moc"
