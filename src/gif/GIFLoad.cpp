// SPDX-License-Identifier: GPL-3.0-or-later
// Reading a GIF stream into the model. Lenient where it can be: defects that
// leave the rest readable are warnings, structural ones are GIFExceptions.
#include <cstring>

#include "gif/ExtensionRegistry.h"
#include "gif/Extensions.h"
#include "gif/GIFImage.h"
#include "gif/LZWDecoder.h"
#include "gif/StreamIO.h"
#include "platform/GIFException.h"
#include "platform/SystemMemory.h"

namespace fl {

namespace {

// Reads an application extension's header block, as the reader resolves
// it: true for a loop extension, whose data the reader ends early at the
// next block. Afterwards the stream stands at the extension's data.
bool IsLoopExtensionHeader(TStream& stream)
{
    uint8_t size;
    if (!stream.ReadByte(size))
        return false;
    if (size != 11) {
        stream.Skip(size);
        return false;
    }
    TGIFApplicationId id{};
    if (stream.Read(id.data(), 11) != 11)
        return false;
    return FindApplicationClass(id) == &TGIFAppExtNSLoop::ClassInfo;
}

// The pixels the file's image descriptors ask for, found by walking the
// block structure without decoding or allocating anything, so that a small
// file declaring huge frames is refused before memory is taken. A zero-sized
// frame counts as the logical screen, as the reader makes it.
uint64_t DeclaredPixels(TStream& stream, int screenWidth, int screenHeight)
{
    const int64_t start = stream.Position();
    uint64_t pixels = 0;
    uint8_t byte;
    while (stream.ReadByte(byte)) {
        if (byte == 0)
            continue;
        if (byte == '!') {
            uint8_t label;
            if (!stream.ReadByte(label))
                break;
            // As the reader does: a control block is its six bytes, its
            // terminator only when it is zero or no block starts there; a
            // loop extension missing its terminator ends where the next
            // block starts; any other extension runs to its terminator,
            // whatever its data hold.
            if (label == 0xF9) {
                stream.Skip(5);
                uint8_t terminator;
                if (stream.ReadByte(terminator) && terminator != 0) {
                    stream.Skip(-1);
                    if (!NextBlockStartsHere(stream))
                        stream.Skip(1);
                }
            } else if (label == 0xFF && IsLoopExtensionHeader(stream)) {
                uint8_t size;
                for (bool first = true; !(!first && NextBlockStartsHere(stream)); first = false) {
                    if (!stream.ReadByte(size) || size == 0)
                        break;
                    stream.Skip(size);
                }
            } else {
                // A plain text header is read as twelve bytes after its size
                // byte, whatever size it claims; the text follows.
                if (label == 0x01)
                    stream.Skip(13);
                SkipSubBlocks(stream);
            }
        } else if (byte == ',') {
            uint8_t descriptor[9];
            if (stream.Read(descriptor, 9) != 9)
                break;
            uint64_t width = descriptor[4] | descriptor[5] << 8;
            uint64_t height = descriptor[6] | descriptor[7] << 8;
            if (width == 0 || height == 0) {
                width = uint64_t(screenWidth);
                height = uint64_t(screenHeight);
            }
            pixels += width * height;
            if (descriptor[8] & 0x80)
                stream.Skip(3 * (2 << (descriptor[8] & 7)));
            uint8_t minCodeSize;
            if (!stream.ReadByte(minCodeSize))
                break;
            SkipSubBlocks(stream);
        } else {
            break;
        }
    }
    stream.SetPosition(start);
    return pixels;
}

} // namespace

void TGIFImage::LoadFromStream(TStream& stream)
{
    Progress(TProgressStage::Starting, 0, false, "Loading...");
    Reset();
    const int64_t start = stream.Position();
    try {
        Header.LoadFromStream(stream);
        if (const uint64_t needed = DeclaredPixels(stream, Width(), Height());
            needed > GIFMemoryLimits.MaxDocumentPixels)
            throw GIFException("Image is too large: its frames need " + FormatByteSize(needed) +
                               ", more than the " + FormatByteSize(GIFMemoryLimits.MaxDocumentPixels) +
                               " allowed");
        Frames.ReadAll(stream);
        TGIFTrailer trailer(this);
        trailer.LoadFromStream(stream);
    } catch (...) {
        stream.SetPosition(start);
        Progress(TProgressStage::Ending, 0, true, "Loading...");
        throw;
    }
    Progress(TProgressStage::Ending, 100, true, "Loading...");
}

// Reads bytes up to the first non-zero one; false at the end of the stream.
static bool ReadNonZeroByte(TStream& stream, uint8_t& byte)
{
    while (stream.ReadByte(byte))
        if (byte != 0)
            return true;
    return false;
}

void TGIFImageList::ReadAll(TStream& stream)
{
    TGIFImage* image = Image();
    uint64_t pixelBudget = GIFMemoryLimits.MaxDocumentPixels;
    const int64_t size = stream.Size();
    uint8_t byte;
    if (!ReadNonZeroByte(stream, byte))
        return;
    while (byte != ';') {
        stream.Skip(-1);
        if (byte != '!' && byte != ',') {
            Warn(wsWarning, "Unknown GIF block type");
            break;
        }
        auto frame = std::make_unique<TGIFSubImage>(image);
        frame->LoadFromStream(stream, pixelBudget);
        Append(std::move(frame));
        if (image)
            image->ReportProgress(TProgressStage::Running,
                                  size > 0 ? static_cast<int>(stream.Position() * 100 / size) : 0, false,
                                  "Loading...");
        if (!ReadNonZeroByte(stream, byte))
            return;
    }
    stream.Skip(-1);
}

void TGIFSubImage::LoadFromStream(TStream& stream)
{
    uint64_t pixelBudget = GIFMemoryLimits.MaxDocumentPixels;
    LoadFromStream(stream, pixelBudget);
}

void TGIFSubImage::LoadFromStream(TStream& stream, uint64_t& pixelBudget)
{
    Reset();
    Extensions.ReadAll(stream, *this);

    uint8_t byte;
    if (!stream.ReadByte(byte))
        return;
    stream.Skip(-1);
    if (byte == ';' || byte == 0)
        return; // only extensions: an empty frame

    uint8_t descriptor[10];
    ReadExactly(stream, descriptor, 10);
    Separator = descriptor[0];
    SetStoredGeometry(static_cast<uint16_t>(descriptor[1] | descriptor[2] << 8),
                      static_cast<uint16_t>(descriptor[3] | descriptor[4] << 8),
                      static_cast<uint16_t>(descriptor[5] | descriptor[6] << 8),
                      static_cast<uint16_t>(descriptor[7] | descriptor[8] << 8));
    FrameFlags = descriptor[9];
    if (Width() == 0 || Height() == 0) {
        const TGIFImage* image = Image();
        SetStoredGeometry(uint16_t(Left()), uint16_t(Top()), image ? uint16_t(image->Width()) : 0,
                          image ? uint16_t(image->Height()) : 0);
        Warn(wsWarning, "Image exceeds Logical Screen size");
    }
    if (FrameFlags & 0x80)
        LocalColors.LoadEntries(stream, 2 << (FrameFlags & 7));

    const uint64_t pixelCount = uint64_t(Width()) * Height();
    if (pixelCount > pixelBudget)
        throw GIFException("Image is too large");
    pixelBudget -= pixelCount;
    AllocPixels();
    const uint8_t fill = Transparent && ControlBlock ? ControlBlock->TransparentIndex() : 0;
    if (fill != 0 && Pixels())
        std::memset(Pixels(), fill, PixelBytes());
    // Runs even for a frame without pixels: the decoder still passes over
    // the data, and the next block is looked for after it.
    bool damaged = false;
    const size_t decoded = DecodeFramePixels(stream, Pixels(), Width(), Height(), Interlaced(),
                                             [this, &damaged](const char* message) {
                                                 damaged = true;
                                                 Warn(wsWarning, message);
                                             });
    if (damaged || decoded < PixelBytes())
        KeepDamagedPixelsInTable(fill);
}

void TGIFSubImage::KeepDamagedPixelsInTable(uint8_t fill)
{
    // Data that broke off may have left indices the written file cannot
    // hold (a local table's entries, a global table's power of two): they
    // take the fill value, or the first color when the fill is beyond too,
    // so that what was read can be saved again.
    const int colors = ActiveColors().Count();
    if (colors == 0)
        return;
    const int valid = LocalColors.Count() > 0 ? colors : 1 << ActiveColors().Depth();
    if (valid >= 256)
        return;
    const uint8_t replacement = fill < valid ? fill : 0;
    uint8_t* pixels = Pixels();
    for (size_t i = 0; i < PixelBytes(); ++i)
        if (pixels[i] >= valid)
            pixels[i] = replacement;
}

void TGIFExtensionList::ReadAll(TStream& stream, TGIFSubImage& frame)
{
    uint8_t byte;
    if (!stream.ReadByte(byte))
        return;
    while (byte != ',' && byte != ';') {
        if (byte != '!') {
            Warn(wsWarning, "Invalid extension introducer");
            break;
        }
        const TGIFExtensionClass* extensionClass = ResolveExtensionClass(stream);
        if (!extensionClass)
            throw GIFException("Unknown extension type");
        stream.Skip(-1);
        std::unique_ptr<TGIFExtension> extension = extensionClass->Create(frame);
        extension->LoadFromStream(stream);
        Append(std::move(extension));
        if (!stream.ReadByte(byte))
            return;
    }
    stream.Skip(-1);
}

} // namespace fl
