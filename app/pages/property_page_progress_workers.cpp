// The progress page's worker and clock threads, and the engine's reports
// that they make: percents sent to the page, texts of the device's own row,
// the bytes and rate, the remaining time.
#include "app/pages/property_page_progress.h"

#include <algorithm>
#include <atomic>
#include <cstdio>

#include "app/device_record.h"
#include "common/base/exception_base.h"
#include "common/base/exception_report.h"
#include "platform/base/system_time.h"

namespace
{

// How often the clock refreshes the row's times, and the longest a "Bytes"
// text stays unchanged while data goes out.
const DWORD kClockPeriod = 1000;
const DWORD kTransferTextPeriod = 1000;

// The shortest time between two percents of a device on its way.
const DWORD kProgressPeriod = 100;

// The pause after a reported error, and the slice in which it looks at the
// stop request.
const int kErrorPause = 500;
const int kPauseSlice = 50;

} // namespace

UINT CPropertyPageProgress::ThreadUpdate(int nIndex)
{
    m_startGate.Lock();
    try
    {
        SendProgress(nIndex, 0);
        SetStatusText(nIndex, "Starting...");
        if (m_pEngine->UpdateDevice(nIndex) == 1)
        {
            SendProgress(nIndex, 100);
            SetStatusText(nIndex, "Firmware Update Done Successfully!!!");
        }
    }
    catch (CExceptionBase& e)
    {
        e.GetReport();
        ReportException(&e);
        std::printf("Exception %c CPropertyPageProgress::ThreadUpdate()\n", '@');
    }
    catch (CException* e)
    {
        e->Delete();
        ReportException(nullptr);
        std::printf("Exception %c CPropertyPageProgress::ThreadUpdate()\n", '@');
    }
    catch (...)
    {
        ReportException(nullptr);
        std::printf("Exception %c CPropertyPageProgress::ThreadUpdate()\n", '@');
    }
    // The clock ends with the update, whichever way it ended; the row shows
    // the last percent.
    SetRemainingTime(nIndex, -1);
    m_arrDeviceEvents[nIndex]->SetEvent();
    return 0;
}

UINT CPropertyPageProgress::ThreadClock(int nIndex)
{
    CEvent* ended = m_arrDeviceEvents[nIndex];
    std::atomic_ref<int> remaining(m_arrRemainingSeconds[nIndex]);
    while (!ended->Lock(kClockPeriod))
    {
        const DWORD elapsed = (::GetTickCount() - m_dwStartTick) / 1000;
        // Counts down only a value that the worker has not changed meanwhile.
        int seconds = remaining.load();
        if (seconds > 0 && remaining.compare_exchange_strong(seconds, seconds - 1))
            --seconds;
        SetRowText(nIndex, COLUMN_REMAINING, FormatRemaining(seconds));
        SetRowText(nIndex, COLUMN_ELAPSED, FormatDuration(static_cast<int>(elapsed)));
    }
    SetRowText(nIndex, COLUMN_REMAINING, "");
    return 0;
}

void CPropertyPageProgress::SetRowText(int nIndex, int nColumn, LPCSTR lpszText)
{
    auto* text = new ROW_TEXT{nColumn, lpszText};
    // A window that is going refuses the message; the text is then ours.
    if (!PostMessage(MSG_SET_ROW_TEXT, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(text)))
        delete text;
}

void CPropertyPageProgress::SendProgress(int index, int percent)
{
    PROGRESS_PACE& pace = m_arrPaces[index];
    if (percent == pace.nSent)
    {
        pace.nHeld = NOTHING_HELD;
        return;
    }
    // A failed device's row keeps the last percent it reached.
    if (percent < 0)
        SendHeldProgress(index, TRUE);
    // The end (100, or -1 = failed) and a step back go at once; a step
    // forward waits for its time and is replaced by a later one meanwhile.
    const BOOL due = ::GetTickCount() - pace.dwSentTick >= kProgressPeriod;
    if (percent < 0 || percent >= 100 || percent < pace.nSent || due)
        DeliverProgress(index, percent);
    else
        pace.nHeld = percent;
}

void CPropertyPageProgress::SendHeldProgress(int nIndex, BOOL bAll)
{
    const PROGRESS_PACE& pace = m_arrPaces[nIndex];
    if (pace.nHeld != NOTHING_HELD && (bAll || ::GetTickCount() - pace.dwSentTick >= kProgressPeriod))
        DeliverProgress(nIndex, pace.nHeld);
}

void CPropertyPageProgress::DeliverProgress(int nIndex, int nPercent)
{
    PROGRESS_PACE& pace = m_arrPaces[nIndex];
    pace.nSent = nPercent;
    pace.nHeld = NOTHING_HELD;
    pace.dwSentTick = ::GetTickCount();
    SendMessage(MSG_UPDATE_PROGRESS, static_cast<WPARAM>(nIndex), static_cast<LPARAM>(nPercent));
}

void CPropertyPageProgress::SetStatusText(int index, const CString& text)
{
    // A new status is a new step of the update: its row shows the percent
    // reached so far with it.
    SendHeldProgress(index, TRUE);
    SetRowText(index, COLUMN_STATUS, text);
}

void CPropertyPageProgress::UpdateTransferInfo(DWORD bytes, DWORD total, int index)
{
    // Called for every block or window sent: a held-back percent goes once
    // its time has come.
    SendHeldProgress(index, FALSE);
    const DWORD now = ::GetTickCount();
    int& first = m_arrFirstByteTicks[index];
    if (first == 0 && bytes != 0)
        first = static_cast<int>(now);
    UINT& last = m_arrLastInfoTicks[index];
    // Once a second while loading; the last report of a load always, so that
    // the row ends with the whole image's size, also after a short load.
    const BOOL whole = bytes != 0 && bytes >= total;
    if (!whole && now - last < kTransferTextPeriod)
        return;
    // A load faster than the tick's step counts as a millisecond.
    const DWORD milliseconds = first != 0 ? std::max<DWORD>(now - static_cast<DWORD>(first), 1) : 0;
    SetRowText(index, COLUMN_BYTES, FormatTransfer(bytes, milliseconds));
    const DWORD seconds = milliseconds / 1000;
    if (bytes < total && seconds != 0 && bytes / seconds != 0)
    {
        const int estimate = static_cast<int>(std::min<DWORD>((total - bytes) / (bytes / seconds), INT_MAX));
        std::atomic_ref<int> remaining(m_arrRemainingSeconds[index]);
        int current = remaining.load();
        while (current < estimate && !remaining.compare_exchange_weak(current, estimate))
        {
        }
    }
    last = now;
}

void CPropertyPageProgress::SetRemainingTime(int index, int seconds)
{
    SendHeldProgress(index, TRUE);
    std::atomic_ref<int>(m_arrRemainingSeconds[index]).store(seconds);
}

void CPropertyPageProgress::ReportError(const CString& text, int index, int show)
{
    if (show != 1)
        return;
    SendProgress(index, -1);
    SetStatusText(index, text);
    m_arrDeviceEvents[index]->SetEvent();
    PauseUnlessStopped(kErrorPause);
}

void CPropertyPageProgress::ShowMessageBox(const CString& text)
{
    AfxMessageBox(text, MB_OK);
}

void CPropertyPageProgress::PauseUnlessStopped(int nMilliseconds)
{
    const DWORD start = ::GetTickCount();
    for (;;)
    {
        const DWORD elapsed = ::GetTickCount() - start;
        if (m_pEngine->IsStopRequested() || elapsed >= static_cast<DWORD>(nMilliseconds))
            return;
        ::Sleep(std::min<DWORD>(static_cast<DWORD>(nMilliseconds) - elapsed, kPauseSlice));
    }
}

CString CPropertyPageProgress::FormatDuration(int nSeconds)
{
    CString text;
    text.Format("%02d:%02d:%02d", (nSeconds / 3600) % 24, (nSeconds / 60) % 60, nSeconds % 60);
    return text;
}

CString CPropertyPageProgress::FormatRemaining(int nSeconds)
{
    if (nSeconds == -2)
        return "Recording...";
    if (nSeconds == -1)
        return "";
    return FormatDuration(nSeconds);
}

CString CPropertyPageProgress::FormatTransfer(DWORD dwBytes, DWORD dwMilliseconds)
{
    // Bytes times 8 bits over milliseconds is kilobits per second.
    const unsigned long rate =
        dwMilliseconds != 0 ? static_cast<unsigned long>(static_cast<ULONGLONG>(dwBytes) * 8 / dwMilliseconds) : 0;
    CString text;
    text.Format("%lu (%lu Kbps)", static_cast<unsigned long>(dwBytes), rate);
    return text;
}
