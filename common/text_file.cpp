#include "common/text_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <utility>

#include "common/prefault.h"
#include "common/temporary_paths.h"

namespace tarvix {

namespace {

constexpr std::size_t kReadChunkBytes = 32768;

// Owns a descriptor so that every early return closes it.
class FileHandle {
public:
    explicit FileHandle(int fd) : fd_(fd) {}
    ~FileHandle() { close(); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    int get() const { return fd_; }
    bool close() {
        if (fd_ < 0) {
            return true;
        }
        const int result = ::close(fd_);
        fd_ = -1;
        return result == 0;
    }

private:
    int fd_;
};

// Like the read-only attribute elsewhere: no write bit at all, or no write access for us.
// Root passes access() for any file, so the mode bits are what make it show there.
bool isReadOnly(const std::string& path, const struct stat& info) {
    const mode_t writeBits = S_IWUSR | S_IWGRP | S_IWOTH;
    return (info.st_mode & writeBits) == 0 || ::access(path.c_str(), W_OK) != 0;
}

mode_t currentUmask() {
    // The only way to read the umask is to set it; put it straight back.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Makes the rename itself durable; a failure here no longer risks the file, so it is ignored.
void syncFolder(const std::string& folder) {
    const FileHandle dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0) {
        ::fsync(dir.get());
    }
}

}  // namespace

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

std::optional<FileContents> readWholeFile(const std::string& path, std::size_t maxBytes) {
    // Non-blocking so that a named pipe cannot hang the open; regular files ignore the flag.
    const FileHandle file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (file.get() < 0) {
        return std::nullopt;
    }
    struct stat info {};
    if (::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size < 0 ||
        static_cast<std::size_t>(info.st_size) > maxBytes) {
        return std::nullopt;
    }

    FileContents contents;
    contents.readOnly = isReadOnly(path, info);
    // Read straight into the text, sized one byte past the file so that the end shows without
    // another piece; a file that grows meanwhile grows the text by pieces.
    std::string& bytes = contents.bytes;
    bytes.reserve(static_cast<std::size_t>(info.st_size) + 1);
    prefaultPages(bytes.data(), bytes.capacity());
    bytes.resize(static_cast<std::size_t>(info.st_size) + 1);
    std::size_t used = 0;
    for (;;) {
        if (used == bytes.size()) {
            bytes.resize(bytes.size() + kReadChunkBytes);
        }
        const ssize_t got = ::read(file.get(), bytes.data() + used, bytes.size() - used);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return std::nullopt;
        }
        if (got == 0) {
            break;
        }
        used += static_cast<std::size_t>(got);
        // The file may grow while it is read; the bound holds for what is read.
        if (used > maxBytes) {
            return std::nullopt;
        }
    }
    bytes.resize(used);
    return contents;
}

namespace {

// The write itself: a new file in the target's folder, renamed over the target.
bool writeAndRename(const std::string& target, mode_t mode, std::string_view bytes, bool sync) {
    const std::string folder = folderOf(target);
    std::string tempName = folder + "/CREXXXXXX";
    std::optional<HeldSignals> held(std::in_place);
    FileHandle temp(::mkstemp(tempName.data()));
    if (temp.get() < 0) {
        return false;
    }
    const TemporaryPath recorded(tempName);
    held.reset();
    bool written = ::fchmod(temp.get(), mode) == 0 && writeAll(temp.get(), bytes) &&
                   (!sync || ::fsync(temp.get()) == 0);
    written = temp.close() && written && ::rename(tempName.c_str(), target.c_str()) == 0;
    if (!written) {
        const int error = errno;
        ::unlink(tempName.c_str());
        errno = error;
        return false;
    }
    if (sync) {
        syncFolder(folder);
    }
    return true;
}

mode_t newFileMode() {
    return 0666 & ~currentUmask();
}

}  // namespace

bool replaceFile(const std::string& path, std::string_view bytes) {
    if (path.empty()) {
        return false;
    }
    std::string target = path;
    mode_t mode = newFileMode();
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0) {
        if (S_ISLNK(info.st_mode)) {
            // Save through the link, keeping the link itself.
            char resolved[PATH_MAX];
            if (::realpath(path.c_str(), resolved) == nullptr || ::stat(resolved, &info) != 0) {
                return false;
            }
            target = resolved;
        }
        // The rename would replace a device or pipe node; a directory is left to the rename,
        // which refuses it.
        if (!S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode)) {
            return false;
        }
        if (S_ISREG(info.st_mode) && isReadOnly(target, info)) {
            return false;
        }
        mode = info.st_mode & 07777;
    } else if (errno != ENOENT) {
        return false;
    }
    return writeAndRename(target, mode, bytes, true);
}

std::string writeGeneratedFile(const std::string& path, std::string_view bytes) {
    mode_t mode = newFileMode();
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0) {
        if (S_ISLNK(info.st_mode)) {
            return path + " is a symbolic link; it is not written through";
        }
        if (!S_ISREG(info.st_mode)) {
            return path + " is not a regular file";
        }
        if (isReadOnly(path, info)) {
            return path + " is read-only";
        }
        mode = info.st_mode & 07777;
    } else if (errno != ENOENT) {
        return path + ": " + std::strerror(errno);
    }
    // The rename replaces whatever entry is there by then, a link included, and never writes
    // into the file it named.
    if (!writeAndRename(path, mode, bytes, false)) {
        return path + ": " + std::strerror(errno);
    }
    return {};
}

bool isSameFile(const std::string& a, const std::string& b) {
    struct stat first {};
    struct stat second {};
    return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

}  // namespace tarvix
