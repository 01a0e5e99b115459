// The version gates of the update procedure: boot loader first, same or
// cross generation.
#include "app/update/update_engine.h"

#include <cstdlib>

namespace
{

const char kBiosGeneration1[] = "5.4.0";
const char kBiosGeneration2[] = "6.3.0";
const char kSectionGeneration[] = "6.7.7";

CString WithoutDots(CString text)
{
    text.Remove('.');
    return text;
}

int LeadingNumber(const CString& text)
{
    return std::atoi(text);
}

} // namespace

CString CUpdateEngine::GetPackageVersionText() const
{
    CString text = m_sheet.m_strPackagePath;
    const int v = text.ReverseFind('v');
    if (v >= 0)
        text = text.Mid(v + 1);
    const int dot = text.ReverseFind('.');
    return dot >= 0 ? text.Left(dot) : CString();
}

void CUpdateEngine::ParseVersionText(const CString& strVersion, int& nValue, int& bValid)
{
    const int dot = strVersion.Find('.');
    const int length = strVersion.GetLength();
    if (dot < length - 2)
    {
        nValue = LeadingNumber(WithoutDots(strVersion).Left(3));
        bValid = 1;
    }
    else if (length > 0 && strVersion[0] != '0')
    {
        nValue = LeadingNumber(WithoutDots(strVersion).Right(3));
        bValid = 1;
    }
    else
    {
        nValue = LeadingNumber(WithoutDots(strVersion));
        bValid = 0;
    }
}

int CUpdateEngine::VersionToInt(const CString& strVersion)
{
    int value = 0;
    int valid = 0;
    ParseVersionText(strVersion, value, valid);
    return value;
}

int CUpdateEngine::NeedBiosUpdate(int nIndex, WORD& wResourceId)
{
    const _TDevice* device = m_sheet.GetDevice(nIndex);
    if (m_sheet.m_nFamily != 1 || device == nullptr)
        return 0;
    int deviceNumber = 0;
    int deviceFlag = 0;
    if (device->m_strVersion.GetLength() > 4)
    {
        const CString digits = WithoutDots(device->m_strVersion);
        deviceNumber = LeadingNumber(digits.Right(3));
        deviceFlag = !digits.IsEmpty() && digits[0] != '0' ? 1 : 0;
    }
    const int packageNumber = LeadingNumber(WithoutDots(GetPackageVersionText()).Left(3));
    const int first = LeadingNumber(WithoutDots(kBiosGeneration1));
    const int second = LeadingNumber(WithoutDots(kBiosGeneration2));
    const bool needed = (packageNumber >= first && deviceNumber < first) ||
                        (packageNumber >= second &&
                         (deviceNumber < second || (deviceNumber == second && deviceFlag == 1)));
    if (!needed)
        return 0;
    wResourceId = UPDATE_BIOS_RESOURCE_ID;
    return 1;
}

int CUpdateEngine::IsSameGeneration(int nIndex)
{
    const _TDevice* device = m_sheet.GetDevice(nIndex);
    switch (m_sheet.m_nFamily)
    {
    case 4:
    case 5:
        return 1;
    case 1:
        return device != nullptr && VersionToInt(GetPackageVersionText()) >= VersionToInt(kSectionGeneration) &&
                       VersionToInt(device->m_strVersion) >= VersionToInt(kSectionGeneration)
                   ? 1
                   : 0;
    default:
        return 0;
    }
}

int CUpdateEngine::IsCrossGeneration(int nIndex, CString& strIdText)
{
    const _TDevice* device = m_sheet.GetDevice(nIndex);
    if (m_sheet.m_nFamily != 1 || device == nullptr)
        return 0;
    const int package = VersionToInt(GetPackageVersionText());
    const int current = VersionToInt(device->m_strVersion);
    const int limit = VersionToInt(kSectionGeneration);
    if (package >= limit && current < limit)
    {
        strIdText = device->m_strVersion;
        strIdText.Replace('.', '_');
        return 1;
    }
    if (package < limit && current >= limit)
    {
        strIdText = "xxxxxx";
        return 1;
    }
    return 0;
}
