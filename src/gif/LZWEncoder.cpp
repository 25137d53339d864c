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

// One block, so the loop needs a single base pointer for both.
struct TLZWEncoder::TTables {
    THashTable table;
    // The last child looked up or made for every code: pixel << 12 | child
    // code, all bits set when none. Runs and repeated patterns extend the
    // same strings again and again; this answers them with one load instead
    // of a hash and a probe. It only repeats what the table holds, so the
    // output does not depend on it; it is reset with the table.
    uint32_t lastChild[kCodes];
};

// The table comes empty from its constructor; the last children are filled
// here rather than value-initialized, so that a small frame pays for one
// fill of each.
TLZWEncoder::TLZWEncoder(TCodeOutput& output)
    : output_(output), tables_(std::make_unique_for_overwrite<TTables>())
{
    std::memset(tables_->lastChild, 0xFF, sizeof(tables_->lastChild));
}

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

void TLZWEncoder::Compress(TPixelCursor& cursor)
{
    TGIFWriter& writer = output_.writer;
    TState s = Clear({output_.bits, output_.pending, output_.codeSize, 0, 0, 0, 0, 0, writer.Tail()}, false);
    const int width = cursor.Width();
    const uint8_t* row = cursor.NextRow();
    s.prefix = row[0];
    const uint8_t* p = row + 1;
    bool longStrings = false;
    for (;;) {
        s.strings = 0;
        s = longStrings ? EncodeRow<true>(s, p, row + width) : EncodeRow<false>(s, p, row + width);
        longStrings = s.strings * kLongStrings <= width;
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
