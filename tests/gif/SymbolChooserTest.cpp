// SPDX-License-Identifier: GPL-3.0-or-later
// The symbol chooser counts the bits the frame encoder writes, so that the
// optimizer's comparisons match the files it writes; and a frame written
// with the narrower code size the optimizer recorded reads back the same.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "gif/GIFBytes.h"
#include "gif/GIFImage.h"
#include "gif/PixelEncoder.h"
#include "gif/SubImage.h"
#include "gif/SymbolChooser.h"
#include "platform/Stream.h"

namespace fl {
namespace {

// The code bytes of the encoder's output: the stream less the code size
// byte, the sub-block length bytes and the terminator.
size_t EncodedCodeBytes(const std::vector<uint8_t>& pixels, int width, int depth)
{
    TMemoryStream stream;
    EncodeFramePixels(stream, pixels.data(), width, int(pixels.size()) / width, false, depth, 1 << depth,
                      encodeLZW);
    const size_t total = size_t(stream.Size()) - 2;
    return total - (total + 255) / 256;
}

TEST(SymbolChooser, CountsTheBitsTheEncoderWrites)
{
    std::mt19937 random(7);
    TSymbolChooser chooser;
    for (int depth : {2, 5, 8}) {
        for (int runs : {1, 8, 200}) {
            // Enough pixels to fill the string table several times.
            std::vector<uint8_t> pixels(120000);
            for (size_t i = 0; i < pixels.size(); ++i)
                pixels[i] = i % size_t(runs) == 0 ? uint8_t(random() % (1u << depth)) : pixels[i - 1];
            std::vector<uint8_t> chosen(pixels.size());
            const size_t bits = chooser.Choose(pixels.data(), pixels.data(), chosen.data(), pixels.size(), depth);
            EXPECT_EQ(chosen, pixels);
            const size_t encoded = EncodedCodeBytes(pixels, 300, depth);
            EXPECT_NEAR(double((bits + 7) / 8), double(encoded), 2.0) << "depth " << depth << ", runs " << runs;
        }
    }
}

TEST(SymbolChooser, PicksOneOfEachPixelsTwoIndicesAndCountsWhatItPicked)
{
    // Stripes of one color, most pixels of which may also be transparent
    // (index 3).
    std::vector<uint8_t> own(40000), other(40000);
    for (size_t i = 0; i < own.size(); ++i) {
        own[i] = uint8_t((i / 40) % 3);
        other[i] = i % 7 == 0 ? own[i] : 3;
    }
    TSymbolChooser chooser;
    for (bool startOwn : {false, true}) {
        std::vector<uint8_t> chosen(own.size());
        const size_t bits = chooser.Choose(own.data(), other.data(), chosen.data(), own.size(), 2, startOwn);
        for (size_t i = 0; i < own.size(); ++i)
            ASSERT_TRUE(chosen[i] == own[i] || chosen[i] == other[i]) << i;
        EXPECT_NEAR(double((bits + 7) / 8), double(EncodedCodeBytes(chosen, 400, 2)), 2.0) << startOwn;
    }
}

TEST(FrameCodeSize, ANarrowerCodeSizeReadsBackAndFallsBackOnceAPixelNeedsMore)
{
    TGIFImage image;
    for (int i = 0; i < 256; ++i)
        image.GlobalColors().Add(MakeColor(uint8_t(i), uint8_t(255 - i), 0));
    image.SetWidth(16);
    image.SetHeight(16);
    auto frame = std::make_unique<TGIFSubImage>(&image);
    frame->SetGeometry(0, 0, 16, 16);
    for (int i = 0; i < 256; ++i)
        frame->Pixels()[i] = uint8_t(i % 3);
    image.AddFrame(std::move(frame));
    image.ChooseCodeSizes();
    ASSERT_EQ(image.Frames[0]->CodeSize, 2);

    const auto written = [&image] {
        TMemoryStream stream;
        image.SaveToStream(stream);
        return std::vector<uint8_t>(stream.Data(), stream.Data() + stream.Size());
    };
    const auto reread = [](const std::vector<uint8_t>& bytes) {
        test::TLoaded loaded;
        test::Load(loaded, bytes);
        return std::vector<uint8_t>(loaded.image.Frames[0]->Pixels(), loaded.image.Frames[0]->Pixels() + 256);
    };
    const std::vector<uint8_t> narrow = written();
    EXPECT_EQ(reread(narrow), std::vector<uint8_t>(image.Frames[0]->Pixels(), image.Frames[0]->Pixels() + 256));

    // An edit after optimizing: index 200 needs all eight bits again.
    image.Frames[0]->Pixels()[5] = 200;
    const std::vector<uint8_t> wide = written();
    EXPECT_GT(wide.size(), narrow.size());
    EXPECT_EQ(reread(wide)[5], 200);
}

} // namespace
} // namespace fl
