// Socket classes: datagram and stream clients, broadcast socket, framed
// stream transfer with keep-alives, and the socket server.
#pragma once

#include "common/net/ip_broadcast.h"
#include "common/net/ip_client_config.h"
#include "common/net/ip_command.h"
#include "common/net/ip_send_receive.h"
#include "common/net/ip_server.h"
#include "common/net/ip_server_child.h"
#include "common/net/ip_server_childs.h"
#include "common/net/ip_server_config.h"
#include "common/net/ip_simple_client.h"
#include "common/net/ping.h"
