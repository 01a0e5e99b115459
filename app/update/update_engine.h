// The update engine: the conversation with one device over UDP (reset, load
// in plain or window mode, record) and the whole update of one device. Every
// device's update runs on its own worker thread with its own client socket,
// settings and image streams; the engine's shared state (sheet, package
// bytes, report) is read-only while runs go on.
//
// A stop request ends every run soon: it is checked between datagrams and
// in every wait, and a stopped run reports nothing, least of all success.
#pragma once

#include "app/update/update_packet.h"
#include "app/update/update_report.h"
#include "app/wizard_state.h"
#include "common/net/ip_client_config.h"
#include "common/net/ip_simple_client.h"
#include "platform/base/cstring.h"
#include "platform/base/file.h"

#include <atomic>
#include <string>

// Resource type and id of the boot-loader image.
#define UPDATE_BIOS_RESOURCE_TYPE "BIOS"
enum : WORD
{
    UPDATE_BIOS_RESOURCE_ID = 139,
};

class CUpdateEngine
{
public:
    CUpdateEngine(const CWizardState& sheet, CUpdateReport& report);
    virtual ~CUpdateEngine();
    CUpdateEngine(const CUpdateEngine&) = delete;
    CUpdateEngine& operator=(const CUpdateEngine&) = delete;

    // The decrypted package that every device's update reads; fill it before
    // the first run starts and leave it alone while runs go on.
    std::string& PackageBytes() { return m_package; }

    // Asks every run to end at its next datagram or wait; ClearStop before
    // a new pass.
    void RequestStop() { m_bStop.store(true, std::memory_order_relaxed); }
    void ClearStop() { m_bStop.store(false, std::memory_order_relaxed); }
    BOOL IsStopRequested() const { return m_bStop.load(std::memory_order_relaxed); }

    // --- The protocol with one device.

    // Sends the command (none when below 0) with up to 514 payload bytes and,
    // with a reply buffer of 522 bytes, waits that long for one datagram.
    // Bytes received; without a reply buffer the datagram length (0 when
    // nothing was sent); -1 on a send failure or when nothing arrived.
    int SendPacket(CIPSimpleClient& client, _TIPClientConfig& settings, int nCommand, const BYTE* pData, int nLength,
                   BYTE* pReply, int nWait);
    // Sends the command up to nTimeout / 1000 + 1 times, each time listening
    // about a second for the device's reply to it (same command byte and
    // magic). The reply's length, or -1. With no reply buffer or command -1,
    // one SendPacket.
    int SendCommand(CIPSimpleClient& client, _TIPClientConfig& settings, int nCommand, const BYTE* pData, int nLength,
                    BYTE* pReply, int nTimeout);
    // 1 when the datagram begins with the magic "BRISEL".
    static int IsDevicePacket(const BYTE* pPacket, int nLength);
    // Brings the device into its loader: 0 answered, -1 after
    // UpgradeResetTimeout.
    int ResetDevice(CIPSimpleClient& client, _TIPClientConfig& settings);
    // Loads one image into the device and, unless bSkipRecord, watches it
    // record. A shown run moves the device's row from nBase to nBase + nSpan
    // while loading and on towards 99 while recording. 1 on success, 0
    // otherwise (a shown run has then reported the error).
    int LoadAndRecord(CIPSimpleClient& client, _TIPClientConfig& settings, int nIndex, CFile& image, int nSpan,
                      int nBase, int bShow, int bSkipRecord);

    // --- The update of one device.

    // 1 updated (or nothing to update), 0 failed or stopped.
    int UpdateDevice(int nIndex);
    // 1 with the resource id when the boot loader must be loaded first.
    int NeedBiosUpdate(int nIndex, WORD& wResourceId);
    int IsSameGeneration(int nIndex);
    // 1 with the id field text for the initialisation image.
    int IsCrossGeneration(int nIndex, CString& strIdText);
    // Appends to the (already begun) image the package sections the device
    // needs; the image's section count, 0 when nothing differs.
    int BuildUpgradeImage(CIPSimpleClient& client, _TIPClientConfig& settings, int nIndex, CFile& package,
                          CFile& image);

    static int VersionToInt(const CString& strVersion);
    static void ParseVersionText(const CString& strVersion, int& nValue, int& bValid);
    // The version text in the package's path: after the last 'v', before
    // the last '.' of what follows.
    CString GetPackageVersionText() const;

protected:
    // Receives one datagram (up to 522 bytes) within the time, waiting in
    // slices so that a stop request is seen: its length, 0 when none came,
    // -1 when the receive failed, STOPPED when stopped.
    int ReceiveFromDevice(CIPSimpleClient& client, BYTE* pBuffer, int nMilliseconds);
    // FALSE when stopped before the time was up.
    BOOL Pause(int nMilliseconds);

    enum { STOPPED = -2 };

    // SendCommand that also tells how often the datagram went out: every
    // sending may be answered, so the answers beyond the one returned may
    // still come.
    int SendCommandCounted(CIPSimpleClient& client, _TIPClientConfig& settings, int nCommand, const BYTE* pData,
                           int nLength, BYTE* pReply, int nTimeout, int& nSends);

    // How a load phase of LoadAndRecord ended.
    enum class LoadResult
    {
        Loaded,
        Failed, // already reported
        Stopped,
        // A plain block went out more than once: the device may hold it
        // twice, so what it holds is unknown. Nothing is reported yet.
        Ambiguous,
    };
    LoadResult LoadPlain(CIPSimpleClient& client, _TIPClientConfig& settings, int nIndex, CFile& image, int nSpan,
                         int nBase, int bShow);
    LoadResult LoadWindows(CIPSimpleClient& client, _TIPClientConfig& settings, int nIndex, CFile& image, int nSpan,
                           int nBase, int bShow);
    // Opens a load (start load) and loads the image in the mode the answer
    // selects; an ambiguous plain load is abandoned and loaded again from the
    // start, a few times at most.
    LoadResult Load(CIPSimpleClient& client, _TIPClientConfig& settings, int nIndex, CFile& image, int nSpan,
                    int nBase, int bShow);
    // Sends the window's slots and waits for its acknowledgement; 1
    // acknowledged, 0 refused or unanswered, STOPPED. Each slot's buffer
    // follows the datagram header already written in front of it, so that
    // the window goes out in one call.
    int SendWindow(CIPSimpleClient& client, const _TBuffer* slots, WORD wLastSequence, int nTimeout);
    // Watches the record phase after an accepted start; 1 recorded, 0 failed.
    // nOwedAnswers answers to repeated starts may still come: they carry the
    // record end's command and are not the end.
    int WatchRecord(CIPSimpleClient& client, int nIndex, int nSpan, int nBase, int bShow, int nRecordTimeout,
                    int nOwedAnswers);
    // Reports the failure of a run (unless it was stopped) and gives 0.
    int FailRun(const CString& strText, int nIndex, int bShow);
    // Drops the datagrams already waiting: before a block or a window is
    // sent, they can only be duplicates or late answers to earlier sendings.
    // TRUE when one of them accepted the window whose last datagram carries
    // nWindowSequence (-1: none).
    BOOL DropWaitingDatagrams(CIPSimpleClient& client, int nWindowSequence = -1);
    // Sends abort load and ignores the answer.
    void AbortLoad(CIPSimpleClient& client, _TIPClientConfig& settings, int nTimeout);
    // The load's percent for a position: nBase + nSpan * position / length.
    static int LoadPercent(int nBase, int nSpan, ULONGLONG position, ULONGLONG length);

    int UpdateDeviceConnected(CIPSimpleClient& client, _TIPClientConfig& settings, int nIndex);
    int LoadBootLoader(CIPSimpleClient& client, _TIPClientConfig& settings, int nIndex, WORD wResourceId, int nSpan,
                       int nBase);
    // After a silent preliminary load (boot loader, initialisation): a
    // failure ends the update; a success narrows the device's band.
    BOOL EndPreliminaryLoad(int nLoaded, int nIndex, int& nSpan, int& nBase);
    // Asks for the inventory and appends the sections the device needs; the
    // image's section count (0 when bCountCopies and nothing differs), or -1
    // when no inventory came (no answer, or one that does not hold what its
    // count says).
    int InventoryImage(CIPSimpleClient& client, _TIPClientConfig& settings, int nCommand, int nRecordSize,
                       CFile& package, CFile& image, BOOL bCountCopies);

    const CWizardState& m_sheet;
    CUpdateReport& m_report;
    std::string m_package;
    std::atomic<bool> m_bStop;
};
