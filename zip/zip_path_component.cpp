#include "zip/zip_path_component.h"

#include <cctype>

const char* const CZipPathComponent::PathPrefixUnc = "\\\\?\\unc\\";
const char* const CZipPathComponent::PathPrefix = "\\\\?\\";

namespace
{

// True when szPath begins with lpszPrefix, case and separators aside.
bool StartsWithPrefix(const CString& szPath, LPCTSTR lpszPrefix)
{
    CString head = szPath.Left(CString(lpszPrefix).GetLength());
    head.Replace('/', '\\');
    return head.CompareNoCase(lpszPrefix) == 0;
}

// Length of the "host\share" part at the start of szRest.
int NetworkRootLength(const CString& szRest)
{
    int separators = 0;
    for (int i = 0; i < szRest.GetLength(); ++i)
    {
        if (CZipPathComponent::IsSeparator(szRest[i]) && ++separators == 2)
            return i;
    }
    return szRest.GetLength();
}

}  // namespace

void CZipPathComponent::AppendSeparator(CString& szPath)
{
    RemoveSeparators(szPath);
    szPath += m_cSeparator;
}

void CZipPathComponent::RemoveSeparators(CString& szPath)
{
    szPath.TrimRight("\\/");
}

void CZipPathComponent::RemoveSeparatorsLeft(CString& szPath)
{
    szPath.TrimLeft("\\/");
}

void CZipPathComponent::SetFullPath(LPCTSTR lpszFullPath)
{
    m_szPrefix.Empty();
    m_szDrive.Empty();
    CString szRest(lpszFullPath);
    int iFirstSeparator = szRest.FindOneOf("\\/");
    m_cPathSeparator = iFirstSeparator >= 0 ? szRest[iFirstSeparator] : m_cSeparator;
    bool bNetworkRoot = false;
    if (StartsWithPrefix(szRest, PathPrefixUnc))
    {
        m_szPrefix = szRest.Left(CString(PathPrefixUnc).GetLength());
        bNetworkRoot = true;
    }
    else if (StartsWithPrefix(szRest, PathPrefix))
    {
        m_szPrefix = szRest.Left(CString(PathPrefix).GetLength());
    }
    else if (szRest.GetLength() > 2 && IsSeparator(szRest[0]) && IsSeparator(szRest[1]) && !IsSeparator(szRest[2]))
    {
        m_szPrefix = szRest.Left(2);
        bNetworkRoot = true;
    }
    szRest = szRest.Mid(m_szPrefix.GetLength());

    if (bNetworkRoot)
        m_szDrive = szRest.Left(NetworkRootLength(szRest));
    else if (szRest.GetLength() >= 2 && szRest[1] == ':' && isalpha(static_cast<unsigned char>(szRest[0])))
        m_szDrive = szRest.Left(2);
    szRest = szRest.Mid(m_szDrive.GetLength());

    int iLastSeparator = -1;
    for (int i = 0; i < szRest.GetLength(); ++i)
    {
        if (IsSeparator(szRest[i]))
            iLastSeparator = i;
    }
    CString szName = szRest.Mid(iLastSeparator + 1);
    m_szDirectory = szRest.Left(iLastSeparator + 1);
    // The root keeps its separator; any other directory loses its last one.
    if (m_szDirectory.GetLength() > 1)
        RemoveSeparators(m_szDirectory);

    int iDot = szName.ReverseFind('.');
    if (iDot > 0)
    {
        m_szFileTitle = szName.Left(iDot);
        m_szFileExt = szName.Mid(iDot + 1);
    }
    else
    {
        m_szFileTitle = szName;
        m_szFileExt.Empty();
    }
}

void CZipPathComponent::SetExtension(LPCTSTR lpszExt)
{
    m_szFileExt = lpszExt;
    m_szFileExt.TrimLeft('.');
}

CString CZipPathComponent::GetFileName() const
{
    return m_szFileExt.IsEmpty() ? m_szFileTitle : m_szFileTitle + "." + m_szFileExt;
}

CString CZipPathComponent::GetNoDrive() const
{
    CString szPath = m_szDirectory;
    if (!szPath.IsEmpty() && !IsSeparator(szPath[szPath.GetLength() - 1]))
        szPath += m_cPathSeparator;
    return szPath + GetFileName();
}

CString CZipPathComponent::GetFullPath() const
{
    CString szDirectory = GetNoDrive();
    // A drive followed by a relative directory ("C:dir") keeps it relative;
    // a network root always needs the separator after it.
    if (!m_szDrive.IsEmpty() && m_szDrive[1] != ':' && !szDirectory.IsEmpty() && !IsSeparator(szDirectory[0]))
        return GetFileDrive() + m_cPathSeparator + szDirectory;
    return GetFileDrive() + szDirectory;
}
