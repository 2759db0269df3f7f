// Find and Replace on a shown edit view, with the profile in a folder of the test's own.
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "editor/ui/edit_settings.h"
#include "editor/ui/find_dialog.h"
#include "editor/ui/replace_dialog.h"
#include "tests/editor/ui/editor_fixture.h"

namespace tarvix {

namespace {

const std::string kSource = "loopz:\tloop loopz\r\n\tmov ax,bx\r\n\tLOOP loopz\r\nend";

template <typename Widget>
Widget* child(QWidget& dialog, const char* name) {
    return dialog.findChild<Widget*>(QLatin1String(name));
}

}  // namespace

class FindReplaceTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void findMovesThroughMatches_data();
    void findMovesThroughMatches();
    void nothingFoundLeavesTheSelectionAndSaysSo();
    void findDialogRemembersTheSearchForF3();
    void replaceStepsThroughMatches();
    void replaceAllInASelectionKeepsItsEndInStep();
    void replaceAllInTheWholeFileNeverLoops();
    void replaceButtonsNeedATextToFind();
    void settingsAreWrittenAndReadBack();

private:
    QTemporaryDir profile_;
};

void FindReplaceTest::initTestCase() {
    QVERIFY(profile_.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, profile_.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, profile_.path());
}

void FindReplaceTest::findMovesThroughMatches_data() {
    QTest::addColumn<QString>("what");
    QTest::addColumn<uint>("flags");
    QTest::addColumn<QList<int>>("matches");  // line, column pairs, one per search
    const uint up = kSearchUp;
    QTest::newRow("down, wraps") << "loop" << 0u << QList<int>{0, 7, 0, 12, 2, 1, 2, 6, 0, 0};
    QTest::newRow("whole word") << "loop" << uint{kSearchWholeWord} << QList<int>{0, 7, 2, 1, 0, 7};
    QTest::newRow("match case") << "LOOP" << uint{kSearchMatchCase} << QList<int>{2, 1, 2, 1};
    QTest::newRow("up, wraps") << "loopz" << up << QList<int>{2, 6, 0, 12, 0, 0, 2, 6};
}

void FindReplaceTest::findMovesThroughMatches() {
    QFETCH(QString, what);
    QFETCH(uint, flags);
    QFETCH(QList<int>, matches);
    EditorFixture editor(kSource);
    editor.view.setCursorPosition({0, 1});
    for (qsizetype k = 0; k + 1 < matches.size(); k += 2) {
        QVERIFY(editor.view.findAndSelect(what.toStdString(), flags));
        const TextPosition start{matches[k], matches[k + 1]};
        QCOMPARE(editor.view.selectionStart(), start);
        QCOMPARE(editor.view.selectionEnd().column, start.column + static_cast<int>(what.size()));
    }
    QVERIFY(editor.messages.isEmpty());
}

void FindReplaceTest::nothingFoundLeavesTheSelectionAndSaysSo() {
    EditorFixture editor(kSource);
    editor.view.setSelection({1, 1}, {1, 4});
    QVERIFY(!editor.view.findAndSelect("push", 0));
    QCOMPARE(editor.view.selectionStart(), (TextPosition{1, 1}));
    QCOMPARE(editor.view.selectionEnd(), (TextPosition{1, 4}));
    QCOMPARE(editor.messages, QStringList{QStringLiteral("Cannot find the string \"push\"")});
}

void FindReplaceTest::findDialogRemembersTheSearchForF3() {
    EditorFixture editor(kSource);
    QTimer::singleShot(0, this, [] {
        QWidget* dialog = QApplication::activeModalWidget();
        QVERIFY(qobject_cast<FindDialog*>(dialog) != nullptr);
        child<QLineEdit>(*dialog, "findWhat")->setText(QStringLiteral("loopz"));
        child<QCheckBox>(*dialog, "wholeWord")->setChecked(true);
        child<QPushButton>(*dialog, "findNext")->click();
    });
    QTest::keyClick(&editor.view, Qt::Key_F, Qt::ControlModifier);
    QCOMPARE(editor.view.selectionStart(), (TextPosition{0, 0}));
    QCOMPARE(editor.view.lastSearchText(), std::string("loopz"));

    QTest::keyClick(&editor.view, Qt::Key_F3);
    QCOMPARE(editor.view.selectionStart(), (TextPosition{0, 12}));
    QTest::keyClick(&editor.view, Qt::Key_F3);
    QCOMPARE(editor.view.selectionStart(), (TextPosition{2, 6}));
    QTest::keyClick(&editor.view, Qt::Key_F3, Qt::ShiftModifier);
    QCOMPARE(editor.view.selectionStart(), (TextPosition{0, 12}));

    const FindSettings saved = loadFindSettings();
    QCOMPARE(saved.findWhat, QStringLiteral("loopz"));
    QVERIFY(saved.wholeWord);
    QVERIFY(!saved.matchCase);
}

void FindReplaceTest::replaceStepsThroughMatches() {
    EditorFixture editor(kSource);
    ReplaceDialog dialog(&editor.view);
    child<QLineEdit>(dialog, "findWhat")->setText(QStringLiteral("loopz"));
    child<QLineEdit>(dialog, "replaceWith")->setText(QStringLiteral("again"));
    child<QCheckBox>(dialog, "wholeWord")->setChecked(true);
    QPushButton* replace = child<QPushButton>(dialog, "replace");
    replace->click();  // the first click only finds
    QCOMPARE(editor.line(0), std::string("loopz:\tloop loopz"));
    QCOMPARE(editor.view.selectionStart(), (TextPosition{0, 0}));
    replace->click();
    QCOMPARE(editor.line(0), std::string("again:\tloop loopz"));
    QCOMPARE(editor.view.selectionStart(), (TextPosition{0, 12}));
    replace->click();
    QCOMPARE(editor.view.selectionStart(), (TextPosition{2, 6}));
    QVERIFY(editor.messages.isEmpty());
    replace->click();  // the last one: nothing is left to find
    QCOMPARE(editor.line(2), std::string("\tLOOP again"));
    QCOMPARE(editor.messages.size(), 1);
    QTest::keyClick(&editor.view, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(editor.line(2), std::string("\tLOOP loopz"));
    QCOMPARE(editor.line(0), std::string("again:\tloop again"));
}

void FindReplaceTest::replaceAllInASelectionKeepsItsEndInStep() {
    EditorFixture editor("ax ax ax\r\nmov ax,ax\r\nax");
    editor.view.setSelection({0, 3}, {1, 9});
    ReplaceDialog dialog(&editor.view);
    QVERIFY(child<QRadioButton>(dialog, "inSelection")->isChecked());
    child<QLineEdit>(dialog, "findWhat")->setText(QStringLiteral("ax"));
    child<QLineEdit>(dialog, "replaceWith")->setText(QStringLiteral("bx12"));
    child<QPushButton>(dialog, "replaceAll")->click();
    QCOMPARE(editor.line(0), std::string("ax bx12 bx12"));
    QCOMPARE(editor.line(1), std::string("mov bx12,bx12"));
    QCOMPARE(editor.line(2), std::string("ax"));
    QCOMPARE(dialog.block().end, (TextPosition{1, 13}));
    QCOMPARE(editor.view.selectionStart(), (TextPosition{0, 3}));
    QCOMPARE(editor.view.selectionEnd(), (TextPosition{1, 13}));
    QCOMPARE(editor.messages, QStringList{QStringLiteral("Cannot find the string \"ax\"")});
}

void FindReplaceTest::replaceAllInTheWholeFileNeverLoops() {
    EditorFixture editor("ax\r\nmov ax,ax");
    ReplaceDialog dialog(&editor.view);
    QVERIFY(child<QRadioButton>(dialog, "wholeFile")->isChecked());
    QVERIFY(!child<QRadioButton>(dialog, "inSelection")->isEnabled());
    child<QLineEdit>(dialog, "findWhat")->setText(QStringLiteral("AX"));
    child<QLineEdit>(dialog, "replaceWith")->setText(QStringLiteral("max"));
    child<QPushButton>(dialog, "replaceAll")->click();
    QCOMPARE(editor.line(0), std::string("max"));
    QCOMPARE(editor.line(1), std::string("mov max,max"));
    QCOMPARE(editor.messages.size(), 1);
}

void FindReplaceTest::replaceButtonsNeedATextToFind() {
    EditorFixture editor(kSource);
    ReplaceDialog dialog(&editor.view);
    QLineEdit* findWhat = child<QLineEdit>(dialog, "findWhat");
    findWhat->clear();
    for (const char* name : {"findNext", "replace", "replaceAll"}) {
        QVERIFY(!child<QPushButton>(dialog, name)->isEnabled());
    }
    findWhat->setText(QStringLiteral("x"));
    for (const char* name : {"findNext", "replace", "replaceAll"}) {
        QVERIFY(child<QPushButton>(dialog, name)->isEnabled());
    }
    FindDialog find;
    find.setRequest(QString(), 0);
    QVERIFY(!child<QPushButton>(find, "findNext")->isEnabled());
}

void FindReplaceTest::settingsAreWrittenAndReadBack() {
    saveFindSettings({true, false, QStringLiteral("mov")});
    const FindSettings find = loadFindSettings();
    QVERIFY(find.matchCase && !find.wholeWord);
    QCOMPARE(find.findWhat, QStringLiteral("mov"));

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
    QCOMPARE(profile.value(QStringLiteral("Edit/Replace/ReplaceWith")).toString(),
             QStringLiteral("cx"));
    QVERIFY(profile.fileName().startsWith(profile_.path()));
}

}  // namespace tarvix

QTEST_MAIN(tarvix::FindReplaceTest)
#include "find_replace_test.moc"
