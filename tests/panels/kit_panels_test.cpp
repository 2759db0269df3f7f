// The panel windows on a kit whose chips drive them: what each Peripherals command shows,
// says and checks, and the Ram & Registers rows. The 8255 digits' blanking rules are the
// device's (tests/devices).
#include "panels/kit_panels.h"

#include <QListView>
#include <QtTest>

#include "common/output_sink.h"
#include "devices/kit_devices.h"
#include "panels/led8279_panel.h"
#include "panels/memory_list.h"
#include "panels/memory_row_model.h"
#include "panels/peripheral_commands.h"
#include "panels/ram_registers_panel.h"
#include "panels/scope_panel.h"
#include "simulator/kit.h"
#include "tests/kit_fakes.h"
#include "tools/segment_codes.h"

namespace tarvix {

namespace {

// A kit whose chips drive real panel windows (owned by no main window), with the output pane
// in memory and a terminal launcher that only counts.
struct WindowedKit {
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
    // Each panel's command names its chip's ports in the Output pane (common/messages).
    void peripheralCommandsShowAndCheck_data() {
        QTest::addColumn<int>("command");
        QTest::addColumn<QString>("caption");  // of the window it shows, if any
        QTest::addColumn<bool>("checked");
        QTest::newRow("stepper") << int(kStepperCommand) << "StepperMotor- 8255" << true;
        QTest::newRow("led55") << int(kLed8255Command) << "Display1 - 8255" << true;
        QTest::newRow("scope") << int(kScopeCommand) << "DAC+Oscilloscope - 8255" << true;
        QTest::newRow("led79") << int(kLed8279Command) << "Display2 -8279" << true;
        QTest::newRow("speaker") << int(kSpeakerCommand) << "Audio Speaker - 8254" << true;
        QTest::newRow("1 Hz timer") << int(kHwTimerCommand) << "" << true;
        QTest::newRow("terminal") << int(kTerminalCommand) << "" << false;
    }

    // A panel's close box disconnects it; a second command turns anything checked off.
    void peripheralCommandsShowAndCheck() {
        QFETCH(int, command);
        QFETCH(QString, caption);
        QFETCH(bool, checked);
        WindowedKit w;
        QVERIFY(runPeripheralCommand(command, w.kit, w.panels));
        const QList<Panel> shown = shownPanels(w.panels);
        QCOMPARE(shown.size(), caption.isEmpty() ? 0 : 1);
        QVERIFY(caption.isEmpty() ||
                w.sink.text.starts_with(caption.right(4).toStdString() + " Ports"));
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
            statement.kit.ports.connect(PortBus::deviceNamed(name));
            QCOMPARE(shownPanels(menu.panels), shownPanels(statement.panels));
        }
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

    // For screen readers each panel says what it shows: the characters the digits' segments
    // draw (other patterns as codes), the scope's last value, and a RAM row that changed.
    void panelsDescribeWhatTheyShow() {
        WindowedKit w;
        w.panels.setLed8279Digit(0, digitSegmentCode(4));
        w.panels.setLed8279Digit(1, 0x40);
        w.panels.setLed8279Digit(2, 0x76);
        QCOMPARE(w.panels.led8279().accessibleDescription(), "4-[76H]" + QString(13, ' '));
        w.panels.setVisible(Panel::Scope, true);
        w.panels.setDacValue(0xA5);
        w.panels.scope().sample();
        QCOMPARE(w.panels.scope().accessibleDescription(), QString("Last value A5H"));

        std::array<std::uint8_t, kMemorySize> memory{};
        RamRegistersPanel panel;
        panel.setMemory(&memory);
        memory[3] = 1;
        panel.invalidateMemory();
        const auto said = [&](int row) {
            QAbstractItemModel* model = panel.memoryList()->view()->model();
            return model->data(model->index(row, 0), Qt::AccessibleDescriptionRole).toString();
        };
        QCOMPARE(said(3), QString("changed"));
        QCOMPARE(said(4), QString());
        panel.markStop();
        QCOMPARE(said(3), QString());
    }
};

}  // namespace tarvix

QTEST_MAIN(tarvix::KitPanelsTest)
#include "kit_panels_test.moc"
