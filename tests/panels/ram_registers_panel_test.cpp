// The Ram & Registers pane: a row per byte of the kit's RAM as the OEM font draws it, the
// register lines, its layout, and the keys it keeps from the frame.
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QSignalSpy>
#include <QtTest>

#include "panels/memory_list.h"
#include "panels/memory_row_model.h"
#include "panels/ram_registers_panel.h"
#include "panels/register_pane.h"
#include "simulator/cpu_registers.h"
#include "simulator/register_text.h"

namespace tarvix {

class RamRegistersPanelTest : public QObject {
    Q_OBJECT

private:
    static QString rowText(RamRegistersPanel& panel, int row) {
        QAbstractItemModel* model = panel.memoryList()->view()->model();
        return model->data(model->index(row, 0)).toString();
    }

private slots:
    // Control characters show as the OEM font's pictures, so a line feed or carriage return
    // does not make its row taller.
    void rowsShowTheMemoryAsTheOemFontDraws_data() {
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("letter A") << 0x41 << "1005:   41   65  A";
        QTest::newRow("FF keeps 7F") << 0xFF << QString("1005:   FF  255  ") + QChar(0x2302);
        QTest::newRow("line feed") << 0x0A << QString("1005:   0A   10  ") + QChar(0x25D9);
        QTest::newRow("carriage return") << 0x0D << QString("1005:   0D   13  ") + QChar(0x266A);
        QTest::newRow("8A is a line feed") << 0x8A << QString("1005:   8A  138  ") + QChar(0x25D9);
        QTest::newRow("01") << 0x01 << QString("1005:   01    1  ") + QChar(0x263A);
        QTest::newRow("1F") << 0x1F << QString("1005:   1F   31  ") + QChar(0x25BC);
    }

    void rowsShowTheMemoryAsTheOemFontDraws() {
        QFETCH(int, value);
        QFETCH(QString, text);
        std::array<std::uint8_t, kMemorySize> memory{};
        RamRegistersPanel panel;
        panel.setMemory(&memory);
        QListView* view = panel.memoryList()->view();
        const int oneLine = view->sizeHintForRow(0);
        QSignalSpy changed(panel.memoryRows(), &QAbstractItemModel::dataChanged);
        memory[5] = static_cast<std::uint8_t>(value);
        panel.invalidateMemory();
        QCOMPARE(changed.count(), 1);  // every row is read again
        QCOMPARE(changed[0][0].toModelIndex().row(), 0);
        QCOMPARE(changed[0][1].toModelIndex().row(), 4095);
        QCOMPARE(rowText(panel, 5), text);
        QCOMPARE(view->sizeHintForRow(5), oneLine);
    }

    void theListHasATitleAndARowPerAddress() {
        RamRegistersPanel panel;
        QCOMPARE(panel.memoryList()->view()->model()->rowCount(), 4096);
        QCOMPARE(panel.memoryList()->title()->text(), QString("Address  Hex Dec ASCII"));
        QCOMPARE(rowText(panel, 4095), QString("1FFF:   00    0  NUL"));
    }

    void registerLinesReachThePaneAndTheLayoutFollowsTheSize() {
        CpuRegisters regs;
        regs.FLAGS = 0x0202;
        const auto lines = registerLines(regs, 0x100A);
        RamRegistersPanel panel;
        panel.showRegisters(lines);
        QCOMPARE(panel.registerPane()->lines(), lines);
        panel.resize(240, 500);
        panel.show();
        QCOMPARE(panel.registerPane()->geometry(), QRect(1, 0, 238, 75));
        QCOMPARE(panel.memoryList()->geometry(), QRect(1, 75, 239, 422));
    }

    void escapeAndEnterStopAtThePane() {
        for (const int key : {Qt::Key_Escape, Qt::Key_Enter, Qt::Key_Return}) {
            RamRegistersPanel panel;
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
            press.ignore();
            QCoreApplication::sendEvent(&panel, &press);
            QVERIFY2(press.isAccepted(), qPrintable(QKeySequence(key).toString()));
        }
    }
};

}  // namespace tarvix

QTEST_MAIN(tarvix::RamRegistersPanelTest)
#include "ram_registers_panel_test.moc"
