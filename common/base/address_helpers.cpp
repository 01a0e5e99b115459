#include "common/base/address_helpers.h"

#include <cstring>

namespace {

constexpr int kTooLarge = 1 << 20;  // any number above every valid octet or port

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Reads decimal digits at s[pos]; false when there are none. Long numbers
// stop growing at kTooLarge, so they are out of range without overflow.
bool ReadNumber(const char* s, size_t& pos, int& value) {
    if (!IsDigit(s[pos])) return false;
    value = 0;
    while (IsDigit(s[pos])) {
        if (value < kTooLarge) value = value * 10 + (s[pos] - '0');
        ++pos;
    }
    return true;
}

// The count rule of ParseDottedAddress on a trimmed text.
int ReadDotted(const char* s, int values[5]) {
    size_t pos = 0;
    for (int field = 0; field < 4; ++field) {
        if (field > 0 && s[pos++] != '.') return 0;
        if (!ReadNumber(s, pos, values[field])) return 0;
    }
    if (s[pos] == '\0') return 4;
    if (s[pos] == ':' && ReadNumber(s, ++pos, values[4]) && s[pos] == '\0') return 5;
    return -1;
}

// atol without its undefined overflow: leading blanks, a sign, digits.
long LeadingNumber(const char* s) {
    while (*s == ' ' || *s == '\t') ++s;
    bool negative = *s == '-';
    if (*s == '-' || *s == '+') ++s;
    long value = 0;
    for (; IsDigit(*s); ++s)
        if (value < kTooLarge) value = value * 10 + (*s - '0');
    return negative ? -value : value;
}

bool IsForbiddenInHostName(unsigned char c) {
    return c <= ' ' || c == 0x7f || std::strchr("`'\"\\@~!#$%^&*()=+[]{}|;,<>/?", c) != nullptr;
}

}  // namespace

DWORD AddressFromString(const CString& text) {
    int values[5] = {};
    if (ReadDotted(text, values) != 4 || !AreOctetsValid(4, values)) return 0;
    return (static_cast<DWORD>(values[0]) << 24) | (static_cast<DWORD>(values[1]) << 16) |
           (static_cast<DWORD>(values[2]) << 8) | static_cast<DWORD>(values[3]);
}

CString FormatAddress(DWORD address) {
    BYTE octet[4];
    std::memcpy(octet, &address, sizeof octet);  // network order: first octet first in memory
    CString text;
    text.Format("%u.%u.%u.%u", octet[0], octet[1], octet[2], octet[3]);
    return text;
}

void SplitHostPort(const CString& text, CString& host, int& port) {
    int colon = text.Find(':');
    if (!text.IsEmpty() && colon > 0) {
        host = text.Left(colon);
        port = static_cast<int>(LeadingNumber(text.Mid(colon + 1)));
    } else {
        host = text;
        port = 0;
    }
}

void ParseDottedAddress(CString& text, int& count, int values[5]) {
    count = 0;
    text.Trim();
    if (text.IsEmpty()) return;
    int read[5] = {};
    int n = ReadDotted(text, read);
    if (n == 0) return;
    count = n;
    if (n < 0) return;
    for (int i = 0; i < 5; ++i) values[i] = i < n ? read[i] : 0;
    if (n == 4)
        text.Format("%d.%d.%d.%d", read[0], read[1], read[2], read[3]);
    else
        text.Format("%d.%d.%d.%d:%d", read[0], read[1], read[2], read[3], read[4]);
}

int AreOctetsValid(int count, const int values[5]) {
    if (count != 4 && count != 5) return 0;
    for (int i = 0; i < 4; ++i)
        if (values[i] < 0 || values[i] > 255) return 0;
    if (count == 5 && (values[4] < 1 || values[4] > 65535)) return 0;
    return 1;
}

int IsValidHostName(CString& text) {
    text.Trim();
    if (text.IsEmpty()) return 0;
    CString name = text;
    int colon = text.Find(':');
    if (colon >= 0) {
        if (text.Find(':', colon + 1) >= 0 || colon == 0 || colon == text.GetLength() - 1) return 0;
        CString portText = text.Mid(colon + 1);
        if (portText.SpanIncluding("0123456789") != portText) return 0;
        size_t pos = 0;
        int port = 0;
        ReadNumber(portText, pos, port);
        if (port < 1 || port > 65535) return 0;
        name = text.Left(colon);
        text.Format("%s:%d", static_cast<LPCTSTR>(name), port);
    }
    name.MakeLower();
    int last = name.GetLength() - 1;
    if (name[0] == '.' || name[last] == '.' || name.Find("..") >= 0) return 0;
    bool letter = false;
    for (int i = 0; i <= last; ++i) {
        unsigned char c = static_cast<unsigned char>(name[i]);
        if (IsForbiddenInHostName(c)) return 0;
        letter = letter || (c >= 'a' && c <= 'z');
    }
    return letter ? 1 : 0;
}

int ParseDeviceAddress(CString& address, int& dotted, BYTE* octets, int* port) {
    dotted = 0;
    if (octets) std::memset(octets, 0, 4);
    if (port) *port = 0;

    int count = 0;
    int values[5] = {};
    ParseDottedAddress(address, count, values);
    if (count < 0) return 0;
    if (count == 4 || count == 5) {
        if (!AreOctetsValid(count, values) || address.Left(7) == "0.0.0.0") return 0;
        dotted = 1;
        if (octets)
            for (int i = 0; i < 4; ++i) octets[i] = static_cast<BYTE>(values[i]);
        if (port && count == 5) *port = values[4];
        return 1;
    }
    if (!IsValidHostName(address)) return 0;
    int colon = address.Find(':');
    if (colon >= 0 && port) *port = static_cast<int>(LeadingNumber(address.Mid(colon + 1)));
    return 1;
}

CString GetField(const CString& text, LPCTSTR separator, int index) {
    const char* s = text;
    size_t sepLength = separator ? std::strlen(separator) : 0;
    if (sepLength == 0) return index == 0 ? text : CString();
    CString field;
    for (int i = 0; i <= index; ++i) {
        if (!s) return CString();  // index beyond the last field
        const char* next = std::strstr(s, separator);
        field = next ? CString(s, static_cast<int>(next - s)) : CString(s);
        s = next ? next + sepLength : nullptr;
    }
    return field;
}
