// Sizes, record signatures and method numbers shared by the ZIP archive
// classes. Archives are the classic format: 32-bit sizes and offsets, at most
// 65535 files and 65535 volumes; the 64-bit extension is recognised and
// refused.
#pragma once

#include "platform/base/win_types.h"

typedef DWORD ZIP_SIZE_TYPE;
typedef WORD ZIP_INDEX_TYPE;
typedef WORD ZIP_VOLUME_TYPE;

#define ZIP_FILE_INDEX_NOT_FOUND ((ZIP_INDEX_TYPE)-1)
#define ZIP_MAX_FILES 0xFFFFu
#define ZIP_MAX_VOLUMES 0xFFFFu
#define ZIP_MAX_SIZE 0xFFFFFFFFu

// Little-endian record signatures: each record starts with "PK" and two bytes.
#define ZIP_SIGNATURE_CENTRAL_HEADER 0x02014b50u
#define ZIP_SIGNATURE_LOCAL_HEADER 0x04034b50u
#define ZIP_SIGNATURE_END_OF_CENTRAL_DIR 0x06054b50u
#define ZIP_SIGNATURE_ZIP64_LOCATOR 0x07064b50u
// Opens a data descriptor, and also the first volume of a segmented archive.
#define ZIP_SIGNATURE_DATA_DESCRIPTOR 0x08074b50u

// Compression methods.
#define ZIP_METHOD_STORE 0
#define ZIP_METHOD_DEFLATE 8
#define ZIP_METHOD_WINZIP_AES 99

// Compression levels (zlib's).
#define ZIP_LEVEL_STORE 0
#define ZIP_LEVEL_DEFAULT (-1)
#define ZIP_LEVEL_BEST 9

// Encryption methods.
#define ZIP_ENCRYPTION_STANDARD 0
#define ZIP_ENCRYPTION_NONE 255

// General-purpose flag bits.
#define ZIP_FLAG_ENCRYPTED 0x0001u
#define ZIP_FLAG_DATA_DESCRIPTOR 0x0008u
