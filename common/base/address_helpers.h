// Dotted IPv4 texts, device addresses typed by the user, and fields of
// separator-delimited lists.
#pragma once

#include "platform/base/cstring.h"
#include "platform/base/win_types.h"

// "a.b.c.d" as a number with a in the high byte. A text that is not exactly
// four decimal numbers 0..255 separated by dots gives 0 (the value of
// 0.0.0.0, which no device has).
DWORD AddressFromString(const CString& text);

// The dotted text of an address held in network byte order.
CString FormatAddress(DWORD address);

// "host:port" into its parts; without a ':' after the first character the
// whole text is the host and the port is 0.
void SplitHostPort(const CString& text, CString& host, int& port);

// Accepts a dotted address (with an optional port) or a host name (with an
// optional port) and rewrites it canonically ("192.168.001.010" becomes
// "192.168.1.10"). dotted is 1 for a dotted address, whose octets (first
// first) and port are then given where asked for. Returns 1 accepted, 0
// rejected.
int ParseDeviceAddress(CString& address, int& dotted, BYTE* octets = nullptr, int* port = nullptr);

// Trims the text and, when all of it is "a.b.c.d" or "a.b.c.d:p" in
// decimal digits, sets count to 4 or 5, fills values and rewrites the text
// canonically. count is -1 when the text starts with four dotted numbers
// but has something else after them ("1.2.3.4x", "1.2.3.4.5"), else 0.
void ParseDottedAddress(CString& text, int& count, int values[5]);

// 1 when count is 4 or 5, the four octets lie in 0..255 and a port (count
// 5) in 1..65535.
int AreOctetsValid(int count, const int values[5]);

// Trims the text and checks it as a host name with an optional ":port"
// (rewritten as name:port). Returns 1 valid, 0 not.
int IsValidHostName(CString& text);

// Field `index` (from 0) of a list separated by `separator`; "" beyond the
// last field.
CString GetField(const CString& text, LPCTSTR separator, int index);
