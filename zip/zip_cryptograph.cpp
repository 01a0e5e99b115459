#include "zip/zip_cryptograph.h"

#include "zip/zip_crc32_cryptograph.h"

DWORD CZipCryptograph::GetEncryptedInfoSizeBeforeData(int iEncryptionMethod)
{
    return iEncryptionMethod == ZIP_ENCRYPTION_STANDARD ? CZipCrc32Cryptograph::ENCR_HEADER_LEN : 0;
}
