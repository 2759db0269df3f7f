#include "devices/terminal_receiver.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

#include "devices/terminal_link.h"

namespace tarvix {

namespace {

std::uint32_t littleEndian(const std::uint8_t* at) {
    return static_cast<std::uint32_t>(at[0]) | static_cast<std::uint32_t>(at[1]) << 8 |
           static_cast<std::uint32_t>(at[2]) << 16 | static_cast<std::uint32_t>(at[3]) << 24;
}

bool bindTo(int fd, const sockaddr_un& address) {
    return ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0;
}

// A socket file of this user that nobody answers on is what a terminal leaves when it dies.
bool isStaleSocket(const sockaddr_un& address) {
    struct stat info {};
    if (::lstat(address.sun_path, &info) != 0 || !S_ISSOCK(info.st_mode) ||
        info.st_uid != ::geteuid()) {
        return false;
    }
    const int probe = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (probe < 0) {
        return false;
    }
    const bool refused =
        ::connect(probe, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0 &&
        errno == ECONNREFUSED;
    ::close(probe);
    return refused;
}

}  // namespace

TerminalReceiver::~TerminalReceiver() {
    for (const Connection& connection : connections_) {
        ::close(connection.socket);
    }
    if (listener_ >= 0) {
        ::close(listener_);
        ::unlink(path_.c_str());
    }
    if (lock_ >= 0) {
        ::close(lock_);
    }
}

// Held for the receiver's life: between bind and listen a starting terminal refuses
// connections like a dead one, and without the lock a second terminal would take its socket
// for stale and unlink it.
std::string TerminalReceiver::lockPath() {
    const std::string path = path_ + ".lock";
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        return "cannot open " + path + ": " + std::strerror(errno);
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const std::string why = errno == EWOULDBLOCK ? std::string("another terminal listens there")
                                                     : std::string(std::strerror(errno));
        ::close(fd);
        return "cannot listen on " + path_ + ": " + why;
    }
    lock_ = fd;
    return {};
}

std::string TerminalReceiver::listen() {
    sockaddr_un address{};
    if (path_.size() >= sizeof(address.sun_path)) {
        return "the socket path " + path_ + " is too long";
    }
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path_.c_str(), path_.size() + 1);
    if (lock_ < 0) {
        if (std::string why = lockPath(); !why.empty()) {
            return why;
        }
    }
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return std::string("cannot make a socket: ") + std::strerror(errno);
    }
    bool bound = bindTo(fd, address);
    if (!bound && errno == EADDRINUSE && isStaleSocket(address)) {
        ::unlink(path_.c_str());
        bound = bindTo(fd, address);
    }
    if (!bound) {
        const std::string why = errno == EADDRINUSE ? std::string("another terminal listens there")
                                                    : std::string(std::strerror(errno));
        ::close(fd);
        return "cannot listen on " + path_ + ": " + why;
    }
    if (::chmod(path_.c_str(), 0600) != 0 || ::listen(fd, 4) != 0) {
        const std::string why = std::strerror(errno);
        ::close(fd);
        ::unlink(path_.c_str());
        return "cannot listen on " + path_ + ": " + why;
    }
    listener_ = fd;
    return {};
}

void TerminalReceiver::poll() {
    if (listener_ < 0) {
        return;
    }
    for (;;) {
        const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            break;
        }
        connections_.push_back({fd, {}});
    }
    std::erase_if(connections_, [this](Connection& connection) {
        if (readFrom(connection)) {
            return false;
        }
        ::close(connection.socket);
        return true;
    });
}

// False once the kit has closed its end.
bool TerminalReceiver::readFrom(Connection& connection) {
    std::array<std::uint8_t, 4096> chunk{};
    for (;;) {
        const ssize_t got = ::recv(connection.socket, chunk.data(), chunk.size(), 0);
        if (got == 0) {
            return false;
        }
        if (got < 0) {
            return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
        }
        std::vector<std::uint8_t>& bytes = connection.partial;
        bytes.insert(bytes.end(), chunk.begin(), chunk.begin() + got);
        std::size_t used = 0;
        for (; bytes.size() - used >= kTerminalMessageSize; used += kTerminalMessageSize) {
            const std::uint8_t* message = bytes.data() + used;
            const std::uint32_t character = littleEndian(message + 4);
            // Anything but a character message is not for the terminal's screen.
            if (littleEndian(message) == kTerminalMessage && character <= 0xFF) {
                text_ += static_cast<char>(character);
            }
        }
        bytes.erase(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(used));
    }
}

}  // namespace tarvix
