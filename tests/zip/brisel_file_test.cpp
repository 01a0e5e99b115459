#include "zip/brisel_file.h"

#include "zip_test_support.h"

#include <unistd.h>

#include <memory>

namespace
{

using namespace zip_test;

size_t OpenDescriptors()
{
    size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
        ++count;
    return count;
}

class BriselFileTest : public TempDir
{
};

// Holding an archive opens nothing and makes nothing: the holder's life,
// run in an empty current folder, leaves the folder empty and the count of
// open descriptors as it was, at every step.
TEST_F(BriselFileTest, HoldsAClosedEmptyArchiveAndTouchesNoFile)
{
    const auto saved = std::filesystem::current_path();
    std::filesystem::current_path(m_dir);
    const size_t before = OpenDescriptors();
    auto holder = std::make_unique<CBriselFile>();
    const size_t during = OpenDescriptors();
    const CZipArchive& zip = holder->GetArchive();
    const bool closed = zip.IsClosed();
    const int count = zip.GetCount();
    const int segmented = zip.GetSegmMode();
    holder.reset();
    const size_t after = OpenDescriptors();
    std::filesystem::current_path(saved);

    EXPECT_TRUE(closed);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(segmented, 0);
    EXPECT_EQ(during, before);
    EXPECT_EQ(after, before);
    EXPECT_TRUE(Names().empty());
}

}  // namespace
