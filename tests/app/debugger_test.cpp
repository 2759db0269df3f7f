// The debugger as a student uses it: breakpoints from the margin and the menu, a Run that
// stops at one, the step commands of the execution dialog, what a step changed, registers and
// RAM edited while stepping, the stack inside nested calls, Go to address and F6.
#include <QAbstractItemView>
#include <QApplication>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <functional>
#include <memory>

#include "app/command_ids.h"
#include "app/frame_settings.h"
#include "app/output_bar.h"
#include "app/sample_view.h"
#include "panels/kit_panels.h"
#include "panels/memory_list.h"
#include "panels/memory_row_model.h"
#include "panels/register_pane.h"
#include "panels/stack_panel.h"
#include "simulator/register_text.h"
#include "tests/app/frame_fixture.h"
#include "ui/dialog_units.h"

using namespace tarvix;

namespace {

// Calls `act` at each stop of a stepping run with the number of the stop, from 0. A stop is
// new when the run waits for a command with the current line or the registers other than
// `act` left them.
class Stops {
public:
    Stops(CSampleView& view, std::function<void(ExecutionDialog&, int)> act) {
        QObject::connect(&timer_, &QTimer::timeout, [this, &view, act] {
            ExecutionDialog* dialog = view.executionDialog();
            if (dialog == nullptr || !view.awaitingStep() || acting_ || stateOf(view) == left_) {
                return;
            }
            acting_ = true;
            act(*dialog, count_++);
            left_ = stateOf(view);
            acting_ = false;
        });
        timer_.start(20);
    }

private:
    static std::string stateOf(CSampleView& view) {
        std::string state = std::to_string(view.kit().currentLine);
        for (const std::string& line : registerLines(view.kit().cpu.regs, 0)) {
            state += "|" + line;
        }
        return state;
    }

    QTimer timer_;
    std::string left_;
    int count_ = 0;
    bool acting_ = false;
};

}  // namespace

class DebuggerTest : public QObject, private FrameFixture {
    Q_OBJECT

private:
    CSampleView& view() { return frame_->view(); }
    CX86TextBuffer& buffer() { return frame_->document().buffer(); }
    Kit& kit() { return view().kit(); }
    QString pane() const { return frame_->outputBar().text(); }
    QString registerLine(int line) {
        return QString::fromStdString(
            frame_->registerPanel().registerPane()->lines()[static_cast<std::size_t>(line)]);
    }
    void open(const QString& name, const QByteArray& text) {
        QVERIFY(frame_->openDocument(writeFile(name, text)));
    }
    bool hasBreakpoint(int line) { return (buffer().lineFlags(line) & kBreakpointMarker) != 0; }

private slots:
    void init() {
        makeFrame();
        frame_->show();
        frame_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(frame_.get()));
    }

    void cleanup() { dropFrame(); }

    // A click in the margin and Toggle Breakpoint on the caret's line set and clear it; it
    // survives a look at the listing; Clear All Breakpoints takes them all.
    void breakpointsComeFromTheMarginAndTheMenu() {
        open("marks.asm", "mov ax,1\r\nmov bx,2\r\nmov cx,3\r\nhlt\r\n");
        const auto clickMargin = [this](int line) {
            const int y = line * view().lineHeight() + view().lineHeight() / 2;
            QTest::mouseClick(view().viewport(), Qt::LeftButton, {}, QPoint(5, y));
        };
        clickMargin(2);
        QVERIFY(hasBreakpoint(2));
        clickMargin(2);
        QVERIFY(!hasBreakpoint(2));
        QVERIFY(!view().hasSelection());

        clickMargin(2);
        QTest::keyClick(&view(), Qt::Key_Down);
        command(cmd::kToggleBreakpoint);
        QVERIFY(hasBreakpoint(1) && hasBreakpoint(2));

        command(cmd::kAssemble);
        QVERIFY(frame_->isListMode());
        command(cmd::kAssemblyCode);
        QVERIFY(!frame_->isListMode());
        QVERIFY(hasBreakpoint(1) && hasBreakpoint(2) && !hasBreakpoint(0));

        command(cmd::kClearBreakpoints);
        QCOMPARE(buffer().findMarker(kBreakpointMarker), -1);
    }

    // Run stops before the breakpoint's line each pass; Continue goes on to the next pass.
    // At the third the registers are those of two passes, and Stop ends the run.
    void aBreakpointStopsARunInALoopsThirdPass() {
        open("loop.asm",
             "        mov cx,5\r\nagain:  add ax,1\r\n        loop again\r\n        hlt\r\n");
        buffer().setLineFlags(1, kBreakpointMarker);
        QStringList seen;
        Stops stops(view(), [&](ExecutionDialog& dialog, int stop) {
            seen.append(registerLine(0));
            QCOMPARE(buffer().findMarker(kExecutionMarker), 1);
            if (stop < 2) {
                dialog.commandButton(StepCommand::Continue)->click();
            } else {
                dialog.stopButton()->click();
            }
        });
        command(cmd::kRun);
        QCOMPARE(seen, (QStringList{"Ax= 0000 Bx= 0000 Cx= 0005", "Ax= 0001 Bx= 0000 Cx= 0004",
                                    "Ax= 0002 Bx= 0000 Cx= 0003"}));
        QVERIFY(hasBreakpoint(1));
    }

    // Step Back undoes the last line: registers and the current line are as before it.
    void stepBackRestoresTheRegisters() {
        open("back.asm", "mov ax,1111\r\nmov bx,2222\r\nmov cx,3333\r\nhlt\r\n");
        QStringList seen;
        Stops stops(view(), [&](ExecutionDialog& dialog, int stop) {
            seen.append(registerLine(0));
            if (stop < 2) {
                QTest::keyClick(&dialog, Qt::Key_F10);
            } else if (stop == 2) {
                dialog.commandButton(StepCommand::StepBack)->click();
            } else {
                QCOMPARE(buffer().findMarker(kExecutionMarker), 1);
                dialog.stopButton()->click();
            }
        });
        command(cmd::kStep);
        QCOMPARE(seen.size(), 4);
        QCOMPARE(seen[3], QString("Ax= 1111 Bx= 0000 Cx= 0000"));
    }

    // While stepping a register is typed in hex and the next line uses it; a changed value
    // is highlighted; a byte typed into the program's code is refused with the kit's message,
    // and the stepping goes on.
    void editsWhileSteppingReachTheNextStep() {
        open("edit.asm", "mov bx,1\r\nadd ax,bx\r\nhlt\r\n");
        RegisterPane& registers = *frame_->registerPanel().registerPane();
        MemoryRowModel& rows = *frame_->registerPanel().memoryRows();
        Stops stops(view(), [&](ExecutionDialog& dialog, int stop) {
            if (stop == 0) {
                QVERIFY(registers.editRegister("AX"));
                QTest::keyClicks(registers.editor(), "z34");  // not hex: "z" never gets in
                QTest::keyClick(registers.editor(), Qt::Key_Return);
                QCOMPARE(kit().cpu.regs[Reg16::AX], std::uint16_t(0x34));
                QVERIFY(registers.changedAt(0, 4));  // "Ax= 0034": changed since the stop

                QVERIFY(registers.editRegister("BX"));
                QTest::keyClicks(registers.editor(), "77");
                QTest::keyClick(registers.editor(), Qt::Key_Escape);
                QCOMPARE(kit().cpu.regs[Reg16::BX], std::uint16_t(0));

                QVERIFY(rows.setData(rows.index(0), "90"));
                QCOMPARE(kit().cpu.memory.bytes()[0], std::uint8_t(0xBB));  // mov bx's opcode
                QCOMPARE(pane(), QString("Error: Cannot replace opcode"));
                QVERIFY(rows.setData(rows.index(0x800), "5A"));
                QCOMPARE(kit().cpu.memory.bytes()[0x800], std::uint8_t(0x5A));
                QVERIFY(rows.changedSinceStop(0x800) && !rows.changedSinceStop(0x801));
                dialog.nextButton()->click();
            } else if (stop == 1) {
                QVERIFY(!registers.changedAt(0, 4) && registers.changedAt(0, 13));  // BX only
                dialog.nextButton()->click();
            } else {
                dialog.stopButton()->click();
            }
        });
        command(cmd::kStep);
        QCOMPARE(kit().cpu.regs[Reg16::AX], std::uint16_t(0x35));
        QCOMPARE(view().driver().lastEnding(), RunEnding::Stopped);  // the refusal ended nothing
    }

    // The register pane from the keyboard while stepping: F6 reaches it, the arrows move its
    // frame, Enter or F2 opens a register (Enter commits, Escape cancels) and Space toggles a
    // flag; the pane's Enter never steps the program.
    void registersAreEditedFromTheKeyboard() {
        open("keys.asm", "mov bx,1\r\nadd ax,bx\r\nhlt\r\n");
        RegisterPane& registers = *frame_->registerPanel().registerPane();
        // As a student's keys come: to the active window, which hands them to its focus.
        const auto press = [](QWidget* window, std::initializer_list<Qt::Key> keys) {
            for (const Qt::Key key : keys) {
                QTest::keyClick(window->windowHandle(), key);
            }
        };
        QStringList names;
        std::uint16_t toggled = 0;
        Stops stops(view(), [&](ExecutionDialog& dialog, int stop) {
            if (stop > 0) {
                dialog.stopButton()->click();
                return;
            }
            press(&dialog, {Qt::Key_F6});
            QTRY_VERIFY(registers.hasFocus());
            QWidget* frame = frame_.get();
            names.append(registers.selectedName());
            press(frame, {Qt::Key_Return, Qt::Key_1, Qt::Key_2, Qt::Key_Return, Qt::Key_Right});
            names.append(registers.selectedName());
            press(frame, {Qt::Key_F2, Qt::Key_7, Qt::Key_Escape});
            QVERIFY(registers.hasFocus() && !registers.editor()->isVisible());
            press(frame, {Qt::Key_Down, Qt::Key_Down, Qt::Key_Down});
            names.append(registers.selectedName());
            press(frame, {Qt::Key_Space});
            toggled = kit().cpu.regs.FLAGS;
            QCOMPARE(kit().currentLine, 0);
            dialog.nextButton()->click();
        });
        command(cmd::kStep);
        QCOMPARE(names.size(), 3);
        QCOMPARE(names[0], QString("AX"));
        QCOMPARE(names[1], QString("BX"));
        const auto flag = QString(kFlagsLegend).indexOf(names[2]);
        QVERIFY2(names[2].size() == 1 && flag >= 0, qPrintable(names[2]));
        QCOMPARE(toggled, std::uint16_t(1U << (15 - flag)));
        QCOMPARE(kit().cpu.regs[Reg16::AX], std::uint16_t(0x12));
        QCOMPARE(kit().cpu.regs[Reg16::BX], std::uint16_t(1));
    }

    // Breakpoints change while stepping, by Ctrl+B on the caret's line, a click in the margin
    // and Clear All Breakpoints, and each Continue goes to the breakpoints as they are then.
    void breakpointsChangeWhileStepping() {
        open("pass.asm",
             "        mov cx,3\r\nagain:  add ax,1\r\n        loop again\r\n        hlt\r\n");
        QList<int> stopLines;
        bool toggled = false;
        Stops stops(view(), [&](ExecutionDialog& dialog, int stop) {
            stopLines.append(kit().currentLine);
            if (stop == 0) {
                view().setCursorPosition({1, 0});
                QTest::keyClick(&dialog, Qt::Key_B, Qt::ControlModifier);
                toggled = hasBreakpoint(1);
            } else if (stop == 1) {
                QTest::keyClick(&view(), Qt::Key_B, Qt::ControlModifier);
                const int y = 2 * view().lineHeight() + view().lineHeight() / 2;
                QTest::mouseClick(view().viewport(), Qt::LeftButton, {}, QPoint(5, y));
            } else {
                QTest::keyClick(&dialog, Qt::Key_F9, Qt::ControlModifier | Qt::ShiftModifier);
            }
            dialog.commandButton(StepCommand::Continue)->click();
        });
        command(cmd::kStep);
        QVERIFY(toggled);
        QCOMPARE(stopLines, (QList<int>{0, 1, 2}));
    }

    // The execution dialog opens where the student last put it; a place off every screen
    // gives way to the default one over the window.
    void theExecutionDialogOpensWhereItWasLeft() {
        open("place.asm", "nop\r\nhlt\r\n");
        writeDialogPlace(QPoint(-30000, -30000));
        QList<QPoint> places;
        const QPoint moved(40, 30);
        for (int opening = 0; opening < 2; ++opening) {
            Stops stops(view(), [&](ExecutionDialog& dialog, int) {
                places.append(dialog.pos());
                if (opening == 0) {
                    dialog.move(dialog.pos() + moved);
                }
                dialog.stopButton()->click();
            });
            command(cmd::kStep);
        }
        QCOMPARE(places.size(), 2);
        QCOMPARE(places[0], frame_->mapToGlobal(dialogUnitsToPixels(QPoint(50, 150))));
        QCOMPARE(places[1], places[0] + moved);
    }

    // Inside a call within a call the stack lists both return addresses, SP's first, each
    // named by where it returns into.
    void theStackNamesReturnAddressesInsideNestedCalls() {
        open("calls.asm",
             "        call outer\r\n        hlt\r\nouter:  call inner\r\n        ret\r\n"
             "inner:  nop\r\n        ret\r\n");
        QStringList rows;
        Stops stops(view(), [&](ExecutionDialog& dialog, int stop) {
            if (stop < 2) {
                dialog.nextButton()->click();
                return;
            }
            const QListWidget& list = *frame_->stackPanel().list();
            for (int i = 0; i < list.count() && i < 2; ++i) {
                rows.append(list.item(i)->text());
            }
            dialog.stopButton()->click();
        });
        command(cmd::kStep);
        QCOMPARE(rows.size(), 2);
        QVERIFY2(rows[0].startsWith("SP>") && rows[0].endsWith("-> outer (line 4)"),
                 qPrintable(rows[0]));
        QVERIFY2(rows[1].startsWith("   ") && rows[1].endsWith("-> line 2"), qPrintable(rows[1]));
    }

    // Ctrl+G in the RAM list takes an address and shows its row; one outside the RAM stays
    // marked in the line. F6 and Shift+F6 go round the panes.
    void goToAddressAndPaneKeys() {
        MemoryList& list = *frame_->registerPanel().memoryList();
        list.view()->setFocus();
        QTest::keyClick(list.view(), Qt::Key_G, Qt::ControlModifier);
        QTRY_VERIFY(list.addressLine()->hasFocus());
        QTest::keyClicks(list.addressLine(), "2000");
        QTest::keyClick(list.addressLine(), Qt::Key_Return);
        QVERIFY(list.addressLine()->isVisible());
        list.addressLine()->clear();
        QTest::keyClicks(list.addressLine(), "1a2bh");
        QTest::keyClick(list.addressLine(), Qt::Key_Return);
        QVERIFY(!list.addressLine()->isVisible());
        QCOMPARE(list.view()->currentIndex().row(), 0xA2B);

        command(cmd::kViewWideMemory);
        QCOMPARE(list.view()->model()->rowCount(), 256);
        QVERIFY(list.goToAddress(0x1A2B));
        QCOMPARE(list.view()->currentIndex().row(), 0xA2);

        view().setFocus();
        command(cmd::kNextPane);
        QVERIFY(list.view()->hasFocus());
        command(cmd::kNextPane);
        QVERIFY(frame_->stackPanel().list()->hasFocus());
        command(cmd::kNextPane);
        QVERIFY(frame_->outputBar().isAncestorOf(QApplication::focusWidget()));
        frame_->panels().setVisible(Panel::Scope, true);
        command(cmd::kNextPane);
        QTRY_VERIFY(frame_->panels().window(Panel::Scope)->hasFocus());
        QTest::keyClick(frame_->panels().window(Panel::Scope), Qt::Key_F6);
        QTRY_VERIFY(view().hasFocus());
        frame_->panels().setVisible(Panel::Scope, false);
        command(cmd::kPreviousPane);
        QVERIFY(frame_->outputBar().isAncestorOf(QApplication::focusWidget()));
        command(cmd::kPreviousPane);
        command(cmd::kPreviousPane);
        command(cmd::kPreviousPane);
        QVERIFY(view().hasFocus());
    }
};

TARVIX_APP_TEST_MAIN(DebuggerTest)

#include "debugger_test.moc"
