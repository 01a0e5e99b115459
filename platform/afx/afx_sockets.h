// AfxSocketInit: the framework's start of Windows Sockets for the program.
#pragma once

#include "platform/net/net.h"

// Starts the sockets layer with version 1.1 once for the process (it is
// cleaned up at exit) and copies the layer's description into lpwsaData
// when given. FALSE when the layer cannot be started or does not grant 1.1.
BOOL AFXAPI AfxSocketInit(WSADATA* lpwsaData = nullptr);
