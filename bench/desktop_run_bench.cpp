// The desktop program's Run against a headless Run of the same programs, in one process, and
// how long Stop takes to end a program that loops for ever, and how closely a Kit clock Run
// keeps the kit's time to real time. Each Run is one synchronous command
// of the window, so this prints its own table rather than timing through Google Benchmark.
// Without a display it uses Qt's offscreen platform.
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/command_ids.h"
#include "app/main_frame.h"
#include "app/output_bar.h"
#include "app/sample_view.h"
#include "bench/bench_programs.h"

namespace {

using namespace tarvix;
using namespace tarvix::bench;

constexpr int kRuns = 3;

// The rate a finished Run wrote into the pane: "Done. [ N instrns @ R ins/sec ]".
double paneRate(const std::string& pane) {
    unsigned long long count = 0;
    unsigned long long rate = 0;
    if (std::sscanf(pane.c_str(), "Done. [ %llu instrns @ %llu ins/sec ]", &count, &rate) != 2) {
        std::fprintf(stderr, "unexpected pane: %s\n", pane.c_str());
        return 0;
    }
    return static_cast<double>(rate);
}

double bestHeadlessRate(std::size_t program) {
    HeadlessKit headless(program);
    double best = 0;
    for (int i = 0; i < kRuns; ++i) {
        headless.driver.run();
        best = std::max(best, paneRate(headless.sink.text));
    }
    return best;
}

double bestDesktopRate(CMainFrame& frame, std::size_t program) {
    frame.openDocument(QString::fromStdString(sourcePath(program).string()));
    double best = 0;
    for (int i = 0; i < kRuns; ++i) {
        frame.commandAction(cmd::kRun)->trigger();
        best = std::max(best, paneRate(frame.outputBar().text().toStdString()));
    }
    return best;
}

// Clicks the execution dialog's Stop `milliseconds` after the Run starts, and starts `sinceClick`.
void clickStopAfter(CMainFrame& frame, int milliseconds, QElapsedTimer& sinceClick) {
    QTimer::singleShot(milliseconds, &frame, [&frame, &sinceClick] {
        for (QPushButton* button : frame.findChildren<QPushButton*>()) {
            if (button->text() == "Stop" && button->isVisible()) {
                sinceClick.start();
                button->click();
                return;
            }
        }
    });
}

QString writeForever(CMainFrame& frame, const QString& folder) {
    const QString path = folder + "/forever.asm";
    std::ofstream(path.toStdString()) << "        mov si,1800\nagain:  add ax,[si]\n"
                                         "        mov [si+2],ax\n        jmp again\n";
    frame.openDocument(path);
    return path;
}

// Milliseconds from a click on the execution dialog's Stop to the end of the Run command.
double stopMilliseconds(CMainFrame& frame, const QString& folder) {
    writeForever(frame, folder);
    QElapsedTimer sinceClick;
    clickStopAfter(frame, 500, sinceClick);
    frame.commandAction(cmd::kRun)->trigger();
    return sinceClick.isValid() ? static_cast<double>(sinceClick.nsecsElapsed()) / 1e6 : -1;
}

// A looping Run at Kit clock, stopped after `seconds`: the kit's time against real time.
void kitClockPacing(CMainFrame& frame, const QString& folder, int seconds) {
    writeForever(frame, folder);
    frame.commandAction(cmd::kKitClock)->trigger();
    QElapsedTimer sinceClick;
    clickStopAfter(frame, seconds * 1000, sinceClick);
    QElapsedTimer wall;
    wall.start();
    frame.commandAction(cmd::kRun)->trigger();
    const double wallSeconds = static_cast<double>(wall.nsecsElapsed()) / 1e9;
    const double kitSeconds = static_cast<double>(frame.view().driver().lastCycleCount()) /
                              (frame.speedSettings().megahertz * 1e6);
    std::printf("Kit clock %d MHz: kit %.4f s in %.4f s of real time, error %+.3f %%\n%s\n",
                frame.speedSettings().megahertz, kitSeconds, wallSeconds,
                (kitSeconds - wallSeconds) / wallSeconds * 100,
                frame.speedPane()->text().toStdString().c_str());
    frame.commandAction(cmd::kFullSpeed)->trigger();
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QTemporaryDir profile;  // the window's settings stay out of the user's own
    qputenv("XDG_CONFIG_HOME", profile.path().toUtf8());
    QApplication application(argc, argv);
    QApplication::setOrganizationName("Tarvix");
    QApplication::setApplicationName("Tarvix");
    CMainFrame frame;
    frame.show();

    std::printf("%-8s %14s %14s %8s\n", "program", "headless M/s", "desktop M/s", "ratio");
    for (std::size_t program = 0; program < kProgramCount; ++program) {
        const double headless = bestHeadlessRate(program);
        const double desktop = bestDesktopRate(frame, program);
        std::printf("%-8zu %14.1f %14.1f %8.2f\n", program, headless / 1e6, desktop / 1e6,
                    headless > 0 ? desktop / headless : 0.0);
    }
    std::printf("Stop ends a looping Run %.1f ms after the click\n",
                stopMilliseconds(frame, profile.path()));
    // "desktop_run_bench N": N seconds of Kit clock (10 when not given).
    kitClockPacing(frame, profile.path(), argc > 1 ? std::max(1, std::atoi(argv[1])) : 10);
    return 0;
}
