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
    void rowsShowTheMemoryTheyStandFor_data() {
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("letter A") << 0x41 << 0x41 << "1041:   41   65  A";
        QTest::newRow("zero") << 0x000 << 0x00 << "1000:   00    0  NUL";
        // Character 7FH, as the OEM font draws it.
        QTest::newRow("FF keeps 7F")
            << 0xFFF << 0xFF << QString("1FFF:   FF  255  ") + QChar(0x2302);
        QTest::newRow("80 ends after decimal") << 0x200 << 0x80 << "1200:   80  128  ";
    }

    void rowsShowTheMemoryTheyStandFor() {
        QFETCH(int, offset);
        QFETCH(int, value);
        QFETCH(QString, text);
        std::array<std::uint8_t, kMemorySize> memory{};
        memory[static_cast<std::size_t>(offset)] = static_cast<std::uint8_t>(value);
        RamRegistersPanel panel;
        panel.setMemory(&memory);
        QCOMPARE(rowText(panel, offset), text);
    }

    // Control characters show as the OEM font's pictures, and a line feed or carriage return
    // does not make the rows taller.
    void controlCharactersShowAsPicturesOnOneLine_data() {
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("picture");  // its code point
        QTest::newRow("line feed") << 0x0A << 0x25D9;
        QTest::newRow("carriage return") << 0x0D << 0x266A;
        QTest::newRow("8A is a line feed") << 0x8A << 0x25D9;
        QTest::newRow("01") << 0x01 << 0x263A;
        QTest::newRow("1F") << 0x1F << 0x25BC;
    }

    void controlCharactersShowAsPicturesOnOneLine() {
        QFETCH(int, value);
        QFETCH(int, picture);
        std::array<std::uint8_t, kMemorySize> memory{};
        RamRegistersPanel panel;
        panel.setMemory(&memory);
        QListView* view = panel.memoryList()->view();
        const int oneLine = view->sizeHintForRow(0);
        memory[0] = static_cast<std::uint8_t>(value);
        panel.invalidateMemory();
        QVERIFY(rowText(panel, 0).endsWith(QString("  ") + QChar(picture)));
        QCOMPARE(view->sizeHintForRow(0), oneLine);
    }

    void listHasOneTitledRowPerAddress() {
        RamRegistersPanel panel;
        QCOMPARE(panel.memoryList()->view()->model()->rowCount(), 4096);
        QCOMPARE(panel.memoryList()->title()->text(), QString("Address  Hex Dec ASCII"));
        QCOMPARE(rowText(panel, 4095), QString("1FFF:   00    0  NUL"));
    }

    void invalidateMemoryRereadsEveryRow() {
        std::array<std::uint8_t, kMemorySize> memory{};
        RamRegistersPanel panel;
        panel.setMemory(&memory);
        QSignalSpy changed(panel.memoryRows(), &QAbstractItemModel::dataChanged);
        memory[5] = 0x31;
        panel.invalidateMemory();
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed[0][0].toModelIndex().row(), 0);
        QCOMPARE(changed[0][1].toModelIndex().row(), 4095);
        QCOMPARE(rowText(panel, 5), QString("1005:   31   49  1"));
    }

    void registerLinesReachThePane() {
        CpuRegisters regs;
        regs.FLAGS = 0x0202;
        const auto lines = registerLines(regs, 0x100A);
        RamRegistersPanel panel;
        panel.showRegisters(lines);
        QCOMPARE(panel.registerPane()->lines(), lines);
        QCOMPARE(QString::fromStdString(panel.registerPane()->lines()[3]),
                 QString("0000001000000000"));
    }

    void layoutFollowsTheSize() {
        RamRegistersPanel panel;
        panel.resize(240, 500);
        panel.show();
        QCOMPARE(panel.registerPane()->geometry(), QRect(1, 0, 238, 75));
        QCOMPARE(panel.memoryList()->geometry(), QRect(1, 75, 239, 422));
    }

    void escapeAndEnterStopAtThePane_data() {
        QTest::addColumn<int>("key");
        QTest::newRow("escape") << int(Qt::Key_Escape);
        QTest::newRow("enter") << int(Qt::Key_Enter);
        QTest::newRow("return") << int(Qt::Key_Return);
    }

    void escapeAndEnterStopAtThePane() {
        QFETCH(int, key);
        RamRegistersPanel panel;
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        press.ignore();
        QCoreApplication::sendEvent(&panel, &press);
        QVERIFY(press.isAccepted());
    }
};

}  // namespace tarvix

QTEST_MAIN(tarvix::RamRegistersPanelTest)
#include "ram_registers_panel_test.moc"
