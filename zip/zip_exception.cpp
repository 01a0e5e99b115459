#include "zip/zip_exception.h"

#include "platform/base/format_message.h"
#include "platform/base/last_error.h"

#include <zlib.h>

#include <cerrno>
#include <cstring>

IMPLEMENT_DYNAMIC(CZipException, CException)

namespace
{

struct _TZipErrorText
{
    int iCode;
    LPCTSTR lpszText;
};

const _TZipErrorText ZIP_ERROR_TEXTS[] = {
    {1, "Not super-user"},
    {2, "No such file or directory"},
    {4, "Interrupted system call"},
    {5, "I/O error"},
    {6, "No such device or address"},
    {9, "Bad file number"},
    {12, "Not enough space"},
    {13, "Permission denied"},
    {14, "Bad address"},
    {17, "File exists"},
    {18, "Cross-device link"},
    {19, "No such device"},
    {20, "Not a directory"},
    {21, "Is a directory"},
    {22, "Invalid argument"},
    {23, "File table overflow"},
    {24, "Too many open files"},
    {27, "File too large"},
    {28, "No space left on device"},
    {29, "Illegal seek"},
    {30, "Read-only file system"},
    {CZipException::badZipFile, "Damaged or not a zip file"},
    {CZipException::badCrc, "Crc is mismatched"},
    {CZipException::noCallback, "There is no spanned archive callback object set"},
    {CZipException::aborted, "Disk change aborted"},
    {CZipException::abortedAction, "Action aborted"},
    {CZipException::abortedSafely, "Action aborted safely"},
    {CZipException::nonRemovable, "The device selected for the spanned archive is not removable"},
    {CZipException::tooManyVolumes, "The limit of the maximum volumes reached"},
    {CZipException::tooManyFiles, "The limit of the maximum files in an archive reached"},
    {CZipException::tooLongData,
     "The filename, the comment or the local or central extra field of the file added to the archive is too long"},
    {CZipException::tooBigSize, "The file size is too large to be supported"},
    {CZipException::badPassword, "An incorrect password set for the file being decrypted"},
    {CZipException::dirWithSize, "The directory with a non-zero size found while testing"},
    {CZipException::internalError, "An internal error"},
    {CZipException::platfNotSupp, "Cannot create a file for the specified platform"},
    {CZipException::cdirNotFound,
     "The central directory was not found in the archive (or you were trying to open not the last disk of a "
     "segmented archive)"},
    {CZipException::noZip64, "The Zip64 format has not been enabled for the library, but is required to open the archive"},
    {CZipException::noAES,
     "WinZip AES encryption has not been enabled for the library, but is required to decompress the archive"},
    {CZipException::streamEnd, "Zlib Library error (end of stream)"},
    {CZipException::streamError, "Zlib library error (stream error)"},
    {CZipException::dataError, "Zlib library error (data error)"},
    {CZipException::memError, "Not enough memory"},
    {CZipException::bufError, "Zlib library error (buffer error)"},
    {CZipException::versionError, "Zlib library error (version error)"},
};

const LPCTSTR UNKNOWN_ERROR_TEXT = "Unknown error";

LPCTSTR LookupText(int iCode)
{
    for (const _TZipErrorText& entry : ZIP_ERROR_TEXTS)
    {
        if (entry.iCode == iCode)
            return entry.lpszText;
    }
    return nullptr;
}

// The run-time library's text for an errno value. No error at all, or the
// zlib code that stands for "see errno" turning up in errno itself, has no
// text of its own.
CString ErrnoText(int iErrno)
{
    if (iErrno == 0 || iErrno == CZipException::errNo)
        return UNKNOWN_ERROR_TEXT;
    return std::strerror(iErrno);
}

// The system's text for a last-error code; empty when it has none.
CString SystemText(DWORD uError)
{
    char buffer[512] = "";
    if (FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, uError,
                       MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), buffer, sizeof buffer, nullptr) == 0)
        return CString();
    CString text(buffer);
    text.TrimRight();
    return text;
}

// What the system says went wrong: the last error's text, else errno's.
CString SystemReason(DWORD uSystemError, int iErrno)
{
    if (uSystemError != 0)
    {
        CString text = SystemText(uSystemError);
        if (!text.IsEmpty())
            return text;
    }
    return ErrnoText(iErrno);
}

CString Describe(int iCode, bool bNoSystemText, DWORD uSystemError, int iErrno)
{
    if (iCode == CZipException::notRemoved || iCode == CZipException::notRenamed)
    {
        CString text = iCode == CZipException::notRemoved ? "Error while removing a file" : "Error while renaming a file";
        if (bNoSystemText)
            return text;
        CString full;
        full.Format("%s (%s)", text, SystemReason(uSystemError, iErrno));
        return full;
    }
    if (iCode == CZipException::errNo)
        return ErrnoText(iErrno);
    if (LPCTSTR text = LookupText(iCode))
        return text;
    if (bNoSystemText)
        return UNKNOWN_ERROR_TEXT;
    return SystemReason(uSystemError, iErrno);
}

}  // namespace

CZipException::CZipException(int iCause, LPCTSTR lpszZipName)
    : m_iCause(iCause), m_szFileName(lpszZipName), m_uSystemError(GetLastError()), m_iErrno(errno)
{
}

CString CZipException::GetErrorDescription(int iErrorCode, bool bNoSystemText)
{
    return Describe(iErrorCode, bNoSystemText, GetLastError(), errno);
}

CString CZipException::GetErrorDescription() const
{
    return Describe(m_iCause, false, m_uSystemError, m_iErrno);
}

BOOL CZipException::GetErrorMessage(LPTSTR lpszError, UINT nMaxError, PUINT pnHelpContext) const
{
    return CopyMessage(GetErrorDescription(), lpszError, nMaxError, pnHelpContext);
}

int CZipException::ZlibErrToZip(int iZlibError)
{
    switch (iZlibError)
    {
    case Z_STREAM_END:
        return streamEnd;
    case Z_NEED_DICT:
        return needDict;
    case Z_ERRNO:
        return errNo;
    case Z_STREAM_ERROR:
        return streamError;
    case Z_DATA_ERROR:
        return dataError;
    case Z_MEM_ERROR:
        return memError;
    case Z_BUF_ERROR:
        return bufError;
    case Z_VERSION_ERROR:
        return versionError;
    default:
        return genericError;
    }
}

void CZipException::Throw(int iZipError, LPCTSTR lpszZipName)
{
    throw new CZipException(iZipError, lpszZipName);
}
