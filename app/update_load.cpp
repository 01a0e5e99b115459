// Loading one image into a device and watching it record.
#include "app/registry_settings.h"
#include "app/update_engine.h"
#include "common/discover/device_datagram.h"
#include "platform/base/array.h"
#include "platform/base/exceptions.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace
{

// Ignored datagrams (stale acknowledgements, foreign ones) that one wait for
// an acknowledgement takes before it counts as a failed attempt: a device
// that keeps talking must not hold the run for ever.
const int kIgnoredPerWaitMax = 256;

// Waiting datagrams that one look before a sending drops at most.
const int kDroppedMax = 64;

// Datagrams the record phase takes before it gives up on a device that
// never ends its recording.
const int kRecordDatagramsMax = 65536;

// Reads up to nCount bytes; FALSE when the stream fails.
BOOL ReadImage(CFile& image, BYTE* pBuffer, UINT nCount, UINT& nRead)
{
    nRead = 0;
    try
    {
        nRead = image.Read(pBuffer, nCount);
        return TRUE;
    }
    catch (CException* e)
    {
        e->Delete();
        return FALSE;
    }
}

// The failure text of a refused or failed recording; a reply too short to
// carry its code shows code 0.
CString RecordErrorText(const _TDeviceReply& reply)
{
    CString text;
    text.Format("ERROR UPDATING DEVICE. CODE %d", reply.HasCode() ? reply.Code() : 0);
    return text;
}

} // namespace

int CUpdateEngine::LoadPercent(int nBase, int nSpan, ULONGLONG position, ULONGLONG length)
{
    if (length == 0)
        return nBase + nSpan;
    return static_cast<int>(static_cast<float>(nBase) +
                            static_cast<float>(nSpan) * static_cast<float>(position) / static_cast<float>(length));
}

int CUpdateEngine::FailRun(const CString& strText, int nIndex, int bShow)
{
    if (!IsStopRequested())
        m_report.ReportError(strText, nIndex, bShow);
    return 0;
}

BOOL CUpdateEngine::DropWaitingDatagrams(CIPSimpleClient& client, int nWindowSequence)
{
    BOOL accepted = FALSE;
    _TDevicePacket stale;
    for (int n = 0; n < kDroppedMax; ++n)
    {
        const _TDeviceReply reply{stale, client.ReceiveWithin(reinterpret_cast<BYTE*>(&stale), UPGRADE_PACKET_MAX, 0)};
        if (reply.nLength <= 0)
            break;
        if (stale.command == UPGRADE_DATA && reply.HasStatus() && reply.Status() == 0 && reply.HasSequence() &&
            reply.Sequence() == nWindowSequence)
            accepted = TRUE;
    }
    return accepted;
}

void CUpdateEngine::AbortLoad(CIPSimpleClient& client, _TIPClientConfig& settings, int nTimeout)
{
    BYTE reply[UPGRADE_PACKET_MAX];
    SendCommand(client, settings, UPGRADE_ABORT_LOAD, UPGRADE_EMPTY_PAYLOAD, sizeof(UPGRADE_EMPTY_PAYLOAD), reply,
                nTimeout);
}

int CUpdateEngine::LoadAndRecord(CIPSimpleClient& client, _TIPClientConfig& settings, int nIndex, CFile& image,
                                 int nSpan, int nBase, int bShow, int bSkipRecord)
{
    image.Seek(0, CFile::begin);
    const int packetTimeout = ReadRegistryInt("UpgradePacketTimeout", 5000);
    const int recordTimeout = ReadRegistryInt("RecordPacketTimeout2", 120000);

    if (bShow)
        m_report.SetStatusText(nIndex, "Reseting Device...");
    if (ResetDevice(client, settings) == -1)
        return FailRun("ERROR Timeout waiting device reset", nIndex, bShow);

    if (bShow)
        m_report.SetStatusText(nIndex, "Starting Load Process...");
    BYTE reply[UPGRADE_PACKET_MAX];
    int count = SendCommand(client, settings, UPGRADE_START_LOAD, UPGRADE_EMPTY_PAYLOAD, sizeof(UPGRADE_EMPTY_PAYLOAD),
                            reply, packetTimeout);
    // A reply too short to hold a status is no acceptance.
    if (count <= UPGRADE_HEADER_SIZE || reply[8] != 0)
        return FailRun("ERROR Starting To Load Firmware", nIndex, bShow);

    const int loaded = count == UPGRADE_WINDOW_REPLY_LENGTH
                           ? LoadWindows(client, settings, nIndex, image, nSpan, nBase, bShow)
                           : LoadPlain(client, settings, nIndex, image, nSpan, nBase, bShow);
    if (loaded != 1)
        return 0;

    count = SendCommand(client, settings, UPGRADE_RECORD, UPGRADE_EMPTY_PAYLOAD, sizeof(UPGRADE_EMPTY_PAYLOAD), reply,
                        packetTimeout);
    if (count <= 0)
        return FailRun("ERROR Starting Record Process", nIndex, bShow);
    if (bSkipRecord)
        return IsStopRequested() ? 0 : 1;

    if (bShow)
    {
        m_report.SendProgress(nIndex, nBase + nSpan);
        m_report.SetStatusText(nIndex, "Starting Record Process...");
        m_report.SetRemainingTime(nIndex, -2);
    }
    const _TDeviceReply started{*reinterpret_cast<const _TDevicePacket*>(reply), count};
    if (!started.HasStatus() || started.Status() != 0)
        return FailRun(RecordErrorText(started), nIndex, bShow);
    return WatchRecord(client, nIndex, nSpan, nBase, bShow, recordTimeout) == 1 ? 1 : 0;
}

int CUpdateEngine::LoadPlain(CIPSimpleClient& client, _TIPClientConfig& settings, int nIndex, CFile& image, int nSpan,
                             int nBase, int bShow)
{
    const int packetTimeout = ReadRegistryInt("UpgradePacketTimeout", 5000);
    const ULONGLONG length = image.GetLength();
    if (bShow)
        m_report.SetStatusText(nIndex, "Loading Data...");
    BYTE block[UPGRADE_BLOCK_SIZE];
    BYTE reply[UPGRADE_PACKET_MAX];
    UINT read = 0;
    if (!ReadImage(image, block, sizeof(block), read))
        return FailRun("ERROR reading file", nIndex, bShow);
    while (read > 0)
    {
        if (bShow)
            m_report.UpdateTransferInfo(static_cast<DWORD>(image.GetPosition()), static_cast<DWORD>(length), nIndex);
        // A plain acknowledgement names no block: a duplicate of the last
        // one must not pass for this block's.
        DropWaitingDatagrams(client);
        const int count =
            SendCommand(client, settings, UPGRADE_DATA, block, static_cast<int>(read), reply, packetTimeout);
        if (count <= 0)
            return FailRun("ERROR Loading Data", nIndex, bShow);
        if (count <= UPGRADE_HEADER_SIZE || reply[8] != 0)
        {
            FailRun("ERROR Finishing Data Load", nIndex, bShow);
            AbortLoad(client, settings, packetTimeout);
            return 0;
        }
        if (bShow)
            m_report.SendProgress(nIndex, LoadPercent(nBase, nSpan, image.GetPosition(), length));
        if (!ReadImage(image, block, sizeof(block), read))
            return FailRun("ERROR reading file", nIndex, bShow);
    }
    // After the last acknowledged block the device records as in window
    // mode: the caller goes on with the record phase.
    return IsStopRequested() ? STOPPED : 1;
}

int CUpdateEngine::LoadWindows(CIPSimpleClient& client, _TIPClientConfig& settings, int nIndex, CFile& image,
                               int nSpan, int nBase, int bShow)
{
    const int packetTimeout = ReadRegistryInt("UpgradePacketTimeout", 5000);
    const ULONGLONG length = image.GetLength();
    // The window's buffers are made once and reused for every window. Each
    // is a whole data datagram; a slot's buffer is its payload.
    std::unique_ptr<_TDevicePacket[]> datagrams(new _TDevicePacket[UPGRADE_WINDOW_SLOTS]);
    CArray<_TBuffer> slots;
    slots.SetSize(UPGRADE_WINDOW_SLOTS);
    for (int k = 0; k < UPGRADE_WINDOW_SLOTS; ++k)
    {
        _TDevicePacket& datagram = datagrams[k];
        std::memcpy(datagram.magic, DEVICE_MAGIC, DEVICE_MAGIC_SIZE);
        datagram.zero = 0;
        datagram.command = UPGRADE_DATA;
        slots[k] = _TBuffer{0, datagram.data};
    }

    int sequence = 1;
    ULONGLONG bytesRead = 0;
    if (bShow)
        m_report.SetStatusText(nIndex, "Loading Data...");
    while (image.GetPosition() != length)
    {
        int attempts = 0;
        ULONGLONG windowBytes = 0;
        for (int k = 0; k < UPGRADE_WINDOW_SLOTS; ++k)
        {
            _TBuffer& slot = slots[k];
            UINT read = 0;
            if (!ReadImage(image, slot.pBuffer, UPGRADE_BLOCK_SIZE, read))
            {
                // The window is not sent: one report is enough.
                FailRun("ERROR reading file", nIndex, bShow);
                attempts = UPGRADE_WINDOW_SLOTS;
                break;
            }
            windowBytes += read;
            bytesRead += read;
            const WORD number = static_cast<WORD>((sequence + k) & 0xFFFF);
            slot.pBuffer[read] = static_cast<BYTE>(number >> 8);
            slot.pBuffer[read + 1] = static_cast<BYTE>(number & 0xFF);
            slot.nLength = static_cast<INT32>(read + 2);
        }
        // A stream that ends before its length would otherwise send windows
        // of bare sequence numbers for ever.
        if (windowBytes == 0 && attempts == 0)
        {
            FailRun("ERROR reading file", nIndex, bShow);
            attempts = UPGRADE_WINDOW_SLOTS;
        }
        if (bShow)
            m_report.UpdateTransferInfo(static_cast<DWORD>(bytesRead), static_cast<DWORD>(length), nIndex);

        const WORD last = static_cast<WORD>((sequence + UPGRADE_WINDOW_SLOTS - 1) & 0xFFFF);
        int acknowledged = 0;
        while (attempts < UPGRADE_WINDOW_SLOTS && acknowledged == 0)
        {
            acknowledged = SendWindow(client, slots.GetData(), last, packetTimeout);
            if (acknowledged == STOPPED)
                return STOPPED;
            if (acknowledged == 0)
                ++attempts;
        }
        if (acknowledged == 0)
        {
            FailRun("ERROR Finishing Data Load", nIndex, bShow);
            AbortLoad(client, settings, packetTimeout);
            return 0;
        }
        if (bShow)
            m_report.SendProgress(nIndex, LoadPercent(nBase, nSpan, image.GetPosition(), length));
        sequence += UPGRADE_WINDOW_SLOTS;
    }
    return 1;
}

int CUpdateEngine::SendWindow(CIPSimpleClient& client, const _TBuffer* slots, WORD wLastSequence, int nTimeout)
{
    // What waits now answers an earlier sending: a refusal (a duplicate, or
    // a late one) must not count against this sending; an acceptance of this
    // window that came after its wait still acknowledges it.
    const BOOL acceptedLate = DropWaitingDatagrams(client, wLastSequence);
    if (IsStopRequested())
        return STOPPED;
    // The ten datagrams in slot order, in one call (a failed send is not
    // reported: the missing acknowledgement tells).
    DATAGRAM_BUFFER window[UPGRADE_WINDOW_SLOTS];
    for (int k = 0; k < UPGRADE_WINDOW_SLOTS; ++k)
    {
        const int payload = std::clamp(static_cast<int>(slots[k].nLength), 0, static_cast<int>(UPGRADE_PAYLOAD_MAX));
        window[k] = DATAGRAM_BUFFER{reinterpret_cast<const char*>(slots[k].pBuffer) - UPGRADE_HEADER_SIZE,
                                    UPGRADE_HEADER_SIZE + payload};
    }
    client.SendDatagrams(window, UPGRADE_WINDOW_SLOTS);
    if (acceptedLate)
        return 1;
    _TDevicePacket packet;
    for (int ignored = 0; ignored < kIgnoredPerWaitMax; ++ignored)
    {
        const _TDeviceReply reply{packet, ReceiveFromDevice(client, reinterpret_cast<BYTE*>(&packet), nTimeout)};
        if (reply.nLength == STOPPED)
            return STOPPED;
        if (reply.nLength == 0)
            return Pause(nTimeout) ? 0 : STOPPED;
        if (reply.nLength < 0)
            return 0;
        // Not an acknowledgement, or one without a status.
        if (packet.command != UPGRADE_DATA || !reply.HasStatus())
            continue;
        // A refusal is a failed attempt, however short the datagram.
        if (reply.Status() != 0)
            return 0;
        // An acceptance without a sequence number, or with an earlier one
        // (a late acknowledgement of an earlier sending), is not this one.
        if (reply.HasSequence() && reply.Sequence() == wLastSequence)
            return 1;
    }
    return 0;
}

int CUpdateEngine::WatchRecord(CIPSimpleClient& client, int nIndex, int nSpan, int nBase, int bShow,
                               int nRecordTimeout)
{
    int percent = bShow ? nBase + nSpan : 0;
    _TDevicePacket packet;
    for (int received = 0; received < kRecordDatagramsMax; ++received)
    {
        const _TDeviceReply reply{packet, ReceiveFromDevice(client, reinterpret_cast<BYTE*>(&packet), nRecordTimeout)};
        if (reply.nLength == STOPPED)
            return STOPPED;
        if (reply.nLength == 0)
        {
            if (!Pause(nRecordTimeout))
                return STOPPED;
            return FailRun("ERROR In Record Process ACK", nIndex, bShow);
        }
        if (reply.nLength < 0)
            return FailRun("ERROR In Record Process ACK", nIndex, bShow);
        if (packet.command == UPGRADE_RECORD_PROGRESS && reply.HasCode())
        {
            const int total = reply.Status();
            const int current = reply.Code();
            percent = 0;
            if (bShow && total != 0)
            {
                CString text;
                text.Format("Recording %d/%d...", current, total);
                m_report.SetStatusText(nIndex, text);
                percent = std::min(99, nBase + nSpan + current * 70 / (total + 1));
                m_report.SendProgress(nIndex, percent);
            }
        }
        else if (packet.command == UPGRADE_RECORD && reply.HasStatus())
        {
            // An error ends the run at once, also when the datagram stops
            // short of its code (shown as 0 then).
            if (reply.Status() != 0)
                return FailRun(RecordErrorText(reply), nIndex, bShow);
            if (IsStopRequested())
                return STOPPED;
            m_report.SendProgress(nIndex, percent);
            return 1;
        }
    }
    return FailRun("ERROR In Record Process ACK", nIndex, bShow);
}
