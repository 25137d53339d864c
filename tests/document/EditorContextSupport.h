// SPDX-License-Identifier: GPL-3.0-or-later
// An editor context with scripted services and recording windows, and GIF
// files to open in it.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "document/Document.h"
#include "document/EditorContext.h"
#include "document/EditorWindows.h"
#include "document/RecordingWindows.h"
#include "editing/EditorTestSupport.h"
#include "platform/FileDialogService.h"
#include "platform/Stream.h"
#include "support/GifFileChecks.h"

namespace fl::test {

inline std::vector<uint8_t> GifBytes(TGIFImage& image)
{
    TMemoryStream stream;
    image.SaveToStream(stream);
    const auto* data = static_cast<const uint8_t*>(stream.Data());
    return {data, data + stream.Size()};
}

class EditorFixture : public testing::Test {
protected:
    // Writes an animation of `frames` 8x6 frames (frame i filled with
    // index i % 2) and answers its path.
    std::string WriteAnimation(const std::string& name, int frames)
    {
        auto image = MakeAnimation(8, 6, frames);
        const std::string path = folder.File(name);
        image->SaveToFile(path);
        return path;
    }

    TDocument& Open(const std::string& path)
    {
        TDocument* document = context.OpenDocument(path);
        if (!document)
            throw std::runtime_error("could not open " + path);
        return *document;
    }

    int FrameCount() { return context.Animation().Frames.Count(); }
    bool Enabled(const char* action) const { return context.Actions().Enabled(action); }

    ScratchFolder folder;
    TScriptedMessageService messages;
    TScriptedFileDialogService dialogs;
    TMemorySettingsStore settings;
    RecordingWindows windows;
    TEditorContext context{messages, dialogs, settings, windows};
};

} // namespace fl::test
