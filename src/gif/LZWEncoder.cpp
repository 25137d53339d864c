// SPDX-License-Identifier: GPL-3.0-or-later
#include "gif/LZWEncoder.h"

#include <algorithm>
#include <cstring>

namespace fl {

namespace {

constexpr int kMaxCodeSize = 12;
constexpr int kCodes = 4096;
// Codes up to 4094 are assigned; a new string at 4095 clears instead.
constexpr uint32_t kCodeLimit = 4095;
// After a row whose strings averaged at least this many pixels, the next row
// tries the last-child shortcut first (see TTables); on photographs, where
// strings are two or three pixels long, that check costs more than it saves.
constexpr int kLongStrings = 4;
// In a wide frame, after a row where at least this share (in 1/16) of the
// pixels ended a string, the next row bets on strings ending: a branch that
// mostly guesses right lets the next lookup start before this one is done,
// which the branch-free step cannot.
constexpr int kShortStrings16 = 11;
// Frames from this size on may use the pair table (see Compress).
constexpr int64_t kWidePixels = 16384;

// value < limit ? ifBelow : otherwise, as a conditional move. The outcome is
// random in the encoder's loop, and compilers tend to turn such selects
// into branches that guess wrong every few pixels.
inline uint32_t SelectBelow(uint32_t value, uint32_t limit, uint32_t ifBelow, uint32_t otherwise)
{
#if defined(__GNUC__) && defined(__x86_64__)
    __asm__("cmpl %[limit], %[value]\n\tcmovbl %[ifBelow], %[result]"
            : [result] "+r"(otherwise)
            : [value] "r"(value), [limit] "ri"(limit), [ifBelow] "r"(ifBelow)
            : "cc");
    return otherwise;
#else
    return value < limit ? ifBelow : otherwise;
#endif
}

} // namespace

// Everything the per-pixel loop changes. The out-of-line steps take and
// answer it by value, so that its address never escapes and the loop can
// keep it in registers.
struct TLZWEncoder::TState {
    uint64_t bits;
    int pending;
    int codeSize;
    uint32_t maxCode;
    uint32_t nextCode;
    // Up to this code a new string needs none of the rare steps: no wider
    // codes, no clear at the code limit, no full probe cycle.
    uint32_t plainLimit;
    uint32_t prefix;
    // Codes output in the current row.
    int strings;
    uint8_t* tail;
};

// One block, so the loop needs a single base pointer for all. Only the
// string table the frame uses is cleared, once the frame is known.
struct TLZWEncoder::TTables {
    TTables() : table(THashTable::TUncleared{}) {}

    void Reset(bool wide)
    {
        if (wide)
            pairs.Clear();
        else
            table.Clear();
        std::memset(lastChild, 0xFF, sizeof(lastChild));
    }

    THashTable table;
    TPairTable pairs;
    // The last child looked up or made for every code: pixel << 12 | child
    // code, all bits set when none. Runs and repeated patterns extend the
    // same strings again and again; this answers them with one load instead
    // of a hash and a probe. It only repeats what the table holds, so the
    // output does not depend on it; it is reset with the table.
    uint32_t lastChild[kCodes];
};

TLZWEncoder::TLZWEncoder(TCodeOutput& output) : output_(output), tables_(std::make_unique<TTables>()) {}

TLZWEncoder::~TLZWEncoder() = default;

void TLZWEncoder::Put(TState& s, uint32_t code)
{
    s.bits |= static_cast<uint64_t>(code) << s.pending;
    s.pending += s.codeSize;
    if (s.pending >= 32) {
        StoreLE32(s.tail, static_cast<uint32_t>(s.bits));
        s.tail = output_.writer.Commit(s.tail + 4);
        s.bits >>= 32;
        s.pending -= 32;
    }
}

TLZWEncoder::TState TLZWEncoder::Clear(TState s, bool tablesUsed)
{
    Put(s, static_cast<uint32_t>(output_.clearCode));
    if (tablesUsed) {
        if (wide_)
            tables_->pairs.Clear();
        else
            tables_->table.Clear();
        std::memset(tables_->lastChild, 0xFF, sizeof(tables_->lastChild));
    }
    s.nextCode = static_cast<uint32_t>(output_.baseCode);
    s.codeSize = output_.minCodeSize + 1;
    s.maxCode = (1u << s.codeSize) - 1;
    s.plainLimit = std::min({s.maxCode, kCodeLimit - 1, s.nextCode + THashTable::kSafeStores - 1});
    return s;
}

// Outputs a string's code, then widens the codes when the next free code no
// longer fits (nextCode is still the one before this step's store).
TLZWEncoder::TState TLZWEncoder::PutString(TState s, uint32_t code)
{
    Put(s, code);
    ++s.strings;
    if (s.nextCode > s.maxCode) {
        ++s.codeSize;
        s.maxCode = s.codeSize == kMaxCodeSize ? 4096 : (1u << s.codeSize) - 1;
        s.plainLimit = std::min({s.maxCode, kCodeLimit - 1,
                                 static_cast<uint32_t>(output_.baseCode) + THashTable::kSafeStores - 1});
    }
    return s;
}

// The prefix ended before the key's pixel: output it, then store the new
// string (prefix, pixel) in the empty slot found for it, or start a new
// table; the pixel begins the next string.
TLZWEncoder::TState TLZWEncoder::NewString(TState s, uint32_t key, int slot)
{
    s = PutString(s, s.prefix);
    // A store that would fill a probe cycle clears instead (see THashTable);
    // with real data only the code limit does.
    THashTable& table = tables_->table;
    if (s.nextCode < kCodeLimit && table.HasRoomAt(slot)) {
        table.StoreAt(slot, key, s.nextCode);
        tables_->lastChild[key >> 8] = ((key & 0xFF) << 12) | s.nextCode;
        ++s.nextCode;
    } else {
        s = Clear(s);
    }
    s.prefix = key & 0xFF;
    return s;
}

// The inner loop over one row. A string ends, on photographs, every second
// or third pixel and at random, so the step after a new string is made fast
// instead of predictable: every pixel also probes the table for the string
// that would start at it (the pixel and the next one). That probe depends
// on the pixels only and runs beside the chain of dependent lookups, so
// after a string ends its first lookup is already done.
template <bool kTryLastChild>
TLZWEncoder::TState TLZWEncoder::EncodeRow(TState s, const uint8_t* p, const uint8_t* end)
{
    THashTable& table = tables_->table;
    uint32_t* const lastChild = tables_->lastChild;
    TGIFWriter& writer = output_.writer;
    const uint8_t* const blockEnd = writer.BlockEnd();
    uint32_t prefix = s.prefix;
    bool nextIsReady = false;
    int readySlot = 0;
    uint32_t readyEntry = 0;
    for (; p < end; ++p) {
        const uint32_t pixel = *p;
        if constexpr (kTryLastChild) {
            const uint32_t cached = lastChild[prefix];
            if ((cached >> 12) == pixel) {
                prefix = cached & 0xFFF;
                nextIsReady = false;
                continue;
            }
        }
        const uint32_t key = (prefix << 8) | pixel;
        int slot;
        uint32_t entry;
        if (nextIsReady) {
            slot = readySlot;
            entry = readyEntry;
        } else {
            slot = THashTable::HashOf(prefix, pixel);
            entry = table.At(slot);
        }
        // The first probe for the string starting here (at the row's last
        // pixel a dummy that is never used).
        readySlot = THashTable::HashOf(pixel, p + 1 < end ? p[1] : 0);
        readyEntry = table.At(readySlot);

        // The second probe is read at once and taken without a branch when
        // the first slot holds another string; a third is rarely needed.
        {
            const int slot2 = THashTable::NextProbe(slot);
            const uint32_t entry2 = table.At(slot2);
            const bool onward = (entry >> 12) != key && entry != THashTable::kEmpty;
            slot = onward ? slot2 : slot;
            entry = onward ? entry2 : entry;
        }
        while ((entry >> 12) != key && entry != THashTable::kEmpty) {
            slot = THashTable::NextProbe(slot);
            entry = table.At(slot);
        }
        if (entry != THashTable::kEmpty) {
            const uint32_t code = entry & 0xFFF;
            if constexpr (kTryLastChild)
                lastChild[prefix] = (pixel << 12) | code;
            prefix = code;
            nextIsReady = false;
            continue;
        }
        if (s.nextCode > s.plainLimit) [[unlikely]] {
            s.prefix = prefix;
            s = NewString(s, key, slot);
            prefix = pixel;
            nextIsReady = false;
            continue;
        }
        // The common new string, inline: output the prefix, store.
        s.bits |= static_cast<uint64_t>(prefix) << s.pending;
        s.pending += s.codeSize;
        ++s.strings;
        // The low word is stored whether complete or not (a branch here
        // would guess wrong every few codes); the tail moves past it once it
        // is complete.
        StoreLE32(s.tail, static_cast<uint32_t>(s.bits));
        const int full = s.pending >> 5;
        s.tail += 4 * full;
        s.bits >>= 32 * full;
        s.pending -= 32 * full;
        if (s.tail >= blockEnd)
            s.tail = writer.Commit(s.tail);
        const uint32_t newEntry = (key << 12) | s.nextCode;
        table.Put(slot, newEntry);
        lastChild[prefix] = (pixel << 12) | s.nextCode;
        ++s.nextCode;
        // The store may have landed where the early probe looked.
        readyEntry = slot == readySlot ? newEntry : readyEntry;
        prefix = pixel;
        nextIsReady = p + 1 < end;
    }
    s.prefix = prefix;
    return s;
}

// The rare steps of a wide frame, one pixel at a time: the search that went
// past its pair, and new strings that widen the codes or hit the code limit.
TLZWEncoder::TState TLZWEncoder::WideStep(TState s, uint32_t pixel)
{
    TPairTable& pairs = tables_->pairs;
    int slot = 0;
    const int code = pairs.Find(s.prefix, pixel, slot);
    if (code >= 0) {
        s.prefix = static_cast<uint32_t>(code);
        return s;
    }
    s = PutString(s, s.prefix);
    if (s.nextCode < kCodeLimit) {
        pairs.Store(slot, s.prefix, pixel, s.nextCode);
        tables_->lastChild[s.prefix] = (pixel << 12) | s.nextCode;
        ++s.nextCode;
    } else {
        s = Clear(s);
    }
    s.prefix = pixel;
    return s;
}

// The inner loop of a wide frame. A string ends, on photographs and noise,
// every second or third pixel and at random, which no branch predictor
// guesses; so every pixel takes the same branch-free step: look the key up
// in its pair of slots, output the prefix and store the new string, both
// made void when the key was found (no bits, a store to the discard slot).
// The chain from one pixel to the next is then an xor, a load and two
// selects.
template <TLZWEncoder::TRowKind kKind>
TLZWEncoder::TState TLZWEncoder::EncodeWideRow(TState s, const uint8_t* p, const uint8_t* end)
{
    TPairTable& pairs = tables_->pairs;
    uint32_t* const lastChild = tables_->lastChild;
    TGIFWriter& writer = output_.writer;
    const uint8_t* const blockEnd = writer.BlockEnd();
    // Pixels are below the clear code, strings at or above the base code.
    const uint32_t baseCode = static_cast<uint32_t>(output_.baseCode);
    uint32_t prefix = s.prefix;
    for (; p < end; ++p) {
        const uint32_t pixel = *p;
        if constexpr (kKind == TRowKind::LongStrings) {
            const uint32_t cached = lastChild[prefix];
            if ((cached >> 12) == pixel) {
                prefix = cached & 0xFFF;
                continue;
            }
        }
        if (s.nextCode > s.plainLimit) [[unlikely]] {
            s.prefix = prefix;
            s = WideStep(s, pixel);
            prefix = s.prefix;
            continue;
        }
        const uint32_t pair = TPairTable::PairOf(prefix, pixel);
        const uint32_t entryKey = TPairTable::EntryKey(prefix, pixel);
        const uint32_t first = pairs.At(static_cast<int>(2 * pair));
        const uint32_t second = pairs.At(static_cast<int>(2 * pair + 1));
        // The entry that holds the key, else the pixel (see Holds).
        uint32_t next = SelectBelow(second ^ entryKey, 4096, second, pixel);
        next = SelectBelow(first ^ entryKey, 4096, first, next);
        next &= 0xFFF;
        int slot = static_cast<int>(2 * pair) + static_cast<int>(first != TPairTable::kEmpty);
        // Not in a full pair: search on. One test of both conditions, since
        // the first alone is random.
        if (static_cast<int>(next == pixel) + static_cast<int>(second != TPairTable::kEmpty) == 2) [[unlikely]] {
            slot = static_cast<int>((2 * pair + 2) & (TPairTable::kSlots - 1));
            const int code = pairs.FindFrom(slot, entryKey);
            next = code >= 0 ? static_cast<uint32_t>(code) : pixel;
        }
        if constexpr (kKind == TRowKind::ShortStrings) {
            if (next >= baseCode) {
                prefix = next;
                continue;
            }
        }
        const bool found = next >= baseCode;
        // All bits set when the prefix ends here.
        const uint32_t ends = static_cast<uint32_t>(found) - 1;
        if constexpr (kKind == TRowKind::LongStrings)
            lastChild[prefix] = (pixel << 12) | (found ? next : s.nextCode);

        s.bits |= static_cast<uint64_t>(prefix & ends) << s.pending;
        s.pending += s.codeSize & static_cast<int>(ends);
        s.strings -= static_cast<int>(ends);
        // The low word is stored whether complete or not; the tail moves
        // past it once it is complete.
        StoreLE32(s.tail, static_cast<uint32_t>(s.bits));
        const int full = s.pending >> 5;
        s.tail += 4 * full;
        s.bits >>= 32 * full;
        s.pending &= 31;
        if (s.tail >= blockEnd) [[unlikely]]
            s.tail = writer.Commit(s.tail);

        pairs.Put(static_cast<int>(SelectBelow(next, baseCode, static_cast<uint32_t>(slot), TPairTable::kDiscard)),
                  entryKey | s.nextCode);
        s.nextCode -= ends;
        prefix = next;
    }
    s.prefix = prefix;
    return s;
}

void TLZWEncoder::Compress(TPixelCursor& cursor)
{
    // From minimum code size 7 a generation holds at most 4094 - 130 + 1
    // strings, fewer than THashTable's safe 4003, so its full-cycle clear
    // cannot happen and the pair table gives the same output. Small frames
    // keep THashTable, whose loop does better on the few rows they have.
    wide_ = output_.minCodeSize >= 7 && cursor.PixelCount() >= kWidePixels;
    tables_->Reset(wide_);
    TGIFWriter& writer = output_.writer;
    TState s = Clear({output_.bits, output_.pending, output_.codeSize, 0, 0, 0, 0, 0, writer.Tail()}, false);
    const int width = cursor.Width();
    const uint8_t* row = cursor.NextRow();
    s.prefix = row[0];
    const uint8_t* p = row + 1;
    TRowKind kind = TRowKind::Mixed;
    for (;;) {
        s.strings = 0;
        const uint8_t* const end = row + width;
        if (!wide_)
            s = kind == TRowKind::LongStrings ? EncodeRow<true>(s, p, end) : EncodeRow<false>(s, p, end);
        else if (kind == TRowKind::LongStrings)
            s = EncodeWideRow<TRowKind::LongStrings>(s, p, end);
        else if (kind == TRowKind::ShortStrings)
            s = EncodeWideRow<TRowKind::ShortStrings>(s, p, end);
        else
            s = EncodeWideRow<TRowKind::Mixed>(s, p, end);
        if (s.strings * kLongStrings <= width)
            kind = TRowKind::LongStrings;
        else if (s.strings * 16 >= width * kShortStrings16)
            kind = TRowKind::ShortStrings;
        else
            kind = TRowKind::Mixed;
        // Committed per row, so that a row failing its check leaves the
        // bytes so far in the writer.
        s.tail = writer.Commit(s.tail);
        row = cursor.NextRow();
        if (row == nullptr)
            break;
        p = row;
    }
    s = PutString(s, s.prefix);
    writer.Commit(s.tail);

    output_.bits = s.bits;
    output_.pending = s.pending;
    output_.codeSize = s.codeSize;
}

} // namespace fl
