#include "panels/peripheral_commands.h"

#include <QtTest>
#include <set>

#include "tests/panels/windowed_kit.h"

namespace tarvix {

namespace {

std::set<Panel> shownPanels(const KitPanels& panels) {
    std::set<Panel> shown;
    for (const Panel panel :
         {Panel::Scope, Panel::Stepper, Panel::Led8255, Panel::Led8279, Panel::Speaker}) {
        if (panels.isVisible(panel)) {
            shown.insert(panel);
        }
    }
    return shown;
}

}  // namespace

class PeripheralCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void panelCommandsToggleAndSayThePorts_data() {
        QTest::addColumn<int>("command");
        QTest::addColumn<int>("panel");
        QTest::addColumn<QString>("message");
        // A hint follows the ports after the pane's own separator.
        const QString ppi = "8255 Ports: A= 20H,B= 22H,C= 24H,Ctrl= 26H ;";
        QTest::newRow("stepper") << int(kStepperCommand) << int(Panel::Stepper)
                                 << ppi + "Lower 4 bits of A for turning the 4 magnets On/Off";
        QTest::newRow("led55") << int(kLed8255Command) << int(Panel::Led8255)
                               << ppi + "B selects a display; A gives data to the display";
        QTest::newRow("scope") << int(kScopeCommand) << int(Panel::Scope)
                               << ppi + "Port A to give data to the DAC";
        QTest::newRow("led79") << int(kLed8279Command) << int(Panel::Led8279)
                               << "8279 Ports: Data= 30H,Ctrl= 31H";
        QTest::newRow("speaker") << int(kSpeakerCommand) << int(Panel::Speaker)
                                 << "8254 Ports: Ctrl= 43H,Data= 42H";
    }

    void panelCommandsToggleAndSayThePorts() {
        QFETCH(int, command);
        QFETCH(int, panel);
        QFETCH(QString, message);
        WindowedKit w;
        w.sink.text = "old text";
        QVERIFY(runPeripheralCommand(command, w.kit, w.panels));
        QVERIFY(w.panels.isVisible(Panel(panel)));
        QVERIFY(peripheralChecked(command, w.kit, w.panels));
        QCOMPARE(QString::fromStdString(w.sink.text), message);
        QVERIFY(runPeripheralCommand(command, w.kit, w.panels));
        QVERIFY(!w.panels.isVisible(Panel(panel)));
        QVERIFY(!peripheralChecked(command, w.kit, w.panels));
    }

    // Each port-A device unplugs the other two; the 8279 display and the speaker stay.
    void portADevicesExcludeEachOther_data() {
        QTest::addColumn<int>("command");
        QTest::addColumn<int>("shown");
        QTest::newRow("stepper") << int(kStepperCommand) << int(Panel::Stepper);
        QTest::newRow("led55") << int(kLed8255Command) << int(Panel::Led8255);
        QTest::newRow("scope") << int(kScopeCommand) << int(Panel::Scope);
    }

    void portADevicesExcludeEachOther() {
        QFETCH(int, command);
        QFETCH(int, shown);
        WindowedKit w;
        for (const Panel panel :
             {Panel::Scope, Panel::Stepper, Panel::Led8255, Panel::Led8279, Panel::Speaker}) {
            w.panels.setVisible(panel, true);
        }
        w.panels.setVisible(Panel(shown), false);
        QVERIFY(runPeripheralCommand(command, w.kit, w.panels));
        QCOMPARE(shownPanels(w.panels),
                 (std::set<Panel>{Panel(shown), Panel::Led8279, Panel::Speaker}));
    }

    void menuAndConnectStatementAgree() {
        WindowedKit menu;
        WindowedKit statement;
        QVERIFY(runPeripheralCommand(kScopeCommand, menu.kit, menu.panels));
        statement.kit.ports.connect("scope");
        QVERIFY(runPeripheralCommand(kLed8255Command, menu.kit, menu.panels));
        statement.kit.ports.connect("LED55");
        QCOMPARE(shownPanels(menu.panels), shownPanels(statement.panels));
    }

    void hwTimerTogglesAndIsCheckedWhileSet() {
        WindowedKit w;
        QVERIFY(runPeripheralCommand(kHwTimerCommand, w.kit, w.panels));
        QVERIFY(w.kit.hwTimerEnabled);
        QVERIFY(peripheralChecked(kHwTimerCommand, w.kit, w.panels));
        QVERIFY(runPeripheralCommand(kHwTimerCommand, w.kit, w.panels));
        QVERIFY(!w.kit.hwTimerEnabled);
        QVERIFY(!peripheralChecked(kHwTimerCommand, w.kit, w.panels));
    }

    void terminalStartsLikeTheConnectStatement() {
        WindowedKit w;
        QVERIFY(runPeripheralCommand(kTerminalCommand, w.kit, w.panels));
        QCOMPARE(w.launcher.launches, 1);
        QCOMPARE(QString::fromStdString(w.sink.text), QString("8251 Ports: Data= 60H, Ctrl= 61H"));
        QVERIFY(!peripheralChecked(kTerminalCommand, w.kit, w.panels));
    }

    void keyboardDoesNothing() {
        WindowedKit w;
        w.sink.text = "kept";
        QVERIFY(runPeripheralCommand(kKeyboardCommand, w.kit, w.panels));
        QVERIFY(shownPanels(w.panels).empty());
        QCOMPARE(QString::fromStdString(w.sink.text), QString("kept"));
        QVERIFY(!peripheralChecked(kKeyboardCommand, w.kit, w.panels));
    }

    void otherIdsAreNotPeripheralCommands() {
        WindowedKit w;
        QVERIFY(!runPeripheralCommand(40001, w.kit, w.panels));
        QVERIFY(!peripheralChecked(40001, w.kit, w.panels));
    }
};

}  // namespace tarvix

QTEST_MAIN(tarvix::PeripheralCommandsTest)
#include "peripheral_commands_test.moc"
