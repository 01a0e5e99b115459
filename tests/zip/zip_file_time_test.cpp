#include "zip/zip_archive.h"

#include "python_zip_check.h"
#include "zip_test_support.h"

#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>

namespace
{

using namespace zip_test;

SYSTEMTIME Time(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second)
{
    SYSTEMTIME time = {};
    time.wYear = year;
    time.wMonth = month;
    time.wDay = day;
    time.wHour = hour;
    time.wMinute = minute;
    time.wSecond = second;
    return time;
}

std::string Text(const SYSTEMTIME& t)
{
    char text[64];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
                  t.wSecond);
    return text;
}

// The record keeps a time as two words: date = (year - 1980) << 9 | month << 5
// | day, time = hour << 11 | minute << 5 | seconds / 2. The words below are
// worked out by hand from that layout.
TEST(ZipFileTime, DateAndTimeWordsAtTheirBoundaries)
{
    struct Case
    {
        const char* name;
        SYSTEMTIME set;
        WORD date;
        WORD time;
        SYSTEMTIME back;
    };
    const Case cases[] = {
        {"first day the words hold", Time(1980, 1, 1, 0, 0, 0), 0x0021, 0x0000, Time(1980, 1, 1, 0, 0, 0)},
        {"seconds 0", Time(2024, 2, 29, 12, 34, 0), 0x585D, 0x6440, Time(2024, 2, 29, 12, 34, 0)},
        {"seconds 30", Time(2024, 2, 29, 12, 34, 30), 0x585D, 0x644F, Time(2024, 2, 29, 12, 34, 30)},
        {"seconds 31 keep the even second below", Time(2024, 2, 29, 12, 34, 31), 0x585D, 0x644F,
         Time(2024, 2, 29, 12, 34, 30)},
        {"seconds 32 take the field's top bit", Time(2024, 2, 29, 12, 34, 32), 0x585D, 0x6450,
         Time(2024, 2, 29, 12, 34, 32)},
        {"seconds 56", Time(2024, 2, 29, 12, 34, 56), 0x585D, 0x645C, Time(2024, 2, 29, 12, 34, 56)},
        {"seconds 58", Time(2024, 2, 29, 12, 34, 58), 0x585D, 0x645D, Time(2024, 2, 29, 12, 34, 58)},
        {"seconds 59", Time(2024, 2, 29, 12, 34, 59), 0x585D, 0x645D, Time(2024, 2, 29, 12, 34, 58)},
        {"minute 59", Time(2024, 2, 29, 12, 59, 59), 0x585D, 0x677D, Time(2024, 2, 29, 12, 59, 58)},
        {"last day the words hold", Time(2107, 12, 31, 23, 59, 59), 0xFF9F, 0xBF7D, Time(2107, 12, 31, 23, 59, 58)},
        {"before 1980: the first moment", Time(1979, 12, 31, 23, 59, 59), 0x0021, 0x0000, Time(1980, 1, 1, 0, 0, 0)},
        {"after 2107: the last moment", Time(2108, 1, 1, 0, 0, 0), 0xFF9F, 0xBF7D, Time(2107, 12, 31, 23, 59, 58)},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        CZipFileHeader header;
        header.SetTime(c.set);
        EXPECT_EQ(header.m_uModDate, c.date);
        EXPECT_EQ(header.m_uModTime, c.time);
        SYSTEMTIME back;
        header.GetTime(back);
        EXPECT_EQ(Text(back), Text(c.back));
    }
}

class ZipFileTimeOnDisk : public TempDir
{
};

// Python reads each member's time and compares it with the one expected
// (arguments: the archive, then name=Y-M-D-h-m-s for each member).
const char* const PYTHON_CHECK_TIMES = R"PY(
import sys, zipfile
with zipfile.ZipFile(sys.argv[1]) as z:
    for expected in sys.argv[2:]:
        name, when = expected.split("=")
        got = "-".join(str(v) for v in z.getinfo(name).date_time)
        if got != when:
            print("python:", name, "has", got, "not", when)
            sys.exit(1)
)PY";

// Files and a folder added from disk keep the time they were last written,
// to the two seconds the record holds, as this machine's clock shows it.
TEST_F(ZipFileTimeOnDisk, AddedFilesKeepTheirModificationTime)
{
    struct Case
    {
        const char* name;
        SYSTEMTIME written;
        long nanoseconds;
        SYSTEMTIME stored;
    };
    const Case cases[] = {
        {"odd.txt", Time(2019, 7, 14, 23, 59, 59), 999999999, Time(2019, 7, 14, 23, 59, 58)},
        {"thirty-two.txt", Time(2003, 1, 31, 12, 34, 32), 0, Time(2003, 1, 31, 12, 34, 32)},
        {"one.txt", Time(1999, 12, 31, 0, 0, 1), 500000000, Time(1999, 12, 31, 0, 0, 0)},
        {"folder", Time(2011, 11, 11, 11, 11, 11), 0, Time(2011, 11, 11, 11, 11, 10)},
    };
    const std::string archive = Path("times.zip");
    {
        CZipArchive zip;
        ASSERT_TRUE(zip.Open(archive.c_str(), CZipArchive::zipCreate));
        for (const Case& c : cases)
        {
            SCOPED_TRACE(c.name);
            const std::string path = Path(c.name);
            if (std::string(c.name) == "folder")
                std::filesystem::create_directory(path);
            else
                std::ofstream(path) << c.name;
            std::tm local = {};
            local.tm_year = c.written.wYear - 1900;
            local.tm_mon = c.written.wMonth - 1;
            local.tm_mday = c.written.wDay;
            local.tm_hour = c.written.wHour;
            local.tm_min = c.written.wMinute;
            local.tm_sec = c.written.wSecond;
            local.tm_isdst = -1;
            const timespec times[2] = {{std::mktime(&local), c.nanoseconds}, {std::mktime(&local), c.nanoseconds}};
            ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
            ASSERT_TRUE(zip.AddNewFile(path.c_str()));
        }
        zip.Close();
    }
    CZipArchive zip;
    ASSERT_TRUE(zip.Open(archive.c_str(), CZipArchive::zipOpenReadOnly));
    std::string expected;
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const std::string name = std::string(c.name) + (std::string(c.name) == "folder" ? "/" : "");
        CZipFileHeader info;
        ASSERT_TRUE(zip.GetFileInfo(info, zip.FindFile(name.c_str())));
        SYSTEMTIME stored;
        info.GetTime(stored);
        EXPECT_EQ(Text(stored), Text(c.stored));
        const SYSTEMTIME& s = c.stored;
        expected += " " + name + "=" + std::to_string(s.wYear) + "-" + std::to_string(s.wMonth) + "-" +
                    std::to_string(s.wDay) + "-" + std::to_string(s.wHour) + "-" + std::to_string(s.wMinute) + "-" +
                    std::to_string(s.wSecond);
    }
    if (HavePython())
    {
        EXPECT_TRUE(RunPython(PYTHON_CHECK_TIMES, archive + expected));
    }
}

}  // namespace
