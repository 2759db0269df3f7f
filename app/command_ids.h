// The command ids of the menus, toolbars and accelerators. Framework commands keep the
// numbers of the framework they come from, so that every id names one command.
#pragma once

namespace tarvix::cmd {

// File
inline constexpr int kFileNew = 57600;
inline constexpr int kFileOpen = 57601;
inline constexpr int kFileSave = 57603;
inline constexpr int kFileSaveAs = 57604;
inline constexpr int kFilePageSetup = 57605;
inline constexpr int kFilePrint = 57607;
inline constexpr int kFilePrintPreview = 57609;
inline constexpr int kFileRecentFirst = 57616;  // one id per entry of the recent-file list
inline constexpr int kAppExit = 57665;
inline constexpr int kAssemblyCode = 40005;

// Edit
inline constexpr int kEditUndo = 57643;
inline constexpr int kEditRedo = 57644;
inline constexpr int kEditCut = 57635;
inline constexpr int kEditCopy = 57634;
inline constexpr int kEditPaste = 57637;
inline constexpr int kEditDelete = 37000;
inline constexpr int kEditSelectAll = 57642;
inline constexpr int kEditFind = 57636;
inline constexpr int kEditReplace = 57641;
inline constexpr int kEditFindNext = 57640;

// View
inline constexpr int kViewToolbar = 59392;
inline constexpr int kViewStatusBar = 59393;
inline constexpr int kViewRamRegisters = 40006;
inline constexpr int kViewOutput = 40007;
inline constexpr int kViewCenterWindow = 40008;
inline constexpr int kViewWideMemory = 40009;
inline constexpr int kNextPane = 40010;
inline constexpr int kPreviousPane = 40011;
inline constexpr int kViewStack = 40012;
inline constexpr int kViewHighContrast = 40013;

// Peripherals
inline constexpr int kStepperMotor = 40048;
inline constexpr int kLed8255 = 40049;
inline constexpr int kOscilloscope = 40055;
inline constexpr int kLed8279 = 40058;
inline constexpr int kKeyboard = 40062;
inline constexpr int kHwTimer = 40066;
inline constexpr int kSpeaker = 40061;
inline constexpr int kCrtTerminal = 40065;

// Simulation
inline constexpr int kRun = 40001;
inline constexpr int kStep = 40002;
inline constexpr int kResetCpu = 40003;
inline constexpr int kResetMemory = 40044;
inline constexpr int kAssemble = 40004;
inline constexpr int kFullSpeed = 40070;
inline constexpr int kKitClock = 40071;
inline constexpr int kAnimate = 40072;
inline constexpr int kToggleBreakpoint = 40080;
inline constexpr int kClearBreakpoints = 40081;
inline constexpr int kRunToCursor = 40082;

// Tools
inline constexpr int kDelayRoutine = 40022;
inline constexpr int kSegmentCodes = 40050;
inline constexpr int kNumberConverter = 40063;
inline constexpr int kCalculator = 40014;

// Help
inline constexpr int kHelp = 57666;
inline constexpr int kAbout = 57664;

}  // namespace tarvix::cmd
