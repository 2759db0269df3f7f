// The display layer of the source editor: shows a CX86TextBuffer in syntax colours with a
// marker margin, a caret and a selection, moves the cursor, scrolls, copies and finds. It
// edits nothing; CX86EditView adds the commands that change the text.
#pragma once

#include <QAbstractScrollArea>
#include <QFont>
#include <QPoint>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "editor/caret_moves.h"
#include "editor/text_search.h"
#include "editor/x86_text_buffer.h"

class QPrinter;

namespace tarvix {

class EditorAccessibility;

class CX86TextView : public QAbstractScrollArea, public TextBufferView {
    Q_OBJECT

public:
    static constexpr int kMarginWidth = 20;
    static constexpr int kDragScrollMs = 100;

    explicit CX86TextView(QWidget* parent = nullptr);
    ~CX86TextView() override;

    void attachBuffer(CX86TextBuffer* buffer);  // nullptr detaches
    CX86TextBuffer* buffer() const { return buffer_; }

    void setSourceFont(const QFont& font);
    const QFont& sourceFont() const { return font_; }

    TextPosition cursorPosition() const { return cursor_; }
    void setCursorPosition(TextPosition position);  // drops the selection
    bool hasSelection() const { return !(selectionStart_ == selectionEnd_); }
    TextPosition selectionStart() const { return selectionStart_; }
    TextPosition selectionEnd() const { return selectionEnd_; }
    // The cursor goes to `end`; the anchor stays at `start`.
    void setSelection(TextPosition start, TextPosition end);
    std::string selectedText() const;

    void ensureLineVisible(int line);
    void scrollToTop();
    int firstVisibleLine() const;
    int firstVisibleColumn() const;
    int visibleLineCount() const;
    int lineHeight() const { return lineHeight_; }

    // Where a character's cell is, and the position nearest to a point, in the viewport.
    QRect characterRect(TextPosition position) const;
    TextPosition positionAtPoint(QPoint point) const { return positionAt(point); }

    EditorAccessibility& accessibility() const { return *accessibility_; }

    void moveCursor(Movement movement, bool extend);
    // Runs the command with this id (menu ids and the editor's own ids); false when the id
    // is not one of the view's commands.
    bool runCommand(int commandId);

    bool isOverwriteMode() const { return overwrite_; }

    virtual bool canUndo() const { return false; }
    virtual bool canRedo() const { return false; }
    virtual bool canPaste() const { return false; }

    // A direct search that shows the not-found message itself.
    bool findAndSelect(const std::string& what, unsigned flags);

    // Where message boxes go; tests replace it so that nothing blocks.
    using MessageHandler = std::function<void(const QString&)>;
    void setMessageHandler(MessageHandler handler) { messageHandler_ = std::move(handler); }
    void showMessage(const QString& text);

    // TextBufferView
    void onTextChanged(TextBufferView* source, const TextChange& change) override;

public slots:
    void copy();
    void selectAll();
    void find();
    void findNext();
    void findPrevious();
    void scrollLineUp();
    void scrollLineDown();
    void print();
    void printPreview();
    void pageSetup();

    // Editing commands: the display layer leaves the text alone; CX86EditView edits.
    virtual void undo() {}
    virtual void redo() {}
    virtual void cut() {}
    virtual void paste() {}
    virtual void deleteSelection() {}
    virtual void replace() {}
    virtual void deleteForward() {}
    virtual void deleteBackward() {}
    virtual void indentSelection() {}
    virtual void unindentSelection() {}
    virtual void toggleOverwrite() {}

signals:
    void positionTextChanged(const QString& text);
    void contextMenuWanted(const QPoint& globalPos);
    void editStateChanged();
    // A plain click in the marker margin, on a 0-based line (Shift+click selects lines).
    void marginClicked(int line);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

    // Typed text and Enter reach the editing layer through these.
    virtual void typeText(const QString& /*text*/) {}
    virtual void typeEnter() {}

    // Typing waits while a mouse button is down, so a drag and a key never mix.
    bool isMouseButtonHeld() const;
    void setOverwriteMode(bool overwrite);
    // Moves the cursor after an edit: no selection, cursor shown, position text sent.
    void placeCursorAfterEdit(TextPosition position);
    // The selection, start before end; empty when there is none.
    TextRange selectionRange() const { return {selectionStart_, selectionEnd_}; }
    TextPosition endOfText() const;
    TextPosition validPosition(TextPosition position) const;
    // The screen column of the cursor, tabs expanded.
    int cursorScreenColumn() const;

private:
    enum class Drag { None, Text, Words, Lines };

    struct LastSearch {
        std::string text;
        unsigned flags = 0;
        bool made = false;
    };

    int visibleColumnCount() const;
    QPrinter& printer();
    TextPosition positionAt(QPoint point) const;
    int lineAt(int y) const;
    void moveTo(TextPosition position, bool extend);
    void setSelectionInternal(TextPosition anchor, TextPosition cursor);
    void ensureCursorVisible();
    void updateScrollBars();
    void restartCaret();
    void sendPosition();
    std::uint32_t stateAtLine(int line);
    void forgetStatesFrom(int line);
    void updateWidestLine(int firstLine, int lastLine);
    void dragTo(QPoint point);
    void onDragTimer();
    TextRange lineRangeOf(int line) const;
    void paintMargin(QPainter& painter, int line, int y);
    QRect caretRect() const;
    void paintCaret(QPainter& painter);

    CX86TextBuffer* buffer_ = nullptr;
    QFont font_;        // as set, for printing
    QFont screenFont_;  // the same in pixels
    int charWidth_ = 8;
    int lineHeight_ = 16;
    int ascent_ = 12;

    TextPosition cursor_;
    TextPosition anchor_;
    TextPosition selectionStart_;
    TextPosition selectionEnd_;
    int preferredColumn_ = -1;  // screen column kept by Up/Down; -1 once moved sideways
    bool overwrite_ = false;

    std::vector<std::uint32_t> lineStates_;  // classifier state at the start of each line
    int widestLine_ = 0;                     // in screen columns

    Drag drag_ = Drag::None;
    TextRange dragOrigin_;  // the word or line the drag started on
    QPoint dragPoint_;
    QTimer dragTimer_;
    QTimer caretTimer_;
    bool caretShown_ = true;

    LastSearch lastSearch_;
    MessageHandler messageHandler_;
    std::unique_ptr<QPrinter> printer_;
    std::unique_ptr<EditorAccessibility> accessibility_;
};

}  // namespace tarvix
