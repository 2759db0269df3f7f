// What both command-line tools answer with: the exit status, and a report that reached its
// reader. Status 2 means a file could not be read or written, standard output included.
#pragma once

namespace tarvix {

inline constexpr int kExitFailed = 1;  // the program failed: the pane reported an error
inline constexpr int kExitUsage = 2;   // bad usage, or a file could not be read or written
inline constexpr int kExitLimit = 3;   // a limit given on the command line was reached

// Called first: a standard stream the caller closed gets a stand-in, so that no file the tool
// opens takes its number. Standard output gets /dev/full, where every write of the report fails.
void guardStandardStreams();

// Flushes standard output: a report that could not be written there (a full device, a closed
// output) turns `status` into kExitUsage, with a word on standard error.
int statusAfterReport(int status, const char* tool);

}  // namespace tarvix
