// Every container operation on untrusted bytes. The first 8 bytes choose the
// operations' arguments (key, id, type, section index); the rest is the
// container, attached read-only as the update engine attaches a package.
#include "app/package/image_container.h"

#include "platform/base/mem_file.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 8)
        return 0;
    WORD key = static_cast<WORD>(data[0] | data[1] << 8);
    int id = 0;
    std::memcpy(&id, data + 2, 4);
    const BYTE type = data[6];
    const int n = data[7];
    // The container's bytes live in a buffer of their exact size, so that a
    // read past them shows.
    std::vector<BYTE> bytes(data + 8, data + size);
    CMemFile package(bytes.data(), static_cast<UINT>(bytes.size()));

    DWORD sectionId = 0;
    for (int i = 0; i <= n && FindImageSection(package, key, sectionId, i); ++i)
    {
    }
    HasImageSectionType(package, type);
    _TImageSection header = {};
    ReadImageSectionHeader(package, header, key, id);
    CompareImageVersion(package, key, id, "02.5.6");
    CompareImageVersion(package, key, -1, CString(reinterpret_cast<const char*>(data + 2), 6));

    CMemFile image;
    BeginImage(package, image);
    SetImageIdField(image, "xxxxxx");
    CopyImageSections(package, image, key, id);
    CopyImageSections(package, image, key, -1);
    // The one walk that builds the forced and cross-generation images, asked
    // to stop after n sections; each copy must count what it appends.
    const int before = GetImageSectionCount(image);
    int chosen = 0;
    int asked = 0;
    const BOOL done = CopyImageSectionsIf(
        package, image,
        [&](const _TImageSection& section) {
            const bool take = section.type != type;
            chosen += take ? 1 : 0;
            return take;
        },
        [&] { return asked++ >= n; });
    if (GetImageSectionCount(image) != before + chosen || (!done && asked != n + 1))
        std::abort();
    // The derived image is a container of its own: walk it too.
    CMemFile copy;
    BeginImage(image, copy);
    for (int i = 0; FindImageSection(image, key, sectionId, i); ++i)
        CopyImageSections(image, copy, key, static_cast<int>(sectionId));
    CompareImageVersion(copy, key, -1, "00.0.2");
    return 0;
}
