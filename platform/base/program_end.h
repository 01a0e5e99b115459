// Ending the program at once when it cannot go on: its display went away,
// or it was asked to stop by SIGINT or SIGTERM. The program says why in one
// line on standard error and ends with a non-zero status, without unwinding
// threads that may be waiting on a device or on the lost display, without
// abort and without a core; a settings file being written is finished first.
//
// Writers of files that must not be cut short hold an EndDeferral while
// they write; EndProgram waits for them (a bounded time) and lets no new
// one start.
#pragma once

#include <string>

namespace trelwin {

// Writes the line (a newline is added) to standard error and ends the
// process with the status, after deferrals in progress; from any thread,
// any number of times (the first call wins). Never returns.
[[noreturn]] void EndProgram(int status, const std::string& line);

// Held while a write that must be whole is in progress.
class EndDeferral {
public:
    EndDeferral();
    ~EndDeferral();
    EndDeferral(const EndDeferral&) = delete;
    EndDeferral& operator=(const EndDeferral&) = delete;
};

// SIGINT and SIGTERM end the program through EndProgram with status
// 128 + the signal's number and "trelwin: ended by SIGxxx". A second signal
// while the first is handled ends the process at once. Idempotent.
void EndProgramOnSignals();

}  // namespace trelwin
