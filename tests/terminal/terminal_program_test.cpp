// tarvix-terminal as the kit meets it: one program at a time listens on the socket that the
// kit's link reaches, shows what arrives and takes its socket away when told to end.
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <cstring>
#include <string_view>

#include "devices/terminal_link.h"

namespace tarvix {

class TerminalProgramTest : public QObject {
    Q_OBJECT

private slots:
    // A terminal that was killed leaves a socket file nobody listens on: the next one takes
    // its place. One started while another listens leaves that one in place.
    void oneTerminalListensShowsWhatArrivesAndTidiesUp() {
        QTemporaryDir folder;
        const QString path = folder.filePath("CRTClass");
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray name = QFile::encodeName(path);
        std::memcpy(address.sun_path, name.constData(), static_cast<std::size_t>(name.size()) + 1);
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        QCOMPARE(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)), 0);
        ::close(fd);

        const QStringList arguments{"--socket", path, "--dump-on-exit", "--no-message-box"};
        QProcess first;
        first.start(TARVIX_BIN_DIR "/tarvix-terminal", arguments);
        SocketTerminalLink link(path.toStdString());
        QTRY_VERIFY_WITH_TIMEOUT(link.isThere(), 10000);
        QProcess second;
        second.start(TARVIX_BIN_DIR "/tarvix-terminal", arguments);
        QVERIFY(second.waitForFinished(10000));
        QCOMPARE(second.exitCode(), 1);
        QVERIFY(second.readAllStandardError().contains("already running"));

        for (const char c : std::string_view("HELLO\r\n")) {
            link.post(static_cast<std::uint8_t>(c));
        }
        QVERIFY(link.flush());
        first.terminate();
        QVERIFY(first.waitForFinished(10000));
        QCOMPARE(first.exitCode(), 0);
        QCOMPARE(first.readAllStandardOutput(), QByteArray("HELLO\n"));
        QVERIFY(!QFile::exists(path));
    }
};

}  // namespace tarvix

QTEST_MAIN(tarvix::TerminalProgramTest)
#include "terminal_program_test.moc"
