#include "app/zelo_property_sheet.h"

#include <vector>

#include "app/pages/property_page_discover.h"
#include "app/pages/property_page_progress.h"
#include "app/pages/property_page_select_file.h"
#include "app/pages/wizard_page.h"
#include "platform/base/process.h"
#include "platform/base/version_info.h"

const RECT CZeloPropertySheet::TEST_MODE_AREA = {721, 9, 750, 36};

BEGIN_MESSAGE_MAP(CZeloPropertySheet, CPropertySheet)
    ON_WM_SHOWWINDOW()
    ON_WM_LBUTTONDBLCLK()
END_MESSAGE_MAP()

CZeloPropertySheet::CZeloPropertySheet(LPCSTR pszCaption, CWnd* pParentWnd, UINT iSelectPage)
    : CPropertySheet(pszCaption, pParentWnd, iSelectPage)
{
    m_arrPages.Add(new CPropertyPageSelectFile());
    m_arrPages.Add(new CPropertyPageDiscover());
    m_arrPages.Add(new CPropertyPageProgress());
    for (int i = 0; i < m_arrPages.GetSize(); ++i)
        AddPage(m_arrPages[i]);

    m_psh.dwFlags |= PSH_WIZARD;
    m_psh.dwFlags |= PSH_WIZARD97 | PSH_HEADER | PSH_WATERMARK;
    m_psh.pszbmWatermark = MAKEINTRESOURCE(IDB_WIZARD_SIDE);
    m_psh.pszbmHeader = MAKEINTRESOURCE(IDB_WIZARD_HEADER);
    m_psh.hInstance = AfxGetInstanceHandle();
}

CZeloPropertySheet::~CZeloPropertySheet()
{
    for (int i = 0; i < m_arrPages.GetSize(); ++i)
        RemovePage(m_arrPages[i]);
    while (m_arrPages.GetSize() > 0)
    {
        CPropertyPage* page = m_arrPages[0];
        m_arrPages.RemoveAt(0);
        delete page;
    }
    DeleteDevices();
}

void CZeloPropertySheet::OnShowWindow(BOOL bShow, UINT nStatus)
{
    HICON icon = ::LoadIcon(AfxGetInstanceHandle(), MAKEINTRESOURCE(IDR_MAINFRAME));
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    CPropertySheet::OnShowWindow(bShow, nStatus);
    CString title;
    title.Format("BriselTrelwin v%s", static_cast<LPCSTR>(GetFileVersionString()));
    SetTitle(title);
}

void CZeloPropertySheet::OnLButtonDblClk(UINT nFlags, CPoint point)
{
    // The area lies on the header's picture, which grows with the screen's resolution.
    const RECT area = {ScreenPixels(TEST_MODE_AREA.left), ScreenPixels(TEST_MODE_AREA.top),
                       ScreenPixels(TEST_MODE_AREA.right), ScreenPixels(TEST_MODE_AREA.bottom)};
    const BOOL inArea = ::PtInRect(&area, point);
    const BOOL keys = ::GetKeyState(VK_CONTROL) < 0 && ::GetKeyState(VK_MENU) < 0 && ::GetKeyState(VK_SHIFT) < 0;
    if (inArea && keys)
        m_nTestMode = 1;
    CPropertySheet::OnLButtonDblClk(nFlags, point);
}

CString CZeloPropertySheet::GetFileVersionString()
{
    // The path may be longer than any fixed buffer: grow until it fits.
    std::vector<char> path(256);
    for (;;)
    {
        const DWORD length = ::GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            return CString();
        if (length < path.size())
            break;
        path.resize(path.size() * 2);
    }
    DWORD handle = 0;
    const DWORD size = ::GetFileVersionInfoSizeA(path.data(), &handle);
    if (size == 0)
        return CString();
    std::vector<BYTE> block(size);
    if (!::GetFileVersionInfoA(path.data(), handle, size, block.data()))
        return CString();
    VS_FIXEDFILEINFO* info = nullptr;
    UINT infoLength = 0;
    if (!::VerQueryValueA(block.data(), "\\", reinterpret_cast<LPVOID*>(&info), &infoLength) || info == nullptr)
        return CString();
    CString version;
    version.Format("%d.%d.%d", HIWORD(info->dwFileVersionMS), LOWORD(info->dwFileVersionMS),
                   HIWORD(info->dwFileVersionLS));
    return version;
}
