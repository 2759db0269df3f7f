#include "panels/kit_panels.h"

#include <QtTest>

#include "devices/ppi8255.h"
#include "devices/scope_trace.h"
#include "panels/led8255_panel.h"
#include "panels/led8279_panel.h"
#include "panels/led_digit.h"
#include "panels/scope_panel.h"
#include "panels/scope_view.h"
#include "panels/stepper_motor_view.h"
#include "panels/stepper_panel.h"
#include "tests/panels/windowed_kit.h"

namespace tarvix {

class KitPanelsTest : public QObject {
    Q_OBJECT

private:
    // The 8255 with every port an output and the LED display connected.
    static void connectLeds(WindowedKit& w) {
        w.panels.setVisible(Panel::Led8255, true);
        QVERIFY(w.kit.devices.ppi.write(Ppi8255::kControlPort, 0x80));
    }

    // The rotor moves when the motor is painted, on screen or not.
    static void paint(QWidget* widget) { widget->grab(); }

    static bool writeB(WindowedKit& w, std::uint8_t value) {
        return w.kit.devices.ppi.write(Ppi8255::kPortB, value);
    }

private slots:
    void panelsStartHiddenAndShowOnlyWhenAsked() {
        KitPanels panels(nullptr);
        for (const Panel panel :
             {Panel::Scope, Panel::Stepper, Panel::Led8255, Panel::Led8279, Panel::Speaker}) {
            QVERIFY(!panels.isVisible(panel));
            QVERIFY(panels.window(panel)->isWindow());
            panels.setVisible(panel, true);
            QVERIFY(panels.isVisible(panel));
            panels.window(panel)->close();  // the close box disconnects the device
            QVERIFY(!panels.isVisible(panel));
        }
    }

    // Where the window system cannot move the window itself, the panel follows the mouse.
    void panelMovesWithTheMouseAnywhereInIt() {
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

    void captionsAreTheKits() {
        KitPanels panels(nullptr);
        QCOMPARE(panels.window(Panel::Led8255)->windowTitle(), QString("Display1 - 8255"));
        QCOMPARE(panels.window(Panel::Led8279)->windowTitle(), QString("Display2 -8279"));
        QCOMPARE(panels.window(Panel::Stepper)->windowTitle(), QString("StepperMotor- 8255"));
        QCOMPARE(panels.window(Panel::Scope)->windowTitle(), QString("DAC+Oscilloscope - 8255"));
        QCOMPARE(panels.window(Panel::Speaker)->windowTitle(), QString("Audio Speaker - 8254"));
    }

    void digitsKeepTheirPatterns() {
        KitPanels panels(nullptr);
        panels.setLed8255Digit(7, 0x06);
        panels.setLed8279Digit(15, 0xFF);
        panels.setLed8279Digit(16, 0x3F);  // no such digit
        QCOMPARE(int(panels.led8255().segments(7)), 0x06);
        QCOMPARE(int(panels.led8279().segments(15)), 0xFF);
        QCOMPARE(panels.led8279().digitCount(), 16);
        QCOMPARE(panels.led8255().digitCount(), 8);
    }

    // The point is a dot as wide as the segments' pen, centred at (21, 30), and nothing else.
    void decimalPointIsAWholeDotAtItsPlace() {
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

    void deselectedDigitGoesDarkAfterItsTimer() {
        WindowedKit w;
        connectLeds(w);
        QVERIFY(writeB(w, 0xFE));
        QVERIFY(w.kit.devices.ppi.write(Ppi8255::kPortA, 0x06));
        QCOMPARE(int(w.panels.led8255().segments(7)), 0x06);
        QVERIFY(writeB(w, 0xFF));
        QVERIFY(w.panels.led8255().blankTimerArmed(7));
        QCOMPARE(int(w.panels.led8255().segments(7)), 0x06);  // still glowing
        QTRY_COMPARE(int(w.panels.led8255().segments(7)), 0);
        QVERIFY(!w.panels.led8255().blankTimerArmed(7));
    }

    void digitSelectedAgainStaysLit() {
        WindowedKit w;
        connectLeds(w);
        QVERIFY(writeB(w, 0xFE));
        QVERIFY(w.kit.devices.ppi.write(Ppi8255::kPortA, 0x06));
        QVERIFY(writeB(w, 0xFF));
        QVERIFY(writeB(w, 0xFE));
        QTRY_VERIFY(!w.panels.led8255().blankTimerArmed(7));
        QCOMPARE(int(w.panels.led8255().segments(7)), 0x06);
    }

    void timerWaitsWhileThePanelIsHidden() {
        WindowedKit w;
        connectLeds(w);
        QVERIFY(writeB(w, 0xFE));
        QVERIFY(w.kit.devices.ppi.write(Ppi8255::kPortA, 0x06));
        QVERIFY(writeB(w, 0xFF));
        w.panels.setVisible(Panel::Led8255, false);
        QTest::qWait(3 * Led8255Panel::kBlankMilliseconds);
        QVERIFY(w.panels.led8255().blankTimerArmed(7));
        QCOMPARE(int(w.panels.led8255().segments(7)), 0x06);
        w.panels.setVisible(Panel::Led8255, true);
        QTRY_COMPARE(int(w.panels.led8255().segments(7)), 0);
    }

    void portBTurnedInputLeavesTheDigitAndSaysWhy() {
        WindowedKit w;
        connectLeds(w);
        QVERIFY(writeB(w, 0xFE));
        QVERIFY(w.kit.devices.ppi.write(Ppi8255::kPortA, 0x06));
        QVERIFY(writeB(w, 0xFF));
        QVERIFY(w.kit.devices.ppi.write(Ppi8255::kControlPort, 0x82));  // B input
        QTRY_VERIFY(!w.panels.led8255().blankTimerArmed(7));
        QCOMPARE(int(w.panels.led8255().segments(7)), 0x06);
        QVERIFY(w.sink.text.find("8255 port -not in output mode") != std::string::npos);
    }

    void stepperTurnsWhenItRepaints() {
        KitPanels panels(nullptr);
        panels.setVisible(Panel::Stepper, true);
        panels.setCoils(0x01);
        paint(panels.stepper().motor());
        panels.setCoils(0x32);
        QCOMPARE(int(panels.stepper().motor()->coils()), 0x32);
        paint(panels.stepper().motor());
        QCOMPARE(panels.stepper().motor()->rotor().toothAngles()[2], 90);
        const auto settled = panels.stepper().motor()->rotor().toothAngles();
        paint(panels.stepper().motor());
        QCOMPARE(panels.stepper().motor()->rotor().toothAngles(), settled);
    }

    // Rows of trace pixels, top to bottom, in the given column of the plot.
    static QList<int> traceRows(const QImage& plot, int x) {
        QList<int> rows;
        for (int y = 0; y < plot.height(); ++y) {
            if (plot.pixel(x, y) == qRgb(0, 255, 0)) {
                rows << y;
            }
        }
        return rows;
    }

    // Each edge of a square wave runs from one level to the other and no further.
    void squareWaveEdgesStopAtTheLevels() {
        KitPanels panels(nullptr);
        ScopePanel& scope = panels.scope();
        panels.setVisible(Panel::Scope, true);
        for (const int level : {0x00, 0xFF, 0x00, 0xFF, 0x00}) {
            panels.setDacValue(static_cast<std::uint8_t>(level));
            for (int i = 0; i < 6; ++i) {
                scope.sample();
            }
        }
        const QImage plot = scope.view()->plot().toImage();
        int low = 0;
        int high = plot.height();
        int edges = 0;
        for (int x = 0; x < plot.width(); ++x) {
            const QList<int> rows = traceRows(plot, x);
            if (rows.size() == 1) {
                low = std::max(low, rows.front());
                high = std::min(high, rows.front());
            }
        }
        QVERIFY(high < low);
        for (int x = 0; x < plot.width(); ++x) {
            const QList<int> rows = traceRows(plot, x);
            if (rows.size() > 1) {
                ++edges;
                QVERIFY2(rows.front() >= high && rows.back() <= low,
                         qPrintable(QString::number(x)));
            }
        }
        QCOMPARE(edges, 4);
    }

    void scopeSamplesTheDacOnlyWhileShown() {
        KitPanels panels(nullptr);
        ScopePanel& scope = panels.scope();
        panels.setDacValue(0xFF);
        scope.sample();
        QCOMPARE(scope.view()->previous(), 1.0);  // hidden: nothing sampled
        panels.setVisible(Panel::Scope, true);
        scope.sample();
        QCOMPARE(scope.view()->current(), scopeLevel(0xFF));
        panels.setDacValue(0x00);
        QTRY_COMPARE(scope.view()->current(), scopeLevel(0x00));  // the sampling timer
    }
};

}  // namespace tarvix

QTEST_MAIN(tarvix::KitPanelsTest)
#include "kit_panels_test.moc"
