// The program's sheet opened on its progress page with devices given as
// records, for the page's tests and benchmarks: steps that wait, and the
// page's texts, buttons and gauge read back through their windows.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/device_record.h"
#include "app/pages/property_page_progress.h"
#include "app/wizard_ids.h"
#include "app/zelo_property_sheet.h"
#include "platform/user/painting.h"
#include "tests/app/wizard_script.h"

namespace progress_test
{

const int kProgressPage = 2;

// A step that holds the script until the condition holds (at most the
// ticks of 20 ms).
inline std::function<void()> Until(std::function<bool()> done, int ticks = 1500)
{
    auto left = std::make_shared<int>(ticks);
    return [done, left] {
        if (!done() && --*left > 0)
            --wizard_test::Script().next;
    };
}


// Handles the messages that other threads send to this one, nothing else
// (the script's timer stays queued).
inline void HandleSentMessages()
{
    MSG msg;
    ::PeekMessageA(&msg, nullptr, WM_APP + 0x3FFF, WM_APP + 0x3FFF, PM_NOREMOVE);
}


// The program's sheet, opened on the progress page with the devices given
// as ticked (or not) records of a family-2 package, which goes whole to
// every device.
class CProgressSheet
{
public:
    CProgressSheet(const std::string& packagePath) : sheet("", nullptr, kProgressPage)
    {
        sheet.m_strPackagePath = packagePath.c_str();
        sheet.m_nFamily = 2;
    }
    void AddDevice(const std::string& address, int port, const char* name, bool ticked)
    {
        auto* device = new _TDevice;
        device->m_strIPAddress = address.c_str();
        device->m_nUDPPort = port;
        device->m_strName = name;
        device->m_nSelected = ticked ? 1 : 0;
        sheet.m_devices.Add(device);
    }
    INT_PTR Run(std::vector<std::function<void()>> steps)
    {
        wizard_test::RunSteps(std::move(steps));
        const INT_PTR result = sheet.DoModal();
        wizard_test::StopSteps();
        return result;
    }

    CPropertyPage* Page() { return sheet.GetPage(kProgressPage); }
    HWND List() { return ::GetDlgItem(Page()->m_hWnd, IDC_DEVICE_LIST); }
    bool Enabled(int id) { return ::IsWindowEnabled(::GetDlgItem(sheet.m_hWnd, id)) != FALSE; }
    std::string Label() { return wizard_test::WindowText(::GetDlgItem(Page()->m_hWnd, IDC_GLOBAL_PERCENT)); }
    int Rows() { return static_cast<int>(::SendMessageA(List(), LVM_GETITEMCOUNT, 0, 0)); }
    std::string Cell(int row, int column)
    {
        char text[256] = {};
        LVITEMA item{};
        item.iSubItem = column;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        ::SendMessageA(List(), LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
        return text;
    }
    std::vector<std::string> Column(int column)
    {
        std::vector<std::string> texts;
        for (int row = 0; row < Rows(); ++row)
            texts.push_back(Cell(row, column));
        return texts;
    }
    bool AllRows(int column, const std::function<bool(const std::string&)>& test)
    {
        for (const std::string& text : Column(column))
        {
            if (!test(text))
                return false;
        }
        return Rows() > 0;
    }
    void SetCell(int row, int column, const char* text)
    {
        LVITEMA item{};
        item.iSubItem = column;
        item.pszText = const_cast<char*>(text);
        ::SendMessageA(List(), LVM_SETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    }
    void SendProgress(int device, int percent)
    {
        ::SendMessageA(Page()->m_hWnd, MSG_UPDATE_PROGRESS, static_cast<WPARAM>(device), percent);
    }
    // How many leading columns of the gauge show the full picture.
    int GaugeFill()
    {
        HWND gauge = ::GetDlgItem(Page()->m_hWnd, 13);
        CBitmap full, empty;
        full.LoadBitmap(137);
        empty.LoadBitmap(136);
        CDC dc;
        dc.CreateCompatibleDC(nullptr);
        RECT client{};
        ::GetClientRect(gauge, &client);
        int filled = 0;
        for (int x = 0; x < client.right; ++x)
        {
            const int y = 10;
            CBitmap* old = dc.SelectObject(&full);
            const COLORREF fullPixel = dc.GetPixel(x, y);
            dc.SelectObject(&empty);
            const COLORREF emptyPixel = dc.GetPixel(x, y);
            dc.SelectObject(old);
            const COLORREF shown = trelwin::user::GetClientPixel(gauge, x, y);
            if (shown == fullPixel && fullPixel != emptyPixel)
                filled = x + 1;
        }
        return filled;
    }

    CZeloPropertySheet sheet;
};


} // namespace progress_test
