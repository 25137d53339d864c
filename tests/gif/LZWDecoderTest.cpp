// SPDX-License-Identifier: GPL-3.0-or-later
// The LZW decoder against a plain stack decoder that follows the code loop
// pixel by pixel: both must agree on pixels, warnings, errors and the stream
// position for valid, damaged and random data.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <map>
#include <random>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "gif/LZWDecoder.h"
#include "platform/GIFException.h"
#include "platform/Stream.h"

namespace {

using fl::GIFException;
using fl::TMemoryStream;
using fl::TStream;
using Bytes = std::vector<uint8_t>;

// ---------------------------------------------------------------------------
// Reference: the straightforward stack decoder, one pixel at a time.

class TReferenceDecoder {
public:
    TReferenceDecoder(TStream& stream, std::vector<std::string>& warnings) : stream_(stream), warnings_(warnings) {}

    void Run(uint8_t* pixels, int width, int height, bool interlaced)
    {
        uint8_t m;
        if (!stream_.ReadByte(m))
            return;
        if (m > 11) {
            warnings_.push_back("Invalid minimum code size");
            SkipData();
            return;
        }
        m_ = m;
        codeSize_ = m + 1;
        clearCode_ = 1 << m;
        endCode_ = clearCode_ + 1;
        nextCode_ = clearCode_ + 2;
        limit_ = 2 * clearCode_;
        const int64_t total = int64_t(width) * height;
        int64_t decoded = 0;
        if (!interlaced) {
            for (; decoded < total; ++decoded) {
                const int v = NextPixel();
                if (v < 0)
                    break;
                pixels[decoded] = uint8_t(v);
            }
        } else {
            int row = 0, step = 8, pass = 0;
            bool stop = false;
            for (int i = 0; i < height && !stop; ++i) {
                for (int x = 0; x < width; ++x) {
                    const int v = NextPixel();
                    if (v < 0) {
                        stop = true;
                        break;
                    }
                    pixels[int64_t(row) * width + x] = uint8_t(v);
                    ++decoded;
                }
                row += step;
                while (row >= height) {
                    if (pass > 0)
                        step /= 2;
                    ++pass;
                    row = step / 2;
                }
            }
        }
        pixelsDone_ = true;
        if (!endMet_)
            CodeLoop();
        // The rest of the data, up to its terminator, is passed over.
        if (!terminatorMet_)
            SkipData();
        if (decoded < total) {
            const std::string missing = std::to_string(total - decoded) + " of " + std::to_string(total);
            warnings_.push_back(invalid_ ? "Frame data holds a code not in the table: " + missing +
                                               " pixels keep the fill value"
                                         : "Frame data ended early: " + missing + " pixels keep the fill value");
        }
    }

private:
    void SkipData()
    {
        uint8_t size;
        while (stream_.ReadByte(size) && size != 0)
            stream_.Skip(size);
        terminatorMet_ = true;
    }

    // Bit by bit, so it shares nothing with the word-wide reader under test.
    int ReadBits(int n)
    {
        if (firstCall_) {
            firstCall_ = false;
            return clearCode_;
        }
        if (curBit_ + n >= lastBit_) {
            if (terminatorMet_) {
                if (curBit_ >= lastBit_)
                    warnings_.push_back("Decoder bit buffer under-run");
                return -1;
            }
            do {
                buffer_[0] = buffer_[lastByte_ - 2];
                buffer_[1] = buffer_[lastByte_ - 1];
                uint8_t c;
                if (!stream_.ReadByte(c))
                    return -1;
                int count = c;
                if (c == 0) {
                    terminatorMet_ = true;
                } else {
                    if (stream_.Remaining() < count) {
                        warnings_.push_back("Premature end of data");
                        count = int(stream_.Remaining());
                    }
                    stream_.Read(&buffer_[2], size_t(count));
                }
                lastByte_ = count + 2;
                curBit_ = curBit_ - lastBit_ + 16;
                lastBit_ = (count + 2) * 8;
            } while (!terminatorMet_ && curBit_ + n > lastBit_);
        }
        int value = 0;
        for (int i = 0; i < n; ++i) {
            const int bit = curBit_ + i;
            if (bit < lastBit_ && (buffer_[size_t(bit >> 3)] >> (bit & 7) & 1))
                value |= 1 << i;
        }
        curBit_ += n;
        return value;
    }

    void Push(int v)
    {
        if (sp_ >= int(stack_.size()))
            throw std::logic_error("reference stack overflow");
        stack_[size_t(sp_++)] = v;
    }

    int NextPixel() { return sp_ > 0 ? stack_[size_t(--sp_)] : CodeLoop(); }

    int CodeLoop()
    {
        int code = ReadBits(codeSize_);
        if (code < 0)
            return code;
        if (code == clearCode_) {
            for (int i = 0; i < 4096; ++i) {
                prefix_[size_t(i)] = 0;
                suffix_[size_t(i)] = i < clearCode_ ? i : 0;
            }
            codeSize_ = m_ + 1;
            limit_ = 2 * clearCode_;
            nextCode_ = clearCode_ + 2;
            sp_ = 0;
            do
                code = ReadBits(codeSize_);
            while (code == clearCode_);
            firstCode_ = oldCode_ = code;
            return code;
        }
        if (code == endCode_) {
            endMet_ = true;
            if (!terminatorMet_)
                SkipData();
            return -2;
        }
        // A code beyond the next entry ends the pixels; after them it is
        // only walked.
        if (code > nextCode_ && !pixelsDone_) {
            invalid_ = endMet_ = true;
            return -3;
        }
        const int inCode = code;
        if (code >= nextCode_) {
            Push(firstCode_);
            code = oldCode_;
        }
        int steps = 0;
        while (code >= clearCode_) {
            Push(suffix_[size_t(code)]);
            if (prefix_[size_t(code)] == code || ++steps > 4095 - clearCode_)
                throw GIFException("Circular decoder table entry");
            code = prefix_[size_t(code)];
        }
        firstCode_ = suffix_[size_t(code)];
        Push(firstCode_);
        if (nextCode_ <= 4095) {
            prefix_[size_t(nextCode_)] = oldCode_;
            suffix_[size_t(nextCode_)] = firstCode_;
            ++nextCode_;
            if (nextCode_ >= limit_ && limit_ <= 4095) {
                limit_ *= 2;
                ++codeSize_;
            }
        }
        oldCode_ = inCode;
        return stack_[size_t(--sp_)];
    }

    TStream& stream_;
    std::vector<std::string>& warnings_;
    int m_ = 0, codeSize_ = 0, clearCode_ = 0, endCode_ = 0, nextCode_ = 0, limit_ = 0;
    int firstCode_ = 0, oldCode_ = 0;
    std::array<int, 4096> prefix_{};
    std::array<int, 4096> suffix_{};
    std::vector<int> stack_ = std::vector<int>(8192);
    int sp_ = 0;
    std::array<uint8_t, 2 + 255> buffer_{};
    int curBit_ = 0, lastBit_ = 0, lastByte_ = 2;
    bool terminatorMet_ = false, firstCall_ = true, endMet_ = false;
    bool pixelsDone_ = false, invalid_ = false;
};

// ---------------------------------------------------------------------------
// Running either decoder on a byte string.

struct TOutcome {
    Bytes pixels;
    std::vector<std::string> warnings;
    std::string error;
    int64_t position = 0;
};

struct TFrame {
    int width = 0;
    int height = 0;
    bool interlaced = false;
    uint8_t fill = 0;
};

TOutcome RunDecoder(const Bytes& data, const TFrame& f)
{
    TOutcome o;
    o.pixels.assign(size_t(f.width) * size_t(f.height), f.fill);
    TMemoryStream stream(data.data(), data.size());
    try {
        fl::DecodeFramePixels(stream, o.pixels.data(), f.width, f.height, f.interlaced,
                              [&](const char* message) { o.warnings.emplace_back(message); });
    } catch (const GIFException& e) {
        o.error = e.what();
    }
    o.position = stream.Position();
    return o;
}

TOutcome RunReference(const Bytes& data, const TFrame& f)
{
    TOutcome o;
    o.pixels.assign(size_t(f.width) * size_t(f.height), f.fill);
    TMemoryStream stream(data.data(), data.size());
    try {
        TReferenceDecoder(stream, o.warnings).Run(o.pixels.data(), f.width, f.height, f.interlaced);
    } catch (const GIFException& e) {
        o.error = e.what();
    }
    o.position = stream.Position();
    return o;
}

// ---------------------------------------------------------------------------
// Building test data.

// Packs codes least significant bit first, each with the width the decoder
// will read it with (the decoder's table growth is followed code by code).
class TCodeWriter {
public:
    explicit TCodeWriter(int m) : m_(m), clearCode_(1 << m) { Reset(); }

    void Put(int code)
    {
        const int width = codeSize_;
        acc_ |= uint64_t(uint32_t(code) & ((1u << width) - 1)) << nbits_;
        nbits_ += width;
        while (nbits_ >= 8) {
            bytes_.push_back(uint8_t(acc_));
            acc_ >>= 8;
            nbits_ -= 8;
        }
        if (code == clearCode_) {
            Reset();
        } else if (afterClear_) {
            afterClear_ = false;
        } else if (code != clearCode_ + 1 && nextCode_ <= 4095) {
            ++nextCode_;
            if (nextCode_ >= limit_ && limit_ <= 4095) {
                limit_ *= 2;
                ++codeSize_;
            }
        }
    }

    int CodeSize() const { return codeSize_; }
    int NextCode() const { return nextCode_; }

    Bytes Finish()
    {
        if (nbits_ > 0)
            bytes_.push_back(uint8_t(acc_));
        nbits_ = 0;
        acc_ = 0;
        return std::move(bytes_);
    }

private:
    void Reset()
    {
        codeSize_ = m_ + 1;
        nextCode_ = clearCode_ + 2;
        limit_ = 2 * clearCode_;
        afterClear_ = true;
    }

    int m_, clearCode_;
    int codeSize_ = 0, nextCode_ = 0, limit_ = 0;
    bool afterClear_ = true;
    uint64_t acc_ = 0;
    int nbits_ = 0;
    Bytes bytes_;
};

// A plain dictionary LZW encoder. With clearWhenFull false the table stays
// frozen at 4096 entries and the rest is coded with the entries it has.
std::vector<int> EncodeCodes(const Bytes& pixels, int m, bool clearWhenFull = true, bool endCode = true)
{
    const int clearCode = 1 << m;
    std::vector<int> codes{clearCode};
    std::map<std::pair<int, int>, int> dict;
    int next = clearCode + 2;
    if (pixels.empty()) {
        if (endCode)
            codes.push_back(clearCode + 1);
        return codes;
    }
    int cur = pixels[0];
    for (size_t i = 1; i < pixels.size(); ++i) {
        const int p = pixels[i];
        const auto it = dict.find({cur, p});
        if (it != dict.end()) {
            cur = it->second;
            continue;
        }
        codes.push_back(cur);
        if (next <= 4095) {
            dict[{cur, p}] = next++;
        } else if (clearWhenFull) {
            codes.push_back(clearCode);
            dict.clear();
            next = clearCode + 2;
        }
        cur = p;
    }
    codes.push_back(cur);
    if (endCode)
        codes.push_back(clearCode + 1);
    return codes;
}

Bytes PackCodes(const std::vector<int>& codes, int m)
{
    TCodeWriter writer(m);
    for (int c : codes)
        writer.Put(c);
    return writer.Finish();
}

// Wraps packed data as image data: code size byte, sub-blocks of the given
// size (cycled), terminator unless left out, then whatever follows the image.
Bytes Frame(int m, const Bytes& packed, const std::vector<int>& blockSizes = {255}, bool terminator = true,
            const Bytes& after = {0x3B})
{
    Bytes out{uint8_t(m)};
    size_t i = 0, k = 0;
    while (i < packed.size()) {
        const size_t n = std::min(packed.size() - i, size_t(blockSizes[k++ % blockSizes.size()]));
        out.push_back(uint8_t(n));
        out.insert(out.end(), packed.begin() + int64_t(i), packed.begin() + int64_t(i + n));
        i += n;
    }
    if (terminator)
        out.push_back(0);
    out.insert(out.end(), after.begin(), after.end());
    return out;
}

Bytes RandomPixels(std::mt19937& rng, size_t count, int colors, int runBias)
{
    Bytes p(count);
    std::uniform_int_distribution<int> color(0, colors - 1);
    std::uniform_int_distribution<int> pct(0, 99);
    uint8_t last = 0;
    for (auto& v : p) {
        if (pct(rng) >= runBias)
            last = uint8_t(color(rng));
        v = last;
    }
    return p;
}

void ExpectSame(const Bytes& data, const TFrame& f, const std::string& what)
{
    const TOutcome ref = RunReference(data, f);
    const TOutcome got = RunDecoder(data, f);
    ASSERT_EQ(got.error, ref.error) << what;
    ASSERT_EQ(got.warnings, ref.warnings) << what;
    ASSERT_EQ(got.position, ref.position) << what;
    if (ref.error.empty()) { // a failed frame is thrown away, its pixels do not matter
        ASSERT_EQ(got.pixels, ref.pixels) << what;
    }
}

std::string Describe(int seed, int m, const TFrame& f)
{
    return "seed " + std::to_string(seed) + " m " + std::to_string(m) + " " + std::to_string(f.width) + "x" +
           std::to_string(f.height) + (f.interlaced ? " interlaced" : "");
}

std::vector<int> RandomBlockSizes(std::mt19937& rng)
{
    switch (rng() % 4) {
    case 0:
        return {255};
    case 1:
        return {1};
    case 2:
        return {int(rng() % 3) + 1, int(rng() % 255) + 1, 2};
    default: {
        std::vector<int> sizes;
        for (int i = 0; i < 7; ++i)
            sizes.push_back(int(rng() % 255) + 1);
        return sizes;
    }
    }
}

TFrame RandomFrame(std::mt19937& rng)
{
    TFrame f;
    const int shape = int(rng() % 10);
    f.width = shape == 0 ? int(rng() % 3) : int(rng() % 48) + 1;
    f.height = shape == 1 ? int(rng() % 3) : int(rng() % 40) + 1;
    if (shape == 2) {
        f.width = int(rng() % 200) + 100;
        f.height = int(rng() % 100) + 50;
    }
    f.interlaced = rng() % 3 == 0;
    f.fill = uint8_t(rng() % 3 == 0 ? rng() : 0);
    return f;
}

Bytes Decoded(const Bytes& data, const TFrame& f)
{
    const TOutcome o = RunDecoder(data, f);
    EXPECT_EQ(o.error, "");
    return o.pixels;
}

// ---------------------------------------------------------------------------
// Differential tests.

TEST(LZWDecoderDifferential, ValidStreamsDecodeToTheirPixels)
{
    std::mt19937 rng(1);
    for (int seed = 0; seed < 1500; ++seed) {
        const int m = int(rng() % 12);
        TFrame f = RandomFrame(rng);
        const int colors = m == 0 ? 1 : std::min(1 << m, 256);
        const Bytes pixels = RandomPixels(rng, size_t(f.width) * size_t(f.height), colors, int(rng() % 100));
        const bool clearWhenFull = rng() % 4 != 0;
        const bool endCode = rng() % 5 != 0;
        const Bytes data = Frame(m, PackCodes(EncodeCodes(pixels, m, clearWhenFull, endCode), m),
                                 RandomBlockSizes(rng), rng() % 8 != 0);
        const std::string what = Describe(seed, m, f);
        ExpectSame(data, f, what);
        // Below code size 2 an encoder's table outgrows the code width before
        // the decoder widens it, which is why encoders never go below 2.
        if (f.interlaced || m < 2)
            continue;
        const TOutcome got = RunDecoder(data, f);
        ASSERT_EQ(got.pixels, pixels) << what;
    }
}

TEST(LZWDecoderDifferential, RandomCodeSequences)
{
    std::mt19937 rng(2);
    for (int seed = 0; seed < 3000; ++seed) {
        const int m = int(rng() % 12);
        const TFrame f = RandomFrame(rng);
        TCodeWriter writer(m);
        const int clearCode = 1 << m;
        const int n = int(rng() % 400);
        std::vector<int> recent;
        const int style = int(rng() % 4); // how wild the codes are
        writer.Put(clearCode);
        for (int i = 0; i < n; ++i) {
            const int r = int(rng() % 100);
            int code;
            if (r < 2)
                code = clearCode;
            else if (r < 3 && style != 0)
                code = clearCode + 1;
            else if (r < 15)
                code = writer.NextCode() + (style >= 2 ? int(rng() % 3) : 0); // KwKwK and beyond
            else if (r < 25 && style == 3)
                code = int(rng() % (1u << writer.CodeSize())); // anything that fits
            else if (r < 55 && !recent.empty())
                code = recent[rng() % recent.size()];
            else
                code = int(rng() % uint32_t(std::max(1, writer.NextCode())));
            if (code >= (1 << writer.CodeSize()))
                code = writer.NextCode() - 1;
            recent.push_back(code);
            writer.Put(code);
        }
        if (rng() % 2)
            writer.Put(clearCode + 1);
        const Bytes data = Frame(m, writer.Finish(), RandomBlockSizes(rng), rng() % 6 != 0,
                                 rng() % 2 ? Bytes{0x3B} : Bytes{0x21, 0xF9, 4, 1, 2, 3, 4, 0});
        ExpectSame(data, f, Describe(seed, m, f));
    }
}

TEST(LZWDecoderDifferential, RandomBytes)
{
    std::mt19937 rng(3);
    for (int seed = 0; seed < 3000; ++seed) {
        const TFrame f = RandomFrame(rng);
        Bytes data(rng() % 300);
        for (auto& b : data)
            b = uint8_t(rng());
        if (!data.empty())
            data[0] = uint8_t(rng() % 13);
        // Sub-block sizes mostly small enough to stay within the data.
        if (data.size() > 1 && rng() % 2)
            data[1] = uint8_t(rng() % 40);
        ExpectSame(data, f, Describe(seed, data.empty() ? -1 : data[0], f));
    }
}

TEST(LZWDecoderDifferential, DamagedValidStreams)
{
    std::mt19937 rng(4);
    for (int seed = 0; seed < 1500; ++seed) {
        const int m = int(rng() % 9);
        const TFrame f = RandomFrame(rng);
        const int colors = m == 0 ? 1 : std::min(1 << m, 256);
        const Bytes pixels = RandomPixels(rng, size_t(f.width) * size_t(f.height), colors, int(rng() % 100));
        Bytes packed = PackCodes(EncodeCodes(pixels, m), m);
        const int flips = int(rng() % 4) + 1;
        for (int i = 0; i < flips && !packed.empty(); ++i)
            packed[rng() % packed.size()] ^= uint8_t(1u << (rng() % 8));
        const Bytes data = Frame(m, packed, RandomBlockSizes(rng), rng() % 4 != 0);
        ExpectSame(data, f, Describe(seed, m, f));
    }
}

TEST(LZWDecoderDifferential, TruncatedAtEveryOffset)
{
    std::mt19937 rng(5);
    for (int seed = 0; seed < 12; ++seed) {
        const int m = 2 + seed % 7;
        TFrame f;
        f.width = 13 + seed;
        f.height = 9;
        f.interlaced = seed % 2 == 1;
        f.fill = 7;
        const Bytes pixels = RandomPixels(rng, size_t(f.width * f.height), 1 << std::min(m, 8), 60);
        const Bytes data = Frame(m, PackCodes(EncodeCodes(pixels, m), m), RandomBlockSizes(rng));
        for (size_t cut = 0; cut <= data.size(); ++cut)
            ExpectSame(Bytes(data.begin(), data.begin() + int64_t(cut)), f,
                       Describe(seed, m, f) + " cut " + std::to_string(cut));
    }
}

TEST(LZWDecoderDifferential, LargeFramesWithLongStrings)
{
    // Long runs give strings of thousands of pixels and fill the table; the
    // frame end cuts strings of every length.
    std::mt19937 rng(6);
    for (int seed = 0; seed < 40; ++seed) {
        const int m = int(rng() % 9);
        TFrame f;
        f.width = int(rng() % 500) + 200;
        f.height = int(rng() % 300) + 100;
        f.interlaced = seed % 3 == 0;
        const Bytes pixels = RandomPixels(rng, size_t(f.width) * size_t(f.height),
                                          m == 0 ? 1 : std::min(1 << m, 256), 90 + seed % 10);
        // A slightly shorter frame makes the last string run past the end.
        const Bytes data = Frame(m, PackCodes(EncodeCodes(pixels, m, seed % 2 == 0), m), RandomBlockSizes(rng));
        ExpectSame(data, f, Describe(seed, m, f));
        f.height -= 1;
        ExpectSame(data, f, Describe(seed, m, f) + " shortened");
    }
}

// ---------------------------------------------------------------------------
// Targeted cases with known results.

TEST(LZWDecoderStrings, CodeEqualToNextCodeRepeatsThePreviousStringAndItsFirstPixel)
{
    // m = 2: clear 4, end 5, first free 6. 1, then 6 = "1 1", then 7 = "1 1 1".
    const Bytes data = Frame(2, PackCodes({4, 1, 6, 7, 5}, 2));
    const TFrame f{6, 1, false, 9};
    EXPECT_EQ(Decoded(data, f), (Bytes{1, 1, 1, 1, 1, 1}));
    ExpectSame(data, f, "kwkwk");
}

TEST(LZWDecoderStrings, CodeBeyondNextCodeEndsThePixelsWithAWarning)
{
    // m = 3: clear 8, first free 10. 13 > 10 cannot be built from the table:
    // the pixels after it keep the fill, and the warning counts them.
    const Bytes data = Frame(3, PackCodes({8, 1, 13, 13, 9}, 3));
    const TFrame f{6, 1, false, 9};
    const TOutcome o = RunDecoder(data, f);
    EXPECT_EQ(o.pixels, (Bytes{1, 9, 9, 9, 9, 9}));
    EXPECT_EQ(o.warnings,
              std::vector<std::string>{"Frame data holds a code not in the table: 5 of 6 pixels keep the fill value"});
    EXPECT_EQ(o.position, int64_t(data.size()) - 1);
    ExpectSame(data, f, "beyond next");
}

TEST(LZWDecoderStrings, FirstCodeAfterClearIsTakenRaw)
{
    // The end code right after a clear is a pixel (5), not the end.
    const Bytes data = Frame(2, PackCodes({4, 5, 2, 5}, 2));
    const TFrame f{3, 1, false, 9};
    EXPECT_EQ(Decoded(data, f), (Bytes{5, 2, 9}));
    ExpectSame(data, f, "raw first code");
}

TEST(LZWDecoderStrings, DoubleClearsAndClearsMidStream)
{
    const Bytes data = Frame(2, PackCodes({4, 4, 3, 6, 4, 4, 4, 2, 2, 7, 5}, 2));
    const TFrame f{10, 1, false, 9};
    EXPECT_EQ(Decoded(data, f), (Bytes{3, 3, 3, 2, 2, 2, 2, 9, 9, 9}));
    ExpectSame(data, f, "clears");
}

TEST(LZWDecoderStrings, LiteralsAboveEightBitsKeepTheirLowByte)
{
    const Bytes data = Frame(10, PackCodes({1024, 300, 1023, 1026, 1025}, 10));
    const TFrame f{5, 1, false, 0};
    EXPECT_EQ(Decoded(data, f), (Bytes{44, 255, 44, 255, 0}));
    ExpectSame(data, f, "wide literals");
}

TEST(LZWDecoderStrings, FullTableWithoutClearKeepsDecoding)
{
    // 4095 entries, then hundreds of codes that add none: the code size stays 12.
    std::mt19937 rng(7);
    for (int m : {2, 8}) {
        const Bytes pixels = RandomPixels(rng, 60000, 1 << m, 30);
        const std::vector<int> codes = EncodeCodes(pixels, m, false);
        ASSERT_GT(codes.size(), 4096u + 200u);
        const Bytes data = Frame(m, PackCodes(codes, m));
        const TFrame f{300, 200, false, 0};
        EXPECT_EQ(Decoded(data, f), pixels);
        ExpectSame(data, f, "frozen table");
    }
}

TEST(LZWDecoderStrings, OneByteSubBlocksCarryTwelveBitCodes)
{
    // Every code spans two or three sub-blocks.
    std::mt19937 rng(8);
    const Bytes pixels = RandomPixels(rng, 40000, 256, 10);
    const Bytes data = Frame(8, PackCodes(EncodeCodes(pixels, 8), 8), {1});
    const TFrame f{200, 200, false, 0};
    EXPECT_EQ(Decoded(data, f), pixels);
}

TEST(LZWDecoderStrings, CircularTableIsRejected)
{
    // m = 3, first free code 10. The first code after the clear is taken
    // raw, so 12 becomes the old code: entry 10 gets prefix 12, 11 prefix
    // 10, 12 prefix 11, a cycle of three entries that the code 13 runs into.
    const TFrame f{40, 1, false, 0};
    const Bytes threeCycle = Frame(3, PackCodes({8, 12, 10, 11, 12, 13, 9}, 3));
    EXPECT_EQ(RunDecoder(threeCycle, f).error, "Circular decoder table entry");
    // A raw 10 makes entry 10 its own prefix.
    const Bytes selfLoop = Frame(3, PackCodes({8, 10, 10, 10, 9}, 3));
    EXPECT_EQ(RunDecoder(selfLoop, f).error, "Circular decoder table entry");
    ExpectSame(threeCycle, f, "three cycle");
    ExpectSame(selfLoop, f, "self loop");
}

TEST(LZWDecoderStrings, CircularEntryAfterTheLastPixelIsRejectedToo)
{
    // The code read after the last pixel still walks its chain: 12, 10, 11
    // and 12 give 1 + 3 + 4 + 5 pixels, and 13 comes after them.
    const Bytes data = Frame(3, PackCodes({8, 12, 10, 11, 12, 13, 9}, 3));
    EXPECT_EQ(RunDecoder(data, TFrame{13, 1, false, 0}).error, "Circular decoder table entry");
}

TEST(LZWDecoderStrings, FramesWithDifferentCodeSizesInTurn)
{
    // Tables kept between frames must not leak one frame's entries into the next.
    std::mt19937 rng(9);
    for (int m : {11, 2, 8, 9, 3, 8}) {
        const Bytes pixels = RandomPixels(rng, 5000, std::min(1 << m, 256), 50);
        const Bytes data = Frame(m, PackCodes(EncodeCodes(pixels, m), m));
        EXPECT_EQ(Decoded(data, TFrame{100, 50, false, 0}), pixels) << "m " << m;
    }
}

TEST(LZWDecoderStrings, WarningHandlerMayDecodeAnotherFrame)
{
    std::mt19937 rng(10);
    const Bytes outerPixels = RandomPixels(rng, 3000, 16, 40);
    const Bytes innerPixels = RandomPixels(rng, 3000, 200, 40);
    // The outer data is cut short so the decoder warns in the middle of it.
    const Bytes outerFull = Frame(4, PackCodes(EncodeCodes(outerPixels, 4), 4), {255}, true, {});
    const Bytes outer(outerFull.begin(), outerFull.end() - 40);
    const Bytes inner = Frame(8, PackCodes(EncodeCodes(innerPixels, 8), 8));
    Bytes decodedOuter(3000, 0), decodedInner(3000, 0);
    int warnings = 0;
    TMemoryStream stream(outer.data(), outer.size());
    fl::DecodeFramePixels(stream, decodedOuter.data(), 100, 30, false, [&](const char*) {
        if (warnings++ == 0) {
            TMemoryStream innerStream(inner.data(), inner.size());
            fl::DecodeFramePixels(innerStream, decodedInner.data(), 100, 30, false, nullptr);
        }
    });
    ASSERT_GT(warnings, 0);
    EXPECT_EQ(decodedInner, innerPixels);
    const TOutcome ref = RunReference(outer, TFrame{100, 30, false, 0});
    EXPECT_EQ(decodedOuter, ref.pixels);
}

// ---------------------------------------------------------------------------
// The end of the data: warnings and where the stream is left.

TEST(LZWDecoderEnd, EndCodeAfterTheLastPixelIsConsumedWithTheRestOfTheData)
{
    // Extra sub-blocks follow the end code; all are skipped.
    Bytes data = Frame(2, PackCodes({4, 1, 2, 5}, 2), {255}, false, {});
    data.insert(data.end(), {3, 9, 9, 9, 0, 0x3B});
    const TOutcome o = RunDecoder(data, TFrame{2, 1, false, 0});
    EXPECT_EQ(o.pixels, (Bytes{1, 2}));
    EXPECT_TRUE(o.warnings.empty());
    EXPECT_EQ(o.position, int64_t(data.size()) - 1);
}

TEST(LZWDecoderEnd, DataBeyondTheLastPixelIsSkippedToTheTerminator)
{
    // Without an end code after the last pixel, and with sub-blocks after
    // the one holding it, the reader still stops after the terminator, where
    // the next block starts.
    const Bytes packed = PackCodes({4, 1, 2, 3, 3, 1, 1, 1, 1, 1, 1, 1, 1, 5}, 2);
    for (const int block : {255, 3, 1}) {
        const Bytes data = Frame(2, packed, {block}, true, {0x3B});
        const TOutcome o = RunDecoder(data, TFrame{2, 1, false, 0});
        EXPECT_EQ(o.pixels, (Bytes{1, 2}));
        EXPECT_TRUE(o.warnings.empty());
        EXPECT_EQ(o.position, int64_t(data.size()) - 1) << "blocks of " << block;
        ExpectSame(data, TFrame{2, 1, false, 0}, "too much data");
    }
}

TEST(LZWDecoderEnd, DataEndingEarlyWarnsOfUnderRunAndKeepsTheFill)
{
    const Bytes data = Frame(2, PackCodes({4, 1, 2}, 2), {255}, true, {0x3B});
    const TFrame f{4, 2, false, 7};
    const TOutcome o = RunDecoder(data, f);
    // The padding bits make a code 0, and with the zeros past the terminator
    // a second one; then the reader runs dry, once in the pixel loop and once
    // more for the code after the last pixel.
    const std::string underRun = "Decoder bit buffer under-run";
    EXPECT_EQ(o.warnings, (std::vector<std::string>{underRun, underRun,
                                                    "Frame data ended early: 4 of 8 pixels keep the fill value"}));
    EXPECT_EQ(o.pixels, (Bytes{1, 2, 0, 0, 7, 7, 7, 7}));
    EXPECT_EQ(o.position, int64_t(data.size()) - 1);
    ExpectSame(data, f, "under-run");
}

TEST(LZWDecoderEnd, SubBlockLongerThanTheStreamWarnsPrematureEnd)
{
    Bytes data{2, 200};
    const Bytes packed = PackCodes({4, 1, 2, 1, 2}, 2);
    data.insert(data.end(), packed.begin(), packed.end());
    const TFrame f{6, 1, false, 3};
    const TOutcome o = RunDecoder(data, f);
    EXPECT_EQ(o.warnings, (std::vector<std::string>{"Premature end of data",
                                                    "Frame data ended early: 3 of 6 pixels keep the fill value"}));
    // The last code ends exactly with the data: the reader asks for another
    // sub-block before taking it, finds none, and decoding stops.
    EXPECT_EQ(o.pixels, (Bytes{1, 2, 1, 3, 3, 3}));
    EXPECT_EQ(o.position, int64_t(data.size()));
    ExpectSame(data, f, "premature");
}

TEST(LZWDecoderEnd, EmptyStreamAndMissingData)
{
    const TFrame f{3, 3, false, 5};
    const TOutcome empty = RunDecoder({}, f);
    EXPECT_EQ(empty.pixels, Bytes(9, 5));
    EXPECT_TRUE(empty.warnings.empty());
    EXPECT_EQ(empty.position, 0);
    const TOutcome codeSizeOnly = RunDecoder({4}, f);
    EXPECT_EQ(codeSizeOnly.pixels, Bytes(9, 5));
    EXPECT_EQ(codeSizeOnly.position, 1);
}

TEST(LZWDecoderEnd, MinimumCodeSizeAboveElevenIsSkipped)
{
    for (uint8_t m : {12, 200}) {
        Bytes data{m, 2, 0xFF, 0xFF, 1, 0xAA, 0, 0x3B};
        const TFrame f{4, 4, false, 2};
        const TOutcome o = RunDecoder(data, f);
        EXPECT_EQ(o.warnings, std::vector<std::string>{"Invalid minimum code size"});
        EXPECT_EQ(o.pixels, Bytes(16, 2));
        EXPECT_EQ(o.position, 7);
        ExpectSame(data, f, "invalid code size");
    }
}

TEST(LZWDecoderEnd, EmptyFrameStillSkipsItsData)
{
    // No pixels: the end code after the clear is taken as the first code of
    // the table, not as the end; the data is passed over all the same.
    const Bytes data = Frame(2, PackCodes({4, 5}, 2), {255}, true, {0x3B});
    const TOutcome o = RunDecoder(data, TFrame{0, 5, false, 0});
    EXPECT_EQ(o.position, int64_t(data.size()) - 1);
    ExpectSame(data, TFrame{0, 5, false, 0}, "empty frame");
}

// ---------------------------------------------------------------------------
// Interlaced frames.

TEST(LZWDecoderInterlace, RowsArriveInPassOrder)
{
    const std::map<int, std::vector<int>> orders = {
        {1, {0}}, {2, {0, 1}}, {3, {0, 2, 1}}, {4, {0, 2, 1, 3}}, {9, {0, 8, 4, 2, 6, 1, 3, 5, 7}},
    };
    for (const auto& [height, order] : orders) {
        // The k-th row of the data holds the value k.
        const int width = 5;
        Bytes stream;
        for (int k = 0; k < height; ++k)
            stream.insert(stream.end(), size_t(width), uint8_t(k));
        const Bytes data = Frame(4, PackCodes(EncodeCodes(stream, 4), 4));
        const TFrame f{width, height, true, 0};
        const Bytes pixels = Decoded(data, f);
        for (int k = 0; k < height; ++k)
            EXPECT_EQ(pixels[size_t(order[size_t(k)] * width)], k) << "height " << height << " row " << k;
        ExpectSame(data, f, "interlace");
    }
}

TEST(LZWDecoderInterlace, RowsNotReachedKeepTheFill)
{
    // Data for one and a half rows of a 4x9 frame: row 0 whole, row 8 half.
    const Bytes data = Frame(3, PackCodes({8, 1, 1, 1, 1, 2, 2, 9}, 3), {255}, true, {});
    const TFrame f{4, 9, true, 6};
    const TOutcome o = RunDecoder(data, f);
    EXPECT_EQ(Bytes(o.pixels.begin(), o.pixels.begin() + 4), (Bytes{1, 1, 1, 1}));
    EXPECT_EQ(Bytes(o.pixels.begin() + 32, o.pixels.end()), (Bytes{2, 2, 6, 6}));
    EXPECT_EQ(Bytes(o.pixels.begin() + 4, o.pixels.begin() + 32), Bytes(28, 6));
    ExpectSame(data, f, "partial interlace");
}

} // namespace
