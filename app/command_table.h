// The one table of the frame's commands: for each command id its menu, its exact menu text
// (with the & mnemonic and the accelerator text after a tab), its keys, its status-bar prompt
// and tooltip, the modes whose menus and toolbars show it, and the frame's handler. Menus,
// toolbars, tooltips, status prompts and accelerators are all built from it.
#pragma once

#include <span>

namespace tarvix {

class CMainFrame;

enum class MenuName { File, Edit, View, Peripherals, Simulation, Tools, Help, None };

// The source mode edits an assembly source; the list mode shows a list file.
enum ModeSet : unsigned { kNoMode = 0, kSourceMode = 1, kListMode = 2, kBothModes = 3 };

struct Command {
    using Handler = void (CMainFrame::*)(int id);
    using Query = bool (CMainFrame::*)(int id) const;

    int id;
    MenuName menu;
    const char* text;
    const char* keys;    // key sequences separated by "; "; empty for none
    const char* prompt;  // the status-bar prompt, then "\n" and the tooltip
    unsigned menuModes;
    unsigned toolbarModes;
    bool separatorBefore;  // in its menu
    Handler handler;       // null while the code behind it is missing: shown disabled
    Query enabled;         // null: enabled whenever it has a handler
    Query checked;         // null: not a check item
};

std::span<const Command> commandTable();
const Command* findCommand(int id);

// The title of a menu on the menu bar.
const char* menuTitle(MenuName menu);

// Where the File menu lists the recent files: before this command.
inline constexpr int kRecentFilesBefore = 57665;

// The view's context menu: the editing commands with their own texts.
struct ContextItem {
    int id;
    const char* text;
};
std::span<const ContextItem> contextMenuItems();

}  // namespace tarvix
