// CZipCryptograph: the encryption of one file's data in an archive. Decoding
// starts by checking the password against the encryption header in front of
// the data; encoding starts by writing that header.
#pragma once

#include "zip/zip_auto_buffer.h"
#include "zip/zip_declarations.h"

class CZipFileHeader;
class CZipStorage;

class CZipCryptograph
{
public:
    virtual ~CZipCryptograph() = default;

    // Bytes the method puts in front of a file's data.
    static DWORD GetEncryptedInfoSizeBeforeData(int iEncryptionMethod);

    virtual bool CanHandle(int iEncryptionMethod) const = 0;
    // Reads the encryption header where the storage stands; false when the
    // password does not fit the file.
    virtual bool InitDecode(const CZipAutoBuffer& password, CZipFileHeader& currentFile, CZipStorage& storage) = 0;
    // Writes the encryption header and counts it into the compressed size.
    virtual void InitEncode(const CZipAutoBuffer& password, CZipFileHeader& currentFile, CZipStorage& storage) = 0;
    virtual void Decode(char* pBuffer, DWORD uSize) = 0;
    virtual void Encode(char* pBuffer, DWORD uSize) = 0;
};
