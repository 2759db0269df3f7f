#include "app/command_table.h"

#include <algorithm>
#include <array>

#include "app/command_ids.h"
#include "app/main_frame.h"

namespace tarvix {

namespace {

using F = CMainFrame;
using enum MenuName;

constexpr bool kSep = true;
constexpr bool kNoSep = false;

// clang-format off
const std::array kCommands = {
    // File
    Command{cmd::kAssemblyCode, File, "Assembly Code", "",
            "Opens the source code file\nSource Code File", kListMode, kListMode, kNoSep,
            &F::onAssemblyCode, &F::isListDocument, nullptr},
    // New and Open stay on the list-mode toolbar, and so on their keys, so that a list file
    // whose source has gone is never a dead end.
    Command{cmd::kFileNew, File, "&New\tCtrl+N", "Ctrl+N", "Create a new document\nNew",
            kSourceMode, kBothModes, kNoSep, &F::onFileNew, nullptr, nullptr},
    Command{cmd::kFileOpen, File, "&Open...\tCtrl+O", "Ctrl+O", "Open an existing document\nOpen",
            kSourceMode, kBothModes, kNoSep, &F::onFileOpen, nullptr, nullptr},
    Command{cmd::kFileSave, File, "&Save\tCtrl+S", "Ctrl+S", "Save the active document\nSave",
            kBothModes, kBothModes, kNoSep, &F::onFileSave, nullptr, nullptr},
    Command{cmd::kFileSaveAs, File, "Save &As...", "",
            "Save the active document with a new name\nSave As", kBothModes, kNoMode, kNoSep,
            &F::onFileSaveAs, nullptr, nullptr},
    // Printing belongs to the editor view, listings included.
    Command{cmd::kFilePrint, File, "&Print...\tCtrl+P", "Ctrl+P", "Print the active document\nPrint",
            kBothModes, kNoMode, kSep, &F::onPrintCommand, nullptr, nullptr},
    Command{cmd::kFilePrintPreview, File, "Print Pre&view", "", "Display full pages\nPrint Preview",
            kBothModes, kNoMode, kNoSep, &F::onPrintCommand, nullptr, nullptr},
    Command{cmd::kFilePageSetup, File, "Page Set&up...", "",
            "Change the printing options\nPage Setup", kBothModes, kNoMode, kNoSep,
            &F::onPrintCommand, nullptr, nullptr},
    Command{cmd::kAppExit, File, "E&xit", "", "Quit the application; prompts to save documents\nExit",
            kBothModes, kNoMode, kSep, &F::onAppExit, nullptr, nullptr},
    // Edit
    Command{cmd::kEditUndo, Edit, "Undo\tCtrl+Z", "Ctrl+Z", "Undo the last action\nUndo",
            kSourceMode, kSourceMode, kNoSep, &F::onEditCommand, &F::canEdit, nullptr},
    Command{cmd::kEditRedo, Edit, "Redo\tCtrl+Y", "Ctrl+Y", "Redo the previously undone action\nRedo",
            kSourceMode, kSourceMode, kNoSep, &F::onEditCommand, &F::canEdit, nullptr},
    Command{cmd::kEditCut, Edit, "Cu&t\tCtrl+X", "Ctrl+X; Shift+Del",
            "Cut the selection and put it on the Clipboard\nCut", kBothModes, kBothModes, kSep,
            &F::onEditCommand, &F::canEdit, nullptr},
    Command{cmd::kEditCopy, Edit, "&Copy\tCtrl+C", "Ctrl+C; Ctrl+Ins",
            "Copy the selection and put it on the Clipboard\nCopy", kBothModes, kBothModes, kNoSep,
            &F::onEditCommand, &F::canEdit, nullptr},
    Command{cmd::kEditPaste, Edit, "&Paste\tCtrl+V", "Ctrl+V; Shift+Ins",
            "Insert Clipboard contents\nPaste", kBothModes, kBothModes, kNoSep,
            &F::onEditCommand, &F::canEdit, nullptr},
    // The Delete key itself belongs to the view, which also deletes the character after the
    // cursor; the menu only shows it.
    Command{cmd::kEditDelete, Edit, "Delete\t Del", "", "Erase the selection\nDelete",
            kBothModes, kNoMode, kNoSep, &F::onEditCommand, &F::canEdit, nullptr},
    Command{cmd::kEditSelectAll, Edit, "Select All\tCtrl+A", "Ctrl+A",
            "Select the entire document\nSelect All", kBothModes, kNoMode, kSep,
            &F::onEditCommand, &F::canEdit, nullptr},
    Command{cmd::kEditFind, Edit, "Find...\tCtrl+F", "Ctrl+F", "Find the specified text\nFind",
            kBothModes, kBothModes, kSep, &F::onEditCommand, &F::canEdit, nullptr},
    Command{cmd::kEditReplace, Edit, "Replace....\tCtrl+H", "Ctrl+H",
            "Replace specific text with different text\nReplace", kBothModes, kNoMode, kNoSep,
            &F::onEditCommand, &F::canEdit, nullptr},
    Command{cmd::kEditFindNext, None, "Find Next\tF3", "F3", "Repeat the last search\nFind Next",
            kBothModes, kNoMode, kNoSep, &F::onEditCommand, &F::canEdit, nullptr},
    // View
    Command{cmd::kViewToolbar, View, "&Toolbar", "", "Show or hide the toolbar\nToggle ToolBar",
            kBothModes, kNoMode, kNoSep, &F::onToggleBar, nullptr, &F::barVisible},
    Command{cmd::kViewStatusBar, View, "&Status Bar", "",
            "Show or hide the status bar\nToggle StatusBar", kBothModes, kNoMode, kNoSep,
            &F::onToggleBar, nullptr, &F::barVisible},
    Command{cmd::kViewRamRegisters, View, "Ram && Registers", "",
            "Show or hide the registers and the RAM\nRam & Registers", kSourceMode, kNoMode, kSep,
            &F::onToggleBar, nullptr, &F::barVisible},
    Command{cmd::kViewOutput, View, "Output", "", "Show or hide the output pane\nOutput",
            kSourceMode, kNoMode, kNoSep, &F::onToggleBar, nullptr, &F::barVisible},
    Command{cmd::kViewStack, View, "Stack", "", "Show or hide the stack\nStack", kSourceMode,
            kNoMode, kNoSep, &F::onToggleBar, nullptr, &F::barVisible},
    Command{cmd::kViewWideMemory, View, "RAM in 16-Byte Rows", "",
            "Shows the RAM sixteen bytes a row in hex, with their ASCII beside them\nRAM in 16-Byte Rows",
            kSourceMode, kNoMode, kNoSep, &F::onWideMemory, nullptr, &F::wideMemoryShown},
    Command{cmd::kViewHighContrast, View, "&High contrast", "",
            "Shows the editor and the panels in high-contrast colours\nHigh contrast", kBothModes,
            kNoMode, kNoSep, &F::onHighContrast, nullptr, &F::highContrastShown},
    // Around the panes from the keyboard: editor, Ram & Registers, Stack, Output.
    Command{cmd::kNextPane, None, "Next Pane\tF6", "F6", "Moves the focus to the next pane\nNext Pane",
            kSourceMode, kNoMode, kNoSep, &F::onFocusPane, nullptr, nullptr},
    Command{cmd::kPreviousPane, None, "Previous Pane\tShift+F6", "Shift+F6",
            "Moves the focus to the previous pane\nPrevious Pane", kSourceMode, kNoMode, kNoSep,
            &F::onFocusPane, nullptr, nullptr},
    Command{cmd::kViewCenterWindow, View, "Center Window", "", "place window on screen center",
            kBothModes, kNoMode, kSep, &F::onCenterWindow, nullptr, nullptr},
    // Peripherals
    Command{cmd::kStepperMotor, Peripherals, "&Stepper Motor\t8255-A", "",
            "Shows the stepper motor on port A of the 8255\nStepper Motor", kSourceMode, kNoMode,
            kNoSep, &F::onPeripheral, nullptr, &F::peripheralOn},
    Command{cmd::kLed8255, Peripherals, "&LED Display\t8255-A,B", "",
            "Shows the LED display on ports A and B of the 8255\nLED Display (8255)", kSourceMode,
            kNoMode, kNoSep, &F::onPeripheral, nullptr, &F::peripheralOn},
    Command{cmd::kOscilloscope, Peripherals, "&Oscilloscope\t8255-A", "",
            "Shows the oscilloscope on the DAC at port A of the 8255\nOscilloscope", kSourceMode,
            kNoMode, kNoSep, &F::onPeripheral, nullptr, &F::peripheralOn},
    Command{cmd::kLed8279, Peripherals, "LED Display\t8279-A,B", "",
            "Shows the LED display of the 8279\nLED Display (8279)", kSourceMode, kNoMode, kSep,
            &F::onPeripheral, nullptr, &F::peripheralOn},
    Command{cmd::kKeyboard, Peripherals, "Keyboard\t8255-50H", "",
            "The keyboard byte at port 50H\nKeyboard", kSourceMode, kNoMode, kSep, &F::onPeripheral, nullptr, nullptr},
    Command{cmd::kHwTimer, Peripherals, "1 Hz Timer\tNMI", "",
            "Interrupts the program once a second (NMI)\n1 Hz Timer", kSourceMode, kNoMode, kNoSep,
            &F::onPeripheral, nullptr, &F::peripheralOn},
    Command{cmd::kSpeaker, Peripherals, "Audio Speaker\t8254", "",
            "Shows the speaker on the 8254 timer\nAudio Speaker", kSourceMode, kNoMode, kSep,
            &F::onPeripheral, nullptr, &F::peripheralOn},
    Command{cmd::kCrtTerminal, Peripherals, "CRT Terminal\t8251", "",
            "Starts the CRT terminal of the 8251\nCRT Terminal", kSourceMode, kNoMode, kNoSep,
            &F::onPeripheral, nullptr, nullptr},
    // Simulation
    Command{cmd::kRun, Simulation, "Run\tF9", "F9", "Executes the code and shows the output\nRun (F9)",
            kSourceMode, kSourceMode, kNoSep, &F::onSimulation, &F::canSimulate, nullptr},
    Command{cmd::kStep, Simulation, "Step\tF10", "F10", "Steps through the code\nStep (F10)",
            kSourceMode, kSourceMode, kNoSep, &F::onSimulation, &F::canSimulate, nullptr},
    Command{cmd::kResetCpu, Simulation, "Reset CPU\tF11", "F11", "Reset\nReset cpu (F11)",
            kSourceMode, kSourceMode, kSep, &F::onSimulation, &F::canSimulate, nullptr},
    Command{cmd::kResetMemory, Simulation, "Reset Memory", "", "Clears the memory to zeroes",
            kSourceMode, kNoMode, kNoSep, &F::onSimulation, &F::canSimulate, nullptr},
    Command{cmd::kAssemble, Simulation, "Assemble", "F12", "Assemble (list file)\nAssemble(F12)",
            kSourceMode, kSourceMode, kSep, &F::onSimulation, &F::canSimulate, nullptr},
    Command{cmd::kToggleBreakpoint, Simulation, "Toggle &Breakpoint\tCtrl+B", "Ctrl+B",
            "A Run stops before the caret's line, or no longer stops there\nToggle Breakpoint (Ctrl+B)",
            kSourceMode, kNoMode, kSep, &F::onDebugCommand, nullptr, nullptr},
    Command{cmd::kClearBreakpoints, Simulation, "Clear All Breakpoints\tCtrl+Shift+F9",
            "Ctrl+Shift+F9", "Removes every breakpoint\nClear All Breakpoints", kSourceMode, kNoMode,
            kNoSep, &F::onDebugCommand, nullptr, nullptr},
    Command{cmd::kRunToCursor, Simulation, "Run to &Cursor\tCtrl+F10", "Ctrl+F10",
            "Runs until the caret's line, then steps\nRun to Cursor (Ctrl+F10)", kSourceMode,
            kNoMode, kNoSep, &F::onDebugCommand, &F::canSimulate, nullptr},
    Command{cmd::kFullSpeed, Simulation, "&Full speed\tCtrl+1", "Ctrl+1",
            "Run goes as fast as this computer can\nFull speed", kSourceMode, kNoMode, kSep,
            &F::onSpeed, &F::canSimulate, &F::speedChosen},
    Command{cmd::kKitClock, Simulation, "&Kit clock\tCtrl+2", "Ctrl+2",
            "Run keeps the kit's time at its clock (MHz on the speed bar)\nKit clock", kSourceMode,
            kNoMode, kNoSep, &F::onSpeed, &F::canSimulate, &F::speedChosen},
    Command{cmd::kAnimate, Simulation, "A&nimate\tCtrl+3", "Ctrl+3",
            "Run shows every line, a few a second (lines/s on the speed bar)\nAnimate", kSourceMode,
            kNoMode, kNoSep, &F::onSpeed, &F::canSimulate, &F::speedChosen},
    // Tools
    Command{cmd::kDelayRoutine, Tools, "Add Delay Routine...", "",
            "Inserts a delay procedure at the cursor\nAdd Delay Routine", kSourceMode, kNoMode,
            kNoSep, &F::onDelayRoutine, nullptr, nullptr},
    Command{cmd::kSegmentCodes, Tools, "7 Segment Codes..", "",
            "Shows the seven-segment code of each character\n7 Segment Codes", kSourceMode,
            kNoMode, kNoSep, &F::onSegmentCodes, nullptr, nullptr},
    Command{cmd::kNumberConverter, Tools, "Hex Dec Bin Calc...", "",
            "Convert between hex/decimal/binary numbers\nHex-to-Dec-to-Bin", kSourceMode, kNoMode,
            kNoSep, &F::onNumberConverter, nullptr, nullptr},
    Command{cmd::kCalculator, Tools, "Calculator...", "", "Starts the desktop calculator\nCalculator",
            kSourceMode, kNoMode, kNoSep, &F::onCalculator, nullptr, nullptr},
    // Help
    Command{cmd::kHelp, Help, "Help\tF1", "F1", "Shows the user guide\nHelp (F1)", kBothModes,
            kBothModes, kNoSep, &F::onHelp, nullptr, nullptr},
    Command{cmd::kAbout, Help, "&About...", "",
            "Display program information, version number and copyright\nAbout", kBothModes,
            kBothModes, kNoSep, &F::onAbout, nullptr, nullptr},
};

const std::array kContextItems = {
    ContextItem{cmd::kEditCut, "Cu&t"},
    ContextItem{cmd::kEditCopy, "&Copy"},
    ContextItem{cmd::kEditPaste, "&Paste"},
    ContextItem{cmd::kEditDelete, "Delete"},
    ContextItem{cmd::kEditSelectAll, "Select All"},
};
// clang-format on

}  // namespace

std::span<const Command> commandTable() {
    return kCommands;
}

const Command* findCommand(int id) {
    const auto found = std::find_if(kCommands.begin(), kCommands.end(),
                                    [id](const Command& command) { return command.id == id; });
    return found == kCommands.end() ? nullptr : &*found;
}

const char* menuTitle(MenuName menu) {
    switch (menu) {
        case File:
            return "&File";
        case Edit:
            return "&Edit";
        case View:
            return "&View";
        case Peripherals:
            return "&Peripherals";
        case Simulation:
            return "&Simulation";
        case Tools:
            return "&Tools";
        case Help:
            return "&Help";
        case None:
            break;
    }
    return "";
}

std::span<const ContextItem> contextMenuItems() {
    return kContextItems;
}

}  // namespace tarvix
