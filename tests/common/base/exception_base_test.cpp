#include <gtest/gtest.h>

#include <string>

#include "common/base/exception_base.h"
#include "platform/base/win_errors.h"

namespace {

const char kReport[] =
    "CExceptionBase error detected          \n"
    "\n"
    "Code: 6\n"
    "Description: CThread<T>::WaitForEnd\n"
    "Source Type: SYSTEM\n"
    "\n"
    "File: thread.h\n"
    "Line: 123\n"
    "Date: Dec  7 2026\n"
    "Time: 07:35:02\n";

TEST(ExceptionBaseTest, ReportHasTheExactTextAndLastPathComponent)
{
    CExceptionSystem e("/work/main/common/thread/thread.h", 123, "Dec  7 2026", "07:35:02", ERROR_INVALID_HANDLE,
                       "CThread<T>::WaitForEnd");
    EXPECT_STREQ(e.GetReportText(), "");
    e.GetReport();
    EXPECT_STREQ(e.GetReportText(), kReport);
    // The report cuts the path; the field keeps it whole.
    EXPECT_STREQ(e.GetFile(), "/work/main/common/thread/thread.h");
}

TEST(ExceptionBaseTest, BackslashPathsAndBarePathsInTheReport)
{
    CExceptionBase backslashes("C:\\src\\common\\thread.h", 1, "", "", 0, "");
    backslashes.GetReport();
    EXPECT_NE(std::string(backslashes.GetReportText()).find("\nFile: thread.h\n"), std::string::npos);

    CExceptionBase bare("thread.h", 1, "", "", 0, "");
    bare.GetReport();
    EXPECT_NE(std::string(bare.GetReportText()).find("\nFile: thread.h\n"), std::string::npos);

    CExceptionBase trailing("dir/", 1, "", "", 0, "");
    trailing.GetReport();
    EXPECT_NE(std::string(trailing.GetReportText()).find("\nFile: \n"), std::string::npos);
}

// Lets a test change a field after the report has been built.
class ChangingException : public CExceptionBase {
public:
    using CExceptionBase::CExceptionBase;
    void SetDescription(LPCSTR text) { m_description = text; }
};

TEST(ExceptionBaseTest, TwoRequestsBuildTheReportOnce)
{
    ChangingException e("a/b.cpp", 7, "Jan  1 2026", "00:00:00", 0xFFFFFFFFu, "first");
    EXPECT_TRUE(e.IsPending());
    e.GetReport();
    EXPECT_FALSE(e.IsPending());
    std::string first = e.GetReportText();
    EXPECT_NE(first.find("\nDescription: first\n"), std::string::npos);
    // Codes print as signed numbers.
    EXPECT_NE(first.find("\nCode: -1\n"), std::string::npos);
    EXPECT_NE(first.find("Source Type: BASE\n"), std::string::npos);

    e.SetDescription("second");
    e.GetReport();
    EXPECT_EQ(std::string(e.GetReportText()), first);
    EXPECT_STREQ(e.GetDescription(), "second");

    // A copy made after the report does not build again; one made before
    // still owes its own.
    CExceptionBase copyAfter(e);
    EXPECT_FALSE(copyAfter.IsPending());
    EXPECT_EQ(std::string(copyAfter.GetReportText()), first);
    CExceptionBase before("x/y.cpp", 1, "", "", 0, "");
    CExceptionBase copyBefore(before);
    before.GetReport();
    EXPECT_TRUE(copyBefore.IsPending());
    EXPECT_STREQ(copyBefore.GetReportText(), "");
}

TEST(ExceptionBaseTest, NullTextsAreEmpty)
{
    CExceptionBase e(nullptr, 0, nullptr, nullptr, 0, nullptr);
    EXPECT_STREQ(e.GetFile(), "");
    EXPECT_STREQ(e.GetDate(), "");
    EXPECT_STREQ(e.GetTime(), "");
    EXPECT_TRUE(e.GetDescription().IsEmpty());
    e.GetReport();
    EXPECT_STREQ(e.GetReportText(),
                 "CExceptionBase error detected          \n\nCode: 0\nDescription: \nSource Type: BASE\n\n"
                 "File: \nLine: 0\nDate: \nTime: \n");
}

TEST(ExceptionBaseTest, KindsAndSourceTypes)
{
    CExceptionBase base("f", 1, "d", "t", 5, "x");
    EXPECT_EQ(base.GetKind(), 0);
    EXPECT_STREQ(base.GetSourceType(), "BASE");
    CExceptionSystem sys("f", 1, "d", "t", 5, "x");
    EXPECT_EQ(sys.GetKind(), 2);
    EXPECT_STREQ(sys.GetSourceType(), "SYSTEM");
}

TEST(ExceptionBaseTest, SystemTextForKnownAndUnknownCodes)
{
    CExceptionSystem known("f", 1, "d", "t", ERROR_FILE_NOT_FOUND, "open");
    EXPECT_STRNE(known.GetSystemText(), "");
    CExceptionSystem unknown("f", 1, "d", "t", 0x1FFFFFF0u, "odd");
    EXPECT_STREQ(unknown.GetSystemText(), "");
}

TEST(ExceptionBaseTest, ThrownByValueAndCaughtAsTheBase)
{
    int line = 0;
    try {
        line = __LINE__ + 1;
        throw CExceptionSystem(EXCEPTION_ORIGIN, ERROR_INVALID_HANDLE, "CThread<T>::WaitForEnd");
    } catch (CExceptionBase& e) {
        EXPECT_EQ(e.GetKind(), 2);
        EXPECT_EQ(e.GetLine(), static_cast<DWORD>(line));
        EXPECT_STREQ(e.GetFile(), __FILE__);
        EXPECT_STREQ(e.GetDate(), __DATE__);
        EXPECT_STREQ(e.GetTime(), __TIME__);
        EXPECT_EQ(e.GetCode(), DWORD(ERROR_INVALID_HANDLE));
        EXPECT_STREQ(e.GetDescription(), "CThread<T>::WaitForEnd");
        e.GetReport();
        EXPECT_NE(std::string(e.GetReportText()).find("\nFile: exception_base_test.cpp\n"), std::string::npos);
    }
}

}  // namespace
