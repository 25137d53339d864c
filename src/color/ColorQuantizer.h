// SPDX-License-Identifier: GPL-3.0-or-later
// Octree quantizer: each pixel descends one bit of red, green and blue per
// level; whenever there are more leaves than wanted, the most recently
// created inner node of the deepest level is folded into a leaf. The leaf
// averages are the palette.
#pragma once

#include "color/RowAccess.h"
#include "platform/Palette.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace fl {

struct TOctreeNode {
    bool IsLeaf = false;
    // 64 bits: a leaf of a large image easily passes 2^31 / 255 pixels.
    int64_t PixelCount = 0;
    int64_t RedSum = 0;
    int64_t GreenSum = 0;
    int64_t BlueSum = 0;
    TOctreeNode* NextReducible = nullptr;
    // Child i covers red, green, blue bits = bits 2, 1, 0 of i. Destroyed
    // from child 7 down to child 0 (reverse order of the array).
    std::array<std::unique_ptr<TOctreeNode>, 8> Children;
};

class TColorQuantizer {
public:
    // maxColors must be at least 1, colorBits 1..8; otherwise GIFException
    // "Invalid quantizer color count" / "Invalid quantizer color bits".
    TColorQuantizer(int maxColors, int colorBits);

    void AddPixelColor(uint8_t red, uint8_t green, uint8_t blue);
    // The same as adding the color `count` times in a row: after the first
    // one the path exists (or ends in a folded leaf), so no later one can
    // create a node or trigger a reduction.
    void AddPixelColor(uint8_t red, uint8_t green, uint8_t blue, int64_t count);
    // Adds every pixel, rows top to bottom, pixels left to right.
    bool ProcessImage(const TBGRRowSource& source);

    // The leaf averages (truncated; black for an empty leaf), depth first,
    // children 0..7: ordered by the interleaved red, green, blue bits.
    std::vector<TPaletteEntry> CollectLeafColors() const;

    int LeafCount() const { return FLeafCount; }
    const TOctreeNode* Root() const { return FRoot.get(); }

private:
    void ReduceDeepestNode();
    void ReduceWhileTooMany();

    std::unique_ptr<TOctreeNode> FRoot;
    int FLeafCount = 0;
    std::array<TOctreeNode*, 8> FReducible{};
    int FMaxColors;
    int FColorBits;
};

// A palette of colorCount entries (1..256) quantized from the image. With
// addSystemColors the palette has 256 entries: the first ten system colors,
// 236 quantized colors, the last ten system colors (colorCount is ignored).
// Entries the tree has no leaf for are black. Raises GIFException
// "Invalid quantizer color count" for a count outside 1..256.
TPaletteHandle BuildQuantizedPalette(const TBGRRowSource& source, int colorCount, int colorBits,
                                     bool addSystemColors);

} // namespace fl
