#include "zip/zip_storage.h"

#include "zip/zip_bytes.h"
#include "zip/zip_exception.h"
#include "zip/zip_path_component.h"
#include "zip/zip_platform.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace
{

// The first volume of a split archive starts with the data descriptor's
// signature; an archive that stayed in one volume carries "PK00" instead.
const DWORD SINGLE_SEGMENT_MARKER = 0x30304b50u;

}  // namespace

CZipStorage::CZipStorage()
    : m_szSplitExtension("zip"),
      m_pFile(nullptr),
      m_uBytesInWriteBuffer(0),
      m_uCurrentVolume(NO_VOLUME),
      m_uLastVolume(0),
      m_uVolumeSize(0),
      m_iSegmMode(noSegments),
      m_bNewSegm(false),
      m_bReadOnly(false)
{
}

CZipStorage::~CZipStorage()
{
    if (!IsClosed())
        Close(true);
}

CString CZipStorage::GetSplitVolumeName(LPCTSTR lpszArchivePath, DWORD uVolume, bool bLast)
{
    if (bLast)
        return lpszArchivePath;
    CZipPathComponent path(lpszArchivePath);
    CString szExtension;
    szExtension.Format(uVolume < 100 ? "z%.2u" : "z%u", uVolume);
    path.SetExtension(szExtension);
    return path.GetFullPath();
}

CString CZipStorage::GetSpanVolumeLabel(DWORD uDisk)
{
    CString szLabel;
    szLabel.Format("pkback# %.3d", uDisk);
    return szLabel;
}

void CZipStorage::Open(LPCTSTR lpszPathName, int iMode, ZIP_SIZE_TYPE uVolumeSize, DWORD uBufferSize)
{
    m_szArchiveName = lpszPathName;
    m_pWriteBuffer.Allocate(uBufferSize);
    m_uBytesInWriteBuffer = 0;
    m_uLastVolume = 0;
    m_iSegmMode = noSegments;
    m_bNewSegm = false;
    m_bReadOnly = false;
    switch (iMode)
    {
    case zipCreateSpan:
        if (!ZipPlatform::IsDriveRemovable(lpszPathName))
            CZipException::Throw(CZipException::nonRemovable, lpszPathName);
        // Writing disk after disk needs a callback that asks the user for
        // the next one, and disks that take a label; this build has neither.
        CZipException::Throw(CZipException::noCallback, lpszPathName);
    case zipCreateSplit:
        if (uVolumeSize < sizeof(DWORD))
            CZipException::Throw(EINVAL, lpszPathName);
        m_iSegmMode = splitArchive;
        m_bNewSegm = true;
        m_uVolumeSize = uVolumeSize;
        m_szSplitExtension = CZipPathComponent(lpszPathName).GetFileExt();
        m_uCurrentVolume = 0;
        OpenVolumeFile(0, CFile::modeCreate | CFile::modeReadWrite);
        {
            char signature[4];
            char* p = signature;
            ZipBytes::Put32(p, ZIP_SIGNATURE_DATA_DESCRIPTOR);
            Write(signature, sizeof signature, true);
        }
        break;
    case zipCreate:
        m_uCurrentVolume = 0;
        OpenVolumeFile(0, CFile::modeCreate | CFile::modeReadWrite);
        break;
    case zipOpen:
    case zipOpenReadOnly:
        m_bReadOnly = iMode == zipOpenReadOnly;
        m_uCurrentVolume = 0;
        OpenVolumeFile(0, m_bReadOnly ? CFile::modeRead : CFile::modeReadWrite);
        break;
    default:
        CZipException::Throw(EINVAL, lpszPathName);
    }
}

void CZipStorage::Open(CZipAbstractFile& af, int iMode, DWORD uBufferSize)
{
    if (iMode != zipCreate && iMode != zipOpen && iMode != zipOpenReadOnly)
        CZipException::Throw(EINVAL, af.GetFilePath());
    m_szArchiveName = af.GetFilePath();
    m_pWriteBuffer.Allocate(uBufferSize);
    m_uBytesInWriteBuffer = 0;
    m_iSegmMode = noSegments;
    m_bNewSegm = false;
    m_bReadOnly = iMode == zipOpenReadOnly;
    m_uCurrentVolume = 0;
    m_uLastVolume = 0;
    m_pFile = &af;
    if (iMode == zipCreate)
        af.SetLength(0);
    af.SeekToBegin();
}

void CZipStorage::OpenVolumeFile(ZIP_VOLUME_TYPE uVolume, UINT nFlags)
{
    m_internalFile.Open(VolumeName(uVolume), nFlags | CFile::shareDenyWrite | CFile::typeBinary, true);
    m_pFile = &m_internalFile;
}

bool CZipStorage::IsLastVolume(ZIP_VOLUME_TYPE uVolume) const
{
    return m_iSegmMode == noSegments || (!m_bNewSegm && uVolume == m_uLastVolume);
}

CString CZipStorage::VolumeName(ZIP_VOLUME_TYPE uVolume) const
{
    return GetSplitVolumeName(m_szArchiveName, static_cast<DWORD>(uVolume) + 1, IsLastVolume(uVolume));
}

void CZipStorage::Close(bool bAfterException)
{
    if (IsClosed())
        return;
    if (bAfterException)
    {
        m_uBytesInWriteBuffer = 0;
        if (m_pFile == &m_internalFile)
            m_internalFile.Abort();
        Reset();
        return;
    }
    Flush();
    const bool bNameLastVolume = IsNewSegmented();
    if (bNameLastVolume && m_uCurrentVolume == 0)
    {
        char marker[4];
        char* p = marker;
        ZipBytes::Put32(p, SINGLE_SEGMENT_MARKER);
        m_pFile->Seek(0, CZipAbstractFile::begin);
        m_pFile->Write(marker, sizeof marker);
    }
    const CString szLastVolume = VolumeName(m_uCurrentVolume);
    if (m_pFile == &m_internalFile)
        m_internalFile.Close();
    else
        m_pFile->Flush();
    // Closed before the renaming, which may fail on its own.
    Reset();
    if (bNameLastVolume)
        ZipPlatform::RenameFile(szLastVolume, m_szArchiveName);
}

void CZipStorage::Reset()
{
    m_pFile = nullptr;
    m_uCurrentVolume = NO_VOLUME;
    m_iSegmMode = noSegments;
    m_bNewSegm = false;
    m_pWriteBuffer.Release();
}

void CZipStorage::WriteToFile(const char* pBuf, DWORD uSize)
{
    if (m_bReadOnly)
        CZipException::Throw(EACCES, m_szArchiveName);
    m_pFile->Write(pBuf, uSize);
}

void CZipStorage::Flush()
{
    if (m_uBytesInWriteBuffer == 0)
        return;
    const DWORD uSize = m_uBytesInWriteBuffer;
    m_uBytesInWriteBuffer = 0;
    WriteToFile(m_pWriteBuffer, uSize);
}

DWORD CZipStorage::VolumeLeft() const
{
    const ZIP_SIZE_TYPE uUsed = GetPosition();
    return uUsed < m_uVolumeSize ? m_uVolumeSize - uUsed : 0;
}

void CZipStorage::NextVolume()
{
    Flush();
    if (m_uCurrentVolume + 1u >= ZIP_MAX_VOLUMES)
        CZipException::Throw(CZipException::tooManyVolumes, m_szArchiveName);
    m_internalFile.Close();
    ++m_uCurrentVolume;
    OpenVolumeFile(m_uCurrentVolume, CFile::modeCreate | CFile::modeReadWrite);
}

void CZipStorage::AssureFree(DWORD uNeeded)
{
    if (!IsNewSegmented())
        return;
    if (uNeeded > m_uVolumeSize)
        CZipException::Throw(CZipException::tooLongData, m_szArchiveName);
    if (VolumeLeft() < uNeeded)
        NextVolume();
}

void CZipStorage::Write(const void* pBuf, DWORD uSize, bool bAtOnce)
{
    if (bAtOnce)
        AssureFree(uSize);
    const char* p = static_cast<const char*>(pBuf);
    const DWORD uBufferSize = m_pWriteBuffer.GetSize();
    while (uSize > 0)
    {
        DWORD uChunk = uSize;
        if (IsNewSegmented())
        {
            const DWORD uLeft = VolumeLeft();
            if (uLeft == 0)
            {
                NextVolume();
                continue;
            }
            uChunk = std::min(uChunk, uLeft);
        }
        if (m_uBytesInWriteBuffer == 0 && uChunk >= uBufferSize)
        {
            // Nothing to gather: large blocks go straight to the file.
            WriteToFile(p, uChunk);
        }
        else
        {
            uChunk = std::min(uChunk, uBufferSize - m_uBytesInWriteBuffer);
            std::memcpy(m_pWriteBuffer.GetBuffer() + m_uBytesInWriteBuffer, p, uChunk);
            m_uBytesInWriteBuffer += uChunk;
            if (m_uBytesInWriteBuffer == uBufferSize)
                Flush();
        }
        p += uChunk;
        uSize -= uChunk;
    }
}

ZIP_SIZE_TYPE CZipStorage::GetPosition() const
{
    return static_cast<ZIP_SIZE_TYPE>(m_pFile->GetPosition() + m_uBytesInWriteBuffer);
}

DWORD CZipStorage::Read(void* pBuf, DWORD uSize, bool bAtOnce)
{
    Flush();
    char* p = static_cast<char*>(pBuf);
    DWORD uTotal = 0;
    while (uTotal < uSize)
    {
        const UINT uRead = m_pFile->Read(p + uTotal, uSize - uTotal);
        uTotal += uRead;
        if (uTotal == uSize)
            break;
        if (uRead == 0 && IsExistingSegmented() && m_uCurrentVolume < m_uLastVolume)
            ChangeVolume(static_cast<ZIP_VOLUME_TYPE>(m_uCurrentVolume + 1));
        else if (uRead == 0)
            break;
    }
    if (bAtOnce && uTotal < uSize)
        CZipException::Throw(CZipException::badZipFile, m_szArchiveName);
    return uTotal;
}

void CZipStorage::Seek(ZIP_SIZE_TYPE uOffset)
{
    Flush();
    m_pFile->Seek(uOffset, CZipAbstractFile::begin);
}

ZIP_SIZE_TYPE CZipStorage::GetLength() const
{
    const ULONGLONG uLength = m_pFile->GetLength() + m_uBytesInWriteBuffer;
    return uLength > ZIP_MAX_SIZE ? ZIP_MAX_SIZE : static_cast<ZIP_SIZE_TYPE>(uLength);
}

void CZipStorage::Truncate(ZIP_SIZE_TYPE uOffset)
{
    Flush();
    m_pFile->SetLength(uOffset);
    m_pFile->Seek(uOffset, CZipAbstractFile::begin);
}

void CZipStorage::SetSplitRead(ZIP_VOLUME_TYPE uLastVolume)
{
    // Disks of a spanned archive all carry the archive's own name, so no
    // first volume lies next to it.
    if (ZipPlatform::FileExists(GetSplitVolumeName(m_szArchiveName, 1, false)) == 0 &&
        ZipPlatform::IsDriveRemovable(m_szArchiveName))
        CZipException::Throw(CZipException::noCallback, m_szArchiveName);
    if (m_pFile != &m_internalFile)
        CZipException::Throw(CZipException::badZipFile, m_szArchiveName);
    m_iSegmMode = splitArchive;
    m_bNewSegm = false;
    m_bReadOnly = true;
    m_uLastVolume = uLastVolume;
    m_uCurrentVolume = uLastVolume;
}

void CZipStorage::ChangeVolume(ZIP_VOLUME_TYPE uNumber)
{
    if (uNumber == m_uCurrentVolume)
        return;
    if (!IsExistingSegmented() || uNumber > m_uLastVolume)
        CZipException::Throw(CZipException::badZipFile, m_szArchiveName);
    m_internalFile.Close();
    m_pFile = nullptr;
    m_uCurrentVolume = uNumber;
    OpenVolumeFile(uNumber, CFile::modeRead);
}
