// The command-line tool as scripts call it.
#include "tools/package_maker/package_maker.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

namespace pm = package_maker;

namespace
{

class PackageMakerCli : public testing::Test
{
protected:
    void SetUp() override
    {
        const std::string name = testing::UnitTest::GetInstance()->current_test_info()->name();
        m_dir = std::filesystem::path(testing::TempDir()) /
                ("trelwin_pkg_cli_" + name + "_" + std::to_string(std::random_device()()));
        std::filesystem::create_directories(m_dir);
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }

    // The tool's exit status; its output goes to a file of the test folder.
    int Run(const std::string& arguments)
    {
        const std::string command =
            std::string("'") + TRELWIN_PKG_TOOL + "' " + arguments + " > '" + Path("out.txt") + "' 2>&1";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::string Path(const std::string& name) const { return (m_dir / name).string(); }

    std::string Read(const std::string& name) const
    {
        std::ifstream file(Path(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }

    std::filesystem::path m_dir;
};

TEST_F(PackageMakerCli, WritesThePackageOfTheOptions)
{
    {
        std::ofstream body(Path("body.bin"), std::ios::binary);
        body << "firmware bytes";
    }
    ASSERT_EQ(0, Run("--id 06.7.7 --device-type 23 --section 0x0A0D,1,00.0.3,@'" + Path("body.bin") +
                     "' --section 0x0100,0x45000,02.5.6,600 -o '" + Path("a.zpk") + "'"));
    ASSERT_EQ(0, Run("--plain --id 06.7.7 --device-type 23 --section 0x0A0D,1,00.0.3,@'" + Path("body.bin") +
                     "' --section 0x0100,0x45000,02.5.6,600 -o '" + Path("a.plain") + "'"));

    const std::string plain = Read("a.plain");
    EXPECT_EQ(pm::EncryptPackage(plain), Read("a.zpk"));

    pm::Image expected;
    expected.idField = "06.7.7";
    expected.sections = pm::MakeDeviceTypeSections(23);
    expected.sections.push_back(pm::MakeSection(0x0A0D, 1, "00.0.3", "firmware bytes"));
    expected.sections.push_back(pm::MakeSection(0x0100, 0x45000, "02.5.6", plain.substr(plain.size() - 600)));
    EXPECT_EQ(pm::BuildImage(expected), plain);
}

TEST_F(PackageMakerCli, HelpAndErrors)
{
    EXPECT_EQ(0, Run("--help"));
    EXPECT_NE(std::string::npos, Read("out.txt").find("Usage: trelwin-pkg"));

    EXPECT_EQ(2, Run("--section 0x0100,1,02.5.6"));
    EXPECT_NE(std::string::npos, Read("out.txt").find("no output file"));
    EXPECT_EQ(2, Run("--bogus -o '" + Path("x.zpk") + "'"));
    EXPECT_NE(std::string::npos, Read("out.txt").find("unknown option"));
    EXPECT_EQ(2, Run("--section 0x10000,1,02.5.6 -o '" + Path("x.zpk") + "'"));
    EXPECT_NE(std::string::npos, Read("out.txt").find("bad section key"));
    EXPECT_EQ(2, Run("--section 1,2 -o '" + Path("x.zpk") + "'"));
    EXPECT_EQ(2, Run("--device-type 256 -o '" + Path("x.zpk") + "'"));
    EXPECT_EQ(2, Run("--section 1,2,02.5.6,@'" + Path("missing") + "' -o '" + Path("x.zpk") + "'"));
    EXPECT_NE(std::string::npos, Read("out.txt").find("cannot read"));
    EXPECT_FALSE(std::filesystem::exists(Path("x.zpk")));
    EXPECT_EQ(2, Run("-o '" + Path("no/such/folder/x.zpk") + "'"));
    EXPECT_NE(std::string::npos, Read("out.txt").find("cannot create"));
}

} // namespace
