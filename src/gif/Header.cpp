// SPDX-License-Identifier: GPL-3.0-or-later
#include "gif/Header.h"

#include <cctype>
#include <cstring>

#include "gif/GIFImage.h"
#include "gif/StreamIO.h"
#include "platform/GIFException.h"

namespace fl {

void TGIFHeader::PrepareFlags()
{
    const int count = GlobalColors.Count();
    const uint8_t depthBits = static_cast<uint8_t>((GlobalColors.Depth() - 1) & 7);
    ScreenFlags = static_cast<uint8_t>(depthBits << 4 | depthBits);
    if (count > 0) {
        ScreenFlags |= 0x80;
        if (GlobalColors.Sorted())
            ScreenFlags |= 0x08;
    }
}

void TGIFHeader::CopyFrom(const TGIFHeader& other)
{
    GlobalColors.CopyFrom(other.GlobalColors);
    ScreenWidth = other.ScreenWidth;
    ScreenHeight = other.ScreenHeight;
    ScreenFlags = other.ScreenFlags;
    BackgroundIndex = other.BackgroundIndex;
    AspectRatio = other.AspectRatio;
}

void TGIFHeader::CopyFrom(const TGIFColorMap& colors)
{
    ScreenWidth = ScreenHeight = 0;
    ScreenFlags = BackgroundIndex = AspectRatio = 0;
    GlobalColors.CopyFrom(colors);
}

void TGIFHeader::SaveToStream(TStream& stream)
{
    const TGIFVersion version = Image() ? Image()->Version() : TGIFVersion::Unknown;
    if (version == TGIFVersion::Unknown)
        throw GIFException("Unsupported GIF version");
    stream.Write(version == TGIFVersion::GIF89a ? "GIF89a" : "GIF87a", 6);
    PrepareFlags();
    const uint8_t descriptor[7] = {uint8_t(ScreenWidth),  uint8_t(ScreenWidth >> 8), uint8_t(ScreenHeight),
                                   uint8_t(ScreenHeight >> 8), ScreenFlags,          BackgroundIndex,
                                   AspectRatio};
    stream.Write(descriptor, 7);
    if (ScreenFlags & 0x80)
        GlobalColors.WriteEntries(stream);
}

static bool IsGIFSignature(const uint8_t* bytes)
{
    return std::toupper(bytes[0]) == 'G' && std::toupper(bytes[1]) == 'I' && std::toupper(bytes[2]) == 'F';
}

void TGIFHeader::LoadFromStream(TStream& stream)
{
    const int64_t start = stream.Position();
    uint8_t signature[6];
    ReadExactly(stream, signature, 6);
    if (!IsGIFSignature(signature)) {
        // Data wrapped behind a 4-byte length prefix is accepted.
        stream.SetPosition(start);
        stream.Skip(4);
        ReadExactly(stream, signature, 6);
        if (!IsGIFSignature(signature))
            throw GIFException("Invalid GIF signature");
    }
    uint8_t descriptor[7];
    ReadExactly(stream, descriptor, 7);
    ScreenWidth = static_cast<uint16_t>(descriptor[0] | descriptor[1] << 8);
    ScreenHeight = static_cast<uint16_t>(descriptor[2] | descriptor[3] << 8);
    ScreenFlags = descriptor[4];
    BackgroundIndex = descriptor[5];
    AspectRatio = descriptor[6];
    if (ScreenFlags & 0x80)
        GlobalColors.LoadEntries(stream, 2 << (ScreenFlags & 7));
    else
        GlobalColors.Reset();
}

void TGIFTrailer::SaveToStream(TStream& stream)
{
    stream.WriteByte(';');
}

void TGIFTrailer::LoadFromStream(TStream& stream)
{
    uint8_t byte;
    if (stream.ReadByte(byte) && byte != ';')
        Warn(wsWarning, "Invalid Image trailer");
}

} // namespace fl
