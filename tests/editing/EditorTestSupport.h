// SPDX-License-Identifier: GPL-3.0-or-later
// Animations built in code, a scratch folder, and an editor that records
// what the file and frame routines ask of it.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "editing/EditorHost.h"
#include "gif/GIFImage.h"
#include "platform/Bitmap.h"
#include "platform/MessageService.h"
#include "platform/SettingsStore.h"

namespace fl::test {

// Appends a frame at the given place whose pixels all hold index `fill`.
inline TGIFSubImage& AppendFrame(TGIFImage& image, int left, int top, int width, int height, uint8_t fill = 1)
{
    auto frame = std::make_unique<TGIFSubImage>(&image);
    frame->SetGeometry(left, top, width, height);
    if (frame->Pixels())
        std::fill(frame->Pixels(), frame->Pixels() + frame->PixelBytes(), fill);
    TGIFSubImage& result = *frame;
    image.AddFrame(std::move(frame));
    return result;
}

// An animation of the given size with two global colors (black, red) and
// `frames` full-size frames; frame i is filled with index i % 2.
inline std::unique_ptr<TGIFImage> MakeAnimation(int width, int height, int frames)
{
    auto image = std::make_unique<TGIFImage>();
    image->GlobalColors().Add(MakeColor(0, 0, 0));
    image->GlobalColors().Add(MakeColor(255, 0, 0));
    image->SetWidth(width);
    image->SetHeight(height);
    for (int i = 0; i < frames; ++i)
        AppendFrame(*image, 0, 0, width, height, static_cast<uint8_t>(i % 2));
    return image;
}

// A fresh folder under the system's temporary folder, removed afterwards.
class ScratchFolder {
public:
    ScratchFolder()
    {
        const auto* info = testing::UnitTest::GetInstance()->current_test_info();
        path_ = std::filesystem::temp_directory_path() /
                (std::string("fl-") + info->test_suite_name() + "-" + info->name() + "-" +
                 std::to_string(reinterpret_cast<uintptr_t>(this)));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~ScratchFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    std::string File(const std::string& name) const { return (path_ / name).string(); }
    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(path_))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    std::filesystem::path path_;
};

// The frame list as a list of captions, with every call recorded.
class RecordingFrameList final : public TFrameListView {
public:
    void BeginUpdate() override { log.push_back("begin"); }
    void EndUpdate() override { log.push_back("end"); }
    void MoveItem(int from, int to) override
    {
        if (failMoves)
            throw std::runtime_error("list refused");
        log.push_back("move " + std::to_string(from) + " " + std::to_string(to));
        const std::string item = items.at(static_cast<size_t>(from));
        items.erase(items.begin() + from);
        items.insert(items.begin() + to, item);
    }
    void DeleteItem(int index) override
    {
        log.push_back("delete " + std::to_string(index));
        items.erase(items.begin() + index);
    }
    void InsertItem(int index, const std::string& caption, const TBitmap& thumbnail) override
    {
        log.push_back("insert " + std::to_string(index) + " " + caption + " " +
                      std::to_string(thumbnail.Width()) + "x" + std::to_string(thumbnail.Height()));
        items.insert(items.begin() + index, caption);
    }
    void Select(int index) override
    {
        log.push_back("select " + std::to_string(index));
        selected = index;
    }
    void RefreshSelected() override { log.push_back("refresh"); }

    std::vector<std::string> items;
    std::vector<std::string> log;
    int selected = -1;
    bool failMoves = false;
};

class FakeImageReader final : public TImageFileReader {
public:
    int LoadImage(const std::string& path, int fileType, TBitmap& target) override
    {
        calls.push_back(path + " " + std::to_string(fileType));
        if (result == 0)
            target = TBitmap(3, 2, TPixelFormat::pf24bit);
        return result;
    }
    int result = 0;
    std::vector<std::string> calls;
};

// The editor as the routines see it. Frames inserted as bitmaps are added
// to the active animation for real, so that tests can count them.
class FakeEditorHost final : public TEditorHost {
public:
    TMessageService& Messages() override { return messages; }
    TSettingsStore& Settings() override { return settings; }
    TGIFImage* ActiveAnimation() override { return active.get(); }
    TFrameListView& FrameList() override { return frameList; }
    TImageFileReader* ImageReader() override { return readerAvailable ? &reader : nullptr; }
    TProgressEvent ProgressReceiver() override
    {
        return [this](TGraphic&, TProgressStage, int, bool, const std::string&) { ++progressReports; };
    }
    void OpenAsNewDocument(const std::string& path) override { openedAsNew.push_back(path); }
    int AskInsertPosition() override
    {
        ++insertPositionQuestions;
        return insertPosition;
    }
    bool InsertBitmapAsFrame(const TBitmap& bitmap, int index, const std::string& undoName) override
    {
        insertedUndoNames.push_back(undoName);
        insertedPositions.push_back(index);
        if (failInsertAfter >= 0 && static_cast<int>(insertedPositions.size()) > failInsertAfter)
            return false;
        auto frame = std::make_unique<TGIFSubImage>(active.get());
        frame->CopyFrom(bitmap);
        active->Frames.Insert(index, std::move(frame));
        return true;
    }
    void ActiveDocumentChanged() override { ++documentChanges; }

    TScriptedMessageService messages;
    TMemorySettingsStore settings;
    std::unique_ptr<TGIFImage> active;
    RecordingFrameList frameList;
    FakeImageReader reader;
    bool readerAvailable = true;
    int progressReports = 0;
    std::vector<std::string> openedAsNew;
    int insertPosition = 0;
    int insertPositionQuestions = 0;
    int failInsertAfter = -1; // insertions after this many fail
    std::vector<std::string> insertedUndoNames;
    std::vector<int> insertedPositions;
    int documentChanges = 0;
};

} // namespace fl::test
