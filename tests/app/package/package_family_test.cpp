// Which devices a package is for: the type a package carries wins; only
// when it names no family do the keywords of the file name decide, in their
// fixed order, on the file's own name and not on its folders.
#include <gtest/gtest.h>

#include <string>

#include "app/package/package_family.h"
#include "app/package/update_package.h"
#include "tools/package_maker/package_maker.h"

namespace
{

struct Expected
{
    int family, type, familyPackage, subFamily, testMode;
};

void ExpectSheet(const CWizardState& sheet, const Expected& e)
{
    EXPECT_EQ(sheet.m_nFamily, e.family);
    EXPECT_EQ(sheet.m_nExpectedDeviceType, e.type);
    EXPECT_EQ(sheet.m_nFamilyPackage, e.familyPackage);
    EXPECT_EQ(sheet.m_nSubFamily, e.subFamily);
    EXPECT_EQ(sheet.m_nTestMode, e.testMode);
}

TEST(PackageFamily, TheCarriedTypeWinsElseTheKeywordsInTheirOrder)
{
    struct Case
    {
        const char* path;
        int typeId;
        Expected expected;
    };
    const Case cases[] = {
        {"/home/u/veltranox_decoder_v6.8.0.zpk", -1, {1, 5, 0, 0, 0}},
        {"veltranox.zpk", -1, {1, 2, 0, 0, 0}},
        {"VELTRANOX.ZPK", -1, {1, 2, 0, 0, 0}},
        {"veltranoxlc.zpk", -1, {1, 12, 0, 0, 0}},
        {"oskaline.zpk", -1, {1, 6, 0, 0, 0}},
        {"tandrel.zpk", -1, {1, 8, 0, 0, 0}},
        {"tandrel_decoder.zpk", -1, {1, 9, 0, 0, 0}},
        {"tandrellc.zpk", -1, {1, 13, 0, 0, 0}},
        {"tandrmax_olphen.zpk", -1, {1, 10, 0, 0, 0}},
        {"drovemantle.zpk", -1, {1, 11, 0, 0, 0}},
        {"veltranox2.zpk", -1, {5, 25, 0, 0, 0}},
        {"ktressel.zpk", -1, {2, -1, 0, 0, 0}},
        {"ktressel_encoder.zpk", -1, {2, 4, 0, 0, 0}},
        {"ktressel_output.zpk", -1, {2, 3, 0, 0, 0}},
        {"ktressel_encoder_output.zpk", -1, {2, 3, 0, 0, 0}},
        {"veltranoxfamily.zpk", -1, {1, -1, 1, 1, 0}},
        {"tandrelfamily.zpk", -1, {1, -1, 1, 0, 0}},
        {"obrelonfamily.zpk", -1, {4, -1, 1, 1, 0}},
        {"obrelonostfamily.zpk", -1, {4, -1, 1, 0, 0}},
        {"lantest.zpk", -1, {0, -1, 0, 0, 1}},
        {"lantest_olphen.zpk", -1, {1, 7, 0, 0, 1}},
        {"", -1, {0, -1, 0, 0, 0}},
        {"  C:\\Updates\\veltranox\\OLPHEN.zpk  ", -1, {1, 7, 0, 0, 0}},
        {"/srv/tandrel/packages/update.zpk", -1, {0, -1, 0, 0, 0}},
        {"/srv/veltranox\\x/olphen.zpk", -1, {1, 7, 0, 0, 0}},
        // A carried type of family 4 (type 23) or 3 (type 14): the keywords,
        // even "lantest", are not looked at.
        {"lantest_tandrel.zpk", 23, {4, -1, 1, 1, 0}},
        {"veltranox_decoder.zpk", 14, {3, -1, 1, 1, 0}},
        // A carried type that names no family (type 0) leaves it to the name.
        {"tandrel.zpk", 0, {1, 8, 0, 0, 0}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.path);
        CWizardState sheet;
        sheet.m_nFamily = 9;  // left from an earlier choice
        sheet.m_nExpectedDeviceType = 9;
        EXPECT_EQ(ChoosePackageFamily(sheet, c.path, c.typeId), c.expected.family);
        ExpectSheet(sheet, c.expected);
    }
}

std::string TempPath(const char* name)
{
    return ::testing::TempDir() + "trelwin_family_" + std::to_string(::getpid()) + "_" + name;
}

TEST(PackageFamily, ARealPackagesTypeOutranksItsName)
{
    namespace pm = package_maker;
    pm::Image image;
    image.sections = pm::MakeDeviceTypeSections(23);
    image.sections.push_back(pm::MakeSection(0x0A0D, 1, "02.5.6", std::string(300, 'x')));
    struct Case
    {
        const char* name;
        std::string bytes;
        Expected expected;
    };
    const Case cases[] = {
        {"lantest_tandrel.zpk", pm::EncryptPackage(pm::BuildImage(image)), {4, -1, 1, 1, 0}},
        {"tandrel.zpk", "not a package at all", {1, 8, 0, 0, 0}},
        {"notes.zpk", "not a package at all", {0, -1, 0, 0, 0}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const std::string path = TempPath(c.name);
        std::string error;
        ASSERT_TRUE(pm::WriteFile(path, c.bytes, error)) << error;
        CWizardState sheet;
        ChoosePackageFamily(sheet, path.c_str(), GetPackageTypeId(path.c_str()));
        ExpectSheet(sheet, c.expected);
        std::remove(path.c_str());
    }
}

}  // namespace
