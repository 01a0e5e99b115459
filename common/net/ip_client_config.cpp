#include "common/net/ip_client_config.h"

_TIPClientConfig::_TIPClientConfig()
    : m_nProtocol(0), m_strHost(""), m_nPort(-1), m_nConnectTimeout(-1), m_strLocalAddress(""), m_nLocalPort(-1),
      m_strSecondAddress(""), m_dwReserved(0) {}

_TIPClientConfig::~_TIPClientConfig() {}
