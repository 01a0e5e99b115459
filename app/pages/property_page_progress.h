// CPropertyPageProgress: the wizard's last page (dialog 135), where every
// ticked device is updated at once. Each device gets a row (address, name,
// progress, bytes and rate, elapsed and remaining time, status), an update
// worker (ThreadUpdate, which runs the update engine's UpdateDevice) and a
// clock (ThreadClock, which refreshes the row's times once a second). The
// page shows the mean of the devices' percents, failed ones left out, in
// the gauge and the label above the list; at 100 it offers Back and Finish
// and disables Cancel.
//
// The page is the engine's CUpdateReport: the workers report through it.
// A percent goes to the page as MSG_UPDATE_PROGRESS, handled on the window's
// thread while the worker waits; a text of the device's row is posted to
// the page, which writes it into the row, so that a worker never waits for
// the window's thread for a text. StopAll writes the texts still queued, so
// the rows end with every report the workers made.
//
// Threads: the window's thread runs the page, OnProgress and StopAll; the
// CUpdateReport operations and the two thread functions run on the
// device's worker and clock threads. The per-device arrays are sized before
// the first thread starts and keep their size until StopAll has seen every
// thread end; each element belongs to its device's two threads. Every
// thread ends before the page's window goes: Back waits for them (StopAll),
// Cancel and the window's destruction ask the engine to stop first; the wait
// handles the workers' messages meanwhile.
#pragma once

#include <memory>

#include "app/update/update_engine.h"
#include "app/update/update_report.h"
#include "common/thread/thread.h"
#include "controls/listctrl/brisel_list_ctrl.h"
#include "drawing/drawing_progress_wnd.h"
#include "platform/afx/afx.h"

class CWizardState;
struct _TDevice;

// Sent by an update worker to the page: wParam the device's index in the
// sheet, lParam its percent 0..100, or -1 when its update failed.
enum
{
    MSG_UPDATE_PROGRESS = WM_USER + 100,
};

class CPropertyPageProgress : public CPropertyPage, public CUpdateReport
{
public:
    // Columns of the device list.
    enum
    {
        COLUMN_IP,
        COLUMN_NAME,
        COLUMN_PROGRESS,
        COLUMN_BYTES,
        COLUMN_ELAPSED,
        COLUMN_REMAINING,
        COLUMN_STATUS,
        COLUMN_COUNT
    };
    // The device port that the "IP" column leaves unsaid.
    enum
    {
        STANDARD_DEVICE_PORT = 50013
    };

    CPropertyPageProgress();
    ~CPropertyPageProgress() override;

    BOOL OnInitDialog() override;
    BOOL OnSetActive() override;
    // Waits for every thread, then goes back to the discover page.
    LRESULT OnWizardBack() override;
    // Cancel: the engine is asked to stop before the threads are waited for.
    void OnReset() override;

    // The thread functions, with the device's index.
    UINT ThreadUpdate(int nIndex);
    UINT ThreadClock(int nIndex);

    // Waits until every update and clock thread has ended, handling the
    // messages they send meanwhile, and frees them with the per-device
    // state. Window's thread only.
    void StopAll();
    // The row of the device, or -1 (also when the list has no window).
    int FindRow(int nIndex) const;

    // --- CUpdateReport, called by the device's worker thread.
    void SendProgress(int index, int percent) override;
    void SetStatusText(int index, const CString& text) override;
    void UpdateTransferInfo(DWORD bytes, DWORD total, int index) override;
    void SetRemainingTime(int index, int seconds) override;
    void ReportError(const CString& text, int index, int show) override;
    void ShowMessageBox(const CString& text) override;

    // --- Texts and figures of the page.

    // "hh:mm:ss" of a count of seconds (hours modulo 24).
    static CString FormatDuration(int nSeconds);
    // The "Remaining time" text: "Recording..." for -2, empty for -1.
    static CString FormatRemaining(int nSeconds);
    // The "IP" text: the address, with ":port" when the port is not the
    // standard one.
    static CString FormatAddress(const _TDevice& device);
    // The integer mean of the percents that are 0 or more; 100 when every
    // one of them is -1; 0 when there is none. Entries below -1 are no
    // device's.
    static int MeanPercent(const CArray<int, int>& percents);
    // The width of the "Status" column in a list of that client width.
    static int StatusColumnWidth(int nClientWidth);
    // The "Bytes" text: bytes and kilobits per second over the milliseconds.
    static CString FormatTransfer(DWORD dwBytes, DWORD dwMilliseconds);

protected:
    void DoDataExchange(CDataExchange* pDX) override;

    afx_msg LRESULT OnProgress(WPARAM wParam, LPARAM lParam);
    // A text of a device's row, posted by its worker or clock: wParam the
    // device's index, lParam a ROW_TEXT, which the page deletes.
    afx_msg LRESULT OnSetRowText(WPARAM wParam, LPARAM lParam);
    afx_msg void OnDestroy();

    DECLARE_MESSAGE_MAP()

private:
    void InitDeviceList();
    void CreateGauge();
    // A row, its per-device state and its two threads.
    void StartDevice(int nIndex, const _TDevice& device);
    // The gauge and the label show the percent.
    void ShowMean(int nPercent);
    // Cancel enabled or not (the sheet's button).
    void EnableCancel(BOOL bEnable);
    // Asks the engine to stop every run, then StopAll.
    void StopDevices();
    // A text of the device's row, from any thread: posted to the page, which
    // finds the row and writes the cell on the window's thread.
    void SetRowText(int nIndex, int nColumn, LPCSTR lpszText);
    struct ROW_TEXT
    {
        int nColumn;
        CString strText;
    };
    // Writes the row texts that are still queued (window's thread).
    void ApplyQueuedRowTexts();
    // Sends a held-back percent of the device: always when bAll, else once
    // its time has come (worker thread).
    void SendHeldProgress(int nIndex, BOOL bAll);
    void DeliverProgress(int nIndex, int nPercent);
    // Sleeps, ending early when the engine is asked to stop.
    void PauseUnlessStopped(int nMilliseconds);

    CBriselListCtrl m_list;
    // One per started device, in start order.
    CArray<CThread<CPropertyPageProgress>*, CThread<CPropertyPageProgress>*> m_arrUpdateThreads;
    CString m_strPackagePath;
    // The parent sheet, set in OnInitDialog.
    CWizardState* m_pSheet;
    CDrawingObjectProgressWnd m_progressWnd;
    // By device index: the last percent received, -1 = failed; NO_ROW for
    // the devices that have no row in this pass. Window's thread only.
    CArray<int, int> m_arrRowPercents;
    DWORD m_dwStartTick;
    // By device index: the tick of the last "Bytes" text.
    CArray<UINT, UINT> m_arrLastInfoTicks;
    // By device index: set when the device's update has ended.
    CArray<CEvent*, CEvent*> m_arrDeviceEvents;
    CArray<CThread<CPropertyPageProgress>*, CThread<CPropertyPageProgress>*> m_arrClockThreads;
    // By device index: the estimate in seconds; -1 nothing to show, -2
    // recording. Written by the worker and counted down by the clock, each
    // access atomic.
    CArray<int, int> m_arrRemainingSeconds;
    // By device index: the tick of the first data sent, 0 = none yet.
    CArray<int, int> m_arrFirstByteTicks;
    // By device index, the worker's own: the percents it sent and holds back.
    // A percent the row already holds costs no message, and a device sends
    // at most one a tenth of a second: a fast load would otherwise stop at
    // the window's thread for every percent it passes.
    struct PROGRESS_PACE
    {
        int nSent;
        int nHeld;
        DWORD dwSentTick;
    };
    CArray<PROGRESS_PACE, const PROGRESS_PACE&> m_arrPaces;
    // The engine that updates the devices; it holds the decrypted package
    // that every worker reads.
    std::unique_ptr<CUpdateEngine> m_pEngine;
    // Set once every device of a pass has its row and threads: the workers
    // wait for it, so that they start together and the threads are made
    // while none of them is busy yet.
    CEvent m_startGate;
    // The mean that the gauge and the label show.
    int m_nShownMean;
    // TRUE while StopAll waits: a last 100 then neither offers Finish nor
    // disables Cancel, since the page is being left.
    BOOL m_bStopping;

    enum
    {
        // m_arrRowPercents of a device without a row.
        NO_ROW = -2,
        // PROGRESS_PACE::nHeld when nothing is held back.
        NOTHING_HELD = -3,
        MSG_SET_ROW_TEXT = WM_USER + 101,
    };
};
