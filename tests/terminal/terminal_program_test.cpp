// tarvix-terminal as the kit meets it: a program listening on the socket that the kit's link
// reaches, one at a time.
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <cstring>

#include "common/output_pane.h"
#include "devices/kit_devices.h"
#include "devices/terminal_link.h"
#include "editor/x86_text_buffer.h"
#include "simulator/execution_driver.h"
#include "simulator/kit.h"
#include "tests/kit_fakes.h"

namespace tarvix {

class TerminalProgramTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void kitProgramReachesTheScreen();
    void secondTerminalLeavesTheFirstInPlace();
    void staleSocketIsReplaced();

private:
    QProcess* startTerminal();
    QString socketPath() const { return folder_->filePath("CRTClass"); }

    std::unique_ptr<QTemporaryDir> folder_;
    std::vector<std::unique_ptr<QProcess>> terminals_;
};

void TerminalProgramTest::init() {
    terminals_.clear();
    folder_ = std::make_unique<QTemporaryDir>();
}

QProcess* TerminalProgramTest::startTerminal() {
    auto& terminal = terminals_.emplace_back(std::make_unique<QProcess>());
    terminal->start(TARVIX_BIN_DIR "/tarvix-terminal",
                    {"--socket", socketPath(), "--dump-on-exit", "--no-message-box"});
    return terminal.get();
}

// examples/hello.asm on a kit whose 8251 talks to the terminal, polling TxRDY in real time;
// the terminal shows the text, ends cleanly when told to and takes its socket away.
void TerminalProgramTest::kitProgramReachesTheScreen() {
    QProcess* terminal = startTerminal();
    SocketTerminalLink link(socketPath().toStdString());
    QTRY_VERIFY_WITH_TIMEOUT(link.isThere(), 10000);

    MemoryOutputSink sink;
    OutputPane pane(sink);
    HeadlessDeviceHost headless;
    NoTerminalLauncher launcher;
    Kit kit(pane, DeviceHost{headless.panels, headless.sound, link, launcher, headless.clock});
    sink.lineSource = &kit.currentLine;
    CX86TextBuffer buffer;
    RecordingRunHost host;
    // A copy: running writes the list file beside the source.
    host.path = folder_->filePath("hello.asm").toStdString();
    QVERIFY(QFile::copy(TARVIX_SOURCE_DIR "/examples/hello.asm", folder_->filePath("hello.asm")));
    QVERIFY(buffer.loadFile(host.path));
    ExecutionDriver driver(kit, buffer, host, headless.clock);
    driver.run();
    QCOMPARE(driver.lastEnding(), RunEnding::Halted);
    QVERIFY(link.flush());

    QTest::qWait(200);  // a few of the terminal's looks at the socket
    terminal->terminate();
    QVERIFY(terminal->waitForFinished(10000));
    QCOMPARE(terminal->exitCode(), 0);
    QCOMPARE(terminal->readAllStandardOutput(), QByteArray("HELLO\n"));
    QVERIFY(!QFile::exists(socketPath()));
}

void TerminalProgramTest::secondTerminalLeavesTheFirstInPlace() {
    QProcess* first = startTerminal();
    SocketTerminalLink link(socketPath().toStdString());
    QTRY_VERIFY_WITH_TIMEOUT(link.isThere(), 10000);

    QProcess* second = startTerminal();
    QVERIFY(second->waitForFinished(10000));
    QCOMPARE(second->exitCode(), 1);
    QVERIFY(second->readAllStandardError().contains("already running"));

    link.post('K');
    QVERIFY(link.flush());
    QTest::qWait(200);
    first->terminate();
    QVERIFY(first->waitForFinished(10000));
    QCOMPARE(first->readAllStandardOutput(), QByteArray("K\n"));
}

void TerminalProgramTest::staleSocketIsReplaced() {
    // What a terminal that was killed leaves behind: a socket file nobody listens on.
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray path = QFile::encodeName(socketPath());
    std::memcpy(address.sun_path, path.constData(), static_cast<std::size_t>(path.size()) + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    QCOMPARE(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)), 0);
    ::close(fd);
    QVERIFY(QFile::exists(socketPath()));

    QProcess* terminal = startTerminal();
    SocketTerminalLink link(socketPath().toStdString());
    QTRY_VERIFY_WITH_TIMEOUT(link.isThere(), 10000);
    terminal->terminate();
    QVERIFY(terminal->waitForFinished(10000));
    QCOMPARE(terminal->exitCode(), 0);
}

}  // namespace tarvix

QTEST_MAIN(tarvix::TerminalProgramTest)
#include "terminal_program_test.moc"
