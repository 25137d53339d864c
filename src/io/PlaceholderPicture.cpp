// SPDX-License-Identifier: GPL-3.0-or-later
#include "io/PlaceholderPicture.h"

#include <cstring>
#include <string_view>

#include "platform/Bitmap.h"

namespace fl {

namespace {

// A 5 x 9 pixel font for the letters the placeholder uses: rows 0-6 hold
// capitals and digits, lowercase letters start at row 2 and descenders reach
// rows 7-8. No font service is needed, so the export runs anywhere the
// engine does. Each row is five characters, '#' set.
struct TGlyph {
    char Character;
    const char* Rows[9];
};

constexpr int kGlyphWidth = 5;
constexpr int kGlyphHeight = 9;
constexpr int kAdvance = 6;

constexpr TGlyph kGlyphs[] = {
    {' ', {".....", ".....", ".....", ".....", ".....", ".....", ".....", ".....", "....."}},
    {'.', {".....", ".....", ".....", ".....", ".....", ".##..", ".##..", ".....", "....."}},
    {'0', {".###.", "#...#", "#..##", "#.#.#", "##..#", "#...#", ".###.", ".....", "....."}},
    {'3', {"#####", "...#.", "..#..", "...#.", "....#", "#...#", ".###.", ".....", "....."}},
    {'E', {"#####", "#....", "#....", "####.", "#....", "#....", "#####", ".....", "....."}},
    {'F', {"#####", "#....", "#....", "####.", "#....", "#....", "#....", ".....", "....."}},
    {'I', {".###.", "..#..", "..#..", "..#..", "..#..", "..#..", ".###.", ".....", "....."}},
    {'O', {".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###.", ".....", "....."}},
    {'Q', {".###.", "#...#", "#...#", "#...#", "#.#.#", "#..#.", ".##.#", ".....", "....."}},
    {'W', {"#...#", "#...#", "#...#", "#.#.#", "#.#.#", "##.##", "#...#", ".....", "....."}},
    {'a', {".....", ".....", ".###.", "....#", ".####", "#...#", ".####", ".....", "....."}},
    {'b', {"#....", "#....", "#.##.", "##..#", "#...#", "#...#", "####.", ".....", "....."}},
    {'e', {".....", ".....", ".###.", "#...#", "#####", "#....", ".###.", ".....", "....."}},
    {'g', {".....", ".....", ".####", "#...#", "#...#", "#...#", ".####", "....#", ".###."}},
    {'i', {"..#..", ".....", ".##..", "..#..", "..#..", "..#..", ".###.", ".....", "....."}},
    {'k', {"#....", "#....", "#..#.", "#.#..", "##...", "#.#..", "#..#.", ".....", "....."}},
    {'l', {".##..", "..#..", "..#..", "..#..", "..#..", "..#..", ".###.", ".....", "....."}},
    {'m', {".....", ".....", "##.#.", "#.#.#", "#.#.#", "#.#.#", "#.#.#", ".....", "....."}},
    {'n', {".....", ".....", "#.##.", "##..#", "#...#", "#...#", "#...#", ".....", "....."}},
    {'o', {".....", ".....", ".###.", "#...#", "#...#", "#...#", ".###.", ".....", "....."}},
    {'p', {".....", ".....", "####.", "#...#", "#...#", "#...#", "####.", "#....", "#...."}},
    {'r', {".....", ".....", "#.##.", "##..#", "#....", "#....", "#....", ".....", "....."}},
    {'t', {".#...", ".#...", "####.", ".#...", ".#...", ".#..#", "..##.", ".....", "....."}},
    {'u', {".....", ".....", "#...#", "#...#", "#...#", "#..##", ".##.#", ".....", "....."}},
    {'y', {".....", ".....", "#...#", "#...#", "#...#", "#...#", ".####", "....#", ".###."}},
};

// Characters without a glyph show as an outlined box.
constexpr TGlyph kUnknown = {
    '?', {"#####", "#...#", "#...#", "#...#", "#...#", "#...#", "#####", ".....", "....."}};

const TGlyph& GlyphFor(char character)
{
    for (const TGlyph& glyph : kGlyphs)
        if (glyph.Character == character)
            return glyph;
    return kUnknown;
}

// Draws black text with its top-left corner at (x, y) on a 24-bit bitmap,
// clipped to the bitmap.
void DrawText(TBitmap& bitmap, int x, int y, std::string_view text)
{
    for (const char character : text) {
        const TGlyph& glyph = GlyphFor(character);
        for (int row = 0; row < kGlyphHeight; ++row) {
            const int targetY = y + row;
            if (targetY < 0 || targetY >= bitmap.Height())
                continue;
            uint8_t* line = bitmap.ScanLine(targetY);
            for (int column = 0; column < kGlyphWidth; ++column) {
                const int targetX = x + column;
                if (glyph.Rows[row][column] == '#' && targetX >= 0 && targetX < bitmap.Width())
                    std::memset(line + size_t(targetX) * 3, 0, 3);
            }
        }
        x += kAdvance;
    }
}

} // namespace

std::unique_ptr<TBitmap> MakePlaceholderPicture()
{
    auto picture = std::make_unique<TBitmap>(125, 50, TPixelFormat::pf24bit);
    for (int y = 0; y < picture->Height(); ++y)
        std::memset(picture->ScanLine(y), 0xFF, size_t(picture->Width()) * 3);
    DrawText(*picture, 5, 5, "Error Writing Image");
    DrawText(*picture, 5, 20, "Output by Quillmark");
    DrawText(*picture, 5, 35, "Frameloom 3.0");
    return picture;
}

} // namespace fl
