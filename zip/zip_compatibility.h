// File attributes in a ZIP archive are stored in the attribute system of the
// platform that made the entry (the high byte of "version made by"). These
// convert an attribute word between the Windows (DOS) and the Unix systems,
// through a table of converters indexed by source and target family.
#pragma once

#include "platform/base/win_types.h"

namespace ZipCompatibility
{

enum ZipPlatforms
{
    zcDosFat = 0,
    zcUnix = 3,
    zcNtfs = 10,
    zcMacintosh = 19,
};

// True for the systems whose attributes can be converted.
bool IsPlatformSupported(int iSystem);

// An attribute word of iFromSystem as iToSystem would store it. Equal
// families copy the value; an unsupported system on either side copies it too.
DWORD ConvertToSystem(DWORD uAttr, int iFromSystem, int iToSystem);

}  // namespace ZipCompatibility
