#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/base/cstring.h"
#include "platform/base/last_error.h"
#include "platform/base/win_errors.h"
#include "platform/resources/resources.h"

namespace {

// The text of string 103 as bytes: the 'o' with acute accent is UTF-8.
const char kWinsockError[] = "Error de inicializaci\xC3\xB3n de Windows Sockets.";

TEST(StringTableTest, WinsockErrorHasItsExactText)
{
    char buf[256];
    memset(buf, 'x', sizeof buf);
    int n = LoadStringA(nullptr, 103, buf, sizeof buf);
    EXPECT_EQ(n, static_cast<int>(strlen(kWinsockError)));
    EXPECT_STREQ(buf, kWinsockError);
}

TEST(StringTableTest, CutsToTheBufferAndCountsBytes)
{
    char buf[8];
    memset(buf, 'x', sizeof buf);
    EXPECT_EQ(LoadStringA(nullptr, 103, buf, 6), 5);
    EXPECT_STREQ(buf, "Error");
    EXPECT_EQ(buf[6], 'x');

    EXPECT_EQ(LoadStringA(nullptr, 103, buf, 1), 0);
    EXPECT_STREQ(buf, "");

    buf[0] = 'x';
    SetLastError(0);
    EXPECT_EQ(LoadStringA(nullptr, 103, buf, 0), 0);
    EXPECT_EQ(buf[0], 'x');
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
}

TEST(StringTableTest, CutNeverSplitsAUtf8Sequence)
{
    // "Error de inicializaci" is 21 bytes; the accented letter takes two.
    char buf[64];
    EXPECT_EQ(LoadStringA(nullptr, 103, buf, 23), 21);
    EXPECT_STREQ(buf, "Error de inicializaci");
    EXPECT_EQ(LoadStringA(nullptr, 103, buf, 24), 23);
    EXPECT_STREQ(buf, "Error de inicializaci\xC3\xB3");
}

TEST(StringTableTest, MissingStringGivesZeroAndEmptyBuffer)
{
    char buf[16] = "untouched";
    SetLastError(0);
    EXPECT_EQ(LoadStringA(nullptr, 65001, buf, sizeof buf), 0);
    EXPECT_STREQ(buf, "");
    EXPECT_EQ(GetLastError(), DWORD(ERROR_RESOURCE_NAME_NOT_FOUND));
    EXPECT_EQ(LoadStringA(nullptr, 0x10067, buf, sizeof buf), 0);  // not 103
    EXPECT_EQ(LoadStringA(reinterpret_cast<HINSTANCE>(0x1000), 103, buf, sizeof buf), 0);
}

TEST(StringTableTest, RegistrationKeepsTheFirstText)
{
    EXPECT_TRUE(trelwin::RegisterString(65002, "first"));
    EXPECT_FALSE(trelwin::RegisterString(65002, "second"));
    EXPECT_FALSE(trelwin::RegisterString(65003, nullptr));
    EXPECT_FALSE(trelwin::RegisterString(0x10000, "too big"));
    EXPECT_STREQ(trelwin::LookupString(65002), "first");
}

TEST(StringTableTest, CStringLoadsWholeTexts)
{
    CString s;
    EXPECT_TRUE(s.LoadString(103));
    EXPECT_STREQ(static_cast<LPCTSTR>(s), kWinsockError);
    EXPECT_FALSE(s.LoadString(65001));
    EXPECT_TRUE(s.IsEmpty());

    // Longer than the string class's first buffer, with a two-byte letter
    // across its end: the class must still get every byte.
    static const std::string longText = std::string(254, 'a') + "\xC3\xB3" + std::string(300, 'b');
    ASSERT_TRUE(trelwin::RegisterString(65004, longText.c_str()));
    EXPECT_TRUE(s.LoadString(65004));
    EXPECT_EQ(std::string(static_cast<LPCTSTR>(s)), longText);
}

}  // namespace
