// The program's settings: text values under the per-user key
// HKEY_CURRENT_USER\Software\Brisel\BriselTrelwin. A value changed in the
// registry, by this program or another, counts from the next read on; a read
// of a settings file that has not changed costs a look at the file's
// identity, not a read of its text. Safe to call from any thread.
#pragma once

#include "platform/base/cstring.h"
#include "platform/base/win_types.h"

// The value's leading decimal integer ("3 s" reads as 3, a text without
// digits as 0; a REG_DWORD value reads as its number). A missing value is
// written with its default, so that every setting stands in the registry
// where a user can change it. When the key cannot be created or opened the
// default is returned.
int ReadRegistryInt(LPCTSTR name, int defaultValue);

// The same number, but a missing value (or key) gives the default and is
// not written: for readers that must not wait for a write to reach the disk.
int PeekRegistryInt(LPCTSTR name, int defaultValue);

// The value's whole text; "" when it is missing or cannot be read.
CString ReadRegistryString(LPCTSTR name);

// Stores text as a REG_SZ value; a failure is not reported.
void WriteRegistryString(LPCTSTR text, LPCTSTR name);
