#include "platform/base/cstring.h"

#include "platform/base/exceptions.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <strings.h>

namespace {

std::atomic<PFN_STRING_TABLE_LOOKUP> g_stringTableLookup{nullptr};

int Sign(int v)
{
    return (v > 0) - (v < 0);
}

// Appends printf output of any length to out.
void AppendFormatted(std::string& out, LPCTSTR pszFormat, va_list args)
{
    if (!pszFormat)
        AfxThrowInvalidArgException();
    char small[256];
    va_list copy;
    va_copy(copy, args);
    int n = vsnprintf(small, sizeof small, pszFormat, copy);
    va_end(copy);
    if (n < 0)
        AfxThrowInvalidArgException();
    if (static_cast<size_t>(n) < sizeof small) {
        out.append(small, static_cast<size_t>(n));
        return;
    }
    size_t old = out.size();
    out.resize(old + static_cast<size_t>(n));
    // vsnprintf writes the terminator too; std::string keeps room for it.
    vsnprintf(out.data() + old, static_cast<size_t>(n) + 1, pszFormat, args);
}

bool IsWhite(char c)
{
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

}  // namespace

void SetStringTableLookup(PFN_STRING_TABLE_LOOKUP pfnLookup)
{
    g_stringTableLookup.store(pfnLookup);
}

CString& CString::operator=(LPCTSTR psz)
{
    // psz may point into this string.
    m_str = std::string(psz ? psz : "");
    return *this;
}

CString& CString::operator=(char ch)
{
    m_str.assign(1, ch);
    return *this;
}

char CString::GetAt(int nIndex) const
{
    // The terminator may be read, as the framework allows: scans that stop
    // at the zero index one past the text.
    if (nIndex < 0 || nIndex > GetLength())
        AfxThrowInvalidArgException();
    return m_str[static_cast<size_t>(nIndex)];
}

void CString::SetAt(int nIndex, char ch)
{
    if (nIndex < 0 || nIndex >= GetLength())
        AfxThrowInvalidArgException();
    m_str[static_cast<size_t>(nIndex)] = ch;
}

CString& CString::operator+=(const CString& s)
{
    m_str += s.m_str;
    return *this;
}

CString& CString::operator+=(LPCTSTR psz)
{
    if (psz)
        m_str += std::string(psz);
    return *this;
}

CString& CString::operator+=(char ch)
{
    m_str.push_back(ch);
    return *this;
}

void CString::Append(LPCTSTR psz, int nLength)
{
    if (psz && nLength > 0)
        m_str += std::string(psz, strnlen(psz, static_cast<size_t>(nLength)));
}

int CString::Compare(LPCTSTR psz) const
{
    return Sign(strcmp(m_str.c_str(), psz ? psz : ""));
}

int CString::CompareNoCase(LPCTSTR psz) const
{
    return Sign(strcasecmp(m_str.c_str(), psz ? psz : ""));
}

void CString::FormatV(LPCTSTR pszFormat, va_list args)
{
    std::string out;
    AppendFormatted(out, pszFormat, args);
    m_str.swap(out);
}

void CString::AppendFormatV(LPCTSTR pszFormat, va_list args)
{
    // An argument may be this string's own text: build aside first.
    std::string out;
    AppendFormatted(out, pszFormat, args);
    m_str += out;
}

void CString::FormatText(bool append, LPCTSTR pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    try {
        if (append)
            AppendFormatV(pszFormat, args);
        else
            FormatV(pszFormat, args);
    } catch (...) {
        va_end(args);
        throw;
    }
    va_end(args);
}

int CString::Find(char ch, int nStart) const
{
    if (nStart < 0 || nStart >= GetLength() || ch == '\0')
        return -1;
    size_t pos = m_str.find(ch, static_cast<size_t>(nStart));
    return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

int CString::Find(LPCTSTR pszSub, int nStart) const
{
    if (!pszSub || nStart < 0 || nStart > GetLength())
        return -1;
    // Like strstr: the text ends at its first NUL.
    const char* base = m_str.c_str();
    const char* hit = strstr(base + nStart, pszSub);
    return hit ? static_cast<int>(hit - base) : -1;
}

int CString::ReverseFind(char ch) const
{
    const char* base = m_str.c_str();
    const char* hit = strrchr(base, ch);
    return hit && ch != '\0' ? static_cast<int>(hit - base) : -1;
}

int CString::FindOneOf(LPCTSTR pszCharSet) const
{
    if (!pszCharSet)
        return -1;
    const char* base = m_str.c_str();
    const char* hit = strpbrk(base, pszCharSet);
    return hit ? static_cast<int>(hit - base) : -1;
}

CString CString::Mid(int nFirst) const
{
    return Mid(nFirst, GetLength());
}

CString CString::Mid(int nFirst, int nCount) const
{
    int len = GetLength();
    nFirst = std::clamp(nFirst, 0, len);
    nCount = std::clamp(nCount, 0, len - nFirst);
    CString r;
    r.m_str.assign(m_str, static_cast<size_t>(nFirst), static_cast<size_t>(nCount));
    return r;
}

CString CString::Left(int nCount) const
{
    return Mid(0, nCount);
}

CString CString::Right(int nCount) const
{
    int len = GetLength();
    nCount = std::clamp(nCount, 0, len);
    return Mid(len - nCount, nCount);
}

CString CString::SpanIncluding(LPCTSTR pszCharSet) const
{
    return Left(static_cast<int>(strspn(m_str.c_str(), pszCharSet ? pszCharSet : "")));
}

CString CString::SpanExcluding(LPCTSTR pszCharSet) const
{
    return Left(static_cast<int>(strcspn(m_str.c_str(), pszCharSet ? pszCharSet : "")));
}

CString CString::Tokenize(LPCTSTR pszTokens, int& iStart) const
{
    int len = GetLength();
    if (iStart >= 0 && iStart < len) {
        if (!pszTokens || !*pszTokens) {
            CString r = Mid(iStart);
            iStart = len + 1;
            return r;
        }
        const char* p = m_str.c_str() + iStart;
        int skip = static_cast<int>(strspn(p, pszTokens));
        if (iStart + skip < len) {
            int from = iStart + skip;
            int count = static_cast<int>(strcspn(p + skip, pszTokens));
            iStart = from + count + 1;
            return Mid(from, count);
        }
    }
    iStart = -1;
    return CString();
}

int CString::Replace(char chOld, char chNew)
{
    if (chOld == chNew)
        return 0;
    int count = 0;
    for (char& c : m_str) {
        if (c == chOld) {
            c = chNew;
            ++count;
        }
    }
    return count;
}

int CString::Replace(LPCTSTR pszOld, LPCTSTR pszNew)
{
    if (!pszOld || !*pszOld)
        return 0;
    // Either argument may point into this string.
    const std::string from(pszOld);
    const std::string to(pszNew ? pszNew : "");
    std::string out;
    int count = 0;
    size_t pos = 0;
    for (;;) {
        size_t hit = m_str.find(from, pos);
        if (hit == std::string::npos)
            break;
        out.append(m_str, pos, hit - pos);
        out += to;
        pos = hit + from.size();
        ++count;
    }
    if (count) {
        out.append(m_str, pos, std::string::npos);
        m_str.swap(out);
    }
    return count;
}

int CString::Remove(char ch)
{
    size_t before = m_str.size();
    m_str.erase(std::remove(m_str.begin(), m_str.end(), ch), m_str.end());
    return static_cast<int>(before - m_str.size());
}

int CString::Insert(int nIndex, char ch)
{
    nIndex = std::clamp(nIndex, 0, GetLength());
    m_str.insert(static_cast<size_t>(nIndex), 1, ch);
    return GetLength();
}

int CString::Insert(int nIndex, LPCTSTR psz)
{
    nIndex = std::clamp(nIndex, 0, GetLength());
    if (psz)
        m_str.insert(static_cast<size_t>(nIndex), std::string(psz));
    return GetLength();
}

int CString::Delete(int nIndex, int nCount)
{
    int len = GetLength();
    nIndex = std::max(nIndex, 0);
    if (nCount > 0 && nIndex < len) {
        nCount = std::min(nCount, len - nIndex);
        m_str.erase(static_cast<size_t>(nIndex), static_cast<size_t>(nCount));
    }
    return GetLength();
}

CString& CString::Trim()
{
    return TrimRight().TrimLeft();
}

CString& CString::Trim(char chTarget)
{
    return TrimRight(chTarget).TrimLeft(chTarget);
}

CString& CString::Trim(LPCTSTR pszTargets)
{
    return TrimRight(pszTargets).TrimLeft(pszTargets);
}

CString& CString::TrimLeft()
{
    auto it = std::find_if_not(m_str.begin(), m_str.end(), IsWhite);
    m_str.erase(m_str.begin(), it);
    return *this;
}

CString& CString::TrimLeft(char chTarget)
{
    m_str.erase(0, m_str.find_first_not_of(chTarget));
    return *this;
}

CString& CString::TrimLeft(LPCTSTR pszTargets)
{
    if (pszTargets && *pszTargets)
        m_str.erase(0, m_str.find_first_not_of(pszTargets));
    return *this;
}

CString& CString::TrimRight()
{
    auto it = std::find_if_not(m_str.rbegin(), m_str.rend(), IsWhite);
    m_str.erase(it.base(), m_str.end());
    return *this;
}

CString& CString::TrimRight(char chTarget)
{
    size_t keep = m_str.find_last_not_of(chTarget);
    m_str.erase(keep == std::string::npos ? 0 : keep + 1);
    return *this;
}

CString& CString::TrimRight(LPCTSTR pszTargets)
{
    if (pszTargets && *pszTargets) {
        size_t keep = m_str.find_last_not_of(pszTargets);
        m_str.erase(keep == std::string::npos ? 0 : keep + 1);
    }
    return *this;
}

CString& CString::MakeLower()
{
    for (char& c : m_str)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return *this;
}

CString& CString::MakeUpper()
{
    for (char& c : m_str)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return *this;
}

CString& CString::MakeReverse()
{
    std::reverse(m_str.begin(), m_str.end());
    return *this;
}

LPTSTR CString::GetBuffer(int nMinBufLength)
{
    if (nMinBufLength < 0)
        AfxThrowInvalidArgException();
    // The buffer keeps the current text; room past it reads as NULs.
    if (static_cast<size_t>(nMinBufLength) > m_str.size())
        m_str.resize(static_cast<size_t>(nMinBufLength), '\0');
    return m_str.data();
}

LPTSTR CString::GetBufferSetLength(int nNewLength)
{
    if (nNewLength < 0)
        AfxThrowInvalidArgException();
    m_str.resize(static_cast<size_t>(nNewLength), '\0');
    return m_str.data();
}

void CString::ReleaseBuffer(int nNewLength)
{
    if (nNewLength < 0)
        nNewLength = static_cast<int>(strnlen(m_str.c_str(), m_str.size()));
    if (static_cast<size_t>(nNewLength) > m_str.size())
        AfxThrowInvalidArgException();
    m_str.resize(static_cast<size_t>(nNewLength));
}

void CString::Preallocate(int nLength)
{
    if (nLength > 0)
        m_str.reserve(static_cast<size_t>(nLength));
}

BOOL CString::LoadString(UINT nID)
{
    PFN_STRING_TABLE_LOOKUP lookup = g_stringTableLookup.load();
    if (!lookup) {
        Empty();
        return FALSE;
    }
    // Grow the buffer until the entry fits with room to spare.
    std::string buf(256, '\0');
    for (;;) {
        int n = lookup(nullptr, nID, buf.data(), static_cast<int>(buf.size()));
        if (n <= 0) {
            Empty();
            return FALSE;
        }
        if (static_cast<size_t>(n) < buf.size() - 1 || buf.size() >= (1u << 20)) {
            buf.resize(std::min(static_cast<size_t>(n), buf.size() - 1));
            m_str.swap(buf);
            return TRUE;
        }
        buf.assign(buf.size() * 2, '\0');
    }
}

CString operator+(const CString& a, const CString& b)
{
    CString r(a);
    r += b;
    return r;
}

CString operator+(const CString& a, LPCTSTR b)
{
    CString r(a);
    r += b;
    return r;
}

CString operator+(LPCTSTR a, const CString& b)
{
    CString r(a);
    r += b;
    return r;
}

CString operator+(const CString& a, char b)
{
    CString r(a);
    r += b;
    return r;
}

CString operator+(char a, const CString& b)
{
    CString r(a);
    r += b;
    return r;
}

bool operator==(const CString& a, const CString& b) { return a.Compare(b) == 0; }
bool operator==(const CString& a, LPCTSTR b) { return a.Compare(b) == 0; }
bool operator==(LPCTSTR a, const CString& b) { return b.Compare(a) == 0; }
bool operator!=(const CString& a, const CString& b) { return a.Compare(b) != 0; }
bool operator!=(const CString& a, LPCTSTR b) { return a.Compare(b) != 0; }
bool operator!=(LPCTSTR a, const CString& b) { return b.Compare(a) != 0; }
bool operator<(const CString& a, const CString& b) { return a.Compare(b) < 0; }
bool operator<(const CString& a, LPCTSTR b) { return a.Compare(b) < 0; }
bool operator<(LPCTSTR a, const CString& b) { return b.Compare(a) > 0; }
bool operator>(const CString& a, const CString& b) { return a.Compare(b) > 0; }
bool operator>(const CString& a, LPCTSTR b) { return a.Compare(b) > 0; }
bool operator>(LPCTSTR a, const CString& b) { return b.Compare(a) < 0; }
bool operator<=(const CString& a, const CString& b) { return a.Compare(b) <= 0; }
bool operator<=(const CString& a, LPCTSTR b) { return a.Compare(b) <= 0; }
bool operator<=(LPCTSTR a, const CString& b) { return b.Compare(a) >= 0; }
bool operator>=(const CString& a, const CString& b) { return a.Compare(b) >= 0; }
bool operator>=(const CString& a, LPCTSTR b) { return a.Compare(b) >= 0; }
bool operator>=(LPCTSTR a, const CString& b) { return b.Compare(a) <= 0; }
