// The document's text as an array of lines: loading and saving, the two primitive edits
// (insert at a position, delete a range), grouped multi-level undo and redo, the modified
// and needs-assembly flags, and change notices to every attached view.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/line_ends.h"
#include "common/source_limits.h"

namespace tarvix {

// The buffer keeps the line-end style found at load (common/line_ends.h) and writes it back.
inline constexpr int kDetectLineEnd = -1;  // load: detect; save: the buffer's own style

// How the bytes of the text encode characters: a file that is not valid UTF-8 is 8-bit text
// (Latin-1). Text put into the buffer is encoded the way the buffer was read.
enum class TextEncoding { Utf8, Latin1 };

// Margin marks in a line's flags word: the execution driver sets the first two, the student
// the breakpoints, which a Run stops before.
inline constexpr std::uint32_t kExecutionMarker = 0x10000;
inline constexpr std::uint32_t kErrorMarker = 0x20000;
inline constexpr std::uint32_t kBreakpointMarker = 0x40000;

struct TextPosition {
    int line = 0;
    int column = 0;  // byte index in the line

    friend bool operator==(const TextPosition&, const TextPosition&) = default;
};

// What caused an edit; the buffer only records it and hands it back to views.
enum class EditAction : int { Unknown, Typing, Paste, Delete, Indent, Drag, Replace };

enum class ChangeKind {
    SingleLine,     // text changed within firstLine
    LinesInserted,  // lines inserted after firstLine, which changed too
    LinesRemoved,   // lines removed after firstLine, which changed too
    WholeText,      // load, initEmpty or clear
    LineFlags,      // only the flags word of firstLine changed
};

struct TextChange {
    ChangeKind kind = ChangeKind::WholeText;
    int firstLine = 0;
    // The edited range: for an insertion start and the end after it, for a deletion the
    // range as it was before.
    TextPosition start;
    TextPosition end;
    EditAction action = EditAction::Unknown;
};

class TextBufferView {
public:
    virtual ~TextBufferView() = default;
    // `source` is the view that made the edit, or null for undo, redo and loading.
    virtual void onTextChanged(TextBufferView* source, const TextChange& change) = 0;
    // Told at the end of an undo group it made: the group's last action and text.
    virtual void onEditOperation(EditAction /*action*/, std::string_view /*text*/) {}
};

class CX86TextBuffer {
public:
    static constexpr std::size_t kUndoLimit = 1024;
    static constexpr std::uint32_t kUndoInsert = 0x1;
    static constexpr std::uint32_t kUndoGroupStart = 0x100;

    CX86TextBuffer() = default;
    CX86TextBuffer(const CX86TextBuffer&) = delete;
    CX86TextBuffer& operator=(const CX86TextBuffer&) = delete;

    // One empty line, no undo records, not modified, not read-only. False for a bad style.
    bool initEmpty(int lineEndStyle = kLineEndCrLf);
    // No lines and no undo records: nothing to edit until the next load or initEmpty.
    void clear();

    // False, with the buffer untouched, for a missing, non-regular, oversized or unreadable
    // file or a bad style. Bytes are kept as they are, whatever they are. Lines past
    // `maxLines` are not kept, for a reader that refuses a longer text anyway.
    bool loadFile(const std::string& path, int lineEndStyle = kDetectLineEnd,
                  std::size_t maxLines = static_cast<std::size_t>(-1));
    // Replaces the file in one step, so a failure leaves it as it was.
    bool saveFile(const std::string& path, int lineEndStyle = kDetectLineEnd,
                  bool clearModified = true);

    int lineCount() const { return static_cast<int>(lines_.size()); }
    // Empty for a line out of range. Valid until the next change.
    std::string_view line(int index) const;
    int lineLength(int index) const { return static_cast<int>(line(index).size()); }
    // Every line joined with the buffer's line end.
    std::string text() const;

    int lineEndStyle() const { return lineEndStyle_; }
    TextEncoding encoding() const { return encoding_; }

    std::uint32_t lineFlags(int index) const;
    bool setLineFlags(int index, std::uint32_t flags);
    // Clears `marker` from every line and sets it on `index`; -1 only clears it.
    bool moveMarker(std::uint32_t marker, int index);
    // The first line carrying `marker`, or -1.
    int findMarker(std::uint32_t marker) const;
    // Moves on whenever the lines that carry a breakpoint may have changed: one set or
    // cleared, lines added or taken away. A run compares it to know when to read them again.
    std::uint64_t breakpointRevision() const { return breakpointRevision_; }

    // `text` may hold line ends of any style. Returns the position after the inserted text.
    std::optional<TextPosition> insertTextAt(TextBufferView* source, TextPosition start,
                                             std::string_view text, EditAction action);
    bool deleteRange(TextBufferView* source, TextPosition start, TextPosition end,
                     EditAction action);

    // Edits between begin and end form one undo group; with `merge` they join the previous
    // group when there is one. An edit outside any group is a group of its own.
    void beginUndoGroup(bool merge = false);
    void endUndoGroup(TextBufferView* source = nullptr);
    bool canUndo() const { return undoPosition_ > 0; }
    bool canRedo() const { return undoPosition_ < undo_.size(); }
    // The cursor after undoing or redoing one group; nothing when there is none or the
    // buffer is read-only.
    std::optional<TextPosition> undoGroup();
    std::optional<TextPosition> redoGroup();
    std::size_t undoRecordCount() const { return undo_.size(); }

    bool isReadOnly() const { return readOnly_; }
    void setReadOnly(bool readOnly) { readOnly_ = readOnly; }
    bool isModified() const { return modified_; }
    void setModified(bool modified);
    // Told each time the modified flag flips, so the document can follow it.
    void setModifiedHandler(std::function<void(bool)> handler) { onModified_ = std::move(handler); }
    bool needsAssembly() const { return needsAssembly_; }
    void setNeedsAssembly(bool needs) { needsAssembly_ = needs; }

    void attachView(TextBufferView* view);
    void detachView(TextBufferView* view);

private:
    struct Line {
        std::string text;
        std::uint32_t flags = 0;
    };

    // The edited text is kept as its lines, exactly as they were cut.
    struct UndoRecord {
        std::uint32_t flags = 0;
        TextPosition start;
        TextPosition end;
        EditAction action = EditAction::Unknown;
        std::vector<std::string> pieces;

        std::string text() const;
    };

    static constexpr std::size_t kNoSavedPosition = static_cast<std::size_t>(-1);

    std::string joinedWith(std::string_view lineEnd) const;
    bool isValid(TextPosition position) const;
    TextPosition insertPieces(TextPosition start, const std::vector<std::string>& pieces);
    std::vector<std::string> removeRange(TextPosition start, TextPosition end);
    void record(bool insertion, TextPosition start, TextPosition end, EditAction action,
                std::vector<std::string> pieces);
    void replaceAll(std::vector<Line> lines, int lineEndStyle, bool readOnly,
                    TextEncoding encoding);
    void notify(TextBufferView* source, const TextChange& change);
    void notifyEdit(TextBufferView* source, bool insertion, TextPosition start, TextPosition end,
                    EditAction action);
    void afterUndoOrRedo();

    std::vector<Line> lines_;
    bool initialized_ = false;
    bool readOnly_ = false;
    bool modified_ = false;
    bool needsAssembly_ = false;
    int lineEndStyle_ = kLineEndCrLf;
    TextEncoding encoding_ = TextEncoding::Utf8;

    std::vector<UndoRecord> undo_;
    std::size_t undoPosition_ = 0;  // records currently applied
    std::size_t savedPosition_ = 0;
    bool groupOpen_ = false;
    bool groupStartPending_ = false;
    bool groupRecorded_ = false;
    std::uint64_t breakpointRevision_ = 0;

    std::vector<TextBufferView*> views_;
    std::function<void(bool)> onModified_;
};

}  // namespace tarvix
