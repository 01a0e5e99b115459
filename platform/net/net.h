// Windows Sockets over the system's sockets.
#pragma once

#include "platform/net/socket_api.h"
#include "platform/net/winsock_errors.h"
#include "platform/net/winsock_types.h"
