// What the Tools and a device panel tell a student: the delay routine in the file's own
// encoding, a calculator that is missing, a speaker with no audio device.
#include <QApplication>
#include <QAudioDevice>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMediaDevices>
#include <QTemporaryDir>
#include <QTimer>

#include "app/command_ids.h"
#include "app/main_frame.h"
#include "tests/app/frame_fixture.h"

namespace tarvix {

class ToolsTest : public QObject, private FrameFixture {
    Q_OBJECT

private slots:
    void init() { makeFrame(); }
    void cleanup() { dropFrame(); }

    void theDelayRoutineIsInsertedInTheFilesEncoding_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QByteArray>("micro");  // the routine's sign, as the file holds it
        QTest::newRow("UTF-8") << QByteArray("; caf\xC3\xA9\r\n") << QByteArray("\xC2\xB5sec");
        QTest::newRow("Latin-1") << QByteArray("; caf\xE9\r\n") << QByteArray("\xB5sec");
        QTest::newRow("ASCII") << QByteArray("; cafe\r\n") << QByteArray("\xC2\xB5sec");
    }
    void theDelayRoutineIsInsertedInTheFilesEncoding() {
        QFETCH(QByteArray, file);
        QFETCH(QByteArray, micro);
        QVERIFY(frame_->openDocument(writeFile("delay.asm", file)));
        QTimer::singleShot(0, [] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog != nullptr);
            dialog->findChild<QLineEdit*>("delay")->setText("1");
            dialog->accept();
        });
        command(cmd::kDelayRoutine);
        const QByteArray text = QByteArray::fromStdString(frame_->document().buffer().text());
        QVERIFY2(text.contains(micro), text.constData());
        QCOMPARE(text.count('\xB5'), 1);
    }

    void aMissingCalculatorIsReported() {
        const QByteArray path = qgetenv("PATH");
        QTemporaryDir empty;
        qputenv("PATH", empty.path().toUtf8());
        command(cmd::kCalculator);
        qputenv("PATH", path);
        QCOMPARE(prompts_->errors, QStringList{"No calculator was found on this system."});
    }

    void theSpeakerPanelSaysWhenThereIsNoAudioDevice() {
        const auto* notice = frame_->findChild<QLabel*>("noAudioDevice");
        QVERIFY(notice != nullptr);
        QCOMPARE(!notice->isHidden(), QMediaDevices::audioOutputs().isEmpty());
    }
};

}  // namespace tarvix

TARVIX_APP_TEST_MAIN(tarvix::ToolsTest)

#include "tools_test.moc"
