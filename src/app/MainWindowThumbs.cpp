// SPDX-License-Identifier: GPL-3.0-or-later
// The thumbnail browser: the folder tree, scanning a folder into the grid
// (in the background, with progress in the status bar), the grid's pop-up
// commands and the favorite folders.
#include <QAction>
#include <QDir>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QSplitter>
#include <QTreeView>
#include <exception>
#include <filesystem>
#include <new>

#include "app/BitmapImage.h"
#include "app/MainStatusBar.h"
#include "app/MainWindow.h"
#include "app/QtClipboard.h"
#include "app/ThumbnailGrid.h"
#include "dialogs/Options.h"
#include "dialogs/Prompts.h"
#include "document/ActionStates.h"
#include "document/EditorContext.h"
#include "editing/FileTypes.h"
#include "editing/ImageImport.h"
#include "editing/TextRoutines.h"
#include "editing/ThumbnailFolder.h"
#include "io/ThumbnailScanner.h"
#include "platform/Bitmap.h"
#include "platform/Clipboard.h"
#include "platform/FileDialogService.h"
#include "platform/MessageService.h"
#include "platform/Stream.h"

namespace fl {

namespace {

namespace fs = std::filesystem;

constexpr const char* InvalidFolderMessage = "%s does not appear to be a valid path.";
constexpr const char* MissingFavoriteMessage = "Could not find %s. Folder may have moved or does not exist.";
constexpr const char* OutOfMemoryMessage =
    "Out of Memory: Cannot load thumbsnails. Please free up some memory and try again.";
constexpr const char* CopiedMessage = "Image successfully copied to the clipboard.";
constexpr const char* NotCopiedMessage = "Image was not successfully copied to the clipboard.";

std::string WithSeparator(std::string folder)
{
    if (!folder.empty() && folder.back() != '/')
        folder += '/';
    return folder;
}

} // namespace

QWidget* TfrmMain::CreateThumbnailBrowser(QWidget* parent)
{
    vspThumbs_ = new QSplitter(Qt::Horizontal, parent);
    vspThumbs_->setObjectName("vspThumbs");
    fsModel_ = new QFileSystemModel(this);
    fsModel_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    fsModel_->setRootPath(QString());
    tvShell_ = new QTreeView(vspThumbs_);
    tvShell_->setObjectName("tvShell");
    tvShell_->setModel(fsModel_);
    for (int column = 1; column < fsModel_->columnCount(); ++column)
        tvShell_->hideColumn(column);
    tvShell_->header()->hide();
    connect(tvShell_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                treeFolder_.clear();
                FolderChosen(fsModel_->filePath(current).toStdString());
            });
    // The model reads folders in the background and sorts them later: the
    // selected folder is shown again as each folder on its way is read and
    // sorted.
    connect(fsModel_, &QFileSystemModel::directoryLoaded, this, [this](const QString& loaded) {
        if (!treeFolder_.isEmpty() && treeFolder_.startsWith(loaded))
            ShowTreeFolder();
    });
    connect(fsModel_, &QFileSystemModel::layoutChanged, this, [this] {
        if (!treeFolder_.isEmpty())
            ShowTreeFolder();
    });
    grdThumbs_ = new TThumbnailGrid(vspThumbs_);
    grdThumbs_->PathOf = [this](int index) { return ThumbnailPath(index); };
    connect(grdThumbs_, &TThumbnailGrid::StatusChanged, this,
            [this](const QString& text) { context_->SetStatusText(text.toStdString()); });
    connect(grdThumbs_, &TThumbnailGrid::PictureWanted, this, [this](int fileIndex) {
        if (scanner_)
            scanner_->Request(fileIndex);
    });
    connect(grdThumbs_, &TThumbnailGrid::OpenRequested, this, [this](int index) { OpenThumbnail(index); });
    connect(grdThumbs_, &TThumbnailGrid::MenuRequested, this, [this](const QPoint& at) {
        RefreshThumbnailMenu();
        popThumbs_->popup(at);
    });
    // The panel never makes the main window wider than it was asked to be.
    tvShell_->setMinimumSize(1, 1);
    grdThumbs_->setMinimumSize(1, 1);
    vspThumbs_->setStretchFactor(1, 1);
    CreateThumbnailMenu();
    return vspThumbs_;
}

void TfrmMain::CreateThumbnailMenu()
{
    popThumbs_ = new QMenu(this);
    popThumbs_->setObjectName("popThumbs");
    const auto add = [this](const char* name, const char* caption, auto handler) {
        QAction* action = popThumbs_->addAction(tr(caption), this, handler);
        action->setObjectName(name);
        return action;
    };
    add("mniThumbInsert", "&Insert Thumbnail", [this] {
        if (grdThumbs_->Selected() >= 0)
            Guarded(services_.Messages,
                    [this] { context_->AddFrameFromFile(ThumbnailPath(grdThumbs_->Selected())); });
    });
    add("mniThumbOpen", "&Open in Frameloom", [this] { OpenThumbnail(grdThumbs_->Selected()); });
    add("mniThumbCopy", "&Copy to Clipboard", [this] { CopyThumbnail(grdThumbs_->Selected()); });
    add("mniThumbEdit", "&Edit in default program...", [this] {
        if (grdThumbs_->Selected() >= 0)
            OpenWithShell(ThumbnailPath(grdThumbs_->Selected()));
    });
    popThumbs_->addSeparator();
    popThumbs_->addAction(Action("ThumbsBrowse"));
    mnuFavorites_ = popThumbs_->addMenu(tr("&Favorites"));
    mnuFavorites_->setObjectName("mnuFavorites");
    popThumbs_->addAction(Action("ThumbsRefresh"));
    popThumbs_->addAction(Action("ThumbsClear"));
    popThumbs_->addSeparator();
    add("mniHideExplorer", "&Hide Explorer", [this] { ToggleExplorerTree(); });
    add("mniHideThumbs", "Hide &Window", [this] { ToggleThumbnails(); });
    popThumbs_->addSeparator();
    add("mniThumbProperties", "&Properties...", [this] { ShowThumbnailProperties(grdThumbs_->Selected()); });
    RebuildFavoritesMenu();
    connect(Action("ThumbsBrowse"), &QAction::triggered, this, [this] { BrowseThumbnailFolder(); });
    connect(Action("ThumbsRefresh"), &QAction::triggered, this, [this] {
        ShowThumbnailPanel();
        ScanFolder(context_->Values().ThumbnailFolder);
    });
    connect(Action("ThumbsClear"), &QAction::triggered, this, [this] { ClearThumbnails(); });
}

void TfrmMain::RefreshThumbnailMenu()
{
    const bool over = grdThumbs_->Selected() >= 0;
    for (const char* name :
         {"mniThumbInsert", "mniThumbOpen", "mniThumbCopy", "mniThumbEdit", "mniThumbProperties"})
        MenuItem(name)->setEnabled(over);
    Action("ThumbsClear")->setEnabled(grdThumbs_->Count() > 0);
}

void TfrmMain::RebuildFavoritesMenu()
{
    mnuFavorites_->clear();
    mnuFavorites_->addAction(tr("&Add Current Folder"), this, [this] {
        const std::string folder = context_->Values().ThumbnailFolder;
        for (const std::string& favorite : favorites_)
            if (favorite.find(folder) != std::string::npos)
                return;
        favorites_.push_back(folder);
        // Rebuilt once the menu that runs this item has closed.
        QMetaObject::invokeMethod(
            this, [this] { RebuildFavoritesMenu(); }, Qt::QueuedConnection);
    });
    mnuFavorites_->addAction(tr("&Organize Favorites..."), this,
                             [this] { ShowOptions(ouOrganizeFavorites); });
    mnuFavorites_->addSeparator();
    for (const std::string& folder : favorites_) {
        QAction* item = mnuFavorites_->addAction(QString::fromStdString(folder));
        item->setStatusTip(tr("Scan this folder for images"));
        connect(item, &QAction::triggered, this, [this, folder] {
            std::error_code error;
            if (!fs::is_directory(folder, error)) {
                ShowErrorMessage(services_.Messages, FormatText(MissingFavoriteMessage, {folder}));
                favorites_.erase(std::remove(favorites_.begin(), favorites_.end(), folder), favorites_.end());
                // Rebuilt once the menu that runs this item has closed.
                QMetaObject::invokeMethod(
                    this, [this] { RebuildFavoritesMenu(); }, Qt::QueuedConnection);
                return;
            }
            SelectThumbnailFolder(folder);
        });
    }
}

std::string TfrmMain::ThumbnailPath(int index) const
{
    if (index < 0 || index >= grdThumbs_->Count())
        return {};
    return WithSeparator(context_->Values().ThumbnailFolder) + grdThumbs_->Record(index).FileName;
}

void TfrmMain::ShowThumbnailPanel()
{
    if (!thumbnailsVisible_)
        ToggleThumbnails();
}

void TfrmMain::SelectThumbnailFolder(const std::string& folder)
{
    // The model knows folders by their paths without a final separator.
    treeFolder_ = QDir::cleanPath(QString::fromStdString(folder));
    ShowTreeFolder();
    FolderChosen(folder);
}

void TfrmMain::ShowTreeFolder()
{
    const QModelIndex index = fsModel_->index(treeFolder_);
    if (!index.isValid())
        return;
    const QSignalBlocker quiet(tvShell_->selectionModel());
    tvShell_->setCurrentIndex(index);
    tvShell_->scrollTo(index);
}

void TfrmMain::FolderChosen(const std::string& folder)
{
    std::error_code error;
    std::string path = folder;
    if (path.empty() || !fs::is_directory(path, error))
        path = services_.ProgramFolder;
    if (!thumbnailsVisible_ || WithSeparator(path) == WithSeparator(lastScannedFolder_))
        return;
    ScanFolder(path);
}

void TfrmMain::BrowseThumbnailFolder()
{
    ShowThumbnailPanel();
    TFileDialogRequest request;
    request.Kind = TFileDialogKind::Folder;
    request.InitialDir = context_->Values().ThumbnailFolder;
    const TFileDialogAnswer answer = services_.Dialogs.Run(request);
    if (answer.Accepted && !answer.Files.empty())
        SelectThumbnailFolder(answer.Files.front());
}

void TfrmMain::ScanFolder(const std::string& folder)
{
    if (folder.empty())
        return;
    const std::string path = WithSeparator(folder);
    std::error_code error;
    if (!fs::is_directory(path, error)) {
        ShowErrorMessage(services_.Messages, FormatText(InvalidFolderMessage, {path}));
        return;
    }
    context_->Values().ThumbnailFolder = path;
    lastScannedFolder_ = path;
    lblCurrFolder_->setText(QString::fromStdString("Current Folder: " + path));
    ClearThumbnails();
    context_->SetStatusText("Scanning Folder for images...");
    std::vector<TThumbnailFile> files = ListThumbnailFiles(path, context_->Values().ThumbnailFilter);
    if (files.empty()) {
        context_->SetStatusText("Sorry no images found in " + path);
        return;
    }
    try {
        grdThumbs_->Reserve(files.size());
    } catch (const std::bad_alloc&) {
        ShowErrorMessage(services_.Messages, OutOfMemoryMessage);
        context_->SetStatusText({});
        return;
    }
    grdThumbs_->SetCellSize(thumbnailSize_);
    QProgressBar* progress = statusBar_->ProgressBar();
    progress->setRange(0, static_cast<int>(files.size()) - 1);
    progress->setValue(0);
    progress->show();
    // The window stays usable: the grid alone shows that work goes on.
    grdThumbs_->viewport()->setCursor(Qt::BusyCursor);
    thumbnailScanShown_ = true;
    if (!scanner_) {
        scanner_ = std::make_unique<TThumbnailScanner>();
        scanner_->OnResultsReady = [this] {
            QMetaObject::invokeMethod(this, [this] { TakeScannedThumbnails(); }, Qt::QueuedConnection);
        };
    }
    scanner_->Start(path, std::move(files), thumbnailSize_);
}

bool TfrmMain::ThumbnailScanRunning() const
{
    return thumbnailScanShown_;
}

void TfrmMain::TakeScannedThumbnails()
{
    if (!scanner_)
        return;
    for (TScannedThumbnail& result : scanner_->TakeResults()) {
        const QImage picture = ToQImage(result.Thumbnail.Picture);
        if (result.Refill)
            grdThumbs_->Refill(result.FileIndex, picture);
        else
            grdThumbs_->Append(result.Thumbnail.Record, result.FileIndex, picture);
    }
    if (!thumbnailScanShown_)
        return; // refills after the scan
    const int count = scanner_->Count();
    const int done = scanner_->Done();
    if (done >= count) {
        EndThumbnailScan();
        return;
    }
    context_->SetStatusText(FormatText("Scanning folder for images... %s%s Complete",
                                       {std::to_string(int64_t(done) * 100 / count), "%"}));
    statusBar_->ProgressBar()->setValue(std::max(done - 1, 0));
}

void TfrmMain::ClearThumbnails()
{
    if (scanner_)
        scanner_->Cancel();
    grdThumbs_->Clear();
    if (thumbnailScanShown_)
        EndThumbnailScan();
}

void TfrmMain::EndThumbnailScan()
{
    thumbnailScanShown_ = false;
    statusBar_->ProgressBar()->hide();
    grdThumbs_->viewport()->unsetCursor();
    context_->SetStatusText({});
}

void TfrmMain::OpenThumbnail(int index)
{
    const std::string path = ThumbnailPath(index);
    std::error_code error;
    if (path.empty() || !fs::is_regular_file(path, error))
        return;
    Guarded(services_.Messages, [this, &path] {
        // A picture starts a new animation of its own; a GIF opens.
        context_->ThumbnailDrag = true;
        context_->AddThumbnailFile(path);
    });
}

void TfrmMain::CopyThumbnail(int index)
{
    const std::string path = ThumbnailPath(index);
    std::error_code error;
    if (path.empty() || !fs::is_regular_file(path, error))
        return;
    TBitmap picture;
    bool copied = false;
    try {
        copied = ImportImageFile(*context_, path, picture, FileTypeIndex(path), true) == importBitmapFilled &&
                 !picture.Empty();
        if (copied) {
            TMemoryStream dib;
            picture.SaveToDIB(dib);
            const auto* bytes = static_cast<const uint8_t*>(dib.Data());
            copied =
                clipboard_->SetData(ClipboardFormatBitmap, std::vector<uint8_t>(bytes, bytes + dib.Size()));
        }
    } catch (const std::exception&) {
        copied = false;
    }
    if (!copied) {
        ShowMessageBox(services_.Messages, TMsgDlgType::mtInformation, NotCopiedMessage, {TMsgDlgBtn::mbOK});
        return;
    }
    if (context_->ActiveDocument() && context_->Frames().Selected() >= 0 && !PreviewRunning()) {
        context_->Actions().SetEnabled(ActEditPaste, context_->PasteAvailable());
        context_->PublishStates();
    }
    services_.Messages.Beep();
    ShowMessageBox(services_.Messages, TMsgDlgType::mtInformation, CopiedMessage, {TMsgDlgBtn::mbOK});
}

void TfrmMain::ShowThumbnailProperties(int index)
{
    const std::string path = ThumbnailPath(index);
    if (path.empty())
        return;
    Guarded(services_.Messages, [this, &path] {
        TfrmPrompts prompt(services_, *context_, ppImageProperties, this);
        prompt.ShowImageProperties(path);
        RunDialog(prompt);
    });
}

} // namespace fl
