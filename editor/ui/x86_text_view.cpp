#include "editor/ui/x86_text_view.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPrinter>
#include <QScrollBar>
#include <algorithm>
#include <cmath>
#include <limits>

#include "editor/line_layout.h"
#include "editor/syntax_classifier.h"
#include "editor/ui/editor_accessibility.h"
#include "editor/ui/line_painter.h"
#include "editor/ui/margin_icons.h"
#include "editor/ui/text_view_commands.h"
#include "ui/kit_fonts.h"

namespace tarvix {

namespace {

constexpr int kCaretBlinkMs = 500;

bool isBefore(TextPosition a, TextPosition b) {
    return a.line < b.line || (a.line == b.line && a.column < b.column);
}

}  // namespace

CX86TextView::CX86TextView(QWidget* parent)
    : QAbstractScrollArea(parent), accessibility_(std::make_unique<EditorAccessibility>(*this)) {
    setAccessibleName(QStringLiteral("Program"));
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setMouseTracking(true);  // for the arrow over the margin
    viewport()->setAutoFillBackground(false);
    dragTimer_.setInterval(kDragScrollMs);
    connect(&dragTimer_, &QTimer::timeout, this, &CX86TextView::onDragTimer);
    caretTimer_.setInterval(kCaretBlinkMs);
    connect(&caretTimer_, &QTimer::timeout, this, [this] {
        caretShown_ = !caretShown_;
        viewport()->update(caretRect());
    });
    setSourceFont(monospacedFont("courier"));
    messageHandler_ = [this](const QString& text) {
        QMessageBox::information(this, QApplication::applicationName(), text);
    };
}

CX86TextView::~CX86TextView() {
    if (buffer_ != nullptr) {
        buffer_->detachView(this);
    }
}

void CX86TextView::attachBuffer(CX86TextBuffer* buffer) {
    if (buffer_ == buffer) {
        return;
    }
    if (buffer_ != nullptr) {
        buffer_->detachView(this);
    }
    buffer_ = buffer;
    if (buffer_ != nullptr) {
        buffer_->attachView(this);
    }
    onTextChanged(nullptr, TextChange{});
}

void CX86TextView::setSourceFont(const QFont& font) {
    font_ = font;
    // Sized in pixels for the screen, so that every paint device (a grab into a pixmap as
    // much as the window) lays out the same grid of character cells.
    screenFont_ = font;
    if (font.pixelSize() <= 0) {
        const double points = font.pointSizeF() > 0 ? font.pointSizeF() : 10.0;
        screenFont_.setPixelSize(
            std::max(1, static_cast<int>(std::lround(points * viewport()->logicalDpiY() / 72.0))));
    }
    const QFontMetrics metrics(screenFont_, viewport());
    charWidth_ = std::max(1, metrics.horizontalAdvance(QLatin1Char('X')));
    lineHeight_ = std::max(1, metrics.height());
    ascent_ = metrics.ascent();
    viewport()->setFont(screenFont_);
    updateScrollBars();
    viewport()->update();
}

// ---- positions and selection ----

TextPosition CX86TextView::endOfText() const {
    if (buffer_ == nullptr || buffer_->lineCount() == 0) {
        return {};
    }
    const int last = buffer_->lineCount() - 1;
    return {last, buffer_->lineLength(last)};
}

TextPosition CX86TextView::validPosition(TextPosition position) const {
    if (buffer_ == nullptr || buffer_->lineCount() == 0) {
        return {};
    }
    const int line = std::clamp(position.line, 0, buffer_->lineCount() - 1);
    const int column = std::clamp(position.column, 0, buffer_->lineLength(line));
    return {line, LineLayout(buffer_->line(line)).snapByte(column)};
}

int CX86TextView::cursorScreenColumn() const {
    return screenColumnOf(buffer_ == nullptr ? std::string_view{} : buffer_->line(cursor_.line),
                          cursor_.column);
}

void CX86TextView::setCursorPosition(TextPosition position) {
    moveTo(position, false);
}

void CX86TextView::setSelection(TextPosition start, TextPosition end) {
    setSelectionInternal(validPosition(start), validPosition(end));
    preferredColumn_ = -1;
    ensureCursorVisible();
}

void CX86TextView::setSelectionInternal(TextPosition anchor, TextPosition cursor) {
    const bool hadSelection = hasSelection();
    anchor_ = anchor;
    cursor_ = cursor;
    selectionStart_ = std::min(anchor, cursor, isBefore);
    selectionEnd_ = std::max(anchor, cursor, isBefore);
    restartCaret();
    sendPosition();
    viewport()->update();
    if (hadSelection || hasSelection()) {
        emit editStateChanged();
    }
}

void CX86TextView::placeCursorAfterEdit(TextPosition position) {
    position = validPosition(position);
    setSelectionInternal(position, position);
    preferredColumn_ = -1;
    ensureCursorVisible();
}

void CX86TextView::moveTo(TextPosition position, bool extend) {
    position = validPosition(position);
    setSelectionInternal(extend ? anchor_ : position, position);
    ensureCursorVisible();
}

std::string CX86TextView::selectedText() const {
    if (buffer_ == nullptr || !hasSelection()) {
        return {};
    }
    std::string text;
    for (int line = selectionStart_.line; line <= selectionEnd_.line; ++line) {
        const std::string_view whole = buffer_->line(line);
        const auto from =
            static_cast<std::size_t>(line == selectionStart_.line ? selectionStart_.column : 0);
        const std::size_t to = line == selectionEnd_.line
                                   ? static_cast<std::size_t>(selectionEnd_.column)
                                   : whole.size();
        text.append(whole.substr(from, to - from));
        if (line < selectionEnd_.line) {
            text.append("\r\n");
        }
    }
    return text;
}

TextRange CX86TextView::lineRangeOf(int line) const {
    // To the start of the next line; the last line to its end.
    if (buffer_ != nullptr && line + 1 < buffer_->lineCount()) {
        return {{line, 0}, {line + 1, 0}};
    }
    return {validPosition({line, 0}), validPosition({line, std::numeric_limits<int>::max()})};
}

// ---- cursor movement ----

void CX86TextView::moveCursor(Movement movement, bool extend) {
    if (buffer_ == nullptr || buffer_->lineCount() == 0) {
        return;
    }
    const bool vertical = movement == Movement::LineUp || movement == Movement::LineDown;
    if (!vertical) {
        preferredColumn_ = -1;
    } else if (preferredColumn_ < 0) {
        // Up and Down keep to the column they started from, across shorter lines.
        preferredColumn_ = cursorScreenColumn();
    }
    const int page = std::max(1, visibleLineCount() - 1);
    if (movement == Movement::PageUp || movement == Movement::PageDown) {
        // The page scrolls first, so the cursor keeps its place on the screen.
        verticalScrollBar()->setValue(firstVisibleLine() +
                                      (movement == Movement::PageUp ? -page : page));
    }
    if (!extend && hasSelection() &&
        (movement == Movement::CharLeft || movement == Movement::CharRight)) {
        // A sideways step collapses the selection onto the side it goes to.
        moveTo(movement == Movement::CharLeft ? selectionStart_ : selectionEnd_, false);
        return;
    }
    moveTo(caretMove(*buffer_, cursor_, movement, {preferredColumn_, page}), extend);
}

// ---- scrolling ----

int CX86TextView::firstVisibleLine() const {
    return verticalScrollBar()->value();
}
int CX86TextView::firstVisibleColumn() const {
    return horizontalScrollBar()->value();
}

int CX86TextView::visibleLineCount() const {
    return std::max(1, viewport()->height() / lineHeight_);
}

int CX86TextView::visibleColumnCount() const {
    return std::max(1, (viewport()->width() - kMarginWidth) / charWidth_);
}

void CX86TextView::scrollToTop() {
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
}

void CX86TextView::ensureLineVisible(int line) {
    QScrollBar* bar = verticalScrollBar();
    if (line < bar->value()) {
        bar->setValue(line);
    } else if (line >= bar->value() + visibleLineCount()) {
        bar->setValue(line - visibleLineCount() + 1);
    }
}

void CX86TextView::ensureCursorVisible() {
    ensureLineVisible(cursor_.line);
    const int column = cursorScreenColumn();
    QScrollBar* bar = horizontalScrollBar();
    if (column < bar->value()) {
        bar->setValue(column);
    } else if (column >= bar->value() + visibleColumnCount()) {
        bar->setValue(column - visibleColumnCount() + 1);
    }
}

void CX86TextView::scrollLineUp() {
    verticalScrollBar()->setValue(firstVisibleLine() - 1);
}

void CX86TextView::scrollLineDown() {
    verticalScrollBar()->setValue(firstVisibleLine() + 1);
}

void CX86TextView::updateScrollBars() {
    const int lines = buffer_ == nullptr ? 0 : buffer_->lineCount();
    // The top line may go as far as the last line.
    verticalScrollBar()->setRange(0, std::max(0, lines - 1));
    verticalScrollBar()->setPageStep(visibleLineCount());
    verticalScrollBar()->setSingleStep(1);
    horizontalScrollBar()->setRange(0, std::max(0, widestLine_ + 1 - visibleColumnCount()));
    horizontalScrollBar()->setPageStep(visibleColumnCount());
    horizontalScrollBar()->setSingleStep(1);
}

void CX86TextView::scrollContentsBy(int, int) {
    viewport()->update();
}

void CX86TextView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

// ---- the buffer's notices ----

void CX86TextView::onTextChanged(TextBufferView*, const TextChange& change) {
    accessibility_->textChanged(change);
    switch (change.kind) {
        case ChangeKind::LineFlags:
            viewport()->update();
            return;
        case ChangeKind::WholeText:
            lineStates_.clear();
            widestLine_ = 0;
            updateWidestLine(0, buffer_ == nullptr ? -1 : buffer_->lineCount() - 1);
            anchor_ = cursor_ = selectionStart_ = selectionEnd_ = TextPosition{};
            preferredColumn_ = -1;
            verticalScrollBar()->setValue(0);
            horizontalScrollBar()->setValue(0);
            break;
        case ChangeKind::SingleLine:
        case ChangeKind::LinesInserted:
        case ChangeKind::LinesRemoved:
            forgetStatesFrom(change.firstLine);
            updateWidestLine(change.firstLine, change.kind == ChangeKind::LinesInserted
                                                   ? change.end.line
                                                   : change.firstLine);
            // Another view or an undo may have cut the text under the cursor.
            anchor_ = validPosition(anchor_);
            cursor_ = validPosition(cursor_);
            selectionStart_ = std::min(anchor_, cursor_, isBefore);
            selectionEnd_ = std::max(anchor_, cursor_, isBefore);
            break;
    }
    updateScrollBars();
    viewport()->update();
    sendPosition();  // a new text, or an edit elsewhere, can move the cursor
    emit editStateChanged();
}

std::uint32_t CX86TextView::stateAtLine(int line) {
    if (lineStates_.empty()) {
        lineStates_.push_back(0);
    }
    while (static_cast<int>(lineStates_.size()) <= line) {
        const int previous = static_cast<int>(lineStates_.size()) - 1;
        lineStates_.push_back(classifyLine(lineStates_.back(), buffer_->line(previous), nullptr));
    }
    return lineStates_[static_cast<std::size_t>(line)];
}

void CX86TextView::forgetStatesFrom(int line) {
    // The state at the start of `line` depends only on the lines above it.
    const auto keep = static_cast<std::size_t>(std::max(line + 1, 0));
    if (lineStates_.size() > keep) {
        lineStates_.resize(keep);
    }
}

void CX86TextView::updateWidestLine(int firstLine, int lastLine) {
    for (int line = std::max(firstLine, 0); buffer_ != nullptr && line <= lastLine; ++line) {
        widestLine_ = std::max(widestLine_, LineLayout(buffer_->line(line)).width());
    }
}

// ---- painting ----

void CX86TextView::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    painter.setFont(screenFont_);
    painter.fillRect(viewport()->rect(), viewColour(kColourBackground));
    const int lines = buffer_ == nullptr ? 0 : buffer_->lineCount();
    const int top = firstVisibleLine();
    const int bottom = std::min(lines, top + visibleLineCount() + 1);
    const QRect textArea(kMarginWidth, 0, viewport()->width() - kMarginWidth, viewport()->height());
    std::uint32_t state = top < lines ? stateAtLine(top) : 0;
    std::vector<ColourBlock> blocks;
    for (int line = top; line < bottom; ++line) {
        const int y = (line - top) * lineHeight_;
        const std::string_view text = buffer_->line(line);
        blocks.clear();
        state = classifyLine(state, text, &blocks);
        LineSelection selection;
        if (hasSelection() && line >= selectionStart_.line && line <= selectionEnd_.line) {
            selection.from = line == selectionStart_.line ? selectionStart_.column : 0;
            selection.to =
                line == selectionEnd_.line ? selectionEnd_.column : static_cast<int>(text.size());
            selection.lineEnd = line < selectionEnd_.line;
        }
        const LineGeometry geometry{
            static_cast<double>(kMarginWidth - firstVisibleColumn() * charWidth_),
            static_cast<double>(y), static_cast<double>(charWidth_),
            static_cast<double>(lineHeight_), static_cast<double>(ascent_)};
        painter.setClipRect(textArea);
        paintLine(painter, geometry, LineLayout(text), blocks, selection);
        painter.setClipping(false);
        paintMargin(painter, line, y);
    }
    if (bottom - top < visibleLineCount() + 1) {
        const int y = (bottom - top) * lineHeight_;
        painter.fillRect(QRect(0, y, kMarginWidth, viewport()->height() - y),
                         viewColour(kColourMarginOn));
    }
    paintCaret(painter);
}

void CX86TextView::paintMargin(QPainter& painter, int line, int y) {
    painter.fillRect(QRect(0, y, kMarginWidth, lineHeight_), viewColour(kColourMarginOn));
    const std::uint32_t flags = buffer_->lineFlags(line);
    const QPoint iconAt(2, y + (lineHeight_ - kMarginIconSize) / 2);
    const int icon = marginIconFor(flags);
    // The current line's arrow is drawn over its breakpoint, so that both show.
    if ((flags & kBreakpointMarker) != 0 && icon != marginIconFor(kBreakpointMarker)) {
        drawMarginIcon(painter, iconAt, marginIconFor(kBreakpointMarker));
    }
    if (icon >= 0) {
        drawMarginIcon(painter, iconAt, icon);
    }
}

QRect CX86TextView::characterRect(TextPosition position) const {
    position = validPosition(position);
    const LineLayout layout(buffer_ == nullptr ? std::string_view{} : buffer_->line(position.line));
    const int character = layout.characterAt(position.column);
    const int column = layout.columnOf(character);
    const int width =
        character < layout.characterCount() ? layout.columnOf(character + 1) - column : 1;
    return QRect(kMarginWidth + (column - firstVisibleColumn()) * charWidth_,
                 (position.line - firstVisibleLine()) * lineHeight_, width * charWidth_,
                 lineHeight_);
}

QRect CX86TextView::caretRect() const {
    const QRect cell = characterRect(cursor_);
    return QRect(cell.left(), cell.top(), overwrite_ ? charWidth_ : 2, lineHeight_);
}

void CX86TextView::paintCaret(QPainter& painter) {
    if (buffer_ == nullptr || !hasFocus() || !caretShown_) {
        return;
    }
    const QRect caret = caretRect();
    if (caret.left() < kMarginWidth) {
        return;  // scrolled out sideways: never over the margin
    }
    if (overwrite_) {
        // A block that inverts the character under it.
        painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        painter.fillRect(caret, Qt::white);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    } else {
        painter.fillRect(caret, viewColour(kColourText));
    }
}

void CX86TextView::restartCaret() {
    caretShown_ = true;
    if (hasFocus()) {
        caretTimer_.start();
    }
}

void CX86TextView::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    restartCaret();
    viewport()->update();
}

void CX86TextView::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    caretTimer_.stop();
    viewport()->update();
}

void CX86TextView::sendPosition() {
    const std::string_view line =
        buffer_ == nullptr ? std::string_view{} : buffer_->line(cursor_.line);
    const int character = LineLayout(line).characterAt(cursor_.column);
    emit positionTextChanged(
        QStringLiteral("Ln %1, Col %2").arg(cursor_.line + 1).arg(character + 1));
    accessibility_->caretMoved();
}

void CX86TextView::setOverwriteMode(bool overwrite) {
    overwrite_ = overwrite;
    viewport()->update();
}

// ---- keys ----

bool CX86TextView::event(QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride) {
        // The view's own keys win over the window's shortcuts while it has the focus.
        auto* key = static_cast<QKeyEvent*>(event);
        if (commandForKey(key->keyCombination()) != nullptr) {
            event->accept();
            return true;
        }
    }
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
            keyPressEvent(key);  // Tab indents here rather than moving the focus
            return true;
        }
    }
    return QAbstractScrollArea::event(event);
}

void CX86TextView::keyPressEvent(QKeyEvent* event) {
    if (const ViewCommand* command = commandForKey(event->keyCombination())) {
        command->run(*this);
        return;
    }
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        typeEnter();
        return;
    }
    const QString text = event->text();
    // Ctrl or Alt make a command key; both together are AltGr on some keyboards.
    const bool ctrl = (modifiers & Qt::ControlModifier) != 0;
    const bool alt = (modifiers & Qt::AltModifier) != 0;
    const bool command = ctrl != alt;
    if (!text.isEmpty() && !command && text.at(0) >= QChar(u' ') && text.at(0) != QChar(u'\x7f')) {
        typeText(text);
        return;
    }
    event->ignore();
}

void CX86TextView::inputMethodEvent(QInputMethodEvent* event) {
    if (!event->commitString().isEmpty()) {
        typeText(event->commitString());
    }
    event->accept();
}

bool CX86TextView::isMouseButtonHeld() const {
    return drag_ != Drag::None || QGuiApplication::mouseButtons() != Qt::NoButton;
}

bool CX86TextView::runCommand(int commandId) {
    const ViewCommand* command = commandForId(commandId);
    if (command == nullptr) {
        return false;
    }
    command->run(*this);
    return true;
}

// ---- mouse ----

int CX86TextView::lineAt(int y) const {
    const int lines = buffer_ == nullptr ? 1 : std::max(1, buffer_->lineCount());
    const int row = y < 0 ? -1 - (-y - 1) / lineHeight_ : y / lineHeight_;
    return std::clamp(firstVisibleLine() + row, 0, lines - 1);
}

TextPosition CX86TextView::positionAt(QPoint point) const {
    const int line = lineAt(point.y());
    const double column =
        static_cast<double>(point.x() - kMarginWidth) / charWidth_ + firstVisibleColumn();
    const LineLayout layout(buffer_ == nullptr ? std::string_view{} : buffer_->line(line));
    return {line, layout.byteOf(layout.characterNearColumn(column))};
}

void CX86TextView::mousePressEvent(QMouseEvent* event) {
    if (buffer_ == nullptr || event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    const QPoint point = event->position().toPoint();
    const bool shift = (event->modifiers() & Qt::ShiftModifier) != 0;
    const bool ctrl = (event->modifiers() & Qt::ControlModifier) != 0;
    preferredColumn_ = -1;
    if (point.x() < kMarginWidth) {
        if (ctrl) {
            selectAll();
            return;
        }
        if (!shift) {
            emit marginClicked(lineAt(point.y()));
            return;
        }
        const int line = lineAt(point.y());
        const TextRange clicked = lineRangeOf(line);
        dragOrigin_ = shift ? lineRangeOf(anchor_.line) : clicked;
        drag_ = Drag::Lines;
    } else {
        const TextPosition position = positionAt(point);
        if (ctrl) {
            dragOrigin_ = wordAt(*buffer_, shift ? anchor_ : position);
            drag_ = Drag::Words;
        } else {
            dragOrigin_ = {shift ? anchor_ : position, shift ? anchor_ : position};
            drag_ = Drag::Text;
        }
    }
    dragPoint_ = point;
    dragTo(point);
    dragTimer_.start();
}

void CX86TextView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (buffer_ == nullptr || event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mouseDoubleClickEvent(event);
        return;
    }
    const QPoint point = event->position().toPoint();
    if (point.x() < kMarginWidth) {
        mousePressEvent(event);
        return;
    }
    dragOrigin_ = wordAt(*buffer_, positionAt(point));
    drag_ = Drag::Words;
    dragPoint_ = point;
    dragTo(point);
    dragTimer_.start();
}

void CX86TextView::mouseMoveEvent(QMouseEvent* event) {
    if (drag_ == Drag::None) {
        const bool overMargin = event->position().x() < kMarginWidth;
        viewport()->setCursor(overMargin ? Qt::ArrowCursor : Qt::IBeamCursor);
        return;
    }
    dragPoint_ = event->position().toPoint();
    dragTo(dragPoint_);
}

void CX86TextView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && drag_ != Drag::None) {
        dragTimer_.stop();
        drag_ = Drag::None;
    }
}

// Selects from where the drag began to the point, in characters, words or whole lines.
void CX86TextView::dragTo(QPoint point) {
    TextRange reached;
    if (drag_ == Drag::Lines) {
        reached = lineRangeOf(lineAt(point.y()));
    } else if (drag_ == Drag::Words) {
        reached = wordAt(*buffer_, positionAt(point));
    } else {
        const TextPosition position = positionAt(point);
        reached = {position, position};
    }
    if (isBefore(reached.start, dragOrigin_.start)) {
        setSelectionInternal(dragOrigin_.end, reached.start);
    } else {
        setSelectionInternal(dragOrigin_.start, std::max(reached.end, dragOrigin_.end, isBefore));
    }
    ensureCursorVisible();
}

void CX86TextView::onDragTimer() {
    // A line drag lives in the margin; any other drag scrolls left once the pointer enters it.
    QRect area = viewport()->rect();
    if (drag_ != Drag::Lines) {
        area.setLeft(kMarginWidth);
    }
    if (drag_ == Drag::None || area.contains(dragPoint_)) {
        return;
    }
    if (dragPoint_.y() < area.top()) {
        scrollLineUp();
    } else if (dragPoint_.y() > area.bottom()) {
        scrollLineDown();
    }
    if (drag_ != Drag::Lines) {
        const int sideways =
            dragPoint_.x() < area.left() ? -1 : (dragPoint_.x() > area.right() ? 1 : 0);
        horizontalScrollBar()->setValue(firstVisibleColumn() + sideways);
    }
    dragTo(dragPoint_);
}

void CX86TextView::contextMenuEvent(QContextMenuEvent* event) {
    const QPoint global = event->reason() == QContextMenuEvent::Mouse ? event->globalPos()
                                                                      : mapToGlobal(QPoint(5, 5));
    emit contextMenuWanted(global);
}

// ---- clipboard, messages ----

void CX86TextView::copy() {
    if (hasSelection()) {
        QGuiApplication::clipboard()->setText(QString::fromStdString(selectedText()));
    }
}

void CX86TextView::selectAll() {
    preferredColumn_ = -1;
    setSelectionInternal({0, 0}, endOfText());
    ensureCursorVisible();
}

void CX86TextView::showMessage(const QString& text) {
    if (messageHandler_) {
        messageHandler_(text);
    }
}

}  // namespace tarvix
