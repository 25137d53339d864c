// SPDX-License-Identifier: GPL-3.0-or-later
#include "gif/PixelEncoder.h"

#include <gif_lib.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

#include "gif/RLEEncoder.h"
#include "platform/GIFException.h"

namespace fl {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Encode(const Bytes& pixels, int width, int height, bool interlaced, int depth, uint8_t encoding,
             int validCount = -1)
{
    TMemoryStream stream;
    EncodeFramePixels(stream, pixels.empty() ? nullptr : pixels.data(), width, height, interlaced, depth,
                      validCount < 0 ? 1 << depth : validCount, encoding);
    return stream.Bytes();
}

void PutWord(Bytes& out, int value)
{
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

// A one-image GIF around encoded frame data, so giflib can read it.
Bytes WrapInGif(const Bytes& frameData, int width, int height, bool interlaced, int depth)
{
    Bytes gif = {'G', 'I', 'F', '8', '9', 'a'};
    PutWord(gif, width);
    PutWord(gif, height);
    gif.push_back(static_cast<uint8_t>(0x80 | (depth - 1) << 4 | (depth - 1)));
    gif.push_back(0);
    gif.push_back(0);
    gif.resize(gif.size() + 3 * (size_t{1} << depth), 0);
    gif.push_back(',');
    PutWord(gif, 0);
    PutWord(gif, 0);
    PutWord(gif, width);
    PutWord(gif, height);
    gif.push_back(interlaced ? 0x40 : 0);
    gif.insert(gif.end(), frameData.begin(), frameData.end());
    gif.push_back(';');
    return gif;
}

struct MemoryReader {
    const Bytes* bytes;
    size_t position = 0;
};

int ReadFromMemory(GifFileType* gif, GifByteType* buffer, int count)
{
    auto* reader = static_cast<MemoryReader*>(gif->UserData);
    const size_t n = std::min<size_t>(static_cast<size_t>(count), reader->bytes->size() - reader->position);
    std::memcpy(buffer, reader->bytes->data() + reader->position, n);
    reader->position += n;
    return static_cast<int>(n);
}

int WriteToMemory(GifFileType* gif, const GifByteType* buffer, int count)
{
    auto* out = static_cast<Bytes*>(gif->UserData);
    out->insert(out->end(), buffer, buffer + count);
    return count;
}

// Decodes our frame data with giflib. With `interlaced` false the rows come
// back in the order they were stored, which shows the pass order.
::testing::AssertionResult GiflibDecode(const Bytes& frameData, int width, int height, bool interlaced,
                                        int depth, Bytes& pixels)
{
    const Bytes gifBytes = WrapInGif(frameData, width, height, interlaced, depth);
    MemoryReader reader{&gifBytes};
    int error = 0;
    GifFileType* gif = DGifOpen(&reader, ReadFromMemory, &error);
    if (gif == nullptr)
        return ::testing::AssertionFailure() << "DGifOpen failed: " << error;
    const bool slurped = DGifSlurp(gif) == GIF_OK && gif->ImageCount == 1;
    if (slurped) {
        const GifByteType* raster = gif->SavedImages[0].RasterBits;
        pixels.assign(raster, raster + static_cast<size_t>(width) * static_cast<size_t>(height));
    }
    const int slurpError = gif->Error;
    DGifCloseFile(gif, &error);
    if (!slurped)
        return ::testing::AssertionFailure() << "DGifSlurp failed: " << slurpError;
    return ::testing::AssertionSuccess();
}

std::vector<int> InterlacedRows(int height)
{
    std::vector<int> rows;
    const int start[4] = {0, 4, 2, 1};
    const int step[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
        for (int y = start[pass]; y < height; y += step[pass])
            rows.push_back(y);
    return rows;
}

// giflib's own LZW encoder on the same rows; answers just the image data
// (minimum code size byte to terminator).
Bytes GiflibEncode(const Bytes& pixels, int width, int height, bool interlaced, int depth)
{
    Bytes out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, WriteToMemory, &error);
    ColorMapObject* map = GifMakeMapObject(1 << depth, nullptr);
    EGifPutScreenDesc(gif, width, height, depth, 0, map);
    EGifPutImageDesc(gif, 0, 0, width, height, interlaced, nullptr);
    std::vector<int> order(static_cast<size_t>(height));
    for (int y = 0; y < height; ++y)
        order[static_cast<size_t>(y)] = y;
    if (interlaced)
        order = InterlacedRows(height);
    Bytes line(static_cast<size_t>(width));
    for (int y : order) {
        std::memcpy(line.data(), pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(width),
                    line.size());
        EGifPutLine(gif, line.data(), width);
    }
    EGifCloseFile(gif, &error);
    GifFreeMapObject(map);
    const size_t start = 13 + 3 * (size_t{1} << depth) + 10;
    return Bytes(out.begin() + static_cast<ptrdiff_t>(start), out.end() - 1);
}

struct ParsedData {
    int minCodeSize = 0;
    std::vector<int> blockSizes;
    Bytes data;
};

// Splits frame data into its sub-blocks; fails on anything after the
// terminator or a missing terminator.
ParsedData ParseSubBlocks(const Bytes& frame)
{
    ParsedData parsed;
    parsed.minCodeSize = frame.at(0);
    size_t pos = 1;
    for (;;) {
        const int size = frame.at(pos++);
        if (size == 0)
            break;
        parsed.blockSizes.push_back(size);
        parsed.data.insert(parsed.data.end(), frame.begin() + static_cast<ptrdiff_t>(pos),
                           frame.begin() + static_cast<ptrdiff_t>(pos) + size);
        pos += static_cast<size_t>(size);
    }
    EXPECT_EQ(pos, frame.size()) << "bytes after the terminator";
    return parsed;
}

// Reads the code stream back with a decoder's width rules, up to the end
// code. Checks that every code refers to a string the decoder has.
std::vector<int> ReadCodes(const ParsedData& parsed)
{
    const int m = parsed.minCodeSize;
    const int clearCode = 1 << m;
    std::vector<int> codes;
    int width = m + 1;
    int next = clearCode + 2;
    bool havePrevious = false;
    uint64_t bits = 0;
    int pending = 0;
    size_t pos = 0;
    for (;;) {
        while (pending < width) {
            if (pos >= parsed.data.size()) {
                ADD_FAILURE() << "code stream ends without the end code";
                return codes;
            }
            bits |= static_cast<uint64_t>(parsed.data[pos++]) << pending;
            pending += 8;
        }
        const int code = static_cast<int>(bits & ((1u << width) - 1));
        bits >>= width;
        pending -= width;
        codes.push_back(code);
        if (code == clearCode) {
            width = m + 1;
            next = clearCode + 2;
            havePrevious = false;
            continue;
        }
        if (code == clearCode + 1)
            break;
        if (code > next || (code == next && !havePrevious)) {
            ADD_FAILURE() << "code " << code << " not yet defined (next " << next << ")";
            return codes;
        }
        if (havePrevious && next < 4096) {
            ++next;
            if (next == (1 << width) && width < 12)
                ++width;
        }
        havePrevious = true;
    }
    EXPECT_EQ(pos, parsed.data.size()) << "bytes after the end code";
    EXPECT_EQ(bits, 0u) << "padding bits must be zero";
    return codes;
}

// Data codes between clear codes (the end code closes the last group).
std::vector<int> GenerationLengths(const std::vector<int>& codes, int clearCode)
{
    std::vector<int> lengths;
    int count = -1;
    for (int code : codes) {
        if (code == clearCode || code == clearCode + 1) {
            if (count >= 0)
                lengths.push_back(count);
            count = 0;
        } else {
            ++count;
        }
    }
    return lengths;
}

enum class Content { Noise, Runs, Smooth };

Bytes MakePixels(Content content, int width, int height, int validCount, std::mt19937& rng)
{
    Bytes pixels(static_cast<size_t>(width) * static_cast<size_t>(height));
    std::uniform_int_distribution<int> value(0, validCount - 1);
    switch (content) {
    case Content::Noise:
        for (auto& p : pixels)
            p = static_cast<uint8_t>(value(rng));
        break;
    case Content::Runs: {
        std::uniform_int_distribution<size_t> runLength(1, 400);
        size_t i = 0;
        while (i < pixels.size()) {
            const auto p = static_cast<uint8_t>(value(rng));
            const size_t end = std::min(pixels.size(), i + runLength(rng));
            std::fill(pixels.begin() + static_cast<ptrdiff_t>(i),
                      pixels.begin() + static_cast<ptrdiff_t>(end), p);
            i = end;
        }
        break;
    }
    case Content::Smooth:
        // A gradient with some noise: long repeated strings, like a photo.
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                int v = (x / 7 + y / 5) % validCount;
                if (rng() % 16 == 0)
                    v = value(rng);
                pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] =
                    static_cast<uint8_t>(v);
            }
        break;
    }
    return pixels;
}

struct Size {
    int width;
    int height;
};

TEST(PixelEncoderRoundTrip, GiflibDecodesBothEncodersAtEveryDepth)
{
    std::mt19937 rng(1234);
    const Size sizes[] = {{1, 1},   {2, 1},  {1, 2},   {3, 3},   {7, 5},
                          {16, 16}, {33, 9}, {1, 300}, {300, 1}, {101, 67}};
    for (int depth = 1; depth <= 8; ++depth)
        for (const Size& size : sizes)
            for (Content content : {Content::Noise, Content::Runs, Content::Smooth})
                for (uint8_t encoding : {encodeLZW, encodeRunLength})
                    for (bool interlaced : {false, true}) {
                        SCOPED_TRACE(::testing::Message()
                                     << "depth " << depth << " size " << size.width << "x" << size.height
                                     << " content " << static_cast<int>(content) << " encoding "
                                     << int(encoding) << " interlaced " << interlaced);
                        const Bytes pixels = MakePixels(content, size.width, size.height, 1 << depth, rng);
                        const Bytes data =
                            Encode(pixels, size.width, size.height, interlaced, depth, encoding);
                        Bytes decoded;
                        ASSERT_TRUE(GiflibDecode(data, size.width, size.height, interlaced, depth, decoded));
                        ASSERT_EQ(decoded, pixels);
                    }
}

TEST(PixelEncoderRoundTrip, LargeFramesAndPartialColorTables)
{
    std::mt19937 rng(99);
    for (uint8_t encoding : {encodeLZW, encodeRunLength})
        for (int validCount : {3, 5, 100, 200, 256}) {
            int depth = 1;
            while ((1 << depth) < validCount)
                ++depth;
            for (Content content : {Content::Noise, Content::Runs, Content::Smooth}) {
                SCOPED_TRACE(::testing::Message() << "encoding " << int(encoding) << " colors " << validCount
                                                  << " content " << static_cast<int>(content));
                const Bytes pixels = MakePixels(content, 640, 480, validCount, rng);
                const Bytes data = Encode(pixels, 640, 480, true, depth, encoding, validCount);
                Bytes decoded;
                ASSERT_TRUE(GiflibDecode(data, 640, 480, true, depth, decoded));
                ASSERT_EQ(decoded, pixels);
                ReadCodes(ParseSubBlocks(data));
            }
        }
}

// Greedy LZW with the clear at 4095 is fully determined, so a correct
// encoder writes exactly giflib's bytes.
TEST(LZWEncoder, MatchesGiflibByteForByte)
{
    std::mt19937 rng(5);
    const Size sizes[] = {{1, 1}, {5, 3}, {64, 64}, {800, 600}};
    for (int depth : {1, 2, 4, 7, 8})
        for (const Size& size : sizes)
            for (Content content : {Content::Noise, Content::Runs, Content::Smooth})
                for (bool interlaced : {false, true}) {
                    SCOPED_TRACE(::testing::Message()
                                 << "depth " << depth << " size " << size.width << "x" << size.height
                                 << " content " << static_cast<int>(content) << " interlaced " << interlaced);
                    const Bytes pixels = MakePixels(content, size.width, size.height, 1 << depth, rng);
                    ASSERT_EQ(Encode(pixels, size.width, size.height, interlaced, depth, encodeLZW),
                              GiflibEncode(pixels, size.width, size.height, interlaced, depth));
                }
}

// Large 7- and 8-bit frames pick one of several row loops from the row
// before; rows that alternate between noise, runs and repeated patterns
// switch loops inside one string table generation and across clears.
TEST(LZWEncoder, WideFramesMatchGiflibWhateverTheRowsLookLike)
{
    std::mt19937 rng(21);
    for (int depth : {7, 8}) {
        const int colors = 1 << depth;
        for (int width : {97, 640}) {
            const int height = 60000 / width;
            Bytes pixels(static_cast<size_t>(width) * static_cast<size_t>(height));
            for (int y = 0; y < height; ++y) {
                uint8_t* row = pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(width);
                const int kind = (y / 3 + static_cast<int>(rng() % 2)) % 4;
                for (int x = 0; x < width; ++x) {
                    switch (kind) {
                    case 0: // noise: strings end every pixel or two
                        row[x] = static_cast<uint8_t>(rng() % static_cast<unsigned>(colors));
                        break;
                    case 1: // one color
                        row[x] = static_cast<uint8_t>(y % colors);
                        break;
                    case 2: // a short pattern: long strings
                        row[x] = static_cast<uint8_t>((x % 5) * 3);
                        break;
                    default: // few colors, strings of two or three
                        row[x] = static_cast<uint8_t>(rng() % 4);
                        break;
                    }
                }
            }
            SCOPED_TRACE(::testing::Message() << "depth " << depth << " width " << width);
            for (bool interlaced : {false, true})
                ASSERT_EQ(Encode(pixels, width, height, interlaced, depth, encodeLZW),
                          GiflibEncode(pixels, width, height, interlaced, depth));
        }
    }
}

TEST(LZWEncoder, EqualPixelsNeedNoClearAfterTheFirst)
{
    const Bytes pixels(5000, 3);
    const std::vector<int> codes = ReadCodes(ParseSubBlocks(Encode(pixels, 100, 50, false, 8, encodeLZW)));
    ASSERT_FALSE(codes.empty());
    EXPECT_EQ(codes.front(), 256);
    EXPECT_EQ(std::count(codes.begin(), codes.end(), 256), 1);
    // Strings of length 1, 2, 3, ... : about sqrt(2 * 5000) codes.
    EXPECT_LT(codes.size(), 105u);
}

TEST(LZWEncoder, NoisyFrameClearsRightAfterCode4094)
{
    std::mt19937 rng(77);
    const Bytes pixels = MakePixels(Content::Noise, 500, 400, 256, rng);
    const Bytes data = Encode(pixels, 500, 400, false, 8, encodeLZW);
    const std::vector<int> codes = ReadCodes(ParseSubBlocks(data));
    const std::vector<int> lengths = GenerationLengths(codes, 256);
    ASSERT_GT(lengths.size(), 10u);
    // Codes 258..4094 are assigned by the first 3837 codes of a generation;
    // the next new string (code 3838) is followed by the clear.
    for (size_t i = 0; i + 1 < lengths.size(); ++i)
        EXPECT_EQ(lengths[i], 4094 - 258 + 2) << "generation " << i;
    EXPECT_LE(lengths.back(), 4094 - 258 + 2);
    Bytes decoded;
    ASSERT_TRUE(GiflibDecode(data, 500, 400, false, 8, decoded));
    EXPECT_EQ(decoded, pixels);
}

// 2-bit pixels whose new strings all hash into the probe cycle through
// slot 1, so that one table generation would put 4004 strings into one
// cycle of 4004 slots. Walks the existing strings to reach, each time, a
// string whose extension is new and hashes into that cycle.
Bytes ProbeCycleFillingPixels(int newStrings)
{
    constexpr int kSlots = 8009;
    std::vector<bool> inCycle(kSlots, false);
    for (int s = 1, i = 0; i < 4004; ++i, s = 2 * s % kSlots)
        inCycle[static_cast<size_t>(s)] = true;
    auto hashesIntoCycle = [&](uint32_t key) { return inCycle[(key ^ (key >> 4)) % kSlots]; };

    std::unordered_map<uint32_t, int> table; // key -> code
    Bytes pixels = {0};
    int prefix = 0;
    int nextCode = 6;
    for (int made = 0; made < newStrings; ++made) {
        // Breadth-first over the existing strings that extend `prefix`.
        struct Node {
            int code;
            int parent;
            uint8_t pixel;
        };
        std::vector<Node> nodes = {{prefix, -1, 0}};
        int found = -1;
        uint8_t foundPixel = 0;
        for (size_t i = 0; i < nodes.size() && found < 0; ++i)
            for (uint8_t p = 0; p < 4 && found < 0; ++p) {
                const uint32_t key = static_cast<uint32_t>(nodes[i].code) << 8 | p;
                const auto it = table.find(key);
                if (it != table.end())
                    nodes.push_back({it->second, static_cast<int>(i), p});
                else if (hashesIntoCycle(key)) {
                    found = static_cast<int>(i);
                    foundPixel = p;
                }
            }
        if (found < 0) {
            ADD_FAILURE() << "no string left to extend";
            return pixels;
        }
        Bytes path;
        for (int i = found; nodes[static_cast<size_t>(i)].parent >= 0;
             i = nodes[static_cast<size_t>(i)].parent)
            path.push_back(nodes[static_cast<size_t>(i)].pixel);
        pixels.insert(pixels.end(), path.rbegin(), path.rend());
        pixels.push_back(foundPixel);
        table[static_cast<uint32_t>(nodes[static_cast<size_t>(found)].code) << 8 | foundPixel] = nextCode++;
        prefix = foundPixel;
    }
    return pixels;
}

TEST(LZWEncoder, FullProbeCycleStartsNewTableInsteadOfLooping)
{
    Bytes pixels = ProbeCycleFillingPixels(4004);
    // More data after that: lookups and stores in the next generation.
    std::mt19937 rng(3);
    for (int i = 0; i < 20000; ++i)
        pixels.push_back(static_cast<uint8_t>(rng() % 4));
    const int width = static_cast<int>(pixels.size());

    const Bytes data = Encode(pixels, width, 1, false, 2, encodeLZW);
    const std::vector<int> codes = ReadCodes(ParseSubBlocks(data));
    const std::vector<int> lengths = GenerationLengths(codes, 4);
    ASSERT_GE(lengths.size(), 2u);
    // 4003 strings fit, the 4004th would leave no empty slot in the cycle:
    // its code is followed by a clear long before code 4094.
    EXPECT_EQ(lengths[0], 4004);
    Bytes decoded;
    ASSERT_TRUE(GiflibDecode(data, width, 1, false, 2, decoded));
    EXPECT_EQ(decoded, pixels);

    // Ordinary 2-bit data keeps the plain rule and giflib's exact bytes.
    const Bytes noise = MakePixels(Content::Noise, 300, 200, 4, rng);
    EXPECT_EQ(Encode(noise, 300, 200, false, 2, encodeLZW), GiflibEncode(noise, 300, 200, false, 2));
}

Bytes FromHex(const std::string& hex)
{
    Bytes bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(static_cast<uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return bytes;
}

Bytes Concat(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

TEST(RLEEncoder, WritesTheExpectedCodes)
{
    // A run of 10 from a fresh table: clear, 1, then the runs 2, 3, 4 as
    // codes 6, 7, 8 (the last at 4 bits), end: 4|1<<3|6<<6|7<<9|8<<12|5<<16.
    EXPECT_EQ(Encode(Bytes(10, 1), 10, 1, false, 2, encodeRunLength), FromHex("02038c8f0500"));
    // Runs of 5 around a single 7 reuse the table; three 9s are cheaper
    // written one by one.
    const Bytes tableReuse = Concat({Bytes(20, 5), {7}, Bytes(25, 5), {9, 9, 9}, Bytes(3, 5)});
    EXPECT_EQ(Encode(tableReuse, 52, 1, false, 8, encodeRunLength),
              FromHex("0815000b081c48b060c103060d1a34582041820403030200"));
    // Single pixels at 2 bits: the width grows after 3 codes and the table is
    // cleared every 9.
    Bytes alternating;
    for (int i = 0; i < 8; ++i)
        alternating.insert(alternating.end(), {0, 1, 2, 3});
    EXPECT_EQ(Encode(alternating, 32, 1, false, 2, encodeRunLength),
              FromHex("02114434103240d12064204843c840080d912900"));
    // A long run of another pixel than the table holds: clear and rebuild.
    const Bytes rebuild = Concat({Bytes(3, 2), Bytes(500, 4)});
    EXPECT_EQ(Encode(rebuild, 503, 1, false, 3, encodeRunLength),
              FromHex("0318288aa4cbed0fa39cb4da8bb3debcfb0f86e24896e6c9200900"));
}

TEST(RLEEncoder, TriangleCostCountsCodesPerRun)
{
    // Runs of 1, 2, ..., t pixels cover t(t+1)/2 pixels with t codes.
    EXPECT_EQ(TRLEEncoder::TriangleCost(0, 10), 0);
    EXPECT_EQ(TRLEEncoder::TriangleCost(1, 10), 1);
    EXPECT_EQ(TRLEEncoder::TriangleCost(3, 10), 2);
    EXPECT_EQ(TRLEEncoder::TriangleCost(6, 10), 3);
    EXPECT_EQ(TRLEEncoder::TriangleCost(7, 10), 4);
    // With runs limited to 3 pixels every 6 pixels cost 3 codes.
    EXPECT_EQ(TRLEEncoder::TriangleCost(6, 3), 3);
    EXPECT_EQ(TRLEEncoder::TriangleCost(7, 3), 4);
    EXPECT_EQ(TRLEEncoder::TriangleCost(12, 3), 6);
    EXPECT_EQ(TRLEEncoder::TriangleCost(13, 3), 7);
    // Large counts: whole repetitions plus an exact square root rest.
    EXPECT_EQ(TRLEEncoder::TriangleCost(1000000000, 4087), 489787);
    EXPECT_EQ(TRLEEncoder::TriangleCost(1000000000000, 4087), 489237503);
}

TEST(RLEEncoder, LongRunsStayShortAndDecodable)
{
    const int width = 2000;
    const int height = 1000;
    Bytes pixels(static_cast<size_t>(width) * height, 6);
    std::fill(pixels.begin() + 700000, pixels.begin() + 700003, 2);
    std::fill(pixels.begin() + 1500000, pixels.end(), 1);
    const Bytes data = Encode(pixels, width, height, false, 3, encodeRunLength);
    // Triangle coding needs about sqrt(2n) codes per table generation
    // instead of one per pixel.
    EXPECT_LT(data.size(), 20000u);
    Bytes decoded;
    ASSERT_TRUE(GiflibDecode(data, width, height, false, 3, decoded));
    EXPECT_EQ(decoded, pixels);
    const std::vector<int> codes = ReadCodes(ParseSubBlocks(data));
    EXPECT_EQ(codes.front(), 8);
}

TEST(PixelEncoder, InterlacedPassesWriteEveryRowOnce)
{
    const std::vector<std::pair<int, std::vector<int>>> expected = {
        {1, {0}},
        {2, {0, 1}},
        {3, {0, 2, 1}},
        {4, {0, 2, 1, 3}},
        {5, {0, 4, 2, 1, 3}},
        {9, {0, 8, 4, 2, 6, 1, 3, 5, 7}},
        {17, {0, 8, 16, 4, 12, 2, 6, 10, 14, 1, 3, 5, 7, 9, 11, 13, 15}},
    };
    for (uint8_t encoding : {encodeLZW, encodeRunLength})
        for (const auto& [height, order] : expected) {
            SCOPED_TRACE(::testing::Message() << "height " << height << " encoding " << int(encoding));
            const int width = 3;
            Bytes pixels;
            for (int y = 0; y < height; ++y)
                pixels.insert(pixels.end(), width, static_cast<uint8_t>(y));
            const Bytes data = Encode(pixels, width, height, true, 5, encoding);
            // Read it as a plain frame: rows come back in stored order.
            Bytes stored;
            ASSERT_TRUE(GiflibDecode(data, width, height, false, 5, stored));
            std::vector<int> rows;
            for (int y = 0; y < height; ++y)
                rows.push_back(stored[static_cast<size_t>(y) * width]);
            EXPECT_EQ(rows, order);
        }
}

TEST(PixelEncoder, MinimumCodeSizeIsDepthButAtLeastTwo)
{
    const Bytes pixels(12, 0);
    for (uint8_t encoding : {encodeLZW, encodeRunLength}) {
        // A 1-color table still has 2 bits of codes.
        EXPECT_EQ(Encode(pixels, 4, 3, false, 1, encoding, 1).front(), 2);
        EXPECT_EQ(Encode(pixels, 4, 3, false, 2, encoding).front(), 2);
        EXPECT_EQ(Encode(pixels, 4, 3, false, 5, encoding).front(), 5);
        EXPECT_EQ(Encode(pixels, 4, 3, false, 8, encoding).front(), 8);
    }
}

void ExpectColorNotInTable(const Bytes& pixels, int width, int height, bool interlaced, int depth,
                           int validCount, uint8_t encoding)
{
    try {
        Encode(pixels, width, height, interlaced, depth, encoding, validCount);
        ADD_FAILURE() << "no error for an index outside the color table";
    } catch (const GIFException& e) {
        EXPECT_STREQ(e.what(), "Color not in color table");
    }
}

TEST(PixelEncoder, IndexOutsideTheColorTableFails)
{
    for (uint8_t encoding : {encodeLZW, encodeRunLength}) {
        Bytes pixels(40 * 30, 0);
        pixels[29 * 40 + 39] = 230; // the very last pixel
        ExpectColorNotInTable(pixels, 40, 30, false, 8, 200, encoding);
        ExpectColorNotInTable(pixels, 40, 30, true, 8, 200, encoding);
        pixels[29 * 40 + 39] = 199;
        EXPECT_NO_THROW(Encode(pixels, 40, 30, false, 8, encoding, 200));

        // A full table accepts every byte.
        pixels[0] = 255;
        EXPECT_NO_THROW(Encode(pixels, 40, 30, false, 8, encoding, 256));

        Bytes onePixel = {1};
        ExpectColorNotInTable(onePixel, 1, 1, false, 1, 1, encoding);
        // The count cannot exceed what the code size can express.
        Bytes tooBig = {0, 4, 0};
        ExpectColorNotInTable(tooBig, 3, 1, false, 2, 256, encoding);
    }
}

TEST(PixelEncoder, EmptyFrameWritesOnlyTheEndCode)
{
    for (uint8_t encoding : {encodeLZW, encodeRunLength}) {
        // End code 5 in 3 bits; end code 257 in 9 bits.
        EXPECT_EQ(Encode({}, 10, 10, false, 2, encoding), (Bytes{2, 1, 5, 0}));
        EXPECT_EQ(Encode({}, 10, 10, false, 8, encoding), (Bytes{8, 2, 1, 1, 0}));
        const Bytes pixels(10, 1);
        EXPECT_EQ(Encode(pixels, 0, 10, false, 2, encoding), (Bytes{2, 1, 5, 0}));
        EXPECT_EQ(Encode(pixels, 10, 0, true, 2, encoding), (Bytes{2, 1, 5, 0}));
    }
}

TEST(PixelEncoder, SubBlocksAreFullExceptTheLast)
{
    std::mt19937 rng(11);
    for (uint8_t encoding : {encodeLZW, encodeRunLength}) {
        const Bytes pixels = MakePixels(Content::Noise, 200, 100, 256, rng);
        const ParsedData parsed = ParseSubBlocks(Encode(pixels, 200, 100, false, 8, encoding));
        ASSERT_GT(parsed.blockSizes.size(), 10u);
        for (size_t i = 0; i + 1 < parsed.blockSizes.size(); ++i)
            ASSERT_EQ(parsed.blockSizes[i], 255);
        EXPECT_GT(parsed.blockSizes.back(), 0);
        EXPECT_LE(parsed.blockSizes.back(), 255);
    }
    // Find a frame whose data fills its last sub-block exactly: no empty
    // sub-block may follow before the terminator.
    bool foundExact = false;
    for (int n = 1; n < 3000 && !foundExact; ++n) {
        const Bytes pixels = MakePixels(Content::Noise, n, 1, 256, rng);
        const ParsedData parsed = ParseSubBlocks(Encode(pixels, n, 1, false, 8, encodeLZW));
        if (parsed.data.size() % 255 == 0) {
            foundExact = true;
            for (int size : parsed.blockSizes)
                EXPECT_EQ(size, 255);
        }
    }
    EXPECT_TRUE(foundExact);
}

} // namespace
} // namespace fl
