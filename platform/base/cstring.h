// CString: the framework's 8-bit string, a value type. Copies are deep, so
// two threads may each copy and change their own strings freely.
#pragma once

#include "platform/base/win_types.h"

#include <bit>
#include <cstdarg>
#include <string>
#include <type_traits>
#include <utility>

class CString;

namespace trelwin_detail {
// Whole numbers narrower than a long travel as a long. The program's formats
// were written where long is 32 bits, so "%ld" and "%lu" come with a LONG or
// a DWORD; here they read a whole 64-bit long. Widened, such a value reads
// right with "%ld" and "%lu", and still with "%d", "%u", "%x" or "%c", which
// take the low half of the same little-endian argument slot.
template <typename V>
inline auto WidenedInteger(V value)
{
    static_assert(sizeof(long) == 8 && std::endian::native == std::endian::little,
                  "widened format arguments rely on 64-bit little-endian argument slots");
    if constexpr (std::is_signed_v<V>)
        return static_cast<long>(value);
    else
        return static_cast<unsigned long>(value);
}

// Arguments of CString::Format go through printf's variadic list; a CString
// given for %s is passed on as its text.
template <typename T>
inline decltype(auto) FormatArg(T&& value)
{
    using V = std::remove_cvref_t<T>;
    if constexpr (std::is_same_v<V, CString>) {
        return static_cast<LPCTSTR>(value);
    } else if constexpr (std::is_integral_v<V> && sizeof(V) < sizeof(long)) {
        return WidenedInteger(value);
    } else if constexpr (std::is_enum_v<V> && sizeof(V) < sizeof(long)) {
        return WidenedInteger(static_cast<std::underlying_type_t<V>>(value));
    } else {
        // Any other class would reach printf as the address of a copy and
        // print garbage; the compiler does not warn about that on its own.
        static_assert(std::is_trivially_copyable_v<V>, "CString::Format takes numbers, pointers and CStrings only");
        return std::forward<T>(value);
    }
}
}  // namespace trelwin_detail

class CString {
public:
    CString() = default;
    CString(const CString&) = default;
    CString(CString&&) noexcept = default;
    CString(LPCTSTR psz) : m_str(psz ? psz : "") {}
    CString(LPCTSTR pch, int nLength) : m_str(pch ? pch : "", pch && nLength > 0 ? static_cast<size_t>(nLength) : 0) {}
    explicit CString(char ch, int nRepeat = 1) : m_str(nRepeat > 0 ? static_cast<size_t>(nRepeat) : 0, ch) {}

    CString& operator=(const CString&) = default;
    CString& operator=(CString&&) noexcept = default;
    CString& operator=(LPCTSTR psz);
    CString& operator=(char ch);

    int GetLength() const { return static_cast<int>(m_str.size()); }
    BOOL IsEmpty() const { return m_str.empty(); }
    void Empty() { m_str.clear(); }

    // Index errors raise CInvalidArgException*, as the framework does;
    // GetAt and [] may read the terminator at GetLength().
    char GetAt(int nIndex) const;
    void SetAt(int nIndex, char ch);
    char operator[](int nIndex) const { return GetAt(nIndex); }
    operator LPCTSTR() const { return m_str.c_str(); }
    LPCTSTR GetString() const { return m_str.c_str(); }

    CString& operator+=(const CString& s);
    CString& operator+=(LPCTSTR psz);
    CString& operator+=(char ch);
    void Append(LPCTSTR psz) { *this += psz; }
    void Append(LPCTSTR psz, int nLength);
    void AppendChar(char ch) { m_str.push_back(ch); }

    int Compare(LPCTSTR psz) const;
    int CompareNoCase(LPCTSTR psz) const;
    int Collate(LPCTSTR psz) const { return Compare(psz); }
    int CollateNoCase(LPCTSTR psz) const { return CompareNoCase(psz); }

    // printf formatting; output of any length.
    template <typename... Args>
    void Format(LPCTSTR pszFormat, Args&&... args)
    {
        FormatText(false, pszFormat, trelwin_detail::FormatArg(std::forward<Args>(args))...);
    }
    template <typename... Args>
    void AppendFormat(LPCTSTR pszFormat, Args&&... args)
    {
        FormatText(true, pszFormat, trelwin_detail::FormatArg(std::forward<Args>(args))...);
    }
    // The format is the string table entry nFormatID.
    template <typename... Args>
    void Format(UINT nFormatID, Args&&... args)
    {
        CString fmt;
        fmt.LoadString(nFormatID);
        FormatText(false, fmt, trelwin_detail::FormatArg(std::forward<Args>(args))...);
    }
    void FormatV(LPCTSTR pszFormat, va_list args);
    void AppendFormatV(LPCTSTR pszFormat, va_list args);

    int Find(char ch, int nStart = 0) const;
    int Find(LPCTSTR pszSub, int nStart = 0) const;
    int ReverseFind(char ch) const;
    int FindOneOf(LPCTSTR pszCharSet) const;

    // Out-of-range starts and counts are clamped to the string.
    CString Mid(int nFirst) const;
    CString Mid(int nFirst, int nCount) const;
    CString Left(int nCount) const;
    CString Right(int nCount) const;
    CString SpanIncluding(LPCTSTR pszCharSet) const;
    CString SpanExcluding(LPCTSTR pszCharSet) const;
    CString Tokenize(LPCTSTR pszTokens, int& iStart) const;

    int Replace(char chOld, char chNew);
    int Replace(LPCTSTR pszOld, LPCTSTR pszNew);
    int Remove(char ch);
    int Insert(int nIndex, char ch);
    int Insert(int nIndex, LPCTSTR psz);
    int Delete(int nIndex, int nCount = 1);

    CString& Trim();
    CString& Trim(char chTarget);
    CString& Trim(LPCTSTR pszTargets);
    CString& TrimLeft();
    CString& TrimLeft(char chTarget);
    CString& TrimLeft(LPCTSTR pszTargets);
    CString& TrimRight();
    CString& TrimRight(char chTarget);
    CString& TrimRight(LPCTSTR pszTargets);

    CString& MakeLower();
    CString& MakeUpper();
    CString& MakeReverse();

    // A writable buffer of at least nMinBufLength characters plus the
    // terminator; ReleaseBuffer sets the length (-1: up to the first NUL).
    LPTSTR GetBuffer(int nMinBufLength);
    LPTSTR GetBuffer() { return GetBuffer(0); }
    LPTSTR GetBufferSetLength(int nNewLength);
    void ReleaseBuffer(int nNewLength = -1);
    void ReleaseBufferSetLength(int nNewLength) { ReleaseBuffer(nNewLength); }
    void Preallocate(int nLength);
    void FreeExtra() { m_str.shrink_to_fit(); }

    // The program's string table entry nID; FALSE when there is none.
    BOOL LoadString(UINT nID);

    void SetString(LPCTSTR psz) { *this = psz; }
    void SetString(LPCTSTR psz, int nLength) { *this = CString(psz, nLength); }

    friend CString operator+(const CString& a, const CString& b);
    friend CString operator+(const CString& a, LPCTSTR b);
    friend CString operator+(LPCTSTR a, const CString& b);
    friend CString operator+(const CString& a, char b);
    friend CString operator+(char a, const CString& b);

private:
    void FormatText(bool append, LPCTSTR pszFormat, ...);

    std::string m_str;
};

bool operator==(const CString& a, const CString& b);
bool operator==(const CString& a, LPCTSTR b);
bool operator==(LPCTSTR a, const CString& b);
bool operator!=(const CString& a, const CString& b);
bool operator!=(const CString& a, LPCTSTR b);
bool operator!=(LPCTSTR a, const CString& b);
bool operator<(const CString& a, const CString& b);
bool operator<(const CString& a, LPCTSTR b);
bool operator<(LPCTSTR a, const CString& b);
bool operator>(const CString& a, const CString& b);
bool operator>(const CString& a, LPCTSTR b);
bool operator>(LPCTSTR a, const CString& b);
bool operator<=(const CString& a, const CString& b);
bool operator<=(const CString& a, LPCTSTR b);
bool operator<=(LPCTSTR a, const CString& b);
bool operator>=(const CString& a, const CString& b);
bool operator>=(const CString& a, LPCTSTR b);
bool operator>=(LPCTSTR a, const CString& b);

// The string table lives in the resources module, which registers its
// reader here (same contract as LoadStringA: copies at most cchBufferMax - 1
// characters and a terminator, returns the count copied, 0 when absent).
// Until one is registered every entry is absent.
typedef int (*PFN_STRING_TABLE_LOOKUP)(HINSTANCE hInstance, UINT uID, LPSTR lpBuffer, int cchBufferMax);
void SetStringTableLookup(PFN_STRING_TABLE_LOOKUP pfnLookup);
