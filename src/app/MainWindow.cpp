// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's life: creation, showing, the deferred start-up, closing
// and destruction, and what it does for the editor context (documents'
// windows, activation, reloads, timers, progress).
#include "app/MainWindow.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QScreen>
#include <QSignalBlocker>
#include <QStatusTipEvent>
#include <QTimer>

#include "app/Application.h"
#include "app/DocumentTabs.h"
#include "app/FLListBox.h"
#include "app/MDIChild.h"
#include "io/VideoDecoder.h"
#include "app/MainStatusBar.h"
#include "app/QtClipboard.h"
#include "app/WarningsDialog.h"
#include "app/WindowArrangement.h"
#include "dialogs/FrameInspector.h"
#include "dialogs/Prompts.h"
#include "document/ActionStates.h"
#include "document/Document.h"
#include "document/EditorContext.h"
#include "editing/FileTypes.h"
#include "editing/TextRoutines.h"
#include "gif/GIFImage.h"
#include "io/AviImport.h"
#include "io/ImageFileReader.h"
#include "io/ThumbnailScanner.h"
#include "platform/Canvas.h"
#include "platform/MessageService.h"
#include "platform/SettingsKeys.h"

namespace fl {

namespace {

constexpr int SaveTimerInterval = 700;

} // namespace

TfrmMain::TfrmMain(const TAppServices& services, QWidget* parent) : QMainWindow(parent), services_(services)
{
    ConnectSyncQueue();
    setObjectName("frmMain");
    setWindowTitle(ApplicationTitle);
    context_ =
        std::make_unique<TEditorContext>(services_.Messages, services_.Dialogs, services_.Settings, *this);
    imageReader_ = std::make_unique<TImagingFileReader>();
    context_->SetImageReader(imageReader_.get());
    context_->SetAviImporter([](TGIFImage& image, const std::string& path) { ImportAvi(image, path); });
    clipboard_ = std::make_unique<TQtClipboard>();
    context_->SetClipboard(clipboard_.get());
    // Frames moved, deleted or reordered in the list, or a document
    // changed: the inspector shows the selected frame again once the edit
    // is over.
    inspectorRefresh_ = new QTimer(this);
    inspectorRefresh_->setSingleShot(true);
    inspectorRefresh_->setInterval(0);
    connect(inspectorRefresh_, &QTimer::timeout, this, [this] {
        if (context_->ActiveDocument() && !destroying_)
            RefreshInspector(context_->Frames().Selected());
    });
    context_->Frames().OnChanged = [this] { RefreshFrameList(); };
    context_->Frames().OnSelect = [this](int index) { SelectFrameItem(index); };

    setAcceptDrops(true);
    // Windows the workspace no longer shows move back in, once the area
    // has placed them itself after a resize or a change of state.
    keepInWorkspace_ = new QTimer(this);
    keepInWorkspace_->setSingleShot(true);
    keepInWorkspace_->setInterval(0);
    connect(keepInWorkspace_, &QTimer::timeout, this, [this] { KeepWindowsInWorkspace(*mdiArea_); });

    CreateActions();
    CreateLayout();
    CreateToolbars();
    CreateMenus();
    CreatePopups();
    // After the menus, which make some of the actions they connect.
    ConnectAnimationCommands();
    ConnectHelpCommands();
    ConnectExportCommands();
    ConnectOptionsCommands();

    saveTimer_ = new QTimer(this);
    saveTimer_->setObjectName("Timer");
    saveTimer_->setSingleShot(true);
    saveTimer_->setInterval(SaveTimerInterval);
    connect(saveTimer_, &QTimer::timeout, this, [this] { context_->SaveTimerFired(); });
    // Paste follows what other programs put on the clipboard while a frame
    // is shown (a preview keeps it off).
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, [this] {
        if (context_->ActiveDocument() && context_->Frames().Selected() >= 0 && !PreviewRunning()) {
            context_->Actions().SetEnabled(ActEditPaste, context_->PasteAvailable());
            context_->PublishStates();
        }
    });

    inspector_ = new TfrmFloat(services_, *context_, this);
    connect(inspector_, &TfrmFloat::Closed, this, [this] { actInspector_->setChecked(false); });
    LoadSettings();
    RefreshActions();
    UpdateDocumentPresence();
}

TfrmMain::~TfrmMain()
{
    destroying_ = true;
    // The scan's workers post to this window: they end first.
    scanner_.reset();
    // The preview's player calls back into this window: it ends first.
    HidePreview();
    ReleasePreview();
    if (logo_)
        logo_->StopAllPlayers();
    context_->Animation().StopAllPlayers();
    SaveSettings();
    inspector_->StorePosition(actInspector_->isChecked());
    // The document windows refer to the documents: they go first, without
    // asking anything.
    for (auto& [document, window] : subWindows_)
        delete window;
    subWindows_.clear();
    logo_.reset();
    // The frame list's model outlives the list's scroll bars while the
    // widgets go: nothing may answer its last reset.
    lbFrames_->model()->disconnect();
    // Deletes the documents' working copies and the history's files.
    context_.reset();
}

QAction* TfrmMain::Action(const std::string& name) const
{
    const auto found = actions_.find(name);
    return found == actions_.end() ? nullptr : found->second;
}

void TfrmMain::ShowAsStored()
{
    if (startMaximized_) {
        // Without a window manager (a bare X server) maximizing does nothing:
        // cover the screen first.
        if (const QScreen* current = screen())
            setGeometry(current->availableGeometry());
        showMaximized();
    } else
        showNormal();
}

void TfrmMain::OpenArguments(const QStringList& arguments)
{
    for (const QString& argument : arguments)
        if (!argument.isEmpty())
            OpenFileByType(argument.toStdString());
}

void TfrmMain::OpenHandedFiles(const QStringList& files)
{
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
    // A question or dialog on screen is answered first, and long work
    // (the window disabled under its progress window) ends first: the
    // files wait.
    if (QApplication::activeModalWidget() || QApplication::activePopupWidget() || !isEnabled()) {
        QTimer::singleShot(300, this, [this, files] { OpenHandedFiles(files); });
        return;
    }
    OpenArguments(files);
}

void TfrmMain::OpenFileByType(const std::string& path)
{
    HideStartupLogo();
    switch (const int type = FileTypeIndex(path)) {
    case ftGIF:
        context_->OpenAnimationFile(path);
        break;
    case ftAVI:
        context_->ImportAviDocument(path);
        break;
    case ftUnknown:
    case ftAllFiles:
        // Videos of other kinds than AVI, and animated WebP pictures.
        if (IsVideoFileName(path)) {
            ImportVideoFile(path);
            break;
        }
        ShowMessageBox(services_.Messages, TMsgDlgType::mtWarning,
                       FormatText(UnsupportedFileMessage, {ExtractFileName(path)}), {TMsgDlgBtn::mbOK});
        break;
    default:
        context_->AddImageFile(path, type);
        break;
    }
}

bool TfrmMain::WarningsReported() const
{
    return warningsOn_ && *warningsOn_ && context_->Animation().WarningHandler;
}

void TfrmMain::InstallWarnings()
{
    warningsOn_ = std::make_shared<bool>(true);
    context_->Animation().WarningHandler =
        MakeWarningHandler(services_.Messages, services_.Settings, warningsOn_, [this] {
            QMetaObject::invokeMethod(
                this, [this] { context_->Animation().WarningHandler = nullptr; }, Qt::QueuedConnection);
        });
}

bool TfrmMain::event(QEvent* event)
{
    // Hints go to panel 2 rather than over the whole status bar.
    if (event->type() == QEvent::StatusTip) {
        const QString tip = static_cast<QStatusTipEvent*>(event)->tip();
        if (tip.isEmpty())
            RefreshStatusText();
        else
            statusBar_->SetHintText(tip);
        return true;
    }
    return QMainWindow::event(event);
}

void TfrmMain::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (shownOnce_)
        return;
    shownOnce_ = true;
    ApplyPanelSizes();
    inspector_->RestorePosition(geometry());
    if (actInspector_->isChecked())
        inspector_->show();
    QMetaObject::invokeMethod(
        this, [this] { DeferredStartup(); }, Qt::QueuedConnection);
}

void TfrmMain::DeferredStartup()
{
    // Windows opened before the main window had its size (a file named on
    // the command line) are placed again now that it has.
    for (QMdiSubWindow* window : mdiArea_->subWindowList())
        if (!window->isMaximized() && !window->isMinimized())
            PlaceNewWindow(*mdiArea_, *window);
    // Edits an abnormal end left behind come back first.
    context_->RecoverWorkingCopies();
    // The thumbnails of the folder shown last, the logo and the welcome
    // dialog.
    if (thumbnailsVisible_ && ReadIntegerSetting(services_.Settings, KeyAutoLoadStartUp) != 0)
        SelectThumbnailFolder(context_->Values().ThumbnailFolder);
    if (displayAnimation_)
        ShowStartupLogo();
    if (ReadIntegerSetting(services_.Settings, KeyWelcomeDialog) == 0 && !unattended_)
        ShowWelcome();
}

void TfrmMain::closeEvent(QCloseEvent* event)
{
    // Every document may refuse; the newest is asked first, as the window
    // system closes them.
    for (int i = context_->DocumentCount() - 1; i >= 0; --i) {
        if (i >= context_->DocumentCount())
            continue;
        if (!context_->DocumentAt(i).QuerySave(false, false)) {
            event->ignore();
            return;
        }
    }
    if (logo_)
        logo_->StopAllPlayers();
    StopPlayback(true);
    event->accept();
}

void TfrmMain::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    // The window manager's own placement right after the logo appeared is
    // no resize by the user.
    constexpr qint64 settleMs = 1000;
    if (StartupLogoShown() && logoShownFor_.isValid() && logoShownFor_.elapsed() > settleMs)
        HideStartupLogo();
}

bool TfrmMain::eventFilter(QObject* watched, QEvent* event)
{
    // A document window's close box asks the document, after the event:
    // closing destroys the window that is handling it.
    if (event->type() == QEvent::Close && !destroying_) {
        if (auto* window = qobject_cast<QMdiSubWindow*>(watched)) {
            if (TDocument* document = DocumentOf(window)) {
                event->ignore();
                QMetaObject::invokeMethod(
                    this,
                    [this, document] {
                        if (context_->IsOpen(document))
                            context_->CloseDocument(*document, true);
                    },
                    Qt::QueuedConnection);
                return true;
            }
        }
    }
    if (watched == mdiArea_->viewport() && event->type() == QEvent::Resize)
        keepInWorkspace_->start();
    // The area also lays icons out again by itself after a window changes
    // state, in rows from its bottom that a short workspace overflows at the
    // top; whoever moved an icon, it comes back in.
    if (event->type() == QEvent::Move)
        if (auto* window = qobject_cast<QMdiSubWindow*>(watched); window && window->isMinimized())
            keepInWorkspace_->start();
    if (watched == mdiArea_ && event->type() == QEvent::Resize && StartupLogoShown())
        PlaceStartupLogo();
    return QMainWindow::eventFilter(watched, event);
}

QMdiSubWindow* TfrmMain::SubWindowOf(const TDocument& document) const
{
    const auto found = subWindows_.find(&document);
    return found == subWindows_.end() ? nullptr : found->second;
}

TDocument* TfrmMain::DocumentOf(const QMdiSubWindow* window) const
{
    for (const auto& [document, sub] : subWindows_)
        if (sub == window)
            return const_cast<TDocument*>(document);
    return nullptr;
}

bool TfrmMain::ShowFrame(int index)
{
    // The list follows the selection even when the frame cannot be drawn.
    SelectFrameItem(index);
    if (QListWidgetItem* item = lbFrames_->item(index))
        lbFrames_->scrollToItem(item);
    TDocument* document = context_->ActiveDocument();
    QMdiSubWindow* window = document ? SubWindowOf(*document) : nullptr;
    auto* child = window ? qobject_cast<TMDIChild*>(window->widget()) : nullptr;
    const bool shown = child && child->ShowFrame(index);
    RefreshInspector(index);
    return shown;
}

void TfrmMain::RefreshInspector(int index)
{
    if (index < 0 || index >= context_->Animation().Frames.Count())
        return;
    inspector_->ShowFrameProperties(index);
    if (inspectorReminder_) {
        inspectorReminder_ = false;
        actInspector_->setChecked(true);
        inspector_->show();
    }
}

void TfrmMain::StatesChanged()
{
    RefreshActions();
    // An undo selects the row of the property it gave back.
    if (inspector_)
        inspector_->SelectRow(context_->InspectorRow());
    // Only a new status text replaces the hint the panel shows.
    if (context_->StatusText() != shownStatusText_)
        RefreshStatusText();
}

void TfrmMain::DocumentAdded(TDocument& document)
{
    HideStartupLogo();
    ++contextActivating_;
    auto* child = new TMDIChild(*context_, document);
    // The drop is over before the questions come, as with files.
    child->OnFrameDropped = [this](TMDIChild& target) {
        TDocument* targetDocument = &target.Document();
        QMetaObject::invokeMethod(
            this,
            [this, targetDocument] {
                if (!context_->IsOpen(targetDocument) || context_->ActiveDocument() == targetDocument)
                    return;
                try {
                    context_->DropFrameOnDocument(*targetDocument);
                } catch (const std::exception& error) {
                    ShowErrorMessage(services_.Messages, error.what());
                }
            },
            Qt::QueuedConnection);
    };
    child->OnThumbnailDropped = [this](TMDIChild& target, const std::string& path) {
        TDocument* targetDocument = &target.Document();
        QMetaObject::invokeMethod(
            this,
            [this, targetDocument, path] {
                if (!context_->IsOpen(targetDocument))
                    return;
                HideStartupLogo();
                if (context_->ActiveDocument() != targetDocument)
                    context_->ActivateDocument(*targetDocument);
                context_->AddFrameFromFile(path);
            },
            Qt::QueuedConnection);
    };
    // A preview over the screen grows and shrinks with it.
    child->OnZoomChanged = [this](TMDIChild& zoomed) {
        if (imgAni_->parentWidget() == zoomed.FramePanel()) {
            imgAni_->setFixedSize(zoomed.FramePanel()->size());
        }
    };
    auto* window = mdiArea_->addSubWindow(child);
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    window->setWindowTitle(QString::fromStdString(document.FileName()));
    window->installEventFilter(this);
    // A window restored from an icon takes back the place it had, which a
    // smaller workspace may no longer show, and the area puts icons in rows
    // above the workspace when they do not fit.
    connect(window, &QMdiSubWindow::windowStateChanged, keepInWorkspace_, qOverload<>(&QTimer::start));
    subWindows_[&document] = window;
    tabMDI_->AddDocument(document);
    tabMDI_->SelectDocument(document);
    auto* entry = popPlayAni_->addAction(QString::fromStdString(document.FileName()));
    playEntries_[&document] = entry;
    PlaceNewWindow(*mdiArea_, *window);
    window->show();
    mdiArea_->setActiveSubWindow(window);
    --contextActivating_;
    UpdateDocumentPresence();
}

void TfrmMain::DocumentChanged(TDocument& document)
{
    tabMDI_->DocumentChanged(document);
    if (QMdiSubWindow* window = SubWindowOf(document)) {
        window->setWindowTitle(QString::fromStdString(document.FileName()));
        if (auto* child = qobject_cast<TMDIChild*>(window->widget()))
            child->DocumentChanged();
    }
    if (const auto entry = playEntries_.find(&document); entry != playEntries_.end())
        entry->second->setText(QString::fromStdString(document.FileName()));
    // Writing the working copy may have settled frame values (a delay of 0).
    inspectorRefresh_->start();
}

void TfrmMain::DocumentRemoved(TDocument& document)
{
    // The preview lives in a document window: never let it go with one.
    if (PreviewRunning())
        StopPlayback(true);
    ++contextActivating_;
    tabMDI_->RemoveDocument(document);
    if (const auto entry = playEntries_.find(&document); entry != playEntries_.end()) {
        delete entry->second;
        playEntries_.erase(entry);
    }
    if (const auto found = subWindows_.find(&document); found != subWindows_.end()) {
        QMdiSubWindow* window = found->second;
        subWindows_.erase(found);
        window->removeEventFilter(this);
        mdiArea_->removeSubWindow(window);
        delete window;
    }
    --contextActivating_;
    if (hoveredTab_ >= tabMDI_->count())
        hoveredTab_ = -1;
    UpdateDocumentPresence();
}

void TfrmMain::BringToFront(TDocument& document)
{
    QMdiSubWindow* window = SubWindowOf(document);
    if (!window)
        return;
    ++contextActivating_;
    if (window->isMinimized())
        window->showNormal();
    mdiArea_->setActiveSubWindow(window);
    window->raise();
    tabMDI_->SelectDocument(document);
    --contextActivating_;
}

void TfrmMain::PostReload(TDocument& document)
{
    TDocument* target = &document;
    QMetaObject::invokeMethod(
        this, [this, target] { context_->DispatchReload(target); }, Qt::QueuedConnection);
}

void TfrmMain::OnSubWindowActivated(QMdiSubWindow* window)
{
    // Null comes when the whole program loses the focus: the document stays
    // the active one until another document window takes over.
    if (!window || contextActivating_ > 0 || destroying_)
        return;
    TDocument* document = DocumentOf(window);
    if (!document)
        return;
    TDocument* previous = context_->ActiveDocument();
    if (previous && previous != document)
        context_->DocumentDeactivated(*previous);
    tabMDI_->SelectDocument(*document);
    context_->DocumentActivated(*document);
}

void TfrmMain::StartSaveTimer()
{
    saveTimer_->start();
}

void TfrmMain::ResetInspector()
{
    inspector_->Reset();
}

int TfrmMain::AskInsertPosition()
{
    const int selected = context_->Frames().Selected();
    TfrmPrompts prompt(services_, *context_, ppInsertImage, this);
    prompt.PresetInsertChoice(selected);
    if (RunDialog(prompt) != QDialog::Accepted)
        return -1;
    switch (prompt.InsertChoice()) {
    case icAtStart:
        return 0;
    case icBeforeSelected:
        return std::max(selected, 0);
    default:
        return selected + 1;
    }
}

int TfrmMain::AskTrimFrame()
{
    TfrmPrompts prompt(services_, *context_, ppFrameSize, this);
    if (RunDialog(prompt) != QDialog::Accepted)
        return -1;
    return prompt.ClipFrame() ? 1 : 0;
}

bool TfrmMain::AskPaletteSettings()
{
    TfrmPrompts prompt(services_, *context_, ppPalettes, this);
    return RunDialog(prompt) == QDialog::Accepted;
}

void TfrmMain::Progress(TProgressStage stage, int percent)
{
    statusBar_->Progress(stage, percent);
}

void TfrmMain::UpdateDocumentPresence()
{
    // The context still lists a document it is removing: the windows tell.
    const bool any = !subWindows_.empty();
    bevTop_->setVisible(!any);
    pnlMDITab_->setVisible(any);
}

void TfrmMain::RefreshStatusText()
{
    shownStatusText_ = context_->StatusText();
    statusBar_->SetHintText(QString::fromStdString(shownStatusText_));
}

void TfrmMain::RefreshFrameList()
{
    const TFrameListModel& frames = context_->Frames();
    const QSignalBlocker blocker(lbFrames_);
    lbFrames_->clear();
    for (int i = 0; i < frames.Count(); ++i) {
        auto* item = new QListWidgetItem(QString::fromStdString(frames.Item(i).Caption), lbFrames_);
        item->setSizeHint(QSize(frameItemWidth_, frameItemHeight_));
    }
    if (frames.Selected() >= 0 && frames.Selected() < lbFrames_->count())
        lbFrames_->setCurrentRow(frames.Selected());
    inspectorRefresh_->start();
}

void TfrmMain::SelectFrameItem(int index)
{
    const QSignalBlocker blocker(lbFrames_);
    if (index >= 0 && index < lbFrames_->count())
        lbFrames_->setCurrentRow(index);
    inspectorRefresh_->start();
}

} // namespace fl
