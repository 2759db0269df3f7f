#include "editor/x86_text_buffer.h"

#include <algorithm>
#include <climits>

#include "common/text.h"
#include "common/text_file.h"

namespace tarvix {

namespace {

constexpr std::string_view kEditLineEnd = "\r\n";

std::vector<std::string> ownedLines(std::string_view text) {
    const std::vector<std::string_view> lines = splitLines(text);
    return {lines.begin(), lines.end()};
}

bool isBefore(TextPosition a, TextPosition b) {
    return a.line < b.line || (a.line == b.line && a.column < b.column);
}

std::size_t toIndex(int value) {
    return static_cast<std::size_t>(value);
}

}  // namespace

std::string CX86TextBuffer::UndoRecord::text() const {
    std::string joined;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (i > 0) {
            joined += kEditLineEnd;
        }
        joined += pieces[i];
    }
    return joined;
}

bool CX86TextBuffer::initEmpty(int lineEndStyle) {
    if (!isLineEndStyle(lineEndStyle)) {
        return false;
    }
    replaceAll(std::vector<Line>(1), lineEndStyle, false, TextEncoding::Utf8);
    return true;
}

void CX86TextBuffer::clear() {
    lines_.clear();
    initialized_ = false;
    undo_.clear();
    undoPosition_ = 0;
    savedPosition_ = 0;
    groupOpen_ = groupStartPending_ = groupRecorded_ = false;
    setModified(false);
    notify(nullptr, TextChange{});
}

bool CX86TextBuffer::loadFile(const std::string& path, int lineEndStyle, std::size_t maxLines) {
    if (lineEndStyle != kDetectLineEnd && !isLineEndStyle(lineEndStyle)) {
        return false;
    }
    std::optional<FileContents> file = readWholeFile(path, kMaxSourceBytes);
    if (!file) {
        return false;
    }
    const int style =
        lineEndStyle == kDetectLineEnd ? firstLineEndStyle(file->bytes) : lineEndStyle;
    std::vector<Line> lines;
    for (const std::string_view piece : splitLines(file->bytes, maxLines)) {
        lines.push_back(Line{std::string(piece), 0});
    }
    replaceAll(std::move(lines), style, file->readOnly,
               isValidUtf8(file->bytes) ? TextEncoding::Utf8 : TextEncoding::Latin1);
    return true;
}

bool CX86TextBuffer::saveFile(const std::string& path, int lineEndStyle, bool clearModified) {
    const int style = lineEndStyle == kDetectLineEnd ? lineEndStyle_ : lineEndStyle;
    if (!initialized_ || !isLineEndStyle(style)) {
        return false;
    }
    if (!replaceFile(path, joinedWith(lineEndText(style)))) {
        return false;
    }
    if (clearModified) {
        savedPosition_ = undoPosition_;
        setModified(false);
    }
    return true;
}

std::string_view CX86TextBuffer::line(int index) const {
    if (index < 0 || index >= lineCount()) {
        return {};
    }
    return lines_[toIndex(index)].text;
}

std::string CX86TextBuffer::text() const {
    return joinedWith(lineEndText(lineEndStyle_));
}

std::uint32_t CX86TextBuffer::lineFlags(int index) const {
    if (index < 0 || index >= lineCount()) {
        return 0;
    }
    return lines_[toIndex(index)].flags;
}

bool CX86TextBuffer::setLineFlags(int index, std::uint32_t flags) {
    if (index < 0 || index >= lineCount()) {
        return false;
    }
    Line& target = lines_[toIndex(index)];
    if (target.flags != flags) {
        if (((target.flags ^ flags) & kBreakpointMarker) != 0) {
            ++breakpointRevision_;
        }
        target.flags = flags;
        notify(nullptr, TextChange{ChangeKind::LineFlags, index, {index, 0}, {index, 0}, {}});
    }
    return true;
}

bool CX86TextBuffer::moveMarker(std::uint32_t marker, int index) {
    if (index < -1 || index >= lineCount()) {
        return false;
    }
    for (int i = 0; i < lineCount(); ++i) {
        const std::uint32_t flags = lineFlags(i);
        setLineFlags(i, i == index ? flags | marker : flags & ~marker);
    }
    return true;
}

int CX86TextBuffer::findMarker(std::uint32_t marker) const {
    for (int i = 0; i < lineCount(); ++i) {
        if ((lineFlags(i) & marker) != 0) {
            return i;
        }
    }
    return -1;
}

std::optional<TextPosition> CX86TextBuffer::insertTextAt(TextBufferView* source, TextPosition start,
                                                         std::string_view text, EditAction action) {
    if (readOnly_ || !isValid(start)) {
        return std::nullopt;
    }
    // Positions are ints: refuse what could push a line or the line count past them.
    const std::size_t room = toIndex(INT_MAX) - std::max(lines_.size(), line(start.line).size());
    if (text.size() > room) {
        return std::nullopt;
    }
    if (text.empty()) {
        return start;
    }
    std::vector<std::string> pieces = ownedLines(text);
    const TextPosition end = insertPieces(start, pieces);
    record(true, start, end, action, std::move(pieces));
    notifyEdit(source, true, start, end, action);
    return end;
}

bool CX86TextBuffer::deleteRange(TextBufferView* source, TextPosition start, TextPosition end,
                                 EditAction action) {
    if (readOnly_ || !isValid(start) || !isValid(end) || isBefore(end, start)) {
        return false;
    }
    if (start == end) {
        return true;
    }
    record(false, start, end, action, removeRange(start, end));
    notifyEdit(source, false, start, end, action);
    return true;
}

void CX86TextBuffer::beginUndoGroup(bool merge) {
    groupOpen_ = true;
    groupStartPending_ = !merge || undoPosition_ == 0;
    groupRecorded_ = false;
}

void CX86TextBuffer::endUndoGroup(TextBufferView* source) {
    if (source != nullptr && groupRecorded_ && undoPosition_ > 0 && undoPosition_ == undo_.size()) {
        const UndoRecord& last = undo_.back();
        source->onEditOperation(last.action, last.text());
    }
    groupOpen_ = groupStartPending_ = groupRecorded_ = false;
}

std::optional<TextPosition> CX86TextBuffer::undoGroup() {
    if (readOnly_ || !canUndo()) {
        return std::nullopt;
    }
    std::optional<TextPosition> cursor;
    while (undoPosition_ > 0) {
        // A copy: the views run in between.
        const UndoRecord undone = undo_[undoPosition_ - 1];
        const bool insertion = (undone.flags & kUndoInsert) != 0;
        if (!isValid(undone.start) || !isValid(insertion ? undone.end : undone.start)) {
            break;  // the history no longer fits the text; stop rather than guess
        }
        --undoPosition_;
        if (insertion) {
            removeRange(undone.start, undone.end);
            cursor = undone.start;
        } else {
            insertPieces(undone.start, undone.pieces);
            cursor = undone.end;
        }
        notifyEdit(nullptr, !insertion, undone.start, undone.end, undone.action);
        if ((undone.flags & kUndoGroupStart) != 0) {
            break;
        }
    }
    afterUndoOrRedo();
    return cursor;
}

std::optional<TextPosition> CX86TextBuffer::redoGroup() {
    if (readOnly_ || !canRedo()) {
        return std::nullopt;
    }
    std::optional<TextPosition> cursor;
    do {
        const UndoRecord redone = undo_[undoPosition_];
        const bool insertion = (redone.flags & kUndoInsert) != 0;
        if (!isValid(redone.start) || !isValid(insertion ? redone.start : redone.end)) {
            break;
        }
        ++undoPosition_;
        if (insertion) {
            cursor = insertPieces(redone.start, redone.pieces);
        } else {
            removeRange(redone.start, redone.end);
            cursor = redone.start;
        }
        notifyEdit(nullptr, insertion, redone.start, redone.end, redone.action);
    } while (canRedo() && (undo_[undoPosition_].flags & kUndoGroupStart) == 0);
    afterUndoOrRedo();
    return cursor;
}

void CX86TextBuffer::setModified(bool modified) {
    if (modified_ == modified) {
        return;
    }
    modified_ = modified;
    if (onModified_) {
        onModified_(modified);
    }
}

void CX86TextBuffer::attachView(TextBufferView* view) {
    if (view != nullptr && std::find(views_.begin(), views_.end(), view) == views_.end()) {
        views_.push_back(view);
    }
}

void CX86TextBuffer::detachView(TextBufferView* view) {
    views_.erase(std::remove(views_.begin(), views_.end(), view), views_.end());
}

std::string CX86TextBuffer::joinedWith(std::string_view lineEnd) const {
    std::string joined;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (i > 0) {
            joined += lineEnd;
        }
        joined += lines_[i].text;
    }
    return joined;
}

bool CX86TextBuffer::isValid(TextPosition position) const {
    return position.line >= 0 && position.line < lineCount() && position.column >= 0 &&
           position.column <= lineLength(position.line);
}

TextPosition CX86TextBuffer::insertPieces(TextPosition start,
                                          const std::vector<std::string>& pieces) {
    std::string& first = lines_[toIndex(start.line)].text;
    const std::size_t column = toIndex(start.column);
    if (pieces.size() == 1) {
        first.insert(column, pieces.front());
        return {start.line, start.column + static_cast<int>(pieces.front().size())};
    }
    // The rest of the start line moves to the end of the last piece.
    std::string tail = first.substr(column);
    first.resize(column);
    first += pieces.front();
    std::vector<Line> added;
    added.reserve(pieces.size() - 1);
    for (std::size_t i = 1; i < pieces.size(); ++i) {
        added.push_back(Line{pieces[i], 0});
    }
    const int endColumn = static_cast<int>(added.back().text.size());
    added.back().text += tail;
    // Text put before a whole line pushes it down, and its marks (a breakpoint) go with it.
    if (column == 0) {
        std::swap(added.back().flags, lines_[toIndex(start.line)].flags);
    }
    lines_.insert(lines_.begin() + start.line + 1, std::make_move_iterator(added.begin()),
                  std::make_move_iterator(added.end()));
    return {start.line + static_cast<int>(pieces.size()) - 1, endColumn};
}

std::vector<std::string> CX86TextBuffer::removeRange(TextPosition start, TextPosition end) {
    std::string& first = lines_[toIndex(start.line)].text;
    const std::size_t startColumn = toIndex(start.column);
    const std::size_t endColumn = toIndex(end.column);
    if (start.line == end.line) {
        std::vector<std::string> removed{first.substr(startColumn, endColumn - startColumn)};
        first.erase(startColumn, endColumn - startColumn);
        return removed;
    }
    std::vector<std::string> removed{first.substr(startColumn)};
    for (int i = start.line + 1; i < end.line; ++i) {
        removed.push_back(std::move(lines_[toIndex(i)].text));
    }
    const std::string& last = lines_[toIndex(end.line)].text;
    removed.push_back(last.substr(0, endColumn));
    // Whole lines removed: the line that takes their place keeps its own marks; lines joined
    // keep the marks of both.
    std::uint32_t& flags = lines_[toIndex(start.line)].flags;
    flags = (startColumn == 0 && endColumn == 0 ? 0 : flags) | lines_[toIndex(end.line)].flags;
    first.resize(startColumn);
    first += last.substr(endColumn);
    lines_.erase(lines_.begin() + start.line + 1, lines_.begin() + end.line + 1);
    return removed;
}

void CX86TextBuffer::record(bool insertion, TextPosition start, TextPosition end, EditAction action,
                            std::vector<std::string> pieces) {
    // A new edit ends the redo history; a save point inside it can never come back.
    if (undoPosition_ < undo_.size()) {
        undo_.resize(undoPosition_);
        if (savedPosition_ != kNoSavedPosition && savedPosition_ > undoPosition_) {
            savedPosition_ = kNoSavedPosition;
        }
    }
    if (undo_.size() >= kUndoLimit) {
        // Drop the oldest whole group, so that no group is left half undoable.
        std::size_t drop = 1;
        while (drop < undo_.size() && (undo_[drop].flags & kUndoGroupStart) == 0) {
            ++drop;
        }
        undo_.erase(undo_.begin(), undo_.begin() + static_cast<std::ptrdiff_t>(drop));
        if (savedPosition_ != kNoSavedPosition) {
            savedPosition_ = savedPosition_ >= drop ? savedPosition_ - drop : kNoSavedPosition;
        }
    }
    const bool groupStart = !groupOpen_ || groupStartPending_ || undo_.empty();
    UndoRecord added;
    added.flags = (insertion ? kUndoInsert : 0) | (groupStart ? kUndoGroupStart : 0);
    added.start = start;
    added.end = end;
    added.action = action;
    added.pieces = std::move(pieces);
    undo_.push_back(std::move(added));
    undoPosition_ = undo_.size();
    groupStartPending_ = false;
    groupRecorded_ = groupOpen_;
    needsAssembly_ = true;
    setModified(true);
}

void CX86TextBuffer::replaceAll(std::vector<Line> lines, int lineEndStyle, bool readOnly,
                                TextEncoding encoding) {
    lines_ = std::move(lines);
    initialized_ = true;
    readOnly_ = readOnly;
    lineEndStyle_ = lineEndStyle;
    encoding_ = encoding;
    undo_.clear();
    undoPosition_ = 0;
    savedPosition_ = 0;
    groupOpen_ = groupStartPending_ = groupRecorded_ = false;
    // Whatever was assembled came from another text.
    needsAssembly_ = true;
    setModified(false);
    notify(nullptr, TextChange{});
}

void CX86TextBuffer::notify(TextBufferView* source, const TextChange& change) {
    if (change.kind != ChangeKind::SingleLine && change.kind != ChangeKind::LineFlags) {
        ++breakpointRevision_;  // the lines moved under their breakpoints
    }
    // A view may detach itself or another view while being told.
    const std::vector<TextBufferView*> views = views_;
    for (TextBufferView* view : views) {
        if (std::find(views_.begin(), views_.end(), view) != views_.end()) {
            view->onTextChanged(source, change);
        }
    }
}

void CX86TextBuffer::notifyEdit(TextBufferView* source, bool insertion, TextPosition start,
                                TextPosition end, EditAction action) {
    TextChange change;
    change.kind = start.line == end.line
                      ? ChangeKind::SingleLine
                      : (insertion ? ChangeKind::LinesInserted : ChangeKind::LinesRemoved);
    change.firstLine = start.line;
    change.start = start;
    change.end = end;
    change.action = action;
    notify(source, change);
}

void CX86TextBuffer::afterUndoOrRedo() {
    needsAssembly_ = true;
    // The next edit must not join a group that was just undone or redone.
    groupStartPending_ = true;
    setModified(undoPosition_ != savedPosition_);
}

}  // namespace tarvix
