#include "editor/ui/text_view_commands.h"

#include <algorithm>
#include <array>

namespace tarvix {

namespace {

constexpr ViewCommand move(int id, QKeyCombination key, Movement movement, bool extend) {
    return {id, key, movement, extend, nullptr};
}

constexpr ViewCommand act(int id, QKeyCombination key, void (CX86TextView::*action)()) {
    return {id, key, Movement::CharLeft, false, action};
}

constexpr auto kShift = Qt::ShiftModifier;
constexpr auto kCtrl = Qt::ControlModifier;
constexpr auto kCtrlShift = Qt::ControlModifier | Qt::ShiftModifier;

const std::array kCommands{
    move(37100, Qt::Key_Left, Movement::CharLeft, false),
    move(37101, kShift | Qt::Key_Left, Movement::CharLeft, true),
    move(37102, Qt::Key_Right, Movement::CharRight, false),
    move(37103, kShift | Qt::Key_Right, Movement::CharRight, true),
    move(37104, kCtrl | Qt::Key_Left, Movement::WordLeft, false),
    move(37105, kCtrlShift | Qt::Key_Left, Movement::WordLeft, true),
    move(37106, kCtrl | Qt::Key_Right, Movement::WordRight, false),
    move(37107, kCtrlShift | Qt::Key_Right, Movement::WordRight, true),
    move(37108, Qt::Key_Up, Movement::LineUp, false),
    move(37109, kShift | Qt::Key_Up, Movement::LineUp, true),
    move(37110, Qt::Key_Down, Movement::LineDown, false),
    move(37111, kShift | Qt::Key_Down, Movement::LineDown, true),
    act(37112, kCtrl | Qt::Key_Up, &CX86TextView::scrollLineUp),
    act(37113, kCtrl | Qt::Key_Down, &CX86TextView::scrollLineDown),
    move(37114, Qt::Key_PageUp, Movement::PageUp, false),
    move(37115, kShift | Qt::Key_PageUp, Movement::PageUp, true),
    move(37116, Qt::Key_PageDown, Movement::PageDown, false),
    move(37117, kShift | Qt::Key_PageDown, Movement::PageDown, true),
    move(37118, Qt::Key_End, Movement::LineEnd, false),
    move(37119, kShift | Qt::Key_End, Movement::LineEnd, true),
    move(37120, Qt::Key_Home, Movement::Home, false),
    move(37121, kShift | Qt::Key_Home, Movement::Home, true),
    move(37122, kCtrl | Qt::Key_Home, Movement::TextStart, false),
    move(37123, kCtrlShift | Qt::Key_Home, Movement::TextStart, true),
    move(37124, kCtrl | Qt::Key_End, Movement::TextEnd, false),
    move(37125, kCtrlShift | Qt::Key_End, Movement::TextEnd, true),
    act(37000, Qt::Key_Delete, &CX86TextView::deleteForward),
    act(37001, Qt::Key_Backspace, &CX86TextView::deleteBackward),
    act(37003, Qt::Key_Tab, &CX86TextView::indentSelection),
    act(37004, kShift | Qt::Key_Tab, &CX86TextView::unindentSelection),
    act(37005, Qt::Key_Insert, &CX86TextView::toggleOverwrite),
    act(57634, kCtrl | Qt::Key_C, &CX86TextView::copy),
    act(57634, kCtrl | Qt::Key_Insert, &CX86TextView::copy),
    act(57635, kCtrl | Qt::Key_X, &CX86TextView::cut),
    act(57635, kShift | Qt::Key_Delete, &CX86TextView::cut),
    act(57637, kCtrl | Qt::Key_V, &CX86TextView::paste),
    act(57637, kShift | Qt::Key_Insert, &CX86TextView::paste),
    act(57642, kCtrl | Qt::Key_A, &CX86TextView::selectAll),
    act(57643, kCtrl | Qt::Key_Z, &CX86TextView::undo),
    act(57644, kCtrl | Qt::Key_Y, &CX86TextView::redo),
    act(57636, kCtrl | Qt::Key_F, &CX86TextView::find),
    act(57641, kCtrl | Qt::Key_H, &CX86TextView::replace),
    act(57640, Qt::Key_F3, &CX86TextView::findNext),
    act(37126, kShift | Qt::Key_F3, &CX86TextView::findPrevious),
};

QKeyCombination plainKey(QKeyCombination key) {
    Qt::Key code = key.key();
    Qt::KeyboardModifiers modifiers = key.keyboardModifiers() & ~Qt::KeypadModifier;
    if (code == Qt::Key_Backtab) {
        code = Qt::Key_Tab;
        modifiers |= Qt::ShiftModifier;
    }
    return QKeyCombination(modifiers, code);
}

}  // namespace

void ViewCommand::run(CX86TextView& view) const {
    if (action == nullptr) {
        view.moveCursor(movement, extend);
    } else {
        (view.*action)();
    }
}

const ViewCommand* commandForKey(QKeyCombination key) {
    const QKeyCombination plain = plainKey(key);
    const auto found = std::find_if(kCommands.begin(), kCommands.end(),
                                    [&](const ViewCommand& c) { return c.key == plain; });
    return found == kCommands.end() ? nullptr : &*found;
}

const ViewCommand* commandForId(int id) {
    const auto found = std::find_if(kCommands.begin(), kCommands.end(),
                                    [&](const ViewCommand& c) { return c.id == id; });
    return found == kCommands.end() ? nullptr : &*found;
}

}  // namespace tarvix
