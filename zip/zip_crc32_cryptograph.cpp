#include "zip/zip_crc32_cryptograph.h"

#include "zip/zip_exception.h"
#include "zip/zip_file_header.h"
#include "zip/zip_storage.h"

#include <zlib.h>

#include <random>

namespace
{

const DWORD KEY0_START = 0x12345678;
const DWORD KEY1_START = 0x23456789;
const DWORD KEY2_START = 0x34567890;
const DWORD KEY_MULTIPLIER = 134775813;

// zlib's CRC-32 table, the one the traditional encryption is defined with.
const z_crc_t* CrcTable()
{
    static const z_crc_t* const table = get_crc_table();
    return table;
}

inline DWORD Crc32Step(DWORD uCrc, unsigned char c, const z_crc_t* pTable)
{
    return pTable[(uCrc ^ c) & 0xFF] ^ (uCrc >> 8);
}

// The keys as locals, so the byte loops keep them in registers.
struct _TKeys
{
    DWORD k0, k1, k2;
    const z_crc_t* pTable;

    void Update(unsigned char c)
    {
        k0 = Crc32Step(k0, c, pTable);
        k1 = (k1 + (k0 & 0xFF)) * KEY_MULTIPLIER + 1;
        k2 = Crc32Step(k2, static_cast<unsigned char>(k1 >> 24), pTable);
    }
    unsigned char StreamByte() const
    {
        const DWORD temp = (k2 | 2) & 0xFFFF;
        return static_cast<unsigned char>((temp * (temp ^ 1)) >> 8);
    }
};

}  // namespace

void CZipCrc32Cryptograph::CryptInitKeys(const CZipAutoBuffer& password)
{
    m_keys[0] = KEY0_START;
    m_keys[1] = KEY1_START;
    m_keys[2] = KEY2_START;
    for (DWORD i = 0; i < password.GetSize(); ++i)
        CryptUpdateKeys(password.GetBuffer()[i]);
}

void CZipCrc32Cryptograph::CryptUpdateKeys(char c)
{
    _TKeys keys{m_keys[0], m_keys[1], m_keys[2], CrcTable()};
    keys.Update(static_cast<unsigned char>(c));
    m_keys[0] = keys.k0;
    m_keys[1] = keys.k1;
    m_keys[2] = keys.k2;
}

void CZipCrc32Cryptograph::Decode(char* pBuffer, DWORD uSize)
{
    _TKeys keys{m_keys[0], m_keys[1], m_keys[2], CrcTable()};
    auto* p = reinterpret_cast<unsigned char*>(pBuffer);
    for (DWORD i = 0; i < uSize; ++i)
    {
        p[i] ^= keys.StreamByte();
        keys.Update(p[i]);
    }
    m_keys[0] = keys.k0;
    m_keys[1] = keys.k1;
    m_keys[2] = keys.k2;
}

void CZipCrc32Cryptograph::Encode(char* pBuffer, DWORD uSize)
{
    _TKeys keys{m_keys[0], m_keys[1], m_keys[2], CrcTable()};
    auto* p = reinterpret_cast<unsigned char*>(pBuffer);
    for (DWORD i = 0; i < uSize; ++i)
    {
        const unsigned char plain = p[i];
        p[i] = plain ^ keys.StreamByte();
        keys.Update(plain);
    }
    m_keys[0] = keys.k0;
    m_keys[1] = keys.k1;
    m_keys[2] = keys.k2;
}

bool CZipCrc32Cryptograph::InitDecode(const CZipAutoBuffer& password, CZipFileHeader& currentFile,
                                      CZipStorage& storage)
{
    CryptInitKeys(password);
    char header[ENCR_HEADER_LEN];
    storage.Read(header, ENCR_HEADER_LEN, true);
    Decode(header, ENCR_HEADER_LEN);
    // A file written with a data descriptor did not know its CRC when the
    // header was made, so its check byte is the high byte of its time.
    const BYTE uCheck = currentFile.IsDataDescriptor() ? static_cast<BYTE>(currentFile.m_uModTime >> 8)
                                                       : static_cast<BYTE>(currentFile.m_uCrc32 >> 24);
    return static_cast<BYTE>(header[ENCR_HEADER_LEN - 1]) == uCheck;
}

void CZipCrc32Cryptograph::EncodeHeader(char* pHeader)
{
    Encode(pHeader, ENCR_HEADER_LEN);
}

void CZipCrc32Cryptograph::InitEncode(const CZipAutoBuffer& password, CZipFileHeader& currentFile,
                                      CZipStorage& storage)
{
    CryptInitKeys(password);
    // Random bytes from the system's source: two files encrypted with one
    // password must never share a key stream.
    std::random_device source;
    char header[ENCR_HEADER_LEN];
    for (DWORD i = 0; i < ENCR_HEADER_LEN - 2; ++i)
        header[i] = static_cast<char>(source() & 0xFF);
    header[ENCR_HEADER_LEN - 2] = static_cast<char>(currentFile.m_uModTime & 0xFF);
    header[ENCR_HEADER_LEN - 1] = static_cast<char>(currentFile.m_uModTime >> 8);
    EncodeHeader(header);
    storage.Write(header, ENCR_HEADER_LEN, false);
    currentFile.m_uComprSize += ENCR_HEADER_LEN;
}
