#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "platform/base/last_error.h"
#include "platform/base/win_errors.h"
#include "platform/resources/resources.h"

namespace {

const BYTE kFive[] = {1, 2, 3, 4, 5};
const BYTE kLogo[] = {'L', 'O', 'G', 'O'};
const BYTE kOther[] = {9};

class ResourceApiTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        // Registered once per process: the registry keeps what it is given.
        static const bool done = [] {
            trelwin::RegisterResource("TestData", MAKEINTRESOURCE(5), kFive, sizeof kFive);
            trelwin::RegisterResource("TestData", "Logo", kLogo, sizeof kLogo);
            trelwin::RegisterResource("TestOther", MAKEINTRESOURCE(5), kOther, sizeof kOther);
            trelwin::RegisterResource("TestData", "Empty", nullptr, 0);
            return true;
        }();
        (void)done;
    }

    static std::vector<BYTE> Bytes(LPCSTR name, LPCSTR type)
    {
        HRSRC res = FindResourceA(nullptr, name, type);
        if (!res)
            return {};
        HGLOBAL data = LoadResource(nullptr, res);
        auto* p = static_cast<const BYTE*>(LockResource(data));
        return std::vector<BYTE>(p, p + SizeofResource(nullptr, res));
    }

    static DWORD ErrorOfFind(LPCSTR name, LPCSTR type)
    {
        SetLastError(0);
        EXPECT_EQ(FindResourceA(nullptr, name, type), nullptr);
        return GetLastError();
    }
};

TEST_F(ResourceApiTest, FindsByIntegerIdAndByName)
{
    EXPECT_EQ(Bytes(MAKEINTRESOURCE(5), "TestData"), std::vector<BYTE>(kFive, kFive + 5));
    EXPECT_EQ(Bytes("Logo", "TestData"), std::vector<BYTE>(kLogo, kLogo + 4));
    // The same id under another type is another resource.
    EXPECT_EQ(Bytes(MAKEINTRESOURCE(5), "TestOther"), std::vector<BYTE>{9});
}

TEST_F(ResourceApiTest, NamesAndTypesIgnoreCase)
{
    EXPECT_EQ(Bytes("LOGO", "testdata"), std::vector<BYTE>(kLogo, kLogo + 4));
    EXPECT_EQ(Bytes("logo", "TESTDATA"), std::vector<BYTE>(kLogo, kLogo + 4));
}

TEST_F(ResourceApiTest, MissingTypeAndMissingNameHaveTheirOwnErrors)
{
    EXPECT_EQ(ErrorOfFind(MAKEINTRESOURCE(5), "NoSuchType"), DWORD(ERROR_RESOURCE_TYPE_NOT_FOUND));
    EXPECT_EQ(ErrorOfFind(MAKEINTRESOURCE(5), MAKEINTRESOURCE(999)), DWORD(ERROR_RESOURCE_TYPE_NOT_FOUND));
    EXPECT_EQ(ErrorOfFind(MAKEINTRESOURCE(6), "TestData"), DWORD(ERROR_RESOURCE_NAME_NOT_FOUND));
    EXPECT_EQ(ErrorOfFind("Logos", "TestData"), DWORD(ERROR_RESOURCE_NAME_NOT_FOUND));
    // A string that spells a number is a name, not the id.
    EXPECT_EQ(ErrorOfFind("5", "TestData"), DWORD(ERROR_RESOURCE_NAME_NOT_FOUND));
}

TEST_F(ResourceApiTest, OnlyTheProgramsModuleHasResources)
{
    HMODULE program = GetModuleHandleA(nullptr);
    ASSERT_NE(program, nullptr);
    EXPECT_EQ(GetModuleHandleA(nullptr), program);
    HRSRC res = FindResourceA(program, "Logo", "TestData");
    ASSERT_NE(res, nullptr);
    EXPECT_EQ(SizeofResource(program, res), 4u);
    char buf[8];
    EXPECT_GT(LoadStringA(reinterpret_cast<HINSTANCE>(program), 103, buf, sizeof buf), 0);

    SetLastError(0);
    EXPECT_EQ(GetModuleHandleA("other.dll"), nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_MOD_NOT_FOUND));
    SetLastError(0);
    EXPECT_EQ(FindResourceA(reinterpret_cast<HMODULE>(0x1000), "Logo", "TestData"), nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_RESOURCE_DATA_NOT_FOUND));
}

TEST_F(ResourceApiTest, FirstRegistrationOfANameStays)
{
    const BYTE replacement[] = {0xEE};
    EXPECT_FALSE(trelwin::RegisterResource("testdata", "LOGO", replacement, 1));
    EXPECT_FALSE(trelwin::RegisterResource(nullptr, "X", replacement, 1));
    EXPECT_FALSE(trelwin::RegisterResource("TestData", "X", nullptr, 1));
    EXPECT_EQ(Bytes("Logo", "TestData"), std::vector<BYTE>(kLogo, kLogo + 4));
}

TEST_F(ResourceApiTest, EmptyResourceLoadsWithSizeZero)
{
    HRSRC res = FindResourceA(nullptr, "Empty", "TestData");
    ASSERT_NE(res, nullptr);
    EXPECT_NE(LoadResource(nullptr, res), nullptr);
    EXPECT_EQ(SizeofResource(nullptr, res), 0u);
}

TEST_F(ResourceApiTest, ForeignHandlesAreRefused)
{
    BYTE notAResource[64] = {};
    HRSRC bogus = reinterpret_cast<HRSRC>(notAResource);
    SetLastError(0);
    EXPECT_EQ(LoadResource(nullptr, bogus), nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
    SetLastError(0);
    EXPECT_EQ(SizeofResource(nullptr, nullptr), 0u);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
    EXPECT_EQ(LockResource(nullptr), nullptr);
    EXPECT_FALSE(FreeResource(LoadResource(nullptr, FindResourceA(nullptr, "Logo", "TestData"))));
}

TEST_F(ResourceApiTest, LookupsFromManyThreadsAgree)
{
    std::vector<std::thread> threads;
    std::vector<int> found(8, 0);
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([t, &found] {
            for (int i = 0; i < 2000; ++i) {
                HRSRC res = FindResourceA(nullptr, "Logo", "TestData");
                if (res && SizeofResource(nullptr, res) == 4)
                    ++found[t];
            }
        });
    }
    for (auto& th : threads)
        th.join();
    for (int n : found)
        EXPECT_EQ(n, 2000);
}

std::vector<BYTE> ReadSampleFile()
{
    std::ifstream in(TRELWIN_TEST_SAMPLE_FILE, std::ios::binary);
    return std::vector<BYTE>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST_F(ResourceApiTest, EmbeddedFileRoundTripsByteForByte)
{
    std::vector<BYTE> file = ReadSampleFile();
    ASSERT_GT(file.size(), 256u);
    EXPECT_EQ(Bytes(MAKEINTRESOURCE(7), "TESTBLOB"), file);
    EXPECT_EQ(Bytes("sample.bin", RT_RCDATA), file);
}



// A picture drawn for several scales: the form nearest to the scale asked
// for (the larger of two as near); FindResourceA keeps the 100 % form.
TEST(ScaledResources, TheFormNearestTheScaleIsFound)
{
    static const char k100[] = "100", k150[] = "150", k200[] = "200", kOnly[] = "only";
    ASSERT_TRUE(trelwin::RegisterResource("TestScaled", MAKEINTRESOURCE(5), k100, 3));
    ASSERT_TRUE(trelwin::RegisterScaledResource("TestScaled", MAKEINTRESOURCE(5), 200, k200, 3));
    ASSERT_TRUE(trelwin::RegisterScaledResource("TestScaled", MAKEINTRESOURCE(5), 150, k150, 3));
    EXPECT_FALSE(trelwin::RegisterScaledResource("TestScaled", MAKEINTRESOURCE(5), 150, kOnly, 4));
    ASSERT_TRUE(trelwin::RegisterResource("TestScaled", "Plain", kOnly, 4));
    const auto text = [](HRSRC found) {
        if (!found)
            return std::string("none");
        const auto* p = static_cast<const char*>(LockResource(LoadResource(nullptr, found)));
        return std::string(p, SizeofResource(nullptr, found));
    };
    struct Case
    {
        LPCSTR name;
        int percent;
        const char* expected;
    };
    const Case cases[] = {
        {MAKEINTRESOURCE(5), 100, "100"}, {MAKEINTRESOURCE(5), 112, "100"}, {MAKEINTRESOURCE(5), 125, "150"},
        {MAKEINTRESOURCE(5), 140, "150"}, {MAKEINTRESOURCE(5), 175, "200"}, {MAKEINTRESOURCE(5), 400, "200"},
        {MAKEINTRESOURCE(5), 0, "100"},   {"Plain", 200, "only"},           {"Missing", 200, "none"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(std::to_string(c.percent) + (IS_INTRESOURCE(c.name) ? "" : std::string(" ") + c.name));
        EXPECT_EQ(text(trelwin::FindScaledResource(nullptr, c.name, "TestScaled", c.percent)), c.expected);
    }
    EXPECT_EQ(text(FindResourceA(nullptr, MAKEINTRESOURCE(5), "TestScaled")), "100");
}

}  // namespace
