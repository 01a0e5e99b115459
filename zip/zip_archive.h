// CZipArchive: a ZIP archive on disk (one file, or split into volumes) or in
// a caller's file, opened for reading, for adding files, or made new.
//
//   CZipArchive zip;
//   zip.Open("/tmp/a.zip", CZipArchive::zipCreate);
//   zip.SetPassword("secret");                      // optional
//   zip.AddNewFile(data, size, "dir/name.bin");
//   zip.Close();
//
//   zip.Open("/tmp/a.zip", CZipArchive::zipOpenReadOnly);
//   ZIP_INDEX_TYPE i = zip.FindFile("dir/name.bin");
//   zip.ExtractFile(i, memoryFile);                 // CZipException* badCrc, badPassword ...
//   zip.Close();
//
// Every failure is a CZipException* (see zip_exception.h for who deletes
// it). After one, Close(afAfterException) lets the files go without writing
// anything more; Close() writes the central directory of an archive that
// files were added to. Split archives are written in volumes of the size
// given to Open and can then be read; they cannot be added to.
#pragma once

#include "platform/base/cstring.h"
#include "zip/zip_auto_buffer.h"
#include "zip/zip_callback.h"
#include "zip/zip_central_dir.h"
#include "zip/zip_declarations.h"
#include "zip/zip_exception.h"
#include "zip/zip_file_header.h"
#include "zip/zip_storage.h"

class CZipAbstractFile;
class CZipCompressor;
class CZipCryptograph;

class CZipArchive
{
public:
    using enum CZipStorage::OpenMode;

    enum CloseMode
    {
        afNoException = 0,
        // Lets the files go without writing anything more.
        afAfterException = 1,
        // Writes the central directory of the files finished so far.
        afWriteDir = 2,
    };

    static constexpr DWORD DEFAULT_BUFFER_SIZE = 65536;

    CZipArchive();
    CZipArchive(const CZipArchive&) = delete;
    CZipArchive& operator=(const CZipArchive&) = delete;
    // An archive still open has its finished files' directory written.
    virtual ~CZipArchive();

    // False when an archive is open already. uVolumeSize: the largest
    // volume of a new split archive (zipCreateSplit).
    bool Open(LPCTSTR lpszPathName, int iMode = zipOpen, ZIP_SIZE_TYPE uVolumeSize = 0);
    // An archive in the caller's file (zipOpen, zipOpenReadOnly or zipCreate).
    bool Open(CZipAbstractFile& af, int iMode = zipOpen);
    void Close(int iAfterException = afNoException);
    bool IsClosed() const { return m_storage.IsClosed(); }
    // 0 for a single file, CZipStorage::splitArchive or spannedArchive.
    int GetSegmMode() const { return m_storage.IsSegmented(); }
    CString GetArchivePath() const { return m_szArchivePath; }

    // The password for files added and extracted from now on (empty: none).
    bool SetPassword(LPCTSTR lpszPassword = nullptr);
    CString GetPassword() const;
    // ZIP_ENCRYPTION_STANDARD (used when a password is set) or ZIP_ENCRYPTION_NONE.
    void SetEncryptionMethod(int iEncryptionMethod) { m_iEncryptionMethod = iEncryptionMethod; }
    int GetEncryptionMethod() const { return m_iEncryptionMethod; }
    // ZIP_METHOD_DEFLATE or ZIP_METHOD_STORE for files added from now on.
    bool SetCompressionMethod(WORD uMethod);
    WORD GetCompressionMethod() const { return m_uCompressionMethod; }
    // Names of files added by path lose this leading part.
    void SetRootPath(LPCTSTR lpszRootPath) { m_szRootPath = lpszRootPath; }
    CString GetRootPath() const { return m_szRootPath; }

    ZIP_INDEX_TYPE GetCount() const { return m_centralDir.GetCount(); }
    bool GetFileInfo(CZipFileHeader& info, ZIP_INDEX_TYPE uIndex) const;
    // ZIP_FILE_INDEX_NOT_FOUND when there is no such file.
    ZIP_INDEX_TYPE FindFile(LPCTSTR lpszFileName, bool bCaseSensitive = true) const;
    CString GetGlobalComment() const { return m_centralDir.GetComment(); }
    bool SetGlobalComment(LPCTSTR lpszComment);

    // Adding a file piece by piece: the header gives the name (and time,
    // attributes, comment); the archive fills in the rest.
    bool OpenNewFile(CZipFileHeader& header, int iLevel = ZIP_LEVEL_DEFAULT);
    bool WriteNewFile(const void* pBuf, DWORD uSize);
    // After an exception the file is left out of the directory.
    bool CloseNewFile(bool bAfterException = false);
    // Adding whole files.
    bool AddNewFile(const void* pData, DWORD uSize, LPCTSTR lpszFileNameInZip, int iLevel = ZIP_LEVEL_DEFAULT);
    bool AddNewFile(CZipAbstractFile& source, LPCTSTR lpszFileNameInZip, int iLevel = ZIP_LEVEL_DEFAULT);
    // A folder becomes an entry of its own (its name ending in '/').
    bool AddNewFile(LPCTSTR lpszFilePath, LPCTSTR lpszFileNameInZip = nullptr, int iLevel = ZIP_LEVEL_DEFAULT);

    // Reading a file piece by piece.
    bool OpenFile(ZIP_INDEX_TYPE uIndex);
    // 0 at the end of the file.
    DWORD ReadFile(void* pBuf, DWORD uSize);
    // 1 when the whole file was read and its CRC checked (badCrc when it
    // does not match), 0 when it was closed before its end.
    int CloseFile(bool bAfterException = false);
    // Whole files; a file written to disk is removed again when the
    // extraction fails.
    bool ExtractFile(ZIP_INDEX_TYPE uIndex, CZipAbstractFile& target);
    bool ExtractFile(ZIP_INDEX_TYPE uIndex, LPCTSTR lpszFilePath);

protected:
    // Replaces the cryptograph for the method (none for ZIP_ENCRYPTION_NONE).
    virtual void CreateCryptograph(int iEncryptionMethod);
    // Keeps the compressor when it handles the method, else makes a new one.
    virtual void CreateCompressor(WORD uMethod);

    ZipLib::CZipCallbackProvider m_callbacks;
    CZipStorage m_storage;
    CZipCentralDir m_centralDir;
    WORD m_uCompressionMethod;
    DWORD m_iBufferSize;
    int m_iEncryptionMethod;
    CZipCryptograph* m_pCryptograph;
    CZipCompressor* m_pCompressor;
    CString m_szRootPath;
    CString m_szArchivePath;
    CZipAutoBuffer m_pszPassword;
    CZipAutoBuffer m_pBuffer;

private:
    enum class OpenedFile
    {
        None,
        Compress,
        Extract,
    };

    template <class Writer>
    bool AddWholeFile(CZipFileHeader& header, int iLevel, Writer write);
    void CopyToNewFile(CZipAbstractFile& source);
    CString NameInArchive(LPCTSTR lpszFilePath) const;
    void PrepareNewHeader(CZipFileHeader& header, int iLevel) const;

    OpenedFile m_iFileOpened;
    CZipFileHeader m_newFile;
    CZipFileHeader* m_pOpenedFile;
};
