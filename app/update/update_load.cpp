// Loading one image into a device and watching it record.
#include "app/update/update_engine.h"
#include "app/update/update_timeouts.h"
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

// Plain loads of one image in all: a load in which a block went out twice is
// abandoned and made again from the start, since a plain block carries no
// number and the device may have kept it twice.
const int kPlainLoadsMax = 3;

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
    const int packetTimeout = ReadUpdateTimeout(UPGRADE_PACKET_TIMEOUT);
    const int recordTimeout = ReadUpdateTimeout(RECORD_PACKET_TIMEOUT);

    if (bShow)
        m_report.SetStatusText(nIndex, "Reseting Device...");
    if (ResetDevice(client, settings) == -1)
        return FailRun("ERROR Timeout waiting device reset", nIndex, bShow);

    if (Load(client, settings, nIndex, image, nSpan, nBase, bShow) != LoadResult::Loaded)
        return 0;

    _TDevicePacket packet;
    int starts = 0;
    const int count = SendCommandCounted(client, settings, UPGRADE_RECORD, UPGRADE_EMPTY_PAYLOAD,
                                         sizeof(UPGRADE_EMPTY_PAYLOAD), reinterpret_cast<BYTE*>(&packet),
                                         packetTimeout, starts);
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
    const _TDeviceReply started{packet, count};
    if (!started.HasStatus() || started.Status() != 0)
        return FailRun(RecordErrorText(started), nIndex, bShow);
    // Every start sent may be answered; one answer has come.
    return WatchRecord(client, nIndex, nSpan, nBase, bShow, recordTimeout, starts - 1) == 1 ? 1 : 0;
}

CUpdateEngine::LoadResult CUpdateEngine::Load(CIPSimpleClient& client, _TIPClientConfig& settings, int nIndex,
                                              CFile& image, int nSpan, int nBase, int bShow)
{
    const int packetTimeout = ReadUpdateTimeout(UPGRADE_PACKET_TIMEOUT);
    for (int loads = 1;; ++loads)
    {
        if (bShow)
            m_report.SetStatusText(nIndex, "Starting Load Process...");
        _TDevicePacket packet;
        const _TDeviceReply answer{packet, SendCommand(client, settings, UPGRADE_START_LOAD, UPGRADE_EMPTY_PAYLOAD,
                                                       sizeof(UPGRADE_EMPTY_PAYLOAD),
                                                       reinterpret_cast<BYTE*>(&packet), packetTimeout)};
        // An answer without a status accepts nothing.
        if (!answer.HasStatus() || answer.Status() != 0)
        {
            FailRun("ERROR Starting To Load Firmware", nIndex, bShow);
            return LoadResult::Failed;
        }
        if (answer.nLength == UPGRADE_WINDOW_REPLY_LENGTH)
            return LoadWindows(client, settings, nIndex, image, nSpan, nBase, bShow);
        const LoadResult loaded = LoadPlain(client, settings, nIndex, image, nSpan, nBase, bShow);
        if (loaded != LoadResult::Ambiguous)
            return loaded;
        if (IsStopRequested())
            return LoadResult::Stopped;
        AbortLoad(client, settings, packetTimeout);
        if (loads >= kPlainLoadsMax)
        {
            FailRun("ERROR Loading Data", nIndex, bShow);
            return LoadResult::Failed;
        }
        image.Seek(0, CFile::begin);
    }
}

CUpdateEngine::LoadResult CUpdateEngine::LoadPlain(CIPSimpleClient& client, _TIPClientConfig& settings, int nIndex,
                                                   CFile& image, int nSpan, int nBase, int bShow)
{
    const int packetTimeout = ReadUpdateTimeout(UPGRADE_PACKET_TIMEOUT);
    const ULONGLONG length = image.GetLength();
    if (bShow)
        m_report.SetStatusText(nIndex, "Loading Data...");
    BYTE block[UPGRADE_BLOCK_SIZE];
    _TDevicePacket packet;
    UINT read = 0;
    if (!ReadImage(image, block, sizeof(block), read))
    {
        FailRun("ERROR reading file", nIndex, bShow);
        return LoadResult::Failed;
    }
    while (read > 0)
    {
        if (bShow)
            m_report.UpdateTransferInfo(static_cast<DWORD>(image.GetPosition()), static_cast<DWORD>(length), nIndex);
        // A plain acknowledgement names no block: a duplicate of the last
        // one must not pass for this block's.
        DropWaitingDatagrams(client);
        int sends = 0;
        const _TDeviceReply answer{packet, SendCommandCounted(client, settings, UPGRADE_DATA, block,
                                                              static_cast<int>(read), reinterpret_cast<BYTE*>(&packet),
                                                              packetTimeout, sends)};
        if (answer.nLength <= 0)
        {
            FailRun("ERROR Loading Data", nIndex, bShow);
            return LoadResult::Failed;
        }
        if (!answer.HasStatus() || answer.Status() != 0)
        {
            FailRun("ERROR Finishing Data Load", nIndex, bShow);
            AbortLoad(client, settings, packetTimeout);
            return LoadResult::Failed;
        }
        // The block went out again because an acknowledgement was lost or
        // late; the device may have kept it twice.
        if (sends > 1)
            return LoadResult::Ambiguous;
        if (bShow)
            m_report.SendProgress(nIndex, LoadPercent(nBase, nSpan, image.GetPosition(), length));
        if (!ReadImage(image, block, sizeof(block), read))
        {
            FailRun("ERROR reading file", nIndex, bShow);
            return LoadResult::Failed;
        }
    }
    // After the last acknowledged block the device records as in window
    // mode: the caller goes on with the record phase.
    return IsStopRequested() ? LoadResult::Stopped : LoadResult::Loaded;
}

CUpdateEngine::LoadResult CUpdateEngine::LoadWindows(CIPSimpleClient& client, _TIPClientConfig& settings, int nIndex,
                                                     CFile& image, int nSpan, int nBase, int bShow)
{
    const int packetTimeout = ReadUpdateTimeout(UPGRADE_PACKET_TIMEOUT);
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
                return LoadResult::Stopped;
            if (acknowledged == 0)
                ++attempts;
        }
        if (acknowledged == 0)
        {
            FailRun("ERROR Finishing Data Load", nIndex, bShow);
            AbortLoad(client, settings, packetTimeout);
            return LoadResult::Failed;
        }
        if (bShow)
            m_report.SendProgress(nIndex, LoadPercent(nBase, nSpan, image.GetPosition(), length));
        sequence += UPGRADE_WINDOW_SLOTS;
    }
    return LoadResult::Loaded;
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
                               int nRecordTimeout, int nOwedAnswers)
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
            // An answer to a start sent again carries the same command as the
            // end; taken for the end, it would report a recording that has not
            // ended. Better to wait for the end, or fail when none comes.
            if (nOwedAnswers > 0)
            {
                --nOwedAnswers;
                continue;
            }
            if (IsStopRequested())
                return STOPPED;
            m_report.SendProgress(nIndex, percent);
            return 1;
        }
    }
    return FailRun("ERROR In Record Process ACK", nIndex, bShow);
}
