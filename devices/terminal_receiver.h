// The terminal's end of the 8251 link: listens on the CRTClass socket and collects the
// character of every message, in order. tarvix-run uses it as its terminal; it never blocks.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace tarvix {

class TerminalReceiver {
public:
    explicit TerminalReceiver(std::string path) : path_(std::move(path)) {}
    ~TerminalReceiver();

    TerminalReceiver(const TerminalReceiver&) = delete;
    TerminalReceiver& operator=(const TerminalReceiver&) = delete;

    // Starts listening; an empty text on success, else what went wrong. A socket file left by
    // a terminal that has gone is replaced; a live one is not.
    std::string listen();

    // Takes every connection and message waiting.
    void poll();

    // The characters received; bytes 0 to 255.
    const std::string& text() const { return text_; }
    // The characters received since the last take, for a receiver that runs for long.
    std::string takeText() { return std::exchange(text_, {}); }

private:
    struct Connection {
        int socket;
        std::vector<std::uint8_t> partial;  // the start of a message still arriving
    };

    bool readFrom(Connection& connection);
    std::string lockPath();

    std::string path_;
    int listener_ = -1;
    int lock_ = -1;
    std::vector<Connection> connections_;
    std::string text_;
};

}  // namespace tarvix
