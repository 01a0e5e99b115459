// Sending a command and waiting for its answer, and the device reset.
#include "app/update/update_engine.h"
#include "app/update/update_timeouts.h"
#include "common/discover/device_datagram.h"
#include "platform/base/system_time.h"

#include <algorithm>
#include <cstring>

namespace
{

// Longest single wait between two looks at the stop request.
const int kWaitSlice = 50;

// Each attempt of SendCommand listens this long for the reply, and pauses as
// long again when nothing came.
const DWORD kAttemptTime = 1000;

} // namespace

CUpdateEngine::CUpdateEngine(const CWizardState& sheet, CUpdateReport& report)
    : m_sheet(sheet), m_report(report), m_bStop(false)
{
}

CUpdateEngine::~CUpdateEngine() = default;

int CUpdateEngine::ReceiveFromDevice(CIPSimpleClient& client, BYTE* pBuffer, int nMilliseconds)
{
    const DWORD start = GetTickCount();
    for (;;)
    {
        if (IsStopRequested())
            return STOPPED;
        const DWORD elapsed = GetTickCount() - start;
        const int left = nMilliseconds > static_cast<int>(elapsed) ? nMilliseconds - static_cast<int>(elapsed) : 0;
        const int count = client.ReceiveWithin(pBuffer, UPGRADE_PACKET_MAX, std::min(left, kWaitSlice));
        if (count != 0 || left <= kWaitSlice)
            return count;
    }
}

BOOL CUpdateEngine::Pause(int nMilliseconds)
{
    const DWORD start = GetTickCount();
    for (;;)
    {
        if (IsStopRequested())
            return FALSE;
        const DWORD elapsed = GetTickCount() - start;
        if (nMilliseconds <= static_cast<int>(elapsed))
            return TRUE;
        Sleep(static_cast<DWORD>(std::min(nMilliseconds - static_cast<int>(elapsed), kWaitSlice)));
    }
}

int CUpdateEngine::IsDevicePacket(const BYTE* pPacket, int nLength)
{
    return pPacket != nullptr && nLength >= DEVICE_MAGIC_SIZE &&
           std::memcmp(pPacket, DEVICE_MAGIC, DEVICE_MAGIC_SIZE) == 0;
}

int CUpdateEngine::SendPacket(CIPSimpleClient& client, _TIPClientConfig& settings, int nCommand, const BYTE* pData,
                              int nLength, BYTE* pReply, int nWait)
{
    int sent = 0;
    if (nCommand >= 0)
    {
        _TDevicePacket packet;
        std::memcpy(packet.magic, DEVICE_MAGIC, DEVICE_MAGIC_SIZE);
        packet.zero = 0;
        packet.command = static_cast<BYTE>(nCommand);
        const int payload = pData != nullptr ? std::clamp(nLength, 0, static_cast<int>(UPGRADE_PAYLOAD_MAX)) : 0;
        if (payload > 0)
            std::memcpy(packet.data, pData, static_cast<size_t>(payload));
        sent = UPGRADE_HEADER_SIZE + payload;
        if (!client.SendTo(settings.m_strHost, settings.m_nPort, reinterpret_cast<const BYTE*>(&packet), sent))
            return -1;
    }
    if (pReply == nullptr)
        return sent;
    const int count = ReceiveFromDevice(client, pReply, nWait);
    if (count > 0)
        return count;
    // Nothing came: pausing keeps callers that retry from spinning.
    if (count == 0)
        Pause(nWait);
    return -1;
}

int CUpdateEngine::SendCommand(CIPSimpleClient& client, _TIPClientConfig& settings, int nCommand, const BYTE* pData,
                               int nLength, BYTE* pReply, int nTimeout)
{
    int sends = 0;
    return SendCommandCounted(client, settings, nCommand, pData, nLength, pReply, nTimeout, sends);
}

int CUpdateEngine::SendCommandCounted(CIPSimpleClient& client, _TIPClientConfig& settings, int nCommand,
                                      const BYTE* pData, int nLength, BYTE* pReply, int nTimeout, int& nSends)
{
    nSends = 0;
    if (nCommand == -1 || pReply == nullptr)
    {
        nSends = nCommand >= 0 ? 1 : 0;
        return SendPacket(client, settings, nCommand, pData, nLength, pReply, nTimeout);
    }
    int attemptsLeft = nTimeout / 1000;
    for (;;)
    {
        if (IsStopRequested())
            return -1;
        SendPacket(client, settings, nCommand, pData, nLength, nullptr, 0);
        ++nSends;
        const DWORD start = GetTickCount();
        for (;;)
        {
            const DWORD elapsed = GetTickCount() - start;
            if (elapsed > kAttemptTime)
                break;
            const int count = ReceiveFromDevice(client, pReply, static_cast<int>(kAttemptTime - elapsed) + 1);
            if (count == STOPPED)
                return -1;
            if (count > 7 && pReply[7] == static_cast<BYTE>(nCommand) && IsDevicePacket(pReply, count))
                return count;
            // Anything else (a late answer to an earlier command, a foreign
            // datagram, a failed receive) is dropped.
            if (count != 0)
                continue;
            if (!Pause(static_cast<int>(kAttemptTime)))
                return -1;
        }
        if (attemptsLeft <= 0)
            return -1;
        --attemptsLeft;
    }
}

int CUpdateEngine::ResetDevice(CIPSimpleClient& client, _TIPClientConfig& settings)
{
    const int resetTimeout = ReadUpdateTimeout(UPGRADE_RESET_TIMEOUT);
    const int packetTimeout = ReadUpdateTimeout(UPGRADE_PACKET_TIMEOUT);
    BYTE reply[UPGRADE_PACKET_MAX];
    // The first reset restarts the device; only an answer to a later one
    // shows that its loader is listening.
    SendCommand(client, settings, UPGRADE_RESET, nullptr, 0, reply, packetTimeout);
    const DWORD start = GetTickCount();
    for (;;)
    {
        if (IsStopRequested())
            return -1;
        const int count = SendCommand(client, settings, UPGRADE_RESET, nullptr, 0, reply, packetTimeout);
        if (count > 7 && IsDevicePacket(reply, count) && reply[7] == UPGRADE_RESET)
            return 0;
        if (static_cast<LONGLONG>(GetTickCount() - start) > resetTimeout)
            return -1;
    }
}
