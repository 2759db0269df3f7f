// The device panel windows and the Peripherals menu on a kit whose chips drive them: each
// window opens with its caption, the LED display's blanking timers, the stepper and the scope
// as they paint, and what each menu command shows, says and checks.
#include "panels/kit_panels.h"

#include <QtTest>

#include "common/output_sink.h"
#include "devices/kit_devices.h"
#include "devices/ppi8255.h"
#include "devices/scope_trace.h"
#include "panels/led8255_panel.h"
#include "panels/led8279_panel.h"
#include "panels/led_digit.h"
#include "panels/peripheral_commands.h"
#include "panels/scope_panel.h"
#include "panels/scope_view.h"
#include "panels/stepper_motor_view.h"
#include "panels/stepper_panel.h"
#include "simulator/kit.h"

namespace tarvix {

namespace {

class CountingLauncher : public TerminalLauncher {
public:
    int launches = 0;
    void launch() override { ++launches; }
};

// A kit whose chips drive real panel windows (owned by no main window), with the output pane
// in memory and a terminal launcher that only counts.
struct WindowedKit {
    WindowedKit() {
        sink.lineSource = &kit.currentLine;
        panels.attachPpi(&kit.devices.ppi);
    }

    MemoryOutputSink sink;
    OutputPane pane{sink};
    KitPanels panels{nullptr};
    RecordedSound sound;
    AbsentTerminal terminal;
    CountingLauncher launcher;
    SteadyClock clock;
    DeviceHost host{panels, sound, terminal, launcher, clock};
    Kit kit{pane, host};
};

constexpr Panel kPanels[] = {Panel::Scope, Panel::Stepper, Panel::Led8255, Panel::Led8279,
                             Panel::Speaker};

QList<Panel> shownPanels(const KitPanels& panels) {
    QList<Panel> shown;
    for (const Panel panel : kPanels) {
        if (panels.isVisible(panel)) {
            shown << panel;
        }
    }
    return shown;
}

// What happens after digit 7 of the 8255 display was lit and then deselected.
enum class Then { Wait, SelectAgain, HideAWhile, TurnPortBToInput };

// Rows of trace pixels, top to bottom, in the given column of the plot.
QList<int> traceRows(const QImage& plot, int x) {
    QList<int> rows;
    for (int y = 0; y < plot.height(); ++y) {
        if (plot.pixel(x, y) == qRgb(0, 255, 0)) {
            rows << y;
        }
    }
    return rows;
}

}  // namespace

class KitPanelsTest : public QObject {
    Q_OBJECT

private slots:
    void eachPanelOpensWithItsCaptionAndItsCloseBoxDisconnects_data() {
        QTest::addColumn<Panel>("panel");
        QTest::addColumn<QString>("caption");
        QTest::newRow("8255 LEDs") << Panel::Led8255 << "Display1 - 8255";
        QTest::newRow("8279 LEDs") << Panel::Led8279 << "Display2 -8279";
        QTest::newRow("stepper") << Panel::Stepper << "StepperMotor- 8255";
        QTest::newRow("scope") << Panel::Scope << "DAC+Oscilloscope - 8255";
        QTest::newRow("speaker") << Panel::Speaker << "Audio Speaker - 8254";
    }

    void eachPanelOpensWithItsCaptionAndItsCloseBoxDisconnects() {
        QFETCH(Panel, panel);
        QFETCH(QString, caption);
        KitPanels panels(nullptr);
        QVERIFY(!panels.isVisible(panel));
        panels.setVisible(panel, true);
        QVERIFY(QTest::qWaitForWindowExposed(panels.window(panel)));
        QCOMPARE(panels.window(panel)->windowTitle(), caption);
        panels.window(panel)->close();
        QVERIFY(!panels.isVisible(panel));
    }

    void theLedDisplaysKeepTheirDigits() {
        KitPanels panels(nullptr);
        panels.setLed8255Digit(7, 0x06);
        panels.setLed8279Digit(15, 0xFF);
        panels.setLed8279Digit(16, 0x3F);  // no such digit
        QCOMPARE(int(panels.led8255().segments(7)), 0x06);
        QCOMPARE(int(panels.led8279().segments(15)), 0xFF);
        QCOMPARE(int(panels.led8279().segments(0)), 0);
    }

    void aDeselectedDigitGoesDarkOnlyAfterItsTimer_data() {
        QTest::addColumn<Then>("then");
        QTest::addColumn<int>("segments");  // at the end
        QTest::newRow("wait") << Then::Wait << 0;
        QTest::newRow("selected again") << Then::SelectAgain << 0x06;
        QTest::newRow("hidden a while, then shown") << Then::HideAWhile << 0;
        QTest::newRow("port B turned input") << Then::TurnPortBToInput << 0x06;
    }

    void aDeselectedDigitGoesDarkOnlyAfterItsTimer() {
        QFETCH(Then, then);
        QFETCH(int, segments);
        WindowedKit w;
        Ppi8255& ppi = w.kit.devices.ppi;
        const Led8255Panel& leds = w.panels.led8255();
        w.panels.setVisible(Panel::Led8255, true);
        QVERIFY(ppi.write(Ppi8255::kControlPort, 0x80));
        QVERIFY(ppi.write(Ppi8255::kPortB, 0xFE));  // the rightmost digit
        QVERIFY(ppi.write(Ppi8255::kPortA, 0x06));
        QVERIFY(ppi.write(Ppi8255::kPortB, 0xFF));
        QVERIFY(leds.blankTimerArmed(7));
        QCOMPARE(int(leds.segments(7)), 0x06);  // still glowing
        if (then == Then::SelectAgain) {
            QVERIFY(ppi.write(Ppi8255::kPortB, 0xFE));
        } else if (then == Then::HideAWhile) {
            w.panels.setVisible(Panel::Led8255, false);
            QTest::qWait(3 * Led8255Panel::kBlankMilliseconds);
            QCOMPARE(int(leds.segments(7)), 0x06);
            w.panels.setVisible(Panel::Led8255, true);
        } else if (then == Then::TurnPortBToInput) {
            QVERIFY(ppi.write(Ppi8255::kControlPort, 0x82));
        }
        QTRY_VERIFY(!leds.blankTimerArmed(7));
        QCOMPARE(int(leds.segments(7)), segments);
        QCOMPARE(w.sink.text.find("8255 port -not in output mode") != std::string::npos,
                 then == Then::TurnPortBToInput);
    }

    // The point is a dot as wide as the segments' pen, centred at (21, 30), and nothing else.
    void theDecimalPointIsAWholeDotAtItsPlace() {
        LedDigit digit;
        digit.setSegments(0x80);
        const QImage image = digit.grab().toImage();
        QRect lit;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                if (image.pixel(x, y) != qRgb(0, 0, 0)) {
                    lit |= QRect(x, y, 1, 1);
                }
            }
        }
        QCOMPARE(lit, QRect(20, 29, 3, 3));
    }

    // Where the window system cannot move the window itself, the panel follows the mouse.
    void aPanelMovesWithTheMouseAnywhereInIt() {
        KitPanels panels(nullptr);
        panels.setVisible(Panel::Led8279, true);
        QWidget* panel = panels.window(Panel::Led8279);
        QVERIFY(QTest::qWaitForWindowExposed(panel));
        const QPoint start = panel->pos();
        QWidget* digit = panel->childAt(10, 10);  // a press on a digit moves the panel too
        QVERIFY(digit != nullptr);
        QTest::mousePress(digit, Qt::LeftButton, {}, {5, 5});
        QTest::mouseMove(digit, {25, 15});
        QTest::mouseRelease(digit, Qt::LeftButton, {}, {25, 15});
        QCOMPARE(panel->pos(), start + QPoint(20, 10));
    }

    // The rotor moves when the motor is painted, on screen or not.
    void theStepperTurnsWhenItRepaints() {
        KitPanels panels(nullptr);
        panels.setVisible(Panel::Stepper, true);
        StepperMotorView* motor = panels.stepper().motor();
        panels.setCoils(0x01);
        motor->grab();
        panels.setCoils(0x32);
        motor->grab();
        QCOMPARE(motor->rotor().toothAngles()[2], 90);
        const auto settled = motor->rotor().toothAngles();
        motor->grab();
        QCOMPARE(motor->rotor().toothAngles(), settled);
    }

    // It samples the DAC only while shown, and each edge of a square wave runs from one level
    // to the other and no further.
    void theScopeDrawsSquareWaveEdgesBetweenTheLevels() {
        KitPanels panels(nullptr);
        ScopePanel& scope = panels.scope();
        panels.setDacValue(0xFF);
        scope.sample();
        QCOMPARE(scope.view()->previous(), 1.0);  // hidden: nothing sampled
        panels.setVisible(Panel::Scope, true);
        panels.setDacValue(0x00);
        QTRY_COMPARE(scope.view()->current(), scopeLevel(0x00));  // the sampling timer
        for (const int level : {0xFF, 0x00, 0xFF, 0x00, 0xFF}) {
            panels.setDacValue(static_cast<std::uint8_t>(level));
            for (int i = 0; i < 6; ++i) {
                scope.sample();
            }
        }
        const QImage plot = scope.view()->plot().toImage();
        int low = 0;
        int high = plot.height();
        for (int x = 0; x < plot.width(); ++x) {
            if (const QList<int> rows = traceRows(plot, x); rows.size() == 1) {
                low = std::max(low, rows.front());
                high = std::min(high, rows.front());
            }
        }
        QVERIFY(high < low);
        int edges = 0;
        for (int x = 0; x < plot.width(); ++x) {
            if (const QList<int> rows = traceRows(plot, x); rows.size() > 1) {
                ++edges;
                QVERIFY2(rows.front() >= high && rows.back() <= low,
                         qPrintable(QString::number(x)));
            }
        }
        QCOMPARE(edges, 5);
    }

    // A hint follows the ports after the pane's own separator.
    void peripheralCommandsToggleSayAndCheck_data() {
        QTest::addColumn<int>("command");
        QTest::addColumn<QList<Panel>>("shown");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("checked");
        const QString ppi = "8255 Ports: A= 20H,B= 22H,C= 24H,Ctrl= 26H ;";
        QTest::newRow("stepper") << int(kStepperCommand) << QList<Panel>{Panel::Stepper}
                                 << ppi + "Lower 4 bits of A for turning the 4 magnets On/Off"
                                 << true;
        QTest::newRow("led55") << int(kLed8255Command) << QList<Panel>{Panel::Led8255}
                               << ppi + "B selects a display; A gives data to the display" << true;
        QTest::newRow("scope") << int(kScopeCommand) << QList<Panel>{Panel::Scope}
                               << ppi + "Port A to give data to the DAC" << true;
        QTest::newRow("led79") << int(kLed8279Command) << QList<Panel>{Panel::Led8279}
                               << "8279 Ports: Data= 30H,Ctrl= 31H" << true;
        QTest::newRow("speaker") << int(kSpeakerCommand) << QList<Panel>{Panel::Speaker}
                                 << "8254 Ports: Ctrl= 43H,Data= 42H" << true;
        QTest::newRow("1 Hz timer") << int(kHwTimerCommand) << QList<Panel>{} << "kept" << true;
        QTest::newRow("terminal") << int(kTerminalCommand) << QList<Panel>{}
                                  << "8251 Ports: Data= 60H, Ctrl= 61H" << false;
        QTest::newRow("keyboard") << int(kKeyboardCommand) << QList<Panel>{} << "kept" << false;
    }

    void peripheralCommandsToggleSayAndCheck() {
        QFETCH(int, command);
        QFETCH(QList<Panel>, shown);
        QFETCH(QString, message);
        QFETCH(bool, checked);
        WindowedKit w;
        w.sink.text = "kept";
        QVERIFY(runPeripheralCommand(command, w.kit, w.panels));
        QCOMPARE(shownPanels(w.panels), shown);
        QCOMPARE(QString::fromStdString(w.sink.text), message);
        QCOMPARE(peripheralChecked(command, w.kit, w.panels), checked);
        QCOMPARE(w.kit.hwTimerEnabled, command == kHwTimerCommand);
        QCOMPARE(w.launcher.launches, command == kTerminalCommand ? 1 : 0);
        if (checked) {
            QVERIFY(runPeripheralCommand(command, w.kit, w.panels));
            QVERIFY(!peripheralChecked(command, w.kit, w.panels));
            QVERIFY(shownPanels(w.panels).isEmpty() && !w.kit.hwTimerEnabled);
        }
        QVERIFY(!runPeripheralCommand(40001, w.kit, w.panels));  // Run is not one of them
    }

    // Each port-A device unplugs the other two, as the connect statement does; the 8279
    // display and the speaker stay.
    void portADevicesExcludeEachOtherAsTheConnectStatementDoes() {
        const std::tuple<int, Panel, const char*> devices[] = {
            {kStepperCommand, Panel::Stepper, "stepper"},
            {kLed8255Command, Panel::Led8255, "led55"},
            {kScopeCommand, Panel::Scope, "scope"}};
        for (const auto& [command, device, name] : devices) {
            WindowedKit menu;
            WindowedKit statement;
            for (WindowedKit* w : {&menu, &statement}) {
                for (const Panel panel : kPanels) {
                    w->panels.setVisible(panel, panel != device);
                }
            }
            QVERIFY(runPeripheralCommand(command, menu.kit, menu.panels));
            statement.kit.ports.connect(name);
            QCOMPARE(shownPanels(menu.panels), shownPanels(statement.panels));
            QCOMPARE(shownPanels(menu.panels),
                     (QList<Panel>{device, Panel::Led8279, Panel::Speaker}));
        }
    }
};

}  // namespace tarvix

QTEST_MAIN(tarvix::KitPanelsTest)
#include "kit_panels_test.moc"
