// The edit view as a user drives it: its own editing by keys, Find, F3 and Replace.
// The caret's moves and word rules are the core's (tests/editor/caret_moves_test), and so are
// the buffer's line ends and read-only refusals (tests/editor/x86_text_buffer_test).
// The dialogs keep their requests in a profile of the test's own, left from test to test.
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <string_view>
#include <vector>

#include "editor/ui/edit_settings.h"
#include "editor/ui/find_dialog.h"
#include "editor/ui/replace_dialog.h"
#include "editor/ui/x86_edit_view.h"
#include "editor/x86_text_buffer.h"

namespace tarvix {

namespace {

// A shown edit view over a buffer holding `text`, with its messages caught in a list.
class EditorFixture {
public:
    explicit EditorFixture(const std::string& text) {
        buffer.initEmpty();
        buffer.insertTextAt(nullptr, {0, 0}, text, EditAction::Unknown);
        view.setMessageHandler([this](const QString& message) { messages << message; });
        view.attachBuffer(&buffer);
        view.resize(480, 320);
        view.show();
        view.setFocus();
        exposed = QTest::qWaitForWindowExposed(&view);
    }

    bool exposed = false;
    QStringList messages;
    CX86TextBuffer buffer;  // declared before the view, which detaches from it when destroyed
    CX86EditView view;
};

// A text with the cursor at "|" and, when there is a selection, its anchor at "^".
struct Marked {
    std::string text;
    TextPosition cursor;
    std::vector<TextPosition> marks;  // in text order: the selection's start and end

    TextPosition anchor() const { return marks.front() == cursor ? marks.back() : marks.front(); }
};

Marked unmark(std::string_view marked) {
    Marked result;
    TextPosition at;
    for (const char c : marked) {
        if (c == '|' || c == '^') {
            result.marks.push_back(at);
            result.cursor = c == '|' ? at : result.cursor;
        } else {
            result.text += c;
            at = c == '\n' ? TextPosition{at.line + 1, 0}
                           : TextPosition{at.line, at.column + (c == '\r' ? 0 : 1)};
        }
    }
    return result;
}

// Types `keys`, where a key name in braces is that key: "mov{Ctrl+Z}{Shift+End}".
void press(QWidget& view, std::string_view keys) {
    for (std::size_t brace = keys.find('{');; brace = keys.find('{')) {
        QTest::keyClicks(&view, QString::fromStdString(std::string(keys.substr(0, brace))));
        if (brace == std::string_view::npos) {
            return;
        }
        const std::size_t close = keys.find('}', brace);
        const std::string name(keys.substr(brace + 1, close - brace - 1));
        const QKeyCombination key = QKeySequence(QString::fromStdString(name))[0];
        QTest::keyClick(&view, key.key(), key.keyboardModifiers());
        keys.remove_prefix(close + 1);
    }
}

struct KeyCase {
    const char* name;
    const char* before;
    const char* keys;
    const char* after;
};

// clang-format off
const KeyCase kKeyCases[] = {
    {"typing undoes a word at a time", "|", "mov ax,bx{Ctrl+Z}{Ctrl+Z}{Ctrl+Y}", "mov|"},
    {"typing elsewhere starts an undo step", "|", "ab{Left}c{Ctrl+Z}", "a|b"},
    {"Enter carries the indent", "\t  mov|", "{Return}", "\t  mov\r\n\t  |"},
    {"the indent is an undo step of its own", "\t  mov|", "{Return}{Ctrl+Z}", "\t  mov\r\n|"},
    {"Tab indents the selected lines", "^a\r\n b\r\nc|\r\nd", "{Tab}",
     "^\ta\r\n\t b\r\n\tc|\r\nd"},
    {"as one undo step", "^a\r\n b\r\nc|\r\nd", "{Tab}{Ctrl+Z}", "|a\r\n b\r\nc\r\nd"},
    {"Shift+Tab takes a tab off", "\t|a\r\n\t b\r\n\tc^\r\nd", "{Shift+Tab}",
     "|a\r\n b\r\nc^\r\nd"},
    {"or a tab's width of spaces", "a\r\n |b", "{Shift+Tab}", "a\r\n|b"},
    {"overwrite replaces", "|abc\r\ndef", "{Ins}XY", "XY|c\r\ndef"},
    {"where Enter only moves", "|abc\r\ndef", "{Ins}{Return}", "abc\r\n|def"},
    {"past the end appends, Enter on the last line breaks it", "|abc\r\ndef",
     "{Ins}{Down}{End}gh{Return}", "abc\r\ndefgh\r\n|"},
    {"cut and paste", "^one |two", "{Ctrl+X}{End}{Ctrl+V}", "twoone |"},
};
// clang-format on

const std::string kSource = "loopz:\tloop loopz\r\n\tmov ax,bx\r\n\tLOOP loopz\r\nend";

template <typename Widget>
Widget* child(QWidget& dialog, const char* name) {
    return dialog.findChild<Widget*>(QLatin1String(name));
}

}  // namespace

class EditViewTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QVERIFY(profile_.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, profile_.path());
    }

    void keysEdit_data() {
        QTest::addColumn<int>("row");
        for (std::size_t row = 0; row < std::size(kKeyCases); ++row) {
            QTest::newRow(kKeyCases[row].name) << static_cast<int>(row);
        }
    }

    void keysEdit() {
        QFETCH(int, row);
        const KeyCase& c = kKeyCases[row];
        const Marked before = unmark(c.before);
        const Marked after = unmark(c.after);
        EditorFixture editor(before.text);
        QVERIFY(editor.exposed);
        editor.view.setSelection(before.anchor(), before.cursor);
        press(editor.view, c.keys);
        QCOMPARE(editor.buffer.text(), after.text);
        QCOMPARE(editor.view.cursorPosition(), after.cursor);
        QCOMPARE(editor.view.selectionStart(), after.marks.front());
        QCOMPARE(editor.view.selectionEnd(), after.marks.back());
        QVERIFY(editor.messages.isEmpty());
    }

    // F3 finds the request again, Shift+F3 goes up, and the profile keeps the request. Where
    // a search wraps, and what is said when nothing is found, is the core's findText.
    void findRemembersItsRequestForF3() {
        EditorFixture editor(kSource);
        QTimer::singleShot(0, this, [] {
            QWidget* dialog = QApplication::activeModalWidget();
            QVERIFY(qobject_cast<FindDialog*>(dialog) != nullptr);
            child<QLineEdit>(*dialog, "findWhat")->setText(QStringLiteral("loop"));
            child<QCheckBox>(*dialog, "wholeWord")->setChecked(true);
            child<QPushButton>(*dialog, "findNext")->click();
        });
        QTest::keyClick(&editor.view, Qt::Key_F, Qt::ControlModifier);
        QCOMPARE(editor.view.selectionStart(), (TextPosition{0, 7}));
        QTest::keyClick(&editor.view, Qt::Key_F3);
        QCOMPARE(editor.view.selectionStart(), (TextPosition{2, 1}));
        QTest::keyClick(&editor.view, Qt::Key_F3, Qt::ShiftModifier);
        QCOMPARE(editor.view.selectionStart(), (TextPosition{0, 7}));
        QCOMPARE(editor.view.selectionEnd(), (TextPosition{0, 11}));
        QCOMPARE(loadFindSettings().findWhat, QStringLiteral("loop"));
    }

    // The first Replace only finds, each next one replaces and finds on, the last says
    // nothing is left, and Undo takes back one replacement. Replace All in a block stays
    // there, keeps the block's end in step and never replaces a replacement again.
    void replaceStepsThroughTheMatchesAndReplaceAllStaysInItsBlock() {
        EditorFixture editor(kSource);
        {
            ReplaceDialog dialog(&editor.view);
            child<QLineEdit>(dialog, "findWhat")->setText(QStringLiteral("loopz"));
            child<QLineEdit>(dialog, "replaceWith")->setText(QStringLiteral("again"));
            child<QCheckBox>(dialog, "wholeWord")->setChecked(false);
            child<QPushButton>(dialog, "replace")->click();
            QCOMPARE(editor.buffer.text(), kSource);
            for (int click = 0; click < 3; ++click) {
                child<QPushButton>(dialog, "replace")->click();
            }
        }
        QCOMPARE(editor.messages.size(), 1);
        QTest::keyClick(&editor.view, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(editor.buffer.text(),
                 std::string("again:\tloop again\r\n\tmov ax,bx\r\n\tLOOP loopz\r\nend"));

        editor.view.setSelection({1, 1}, {2, 5});
        ReplaceDialog inBlock(&editor.view);
        QVERIFY(child<QRadioButton>(inBlock, "inSelection")->isChecked());
        QVERIFY(!child<QCheckBox>(inBlock, "wholeWord")->isChecked());  // as it was left
        child<QLineEdit>(inBlock, "findWhat")->setText(QStringLiteral("o"));
        child<QLineEdit>(inBlock, "replaceWith")->setText(QStringLiteral("oo"));
        child<QPushButton>(inBlock, "replaceAll")->click();
        QCOMPARE(editor.buffer.text(),
                 std::string("again:\tloop again\r\n\tmoov ax,bx\r\n\tLooooP loopz\r\nend"));
        QCOMPARE(editor.view.selectionEnd(), (TextPosition{2, 7}));
    }

private:
    QTemporaryDir profile_;
};

}  // namespace tarvix

QTEST_MAIN(tarvix::EditViewTest)
#include "edit_view_test.moc"
