#include "app/package/image_container.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace
{

// Reads exactly size bytes; false when the stream ends first.
bool ReadExact(CFile& file, void* buffer, UINT size)
{
    return file.Read(buffer, size) == size;
}

ULONGLONG Remaining(CFile& file)
{
    const ULONGLONG length = file.GetLength();
    const ULONGLONG position = file.GetPosition();
    return position < length ? length - position : 0;
}

// Moves forward over a section body; false when the body runs past the end.
bool SkipBody(CFile& file, DWORD length)
{
    if (length > Remaining(file))
        return false;
    file.Seek(length, CFile::current);
    return true;
}

// The header at offset 0; false when the stream is shorter than a header.
bool ReadImageHeader(CFile& file, _TImageHeader& header)
{
    std::memset(&header, 0, sizeof header);
    file.Seek(0, CFile::begin);
    return ReadExact(file, &header, sizeof header);
}

bool HasImageTag(const _TImageHeader& header)
{
    return std::memcmp(header.tag, IMAGE_TAG, sizeof header.tag) == 0 ||
           std::memcmp(header.tag, IMAGE_TAG_OLD, sizeof header.tag) == 0;
}

enum class Visit
{
    Skip,     // go on behind this section's body
    Next,     // the body has been read; go on with the next header
    Stop,
};

// Walks the sections of a stream whose header has just been read, calling
// visit(index, sectionHeader) for each. True when visit stopped the walk,
// false at the end of the sections or of the stream.
template <typename Visitor>
bool WalkSections(CFile& file, const _TImageHeader& header, bool checkMagic, Visitor visit)
{
    for (int i = 0; i < header.count; ++i)
    {
        _TImageSection section = {};
        if (!ReadExact(file, &section, sizeof section))
            return false;
        if (checkMagic && section.magic != IMAGE_SECTION_MAGIC)
            return false;
        switch (visit(i, section))
        {
        case Visit::Stop:
            return true;
        case Visit::Skip:
            if (!SkipBody(file, section.length))
                return false;
            break;
        case Visit::Next:
            break;
        }
    }
    return false;
}

// Walks a container with an accepted tag and section magics.
template <typename Visitor>
bool WalkCheckedSections(CFile& file, Visitor visit)
{
    _TImageHeader header;
    if (!ReadImageHeader(file, header) || !HasImageTag(header))
        return false;
    return WalkSections(file, header, true, visit);
}

bool IdMatches(const _TImageSection& section, int nId)
{
    return nId == -1 || section.id == static_cast<DWORD>(nId);
}

// The copy's rule: the whole group equals the key's high byte.
bool SectionMatches(const _TImageSection& section, WORD wKey, int nId)
{
    return section.type == (wKey & 0xFF) && section.group == static_cast<DWORD>(wKey >> 8) && IdMatches(section, nId);
}

// The 6-byte version field as text, up to its first zero byte.
CString VersionFieldText(const char (&version)[6])
{
    const void* end = std::memchr(version, 0, sizeof version);
    const int length = end ? static_cast<int>(static_cast<const char*>(end) - version) : static_cast<int>(sizeof version);
    return CString(version, length);
}

// Appends the section (its header just read from the source) and its body
// to the target and counts it in the target's header, which the caller
// writes back. A body that runs past the end is copied as far as it goes;
// false then, since it ends the container.
bool AppendSection(CFile& source, CFile& target, _TImageHeader& targetHeader, const _TImageSection& section)
{
    targetHeader.count = static_cast<INT32>(static_cast<UINT32>(targetHeader.count) + 1);
    target.SeekToEnd();
    target.Write(&section, sizeof section);
    const ULONGLONG remaining = Remaining(source);
    const bool truncated = section.length > remaining;
    const UINT length = truncated ? static_cast<UINT>(remaining) : section.length;
    if (length > 0)
    {
        std::unique_ptr<BYTE[]> body(new BYTE[length]);
        const UINT read = source.Read(body.get(), length);
        target.Write(body.get(), read);
    }
    return !truncated;
}

void WriteImageHeader(CFile& target, const _TImageHeader& header)
{
    target.Seek(0, CFile::begin);
    target.Write(&header, sizeof header);
}

} // namespace

int GetImageSectionCount(CFile& file)
{
    _TImageHeader header;
    return ReadImageHeader(file, header) ? header.count : 0;
}

int FindImageSection(CFile& file, WORD& wKey, DWORD& dwId, int n)
{
    _TImageSection found = {};
    const bool ok = WalkCheckedSections(file, [&](int index, const _TImageSection& section) {
        if (index != n)
            return Visit::Skip;
        found = section;
        return Visit::Stop;
    });
    if (!ok)
        return 0;
    wKey = static_cast<WORD>(((found.group & 0xFF) << 8) | found.type);
    dwId = found.id;
    return 1;
}

int HasImageSectionType(CFile& file, BYTE type)
{
    return WalkCheckedSections(file, [&](int, const _TImageSection& section) {
        return section.type == type ? Visit::Stop : Visit::Skip;
    }) ? 1 : 0;
}

BOOL ReadImageSectionHeader(CFile& source, _TImageSection& header, WORD wKey, int nId)
{
    _TImageHeader image;
    if (!ReadImageHeader(source, image))
        return FALSE;
    return WalkSections(source, image, false, [&](int, const _TImageSection& section) {
        if (!SectionMatches(section, wKey, nId))
            return Visit::Skip;
        header = section;
        return Visit::Stop;
    }) ? TRUE : FALSE;
}

void BeginImage(CFile& source, CFile& target)
{
    _TImageHeader sourceHeader;
    ReadImageHeader(source, sourceHeader);
    _TImageHeader header = {};
    std::memcpy(header.tag, IMAGE_TAG, sizeof header.tag);
    std::memcpy(header.id, sourceHeader.id, sizeof header.id);
    target.Seek(0, CFile::begin);
    target.Write(&header, sizeof header);
}

void CopyImageSections(CFile& source, CFile& target, WORD wKey, int nId)
{
    _TImageHeader sourceHeader;
    _TImageHeader targetHeader;
    // A target without its header has nowhere to count the sections.
    if (!ReadImageHeader(source, sourceHeader) || !ReadImageHeader(target, targetHeader))
        return;
    WalkSections(source, sourceHeader, false, [&](int, const _TImageSection& section) {
        if (!SectionMatches(section, wKey, nId))
            return Visit::Skip;
        const bool whole = AppendSection(source, target, targetHeader, section);
        return !whole || nId != -1 ? Visit::Stop : Visit::Next;
    });
    WriteImageHeader(target, targetHeader);
}

BOOL CopyImageSectionsIf(CFile& source, CFile& target, const std::function<bool(const _TImageSection&)>& accept,
                         const std::function<bool()>& stop)
{
    _TImageHeader targetHeader;
    if (!ReadImageHeader(target, targetHeader))
        return TRUE;
    bool stopped = false;
    WalkCheckedSections(source, [&](int, const _TImageSection& section) {
        if (stop())
        {
            stopped = true;
            return Visit::Stop;
        }
        if (!accept(section))
            return Visit::Skip;
        return AppendSection(source, target, targetHeader, section) ? Visit::Next : Visit::Stop;
    });
    WriteImageHeader(target, targetHeader);
    return stopped ? FALSE : TRUE;
}

int SetImageIdField(CFile& file, const CString& strText)
{
    if (strText.GetLength() < 6)
        return 0;
    _TImageHeader header;
    if (!ReadImageHeader(file, header))
        return 0;
    std::memcpy(header.id, strText.GetString(), sizeof header.id);
    WriteImageHeader(file, header);
    return 1;
}

int SectionVersionNumber(const CString& strVersion)
{
    CString digits = strVersion;
    digits.Remove('.');
    if (digits.GetLength() > 3)
        digits = digits.Right(3);
    return std::atoi(digits);
}

int CompareImageVersion(CFile& file, WORD wKey, int nId, const CString& strVersion)
{
    _TImageHeader header;
    if (!ReadImageHeader(file, header))
        return 0;
    _TImageSection found = {};
    // Unlike the copy, only the group's low byte is compared with the key.
    const bool ok = WalkSections(file, header, false, [&](int, const _TImageSection& section) {
        if (section.type != (wKey & 0xFF) || (section.group & 0xFF) != static_cast<DWORD>(wKey >> 8) ||
            !IdMatches(section, nId))
            return Visit::Skip;
        found = section;
        return Visit::Stop;
    });
    if (!ok)
        return 0;
    char given[sizeof found.version] = {};
    std::memcpy(given, strVersion.GetString(), std::min<size_t>(sizeof given, strVersion.GetLength()));
    if (std::memcmp(found.version, given, sizeof given) == 0)
        return 0;
    return SectionVersionNumber(VersionFieldText(found.version)) > SectionVersionNumber(strVersion) ? 1 : -1;
}
