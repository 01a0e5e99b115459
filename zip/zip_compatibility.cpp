#include "zip/zip_compatibility.h"

namespace
{

// DOS attribute bits.
const DWORD DOS_READONLY = 0x01;
const DWORD DOS_DIRECTORY = 0x10;

// Unix mode bits (octal, as the file mode has them); the mode lives in the
// high 16 bits of a Unix attribute word.
const DWORD UNIX_TYPE_MASK = 0170000;
const DWORD UNIX_DIRECTORY = 0040000;
const DWORD UNIX_REGULAR = 0100000;
const DWORD UNIX_WRITE_BITS = 0222;

enum _eAttrFamily
{
    FAMILY_WINDOWS = 0,
    FAMILY_UNIX = 1,
    FAMILY_COUNT = 2,
    FAMILY_NONE = -1,
};

_eAttrFamily FamilyOf(int iSystem)
{
    switch (iSystem)
    {
    case ZipCompatibility::zcDosFat:
    case ZipCompatibility::zcNtfs:
        return FAMILY_WINDOWS;
    case ZipCompatibility::zcUnix:
    case ZipCompatibility::zcMacintosh:
        return FAMILY_UNIX;
    default:
        return FAMILY_NONE;
    }
}

DWORD AttrCopy(DWORD uAttr)
{
    return uAttr;
}

// The DOS bits stay in the low byte, where readers of either system look.
DWORD AttrWindowsToUnix(DWORD uAttr)
{
    DWORD uMode = (uAttr & DOS_DIRECTORY) ? (UNIX_DIRECTORY | 0755) : (UNIX_REGULAR | 0644);
    if (uAttr & DOS_READONLY)
        uMode &= ~UNIX_WRITE_BITS;
    return (uMode << 16) | (uAttr & 0xFF);
}

// A Unix word without a mode is an old entry with DOS bits only.
DWORD AttrUnixToWindows(DWORD uAttr)
{
    const DWORD uMode = uAttr >> 16;
    if (uMode == 0)
        return uAttr & 0xFF;
    DWORD uDos = uAttr & 0xFF & ~(DOS_DIRECTORY | DOS_READONLY);
    if ((uMode & UNIX_TYPE_MASK) == UNIX_DIRECTORY)
        uDos |= DOS_DIRECTORY;
    if ((uMode & UNIX_WRITE_BITS) == 0)
        uDos |= DOS_READONLY;
    return uDos;
}

typedef DWORD (*ConvertFunction)(DWORD);

// [from][to]
const ConvertFunction ATTR_CONVERTERS[FAMILY_COUNT][FAMILY_COUNT] = {
    {AttrCopy, AttrWindowsToUnix},
    {AttrUnixToWindows, AttrCopy},
};

}  // namespace

bool ZipCompatibility::IsPlatformSupported(int iSystem)
{
    return FamilyOf(iSystem) != FAMILY_NONE;
}

DWORD ZipCompatibility::ConvertToSystem(DWORD uAttr, int iFromSystem, int iToSystem)
{
    const _eAttrFamily from = FamilyOf(iFromSystem);
    const _eAttrFamily to = FamilyOf(iToSystem);
    if (from == FAMILY_NONE || to == FAMILY_NONE)
        return uAttr;
    return ATTR_CONVERTERS[from][to](uAttr);
}
