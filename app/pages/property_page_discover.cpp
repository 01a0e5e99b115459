#include "app/pages/property_page_discover.h"

#include "app/registry_settings.h"
#include "app/wizard_ids.h"
#include "app/pages/wizard_page.h"
#include "app/wizard_state.h"
#include "common/base/address_helpers.h"
#include "common/discover/device_datagram.h"
#include "platform/base/process.h"

namespace
{

const char WARNING_TEXT[] = "WARNING!!!! All the FLASH contents will be erased. Please make a backup if needed "
                            "before continuing. \n\nDo you want to continue updating erasing FLASH contents?";

// A run's length in ms from a setting in seconds. A negative setting makes
// a run of one receive attempt, as 0 does, instead of one that would block
// the page for weeks; more than a day is a day (the milliseconds stay
// within their 32 bits).
DWORD RunLengthMs(LPCSTR name, int defaultSeconds)
{
    const int seconds = ReadRegistryInt(name, defaultSeconds);
    const int longest = 24 * 60 * 60;
    return static_cast<DWORD>(seconds < 0 ? 0 : (seconds > longest ? longest : seconds)) * 1000;
}

// The icons of the row images, in image order: not ticked, ticked, not
// reachable.
const UINT ROW_ICONS[] = {997, 998, 996};

} // namespace

BEGIN_MESSAGE_MAP(CPropertyPageDiscover, CPropertyPage)
    ON_WM_DESTROY()
    ON_MESSAGE(MSG_DEVICE_LIST_CHANGED, OnDeviceListChanged)
    ON_BN_CLICKED(IDC_REFRESH, OnRefresh)
    ON_BN_CLICKED(IDC_ADD_DEVICE, OnAddDevice)
    ON_BN_CLICKED(IDC_SELECT_ALL, OnSelectAll)
    ON_BN_CLICKED(IDC_SELECT_NONE, OnSelectNone)
    ON_NOTIFY(NM_CLICK, IDC_DEVICE_LIST, OnListClick)
    ON_NOTIFY(LVN_KEYDOWN, IDC_DEVICE_LIST, OnListKeyDown)
    ON_NOTIFY(NM_DBLCLK, IDC_DEVICE_LIST, OnListDblClk)
    ON_NOTIFY(LVN_ITEMCHANGED, IDC_DEVICE_LIST, OnItemChanged)
    ON_NOTIFY(LVN_ODSTATECHANGED, IDC_DEVICE_LIST, OnODStateChanged)
    ON_MESSAGE(MSG_DISCOVER_DEVICE_FOUND, OnDeviceFound)
    ON_MESSAGE(MSG_DISCOVER_DEVICE_VERSION, OnDeviceVersion)
    ON_MESSAGE(MSG_DISCOVER_DEVICE_SETTINGS, OnDeviceSettings)
    ON_MESSAGE(MSG_DISCOVER_END, OnDiscoverEnd)
END_MESSAGE_MAP()

CPropertyPageDiscover::CPropertyPageDiscover()
    : CPropertyPage(IDD_PROPPAGE_DISCOVER),
      m_pSheet(nullptr),
      m_listDevices(-1, 0, FALSE),
      m_nForceCompleteUpgrade(0),
      m_nRestoreDefaultConfig(0),
      m_labelSample(FALSE),
      m_labelLegend(FALSE),
      m_bListChangePending(FALSE)
{
    m_strHeaderTitle = "Select devices";
    m_strHeaderSubTitle = "Please select devices to update";
    m_psp.dwFlags |= PSP_USEHEADERTITLE | PSP_USEHEADERSUBTITLE;
}

CPropertyPageDiscover::~CPropertyPageDiscover() = default;

void CPropertyPageDiscover::DoDataExchange(CDataExchange* pDX)
{
    CPropertyPage::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_DEVICE_LIST, m_listDevices);
    DDX_Control(pDX, IDC_DEVICE_ADDRESSES, m_editAddresses);
    DDX_Control(pDX, IDC_LEGEND_SAMPLE, m_labelSample);
    DDX_Control(pDX, IDC_LEGEND_TEXT, m_labelLegend);
    DDX_Check(pDX, IDC_FORCE_COMPLETE, m_nForceCompleteUpgrade);
    DDX_Check(pDX, IDC_RESTORE_DEFAULTS, m_nRestoreDefaultConfig);
}

BOOL CPropertyPageDiscover::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    // The list files its column layout under its parent's window text.
    SetWindowText("PropertyPageDiscover");
    InitDeviceList();
    m_pSheet = dynamic_cast<CWizardState*>(GetParent());
    m_editAddresses.SetWindowText(ReadRegistryString("ListDeviceManualFlash"));
    m_labelSample.SetBkColor(UNREACHABLE_COLOUR);
    m_labelLegend.SetText("Devices discovered but not reachable (different subnet)");
    m_labelSample.ShowWindow(SW_HIDE);
    m_labelLegend.ShowWindow(SW_HIDE);
    return TRUE;
}

void CPropertyPageDiscover::InitDeviceList()
{
    m_listDevices.SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    struct Column
    {
        LPCSTR title;
        int width;
    };
    static const Column columns[] = {
        {"IP", 150}, {"Name", 150}, {"Type", 150}, {"Version", 100}, {"Line Status", 150},
    };
    int count = static_cast<int>(sizeof(columns) / sizeof(columns[0]));
    m_listDevices.RestoreSettings(&count);
    for (int i = 0; i < count; ++i)
    {
        m_listDevices.InsertColumn(i, columns[i].title, LVCFMT_CENTER, ScreenPixels(columns[i].width));
        m_listDevices.SetColumnSortType(i, static_cast<_eTipoOrdenacion>(2));
    }
    // Small icons, drawn for the screen's resolution.
    const int nIconSize = ::GetSystemMetrics(SM_CXSMICON);
    m_imageList.Create(nIconSize, nIconSize, ILC_COLOR32 | ILC_MASK, 3, 1);
    for (UINT icon : ROW_ICONS)
        m_imageList.Add(static_cast<HICON>(
            ::LoadImage(AfxGetInstanceHandle(), MAKEINTRESOURCE(icon), IMAGE_ICON, nIconSize, nIconSize, LR_SHARED)));
    m_listDevices.SetImageList(&m_imageList, LVSIL_SMALL);
}

BOOL CPropertyPageDiscover::OnSetActive()
{
    ShowWizardPage(*this, PSWIZB_BACK | PSWIZB_NEXT, "Discover");
    StartDiscovery();
    const int show = m_pSheet != nullptr && (m_pSheet->m_nFamily == 4 || m_pSheet->m_nFamily == 5) ? SW_SHOW : SW_HIDE;
    for (int id : {IDC_FORCE_COMPLETE, IDC_RESTORE_DEFAULTS, IDC_ADVANCED_OPTIONS})
        GetDlgItem(id)->ShowWindow(show);
    return CPropertyPage::OnSetActive();
}

void CPropertyPageDiscover::OnDestroy()
{
    // A run still going (the page goes while it waits) is ended first, so
    // that nothing more is posted; then what was posted is freed.
    while (m_discover.m_discoverers.GetSize() > 0)
        m_discover.Remove(m_discover.m_discoverers[m_discover.m_discoverers.GetSize() - 1]);
    FreeQueuedDiscoveryMessages();
    CPropertyPage::OnDestroy();
}

void CPropertyPageDiscover::StartDiscovery()
{
    CWaitCursor wait;
    m_listDevices.DeleteAllItems();
    const DWORD timeout = RunLengthMs("DiscoverDevicesTimeout", 2);
    m_rowFlags.RemoveAll();
    if (m_pSheet != nullptr)
        m_pSheet->DeleteDevices();
    RunDiscovery("", timeout, 0);
}

void CPropertyPageDiscover::RunDiscovery(const CString& strAddresses, DWORD dwTimeoutMs, int nClassItem)
{
    CWaitCursor wait;
    m_discover.m_hWndOwner = m_hWnd;
    m_discover.Start(0, 0, 1, 1, "", 1, strAddresses, dwTimeoutMs, 0, DISCOVER_DEVICE_PORT, nullptr, nullptr,
                     nClassItem);
    m_discover.WaitEnd();
    CString line;
    line.Format("discovery run ended with %d devices\n", m_pSheet != nullptr ? m_pSheet->m_devices.GetSize() : 0);
    OutputDebugStringA(line);
}

void CPropertyPageDiscover::OnRefresh()
{
    m_typedAddresses.RemoveAll();
    FillDeviceList();
    StartDiscovery();
}

void CPropertyPageDiscover::OnAddDevice()
{
    CString text;
    m_editAddresses.GetWindowText(text);
    m_typedAddresses.RemoveAll();
    // The devices are asked at the addresses as checked and rewritten
    // (blanks trimmed, "010" read as ten, not as an octal eight); the text
    // is stored as the user typed it.
    CString addresses;
    const CString list = text + ";";
    for (int at = 0, next; (next = list.Find(';', at)) >= 0; at = next + 1)
    {
        CString piece = list.Mid(at, next - at);
        if (piece.IsEmpty())
            continue;
        const CString typed = piece;
        int dotted = 0;
        int port = 0;
        if (!ParseDeviceAddress(piece, dotted, nullptr, &port))
        {
            CString message;
            message.Format("Invalid Device Address %s!", static_cast<LPCSTR>(typed));
            AfxMessageBox(message);
            m_typedAddresses.RemoveAll();
            return;
        }
        addresses += piece + ";";
        // A dotted address names the device by its pair; a host name stays
        // as it was typed (rewritten), and no found device has it.
        if (dotted)
        {
            CString host;
            int ignored = 0;
            SplitHostPort(piece, host, ignored);
            piece = DeviceAddressText(host, port > 0 ? port : DISCOVER_DEVICE_PORT);
        }
        m_typedAddresses.AddTail(piece);
    }
    const DWORD timeout = RunLengthMs("DiscoverManualDevicesTimeout", 5);
    RunDiscovery(addresses, timeout, m_pSheet != nullptr ? m_pSheet->m_nFamily : 0);
    WriteRegistryString(text, "ListDeviceManualFlash");
}

void CPropertyPageDiscover::SaveManualList()
{
    CString text;
    m_editAddresses.GetWindowText(text);
    WriteRegistryString(text, "ListDeviceManualFlash");
}

LRESULT CPropertyPageDiscover::OnWizardBack()
{
    SaveManualList();
    return 0;
}

LRESULT CPropertyPageDiscover::OnWizardNext()
{
    SaveManualList();
    // Every record is set, also unticked ones: a device unticked after a
    // cancelled warning must not be updated.
    BOOL anyTicked = FALSE;
    for (int row = m_listDevices.GetItemCount() - 1; row >= 0; --row)
    {
        const BOOL ticked = GetRowImage(row) == ROW_IMAGE_TICKED;
        if (_TDevice* device = RowDevice(row))
            device->m_nSelected = ticked ? 1 : 0;
        anyTicked = anyTicked || ticked;
    }
    if (!anyTicked)
    {
        AfxMessageBox("Please select at least one device to continue");
        return -1;
    }
    if (AfxMessageBox(WARNING_TEXT, MB_OKCANCEL | MB_ICONEXCLAMATION) != IDOK)
        return -1;
    UpdateData(TRUE);
    if (m_pSheet != nullptr)
    {
        m_pSheet->m_nForceCompleteUpgrade = m_nForceCompleteUpgrade;
        m_pSheet->m_nRestoreDefaultConfig = m_nRestoreDefaultConfig;
        for (int i = 0; i < m_pSheet->m_devices.GetSize(); ++i)
        {
            const _TDevice* device = m_pSheet->m_devices[i];
            if (device->m_nSelected)
            {
                CString line;
                line.Format("device to update: %s\n",
                            static_cast<LPCSTR>(DeviceAddressText(device->m_strIPAddress, device->m_nUDPPort)));
                OutputDebugStringA(line);
            }
        }
    }
    return CPropertyPage::OnWizardNext();
}
