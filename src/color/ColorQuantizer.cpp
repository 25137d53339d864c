// SPDX-License-Identifier: GPL-3.0-or-later
#include "color/ColorQuantizer.h"

#include "color/FixedPalettes.h"
#include "platform/GIFException.h"

#include <algorithm>

namespace fl {

TColorQuantizer::TColorQuantizer(int maxColors, int colorBits) : FMaxColors(maxColors), FColorBits(colorBits)
{
    // With no color allowed the reduction would find nothing left to fold.
    if (maxColors < 1)
        throw GIFException("Invalid quantizer color count");
    if (colorBits < 1 || colorBits > 8)
        throw GIFException("Invalid quantizer color bits");
}

void TColorQuantizer::AddPixelColor(uint8_t red, uint8_t green, uint8_t blue)
{
    AddPixelColor(red, green, blue, 1);
}

void TColorQuantizer::AddPixelColor(uint8_t red, uint8_t green, uint8_t blue, int64_t count)
{
    std::unique_ptr<TOctreeNode>* slot = &FRoot;
    for (int level = 0;; ++level) {
        if (!*slot) {
            *slot = std::make_unique<TOctreeNode>();
            TOctreeNode& created = **slot;
            if (level == FColorBits) {
                created.IsLeaf = true;
                ++FLeafCount;
            } else {
                created.NextReducible = FReducible[level];
                FReducible[level] = &created;
            }
        }
        TOctreeNode& node = **slot;
        if (node.IsLeaf) {
            node.PixelCount += count;
            node.RedSum += int64_t(red) * count;
            node.GreenSum += int64_t(green) * count;
            node.BlueSum += int64_t(blue) * count;
            break;
        }
        const int shift = 7 - level;
        const int mask = 0x80 >> level;
        const int child =
            ((red & mask) >> shift) * 4 + ((green & mask) >> shift) * 2 + ((blue & mask) >> shift);
        slot = &node.Children[child];
    }
    ReduceWhileTooMany();
}

void TColorQuantizer::ReduceWhileTooMany()
{
    while (FLeafCount > FMaxColors)
        ReduceDeepestNode();
}

void TColorQuantizer::ReduceDeepestNode()
{
    int level = FColorBits - 1;
    while (level > 0 && !FReducible[level])
        --level;
    TOctreeNode* node = FReducible[level];
    // Only reachable when everything is already one leaf, which maxColors >= 1 rules out.
    if (!node)
        return;
    FReducible[level] = node->NextReducible;
    node->NextReducible = nullptr;

    int64_t red = 0, green = 0, blue = 0;
    int merged = 0;
    for (auto& child : node->Children) {
        if (!child)
            continue;
        red += child->RedSum;
        green += child->GreenSum;
        blue += child->BlueSum;
        node->PixelCount += child->PixelCount;
        child.reset();
        ++merged;
    }
    node->IsLeaf = true;
    node->RedSum = red;
    node->GreenSum = green;
    node->BlueSum = blue;
    FLeafCount -= merged - 1;
}

bool TColorQuantizer::ProcessImage(const TBGRRowSource& source)
{
    for (int y = 0; y < source.Height; ++y) {
        const uint8_t* p = source.Row(y);
        for (int x = 0; x < source.Width; ++x, p += 3)
            AddPixelColor(p[2], p[1], p[0]);
    }
    return true;
}

namespace {

void CollectFrom(const TOctreeNode& node, std::vector<TPaletteEntry>& out)
{
    if (node.IsLeaf) {
        TPaletteEntry entry;
        if (node.PixelCount != 0) {
            entry.red = uint8_t(node.RedSum / node.PixelCount);
            entry.green = uint8_t(node.GreenSum / node.PixelCount);
            entry.blue = uint8_t(node.BlueSum / node.PixelCount);
        }
        out.push_back(entry);
        return;
    }
    for (const auto& child : node.Children)
        if (child)
            CollectFrom(*child, out);
}

} // namespace

std::vector<TPaletteEntry> TColorQuantizer::CollectLeafColors() const
{
    std::vector<TPaletteEntry> colors;
    colors.reserve(size_t(FLeafCount));
    if (FRoot)
        CollectFrom(*FRoot, colors);
    return colors;
}

TPaletteHandle BuildQuantizedPalette(const TBGRRowSource& source, int colorCount, int colorBits,
                                     bool addSystemColors)
{
    if (colorCount < 1 || colorCount > 256)
        throw GIFException("Invalid quantizer color count");
    auto palette = std::make_shared<TPalette>();
    size_t first = 0;
    if (addSystemColors) {
        const auto& system = StockDefaultPalette()->Entries;
        colorCount = 236;
        first = 10;
        palette->Entries.resize(256);
        std::copy_n(system.begin(), 10, palette->Entries.begin());
        std::copy_n(system.begin() + 10, 10, palette->Entries.begin() + 246);
    } else {
        palette->Entries.resize(size_t(colorCount));
    }

    TColorQuantizer quantizer(colorCount, colorBits);
    quantizer.ProcessImage(source);
    const std::vector<TPaletteEntry> colors = quantizer.CollectLeafColors();
    // Fewer leaves than entries leave the rest black.
    const size_t used = std::min(colors.size(), size_t(colorCount));
    std::copy_n(colors.begin(), used, palette->Entries.begin() + std::ptrdiff_t(first));
    return palette;
}

} // namespace fl
