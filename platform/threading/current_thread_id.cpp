// Interim definition until platform/base provides the function.
#include "platform/threading/current_thread_id.h"

#include <sys/syscall.h>
#include <unistd.h>

__attribute__((weak)) DWORD GetCurrentThreadId() {
    return static_cast<DWORD>(syscall(SYS_gettid));
}
