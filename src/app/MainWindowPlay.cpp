// SPDX-License-Identifier: GPL-3.0-or-later
// Playing the active animation in its document window. The window plays a
// copy of its own, so that the animation being edited is never touched by
// the player: the engine's threaded player draws the copy into a bitmap,
// every step reaching the main thread through the sync queue, and imgAni_
// shows that bitmap over the document's frame panel. While it plays, the
// commands that would change the animation or the documents are disabled.
#include <QLabel>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPixmap>
#include <exception>

#include "app/BitmapImage.h"
#include "app/MDIChild.h"
#include "app/MainWindow.h"
#include "document/ActionStates.h"
#include "document/Document.h"
#include "document/EditorContext.h"
#include "editing/AnimationFacts.h"
#include "editing/NormalizeExtensions.h"
#include "gif/GIFImage.h"
#include "gif/GIFPainter.h"
#include "platform/Bitmap.h"
#include "platform/Canvas.h"
#include "platform/MessageService.h"

namespace fl {

namespace {

constexpr const char* NotAnAnimationMessage =
    "This GIF is not an animation, therefore it cannot be played. Add additional images in order to "
    "play it.";

// The main menus closed while a preview plays (View stays open: it holds
// Pause).
constexpr const char* LockedMenus[] = {"mnuFile", "mnuEdit", "mnuTools", "mnuWindow", "mnuHelp"};

// The commands a preview disables besides the document commands.
constexpr const char* LockedActions[] = {ActEditPaste,      "FrameAdd",      ActFrameDelete,
                                         ActFrameMoveBegin, ActFrameMoveEnd, ActFrameMoveUp,
                                         ActFrameMoveDown,  "FileNew",       "FileOpen"};

// The document window holding the widget, if any.
TMDIChild* HostingChild(QWidget* widget)
{
    for (; widget; widget = widget->parentWidget())
        if (auto* child = qobject_cast<TMDIChild*>(widget))
            return child;
    return nullptr;
}

} // namespace

bool TfrmMain::PreviewRunning() const
{
    // The logo borrows imgAni_ too, on its own panel, but never while a
    // document (and so a preview) exists.
    const QWidget* parent = imgAni_ ? imgAni_->parentWidget() : nullptr;
    return preview_ && parent && parent != this && parent != pnlSplash_;
}

void TfrmMain::AnimationPlay()
{
    TDocument* document = context_->ActiveDocument();
    if (!document) {
        context_->Actions().SetEnabled("AnimationPlay", false);
        context_->Actions().SetEnabled("AnimationPause", false);
        context_->PublishStates();
        return;
    }
    TGIFImage& animation = context_->Animation();
    if (!HasSeveralFrames(animation)) {
        services_.Messages.Beep();
        ShowMessageBox(services_.Messages, TMsgDlgType::mtInformation, NotAnAnimationMessage,
                       {TMsgDlgBtn::mbOK});
        return;
    }
    QMdiSubWindow* window = SubWindowOf(*document);
    auto* child = window ? qobject_cast<TMDIChild*>(window->widget()) : nullptr;
    if (!child)
        return;
    // Play is disabled while a preview runs; a copy kept from the last one
    // that played to its end goes now.
    if (PreviewRunning())
        StopPlayback(true);
    ReleasePreview();
    if (window->isMinimized())
        window->showNormal();

    // The copy plays as the animation will be written: one control block
    // per frame, no zero delays, the disposals as they are.
    auto copy = std::make_unique<TGIFImage>();
    std::unique_ptr<TBitmap> bitmap;
    std::unique_ptr<TCanvas> canvas;
    try {
        copy->CopyFrom(&animation);
        NormalizeExtensions(*copy, true, context_->Values().AnimationDefaults());
        copy->StopAllPlayers();
        copy->SetPaintFlags(DefaultPaintFlags);
        bitmap = std::make_unique<TBitmap>(copy->Width(), copy->Height(), TPixelFormat::pf32bit);
        canvas = std::make_unique<TCanvas>(*bitmap);
        canvas->FillRect(canvas->ClipRect(), TGIFPainter::BackgroundColorOf(*copy));
    } catch (const std::exception& error) {
        ShowErrorMessage(services_.Messages, error.what());
        return;
    }
    copy->PlayClock = services_.PlayClock;
    copy->OnBeforeFrame = [this](TGIFPainter& player) { PreviewFrameStarting(player); };
    copy->OnPlayEnd = [this](TGIFPainter& player) { PreviewFrameStarting(player); };
    copy->OnAfterFrame = [this](TGIFPainter& player) {
        if (player.Image() == preview_.get() && PreviewRunning())
            ShowPreviewPicture();
    };
    preview_ = std::move(copy);
    previewBitmap_ = std::move(bitmap);
    previewCanvas_ = std::move(canvas);

    QWidget* panel = child->FramePanel();
    child->PaintBox()->hide();
    imgAni_->setParent(panel);
    // The screen's size at the view's zoom; the picture is stretched to it.
    imgAni_->setFixedSize(panel->size());
    imgAni_->move(0, 0);
    ShowPreviewPicture();
    imgAni_->raise();
    imgAni_->show();
    panel->update();
    SetPlayingStates(true);

    TGIFPainter* player = nullptr;
    try {
        player = preview_->StartPlayer(nullptr, *previewCanvas_, preview_->PaintFlags(),
                                       previewCanvas_->ClipRect());
    } catch (const std::exception& error) {
        StopPlayback(true);
        ShowErrorMessage(services_.Messages, error.what());
        return;
    }
    if (player)
        player->Resume();
    else
        StopPlayback(true);
}

void TfrmMain::AnimationPause()
{
    StopPlayback(true);
}

void TfrmMain::PreviewFrameStarting(TGIFPainter& player)
{
    // Calls still queued by a player that was stopped meanwhile, or by the
    // player of an earlier copy, change nothing.
    if (!preview_ || player.Image() != preview_.get() || !PreviewRunning())
        return;
    const int frame = player.ActiveFrame;
    if (frame < 0) {
        // Played to its end: the copy stays until the next Play or a
        // release, as this call is its own player's.
        StopPlayback(false);
        return;
    }
    if (TMDIChild* child = HostingChild(imgAni_->parentWidget()))
        child->SetPanelText(
            2, QStringLiteral("Playing Frame %1 of %2").arg(frame).arg(preview_->Frames.Count() - 1));
}

void TfrmMain::ShowPreviewPicture()
{
    // Stretched to the zoomed screen's size as it is painted.
    if (previewBitmap_)
        imgAni_->SetPicture(ToQImage(*previewBitmap_));
}

void TfrmMain::StopPlayback(bool release)
{
    if (!context_->ActiveDocument()) {
        // No document to give the window back to; a preview still shown
        // (its document went some other way) is taken down all the same.
        const bool running = PreviewRunning();
        HidePreview();
        if (release)
            ReleasePreview();
        if (running) {
            for (const char* name : LockedMenus)
                if (auto* menu = findChild<QMenu*>(name))
                    menu->menuAction()->setEnabled(true);
            context_->Actions().SetEnabled("FileNew", newEnabledBeforePlay_);
            context_->Actions().SetEnabled("FileOpen", true);
        }
        context_->Actions().SetEnabled("AnimationPlay", false);
        context_->Actions().SetEnabled("AnimationPause", false);
        context_->PublishStates();
        return;
    }
    if (!PreviewRunning()) {
        if (release)
            ReleasePreview();
        return;
    }
    HidePreview();
    if (release)
        ReleasePreview();
    SetPlayingStates(false);
}

void TfrmMain::HidePreview()
{
    if (!PreviewRunning())
        return;
    TMDIChild* child = HostingChild(imgAni_->parentWidget());
    imgAni_->hide();
    imgAni_->ClearPicture();
    imgAni_->setParent(this);
    if (!child)
        return;
    if (QWidget* paintBox = child->PaintBox(); paintBox->isHidden()) {
        paintBox->show();
        paintBox->update();
    }
    child->ShowSizeText();
}

void TfrmMain::ReleasePreview()
{
    if (!preview_)
        return;
    // Waits for the player's thread, serving its pending calls. Stopped from
    // inside one of that player's own calls, it is not waited for: it ends
    // once the call returns, having forgotten the copy.
    preview_->StopAllPlayers();
    preview_.reset();
    previewCanvas_.reset();
    previewBitmap_.reset();
    if (imgAni_->parentWidget() == this)
        imgAni_->clear();
    imgAni_->ClearPicture();
}

void TfrmMain::SetPlayingStates(bool playing)
{
    TActionStates& states = context_->Actions();
    if (playing) {
        newEnabledBeforePlay_ = states.Enabled("FileNew");
        states.EnableDocumentActions(false);
        for (const char* name : LockedActions)
            states.SetEnabled(name, false);
        states.SetEnabled("AnimationPause", true);
    } else {
        states.EnableDocumentActions(true);
        states.SetEnabled(ActEditPaste, context_->PasteAvailable());
        states.SetEnabled("FrameAdd", true);
        states.SetEnabled("FileNew", newEnabledBeforePlay_);
        states.SetEnabled("FileOpen", true);
        const int selected = context_->Frames().Selected();
        states.SetEnabled(ActFrameDelete, selected >= 0);
        if (selected >= 0) {
            states.EnableMoves(selected, context_->Frames().Count());
        } else {
            // Nothing selected: nothing to move.
            for (const char* name : {ActFrameMoveBegin, ActFrameMoveEnd, ActFrameMoveUp, ActFrameMoveDown})
                states.SetEnabled(name, false);
        }
        states.SetEnabled("AnimationPause", false);
    }
    for (const char* name : LockedMenus)
        if (auto* menu = findChild<QMenu*>(name))
            menu->menuAction()->setEnabled(!playing);
    context_->PublishStates();
}

void TfrmMain::PlayDocument(TDocument& document)
{
    if (!context_->IsOpen(&document))
        return;
    if (PreviewRunning())
        StopPlayback(true);
    if (context_->ActiveDocument() != &document)
        context_->ActivateDocument(document);
    // The activation may have found the file gone and closed the document.
    if (context_->IsOpen(&document) && context_->ActiveDocument() == &document)
        AnimationPlay();
}

void TfrmMain::OrderPlayMenu()
{
    const QAction* play = Action("AnimationPlay");
    for (QAction* entry : popPlayAni_->actions()) {
        entry->setToolTip(play->toolTip());
        entry->setStatusTip(play->statusTip());
    }
    if (const TDocument* active = context_->ActiveDocument()) {
        const auto found = playEntries_.find(active);
        const QList<QAction*> entries = popPlayAni_->actions();
        if (found != playEntries_.end() && !entries.isEmpty() && entries.first() != found->second) {
            popPlayAni_->removeAction(found->second);
            popPlayAni_->insertAction(entries.first(), found->second);
        }
    }
    const QList<QAction*> entries = popPlayAni_->actions();
    popPlayAni_->setDefaultAction(entries.isEmpty() ? nullptr : entries.first());
}

void TfrmMain::PausePreview()
{
    StopPlayback(true);
}

void TfrmMain::StopPreview()
{
    StopPlayback(true);
}

} // namespace fl
