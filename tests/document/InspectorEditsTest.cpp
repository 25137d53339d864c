// SPDX-License-Identifier: GPL-3.0-or-later
// The frame inspector's edits: typed values read and refused as the user
// typed them, each edit undone back to the same bytes, the local palette and
// the comments.
#include <gtest/gtest.h>

#include "document/EditorContextSupport.h"
#include "document/InspectorEdits.h"
#include "editing/FrameSettings.h"
#include "editing/TextRoutines.h"
#include "gif/Extensions.h"

namespace fl {
namespace {

class InspectorEditsTest : public test::EditorFixture {
protected:
    // Three frames with their control blocks, as every shown frame gets one.
    TDocument& OpenThree()
    {
        auto image = test::MakeAnimation(8, 6, 3);
        for (int i = 0; i < 3; ++i)
            SetFrameDelay(*image->Frames[i], 10);
        image->SaveToFile(folder.File("three.gif"));
        return Open(folder.File("three.gif"));
    }
    TGIFSubImage& Frame(int index) { return *context.Animation().Frames[index]; }
    std::string LastMessage() const
    {
        return messages.Requests().empty() ? "" : messages.Requests().back().Text;
    }
};

TEST_F(InspectorEditsTest, EachRowIsCommittedRecordedAndUndoneToTheSameBytes)
{
    struct Case {
        int row;
        const char* typed;
        const char* shown;
        const char* undoName;
    };
    const Case cases[] = {
        {irXOffset, "3", "3", "Change X-Offset"},
        {irYOffset, " 2 ", "2", "Change Y-Offset"},
        {irInterlaced, "true", "Yes", "Interlaced"},
        {irDelay, "12 0", "120", "Change Delay"},
        {irDisposal, "background", "Background", "Change Disposal"},
        {irLocalPalette, "YES", "Yes", "Add Local Palette"},
    };
    TDocument& document = OpenThree();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.undoName);
        const std::vector<uint8_t> before = test::GifBytes(context.Animation());
        EXPECT_EQ(CommitInspectorRow(context, 1, c.row, c.typed), std::optional<std::string>(c.shown));
        EXPECT_EQ(document.History().LastName(), c.undoName);
        EXPECT_TRUE(document.Modified());
        EXPECT_EQ(InspectorValues(context, 1).Text[c.row], c.shown);
        EXPECT_NE(test::GifBytes(context.Animation()), before);
        document.Undo();
        EXPECT_EQ(test::GifBytes(context.Animation()), before);
        EXPECT_EQ(context.InspectorRow(), c.row);
    }
    EXPECT_EQ(messages.Requests().size(), 0u);
}

TEST_F(InspectorEditsTest, BadTextIsRefusedWithTheMessageAndRecordsNothing)
{
    TDocument& document = OpenThree();
    EXPECT_EQ(CommitInspectorRow(context, 0, irDelay, "-5"), std::nullopt);
    EXPECT_EQ(LastMessage(), NumberRequiredMessage);
    EXPECT_EQ(CommitInspectorRow(context, 0, irXOffset, " "), std::nullopt);
    EXPECT_EQ(CommitInspectorRow(context, 0, irInterlaced, "maybe"), std::nullopt);
    EXPECT_EQ(LastMessage(), "Accepted values for this field are: Yes, No or True or False.");
    EXPECT_EQ(CommitInspectorRow(context, 0, irDisposal, "Restore"), std::nullopt);
    EXPECT_EQ(LastMessage(), "Accepted values for this field are: None, Remove, Background, Previous");
    // Past what the format stores: the offset is refused, the delay clamped.
    EXPECT_EQ(CommitInspectorRow(context, 0, irXOffset, "65530"), std::nullopt);
    EXPECT_NE(LastMessage().find("65535"), std::string::npos);
    EXPECT_EQ(document.History().Count(), 0);
    EXPECT_EQ(CommitInspectorRow(context, 0, irDelay, "99999999999999999999"),
              std::optional<std::string>("65535"));
    EXPECT_EQ(Frame(0).ControlBlock->Delay, 65535);
    // The value the frame already has records nothing.
    EXPECT_EQ(CommitInspectorRow(context, 0, irXOffset, "0"), std::optional<std::string>("0"));
    EXPECT_EQ(document.History().Count(), 1);
}

TEST_F(InspectorEditsTest, ALocalPaletteIsMadeEditedAndTakenAwayWithoutChangingThePicture)
{
    TDocument& document = OpenThree();
    const std::vector<uint8_t> original = test::GifBytes(context.Animation());
    TGIFSubImage& frame = Frame(1);
    const TColor shown = frame.ActiveColors().ColorAt(frame.Pixels()[0]);

    messages.QueueAnswer(mrNo);
    EXPECT_FALSE(AddLocalPalette(context, 1));
    EXPECT_EQ(LastMessage(), NoLocalPaletteQuestion);
    messages.QueueAnswer(mrYes);
    ASSERT_TRUE(AddLocalPalette(context, 1));
    TGIFSubImage& local = Frame(1);
    ASSERT_GT(local.LocalColors.Count(), 0);
    EXPECT_EQ(local.LocalColors.ColorAt(local.Pixels()[0]), shown);

    // The sorted table says to use the optimizer instead.
    EXPECT_FALSE(DeleteLocalColor(context, 1, local.LocalColors.Count() - 1));
    EXPECT_EQ(LastMessage(), PaletteOptimizedMessage);
    local.LocalColors.SetSorted(false);

    ASSERT_TRUE(AddLocalColor(context, 1, MakeColor(1, 2, 3)));
    const int added = local.LocalColors.Count() - 1;
    ASSERT_TRUE(ChangeLocalColor(context, 1, added, MakeColor(4, 5, 6)));
    EXPECT_EQ(local.LocalColors.ColorAt(added), MakeColor(4, 5, 6));
    // The entry the pixels use is required, unless its color stands
    // elsewhere too: then the pixels follow it, past the shifted entries.
    const int used = local.Pixels()[0];
    EXPECT_FALSE(DeleteLocalColor(context, 1, used));
    EXPECT_EQ(LastMessage(), ColorRequiredMessage);
    ASSERT_TRUE(AddLocalColor(context, 1, shown));
    ASSERT_TRUE(DeleteLocalColor(context, 1, used));
    TGIFSubImage& after = Frame(1);
    EXPECT_EQ(after.LocalColors.ColorAt(after.Pixels()[0]), shown);
    EXPECT_EQ(after.Pixels()[0], after.LocalColors.Count() - 1);
    EXPECT_EQ(CommitInspectorRow(context, 1, irLocalPalette, "no"), std::optional<std::string>("No"));
    EXPECT_EQ(Frame(1).LocalColors.Count(), 0);
    EXPECT_EQ(Frame(1).ActiveColors().ColorAt(Frame(1).Pixels()[0]), shown);

    while (document.History().Count() > 0)
        document.Undo();
    EXPECT_EQ(test::GifBytes(context.Animation()), original);
}

TEST_F(InspectorEditsTest, CommentsAreAddedChangedAndRemovedWithUndo)
{
    TDocument& document = OpenThree();
    const std::vector<uint8_t> original = test::GifBytes(context.Animation());
    const std::optional<TCommentEntry> first = AddComment(context);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->Text, "Comment 1");
    EXPECT_EQ(document.History().LastName(), ActionAddComment);
    const std::optional<TCommentEntry> second = AddComment(context);
    ASSERT_TRUE(second);
    EXPECT_EQ(second->Text, "Comment 2");

    EXPECT_TRUE(ChangeComment(context, *first, std::string(300, 'x')));
    std::vector<TCommentEntry> comments = AnimationComments(context.Animation());
    ASSERT_EQ(comments.size(), 2u);
    EXPECT_EQ(comments[0].Text, std::string(MaxCommentLength, 'x'));
    EXPECT_FALSE(ChangeComment(context, comments[0], comments[0].Text));

    // Removed and undone, the comment comes back behind the others.
    EXPECT_TRUE(RemoveComment(context, comments[0]));
    EXPECT_EQ(AnimationComments(context.Animation()).size(), 1u);
    document.Undo();
    comments = AnimationComments(context.Animation());
    ASSERT_EQ(comments.size(), 2u);
    EXPECT_EQ(comments[1].Text, std::string(MaxCommentLength, 'x'));

    while (document.History().Count() > 0)
        document.Undo();
    EXPECT_EQ(test::GifBytes(context.Animation()), original);
}

TEST(InspectorText, CommentsAreCutBetweenCharacters)
{
    EXPECT_EQ(LimitedText("h\xC3\xA9llo", 2), "h\xC3\xA9");
    EXPECT_EQ(LimitedText("abc", 5), "abc");
    EXPECT_EQ(LimitedText("abc", 0), "");
}

} // namespace
} // namespace fl
