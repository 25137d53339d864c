// SPDX-License-Identifier: GPL-3.0-or-later
#include "document/InspectorEdits.h"

#include <algorithm>
#include <cctype>

#include "document/Command.h"
#include "document/Document.h"
#include "document/EditorContext.h"
#include "document/WholeAnimationEdit.h"
#include "editing/ActiveFrames.h"
#include "editing/FileTypes.h"
#include "editing/FrameSettings.h"
#include "editing/PaletteEntries.h"
#include "editing/TextRoutines.h"
#include "gif/Extensions.h"
#include "gif/GIFImage.h"
#include "platform/MessageService.h"

namespace fl {

namespace {

constexpr int LargestPosition = 0xFFFF;

std::string RowLabel(int row)
{
    return InspectorRowLabels[row];
}

std::string LowerCase(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

void Inform(TEditorContext& context, const std::string& text)
{
    ShowMessageBox(context.Messages(), TMsgDlgType::mtInformation, text, {TMsgDlgBtn::mbOK});
}

// The number typed into a number row, blanks removed; numbers beyond what
// a frame can store come back as LargestPosition + 1. Nothing (after the
// message) when the text is not a number.
std::optional<int> TypedNumber(TEditorContext& context, const std::string& text)
{
    std::string digits;
    for (char c : text)
        if (c != ' ' && c != '\t')
            digits += c;
    if (digits.empty() ||
        !std::all_of(digits.begin(), digits.end(), [](unsigned char c) { return std::isdigit(c) != 0; })) {
        Inform(context, NumberRequiredMessage);
        return std::nullopt;
    }
    long value = 0;
    for (char c : digits)
        value = std::min<long>(value * 10 + (c - '0'), LargestPosition + 1);
    return static_cast<int>(value);
}

// "Yes"/"True" or "No"/"False" in any case, as "Yes" or "No".
std::optional<std::string> TypedYesNo(TEditorContext& context, const std::string& text)
{
    const std::string lower = LowerCase(text);
    if (lower == "yes" || lower == "true")
        return LabelText(lblYes);
    if (lower == "no" || lower == "false")
        return LabelText(lblNo);
    Inform(context, FormatText("%sYes, No or True or False.", {AcceptedValuesPrefix}));
    return std::nullopt;
}

std::optional<int> TypedDisposal(TEditorContext& context, const std::string& text)
{
    const std::string lower = LowerCase(text);
    for (int code = 0; code < 4; ++code)
        if (lower == LowerCase(DisposalName(code)))
            return code;
    Inform(context, FormatText("%s%s, %s, %s, %s", {AcceptedValuesPrefix, DisposalName(0), DisposalName(1),
                                                    DisposalName(2), DisposalName(3)}));
    return std::nullopt;
}

// The frame's card and view show its new colors.
void ShowRepainted(TEditorContext& context, int frameIndex)
{
    TGIFSubImage& frame = *context.Animation().Frames[frameIndex];
    frame.ReleaseRendering();
    if (frameIndex < context.Frames().Count())
        context.Frames().ReplaceThumbnail(frameIndex, FrameListPicture(frame));
    context.ShowFrame(frameIndex);
}

// A comment's lines as the memo shows them.
std::string CommentText(const TGIFCommentExtension& comment)
{
    std::string text;
    for (size_t line = 0; line < comment.Lines.size(); ++line)
        text += (line > 0 ? "\r\n" : "") + comment.Lines[line];
    return text;
}

TGIFSubImage* EditableFrame(TEditorContext& context, int frameIndex)
{
    TGIFImage& image = context.Animation();
    if (!context.ActiveDocument() || frameIndex < 0 || frameIndex >= image.Frames.Count())
        return nullptr;
    return image.Frames[frameIndex];
}

std::optional<std::string> CommitOffset(TEditorContext& context, TGIFSubImage& frame, int frameIndex, int row,
                                        const std::string& text)
{
    const std::optional<int> value = TypedNumber(context, text);
    if (!value)
        return std::nullopt;
    const bool left = row == irXOffset;
    const int extent = left ? frame.Width() : frame.Height();
    if (*value + extent > LargestPosition) {
        Inform(context, FormatText(OffsetTooLargeMessage, {std::to_string(LargestPosition)}));
        return std::nullopt;
    }
    const std::string shown = std::to_string(*value);
    if (*value == (left ? frame.Left() : frame.Top()))
        return shown;
    TDocument& document = *context.ActiveDocument();
    document.AddCommand(ckFrame, atChanged, 0, -1, frameIndex,
                        FormatText(ActionChangeRowFormat, {RowLabel(row)}));
    context.Animation().StopAllPlayers();
    if (left)
        frame.SetLeft(*value);
    else
        frame.SetTop(*value);
    document.MarkModified(true);
    context.ShowFrame(frameIndex);
    return shown;
}

std::optional<std::string> CommitInterlaced(TEditorContext& context, TGIFSubImage& frame, int frameIndex,
                                            const std::string& text)
{
    const std::optional<std::string> shown = TypedYesNo(context, text);
    if (!shown)
        return std::nullopt;
    const bool interlaced = IsYesText(*shown);
    if (interlaced == frame.Interlaced())
        return shown;
    TDocument& document = *context.ActiveDocument();
    const std::string label = RowLabel(irInterlaced);
    document.AddCommand(ckFrame, atChanged, 0, -1, frameIndex,
                        interlaced ? label : FormatText(ActionNonRowFormat, {label}));
    frame.SetInterlaced(interlaced);
    document.MarkModified(true);
    return shown;
}

std::optional<std::string> CommitLocalPalette(TEditorContext& context, TGIFSubImage& frame, int frameIndex,
                                              const std::string& text)
{
    const std::optional<std::string> shown = TypedYesNo(context, text);
    if (!shown)
        return std::nullopt;
    const bool make = IsYesText(*shown);
    if (make == (frame.LocalColors.Count() > 0))
        return shown;
    TGIFImage& image = context.Animation();
    // Without global colors a frame can neither take a copy of them nor be
    // drawn with them.
    if (image.GlobalColors().Count() == 0) {
        ShowMessageBox(context.Messages(), TMsgDlgType::mtWarning,
                       make ? GlobalPaletteRequiredMessage : GlobalPaletteToDrawMessage, {TMsgDlgBtn::mbOK});
        return std::nullopt;
    }
    // The pixels move with the entries, so the step keeps the animation.
    const std::string name =
        FormatText(make ? ActionAddRowFormat : ActionRemoveRowFormat, {RowLabel(irLocalPalette)});
    RecordAndChange(context, *context.ActiveDocument(), ckActiveAnimation, atWholeAnimation, frameIndex,
                    name.c_str(), [&] {
                        image.StopAllPlayers();
                        if (make)
                            GiveLocalPalette(image, frame);
                        else
                            DropLocalPalette(image, frame);
                    });
    return shown;
}

std::optional<std::string> CommitControlBlock(TEditorContext& context, TGIFSubImage& frame, int frameIndex,
                                              int row, const std::string& text)
{
    std::string shown;
    int value = 0;
    if (row == irDelay) {
        const std::optional<int> delay = TypedNumber(context, text);
        if (!delay)
            return std::nullopt;
        // The format stores hundredths of a second in 16 bits.
        value = std::min(*delay, LargestPosition);
        shown = std::to_string(value);
        if (frame.ControlBlock && frame.ControlBlock->Delay == value)
            return shown;
    } else {
        const std::optional<int> disposal = TypedDisposal(context, text);
        if (!disposal)
            return std::nullopt;
        value = *disposal;
        shown = DisposalName(value);
        if (frame.ControlBlock && frame.ControlBlock->Disposal() == value)
            return shown;
    }
    TDocument& document = *context.ActiveDocument();
    const int extension = frame.ControlBlock ? frame.Extensions.IndexOf(frame.ControlBlock) : -1;
    document.AddCommand(ckGraphicControl, atChanged, 0, extension, frameIndex,
                        FormatText(ActionChangeRowFormat, {RowLabel(row)}));
    if (!frame.ControlBlock)
        SetFrameDelay(frame, 100);
    if (row == irDelay)
        frame.ControlBlock->Delay = static_cast<uint16_t>(value);
    else
        frame.ControlBlock->SetDisposal(value);
    document.MarkModified(true);
    return shown;
}

} // namespace

bool IsGroupRow(int row)
{
    return row == irDimensions || row == irDisplaySettings || row == irFramePlaying;
}

bool IsTypedRow(int row)
{
    return row == irXOffset || row == irYOffset || row == irLocalPalette || row == irDelay;
}

bool IsDropDownRow(int row)
{
    return row == irInterlaced || row == irLocalPalette || row == irDisposal;
}

std::vector<std::string> DropDownChoices(int row)
{
    if (row == irDisposal)
        return {DisposalName(0), DisposalName(1), DisposalName(2), DisposalName(3)};
    if (row == irInterlaced || row == irLocalPalette)
        return {LabelText(lblYes), LabelText(lblNo)};
    return {};
}

TInspectorValues InspectorValues(TEditorContext& context, int frameIndex)
{
    TInspectorValues values;
    TGIFImage& image = context.Animation();
    if (frameIndex < 0 || frameIndex >= image.Frames.Count())
        return values;
    TGIFSubImage& frame = *image.Frames[frameIndex];
    const auto yesNo = [](bool flag) { return std::string(LabelText(flag ? lblYes : lblNo)); };
    values.Text[irHeight] = std::to_string(frame.Height());
    values.Text[irWidth] = std::to_string(frame.Width());
    values.Text[irXOffset] = std::to_string(frame.Left());
    values.Text[irYOffset] = std::to_string(frame.Top());
    values.Text[irInterlaced] = yesNo(frame.Interlaced());
    values.Text[irLocalPalette] = yesNo(frame.LocalColors.Count() > 0);
    if (const TGIFGraphicControlExtension* control = frame.ControlBlock) {
        values.Transparent = control->Transparent();
        if (values.Transparent && frame.ActiveColors().Count() > 0)
            values.TransparentColor = frame.ActiveColors().ColorAt(
                std::min<int>(control->TransparentIndex(), frame.ActiveColors().Count() - 1));
        values.Text[irDelay] = std::to_string(control->Delay);
        const int disposal = control->Disposal();
        values.Text[irDisposal] = disposal <= 3 ? DisposalName(disposal) : std::to_string(disposal);
    } else {
        values.Text[irDelay] = std::to_string(context.Values().DefaultDelay);
        values.Text[irDisposal] = DisposalName(1);
    }
    values.Text[irTransparent] = yesNo(values.Transparent);
    return values;
}

std::vector<std::string> InspectorFrameLines(TGIFImage& image)
{
    std::vector<std::string> lines;
    for (int i = 0; i < image.Frames.Count(); ++i) {
        const TGIFSubImage& frame = *image.Frames[i];
        if (frame.IsEmpty())
            continue;
        lines.push_back(std::string(FrameItemCaption) + " " + std::to_string(i) + ": [" +
                        std::to_string(frame.Height()) + " x " + std::to_string(frame.Width()) + "]");
    }
    return lines;
}

std::optional<std::string> CommitInspectorRow(TEditorContext& context, int frameIndex, int row,
                                              const std::string& text)
{
    TGIFSubImage* frame = EditableFrame(context, frameIndex);
    if (!frame)
        return text;
    switch (row) {
    case irXOffset:
    case irYOffset:
        return CommitOffset(context, *frame, frameIndex, row, text);
    case irInterlaced:
        return CommitInterlaced(context, *frame, frameIndex, text);
    case irLocalPalette:
        return CommitLocalPalette(context, *frame, frameIndex, text);
    case irDelay:
    case irDisposal:
        return CommitControlBlock(context, *frame, frameIndex, row, text);
    default:
        return text;
    }
}

bool AddLocalPalette(TEditorContext& context, int frameIndex)
{
    TGIFSubImage* frame = EditableFrame(context, frameIndex);
    if (!frame || frame->LocalColors.Count() > 0)
        return false;
    if (ShowMessageBox(context.Messages(), TMsgDlgType::mtConfirmation, NoLocalPaletteQuestion,
                       {TMsgDlgBtn::mbYes, TMsgDlgBtn::mbNo, TMsgDlgBtn::mbCancel}) != mrYes)
        return false;
    TGIFImage& image = context.Animation();
    if (image.GlobalColors().Count() == 0) {
        ShowMessageBox(context.Messages(), TMsgDlgType::mtWarning, GlobalPaletteRequiredMessage,
                       {TMsgDlgBtn::mbOK});
        return false;
    }
    RecordAndChange(context, *context.ActiveDocument(), ckActiveAnimation, atWholeAnimation, frameIndex,
                    ActionAddLocalPalette, [&] {
                        image.StopAllPlayers();
                        GiveLocalPalette(image, *frame);
                    });
    return true;
}

bool AddLocalColor(TEditorContext& context, int frameIndex, TColor color)
{
    TGIFSubImage* frame = EditableFrame(context, frameIndex);
    if (!frame || frame->LocalColors.Count() == 0 || frame->LocalColors.Count() >= 256)
        return false;
    TDocument& document = *context.ActiveDocument();
    context.Animation().StopAllPlayers();
    const int index = frame->LocalColors.Add(color);
    document.AddCommand(ckPalette, atColorAdded, index, static_cast<int>(color), frameIndex,
                        ActionAddColorEntry);
    document.MarkModified(true);
    ShowRepainted(context, frameIndex);
    return true;
}

bool ChangeLocalColor(TEditorContext& context, int frameIndex, int index, TColor color)
{
    TGIFSubImage* frame = EditableFrame(context, frameIndex);
    if (!frame || index < 0 || index >= frame->LocalColors.Count())
        return false;
    const TColor old = frame->LocalColors.ColorAt(index);
    if (old == color)
        return false;
    TDocument& document = *context.ActiveDocument();
    document.AddCommand(ckPalette, atColorChanged, index, static_cast<int>(old), frameIndex,
                        ActionChangeColorEntry);
    context.Animation().StopAllPlayers();
    frame->LocalColors.SetColorAt(index, color);
    document.MarkModified(true);
    ShowRepainted(context, frameIndex);
    return true;
}

bool DeleteLocalColor(TEditorContext& context, int frameIndex, int index)
{
    TGIFSubImage* frame = EditableFrame(context, frameIndex);
    TGIFColorMap* colors = frame ? &frame->LocalColors : nullptr;
    if (!colors || index < 0 || index >= colors->Count())
        return false;
    if (colors->Sorted()) {
        Inform(context, PaletteOptimizedMessage);
        return false;
    }
    // The transparent entry stays: moving it would make other pixels
    // transparent, or none.
    const TGIFGraphicControlExtension* control = frame->ControlBlock;
    const bool transparentEntry = control && control->Transparent() && control->TransparentIndex() == index;
    if (transparentEntry || !IsEntryRemovable(context.Animation(), *colors, index, frameIndex)) {
        Inform(context, ColorRequiredMessage);
        return false;
    }
    // Where each index goes once the entry is gone: later entries move one
    // place down, and the entry's own pixels (if any) go to its twin.
    const TColor color = colors->ColorAt(index);
    int twin = index;
    for (int other = 0; other < colors->Count() && twin == index; ++other)
        if (other != index && colors->ColorAt(other) == color)
            twin = other;
    const auto shifted = [index](int i) { return i > index ? i - 1 : i; };
    TColorRemapTable table{};
    for (int i = 0; i < static_cast<int>(table.size()); ++i)
        table[static_cast<size_t>(i)] = static_cast<uint8_t>(shifted(i == index ? twin : i));
    TGIFImage& image = context.Animation();
    RecordAndChange(context, *context.ActiveDocument(), ckActiveAnimation, atWholeAnimation, frameIndex,
                    ActionDeleteColorEntry, [&] {
                        image.StopAllPlayers();
                        colors->Delete(index);
                        RemapFrame(*frame, table);
                    });
    return true;
}

std::vector<TCommentEntry> AnimationComments(TGIFImage& image)
{
    std::vector<TCommentEntry> comments;
    for (int i = 0; i < image.Frames.Count(); ++i) {
        const TGIFExtensionList& extensions = image.Frames[i]->Extensions;
        for (int e = 0; e < extensions.Count(); ++e)
            if (const auto* comment = dynamic_cast<const TGIFCommentExtension*>(extensions[e])) {
                comments.push_back({i, e, CommentText(*comment)});
            }
    }
    return comments;
}

std::optional<TCommentEntry> AddComment(TEditorContext& context)
{
    TGIFSubImage* first = EditableFrame(context, 0);
    if (!first)
        return std::nullopt;
    const int number = static_cast<int>(AnimationComments(context.Animation()).size()) + 1;
    const std::string text = FormatText("Comment %s", {std::to_string(number)});
    context.Animation().StopAllPlayers();
    AddFrameComment(*first, text);
    const int extension = first->Extensions.Count() - 1;
    TDocument& document = *context.ActiveDocument();
    document.AddCommand(ckComment, atAdded, 0, extension, 0, ActionAddComment);
    document.MarkModified(true);
    return TCommentEntry{0, extension, text};
}

bool ChangeComment(TEditorContext& context, const TCommentEntry& comment, const std::string& text)
{
    TGIFSubImage* frame = EditableFrame(context, comment.FrameIndex);
    auto* extension =
        frame && comment.ExtensionIndex >= 0 && comment.ExtensionIndex < frame->Extensions.Count()
            ? dynamic_cast<TGIFCommentExtension*>(frame->Extensions[comment.ExtensionIndex])
            : nullptr;
    if (!extension)
        return false;
    const std::string kept = LimitedText(text, MaxCommentLength);
    if (kept == CommentText(*extension))
        return false;
    TDocument& document = *context.ActiveDocument();
    document.AddCommand(ckComment, atChanged, 0, comment.ExtensionIndex, comment.FrameIndex,
                        ActionChangeComment);
    extension->Lines = {kept};
    document.MarkModified(true);
    return true;
}

bool RemoveComment(TEditorContext& context, const TCommentEntry& comment)
{
    TGIFSubImage* frame = EditableFrame(context, comment.FrameIndex);
    if (!frame || comment.ExtensionIndex < 0 || comment.ExtensionIndex >= frame->Extensions.Count() ||
        !dynamic_cast<TGIFCommentExtension*>(frame->Extensions[comment.ExtensionIndex]))
        return false;
    TDocument& document = *context.ActiveDocument();
    document.AddCommand(ckComment, atRemoved, 0, comment.ExtensionIndex, comment.FrameIndex,
                        ActionDeleteComment);
    context.Animation().StopAllPlayers();
    frame->Extensions.Delete(comment.ExtensionIndex);
    document.MarkModified(true);
    return true;
}

} // namespace fl
