#include "zip/zip_archive.h"

#include "zip/zip_mem_file.h"
#include "zip_test_support.h"

#include <atomic>
#include <cstdlib>
#include <new>
#include <zlib.h>

// Every block this test program takes from the heap is counted, so that a
// test can see what an archive leaves behind. Each form of new and delete is
// replaced, so that none of them meets a block of another allocator.
namespace
{
std::atomic<long> g_liveBlocks{0};

void* CountedNew(std::size_t size) noexcept
{
    void* p = std::malloc(size ? size : 1);
    if (p)
        ++g_liveBlocks;
    return p;
}

void CountedDelete(void* p) noexcept
{
    if (!p)
        return;
    --g_liveBlocks;
    std::free(p);
}
}  // namespace

void* operator new(std::size_t size)
{
    if (void* p = CountedNew(size))
        return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size)
{
    return operator new(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    return CountedNew(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    return CountedNew(size);
}
void operator delete(void* p) noexcept
{
    CountedDelete(p);
}
void operator delete[](void* p) noexcept
{
    CountedDelete(p);
}
void operator delete(void* p, std::size_t) noexcept
{
    CountedDelete(p);
}
void operator delete[](void* p, std::size_t) noexcept
{
    CountedDelete(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept
{
    CountedDelete(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept
{
    CountedDelete(p);
}

namespace
{

using namespace zip_test;

void Put16(Bytes& b, unsigned v)
{
    b.push_back(static_cast<unsigned char>(v));
    b.push_back(static_cast<unsigned char>(v >> 8));
}

void Put32(Bytes& b, unsigned long v)
{
    Put16(b, static_cast<unsigned>(v & 0xFFFF));
    Put16(b, static_cast<unsigned>(v >> 16));
}

void Append(Bytes& b, const std::string& text)
{
    b.insert(b.end(), text.begin(), text.end());
}

void Append(Bytes& b, const Bytes& more)
{
    b.insert(b.end(), more.begin(), more.end());
}

// A member's data as the archive keeps it: the text as it is (method 0) or
// as a raw deflate stream (method 8).
struct Member
{
    std::string name;
    std::string text;
    Bytes stream;
    unsigned long crc;
    unsigned method;
};

unsigned long Crc(const std::string& text)
{
    return crc32(0, reinterpret_cast<const Bytef*>(text.data()), static_cast<uInt>(text.size()));
}

Member Stored(const std::string& name, const std::string& text)
{
    return {name, text, Bytes(text.begin(), text.end()), Crc(text), 0};
}

Member Deflated(const std::string& name, const std::string& text)
{
    z_stream z = {};
    deflateInit2(&z, 9, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    Bytes out(deflateBound(&z, static_cast<uLong>(text.size())));
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
    z.avail_in = static_cast<uInt>(text.size());
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return {name, text, out, Crc(text), 8};
}

// The fields that both records have: version 2.0, no flags, a fixed time;
// `name` may differ from the member's when a record is made to point at
// another member's data.
void PutCommon(Bytes& b, const Member& m, const std::string& name)
{
    Put16(b, 20);  // version needed
    Put16(b, 0);   // flags
    Put16(b, m.method);
    Put16(b, 0x645C);
    Put16(b, 0x585D);
    Put32(b, m.crc);
    Put32(b, m.stream.size());
    Put32(b, m.text.size());
    Put16(b, static_cast<unsigned>(name.size()));
    Put16(b, 0);  // extra field
}

Bytes Local(const Member& m)
{
    Bytes b;
    Put32(b, 0x04034b50);
    PutCommon(b, m, m.name);
    Append(b, m.name);
    Append(b, m.stream);
    return b;
}

Bytes Central(const Member& m, unsigned long offset, const std::string& name)
{
    Bytes b;
    Put32(b, 0x02014b50);
    Put16(b, 20);  // made by
    PutCommon(b, m, name);
    Put16(b, 0);  // comment
    Put16(b, 0);  // volume
    Put16(b, 0);  // internal attributes
    Put32(b, 0);  // external attributes
    Put32(b, offset);
    Append(b, name);
    return b;
}

struct Record
{
    const Member* member;
    unsigned long offset;
    std::string name;
};

// The bytes before the directory, then a record for each entry, then the end.
Bytes Archive(const Bytes& body, const std::vector<Record>& records)
{
    Bytes b = body;
    Bytes directory;
    for (const Record& r : records)
        Append(directory, Central(*r.member, r.offset, r.name.empty() ? r.member->name : r.name));
    Append(b, directory);
    Put32(b, 0x06054b50);
    Put16(b, 0);
    Put16(b, 0);
    Put16(b, static_cast<unsigned>(records.size()));
    Put16(b, static_cast<unsigned>(records.size()));
    Put32(b, directory.size());
    Put32(b, body.size());
    Put16(b, 0);
    return b;
}

std::string Extracted(CZipArchive& zip, ZIP_INDEX_TYPE index)
{
    CZipMemFile out;
    if (!zip.ExtractFile(index, out))
        return "<not extracted>";
    return std::string(out.GetData().begin(), out.GetData().end());
}

// Entries that share their bytes (the shape that lets a few kilobytes
// extract to gigabytes) are refused when the archive is opened; sound
// archives open whatever the order of their entries and the gaps between
// them, and every member reads back.
TEST(ZipCentralDir, EntriesThatShareBytesAreRefusedAndSoundOnesOpen)
{
    const Member a = Deflated("a.txt", std::string(3000, 'a') + "end of a");
    const Member b = Deflated("b.txt", "the second member");
    const Member c = Deflated("c.txt", std::string(500, 'c'));
    const Bytes localA = Local(a);
    const Bytes localB = Local(b);
    const Bytes localC = Local(c);
    const unsigned long afterA = localA.size();
    const unsigned long afterB = afterA + localB.size();

    Bytes plain;
    for (const Bytes* local : {&localA, &localB, &localC})
        Append(plain, *local);
    const Bytes junk = RandomBytes(100, 7);
    Bytes gapped = junk;
    Append(gapped, localA);
    Append(gapped, junk);
    Append(gapped, localB);
    Append(gapped, junk);
    Append(gapped, localC);
    const unsigned long gappedB = 100 + afterA + 100;

    // b's whole record stored as the data of a member that starts just
    // before it: a record inside another's data.
    const Member outer = Stored("outer.bin", std::string(localB.begin(), localB.end()));
    const Bytes nested = Local(outer);
    const unsigned long nestedB = nested.size() - localB.size();

    // a whose record claims more data than lies before the directory.
    Member longA = a;
    longA.stream.resize(a.stream.size() + 40);

    struct Case
    {
        const char* name;
        Bytes archive;
        std::vector<const Member*> members;  // in the directory's order, empty when refused
    };
    const Case cases[] = {
        {"in order", Archive(plain, {{&a, 0, ""}, {&b, afterA, ""}, {&c, afterB, ""}}), {&a, &b, &c}},
        {"directory in another order", Archive(plain, {{&c, afterB, ""}, {&a, 0, ""}, {&b, afterA, ""}}),
         {&c, &a, &b}},
        {"gaps before and between members",
         Archive(gapped, {{&b, gappedB, ""}, {&a, 100, ""}, {&c, gappedB + localB.size() + 100, ""}}), {&b, &a, &c}},
        {"three entries over one stream", Archive(plain, {{&a, 0, "1.txt"}, {&a, 0, "2.txt"}, {&a, 0, "3.txt"}}), {}},
        {"two entries over one stream among sound ones",
         Archive(plain, {{&a, 0, ""}, {&b, afterA, ""}, {&c, afterB, ""}, {&b, afterA, "again.txt"}}), {}},
        {"a record inside another member's data", Archive(nested, {{&outer, 0, ""}, {&b, nestedB, ""}}), {}},
        {"data running into the directory", Archive(localA, {{&longA, 0, ""}}), {}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        CZipMemFile file(c.archive.data(), c.archive.size());
        CZipArchive zip;
        if (c.members.empty())
        {
            EXPECT_EQ(ZipErrorOf([&] { zip.Open(file, CZipArchive::zipOpenReadOnly); }), CZipException::badZipFile);
            EXPECT_TRUE(zip.IsClosed());
            continue;
        }
        ASSERT_EQ(ZipErrorOf([&] { zip.Open(file, CZipArchive::zipOpenReadOnly); }), -1);
        ASSERT_EQ(zip.GetCount(), c.members.size());
        for (ZIP_INDEX_TYPE i = 0; i < zip.GetCount(); ++i)
        {
            EXPECT_EQ(Extracted(zip, zip.FindFile(c.members[i]->name.c_str())), c.members[i]->text);
            EXPECT_EQ(zip.FindFile(c.members[i]->name.c_str()), i);
        }
        zip.Close();
    }
}

// Opening an archive builds its directory and the index to find names by;
// closing it, or destroying it open, gives every block back.
TEST(ZipCentralDir, ClosingAnArchiveFreesItsDirectory)
{
    CZipMemFile archive;
    {
        CZipArchive zip;
        ASSERT_TRUE(zip.Open(archive, CZipArchive::zipCreate));
        for (int i = 0; i < 40; ++i)
            zip.AddNewFile("x", 1, ("member" + std::to_string(i) + ".txt").c_str(), 0);
        zip.Close();
    }
    auto openFindAndLetGo = [&](bool close) {
        CZipArchive zip;
        zip.Open(archive, CZipArchive::zipOpenReadOnly);
        const bool found = zip.FindFile("member17.txt") != ZIP_FILE_INDEX_NOT_FOUND;
        if (close)
            zip.Close();
        return found;
    };
    ASSERT_TRUE(openFindAndLetGo(true));
    const long before = g_liveBlocks;
    int found = 0;
    for (int round = 0; round < 10; ++round)
        found += openFindAndLetGo(round % 2 == 0);
    const long after = g_liveBlocks;
    EXPECT_EQ(found, 10);
    EXPECT_EQ(after - before, 0);
}

}  // namespace
