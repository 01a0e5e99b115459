#include "common/net/socket_startup.h"

int StartWindowsSockets11() {
    WSADATA data;
    if (WSAStartup(MAKEWORD(1, 1), &data) != 0) return -1;
    if (LOBYTE(data.wVersion) != 1 || HIBYTE(data.wVersion) != 1) {
        WSACleanup();
        return 0;
    }
    return 1;
}
