#include "common/net/ip_command.h"

_TIPCommand::_TIPCommand() : m_nCommand(-1), m_dwLength(0), m_pData(nullptr), m_wPort(0) {}

_TIPCommand::_TIPCommand(const _TIPCommand& other)
    : m_nCommand(other.m_nCommand), m_dwLength(other.m_dwLength), m_pData(other.m_pData),
      m_strAddress(other.m_strAddress), m_wPort(other.m_wPort) {}

_TIPCommand& _TIPCommand::operator=(const _TIPCommand& other) {
    m_nCommand = other.m_nCommand;
    m_dwLength = other.m_dwLength;
    m_pData = other.m_pData;
    m_strAddress = other.m_strAddress;
    m_wPort = other.m_wPort;
    return *this;
}

_TIPCommand::~_TIPCommand() {}
