#include "platform/base/file.h"

#include "platform/base/last_error.h"
#include "platform/base/win_errors.h"

#include <algorithm>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

IMPLEMENT_DYNAMIC(CFile, CObject)

const HANDLE CFile::hFileNull = INVALID_HANDLE_VALUE;

namespace {

HANDLE HandleOf(int fd)
{
    return reinterpret_cast<HANDLE>(static_cast<intptr_t>(fd));
}

}  // namespace

CFile::CFile() : m_hFile(hFileNull), m_bCloseOnDelete(FALSE)
{
}

CFile::CFile(LPCTSTR lpszFileName, UINT nOpenFlags) : CFile()
{
    CFileException error;
    if (!Open(lpszFileName, nOpenFlags, &error))
        AfxThrowFileException(error.m_cause, error.m_lOsError, error.m_strFileName);
}

CFile::~CFile()
{
    if (m_hFile != hFileNull && m_bCloseOnDelete)
        Abort();
}

CString CFile::NativePath(LPCTSTR lpszPath)
{
    CString path(lpszPath);
    path.Replace('\\', '/');
    return path;
}

BOOL CFile::Open(LPCTSTR lpszFileName, UINT nOpenFlags, CFileException* pError)
{
    if (m_hFile != hFileNull)
        return OpenFailed(pError, CFileException::genericException, ERROR_INVALID_PARAMETER, lpszFileName);
    if (!lpszFileName || !*lpszFileName)
        return OpenFailed(pError, CFileException::badPath, ERROR_INVALID_NAME, lpszFileName);
    int flags = O_CLOEXEC;
    switch (nOpenFlags & 3) {
    case modeRead: flags |= O_RDONLY; break;
    case modeWrite: flags |= O_WRONLY; break;
    default: flags |= O_RDWR; break;
    }
    if (nOpenFlags & modeCreate) {
        flags |= O_CREAT;
        if (!(nOpenFlags & modeNoTruncate))
            flags |= O_TRUNC;
    }
    if (nOpenFlags & osWriteThrough)
        flags |= O_DSYNC;
    CString path = NativePath(lpszFileName);
    int fd;
    do {
        fd = ::open(path, flags, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return OpenFailedErrno(pError, errno, lpszFileName);
    struct stat st;
    if (fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        return OpenFailedErrno(pError, EISDIR, lpszFileName);
    }
    m_hFile = HandleOf(fd);
    m_bCloseOnDelete = TRUE;
    m_strFileName = lpszFileName;
    return TRUE;
}

BOOL CFile::OpenFailed(CFileException* pError, int nCause, DWORD dwOsError, LPCTSTR lpszFileName)
{
    SetLastError(dwOsError);
    if (pError) {
        pError->m_cause = nCause;
        pError->m_lOsError = static_cast<LONG>(dwOsError);
        pError->m_strFileName = lpszFileName;
    }
    return FALSE;
}

BOOL CFile::OpenFailedErrno(CFileException* pError, int nErrno, LPCTSTR lpszFileName)
{
    return OpenFailed(pError, CFileException::ErrnoToException(nErrno), ErrorFromErrno(nErrno), lpszFileName);
}

int CFile::Descriptor() const
{
    if (m_hFile == hFileNull)
        AfxThrowFileException(CFileException::invalidFile, static_cast<LONG>(ERROR_INVALID_HANDLE), m_strFileName);
    return static_cast<int>(reinterpret_cast<intptr_t>(m_hFile));
}

void CFile::ThrowErrno(int nErrno) const
{
    SetLastErrorFromErrno(nErrno);
    CFileException::ThrowErrno(nErrno, m_strFileName);
}

UINT CFile::Read(void* lpBuf, UINT nCount)
{
    int fd = Descriptor();
    if (nCount == 0)
        return 0;
    if (!lpBuf)
        AfxThrowInvalidArgException();
    UINT done = 0;
    while (done < nCount) {
        ssize_t n = ::read(fd, static_cast<char*>(lpBuf) + done, nCount - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            ThrowErrno(errno);
        }
        if (n == 0)
            break;
        done += static_cast<UINT>(n);
    }
    return done;
}

void CFile::Write(const void* lpBuf, UINT nCount)
{
    int fd = Descriptor();
    if (nCount == 0)
        return;
    if (!lpBuf)
        AfxThrowInvalidArgException();
    UINT done = 0;
    while (done < nCount) {
        ssize_t n = ::write(fd, static_cast<const char*>(lpBuf) + done, nCount - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            ThrowErrno(errno);
        }
        if (n == 0)
            ThrowErrno(ENOSPC);
        done += static_cast<UINT>(n);
    }
}

ULONGLONG CFile::Seek(LONGLONG lOff, UINT nFrom)
{
    int fd = Descriptor();
    int whence = nFrom == begin ? SEEK_SET : nFrom == current ? SEEK_CUR : nFrom == end ? SEEK_END : -1;
    if (whence < 0)
        AfxThrowInvalidArgException();
    off_t pos = ::lseek(fd, static_cast<off_t>(lOff), whence);
    if (pos < 0) {
        SetLastErrorFromErrno(errno);
        AfxThrowFileException(CFileException::badSeek, static_cast<LONG>(GetLastError()), m_strFileName);
    }
    return static_cast<ULONGLONG>(pos);
}

ULONGLONG CFile::GetLength() const
{
    struct stat st;
    if (fstat(Descriptor(), &st) != 0)
        ThrowErrno(errno);
    return static_cast<ULONGLONG>(st.st_size);
}

void CFile::SetLength(ULONGLONG dwNewLen)
{
    int fd = Descriptor();
    if (dwNewLen > static_cast<ULONGLONG>(INT64_MAX))
        AfxThrowInvalidArgException();
    if (::ftruncate(fd, static_cast<off_t>(dwNewLen)) != 0)
        ThrowErrno(errno);
}

ULONGLONG CFile::GetPosition() const
{
    off_t pos = ::lseek(Descriptor(), 0, SEEK_CUR);
    if (pos < 0)
        ThrowErrno(errno);
    return static_cast<ULONGLONG>(pos);
}

void CFile::Flush()
{
    if (m_hFile == hFileNull)
        return;
    if (::fsync(Descriptor()) != 0 && errno != EINVAL && errno != EROFS)
        ThrowErrno(errno);
}

void CFile::Close()
{
    if (m_hFile == hFileNull)
        return;
    int fd = Descriptor();
    m_hFile = hFileNull;
    m_bCloseOnDelete = FALSE;
    // The descriptor is gone whatever close() says; EINTR is not retried.
    if (::close(fd) != 0 && errno != EINTR)
        ThrowErrno(errno);
}

void CFile::Abort()
{
    if (m_hFile == hFileNull)
        return;
    ::close(static_cast<int>(reinterpret_cast<intptr_t>(m_hFile)));
    m_hFile = hFileNull;
    m_bCloseOnDelete = FALSE;
}

CString CFile::GetFileName() const
{
    int slash = std::max(m_strFileName.ReverseFind('/'), m_strFileName.ReverseFind('\\'));
    return m_strFileName.Mid(slash + 1);
}

CString CFile::GetFileTitle() const
{
    CString name = GetFileName();
    int dot = name.ReverseFind('.');
    return dot > 0 ? name.Left(dot) : name;
}

void CFile::Remove(LPCTSTR lpszFileName)
{
    if (::unlink(NativePath(lpszFileName)) != 0) {
        int err = errno;
        SetLastErrorFromErrno(err);
        CFileException::ThrowErrno(err, lpszFileName);
    }
}

void CFile::Rename(LPCTSTR lpszOldName, LPCTSTR lpszNewName)
{
    if (::rename(NativePath(lpszOldName), NativePath(lpszNewName)) != 0) {
        int err = errno;
        SetLastErrorFromErrno(err);
        CFileException::ThrowErrno(err, lpszOldName);
    }
}
