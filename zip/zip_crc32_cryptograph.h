// CZipCrc32Cryptograph: the traditional encryption of ZIP archives. Three
// 32-bit keys start at fixed values and take in the password byte by byte,
// then every plain byte of the data, through the CRC-32 table and a linear
// congruential step; each byte is XORed with a key stream byte drawn from
// the third key. The data is preceded by a 12-byte header: 10 random bytes
// and a check byte pair the decoder compares with the file's CRC (or time).
#pragma once

#include "zip/zip_cryptograph.h"

class CZipCrc32Cryptograph : public CZipCryptograph
{
public:
    static constexpr DWORD ENCR_HEADER_LEN = 12;

    bool CanHandle(int iEncryptionMethod) const override { return iEncryptionMethod == ZIP_ENCRYPTION_STANDARD; }
    bool InitDecode(const CZipAutoBuffer& password, CZipFileHeader& currentFile, CZipStorage& storage) override;
    void InitEncode(const CZipAutoBuffer& password, CZipFileHeader& currentFile, CZipStorage& storage) override;
    void Decode(char* pBuffer, DWORD uSize) override;
    void Encode(char* pBuffer, DWORD uSize) override;

    // Starts the keys over from the password.
    void CryptInitKeys(const CZipAutoBuffer& password);
    // Encodes a header of ENCR_HEADER_LEN bytes whose first 10 are random
    // and last two the check bytes (low byte first), for InitEncode and tests.
    void EncodeHeader(char* pHeader);

private:
    void CryptUpdateKeys(char c);

    DWORD m_keys[3] = {0, 0, 0};
};
