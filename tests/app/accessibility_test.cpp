// The custom widgets as a screen reader reads them through Qt's accessibility interfaces:
// the editor's text, caret and edits, the registers and flags, and the Output pane's
// messages. The events are caught by an update handler in place of the platform's bridge.
#include <QtGui/private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>
#include <QAccessible>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QRadioButton>
#include <QTest>
#include <memory>
#include <vector>

#include "app/output_bar.h"
#include "editor/ui/editor_accessible.h"
#include "editor/ui/x86_edit_view.h"
#include "panels/register_pane.h"
#include "panels/register_pane_accessible.h"
#include "simulator/register_text.h"
#include "tools/ui/delay_routine_dialog.h"
#include "tools/ui/number_converter_dialog.h"
#include "tools/ui/segment_codes_dialog.h"

using namespace tarvix;

namespace {

struct Caught {
    QAccessible::Event type;
    QObject* object;
    QAccessibleInterface* source;
    int position;  // of a text or caret event, else -1
    QString text;  // inserted or removed
};

std::vector<Caught>* caught = nullptr;

void catchEvent(QAccessibleEvent* event) {
    if (caught == nullptr) {
        return;
    }
    Caught c{event->type(), event->object(), event->accessibleInterface(), -1, {}};
    if (event->type() == QAccessible::TextInserted) {
        c.position = static_cast<QAccessibleTextInsertEvent*>(event)->changePosition();
        c.text = static_cast<QAccessibleTextInsertEvent*>(event)->textInserted();
    } else if (event->type() == QAccessible::TextRemoved) {
        c.position = static_cast<QAccessibleTextRemoveEvent*>(event)->changePosition();
        c.text = static_cast<QAccessibleTextRemoveEvent*>(event)->textRemoved();
    } else if (event->type() == QAccessible::TextCaretMoved) {
        c.position = static_cast<QAccessibleTextCursorEvent*>(event)->cursorPosition();
    }
    caught->push_back(c);
}

std::vector<Caught> ofType(const std::vector<Caught>& all, QAccessible::Event type) {
    std::vector<Caught> some;
    std::copy_if(all.begin(), all.end(), std::back_inserter(some),
                 [type](const Caught& c) { return c.type == type; });
    return some;
}

}  // namespace

class AccessibilityTest : public QObject {
    Q_OBJECT

    std::vector<Caught> events_;
    CX86TextBuffer buffer_;
    std::unique_ptr<CX86EditView> view_;

    QAccessibleTextInterface* editorText() {
        return QAccessible::queryAccessibleInterface(view_.get())->textInterface();
    }

    void showEditor(const std::string& text) {
        buffer_.initEmpty();
        buffer_.insertTextAt(nullptr, {0, 0}, text, EditAction::Unknown);
        view_ = std::make_unique<CX86EditView>();
        view_->attachBuffer(&buffer_);
        view_->resize(400, 200);
        view_->show();
        view_->setFocus();
        QVERIFY(QTest::qWaitForWindowExposed(view_.get()));
        editorText()->characterCount();  // a reader has read the text: edits are told from now
        events_.clear();
    }

private slots:
    void initTestCase() {
        installEditorAccessibility();
        installRegisterPaneAccessibility();
        QAccessible::installUpdateHandler(catchEvent);
        // As when a screen reader listens: without it Qt drops every event.
        QPlatformAccessibility* platform =
            QGuiApplicationPrivate::platformIntegration()->accessibility();
        QVERIFY(platform != nullptr);
        platform->setActive(true);
        caught = &events_;
    }

    void cleanup() {
        view_.reset();
        events_.clear();
    }

    // Offsets count UTF-16 units over lines joined by "\n", whatever the bytes' encoding.
    void editorMapsOffsetsToBytes() {
        showEditor("mov\tal,1\r\n\xC3\xA4\xF0\x9F\x98\x80x\r\n\xFF");
        QAccessibleTextInterface* text = editorText();
        QCOMPARE(text->text(0, text->characterCount()),
                 QString::fromUtf8("mov\tal,1\n\xC3\xA4\xF0\x9F\x98\x80x\n\xC3\xBF"));
        const struct {
            int offset;
            TextPosition position;
        } cases[] = {{0, {0, 0}},  {4, {0, 4}},  {8, {0, 8}},  {9, {1, 0}},
                     {10, {1, 2}}, {12, {1, 6}}, {14, {2, 0}}, {15, {2, 1}}};
        for (const auto& c : cases) {
            QTest::qWait(0);
            text->setCursorPosition(c.offset);
            QCOMPARE(view_->cursorPosition(), c.position);
            QCOMPARE(text->cursorPosition(), c.offset);
        }
        int start = 0;
        int end = 0;
        QCOMPARE(text->textAtOffset(10, QAccessible::LineBoundary, &start, &end).trimmed(),
                 QString::fromUtf8("\xC3\xA4\xF0\x9F\x98\x80x"));
        QCOMPARE(start, 9);
    }

    void editorReportsTypingAndCaretMoves() {
        showEditor("mov al,1\r\nhlt");
        view_->setCursorPosition({1, 3});
        QTest::keyClicks(view_.get(), "x");
        QTest::keyClick(view_.get(), Qt::Key_Backspace);
        QTest::keyClick(view_.get(), Qt::Key_Home);
        const auto inserted = ofType(events_, QAccessible::TextInserted);
        const auto removed = ofType(events_, QAccessible::TextRemoved);
        const auto moved = ofType(events_, QAccessible::TextCaretMoved);
        QCOMPARE(inserted.size(), 1u);
        QCOMPARE(inserted[0].position, 12);
        QCOMPARE(inserted[0].text, QString("x"));
        QCOMPARE(removed.size(), 1u);
        QCOMPARE(removed[0].position, 12);
        QCOMPARE(removed[0].text, QString("x"));
        QVERIFY(!moved.empty());
        QCOMPARE(moved.back().position, 9);
    }

    void editorEditsThroughItsInterfaceUnlessReadOnly() {
        showEditor("mov al,1");
        auto* editable =
            QAccessible::queryAccessibleInterface(view_.get())->editableTextInterface();
        editable->replaceText(4, 6, "bl");
        QCOMPARE(buffer_.line(0), std::string_view("mov bl,1"));
        buffer_.setReadOnly(true);
        editable->insertText(0, ";");
        QCOMPARE(buffer_.line(0), std::string_view("mov bl,1"));
        QVERIFY(QAccessible::queryAccessibleInterface(view_.get())->state().readOnly);
    }

    void editorDescribesTheMarksOfTheCaretLine() {
        showEditor("nop\r\nhlt");
        QAccessibleInterface* editor = QAccessible::queryAccessibleInterface(view_.get());
        QCOMPARE(editor->role(), QAccessible::EditableText);
        QVERIFY(editor->state().multiLine);
        buffer_.setLineFlags(1, kErrorMarker | kBreakpointMarker);
        QCOMPARE(editor->text(QAccessible::Description), QString());
        view_->setCursorPosition({1, 0});
        QCOMPARE(editor->text(QAccessible::Description), QString("error, breakpoint"));
        buffer_.moveMarker(kExecutionMarker, 1);
        QCOMPARE(editor->text(QAccessible::Description),
                 QString("current line, error, breakpoint"));
        QCOMPARE(ofType(events_, QAccessible::DescriptionChanged).size(), 2u);
    }

    void registersAreItemsWithValuesAndChangesAreTold() {
        RegisterPane pane;
        CpuRegisters regs;
        regs[Reg16::AX] = 0x0F3A;
        regs.FLAGS = 0x0001;
        pane.setLines(registerLines(regs, 0x100a));
        pane.markStop();
        QAccessibleInterface* registers = QAccessible::queryAccessibleInterface(&pane);
        QCOMPARE(registers->childCount(), 17);
        const struct {
            int index;
            const char* name;
            const char* value;
        } cases[] = {{0, "AX", "0F3A"},
                     {6, "IP", "100A"},
                     {13, "Zero flag", "clear"},
                     {16, "Carry flag", "set"}};
        for (const auto& c : cases) {
            QAccessibleInterface* item = registers->child(c.index);
            QCOMPARE(item->text(QAccessible::Name), QString(c.name));
            QCOMPARE(item->text(QAccessible::Value), QString(c.value));
            QCOMPARE(registers->indexOfChild(item), c.index);
        }
        QVERIFY(registers->child(16)->state().checked);
        events_.clear();
        regs[Reg16::BX] = 1;
        regs.FLAGS = 0x0040;  // Zero set, Carry cleared
        pane.setLines(registerLines(regs, 0x100a));
        QCOMPARE(registers->child(1)->text(QAccessible::Description), QString("0001, changed"));
        pane.markStop();
        QList<int> changed;
        for (const Caught& c : ofType(events_, QAccessible::ValueChanged)) {
            changed << registers->indexOfChild(c.source);
        }
        QCOMPARE(changed, (QList<int>{1, 13, 16}));
    }

    void outputPaneAnnouncesEachNewMessage() {
        OutputBar bar;
        auto* line = bar.findChild<QLabel*>();
        bar.setText("Line 2 Error: Invalid instruction");
        bar.setText("Line 2 Error: Invalid instruction");
        bar.setText("Done.");
        const auto alerts = ofType(events_, QAccessible::Alert);
        QCOMPARE(alerts.size(), 2u);
        QCOMPARE(alerts[0].object, line);
        QCOMPARE(QAccessible::queryAccessibleInterface(line)->text(QAccessible::Name),
                 QString("Done."));
    }

    // Each control Tab reaches has a name to speak, Tab reaches every one, and Escape closes.
    void toolDialogsCanBeUsedWithoutSight() {
        const std::unique_ptr<QDialog> dialogs[] = {std::make_unique<DelayRoutineDialog>(),
                                                    std::make_unique<SegmentCodesDialog>(),
                                                    std::make_unique<NumberConverterDialog>()};
        for (const auto& dialog : dialogs) {
            const QString title = dialog->windowTitle();
            dialog->show();
            QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
            QList<QWidget*> reachable;
            for (QWidget* child : dialog->findChildren<QWidget*>()) {
                if (child->isVisible() && child->isEnabled() &&
                    (child->focusPolicy() & Qt::TabFocus) != 0 && child->focusProxy() == nullptr) {
                    reachable << child;
                    const QString name =
                        QAccessible::queryAccessibleInterface(child)->text(QAccessible::Name);
                    QVERIFY2(!name.trimmed().isEmpty(),
                             qPrintable(title + ": " + child->metaObject()->className()));
                }
            }
            dialog->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(dialog.get()));
            QSet<QWidget*> visited;
            for (int press = 0; press < 2 * reachable.size(); ++press) {
                visited.insert(QApplication::focusWidget());
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            }
            // Tab stops at one button of a group of radio buttons; the arrows choose among them.
            const auto groupOf = [](QWidget* w) {
                auto* radio = qobject_cast<QRadioButton*>(w);
                return radio != nullptr && radio->autoExclusive() ? w->parentWidget() : w;
            };
            QSet<QWidget*> visitedGroups;
            for (QWidget* w : visited) {
                visitedGroups.insert(groupOf(w));
            }
            for (QWidget* child : reachable) {
                QVERIFY2(visitedGroups.contains(groupOf(child)),
                         qPrintable(title + ": Tab misses " + child->objectName() +
                                    child->metaObject()->className()));
            }
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
            QVERIFY2(!dialog->isVisible(), qPrintable(title));
        }
    }
};

QTEST_MAIN(AccessibilityTest)
#include "accessibility_test.moc"
