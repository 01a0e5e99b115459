#include "zip/zip_file.h"

#include "zip/zip_exception.h"

#include <cerrno>

int CZipFile::ErrnoFromFileException(const CFileException& e)
{
    switch (e.m_cause)
    {
    case CFileException::fileNotFound:
        return ENOENT;
    case CFileException::badPath:
        return ENOTDIR;
    case CFileException::tooManyOpenFiles:
        return EMFILE;
    case CFileException::accessDenied:
        return EACCES;
    case CFileException::invalidFile:
        return EBADF;
    case CFileException::badSeek:
        return ESPIPE;
    case CFileException::hardIO:
        return EIO;
    case CFileException::diskFull:
        return ENOSPC;
    default:
        return CZipException::genericError;
    }
}

template <class Operation>
auto CZipFile::Forward(Operation operation) const -> decltype(operation())
{
    try
    {
        return operation();
    }
    catch (CFileException* e)
    {
        const int iCode = ErrnoFromFileException(*e);
        const CString szName = e->m_strFileName.IsEmpty() ? CFile::GetFilePath() : e->m_strFileName;
        e->Delete();
        CZipException::Throw(iCode, szName);
    }
}

CZipFile::CZipFile(LPCTSTR lpszFileName, UINT nOpenFlags)
{
    Open(lpszFileName, nOpenFlags, true);
}

CZipFile::~CZipFile()
{
    CFile::Abort();
}

bool CZipFile::Open(LPCTSTR lpszFileName, UINT nOpenFlags, bool bThrow)
{
    CFileException error;
    if (CFile::Open(lpszFileName, nOpenFlags, &error))
        return true;
    if (bThrow)
        CZipException::Throw(ErrnoFromFileException(error), lpszFileName);
    return false;
}

void CZipFile::Close()
{
    Forward([this] { CFile::Close(); });
}

UINT CZipFile::Read(void* lpBuf, UINT nCount)
{
    return Forward([&] { return CFile::Read(lpBuf, nCount); });
}

void CZipFile::Write(const void* lpBuf, UINT nCount)
{
    Forward([&] { CFile::Write(lpBuf, nCount); });
}

ULONGLONG CZipFile::Seek(LONGLONG lOff, int nFrom)
{
    return Forward([&] { return CFile::Seek(lOff, static_cast<UINT>(nFrom)); });
}

ULONGLONG CZipFile::GetLength() const
{
    return Forward([this] { return CFile::GetLength(); });
}

void CZipFile::SetLength(ULONGLONG uNewLen)
{
    Forward([&] { CFile::SetLength(uNewLen); });
}

ULONGLONG CZipFile::GetPosition() const
{
    return Forward([this] { return CFile::GetPosition(); });
}

void CZipFile::Flush()
{
    Forward([this] { CFile::Flush(); });
}
