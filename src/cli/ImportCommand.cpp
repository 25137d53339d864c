// SPDX-License-Identifier: GPL-3.0-or-later
// `import`: a still picture of any type the editor reads, turned into a
// one-frame animation exactly as the editor starts a new animation from it.
#include <cstdio>
#include <string>

#include "cli/Commands.h"
#include "editing/AnimationFiles.h"
#include "editing/AnimationPalettes.h"
#include "editing/EditorHost.h"
#include "editing/FileTypes.h"
#include "editing/FrameSettings.h"
#include "editing/ImageImport.h"
#include "editing/PaletteSettings.h"
#include "gif/GIFImage.h"
#include "io/ImageFileReader.h"
#include "platform/Bitmap.h"
#include "platform/MessageService.h"
#include "platform/SettingsKeys.h"

namespace fl::cli {

namespace {

class TNoFrameList final : public TFrameListView {
public:
    void BeginUpdate() override {}
    void EndUpdate() override {}
    void MoveItem(int, int) override {}
    void DeleteItem(int) override {}
    void InsertItem(int, const std::string&, const TBitmap&) override {}
    void Select(int) override {}
    void RefreshSelected() override {}
};

// The editor as far as an import into a fresh animation needs it: no open
// document, the default settings, questions answered by nobody.
class TImportHost final : public TEditorHost {
public:
    TMessageService& Messages() override { return messages_; }
    TSettingsStore& Settings() override { return settings_; }
    TGIFImage* ActiveAnimation() override { return nullptr; }
    TFrameListView& FrameList() override { return frames_; }
    TImageFileReader* ImageReader() override { return &reader_; }
    TProgressEvent ProgressReceiver() override { return {}; }
    void OpenAsNewDocument(const std::string&) override {}
    int AskInsertPosition() override { return -1; }
    bool InsertBitmapAsFrame(const TBitmap&, int, const std::string&) override { return false; }
    void ActiveDocumentChanged() override {}

    const TScriptedMessageService& Recorded() const { return messages_; }
    const TImagingFileReader& Reader() const { return reader_; }

private:
    TScriptedMessageService messages_;
    TMemorySettingsStore settings_;
    TNoFrameList frames_;
    TImagingFileReader reader_;
};

// What the editor would have shown, or else what the reader knows.
void ReportFailure(const TImportHost& host, const std::string& path)
{
    bool reported = false;
    for (const TMessageRequest& request : host.Recorded().Requests()) {
        std::fprintf(stderr, "%s\n", request.Text.c_str());
        reported = true;
    }
    if (!host.Reader().LastError().empty()) {
        std::fprintf(stderr, "%s\n", host.Reader().LastError().c_str());
        reported = true;
    }
    if (!reported)
        std::fprintf(stderr, "%s: the picture could not be read\n", path.c_str());
}

} // namespace

int RunImport(const std::vector<std::string>& args)
{
    if (args.size() != 2 || args[0].empty() || args[1].empty()) {
        std::fputs("Usage: frameloom-cli import IN OUT.gif\n", stderr);
        return 2;
    }
    const std::string& input = args[0];
    const std::string& output = args[1];

    TImportHost host;
    TBitmap bitmap;
    // As a picture only: a GIF gives its first frame as shown.
    if (ImportImageFile(host, input, bitmap, FileTypeIndex(input), true) != importBitmapFilled ||
        bitmap.Empty()) {
        ReportFailure(host, input);
        return 1;
    }

    try {
        const TSettingsStore& settings = host.Settings();
        const TAnimationDefaults defaults;
        TGIFImage image;
        const int paletteType = ReadIntegerSetting(settings, KeyPaletteType);
        bool optimize = paletteType == paletteOptimized;
        // Pictures of few colors keep them; deeper ones are reduced as the
        // user's palette settings say.
        if (bitmap.BitsPerPixel() >= 8) {
            ApplyPaletteSettings(image, settings);
            optimize = paletteType == paletteOptimized || paletteType == paletteWebSafe;
        }
        const int index = image.AddFrame(bitmap);
        TGIFSubImage& frame = *image.Frames[index];
        PrepareNewFrame(frame, defaults.LoopCount, defaults.FrameDelay);
        AddFrameComment(frame, CreatorComment);
        if (optimize)
            OptimizeAnimationPalettes(image);

        TScriptedMessageService messages;
        if (!SaveAnimationFile(messages, image, output, false, true, defaults)) {
            for (const TMessageRequest& request : messages.Requests())
                std::fprintf(stderr, "%s\n", request.Text.c_str());
            return 1;
        }
        std::printf("%dx%d colors=%d\n", image.Width(), image.Height(), image.GlobalColors().Count());
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s: %s\n", input.c_str(), error.what());
        return 1;
    }
    return 0;
}

} // namespace fl::cli
