#include "devices/terminal_link.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <utility>

namespace tarvix {

namespace {

void putLittleEndian(std::uint8_t* at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        at[i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

bool wouldBlock(int error) {
    return error == EAGAIN || error == EWOULDBLOCK;
}

// In a shared temporary folder anyone could have made the folder first, or put a link there:
// an existing one must be a real folder of this user, and is then closed to everyone else.
std::string makePrivateFolder(const std::string& path) {
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
        return "cannot make the folder " + path + ": " + std::strerror(errno);
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        return path + " is not a folder (it may be a link): " + std::strerror(errno);
    }
    struct stat info {};
    std::string why;
    if (::fstat(fd, &info) != 0 || info.st_uid != ::geteuid()) {
        why = path + " belongs to another user";
    } else if ((info.st_mode & 07777) != 0700 && ::fchmod(fd, 0700) != 0) {
        why = "cannot close " + path + " to other users: " + std::strerror(errno);
    }
    ::close(fd);
    return why;
}

}  // namespace

std::array<std::uint8_t, kTerminalMessageSize> encodeTerminalMessage(std::uint8_t character) {
    std::array<std::uint8_t, kTerminalMessageSize> message{};
    putLittleEndian(message.data(), kTerminalMessage);
    putLittleEndian(message.data() + 4, character);
    putLittleEndian(message.data() + 8, 0);
    return message;
}

std::filesystem::path socketFolderBase(const std::filesystem::path& relativePath) {
    std::error_code error;
    std::filesystem::path temp = std::filesystem::temp_directory_path(error);
    if (error || (temp / relativePath).string().size() >= sizeof(sockaddr_un::sun_path)) {
        return "/tmp";
    }
    return temp;
}

std::string defaultTerminalSocketPath(std::string* problem) {
    // A relative runtime folder is invalid and ignored, as the XDG rules say.
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        runtime != nullptr && *runtime == '/') {
        return (std::filesystem::path(runtime) / "CRTClass").string();
    }
    const std::string name = "tarvix-" + std::to_string(::geteuid());
    const std::filesystem::path folder =
        socketFolderBase(std::filesystem::path(name) / "CRTClass") / name;
    if (std::string why = makePrivateFolder(folder.string()); !why.empty()) {
        if (problem != nullptr) {
            *problem = std::move(why);
        }
        return {};
    }
    return (folder / "CRTClass").string();
}

SocketTerminalLink::SocketTerminalLink(std::string path) : path_(std::move(path)) {}

SocketTerminalLink::~SocketTerminalLink() {
    disconnect();
}

bool SocketTerminalLink::isThere() {
    if (socket_ >= 0 && peerAlive()) {
        return true;
    }
    disconnect();
    return connect();
}

bool SocketTerminalLink::connect() {
    // Only a socket of this user: in a shared temporary folder anyone could have put one there
    // to read what the kit sends.
    struct stat info {};
    if (::lstat(path_.c_str(), &info) != 0 || !S_ISSOCK(info.st_mode) ||
        info.st_uid != ::geteuid()) {
        return false;
    }
    sockaddr_un address{};
    if (path_.size() >= sizeof(address.sun_path)) {
        return false;
    }
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path_.c_str(), path_.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return false;
    }
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
        ::close(fd);  // nobody listening, or too busy to take us now
        return false;
    }
    socket_ = fd;
    return true;
}

// The terminal never answers, so the only thing to read is the end of its connection.
bool SocketTerminalLink::peerAlive() const {
    char byte = 0;
    const ssize_t got = ::recv(socket_, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
    if (got < 0) {
        return wouldBlock(errno) || errno == EINTR;
    }
    return got > 0;
}

void SocketTerminalLink::disconnect() {
    if (socket_ >= 0) {
        ::close(socket_);
        socket_ = -1;
    }
    // Half a message must never reach the next terminal.
    pending_.clear();
}

void SocketTerminalLink::post(std::uint8_t character) {
    if (socket_ < 0 || pending_.size() + kTerminalMessageSize > kMaxPendingBytes) {
        return;
    }
    const auto message = encodeTerminalMessage(character);
    pending_.insert(pending_.end(), message.begin(), message.end());
    flush();
}

bool SocketTerminalLink::flush() {
    std::size_t sent = 0;
    while (socket_ >= 0 && sent < pending_.size()) {
        const ssize_t n = ::send(socket_, pending_.data() + sent, pending_.size() - sent,
                                 MSG_DONTWAIT | MSG_NOSIGNAL);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && wouldBlock(errno)) {
            break;
        } else {
            disconnect();  // the terminal has gone
            return false;
        }
    }
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(sent));
    return pending_.empty();
}

}  // namespace tarvix
