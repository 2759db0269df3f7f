#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include "tools/delay_routine.h"
#include "tools/ui/calculator.h"
#include "tools/ui/delay_routine_dialog.h"
#include "tools/ui/number_converter_dialog.h"
#include "tools/ui/segment_codes_dialog.h"

namespace tarvix {

class ToolsUiTest : public QObject {
    Q_OBJECT

private slots:
    void delayDialogPreviewsAndInserts_data();
    void delayDialogPreviewsAndInserts();
    void delayFieldsTakeDigitsOnly();
    void segmentButtonsMakeTheCode();
    void converterRewritesTheOtherFields_data();
    void converterRewritesTheOtherFields();
    void converterNegAndNot();
    void converterOpensReadyForAHexNumber();
    void calculatorStartsTheFirstFound();
};

void ToolsUiTest::delayDialogPreviewsAndInserts_data() {
    QTest::addColumn<QString>("delay");
    QTest::addColumn<QString>("clock");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<bool>("rangeMessage");
    QTest::newRow("1 ms") << "1"
                          << "5" << true << false;
    QTest::newRow("1000 ms at 99 MHz") << "1000"
                                       << "99" << true << false;
    QTest::newRow("empty delay") << ""
                                 << "5" << false << true;
    QTest::newRow("delay 0") << "0"
                             << "5" << false << true;
    QTest::newRow("clock 0") << "10"
                             << "0" << false << false;
    QTest::newRow("empty clock") << "10"
                                 << "" << false << false;
}

void ToolsUiTest::delayDialogPreviewsAndInserts() {
    QFETCH(QString, delay);
    QFETCH(QString, clock);
    QFETCH(bool, accepted);
    QFETCH(bool, rangeMessage);
    DelayRoutineDialog dialog;
    QStringList messages;
    dialog.setMessageHandler([&messages](const QString& text) { messages << text; });
    auto* delayField = dialog.findChild<QLineEdit*>("delay");
    auto* clockField = dialog.findChild<QLineEdit*>("clock");
    auto* preview = dialog.findChild<QPlainTextEdit*>("routine");
    QCOMPARE(clockField->text(), QString("5"));
    QTest::keyClicks(delayField, delay);
    clockField->clear();
    QTest::keyClicks(clockField, clock);

    const auto routine = makeDelayRoutine(delay.toULongLong(), clock.toULongLong());
    QCOMPARE(routine.has_value(), accepted);
    QCOMPARE(preview->toPlainText(),
             routine ? QString::fromLatin1(routine->text).remove('\r') : QString());

    dialog.show();
    dialog.accept();
    QCOMPARE(dialog.result() == QDialog::Accepted, accepted);
    QCOMPARE(dialog.isVisible(), !accepted);
    QCOMPARE(messages,
             rangeMessage ? QStringList{"Enter a number between 1 and 100000"} : QStringList{});
    if (accepted) {
        QCOMPARE(dialog.routineText(), routine->text);
    }
}

void ToolsUiTest::delayFieldsTakeDigitsOnly() {
    DelayRoutineDialog dialog;
    auto* delayField = dialog.findChild<QLineEdit*>("delay");
    auto* clockField = dialog.findChild<QLineEdit*>("clock");
    QTest::keyClicks(delayField, "1a2-3 45678");
    QCOMPARE(delayField->text(), QString("12345"));
    QTest::keyClicks(clockField, "9x9");
    QCOMPARE(clockField->text(), QString("59"));
}

void ToolsUiTest::segmentButtonsMakeTheCode() {
    SegmentCodesDialog dialog;
    auto* hex = dialog.findChild<QLabel*>("hexCode");
    auto* binary = dialog.findChild<QLabel*>("binaryCode");
    QCOMPARE(hex->text(), QString("00 H"));
    QCOMPARE(binary->text(), QString("00000000 B"));
    for (const char* name : {"segment_a", "segment_b", "segment_c"}) {
        QTest::mouseClick(dialog.findChild<QPushButton*>(name), Qt::LeftButton);
    }
    QCOMPARE(hex->text(), QString("07 H"));
    QCOMPARE(binary->text(), QString("00000111 B"));
    QTest::mouseClick(dialog.findChild<QPushButton*>("segment_b"), Qt::LeftButton);
    QTest::mouseClick(dialog.findChild<QPushButton*>("segment_h"), Qt::LeftButton);
    QCOMPARE(hex->text(), QString("85 H"));
    QVERIFY(dialog.findChild<QLabel*>("digitTable")->text().contains(" F  71"));
}

void ToolsUiTest::converterRewritesTheOtherFields_data() {
    QTest::addColumn<bool>("wide");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("shown");  // Hex, Dec, Bin
    QTest::newRow("8 bits cut the typing") << false << "Hex"
                                           << "12G" << QStringList{"12", "18", "00010010"};
    QTest::newRow("lower case") << true << "Hex"
                                << "abc" << QStringList{"ABC", "2748", "0000101010111100"};
    QTest::newRow("300 in 8 bits") << false << "Dec"
                                   << "300" << QStringList{"2C", "300", "00101100"};
    QTest::newRow("12G") << true << "Hex"
                         << "12G" << QStringList{"12G", "18", "0000000000010010"};
    QTest::newRow("binary 16 bits")
        << true << "Bin"
        << "1000000000000001" << QStringList{"8001", "32769", "1000000000000001"};
    QTest::newRow("65535") << true << "Dec"
                           << "65535" << QStringList{"FFFF", "65535", "1111111111111111"};
}

void ToolsUiTest::converterRewritesTheOtherFields() {
    QFETCH(bool, wide);
    QFETCH(QString, source);
    QFETCH(QString, typed);
    QFETCH(QStringList, shown);
    NumberConverterDialog dialog;
    if (wide) {
        QTest::mouseClick(dialog.findChildren<QRadioButton*>().at(1), Qt::LeftButton);
    }
    QTest::keyClicks(dialog.findChild<QLineEdit*>(source), typed);
    QCOMPARE(dialog.findChild<QLineEdit*>("Hex")->text(), shown.at(0));
    QCOMPARE(dialog.findChild<QLineEdit*>("Dec")->text(), shown.at(1));
    QCOMPARE(dialog.findChild<QLineEdit*>("Bin")->text(), shown.at(2));
}

void ToolsUiTest::converterNegAndNot() {
    NumberConverterDialog dialog;
    auto* hex = dialog.findChild<QLineEdit*>("Hex");
    auto* dec = dialog.findChild<QLineEdit*>("Dec");
    auto* bin = dialog.findChild<QLineEdit*>("Bin");
    auto button = [&dialog](const char* text) {
        for (QPushButton* b : dialog.findChildren<QPushButton*>()) {
            if (b->text() == text) {
                QTest::mouseClick(b, Qt::LeftButton);
            }
        }
    };
    QTest::keyClicks(dec, "1");
    button("Neg");
    QCOMPARE(QStringList({hex->text(), dec->text(), bin->text()}),
             QStringList({"FF", "255", "11111111"}));
    // The value is FFFF: the 16-bit view shows all of it once rewritten.
    QTest::mouseClick(dialog.findChildren<QRadioButton*>().at(1), Qt::LeftButton);
    button("Not");
    button("Not");
    QCOMPARE(QStringList({hex->text(), dec->text(), bin->text()}),
             QStringList({"FFFF", "65535", QString(16, '1')}));
    // Back to 8 bits: the decimal text would not fit 3 characters and is shown afresh.
    QTest::mouseClick(dialog.findChildren<QRadioButton*>().at(0), Qt::LeftButton);
    QCOMPARE(QStringList({hex->text(), dec->text(), bin->text()}),
             QStringList({"FF", "255", "11111111"}));
    QCOMPARE(hex->maxLength(), 2);
}

void ToolsUiTest::calculatorStartsTheFirstFound() {
    const QByteArray path = qgetenv("PATH");
    QTemporaryDir folder;
    qputenv("PATH", folder.path().toLocal8Bit());
    QVERIFY(!startCalculator());

    // A stand-in calculator that leaves a mark when started.
    const QString mark = folder.filePath("started");
    QFile program(folder.filePath("xcalc"));
    QVERIFY(program.open(QIODevice::WriteOnly));
    program.write(QString("#!/bin/sh\n: > '%1'\n").arg(mark).toLocal8Bit());
    program.close();
    program.setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    QVERIFY(startCalculator());
    QTRY_VERIFY(QFile::exists(mark));
    qputenv("PATH", path);
}

void ToolsUiTest::converterOpensReadyForAHexNumber() {
    NumberConverterDialog dialog;
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QTRY_VERIFY(dialog.findChild<QLineEdit*>("Hex")->hasFocus());
}

}  // namespace tarvix

QTEST_MAIN(tarvix::ToolsUiTest)
#include "tools_ui_test.moc"
