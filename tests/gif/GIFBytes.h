// SPDX-License-Identifier: GPL-3.0-or-later
// Hand-made GIF streams for the model tests.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "gif/GIFImage.h"
#include "gif/PixelEncoder.h"
#include "platform/Stream.h"

namespace fl::test {

class TGIFBytes {
public:
    TGIFBytes& Bytes(std::initializer_list<int> values)
    {
        for (int v : values)
            data.push_back(static_cast<uint8_t>(v));
        return *this;
    }
    TGIFBytes& Text(const std::string& text)
    {
        data.insert(data.end(), text.begin(), text.end());
        return *this;
    }
    TGIFBytes& Word(int value) { return Bytes({value & 0xFF, (value >> 8) & 0xFF}); }
    // Signature, logical screen and a global table of `colors` gray entries
    // (0 for none; otherwise a power of two).
    TGIFBytes& Header(int width, int height, int colors, const char* version = "GIF89a")
    {
        Text(version).Word(width).Word(height);
        int sizeBits = 0;
        while (colors > 0 && (2 << sizeBits) < colors)
            ++sizeBits;
        Bytes({colors > 0 ? 0x80 | sizeBits << 4 | sizeBits : 0, 0, 0});
        for (int i = 0; i < colors; ++i)
            Bytes({i, i, i});
        return *this;
    }
    TGIFBytes& Descriptor(int left, int top, int width, int height, int flags = 0)
    {
        return Bytes({0x2C}).Word(left).Word(top).Word(width).Word(height).Bytes({flags});
    }
    // Compressed pixel data for the given indices, taken in the order given.
    TGIFBytes& Pixels(const std::vector<uint8_t>& pixels, int width, int height, int depth)
    {
        TMemoryStream stream;
        EncodeFramePixels(stream, pixels.data(), width, height, false, depth, 1 << depth, encodeLZW);
        data.insert(data.end(), stream.Bytes().begin(), stream.Bytes().end());
        return *this;
    }
    TGIFBytes& Control(int flags, int delay, int transparentIndex, int terminator = 0)
    {
        return Bytes({0x21, 0xF9, 4, flags}).Word(delay).Bytes({transparentIndex, terminator});
    }
    TGIFBytes& Comment(const std::string& text)
    {
        Bytes({0x21, 0xFE, static_cast<int>(text.size())}).Text(text);
        return Bytes({0});
    }
    TGIFBytes& Trailer() { return Bytes({0x3B}); }

    std::vector<uint8_t> data;
};

// A document loaded from bytes, with the warnings it gave.
struct TLoaded {
    TGIFImage image;
    std::vector<std::string> warnings;
    std::string error;
    int64_t positionAfter = 0;
};

inline void Load(TLoaded& loaded, const std::vector<uint8_t>& bytes, int64_t start = 0)
{
    loaded.image.WarningHandler = [&loaded](TGIFImage&, TGIFItem*, int, const std::string& message) {
        loaded.warnings.push_back(message);
    };
    TMemoryStream stream(bytes.data(), bytes.size());
    stream.SetPosition(start);
    try {
        loaded.image.LoadFromStream(stream);
    } catch (const GIFException& error) {
        loaded.error = error.what();
    }
    loaded.positionAfter = stream.Position();
}

inline std::vector<uint8_t> Save(TGIFImage& image)
{
    TMemoryStream stream;
    image.SaveToStream(stream);
    return stream.Bytes();
}

} // namespace fl::test
