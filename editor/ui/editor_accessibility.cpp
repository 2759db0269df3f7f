#include "editor/ui/editor_accessibility.h"

#include <QAccessible>
#include <QStringList>

#include "editor/ui/x86_text_view.h"

namespace tarvix {

QString lineMarksDescription(std::uint32_t flags) {
    QStringList marks;
    if ((flags & kExecutionMarker) != 0) {
        marks << QStringLiteral("current line");
    }
    if ((flags & kErrorMarker) != 0) {
        marks << QStringLiteral("error");
    }
    if ((flags & kBreakpointMarker) != 0) {
        marks << QStringLiteral("breakpoint");
    }
    return marks.join(QStringLiteral(", "));
}

const AccessibleText& EditorAccessibility::text() {
    if (!text_) {
        text_ = view_.buffer() == nullptr ? AccessibleText() : AccessibleText(*view_.buffer());
    }
    return *text_;
}

QString EditorAccessibility::description() const {
    const CX86TextBuffer* buffer = view_.buffer();
    return buffer == nullptr ? QString()
                             : lineMarksDescription(buffer->lineFlags(view_.cursorPosition().line));
}

void EditorAccessibility::textChanged(const TextChange& change) {
    if (change.kind == ChangeKind::LineFlags) {
        caretMoved();  // the marks under the caret may have changed
        return;
    }
    std::optional<AccessibleText> before = std::move(text_);
    text_.reset();
    if (!QAccessible::isActive() || !before) {
        return;  // nobody has read the text yet: nothing to tell of its change
    }
    const AccessibleText& after = text();
    if (change.kind == ChangeKind::WholeText) {
        QAccessibleTextUpdateEvent event(&view_, 0, before->text(), after.text());
        QAccessible::updateAccessibility(&event);
        return;
    }
    // Each notice is one insertion or one deletion: the text grew or shrank by it.
    const bool inserted = after.size() > before->size();
    const AccessibleText& holder = inserted ? after : *before;
    const int start = holder.offsetOf(change.start);
    const QString piece = holder.text().mid(start, holder.offsetOf(change.end) - start);
    if (piece.isEmpty()) {
        return;
    }
    if (inserted) {
        QAccessibleTextInsertEvent event(&view_, start, piece);
        QAccessible::updateAccessibility(&event);
    } else {
        QAccessibleTextRemoveEvent event(&view_, start, piece);
        QAccessible::updateAccessibility(&event);
    }
}

void EditorAccessibility::caretMoved() {
    if (!QAccessible::isActive()) {
        return;
    }
    const AccessibleText& now = text();
    const int caret = now.offsetOf(view_.cursorPosition());
    const int start = view_.hasSelection() ? now.offsetOf(view_.selectionStart()) : caret;
    const int end = view_.hasSelection() ? now.offsetOf(view_.selectionEnd()) : caret;
    if (caret != caret_) {
        QAccessibleTextCursorEvent event(&view_, caret);
        QAccessible::updateAccessibility(&event);
    }
    const bool hadSelection = selectionStart_ != selectionEnd_;
    if ((hadSelection || start != end) && (start != selectionStart_ || end != selectionEnd_)) {
        QAccessibleTextSelectionEvent event(&view_, start, end);
        event.setCursorPosition(caret);
        QAccessible::updateAccessibility(&event);
    }
    caret_ = caret;
    selectionStart_ = start;
    selectionEnd_ = end;
    const QString marks = description();
    if (marks != description_) {
        description_ = marks;
        QAccessibleEvent event(&view_, QAccessible::DescriptionChanged);
        QAccessible::updateAccessibility(&event);
    }
}

}  // namespace tarvix
