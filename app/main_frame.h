// The main window: menus, toolbar and status bar built from the command table, the "Output",
// "Ram & Registers" and "Stack" panes, the device panels, and the one document in the simulation
// view. It switches between source mode and list mode with the document's name, keeps the
// recent files and its own place on the screen, and asks before unsaved text is lost.
#pragma once

#include <map>
#include <memory>

#include <QMainWindow>
#include <QPointer>

#include "app/error_sound.h"
#include "app/frame_settings.h"
#include "app/gui_devices.h"
#include "app/sample_doc.h"
#include "app/speed_settings.h"
#include "app/user_prompts.h"

class QDockWidget;
class QLabel;
class QTextBrowser;

namespace tarvix {

class CSampleView;
class NumberConverterDialog;
class OutputBar;
class RamRegistersPanel;
class SegmentCodesDialog;
class SpeedBar;
class StackPanel;

class CMainFrame : public QMainWindow {
    Q_OBJECT

public:
    // Questions go to `prompts`, or to dialogs when it is null.
    explicit CMainFrame(UserPrompts* prompts = nullptr);
    ~CMainFrame() override;

    // Opens a file as the document after asking about unsaved changes; false when the
    // document stays as it was.
    bool openDocument(const QString& path);
    bool newDocument();

    CSampleDoc& document() { return document_; }
    CSampleView& view() const { return *view_; }
    OutputBar& outputBar() const { return *output_; }
    RamRegistersPanel& registerPanel() const { return *registers_; }
    StackPanel& stackPanel() const { return *stack_; }
    KitPanels& panels() { return devices_.panels; }
    ErrorSound& sound() { return sound_; }
    const RecentFileList& recentFiles() const { return recent_; }
    bool isListMode() const { return listMode_; }

    // The action of a command of the table; null for an unknown id.
    QAction* commandAction(int id) const;
    const QList<QAction*>& recentFileActions() const { return recentActions_; }
    QMenu* contextMenu() const { return contextMenu_; }
    QLabel* positionPane() const { return positionPane_; }
    QLabel* speedPane() const { return speedPane_; }
    SpeedBar& speedBar() const { return *speedBar_; }
    const SpeedSettings& speedSettings() const { return speed_; }
    // Enables and checks every command as things stand.
    void updateCommandStates();

    // Command handlers, reached through the command table with their command id.
    void onFileNew(int id);
    void onFileOpen(int id);
    void onFileSave(int id);
    void onFileSaveAs(int id);
    void onAppExit(int id);
    void onAssemblyCode(int id);
    bool isListDocument(int id) const;
    void onEditCommand(int id);
    void onPrintCommand(int id);
    bool canEdit(int id) const;
    void onToggleBar(int id);
    bool barVisible(int id) const;
    void onCenterWindow(int id);
    void onPeripheral(int id);
    bool peripheralOn(int id) const;
    void onSimulation(int id);
    bool canSimulate(int id) const;
    void onDebugCommand(int id);
    void onWideMemory(int id);
    bool wideMemoryShown(int id) const;
    void onHighContrast(int id);
    bool highContrastShown(int id) const;
    void onFocusPane(int id);
    void onSpeed(int id);
    bool speedChosen(int id) const;
    void onDelayRoutine(int id);
    void onSegmentCodes(int id);
    void onNumberConverter(int id);
    void onCalculator(int id);
    void onHelp(int id);
    void onAbout(int id);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void createActions();
    void createDocks();
    void createStatusBar();
    void attachOutputPane();
    void runCommand(int id);
    // Rebuilds the menu bar and the toolbar for source or list mode.
    void setListMode(bool listMode);
    void rebuildRecentFiles();
    void onPathChanged(const QString& path);
    void openRecentFile(const QString& path);
    QWidget* barOf(int id) const;
    // Puts new speed settings into effect everywhere and stores them.
    void applySpeed(const SpeedSettings& settings);

    std::unique_ptr<UserPrompts> ownPrompts_;
    UserPrompts& prompts_;
    PromptMessageBoxes boxes_;
    CSampleDoc document_;
    ErrorSound sound_;
    GuiDevices devices_;
    CSampleView* view_;
    OutputBar* output_ = nullptr;
    QDockWidget* outputDock_ = nullptr;
    RamRegistersPanel* registers_ = nullptr;
    QDockWidget* registerDock_ = nullptr;
    StackPanel* stack_ = nullptr;
    QDockWidget* stackDock_ = nullptr;
    QToolBar* toolbar_ = nullptr;
    QLabel* positionPane_ = nullptr;
    QLabel* speedPane_ = nullptr;
    SpeedBar* speedBar_ = nullptr;
    SpeedSettings speed_;
    QMenu* contextMenu_ = nullptr;
    SegmentCodesDialog* segmentCodes_ = nullptr;
    NumberConverterDialog* numberConverter_ = nullptr;
    QPointer<QDialog> help_;

    std::map<int, QAction*> actions_;
    RecentFileList recent_;
    QList<QAction*> recentActions_;
    bool listMode_ = false;
    bool closeAfterRun_ = false;
};

}  // namespace tarvix
