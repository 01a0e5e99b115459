// CZipFileHeader: one file of an archive as its central directory record
// describes it (and as its local header repeats it in front of the data).
// Names, comments and extra fields are kept as the bytes stored.
#pragma once

#include "platform/base/cstring.h"
#include "zip/zip_auto_buffer.h"
#include "zip/zip_declarations.h"

class CZipStorage;

class CZipFileHeader
{
public:
    static constexpr DWORD LOCAL_SIZE = 30;
    static constexpr DWORD CENTRAL_SIZE = 46;
    static constexpr DWORD DATA_DESCRIPTOR_SIZE = 16;

    CZipFileHeader();
    virtual ~CZipFileHeader() = default;

    CString GetFileName() const;
    // tooLongData for a name over 65535 bytes.
    void SetFileName(LPCTSTR lpszFileName);
    CString GetComment() const;
    void SetComment(LPCTSTR lpszComment);

    // The modification time in the DOS form the record keeps (two-second steps).
    void SetTime(const SYSTEMTIME& time);
    void GetTime(SYSTEMTIME& time) const;

    bool IsEncrypted() const { return (m_uFlag & ZIP_FLAG_ENCRYPTED) != 0; }
    bool IsDataDescriptor() const { return (m_uFlag & ZIP_FLAG_DATA_DESCRIPTOR) != 0; }
    bool IsDirectory() const;
    // The system whose attributes the entry keeps (high byte of "made by").
    int GetSystemCompatibility() const { return m_uVersionMadeBy >> 8; }
    // The attributes as this build's system has them, and back.
    DWORD GetSystemAttr() const;
    void SetSystemAttr(DWORD uAttr);

    // Sizes of the records as they stand.
    DWORD GetLocalSize() const;
    DWORD GetCentralSize() const;

    // Writes the local header where the storage stands (starting a new
    // volume if it does not fit) and remembers that place.
    void WriteLocal(CZipStorage& storage);
    // Reads the local header at the remembered place and leaves the storage
    // at the file's data; badZipFile when it does not match this record.
    void ReadLocal(CZipStorage& storage);
    void WriteDataDescriptor(CZipStorage& storage) const;
    void WriteCentral(CZipStorage& storage) const;
    // Reads a central record where the storage stands.
    void ReadCentral(CZipStorage& storage);

    WORD m_uVersionMadeBy;
    WORD m_uVersionNeeded;
    WORD m_uFlag;
    WORD m_uMethod;
    WORD m_uModTime;
    WORD m_uModDate;
    DWORD m_uCrc32;
    ZIP_SIZE_TYPE m_uComprSize;
    ZIP_SIZE_TYPE m_uUncomprSize;
    ZIP_VOLUME_TYPE m_uVolumeStart;
    WORD m_uInternalAttr;
    DWORD m_uExternalAttr;
    ZIP_SIZE_TYPE m_uOffset;
    CZipAutoBuffer m_pszFileName;
    CZipAutoBuffer m_pszComment;
    CZipAutoBuffer m_aLocalExtraData;
    CZipAutoBuffer m_aCentralExtraData;
};
