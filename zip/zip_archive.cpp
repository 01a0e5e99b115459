#include "zip/zip_archive.h"

#include "platform/base/file_system.h"
#include "platform/base/last_error.h"
#include "platform/base/system_time.h"
#include "platform/base/win_errors.h"
#include "zip/zip_crc32_cryptograph.h"
#include "zip/zip_deflate_compressor.h"
#include "zip/zip_exception.h"
#include "zip/zip_file.h"
#include "zip/zip_path_component.h"
#include "zip/zip_platform.h"

#include <cstring>

namespace
{

// General-purpose flag bits 1 and 2 tell readers how hard deflate worked.
const WORD FLAG_LEVEL_MAXIMUM = 0x0002;
const WORD FLAG_LEVEL_FAST = 0x0004;
const WORD FLAG_LEVEL_SUPER_FAST = 0x0006;

WORD LevelFlags(int iLevel)
{
    if (iLevel >= 8)
        return FLAG_LEVEL_MAXIMUM;
    if (iLevel == 2)
        return FLAG_LEVEL_FAST;
    if (iLevel == 1)
        return FLAG_LEVEL_SUPER_FAST;
    return 0;
}

}  // namespace

CZipArchive::CZipArchive()
    : m_centralDir(&m_storage),
      m_uCompressionMethod(ZIP_METHOD_DEFLATE),
      m_iBufferSize(DEFAULT_BUFFER_SIZE),
      m_iEncryptionMethod(ZIP_ENCRYPTION_STANDARD),
      m_pCryptograph(nullptr),
      m_pCompressor(nullptr),
      m_iFileOpened(OpenedFile::None),
      m_pOpenedFile(nullptr)
{
}

CZipArchive::~CZipArchive()
{
    if (!IsClosed())
    {
        try
        {
            Close(afWriteDir);
        }
        catch (CException* e)
        {
            e->Delete();
            Close(afAfterException);
        }
    }
    delete m_pCompressor;
    delete m_pCryptograph;
}

void CZipArchive::CreateCryptograph(int iEncryptionMethod)
{
    delete m_pCryptograph;
    m_pCryptograph = nullptr;
    if (iEncryptionMethod == ZIP_ENCRYPTION_NONE)
        return;
    m_pCryptograph = new CZipCrc32Cryptograph;
}

void CZipArchive::CreateCompressor(WORD uMethod)
{
    if (m_pCompressor && m_pCompressor->CanProcess(uMethod))
        return;
    delete m_pCompressor;
    m_pCompressor = nullptr;
    m_pCompressor = new ZipLib::CDeflateCompressor(&m_storage, m_iBufferSize);
}

bool CZipArchive::Open(LPCTSTR lpszPathName, int iMode, ZIP_SIZE_TYPE uVolumeSize)
{
    if (!IsClosed())
        return false;
    m_szArchivePath = lpszPathName;
    try
    {
        m_centralDir.Clear();
        m_storage.Open(lpszPathName, iMode, uVolumeSize, m_iBufferSize);
        if (iMode == zipOpen || iMode == zipOpenReadOnly)
            m_centralDir.Read();
    }
    catch (...)
    {
        m_centralDir.Clear();
        m_storage.Close(true);
        throw;
    }
    return true;
}

bool CZipArchive::Open(CZipAbstractFile& af, int iMode)
{
    if (!IsClosed())
        return false;
    m_szArchivePath = af.GetFilePath();
    try
    {
        m_centralDir.Clear();
        m_storage.Open(af, iMode, m_iBufferSize);
        if (iMode != zipCreate)
            m_centralDir.Read();
    }
    catch (...)
    {
        m_centralDir.Clear();
        m_storage.Close(true);
        throw;
    }
    return true;
}

void CZipArchive::Close(int iAfterException)
{
    if (IsClosed())
        return;
    const bool bAfterException = iAfterException == afAfterException;
    if (m_iFileOpened == OpenedFile::Compress)
        CloseNewFile(iAfterException != afNoException);
    else if (m_iFileOpened == OpenedFile::Extract)
        CloseFile(true);
    if (!bAfterException && !m_storage.IsReadOnly() && !m_storage.IsExistingSegmented())
        m_centralDir.Write();
    m_storage.Close(bAfterException);
    m_centralDir.Clear();
}

bool CZipArchive::SetPassword(LPCTSTR lpszPassword)
{
    if (m_iFileOpened != OpenedFile::None)
        return false;
    const size_t uLength = lpszPassword ? std::strlen(lpszPassword) : 0;
    if (uLength)
        m_pszPassword.Fill(lpszPassword, static_cast<DWORD>(uLength));
    else
        m_pszPassword.Release();
    return true;
}

CString CZipArchive::GetPassword() const
{
    return m_pszPassword.IsAllocated() ? CString(m_pszPassword.GetBuffer(), static_cast<int>(m_pszPassword.GetSize()))
                                       : CString();
}

bool CZipArchive::SetCompressionMethod(WORD uMethod)
{
    if (uMethod != ZIP_METHOD_DEFLATE && uMethod != ZIP_METHOD_STORE)
        return false;
    m_uCompressionMethod = uMethod;
    return true;
}

bool CZipArchive::GetFileInfo(CZipFileHeader& info, ZIP_INDEX_TYPE uIndex) const
{
    if (IsClosed() || uIndex >= GetCount())
        return false;
    info = *m_centralDir[uIndex];
    return true;
}

ZIP_INDEX_TYPE CZipArchive::FindFile(LPCTSTR lpszFileName, bool bCaseSensitive) const
{
    if (IsClosed())
        return ZIP_FILE_INDEX_NOT_FOUND;
    return m_centralDir.FindFile(lpszFileName, bCaseSensitive);
}

bool CZipArchive::SetGlobalComment(LPCTSTR lpszComment)
{
    if (IsClosed() || m_storage.IsReadOnly() || m_storage.IsExistingSegmented())
        return false;
    m_centralDir.RemoveFromDisk();
    m_centralDir.SetComment(lpszComment);
    return true;
}

void CZipArchive::PrepareNewHeader(CZipFileHeader& header, int iLevel) const
{
    const bool bDirectory = header.IsDirectory();
    header.m_uMethod = iLevel == ZIP_LEVEL_STORE || bDirectory ? ZIP_METHOD_STORE : m_uCompressionMethod;
    const bool bEncrypted = m_pszPassword.GetSize() > 0 && m_iEncryptionMethod != ZIP_ENCRYPTION_NONE && !bDirectory;
    // The sizes and the CRC follow the data, so the file is written in one pass.
    header.m_uFlag = ZIP_FLAG_DATA_DESCRIPTOR;
    if (bEncrypted)
        header.m_uFlag |= ZIP_FLAG_ENCRYPTED;
    if (header.m_uMethod == ZIP_METHOD_DEFLATE)
        header.m_uFlag |= LevelFlags(iLevel);
    header.m_uVersionMadeBy = static_cast<WORD>((ZipPlatform::GetSystemID() << 8) | (header.m_uVersionNeeded & 0xFF));
    header.m_uCrc32 = 0;
    header.m_uComprSize = 0;
    header.m_uUncomprSize = 0;
    if (header.m_uModDate == 0)
    {
        SYSTEMTIME now;
        GetLocalTime(&now);
        header.SetTime(now);
    }
}

bool CZipArchive::OpenNewFile(CZipFileHeader& header, int iLevel)
{
    if (IsClosed() || m_iFileOpened != OpenedFile::None || m_storage.IsReadOnly() || m_storage.IsExistingSegmented())
        return false;
    if (GetCount() >= ZIP_MAX_FILES - 1)
        CZipException::Throw(CZipException::tooManyFiles, m_szArchivePath);
    if (iLevel < ZIP_LEVEL_DEFAULT || iLevel > ZIP_LEVEL_BEST)
        iLevel = ZIP_LEVEL_DEFAULT;
    m_centralDir.RemoveFromDisk();
    m_newFile = header;
    PrepareNewHeader(m_newFile, iLevel);
    m_newFile.WriteLocal(m_storage);
    CreateCryptograph(m_newFile.IsEncrypted() ? m_iEncryptionMethod : ZIP_ENCRYPTION_NONE);
    if (m_pCryptograph)
        m_pCryptograph->InitEncode(m_pszPassword, m_newFile, m_storage);
    CreateCompressor(m_newFile.m_uMethod);
    m_pCompressor->InitCompression(iLevel, &m_newFile, m_pCryptograph);
    m_iFileOpened = OpenedFile::Compress;
    return true;
}

bool CZipArchive::WriteNewFile(const void* pBuf, DWORD uSize)
{
    if (m_iFileOpened != OpenedFile::Compress)
        return false;
    if (m_newFile.IsDirectory() && uSize > 0)
        CZipException::Throw(CZipException::dirWithSize, m_szArchivePath);
    m_pCompressor->Compress(pBuf, uSize);
    return true;
}

bool CZipArchive::CloseNewFile(bool bAfterException)
{
    if (m_iFileOpened != OpenedFile::Compress)
        return false;
    m_iFileOpened = OpenedFile::None;
    m_pCompressor->FinishCompression(bAfterException);
    if (bAfterException)
        return true;
    m_newFile.WriteDataDescriptor(m_storage);
    m_centralDir.AddNewFile(m_newFile);
    return true;
}

// Opens the new file, lets write() give its data and closes it; a failure
// leaves the file out of the directory.
template <class Writer>
bool CZipArchive::AddWholeFile(CZipFileHeader& header, int iLevel, Writer write)
{
    if (!OpenNewFile(header, iLevel))
        return false;
    try
    {
        write();
        CloseNewFile();
    }
    catch (...)
    {
        CloseNewFile(true);
        throw;
    }
    return true;
}

bool CZipArchive::AddNewFile(const void* pData, DWORD uSize, LPCTSTR lpszFileNameInZip, int iLevel)
{
    CZipFileHeader header;
    header.SetFileName(lpszFileNameInZip);
    return AddWholeFile(header, iLevel, [&] { WriteNewFile(pData, uSize); });
}

bool CZipArchive::AddNewFile(CZipAbstractFile& source, LPCTSTR lpszFileNameInZip, int iLevel)
{
    CZipFileHeader header;
    header.SetFileName(lpszFileNameInZip);
    return AddWholeFile(header, iLevel, [&] { CopyToNewFile(source); });
}

void CZipArchive::CopyToNewFile(CZipAbstractFile& source)
{
    m_pBuffer.Allocate(m_iBufferSize);
    while (DWORD uRead = source.Read(m_pBuffer, m_iBufferSize))
        WriteNewFile(m_pBuffer, uRead);
}

CString CZipArchive::NameInArchive(LPCTSTR lpszFilePath) const
{
    CString szName(lpszFilePath);
    CString szRoot = m_szRootPath;
    CZipPathComponent::RemoveSeparators(szRoot);
    if (!szRoot.IsEmpty() && szName.GetLength() > szRoot.GetLength() && szName.Left(szRoot.GetLength()) == szRoot &&
        CZipPathComponent::IsSeparator(szName[szRoot.GetLength()]))
        szName = szName.Mid(szRoot.GetLength());
    else
        szName = CZipPathComponent(lpszFilePath).GetFileName();
    CZipPathComponent::RemoveSeparatorsLeft(szName);
    szName.Replace('\\', '/');
    return szName;
}

bool CZipArchive::AddNewFile(LPCTSTR lpszFilePath, LPCTSTR lpszFileNameInZip, int iLevel)
{
    DWORD uAttr = 0;
    if (!ZipPlatform::GetFileAttr(lpszFilePath, uAttr))
        CZipException::Throw(ENOENT, lpszFilePath);
    CString szName = lpszFileNameInZip && *lpszFileNameInZip ? CString(lpszFileNameInZip) : NameInArchive(lpszFilePath);
    CZipFileHeader header;
    // The entry keeps the time the file was last written, as readers show it;
    // without one, the time of adding it stands.
    SYSTEMTIME modified;
    if (ZipPlatform::GetFileModTime(lpszFilePath, modified))
        header.SetTime(modified);
    if (ZipPlatform::IsDirectory(uAttr))
    {
        CZipPathComponent::RemoveSeparators(szName);
        header.SetFileName(szName + "/");
        header.SetSystemAttr(uAttr & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
        return OpenNewFile(header, ZIP_LEVEL_STORE) && CloseNewFile();
    }
    CZipFile source(lpszFilePath, CFile::modeRead | CFile::shareDenyWrite);
    header.SetFileName(szName);
    header.SetSystemAttr(uAttr & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    return AddWholeFile(header, iLevel, [&] { CopyToNewFile(source); });
}

bool CZipArchive::OpenFile(ZIP_INDEX_TYPE uIndex)
{
    if (IsClosed() || m_iFileOpened != OpenedFile::None || uIndex >= GetCount())
        return false;
    CZipFileHeader* pHeader = m_centralDir[uIndex];
    if (pHeader->m_uMethod == ZIP_METHOD_WINZIP_AES)
        CZipException::Throw(CZipException::noAES, m_szArchivePath);
    if (pHeader->m_uMethod != ZIP_METHOD_STORE && pHeader->m_uMethod != ZIP_METHOD_DEFLATE)
    {
        // The exception's text is then the system's "not supported".
        SetLastError(ERROR_NOT_SUPPORTED);
        CZipException::Throw(CZipException::genericError, m_szArchivePath);
    }
    pHeader->ReadLocal(m_storage);
    if (pHeader->IsEncrypted())
    {
        CreateCryptograph(ZIP_ENCRYPTION_STANDARD);
        if (!m_pszPassword.IsAllocated() || !m_pCryptograph->InitDecode(m_pszPassword, *pHeader, m_storage))
            CZipException::Throw(CZipException::badPassword, m_szArchivePath);
    }
    else
    {
        CreateCryptograph(ZIP_ENCRYPTION_NONE);
    }
    CreateCompressor(pHeader->m_uMethod);
    m_pCompressor->InitDecompression(pHeader, m_pCryptograph);
    m_pOpenedFile = pHeader;
    m_iFileOpened = OpenedFile::Extract;
    return true;
}

DWORD CZipArchive::ReadFile(void* pBuf, DWORD uSize)
{
    if (m_iFileOpened != OpenedFile::Extract)
        return 0;
    return m_pCompressor->Decompress(pBuf, uSize);
}

int CZipArchive::CloseFile(bool bAfterException)
{
    if (m_iFileOpened != OpenedFile::Extract)
        return 0;
    m_iFileOpened = OpenedFile::None;
    const bool bDone = m_pCompressor->IsDecompressionDone();
    m_pCompressor->FinishDecompression(bAfterException);
    if (bAfterException || !bDone)
        return 0;
    if (m_pCompressor->GetCrc() != m_pOpenedFile->m_uCrc32)
        CZipException::Throw(CZipException::badCrc, m_szArchivePath);
    return 1;
}

bool CZipArchive::ExtractFile(ZIP_INDEX_TYPE uIndex, CZipAbstractFile& target)
{
    if (!OpenFile(uIndex))
        return false;
    try
    {
        m_pBuffer.Allocate(m_iBufferSize);
        while (DWORD uRead = ReadFile(m_pBuffer, m_iBufferSize))
            target.Write(m_pBuffer, uRead);
        CloseFile();
    }
    catch (...)
    {
        CloseFile(true);
        throw;
    }
    return true;
}

bool CZipArchive::ExtractFile(ZIP_INDEX_TYPE uIndex, LPCTSTR lpszFilePath)
{
    if (IsClosed() || m_iFileOpened != OpenedFile::None || uIndex >= GetCount() || m_centralDir[uIndex]->IsDirectory())
        return false;
    CZipFile target(lpszFilePath, CFile::modeCreate | CFile::modeWrite | CFile::shareDenyWrite);
    try
    {
        ExtractFile(uIndex, target);
        target.Close();
    }
    catch (...)
    {
        // A file with wrong contents must not look like a good one.
        target.Abort();
        ZipPlatform::RemoveFile(lpszFilePath, false);
        throw;
    }
    if (m_centralDir[uIndex]->GetSystemAttr() & FILE_ATTRIBUTE_READONLY)
        ZipPlatform::SetFileAttr(lpszFilePath, FILE_ATTRIBUTE_READONLY);
    return true;
}
