#include "editor/ui/editor_accessible.h"

#include "editor/ui/editor_accessibility.h"
#include "editor/ui/x86_edit_view.h"

namespace tarvix {

namespace {

const AccessibleText& textOf(CX86TextView* view) {
    return view->accessibility().text();
}

QAccessibleInterface* editorFactory(const QString&, QObject* object) {
    auto* view = qobject_cast<CX86TextView*>(object);
    return view == nullptr ? nullptr : new EditorAccessible(view);
}

}  // namespace

EditorAccessible::EditorAccessible(CX86TextView* view)
    : QAccessibleWidget(view, QAccessible::EditableText) {}

CX86TextView* EditorAccessible::view() const {
    return static_cast<CX86TextView*>(widget());
}

void* EditorAccessible::interface_cast(QAccessible::InterfaceType type) {
    if (type == QAccessible::TextInterface) {
        return static_cast<QAccessibleTextInterface*>(this);
    }
    if (type == QAccessible::EditableTextInterface) {
        return static_cast<QAccessibleEditableTextInterface*>(this);
    }
    return QAccessibleWidget::interface_cast(type);
}

QAccessible::State EditorAccessible::state() const {
    QAccessible::State state = QAccessibleWidget::state();
    const bool readOnly = view()->buffer() == nullptr || view()->buffer()->isReadOnly() ||
                          qobject_cast<CX86EditView*>(view()) == nullptr;
    state.multiLine = true;
    state.editable = !readOnly;
    state.readOnly = readOnly;
    state.selectableText = true;
    return state;
}

QString EditorAccessible::text(QAccessible::Text type) const {
    if (type == QAccessible::Value) {
        return textOf(view()).text();
    }
    if (type == QAccessible::Description) {
        return view()->accessibility().description();
    }
    return QAccessibleWidget::text(type);
}

void EditorAccessible::selection(int selectionIndex, int* startOffset, int* endOffset) const {
    *startOffset = *endOffset = 0;
    if (selectionIndex == 0 && view()->hasSelection()) {
        *startOffset = textOf(view()).offsetOf(view()->selectionStart());
        *endOffset = textOf(view()).offsetOf(view()->selectionEnd());
    }
}

int EditorAccessible::selectionCount() const {
    return view()->hasSelection() ? 1 : 0;
}

void EditorAccessible::addSelection(int startOffset, int endOffset) {
    setSelection(0, startOffset, endOffset);
}

void EditorAccessible::removeSelection(int selectionIndex) {
    if (selectionIndex == 0) {
        view()->setCursorPosition(view()->cursorPosition());
    }
}

void EditorAccessible::setSelection(int selectionIndex, int startOffset, int endOffset) {
    if (selectionIndex == 0) {
        const AccessibleText& text = textOf(view());
        view()->setSelection(text.positionOf(startOffset), text.positionOf(endOffset));
    }
}

int EditorAccessible::cursorPosition() const {
    return textOf(view()).offsetOf(view()->cursorPosition());
}

void EditorAccessible::setCursorPosition(int position) {
    view()->setCursorPosition(textOf(view()).positionOf(position));
}

QString EditorAccessible::text(int startOffset, int endOffset) const {
    const QString& all = textOf(view()).text();
    if (startOffset < 0 || endOffset > all.size() || startOffset > endOffset) {
        return {};
    }
    return all.mid(startOffset, endOffset - startOffset);
}

int EditorAccessible::characterCount() const {
    return textOf(view()).size();
}

QRect EditorAccessible::characterRect(int offset) const {
    const QRect inViewport = view()->characterRect(textOf(view()).positionOf(offset));
    return {view()->viewport()->mapToGlobal(inViewport.topLeft()), inViewport.size()};
}

int EditorAccessible::offsetAtPoint(const QPoint& point) const {
    const QPoint inViewport = view()->viewport()->mapFromGlobal(point);
    if (!view()->viewport()->rect().contains(inViewport)) {
        return -1;
    }
    return textOf(view()).offsetOf(view()->positionAtPoint(inViewport));
}

void EditorAccessible::scrollToSubstring(int startIndex, int endIndex) {
    const AccessibleText& text = textOf(view());
    view()->ensureLineVisible(text.positionOf(endIndex).line);
    view()->ensureLineVisible(text.positionOf(startIndex).line);
}

QString EditorAccessible::attributes(int offset, int* startOffset, int* endOffset) const {
    // One run of plain text: the colours only echo what the words already say.
    *startOffset = offset < 0 ? -1 : 0;
    *endOffset = offset < 0 ? -1 : characterCount();
    return {};
}

void EditorAccessible::deleteText(int startOffset, int endOffset) {
    replaceText(startOffset, endOffset, QString());
}

void EditorAccessible::insertText(int offset, const QString& text) {
    replaceText(offset, offset, text);
}

void EditorAccessible::replaceText(int startOffset, int endOffset, const QString& text) {
    auto* editor = qobject_cast<CX86EditView*>(view());
    if (editor == nullptr) {
        return;
    }
    setSelection(0, startOffset, endOffset);
    editor->replaceSelection(editor->bufferBytes(text));
}

void installEditorAccessibility() {
    QAccessible::installFactory(editorFactory);
}

}  // namespace tarvix
