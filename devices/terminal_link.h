// The 8251's serial line to the CRT terminal, a separate program. The kit posts each
// transmitted character as message 0400H and never waits for the terminal or reads an
// answer. Here the terminal listens on a local stream socket named CRTClass; each message is
// three little-endian 32-bit integers: 0400H, the character, 0.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace tarvix {

class TerminalLink {
public:
    virtual ~TerminalLink() = default;
    // Whether a terminal program is there to receive.
    virtual bool isThere() = 0;
    // Posts the character; never waits, and keeps the order of the characters.
    virtual void post(std::uint8_t character) = 0;
};

// A kit with no terminal program anywhere.
class AbsentTerminal : public TerminalLink {
public:
    bool isThere() override { return false; }
    void post(std::uint8_t) override {}
};

inline constexpr std::uint32_t kTerminalMessage = 0x400;
inline constexpr std::size_t kTerminalMessageSize = 12;

std::array<std::uint8_t, kTerminalMessageSize> encodeTerminalMessage(std::uint8_t character);

// Where the kit and the terminal program meet: CRTClass in $XDG_RUNTIME_DIR, which only the
// user can enter; else CRTClass in tarvix-UID, a folder of the user's own in the temporary
// folder (made with mode 0700, checked to be the user's and no link), or in /tmp when that
// path is too long for a socket. Empty, with the reason in `problem`, when that folder is not
// the user's alone.
std::string defaultTerminalSocketPath(std::string* problem = nullptr);

// The folder to make a socket's folder in: the temporary folder, or /tmp when a socket at
// `relativePath` in it would be too long a path for a socket.
std::filesystem::path socketFolderBase(const std::filesystem::path& relativePath);

class SocketTerminalLink : public TerminalLink {
public:
    // Messages the socket could not take at once wait here, up to this many bytes; beyond
    // that the terminal is not reading and further characters are dropped.
    static constexpr std::size_t kMaxPendingBytes = 4096 * kTerminalMessageSize;

    explicit SocketTerminalLink(std::string path = defaultTerminalSocketPath());
    ~SocketTerminalLink() override;

    SocketTerminalLink(const SocketTerminalLink&) = delete;
    SocketTerminalLink& operator=(const SocketTerminalLink&) = delete;

    bool isThere() override;
    void post(std::uint8_t character) override;

    // Sends what waits; true when nothing is left waiting.
    bool flush();
    const std::string& path() const { return path_; }

private:
    bool connect();
    bool peerAlive() const;
    void disconnect();

    std::string path_;
    int socket_ = -1;
    std::vector<std::uint8_t> pending_;
};

}  // namespace tarvix
