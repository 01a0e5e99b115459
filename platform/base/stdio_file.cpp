#include "platform/base/stdio_file.h"

#include "platform/base/last_error.h"
#include "platform/base/win_errors.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

IMPLEMENT_DYNAMIC(CStdioFile, CFile)

CStdioFile::CStdioFile() : m_pStream(nullptr), m_bText(TRUE)
{
}

CStdioFile::CStdioFile(FILE* pOpenStream) : CStdioFile()
{
    if (!pOpenStream)
        AfxThrowInvalidArgException();
    m_pStream = pOpenStream;
    m_hFile = reinterpret_cast<HANDLE>(static_cast<intptr_t>(fileno(pOpenStream)));
    m_bCloseOnDelete = TRUE;
}

CStdioFile::CStdioFile(LPCTSTR lpszFileName, UINT nOpenFlags) : CStdioFile()
{
    CFileException error;
    if (!Open(lpszFileName, nOpenFlags, &error))
        AfxThrowFileException(error.m_cause, error.m_lOsError, error.m_strFileName);
}

CStdioFile::~CStdioFile()
{
    if (m_pStream && m_bCloseOnDelete)
        Abort();
}

BOOL CStdioFile::Open(LPCTSTR lpszFileName, UINT nOpenFlags, CFileException* pError)
{
    if (m_pStream)
        return OpenFailed(pError, CFileException::genericException, ERROR_INVALID_PARAMETER, lpszFileName);
    if (!CFile::Open(lpszFileName, nOpenFlags, pError))
        return FALSE;
    const char* mode;
    switch (nOpenFlags & 3) {
    case modeRead: mode = "r"; break;
    case modeWrite: mode = "w"; break;
    default: mode = (nOpenFlags & modeCreate) && !(nOpenFlags & modeNoTruncate) ? "w+" : "r+"; break;
    }
    int fd = static_cast<int>(reinterpret_cast<intptr_t>(m_hFile));
    m_pStream = fdopen(fd, mode);
    if (!m_pStream) {
        int err = errno;
        CFile::Abort();
        return OpenFailedErrno(pError, err, lpszFileName);
    }
    m_bText = (nOpenFlags & typeBinary) ? FALSE : TRUE;
    return TRUE;
}

void CStdioFile::ThrowStreamError() const
{
    int err = errno ? errno : EIO;
    SetLastErrorFromErrno(err);
    CFileException::ThrowErrno(err, m_strFileName);
}

BOOL CStdioFile::ReadString(CString& rString)
{
    if (!m_pStream)
        AfxThrowFileException(CFileException::invalidFile, ERROR_INVALID_HANDLE, m_strFileName);
    std::string line;
    bool any = false;
    errno = 0;
    for (;;) {
        int c = getc(m_pStream);
        if (c == EOF) {
            if (ferror(m_pStream))
                ThrowStreamError();
            break;
        }
        any = true;
        if (c == '\n')
            break;
        line.push_back(static_cast<char>(c));
    }
    if (m_bText && !line.empty() && line.back() == '\r')
        line.pop_back();
    rString = line.c_str();
    return any ? TRUE : FALSE;
}

LPTSTR CStdioFile::ReadString(LPTSTR lpsz, UINT nMax)
{
    if (!m_pStream)
        AfxThrowFileException(CFileException::invalidFile, ERROR_INVALID_HANDLE, m_strFileName);
    if (!lpsz || nMax == 0)
        AfxThrowInvalidArgException();
    int cap = static_cast<int>(std::min<UINT>(nMax, 0x7fffffff));
    errno = 0;
    if (!fgets(lpsz, cap, m_pStream)) {
        if (ferror(m_pStream))
            ThrowStreamError();
        return nullptr;
    }
    if (m_bText) {
        size_t n = strlen(lpsz);
        if (n >= 2 && lpsz[n - 2] == '\r' && lpsz[n - 1] == '\n') {
            lpsz[n - 2] = '\n';
            lpsz[n - 1] = '\0';
        }
    }
    return lpsz;
}

void CStdioFile::WriteString(LPCTSTR lpsz)
{
    if (!lpsz)
        AfxThrowInvalidArgException();
    Write(lpsz, static_cast<UINT>(strlen(lpsz)));
}

UINT CStdioFile::Read(void* lpBuf, UINT nCount)
{
    if (!m_pStream)
        AfxThrowFileException(CFileException::invalidFile, ERROR_INVALID_HANDLE, m_strFileName);
    if (nCount == 0)
        return 0;
    if (!lpBuf)
        AfxThrowInvalidArgException();
    errno = 0;
    size_t n = fread(lpBuf, 1, nCount, m_pStream);
    if (n < nCount && ferror(m_pStream))
        ThrowStreamError();
    return static_cast<UINT>(n);
}

void CStdioFile::Write(const void* lpBuf, UINT nCount)
{
    if (!m_pStream)
        AfxThrowFileException(CFileException::invalidFile, ERROR_INVALID_HANDLE, m_strFileName);
    if (nCount == 0)
        return;
    if (!lpBuf)
        AfxThrowInvalidArgException();
    errno = 0;
    if (fwrite(lpBuf, 1, nCount, m_pStream) != nCount)
        ThrowStreamError();
}

ULONGLONG CStdioFile::Seek(LONGLONG lOff, UINT nFrom)
{
    if (!m_pStream)
        AfxThrowFileException(CFileException::invalidFile, ERROR_INVALID_HANDLE, m_strFileName);
    int whence = nFrom == begin ? SEEK_SET : nFrom == current ? SEEK_CUR : nFrom == end ? SEEK_END : -1;
    if (whence < 0)
        AfxThrowInvalidArgException();
    if (fseeko(m_pStream, static_cast<off_t>(lOff), whence) != 0) {
        SetLastErrorFromErrno(errno);
        AfxThrowFileException(CFileException::badSeek, static_cast<LONG>(GetLastError()), m_strFileName);
    }
    return GetPosition();
}

ULONGLONG CStdioFile::GetLength() const
{
    if (!m_pStream)
        AfxThrowFileException(CFileException::invalidFile, ERROR_INVALID_HANDLE, m_strFileName);
    // Buffered output counts too.
    fflush(m_pStream);
    struct stat st;
    if (fstat(fileno(m_pStream), &st) != 0)
        ThrowStreamError();
    return static_cast<ULONGLONG>(st.st_size);
}

void CStdioFile::SetLength(ULONGLONG dwNewLen)
{
    if (!m_pStream)
        AfxThrowFileException(CFileException::invalidFile, ERROR_INVALID_HANDLE, m_strFileName);
    if (fflush(m_pStream) != 0)
        ThrowStreamError();
    CFile::SetLength(dwNewLen);
}

ULONGLONG CStdioFile::GetPosition() const
{
    if (!m_pStream)
        AfxThrowFileException(CFileException::invalidFile, ERROR_INVALID_HANDLE, m_strFileName);
    off_t pos = ftello(m_pStream);
    if (pos < 0)
        ThrowStreamError();
    return static_cast<ULONGLONG>(pos);
}

void CStdioFile::Flush()
{
    if (m_pStream && fflush(m_pStream) != 0)
        ThrowStreamError();
}

void CStdioFile::Close()
{
    if (!m_pStream)
        return;
    FILE* stream = m_pStream;
    m_pStream = nullptr;
    m_hFile = hFileNull;
    m_bCloseOnDelete = FALSE;
    errno = 0;
    if (fclose(stream) != 0)
        ThrowStreamError();
}

void CStdioFile::Abort()
{
    if (m_pStream)
        fclose(m_pStream);
    m_pStream = nullptr;
    m_hFile = hFileNull;
    m_bCloseOnDelete = FALSE;
}
