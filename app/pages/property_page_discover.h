// CPropertyPageDiscover: the wizard's second page (dialog 104). Each time it
// is shown it searches every local network for devices that fit the package
// of the first page and lists them with their type, name, version and line
// status; the user adds devices by address, ticks the devices to update and
// chooses two options. On Next the ticked devices are marked selected in the
// sheet's records and the options are set there, for the progress page.
//
// A row's image is its tick: not ticked, ticked, or not reachable (the
// device answered the search but neither its version nor its settings came;
// such a row is red and cannot be ticked). A device is its (IP, port) pair
// everywhere on the page: the ticks and the typed addresses are kept as the
// pair's address text (DeviceAddressText).
//
// The page's source files: property_page_discover.cpp (the page, its runs
// and its buttons), discover_page_devices.cpp (the discovery messages and
// the list) and discover_page_ticks.cpp (ticking).
#pragma once

#include "common/discover/multi_discover.h"
#include "controls/label/label.h"
#include "controls/listctrl/brisel_list_ctrl.h"
#include "platform/afx/afx.h"
#include "platform/base/string_list.h"

class CWizardState;
struct _TDevice;

// Posted by the page to itself when its device records changed; the list is
// refilled when it arrives. Of the application's own range: a dialog's
// WM_USER + 1 is the dialog manager's default-button message.
enum : UINT
{
    MSG_DEVICE_LIST_CHANGED = WM_APP + 1,
};

class CPropertyPageDiscover : public CPropertyPage
{
public:
    // Row images, in the order of the image list.
    enum
    {
        ROW_IMAGE_UNTICKED = 0,
        ROW_IMAGE_TICKED = 1,
        ROW_IMAGE_UNREACHABLE = 2,
    };

    // Background of the rows of devices that are not reachable, and of the
    // legend's sample.
    static constexpr COLORREF UNREACHABLE_COLOUR = RGB(248, 18, 18);

    CPropertyPageDiscover();
    ~CPropertyPageDiscover() override;

    BOOL OnSetActive() override;
    LRESULT OnWizardBack() override;
    LRESULT OnWizardNext() override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;

    afx_msg void OnDestroy();
    afx_msg LRESULT OnDeviceListChanged(WPARAM wParam, LPARAM lParam);
    afx_msg void OnRefresh();
    afx_msg void OnAddDevice();
    afx_msg void OnSelectAll();
    afx_msg void OnSelectNone();
    afx_msg void OnListClick(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnListKeyDown(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnListDblClk(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnItemChanged(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnODStateChanged(NMHDR* pNMHDR, LRESULT* pResult);
    // The discovery messages; each frees what its message carries.
    afx_msg LRESULT OnDeviceFound(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnDeviceVersion(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnDeviceSettings(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnDiscoverEnd(WPARAM wParam, LPARAM lParam);

    DECLARE_MESSAGE_MAP()

private:
    void InitDeviceList();
    // A new run on every interface: the records of the last run go first.
    // Blocks the page's thread for the run, handling only its messages.
    void StartDiscovery();
    // Runs the discovery (per interface when strAddresses is empty) for
    // nTimeoutMs and waits for its end, with the wait cursor.
    void RunDiscovery(const CString& strAddresses, DWORD dwTimeoutMs, int nClassItem);
    void SaveManualList();
    // Posts MSG_DEVICE_LIST_CHANGED unless one is already waiting: the list
    // is refilled once for all the changes of a run.
    void PostDeviceListChanged();
    void FillDeviceList();
    // The record of a row (its item data); null for a row that has none.
    _TDevice* RowDevice(int nRow) const;
    int GetRowImage(int nRow) const;
    void SetRowImage(int nRow, int nImage);
    // The sheet's record of the device, null when it has none.
    _TDevice* FindDevice(const CString& strIP, int nPort) const;

    void SetAllChecks(int nImage);
    void UpdateCheckedAddresses();
    // FALSE with Ctrl or Shift held or the mouse captured; else whether the
    // cursor is on the row's image.
    BOOL IsCursorOnRowImage(int nRow) const;
    // The row whose image the cursor is on (IsCursorOnRowImage), -1 for none.
    int RowImageUnderCursor() const;
    void ToggleChecks();
    void SetRowFlag(int nRow, int nValue);
    // Takes the discovery messages still queued for the page out of the
    // queue and frees what they carry (the page is going).
    void FreeQueuedDiscoveryMessages();

    CWizardState* m_pSheet;
    CEdit m_editAddresses;
    CBriselListCtrl m_listDevices;
    CImageList m_imageList;
    // One entry per row: 1 while the row is selected in the list.
    CArray<int> m_rowFlags;
    CBriselMultiDiscover m_discover;
    // Address texts of the ticked devices; they survive a refill.
    CStringList m_checkedAddresses;
    // Address texts of the devices the last "Add Device" asked for: they
    // are ticked when found.
    CStringList m_typedAddresses;
    int m_nForceCompleteUpgrade;
    int m_nRestoreDefaultConfig;
    CLabel m_labelSample;
    CLabel m_labelLegend;
    // A MSG_DEVICE_LIST_CHANGED is waiting in the queue.
    BOOL m_bListChangePending;
};
