#include "app/package/image_container.h"

#include "platform/base/mem_file.h"
#include "tools/package_maker/package_maker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace pm = package_maker;

namespace
{

// A container held in memory and a read-only stream over it, as the update
// engine holds a decrypted package.
class Container
{
public:
    explicit Container(const pm::Image& image) : Container(pm::BuildImage(image)) {}
    explicit Container(std::string bytes)
        : m_bytes(std::move(bytes)), m_file(reinterpret_cast<BYTE*>(m_bytes.data()), static_cast<UINT>(m_bytes.size()))
    {
    }
    CFile& File() { return m_file; }
    const std::string& Bytes() const { return m_bytes; }

private:
    std::string m_bytes;
    CMemFile m_file;
};

std::string Contents(CMemFile& file)
{
    return std::string(reinterpret_cast<const char*>(file.GetBuffer()), static_cast<size_t>(file.GetLength()));
}

_TImageHeader HeaderOf(CMemFile& file)
{
    _TImageHeader header = {};
    const std::string bytes = Contents(file);
    EXPECT_GE(bytes.size(), sizeof header);
    std::memcpy(&header, bytes.data(), std::min(bytes.size(), sizeof header));
    return header;
}

// The package of the tests: the information sections, two bodies of one key
// with different ids, and sections of several other keys.
pm::Image SamplePackage()
{
    pm::Image image;
    image.idField = "06.7.7";
    image.reserved = {1, 2, 3, 4, 5};
    image.sections = pm::MakeDeviceTypeSections(9);
    image.sections.push_back(pm::MakeSection(0x0A0D, 1, "00.0.3", "init"));
    image.sections.push_back(pm::MakeSection(0x0100, 0x10000, "02.5.6", "first body"));
    image.sections.push_back(pm::MakeSection(0x020C, 7, "01.0.0", std::string(300, 'x')));
    image.sections.push_back(pm::MakeSection(0x0100, 0x45000, "02.5.7", "second body"));
    image.sections.push_back(pm::MakeSection(0x030D, 2, "00.0.1", ""));
    return image;
}

// The section count of an image begun from the container and given the
// sections of the key and id.
int CopiedCount(const pm::Image& image, WORD key, int id)
{
    Container package(image);
    CMemFile target;
    BeginImage(package.File(), target);
    CopyImageSections(package.File(), target, key, id);
    return HeaderOf(target).count;
}

struct Found
{
    WORD key;
    DWORD id;
};

std::vector<Found> AllSections(CFile& file)
{
    std::vector<Found> found;
    WORD key = 0;
    DWORD id = 0;
    for (int n = 0; n < 100 && FindImageSection(file, key, id, n); ++n)
        found.push_back({key, id});
    return found;
}

std::string Keys(const std::vector<Found>& found)
{
    std::string text;
    char item[32];
    for (const Found& f : found)
    {
        std::snprintf(item, sizeof item, "%04X/%X ", f.key, f.id);
        text += item;
    }
    return text;
}

TEST(ImageContainerWalk, FindsEverySectionInOrder)
{
    Container package(SamplePackage());
    EXPECT_EQ("FEFD/0 FEFE/0 0A0D/1 0100/10000 020C/7 0100/45000 030D/2 ", Keys(AllSections(package.File())));
    WORD key = 1;
    DWORD id = 1;
    EXPECT_EQ(0, FindImageSection(package.File(), key, id, -1));
    EXPECT_EQ(0, FindImageSection(package.File(), key, id, 7));
    EXPECT_EQ(1, key) << "out values are left alone when there is no section";
}

TEST(ImageContainerWalk, AcceptsBothTagsAndNoOther)
{
    pm::Image image = SamplePackage();
    image.tag = "Veltranox";
    Container old(image);
    EXPECT_EQ(7u, AllSections(old.File()).size());
    EXPECT_EQ(1, HasImageSectionType(old.File(), 0xFE));

    for (const char* tag : {"Veltrano3", "veltrano2", "", "Veltrano"})
    {
        image.tag = tag;
        Container other(image);
        EXPECT_TRUE(AllSections(other.File()).empty()) << tag;
        EXPECT_EQ(0, HasImageSectionType(other.File(), 0xFE)) << tag;
    }
}

TEST(ImageContainerWalk, CountBelowOneHasNoSections)
{
    for (int count : {0, -1, INT32_MIN})
    {
        pm::Image image = SamplePackage();
        image.count = count;
        Container package(image);
        EXPECT_TRUE(AllSections(package.File()).empty()) << count;
        EXPECT_EQ(0, HasImageSectionType(package.File(), 0xFE)) << count;
    }
}

TEST(ImageContainerWalk, CountLimitsTheWalk)
{
    pm::Image image = SamplePackage();
    image.count = 3;
    Container package(image);
    EXPECT_EQ(3u, AllSections(package.File()).size());
    EXPECT_EQ(0, HasImageSectionType(package.File(), 0x0C));
}

TEST(ImageContainerWalk, BadMagicEndsTheWalk)
{
    pm::Image image = SamplePackage();
    image.sections[3].magic = std::array<char, 4>{'n', 'w', 'd', 'L'};
    Container package(image);
    EXPECT_EQ("FEFD/0 FEFE/0 0A0D/1 ", Keys(AllSections(package.File())));
    EXPECT_EQ(0, HasImageSectionType(package.File(), 0x0C));
}

TEST(ImageContainerWalk, HasTypeLeavesTheStreamBehindTheHeader)
{
    Container package(SamplePackage());
    ASSERT_EQ(1, HasImageSectionType(package.File(), 0x0D));
    char body[4] = {};
    ASSERT_EQ(4u, package.File().Read(body, 4));
    EXPECT_EQ("init", std::string(body, 4));
    EXPECT_EQ(0, HasImageSectionType(package.File(), 0x42));
}

TEST(ImageContainerWalk, LyingCountsAndLengthsEndAtTheStreamsEnd)
{
    // More sections claimed than present.
    pm::Image image = SamplePackage();
    image.count = INT32_MAX;
    Container many(image);
    EXPECT_EQ(7u, AllSections(many.File()).size());
    EXPECT_EQ(0, HasImageSectionType(many.File(), 0x42));

    // A body longer than the rest of the stream: later sections do not exist.
    image = SamplePackage();
    image.sections[2].bodyLength = 0xFFFFFFF0;
    Container longBody(image);
    EXPECT_EQ("FEFD/0 FEFE/0 0A0D/1 ", Keys(AllSections(longBody.File())));

    // A section header cut short.
    const std::string bytes = pm::BuildImage(SamplePackage());
    Container cut(bytes.substr(0, 24 + 28 + 28 + 10));
    EXPECT_EQ("FEFD/0 FEFE/0 ", Keys(AllSections(cut.File())));

    for (size_t length : {0, 1, 23})
    {
        Container tiny(bytes.substr(0, length));
        EXPECT_TRUE(AllSections(tiny.File()).empty()) << length;
        EXPECT_EQ(0, HasImageSectionType(tiny.File(), 0xFD)) << length;
    }
}

TEST(ImageContainerBuild, BeginImageWritesAFreshHeader)
{
    pm::Image image = SamplePackage();
    image.tag = "Veltranox";
    Container package(image);
    CMemFile target;
    BeginImage(package.File(), target);
    EXPECT_EQ(24u, target.GetLength());
    EXPECT_EQ(std::string("Veltrano206.7.7\0\0\0\0\0\0\0\0\0", 24), Contents(target));
}

TEST(ImageContainerBuild, CopyAnyIdCopiesEverySectionOfTheKeyInOrder)
{
    Container package(SamplePackage());
    CMemFile target;
    BeginImage(package.File(), target);
    CopyImageSections(package.File(), target, 0x0100, -1);
    EXPECT_EQ(2, HeaderOf(target).count);
    EXPECT_EQ("0100/10000 0100/45000 ", Keys(AllSections(target)));

    // Headers and bodies are carried unchanged, the CRC included.
    const std::string& source = package.Bytes();
    const size_t first = source.find("first body") - 28;
    const size_t second = source.find("second body") - 28;
    EXPECT_EQ(source.substr(first, 28 + 10) + source.substr(second, 28 + 11), Contents(target).substr(24));
}

TEST(ImageContainerBuild, CopyWithIdCopiesTheFirstMatchOnly)
{
    pm::Image image = SamplePackage();
    image.sections.push_back(pm::MakeSection(0x0100, 0x45000, "09.9.9", "duplicate id"));
    Container package(image);
    CMemFile target;
    BeginImage(package.File(), target);
    CopyImageSections(package.File(), target, 0x0100, 0x45000);
    EXPECT_EQ(1, HeaderOf(target).count);
    EXPECT_NE(std::string::npos, Contents(target).find("second body"));
    EXPECT_EQ(std::string::npos, Contents(target).find("duplicate id"));

    CopyImageSections(package.File(), target, 0x0100, 0x12345);
    CopyImageSections(package.File(), target, 0x4242, -1);
    EXPECT_EQ(1, HeaderOf(target).count);
}

TEST(ImageContainerBuild, CopyingTwiceDuplicatesAndKeepsTheOrderOfCalls)
{
    Container package(SamplePackage());
    CMemFile target;
    BeginImage(package.File(), target);
    CopyImageSections(package.File(), target, 0xFEFD, -1);
    CopyImageSections(package.File(), target, 0xFEFE, -1);
    CopyImageSections(package.File(), target, 0x0A0D, -1);
    CopyImageSections(package.File(), target, 0xFEFE, -1);
    EXPECT_EQ(4, HeaderOf(target).count);
    EXPECT_EQ("FEFD/0 FEFE/0 0A0D/1 FEFE/0 ", Keys(AllSections(target)));
}

TEST(ImageContainerBuild, CopyComparesTheWholeGroup)
{
    pm::Image image = SamplePackage();
    image.sections[1].group = 0x1FE;
    EXPECT_EQ(0, CopiedCount(image, 0xFEFE, -1));
}

TEST(ImageContainerBuild, CopyChecksNeitherTagNorMagic)
{
    pm::Image image = SamplePackage();
    image.tag = "something";
    image.sections[2].magic = std::array<char, 4>{'a', 'b', 'c', 'd'};
    EXPECT_EQ(1, CopiedCount(image, 0x0A0D, -1));
}

TEST(ImageContainerBuild, CopyOfALyingBodyCopiesOnlyWhatIsThere)
{
    pm::Image image = SamplePackage();
    image.sections.resize(4);
    image.sections[3].bodyLength = 0xFFFFFFFF;
    Container package(image);
    CMemFile target;
    BeginImage(package.File(), target);
    CopyImageSections(package.File(), target, 0x0100, -1);
    EXPECT_EQ(1, HeaderOf(target).count);
    EXPECT_EQ(24u + 28u + 10u, target.GetLength());

    // A lying count copies the sections present and stops.
    image = SamplePackage();
    image.count = INT32_MAX;
    EXPECT_EQ(2, CopiedCount(image, 0x0100, -1));
}

TEST(ImageContainerBuild, CopyIntoATargetWithoutHeaderDoesNothing)
{
    Container package(SamplePackage());
    CMemFile target;
    CopyImageSections(package.File(), target, 0x0100, -1);
    EXPECT_EQ(0u, target.GetLength());
}

TEST(ImageContainerBuild, ReadSectionHeaderFindsTheFirstMatch)
{
    Container package(SamplePackage());
    _TImageSection header = {};
    ASSERT_TRUE(ReadImageSectionHeader(package.File(), header, 0x0100, -1));
    EXPECT_EQ(0x10000u, header.id);
    EXPECT_EQ(10u, header.length);
    EXPECT_EQ(std::string("02.5.6"), std::string(header.version, 6));
    EXPECT_EQ(pm::Crc32("first body", 10), header.crc);

    ASSERT_TRUE(ReadImageSectionHeader(package.File(), header, 0x0100, 0x45000));
    EXPECT_EQ(std::string("02.5.7"), std::string(header.version, 6));

    std::memset(&header, 0xAB, sizeof header);
    EXPECT_FALSE(ReadImageSectionHeader(package.File(), header, 0x0100, 5));
    EXPECT_EQ(0xABABABABu, header.magic) << "left untouched";
}

TEST(ImageContainerBuild, SetIdFieldNeedsSixCharacters)
{
    Container package(SamplePackage());
    CMemFile target;
    BeginImage(package.File(), target);
    EXPECT_EQ(0, SetImageIdField(target, "6_7_5"));
    EXPECT_EQ(std::string("06.7.7"), std::string(HeaderOf(target).id, 6));
    EXPECT_EQ(1, SetImageIdField(target, "xxxxxx"));
    EXPECT_EQ(std::string("xxxxxx"), std::string(HeaderOf(target).id, 6));
    EXPECT_EQ(1, SetImageIdField(target, "6_7_5_9"));
    EXPECT_EQ(std::string("6_7_5_"), std::string(HeaderOf(target).id, 6));
    EXPECT_EQ(std::string(IMAGE_TAG), std::string(HeaderOf(target).tag, 9));
    EXPECT_EQ(24u, target.GetLength());

    CMemFile empty;
    EXPECT_EQ(0, SetImageIdField(empty, "xxxxxx"));
    EXPECT_EQ(0u, empty.GetLength());
}

// The one walk that copies sections by a test of their header: each chosen
// section goes over as it stands (header and body), once, in file order,
// and the walk ends where FindImageSection's ends. Expected: the sections'
// own bytes cut from the hand-made container.
TEST(ImageContainerBuild, CopyIfTakesEachChosenSectionAsItStandsInOneWalk)
{
    const auto notType13 = [](const _TImageSection& section) { return section.type != 13; };
    struct Case
    {
        const char* name;
        std::function<void(pm::Image&)> change;
        std::vector<size_t> copied;  // indexes into the changed image's sections
    };
    const Case cases[] = {
        {"every section but type 13", [](pm::Image&) {}, {0, 1, 3, 4, 5}},
        {"a second section of one key and id: both, each with its own body",
         [](pm::Image& i) { i.sections.push_back(pm::MakeSection(0x0100, 0x45000, "09.9.9", "again")); },
         {0, 1, 3, 4, 5, 7}},
        {"sections whose id reads as -1: each once",
         [](pm::Image& i) {
             for (int n = 0; n < 3; ++n)
                 i.sections.push_back(pm::MakeSection(0x0500, 0xFFFFFFFF, "01.0.0", std::string(1, 'p' + n)));
         },
         {0, 1, 3, 4, 5, 7, 8, 9}},
        {"a group above 255: the section itself", [](pm::Image& i) { i.sections[3].group = 0x101; },
         {0, 1, 3, 4, 5}},
        {"a bad magic ends the walk",
         [](pm::Image& i) { i.sections[4].magic = std::array<char, 4>{'n', 'w', 'd', 'L'}; }, {0, 1, 3}},
        {"a body past the end is copied as far as it goes",
         [](pm::Image& i) {
             i.sections.resize(4);
             i.sections[3].bodyLength = 0xFFFFFFFF;
         },
         {0, 1, 3}},
        {"a foreign tag has no sections", [](pm::Image& i) { i.tag = "Veltrano3"; }, {}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        pm::Image image = SamplePackage();
        c.change(image);
        Container package(image);
        CMemFile target;
        BeginImage(package.File(), target);
        EXPECT_EQ(TRUE, CopyImageSectionsIf(package.File(), target, notType13, [] { return false; }));

        // Each section's bytes, found by its offset in the built container.
        std::string expected = Contents(target).substr(0, 24);
        size_t offset = 24;
        std::vector<std::string> bytes;
        for (const pm::Section& section : image.sections)
        {
            const size_t length = std::min<size_t>(section.bodyLength.value_or(section.body.size()),
                                                   package.Bytes().size() - offset - 28);
            bytes.push_back(package.Bytes().substr(offset, 28 + length));
            offset += 28 + length;
        }
        for (size_t index : c.copied)
            expected += bytes[index];
        EXPECT_EQ(static_cast<int>(c.copied.size()), HeaderOf(target).count);
        EXPECT_TRUE(Contents(target).substr(24) == expected.substr(24));
    }
}

// A stop request, asked before every section, ends the walk where it comes:
// the sections before it are in the image and counted.
TEST(ImageContainerBuild, CopyIfEndsAtAStopRequest)
{
    Container package(SamplePackage());
    for (int allowed : {0, 1, 4})
    {
        SCOPED_TRACE(allowed);
        CMemFile target;
        BeginImage(package.File(), target);
        int asked = 0;
        const BOOL done = CopyImageSectionsIf(
            package.File(), target, [](const _TImageSection&) { return true; }, [&] { return asked++ >= allowed; });
        EXPECT_EQ(FALSE, done);
        EXPECT_EQ(allowed + 1, asked);
        EXPECT_EQ(allowed, HeaderOf(target).count);
        EXPECT_EQ(allowed, static_cast<int>(AllSections(target).size()));
    }
}

TEST(ImageVersion, SectionVersionNumber)
{
    EXPECT_EQ(256, SectionVersionNumber("02.5.6"));
    EXPECT_EQ(2, SectionVersionNumber("00.0.2"));
    EXPECT_EQ(677, SectionVersionNumber("6.7.7"));
    EXPECT_EQ(12, SectionVersionNumber("1.2"));
    EXPECT_EQ(0, SectionVersionNumber(""));
    EXPECT_EQ(0, SectionVersionNumber("..."));
    EXPECT_EQ(0, SectionVersionNumber("Wrong Version"));
    EXPECT_EQ(34, SectionVersionNumber("1.2.34x"));
}

TEST(ImageVersion, CompareOlderNewerEqualMissing)
{
    Container package(SamplePackage());
    EXPECT_EQ(0, CompareImageVersion(package.File(), 0x0100, 0x10000, "02.5.6"));
    EXPECT_EQ(1, CompareImageVersion(package.File(), 0x0100, 0x45000, "02.5.6"));
    EXPECT_EQ(-1, CompareImageVersion(package.File(), 0x0100, 0x10000, "02.5.7"));
    EXPECT_EQ(0, CompareImageVersion(package.File(), 0x0100, 0x33, "02.5.6")) << "missing id";
    EXPECT_EQ(0, CompareImageVersion(package.File(), 0x4242, -1, "02.5.6")) << "missing key";
    EXPECT_EQ(0, CompareImageVersion(package.File(), 0x0100, -1, "02.5.6")) << "first of the key";
    EXPECT_EQ(1, CompareImageVersion(package.File(), IMAGE_KEY_INIT, -1, "00.0.2"));
}

TEST(ImageVersion, EqualNumbersOfDifferentTextsCountAsOlder)
{
    pm::Image image = SamplePackage();
    image.sections[3].version = "12.5.6";
    Container package(image);
    EXPECT_EQ(-1, CompareImageVersion(package.File(), 0x0100, 0x10000, "02.5.6"));
}

TEST(ImageVersion, CompareLooksOnlyAtTheGroupsLowByte)
{
    pm::Image image = SamplePackage();
    image.sections[3].group = 0x301;
    Container package(image);
    EXPECT_EQ(-1, CompareImageVersion(package.File(), 0x0100, 0x10000, "02.5.7"));
}

} // namespace
