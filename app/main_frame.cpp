#include "app/main_frame.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QDir>
#include <QDockWidget>
#include <QFileInfo>
#include <QLabel>
#include <QListView>
#include <QListWidget>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>
#include <algorithm>
#include <array>

#include "app/command_ids.h"
#include "app/command_table.h"
#include "app/document_names.h"
#include "app/gui_output_sink.h"
#include "app/help_window.h"
#include "app/output_bar.h"
#include "app/sample_view.h"
#include "app/speed_bar.h"
#include "app/toolbar_icons.h"
#include "panels/memory_list.h"
#include "panels/peripheral_commands.h"
#include "panels/ram_registers_panel.h"
#include "panels/register_pane.h"
#include "panels/stack_panel.h"
#include "tools/ui/calculator.h"
#include "tools/ui/delay_routine_dialog.h"
#include "tools/ui/number_converter_dialog.h"
#include "tools/ui/segment_codes_dialog.h"
#include "ui/colour_scheme.h"

namespace tarvix {

namespace {

constexpr MenuName kMenuOrder[] = {MenuName::File,        MenuName::Edit,       MenuName::View,
                                   MenuName::Peripherals, MenuName::Simulation, MenuName::Tools,
                                   MenuName::Help};

constexpr Panel kDevicePanels[] = {Panel::Led8255, Panel::Led8279, Panel::Stepper, Panel::Scope,
                                   Panel::Speaker};

unsigned modeOf(bool listMode) {
    return listMode ? kListMode : kSourceMode;
}

QList<QKeySequence> keySequences(const char* keys) {
    QList<QKeySequence> sequences;
    for (const QString& key : QString(keys).split("; ", Qt::SkipEmptyParts)) {
        sequences.append(QKeySequence(key));
    }
    return sequences;
}

}  // namespace

CMainFrame::CMainFrame(UserPrompts* prompts)
    : ownPrompts_(prompts ? nullptr : std::make_unique<DialogPrompts>(this)),
      prompts_(prompts ? *prompts : *ownPrompts_),
      boxes_(prompts_),
      devices_(this, applicationOutputPane(), boxes_),
      view_(new CSampleView(document_, devices_.host(), prompts_, this)) {
    setWindowIcon(applicationIcon());
    setCentralWidget(view_);
    setGeometry(readWindowPlacement());
    setHighContrast(readHighContrast());
    devices_.panels.attachPpi(&view_->kit().devices.ppi);
    view_->setDoneSound([this] { sound_.play(); });
    devices_.clock.kit.follow(view_->kit().cpu);

    toolbar_ = addToolBar("Toolbar");
    toolbar_->setObjectName("Toolbar");
    toolbar_->setIconSize(QSize(16, 16));
    speedBar_ = new SpeedBar(this);
    addToolBar(speedBar_);
    createStatusBar();
    createDocks();
    attachOutputPane();
    createActions();
    // F6 and Shift+F6 go on from a device panel as well, which is a window of its own.
    for (const Panel panel : kDevicePanels) {
        devices_.panels.window(panel)->addActions(
            {commandAction(cmd::kNextPane), commandAction(cmd::kPreviousPane)});
    }

    segmentCodes_ = new SegmentCodesDialog(this);
    numberConverter_ = new NumberConverterDialog(this);
    segmentCodes_->hide();
    numberConverter_->hide();

    connect(&document_, &CSampleDoc::pathChanged, this, &CMainFrame::onPathChanged);
    connect(view_, &CX86TextView::editStateChanged, this, &CMainFrame::updateCommandStates);
    connect(view_, &CX86TextView::positionTextChanged, positionPane_, &QLabel::setText);
    connect(view_, &CSampleView::runningChanged, this, &CMainFrame::updateCommandStates);
    connect(view_, &CSampleView::runningChanged, speedBar_, &SpeedBar::setRunning);
    connect(view_, &CSampleView::noteShown, this,
            [this](const QString& note) { statusBar()->showMessage(note); });
    // A run ends with its total pace shown; the next settings or run replace it.
    connect(speedBar_, &SpeedBar::changed, this, &CMainFrame::applySpeed);
    view_->setPaceSink([this](const PaceReport& report) {
        speedPane_->setText(QString::fromStdString(kitClockText(speed_.megahertz, report)));
    });
    applySpeed(readSpeedSettings());
    connect(view_, &CX86TextView::contextMenuWanted, this,
            [this](const QPoint& where) { contextMenu_->popup(where); });
    onPathChanged(document_.path());
    view_->setFocus();
}

CMainFrame::~CMainFrame() {
    // The children die after this body; a pane hiding then must not call into a frame that
    // is already half destroyed.
    for (QObject* child : children()) {
        child->disconnect(this);
    }
    applicationOutputSink().detach();
    // The kit in the view drives the panels and the speaker: it goes first.
    delete view_;
}

void CMainFrame::createStatusBar() {
    // It only shows; greyed out during a run it would hide the pace of a Kit clock run.
    statusBar()->setProperty(kLiveWhileLocked, true);
    speedPane_ = new QLabel(this);
    statusBar()->addPermanentWidget(speedPane_);
    positionPane_ = new QLabel(" ", this);
    positionPane_->setMinimumWidth(
        positionPane_->fontMetrics().horizontalAdvance("Ln 99999, Col 999"));
    statusBar()->addPermanentWidget(positionPane_);
}

void CMainFrame::createDocks() {
    output_ = new OutputBar(this);
    outputDock_ = new QDockWidget("Output", this);
    outputDock_->setObjectName("Output");
    outputDock_->setWidget(output_);
    addDockWidget(Qt::BottomDockWidgetArea, outputDock_);

    registers_ = new RamRegistersPanel(this);
    registerDock_ = new QDockWidget("Ram & Registers", this);
    registerDock_->setObjectName("RamRegisters");
    registerDock_->setWidget(registers_);
    addDockWidget(Qt::RightDockWidgetArea, registerDock_);
    view_->setRegisterPanel(registers_);

    stack_ = new StackPanel(this);
    stackDock_ = new QDockWidget("Stack", this);
    stackDock_->setObjectName("Stack");
    stackDock_->setWidget(stack_);
    addDockWidget(Qt::RightDockWidgetArea, stackDock_);
    splitDockWidget(registerDock_, stackDock_, Qt::Vertical);
    view_->setStackPanel(stack_);

    for (QDockWidget* dock : {outputDock_, registerDock_, stackDock_}) {
        connect(dock, &QDockWidget::visibilityChanged, this, &CMainFrame::updateCommandStates);
    }
}

void CMainFrame::attachOutputPane() {
    applicationOutputSink().attach({
        .bar = output_,
        .currentLine = &view_->kit().currentLine,
        .markErrorLine = [this](int line) { view_->markErrorLine(line); },
        // The kit plays its sounds on one output: the error sound ends the speaker's tone.
        .playErrorSound =
            [this] {
                devices_.sound.stop();
                sound_.play();
            },
    });
}

void CMainFrame::createActions() {
    for (const Command& command : commandTable()) {
        auto* action = new QAction(command.text, this);
        action->setShortcuts(keySequences(command.keys));
        const QString prompt(command.prompt);
        action->setStatusTip(prompt.section('\n', 0, 0));
        action->setToolTip(prompt.contains('\n') ? prompt.section('\n', 1) : QString());
        action->setCheckable(command.checked != nullptr);
        action->setIcon(commandIcon(command.id, *style()));
        action->setIconVisibleInMenu(false);
        // A toolbar button is named by this: the command alone, without its key after the tab,
        // which a screen reader would read out.
        action->setIconText(QString(command.text).section('\t', 0, 0));
        const int id = command.id;
        connect(action, &QAction::triggered, this, [this, id] { runCommand(id); });
        // On the frame itself, so that its keys work whichever menus are shown.
        addAction(action);
        actions_[id] = action;
    }
    contextMenu_ = new QMenu(this);
    for (const ContextItem& item : contextMenuItems()) {
        QAction* action = contextMenu_->addAction(item.text);
        const int id = item.id;
        action->setData(id);
        connect(action, &QAction::triggered, this, [this, id] { runCommand(id); });
        if (id == cmd::kEditDelete) {
            contextMenu_->addSeparator();
        }
    }
    connect(contextMenu_, &QMenu::aboutToShow, this, [this] {
        for (QAction* action : contextMenu_->actions()) {
            if (!action->isSeparator()) {
                action->setEnabled(canEdit(action->data().toInt()));
            }
        }
    });
    setListMode(false);
    // A student sets breakpoints while stepping, and goes round the panes to edit.
    QList<QAction*> stepping;
    for (const int id :
         {cmd::kToggleBreakpoint, cmd::kClearBreakpoints, cmd::kNextPane, cmd::kPreviousPane}) {
        stepping.append(commandAction(id));
    }
    view_->setSteppingActions(stepping);
}

QAction* CMainFrame::commandAction(int id) const {
    const auto found = actions_.find(id);
    return found == actions_.end() ? nullptr : found->second;
}

void CMainFrame::runCommand(int id) {
    const Command* command = findCommand(id);
    updateCommandStates();
    QAction* action = commandAction(id);
    if (command == nullptr || action == nullptr || !action->isEnabled()) {
        return;
    }
    (this->*command->handler)(id);
    updateCommandStates();
}

void CMainFrame::updateCommandStates() {
    const unsigned mode = modeOf(listMode_);
    for (const Command& command : commandTable()) {
        QAction* action = commandAction(command.id);
        const bool available = ((command.menuModes | command.toolbarModes) & mode) != 0;
        action->setEnabled(available && command.handler != nullptr &&
                           (command.enabled == nullptr || (this->*command.enabled)(command.id)));
        if (command.checked != nullptr) {
            action->setChecked((this->*command.checked)(command.id));
        }
    }
}

void CMainFrame::setListMode(bool listMode) {
    listMode_ = listMode;
    const unsigned mode = modeOf(listMode);
    for (QAction* menu : menuBar()->actions()) {
        menu->menu()->deleteLater();
    }
    menuBar()->clear();
    for (const MenuName name : kMenuOrder) {
        QMenu* menu = nullptr;
        for (const Command& command : commandTable()) {
            if (command.menu != name || (command.menuModes & mode) == 0) {
                continue;
            }
            if (menu == nullptr) {
                menu = menuBar()->addMenu(menuTitle(name));
                connect(menu, &QMenu::aboutToShow, this, &CMainFrame::updateCommandStates);
            } else if (command.separatorBefore) {
                menu->addSeparator();
            }
            if (command.id == kRecentFilesBefore && !listMode && !recentActions_.isEmpty()) {
                menu->addActions(recentActions_);
                menu->addSeparator();
            }
            menu->addAction(commandAction(command.id));
        }
    }
    toolbar_->clear();
    MenuName lastMenu = MenuName::None;
    for (const Command& command : commandTable()) {
        if ((command.toolbarModes & mode) == 0) {
            continue;
        }
        if (lastMenu != MenuName::None && command.menu != lastMenu) {
            toolbar_->addSeparator();
        }
        lastMenu = command.menu;
        toolbar_->addAction(commandAction(command.id));
    }
    updateCommandStates();
}

void CMainFrame::rebuildRecentFiles() {
    qDeleteAll(recentActions_);
    recentActions_.clear();
    const QStringList& files = recent_.files();
    for (int i = 0; i < files.size(); ++i) {
        const QString path = files[i];
        const QString number = i < 9 ? QString("&%1").arg(i + 1) : QString::number(i + 1);
        auto* action = new QAction(number + " " + QDir::toNativeSeparators(path), this);
        action->setStatusTip("Open this document");
        connect(action, &QAction::triggered, this, [this, path] { openRecentFile(path); });
        recentActions_.append(action);
    }
    setListMode(listMode_);
}

void CMainFrame::onPathChanged(const QString& path) {
    setWindowTitle(frameTitle(path));
    if (isRecentFileName(path)) {
        recent_.add(path);
    }
    rebuildRecentFiles();
    setListMode(isListFileName(path));
}

bool CMainFrame::openDocument(const QString& path) {
    if (!document_.saveModified(prompts_)) {
        return false;
    }
    if (!document_.open(path, prompts_)) {
        return false;
    }
    view_->scrollToTop();
    view_->setCursorPosition({});
    return true;
}

bool CMainFrame::newDocument() {
    if (!document_.saveModified(prompts_)) {
        return false;
    }
    document_.newDocument();
    return true;
}

void CMainFrame::openRecentFile(const QString& path) {
    if (!QFileInfo(path).isFile()) {
        prompts_.showError(QString("Cannot open %1.\nThe file is no longer there; it is taken "
                                   "off the recent-file list.")
                               .arg(QDir::toNativeSeparators(path)));
        recent_.remove(path);
        rebuildRecentFiles();
        return;
    }
    openDocument(path);
}

void CMainFrame::onFileNew(int) {
    newDocument();
}

// The file first, then the question about the text it replaces.
void CMainFrame::onFileOpen(int) {
    const QString folder =
        document_.path().isEmpty() ? QString() : QFileInfo(document_.path()).absolutePath();
    const QString path = prompts_.chooseOpenPath(folder);
    if (!path.isEmpty()) {
        openDocument(path);
    }
}

void CMainFrame::onFileSave(int) {
    document_.save(prompts_);
}

void CMainFrame::onFileSaveAs(int) {
    document_.saveAs(prompts_);
}

void CMainFrame::onAppExit(int) {
    close();
}

void CMainFrame::onAssemblyCode(int) {
    openDocument(sourcePathOf(document_.path()));
}

bool CMainFrame::isListDocument(int) const {
    return hasListSuffix(document_.path());
}

// The editor view keeps the one table of its commands; the menus pass their ids on.
void CMainFrame::onEditCommand(int id) {
    view_->runCommand(id);
}

void CMainFrame::onPrintCommand(int id) {
    switch (id) {
        case cmd::kFilePrint:
            view_->print();
            break;
        case cmd::kFilePrintPreview:
            view_->printPreview();
            break;
        default:
            view_->pageSetup();
            break;
    }
}

bool CMainFrame::canEdit(int id) const {
    const bool writable = !document_.buffer().isReadOnly();
    switch (id) {
        case cmd::kEditUndo:
            return writable && view_->canUndo();
        case cmd::kEditRedo:
            return writable && view_->canRedo();
        case cmd::kEditCut:
            return writable && view_->hasSelection();
        case cmd::kEditDelete:  // the selection, or else the character after the cursor
            return writable;
        case cmd::kEditCopy:
            return view_->hasSelection();
        case cmd::kEditPaste:
            return writable && view_->canPaste();
        default:
            return true;
    }
}

QWidget* CMainFrame::barOf(int id) const {
    switch (id) {
        case cmd::kViewToolbar:
            return toolbar_;
        case cmd::kViewStatusBar:
            return statusBar();
        case cmd::kViewRamRegisters:
            return registerDock_;
        case cmd::kViewOutput:
            return outputDock_;
        case cmd::kViewStack:
            return stackDock_;
        default:
            return nullptr;
    }
}

void CMainFrame::onToggleBar(int id) {
    QWidget* bar = barOf(id);
    bar->setVisible(bar->isHidden());
}

bool CMainFrame::barVisible(int id) const {
    return !barOf(id)->isHidden();
}

void CMainFrame::onCenterWindow(int) {
    const QScreen* screen = this->screen();
    if (screen == nullptr) {
        return;
    }
    QRect frame = frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
}

void CMainFrame::onPeripheral(int id) {
    runPeripheralCommand(id, view_->kit(), devices_.panels);
}

bool CMainFrame::peripheralOn(int id) const {
    return peripheralChecked(id, view_->kit(), devices_.panels);
}

void CMainFrame::onSimulation(int id) {
    switch (id) {
        case cmd::kRun:
            view_->run();
            break;
        case cmd::kStep:
            view_->step();
            break;
        case cmd::kResetCpu:
            view_->resetCpu();
            break;
        case cmd::kResetMemory:
            view_->resetMemory();
            break;
        case cmd::kAssemble:
            if (const QString listing = view_->assembleListing(); !listing.isEmpty()) {
                if (openDocument(listing)) {
                    sound_.play();
                }
            }
            break;
        default:
            break;
    }
    if (std::exchange(closeAfterRun_, false)) {
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
    }
}

bool CMainFrame::canSimulate(int) const {
    return !view_->isRunning();
}

void CMainFrame::onDebugCommand(int id) {
    switch (id) {
        case cmd::kToggleBreakpoint:
            view_->toggleBreakpoint();
            break;
        case cmd::kClearBreakpoints:
            view_->clearBreakpoints();
            break;
        case cmd::kRunToCursor:
            view_->runToCursor();
            break;
        default:
            break;
    }
    if (std::exchange(closeAfterRun_, false)) {
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
    }
}

void CMainFrame::onHighContrast(int) {
    setHighContrast(!highContrast());
    writeHighContrast(highContrast());
    for (QWidget* widget : QApplication::allWidgets()) {
        widget->update();
    }
}

bool CMainFrame::highContrastShown(int) const {
    return highContrast();
}

void CMainFrame::onWideMemory(int) {
    registers_->setWideRows(!registers_->wideRows());
}

bool CMainFrame::wideMemoryShown(int) const {
    return registers_->wideRows();
}

// F6 goes round the editor, the registers (while they take edits), the RAM list, the stack,
// the Output pane and the device panels that are shown; Shift+F6 the other way. A hidden pane,
// or one that takes no focus, is passed by.
void CMainFrame::onFocusPane(int id) {
    std::vector<QWidget*> panes{view_, registers_->registerPane(), registers_->memoryList()->view(),
                                stack_->list(), output_->focusProxy()};
    for (const Panel panel : kDevicePanels) {
        panes.push_back(devices_.panels.window(panel));
    }
    const auto current = std::find_if(panes.begin(), panes.end(), [](QWidget* pane) {
        QWidget* focus = QApplication::focusWidget();
        return focus != nullptr && (focus == pane || pane->isAncestorOf(focus));
    });
    const int step = id == cmd::kNextPane ? 1 : -1;
    int index = current == panes.end() ? 0 : static_cast<int>(current - panes.begin());
    for (std::size_t tried = 0; tried < panes.size(); ++tried) {
        index = (index + step + static_cast<int>(panes.size())) % static_cast<int>(panes.size());
        QWidget* pane = panes[static_cast<std::size_t>(index)];
        if (pane->isVisibleTo(this) && pane->focusPolicy() != Qt::NoFocus) {
            // From the execution dialog while stepping, or from a device panel.
            pane->window()->activateWindow();
            pane->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
}

namespace {

RunSpeed speedOf(int id) {
    switch (id) {
        case cmd::kKitClock:
            return RunSpeed::KitClock;
        case cmd::kAnimate:
            return RunSpeed::Animate;
        default:
            return RunSpeed::FullSpeed;
    }
}

}  // namespace

void CMainFrame::onSpeed(int id) {
    SpeedSettings settings = speed_;
    settings.speed = speedOf(id);
    applySpeed(settings);
}

bool CMainFrame::speedChosen(int id) const {
    return speed_.speed == speedOf(id);
}

void CMainFrame::applySpeed(const SpeedSettings& settings) {
    speed_ = settings;
    devices_.clock.useKitTime(settings.speed == RunSpeed::KitClock);
    devices_.clock.kit.setMegahertz(settings.megahertz);
    view_->setSpeed(settings.speed, settings.linesPerSecond);
    speedBar_->setSettings(settings);
    speedPane_->setText(speedText(settings));
    writeSpeedSettings(settings);
    updateCommandStates();
}

void CMainFrame::onDelayRoutine(int) {
    DelayRoutineDialog dialog(this);
    dialog.setMessageHandler([this](const QString& text) { prompts_.showMessage(text); });
    if (dialog.exec() == QDialog::Accepted) {
        // The routine's signs are Latin-1; the file gets them in its own encoding.
        view_->replaceSelection(view_->bufferBytes(QString::fromLatin1(dialog.routineText())));
    }
}

void CMainFrame::onSegmentCodes(int) {
    segmentCodes_->show();
    segmentCodes_->raise();
}

void CMainFrame::onNumberConverter(int) {
    numberConverter_->show();
    numberConverter_->raise();
}

void CMainFrame::onCalculator(int) {
    if (!startCalculator()) {
        prompts_.showMessage(QStringLiteral("No calculator was found on this system."));
    }
}

void CMainFrame::onHelp(int) {
    if (!help_) {
        help_ = new HelpWindow(this);
    }
    help_->show();
    help_->raise();
    help_->activateWindow();
}

void CMainFrame::onAbout(int) {
    QMessageBox about(this);
    about.setWindowTitle("About Tarvix");
    about.setIconPixmap(applicationIcon().pixmap(64, 64));
    about.setText("<b>Tarvix v1.0</b>");
    about.setInformativeText("A simulator of an 8086 microprocessor training kit.");
    about.exec();
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (view_->isRunning()) {
        // The run ends first; the window closes when its command has returned.
        view_->requestStop();
        closeAfterRun_ = true;
        event->ignore();
        return;
    }
    if (!document_.saveModified(prompts_)) {
        event->ignore();
        return;
    }
    if (!isMaximized() && !isMinimized()) {
        writeWindowPlacement(geometry());
    }
    event->accept();
}

}  // namespace tarvix
