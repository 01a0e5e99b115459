#include "common/net/ip_server_config.h"

_TIPServerConfig::_TIPServerConfig()
    : m_nProtocol(0), m_nPort(-1), m_strBindAddress(""), m_pfnCallback(nullptr), m_pContext(nullptr),
      m_bMultiClient(0), m_bPingRun(1), m_nReserved1(-1), m_bKeepAlive(1), m_dwReceiveTimeout(30000),
      m_nReserved2(0), m_strSecondAddress(""), m_nReserved3(-1), m_nReserved4(0), m_nReserved5(30),
      m_nReserved6(1), m_dwMaxPayload(0x100000) {}
