#include "editor/ui/x86_edit_view.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <algorithm>

#include "editor/line_layout.h"
#include "editor/ui/replace_dialog.h"

namespace tarvix {

namespace {

constexpr std::string_view kLineEnd = "\r\n";

std::string_view leadingBlanks(std::string_view line) {
    return line.substr(0, std::min(line.find_first_not_of(" \t"), line.size()));
}

}  // namespace

CX86EditView::CX86EditView(QWidget* parent) : CX86TextView(parent) {
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this,
            &CX86TextView::editStateChanged);
}

bool CX86EditView::isEditable() const {
    return buffer() != nullptr && !buffer()->isReadOnly();
}

bool CX86EditView::canUndo() const {
    return isEditable() && buffer()->canUndo();
}

bool CX86EditView::canRedo() const {
    return isEditable() && buffer()->canRedo();
}

bool CX86EditView::canPaste() const {
    const QMimeData* clipboard = QGuiApplication::clipboard()->mimeData();
    return isEditable() && clipboard != nullptr && clipboard->hasText();
}

void CX86EditView::onTextChanged(TextBufferView* source, const TextChange& change) {
    if (source != this && change.kind != ChangeKind::LineFlags) {
        typingEnd_.reset();
    }
    CX86TextView::onTextChanged(source, change);
}

template <typename Edit>
void CX86EditView::asUndoGroup(bool merge, Edit edit) {
    buffer()->beginUndoGroup(merge);
    edit();
    buffer()->endUndoGroup(this);
    typingEnd_.reset();
}

TextPosition CX86EditView::removeSelection(EditAction action) {
    if (!hasSelection()) {
        return cursorPosition();
    }
    const TextRange selection = selectionRange();
    return buffer()->deleteRange(this, selection.start, selection.end, action) ? selection.start
                                                                               : cursorPosition();
}

// ---- typing ----

void CX86EditView::typeText(const QString& text) {
    if (!isEditable() || isMouseButtonHeld() || text.isEmpty()) {
        return;
    }
    const std::string bytes = bufferBytes(text);
    // Typing runs merge into one undo group per word: a space starts the next one.
    const bool replacing = hasSelection();
    const bool merge = bytes != " " && !replacing && typingEnd_ == cursorPosition();
    std::optional<TextPosition> end;
    asUndoGroup(merge, [&] {
        const TextPosition at = removeSelection(EditAction::Typing);
        if (isOverwriteMode() && !replacing) {
            const LineLayout layout(buffer()->line(at.line));
            const int typed = static_cast<int>(text.toUcs4().size());
            const int covered = layout.byteOf(layout.characterAt(at.column) + typed);
            buffer()->deleteRange(this, at, {at.line, covered}, EditAction::Typing);
        }
        end = buffer()->insertTextAt(this, at, bytes, EditAction::Typing);
    });
    if (end) {
        placeCursorAfterEdit(*end);
        typingEnd_ = *end;
    }
}

void CX86EditView::typeEnter() {
    if (!isEditable() || isMouseButtonHeld()) {
        return;
    }
    const TextPosition cursor = cursorPosition();
    if (isOverwriteMode() && cursor.line < buffer()->lineCount() - 1) {
        setCursorPosition({cursor.line + 1, 0});
        return;
    }
    std::optional<TextPosition> end;
    asUndoGroup(false, [&] {
        end = buffer()->insertTextAt(this, removeSelection(EditAction::Typing), kLineEnd,
                                     EditAction::Typing);
    });
    if (!end) {
        return;
    }
    const std::string indent(leadingBlanks(buffer()->line(end->line - 1)));
    if (!isOverwriteMode() && !indent.empty()) {
        // Its own undo group, so that Undo takes the indent back before the line break.
        asUndoGroup(false, [&] {
            if (auto indented = buffer()->insertTextAt(this, *end, indent, EditAction::Indent)) {
                end = indented;
            }
        });
    }
    placeCursorAfterEdit(*end);
}

// ---- deleting ----

void CX86EditView::deleteOrStay(TextPosition start, TextPosition end) {
    if (start == end) {
        return;
    }
    asUndoGroup(false, [&] { buffer()->deleteRange(this, start, end, EditAction::Delete); });
    placeCursorAfterEdit(start);
}

void CX86EditView::deleteSelection() {
    if (isEditable() && hasSelection()) {
        deleteOrStay(selectionStart(), selectionEnd());
    }
}

void CX86EditView::deleteForward() {
    if (!isEditable()) {
        return;
    }
    if (hasSelection()) {
        deleteSelection();
        return;
    }
    // To the next character, or the line end, as the caret would step.
    const TextPosition cursor = cursorPosition();
    deleteOrStay(cursor, caretMove(*buffer(), cursor, Movement::CharRight, {}));
}

void CX86EditView::deleteBackward() {
    if (!isEditable()) {
        return;
    }
    if (hasSelection()) {
        deleteSelection();
        return;
    }
    const TextPosition cursor = cursorPosition();
    deleteOrStay(caretMove(*buffer(), cursor, Movement::CharLeft, {}), cursor);
}

// ---- block indent ----

std::pair<int, int> CX86EditView::blockLines() const {
    if (!hasSelection()) {
        return {cursorPosition().line, cursorPosition().line};
    }
    const TextPosition end = selectionEnd();
    // A selection that ends at a line's start leaves that line alone.
    const int last = end.column == 0 && end.line > selectionStart().line ? end.line - 1 : end.line;
    return {selectionStart().line, last};
}

void CX86EditView::reselectBlock(TextRange before, bool cursorAtEnd, int firstLine,
                                 const std::vector<int>& growth) {
    const auto shifted = [&](TextPosition p) {
        const int index = p.line - firstLine;
        if (index < 0 || index >= static_cast<int>(growth.size())) {
            return p;
        }
        const int change = growth[static_cast<std::size_t>(index)];
        // A position at a line's start stays there, so the block takes in its new indent.
        if (change > 0 && p.column == 0) {
            return p;
        }
        return TextPosition{p.line, std::max(0, p.column + change)};
    };
    const TextPosition start = shifted(before.start);
    const TextPosition end = shifted(before.end);
    setSelection(cursorAtEnd ? start : end, cursorAtEnd ? end : start);
}

void CX86EditView::indentSelection() {
    if (!isEditable()) {
        return;
    }
    if (!hasSelection() || selectionStart().line == selectionEnd().line) {
        typeText(QStringLiteral("\t"));
        return;
    }
    const TextRange before = selectionRange();
    const bool cursorAtEnd = cursorPosition() == before.end;
    const auto [first, last] = blockLines();
    std::vector<int> growth;
    asUndoGroup(false, [&, first = first, last = last] {
        for (int line = first; line <= last; ++line) {
            const bool inserted =
                buffer()->insertTextAt(this, {line, 0}, "\t", EditAction::Indent).has_value();
            growth.push_back(inserted ? 1 : 0);
        }
    });
    reselectBlock(before, cursorAtEnd, first, growth);
}

void CX86EditView::unindentSelection() {
    if (!isEditable()) {
        return;
    }
    const TextRange before = selectionRange();
    const bool cursorAtEnd = cursorPosition() == before.end;
    const auto [first, last] = blockLines();
    std::vector<int> growth;
    asUndoGroup(false, [&, first = first, last = last] {
        for (int line = first; line <= last; ++line) {
            // One level: a leading tab, or up to a tab's width of spaces.
            const std::string_view text = buffer()->line(line);
            int count = 0;
            if (!text.empty() && text[0] == '\t') {
                count = 1;
            } else {
                while (count < kTabSize && count < static_cast<int>(text.size()) &&
                       text[static_cast<std::size_t>(count)] == ' ') {
                    ++count;
                }
            }
            const bool removed = count > 0 && buffer()->deleteRange(this, {line, 0}, {line, count},
                                                                    EditAction::Indent);
            growth.push_back(removed ? -count : 0);
        }
    });
    reselectBlock(before, cursorAtEnd, first, growth);
}

// ---- clipboard and replacing ----

void CX86EditView::cut() {
    if (isEditable() && hasSelection()) {
        copy();
        deleteSelection();
    }
}

void CX86EditView::paste() {
    if (!canPaste()) {
        return;
    }
    const std::string text = bufferBytes(QGuiApplication::clipboard()->text());
    std::optional<TextPosition> end;
    asUndoGroup(false, [&] {
        end = buffer()->insertTextAt(this, removeSelection(EditAction::Paste), text,
                                     EditAction::Paste);
    });
    if (end) {
        placeCursorAfterEdit(*end);
    }
}

std::string CX86EditView::bufferBytes(const QString& text) const {
    const bool latin1 = buffer() != nullptr && buffer()->encoding() == TextEncoding::Latin1;
    return latin1 ? text.toLatin1().toStdString() : text.toStdString();
}

void CX86EditView::replaceSelection(const std::string& text) {
    if (!isEditable()) {
        return;
    }
    std::optional<TextPosition> end;
    asUndoGroup(false, [&] {
        end = buffer()->insertTextAt(this, removeSelection(EditAction::Replace), text,
                                     EditAction::Replace);
    });
    if (end) {
        placeCursorAfterEdit(*end);
    }
}

void CX86EditView::replace() {
    if (!isEditable()) {
        return;
    }
    ReplaceDialog dialog(this);
    dialog.exec();
}

// ---- undo, modes ----

void CX86EditView::undo() {
    stepHistory(&CX86TextBuffer::undoGroup);
}

void CX86EditView::redo() {
    stepHistory(&CX86TextBuffer::redoGroup);
}

void CX86EditView::stepHistory(std::optional<TextPosition> (CX86TextBuffer::*step)()) {
    if (!isEditable()) {
        return;
    }
    typingEnd_.reset();
    if (const std::optional<TextPosition> cursor = (buffer()->*step)()) {
        placeCursorAfterEdit(*cursor);
    }
    emit editStateChanged();
}

void CX86EditView::toggleOverwrite() {
    setOverwriteMode(!isOverwriteMode());
}

}  // namespace tarvix
