// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's editing commands: those that are a prompt plus its
// change (Global Frame Properties, Animation Information, Resize, Global
// Palette, the HTML Code tool), the clipboard commands and Reverse Frame
// Order. The dialogs collect the answer; the editor context and
// document/AnimationCommands make the change with its undo step.
#include <QTimer>
#include <QAction>
#include <exception>
#include <functional>
#include <memory>

#include "app/DialogRunner.h"
#include "app/MainWindow.h"
#include "dialogs/PaletteDialog.h"
#include "dialogs/Prompts.h"
#include "document/AnimationCommands.h"
#include "document/CmdColorMap.h"
#include "document/Document.h"
#include "document/EditorContext.h"
#include "editing/NormalizeExtensions.h"
#include "gif/GIFImage.h"
#include "platform/MessageService.h"

namespace fl {

void Guarded(TMessageService& messages, const std::function<void()>& command)
{
    try {
        command();
    } catch (const std::exception& error) {
        ShowErrorMessage(messages, error.what());
    }
}

void TfrmMain::ConnectAnimationCommands()
{
    connect(Action("FrameGlobalChange"), &QAction::triggered, this, [this] { FrameGlobalChange(); });
    connect(Action("AnimationInfo"), &QAction::triggered, this, [this] { AnimationInfo(); });
    connect(Action("AnimationResize"), &QAction::triggered, this, [this] { AnimationResize(); });
    connect(Action("AnimationPalette"), &QAction::triggered, this, [this] { AnimationPalette(); });
    const auto guarded = [this](const char* name, bool (TEditorContext::*command)()) {
        connect(Action(name), &QAction::triggered, this, [this, command] {
            Guarded(services_.Messages, [this, command] { ((*context_).*command)(); });
        });
    };
    guarded("EditCopy", &TEditorContext::CopyFrame);
    guarded("EditCut", &TEditorContext::CutFrame);
    guarded("EditPaste", &TEditorContext::PasteFrame);
    connect(actPasteComments_, &QAction::triggered, this,
            [this] { Guarded(services_.Messages, [this] { context_->PasteComments(); }); });
    connect(actReverse_, &QAction::triggered, this, [this] {
        if (context_->ActiveDocument())
            Guarded(services_.Messages, [this] { ReverseFrameOrder(*context_); });
    });
}

int TfrmMain::RunDialog(QDialog& dialog)
{
    return services_.Modals.Run(dialog);
}

void TfrmMain::FrameGlobalChange()
{
    if (!context_->ActiveDocument())
        return;
    Guarded(services_.Messages, [this] {
        TfrmPrompts prompt(services_, *context_, ppGlobalChange, this);
        {
            TBusyCursor busy(services_.Messages);
            TGIFImage& image = context_->Animation();
            prompt.SetOffsetLimits(image.Width(), image.Height());
            const int selected = context_->Frames().Selected();
            if (selected >= 0 && selected < image.Frames.Count()) {
                const TGIFSubImage& frame = *image.Frames[selected];
                prompt.SetGlobalCaptions(frame.Transparent, frame.Interlaced(),
                                         frame.LocalColors.Count() > 0);
            }
        }
        if (RunDialog(prompt) == QDialog::Accepted && prompt.AnythingEntered() && context_->ActiveDocument())
            ApplyGlobalFrameChange(*context_, prompt.GlobalChange());
    });
}

void TfrmMain::AnimationInfo()
{
    if (!context_->ActiveDocument() || context_->Animation().Frames.Count() == 0)
        return;
    Guarded(services_.Messages, [this] {
        {
            TBusyCursor busy(services_.Messages);
            NormalizeExtensions(context_->Animation(), true, context_->Values().AnimationDefaults());
        }
        // Settled values (a delay of 0) show in the inspector too.
        inspectorRefresh_->start();
        TfrmPrompts prompt(services_, *context_, ppAnimationInfo, this);
        if (RunDialog(prompt) == QDialog::Accepted && context_->ActiveDocument())
            ChangeAnimationLoop(*context_, prompt.ChosenPlays());
    });
}

void TfrmMain::AnimationResize()
{
    if (!context_->ActiveDocument() || context_->Animation().IsEmpty())
        return;
    Guarded(services_.Messages, [this] {
        TfrmPrompts prompt(services_, *context_, ppResize, this);
        if (RunDialog(prompt) == QDialog::Accepted && context_->ActiveDocument())
            ResizeAnimation(*context_, prompt.NewWidth(), prompt.NewHeight());
    });
}

void TfrmMain::AnimationPalette()
{
    if (!context_->ActiveDocument())
        return;
    if (context_->Animation().GlobalColors().Count() == 0) {
        context_->Actions().SetEnabled("AnimationPalette", false);
        context_->PublishStates();
        return;
    }
    Guarded(services_.Messages, [this] {
        std::unique_ptr<TfrmPalette> palette;
        {
            TBusyCursor busy(services_.Messages);
            palette = std::make_unique<TfrmPalette>(*context_, services_.Messages, pmGlobalPalette, this);
        }
        if (RunDialog(*palette) == QDialog::Accepted && palette->Modified() && context_->ActiveDocument())
            ReplaceGlobalPalette(*context_, palette->Colors(), palette->Origins());
    });
}

void TfrmMain::ToolsHtmlCode()
{
    TDocument* document = context_->ActiveDocument();
    if (!document)
        return;
    Guarded(services_.Messages, [this, document] {
        TfrmPrompts prompt(services_, *context_, ppHtmlTag, this);
        {
            TBusyCursor busy(services_.Messages);
            prompt.SetHtmlFileName(document->ShortName());
        }
        RunDialog(prompt);
    });
}

} // namespace fl
