// The panel windows on a kit whose chips drive them: what each Peripherals command shows,
// says and checks, the LED display's blanking timers, and the Ram & Registers rows.
#include "panels/kit_panels.h"

#include <QListView>
#include <QtTest>

#include "common/output_sink.h"
#include "devices/kit_devices.h"
#include "devices/ppi8255.h"
#include "panels/led8255_panel.h"
#include "panels/memory_list.h"
#include "panels/memory_row_model.h"
#include "panels/peripheral_commands.h"
#include "panels/ram_registers_panel.h"
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

}  // namespace

class KitPanelsTest : public QObject {
    Q_OBJECT

private slots:
    // A hint follows the ports after the pane's own separator.
    void peripheralCommandsShowSayAndCheck_data() {
        QTest::addColumn<int>("command");
        QTest::addColumn<QString>("caption");  // of the window it shows, if any
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("checked");
        const QString ppi = "8255 Ports: A= 20H,B= 22H,C= 24H,Ctrl= 26H ;";
        QTest::newRow("stepper") << int(kStepperCommand) << "StepperMotor- 8255"
                                 << ppi + "Lower 4 bits of A for turning the 4 magnets On/Off"
                                 << true;
        QTest::newRow("led55") << int(kLed8255Command) << "Display1 - 8255"
                               << ppi + "B selects a display; A gives data to the display" << true;
        QTest::newRow("scope") << int(kScopeCommand) << "DAC+Oscilloscope - 8255"
                               << ppi + "Port A to give data to the DAC" << true;
        QTest::newRow("led79") << int(kLed8279Command) << "Display2 -8279"
                               << "8279 Ports: Data= 30H,Ctrl= 31H" << true;
        QTest::newRow("speaker") << int(kSpeakerCommand) << "Audio Speaker - 8254"
                                 << "8254 Ports: Ctrl= 43H,Data= 42H" << true;
        QTest::newRow("1 Hz timer") << int(kHwTimerCommand) << ""
                                    << "kept" << true;
        QTest::newRow("terminal") << int(kTerminalCommand) << ""
                                  << "8251 Ports: Data= 60H, Ctrl= 61H" << false;
    }

    // A panel's close box disconnects it; a second command turns anything checked off.
    void peripheralCommandsShowSayAndCheck() {
        QFETCH(int, command);
        QFETCH(QString, caption);
        QFETCH(QString, message);
        QFETCH(bool, checked);
        WindowedKit w;
        w.sink.text = "kept";
        QVERIFY(runPeripheralCommand(command, w.kit, w.panels));
        const QList<Panel> shown = shownPanels(w.panels);
        QCOMPARE(shown.size(), caption.isEmpty() ? 0 : 1);
        QCOMPARE(QString::fromStdString(w.sink.text), message);
        QCOMPARE(peripheralChecked(command, w.kit, w.panels), checked);
        QCOMPARE(w.kit.hwTimerEnabled, command == kHwTimerCommand);
        QCOMPARE(w.launcher.launches, command == kTerminalCommand ? 1 : 0);
        if (!shown.isEmpty()) {
            QWidget* window = w.panels.window(shown.front());
            QVERIFY(QTest::qWaitForWindowExposed(window));
            QCOMPARE(window->windowTitle(), caption);
            window->close();
            QVERIFY(!peripheralChecked(command, w.kit, w.panels));
            QVERIFY(runPeripheralCommand(command, w.kit, w.panels));
        }
        if (checked) {
            QVERIFY(runPeripheralCommand(command, w.kit, w.panels));
            QVERIFY(shownPanels(w.panels).isEmpty() && !w.kit.hwTimerEnabled);
        }
    }

    // Each port-A device unplugs the other two, as the connect statement does.
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
        }
    }

    // A deselected digit goes dark when its timer fires, unless it was selected again
    // meanwhile; a hidden panel keeps its digits until it is shown again.
    void aDeselectedDigitGoesDarkOnlyAfterItsTimer() {
        WindowedKit w;
        const Led8255Panel& leds = w.panels.led8255();
        w.panels.setVisible(Panel::Led8255, true);
        const std::pair<std::uint16_t, std::uint8_t> writes[] = {
            {Ppi8255::kControlPort, 0x80},
            {Ppi8255::kPortB, 0xFE},
            {Ppi8255::kPortA, 0x06},
            {Ppi8255::kPortB, 0xFD},
            {Ppi8255::kPortB, 0xFE}};  // digit 7, then 6, then 7 again
        for (const auto& [port, value] : writes) {
            QVERIFY(w.kit.devices.ppi.write(port, value));
        }
        QVERIFY(leds.blankTimerArmed(6) && leds.blankTimerArmed(7));
        w.panels.setVisible(Panel::Led8255, false);
        QTest::qWait(3 * Led8255Panel::kBlankMilliseconds);
        QCOMPARE(int(leds.segments(6)), 0x06);
        w.panels.setVisible(Panel::Led8255, true);
        QTRY_VERIFY(!leds.blankTimerArmed(6) && !leds.blankTimerArmed(7));
        QCOMPARE(int(leds.segments(6)), 0);
        QCOMPARE(int(leds.segments(7)), 0x06);
    }

    // Control characters show as the OEM font's pictures, so a line feed does not make its
    // row taller; every row is read again when the memory changes. The row's text is the
    // core's.
    void ramRowsShowTheMemoryAsTheOemFontDraws() {
        const std::pair<std::uint8_t, QString> rows[] = {
            {0xFF, QString("1005:   FF  255  ") + QChar(0x2302)},
            {0x0A, QString("1005:   0A   10  ") + QChar(0x25D9)},
            {0x8A, QString("1005:   8A  138  ") + QChar(0x25D9)},
        };
        std::array<std::uint8_t, kMemorySize> memory{};
        RamRegistersPanel panel;
        panel.setMemory(&memory);
        QAbstractItemModel* model = panel.memoryList()->view()->model();
        const int oneLine = panel.memoryList()->view()->sizeHintForRow(0);
        QSignalSpy changed(panel.memoryRows(), &QAbstractItemModel::dataChanged);
        for (const auto& [value, text] : rows) {
            memory[5] = value;
            panel.invalidateMemory();
            QCOMPARE(model->data(model->index(5, 0)).toString(), text);
            QCOMPARE(panel.memoryList()->view()->sizeHintForRow(5), oneLine);
        }
        QCOMPARE(changed.count(), int(std::size(rows)));
        QCOMPARE(changed[0][1].toModelIndex().row(), 4095);
    }
};

}  // namespace tarvix

QTEST_MAIN(tarvix::KitPanelsTest)
#include "kit_panels_test.moc"
