// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/GiflibBridge.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <stdexcept>

#include "gif/Extensions.h"

namespace fl::test {

namespace {

struct MemoryReader {
    const std::vector<uint8_t>* bytes;
    size_t position = 0;
};

int ReadFromMemory(GifFileType* gif, GifByteType* buffer, int count)
{
    auto* reader = static_cast<MemoryReader*>(gif->UserData);
    const size_t n = std::min(static_cast<size_t>(count), reader->bytes->size() - reader->position);
    std::memcpy(buffer, reader->bytes->data() + reader->position, n);
    reader->position += n;
    return static_cast<int>(n);
}

int WriteToMemory(GifFileType* gif, const GifByteType* buffer, int count)
{
    auto* out = static_cast<std::vector<uint8_t>*>(gif->UserData);
    out->insert(out->end(), buffer, buffer + count);
    return count;
}

std::string ErrorText(int code)
{
    const char* text = GifErrorString(code);
    return text ? text : "giflib error " + std::to_string(code);
}

RefColorTable FromGiflib(const ColorMapObject& map)
{
    RefColorTable table;
    for (int i = 0; i < map.ColorCount; ++i)
        table.push_back({map.Colors[i].Red, map.Colors[i].Green, map.Colors[i].Blue});
    return table;
}

std::vector<RefBlock> FromGiflib(const ExtensionBlock* blocks, int count)
{
    std::vector<RefBlock> out;
    for (int i = 0; i < count; ++i)
        out.push_back({blocks[i].Function, std::vector<uint8_t>(blocks[i].Bytes, blocks[i].Bytes + blocks[i].ByteCount)});
    return out;
}

// giflib copies the maps it is given; this one only lives for the call.
struct MapDeleter {
    void operator()(ColorMapObject* map) const { GifFreeMapObject(map); }
};
using MapPtr = std::unique_ptr<ColorMapObject, MapDeleter>;

MapPtr ToGiflib(const std::optional<RefColorTable>& table, bool sorted)
{
    if (!table)
        return nullptr;
    std::vector<GifColorType> colors;
    for (const RefColor& c : *table)
        colors.push_back({c.red, c.green, c.blue});
    MapPtr map(GifMakeMapObject(static_cast<int>(colors.size()), colors.data()));
    if (!map)
        throw std::runtime_error("giflib refuses a color table of " + std::to_string(colors.size()) + " entries");
    map->SortFlag = sorted;
    return map;
}

void Check(int status, GifFileType* gif, const char* what)
{
    if (status == GIF_ERROR)
        throw std::runtime_error(std::string(what) + ": " + ErrorText(gif->Error));
}

void PutExtensions(GifFileType* gif, const std::vector<RefBlock>& blocks)
{
    bool open = false;
    for (const RefBlock& block : blocks) {
        if (block.function != CONTINUE_EXT_FUNC_CODE) {
            if (open)
                Check(EGifPutExtensionTrailer(gif), gif, "EGifPutExtensionTrailer");
            Check(EGifPutExtensionLeader(gif, block.function), gif, "EGifPutExtensionLeader");
            open = true;
        }
        if (!open)
            throw std::runtime_error("continuation block without an extension");
        Check(EGifPutExtensionBlock(gif, static_cast<int>(block.bytes.size()), block.bytes.data()), gif,
              "EGifPutExtensionBlock");
    }
    if (open)
        Check(EGifPutExtensionTrailer(gif), gif, "EGifPutExtensionTrailer");
}

// Rows in the order an interlaced stream carries them.
std::vector<int> RowOrder(int height, bool interlace)
{
    std::vector<int> rows;
    if (!interlace) {
        for (int y = 0; y < height; ++y)
            rows.push_back(y);
        return rows;
    }
    static const int start[] = {0, 4, 2, 1};
    static const int step[] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
        for (int y = start[pass]; y < height; y += step[pass])
            rows.push_back(y);
    return rows;
}

// A color table as our writer pads it.
std::optional<RefColorTable> AsWritten(const TGIFColorMap& colors)
{
    if (colors.Count() == 0)
        return std::nullopt;
    RefColorTable table(static_cast<size_t>(1) << colors.Depth());
    for (int i = 0; i < colors.Count(); ++i)
        table[static_cast<size_t>(i)] = {colors.Data()[3 * i], colors.Data()[3 * i + 1], colors.Data()[3 * i + 2]};
    return table;
}

void AddLines(std::vector<RefBlock>& blocks, int function, const TGIFLines& lines)
{
    for (const std::string& line : lines)
        for (size_t offset = 0; offset < line.size(); offset += 255) {
            const size_t n = std::min<size_t>(255, line.size() - offset);
            blocks.push_back({function, std::vector<uint8_t>(line.begin() + long(offset),
                                                             line.begin() + long(offset + n))});
            function = CONTINUE_EXT_FUNC_CODE;
        }
}

std::vector<RefBlock> AsWritten(const TGIFExtension& extension)
{
    std::vector<RefBlock> blocks;
    if (auto* control = dynamic_cast<const TGIFGraphicControlExtension*>(&extension)) {
        blocks.push_back({GRAPHICS_EXT_FUNC_CODE,
                          {control->ControlFlags, uint8_t(control->Delay), uint8_t(control->Delay >> 8),
                           control->TransparentIndex()}});
    } else if (auto* comment = dynamic_cast<const TGIFCommentExtension*>(&extension)) {
        AddLines(blocks, COMMENT_EXT_FUNC_CODE, comment->Lines);
    } else if (auto* text = dynamic_cast<const TGIFTextExtension*>(&extension)) {
        blocks.push_back({PLAINTEXT_EXT_FUNC_CODE,
                          {uint8_t(text->GridLeft), uint8_t(text->GridLeft >> 8), uint8_t(text->GridTop),
                           uint8_t(text->GridTop >> 8), uint8_t(text->GridWidth), uint8_t(text->GridWidth >> 8),
                           uint8_t(text->GridHeight), uint8_t(text->GridHeight >> 8), text->CellWidth,
                           text->CellHeight, text->ForegroundIndex, text->BackgroundIndex}});
        AddLines(blocks, CONTINUE_EXT_FUNC_CODE, text->Lines);
    } else if (auto* app = dynamic_cast<const TGIFApplicationExtension*>(&extension)) {
        blocks.push_back({APPLICATION_EXT_FUNC_CODE, std::vector<uint8_t>(app->AppId.begin(), app->AppId.end())});
        if (auto* loop = dynamic_cast<const TGIFAppExtNSLoop*>(app)) {
            blocks.push_back({CONTINUE_EXT_FUNC_CODE, {1, uint8_t(loop->LoopCount), uint8_t(loop->LoopCount >> 8)}});
            if (loop->BufferSize != 0)
                blocks.push_back({CONTINUE_EXT_FUNC_CODE,
                                  {2, uint8_t(loop->BufferSize), uint8_t(loop->BufferSize >> 8),
                                   uint8_t(loop->BufferSize >> 16), uint8_t(loop->BufferSize >> 24)}});
        } else if (auto* unknown = dynamic_cast<const TGIFUnknownAppExtension*>(app)) {
            for (const TGIFBlock& block : unknown->DataBlocks)
                blocks.push_back({CONTINUE_EXT_FUNC_CODE, block.Data});
        }
    }
    return blocks;
}

testing::AssertionResult SameTable(const std::optional<RefColorTable>& expected,
                                   const std::optional<RefColorTable>& actual, const std::string& where)
{
    if (expected.has_value() != actual.has_value())
        return testing::AssertionFailure() << where << (actual ? " has a color table" : " has no color table");
    if (!expected)
        return testing::AssertionSuccess();
    if (expected->size() != actual->size())
        return testing::AssertionFailure() << where << ": " << actual->size() << " colors, expected "
                                           << expected->size();
    for (size_t i = 0; i < expected->size(); ++i)
        if (!((*expected)[i] == (*actual)[i]))
            return testing::AssertionFailure() << where << ": color " << i << " differs";
    return testing::AssertionSuccess();
}

testing::AssertionResult SameBlocks(const std::vector<RefBlock>& expected, const std::vector<RefBlock>& actual,
                                    const std::string& where)
{
    if (expected.size() != actual.size())
        return testing::AssertionFailure() << where << ": " << actual.size() << " extension blocks, expected "
                                           << expected.size();
    for (size_t i = 0; i < expected.size(); ++i) {
        if (expected[i].function != actual[i].function)
            return testing::AssertionFailure() << where << ": block " << i << " has function "
                                               << actual[i].function << ", expected " << expected[i].function;
        if (expected[i].bytes != actual[i].bytes)
            return testing::AssertionFailure() << where << ": block " << i << " (function " << expected[i].function
                                               << ") has other bytes (" << actual[i].bytes.size() << " bytes, "
                                               << expected[i].bytes.size() << " expected)";
    }
    return testing::AssertionSuccess();
}

} // namespace

bool DecodeWithGiflib(const std::vector<uint8_t>& bytes, RefGif& out, std::string& error)
{
    MemoryReader reader{&bytes};
    int code = 0;
    GifFileType* gif = DGifOpen(&reader, ReadFromMemory, &code);
    if (!gif) {
        error = ErrorText(code);
        return false;
    }
    const bool ok = DGifSlurp(gif) == GIF_OK;
    if (!ok) {
        error = ErrorText(gif->Error);
    } else {
        out = RefGif{};
        out.width = gif->SWidth;
        out.height = gif->SHeight;
        out.colorResolution = gif->SColorResolution;
        out.background = gif->SBackGroundColor;
        out.aspect = gif->AspectByte;
        if (gif->SColorMap) {
            out.colors = FromGiflib(*gif->SColorMap);
            out.sorted = gif->SColorMap->SortFlag;
        }
        for (int i = 0; i < gif->ImageCount; ++i) {
            const SavedImage& saved = gif->SavedImages[i];
            RefImage image;
            image.left = saved.ImageDesc.Left;
            image.top = saved.ImageDesc.Top;
            image.width = saved.ImageDesc.Width;
            image.height = saved.ImageDesc.Height;
            image.interlace = saved.ImageDesc.Interlace;
            if (saved.ImageDesc.ColorMap) {
                image.colors = FromGiflib(*saved.ImageDesc.ColorMap);
                image.sorted = saved.ImageDesc.ColorMap->SortFlag;
            }
            const size_t count = static_cast<size_t>(image.width) * static_cast<size_t>(image.height);
            image.pixels.assign(saved.RasterBits, saved.RasterBits + count);
            image.extensions = FromGiflib(saved.ExtensionBlocks, saved.ExtensionBlockCount);
            out.images.push_back(std::move(image));
        }
        out.trailing = FromGiflib(gif->ExtensionBlocks, gif->ExtensionBlockCount);
    }
    DGifCloseFile(gif, &code);
    return ok;
}

std::vector<uint8_t> EncodeWithGiflib(const RefGif& description)
{
    std::vector<uint8_t> bytes;
    int code = 0;
    GifFileType* gif = EGifOpen(&bytes, WriteToMemory, &code);
    if (!gif)
        throw std::runtime_error("EGifOpen: " + ErrorText(code));
    try {
        EGifSetGifVersion(gif, true);
        gif->AspectByte = description.aspect;
        const MapPtr global = ToGiflib(description.colors, description.sorted);
        Check(EGifPutScreenDesc(gif, description.width, description.height, description.colorResolution,
                                description.background, global.get()),
              gif, "EGifPutScreenDesc");
        for (const RefImage& image : description.images) {
            PutExtensions(gif, image.extensions);
            const MapPtr local = ToGiflib(image.colors, image.sorted);
            // giflib 5.2 forgets, without freeing it, its copy of the previous
            // image's local table when this image has none.
            if (!local && gif->Image.ColorMap) {
                GifFreeMapObject(gif->Image.ColorMap);
                gif->Image.ColorMap = nullptr;
            }
            Check(EGifPutImageDesc(gif, image.left, image.top, image.width, image.height, image.interlace,
                                   local.get()),
                  gif, "EGifPutImageDesc");
            std::vector<GifPixelType> row(static_cast<size_t>(image.width));
            for (int y : RowOrder(image.height, image.interlace)) {
                // giflib masks the line it is given in place.
                std::copy_n(image.pixels.begin() + long(y) * image.width, image.width, row.begin());
                Check(EGifPutLine(gif, row.data(), image.width), gif, "EGifPutLine");
            }
        }
        PutExtensions(gif, description.trailing);
    } catch (...) {
        EGifCloseFile(gif, &code);
        throw;
    }
    if (EGifCloseFile(gif, &code) == GIF_ERROR)
        throw std::runtime_error("EGifCloseFile: " + ErrorText(code));
    return bytes;
}

RefGif DescribeAsWritten(const TGIFImage& image)
{
    RefGif out;
    const TGIFHeader& header = image.Header;
    out.width = header.ScreenWidth;
    out.height = header.ScreenHeight;
    out.colorResolution = ((header.ScreenFlags >> 4) & 7) + 1;
    out.background = header.BackgroundIndex;
    out.aspect = header.AspectRatio;
    out.colors = AsWritten(header.GlobalColors);
    out.sorted = out.colors && header.GlobalColors.Sorted();
    std::vector<RefBlock> pending;
    for (const auto& frame : image.Frames) {
        for (const auto& extension : frame->Extensions) {
            const std::vector<RefBlock> blocks = AsWritten(*extension);
            pending.insert(pending.end(), blocks.begin(), blocks.end());
        }
        if (frame->IsEmpty())
            continue;
        RefImage ref;
        ref.left = frame->Left();
        ref.top = frame->Top();
        ref.width = frame->Width();
        ref.height = frame->Height();
        ref.interlace = frame->Interlaced();
        ref.colors = AsWritten(frame->LocalColors);
        ref.sorted = ref.colors && frame->LocalColors.Sorted();
        ref.pixels.assign(frame->Pixels(), frame->Pixels() + frame->PixelBytes());
        ref.extensions = std::move(pending);
        pending.clear();
        out.images.push_back(std::move(ref));
    }
    out.trailing = std::move(pending);
    return out;
}

testing::AssertionResult SameRef(const RefGif& expected, const RefGif& actual)
{
    if (expected.width != actual.width || expected.height != actual.height)
        return testing::AssertionFailure() << "screen " << actual.width << "x" << actual.height << ", expected "
                                           << expected.width << "x" << expected.height;
    if (expected.colorResolution != actual.colorResolution)
        return testing::AssertionFailure() << "color resolution " << actual.colorResolution << ", expected "
                                           << expected.colorResolution;
    if (expected.background != actual.background || expected.aspect != actual.aspect)
        return testing::AssertionFailure() << "background " << actual.background << " aspect " << int(actual.aspect)
                                           << ", expected " << expected.background << " aspect "
                                           << int(expected.aspect);
    if (auto same = SameTable(expected.colors, actual.colors, "global table"); !same)
        return same;
    if (expected.sorted != actual.sorted)
        return testing::AssertionFailure() << "global sort flag " << actual.sorted;
    if (expected.images.size() != actual.images.size())
        return testing::AssertionFailure() << actual.images.size() << " images, expected " << expected.images.size();
    for (size_t i = 0; i < expected.images.size(); ++i) {
        const RefImage& e = expected.images[i];
        const RefImage& a = actual.images[i];
        const std::string where = "image " + std::to_string(i);
        if (e.left != a.left || e.top != a.top || e.width != a.width || e.height != a.height)
            return testing::AssertionFailure() << where << ": geometry " << a.left << "," << a.top << " " << a.width
                                               << "x" << a.height << ", expected " << e.left << "," << e.top << " "
                                               << e.width << "x" << e.height;
        if (e.interlace != a.interlace)
            return testing::AssertionFailure() << where << ": interlace " << a.interlace;
        if (auto same = SameTable(e.colors, a.colors, where + " local table"); !same)
            return same;
        if (e.sorted != a.sorted)
            return testing::AssertionFailure() << where << ": local sort flag " << a.sorted;
        if (e.pixels != a.pixels) {
            if (e.pixels.size() != a.pixels.size())
                return testing::AssertionFailure() << where << ": " << a.pixels.size() << " pixels, expected "
                                                   << e.pixels.size();
            const auto diff = std::mismatch(e.pixels.begin(), e.pixels.end(), a.pixels.begin());
            const long index = diff.first - e.pixels.begin();
            return testing::AssertionFailure() << where << ": pixel " << index % e.width << "," << index / e.width
                                               << " is " << int(*diff.second) << ", expected " << int(*diff.first);
        }
        if (auto same = SameBlocks(e.extensions, a.extensions, where); !same)
            return same;
    }
    return SameBlocks(expected.trailing, actual.trailing, "after the last image");
}

} // namespace fl::test
