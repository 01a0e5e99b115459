// The fixed AES-128-GCM key and the initialisation vector that every update
// package is encrypted with.
#pragma once

#include <cstddef>

enum : std::size_t
{
    PACKAGE_KEY_SIZE = 16,
    PACKAGE_IV_SIZE = 256,
    // The authentication tag at the end of a package is truncated to this size.
    PACKAGE_TAG_SIZE = 12,
};

// The key, followed at once by the initialisation vector.
extern const unsigned char g_PackageKeyAndIv[PACKAGE_KEY_SIZE + PACKAGE_IV_SIZE];

inline const unsigned char* GetPackageKey()
{
    return g_PackageKeyAndIv;
}

inline const unsigned char* GetPackageIv()
{
    return g_PackageKeyAndIv + PACKAGE_KEY_SIZE;
}
