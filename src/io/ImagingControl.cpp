// SPDX-License-Identifier: GPL-3.0-or-later
#include "io/ImagingControl.h"

#include <Magick++.h>
#include <magick/policy.h>

#include <filesystem>
#include <fstream>
#include <mutex>

#include "editing/FileTypes.h"
#include "platform/Bitmap.h"
#include "platform/Stream.h"

namespace fl {

namespace {

// Every coder the table can name, and WebP for animated WebP pictures (the
// video import); ImageMagick may use only these, for reading and for
// nested reads inside a container (an icon holding a PNG, a metafile
// holding a bitmap). Writing them is allowed too, so that tests can make
// pictures with the same library.
constexpr const char* AllowedCoders = "{JPEG,DCX,ICO,PBM,PCX,PGM,PICT,PNG,PPM,BMP,RLE,TGA,TIFF,WMF,WPG,WEBP}";

// No external program (delegates), no other coder (scripts, vector
// formats, network, text, ephemeral files), no "@file" lists and no filter
// modules. The last matching rule wins, so the deny-all rules come first.
std::string SecurityPolicy()
{
    return std::string("<policymap>"
                       "<policy domain=\"delegate\" rights=\"none\" pattern=\"*\"/>"
                       "<policy domain=\"filter\" rights=\"none\" pattern=\"*\"/>"
                       "<policy domain=\"path\" rights=\"none\" pattern=\"@*\"/>"
                       "<policy domain=\"coder\" rights=\"none\" pattern=\"*\"/>"
                       "<policy domain=\"coder\" rights=\"read|write\" pattern=\"") +
           AllowedCoders + "\"/></policymap>";
}

struct TMagickSetup {
    bool Secured = false;
    std::string Failure;
};

// ImageMagick is set up once per process, from whichever thread gets here
// first. No time limit is set: the library counts it from the process's
// first picture, not per read, and ends the whole process when it passes.
// The size limits bound the work a file can cause instead.
const TMagickSetup& MagickSetup()
{
    static TMagickSetup setup;
    static std::once_flag once;
    std::call_once(once, [] {
        Magick::InitializeMagick(nullptr);
        MagickCore::ExceptionInfo* exception = MagickCore::AcquireExceptionInfo();
        const bool policySet = MagickCore::SetMagickSecurityPolicy(SecurityPolicy().c_str(), exception) !=
                               MagickCore::MagickFalse;
        MagickCore::DestroyExceptionInfo(exception);
        // Trust the policy only when it answers as written.
        setup.Secured =
            policySet &&
            MagickCore::IsRightsAuthorized(MagickCore::CoderPolicyDomain, MagickCore::ReadPolicyRights,
                                           "SVG") == MagickCore::MagickFalse &&
            MagickCore::IsRightsAuthorized(MagickCore::DelegatePolicyDomain, MagickCore::ReadPolicyRights,
                                           "ps:alpha") == MagickCore::MagickFalse;
        if (!setup.Secured)
            setup.Failure = "The image library's security policy could not be set";
        Magick::ResourceLimits::memory(256ull << 20);
        Magick::ResourceLimits::map(512ull << 20);
        Magick::ResourceLimits::disk(1ull << 30);
        Magick::ResourceLimits::area(TImagingLimits::MaxPixels);
        Magick::ResourceLimits::width(TImagingLimits::MaxWidth);
        Magick::ResourceLimits::height(TImagingLimits::MaxHeight);
        Magick::ResourceLimits::listLength(256);
    });
    return setup;
}

// Reads the whole file, refusing anything larger than a picture we take;
// the coder then reads from memory, so that no part of the path is ever
// read as one of the library's file name tricks (pipes, "@" lists, frame
// ranges in brackets).
int ReadFileBytes(const std::string& path, std::string& bytes)
{
    // Only plain files: a folder has no bytes to give and a pipe would
    // block the read forever.
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return icFileNotFound;
    const uintmax_t size = std::filesystem::file_size(path, error);
    if (error)
        return icFileNotFound;
    if (size > TImagingLimits::MaxFileBytes)
        return icFileTooLarge;
    std::ifstream file(path, std::ios::binary);
    bytes.resize(static_cast<size_t>(size));
    if (!file || (size > 0 && !file.read(bytes.data(), std::streamsize(size))))
        return icFileNotFound;
    return icOK;
}

void PutU16(uint8_t* p, uint32_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

void PutU32(uint8_t* p, uint32_t v)
{
    PutU16(p, v & 0xFFFF);
    PutU16(p + 2, v >> 16);
}

uint32_t GetU32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

constexpr size_t InfoHeaderSize = 40;

size_t DIBRowBytes(int width, int bits)
{
    return ((size_t(width) * size_t(bits) + 31) / 32) * 4;
}

// A packed DIB with a bottom-up pixel area of the given depth and a color
// table of `colors` entries, all zero.
std::vector<uint8_t> MakeDIB(int width, int height, int bits, int colors)
{
    const size_t imageBytes = DIBRowBytes(width, bits) * size_t(height);
    std::vector<uint8_t> block(InfoHeaderSize + size_t(colors) * 4 + imageBytes);
    uint8_t* h = block.data();
    PutU32(h, InfoHeaderSize);
    PutU32(h + 4, uint32_t(width));
    PutU32(h + 8, uint32_t(height));
    PutU16(h + 12, 1);
    PutU16(h + 14, uint32_t(bits));
    PutU32(h + 20, uint32_t(imageBytes));
    PutU32(h + 32, uint32_t(colors));
    return block;
}

enum class TTone { Color, Gray, BlackWhite };

// Which compact form a 24-bit DIB's pixels fit.
TTone ToneOf(const std::vector<uint8_t>& dib, int width, int height)
{
    const size_t rowBytes = DIBRowBytes(width, 24);
    const uint8_t* pixels = dib.data() + InfoHeaderSize;
    bool blackWhite = true;
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = pixels + rowBytes * size_t(y);
        for (int x = 0; x < width; ++x, row += 3) {
            if (row[0] != row[1] || row[1] != row[2])
                return TTone::Color;
            blackWhite = blackWhite && (row[0] == 0 || row[0] == 255);
        }
    }
    return blackWhite ? TTone::BlackWhite : TTone::Gray;
}

// Repacks a gray 24-bit DIB as 8-bit gray or 1-bit black and white.
std::vector<uint8_t> CompactDIB(const std::vector<uint8_t>& dib, int width, int height, TTone tone)
{
    const int bits = tone == TTone::BlackWhite ? 1 : 8;
    const int colors = tone == TTone::BlackWhite ? 2 : 256;
    std::vector<uint8_t> block = MakeDIB(width, height, bits, colors);
    uint8_t* table = block.data() + InfoHeaderSize;
    for (int i = 0; i < colors; ++i) {
        const uint8_t level = tone == TTone::BlackWhite ? uint8_t(i * 255) : uint8_t(i);
        table[i * 4] = table[i * 4 + 1] = table[i * 4 + 2] = level;
    }
    uint8_t* target = table + size_t(colors) * 4;
    const size_t sourceRowBytes = DIBRowBytes(width, 24);
    const size_t targetRowBytes = DIBRowBytes(width, bits);
    const uint8_t* source = dib.data() + InfoHeaderSize;
    for (int y = 0; y < height; ++y) {
        const uint8_t* in = source + sourceRowBytes * size_t(y);
        uint8_t* out = target + targetRowBytes * size_t(y);
        if (bits == 8) {
            for (int x = 0; x < width; ++x)
                out[x] = in[x * 3];
        } else {
            for (int x = 0; x < width; ++x)
                if (in[x * 3])
                    out[x >> 3] |= uint8_t(0x80 >> (x & 7));
        }
    }
    return block;
}

struct TImageDeleter {
    void operator()(MagickCore::Image* image) const { MagickCore::DestroyImageList(image); }
};
using TImagePtr = std::unique_ptr<MagickCore::Image, TImageDeleter>;

struct TDecoded {
    int Code = icOK;
    std::string Text;
    TImagePtr Image;
};

int ClassifySeverity(MagickCore::ExceptionType severity)
{
    switch (severity) {
    case MagickCore::ResourceLimitWarning:
    case MagickCore::ResourceLimitError:
    case MagickCore::ResourceLimitFatalError:
        return icImageTooLarge;
    case MagickCore::PolicyWarning:
    case MagickCore::PolicyError:
        return icNotAuthorized;
    default:
        return icDecodeFailed;
    }
}

// The worst problem a read reported: in the exception it was given, or in
// the picture's own (where coders put what they report while decoding).
void TakeWorst(const MagickCore::ExceptionInfo& exception, MagickCore::ExceptionType& severity,
               std::string& text)
{
    if (exception.severity <= severity)
        return;
    severity = exception.severity;
    text = exception.reason ? exception.reason : "the picture could not be decoded";
    // The library appends "`file' @ source/line", which tells a user nothing.
    if (const size_t mark = text.find(" `");
        mark != std::string::npos && text.find("' @ ", mark) != std::string::npos)
        text.erase(mark);
    if (exception.description)
        text += std::string(" (") + exception.description + ")";
}

// Reads the first picture of the bytes with exactly this coder, its header
// only when pinging. The core interface is used rather than Magick++'s
// read, which drops the picture on any warning: harmless warnings (an
// unknown tag, an odd color profile) keep the picture, while a damaged or
// cut-off file, whose picture would be partly made up, is refused.
TDecoded Decode(const std::string& bytes, const std::string& coder, bool ping, int reducedSide = 0)
{
    TDecoded result;
    MagickCore::ImageInfo* info = MagickCore::AcquireImageInfo();
    MagickCore::ExceptionInfo* exception = MagickCore::AcquireExceptionInfo();
    MagickCore::CopyMagickString(info->magick, coder.c_str(), MagickPathExtent);
    if (reducedSide > 0 && coder == "JPEG") {
        // The coder then decodes at the smallest of its scales (1/2, 1/4,
        // 1/8) that stays at least this large, which is many times faster.
        const std::string size = std::to_string(reducedSide) + "x" + std::to_string(reducedSide);
        MagickCore::CloneString(&info->size, size.c_str());
    }
    info->affirm = MagickCore::MagickTrue;
    // Only the first picture of a multi-page file is wanted.
    info->scene = 0;
    info->number_scenes = 1;
    result.Image.reset(ping ? MagickCore::PingBlob(info, bytes.data(), bytes.size(), exception)
                            : MagickCore::BlobToImage(info, bytes.data(), bytes.size(), exception));
    MagickCore::ExceptionType severity = MagickCore::UndefinedException;
    TakeWorst(*exception, severity, result.Text);
    for (MagickCore::Image* image = result.Image.get(); image; image = image->next)
        TakeWorst(image->exception, severity, result.Text);
    MagickCore::DestroyExceptionInfo(exception);
    MagickCore::DestroyImageInfo(info);
    if (!result.Image || severity >= MagickCore::ErrorException ||
        severity == MagickCore::CorruptImageWarning) {
        result.Image.reset();
        result.Code = ClassifySeverity(severity);
        if (result.Text.empty())
            result.Text = "the picture could not be decoded";
        return result;
    }
    if (MagickCore::Image* rest = result.Image->next) {
        result.Image->next = nullptr;
        rest->previous = nullptr;
        MagickCore::DestroyImageList(rest);
    }
    return result;
}

bool WithinLimits(const MagickCore::Image& image)
{
    return image.columns <= TImagingLimits::MaxWidth && image.rows <= TImagingLimits::MaxHeight &&
           uint64_t(image.columns) * image.rows <= TImagingLimits::MaxPixels;
}

} // namespace

std::vector<std::string> CodersForFileType(int fileType)
{
    switch (fileType) {
    case ftJPG:
    case ftJIF:
    case ftLJP: // lossless JPEG: the JPEG coder, as far as its library goes
        return {"JPEG"};
    case ftBMP:
        return {"BMP"};
    case ftDCX:
        return {"DCX"};
    case ftICO:
        return {"ICO"};
    case ftPBM:
        return {"PBM"};
    case ftPCX:
        return {"PCX"};
    case ftPGM:
        return {"PGM"};
    case ftPIC:
        return {"PICT"};
    case ftPNG:
        return {"PNG"};
    case ftPPM:
        return {"PPM"};
    case ftRLE:
        // Run-length bitmaps of the BMP family first, then the Utah format
        // that shares the extension. Each coder checks its own signature.
        return {"BMP", "RLE"};
    case ftTGA:
        return {"TGA"};
    case ftTIF:
        return {"TIFF"};
    case ftWMF:
        return {"WMF"};
    case ftWPG:
        return {"WPG"};
    default:
        return {};
    }
}

struct TImagingControl::TImpl {
    std::unique_ptr<Magick::Image> image;
};

TImagingControl::TImagingControl() : impl_(std::make_unique<TImpl>())
{
}

TImagingControl::~TImagingControl() = default;

void TImagingControl::LoadFile(const std::string& path, int reducedSide)
{
    impl_->image.reset();
    errorText_.clear();
    storedWidth_ = storedHeight_ = 0;
    auto fail = [this](int code, std::string text) {
        error_ = code;
        errorText_ = std::move(text);
    };

    const std::vector<std::string> coders = CodersForFileType(FileTypeIndex(path));
    if (coders.empty())
        return fail(icUnknownType, ExtractFileName(path) + " is an unrecognized file type");
    const TMagickSetup& setup = MagickSetup();
    if (!setup.Secured)
        return fail(icNotAuthorized, setup.Failure);

    std::string bytes;
    if (const int code = ReadFileBytes(path, bytes); code != icOK)
        return fail(code, code == icFileTooLarge ? path + ": the file is too large"
                                                 : path + ": cannot read the file");
    if (bytes.empty())
        return fail(icDecodeFailed, path + ": the file is empty");

    for (const std::string& coder : coders) {
        // The header first: the library would put a picture beyond its
        // area limit on disk rather than refuse it.
        const TDecoded header = Decode(bytes, coder, true);
        if (header.Code != icOK) {
            fail(header.Code, path + ": " + header.Text);
            continue;
        }
        if (!WithinLimits(*header.Image))
            return fail(icImageTooLarge, path + ": the picture is too large");
        const int storedWidth = static_cast<int>(header.Image->columns);
        const int storedHeight = static_cast<int>(header.Image->rows);
        TDecoded decoded = Decode(bytes, coder, false, reducedSide);
        if (decoded.Code != icOK) {
            fail(decoded.Code, path + ": " + decoded.Text);
            continue;
        }
        if (decoded.Image->columns == 0 || decoded.Image->rows == 0)
            return fail(icNoImage, path + ": no picture was decoded");
        if (!WithinLimits(*decoded.Image))
            return fail(icImageTooLarge, path + ": the picture is too large");
        try {
            impl_->image = std::make_unique<Magick::Image>(decoded.Image.get());
            decoded.Image.release(); // now owned by the Magick++ image
        } catch (const std::exception& error) {
            return fail(icNoImage, path + ": " + error.what());
        }
        error_ = icOK;
        errorText_.clear();
        storedWidth_ = storedWidth;
        storedHeight_ = storedHeight;
        return;
    }
}

int TImagingControl::ImageWidth() const
{
    return impl_->image ? static_cast<int>(impl_->image->columns()) : 0;
}

int TImagingControl::ImageHeight() const
{
    return impl_->image ? static_cast<int>(impl_->image->rows()) : 0;
}

bool TImagingControl::Resize(int width, int height)
{
    return Scale(width, height, false);
}

bool TImagingControl::Thumbnail(int width, int height)
{
    return Scale(width, height, true);
}

bool TImagingControl::Scale(int width, int height, bool thumbnail)
{
    if (!impl_->image)
        return false;
    if (width < 1 || height < 1 || uint64_t(width) > TImagingLimits::MaxWidth ||
        uint64_t(height) > TImagingLimits::MaxHeight ||
        uint64_t(width) * uint64_t(height) > TImagingLimits::MaxPixels)
        return false;
    try {
        Magick::Geometry size{size_t(width), size_t(height)};
        size.aspect(true); // exactly this size, not fitted within it
        if (thumbnail)
            impl_->image->thumbnail(size);
        else
            impl_->image->resize(size);
        return int(impl_->image->columns()) == width && int(impl_->image->rows()) == height;
    } catch (const std::exception&) {
        return false;
    }
}

std::vector<uint8_t> TImagingControl::CopyAsDIB()
{
    if (!impl_->image)
        return {};
    try {
        Magick::Image& image = *impl_->image;
        // Pixels leave as sRGB: CMYK and other stored colorspaces would
        // otherwise come out as their raw channels.
        const MagickCore::ColorspaceType space = image.colorSpace();
        if (space != MagickCore::sRGBColorspace && space != MagickCore::RGBColorspace &&
            space != MagickCore::GRAYColorspace)
            image.colorSpace(MagickCore::sRGBColorspace);
        const int width = static_cast<int>(image.columns());
        const int height = static_cast<int>(image.rows());
        std::vector<uint8_t> dib = MakeDIB(width, height, 24, 0);
        const size_t rowBytes = DIBRowBytes(width, 24);
        uint8_t* pixels = dib.data() + InfoHeaderSize;
        // DIB rows run bottom-up.
        for (int y = 0; y < height; ++y)
            image.write(0, y, size_t(width), 1, "BGR", Magick::CharPixel,
                        pixels + rowBytes * size_t(height - 1 - y));
        const TTone tone = ToneOf(dib, width, height);
        if (tone != TTone::Color)
            return CompactDIB(dib, width, height, tone);
        return dib;
    } catch (const std::exception&) {
        return {};
    }
}

void TImagingControl::ReleaseImage()
{
    impl_->image.reset();
}

void BitmapFromDIB(std::vector<uint8_t> block, TBitmap& target)
{
    if (block.size() < 4)
        throw EBitmapError("Bitmap image is not valid");
    const uint32_t headerSize = GetU32(block.data());
    const uint32_t colorsUsed = headerSize >= 36 && block.size() >= 36 ? GetU32(block.data() + 32) : 0;
    if (headerSize > block.size() || colorsUsed > 256)
        throw EBitmapError("Bitmap image is not valid");
    uint8_t header[14] = {0x42, 0x4D};
    PutU32(header + 2, uint32_t(14 + block.size()));
    PutU32(header + 10, 14 + headerSize + 4 * colorsUsed);
    TMemoryStream stream;
    stream.Write(header, sizeof header);
    stream.Write(block.data(), block.size());
    // The block is given up before decoding, as the caller's copy would be.
    block.clear();
    block.shrink_to_fit();
    stream.SetPosition(0);
    target.LoadFromStream(stream);
}

std::string ReadAnimatedImage(const std::string& path, const std::string& coder,
                              std::vector<TAnimatedPicture>& pictures)
{
    pictures.clear();
    const TMagickSetup& setup = MagickSetup();
    if (!setup.Secured)
        return setup.Failure;
    std::string bytes;
    if (const int code = ReadFileBytes(path, bytes); code != icOK)
        return code == icFileTooLarge ? path + ": the file is too large" : path + ": cannot read the file";
    const TDecoded header = Decode(bytes, coder, true);
    if (header.Code != icOK)
        return path + ": " + header.Text;
    if (!WithinLimits(*header.Image))
        return path + ": the picture is too large";

    MagickCore::ImageInfo* info = MagickCore::AcquireImageInfo();
    // Freed on every way out, an allocation failure included.
    const std::unique_ptr<MagickCore::ExceptionInfo, MagickCore::ExceptionInfo* (*)(MagickCore::ExceptionInfo*)>
        held(MagickCore::AcquireExceptionInfo(), MagickCore::DestroyExceptionInfo);
    MagickCore::ExceptionInfo* exception = held.get();
    MagickCore::CopyMagickString(info->magick, coder.c_str(), MagickPathExtent);
    info->affirm = MagickCore::MagickTrue;
    TImagePtr frames(MagickCore::BlobToImage(info, bytes.data(), bytes.size(), exception));
    // Each frame as a player shows it: drawn over what the earlier ones left.
    TImagePtr shown(frames ? MagickCore::CoalesceImages(frames.get(), exception) : nullptr);
    MagickCore::ExceptionType severity = MagickCore::UndefinedException;
    std::string text;
    TakeWorst(*exception, severity, text);
    MagickCore::DestroyImageInfo(info);
    for (MagickCore::Image* image = frames.get(); image; image = image->next)
        TakeWorst(image->exception, severity, text);
    // A damaged or cut-off file would give made-up pictures.
    if (!shown || severity >= MagickCore::ErrorException || severity == MagickCore::CorruptImageWarning)
        return path + ": " + (text.empty() ? std::string("the picture could not be decoded") : text);
    for (MagickCore::Image* image = shown.get(); image; image = image->next) {
        TAnimatedPicture picture;
        picture.Width = int(image->columns);
        picture.Height = int(image->rows);
        picture.Bgr.resize(size_t(picture.Width) * size_t(picture.Height) * 3);
        if (MagickCore::ExportImagePixels(image, 0, 0, image->columns, image->rows, "BGR", MagickCore::CharPixel,
                                          picture.Bgr.data(), exception) == MagickCore::MagickFalse)
            break;
        const double ticks = image->ticks_per_second > 0 ? double(image->ticks_per_second) : 100.0;
        picture.Delay = int(double(image->delay) * 100.0 / ticks + 0.5);
        pictures.push_back(std::move(picture));
    }
    return pictures.empty() ? path + ": the picture could not be decoded" : std::string();
}

} // namespace fl
