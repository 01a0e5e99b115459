// The debug output as a terminal receives it: texts that devices send, with
// escape sequences, bells and forged line ends in them, reach it escaped.
#include "platform/base/process.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

TEST(DebugOutput, ControlBytesOfDeviceTextsReachStandardErrorEscaped)
{
    // Read at the first output of the process, which is this test's.
    setenv("TRELWIN_DEBUG_OUTPUT", "1", 1);
    struct Case
    {
        const char* what;
        const char* text;
        const char* written;
    };
    const Case cases[] = {
        {"device name with colour, bell, controls and delete",
         "device row 0: 10.1.1.1|Enc\x1B[31m1\x07\x01\x1F\x7F|Encoder 4K\n",
         "device row 0: 10.1.1.1|Enc\\x1B[31m1\\x07\\x01\\x1F\\x7F|Encoder 4K\n"},
        {"a line end inside forges no line", "update status 10.1.1.2: Done\r\nupdate status 10.1.1.3: Done\tok\n",
         "update status 10.1.1.2: Done\\x0D\\x0Aupdate status 10.1.1.3: Done\\x09ok\n"},
        {"UTF-8 stays", "name Ger\xC3\xA4t \xE2\x82\xAC 5\n", "name Ger\xC3\xA4t \xE2\x82\xAC 5\n"},
        {"C1 control in UTF-8 and a lone byte", "a\xC2\x9B" "31mb G\xE4t\n", "a\\xC2\\x9B31mb G\\xE4t\n"},
        {"cut sequence at the end", "x\xE2\x82", "x\\xE2\\x82"},
        {"a backslash stays readable", "C:\\x1B\n", "C:\\\\x1B\n"},
        {"no line end", "wizard page 1 shown", "wizard page 1 shown"},
    };
    std::string all;
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        testing::internal::CaptureStderr();
        OutputDebugStringA(c.text);
        const std::string written = testing::internal::GetCapturedStderr();
        EXPECT_EQ(written, c.written);
        all += written;
    }
    for (char ch : all)
        EXPECT_TRUE((static_cast<unsigned char>(ch) >= 0x20 && ch != 0x7F) || ch == '\n') << int(ch);
}

}  // namespace
