// SPDX-License-Identifier: GPL-3.0-or-later
// Opening documents through the open dialog and by dropping files, writing
// them back and closing them: Open, Import, Save (with the sample folder
// kept clean), Save As, Save All in window order, Close and Close All.
#include <QDropEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QStandardPaths>
#include <QUrl>
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <optional>
#include <random>
#include <system_error>
#include <unistd.h>

#include "app/DocumentTabs.h"
#include "app/MDIChild.h"
#include "app/MainWindow.h"
#include "app/ThumbnailDrag.h"
#include "document/Document.h"
#include "document/EditorContext.h"
#include "platform/FileDialogService.h"
#include "platform/MessageService.h"

namespace fl {

namespace {

namespace fs = std::filesystem;

constexpr const char* OpenDialogFilter = "GIF Images (*.gif)|*.gif";
constexpr const char* AviDialogFilter = "AVI Animations (*.avi)|*.avi";

// Folders compared as the system compares them here: by their full path,
// without regard to case (as on the platform the program comes from).
std::string LowerCase(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

bool SameFolder(const fs::path& a, const fs::path& b)
{
    return LowerCase(a.lexically_normal().string()) == LowerCase(b.lexically_normal().string());
}

// The local files of a drop, in the order they were dropped.
std::vector<std::string> DroppedFiles(const QMimeData& data)
{
    std::vector<std::string> files;
    for (const QUrl& url : data.urls())
        if (url.isLocalFile())
            files.push_back(url.toLocalFile().toStdString());
    return files;
}

} // namespace

void TfrmMain::dragEnterEvent(QDragEnterEvent* event)
{
    dragMoveEvent(event);
}

void TfrmMain::dragMoveEvent(QDragMoveEvent* event)
{
    const QMimeData& mime = *event->mimeData();
    if (ThumbnailDragFile(mime)) {
        // A thumbnail is taken by the empty workspace only (the start-up
        // logo lies on it); there it starts a new animation.
        context_->ThumbnailDrag = IsOverWorkspace(event->position().toPoint());
        if (context_->ThumbnailDrag)
            event->acceptProposedAction();
        else
            event->ignore();
    } else if (!DroppedFiles(mime).empty()) {
        event->acceptProposedAction();
    } else {
        QMainWindow::dragMoveEvent(event);
    }
}

void TfrmMain::dragLeaveEvent(QDragLeaveEvent* event)
{
    context_->ThumbnailDrag = false;
    QMainWindow::dragLeaveEvent(event);
}

void TfrmMain::dropEvent(QDropEvent* event)
{
    const QMimeData& mime = *event->mimeData();
    if (const std::optional<std::string> thumbnail = ThumbnailDragFile(mime)) {
        const bool onWorkspace = IsOverWorkspace(event->position().toPoint());
        context_->ThumbnailDrag = false;
        if (!onWorkspace) {
            event->ignore();
            return;
        }
        event->acceptProposedAction();
        QueueThumbnailAdd(*thumbnail, true);
        return;
    }
    const std::vector<std::string> files = DroppedFiles(mime);
    if (files.empty()) {
        QMainWindow::dropEvent(event);
        return;
    }
    event->acceptProposedAction();
    // The drop is over before the files open: their questions and messages
    // must not keep the program the files came from waiting.
    QMetaObject::invokeMethod(
        this,
        [this, files] {
            for (const std::string& file : files)
                OpenFileByType(file);
        },
        Qt::QueuedConnection);
}

bool TfrmMain::IsOverWorkspace(const QPoint& position) const
{
    return mdiArea_->geometry().contains(mdiArea_->parentWidget()->mapFrom(this, position));
}

void TfrmMain::QueueThumbnailAdd(const std::string& path, bool onWorkspace)
{
    // Like files from the desktop, the thumbnail is added once the drag is
    // over; the flag tells the adding code where it was dropped.
    QMetaObject::invokeMethod(
        this,
        [this, path, onWorkspace] {
            HideStartupLogo();
            context_->ThumbnailDrag = onWorkspace;
            context_->AddThumbnailFile(path);
        },
        Qt::QueuedConnection);
}

TMDIChild* TfrmMain::ViewDragSource(const QMimeData& mime) const
{
    for (const auto& [document, window] : subWindows_)
        if (auto* child = qobject_cast<TMDIChild*>(window->widget()); child && child->IsDragOf(mime))
            return child->ViewBitmap().Empty() ? nullptr : child;
    return nullptr;
}

std::string TfrmMain::SampleFolderRedirect(const std::string& fileName) const
{
    const fs::path file(fileName);
    const fs::path programFolder(services_.ProgramFolder);
    if (!SameFolder(file.parent_path(), programFolder / "Images"))
        return {};
    fs::path working = programFolder / "working";
    std::error_code error;
    fs::create_directories(working, error);
    // An installed program folder is not the user's to write: the user's
    // own data folder takes the copies then.
    if (error || ::access(working.c_str(), W_OK) != 0) {
        working = fs::path(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation).toStdString()) / "working";
        fs::create_directories(working, error);
    }
    fs::path target = working / file.filename();
    // An existing file there is never overwritten: the name gets a number.
    std::mt19937 random(static_cast<unsigned>(std::random_device{}()));
    std::uniform_int_distribution<int> number(0, 99);
    for (int attempt = 0; fs::exists(target, error) && attempt < 1000; ++attempt)
        target = working / (file.stem().string() + std::to_string(number(random)) + ".gif");
    return target.string();
}

bool TfrmMain::NoDocumentToSave()
{
    if (context_->ActiveDocument())
        return false;
    for (const char* name : {"FileSave", "FileSaveAs", "FileSaveAll"})
        context_->Actions().SetEnabled(name, false);
    context_->PublishStates();
    return true;
}

std::vector<std::string> TfrmMain::ChooseImageFiles()
{
    HideStartupLogo();
    TFileDialogRequest request;
    request.Kind = TFileDialogKind::Open;
    request.Filter = OpenDialogFilter;
    request.InitialDir = context_->Values().InitialDir;
    request.MultiSelect = true;
    request.Preview = true;
    const TFileDialogAnswer answer = services_.Dialogs.Run(request);
    return answer.Accepted ? answer.Files : std::vector<std::string>();
}

void TfrmMain::FileOpen()
{
    const std::vector<std::string> files = ChooseImageFiles();
    if (files.empty())
        return;
    for (const std::string& file : files)
        OpenFileByType(file);
    context_->Values().InitialDir = fs::path(files.front()).parent_path().string();
}

void TfrmMain::FrameAdd()
{
    const std::vector<std::string> files = ChooseImageFiles();
    if (files.empty())
        return;
    const std::string folder = context_->AddFrameFiles(files);
    if (!folder.empty())
        context_->Values().InitialDir = folder;
}

void TfrmMain::FileImportAvi()
{
    TFileDialogRequest request;
    request.Kind = TFileDialogKind::Open;
    request.Filter = AviDialogFilter;
    request.InitialDir = context_->Values().InitialDir;
    const TFileDialogAnswer answer = services_.Dialogs.Run(request);
    if (!answer.Accepted || answer.Files.empty())
        return;
    HideStartupLogo();
    context_->ImportAviDocument(answer.Files.front());
}

void TfrmMain::FileSave()
{
    if (NoDocumentToSave())
        return;
    TDocument& document = *context_->ActiveDocument();
    PausePreview();
    // The sample animations stay as shipped: a document opened from the
    // sample folder is saved into the "working" folder beside it.
    const std::string redirected =
        document.Untitled() ? std::string() : SampleFolderRedirect(document.FileName());
    if (!redirected.empty())
        document.SaveDocumentAs(redirected);
    else
        document.QuerySave(false, true);
    RememberSaved(document);
}

void TfrmMain::FileSaveAs()
{
    if (NoDocumentToSave())
        return;
    TDocument& document = *context_->ActiveDocument();
    document.QuerySave(true, true);
    RememberSaved(document);
    const int selected = context_->Frames().Selected();
    if (selected >= 0)
        context_->ShowFrame(selected);
}

void TfrmMain::SaveModified(TDocument& document)
{
    if (!document.Modified())
        return;
    // An existing file is written without asking; an untitled document asks
    // first and then shows the save dialog.
    document.QuerySave(false, document.FileExists());
    RememberSaved(document);
}

void TfrmMain::FileSaveAll()
{
    if (NoDocumentToSave())
        return;
    PausePreview();
    TDocument* remembered = context_->ActiveDocument();
    TBusyCursor busy(services_.Messages);
    SaveModified(*remembered);

    Progress(TProgressStage::Starting, 0);
    const std::vector<TDocument*> documents = DocumentsInWindowOrder();
    for (size_t i = 0; i < documents.size(); ++i) {
        TDocument* document = documents[i];
        // A document may have gone meanwhile (its file vanished on reload).
        if (document == remembered || !context_->IsOpen(document) || !document->Modified())
            continue;
        Progress(TProgressStage::Running, static_cast<int>((i + 1) * 100 / documents.size()));
        context_->ActivateDocument(*document);
        if (context_->IsOpen(document))
            SaveModified(*document);
    }
    Progress(TProgressStage::Ending, 0);
    if (context_->IsOpen(remembered))
        context_->ActivateDocument(*remembered);
}

void TfrmMain::FileClose()
{
    if (TDocument* document = context_->ActiveDocument())
        context_->CloseDocument(*document, true);
}

bool TfrmMain::FileCloseAll()
{
    // The last in window order is asked first; one that refuses keeps
    // itself and the ones before it open.
    std::vector<TDocument*> documents = DocumentsInWindowOrder();
    for (auto document = documents.rbegin(); document != documents.rend(); ++document) {
        if (!context_->IsOpen(*document))
            continue;
        if (!context_->CloseDocument(**document, true))
            return false;
    }
    return true;
}

void TfrmMain::RememberSaved(const TDocument& document)
{
    // An untitled document that was not saved has no file to remember.
    if (!document.Untitled())
        AddRecentFile(document.FileName());
}

std::vector<TDocument*> TfrmMain::DocumentsInWindowOrder() const
{
    std::vector<TDocument*> documents;
    for (QMdiSubWindow* window : mdiArea_->subWindowList(QMdiArea::CreationOrder))
        if (auto* child = qobject_cast<TMDIChild*>(window->widget()))
            documents.push_back(&child->Document());
    return documents;
}

} // namespace fl
