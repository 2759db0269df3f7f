// The 8251's link to the terminal program over the CRTClass socket: the message format,
// characters reaching a listener in order, the receiver tarvix-run uses, and starting
// tarvix-terminal.
#include "devices/terminal_link.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
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
#include "tests/kit_fixture.h"
#include "tests/scratch_folder.h"

namespace tarvix {
namespace {

namespace fs = std::filesystem;

// A socket made without the kit's code: bound and listening, or connected to a listener.
int rawSocket(const std::string& path, bool listener) {
    const int socket = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
    const auto* where = reinterpret_cast<sockaddr*>(&address);
    EXPECT_TRUE(listener ? ::bind(socket, where, sizeof(address)) == 0 && ::listen(socket, 1) == 0
                         : ::connect(socket, where, sizeof(address)) == 0)
        << path;
    return socket;
}

std::vector<std::uint8_t> message(std::uint32_t number, std::uint32_t first, std::uint32_t second) {
    std::vector<std::uint8_t> bytes;
    for (const std::uint32_t value : {number, first, second}) {
        for (int i = 0; i < 4; ++i) {
            bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
        }
    }
    return bytes;
}

class TerminalLinkTest : public KitFixture {
protected:
    TerminalLinkTest() : socketPath((folder / "CRTClass").string()) {}

    std::string socketPath;
};

TEST(TerminalMessage, SocketPlace) {
    const auto saved = [](const char* name) {
        const char* value = std::getenv(name);
        return value ? std::optional<std::string>(value) : std::nullopt;
    };
    const std::optional<std::string> runtime = saved("XDG_RUNTIME_DIR");
    const std::optional<std::string> tmpdir = saved("TMPDIR");
    ScratchFolder scratch;
    ::setenv("TMPDIR", scratch.path().c_str(), 1);
    const fs::path folder = scratch / ("tarvix-" + std::to_string(::geteuid()));
    const std::string fallback = (folder / "CRTClass").string();
    const auto mode = [&] { return fs::status(folder).permissions() & fs::perms::mask; };

    ::setenv("XDG_RUNTIME_DIR", "/run/user/4321", 1);
    EXPECT_EQ(defaultTerminalSocketPath(), "/run/user/4321/CRTClass");
    ::setenv("XDG_RUNTIME_DIR", "relative/dir", 1);
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

    for (const auto& [name, value] : {std::pair{"XDG_RUNTIME_DIR", runtime}, {"TMPDIR", tmpdir}}) {
        value ? ::setenv(name, value->c_str(), 1) : ::unsetenv(name);
    }
}

TEST_F(TerminalLinkTest, ATerminalThatLeavesIsNoLongerThere) {
    std::optional<TerminalReceiver> listener(std::in_place, socketPath);
    ASSERT_EQ(listener->listen(), "");
    SocketTerminalLink link(socketPath);
    ASSERT_TRUE(link.isThere());
    link.post('a');
    listener.reset();
    EXPECT_FALSE(link.isThere());

    // A new terminal is found again, and gets only what is sent to it.
    listener.emplace(socketPath);
    ASSERT_EQ(listener->listen(), "");
    ASSERT_TRUE(link.isThere());
    link.post('b');
    listener->poll();
    EXPECT_EQ(listener->text(), "b");

    // Only a socket is a terminal, and only at a path a socket can have.
    listener.reset();
    std::ofstream(socketPath, std::ios::trunc) << "not a socket";
    EXPECT_FALSE(SocketTerminalLink(socketPath).isThere());
    EXPECT_FALSE(SocketTerminalLink((folder / std::string(120, 'x')).string()).isThere());
}

// A terminal that does not read fills the socket; the link keeps the rest waiting, in order
// and in whole messages, and never blocks; past its queue it loses characters, never order.
TEST_F(TerminalLinkTest, ASlowTerminalCostsCharactersBeyondTheQueueNeverOrder) {
    for (const int count : {3000, 20000}) {
        TerminalReceiver receiver(socketPath);
        ASSERT_EQ(receiver.listen(), "");
        SocketTerminalLink link(socketPath);
        ASSERT_TRUE(link.isThere());
        std::string sent;
        for (int i = 0; i < count; ++i) {
            sent += static_cast<char>('a' + i % 26);
            link.post(static_cast<std::uint8_t>(sent.back()));
        }
        for (int round = 0; round < 1000 && !link.flush(); ++round) {
            receiver.poll();
        }
        receiver.poll();
        const std::string got = receiver.text();
        EXPECT_EQ(got, sent.substr(0, got.size()));
        if (count == 3000) {
            EXPECT_EQ(got.size(), sent.size());
        } else {
            EXPECT_GE(got.size(), SocketTerminalLink::kMaxPendingBytes / kTerminalMessageSize);
            EXPECT_LT(got.size(), sent.size());
        }
        ::unlink(socketPath.c_str());
    }
}

TEST_F(TerminalLinkTest, ReceiverTakesCharacterMessagesOnly) {
    TerminalReceiver receiver(socketPath);
    ASSERT_EQ(receiver.listen(), "");
    struct stat info {};
    ASSERT_EQ(::stat(socketPath.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    const int client = rawSocket(socketPath, false);
    std::vector<std::uint8_t> stream;
    for (const auto& m : {message(0x400, 'O', 0), message(0x401, 'X', 0), message(0x400, 0x1234, 0),
                          message(0x400, 'K', 0)}) {
        stream.insert(stream.end(), m.begin(), m.end());
    }
    // Split inside a message: the receiver must wait for the rest.
    ASSERT_EQ(::send(client, stream.data(), 17, 0), 17);
    receiver.poll();
    EXPECT_EQ(receiver.text(), "O");
    ASSERT_EQ(::send(client, stream.data() + 17, stream.size() - 17, 0), ssize_t{31});
    receiver.poll();
    EXPECT_EQ(receiver.text(), "OK");
    EXPECT_EQ(receiver.takeText(), "OK");
    EXPECT_EQ(receiver.text(), "") << "taken text is handed over once";
    ::close(client);
}

// A stale socket is replaced; a live terminal's, or one between bind and listen (which
// refuses connections as a dead one does, but holds the lock), is left alone.
TEST_F(TerminalLinkTest, ReceiverReplacesOnlyAStaleSocket) {
    const std::string taken = "cannot listen on " + socketPath + ": another terminal listens there";
    ::close(rawSocket(socketPath, true));  // closes without removing its file
    ASSERT_TRUE(fs::exists(socketPath));
    TerminalReceiver receiver(socketPath);
    EXPECT_EQ(receiver.listen(), "");
    EXPECT_EQ(TerminalReceiver(socketPath).listen(), taken);

    const std::string starting = (folder / "starting").string();
    ::close(rawSocket(starting, true));
    const int lock = ::open((starting + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_EQ(::flock(lock, LOCK_EX | LOCK_NB), 0);
    EXPECT_EQ(TerminalReceiver(starting).listen(),
              "cannot listen on " + starting + ": another terminal listens there");
    EXPECT_TRUE(fs::exists(starting));
    ::close(lock);

    EXPECT_NE(TerminalReceiver((folder / std::string(120, 'x')).string()).listen().find("too long"),
              std::string::npos);
}

class RecordingBoxes : public MessageBoxSink {
public:
    std::vector<std::string> shown;
    void showMessageBox(std::string_view text) override { shown.emplace_back(text); }
};

TEST_F(TerminalLinkTest, Launcher) {
    RecordingBoxes boxes;
    SocketTerminalLink link(socketPath);
    ProgramTerminalLauncher starter(folder.path(), link, pane, boxes);
    starter.launch();
    EXPECT_EQ(boxes.shown,
              std::vector<std::string>{"'tarvix-terminal' not found. Find and run it manually."});

    boxes.shown.clear();
    const fs::path program = folder / "tarvix-terminal";
    std::ofstream(program) << "#!/bin/sh\ntouch started\n";
    fs::permissions(program, fs::perms::owner_all);
    starter.launch();
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(sink.text, "Waiting for tarvix-terminal...");
    for (int i = 0; i < 200 && !fs::exists(folder / "started"); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(fs::exists(folder / "started"));

    // A terminal already listening is left alone: no program needed, none missing.
    fs::remove(program);
    TerminalReceiver listener(socketPath);
    ASSERT_EQ(listener.listen(), "");
    pane.clearStatus();
    starter.launch();
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(sink.text, "");
}

}  // namespace
}  // namespace tarvix
