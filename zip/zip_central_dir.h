// CZipCentralDir: the archive's list of files. It reads the central
// directory and its end record from an archive that is opened, keeps one
// CZipFileHeader per file with a name-sorted index for finding them, and
// writes the directory back after new files have been added.
#pragma once

#include "platform/base/array.h"
#include "zip/zip_auto_buffer.h"
#include "zip/zip_declarations.h"
#include "zip/zip_file_header.h"

class CZipStorage;

class CZipCentralDir
{
public:
    // One entry of the index sorted by name.
    struct CZipFindFast
    {
        CZipFileHeader* m_pHeader;
        ZIP_INDEX_TYPE m_uIndex;
    };

    // What the end record says.
    struct CInfo
    {
        ZIP_VOLUME_TYPE m_uLastVolume = 0;
        ZIP_VOLUME_TYPE m_uVolumeWithCD = 0;
        ZIP_INDEX_TYPE m_uVolumeEntriesNo = 0;
        ZIP_INDEX_TYPE m_uEntriesNumber = 0;
        ZIP_SIZE_TYPE m_uSize = 0;
        ZIP_SIZE_TYPE m_uOffset = 0;
        // The directory is on disk as read (and not yet cut away to add files).
        bool m_bInArchive = false;
    };

    static constexpr DWORD END_RECORD_SIZE = 22;
    static constexpr DWORD ZIP64_LOCATOR_SIZE = 20;

    explicit CZipCentralDir(CZipStorage* pStorage);
    virtual ~CZipCentralDir();

    void Clear();
    // Finds the end record and reads every file's record (badZipFile,
    // cdirNotFound, noZip64).
    void Read();
    // Writes the records and the end record where the storage stands.
    void Write();
    // Cuts the directory read from a single-file archive away, so that new
    // files take its place; it is written again by Write.
    void RemoveFromDisk();

    ZIP_INDEX_TYPE GetCount() const { return static_cast<ZIP_INDEX_TYPE>(m_headers.GetSize()); }
    CZipFileHeader* operator[](ZIP_INDEX_TYPE uIndex) { return m_headers[uIndex]; }
    const CZipFileHeader* operator[](ZIP_INDEX_TYPE uIndex) const { return m_headers[uIndex]; }
    ZIP_INDEX_TYPE FindFile(LPCTSTR lpszFileName, bool bCaseSensitive) const;
    // Takes a copy of the header of a file just written; tooManyFiles past the limit.
    CZipFileHeader* AddNewFile(const CZipFileHeader& header);

    CString GetComment() const;
    void SetComment(LPCTSTR lpszComment);

    CInfo m_info;

private:
    // The offset of the end record in the archive's (last) file.
    ZIP_SIZE_TYPE LocateEndRecord();
    void ReadHeaders();
    // badZipFile when two entries' bytes overlap, or an entry's the directory's.
    void CheckEntriesApart() const;
    void BuildFindFastArray();

    CZipStorage* m_pStorage;
    CArray<CZipFileHeader*, CZipFileHeader*> m_headers;
    CArray<CZipFindFast*, CZipFindFast*> m_findArray;
    CZipAutoBuffer m_pszComment;
};
