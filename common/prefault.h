// Faulting in the pages of a buffer that is about to be filled, many in one call: on a virtual
// machine a page faulted in on its first write costs more than the text written on it.
#pragma once

#include <cstddef>

namespace tarvix {

// Makes the pages under [data, data + bytes) present and writable. The pages it shares with
// its neighbours at either end are faulted in too, which changes nothing in them. Where the
// kernel lacks the call, the pages fault in one by one as they are written, as before.
void prefaultPages(char* data, std::size_t bytes);

}  // namespace tarvix
