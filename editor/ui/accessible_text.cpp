#include "editor/ui/accessible_text.h"

#include <algorithm>

#include "editor/line_layout.h"

namespace tarvix {

AccessibleText::AccessibleText(const CX86TextBuffer& buffer) {
    for (int line = 0; line < buffer.lineCount(); ++line) {
        if (line > 0) {
            text_ += QLatin1Char('\n');
            columns_.push_back(buffer.lineLength(line - 1));
        }
        lineStarts_.push_back(static_cast<int>(text_.size()));
        const std::string_view bytes = buffer.line(line);
        const LineLayout layout(bytes);
        for (int character = 0; character < layout.characterCount(); ++character) {
            const int from = layout.byteOf(character);
            const int length = layout.byteOf(character + 1) - from;
            // One byte alone is ASCII or, past 7FH, a Latin-1 character.
            const QString shown = length == 1 ? QString(QChar(static_cast<unsigned char>(
                                                    bytes[static_cast<std::size_t>(from)])))
                                              : QString::fromUtf8(bytes.data() + from, length);
            text_ += shown;
            columns_.insert(columns_.end(), static_cast<std::size_t>(shown.size()), from);
        }
    }
    if (lineStarts_.empty()) {
        lineStarts_.push_back(0);
    }
    columns_.push_back(buffer.lineCount() == 0 ? 0 : buffer.lineLength(buffer.lineCount() - 1));
}

int AccessibleText::offsetOf(TextPosition position) const {
    if (position.line < 0) {
        return 0;
    }
    if (position.line >= static_cast<int>(lineStarts_.size())) {
        return size();
    }
    const auto line = static_cast<std::size_t>(position.line);
    const int start = lineStarts_[line];
    const int end = line + 1 < lineStarts_.size() ? lineStarts_[line + 1] - 1 : size();
    int offset = start;
    while (offset < end && columns_[static_cast<std::size_t>(offset)] < position.column) {
        ++offset;
    }
    return offset;
}

TextPosition AccessibleText::positionOf(int offset) const {
    offset = std::clamp(offset, 0, size());
    const auto next = std::upper_bound(lineStarts_.begin(), lineStarts_.end(), offset);
    const int line = static_cast<int>(next - lineStarts_.begin()) - 1;
    // The second unit of a surrogate pair shares its character's column.
    return {line, columns_[static_cast<std::size_t>(offset)]};
}

}  // namespace tarvix
