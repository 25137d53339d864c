// SPDX-License-Identifier: GPL-3.0-or-later
// For the window tests: windows that record what the editor context asks of
// them, an editor context with scripted services, and GIF files written to
// a temporary folder.
#pragma once

#include <QTemporaryDir>

#include <array>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "document/Document.h"
#include "document/EditorContext.h"
#include "document/EditorWindows.h"
#include "document/RecordingWindows.h"
#include "gif/GIFImage.h"
#include "gif/SubImage.h"
#include "platform/FileDialogService.h"
#include "platform/MessageService.h"
#include "platform/SettingsStore.h"

namespace fl::test {

// An editor context with scripted services and recording windows.
struct TEditorSetup {
    TScriptedMessageService messages;
    TScriptedFileDialogService dialogs;
    TMemorySettingsStore settings;
    RecordingWindows windows;
    TEditorContext context{messages, dialogs, settings, windows};

    TDocument& Open(const std::string& path)
    {
        TDocument* document = context.OpenDocument(path);
        if (!document)
            throw std::runtime_error("could not open " + path);
        return *document;
    }
};

// One frame of a hand-made animation: its place, the color index filling
// it, and the transparent index (-1: opaque).
struct TFrameSketch {
    int Left = 0;
    int Top = 0;
    int Width = 1;
    int Height = 1;
    uint8_t Fill = 0;
    int TransparentIndex = -1;
    // Pixels set apart from the fill: x, y, index.
    std::vector<std::array<int, 3>> Spots;
};

// An animation with the given global colors and frames.
inline std::unique_ptr<TGIFImage> SketchAnimation(int width, int height, const std::vector<TColor>& colors,
                                                  const std::vector<TFrameSketch>& frames)
{
    auto image = std::make_unique<TGIFImage>();
    for (TColor color : colors)
        image->GlobalColors().Add(color);
    image->SetWidth(width);
    image->SetHeight(height);
    for (const TFrameSketch& sketch : frames) {
        auto frame = std::make_unique<TGIFSubImage>(image.get());
        frame->SetGeometry(sketch.Left, sketch.Top, sketch.Width, sketch.Height);
        std::fill(frame->Pixels(), frame->Pixels() + frame->PixelBytes(), sketch.Fill);
        for (const auto& [x, y, index] : sketch.Spots)
            frame->RowAt(y)[x] = uint8_t(index);
        auto control = std::make_unique<TGIFGraphicControlExtension>(*frame);
        control->Delay = 10;
        if (sketch.TransparentIndex >= 0) {
            control->SetTransparent(true);
            control->SetTransparentIndex(sketch.TransparentIndex);
        }
        frame->Extensions.Append(std::move(control));
        image->AddFrame(std::move(frame));
    }
    return image;
}

// A temporary folder for the test's files, removed afterwards.
class TTestFolder {
public:
    TTestFolder()
    {
        if (!folder_.isValid())
            throw std::runtime_error("no temporary folder");
    }
    std::string File(const std::string& name) const
    {
        return folder_.filePath(QString::fromStdString(name)).toStdString();
    }

private:
    QTemporaryDir folder_;
};

} // namespace fl::test
