// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "gif/GIFItem.h"

namespace fl {

class TGIFSubImage;
class TGIFExtension;
struct TGIFExtensionClass;

// Lines of a comment or plain text extension: byte strings.
using TGIFLines = std::vector<std::string>;

// Extension labels.
constexpr uint8_t bsPlainTextExtension = 0x01;
constexpr uint8_t bsGraphicControlExtension = 0xF9;
constexpr uint8_t bsCommentExtension = 0xFE;
constexpr uint8_t bsApplicationExtension = 0xFF;

// The class of an extension as the registries see it: which label it reads,
// how it refines itself from the stream, how to create one.
struct TGIFExtensionClass {
    const char* Name;
    uint8_t Label;
    // Which class reads the extension whose label was just read; the stream
    // stands after the label. Answers the class itself, another one, or none.
    const TGIFExtensionClass* (*ResolveClass)(TStream& stream);
    std::unique_ptr<TGIFExtension> (*Create)(TGIFSubImage& frame);
};

// An extension block that precedes a frame's image in the file.
class TGIFExtension : public TGIFItem {
public:
    explicit TGIFExtension(TGIFSubImage& frame);

    TGIFSubImage& Frame() const { return frame_; }
    TGIFVersion Version() const override { return TGIFVersion::GIF89a; }
    virtual const TGIFExtensionClass& Class() const = 0;
    uint8_t Label() const { return Class().Label; }

protected:
    // "!" and the label, checked against this class.
    void LoadHead(TStream& stream);
    void SaveHead(TStream& stream);

private:
    TGIFSubImage& frame_;
};

class TGIFGraphicControlExtension final : public TGIFExtension {
public:
    // Becomes the frame's control block when the frame has none yet; the
    // creator appends it to the frame's extensions.
    explicit TGIFGraphicControlExtension(TGIFSubImage& frame);
    ~TGIFGraphicControlExtension() override;
    static const TGIFExtensionClass ClassInfo;
    const TGIFExtensionClass& Class() const override { return ClassInfo; }

    uint8_t BlockSize = 4;
    uint8_t ControlFlags = 0;
    uint16_t Delay = 0;
    uint8_t Terminator = 0;

    bool Transparent() const { return ControlFlags & 0x01; }
    void SetTransparent(bool value);
    bool WaitForInput() const { return ControlFlags & 0x02; }
    void SetWaitForInput(bool value);
    int Disposal() const { return (ControlFlags >> 2) & 7; }
    void SetDisposal(int value);
    uint8_t TransparentIndex() const { return transparentIndex_; }
    // Warns "Invalid color index" and stores 0 for an index outside a
    // non-empty active color table.
    void SetTransparentIndex(int index);
    TColor TransparentRGB() const;
    void SetTransparentRGB(TColor color);

    void SaveToStream(TStream& stream) override;
    void LoadFromStream(TStream& stream) override;

private:
    uint8_t transparentIndex_ = 0;
};

class TGIFCommentExtension final : public TGIFExtension {
public:
    using TGIFExtension::TGIFExtension;
    static const TGIFExtensionClass ClassInfo;
    const TGIFExtensionClass& Class() const override { return ClassInfo; }

    TGIFLines Lines;

    void SaveToStream(TStream& stream) override;
    void LoadFromStream(TStream& stream) override;
};

class TGIFTextExtension final : public TGIFExtension {
public:
    using TGIFExtension::TGIFExtension;
    static const TGIFExtensionClass ClassInfo;
    const TGIFExtensionClass& Class() const override { return ClassInfo; }

    uint8_t BlockSize = 12;
    uint16_t GridLeft = 0;
    uint16_t GridTop = 0;
    uint16_t GridWidth = 0;
    uint16_t GridHeight = 0;
    uint8_t CellWidth = 0;
    uint8_t CellHeight = 0;
    uint8_t ForegroundIndex = 0;
    uint8_t BackgroundIndex = 0;
    TGIFLines Lines;

    void SaveToStream(TStream& stream) override;
    void LoadFromStream(TStream& stream) override;
};

// 8-byte identifier and 3-byte authentication code.
using TGIFApplicationId = std::array<uint8_t, 11>;
TGIFApplicationId MakeApplicationId(const char* text11);

class TGIFApplicationExtension : public TGIFExtension {
public:
    using TGIFExtension::TGIFExtension;
    static const TGIFExtensionClass ClassInfo;
    const TGIFExtensionClass& Class() const override { return ClassInfo; }

    TGIFApplicationId AppId{};
    std::string AppIdText() const;
    // A header block of other than 11 bytes is written back as it was
    // read: 10 bytes of identifier, or the identifier and these bytes
    // after it. Rewritten as a plain identifier, an extension of unknown
    // layout could come back as a known one and be read differently.
    bool ShortHeader = false;
    std::vector<uint8_t> HeaderRest;

    void SaveToStream(TStream& stream) override;
    void LoadFromStream(TStream& stream) override;

protected:
    // The data sub-blocks after the identifier. The base class is only
    // instantiated for header blocks it cannot read (its loading fails
    // first); it reads and writes no data of its own.
    virtual void WriteAppData(TStream& stream);
    virtual void ReadAppData(TStream& stream);
};

// Loop count ("NETSCAPE2.0", "ANIMEXTS1.0").
class TGIFAppExtNSLoop final : public TGIFApplicationExtension {
public:
    explicit TGIFAppExtNSLoop(TGIFSubImage& frame);
    static const TGIFExtensionClass ClassInfo;
    const TGIFExtensionClass& Class() const override { return ClassInfo; }

    uint16_t LoopCount = 0;  // 0 = repeat forever
    uint32_t BufferSize = 0; // 0 = absent

protected:
    void WriteAppData(TStream& stream) override;
    void ReadAppData(TStream& stream) override;
};

// One data sub-block kept verbatim.
struct TGIFBlock {
    std::vector<uint8_t> Data; // 1..255 bytes
};

class TGIFUnknownAppExtension final : public TGIFApplicationExtension {
public:
    using TGIFApplicationExtension::TGIFApplicationExtension;
    static const TGIFExtensionClass ClassInfo;
    const TGIFExtensionClass& Class() const override { return ClassInfo; }

    std::vector<TGIFBlock> DataBlocks;

protected:
    void WriteAppData(TStream& stream) override;
    void ReadAppData(TStream& stream) override;
};

// Writes text lines as sub-blocks of at most 255 bytes, then the terminator.
void WriteLines(TStream& stream, const TGIFLines& lines);
// Reads a sub-block chain as lines, each cut at its first zero byte.
void ReadLines(TStream& stream, TGIFLines& lines);

} // namespace fl
