#include "platform/afx/afx_sockets.h"

#include <cstdlib>
#include <mutex>

BOOL AFXAPI AfxSocketInit(WSADATA* lpwsaData) {
    static std::mutex lock;
    static bool started = false;
    std::lock_guard<std::mutex> guard(lock);
    WSADATA data{};
    if (::WSAStartup(MAKEWORD(1, 1), &data) != 0) return FALSE;
    if (data.wVersion != MAKEWORD(1, 1)) {
        ::WSACleanup();
        return FALSE;
    }
    if (lpwsaData != nullptr) *lpwsaData = data;
    if (started) {
        ::WSACleanup();  // one start stands for the program
    } else {
        started = true;
        std::atexit([] { ::WSACleanup(); });
    }
    return TRUE;
}
