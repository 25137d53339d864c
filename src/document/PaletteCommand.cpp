// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/PaletteCommand.h"

#include <string>

#include "document/CommandError.h"
#include "document/CommandSupport.h"
#include "editing/EditorHost.h"
#include "gif/GIFImage.h"

namespace fl {

namespace {

// The frame's local colors, the global ones for -1, or null for a frame the
// animation does not have.
TGIFColorMap* FindColorMap(TGIFImage& image, int frameIndex)
{
    if (frameIndex == -1)
        return &image.GlobalColors();
    if (frameIndex < 0 || frameIndex >= image.Frames.Count())
        return nullptr;
    return &image.Frames[frameIndex]->LocalColors;
}

// The map as captured: global colors without entries are no palette at all.
TGIFColorMap* FindCapturedMap(TGIFImage& image, int frameIndex)
{
    TGIFColorMap* map = FindColorMap(image, frameIndex);
    if (map && frameIndex == -1 && map->Count() == 0)
        return nullptr;
    return map;
}

} // namespace

TCommandPalette::TCommandPalette(TEditorHost& host, TActionType action, int colorIndex, TColor color,
                                 int frameIndex)
    : TCommand(action, frameIndex), colorIndex_(colorIndex), colorValue_(0)
{
    TGIFImage& image = RequireActiveAnimation(host);
    TGIFColorMap* map = FindCapturedMap(image, frameIndex);
    switch (action) {
    case atRemoved:
        colorMap_ = std::make_unique<TCmdColorMap>();
        if (map && map->Count() > 0)
            colorMap_->CopyFrom(*map);
        break;
    case atChanged:
        if (map) {
            colorMap_ = std::make_unique<TCmdColorMap>();
            colorMap_->CopyFrom(*map);
        }
        break;
    case atColorDeleted:
        if (colorIndex == -1)
            throw ECommandError("AColorIndex is -1!");
        // Without the entry there is no color to put back: refuse now rather
        // than append a made-up one on undo.
        if (!map || colorIndex < 0 || colorIndex >= map->Count())
            throw ECommandError("Color index " + std::to_string(colorIndex) + " is not in the palette");
        colorValue_ = map->ColorAt(colorIndex);
        break;
    case atColorChanged:
        colorValue_ = color;
        break;
    default:
        break;
    }
}

void TCommandPalette::Undo(TEditorHost& host)
{
    if (ActionType == atUnknown)
        ThrowUnknownActionType("TCommandPalette");
    TGIFImage& image = RequireActiveAnimation(host);
    TGIFColorMap* map = FindColorMap(image, FrameIndex);
    if (!map)
        return;
    // Players draw with these colors from their own threads.
    image.StopAllPlayers();
    switch (ActionType) {
    case atAdded:
        map->Reset();
        map->TableChanged();
        break;
    case atRemoved:
    case atChanged:
        // A frame's palette is only given back when the edit left it empty:
        // a palette the user filled again since is not overwritten.
        if (colorMap_ && (FrameIndex == -1 || map->Count() == 0))
            map->CopyFrom(*colorMap_);
        break;
    case atColorAdded:
        if (map->Count() > 0)
            map->Delete(map->Count() - 1);
        break;
    case atColorDeleted:
        map->Add(colorValue_);
        break;
    case atColorChanged:
        if (colorIndex_ != -1)
            map->SetColorAt(colorIndex_, colorValue_);
        break;
    default:
        break;
    }
    image.SignalChange();
}

} // namespace fl
