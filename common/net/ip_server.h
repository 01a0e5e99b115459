// CIPServer: listens on one local port in datagram or stream mode and
// reports connections, disconnections and packets through the callback of
// its settings. Start and Stop belong to the owner's thread, never to the
// callback (Stop waits for the threads that call it); a running server is
// stopped before it is destroyed (the destructor does it too).
#pragma once

#include "common/net/ip_server_childs.h"
#include "common/net/ip_server_config.h"
#include "common/thread/thread.h"
#include "platform/base/cstring.h"
#include "platform/net/net.h"
#include "platform/threading/afx_sync.h"

// Registered at start-up for the server's owners; the server itself reports
// through its callback only.
extern UINT MSG_IP_CLIENTE_CONECTADO;
extern UINT MSG_IP_CLIENTE_DESCONECTADO;
extern UINT MSG_IP_CLIENTE_COMANDO_RECIBIDO;

class CIPServer {
    friend class CIPServerChild;

public:
    CIPServer();
    virtual ~CIPServer();
    CIPServer(const CIPServer&) = delete;
    CIPServer& operator=(const CIPServer&) = delete;

    // Nothing when running. A socket that cannot be made leaves the server
    // stopped.
    void Start(const _TIPServerConfig& settings);
    void Stop();
    int CreateSocket();

    UINT ThreadUdp(int nArg);
    UINT ThreadAccept(int nArg);
    void ServeClient(SOCKET s, CString strPeerAddress);
    int AddChild(SOCKET s);

    BOOL IsRunning() const { return m_bRunning; }
    // The listening or datagram socket; -1 when stopped.
    SOCKET GetSocket() const { return m_socket; }
    CIPServerChilds& GetChilds() { return m_childs; }

protected:
    int Callback(int nEvent, SOCKET s, _TIPCommand* pPacket);

    CThread<CIPServer> m_thread;
    CEvent m_evStop;
    SOCKET m_socket;
    SOCKET m_clientSocket;
    int m_bRunning;
    CIPServerChilds m_childs;
    _TIPServerConfig m_settings;
    // Guards the client socket against Stop, which shuts it down from the
    // owner's thread while the accept thread serves it.
    CCriticalSection m_clientLock;
    int m_bStopping;
};
