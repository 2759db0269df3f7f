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
    const std::size_t intoPage = reinterpret_cast<std::uintptr_t>(data) & (page - 1);
    ::madvise(data - intoPage, intoPage + bytes, MADV_POPULATE_WRITE);
#else
    (void)data;
    (void)bytes;
#endif
}

}  // namespace tarvix
