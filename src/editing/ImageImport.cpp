// SPDX-License-Identifier: GPL-3.0-or-later
#include "editing/ImageImport.h"

#include <exception>

#include "editing/AnimationFiles.h"
#include "editing/DefaultableMessage.h"
#include "editing/EditorHost.h"
#include "editing/FileTypes.h"
#include "gif/GIFImage.h"
#include "platform/Bitmap.h"
#include "platform/FileProblems.h"
#include "platform/MessageService.h"

namespace fl {

namespace {

int ImportGIF(TEditorHost& host, const std::string& path, TBitmap& target, bool bitmapOnly,
              TDropSource source)
{
    TGIFImage dropped;
    {
        TBusyCursor busy(host.Messages());
        if (!LoadAnimationFile(host.Messages(), dropped, path))
            return importFailed;
    }
    if (bitmapOnly) {
        // A file without frames has no picture to give.
        if (dropped.IsEmpty())
            return importFailed;
        dropped.CopyToGraphic(target);
        return importBitmapFilled;
    }
    if (!host.ActiveAnimation() || source == TDropSource::ThumbnailsOutsideFrameList) {
        host.OpenAsNewDocument(path);
        return importOpenedAsNew;
    }
    return AskDropAction(host, path, dropped, DropImageQuestion);
}

} // namespace

int ImportImageFile(TEditorHost& host, const std::string& path, TBitmap& target, int fileType,
                    bool bitmapOnly, TDropSource source)
{
    if (const std::string problem = FileReadProblem(path); !problem.empty()) {
        ShowErrorMessage(host.Messages(), "Error loading " + path + "! " + problem);
        return importFailed;
    }
    // The hourglass shows while a file is read, never over a question.
    if (fileType == ftBMP) {
        try {
            TBusyCursor busy(host.Messages());
            target.LoadFromFile(path);
            return importBitmapFilled;
        } catch (const std::exception&) {
            return importFailed;
        }
    }
    if (fileType < ftGIF || fileType > ftAVI) {
        ShowErrorMessage(host.Messages(), ExtractFileName(path) + " is an unrecognized file type!");
        return importFailed;
    }
    if (fileType != ftGIF) {
        TImageFileReader* reader = host.ImageReader();
        if (!reader)
            return importFailed;
        try {
            TBusyCursor busy(host.Messages());
            return reader->LoadImage(path, fileType, target) == 0 ? importBitmapFilled : importFailed;
        } catch (const std::exception&) {
            return importFailed;
        }
    }
    try {
        return ImportGIF(host, path, target, bitmapOnly, source);
    } catch (const std::exception& error) {
        // Converting the dropped frames can still fail (a frame too large
        // to render, say); the user hears of it rather than losing the drop
        // without a word.
        ShowErrorMessage(host.Messages(), error.what());
        return importFailed;
    }
}

int AskDropAction(TEditorHost& host, const std::string& path, TGIFImage& dropped, const std::string& message)
{
    const int answer = ShowDefaultableMessage(host.Messages(), host.Settings(), message,
                                              "Make this the &default", KeyDropImageDefault);
    if (answer == mrYes) {
        int position = host.AskInsertPosition();
        if (position < 0)
            return importFailed;
        {
            TFrameBatch batch(host);
            for (const auto& frame : dropped.Frames) {
                if (frame->IsEmpty())
                    continue;
                TBitmap bitmap;
                frame->CopyToGraphic(bitmap);
                if (!host.InsertBitmapAsFrame(bitmap, position, "Drag and Drop Image"))
                    return importFailed;
                ++position;
            }
        }
        host.ActiveDocumentChanged();
        return importFramesAdded;
    }
    if (answer == mrNo) {
        host.OpenAsNewDocument(path);
        return importOpenedAsNew;
    }
    return importFailed;
}

} // namespace fl
