// Every drawing map holds an archive holder of its own, made and destroyed
// with the map, and the archive in it never opens or makes a file.
#include "tests/drawing/drawing_test_util.h"
#include "tests/zip/zip_test_support.h"

#include <memory>

using namespace drawing_test;

TEST_F(DrawingTest, EveryMapHoldsAClosedArchiveAndTouchesNoFile)
{
    zip_test::ScopedEmptyCurrentFolder folder;
    ASSERT_TRUE(folder.Ok());
    const size_t before = zip_test::OpenDescriptors();

    auto root = std::make_unique<CDrawingObjectMap>(&m_host, nullptr, TRUE, TRUE, FALSE);
    CDrawingObjectMap* child = root->CreateChildMap();
    root->m_children.Add(child);
    EXPECT_EQ(zip_test::OpenDescriptors(), before);

    ASSERT_NE(root->GetFile(), nullptr);
    EXPECT_EQ(root->GetFile(), root->GetFile());
    EXPECT_NE(root->GetFile(), child->GetFile());
    for (CDrawingObjectMap* map : {root.get(), child})
    {
        const CZipArchive& zip = map->GetFile()->GetArchive();
        EXPECT_TRUE(zip.IsClosed());
        EXPECT_EQ(zip.GetCount(), 0);
    }

    root.reset();
    EXPECT_EQ(zip_test::OpenDescriptors(), before);
    EXPECT_TRUE(folder.IsEmpty());
}
