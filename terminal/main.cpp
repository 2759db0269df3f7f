// tarvix-terminal: the CRT terminal at the other end of the kit's 8251. It listens on the
// CRTClass socket and shows every character the kit sends. Only one terminal holds the link.
#include <QApplication>
#include <QCommandLineParser>
#include <QMessageBox>
#include <cstdio>
#include <string>

#include "devices/terminal_link.h"
#include "devices/terminal_receiver.h"
#include "terminal/quit_on_signal.h"
#include "terminal/terminal_window.h"

namespace {

struct Options {
    std::string socketPath;
    std::string placeProblem;  // why the usual place cannot hold the socket
    bool dumpOnExit = false;
    bool messageBoxes = true;
};

Options readOptions(const QApplication& app) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("The CRT terminal of the Tarvix kit's 8251 USART."));
    parser.addHelpOption();
    const QCommandLineOption socket(QStringLiteral("socket"),
                                    QStringLiteral("Listen on this socket instead of CRTClass."),
                                    QStringLiteral("path"));
    const QCommandLineOption dump(QStringLiteral("dump-on-exit"),
                                  QStringLiteral("Print the screen's text when leaving."));
    const QCommandLineOption quiet(QStringLiteral("no-message-box"),
                                   QStringLiteral("Report problems on standard error only."));
    parser.addOptions({socket, dump, quiet});
    parser.process(app);
    Options options;
    options.socketPath = parser.isSet(socket)
                             ? parser.value(socket).toStdString()
                             : tarvix::defaultTerminalSocketPath(&options.placeProblem);
    options.dumpOnExit = parser.isSet(dump);
    options.messageBoxes = !parser.isSet(quiet);
    return options;
}

int refuse(const Options& options, const std::string& why) {
    std::fprintf(stderr, "tarvix-terminal: %s\n", why.c_str());
    if (options.messageBoxes) {
        QMessageBox::warning(nullptr, QStringLiteral("CRT Terminal"), QString::fromStdString(why));
    }
    return 1;
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tarvix-terminal"));
    const Options options = readOptions(app);
    if (options.socketPath.empty()) {
        return refuse(options, options.placeProblem);
    }

    // Taking over a live socket would cut the running terminal off from the kit.
    if (tarvix::SocketTerminalLink(options.socketPath).isThere()) {
        return refuse(options, "Another terminal is already running (listening on " +
                                   options.socketPath + "); this one closes.");
    }
    tarvix::TerminalReceiver receiver(options.socketPath);
    if (const std::string problem = receiver.listen(); !problem.empty()) {
        return refuse(options, problem);
    }
    tarvix::quitOnTerminationSignals();

    tarvix::TerminalWindow window(receiver);
    window.show();
    const int status = QApplication::exec();
    if (options.dumpOnExit) {
        window.receive();
        std::fputs(window.screen().text().c_str(), stdout);
    }
    return status;
}
