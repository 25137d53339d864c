// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "color/ColorReduction.h"
#include "color/Ditherers.h"
#include "editing/PaletteSettings.h"
#include "gif/GIFImage.h"
#include "platform/SettingsKeys.h"

namespace fl {
namespace {

class PaletteSettingsTest : public testing::Test {
protected:
    void SetUp() override
    {
        image.ReductionMethod = reduceGray256;
        image.SetReductionDepth(5);
        image.Dithering = 4;
    }
    void Store(const TSettingKey& key, int value) { WriteIntegerSetting(settings, key, value); }

    TGIFImage image;
    TMemorySettingsStore settings;
};

TEST_F(PaletteSettingsTest, DefaultsQuantizeToEightBitsIntoOneGlobalPalette)
{
    EXPECT_TRUE(ApplyPaletteSettings(image, settings));
    EXPECT_EQ(image.ReductionMethod, reduceQuantize);
    EXPECT_EQ(image.ReductionDepth(), 8);
    EXPECT_EQ(image.Dithering, ditherNearest);
}

TEST_F(PaletteSettingsTest, LocalPalettesTakeTheColorCountsBits)
{
    Store(KeyPaletteType, paletteLocal);
    Store(KeyMaxColorCount, 16);
    Store(KeyDitherMethod, 1);
    EXPECT_FALSE(ApplyPaletteSettings(image, settings));
    EXPECT_EQ(image.ReductionMethod, reduceQuantize);
    EXPECT_EQ(image.ReductionDepth(), 4);
    EXPECT_EQ(image.Dithering, ditherFloydSteinberg);

    Store(KeyMaxColorCount, 8);
    ApplyPaletteSettings(image, settings);
    EXPECT_EQ(image.ReductionDepth(), 3);
}

TEST_F(PaletteSettingsTest, UnknownValuesKeepWhatTheyWouldChange)
{
    Store(KeyMaxColorCount, 100);
    Store(KeyDitherMethod, 3);
    EXPECT_TRUE(ApplyPaletteSettings(image, settings));
    EXPECT_EQ(image.ReductionMethod, reduceQuantize);
    EXPECT_EQ(image.ReductionDepth(), 5) << "100 colors is no bit count";
    EXPECT_EQ(image.Dithering, 4);

    Store(KeyPaletteType, 9);
    image.ReductionMethod = reduceGray4;
    EXPECT_FALSE(ApplyPaletteSettings(image, settings));
    EXPECT_EQ(image.ReductionMethod, reduceGray4);
    EXPECT_EQ(image.ReductionDepth(), 5);
}

TEST_F(PaletteSettingsTest, WebSafePaletteIgnoresTheColorCount)
{
    Store(KeyPaletteType, paletteWebSafe);
    Store(KeyMaxColorCount, 16);
    EXPECT_TRUE(ApplyPaletteSettings(image, settings));
    EXPECT_EQ(image.ReductionMethod, reduceWebSafe216);
    EXPECT_EQ(image.ReductionDepth(), 8);
}

} // namespace
} // namespace fl
