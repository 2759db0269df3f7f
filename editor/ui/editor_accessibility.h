// What a text view tells assistive technology: it keeps the accessible copy of the text while
// a screen reader listens and reports each edit, caret move, selection and change of the
// margin's marks under the caret as Qt accessibility events. With no reader it costs nothing.
#pragma once

#include <QString>
#include <optional>

#include "editor/ui/accessible_text.h"

namespace tarvix {

class CX86TextView;

// The margin's marks of a line in words: "current line", "error", "breakpoint".
QString lineMarksDescription(std::uint32_t flags);

class EditorAccessibility {
public:
    explicit EditorAccessibility(CX86TextView& view) : view_(view) {}

    // The text as it is now; built again only after a change.
    const AccessibleText& text();
    // The marks of the caret's line (empty when it has none).
    QString description() const;

    // Told after the buffer changed, before the view moves its caret.
    void textChanged(const TextChange& change);
    void caretMoved();

private:
    CX86TextView& view_;
    std::optional<AccessibleText> text_;
    int caret_ = -1;
    int selectionStart_ = -1;
    int selectionEnd_ = -1;
    QString description_;
};

}  // namespace tarvix
