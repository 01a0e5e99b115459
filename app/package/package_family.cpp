#include "app/package/package_family.h"

#include "common/discover/device_types.h"

namespace
{

// The file name the keywords are looked for in: trimmed, lower-cased and cut
// after the last folder separator of either kind, so that a folder named
// like a keyword does not choose the family.
CString KeywordName(const CString& strPath)
{
    CString name = strPath;
    name.Trim();
    name.MakeLower();
    const int slash = name.ReverseFind('/');
    const int backslash = name.ReverseFind('\\');
    const int cut = slash > backslash ? slash : backslash;
    return cut >= 0 ? name.Mid(cut + 1) : name;
}

BOOL Has(const CString& name, LPCSTR keyword)
{
    return name.Find(keyword) >= 0;
}

// The single-type keywords, tested in this order; a later match overwrites
// what an earlier one set.
void ApplyTypeKeywords(CWizardState& sheet, const CString& name)
{
    struct Keyword
    {
        LPCSTR word;
        int family;
        int type;
    };
    static const Keyword keywords[] = {
        {"veltranoxlc", 1, 12}, {"oskaline", 1, 6}, {"olphen", 1, 7},
    };
    if (Has(name, "veltranox"))
    {
        sheet.m_nFamily = 1;
        sheet.m_nExpectedDeviceType = Has(name, "decoder") ? 5 : 2;
    }
    for (const Keyword& k : keywords)
    {
        if (Has(name, k.word))
        {
            sheet.m_nFamily = k.family;
            sheet.m_nExpectedDeviceType = k.type;
        }
    }
    if (Has(name, "tandrel"))
    {
        sheet.m_nFamily = 1;
        sheet.m_nExpectedDeviceType = Has(name, "decoder") ? 9 : 8;
    }
    if (Has(name, "tandrellc"))
    {
        sheet.m_nFamily = 1;
        sheet.m_nExpectedDeviceType = 13;
    }
    if (Has(name, "tandrmax"))
    {
        sheet.m_nFamily = 1;
        sheet.m_nExpectedDeviceType = 10;
    }
    if (Has(name, "drovemantle"))
    {
        sheet.m_nFamily = 1;
        sheet.m_nExpectedDeviceType = 11;
    }
    if (Has(name, "ktressel"))
    {
        sheet.m_nFamily = 2;
        if (Has(name, "encoder"))
            sheet.m_nExpectedDeviceType = 4;
        if (Has(name, "output"))
            sheet.m_nExpectedDeviceType = 3;
    }
    if (Has(name, "lantest"))
        sheet.m_nTestMode = 1;
    if (Has(name, "veltranox2"))
    {
        sheet.m_nFamily = 5;
        sheet.m_nExpectedDeviceType = 25;
    }
}

void ApplyFamilyKeywords(CWizardState& sheet, const CString& name)
{
    const BOOL veltranoxFamily = Has(name, "veltranoxfamily");
    const BOOL tandrelFamily = Has(name, "tandrelfamily");
    const BOOL obrelonFamily = Has(name, "obrelonfamily");
    const BOOL obrelonOstFamily = Has(name, "obrelonostfamily");
    if (veltranoxFamily || tandrelFamily)
    {
        sheet.m_nFamily = 1;
        sheet.m_nFamilyPackage = 1;
        sheet.m_nSubFamily = veltranoxFamily;
        sheet.m_nExpectedDeviceType = -1;
    }
    else if (!obrelonFamily && !obrelonOstFamily)
    {
        sheet.m_nFamilyPackage = 0;
        sheet.m_nSubFamily = 0;
    }
    else
    {
        sheet.m_nFamily = 4;
        sheet.m_nFamilyPackage = 1;
        sheet.m_nSubFamily = obrelonFamily;
        sheet.m_nExpectedDeviceType = -1;
    }
}

}  // namespace

int ChoosePackageFamily(CWizardState& sheet, const CString& strPath, int typeId)
{
    const CString name = KeywordName(strPath);
    sheet.m_nFamily = 0;
    sheet.m_nExpectedDeviceType = -1;
    // A package that carries its type is always a family package with the
    // sub-family flag set, and never limited to one type.
    sheet.m_nFamily = GetDeviceClass(GetDeviceGroup(typeId));
    sheet.m_nFamilyPackage = sheet.m_nSubFamily = typeId != -1 ? 1 : 0;
    sheet.m_nExpectedDeviceType = -1;
    if (sheet.m_nFamily == 0)
    {
        ApplyTypeKeywords(sheet, name);
        ApplyFamilyKeywords(sheet, name);
    }
    return sheet.m_nFamily;
}
