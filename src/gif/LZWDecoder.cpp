// SPDX-License-Identifier: GPL-3.0-or-later
#include "gif/LZWDecoder.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <memory>
#include <string>

#include "gif/StreamIO.h"
#include "platform/GIFException.h"

namespace fl {
namespace {

constexpr int kTableSize = 4096; // codes have at most 12 bits
constexpr int kMaxMinCodeSize = 11; // clear code 2048 still leaves room for an end code
constexpr int kStackSize = 8192;
constexpr int kBitBufferSize = 2 + 255 + 8; // two carried bytes, one sub-block, zero padding
constexpr size_t kChunk = 16; // string copies move this many bytes at a time

#if defined(__GNUC__)
#define FL_NOINLINE __attribute__((noinline))
#define FL_ALWAYS_INLINE __attribute__((always_inline))
#define FL_LIKELY(x) __builtin_expect(!!(x), 1)
#define FL_UNLIKELY(x) __builtin_expect(!!(x), 0)
#else
#define FL_NOINLINE
#define FL_ALWAYS_INLINE
#define FL_LIKELY(x) (x)
#define FL_UNLIKELY(x) (x)
#endif

inline uint32_t LoadLE32(const uint8_t* p)
{
    if constexpr (std::endian::native == std::endian::little) {
        uint32_t v;
        std::memcpy(&v, p, 4);
        return v;
    } else {
        return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
    }
}

// Copies n >= 1 bytes from src to dst in whole chunks. Needs src + n <= dst
// (the bytes still to be read are never the ones just written) and room for
// up to kChunk - 1 bytes of overshoot past dst + n, which later output
// overwrites.
inline void CopyChunked(uint8_t* dst, const uint8_t* src, size_t n)
{
    for (size_t i = 0; i < n; i += kChunk) {
        uint8_t chunk[kChunk];
        std::memcpy(chunk, src + i, kChunk);
        std::memcpy(dst + i, chunk, kChunk);
    }
}

// The one-pixel strings of the literals; padded because string copies read
// whole chunks.
constexpr auto kIdentity = [] {
    std::array<uint8_t, 256 + kChunk> bytes{};
    for (int i = 0; i < 256; ++i)
        bytes[size_t(i)] = static_cast<uint8_t>(i);
    return bytes;
}();

// The working area: every table the decoder needs, in one block. Entries not
// written since the last clear (and those of the clear and end codes) count as
// prefix 0, suffix 0 without being stored, so no table is ever cleared.
struct TWork {
    uint16_t prefix[kTableSize];
    // Only the low 8 bits of a suffix ever reach a pixel, and suffixes are
    // never compared, so bytes suffice.
    uint8_t suffix[kTableSize];
    // Where the string of a code lies: in the output decoded so far, or in
    // kIdentity for a literal. Emitting a located string is one copy; length
    // 0 means it must be assembled from the prefix chain.
    const uint8_t* source[kTableSize];
    uint16_t length[kTableSize];
    uint8_t stack[kStackSize];
    uint8_t bits[kBitBufferSize];
    // Entries below this hold their literal strings, kept from earlier frames
    // so that a frame does not pay for setting up 256 or more of them.
    int literals = 0;
    bool inUse = false;
};

// Lends the calling thread's working area, or a fresh one when it is taken
// (a warning handler that decodes another image).
class TWorkLease {
public:
    TWorkLease()
    {
        thread_local std::unique_ptr<TWork> cached;
        if (!cached)
            cached.reset(new TWork);
        if (cached->inUse) {
            own_.reset(new TWork);
            work_ = own_.get();
        } else {
            work_ = cached.get();
        }
        work_->inUse = true;
    }
    ~TWorkLease() { work_->inUse = false; }
    TWorkLease(const TWorkLease&) = delete;
    TWorkLease& operator=(const TWorkLease&) = delete;

    TWork& operator*() const { return *work_; }

private:
    std::unique_ptr<TWork> own_;
    TWork* work_ = nullptr;
};

struct TReadResult {
    int code;
    int curBit;
    int lastBit;
};

struct TWalkResult {
    int count; // values on the stack, the first pixel on top
    int first;
};

class TDecoder {
public:
    TDecoder(TStream& stream, const TDecoderWarning& warn, TWork& work, int minCodeSize)
        : stream_(stream), warn_(warn), work_(work), minCodeSize_(minCodeSize), clearCode_(1 << minCodeSize),
          endCode_(clearCode_ + 1)
    {
        for (int i = work_.literals; i < clearCode_; ++i) {
            work_.source[i] = kIdentity.data() + (i & 0xFF);
            work_.length[i] = 1;
        }
        // The entries from the clear code on are about to be overwritten.
        work_.literals = clearCode_;
        work_.length[clearCode_] = 0;
        work_.length[endCode_] = 0;
        work_.bits[0] = work_.bits[1] = 0;
        nextCode_ = clearCode_ + 2;
    }

    // Decodes up to `total` pixels into `out` as one run of pixels and answers
    // how many arrived; then reads the code after the last pixel.
    size_t Decode(uint8_t* out, size_t total);
    // Passes over what is left of the data, up to its terminator, so that
    // the next block is looked for where it starts.
    void SkipRest();
    // Decoding stopped at a code the table did not hold yet.
    bool InvalidCodeMet() const { return invalidCode_; }

private:
    TReadResult Refill(int curBit, int lastBit, int n);
    int ReadCodeSlow(int n);
    TWalkResult Walk(int code, int nextCode, int oldCode, int firstCode);
    void FinishAfterLastPixel();

    TStream& stream_;
    const TDecoderWarning& warn_;
    TWork& work_;
    const int minCodeSize_;
    const int clearCode_;
    const int endCode_;

    // Bit reader: the buffer holds the last two bytes of the previous
    // sub-block followed by the current one.
    int curBit_ = 0;
    int lastBit_ = 0;
    int lastByte_ = 2;
    bool terminatorMet_ = false;
    bool firstCall_ = true;

    // Code table state, kept here for the slow steps around the pixel loop.
    int codeSize_ = 0;
    int limit_ = 0;
    int nextCode_ = 0;
    int oldCode_ = 0;
    int firstCode_ = 0;
    bool endMet_ = false;
    bool invalidCode_ = false;
};

// Loads sub-blocks until n bits are available and takes the next code.
// A code that spans several tiny sub-blocks would otherwise be assembled from
// stale buffer bytes, so loading goes on until the code is complete; when the
// terminator cuts a code short, the missing high bits read as zero (the
// buffer is zero-padded past the data).
FL_NOINLINE TReadResult TDecoder::Refill(int curBit, int lastBit, int n)
{
    if (terminatorMet_) {
        if (curBit >= lastBit && warn_)
            warn_("Decoder bit buffer under-run");
        return {-1, curBit, lastBit};
    }
    uint8_t* bits = work_.bits;
    do {
        // Fewer than n <= 12 bits remain, so they lie in the last two bytes.
        bits[0] = bits[lastByte_ - 2];
        bits[1] = bits[lastByte_ - 1];
        uint8_t size;
        if (!stream_.ReadByte(size))
            return {-1, curBit, lastBit};
        int count = size;
        if (size == 0) {
            terminatorMet_ = true;
        } else {
            const int64_t remaining = stream_.Remaining();
            if (remaining < count) {
                if (warn_)
                    warn_("Premature end of data");
                count = static_cast<int>(remaining);
            }
            count = static_cast<int>(stream_.Read(bits + 2, static_cast<size_t>(count)));
        }
        lastByte_ = count + 2;
        curBit = curBit - lastBit + 16;
        lastBit = lastByte_ * 8;
        std::memset(bits + lastByte_, 0, 8);
    } while (curBit + n > lastBit && !terminatorMet_);
    const int code = static_cast<int>((LoadLE32(bits + (curBit >> 3)) >> (curBit & 7)) & ((1u << n) - 1));
    return {code, curBit + n, lastBit};
}

int TDecoder::ReadCodeSlow(int n)
{
    if (firstCall_) {
        // The first request answers a clear code so the table starts initialized.
        firstCall_ = false;
        return clearCode_;
    }
    if (curBit_ + n >= lastBit_) {
        const TReadResult r = Refill(curBit_, lastBit_, n);
        curBit_ = r.curBit;
        lastBit_ = r.lastBit;
        return r.code;
    }
    const int code = static_cast<int>((LoadLE32(work_.bits + (curBit_ >> 3)) >> (curBit_ & 7)) & ((1u << n) - 1));
    curBit_ += n;
    return code;
}

// Pushes the string of `code` by its prefix chain, exactly as a stack decoder
// would; used for codes whose string is not known to lie in the output.
FL_NOINLINE TWalkResult TDecoder::Walk(int code, int nextCode, int oldCode, int firstCode)
{
    uint8_t* const stack = work_.stack;
    int sp = 0;
    if (code >= nextCode) {
        stack[sp++] = static_cast<uint8_t>(firstCode);
        code = oldCode;
    }
    // A chain without a cycle visits distinct codes above the clear code, so a
    // longer one runs in a cycle (possibly of several entries) and would
    // otherwise overrun the stack.
    const int maxSteps = kTableSize - 1 - clearCode_;
    int steps = 0;
    while (code >= clearCode_) {
        const bool written = code >= clearCode_ + 2 && code < nextCode;
        stack[sp++] = written ? work_.suffix[code] : 0;
        const int prefix = written ? work_.prefix[code] : 0;
        if (prefix == code || ++steps > maxSteps)
            throw GIFException("Circular decoder table entry");
        code = prefix;
    }
    // A literal is its own suffix.
    stack[sp++] = static_cast<uint8_t>(code);
    return {sp, code};
}

void TDecoder::SkipRest()
{
    if (!terminatorMet_)
        SkipSubBlocks(stream_);
    terminatorMet_ = true;
}

size_t TDecoder::Decode(uint8_t* const out, const size_t total)
{
    size_t pos = 0;
    if (total == 0) {
        FinishAfterLastPixel();
        return 0;
    }
    // One register reaches every table.
    TWork* const w = &work_;
    const int clearCode = clearCode_;
    const int endCode = endCode_;

    int curBit = curBit_;
    int lastBit = lastBit_;
    int codeSize = minCodeSize_ + 1;
    uint32_t mask = 0;
    int limit = 0;
    int nextCode = nextCode_;
    int oldCode = 0;
    // The previous code's output runs from prevStart to pos (it was never cut,
    // or decoding would have ended), and its first pixel is firstCode's low
    // byte. prevIsOld says that output is exactly the string of oldCode and
    // will stay so.
    size_t prevStart = 0;
    bool prevIsOld = false;
    int code = 0;

    // The helpers are forced inline: a call would make the loop keep pos and
    // the bit position in memory.
    auto readCode = [&]() FL_ALWAYS_INLINE -> int {
        if (FL_UNLIKELY(curBit + codeSize >= lastBit)) {
            const TReadResult r = Refill(curBit, lastBit, codeSize);
            curBit = r.curBit;
            lastBit = r.lastBit;
            return r.code;
        }
        const int c = static_cast<int>((LoadLE32(w->bits + (curBit >> 3)) >> (curBit & 7)) & mask);
        curBit += codeSize;
        return c;
    };
    // Copies a string whose source ends at or before pos, cut at the end of the frame.
    auto emitCopy = [&](const uint8_t* src, size_t len) FL_ALWAYS_INLINE {
        if (FL_LIKELY(pos + len + kChunk <= total)) {
            CopyChunked(out + pos, src, len);
            pos += len;
        } else {
            const size_t n = std::min(len, total - pos);
            std::memcpy(out + pos, src, n);
            pos += n;
        }
    };
    // Writes a string assembled on the stack, cut at the end of the frame.
    auto emitWalk = [&](int c) FL_ALWAYS_INLINE {
        const TWalkResult r = Walk(c, nextCode, oldCode, out[prevStart]);
        for (int i = r.count - 1; i >= 0 && pos < total; --i)
            out[pos++] = w->stack[i];
    };

    // The first code request answers a clear code.
    firstCall_ = false;
    goto clear;

    while (pos < total) {
        code = readCode();
        if (FL_UNLIKELY(code < 0))
            break;
        {
            const size_t start = pos;
            bool isOld; // this output is exactly the string of code, for good
            uint32_t len;
            if (FL_LIKELY(code < nextCode && (len = w->length[code]) != 0)) {
                emitCopy(w->source[code], len);
                isOld = true;
            } else if (code >= nextCode) {
                if (FL_UNLIKELY(code > nextCode)) {
                    // A code beyond the next entry cannot be built from the
                    // table: the rest of the data means nothing.
                    invalidCode_ = true;
                    endMet_ = true;
                    break;
                }
                if (FL_LIKELY(prevIsOld)) {
                    // The string of oldCode followed by its own first pixel;
                    // the copy source ends where the output continues.
                    const uint8_t* src = out + prevStart;
                    emitCopy(src, start - prevStart);
                    if (pos < total)
                        out[pos++] = src[0];
                    isOld = true;
                } else {
                    emitWalk(code);
                    isOld = false;
                }
            } else if (code == clearCode) {
                goto clear;
            } else if (code == endCode) {
                endMet_ = true;
                SkipRest();
                break;
            } else {
                emitWalk(code);
                isOld = false;
            }

            if (FL_LIKELY(nextCode < kTableSize)) {
                // When the previous output is oldCode's string, the new entry's
                // string is that output plus this output's first pixel.
                w->prefix[nextCode] = static_cast<uint16_t>(oldCode);
                w->suffix[nextCode] = out[start];
                if (FL_LIKELY(prevIsOld)) {
                    w->source[nextCode] = out + prevStart;
                    w->length[nextCode] = static_cast<uint16_t>(start - prevStart + 1);
                } else {
                    w->length[nextCode] = 0;
                }
                ++nextCode;
                if (FL_UNLIKELY(nextCode >= limit) && limit < kTableSize) {
                    limit *= 2;
                    ++codeSize;
                    mask = (1u << codeSize) - 1;
                }
            }
            oldCode = code;
            prevStart = start;
            prevIsOld = isOld;
        }
        continue;

    clear:
        codeSize = minCodeSize_ + 1;
        mask = (1u << codeSize) - 1;
        limit = 2 * clearCode;
        nextCode = clearCode + 2;
        do
            code = readCode();
        while (code == clearCode);
        if (code < 0)
            break;
        // Taken as it is, even when it is no literal: only its low bits become
        // the pixel, and the next entry's prefix is the raw value.
        oldCode = code;
        prevStart = pos;
        prevIsOld = code < clearCode;
        out[pos++] = static_cast<uint8_t>(code);
    }

    curBit_ = curBit;
    lastBit_ = lastBit;
    codeSize_ = codeSize;
    limit_ = limit;
    nextCode_ = nextCode;
    oldCode_ = oldCode;
    firstCode_ = pos > prevStart ? out[prevStart] : 0;
    FinishAfterLastPixel();
    return pos;
}

// One more pass of the code loop after the pixels are complete (or decoding
// stopped), so that an end code right after the last pixel is consumed along
// with the rest of the data.
void TDecoder::FinishAfterLastPixel()
{
    if (endMet_)
        return;
    int code = ReadCodeSlow(codeSize_);
    if (code < 0)
        return;
    if (code == clearCode_) {
        codeSize_ = minCodeSize_ + 1;
        limit_ = 2 * clearCode_;
        nextCode_ = clearCode_ + 2;
        do
            code = ReadCodeSlow(codeSize_);
        while (code == clearCode_);
        firstCode_ = oldCode_ = code;
        return;
    }
    if (code == endCode_) {
        endMet_ = true;
        SkipRest();
        return;
    }
    // The pixels are discarded, but the walk still rejects a circular table.
    const TWalkResult r = Walk(code, nextCode_, oldCode_, firstCode_);
    if (nextCode_ < kTableSize) {
        work_.prefix[nextCode_] = static_cast<uint16_t>(oldCode_);
        work_.suffix[nextCode_] = static_cast<uint8_t>(r.first);
        work_.length[nextCode_] = 0;
        ++nextCode_;
        if (nextCode_ >= limit_ && limit_ < kTableSize) {
            limit_ *= 2;
            ++codeSize_;
        }
    }
    firstCode_ = r.first;
    oldCode_ = code;
}

} // namespace

size_t DecodeFramePixels(TStream& stream, uint8_t* pixels, int width, int height, bool interlaced,
                         const TDecoderWarning& warn)
{
    uint8_t minCodeSize;
    if (!stream.ReadByte(minCodeSize))
        return 0;
    if (minCodeSize > kMaxMinCodeSize) {
        // The clear code would lie beyond the 4096-entry tables: the data
        // cannot be decoded, so it is passed over and the pixels keep the fill.
        if (warn)
            warn("Invalid minimum code size");
        SkipSubBlocks(stream);
        return 0;
    }
    const size_t w = width > 0 ? static_cast<size_t>(width) : 0;
    const size_t h = height > 0 ? static_cast<size_t>(height) : 0;
    const size_t total = w * h;
    const TWorkLease work;
    TDecoder decoder(stream, warn, *work, minCodeSize);
    size_t decoded = 0;
    // Whatever comes before the terminator once the pixels are complete is
    // passed over: a frame with too much data must not take the next blocks
    // with it. Damage is told with what it cost.
    const auto finish = [&] {
        decoder.SkipRest();
        if (decoded >= total || !warn)
            return;
        const std::string missing = std::to_string(total - decoded) + " of " + std::to_string(total);
        if (decoder.InvalidCodeMet())
            warn(("Frame data holds a code not in the table: " + missing + " pixels keep the fill value").c_str());
        else
            warn(("Frame data ended early: " + missing + " pixels keep the fill value").c_str());
    };

    if (!interlaced || total == 0) {
        const uint8_t fill = total > 0 ? pixels[0] : 0;
        decoded = decoder.Decode(pixels, total);
        // String copies may run a few bytes past the last pixel decoded; the
        // pixels there get their fill value back.
        if (decoded < total)
            std::memset(pixels + decoded, fill, std::min(kChunk, total - decoded));
        finish();
        return decoded;
    }

    // Interlaced rows arrive in pass order: decode them as one run, then place
    // each row where the interlace passes put it.
    std::unique_ptr<uint8_t[]> scratch(new uint8_t[total]);
    decoded = decoder.Decode(scratch.get(), total);
    finish();
    size_t remaining = decoded;
    const uint8_t* src = scratch.get();
    int row = 0;
    int step = 8;
    int pass = 0;
    for (int i = 0; i < height && remaining > 0; ++i) {
        const size_t n = std::min(w, remaining);
        std::memcpy(pixels + static_cast<size_t>(row) * w, src, n);
        src += n;
        remaining -= n;
        row += step;
        while (row >= height) {
            if (pass > 0)
                step /= 2;
            ++pass;
            row = step / 2;
        }
    }
    return decoded;
}

} // namespace fl
