// The edit view driven by keys and the mouse as a user drives it.
#include <QApplication>
#include <QClipboard>
#include <QSignalSpy>
#include <QTest>

#include "tests/editor/ui/editor_fixture.h"

namespace tarvix {

class EditViewTest : public QObject {
    Q_OBJECT

private slots:
    void typingUndoesWordByWord();
    void typingElsewhereStartsANewUndoGroup();
    void enterCarriesTheIndentAsItsOwnUndoStep();
    void tabIndentsSelectedLinesAsOneUndoStep();
    void homeGoesToTheTextThenToColumnZero_data();
    void homeGoesToTheTextThenToColumnZero();
    void pageDownMovesByAPageAndClamps();
    void overwriteModeReplacesAndEnterOnlyMoves();
    void pasteNeedsTextOnTheClipboard();
    void readOnlyBufferRefusesEveryEdit();
    void cursorMovesReportTheirPosition();
    void wordMovesStopAtWordStarts();
    void upAndDownKeepTheirScreenColumn();
    void aMultiByteCharacterIsOneCharacter();
    void marginClicksSelectLines();
    void doubleClickSelectsAWord();
    void draggingBelowTheViewScrollsAndIgnoresTyping();
    void rightClickAsksForTheContextMenu();
};

void EditViewTest::typingUndoesWordByWord() {
    EditorFixture editor("");
    QVERIFY(editor.loaded && editor.exposed);
    QTest::keyClicks(&editor.view, "mov ax,bx");
    QCOMPARE(editor.line(0), std::string("mov ax,bx"));
    QTest::keyClick(&editor.view, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(editor.line(0), std::string("mov"));
    QCOMPARE(editor.view.cursorPosition(), (TextPosition{0, 3}));
    QTest::keyClick(&editor.view, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(editor.line(0), std::string(""));
    QVERIFY(!editor.view.canUndo());
    QTest::keyClick(&editor.view, Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(editor.line(0), std::string("mov"));
    QCOMPARE(editor.view.cursorPosition(), (TextPosition{0, 3}));
}

void EditViewTest::typingElsewhereStartsANewUndoGroup() {
    EditorFixture editor("");
    QTest::keyClicks(&editor.view, "ab");
    QTest::keyClick(&editor.view, Qt::Key_Left);
    QTest::keyClicks(&editor.view, "c");
    QCOMPARE(editor.line(0), std::string("acb"));
    QTest::keyClick(&editor.view, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(editor.line(0), std::string("ab"));
}

void EditViewTest::enterCarriesTheIndentAsItsOwnUndoStep() {
    EditorFixture editor("\t  mov ax,1");
    QTest::keyClick(&editor.view, Qt::Key_End);
    QTest::keyClick(&editor.view, Qt::Key_Return);
    QCOMPARE(editor.buffer.lineCount(), 2);
    QCOMPARE(editor.line(1), std::string("\t  "));
    QCOMPARE(editor.view.cursorPosition(), (TextPosition{1, 3}));
    QTest::keyClick(&editor.view, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(editor.buffer.lineCount(), 2);
    QCOMPARE(editor.line(1), std::string(""));
    QTest::keyClick(&editor.view, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(editor.buffer.lineCount(), 1);
}

void EditViewTest::tabIndentsSelectedLinesAsOneUndoStep() {
    EditorFixture editor("a\r\n b\r\nc\r\nd");
    editor.view.setSelection({0, 0}, {2, 1});
    QTest::keyClick(&editor.view, Qt::Key_Tab);
    const std::vector<std::string> indented{"\ta", "\t b", "\tc", "d"};
    for (int line = 0; line < 4; ++line) {
        QCOMPARE(editor.line(line), indented[static_cast<std::size_t>(line)]);
    }
    QCOMPARE(editor.view.selectionStart(), (TextPosition{0, 0}));
    QCOMPARE(editor.view.selectionEnd(), (TextPosition{2, 2}));

    QTest::keyClick(&editor.view, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(editor.line(0), std::string("a"));
    QCOMPARE(editor.line(1), std::string(" b"));
    QCOMPARE(editor.line(2), std::string("c"));

    QTest::keyClick(&editor.view, Qt::Key_Y, Qt::ControlModifier);
    editor.view.setSelection({2, 2}, {0, 1});
    QTest::keyClick(&editor.view, Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(editor.line(0), std::string("a"));
    QCOMPARE(editor.line(1), std::string(" b"));
    QCOMPARE(editor.line(2), std::string("c"));
    QCOMPARE(editor.view.selectionStart(), (TextPosition{0, 0}));
    QCOMPARE(editor.view.selectionEnd(), (TextPosition{2, 1}));
    QCOMPARE(editor.view.cursorPosition(), (TextPosition{0, 0}));
    QTest::keyClick(&editor.view, Qt::Key_Backtab, Qt::ShiftModifier);  // " b" loses its space
    QCOMPARE(editor.line(1), std::string("b"));
    QTest::keyClick(&editor.view, Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(&editor.view, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(editor.line(1), std::string("\t b"));
}

void EditViewTest::homeGoesToTheTextThenToColumnZero_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("firstHome");
    QTest::addColumn<int>("secondHome");
    QTest::newRow("indented, from the end") << "\t  mov" << 6 << 3 << 0;
    QTest::newRow("indented, from column 0") << "  x" << 0 << 2 << 0;
    QTest::newRow("not indented") << "mov" << 2 << 0 << 0;
    QTest::newRow("only blanks") << " \t " << 2 << 0 << 0;
    QTest::newRow("empty") << "" << 0 << 0 << 0;
}

void EditViewTest::homeGoesToTheTextThenToColumnZero() {
    QFETCH(QString, line);
    QFETCH(int, start);
    QFETCH(int, firstHome);
    QFETCH(int, secondHome);
    EditorFixture editor(line.toStdString());
    editor.view.setCursorPosition({0, start});
    QTest::keyClick(&editor.view, Qt::Key_Home);
    QCOMPARE(editor.view.cursorPosition().column, firstHome);
    QTest::keyClick(&editor.view, Qt::Key_Home);
    QCOMPARE(editor.view.cursorPosition().column, secondHome);
    QTest::keyClick(&editor.view, Qt::Key_End, Qt::ShiftModifier);
    QCOMPARE(editor.view.selectionEnd().column, static_cast<int>(line.size()));
}

void EditViewTest::pageDownMovesByAPageAndClamps() {
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
    const int line = 6 + page;
    QCOMPARE(editor.view.cursorPosition(), (TextPosition{line, std::min(6, line % 7)}));

    for (int k = 0; k < 100; ++k) {
        QTest::keyClick(&editor.view, Qt::Key_PageDown);
    }
    QCOMPARE(editor.view.cursorPosition().line, 100);  // the empty line after the last line end
    QVERIFY(editor.view.firstVisibleLine() <= 100);

    QTest::keyClick(&editor.view, Qt::Key_PageUp, Qt::ShiftModifier);
    QCOMPARE(editor.view.cursorPosition().line, 100 - page);
    QCOMPARE(editor.view.selectionEnd(), (TextPosition{100, 0}));
}

void EditViewTest::overwriteModeReplacesAndEnterOnlyMoves() {
    EditorFixture editor("abc\r\ndef");
    QVERIFY(!editor.view.isOverwriteMode());
    QTest::keyClick(&editor.view, Qt::Key_Insert);
    QVERIFY(editor.view.isOverwriteMode());
    QTest::keyClicks(&editor.view, "XY");
    QCOMPARE(editor.line(0), std::string("XYc"));
    QTest::keyClick(&editor.view, Qt::Key_Return);
    QCOMPARE(editor.buffer.lineCount(), 2);
    QCOMPARE(editor.view.cursorPosition(), (TextPosition{1, 0}));
    QTest::keyClick(&editor.view, Qt::Key_End);
    QTest::keyClicks(&editor.view, "gh");  // past the line end it appends
    QCOMPARE(editor.line(1), std::string("defgh"));
    QTest::keyClick(&editor.view, Qt::Key_Return);  // on the last line it breaks the line
    QCOMPARE(editor.buffer.lineCount(), 3);
    QTest::keyClick(&editor.view, Qt::Key_Insert);
    QVERIFY(!editor.view.isOverwriteMode());
}

void EditViewTest::pasteNeedsTextOnTheClipboard() {
    EditorFixture editor("one");
    QGuiApplication::clipboard()->clear();
    QVERIFY(!editor.view.canPaste());
    QTest::keyClick(&editor.view, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(editor.line(0), std::string("one"));

    QSignalSpy stateChanged(&editor.view, &CX86TextView::editStateChanged);
    QGuiApplication::clipboard()->setText(QStringLiteral("x\ny\rz"));
    QVERIFY(editor.view.canPaste());
    QVERIFY(!stateChanged.isEmpty());
    QTest::keyClick(&editor.view, Qt::Key_End);
    QTest::keyClick(&editor.view, Qt::Key_Insert, Qt::ShiftModifier);
    QCOMPARE(editor.buffer.lineCount(), 3);
    QCOMPARE(editor.line(0), std::string("onex"));
    QCOMPARE(editor.line(2), std::string("z"));
    QCOMPARE(editor.view.cursorPosition(), (TextPosition{2, 1}));

    editor.view.setSelection({0, 0}, {0, 3});
    QTest::keyClick(&editor.view, Qt::Key_X, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("one"));
    QCOMPARE(editor.line(0), std::string("x"));
}

void EditViewTest::readOnlyBufferRefusesEveryEdit() {
    EditorFixture editor("mov al,1\r\nhlt");
    QGuiApplication::clipboard()->setText(QStringLiteral("pasted"));
    editor.buffer.setReadOnly(true);
    editor.view.setCursorPosition({0, 3});
    QTest::keyClicks(&editor.view, "abc");
    for (const Qt::Key key : {Qt::Key_Delete, Qt::Key_Backspace, Qt::Key_Return, Qt::Key_Tab}) {
        QTest::keyClick(&editor.view, key);
    }
    QTest::keyClick(&editor.view, Qt::Key_V, Qt::ControlModifier);
    editor.view.setSelection({0, 0}, {1, 1});
    QTest::keyClick(&editor.view, Qt::Key_X, Qt::ControlModifier);
    editor.view.replaceSelection("replaced");
    QCOMPARE(editor.buffer.text(), std::string("mov al,1\r\nhlt"));
    QVERIFY(!editor.view.canPaste());
    QVERIFY(editor.messages.isEmpty());
}

void EditViewTest::cursorMovesReportTheirPosition() {
    EditorFixture editor("\tmov\r\nx");
    QSignalSpy position(&editor.view, &CX86TextView::positionTextChanged);
    QTest::keyClick(&editor.view, Qt::Key_Right);
    QTest::keyClick(&editor.view, Qt::Key_Right);
    QCOMPARE(position.last().first().toString(), QStringLiteral("Ln 1, Col 3"));
    QTest::keyClick(&editor.view, Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(position.last().first().toString(), QStringLiteral("Ln 2, Col 2"));
}

void EditViewTest::wordMovesStopAtWordStarts() {
    EditorFixture editor("mov  ax,bx ; c\r\nnext");
    for (const int stop : {5, 7, 8, 11, 13, 14}) {
        QTest::keyClick(&editor.view, Qt::Key_Right, Qt::ControlModifier);
        QCOMPARE(editor.view.cursorPosition().column, stop);
    }
    QTest::keyClick(&editor.view, Qt::Key_Right, Qt::ControlModifier);
    QCOMPARE(editor.view.cursorPosition(), (TextPosition{1, 0}));
    QTest::keyClick(&editor.view, Qt::Key_Left, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(editor.view.cursorPosition(), (TextPosition{0, 14}));
    QTest::keyClick(&editor.view, Qt::Key_Left, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(editor.view.cursorPosition(), (TextPosition{0, 13}));
    QTest::keyClick(&editor.view, Qt::Key_Left, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(editor.view.cursorPosition(), (TextPosition{0, 11}));
    QCOMPARE(editor.view.selectionEnd(), (TextPosition{1, 0}));
}

void EditViewTest::upAndDownKeepTheirScreenColumn() {
    EditorFixture editor("abcdefghij\r\nab\r\n\tx\r\nabcdefghij");
    editor.view.setCursorPosition({0, 9});
    const std::vector<TextPosition> stops{{1, 2}, {2, 2}, {3, 9}};
    for (const TextPosition stop : stops) {
        QTest::keyClick(&editor.view, Qt::Key_Down);
        QCOMPARE(editor.view.cursorPosition(), stop);
    }
    QTest::keyClick(&editor.view, Qt::Key_Left);
    QTest::keyClick(&editor.view, Qt::Key_Up);
    QCOMPARE(editor.view.cursorPosition(), (TextPosition{2, 1}));  // the tab ends at column 8
    QTest::keyClick(&editor.view, Qt::Key_Up);
    QCOMPARE(editor.view.cursorPosition(), (TextPosition{1, 2}));
}

void EditViewTest::aMultiByteCharacterIsOneCharacter() {
    // "a", a UTF-8 plus-minus sign, "b", and a lone Latin-1 byte shown as its own character.
    EditorFixture editor(
        "a\xC2\xB1"
        "b\xB5");
    QSignalSpy position(&editor.view, &CX86TextView::positionTextChanged);
    QTest::keyClick(&editor.view, Qt::Key_Right);
    QTest::keyClick(&editor.view, Qt::Key_Right);
    QCOMPARE(editor.view.cursorPosition(), (TextPosition{0, 3}));
    QCOMPARE(position.last().first().toString(), QStringLiteral("Ln 1, Col 3"));
    QTest::keyClick(&editor.view, Qt::Key_Backspace);
    QCOMPARE(editor.line(0), std::string("ab\xB5"));
    QTest::keyClick(&editor.view, Qt::Key_End);
    QTest::keyClick(&editor.view, Qt::Key_Left);
    QCOMPARE(editor.view.cursorPosition(), (TextPosition{0, 2}));
}

void EditViewTest::marginClicksSelectLines() {
    EditorFixture editor("one\r\ntwo\r\nthree");
    QWidget* area = editor.view.viewport();
    QTest::mouseClick(area, Qt::LeftButton, {}, editor.pointOnLine(1, 5));
    QCOMPARE(editor.view.selectionStart(), (TextPosition{1, 0}));
    QCOMPARE(editor.view.selectionEnd(), (TextPosition{2, 0}));
    QTest::mouseClick(area, Qt::LeftButton, Qt::ShiftModifier, editor.pointOnLine(2, 5));
    QCOMPARE(editor.view.selectionStart(), (TextPosition{1, 0}));
    QCOMPARE(editor.view.selectionEnd(), (TextPosition{2, 5}));
    QTest::mouseClick(area, Qt::LeftButton, Qt::ControlModifier, editor.pointOnLine(0, 5));
    QCOMPARE(editor.view.selectionStart(), (TextPosition{0, 0}));
    QCOMPARE(editor.view.selectionEnd(), (TextPosition{2, 5}));
    QCOMPARE(editor.view.selectedText(), std::string("one\r\ntwo\r\nthree"));
}

void EditViewTest::doubleClickSelectsAWord() {
    EditorFixture editor("  mov loop_1,bx");
    const int charWidth = QFontMetrics(editor.view.viewport()->font()).horizontalAdvance('X');
    const QPoint onLabel = editor.pointOnLine(0, CX86TextView::kMarginWidth + charWidth * 8);
    QTest::mouseDClick(editor.view.viewport(), Qt::LeftButton, {}, onLabel);
    QCOMPARE(editor.view.selectedText(), std::string("loop_1"));
    QTest::mouseClick(editor.view.viewport(), Qt::LeftButton, {}, onLabel);
    QVERIFY(!editor.view.hasSelection());
    QCOMPARE(editor.view.cursorPosition(), (TextPosition{0, 8}));
    // Ctrl widens a click, and a Shift-click from there, to whole words.
    const QPoint onMov = editor.pointOnLine(0, CX86TextView::kMarginWidth + charWidth * 3);
    QTest::mouseClick(editor.view.viewport(), Qt::LeftButton, Qt::ControlModifier, onMov);
    QCOMPARE(editor.view.selectedText(), std::string("mov"));
    QTest::mouseClick(editor.view.viewport(), Qt::LeftButton,
                      Qt::ControlModifier | Qt::ShiftModifier, onLabel);
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

void EditViewTest::rightClickAsksForTheContextMenu() {
    EditorFixture editor("x");
    QSignalSpy wanted(&editor.view, &CX86TextView::contextMenuWanted);
    const QPoint point(60, 5);
    QContextMenuEvent mouse(QContextMenuEvent::Mouse, point,
                            editor.view.viewport()->mapToGlobal(point));
    QApplication::sendEvent(editor.view.viewport(), &mouse);
    QContextMenuEvent keyboard(QContextMenuEvent::Keyboard, QPoint(0, 0), QPoint(0, 0));
    QApplication::sendEvent(editor.view.viewport(), &keyboard);
    QCOMPARE(wanted.count(), 2);
    QCOMPARE(wanted.at(0).first().toPoint(), editor.view.viewport()->mapToGlobal(point));
    QCOMPARE(wanted.at(1).first().toPoint(), editor.view.mapToGlobal(QPoint(5, 5)));
}

}  // namespace tarvix

QTEST_MAIN(tarvix::EditViewTest)
#include "edit_view_test.moc"
