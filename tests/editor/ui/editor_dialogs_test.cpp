// Find, F3 and Replace on a shown edit view, printing, and what they keep in the profile (in
// a folder of the test's own).
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTimer>

#include "editor/ui/edit_settings.h"
#include "editor/ui/find_dialog.h"
#include "editor/ui/replace_dialog.h"
#include "editor/ui/text_printer.h"
#include "tests/editor/ui/editor_fixture.h"
#include "ui/kit_fonts.h"

namespace tarvix {

namespace {

const std::string kSource = "loopz:\tloop loopz\r\n\tmov ax,bx\r\n\tLOOP loopz\r\nend";

template <typename Widget>
Widget* child(QWidget& dialog, const char* name) {
    return dialog.findChild<Widget*>(QLatin1String(name));
}

}  // namespace

class EditorDialogsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void findRemembersItsRequestForF3AndSaysWhatItCannotFind();
    void replaceStepsThroughTheMatches();
    void replaceAllStaysInItsBlockAndNeverLoops();
    void requestsAndMarginsAreKeptInTheProfile();
    void printingFillsPagesAndARangePrintsAlone();

private:
    // Prints `lines` numbered lines to a PDF and counts its pages.
    int printedPages(int lines, int fromPage = 0, int toPage = 0);

    QTemporaryDir profile_;
};

void EditorDialogsTest::initTestCase() {
    QVERIFY(profile_.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, profile_.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, profile_.path());
}

void EditorDialogsTest::findRemembersItsRequestForF3AndSaysWhatItCannotFind() {
    EditorFixture editor(kSource);
    QTimer::singleShot(0, this, [] {
        QWidget* dialog = QApplication::activeModalWidget();
        QVERIFY(qobject_cast<FindDialog*>(dialog) != nullptr);
        child<QLineEdit>(*dialog, "findWhat")->setText(QStringLiteral("loop"));
        child<QCheckBox>(*dialog, "wholeWord")->setChecked(true);
        child<QPushButton>(*dialog, "findNext")->click();
    });
    QTest::keyClick(&editor.view, Qt::Key_F, Qt::ControlModifier);
    const QList<TextPosition> expected{{0, 7}, {2, 1}, {0, 7}, {2, 1}};  // F3 wraps, Shift+F3 up
    const QList<Qt::KeyboardModifiers> modifiers{{}, {}, {}, Qt::ShiftModifier};
    for (qsizetype k = 0; k < expected.size(); ++k) {
        if (k > 0) {
            QTest::keyClick(&editor.view, Qt::Key_F3, modifiers[k]);
        }
        QCOMPARE(editor.view.selectionStart(), expected[k]);
        QCOMPARE(editor.view.selectionEnd(),
                 (TextPosition{expected[k].line, expected[k].column + 4}));
    }
    const FindSettings saved = loadFindSettings();
    QCOMPARE(saved.findWhat, QStringLiteral("loop"));
    QVERIFY(saved.wholeWord && !saved.matchCase);

    QVERIFY(!editor.view.findAndSelect("push", 0));
    QCOMPARE(editor.view.selectionStart(), (TextPosition{2, 1}));
    QCOMPARE(editor.messages, QStringList{QStringLiteral("Cannot find the string \"push\"")});
}

void EditorDialogsTest::replaceStepsThroughTheMatches() {
    EditorFixture editor(kSource);
    ReplaceDialog dialog(&editor.view);
    child<QLineEdit>(dialog, "findWhat")->clear();
    for (const char* name : {"findNext", "replace", "replaceAll"}) {
        QVERIFY(!child<QPushButton>(dialog, name)->isEnabled());  // nothing to find
    }
    child<QLineEdit>(dialog, "findWhat")->setText(QStringLiteral("loopz"));
    child<QLineEdit>(dialog, "replaceWith")->setText(QStringLiteral("again"));
    child<QCheckBox>(dialog, "wholeWord")->setChecked(true);
    QPushButton* replace = child<QPushButton>(dialog, "replace");
    replace->click();  // the first click only finds
    QCOMPARE(editor.line(0), std::string("loopz:\tloop loopz"));
    replace->click();
    QCOMPARE(editor.line(0), std::string("again:\tloop loopz"));
    QCOMPARE(editor.view.selectionStart(), (TextPosition{0, 12}));
    replace->click();
    replace->click();  // the last one: nothing is left to find
    QCOMPARE(editor.line(2), std::string("\tLOOP again"));
    QCOMPARE(editor.messages.size(), 1);
    QTest::keyClick(&editor.view, Qt::Key_Z, Qt::ControlModifier);  // one replacement undone
    QCOMPARE(editor.line(2), std::string("\tLOOP loopz"));
    QCOMPARE(editor.line(0), std::string("again:\tloop again"));
}

void EditorDialogsTest::replaceAllStaysInItsBlockAndNeverLoops() {
    EditorFixture inBlock("ax ax ax\r\nmov ax,ax\r\nax");
    inBlock.view.setSelection({0, 3}, {1, 9});
    ReplaceDialog blockDialog(&inBlock.view);
    QVERIFY(child<QRadioButton>(blockDialog, "inSelection")->isChecked());
    child<QLineEdit>(blockDialog, "findWhat")->setText(QStringLiteral("ax"));
    child<QLineEdit>(blockDialog, "replaceWith")->setText(QStringLiteral("bx12"));
    child<QPushButton>(blockDialog, "replaceAll")->click();
    QCOMPARE(inBlock.buffer.text(), std::string("ax bx12 bx12\r\nmov bx12,bx12\r\nax"));
    QCOMPARE(inBlock.view.selectionStart(), (TextPosition{0, 3}));
    QCOMPARE(inBlock.view.selectionEnd(), (TextPosition{1, 13}));  // the end kept in step

    EditorFixture whole("ax\r\nmov ax,ax");
    ReplaceDialog fileDialog(&whole.view);
    QVERIFY(!child<QRadioButton>(fileDialog, "inSelection")->isEnabled());
    child<QLineEdit>(fileDialog, "findWhat")->setText(QStringLiteral("AX"));
    child<QLineEdit>(fileDialog, "replaceWith")->setText(QStringLiteral("max"));  // holds "ax"
    child<QPushButton>(fileDialog, "replaceAll")->click();
    QCOMPARE(whole.buffer.text(), std::string("max\r\nmov max,max"));
    QCOMPARE(whole.messages.size(), 1);
}

void EditorDialogsTest::requestsAndMarginsAreKeptInTheProfile() {
    {
        EditorFixture editor(kSource);
        ReplaceDialog dialog(&editor.view);
        child<QLineEdit>(dialog, "findWhat")->setText(QStringLiteral("bx"));
        child<QLineEdit>(dialog, "replaceWith")->setText(QStringLiteral("cx"));
        child<QCheckBox>(dialog, "matchCase")->setChecked(true);
        child<QCheckBox>(dialog, "wholeWord")->setChecked(false);
        child<QPushButton>(dialog, "findNext")->click();
    }
    EditorFixture editor(kSource);
    ReplaceDialog reopened(&editor.view);
    QCOMPARE(child<QLineEdit>(reopened, "findWhat")->text(), QStringLiteral("bx"));
    QCOMPARE(child<QLineEdit>(reopened, "replaceWith")->text(), QStringLiteral("cx"));
    QVERIFY(child<QCheckBox>(reopened, "matchCase")->isChecked());
    QVERIFY(!child<QCheckBox>(reopened, "wholeWord")->isChecked());

    savePageMargins(QMarginsF(12.4, 8, 15, 25.6));
    QCOMPARE(loadPageMargins(), QMarginsF(12, 8, 15, 26));
    QSettings profile(QStringLiteral("Tarvix"), QStringLiteral("Tarvix"));
    QCOMPARE(profile.value(QStringLiteral("Edit/PageSetup/LeftMargin")).toInt(), 12);
}

int EditorDialogsTest::printedPages(int lines, int fromPage, int toPage) {
    CX86TextBuffer buffer;
    buffer.initEmpty();
    std::string text;
    for (int line = 0; line < lines; ++line) {
        text += "\tmov ax," + std::to_string(line) + (line + 1 < lines ? "\r\n" : "");
    }
    buffer.insertTextAt(nullptr, {0, 0}, text, EditAction::Unknown);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    const QString pdf = profile_.filePath("out.pdf");
    printer.setOutputFileName(pdf);
    printer.setFromTo(fromPage, toPage);
    printText(printer, buffer, monospacedFont("courier"));
    QFile file(pdf);
    if (!file.open(QIODevice::ReadOnly)) {
        return -1;
    }
    const QByteArray bytes = file.readAll();
    return static_cast<int>(bytes.count("/Type /Page\n") + bytes.count("/Type /Page\r") +
                            bytes.count("/Type /Page "));
}

void EditorDialogsTest::printingFillsPagesAndARangePrintsAlone() {
    QCOMPARE(printedPages(1), 1);
    QCOMPARE(printedPages(40), 1);
    const int many = printedPages(400);
    QVERIFY2(many > 1 && many < 40, qPrintable(QString::number(many)));
    QCOMPARE(printedPages(400, 2, 3), 2);
}

}  // namespace tarvix

QTEST_MAIN(tarvix::EditorDialogsTest)
#include "editor_dialogs_test.moc"
