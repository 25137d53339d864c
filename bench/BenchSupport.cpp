// SPDX-License-Identifier: GPL-3.0-or-later
#include "BenchSupport.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <sstream>
#include <stdexcept>
#include <unistd.h>

#include "gif/GIFImage.h"

namespace fl::bench {

namespace {

struct TMemoryReader {
    const uint8_t* Data;
    size_t Size;
    size_t Position;
};

int ReadMemory(GifFileType* gif, GifByteType* buffer, int count)
{
    auto* reader = static_cast<TMemoryReader*>(gif->UserData);
    if (!reader || count <= 0)
        return 0;
    const size_t n = std::min(static_cast<size_t>(count), reader->Size - reader->Position);
    std::memcpy(buffer, reader->Data + reader->Position, n);
    reader->Position += n;
    return static_cast<int>(n);
}

int WriteMemory(GifFileType* gif, const GifByteType* buffer, int count)
{
    auto* out = static_cast<std::vector<uint8_t>*>(gif->UserData);
    out->insert(out->end(), buffer, buffer + count);
    return count;
}

[[noreturn]] void Fail(const char* what, int error)
{
    const char* message = GifErrorString(error);
    throw std::runtime_error(std::string(what) + ": " + (message ? message : "unknown giflib error"));
}

// Writes extension blocks as DGifSlurp stores them: a block with a function
// code opens an extension, CONTINUE_EXT_FUNC_CODE blocks add sub-blocks to it.
bool PutExtensions(GifFileType* gif, int count, const ExtensionBlock* blocks)
{
    bool open = false;
    for (int i = 0; i < count; ++i) {
        const ExtensionBlock& block = blocks[i];
        if (block.Function != CONTINUE_EXT_FUNC_CODE) {
            if (open && EGifPutExtensionTrailer(gif) == GIF_ERROR)
                return false;
            if (EGifPutExtensionLeader(gif, block.Function) == GIF_ERROR)
                return false;
            open = true;
        }
        if (open && EGifPutExtensionBlock(gif, block.ByteCount, block.Bytes) == GIF_ERROR)
            return false;
    }
    return !open || EGifPutExtensionTrailer(gif) != GIF_ERROR;
}

bool HasExtensions(const GifFileType& gif)
{
    if (gif.ExtensionBlockCount > 0)
        return true;
    for (int i = 0; i < gif.ImageCount; ++i)
        if (gif.SavedImages[i].ExtensionBlockCount > 0)
            return true;
    return false;
}

bool PutFrame(GifFileType* gif, SavedImage& image)
{
    const GifImageDesc& desc = image.ImageDesc;
    if (!PutExtensions(gif, image.ExtensionBlockCount, image.ExtensionBlocks))
        return false;
    if (EGifPutImageDesc(gif, desc.Left, desc.Top, desc.Width, desc.Height, desc.Interlace, desc.ColorMap) ==
        GIF_ERROR)
        return false;
    const int width = desc.Width;
    const int height = desc.Height;
    if (width <= 0 || height <= 0)
        return true;
    if (!desc.Interlace)
        return EGifPutLine(gif, image.RasterBits, width * height) != GIF_ERROR;
    // DGifSlurp stores interlaced frames in display order; the stream wants
    // the rows pass by pass.
    static constexpr int kStart[4] = {0, 4, 2, 1};
    static constexpr int kStep[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
        for (int y = kStart[pass]; y < height; y += kStep[pass])
            if (EGifPutLine(gif, image.RasterBits + static_cast<size_t>(y) * static_cast<size_t>(width),
                            width) == GIF_ERROR)
                return false;
    return true;
}

struct TFrameView {
    int Left, Top, Width, Height;
    const uint8_t* Pixels;
};

std::string CompareFrame(int index, const TFrameView& expected, const TFrameView& actual)
{
    const std::string where = "frame " + std::to_string(index) + ": ";
    if (expected.Left != actual.Left || expected.Top != actual.Top || expected.Width != actual.Width ||
        expected.Height != actual.Height)
        return where + "geometry differs";
    const size_t count = static_cast<size_t>(expected.Width) * static_cast<size_t>(expected.Height);
    if (count == 0)
        return {};
    if (!expected.Pixels || !actual.Pixels)
        return where + "pixels missing";
    if (std::memcmp(expected.Pixels, actual.Pixels, count) != 0) {
        size_t at = 0;
        while (expected.Pixels[at] == actual.Pixels[at])
            ++at;
        return where + "pixel " + std::to_string(at) + " is " + std::to_string(actual.Pixels[at]) +
               ", expected " + std::to_string(expected.Pixels[at]);
    }
    return {};
}

TFrameView View(const SavedImage& image)
{
    const GifImageDesc& desc = image.ImageDesc;
    return {desc.Left, desc.Top, desc.Width, desc.Height, image.RasterBits};
}

} // namespace

const std::filesystem::path& ScratchFolder(const std::string& name)
{
    struct TScratch {
        std::map<std::string, std::filesystem::path> Folders;
        ~TScratch()
        {
            std::error_code ignored;
            for (const auto& [key, folder] : Folders)
                std::filesystem::remove_all(folder, ignored);
        }
    };
    static TScratch scratch;
    auto [at, made] = scratch.Folders.try_emplace(name);
    if (made) {
        at->second = std::filesystem::temp_directory_path() /
                     ("fl_bench_" + name + "_" + std::to_string(getpid()));
        std::filesystem::create_directories(at->second);
    }
    return at->second;
}

std::string FindInPath(const std::string& name)
{
    const char* path = std::getenv("PATH");
    std::istringstream dirs(path ? path : "");
    for (std::string dir; std::getline(dirs, dir, ':');) {
        const std::filesystem::path candidate = std::filesystem::path(dir.empty() ? "." : dir) / name;
        if (access(candidate.c_str(), X_OK) == 0 && std::filesystem::is_regular_file(candidate))
            return candidate.string();
    }
    return {};
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

std::string Fixed(std::optional<double> value, int decimals)
{
    if (!value)
        return "-";
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, *value);
    return text;
}

std::optional<double> Ratio(std::optional<double> ours, std::optional<double> theirs)
{
    if (!ours || !theirs || *theirs <= 0)
        return std::nullopt;
    return *ours / *theirs;
}

std::string Describe(const std::exception_ptr& error)
{
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "unknown exception";
    }
}

std::string CorpusDir()
{
    if (const char* dir = std::getenv("FL_BENCH_CORPUS"); dir && *dir)
        return dir;
    return FL_SHARED_DIR "/corpus";
}

std::vector<TCorpusFile> CorpusFiles()
{
    namespace fs = std::filesystem;
    std::vector<TCorpusFile> files;
    const fs::path root = CorpusDir();
    for (const char* folder : {"animated", "animated/unoptimized", "still"}) {
        std::error_code error;
        std::vector<TCorpusFile> found;
        for (const auto& entry : fs::directory_iterator(root / folder, error)) {
            if (!entry.is_regular_file() || entry.path().extension() != ".gif")
                continue;
            found.push_back(
                {std::string(folder) + "/" + entry.path().filename().string(), entry.path().string()});
        }
        std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.Name < b.Name; });
        files.insert(files.end(), found.begin(), found.end());
    }
    return files;
}

void TGifFileCloser::operator()(GifFileType* gif) const
{
    int error = 0;
    DGifCloseFile(gif, &error);
}

TGifFile GiflibDecode(const uint8_t* data, size_t size)
{
    TMemoryReader reader{data, size, 0};
    int error = 0;
    TGifFile gif(DGifOpen(&reader, ReadMemory, &error));
    if (!gif)
        Fail("DGifOpen", error);
    const int status = DGifSlurp(gif.get());
    gif->UserData = nullptr; // the reader goes out of scope
    if (status == GIF_ERROR)
        Fail("DGifSlurp", gif->Error);
    return gif;
}

void GiflibEncode(GifFileType& source, std::vector<uint8_t>& out)
{
    int error = 0;
    GifFileType* gif = EGifOpen(&out, WriteMemory, &error);
    if (!gif)
        Fail("EGifOpen", error);
    EGifSetGifVersion(gif, HasExtensions(source));
    bool ok = EGifPutScreenDesc(gif, source.SWidth, source.SHeight, source.SColorResolution,
                                source.SBackGroundColor, source.SColorMap) != GIF_ERROR;
    for (int i = 0; ok && i < source.ImageCount; ++i)
        ok = PutFrame(gif, source.SavedImages[i]);
    ok = ok && PutExtensions(gif, source.ExtensionBlockCount, source.ExtensionBlocks);
    const int failure = gif->Error;
    // Writes the trailer and frees the handle, also after a failure.
    if (EGifCloseFile(gif, &error) == GIF_ERROR && ok)
        Fail("EGifCloseFile", error);
    if (!ok)
        Fail("giflib encoder", failure);
}

uint64_t FramePixels(const GifFileType& gif)
{
    uint64_t total = 0;
    for (int i = 0; i < gif.ImageCount; ++i) {
        const GifImageDesc& desc = gif.SavedImages[i].ImageDesc;
        total += static_cast<uint64_t>(desc.Width) * static_cast<uint64_t>(desc.Height);
    }
    return total;
}

uint64_t FramePixels(const TGIFImage& image)
{
    uint64_t total = 0;
    for (const auto& frame : image.Frames)
        total += static_cast<uint64_t>(frame->Width()) * static_cast<uint64_t>(frame->Height());
    return total;
}

std::string CompareFrames(const GifFileType& expected, const GifFileType& actual)
{
    if (expected.ImageCount != actual.ImageCount)
        return std::to_string(actual.ImageCount) + " frames, expected " + std::to_string(expected.ImageCount);
    for (int i = 0; i < expected.ImageCount; ++i)
        if (std::string why = CompareFrame(i, View(expected.SavedImages[i]), View(actual.SavedImages[i]));
            !why.empty())
            return why;
    return {};
}

std::string CompareFrames(const GifFileType& expected, const TGIFImage& actual)
{
    if (expected.ImageCount != actual.Frames.Count())
        return std::to_string(actual.Frames.Count()) + " frames, expected " +
               std::to_string(expected.ImageCount);
    for (int i = 0; i < expected.ImageCount; ++i) {
        const TGIFSubImage& frame = *actual.Frames[i];
        const TFrameView view{frame.Left(), frame.Top(), frame.Width(), frame.Height(), frame.Pixels()};
        if (std::string why = CompareFrame(i, View(expected.SavedImages[i]), view); !why.empty())
            return why;
    }
    return {};
}

} // namespace fl::bench
