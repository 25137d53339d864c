// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "EditorTestSupport.h"
#include "editing/FrameSettings.h"
#include "editing/LoopCount.h"
#include "platform/GIFException.h"
#include "platform/Stream.h"

namespace fl {
namespace {

using test::MakeAnimation;

uint16_t StoredOnFirstFrame(const TGIFImage& image)
{
    const TGIFAppExtNSLoop* loop = FindLoopExtension(*image.Frames[0]);
    EXPECT_NE(loop, nullptr);
    return loop ? loop->LoopCount : 0xDEAD;
}

TEST(LoopCount, CountsStoreOneLessAndReadBackThroughTheFile)
{
    auto image = MakeAnimation(4, 4, 2);
    EXPECT_FALSE(HasLoopExtension(*image));
    EXPECT_EQ(GetLoopCount(*image), 1) << "no extension plays once";

    EXPECT_FALSE(SetLoopCount(*image, 3)) << "a new extension is not a changed one";
    EXPECT_EQ(StoredOnFirstFrame(*image), 2);
    EXPECT_EQ(GetLoopCount(*image), 3);

    EXPECT_TRUE(SetLoopCount(*image, 0));
    EXPECT_EQ(StoredOnFirstFrame(*image), 0);
    EXPECT_EQ(GetLoopCount(*image), 0);
    EXPECT_TRUE(SetLoopCount(*image, 10));
    EXPECT_EQ(image->Frames[0]->Extensions.Count(), 1) << "the extension is reused";

    TMemoryStream stream;
    image->SaveToStream(stream);
    stream.SetPosition(0);
    TGIFImage loaded;
    loaded.LoadFromStream(stream);
    EXPECT_EQ(GetLoopCount(loaded), 10);
}

TEST(LoopCount, StoredValuesMeaningForever)
{
    EXPECT_EQ(LoopCountFromStored(0), 0);
    EXPECT_EQ(LoopCountFromStored(0xFFFF), 0);
    EXPECT_EQ(LoopCountFromStored(1), 2);
    EXPECT_EQ(LoopCountFromStored(0xFFFE), 0xFFFF);

    EXPECT_EQ(StoredLoopCount(0), 0);
    EXPECT_EQ(StoredLoopCount(-4), 0);
    EXPECT_EQ(StoredLoopCount(2), 1);
    EXPECT_EQ(StoredLoopCount(70000), 0xFFFE) << "a huge count must not turn into forever";
    EXPECT_EQ(LoopCountFromStored(StoredLoopCount(70000)), 0xFFFF);
}

TEST(LoopCount, OneLoopChangesNothing)
{
    auto image = MakeAnimation(4, 4, 1);
    EXPECT_FALSE(SetLoopCount(*image, 1));
    EXPECT_FALSE(HasLoopExtension(*image));
    SetLoopCount(*image, 4);
    EXPECT_FALSE(SetLoopCount(*image, 1));
    EXPECT_EQ(GetLoopCount(*image), 4) << "1 does not remove an existing extension";

    TGIFImage empty;
    EXPECT_FALSE(SetLoopCount(empty, 5));
    EXPECT_EQ(GetLoopCount(empty), 1);
}

TEST(LoopCount, AddedExtensionsGoToTheFrontOfTheGivenFrame)
{
    auto image = MakeAnimation(4, 4, 2);
    SetFrameDelay(*image->Frames[1], 20);
    AddLoopExtension(*image, 1, 5);
    ASSERT_EQ(image->Frames[1]->Extensions.Count(), 2);
    auto* loop = dynamic_cast<TGIFAppExtNSLoop*>(image->Frames[1]->Extensions[0]);
    ASSERT_NE(loop, nullptr);
    EXPECT_EQ(loop->LoopCount, 4);
    EXPECT_EQ(loop->AppIdText(), "NETSCAPE2.0");
    EXPECT_FALSE(HasLoopExtension(*image)) << "only the first frame's extension counts";

    AddLoopExtension(*image, 0, 1);
    EXPECT_EQ(image->Frames[0]->Extensions.Count(), 0);
    EXPECT_THROW(AddLoopExtension(*image, 2, 3), GIFException);
    EXPECT_THROW(AddLoopExtension(*image, -1, 3), GIFException);
}

} // namespace
} // namespace fl
