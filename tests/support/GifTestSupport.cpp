// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/GifTestSupport.h"

#include <algorithm>
#include <cstring>
#include <sstream>

#include "gif/Extensions.h"
#include "platform/GIFException.h"
#include "platform/Stream.h"

namespace fl::test {

namespace fs = std::filesystem;

std::vector<uint8_t> ReadBytes(const fs::path& path)
{
    return ReadFileBytes(path.string());
}

std::vector<fs::path> GifFilesUnder(const fs::path& folder)
{
    std::vector<fs::path> files;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(folder, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec))
        if (it->is_regular_file() && it->path().extension() == ".gif")
            files.push_back(it->path());
    std::sort(files.begin(), files.end());
    return files;
}

fs::path SharedDir()
{
    return fs::path(FL_SHARED_DIR);
}

bool LoadResult::HasWarning(const std::string& message) const
{
    return std::find(warnings.begin(), warnings.end(), message) != warnings.end();
}

LoadResult LoadGif(const uint8_t* data, size_t size, int64_t start)
{
    LoadResult result;
    result.startPosition = start;
    std::vector<std::string>* warnings = &result.warnings;
    result.image->WarningHandler = [warnings](TGIFImage&, TGIFItem*, int, const std::string& message) {
        warnings->push_back(message);
    };
    TMemoryStream stream(data, size);
    stream.SetPosition(start);
    try {
        result.image->LoadFromStream(stream);
        result.loaded = true;
    } catch (const GIFException& e) {
        result.error = e.what();
    }
    result.positionAfter = stream.Position();
    return result;
}

std::vector<uint8_t> SaveGif(TGIFImage& image, uint8_t encoding)
{
    const uint8_t previous = image.Encoding;
    image.Encoding = encoding;
    TMemoryStream stream;
    try {
        image.SaveToStream(stream);
    } catch (...) {
        image.Encoding = previous;
        throw;
    }
    image.Encoding = previous;
    return stream.TakeBytes();
}

std::string Printable(const std::string& bytes, size_t limit)
{
    std::ostringstream out;
    out << '"';
    for (size_t i = 0; i < bytes.size() && i < limit; ++i) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c >= 0x20 && c < 0x7F && c != '\\' && c != '"')
            out << c;
        else
            out << "\\x" << "0123456789abcdef"[c >> 4] << "0123456789abcdef"[c & 15];
    }
    if (bytes.size() > limit)
        out << "...(" << bytes.size() << " bytes)";
    out << '"';
    return out.str();
}

namespace {

using testing::AssertionFailure;
using testing::AssertionResult;
using testing::AssertionSuccess;

std::string Hex(unsigned value)
{
    std::ostringstream out;
    out << "0x" << std::hex << value;
    return out.str();
}

AssertionResult SameColors(const TGIFColorMap& expected, const TGIFColorMap& actual, const CompareOptions& options,
                           const std::string& where)
{
    const int expectedCount =
        options.writtenTables && expected.Count() > 0 ? 1 << expected.Depth() : expected.Count();
    if (expectedCount != actual.Count())
        return AssertionFailure() << where << ": " << expectedCount << " colors expected, got " << actual.Count();
    if (!options.writtenTables && expected.Sorted() != actual.Sorted())
        return AssertionFailure() << where << ": sorted flag " << expected.Sorted() << " expected";
    if (options.writtenTables && actual.Sorted())
        return AssertionFailure() << where << ": the sort flag was kept";
    for (int i = 0; i < expectedCount * 3; ++i) {
        const int want = i < expected.Count() * 3 ? expected.Data()[i] : 0;
        if (want != actual.Data()[i])
            return AssertionFailure() << where << ": entry " << i / 3 << " channel " << i % 3 << " is "
                                      << int(actual.Data()[i]) << ", expected " << want;
    }
    return AssertionSuccess();
}

AssertionResult SameLines(const TGIFLines& expected, const TGIFLines& actual, const std::string& where)
{
    if (expected.size() != actual.size())
        return AssertionFailure() << where << ": " << expected.size() << " lines expected, got " << actual.size();
    for (size_t i = 0; i < expected.size(); ++i)
        if (expected[i] != actual[i])
            return AssertionFailure() << where << ": line " << i << " is " << Printable(actual[i]) << ", expected "
                                      << Printable(expected[i]);
    return AssertionSuccess();
}

AssertionResult SameExtension(const TGIFExtension& expected, const TGIFExtension& actual, const std::string& where)
{
    if (&expected.Class() != &actual.Class())
        return AssertionFailure() << where << ": " << actual.Class().Name << " where " << expected.Class().Name
                                  << " was expected";
    if (auto* e = dynamic_cast<const TGIFGraphicControlExtension*>(&expected)) {
        auto* a = dynamic_cast<const TGIFGraphicControlExtension*>(&actual);
        if (e->BlockSize != a->BlockSize || e->ControlFlags != a->ControlFlags || e->Delay != a->Delay ||
            e->TransparentIndex() != a->TransparentIndex() || e->Terminator != a->Terminator)
            return AssertionFailure() << where << ": control block (size, flags, delay, index, terminator) is ("
                                      << int(a->BlockSize) << ", " << Hex(a->ControlFlags) << ", " << a->Delay
                                      << ", " << int(a->TransparentIndex()) << ", " << int(a->Terminator)
                                      << "), expected (" << int(e->BlockSize) << ", " << Hex(e->ControlFlags) << ", "
                                      << e->Delay << ", " << int(e->TransparentIndex()) << ", "
                                      << int(e->Terminator) << ")";
    } else if (auto* ec = dynamic_cast<const TGIFCommentExtension*>(&expected)) {
        return SameLines(ec->Lines, dynamic_cast<const TGIFCommentExtension*>(&actual)->Lines, where + " comment");
    } else if (auto* et = dynamic_cast<const TGIFTextExtension*>(&expected)) {
        auto* a = dynamic_cast<const TGIFTextExtension*>(&actual);
        if (et->BlockSize != a->BlockSize || et->GridLeft != a->GridLeft || et->GridTop != a->GridTop ||
            et->GridWidth != a->GridWidth || et->GridHeight != a->GridHeight || et->CellWidth != a->CellWidth ||
            et->CellHeight != a->CellHeight || et->ForegroundIndex != a->ForegroundIndex ||
            et->BackgroundIndex != a->BackgroundIndex)
            return AssertionFailure() << where << ": plain text grid or colors differ";
        return SameLines(et->Lines, a->Lines, where + " plain text");
    } else if (auto* ea = dynamic_cast<const TGIFApplicationExtension*>(&expected)) {
        auto* a = dynamic_cast<const TGIFApplicationExtension*>(&actual);
        if (ea->AppId != a->AppId)
            return AssertionFailure() << where << ": application id " << Printable(a->AppIdText()) << ", expected "
                                      << Printable(ea->AppIdText());
        if (auto* el = dynamic_cast<const TGIFAppExtNSLoop*>(&expected)) {
            auto* al = dynamic_cast<const TGIFAppExtNSLoop*>(&actual);
            if (el->LoopCount != al->LoopCount || el->BufferSize != al->BufferSize)
                return AssertionFailure() << where << ": loop count " << al->LoopCount << " buffer "
                                          << al->BufferSize << ", expected " << el->LoopCount << " buffer "
                                          << el->BufferSize;
        } else if (auto* eu = dynamic_cast<const TGIFUnknownAppExtension*>(&expected)) {
            auto* au = dynamic_cast<const TGIFUnknownAppExtension*>(&actual);
            if (eu->DataBlocks.size() != au->DataBlocks.size())
                return AssertionFailure() << where << ": " << au->DataBlocks.size() << " data blocks, expected "
                                          << eu->DataBlocks.size();
            for (size_t i = 0; i < eu->DataBlocks.size(); ++i)
                if (eu->DataBlocks[i].Data != au->DataBlocks[i].Data)
                    return AssertionFailure() << where << ": data block " << i << " differs";
        }
    }
    return AssertionSuccess();
}

} // namespace

AssertionResult SameFrame(const TGIFSubImage& expected, const TGIFSubImage& actual, const CompareOptions& options,
                          const std::string& where)
{
    if (expected.Left() != actual.Left() || expected.Top() != actual.Top() || expected.Width() != actual.Width() ||
        expected.Height() != actual.Height())
        return AssertionFailure() << where << ": geometry " << actual.Left() << "," << actual.Top() << " "
                                  << actual.Width() << "x" << actual.Height() << ", expected " << expected.Left()
                                  << "," << expected.Top() << " " << expected.Width() << "x" << expected.Height();
    if (expected.Separator != actual.Separator)
        return AssertionFailure() << where << ": separator " << Hex(actual.Separator);
    const uint8_t flagMask = options.rawFlags ? 0xFF : 0x40;
    if ((expected.FrameFlags & flagMask) != (actual.FrameFlags & flagMask))
        return AssertionFailure() << where << ": frame flags " << Hex(actual.FrameFlags) << ", expected "
                                  << Hex(expected.FrameFlags);
    if (auto same = SameColors(expected.LocalColors, actual.LocalColors, options, where + " local colors"); !same)
        return same;
    if (expected.IsEmpty() != actual.IsEmpty())
        return AssertionFailure() << where << (actual.IsEmpty() ? " is empty" : " is not empty");
    if (expected.PixelBytes() != actual.PixelBytes())
        return AssertionFailure() << where << ": " << actual.PixelBytes() << " pixel bytes, expected "
                                  << expected.PixelBytes();
    if (options.pixels && expected.PixelBytes() > 0 &&
        std::memcmp(expected.Pixels(), actual.Pixels(), expected.PixelBytes()) != 0) {
        const uint8_t* e = expected.Pixels();
        const uint8_t* a = actual.Pixels();
        const auto mismatch = std::mismatch(e, e + expected.PixelBytes(), a);
        if (mismatch.first != e + expected.PixelBytes()) {
            const long index = mismatch.first - e;
            return AssertionFailure() << where << ": pixel " << index % expected.Width() << ","
                                      << index / expected.Width() << " is " << int(*mismatch.second)
                                      << ", expected " << int(*mismatch.first);
        }
    }
    if (expected.Transparent != actual.Transparent)
        return AssertionFailure() << where << ": transparent " << actual.Transparent;
    const int expectedControl = expected.ControlBlock ? expected.Extensions.IndexOf(expected.ControlBlock) : -2;
    const int actualControl = actual.ControlBlock ? actual.Extensions.IndexOf(actual.ControlBlock) : -2;
    if (expectedControl != actualControl)
        return AssertionFailure() << where << ": control block is extension " << actualControl << ", expected "
                                  << expectedControl << " (-2: none)";
    if (expected.Extensions.Count() != actual.Extensions.Count())
        return AssertionFailure() << where << ": " << actual.Extensions.Count() << " extensions, expected "
                                  << expected.Extensions.Count();
    for (int i = 0; i < expected.Extensions.Count(); ++i)
        if (auto same = SameExtension(*expected.Extensions[i], *actual.Extensions[i],
                                      where + " extension " + std::to_string(i));
            !same)
            return same;
    return AssertionSuccess();
}

AssertionResult SameModel(const TGIFImage& expected, const TGIFImage& actual, const CompareOptions& options)
{
    const TGIFHeader& e = expected.Header;
    const TGIFHeader& a = actual.Header;
    if (e.ScreenWidth != a.ScreenWidth || e.ScreenHeight != a.ScreenHeight)
        return AssertionFailure() << "screen " << a.ScreenWidth << "x" << a.ScreenHeight << ", expected "
                                  << e.ScreenWidth << "x" << e.ScreenHeight;
    if (e.BackgroundIndex != a.BackgroundIndex || e.AspectRatio != a.AspectRatio)
        return AssertionFailure() << "background index " << int(a.BackgroundIndex) << " aspect "
                                  << int(a.AspectRatio) << ", expected " << int(e.BackgroundIndex) << " aspect "
                                  << int(e.AspectRatio);
    if (options.rawFlags && e.ScreenFlags != a.ScreenFlags)
        return AssertionFailure() << "screen flags " << Hex(a.ScreenFlags) << ", expected " << Hex(e.ScreenFlags);
    if (auto same = SameColors(e.GlobalColors, a.GlobalColors, options, "global colors"); !same)
        return same;
    if (expected.Frames.Count() != actual.Frames.Count())
        return AssertionFailure() << actual.Frames.Count() << " frames, expected " << expected.Frames.Count();
    for (int i = 0; i < expected.Frames.Count(); ++i)
        if (auto same = SameFrame(*expected.Frames[i], *actual.Frames[i], options, "frame " + std::to_string(i));
            !same)
            return same;
    return AssertionSuccess();
}

void ExpectSameModel(const TGIFImage& expected, const TGIFImage& actual, const CompareOptions& options)
{
    EXPECT_TRUE(SameModel(expected, actual, options));
}

int ImageCount(const TGIFImage& image)
{
    return static_cast<int>(
        std::count_if(image.Frames.begin(), image.Frames.end(), [](const auto& frame) { return !frame->IsEmpty(); }));
}

const TGIFAppExtNSLoop* FindLoopExtension(const TGIFImage& image)
{
    for (const auto& frame : image.Frames)
        if (auto* loop = frame->Extensions.Find<TGIFAppExtNSLoop>())
            return loop;
    return nullptr;
}

std::string AllCommentText(const TGIFImage& image)
{
    std::string text;
    for (const auto& frame : image.Frames)
        for (const auto& extension : frame->Extensions)
            if (auto* comment = dynamic_cast<const TGIFCommentExtension*>(extension.get()))
                for (const std::string& line : comment->Lines)
                    text += line;
    return text;
}

const std::set<std::string>& LoadErrorMessages()
{
    static const std::set<std::string> messages = {
        "Premature end of data",
        "Invalid GIF signature",
        "Unknown extension type",
        "Invalid extension introducer",
        "Internal error: Extension Instance does not match Extension Label",
        "Unsupported Application Extension block size",
        "Invalid GIF data",
        "Circular decoder table entry",
        // Our own bound on what a file may make us allocate.
        "Image is too large",
    };
    return messages;
}

const std::set<std::string>& LoadWarningMessages()
{
    static const std::set<std::string> messages = {
        "Premature end of data",         "Unknown GIF block type",           "Invalid Image trailer",
        "Invalid extension introducer",  "Image exceeds Logical Screen size", "Decoder bit buffer under-run",
        // A minimum code size whose clear code lies beyond the code tables.
        "Invalid minimum code size",
        // The next block where an extension's terminator should be.
        "Extension terminator missing",
    };
    return messages;
}

bool IsLoadWarning(const std::string& message)
{
    for (const char* counted : {"Frame data ended early: ", "Frame data holds a code not in the table: "})
        if (message.rfind(counted, 0) == 0 && message.find(" pixels keep the fill value") != std::string::npos)
            return true;
    return LoadWarningMessages().count(message) > 0;
}

const std::set<std::string>& SaveErrorMessages()
{
    static const std::set<std::string> messages = {"Unsupported GIF version", "Color not in color table"};
    return messages;
}

} // namespace fl::test
