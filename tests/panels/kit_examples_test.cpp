// The kit's examples run in the simulator with real panel windows must leave the panels as
// tarvix-run, with its headless records, reports them.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

#include "editor/x86_text_buffer.h"
#include "panels/led8255_panel.h"
#include "panels/led8279_panel.h"
#include "panels/scope_panel.h"
#include "panels/stepper_motor_view.h"
#include "panels/stepper_panel.h"
#include "simulator/execution_driver.h"
#include "simulator/headless_run_host.h"
#include "tests/panels/windowed_kit.h"
#include "tests/scratch_folder.h"

namespace tarvix {

namespace {

constexpr int kMaxSteps = 2'000'000;

struct ConnectName {
    Panel panel;
    const char* name;
};

constexpr std::array<ConnectName, kPanelCount> kConnectNames{{
    {Panel::Scope, "scope"},
    {Panel::Stepper, "stepper"},
    {Panel::Led8255, "led55"},
    {Panel::Led8279, "led79"},
    {Panel::Speaker, "speaker"},
}};

QJsonObject tarvixRunDevices(const QString& source) {
    QProcess run;
    run.start(TARVIX_RUN,
              {"--json", "--no-terminal", "--max-steps", QString::number(kMaxSteps), source});
    if (!run.waitForFinished(60'000)) {
        return {};
    }
    return QJsonDocument::fromJson(run.readAllStandardOutput()).object()["devices"].toObject();
}

QStringList hexBytes(const LedPanel& panel) {
    QStringList bytes;
    for (int d = 0; d < panel.digitCount(); ++d) {
        bytes << QString("%1").arg(panel.segments(d), 2, 16, QChar('0')).toUpper();
    }
    return bytes;
}

QStringList strings(const QJsonArray& array) {
    QStringList list;
    for (const QJsonValue& value : array) {
        list << value.toString();
    }
    return list;
}

}  // namespace

class KitExamplesTest : public QObject {
    Q_OBJECT

private slots:
    void panelsMatchTheHeadlessRun_data() {
        QTest::addColumn<QString>("example");
        for (const char* name :
             {"leds", "led_counter", "stepper", "message8279", "dac_waves", "tone"}) {
            QTest::newRow(name) << name;
        }
    }

    void panelsMatchTheHeadlessRun() {
        QFETCH(QString, example);
        ScratchFolder folder;
        const std::filesystem::path source = folder.path() / (example.toStdString() + ".asm");
        std::filesystem::copy_file(
            std::filesystem::path(TARVIX_SOURCE_DIR) / "examples" / source.filename(), source);

        const QJsonObject expected = tarvixRunDevices(QString::fromStdString(source.string()));
        QVERIFY2(!expected.isEmpty(), "tarvix-run gave no report");

        WindowedKit w;
        CX86TextBuffer buffer;
        QVERIFY(buffer.loadFile(source.string()));
        HeadlessRunHost host(source.string());
        ExecutionDriver driver(w.kit, buffer, host, w.clock);
        driver.setInstructionLimit(kMaxSteps);
        driver.run();

        QStringList connected;
        for (const ConnectName& entry : kConnectNames) {
            if (w.panels.isVisible(entry.panel)) {
                connected << entry.name;
            }
        }
        QCOMPARE(connected, strings(expected["connected"].toArray()));
        QCOMPARE(hexBytes(w.panels.led8255()), strings(expected["led8255"].toArray()));
        QCOMPARE(hexBytes(w.panels.led8279()), strings(expected["led8279"].toArray()));
        QCOMPARE(w.panels.stepper().motor()->coils(),
                 std::uint8_t(expected["stepper"].toString().toUInt(nullptr, 16)));
        QCOMPARE(w.panels.scope().dacValue(),
                 std::uint8_t(expected["dac"].toString().toUInt(nullptr, 16)));
        QCOMPARE(w.sound.frequency, expected["speakerHz"].toInt());
    }
};

}  // namespace tarvix

QTEST_MAIN(tarvix::KitExamplesTest)
#include "kit_examples_test.moc"
