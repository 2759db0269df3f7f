// The editor's text as assistive technology reads it: one string with the lines joined by
// "\n", offsets counted in UTF-16 units, mapped to and from the buffer's byte positions. A
// line's bytes read as the screen shows them (line_layout.h), tabs kept as tabs.
#pragma once

#include <QString>
#include <vector>

#include "editor/x86_text_buffer.h"

namespace tarvix {

class AccessibleText {
public:
    AccessibleText() = default;
    explicit AccessibleText(const CX86TextBuffer& buffer);

    const QString& text() const { return text_; }
    int size() const { return static_cast<int>(text_.size()); }
    // Positions past a line's end, or past the last line, go to the nearest end.
    int offsetOf(TextPosition position) const;
    // The position of the character boundary at or before `offset` (clamped to the text).
    TextPosition positionOf(int offset) const;

private:
    QString text_;
    std::vector<int> lineStarts_;
    std::vector<int> columns_;  // the byte column of each UTF-16 unit, then of the text's end
};

}  // namespace tarvix
