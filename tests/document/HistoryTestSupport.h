// SPDX-License-Identifier: GPL-3.0-or-later
// An editor with an animation that has something for every kind of command,
// the bytes it saves as, and a temporary folder of the test's own.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "document/CommandError.h"
#include "document/HistoryList.h"
#include "editing/EditorTestSupport.h"
#include "editing/LoopCount.h"
#include "gif/Extensions.h"
#include "gif/GIFImage.h"
#include "platform/Stream.h"
#include "platform/TempFiles.h"

namespace fl::test {

inline std::vector<uint8_t> GifBytes(TGIFImage& image)
{
    TMemoryStream stream;
    image.SaveToStream(stream);
    return stream.TakeBytes();
}

// The message of the ECommandError the call throws; empty when it throws
// none.
template <class Call> std::string CommandErrorOf(Call&& call)
{
    try {
        call();
    } catch (const ECommandError& error) {
        return error.what();
    }
    return {};
}

// 8x6, two global colors, a loop count, three frames:
//   0: a comment of two lines (one with its own line break);
//   1: 4x3 at (2,1), four local colors with black twice, a control block
//      (delay 10, disposal 2, transparent index 2);
//   2: interlaced, without extensions.
inline std::unique_ptr<TGIFImage> MakeEditedAnimation()
{
    auto image = MakeAnimation(8, 6, 0);
    AppendFrame(*image, 0, 0, 8, 6, 0);
    TGIFSubImage& second = AppendFrame(*image, 2, 1, 4, 3, 1);
    AppendFrame(*image, 0, 0, 8, 6, 1).SetInterlaced(true);
    SetLoopCount(*image, 6);

    TGIFSubImage& first = *image->Frames[0];
    auto comment = std::make_unique<TGIFCommentExtension>(first);
    comment->Lines = {"made in a test", "two\nlines"};
    first.Extensions.Append(std::move(comment));

    for (TColor color : {MakeColor(0, 0, 0), MakeColor(0, 128, 0), MakeColor(0, 0, 0), MakeColor(0, 0, 255)})
        second.LocalColors.Add(color);
    auto control = std::make_unique<TGIFGraphicControlExtension>(second);
    control->Delay = 10;
    control->SetDisposal(2);
    control->SetTransparent(true);
    control->SetTransparentIndex(2);
    second.Extensions.Append(std::move(control));
    return image;
}

// Points the system's temporary folder (and so TempFolder()) at a folder of
// this test while it lives, so that the test can count the files commands
// leave there without seeing those of tests running beside it.
class PrivateTempFolder {
public:
    PrivateTempFolder()
    {
        if (const char* previous = std::getenv("TMPDIR"))
            previous_ = previous;
        setenv("TMPDIR", folder_.Path().c_str(), 1);
    }
    ~PrivateTempFolder()
    {
        if (previous_)
            setenv("TMPDIR", previous_->c_str(), 1);
        else
            unsetenv("TMPDIR");
    }
    PrivateTempFolder(const PrivateTempFolder&) = delete;
    PrivateTempFolder& operator=(const PrivateTempFolder&) = delete;

    const std::filesystem::path& Path() const { return folder_.Path(); }
    // The names of the files that start with the program's prefix.
    std::vector<std::string> TempFiles() const
    {
        std::vector<std::string> names;
        for (const std::string& name : folder_.Names())
            if (name.rfind(TempFilePrefix, 0) == 0)
                names.push_back(name);
        return names;
    }

private:
    ScratchFolder folder_;
    std::optional<std::string> previous_;
};

// An editor holding the animation above, its frame list in step, and an
// empty history.
class HistoryFixture : public testing::Test {
protected:
    HistoryFixture() { Open(MakeEditedAnimation()); }

    void Open(std::unique_ptr<TGIFImage> image)
    {
        history.ClearHistory();
        host.active = std::move(image);
        host.frameList.items.clear();
        for (int i = 0; i < host.active->Frames.Count(); ++i)
            host.frameList.items.push_back("Frame");
        before = GifBytes(*host.active);
    }
    TGIFImage& Active() { return *host.active; }
    TGIFSubImage& FrameAt(int index) { return *host.active->Frames[index]; }

    // Undoes the newest command and expects the animation to save exactly as
    // it did when it was opened.
    void ExpectUndoRestores()
    {
        ASSERT_GT(history.Count(), 0);
        ASSERT_NE(GifBytes(Active()), before) << "the edit changed nothing, so the test proves nothing";
        const int count = history.Count();
        history.UndoLast();
        EXPECT_EQ(history.Count(), count - 1);
        EXPECT_EQ(GifBytes(Active()), before);
    }

    FakeEditorHost host;
    THistoryList history{host};
    std::vector<uint8_t> before;
};

} // namespace fl::test
