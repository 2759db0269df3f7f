// The editing layer of the source editor: typing, Enter with auto-indent, overwrite mode,
// Delete and Backspace, block indent, the clipboard, undo and redo, and Replace. Every change
// goes through the buffer, which records it for undo; a read-only buffer refuses them all.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "editor/ui/x86_text_view.h"

namespace tarvix {

class CX86EditView : public CX86TextView {
    Q_OBJECT

public:
    explicit CX86EditView(QWidget* parent = nullptr);

    bool canUndo() const override;
    bool canRedo() const override;
    bool canPaste() const override;

    // Replaces the selection, or inserts at the cursor, as one undo group. The bytes are the
    // buffer's own: see bufferBytes.
    void replaceSelection(const std::string& text);
    // Text as the buffer's bytes: in the encoding the file was read in, so that a file never
    // mixes two (a character Latin-1 lacks becomes "?" there).
    std::string bufferBytes(const QString& text) const;

    void onTextChanged(TextBufferView* source, const TextChange& change) override;

public slots:
    void undo() override;
    void redo() override;
    void cut() override;
    void paste() override;
    void deleteSelection() override;
    void replace() override;
    void deleteForward() override;
    void deleteBackward() override;
    void indentSelection() override;
    void unindentSelection() override;
    void toggleOverwrite() override;

protected:
    void typeText(const QString& text) override;
    void typeEnter() override;

private:
    bool isEditable() const;
    // Runs `edit` as one undo group, joined to the previous one when `merge` is set.
    template <typename Edit>
    void asUndoGroup(bool merge, Edit edit);
    // Deletes the selection when there is one; the position where text now goes.
    TextPosition removeSelection(EditAction action);
    void deleteOrStay(TextPosition start, TextPosition end);
    // The lines a block command works on: every line the selection touches, or the cursor's.
    std::pair<int, int> blockLines() const;
    // Selects `before` again after each line of the block from `firstLine` on grew (or
    // shrank) at its start by `growth[i]` characters.
    void reselectBlock(TextRange before, bool cursorAtEnd, int firstLine,
                       const std::vector<int>& growth);
    // Undo or redo one group, the cursor going where the buffer says.
    void stepHistory(std::optional<TextPosition> (CX86TextBuffer::*step)());

    // Where the last typed character ended while typing goes on: the next character typed
    // there joins its undo group.
    std::optional<TextPosition> typingEnd_;
};

}  // namespace tarvix
