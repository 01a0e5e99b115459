#include "zip/zip_central_dir.h"

#include "zip/zip_bytes.h"
#include "zip/zip_exception.h"
#include "zip/zip_storage.h"

#include <algorithm>
#include <cstring>
#include <vector>

using ZipBytes::Get16;
using ZipBytes::Get32;
using ZipBytes::Put16;
using ZipBytes::Put32;

namespace
{

const DWORD MAX_COMMENT_SIZE = 0xFFFF;

}  // namespace

CZipCentralDir::CZipCentralDir(CZipStorage* pStorage) : m_pStorage(pStorage)
{
}

CZipCentralDir::~CZipCentralDir()
{
    Clear();
}

void CZipCentralDir::Clear()
{
    for (INT_PTR i = 0; i < m_findArray.GetSize(); ++i)
        delete m_findArray[i];
    m_findArray.RemoveAll();
    for (INT_PTR i = 0; i < m_headers.GetSize(); ++i)
        delete m_headers[i];
    m_headers.RemoveAll();
    m_pszComment.Release();
    m_info = CInfo();
}

ZIP_SIZE_TYPE CZipCentralDir::LocateEndRecord()
{
    const ZIP_SIZE_TYPE uLength = m_pStorage->GetLength();
    if (uLength < END_RECORD_SIZE)
        CZipException::Throw(CZipException::cdirNotFound, m_pStorage->GetArchivePath());
    const DWORD uTail = std::min<ZIP_SIZE_TYPE>(uLength, END_RECORD_SIZE + MAX_COMMENT_SIZE);
    CZipAutoBuffer tail(uTail);
    m_pStorage->Seek(uLength - uTail);
    m_pStorage->Read(tail, uTail, true);
    // The last signature whose record, comment included, fits in the file.
    for (DWORD i = uTail - END_RECORD_SIZE + 1; i-- > 0;)
    {
        const char* p = tail.GetBuffer() + i;
        if (Get32(p) != ZIP_SIGNATURE_END_OF_CENTRAL_DIR)
            continue;
        p = tail.GetBuffer() + i + END_RECORD_SIZE - 2;
        if (i + END_RECORD_SIZE + Get16(p) <= uTail)
            return uLength - uTail + i;
    }
    CZipException::Throw(CZipException::cdirNotFound, m_pStorage->GetArchivePath());
}

void CZipCentralDir::Read()
{
    Clear();
    const ZIP_SIZE_TYPE uEnd = LocateEndRecord();
    if (uEnd >= ZIP64_LOCATOR_SIZE)
    {
        char locator[4];
        m_pStorage->Seek(uEnd - ZIP64_LOCATOR_SIZE);
        m_pStorage->Read(locator, sizeof locator, true);
        const char* p = locator;
        if (Get32(p) == ZIP_SIGNATURE_ZIP64_LOCATOR)
            CZipException::Throw(CZipException::noZip64, m_pStorage->GetArchivePath());
    }
    char record[END_RECORD_SIZE];
    m_pStorage->Seek(uEnd);
    m_pStorage->Read(record, END_RECORD_SIZE, true);
    const char* p = record + 4;
    m_info.m_uLastVolume = Get16(p);
    m_info.m_uVolumeWithCD = Get16(p);
    m_info.m_uVolumeEntriesNo = Get16(p);
    m_info.m_uEntriesNumber = Get16(p);
    m_info.m_uSize = Get32(p);
    m_info.m_uOffset = Get32(p);
    const WORD uCommentSize = Get16(p);
    if (m_info.m_uEntriesNumber == 0xFFFF || m_info.m_uSize == ZIP_MAX_SIZE || m_info.m_uOffset == ZIP_MAX_SIZE)
        CZipException::Throw(CZipException::noZip64, m_pStorage->GetArchivePath());
    if (m_info.m_uVolumeWithCD > m_info.m_uLastVolume || m_info.m_uVolumeEntriesNo > m_info.m_uEntriesNumber)
        CZipException::Throw(CZipException::badZipFile, m_pStorage->GetArchivePath());
    if (uCommentSize)
    {
        m_pszComment.Allocate(uCommentSize);
        m_pStorage->Read(m_pszComment, uCommentSize, true);
    }
    if (m_info.m_uLastVolume > 0)
        m_pStorage->SetSplitRead(m_info.m_uLastVolume);
    else if (static_cast<ULONGLONG>(m_info.m_uOffset) + m_info.m_uSize > uEnd)
        CZipException::Throw(CZipException::badZipFile, m_pStorage->GetArchivePath());
    ReadHeaders();
    m_info.m_bInArchive = true;
}

void CZipCentralDir::ReadHeaders()
{
    m_pStorage->ChangeVolume(m_info.m_uVolumeWithCD);
    m_pStorage->Seek(m_info.m_uOffset);
    m_headers.SetSize(0, m_info.m_uEntriesNumber);
    for (ZIP_INDEX_TYPE i = 0; i < m_info.m_uEntriesNumber; ++i)
    {
        CZipFileHeader* pHeader = new CZipFileHeader;
        m_headers.Add(pHeader);
        pHeader->ReadCentral(*m_pStorage);
        if (pHeader->m_uVolumeStart > m_info.m_uLastVolume)
            CZipException::Throw(CZipException::badZipFile, m_pStorage->GetArchivePath());
    }
    CheckEntriesApart();
    BuildFindFastArray();
}

// A sound archive gives each entry bytes of its own, in front of the
// directory. Entries that share bytes let a small archive extract to any
// size (hundreds of entries over one compressed stream), so they are refused
// before anything is extracted. An entry takes at least its local header
// with the name and its compressed data; the local extra field and a data
// descriptor come on top, so the check never refuses a sound archive.
// Entries may stand in any order, with gaps between them.
void CZipCentralDir::CheckEntriesApart() const
{
    struct CExtent
    {
        ZIP_VOLUME_TYPE m_uVolume;
        ULONGLONG m_uBegin;
        ULONGLONG m_uEnd;
    };
    std::vector<CExtent> extents;
    extents.reserve(static_cast<size_t>(m_headers.GetSize()));
    for (INT_PTR i = 0; i < m_headers.GetSize(); ++i)
    {
        const CZipFileHeader& header = *m_headers[i];
        const ULONGLONG uBegin = header.m_uOffset;
        extents.push_back({header.m_uVolumeStart, uBegin,
                           uBegin + CZipFileHeader::LOCAL_SIZE + header.m_pszFileName.GetSize() + header.m_uComprSize});
    }
    std::sort(extents.begin(), extents.end(), [](const CExtent& a, const CExtent& b) {
        return a.m_uVolume != b.m_uVolume ? a.m_uVolume < b.m_uVolume : a.m_uBegin < b.m_uBegin;
    });
    for (size_t i = 0; i < extents.size(); ++i)
    {
        const CExtent& extent = extents[i];
        // An entry that starts on the directory's volume lies wholly before it.
        const bool bOverDirectory = extent.m_uVolume == m_info.m_uVolumeWithCD && extent.m_uEnd > m_info.m_uOffset;
        const bool bOverNext = i + 1 < extents.size() && extents[i + 1].m_uVolume == extent.m_uVolume &&
                               extent.m_uEnd > extents[i + 1].m_uBegin;
        if (bOverDirectory || bOverNext)
            CZipException::Throw(CZipException::badZipFile, m_pStorage->GetArchivePath());
    }
}

void CZipCentralDir::BuildFindFastArray()
{
    for (INT_PTR i = 0; i < m_findArray.GetSize(); ++i)
        delete m_findArray[i];
    m_findArray.RemoveAll();
    for (INT_PTR i = 0; i < m_headers.GetSize(); ++i)
        m_findArray.Add(new CZipFindFast{m_headers[i], static_cast<ZIP_INDEX_TYPE>(i)});
    CZipFindFast** pBegin = m_findArray.GetData();
    std::stable_sort(pBegin, pBegin + m_findArray.GetSize(), [](const CZipFindFast* a, const CZipFindFast* b) {
        return a->m_pHeader->GetFileName().Compare(b->m_pHeader->GetFileName()) < 0;
    });
}

ZIP_INDEX_TYPE CZipCentralDir::FindFile(LPCTSTR lpszFileName, bool bCaseSensitive) const
{
    if (!bCaseSensitive)
    {
        for (INT_PTR i = 0; i < m_headers.GetSize(); ++i)
        {
            if (m_headers[i]->GetFileName().CompareNoCase(lpszFileName) == 0)
                return static_cast<ZIP_INDEX_TYPE>(i);
        }
        return ZIP_FILE_INDEX_NOT_FOUND;
    }
    const CZipFindFast* const* pBegin = m_findArray.GetData();
    const CZipFindFast* const* pEnd = pBegin + m_findArray.GetSize();
    const CZipFindFast* const* pFound = std::lower_bound(pBegin, pEnd, lpszFileName,
        [](const CZipFindFast* a, LPCTSTR name) { return a->m_pHeader->GetFileName().Compare(name) < 0; });
    if (pFound == pEnd || (*pFound)->m_pHeader->GetFileName().Compare(lpszFileName) != 0)
        return ZIP_FILE_INDEX_NOT_FOUND;
    return (*pFound)->m_uIndex;
}

CZipFileHeader* CZipCentralDir::AddNewFile(const CZipFileHeader& header)
{
    if (m_headers.GetSize() >= static_cast<INT_PTR>(ZIP_MAX_FILES) - 1)
        CZipException::Throw(CZipException::tooManyFiles, m_pStorage->GetArchivePath());
    CZipFileHeader* pHeader = new CZipFileHeader(header);
    m_headers.Add(pHeader);
    const CString szName = pHeader->GetFileName();
    CZipFindFast** pBegin = m_findArray.GetData();
    CZipFindFast** pEnd = pBegin + m_findArray.GetSize();
    CZipFindFast** pPlace = std::upper_bound(pBegin, pEnd, szName,
        [](const CString& name, const CZipFindFast* a) { return name.Compare(a->m_pHeader->GetFileName()) < 0; });
    m_findArray.InsertAt(pPlace - pBegin, new CZipFindFast{pHeader, static_cast<ZIP_INDEX_TYPE>(m_headers.GetSize() - 1)});
    return pHeader;
}

void CZipCentralDir::RemoveFromDisk()
{
    if (!m_info.m_bInArchive)
        return;
    m_pStorage->Truncate(m_info.m_uOffset);
    m_info.m_bInArchive = false;
}

void CZipCentralDir::Write()
{
    if (m_info.m_bInArchive)
        return;
    const ZIP_INDEX_TYPE uCount = GetCount();
    m_pStorage->AssureFree(uCount ? m_headers[0]->GetCentralSize() : END_RECORD_SIZE + m_pszComment.GetSize());
    m_info.m_uVolumeWithCD = m_pStorage->GetCurrentVolume();
    m_info.m_uOffset = m_pStorage->GetPosition();
    ULONGLONG uSize = 0;
    ZIP_INDEX_TYPE uOnLastVolume = 0;
    for (ZIP_INDEX_TYPE i = 0; i < uCount; ++i)
    {
        const ZIP_VOLUME_TYPE uBefore = m_pStorage->GetCurrentVolume();
        m_headers[i]->WriteCentral(*m_pStorage);
        uOnLastVolume = m_pStorage->GetCurrentVolume() == uBefore ? uOnLastVolume + 1 : 1;
        uSize += m_headers[i]->GetCentralSize();
    }
    if (uSize > ZIP_MAX_SIZE)
        CZipException::Throw(CZipException::tooBigSize, m_pStorage->GetArchivePath());
    const ZIP_VOLUME_TYPE uLastHeaderVolume = m_pStorage->GetCurrentVolume();
    m_pStorage->AssureFree(END_RECORD_SIZE + m_pszComment.GetSize());
    if (m_pStorage->GetCurrentVolume() != uLastHeaderVolume)
        uOnLastVolume = 0;
    m_info.m_uLastVolume = m_pStorage->GetCurrentVolume();
    m_info.m_uEntriesNumber = uCount;
    m_info.m_uVolumeEntriesNo = uOnLastVolume;
    m_info.m_uSize = static_cast<ZIP_SIZE_TYPE>(uSize);

    CZipAutoBuffer record(END_RECORD_SIZE + m_pszComment.GetSize());
    char* p = record;
    Put32(p, ZIP_SIGNATURE_END_OF_CENTRAL_DIR);
    Put16(p, m_info.m_uLastVolume);
    Put16(p, m_info.m_uVolumeWithCD);
    Put16(p, m_info.m_uVolumeEntriesNo);
    Put16(p, m_info.m_uEntriesNumber);
    Put32(p, m_info.m_uSize);
    Put32(p, m_info.m_uOffset);
    Put16(p, static_cast<WORD>(m_pszComment.GetSize()));
    if (m_pszComment.GetSize())
        std::memcpy(p, m_pszComment.GetBuffer(), m_pszComment.GetSize());
    m_pStorage->Write(record, record.GetSize(), true);
    m_info.m_bInArchive = true;
}

CString CZipCentralDir::GetComment() const
{
    return m_pszComment.IsAllocated() ? CString(m_pszComment.GetBuffer(), static_cast<int>(m_pszComment.GetSize()))
                                      : CString();
}

void CZipCentralDir::SetComment(LPCTSTR lpszComment)
{
    const size_t uLength = lpszComment ? std::strlen(lpszComment) : 0;
    if (uLength > MAX_COMMENT_SIZE)
        CZipException::Throw(CZipException::tooLongData, m_pStorage->GetArchivePath());
    if (uLength)
        m_pszComment.Fill(lpszComment, static_cast<DWORD>(uLength));
    else
        m_pszComment.Release();
}
