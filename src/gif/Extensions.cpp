// SPDX-License-Identifier: GPL-3.0-or-later
#include "gif/Extensions.h"

#include <algorithm>
#include <cstring>

#include "gif/ExtensionRegistry.h"
#include "gif/GIFImage.h"
#include "gif/StreamIO.h"
#include "gif/SubImage.h"
#include "platform/GIFException.h"

namespace fl {

TGIFApplicationId MakeApplicationId(const char* text11)
{
    TGIFApplicationId id{};
    std::memcpy(id.data(), text11, id.size());
    return id;
}

TGIFExtension::TGIFExtension(TGIFSubImage& frame) : TGIFItem(frame.Image()), frame_(frame) {}

void TGIFExtension::LoadHead(TStream& stream)
{
    uint8_t head[2];
    ReadExactly(stream, head, 2);
    if (head[0] != '!')
        throw GIFException("Invalid extension introducer");
    if (head[1] != Label())
        throw GIFException("Internal error: Extension Instance does not match Extension Label");
}

void TGIFExtension::SaveHead(TStream& stream)
{
    const uint8_t head[2] = {'!', Label()};
    stream.Write(head, 2);
}

// Class descriptors: a class resolves to itself unless it says otherwise.
template <class E>
static std::unique_ptr<TGIFExtension> CreateExtension(TGIFSubImage& frame)
{
    return std::make_unique<E>(frame);
}
template <class E>
static const TGIFExtensionClass* ResolveToSelf(TStream&)
{
    return &E::ClassInfo;
}

// Graphic control

const TGIFExtensionClass TGIFGraphicControlExtension::ClassInfo = {
    "TGIFGraphicControlExtension", bsGraphicControlExtension, ResolveToSelf<TGIFGraphicControlExtension>,
    CreateExtension<TGIFGraphicControlExtension>};

TGIFGraphicControlExtension::TGIFGraphicControlExtension(TGIFSubImage& frame) : TGIFExtension(frame)
{
    if (!frame.ControlBlock)
        frame.ControlBlock = this;
}

TGIFGraphicControlExtension::~TGIFGraphicControlExtension()
{
    if (Transparent())
        Frame().Transparent = false;
    if (Frame().ControlBlock == this)
        Frame().ControlBlock = nullptr;
}

void TGIFGraphicControlExtension::SetTransparent(bool value)
{
    ControlFlags = static_cast<uint8_t>(value ? ControlFlags | 0x01 : ControlFlags & ~0x01);
    Frame().Transparent = value;
}

void TGIFGraphicControlExtension::SetWaitForInput(bool value)
{
    ControlFlags = static_cast<uint8_t>(value ? ControlFlags | 0x02 : ControlFlags & ~0x02);
}

void TGIFGraphicControlExtension::SetDisposal(int value)
{
    ControlFlags = static_cast<uint8_t>((ControlFlags & ~0x1C) | ((value * 4) & 0x1C));
}

void TGIFGraphicControlExtension::SetTransparentIndex(int index)
{
    const int count = Frame().ActiveColors().Count();
    if (count > 0 && (index >= count || index < 0)) {
        Warn(wsWarning, "Invalid color index");
        index = 0;
    }
    transparentIndex_ = static_cast<uint8_t>(index);
}

TColor TGIFGraphicControlExtension::TransparentRGB() const
{
    return Frame().ActiveColors().ColorAt(transparentIndex_);
}

void TGIFGraphicControlExtension::SetTransparentRGB(TColor color)
{
    transparentIndex_ = static_cast<uint8_t>(Frame().ActiveColors().AddUnique(color));
}

void TGIFGraphicControlExtension::SaveToStream(TStream& stream)
{
    SaveHead(stream);
    // Always a well-formed block: a stray byte read where the terminator
    // belonged would make the written file read differently.
    const uint8_t bytes[6] = {4, ControlFlags, uint8_t(Delay), uint8_t(Delay >> 8), transparentIndex_, 0};
    stream.Write(bytes, 6);
}

void TGIFGraphicControlExtension::LoadFromStream(TStream& stream)
{
    LoadHead(stream);
    uint8_t bytes[6];
    if (stream.Read(bytes, 6) != 6) {
        Warn(wsWarning, "Premature end of data");
        return;
    }
    BlockSize = bytes[0];
    ControlFlags = bytes[1];
    Delay = static_cast<uint16_t>(bytes[2] | bytes[3] << 8);
    transparentIndex_ = bytes[4];
    Terminator = bytes[5];
    // A block without its terminator: the byte read as one opens the next
    // block, which must not be lost.
    if (Terminator != 0) {
        stream.Skip(-1);
        if (NextBlockStartsHere(stream)) {
            Terminator = 0;
            Warn(wsWarning, "Extension terminator missing");
        } else {
            stream.Skip(1);
        }
    }
    if (Transparent())
        Frame().Transparent = true;
}

// Comment

const TGIFExtensionClass TGIFCommentExtension::ClassInfo = {
    "TGIFCommentExtension", bsCommentExtension, ResolveToSelf<TGIFCommentExtension>,
    CreateExtension<TGIFCommentExtension>};

void TGIFCommentExtension::SaveToStream(TStream& stream)
{
    SaveHead(stream);
    WriteLines(stream, Lines);
}

void TGIFCommentExtension::LoadFromStream(TStream& stream)
{
    LoadHead(stream);
    ReadLines(stream, Lines);
}

// Plain text

const TGIFExtensionClass TGIFTextExtension::ClassInfo = {
    "TGIFTextExtension", bsPlainTextExtension, ResolveToSelf<TGIFTextExtension>, CreateExtension<TGIFTextExtension>};

void TGIFTextExtension::SaveToStream(TStream& stream)
{
    SaveHead(stream);
    // The header always holds the twelve bytes read, whatever size it
    // claimed: the size written says so, as for control blocks.
    const uint8_t bytes[13] = {12,              uint8_t(GridLeft),    uint8_t(GridLeft >> 8),  uint8_t(GridTop),
                               uint8_t(GridTop >> 8), uint8_t(GridWidth), uint8_t(GridWidth >> 8), uint8_t(GridHeight),
                               uint8_t(GridHeight >> 8), CellWidth,   CellHeight,              ForegroundIndex,
                               BackgroundIndex};
    stream.Write(bytes, 13);
    WriteLines(stream, Lines);
}

void TGIFTextExtension::LoadFromStream(TStream& stream)
{
    LoadHead(stream);
    uint8_t bytes[13];
    ReadExactly(stream, bytes, 13);
    BlockSize = bytes[0];
    GridLeft = static_cast<uint16_t>(bytes[1] | bytes[2] << 8);
    GridTop = static_cast<uint16_t>(bytes[3] | bytes[4] << 8);
    GridWidth = static_cast<uint16_t>(bytes[5] | bytes[6] << 8);
    GridHeight = static_cast<uint16_t>(bytes[7] | bytes[8] << 8);
    CellWidth = bytes[9];
    CellHeight = bytes[10];
    ForegroundIndex = bytes[11];
    BackgroundIndex = bytes[12];
    ReadLines(stream, Lines);
}

// Application extensions

// Which application extension class reads the header block after the label.
static const TGIFExtensionClass* ResolveApplication(TStream& stream)
{
    uint8_t size;
    if (!stream.ReadByte(size))
        return nullptr;
    uint8_t id[11] = {};
    if (size == 10)
        return stream.Read(id, 10) == 10 ? &TGIFUnknownAppExtension::ClassInfo : nullptr;
    if (size == 11 && stream.Read(id, 11) == 11) {
        TGIFApplicationId appId;
        std::memcpy(appId.data(), id, 11);
        const TGIFExtensionClass* found = FindApplicationClass(appId);
        return found ? found : &TGIFUnknownAppExtension::ClassInfo;
    }
    if (size >= 12)
        return &TGIFUnknownAppExtension::ClassInfo;
    // Its own reading reports what is wrong with the header block.
    return &TGIFApplicationExtension::ClassInfo;
}

const TGIFExtensionClass TGIFApplicationExtension::ClassInfo = {
    "TGIFApplicationExtension", bsApplicationExtension, ResolveApplication,
    CreateExtension<TGIFApplicationExtension>};

std::string TGIFApplicationExtension::AppIdText() const
{
    return std::string(reinterpret_cast<const char*>(AppId.data()), AppId.size());
}

void TGIFApplicationExtension::SaveToStream(TStream& stream)
{
    SaveHead(stream);
    if (ShortHeader) {
        stream.WriteByte(10);
        stream.Write(AppId.data(), 10);
    } else {
        const size_t rest = std::min<size_t>(HeaderRest.size(), 255 - AppId.size());
        stream.WriteByte(static_cast<uint8_t>(AppId.size() + rest));
        stream.Write(AppId.data(), AppId.size());
        if (rest > 0)
            stream.Write(HeaderRest.data(), rest);
    }
    WriteAppData(stream);
}

void TGIFApplicationExtension::LoadFromStream(TStream& stream)
{
    LoadHead(stream);
    uint8_t size = 0;
    ReadExactly(stream, &size, 1);
    AppId.fill(0);
    HeaderRest.clear();
    ShortHeader = size == 10;
    if (size == 10) {
        ReadExactly(stream, AppId.data(), 10);
    } else if (size < 10) {
        throw GIFException("Unsupported Application Extension block size");
    } else {
        ReadExactly(stream, AppId.data(), 11);
        if (size > 11) {
            HeaderRest.resize(size - 11u);
            // A stream cut short inside the header keeps what it holds.
            HeaderRest.resize(static_cast<size_t>(stream.Read(HeaderRest.data(), HeaderRest.size())));
        }
    }
    ReadAppData(stream);
}

void TGIFApplicationExtension::WriteAppData(TStream& stream)
{
    stream.WriteByte(0);
}

void TGIFApplicationExtension::ReadAppData(TStream& stream)
{
    SkipSubBlocks(stream);
}

// Loop extension

const TGIFExtensionClass TGIFAppExtNSLoop::ClassInfo = {
    "TGIFAppExtNSLoop", bsApplicationExtension, ResolveToSelf<TGIFAppExtNSLoop>, CreateExtension<TGIFAppExtNSLoop>};

TGIFAppExtNSLoop::TGIFAppExtNSLoop(TGIFSubImage& frame) : TGIFApplicationExtension(frame)
{
    AppId = MakeApplicationId("NETSCAPE2.0");
}

void TGIFAppExtNSLoop::WriteAppData(TStream& stream)
{
    const uint8_t loop[4] = {3, 1, uint8_t(LoopCount), uint8_t(LoopCount >> 8)};
    stream.Write(loop, 4);
    if (BufferSize != 0) {
        const uint8_t buffer[6] = {5, 2, uint8_t(BufferSize), uint8_t(BufferSize >> 8), uint8_t(BufferSize >> 16),
                                   uint8_t(BufferSize >> 24)};
        stream.Write(buffer, 6);
    }
    stream.WriteByte(0);
}

void TGIFAppExtNSLoop::ReadAppData(TStream& stream)
{
    // A size or id byte missing at the end of the stream counts as the
    // terminator: a truncated loop extension keeps what it had. So does the
    // start of the next block where another sub-block should be, so that an
    // extension without its terminator does not take the picture after it.
    for (bool first = true;; first = false) {
        uint8_t size, id;
        if (!first && NextBlockStartsHere(stream)) {
            Warn(wsWarning, "Extension terminator missing");
            return;
        }
        if (!stream.ReadByte(size) || size == 0)
            return;
        if (!stream.ReadByte(id))
            return;
        int rest;
        if ((id & 7) == 1) {
            if (size < 3)
                throw GIFException("Invalid GIF data");
            uint8_t bytes[2];
            ReadExactly(stream, bytes, 2);
            LoopCount = static_cast<uint16_t>(bytes[0] | bytes[1] << 8);
            rest = size - 3;
        } else if ((id & 7) == 2) {
            if (size < 5)
                throw GIFException("Invalid GIF data");
            uint8_t bytes[4];
            ReadExactly(stream, bytes, 4);
            BufferSize = uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 |
                         uint32_t(bytes[3]) << 24;
            rest = size - 5;
        } else {
            rest = size - 1;
        }
        if (rest > 0)
            stream.Skip(rest);
    }
}

// Unknown application extensions keep their data verbatim.

const TGIFExtensionClass TGIFUnknownAppExtension::ClassInfo = {
    "TGIFUnknownAppExtension", bsApplicationExtension, ResolveToSelf<TGIFUnknownAppExtension>,
    CreateExtension<TGIFUnknownAppExtension>};

void TGIFUnknownAppExtension::WriteAppData(TStream& stream)
{
    for (const TGIFBlock& block : DataBlocks) {
        stream.WriteByte(static_cast<uint8_t>(block.Data.size()));
        stream.Write(block.Data.data(), block.Data.size());
    }
    stream.WriteByte(0);
}

void TGIFUnknownAppExtension::ReadAppData(TStream& stream)
{
    DataBlocks.clear();
    uint8_t size;
    while (stream.ReadByte(size) && size != 0) {
        TGIFBlock block;
        block.Data.resize(size);
        ReadExactly(stream, block.Data.data(), size);
        DataBlocks.push_back(std::move(block));
    }
}

// Text lines as sub-blocks

void WriteLines(TStream& stream, const TGIFLines& lines)
{
    for (const std::string& line : lines) {
        size_t offset = 0;
        while (offset < line.size()) {
            const size_t chunk = std::min<size_t>(255, line.size() - offset);
            stream.WriteByte(static_cast<uint8_t>(chunk));
            stream.Write(line.data() + offset, chunk);
            offset += chunk;
        }
    }
    stream.WriteByte(0);
}

void ReadLines(TStream& stream, TGIFLines& lines)
{
    lines.clear();
    uint8_t size;
    char buffer[255];
    while (stream.ReadByte(size) && size != 0) {
        ReadExactly(stream, buffer, size);
        lines.emplace_back(buffer, strnlen(buffer, size));
    }
}

} // namespace fl
