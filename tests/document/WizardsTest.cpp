// SPDX-License-Identifier: GPL-3.0-or-later
// The wizards' work without their window: an animation built from images in
// each sizing mode, unreadable images, the optimized copy and its sizes.
#include <gtest/gtest.h>

#include <fstream>

#include "document/EditorContextSupport.h"
#include "document/RecordedActions.h"
#include "document/Wizards.h"
#include "editing/FrameSettings.h"
#include "editing/LoopCount.h"
#include "gif/Extensions.h"

namespace fl {
namespace {

class WizardsTest : public test::EditorFixture {
protected:
    std::string Picture(const std::string& name, int width, int height, TColor color)
    {
        TBitmap picture(width, height, TPixelFormat::pf24bit);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                uint8_t* pixel = picture.ScanLine(y) + x * 3;
                pixel[0] = BlueOf(color);
                pixel[1] = GreenOf(color);
                pixel[2] = RedOf(color);
            }
        const std::string path = folder.File(name);
        picture.SaveToFile(path);
        return path;
    }
    // Red 4x3 (the background comes from it), green 8x6, blue 2x2.
    std::vector<std::string> ThreePictures()
    {
        return {Picture("red.bmp", 4, 3, Red), Picture("green.bmp", 8, 6, Green),
                Picture("blue.bmp", 2, 2, Blue)};
    }
    static TColor At(TGIFImage& image, int frame, int x, int y)
    {
        TGIFSubImage& subImage = *image.Frames[frame];
        return subImage.ActiveColors().ColorAt(subImage.Pixels()[y * subImage.Width() + x]);
    }
    const TColor Red = MakeColor(255, 0, 0);
    const TColor Green = MakeColor(0, 255, 0);
    const TColor Blue = MakeColor(0, 0, 255);
};

TEST_F(WizardsTest, TheSizingModesPlaceEachPictureAsChosen)
{
    TAnimationWizardOptions options;
    auto topLeft = BuildWizardAnimation(context, ThreePictures(), options);
    ASSERT_TRUE(topLeft);
    ASSERT_EQ(topLeft->Frames.Count(), 3);
    EXPECT_EQ(topLeft->Width(), 4);
    EXPECT_EQ(topLeft->Height(), 3);
    EXPECT_EQ(At(*topLeft, 1, 3, 2), Green);
    EXPECT_EQ(At(*topLeft, 2, 0, 0), Blue);
    EXPECT_EQ(At(*topLeft, 2, 3, 2), Red);

    options.Center = true;
    auto centred = BuildWizardAnimation(context, ThreePictures(), options);
    ASSERT_TRUE(centred);
    EXPECT_EQ(At(*centred, 2, 0, 0), Red);
    EXPECT_EQ(At(*centred, 2, 1, 0), Blue);
    EXPECT_EQ(At(*centred, 2, 2, 1), Blue);
    EXPECT_EQ(At(*centred, 2, 3, 1), Red);

    options.Scale = true;
    options.CustomSize = true;
    options.Width = 10;
    options.Height = 7;
    auto scaled = BuildWizardAnimation(context, ThreePictures(), options);
    ASSERT_TRUE(scaled);
    EXPECT_EQ(scaled->Width(), 10);
    EXPECT_EQ(scaled->Height(), 7);
    EXPECT_EQ(At(*scaled, 2, 0, 0), Blue);
    EXPECT_EQ(At(*scaled, 2, 9, 6), Blue);
}

TEST_F(WizardsTest, TimingLoopTransparencyAndTheCommentAreSet)
{
    struct Case {
        bool forever;
        int plays;
        bool hasLoop;
        int stored;
    };
    for (const Case c : {Case{true, 1, true, 0}, Case{false, 1, false, 0}, Case{false, 3, true, 2}}) {
        TAnimationWizardOptions options;
        options.LoopForever = c.forever;
        options.Plays = c.plays;
        options.Delay = 25;
        options.Transparent = true;
        auto image = BuildWizardAnimation(context, ThreePictures(), options);
        ASSERT_TRUE(image);
        const TGIFAppExtNSLoop* loop = FindLoopExtension(*image->Frames[0]);
        EXPECT_EQ(loop != nullptr, c.hasLoop);
        if (loop) {
            EXPECT_EQ(loop->LoopCount, c.stored);
        }
        for (int i = 0; i < 3; ++i) {
            const TGIFGraphicControlExtension& control = *image->Frames[i]->ControlBlock;
            EXPECT_EQ(control.Delay, 25);
            EXPECT_EQ(control.Disposal(), 2);
        }
        // The background (red, from the first picture) is see-through: the
        // blue frame's corner beside the picture.
        const TGIFSubImage& blue = *image->Frames[2];
        ASSERT_TRUE(blue.ControlBlock->Transparent());
        EXPECT_EQ(blue.Pixels()[2 * blue.Width() + 3], blue.ControlBlock->TransparentIndex());
        EXPECT_NE(blue.Pixels()[0], blue.ControlBlock->TransparentIndex());
        const auto* comment = image->Frames[0]->Extensions.Find<TGIFCommentExtension>();
        ASSERT_NE(comment, nullptr);
        EXPECT_EQ(comment->Lines.front(), CreatorComment);
    }
}

TEST_F(WizardsTest, UnreadableImagesAreLeftOutAndNamed)
{
    std::vector<std::string> files = ThreePictures();
    std::ofstream(folder.File("broken.png")) << "not a picture";
    files.insert(files.begin() + 1, folder.File("broken.png"));
    auto image = BuildWizardAnimation(context, files, {});
    ASSERT_TRUE(image);
    EXPECT_EQ(image->Frames.Count(), 3);
    ASSERT_FALSE(messages.Requests().empty());
    EXPECT_NE(messages.Requests().back().Text.find("broken.png"), std::string::npos);

    EXPECT_EQ(BuildWizardAnimation(context, {folder.File("broken.png")}, {}), nullptr);
    EXPECT_EQ(messages.Requests().back().Text, NoWizardImageMessage);

    // Stopped half way, nothing comes back.
    int told = 0;
    EXPECT_EQ(BuildWizardAnimation(context, ThreePictures(), {},
                                   [&](int done, int total) {
                                       EXPECT_EQ(total, 3);
                                       told = done;
                                       return done < 2;
                                   }),
              nullptr);
    EXPECT_EQ(told, 2);
}

TEST_F(WizardsTest, SizesSavingsAndDownloadTimeReadAsTheUserReadsThem)
{
    EXPECT_EQ(ByteCountText(36000), "36,000 bytes");
    EXPECT_EQ(ByteCountText(1234567), "1,234,567 bytes");
    EXPECT_EQ(ByteCountText(999), "999 bytes");
    EXPECT_EQ(SavingsText(1000, 1000), NoSavingsText);
    EXPECT_EQ(SavingsText(1000, 1200), NoSavingsText);
    EXPECT_EQ(SavingsText(2000, 1500), "500 bytes (25.0%)");
    EXPECT_EQ(DownloadTimeText(36000, 28.8), "10.00 secs with a");
}

TEST_F(WizardsTest, TheOptimizedAnimationReplacesTheActiveOneUnlessItIsLarger)
{
    TDocument& document = Open(WriteAnimation("four.gif", 4));
    const std::vector<uint8_t> original = test::GifBytes(context.Animation());
    TOptimizeWizardOptions options;
    options.Trim = options.MergePixels = options.RemoveNonVisible = true;
    std::unique_ptr<TGIFImage> optimized =
        OptimizedCopy(context.Animation(), options, context.Values().AnimationDefaults());
    EXPECT_LE(GifStreamSize(*optimized),
              WrittenSize(context.Animation(), context.Values().AnimationDefaults()));
    EXPECT_EQ(test::GifBytes(context.Animation()), original);

    ASSERT_TRUE(ReplaceWithOptimized(context, *optimized));
    EXPECT_EQ(document.History().LastName(), ActionOptimize);
    EXPECT_EQ(GifStreamSize(context.Animation()), GifStreamSize(*optimized));
    document.Undo();
    EXPECT_EQ(test::GifBytes(context.Animation()), original);

    // A larger result is said and the animation kept.
    auto larger = OptimizedCopy(context.Animation(), {}, context.Values().AnimationDefaults());
    AddFrameComment(*larger->Frames[0], std::string(200, 'x'));
    EXPECT_FALSE(ReplaceWithOptimized(context, *larger));
    EXPECT_NE(messages.Requests().back().Text.find("larger"), std::string::npos);
    EXPECT_EQ(test::GifBytes(context.Animation()), original);
}

TEST_F(WizardsTest, AFinishedAnimationBecomesANewUntitledDocument)
{
    Open(WriteAnimation("one.gif", 2));
    TDocument* first = context.ActiveDocument();
    auto built = BuildWizardAnimation(context, ThreePictures(), {});
    ASSERT_TRUE(context.AdoptAnimation(std::move(built)));
    ASSERT_EQ(context.DocumentCount(), 2);
    TDocument* added = context.ActiveDocument();
    ASSERT_NE(added, first);
    EXPECT_TRUE(added->Untitled());
    EXPECT_TRUE(added->Modified());
    EXPECT_EQ(FrameCount(), 3);
    EXPECT_EQ(context.Frames().Count(), 3);
}

} // namespace
} // namespace fl
