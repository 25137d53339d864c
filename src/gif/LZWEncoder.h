// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <memory>

#include "gif/GIFWriter.h"
#include "gif/HashTable.h"
#include "gif/PixelCursor.h"

namespace fl {

// Standard GIF LZW compression with a hashed string table. Starts with a
// clear code; when code 4094 has been assigned and another new string comes,
// it clears and starts a new table. The code width grows after a code is
// output once the next free code no longer fits, the timing every GIF
// decoder expects. Leaves the end code to the caller.
class TLZWEncoder {
public:
    explicit TLZWEncoder(TCodeOutput& output);
    ~TLZWEncoder();

    // Encodes every pixel of the cursor (at least one); once per encoder.
    void Compress(TPixelCursor& cursor);

private:
    struct TState;
    struct TTables;

    template <bool kTryLastChild> TState EncodeRow(TState s, const uint8_t* p, const uint8_t* end);
    // How the previous row went, which picks the loop for the next one.
    enum class TRowKind { Mixed, LongStrings, ShortStrings };
    template <TRowKind kKind> TState EncodeWideRow(TState s, const uint8_t* p, const uint8_t* end);
    TState WideStep(TState s, uint32_t pixel);
    void Put(TState& s, uint32_t code);
    TState Clear(TState s, bool tablesUsed = true);
    TState PutString(TState s, uint32_t code);
    TState NewString(TState s, uint32_t key, int slot);

    TCodeOutput& output_;
    std::unique_ptr<TTables> tables_;
    // The frame uses the pair table instead of THashTable.
    bool wide_ = false;
};

} // namespace fl
