#include "cli/tool_status.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <iostream>

namespace tarvix {

namespace {

void standIn(int fd, const char* device, int flags) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) {
        return;
    }
    const int opened = ::open(device, flags);
    // The lowest free number is the closed one; anything else would be a second, stray handle.
    if (opened >= 0 && opened != fd) {
        ::close(opened);
    }
}

}  // namespace

void guardStandardStreams() {
    standIn(STDIN_FILENO, "/dev/null", O_RDONLY);
    standIn(STDOUT_FILENO, "/dev/full", O_WRONLY);
    standIn(STDERR_FILENO, "/dev/null", O_WRONLY);
}

int statusAfterReport(int status, const char* tool) {
    if (std::cout.flush()) {
        return status;
    }
    std::cerr << tool << ": the report could not be written to standard output\n";
    return kExitUsage;
}

}  // namespace tarvix
