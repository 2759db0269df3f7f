#include "common/prefault.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>

namespace tarvix {

void prefaultPages(char* data, std::size_t bytes) {
#ifdef MADV_POPULATE_WRITE
    if (bytes == 0) {
        return;
    }
    static const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    const auto start = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t first = start & ~(page - 1);
    ::madvise(reinterpret_cast<void*>(first), start + bytes - first, MADV_POPULATE_WRITE);
#else
    (void)data;
    (void)bytes;
#endif
}

}  // namespace tarvix
