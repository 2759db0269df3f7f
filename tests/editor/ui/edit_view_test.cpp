// The edit view driven by keys and the mouse as a user drives it. Where the caret goes for
// each movement is the core's (tests/editor/caret_moves_test.cpp); here the keys reach it.
#include <QApplication>
#include <QClipboard>
#include <QTest>
#include <optional>
#include <string_view>

#include "tests/editor/ui/editor_fixture.h"

namespace tarvix {

namespace {

// A text with the cursor at "|" and, when there is a selection, its anchor at "^".
struct Marked {
    std::string text;
    TextPosition cursor;
    TextPosition anchor;
};

Marked unmark(std::string_view marked) {
    Marked result;
    TextPosition at;
    std::optional<TextPosition> anchor;
    for (const char c : marked) {
        if (c == '|') {
            result.cursor = at;
        } else if (c == '^') {
            anchor = at;
        } else {
            result.text += c;
            at = c == '\n' ? TextPosition{at.line + 1, 0}
                           : TextPosition{at.line, at.column + (c == '\r' ? 0 : 1)};
        }
    }
    result.anchor = anchor.value_or(result.cursor);
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
    const char* clipboard = nullptr;
    bool readOnly = false;
};

// clang-format off
const KeyCase kKeyCases[] = {
    {"typing undoes a word at a time", "|", "mov ax,bx{Ctrl+Z}", "mov|"},
    {"redo", "|", "mov ax,bx{Ctrl+Z}{Ctrl+Z}{Ctrl+Y}", "mov|"},
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
    {"Insert toggles back", "|abc", "{Ins}{Ins}X", "X|abc"},
    {"paste takes the buffer's line ends", "one|", "{Shift+Ins}", "onex\r\ny\r\nz|",
     "x\ny\rz"},
    {"cut and paste", "^one |two", "{Ctrl+X}{End}{Ctrl+V}", "twoone |"},
    {"read-only refuses every edit", "mov| al,1\r\nhlt",
     "abc{Del}{Backspace}{Return}{Tab}{Ctrl+V}{Ctrl+A}{Ctrl+X}", "^mov al,1\r\nhlt|", "pasted",
     true},
    {"Backspace takes a whole character", "|a\xC2\xB1" "b\xB5", "{Right}{Right}{Backspace}",
     "a|b\xB5"},
    {"Delete at the end joins lines", "ab|\r\ncd", "{Del}", "ab|cd"},
    {"Shift extends", "|  x", "{Shift+End}", "^  x|"},
    {"word keys", "|mov  ax,bx",
     "{Ctrl+Right}{Ctrl+Right}{Ctrl+Right}{Ctrl+Shift+Left}{Ctrl+Shift+Left}", "mov  |ax,^bx"},
    {"Up and Down keep their screen column", "abcdefghi|j\r\nab\r\n\tx\r\nabcdefghij",
     "{Down}{Down}{Down}", "abcdefghij\r\nab\r\n\tx\r\nabcdefghi|j"},
    {"until a sideways step", "abcdefghi|j\r\nab\r\n\tx\r\nabcdefghij",
     "{Down}{Down}{Down}{Left}{Up}{Up}", "abcdefghij\r\nab|\r\n\tx\r\nabcdefghij"},
};
// clang-format on

}  // namespace

class EditViewTest : public QObject {
    Q_OBJECT

private slots:
    void keysEditAndMove_data();
    void keysEditAndMove();
    void pageDownScrollsAPageAndClamps();
    void clicksSelectCharactersWordsAndLines();
    void draggingBelowTheViewScrollsAndIgnoresTyping();
};

void EditViewTest::keysEditAndMove_data() {
    QTest::addColumn<int>("row");
    for (std::size_t row = 0; row < std::size(kKeyCases); ++row) {
        QTest::newRow(kKeyCases[row].name) << static_cast<int>(row);
    }
}

void EditViewTest::keysEditAndMove() {
    QFETCH(int, row);
    const KeyCase& c = kKeyCases[row];
    if (c.clipboard != nullptr) {
        QGuiApplication::clipboard()->setText(QString::fromUtf8(c.clipboard));
    } else {
        QGuiApplication::clipboard()->clear();
    }
    const Marked before = unmark(c.before);
    const Marked after = unmark(c.after);
    EditorFixture editor(before.text);
    QVERIFY(editor.loaded && editor.exposed);
    editor.buffer.setReadOnly(c.readOnly);
    editor.view.setSelection(before.anchor, before.cursor);
    press(editor.view, c.keys);
    QCOMPARE(editor.buffer.text(), after.text);
    QCOMPARE(editor.view.cursorPosition(), after.cursor);
    const bool anchorFirst =
        after.anchor.line < after.cursor.line ||
        (after.anchor.line == after.cursor.line && after.anchor.column < after.cursor.column);
    QCOMPARE(editor.view.selectionStart(), anchorFirst ? after.anchor : after.cursor);
    QCOMPARE(editor.view.selectionEnd(), anchorFirst ? after.cursor : after.anchor);
    QVERIFY(editor.messages.isEmpty());
}

// The page scrolls first, so the cursor keeps its place on the screen.
void EditViewTest::pageDownScrollsAPageAndClamps() {
    std::string text;
    for (int line = 0; line < 100; ++line) {
        text += std::string(static_cast<std::size_t>(line % 7), 'x') + "\r\n";
    }
    EditorFixture editor(text);
    const int page = editor.view.visibleLineCount() - 1;
    QVERIFY(page > 2);
    editor.view.setCursorPosition({6, 6});
    QTest::keyClick(&editor.view, Qt::Key_PageDown);
    QCOMPARE(editor.view.firstVisibleLine(), page);
    QCOMPARE(editor.view.cursorPosition().line, 6 + page);
    for (int k = 0; k < 100; ++k) {
        QTest::keyClick(&editor.view, Qt::Key_PageDown);
    }
    QCOMPARE(editor.view.cursorPosition().line, 100);  // the empty line after the last line end
    QVERIFY(editor.view.firstVisibleLine() <= 100);
}

// The margin selects lines (with Ctrl all of them); a double-click or Ctrl selects words, and
// Shift carries a selection on in the same unit.
void EditViewTest::clicksSelectCharactersWordsAndLines() {
    EditorFixture editor("one\r\n  mov loop_1,bx\r\nthree");
    QWidget* area = editor.view.viewport();
    const int charWidth = QFontMetrics(area->font()).horizontalAdvance('X');
    const auto onText = [&](int line, int column) {
        return editor.pointOnLine(line, CX86TextView::kMarginWidth + charWidth * column);
    };
    QTest::mouseClick(area, Qt::LeftButton, {}, editor.pointOnLine(1, 5));
    QCOMPARE(editor.view.selectedText(), std::string("  mov loop_1,bx\r\n"));
    QTest::mouseClick(area, Qt::LeftButton, Qt::ShiftModifier, editor.pointOnLine(2, 5));
    QCOMPARE(editor.view.selectedText(), std::string("  mov loop_1,bx\r\nthree"));
    QTest::mouseClick(area, Qt::LeftButton, Qt::ControlModifier, editor.pointOnLine(2, 5));
    QCOMPARE(editor.view.selectedText(), std::string("one\r\n  mov loop_1,bx\r\nthree"));

    QTest::mouseDClick(area, Qt::LeftButton, {}, onText(1, 8));
    QCOMPARE(editor.view.selectedText(), std::string("loop_1"));
    QTest::mouseClick(area, Qt::LeftButton, {}, onText(1, 8));
    QVERIFY(!editor.view.hasSelection());
    QCOMPARE(editor.view.cursorPosition(), (TextPosition{1, 8}));
    QTest::mouseClick(area, Qt::LeftButton, Qt::ControlModifier, onText(1, 3));
    QCOMPARE(editor.view.selectedText(), std::string("mov"));
    QTest::mouseClick(area, Qt::LeftButton, Qt::ControlModifier | Qt::ShiftModifier, onText(1, 8));
    QCOMPARE(editor.view.selectedText(), std::string("mov loop_1"));
}

void EditViewTest::draggingBelowTheViewScrollsAndIgnoresTyping() {
    std::string text;
    for (int line = 0; line < 200; ++line) {
        text += "line\r\n";
    }
    EditorFixture editor(text);
    QWidget* area = editor.view.viewport();
    QTest::mousePress(area, Qt::LeftButton, {}, editor.pointOnLine(1, 40));
    QTest::mouseMove(area, QPoint(40, area->height() + 30));
    QTest::keyClicks(&editor.view, "x");
    const int top = editor.view.firstVisibleLine();
    QTRY_VERIFY(editor.view.firstVisibleLine() > top + 1);  // the drag timer keeps scrolling
    QTest::mouseRelease(area, Qt::LeftButton, {}, QPoint(40, area->height() + 30));
    QCOMPARE(editor.view.selectionStart().line, 1);
    QVERIFY(editor.view.selectionEnd().line >= editor.view.firstVisibleLine());
    QCOMPARE(editor.line(1), std::string("line"));
    const int stopped = editor.view.firstVisibleLine();
    QTest::qWait(3 * CX86TextView::kDragScrollMs);
    QCOMPARE(editor.view.firstVisibleLine(), stopped);
}

}  // namespace tarvix

QTEST_MAIN(tarvix::EditViewTest)
#include "edit_view_test.moc"
