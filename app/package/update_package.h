// Reading update packages: decrypting a package file into the bytes of its
// image container, and the package's device type.
#pragma once

#include "platform/base/cstring.h"

#include <string>

// The largest package file that the program reads, in bytes: it holds the
// whole package in memory, once decrypted and once more for each device's
// image. A larger file is refused whole, never cut.
const ULONGLONG PACKAGE_MAX_SIZE = 1ull << 30;

// Decrypts the package at the path into out. A file that does not
// authenticate is taken unchanged, since it may be a plain container; the
// container readers judge it. TRUE when out is not empty; a file that cannot
// be read, or is larger than PACKAGE_MAX_SIZE, gives FALSE and an empty out.
BOOL DecryptUpdateFile(const CString& strPath, std::string& out);

// The device type (0..255) that the package is made for, or -1 when the file
// cannot be read or holds no package information.
int GetPackageTypeId(const CString& strPath);
