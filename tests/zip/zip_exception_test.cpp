#include "zip/zip_exception.h"

#include "platform/base/last_error.h"
#include "platform/base/win_errors.h"
#include "zip/zip_file.h"
#include "zip/zip_platform.h"
#include "zip_test_support.h"

#include <zlib.h>

#include <cerrno>

namespace
{

using namespace zip_test;

TEST(ZipException, EveryCodeHasItsText)
{
    struct Case
    {
        int code;
        const char* text;
    };
    const Case cases[] = {
        {1, "Not super-user"},
        {2, "No such file or directory"},
        {12, "Not enough space"},
        {28, "No space left on device"},
        {30, "Read-only file system"},
        {101, "Damaged or not a zip file"},
        {102, "Crc is mismatched"},
        {103, "There is no spanned archive callback object set"},
        {107, "The device selected for the spanned archive is not removable"},
        {110, "The filename, the comment or the local or central extra field of the file added to the archive is "
              "too long"},
        {112, "An incorrect password set for the file being decrypted"},
        {118, "The central directory was not found in the archive (or you were trying to open not the last disk "
              "of a segmented archive)"},
        {119, "The Zip64 format has not been enabled for the library, but is required to open the archive"},
        {120, "WinZip AES encryption has not been enabled for the library, but is required to decompress the "
              "archive"},
        {500, "Zlib Library error (end of stream)"},
        {503, "Zlib library error (stream error)"},
        {504, "Zlib library error (data error)"},
        {505, "Not enough memory"},
        {506, "Zlib library error (buffer error)"},
        {507, "Zlib library error (version error)"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.code);
        EXPECT_EQ(std::string(CZipException::GetErrorDescription(c.code)), c.text);
        EXPECT_EQ(std::string(CZipException::GetErrorDescription(c.code, true)), c.text);
    }
}

// Codes without a text of their own take the system's reason: the last
// error first, errno when there is none, "Unknown error" when neither says
// anything or when system texts are not wanted.
TEST(ZipException, OtherCodesTakeTheSystemsReason)
{
    struct Case
    {
        const char* name;
        int code;
        bool noSystemText;
        DWORD lastError;
        int errnoValue;
        const char* text;
    };
    const Case cases[] = {
        {"last error", 100, false, ERROR_ACCESS_DENIED, ENOSPC, "Access is denied."},
        {"errno when no last error", 100, false, 0, ENOSPC, "No space left on device"},
        {"nothing known", 100, false, 0, 0, "Unknown error"},
        {"unknown code", 4711, false, ERROR_FILE_NOT_FOUND, 0, "The system cannot find the file specified."},
        {"no system text wanted", 100, true, ERROR_ACCESS_DENIED, ENOSPC, "Unknown error"},
        {"need-dictionary has no text", 501, true, 0, 0, "Unknown error"},
        {"errno code", 502, false, ERROR_ACCESS_DENIED, EIO, "Input/output error"},
        {"errno code that names itself", 502, false, 0, 502, "Unknown error"},
        {"removal", 115, false, ERROR_ACCESS_DENIED, 0, "Error while removing a file (Access is denied.)"},
        {"removal without reason", 115, true, ERROR_ACCESS_DENIED, 0, "Error while removing a file"},
        {"renaming", 116, false, 0, EXDEV, "Error while renaming a file (Invalid cross-device link)"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        SetLastError(c.lastError);
        errno = c.errnoValue;
        EXPECT_EQ(std::string(CZipException::GetErrorDescription(c.code, c.noSystemText)), c.text);
    }
}

// A failed removal or renaming keeps the system's reason from the moment it
// failed, however much runs before the catcher asks for the text.
TEST(ZipException, FailedRemovalAndRenamingNameTheirReason)
{
    struct Case
    {
        const char* name;
        std::function<void()> action;
        int code;
        const char* text;
    };
    const char* missing = "/nonexistent-trelwin-dir/file.zip";
    const Case cases[] = {
        {"remove", [&] { ZipPlatform::RemoveFile(missing); }, CZipException::notRemoved,
         "Error while removing a file (The system cannot find the file specified.)"},
        {"rename", [&] { ZipPlatform::RenameFile(missing, "/tmp/x.zip"); }, CZipException::notRenamed,
         "Error while renaming a file (The system cannot find the file specified.)"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        std::string text;
        EXPECT_EQ(ZipErrorOf([&] {
                      try
                      {
                          c.action();
                      }
                      catch (...)
                      {
                          SetLastError(ERROR_SUCCESS);
                          errno = 0;
                          throw;
                      }
                  },
                      &text),
                  c.code);
        EXPECT_EQ(text, c.text);
    }
    EXPECT_FALSE(ZipPlatform::RemoveFile(missing, false));
}

TEST(ZipException, FileFailuresBecomeRunTimeErrorNumbers)
{
    std::string text;
    CZipFile file;
    EXPECT_EQ(ZipErrorOf([&] { file.Open("/nonexistent-trelwin-dir/a.zip", CFile::modeRead, true); }, &text), ENOENT);
    EXPECT_EQ(text, "No such file or directory");
    EXPECT_FALSE(file.Open("/nonexistent-trelwin-dir/a.zip", CFile::modeRead, false));
    EXPECT_EQ(ZipErrorOf([&] { file.Open("/tmp", CFile::modeRead, true); }), EACCES);
    EXPECT_EQ(ZipErrorOf([&] { file.Read(nullptr, 0); }), EBADF);

    try
    {
        file.Open("/nonexistent-trelwin-dir/b.zip", CFile::modeRead, true);
        FAIL() << "no exception";
    }
    catch (CZipException* e)
    {
        EXPECT_EQ(std::string(e->m_szFileName), "/nonexistent-trelwin-dir/b.zip");
        char message[8];
        EXPECT_TRUE(e->GetErrorMessage(message, sizeof message));
        EXPECT_STREQ(message, "No such");
        e->Delete();
    }
}

TEST(ZipException, ZlibResultsMapToTheirCodes)
{
    struct Case
    {
        int zlib;
        int code;
    };
    const Case cases[] = {
        {Z_STREAM_END, 500}, {Z_NEED_DICT, 501}, {Z_ERRNO, 502}, {Z_STREAM_ERROR, 503}, {Z_DATA_ERROR, 504},
        {Z_MEM_ERROR, 505},  {Z_BUF_ERROR, 506}, {Z_VERSION_ERROR, 507}, {Z_OK, 100}, {-42, 100},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.zlib);
        EXPECT_EQ(CZipException::ZlibErrToZip(c.zlib), c.code);
    }
}

}  // namespace
