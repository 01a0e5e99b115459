#include "zip/brisel_file.h"

#include "zip_test_support.h"

#include <memory>

namespace
{

using namespace zip_test;

// Holding an archive opens nothing and makes nothing: the holder's life,
// run in an empty current folder, leaves the folder empty and the count of
// open descriptors as it was, at every step.
TEST(BriselFile, HoldsAClosedEmptyArchiveAndTouchesNoFile)
{
    ScopedEmptyCurrentFolder folder;
    ASSERT_TRUE(folder.Ok());
    const size_t before = OpenDescriptors();
    auto holder = std::make_unique<CBriselFile>();
    EXPECT_EQ(OpenDescriptors(), before);
    const CZipArchive& zip = holder->GetArchive();
    EXPECT_TRUE(zip.IsClosed());
    EXPECT_EQ(zip.GetCount(), 0);
    EXPECT_EQ(zip.GetSegmMode(), 0);
    holder.reset();
    EXPECT_EQ(OpenDescriptors(), before);
    EXPECT_TRUE(folder.IsEmpty());
}

}  // namespace
