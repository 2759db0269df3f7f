// The 8251's link to the terminal program over the CRTClass socket: the message format, the
// socket's place, a program's characters reaching a listener in order, the refusals, the
// receiver tarvix-run uses, and starting tarvix-terminal.
#include "devices/terminal_link.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "devices/terminal_launcher.h"
#include "devices/terminal_receiver.h"
#include "tests/devices/device_kit_fixture.h"
#include "tests/scratch_folder.h"

namespace tarvix {
namespace {

namespace fs = std::filesystem;

// A listening socket made without the kit's code, reading raw bytes.
class RawListener {
public:
    explicit RawListener(const std::string& path) {
        listener_ = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
        EXPECT_EQ(::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
        EXPECT_EQ(::listen(listener_, 1), 0);
    }
    ~RawListener() {
        closeConnection();
        ::close(listener_);
    }
    // Everything sent so far; the link never waits, so it has all been written.
    std::vector<std::uint8_t> receive() {
        if (connection_ < 0) {
            connection_ = ::accept(listener_, nullptr, nullptr);
        }
        std::vector<std::uint8_t> bytes;
        std::uint8_t chunk[512];
        for (;;) {
            const ssize_t got = ::recv(connection_, chunk, sizeof(chunk), MSG_DONTWAIT);
            if (got <= 0) {
                return bytes;
            }
            bytes.insert(bytes.end(), chunk, chunk + got);
        }
    }
    void closeConnection() {
        if (connection_ >= 0) {
            ::close(connection_);
            connection_ = -1;
        }
    }

private:
    int listener_ = -1;
    int connection_ = -1;
};

class RawClient {
public:
    explicit RawClient(const std::string& path) {
        socket_ = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
        connected = ::connect(socket_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
    }
    ~RawClient() { ::close(socket_); }
    void send(const std::vector<std::uint8_t>& bytes) {
        ASSERT_EQ(::send(socket_, bytes.data(), bytes.size(), 0),
                  static_cast<ssize_t>(bytes.size()));
    }
    bool connected = false;

private:
    int socket_ = -1;
};

std::vector<std::uint8_t> message(std::uint32_t number, std::uint32_t first, std::uint32_t second) {
    std::vector<std::uint8_t> bytes;
    for (const std::uint32_t value : {number, first, second}) {
        for (int i = 0; i < 4; ++i) {
            bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
        }
    }
    return bytes;
}

class TerminalLinkTest : public DeviceKitFixture {
protected:
    TerminalLinkTest() : socketPath((folder / "CRTClass").string()) {}

    // Runs a program on a kit whose 8251 talks to the socket.
    void runOnSocket(const std::string& source) {
        SocketTerminalLink link(socketPath);
        Kit socketKit{pane, DeviceHost{panels, sound, link, launcher, clock}};
        sink.lineSource = &socketKit.currentLine;
        ExecutionDriver socketDriver{socketKit, buffer, host, clock};
        std::ofstream(host.path, std::ios::binary) << source;
        ASSERT_TRUE(buffer.loadFile(host.path));
        socketDriver.run();
        sink.lineSource = &kit.currentLine;
    }

    std::string socketPath;
};

constexpr const char* kHello =
    "mov al,ca\nout 61,al\nmov al,11\nout 61,al\n"
    "mov al,48\nout 60,al\nmov al,45\nout 60,al\nmov al,4c\nout 60,al\n"
    "out 60,al\nmov al,4f\nout 60,al\nmov al,ff\nout 60,al\nhlt\n";

TEST(TerminalMessage, ThreeLittleEndianIntegers) {
    const auto bytes = encodeTerminalMessage(0xE9);
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin(), bytes.end()), message(0x400, 0xE9, 0));
    EXPECT_EQ(message(0x400, 'A', 0),
              (std::vector<std::uint8_t>{0x00, 0x04, 0, 0, 0x41, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(TerminalMessage, SocketPlace) {
    const auto saved = [](const char* name) {
        const char* value = std::getenv(name);
        return value ? std::optional<std::string>(value) : std::nullopt;
    };
    const std::optional<std::string> runtime = saved("XDG_RUNTIME_DIR");
    const std::optional<std::string> tmpdir = saved("TMPDIR");
    ScratchFolder scratch;
    ::setenv("TMPDIR", scratch.path().c_str(), 1);
    const std::string own = "tarvix-" + std::to_string(::geteuid());
    const fs::path folder = scratch / own;
    const std::string fallback = (folder / "CRTClass").string();
    const auto mode = [&] { return fs::status(folder).permissions() & fs::perms::mask; };

    ::setenv("XDG_RUNTIME_DIR", "/run/user/4321", 1);
    EXPECT_EQ(defaultTerminalSocketPath(), "/run/user/4321/CRTClass");
    ::setenv("XDG_RUNTIME_DIR", "relative/dir", 1);
    EXPECT_EQ(defaultTerminalSocketPath(), fallback) << "a relative runtime folder is ignored";
    ::setenv("XDG_RUNTIME_DIR", "", 1);
    EXPECT_EQ(defaultTerminalSocketPath(), fallback);
    ::unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(defaultTerminalSocketPath(), fallback);
    EXPECT_EQ(mode(), fs::perms::owner_all) << "a folder of the user's alone";

    // A folder of ours that others may enter is closed; a link or another user's folder is
    // refused, whoever made it first.
    fs::permissions(folder, fs::perms::all);
    EXPECT_EQ(defaultTerminalSocketPath(), fallback);
    EXPECT_EQ(mode(), fs::perms::owner_all);
    fs::remove(folder);
    fs::create_directory(scratch / "elsewhere");
    fs::create_directory_symlink(scratch / "elsewhere", folder);
    std::string problem;
    EXPECT_EQ(defaultTerminalSocketPath(&problem), "");
    EXPECT_NE(problem.find(folder.string()), std::string::npos) << problem;
    if (::geteuid() == 0) {
        fs::remove(folder);
        fs::create_directory(folder);
        ASSERT_EQ(::chown(folder.c_str(), 4321, 4321), 0);
        problem.clear();
        EXPECT_EQ(defaultTerminalSocketPath(&problem), "");
        EXPECT_NE(problem.find("another user"), std::string::npos) << problem;
    }

    // A temporary folder too deep for a socket's path: a short one in /tmp.
    const fs::path deep = scratch / std::string(100, 'd');
    fs::create_directory(deep);
    ::setenv("TMPDIR", deep.c_str(), 1);
    EXPECT_EQ(defaultTerminalSocketPath(), "/tmp/" + own + "/CRTClass");

    for (const auto& [name, value] : {std::pair{"XDG_RUNTIME_DIR", runtime}, {"TMPDIR", tmpdir}}) {
        value ? ::setenv(name, value->c_str(), 1) : ::unsetenv(name);
    }
}

TEST_F(TerminalLinkTest, AProgramsCharactersReachTheListenerInOrder) {
    RawListener listener(socketPath);
    clock.ticksPerSecond = 1'000'000;
    clock.ticksPerReading = 2000;  // every character finds the line free
    runOnSocket(kHello);
    ASSERT_EQ(sink.text.rfind("Done.", 0), 0u) << sink.text;
    std::vector<std::uint8_t> expected;
    for (const int c : {0x48, 0x45, 0x4C, 0x4C, 0x4F, 0xFF}) {  // HELLO and FFH
        const auto m = message(0x400, static_cast<std::uint32_t>(c), 0);
        expected.insert(expected.end(), m.begin(), m.end());
    }
    EXPECT_EQ(listener.receive(), expected);
}

TEST_F(TerminalLinkTest, CharactersFasterThanTheLineAreLost) {
    RawListener listener(socketPath);
    clock.ticksPerSecond = 1'000'000;
    clock.ticks = 1;  // the clock stands still: only the first character goes out
    runOnSocket(kHello);
    EXPECT_EQ(listener.receive(), message(0x400, 'H', 0));
}

TEST_F(TerminalLinkTest, NoListenerNoTerminal) {
    runOnSocket(kHello);
    EXPECT_EQ(sink.text, "Line 6 Error: Terminal program not running");
}

TEST_F(TerminalLinkTest, ATerminalThatLeavesIsNoLongerThere) {
    std::optional<RawListener> listener(std::in_place, socketPath);
    SocketTerminalLink link(socketPath);
    ASSERT_TRUE(link.isThere());
    link.post('a');
    EXPECT_EQ(listener->receive(), message(0x400, 'a', 0));
    listener->closeConnection();
    listener.reset();
    ::unlink(socketPath.c_str());
    EXPECT_FALSE(link.isThere());

    // A new terminal is found again, and gets only what is sent to it.
    listener.emplace(socketPath);
    ASSERT_TRUE(link.isThere());
    link.post('b');
    EXPECT_EQ(listener->receive(), message(0x400, 'b', 0));
}

TEST_F(TerminalLinkTest, OnlyASocketOfThisUserIsATerminal) {
    std::ofstream(socketPath) << "not a socket";
    SocketTerminalLink link(socketPath);
    EXPECT_FALSE(link.isThere());
    SocketTerminalLink tooLong((folder / std::string(120, 'x')).string());
    EXPECT_FALSE(tooLong.isThere());
}

// A terminal that does not read fills the socket; the link keeps the rest waiting, in order
// and in whole messages, and never blocks.
TEST_F(TerminalLinkTest, ASlowTerminalLosesNothingWithinTheQueue) {
    TerminalReceiver receiver(socketPath);
    ASSERT_EQ(receiver.listen(), "");
    SocketTerminalLink link(socketPath);
    ASSERT_TRUE(link.isThere());
    std::string sent;
    for (int i = 0; i < 3000; ++i) {
        sent += static_cast<char>('a' + i % 26);
        link.post(static_cast<std::uint8_t>(sent.back()));
    }
    for (int round = 0; round < 1000 && !(link.flush() && receiver.text().size() == sent.size());
         ++round) {
        receiver.poll();
    }
    EXPECT_EQ(receiver.text(), sent);
}

TEST_F(TerminalLinkTest, ATerminalThatNeverReadsCostsCharactersNotOrder) {
    TerminalReceiver receiver(socketPath);
    ASSERT_EQ(receiver.listen(), "");
    SocketTerminalLink link(socketPath);
    ASSERT_TRUE(link.isThere());
    std::string sent;
    for (int i = 0; i < 20000; ++i) {
        sent += static_cast<char>('a' + i % 26);
        link.post(static_cast<std::uint8_t>(sent.back()));
    }
    for (int round = 0; round < 1000 && !link.flush(); ++round) {
        receiver.poll();
    }
    receiver.poll();
    ASSERT_GE(receiver.text().size(), SocketTerminalLink::kMaxPendingBytes / kTerminalMessageSize);
    ASSERT_LT(receiver.text().size(), sent.size());
    EXPECT_EQ(receiver.text(), sent.substr(0, receiver.text().size()));
}

TEST_F(TerminalLinkTest, ReceiverTakesCharacterMessagesOnly) {
    TerminalReceiver receiver(socketPath);
    ASSERT_EQ(receiver.listen(), "");
    struct stat info {};
    ASSERT_EQ(::stat(socketPath.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    RawClient client(socketPath);
    ASSERT_TRUE(client.connected);
    std::vector<std::uint8_t> stream;
    for (const auto& m : {message(0x400, 'O', 0), message(0x401, 'X', 0), message(0x400, 0x1234, 0),
                          message(0x400, 'K', 0)}) {
        stream.insert(stream.end(), m.begin(), m.end());
    }
    // Split inside a message: the receiver must wait for the rest.
    client.send({stream.begin(), stream.begin() + 17});
    receiver.poll();
    EXPECT_EQ(receiver.text(), "O");
    client.send({stream.begin() + 17, stream.end()});
    receiver.poll();
    EXPECT_EQ(receiver.text(), "OK");
}

TEST_F(TerminalLinkTest, ReceiverReplacesAStaleSocketButNotALiveOne) {
    {
        RawListener gone(socketPath);  // closes without removing its file
    }
    ASSERT_TRUE(fs::exists(socketPath));
    TerminalReceiver receiver(socketPath);
    EXPECT_EQ(receiver.listen(), "");

    TerminalReceiver second(socketPath);
    EXPECT_EQ(second.listen(),
              "cannot listen on " + socketPath + ": another terminal listens there");

    TerminalReceiver tooLong((folder / std::string(120, 'x')).string());
    EXPECT_NE(tooLong.listen().find("is too long"), std::string::npos);
}

// A terminal between bind and listen refuses connections as a dead one does; its lock tells
// the two apart, so a second terminal leaves its socket file alone.
TEST_F(TerminalLinkTest, ReceiverLeavesTheSocketOfAStartingTerminal) {
    {
        RawListener starting(socketPath);  // refuses connections, like a socket not yet listening
    }
    const int lock = ::open((socketPath + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_GE(lock, 0);
    ASSERT_EQ(::flock(lock, LOCK_EX | LOCK_NB), 0);

    TerminalReceiver second(socketPath);
    EXPECT_EQ(second.listen(),
              "cannot listen on " + socketPath + ": another terminal listens there");
    EXPECT_TRUE(fs::exists(socketPath));
    ::close(lock);
}

TEST_F(TerminalLinkTest, TakeTextHandsOverWhatArrivedSinceTheLastTake) {
    TerminalReceiver receiver(socketPath);
    ASSERT_EQ(receiver.listen(), "");
    RawClient client(socketPath);
    ASSERT_TRUE(client.connected);
    for (const char c : {'A', 'B'}) {
        const auto m = message(0x400, static_cast<std::uint32_t>(c), 0);
        client.send({m.begin(), m.end()});
        receiver.poll();
        EXPECT_EQ(receiver.takeText(), std::string(1, c));
    }
    EXPECT_EQ(receiver.text(), "");
}

class RecordingBoxes : public MessageBoxSink {
public:
    std::vector<std::string> shown;
    void showMessageBox(std::string_view text) override { shown.emplace_back(text); }
};

TEST_F(TerminalLinkTest, LauncherReportsAMissingProgram) {
    RecordingBoxes boxes;
    SocketTerminalLink link(socketPath);
    ProgramTerminalLauncher starter(folder.path(), link, pane, boxes);
    starter.launch();
    EXPECT_EQ(boxes.shown,
              std::vector<std::string>{"'tarvix-terminal' not found. Find and run it manually."});
}

TEST_F(TerminalLinkTest, LauncherStartsTheProgramInItsFolder) {
    const fs::path program = folder / "tarvix-terminal";
    std::ofstream(program) << "#!/bin/sh\ntouch started\n";
    fs::permissions(program, fs::perms::owner_all);
    RecordingBoxes boxes;
    SocketTerminalLink link(socketPath);
    ProgramTerminalLauncher starter(folder.path(), link, pane, boxes);
    starter.launch();
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(sink.text, "Waiting for tarvix-terminal...");
    for (int i = 0; i < 200 && !fs::exists(folder / "started"); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(fs::exists(folder / "started"));
}

TEST_F(TerminalLinkTest, LauncherLeavesARunningTerminalAlone) {
    RawListener listener(socketPath);
    RecordingBoxes boxes;
    SocketTerminalLink link(socketPath);
    ProgramTerminalLauncher starter(folder.path(), link, pane, boxes);
    starter.launch();
    EXPECT_TRUE(boxes.shown.empty()) << "no program needed, none missing";
    EXPECT_EQ(sink.text, "");
}

}  // namespace
}  // namespace tarvix
