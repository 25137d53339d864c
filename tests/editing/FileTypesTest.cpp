// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "editing/FileTypes.h"

namespace fl {
namespace {

TEST(FileTypeIndex, RecognizesTheExtensionOfTheFileNameInAnyCase)
{
    EXPECT_EQ(FileTypeIndex("/pictures/Logo.PNG"), ftPNG);
    EXPECT_EQ(FileTypeIndex("anim.gif"), ftGIF);
    EXPECT_EQ(FileTypeIndex("C:\\Images\\clip.Avi"), ftAVI);
    EXPECT_EQ(FileTypeIndex("archive.tar.wpg"), ftWPG);
    EXPECT_EQ(FileTypeIndex("photo.jpg"), ftJPG);
    EXPECT_EQ(FileTypeIndex("scan.tif"), ftTIF);
}

TEST(FileTypeIndex, AnythingElseIsUnknown)
{
    EXPECT_EQ(FileTypeIndex("photo.jpeg"), ftUnknown);
    EXPECT_EQ(FileTypeIndex("photo.tiff"), ftUnknown);
    EXPECT_EQ(FileTypeIndex("README"), ftUnknown);
    EXPECT_EQ(FileTypeIndex(""), ftUnknown);
    EXPECT_EQ(FileTypeIndex("/images.gif/readme"), ftUnknown) << "a dot in a folder name is no extension";
    EXPECT_EQ(FileTypeIndex("name.gif."), ftUnknown);
    EXPECT_EQ(FileTypeIndex("all.*"), ftUnknown) << "the filter entry is not an extension";
}

TEST(FileTypeLabels, TheTableHoldsTheExtraLabelsAfterTheTypes)
{
    EXPECT_STREQ(LabelText(ftAllFiles), "*.*");
    EXPECT_STREQ(DisposalName(0), "None");
    EXPECT_STREQ(DisposalName(3), "Previous");
    EXPECT_STREQ(DisposalName(4), "");
    EXPECT_STREQ(LabelText(lblYes), "Yes");
    EXPECT_STREQ(LabelText(lblDimensionsOffsets), "Dimensions & Offsets");
    EXPECT_STREQ(LabelText(lblDisposal), "Disposal");
    EXPECT_STREQ(LabelText(lblInclude), "&Include");
    EXPECT_STREQ(LabelText(lblStartNew), "&Start New");
    EXPECT_STREQ(LabelText(LabelCount), "");
    EXPECT_STREQ(LabelText(-1), "");
}

TEST(FileTypeLabels, FileNameDropsTheFolder)
{
    EXPECT_EQ(ExtractFileName("/a/b/c.gif"), "c.gif");
    EXPECT_EQ(ExtractFileName("C:\\x\\y.bmp"), "y.bmp");
    EXPECT_EQ(ExtractFileName("plain"), "plain");
    EXPECT_EQ(ExtractFileName("/folder/"), "");
}

} // namespace
} // namespace fl
