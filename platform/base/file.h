// CFile: a binary file over a POSIX descriptor. The constructor that opens,
// Read, Write, Seek and the other operations throw CFileException* on
// failure; Open reports failure by returning FALSE.
#pragma once

#include "platform/base/cstring.h"
#include "platform/base/exceptions.h"
#include "platform/base/object.h"

class CFile : public CObject {
    DECLARE_DYNAMIC(CFile)
public:
    enum OpenFlags : UINT {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareCompat = 0x0000,
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030,
        shareDenyNone = 0x0040,
        modeNoInherit = 0x0080,
        modeCreate = 0x1000,
        modeNoTruncate = 0x2000,
        typeText = 0x4000,
        typeBinary = 0x8000,
        osNoBuffer = 0x10000,
        osWriteThrough = 0x20000,
        osRandomAccess = 0x40000,
        osSequentialScan = 0x80000,
    };
    enum SeekPosition : UINT { begin = 0x0, current = 0x1, end = 0x2 };

    static const HANDLE hFileNull;

    CFile();
    // Opens the file or throws CFileException*.
    CFile(LPCTSTR lpszFileName, UINT nOpenFlags);
    ~CFile() override;

    // Paths may use '\\' or '/' as separator. Share modes are not enforced.
    virtual BOOL Open(LPCTSTR lpszFileName, UINT nOpenFlags, CFileException* pError = nullptr);
    virtual UINT Read(void* lpBuf, UINT nCount);
    virtual void Write(const void* lpBuf, UINT nCount);
    virtual ULONGLONG Seek(LONGLONG lOff, UINT nFrom);
    void SeekToBegin() { Seek(0, begin); }
    ULONGLONG SeekToEnd() { return Seek(0, end); }
    virtual ULONGLONG GetLength() const;
    virtual void SetLength(ULONGLONG dwNewLen);
    virtual ULONGLONG GetPosition() const;
    virtual void Flush();
    virtual void Close();
    // Closes without throwing.
    virtual void Abort();

    virtual CString GetFileName() const;
    virtual CString GetFileTitle() const;
    virtual CString GetFilePath() const { return m_strFileName; }
    virtual void SetFilePath(LPCTSTR lpszNewName) { m_strFileName = lpszNewName; }

    static void PASCAL Remove(LPCTSTR lpszFileName);
    static void PASCAL Rename(LPCTSTR lpszOldName, LPCTSTR lpszNewName);

    // The path with '\\' separators turned into '/'.
    static CString NativePath(LPCTSTR lpszPath);

    operator HANDLE() const { return m_hFile; }

    HANDLE m_hFile;

protected:
    int Descriptor() const;
    // Sets the last error, fills pError (when given) and returns FALSE.
    static BOOL OpenFailed(CFileException* pError, int nCause, DWORD dwOsError, LPCTSTR lpszFileName);
    static BOOL OpenFailedErrno(CFileException* pError, int nErrno, LPCTSTR lpszFileName);
    [[noreturn]] void ThrowErrno(int nErrno) const;

    BOOL m_bCloseOnDelete;
    CString m_strFileName;
};
