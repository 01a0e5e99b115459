#include "zip/zip_file_header.h"

#include "zip/zip_bytes.h"
#include "zip/zip_compatibility.h"
#include "zip/zip_exception.h"
#include "zip/zip_platform.h"
#include "zip/zip_storage.h"

#include <cstring>

using ZipBytes::Get16;
using ZipBytes::Get32;
using ZipBytes::Put16;
using ZipBytes::Put32;

namespace
{

// What this library needs to read an entry: deflate and traditional
// encryption come with version 2.0.
const WORD VERSION_NEEDED = 20;
const DWORD DOS_DIRECTORY = 0x10;

void SetText(CZipAutoBuffer& buffer, LPCTSTR lpszText)
{
    const size_t uLength = lpszText ? std::strlen(lpszText) : 0;
    if (uLength > 0xFFFF)
        CZipException::Throw(CZipException::tooLongData);
    if (uLength == 0)
        buffer.Release();
    else
        buffer.Fill(lpszText, static_cast<DWORD>(uLength));
}

CString GetText(const CZipAutoBuffer& buffer)
{
    return buffer.IsAllocated() ? CString(buffer.GetBuffer(), static_cast<int>(buffer.GetSize())) : CString();
}

void ReadField(CZipStorage& storage, CZipAutoBuffer& buffer, WORD uSize)
{
    if (uSize == 0)
    {
        buffer.Release();
        return;
    }
    buffer.Allocate(uSize);
    storage.Read(buffer, uSize, true);
}

void PutField(char*& p, const CZipAutoBuffer& buffer)
{
    if (buffer.GetSize())
        std::memcpy(p, buffer.GetBuffer(), buffer.GetSize());
    p += buffer.GetSize();
}

}  // namespace

CZipFileHeader::CZipFileHeader()
    : m_uVersionMadeBy(static_cast<WORD>((ZipPlatform::GetSystemID() << 8) | VERSION_NEEDED)),
      m_uVersionNeeded(VERSION_NEEDED),
      m_uFlag(0),
      m_uMethod(ZIP_METHOD_DEFLATE),
      m_uModTime(0),
      m_uModDate(0),
      m_uCrc32(0),
      m_uComprSize(0),
      m_uUncomprSize(0),
      m_uVolumeStart(0),
      m_uInternalAttr(0),
      m_uExternalAttr(0),
      m_uOffset(0)
{
}

CString CZipFileHeader::GetFileName() const
{
    return GetText(m_pszFileName);
}

void CZipFileHeader::SetFileName(LPCTSTR lpszFileName)
{
    SetText(m_pszFileName, lpszFileName);
}

CString CZipFileHeader::GetComment() const
{
    return GetText(m_pszComment);
}

void CZipFileHeader::SetComment(LPCTSTR lpszComment)
{
    SetText(m_pszComment, lpszComment);
}

void CZipFileHeader::SetTime(const SYSTEMTIME& time)
{
    // Seven bits of years from 1980; a time outside them keeps the nearest
    // one the record can hold, not its own day in another year.
    if (time.wYear < 1980)
    {
        m_uModDate = static_cast<WORD>((1 << 5) | 1);
        m_uModTime = 0;
        return;
    }
    if (time.wYear > 2107)
    {
        m_uModDate = static_cast<WORD>((127 << 9) | (12 << 5) | 31);
        m_uModTime = static_cast<WORD>((23 << 11) | (59 << 5) | (58 / 2));
        return;
    }
    m_uModDate = static_cast<WORD>(((time.wYear - 1980) << 9) | (time.wMonth << 5) | time.wDay);
    m_uModTime = static_cast<WORD>((time.wHour << 11) | (time.wMinute << 5) | (time.wSecond / 2));
}

void CZipFileHeader::GetTime(SYSTEMTIME& time) const
{
    std::memset(&time, 0, sizeof time);
    time.wYear = static_cast<WORD>(1980 + (m_uModDate >> 9));
    time.wMonth = static_cast<WORD>((m_uModDate >> 5) & 0x0F);
    time.wDay = static_cast<WORD>(m_uModDate & 0x1F);
    time.wHour = static_cast<WORD>(m_uModTime >> 11);
    time.wMinute = static_cast<WORD>((m_uModTime >> 5) & 0x3F);
    time.wSecond = static_cast<WORD>((m_uModTime & 0x1F) * 2);
}

DWORD CZipFileHeader::GetSystemAttr() const
{
    return ZipCompatibility::ConvertToSystem(m_uExternalAttr, GetSystemCompatibility(), ZipPlatform::GetSystemID());
}

void CZipFileHeader::SetSystemAttr(DWORD uAttr)
{
    m_uExternalAttr = ZipCompatibility::ConvertToSystem(uAttr, ZipPlatform::GetSystemID(), GetSystemCompatibility());
}

bool CZipFileHeader::IsDirectory() const
{
    const CString szName = GetFileName();
    if (!szName.IsEmpty() && (szName.Right(1) == "/" || szName.Right(1) == "\\"))
        return true;
    return (GetSystemAttr() & DOS_DIRECTORY) != 0;
}

DWORD CZipFileHeader::GetLocalSize() const
{
    return LOCAL_SIZE + m_pszFileName.GetSize() + m_aLocalExtraData.GetSize();
}

DWORD CZipFileHeader::GetCentralSize() const
{
    return CENTRAL_SIZE + m_pszFileName.GetSize() + m_aCentralExtraData.GetSize() + m_pszComment.GetSize();
}

void CZipFileHeader::WriteLocal(CZipStorage& storage)
{
    if (m_aLocalExtraData.GetSize() > 0xFFFF || m_aCentralExtraData.GetSize() > 0xFFFF)
        CZipException::Throw(CZipException::tooLongData, storage.GetArchivePath());
    CZipAutoBuffer buffer(GetLocalSize());
    char* p = buffer;
    // With a data descriptor the sizes and the checksum follow the data.
    const bool bLater = IsDataDescriptor();
    Put32(p, ZIP_SIGNATURE_LOCAL_HEADER);
    Put16(p, m_uVersionNeeded);
    Put16(p, m_uFlag);
    Put16(p, m_uMethod);
    Put16(p, m_uModTime);
    Put16(p, m_uModDate);
    Put32(p, bLater ? 0 : m_uCrc32);
    Put32(p, bLater ? 0 : m_uComprSize);
    Put32(p, bLater ? 0 : m_uUncomprSize);
    Put16(p, static_cast<WORD>(m_pszFileName.GetSize()));
    Put16(p, static_cast<WORD>(m_aLocalExtraData.GetSize()));
    PutField(p, m_pszFileName);
    PutField(p, m_aLocalExtraData);
    storage.AssureFree(buffer.GetSize());
    m_uVolumeStart = storage.GetCurrentVolume();
    m_uOffset = storage.GetPosition();
    storage.Write(buffer, buffer.GetSize(), true);
}

void CZipFileHeader::ReadLocal(CZipStorage& storage)
{
    storage.ChangeVolume(m_uVolumeStart);
    storage.Seek(m_uOffset);
    char record[LOCAL_SIZE];
    storage.Read(record, LOCAL_SIZE, true);
    const char* p = record;
    const DWORD uSignature = Get32(p);
    p += 4;  // version needed, flag
    const WORD uMethod = Get16(p);
    p += 16;  // time, date, checksum and sizes (may be zero before a data descriptor)
    const WORD uNameSize = Get16(p);
    const WORD uExtraSize = Get16(p);
    if (uSignature != ZIP_SIGNATURE_LOCAL_HEADER || uMethod != m_uMethod)
        CZipException::Throw(CZipException::badZipFile, storage.GetArchivePath());
    CZipAutoBuffer name;
    ReadField(storage, name, uNameSize);
    ReadField(storage, m_aLocalExtraData, uExtraSize);
}

void CZipFileHeader::WriteDataDescriptor(CZipStorage& storage) const
{
    char record[DATA_DESCRIPTOR_SIZE];
    char* p = record;
    Put32(p, ZIP_SIGNATURE_DATA_DESCRIPTOR);
    Put32(p, m_uCrc32);
    Put32(p, m_uComprSize);
    Put32(p, m_uUncomprSize);
    storage.Write(record, sizeof record, true);
}

void CZipFileHeader::WriteCentral(CZipStorage& storage) const
{
    CZipAutoBuffer buffer(GetCentralSize());
    char* p = buffer;
    Put32(p, ZIP_SIGNATURE_CENTRAL_HEADER);
    Put16(p, m_uVersionMadeBy);
    Put16(p, m_uVersionNeeded);
    Put16(p, m_uFlag);
    Put16(p, m_uMethod);
    Put16(p, m_uModTime);
    Put16(p, m_uModDate);
    Put32(p, m_uCrc32);
    Put32(p, m_uComprSize);
    Put32(p, m_uUncomprSize);
    Put16(p, static_cast<WORD>(m_pszFileName.GetSize()));
    Put16(p, static_cast<WORD>(m_aCentralExtraData.GetSize()));
    Put16(p, static_cast<WORD>(m_pszComment.GetSize()));
    Put16(p, m_uVolumeStart);
    Put16(p, m_uInternalAttr);
    Put32(p, m_uExternalAttr);
    Put32(p, m_uOffset);
    PutField(p, m_pszFileName);
    PutField(p, m_aCentralExtraData);
    PutField(p, m_pszComment);
    storage.Write(buffer, buffer.GetSize(), true);
}

void CZipFileHeader::ReadCentral(CZipStorage& storage)
{
    char record[CENTRAL_SIZE];
    storage.Read(record, CENTRAL_SIZE, true);
    const char* p = record;
    if (Get32(p) != ZIP_SIGNATURE_CENTRAL_HEADER)
        CZipException::Throw(CZipException::badZipFile, storage.GetArchivePath());
    m_uVersionMadeBy = Get16(p);
    m_uVersionNeeded = Get16(p);
    m_uFlag = Get16(p);
    m_uMethod = Get16(p);
    m_uModTime = Get16(p);
    m_uModDate = Get16(p);
    m_uCrc32 = Get32(p);
    m_uComprSize = Get32(p);
    m_uUncomprSize = Get32(p);
    const WORD uNameSize = Get16(p);
    const WORD uExtraSize = Get16(p);
    const WORD uCommentSize = Get16(p);
    m_uVolumeStart = Get16(p);
    m_uInternalAttr = Get16(p);
    m_uExternalAttr = Get32(p);
    m_uOffset = Get32(p);
    // Sizes and offsets at their limit stand for values in the 64-bit extension.
    if (m_uComprSize == ZIP_MAX_SIZE || m_uUncomprSize == ZIP_MAX_SIZE || m_uOffset == ZIP_MAX_SIZE ||
        m_uVolumeStart == 0xFFFF)
        CZipException::Throw(CZipException::noZip64, storage.GetArchivePath());
    ReadField(storage, m_pszFileName, uNameSize);
    ReadField(storage, m_aCentralExtraData, uExtraSize);
    ReadField(storage, m_pszComment, uCommentSize);
}
