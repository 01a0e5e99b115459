#include "platform/user/shell_execute.h"

#include <cstdlib>
#include <fcntl.h>
#include <cstring>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>

extern char** environ;

namespace {

bool StartsWithNoCase(const char* text, const char* prefix) {
    return strncasecmp(text, prefix, std::strlen(prefix)) == 0;
}

// An absolute web address made of visible ASCII only.
bool IsWebLink(const char* text) {
    const size_t scheme = StartsWithNoCase(text, "https://") ? 8 : StartsWithNoCase(text, "http://") ? 7 : 0;
    if (scheme == 0 || text[scheme] == '\0') return false;
    for (const char* c = text; *c; ++c) {
        const auto byte = static_cast<unsigned char>(*c);
        if (byte <= ' ' || byte >= 0x7F) return false;
    }
    return true;
}

}  // namespace

HINSTANCE WINAPI ShellExecuteA(HWND, LPCSTR lpOperation, LPCSTR lpFile, LPCSTR lpParameters, LPCSTR, INT) {
    const bool open = lpOperation == nullptr || strcasecmp(lpOperation, "open") == 0;
    if (!open || lpFile == nullptr || !IsWebLink(lpFile) || (lpParameters != nullptr && *lpParameters)) {
        return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(SE_ERR_NOASSOC));
    }
    const char* configured = std::getenv("TRELWIN_URL_OPENER");
    std::string opener = configured && *configured ? configured : "xdg-open";
    std::string link = lpFile;
    char* argv[] = {opener.data(), link.data(), nullptr};
    // The opener (and the browser it may become) gets none of the program's
    // files or sockets, whether they were opened close-on-exec or not, and
    // reads nothing from the program's standard input.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    pid_t pid = 0;
    const int failed = posix_spawnp(&pid, opener.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0) {
        return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(SE_ERR_FNF));
    }
    // The opener is not waited for, but it is reaped so that it leaves no
    // zombie behind.
    std::thread([pid] { waitpid(pid, nullptr, 0); }).detach();
    return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(42));
}
