// The tool dialogs as a user fills them in: the delay routine's preview and checks, the
// seven-segment buttons, the number converter's fields and buttons, and the calculator
// launcher. The numbers themselves are the core's (tests/tools/).
#include <QApplication>
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
    void delayDialogPreviewsChecksAndInserts_data();
    void delayDialogPreviewsChecksAndInserts();
    void segmentButtonsMakeTheCode();
    void converterFieldsFollowTheTypingTheModeAndTheButtons();
    void calculatorStartsTheFirstFound();
};

void ToolsUiTest::delayDialogPreviewsChecksAndInserts_data() {
    QTest::addColumn<QString>("delay");
    QTest::addColumn<QString>("clock");
    QTest::addColumn<QStringList>("messages");
    const QStringList none;
    QTest::newRow("1 ms at 5 MHz") << "1"
                                   << "5" << none;
    QTest::newRow("empty delay") << ""
                                 << "5" << QStringList{"Enter a number between 1 and 100000"};
    QTest::newRow("clock 0") << "10"
                             << "0" << none;
}

// Only digits get into the fields; the preview is the routine that OK inserts; a delay out
// of range is said, a clock of 0 keeps the dialog open silently.
void ToolsUiTest::delayDialogPreviewsChecksAndInserts() {
    QFETCH(QString, delay);
    QFETCH(QString, clock);
    QFETCH(QStringList, messages);
    DelayRoutineDialog dialog;
    QStringList said;
    dialog.setMessageHandler([&said](const QString& text) { said << text; });
    auto* delayField = dialog.findChild<QLineEdit*>("delay");
    auto* clockField = dialog.findChild<QLineEdit*>("clock");
    QCOMPARE(clockField->text(), QString("5"));
    QTest::keyClicks(delayField, delay + "x-");
    QCOMPARE(delayField->text(), delay);
    clockField->clear();
    QTest::keyClicks(clockField, clock);

    const auto routine = makeDelayRoutine(delay.toULongLong(), clock.toULongLong());
    QCOMPARE(dialog.findChild<QPlainTextEdit*>("routine")->toPlainText(),
             routine ? QString::fromLatin1(routine->text).remove('\r') : QString());
    dialog.show();
    dialog.accept();
    QCOMPARE(dialog.isVisible(), !routine);
    QCOMPARE(said, messages);
    if (routine) {
        QCOMPARE(dialog.routineText(), routine->text);
    }
}

void ToolsUiTest::segmentButtonsMakeTheCode() {
    SegmentCodesDialog dialog;
    auto* hex = dialog.findChild<QLabel*>("hexCode");
    auto* binary = dialog.findChild<QLabel*>("binaryCode");
    QCOMPARE(hex->text(), QString("00 H"));
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

// It opens ready for a hexadecimal number; a field typed into rewrites the others; the
// mode cuts what is typed; a text the new mode would cut is shown afresh.
void ToolsUiTest::converterFieldsFollowTheTypingTheModeAndTheButtons() {
    NumberConverterDialog dialog;
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    auto* hex = dialog.findChild<QLineEdit*>("Hex");
    auto* dec = dialog.findChild<QLineEdit*>("Dec");
    auto* bin = dialog.findChild<QLineEdit*>("Bin");
    const auto shown = [&] { return QStringList{hex->text(), dec->text(), bin->text()}; };
    const auto click = [&dialog](const QString& text) {
        for (QAbstractButton* button : dialog.findChildren<QAbstractButton*>()) {
            if (button->text() == text) {
                QTest::mouseClick(button, Qt::LeftButton);
            }
        }
    };
    QTRY_VERIFY(hex->hasFocus());
    QTest::keyClicks(hex, "12G");
    QCOMPARE(shown(), (QStringList{"12", "18", "00010010"}));
    click("16 BIT");
    QTest::keyClicks(hex, "abc");
    QCOMPARE(shown(), (QStringList{"12AB", "4779", "0001001010101011"}));
    dec->clear();
    QTest::keyClicks(dec, "1");
    click("Neg");
    click("Not");
    click("Not");
    QCOMPARE(shown(), (QStringList{"FFFF", "65535", QString(16, '1')}));
    click("8 BIT");
    QCOMPARE(shown(), (QStringList{"FF", "255", "11111111"}));
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

}  // namespace tarvix

QTEST_MAIN(tarvix::ToolsUiTest)
#include "tools_ui_test.moc"
