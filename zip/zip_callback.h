// Callbacks through which the archive classes ask their user for something
// while they work, and the map in which an archive keeps them by kind.
#pragma once

#include "platform/base/map.h"
#include "zip/zip_declarations.h"

class CZipActionCallback
{
public:
    enum CallbackType
    {
        cbNothing = 0,
        // Asks for the next disk of an archive spanned over removable disks.
        cbMultiVolume = 0x0001,
    };

    virtual ~CZipActionCallback() = default;
    // uProgress is the number the action has reached (for a disk change, the
    // disk wanted); false stops the action.
    virtual bool Callback(ZIP_SIZE_TYPE uProgress) = 0;
};

namespace ZipLib
{

// The callbacks of one archive by kind; it does not own them.
class CZipCallbackProvider
    : public CMap<CZipActionCallback::CallbackType, CZipActionCallback::CallbackType, CZipActionCallback*,
                  CZipActionCallback*>
{
public:
    // The callback of this kind, or null.
    CZipActionCallback* Get(CZipActionCallback::CallbackType iType) const
    {
        CZipActionCallback* pCallback = nullptr;
        return Lookup(iType, pCallback) ? pCallback : nullptr;
    }
};

}  // namespace ZipLib
