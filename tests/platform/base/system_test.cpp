// Clocks, last error, system messages, process information and version
// information.
#include "platform/base/format_message.h"
#include "platform/base/last_error.h"
#include "platform/base/module_handle.h"
#include "platform/base/process.h"
#include "platform/base/system_time.h"
#include "platform/base/version_info.h"
#include "platform/base/win_errors.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

TEST(TickCount, IsLow32BitsOfMonotonicMilliseconds)
{
    ULONGLONG before = GetTickCount64();
    DWORD tick = GetTickCount();
    ULONGLONG after = GetTickCount64();
    // The 32-bit count is the 64-bit one modulo 2^32, so it wraps.
    EXPECT_LE(static_cast<DWORD>(tick - static_cast<DWORD>(before)), static_cast<DWORD>(after - before));
    Sleep(30);
    ULONGLONG later = GetTickCount64();
    EXPECT_GE(later - after, 29u);
    EXPECT_LT(later - after, 60000u);  // a loaded machine may oversleep, but not by a minute
    // Differences taken as DWORD survive the wrap.
    DWORD nearWrap = 0xFFFFFFF0u;
    DWORD wrapped = nearWrap + 0x20u;
    EXPECT_EQ(wrapped - nearWrap, 0x20u);
}

TEST(LastError, IsPerThread)
{
    SetLastError(ERROR_ACCESS_DENIED);
    DWORD other = 1;
    std::thread([&] { other = GetLastError(); SetLastError(ERROR_TIMEOUT); }).join();
    EXPECT_EQ(other, 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(ErrorFromErrno(ENOENT), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(ErrorFromErrno(ECONNREFUSED), ERRNO_ERROR_BASE + ECONNREFUSED);
}

TEST(FormatMessage, KnownCodesErrnoCodesAndUnknown)
{
    LPSTR text = nullptr;
    DWORD flags = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS;
    DWORD n = FormatMessageA(flags, nullptr, ERROR_FILE_NOT_FOUND, 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
    ASSERT_GT(n, 0u);
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text, "The system cannot find the file specified.");
    EXPECT_EQ(n, strlen(text));
    EXPECT_EQ(LocalFree(text), nullptr);

    text = nullptr;
    n = FormatMessageA(flags, nullptr, ErrorFromErrno(ECONNREFUSED), 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
    ASSERT_GT(n, 0u);
    EXPECT_NE(std::string(text).find("refused"), std::string::npos);
    LocalFree(text);

    text = nullptr;
    SetLastError(0);
    EXPECT_EQ(FormatMessageA(flags, nullptr, 0x1234567u, 0, reinterpret_cast<LPSTR>(&text), 0, nullptr), 0u);
    EXPECT_EQ(text, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MR_MID_NOT_FOUND));
    EXPECT_EQ(FormatMessageA(flags, nullptr, ERRNO_ERROR_BASE + 4000, 0, reinterpret_cast<LPSTR>(&text), 0, nullptr),
              0u);
    EXPECT_EQ(text, nullptr);

    char small[8];
    EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ERROR_ACCESS_DENIED, 0, small, sizeof small, nullptr),
              0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    char big[64];
    EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ERROR_ACCESS_DENIED, 0, big, sizeof big, nullptr),
              17u);
    EXPECT_STREQ(big, "Access is denied.");
}

TEST(Process, IdsAndModuleFileName)
{
    EXPECT_EQ(GetCurrentProcessId(), static_cast<DWORD>(getpid()));
    DWORD mainThread = GetCurrentThreadId();
    DWORD otherThread = 0;
    std::thread([&] { otherThread = GetCurrentThreadId(); }).join();
    EXPECT_NE(mainThread, otherThread);

    char path[512];
    DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    ASSERT_GT(n, 0u);
    EXPECT_EQ(n, strlen(path));
    EXPECT_EQ(path[0], '/');
    EXPECT_NE(std::string(path).find("platform_base_system_test"), std::string::npos);

    // The program's own handle names the same file; any other is refused.
    char again[512];
    EXPECT_EQ(GetModuleFileNameA(GetModuleHandleA(nullptr), again, sizeof again), n);
    EXPECT_STREQ(again, path);
    EXPECT_EQ(GetModuleFileNameA(reinterpret_cast<HMODULE>(path), again, sizeof again), 0u);

    char tiny[4];
    EXPECT_EQ(GetModuleFileNameA(nullptr, tiny, sizeof tiny), 4u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(tiny[3], '\0');
}

// Reads the version the way the window title does.
std::string TitleVersion()
{
    char path[256];
    GetModuleFileNameA(nullptr, path, sizeof path);
    DWORD handle = 1;
    DWORD size = GetFileVersionInfoSizeA(path, &handle);
    EXPECT_EQ(handle, 0u);
    if (size == 0)
        return "";
    std::string block(size, '\0');
    EXPECT_TRUE(GetFileVersionInfoA(path, handle, size, block.data()));
    VS_FIXEDFILEINFO* info = nullptr;
    UINT len = 0;
    if (!VerQueryValueA(block.data(), "\\", reinterpret_cast<LPVOID*>(&info), &len))
        return "";
    EXPECT_EQ(len, sizeof(VS_FIXEDFILEINFO));
    EXPECT_EQ(info->dwSignature, VS_FFI_SIGNATURE);
    char text[64];
    snprintf(text, sizeof text, "%d.%d.%d", HIWORD(info->dwFileVersionMS), LOWORD(info->dwFileVersionMS),
             HIWORD(info->dwFileVersionLS));
    return text;
}

TEST(VersionInfo, BuildVersionAndStrings)
{
    EXPECT_EQ(TitleVersion(), "1.0.0");

    char path[256];
    GetModuleFileNameA(nullptr, path, sizeof path);
    DWORD size = GetFileVersionInfoSizeA(path, nullptr);
    std::string block(size, '\0');
    ASSERT_TRUE(GetFileVersionInfoA(path, 0, size, block.data()));
    EXPECT_FALSE(GetFileVersionInfoA(path, 0, size - 1, block.data()));

    LPVOID value = nullptr;
    UINT len = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", &value, &len));
    ASSERT_EQ(len, 4u);
    EXPECT_EQ(static_cast<WORD*>(value)[0], 0x0409);
    EXPECT_EQ(static_cast<WORD*>(value)[1], 0x04B0);
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\StringFileInfo\\040904b0\\FileVersion", &value, &len));
    EXPECT_STREQ(static_cast<char*>(value), "1.0.0.0");
    EXPECT_EQ(len, 8u);
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\StringFileInfo\\040904B0\\ProductName", &value, &len));
    EXPECT_STREQ(static_cast<char*>(value), "BriselTrelwin");
    EXPECT_FALSE(VerQueryValueA(block.data(), "\\StringFileInfo\\040904b0\\NoSuchName", &value, &len));
    EXPECT_FALSE(VerQueryValueA(block.data(), "\\StringFileInfo\\040704b0\\FileVersion", &value, &len));

    // Another file has no version information.
    EXPECT_EQ(GetFileVersionInfoSizeA("/bin/sh", nullptr), 0u);
    EXPECT_EQ(GetFileVersionInfoSizeA("/no/such/file", nullptr), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST(VersionInfo, ReplacedVersionAndMissingFixedInfo)
{
    ProgramVersion v{3, 2, 0, 0, TRUE};
    SetProgramVersion(&v);
    EXPECT_EQ(TitleVersion(), "3.2.0");
    v.bHasFixedInfo = FALSE;
    SetProgramVersion(&v);
    EXPECT_EQ(TitleVersion(), "");
    SetProgramVersion(nullptr);
    EXPECT_EQ(TitleVersion(), "1.0.0");
}

}  // namespace
