// The image container: the plain form of an update package, of the images
// derived from it for one device, and of the boot-loader images. A 24-byte
// header, then sections that each are a 28-byte header followed at once by
// their body. All integers are little-endian.
//
// Every length and count comes from the stream. Walks stop at the header's
// count and at the end of the stream: a section header or body that runs
// past the end ends the container, and at most the bytes present are copied.
#pragma once

#include "platform/base/cstring.h"
#include "platform/base/file.h"

#include <bit>
#include <functional>

static_assert(std::endian::native == std::endian::little, "the container is read in place as little-endian");

#pragma pack(push, 1)
struct _TImageHeader
{
    char tag[9];
    char id[6];
    BYTE reserved[5];
    INT32 count;
};

struct _TImageSection
{
    DWORD magic;
    DWORD group;
    DWORD id;
    BYTE type;
    // Version text; binary information in sections of group 0xFE (byte 13 of
    // the header of key 0xFEFE is the package's device type).
    char version[6];
    BYTE zero;
    DWORD length;
    DWORD crc;
};
#pragma pack(pop)

static_assert(sizeof(_TImageHeader) == 24);
static_assert(sizeof(_TImageSection) == 28);

enum : DWORD
{
    // "nwdl"
    IMAGE_SECTION_MAGIC = 0x6C64776E,
};

// Keys (group * 256 + type) and types that the update engine looks for.
enum : WORD
{
    IMAGE_KEY_LOADER_START = 0xFEFD,
    IMAGE_KEY_PACKAGE_INFO = 0xFEFE,
    IMAGE_KEY_INIT = 0x0A0D,
    IMAGE_TYPE_PACKAGE_INFO = 0xFE,
};

// Tag of a new image; readers also accept "Veltranox".
#define IMAGE_TAG "Veltrano2"
#define IMAGE_TAG_OLD "Veltranox"

// The section count in the header; 0 when the stream is shorter than one.
int GetImageSectionCount(CFile& file);

// 1 and the key and id of the n-th (from 0) section; 0 when there is none.
int FindImageSection(CFile& file, WORD& wKey, DWORD& dwId, int n);

// 1 when a section of the type exists, with the stream just behind its
// header; 0 otherwise.
int HasImageSectionType(CFile& file, BYTE type);

// The header of the first section of the key and id (-1 = any id). TRUE when
// found; the out header is left untouched otherwise.
BOOL ReadImageSectionHeader(CFile& source, _TImageSection& header, WORD wKey, int nId);

// Writes a fresh header to the target: tag "Veltrano2", the source's id
// field, no sections.
void BeginImage(CFile& source, CFile& target);

// Appends the source's sections of the key to the target and raises its
// count: every one in order with id -1, else only the first with that id.
void CopyImageSections(CFile& source, CFile& target, WORD wKey, int nId);

// Appends to the target, in one walk of the source, every section that the
// test accepts, each header and body as it stands, in file order. The walk
// is FindImageSection's (an accepted tag; it ends at the first section
// without the magic). stop is asked before each section: FALSE when it
// ended the walk, TRUE otherwise.
BOOL CopyImageSectionsIf(CFile& source, CFile& target, const std::function<bool(const _TImageSection&)>& accept,
                         const std::function<bool()>& stop);

// Writes the first 6 characters of the text into the header's id field; 0
// and no change when the text is shorter.
int SetImageIdField(CFile& file, const CString& strText);

// Compares the version of the first section of the key and id (-1 = any)
// with the text: 0 when equal or when there is no such section, 1 when the
// section's version number is greater, -1 otherwise.
int CompareImageVersion(CFile& file, WORD wKey, int nId, const CString& strVersion);

// The number of a version text: its last three characters without the dots,
// read as a decimal number ("02.5.6" gives 256).
int SectionVersionNumber(const CString& strVersion);
