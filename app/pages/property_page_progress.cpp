// The progress page on the window's thread: its controls, the start of a
// pass, the percents the workers send, and stopping every thread.
#include "app/pages/property_page_progress.h"

#include <algorithm>

#include "app/package/update_package.h"
#include "app/update/update_timeouts.h"
#include "app/wizard_ids.h"
#include "app/pages/wizard_page.h"
#include "app/wizard_state.h"
#include "platform/base/process.h"
#include "platform/base/system_time.h"

namespace
{

// Id of the gauge's window, and its pictures: the empty and the full gauge.
const UINT kGaugeWindowId = 13;
const UINT kGaugeBackgroundBitmap = 136;
const UINT kGaugeFillBitmap = 137;

// The list's columns: title, width in pixels, sort kind.
struct ColumnSpec
{
    LPCSTR title;
    int width;
    _eTipoOrdenacion sort;
};
const ColumnSpec kColumns[CPropertyPageProgress::COLUMN_COUNT] = {
    {"IP", 50, TIPO_ORDENACION_TEXTO},
    {"Name", 50, TIPO_ORDENACION_TEXTO},
    {"Progress", 30, TIPO_ORDENACION_NUMERO},
    {"Bytes", 150, TIPO_ORDENACION_NUMERO},
    {"Elapsed time", 100, TIPO_ORDENACION_NUMERO},
    {"Remaining time", 100, TIPO_ORDENACION_NUMERO},
    {"Status", 0, TIPO_ORDENACION_TEXTO},
};
// "Status" takes the list's client width less this; never less than the
// floor, so that a narrow list still shows the status texts.
const int kStatusWidthTaken = 490;
const int kStatusWidthFloor = 100;

} // namespace

BEGIN_MESSAGE_MAP(CPropertyPageProgress, CPropertyPage)
    ON_MESSAGE(MSG_UPDATE_PROGRESS, OnProgress)
    ON_MESSAGE(MSG_SET_ROW_TEXT, OnSetRowText)
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CPropertyPageProgress::CPropertyPageProgress()
    : CPropertyPage(IDD_PROPPAGE_PROGRESS), m_list(-1, 0, FALSE), m_pSheet(nullptr), m_dwStartTick(0),
      m_startGate(FALSE, TRUE), m_nShownMean(-1), m_bStopping(FALSE)
{
    m_strHeaderTitle = "Updating...";
    m_strHeaderSubTitle = "Please wait until the update process finishes";
    m_psp.dwFlags |= PSP_USEHEADERTITLE | PSP_USEHEADERSUBTITLE;
}

CPropertyPageProgress::~CPropertyPageProgress()
{
    StopDevices();
}

void CPropertyPageProgress::DoDataExchange(CDataExchange* pDX)
{
    CPropertyPage::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_DEVICE_LIST, m_list);
}

BOOL CPropertyPageProgress::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    // The list keeps its column layout under the page's window text.
    SetWindowText("PropertyPageProgress");
    InitDeviceList();
    m_pSheet = dynamic_cast<CWizardState*>(GetParent());
    if (m_pSheet != nullptr)
        m_pEngine = std::make_unique<CUpdateEngine>(*m_pSheet, *this);
    CreateGauge();
    return TRUE;
}

void CPropertyPageProgress::InitDeviceList()
{
    m_list.SetExtendedStyle(m_list.GetExtendedStyle() | LVS_EX_GRIDLINES);
    int columns = COLUMN_COUNT;
    m_list.RestoreSettings(&columns);
    CRect client;
    m_list.GetClientRect(&client);
    for (int i = 0; i < COLUMN_COUNT; ++i)
    {
        const int width = i == COLUMN_STATUS ? StatusColumnWidth(client.Width()) : ScreenPixels(kColumns[i].width);
        m_list.InsertColumn(i, kColumns[i].title, i == COLUMN_STATUS ? LVCFMT_LEFT : LVCFMT_CENTER, width);
        m_list.SetColumnSortType(i, kColumns[i].sort);
    }
}

void CPropertyPageProgress::CreateGauge()
{
    CWnd* frame = GetDlgItem(IDC_GAUGE_FRAME);
    if (frame == nullptr)
        return;
    CRect rect;
    frame->GetWindowRect(&rect);
    ScreenToClient(&rect);
    // The pictures size the window; until then it is a small square at the
    // frame's corner.
    rect.right = rect.left + 10;
    rect.bottom = rect.top + 10;
    m_progressWnd.CreateMapObject();
    m_progressWnd.Create(nullptr, "", WS_CHILD | WS_VISIBLE, rect, this, kGaugeWindowId);
    if (CDrawingObjectProgress* gauge = m_progressWnd.GetProgress())
        gauge->LoadBitmaps(kGaugeBackgroundBitmap, kGaugeFillBitmap);
}

BOOL CPropertyPageProgress::OnSetActive()
{
    ShowWizardPage(*this, PSWIZB_DISABLEDFINISH, "Progress");
    // An earlier pass that finished disabled Cancel.
    EnableCancel(TRUE);
    // No thread of an earlier pass may still read the package or the arrays.
    StopDevices();
    m_list.DeleteAllItems();
    m_nShownMean = -1;
    ShowMean(0);
    if (m_pSheet == nullptr || !m_pEngine)
        return CPropertyPage::OnSetActive();

    m_strPackagePath = m_pSheet->m_strPackagePath;
    m_pEngine->ClearStop();
    // An unreadable package leaves the bytes empty; each worker reports it.
    DecryptUpdateFile(m_strPackagePath, m_pEngine->PackageBytes());
    // Written now, if missing, so that no transfer waits for the disk.
    CreateMissingUpdateTimeouts();
    m_dwStartTick = ::GetTickCount();

    // Every per-device array gets its size before the first thread starts.
    m_startGate.ResetEvent();
    const int devices = static_cast<int>(m_pSheet->m_devices.GetSize());
    m_arrRowPercents.SetSize(devices);
    m_arrLastInfoTicks.SetSize(devices);
    m_arrDeviceEvents.SetSize(devices);
    m_arrRemainingSeconds.SetSize(devices);
    m_arrFirstByteTicks.SetSize(devices);
    m_arrPaces.SetSize(devices);
    for (int i = 0; i < devices; ++i)
    {
        m_arrRowPercents[i] = NO_ROW;
        m_arrDeviceEvents[i] = nullptr;
    }
    for (int i = 0; i < devices; ++i)
    {
        const _TDevice* device = m_pSheet->GetDevice(i);
        if (device != nullptr && device->m_nSelected == 1)
            StartDevice(i, *device);
    }
    m_startGate.SetEvent();
    return CPropertyPage::OnSetActive();
}

void CPropertyPageProgress::StartDevice(int nIndex, const _TDevice& device)
{
    const int row = m_list.InsertItem(m_list.GetItemCount(), FormatAddress(device));
    if (row < 0)
        return;
    m_list.SetItemData(row, static_cast<DWORD_PTR>(nIndex));
    m_list.SetItemText(row, COLUMN_NAME, device.m_strName);
    m_list.SetItemText(row, COLUMN_PROGRESS, "0%");
    m_list.SetItemText(row, COLUMN_BYTES, "0 (0 Kbps)");
    m_list.SetItemText(row, COLUMN_ELAPSED, "00:00:00");
    m_list.SetItemText(row, COLUMN_REMAINING, "00:00:00");
    m_list.SetItemText(row, COLUMN_STATUS, "");

    // A device that has not reported yet counts as 0 %, so that the mean
    // cannot reach 100 while it has still to start.
    m_arrRowPercents[nIndex] = 0;
    m_arrPaces[nIndex] = PROGRESS_PACE{0, NOTHING_HELD, 0};
    m_arrLastInfoTicks[nIndex] = ::GetTickCount();
    m_arrDeviceEvents[nIndex] = new CEvent(FALSE, TRUE);
    m_arrFirstByteTicks[nIndex] = 0;
    m_arrRemainingSeconds[nIndex] = -1;

    auto* update = new CThread<CPropertyPageProgress>;
    auto* clock = new CThread<CPropertyPageProgress>;
    m_arrUpdateThreads.Add(update);
    m_arrClockThreads.Add(clock);
    if (!update->Start(this, &CPropertyPageProgress::ThreadUpdate, nIndex, THREAD_PRIORITY_NORMAL, TRUE))
    {
        // Without its worker the device fails at once, and its clock,
        // which waits for the end of the update, has nothing to wait for.
        m_arrDeviceEvents[nIndex]->SetEvent();
        m_list.SetItemText(row, COLUMN_STATUS, "ERROR Starting Update");
        OnProgress(static_cast<WPARAM>(nIndex), -1);
        return;
    }
    clock->Start(this, &CPropertyPageProgress::ThreadClock, nIndex, THREAD_PRIORITY_NORMAL, TRUE);
}

LRESULT CPropertyPageProgress::OnWizardBack()
{
    // Back is offered once every device has reported its end: the threads
    // only finish what they do after it.
    StopAll();
    // The discover page keeps Cancel; a finished pass had disabled it.
    EnableCancel(TRUE);
    return CPropertyPage::OnWizardBack();
}

void CPropertyPageProgress::OnReset()
{
    StopDevices();
    CPropertyPage::OnReset();
}

void CPropertyPageProgress::OnDestroy()
{
    // The workers write into the list and send to this window: they end
    // before either goes.
    StopDevices();
    CPropertyPage::OnDestroy();
}

void CPropertyPageProgress::StopDevices()
{
    if (m_pEngine)
        m_pEngine->RequestStop();
    StopAll();
}

void CPropertyPageProgress::StopAll()
{
    m_bStopping = TRUE;
    // Each wait handles the messages the workers send to the page and to
    // the list meanwhile, so a worker blocked in such a send goes on to end.
    while (m_arrUpdateThreads.GetSize() > 0)
    {
        CThread<CPropertyPageProgress>* thread = m_arrUpdateThreads[0];
        thread->WaitForEnd(INFINITE);
        delete thread;
        m_arrUpdateThreads.RemoveAt(0);
    }
    // A worker still at the start gate (its pass was cut short) goes on to
    // see the stop request.
    m_startGate.SetEvent();
    // Every worker has ended, and each set its device's event; one whose
    // worker never ran has its event set here, so that every clock ends.
    for (int i = 0; i < m_arrDeviceEvents.GetSize(); ++i)
    {
        if (m_arrDeviceEvents[i] != nullptr)
            m_arrDeviceEvents[i]->SetEvent();
    }
    while (m_arrClockThreads.GetSize() > 0)
    {
        CThread<CPropertyPageProgress>* thread = m_arrClockThreads[0];
        thread->WaitForEnd(INFINITE);
        delete thread;
        m_arrClockThreads.RemoveAt(0);
    }
    for (int i = 0; i < m_arrDeviceEvents.GetSize(); ++i)
        delete m_arrDeviceEvents[i];
    m_arrDeviceEvents.RemoveAll();
    m_arrRemainingSeconds.RemoveAll();
    m_arrFirstByteTicks.RemoveAll();
    m_arrLastInfoTicks.RemoveAll();
    m_arrPaces.RemoveAll();
    m_arrRowPercents.RemoveAll();
    // The texts the threads posted before they ended.
    ApplyQueuedRowTexts();
    m_bStopping = FALSE;
}

int CPropertyPageProgress::FindRow(int nIndex) const
{
    if (m_list.m_hWnd == nullptr)
        return -1;
    LVFINDINFO find = {};
    find.flags = LVFI_PARAM;
    find.lParam = static_cast<LPARAM>(nIndex);
    return m_list.FindItem(&find, -1);
}

LRESULT CPropertyPageProgress::OnProgress(WPARAM wParam, LPARAM lParam)
{
    const int index = static_cast<int>(wParam);
    const int percent = static_cast<int>(lParam);
    const int row = FindRow(index);
    if (row < 0 || index >= m_arrRowPercents.GetSize())
        return 0;
    // Kept by device, not by row: sorting the list moves the rows.
    if (m_arrRowPercents[index] == percent)
        return 0;
    m_arrRowPercents[index] = percent;
    if (percent > 0)
    {
        CString text;
        text.Format("%d%c", percent, '%');
        m_list.SetItemText(row, COLUMN_PROGRESS, text);
    }
    const int mean = MeanPercent(m_arrRowPercents);
    if (mean >= 100 && !m_bStopping)
    {
        if (CWnd* sheet = GetParent())
            sheet->PostMessage(PSM_SETWIZBUTTONS, 0, PSWIZB_BACK | PSWIZB_FINISH);
        EnableCancel(FALSE);
    }
    ShowMean(mean);
    return 0;
}

LRESULT CPropertyPageProgress::OnSetRowText(WPARAM wParam, LPARAM lParam)
{
    std::unique_ptr<ROW_TEXT> text(reinterpret_cast<ROW_TEXT*>(lParam));
    const int row = FindRow(static_cast<int>(wParam));
    if (row < 0 || !text)
        return 0;
    m_list.SetItemText(row, text->nColumn, text->strText);
    // The program's debug output follows each device's status (the
    // end-to-end tests read it).
    if (text->nColumn == COLUMN_STATUS)
    {
        CString line;
        line.Format("update status %s: %s\n", static_cast<LPCSTR>(m_list.GetItemText(row, COLUMN_IP)),
                    static_cast<LPCSTR>(text->strText));
        OutputDebugStringA(line);
    }
    return 0;
}

void CPropertyPageProgress::ApplyQueuedRowTexts()
{
    if (m_hWnd == nullptr)
        return;
    MSG msg;
    while (::PeekMessage(&msg, m_hWnd, MSG_SET_ROW_TEXT, MSG_SET_ROW_TEXT, PM_REMOVE))
        OnSetRowText(msg.wParam, msg.lParam);
}

void CPropertyPageProgress::ShowMean(int nPercent)
{
    // Most percents move one device and leave the mean as it was: nothing
    // to redraw then.
    if (nPercent == m_nShownMean)
        return;
    m_nShownMean = nPercent;
    if (CDrawingObjectProgress* gauge = m_progressWnd.GetProgress())
        gauge->SetPercent(nPercent, TRUE);
    CString text;
    text.Format("%d%c", nPercent, '%');
    SetDlgItemText(IDC_GLOBAL_PERCENT, text);
    text.Format("update mean %d\n", nPercent);
    OutputDebugStringA(text);
}

void CPropertyPageProgress::EnableCancel(BOOL bEnable)
{
    CWnd* sheet = GetParent();
    if (CWnd* cancel = sheet != nullptr ? sheet->GetDlgItem(IDCANCEL) : nullptr)
        cancel->EnableWindow(bEnable);
}

int CPropertyPageProgress::StatusColumnWidth(int nClientWidth)
{
    return std::max(nClientWidth - ScreenPixels(kStatusWidthTaken), ScreenPixels(kStatusWidthFloor));
}

int CPropertyPageProgress::MeanPercent(const CArray<int, int>& percents)
{
    int sum = 0;
    int counted = 0;
    int failed = 0;
    for (int i = 0; i < percents.GetSize(); ++i)
    {
        if (percents[i] >= 0)
        {
            sum += percents[i];
            ++counted;
        }
        else if (percents[i] == -1)
        {
            ++failed;
        }
    }
    if (counted > 0)
        return sum / counted;
    return failed > 0 ? 100 : 0;
}

CString CPropertyPageProgress::FormatAddress(const _TDevice& device)
{
    if (device.m_nUDPPort == STANDARD_DEVICE_PORT)
        return device.m_strIPAddress;
    CString text;
    text.Format("%s:%d", static_cast<LPCSTR>(device.m_strIPAddress), device.m_nUDPPort);
    return text;
}
