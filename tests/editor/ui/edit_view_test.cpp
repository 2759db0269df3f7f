// The edit view as a user drives it: its own editing by keys, selection by the mouse, Find,
// F3, Replace and printing; the caret's moves are the core's (tests/editor/caret_moves_test).
// The dialogs keep their requests in a profile of the test's own, left from test to test.
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFile>
#include <QFontMetrics>
#include <QLineEdit>
#include <QPrinter>
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
#include "editor/ui/text_printer.h"
#include "editor/ui/x86_edit_view.h"
#include "editor/x86_text_buffer.h"
#include "ui/kit_fonts.h"

namespace tarvix {

namespace {

// A shown edit view over a buffer loaded from a file, with its messages caught in a list.
class EditorFixture {
public:
    explicit EditorFixture(const std::string& text) {
        const QString path = folder_.filePath(QStringLiteral("source.asm"));
        QFile file(path);
        if (file.open(QIODevice::WriteOnly)) {
            file.write(text.data(), static_cast<qint64>(text.size()));
            file.close();
        }
        loaded = buffer.loadFile(path.toStdString());
        view.setMessageHandler([this](const QString& message) { messages << message; });
        view.attachBuffer(&buffer);
        view.resize(480, 320);
        view.show();
        view.setFocus();
        exposed = QTest::qWaitForWindowExposed(&view);
    }

    std::string line(int index) const { return std::string(buffer.line(index)); }
    // The middle of a line's row in the viewport, `x` pixels from its left edge.
    QPoint pointOnLine(int line, int x) const {
        const int height = QFontMetrics(view.viewport()->font()).height();
        return {x, (line - view.firstVisibleLine()) * height + height / 2};
    }

    bool loaded = false;
    bool exposed = false;
    QStringList messages;
    CX86TextBuffer buffer;  // declared before the view, which detaches from it when destroyed
    CX86EditView view;

private:
    QTemporaryDir folder_;
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
    const char* clipboard = nullptr;
    bool readOnly = false;
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
    {"paste takes the buffer's line ends", "one|", "{Shift+Ins}", "onex\r\ny\r\nz|",
     "x\ny\rz"},
    {"cut and paste", "^one |two", "{Ctrl+X}{End}{Ctrl+V}", "twoone |"},
    {"read-only refuses every edit", "mov| al,1\r\nhlt",
     "abc{Del}{Backspace}{Return}{Tab}{Ctrl+V}{Ctrl+A}{Ctrl+X}", "^mov al,1\r\nhlt|", "pasted",
     true},
};
// clang-format on

const std::string kSource = "loopz:\tloop loopz\r\n\tmov ax,bx\r\n\tLOOP loopz\r\nend";

template <typename Widget>
Widget* child(QWidget& dialog, const char* name) {
    return dialog.findChild<Widget*>(QLatin1String(name));
}

// Prints `lines` lines into a PDF file and counts its pages.
int printedPages(const QString& pdf, int lines, int fromPage = 0, int toPage = 0) {
    CX86TextBuffer buffer;
    buffer.initEmpty();
    const QByteArray text = QByteArray("\tmov ax,1\r\n").repeated(lines).chopped(2);
    buffer.insertTextAt(nullptr, {0, 0}, text.toStdString(), EditAction::Unknown);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    printer.setFromTo(fromPage, toPage);
    printText(printer, buffer, monospacedFont("courier"));
    QFile file(pdf);
    file.open(QIODevice::ReadOnly);
    const QByteArray bytes = file.readAll();
    return static_cast<int>(bytes.count("/Type /Page") - bytes.count("/Type /Pages"));
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
        QGuiApplication::clipboard()->setText(QString::fromUtf8(c.clipboard));
        const Marked before = unmark(c.before);
        const Marked after = unmark(c.after);
        EditorFixture editor(before.text);
        QVERIFY(editor.loaded && editor.exposed);
        editor.buffer.setReadOnly(c.readOnly);
        editor.view.setSelection(before.anchor(), before.cursor);
        press(editor.view, c.keys);
        QCOMPARE(editor.buffer.text(), after.text);
        QCOMPARE(editor.view.cursorPosition(), after.cursor);
        QCOMPARE(editor.view.selectionStart(), after.marks.front());
        QCOMPARE(editor.view.selectionEnd(), after.marks.back());
        QVERIFY(editor.messages.isEmpty());
    }

    // The margin selects a line, a double-click a word, Ctrl+Shift carries words on.
    void theMouseSelectsLinesAndWords() {
        EditorFixture editor("one\r\n  mov loop_1,bx\r\nthree");
        QWidget* area = editor.view.viewport();
        const int charWidth = QFontMetrics(area->font()).horizontalAdvance('X');
        const auto onText = [&](int column) {
            return editor.pointOnLine(1, CX86TextView::kMarginWidth + charWidth * column);
        };
        QTest::mouseClick(area, Qt::LeftButton, {}, editor.pointOnLine(1, 5));
        QCOMPARE(editor.view.selectedText(), std::string("  mov loop_1,bx\r\n"));
        QTest::mouseDClick(area, Qt::LeftButton, {}, onText(8));
        QCOMPARE(editor.view.selectedText(), std::string("loop_1"));
        QTest::mouseClick(area, Qt::LeftButton, {}, onText(3));
        QTest::mouseClick(area, Qt::LeftButton, Qt::ControlModifier | Qt::ShiftModifier, onText(8));
        QCOMPARE(editor.view.selectedText(), std::string("mov loop_1"));
    }

    // F3 finds the request again and wraps, Shift+F3 goes up; what is not there is said.
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
        QTest::keyClick(&editor.view, Qt::Key_F3);
        QCOMPARE(editor.view.selectionStart(), (TextPosition{0, 7}));
        QTest::keyClick(&editor.view, Qt::Key_F3, Qt::ShiftModifier);
        QCOMPARE(editor.view.selectionStart(), (TextPosition{2, 1}));
        QCOMPARE(editor.view.selectionEnd(), (TextPosition{2, 5}));
        QCOMPARE(loadFindSettings().findWhat, QStringLiteral("loop"));

        QVERIFY(!editor.view.findAndSelect("push", 0));
        QCOMPARE(editor.messages, QStringList{QStringLiteral("Cannot find the string \"push\"")});
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
            QCOMPARE(editor.line(0), std::string("loopz:\tloop loopz"));
            for (int click = 0; click < 3; ++click) {
                child<QPushButton>(dialog, "replace")->click();
            }
        }
        QCOMPARE(editor.line(0), std::string("again:\tloop again"));
        QCOMPARE(editor.messages.size(), 1);
        QTest::keyClick(&editor.view, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(editor.line(2), std::string("\tLOOP loopz"));
        QCOMPARE(editor.line(0), std::string("again:\tloop again"));

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

    // The margins are kept in whole millimetres.
    void printingFillsPagesAndARangePrintsAlone() {
        const QString pdf = profile_.filePath("out.pdf");
        QCOMPARE(printedPages(pdf, 40), 1);
        const int many = printedPages(pdf, 400);
        QVERIFY2(many > 1 && many < 40, qPrintable(QString::number(many)));
        QCOMPARE(printedPages(pdf, 400, 2, 3), 2);
        savePageMargins(QMarginsF(12.4, 8, 15, 25.6));
        QCOMPARE(loadPageMargins(), QMarginsF(12, 8, 15, 26));
    }

private:
    QTemporaryDir profile_;
};

}  // namespace tarvix

QTEST_MAIN(tarvix::EditViewTest)
#include "edit_view_test.moc"
