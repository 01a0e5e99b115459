// CZipAbstractFile: what the archive classes need of a file, so that an
// archive can live on disk (CZipFile) or in memory (CZipMemFile). Failures
// are thrown as CZipException*.
#pragma once

#include "platform/base/cstring.h"
#include "platform/base/win_types.h"

class CZipAbstractFile
{
public:
    enum
    {
        begin = 0,
        current = 1,
        end = 2
    };

    virtual ~CZipAbstractFile() = default;

    // nOpenFlags are the framework file's (CFile::modeCreate ...); bThrow
    // false reports a failure by returning false.
    virtual bool Open(LPCTSTR lpszFileName, UINT nOpenFlags, bool bThrow) = 0;
    virtual void Close() = 0;
    virtual bool IsClosed() const = 0;
    // Fewer bytes than asked only at the end of the file.
    virtual UINT Read(void* lpBuf, UINT nCount) = 0;
    virtual void Write(const void* lpBuf, UINT nCount) = 0;
    virtual ULONGLONG Seek(LONGLONG lOff, int nFrom) = 0;
    virtual ULONGLONG GetLength() const = 0;
    virtual void SetLength(ULONGLONG uNewLen) = 0;
    virtual ULONGLONG GetPosition() const = 0;
    virtual void Flush() = 0;
    virtual CString GetFilePath() const = 0;

    ULONGLONG SeekToBegin() { return Seek(0, begin); }
    ULONGLONG SeekToEnd() { return Seek(0, end); }
};
