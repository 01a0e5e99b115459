// CZipException: the one error type of the ZIP archive classes. It carries a
// code (the ZipErrors below, or a run-time library errno value from 1 to 30
// for a failed file operation) and the name of the archive or file concerned.
//
// Ownership: it is thrown as a heap object, by pointer, and whoever catches
// it owns it and ends with Delete():
//   try { archive.Open(...); } catch (CZipException* e) { Report(e); e->Delete(); }
// A handler that only cleans up rethrows with "throw;" and so hands the same
// object on; one that throws another exception deletes the one it caught.
#pragma once

#include "platform/base/cstring.h"
#include "platform/base/exceptions.h"

class CZipException : public CException
{
    DECLARE_DYNAMIC(CZipException)
public:
    enum ZipErrors
    {
        noError = 0,
        genericError = 100,
        badZipFile = 101,
        badCrc = 102,
        noCallback = 103,
        aborted = 104,
        abortedAction = 105,
        abortedSafely = 106,
        nonRemovable = 107,
        tooManyVolumes = 108,
        tooManyFiles = 109,
        tooLongData = 110,
        tooBigSize = 111,
        badPassword = 112,
        dirWithSize = 113,
        internalError = 114,
        notRemoved = 115,
        notRenamed = 116,
        platfNotSupp = 117,
        cdirNotFound = 118,
        noZip64 = 119,
        noAES = 120,
        // zlib's results.
        streamEnd = 500,
        needDict = 501,
        errNo = 502,
        streamError = 503,
        dataError = 504,
        memError = 505,
        bufError = 506,
        versionError = 507,
    };

    // Keeps the thread's last error and errno as they are at the throw, so
    // that the description still names the system's reason after clean-up
    // code has run in between.
    explicit CZipException(int iCause = genericError, LPCTSTR lpszZipName = nullptr);

    // The text for a code, with the system's reason as it stands now.
    // bNoSystemText leaves out what only the system can say: unknown codes
    // give "Unknown error", and the removal and renaming failures their text
    // alone.
    static CString GetErrorDescription(int iErrorCode, bool bNoSystemText = false);
    // The text of this exception, with the system's reason at the throw.
    CString GetErrorDescription() const;
    BOOL GetErrorMessage(LPTSTR lpszError, UINT nMaxError, PUINT pnHelpContext = nullptr) const override;

    // The code for a zlib result.
    static int ZlibErrToZip(int iZlibError);

    [[noreturn]] static void Throw(int iZipError = genericError, LPCTSTR lpszZipName = nullptr);

    int m_iCause;
    CString m_szFileName;

private:
    DWORD m_uSystemError;
    int m_iErrno;
};
