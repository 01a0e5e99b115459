#include "app/package/update_package.h"

#include "app/package/image_container.h"
#include "platform/base/mem_file.h"

int GetPackageTypeId(const CString& strPath)
{
    std::string bytes;
    if (!DecryptUpdateFile(strPath, bytes))
        return -1;
    CMemFile file(reinterpret_cast<BYTE*>(bytes.data()), static_cast<UINT>(bytes.size()));
    if (!HasImageSectionType(file, IMAGE_TYPE_PACKAGE_INFO))
        return -1;
    _TImageSection header = {};
    // A section of the type in another group carries no device type.
    if (!ReadImageSectionHeader(file, header, IMAGE_KEY_PACKAGE_INFO, -1))
        return -1;
    return static_cast<BYTE>(header.version[0]);
}
