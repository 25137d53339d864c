// SPDX-License-Identifier: GPL-3.0-or-later
// The editor's main window: the tool dock with its three toolbars, the
// document tabs, the frame list panel, the document windows in an MDI area,
// the thumbnail panel and the status bar. It owns the editor context and
// does for it what only windows can do (TEditorWindows); every command's
// state is the context's, and the window only shows it.
#pragma once

#include <QBrush>
#include <QElapsedTimer>
#include <QMainWindow>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/AppServices.h"
#include "app/ScaledPictureLabel.h"
#include "document/EditorWindows.h"

class QAction;
class QTreeView;
class QFileSystemModel;
class QDialog;
class QMimeData;
class QDragEnterEvent;
class QDragMoveEvent;
class QDragLeaveEvent;
class QDropEvent;
class QActionGroup;
class QFrame;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QSplitter;
class QTimer;
class QToolBar;
class QToolButton;

namespace fl {

class TCanvas;
class TDocument;
class TDocumentTabs;
class TEditorContext;
class TFLListBox;
class TGIFImage;
class TGIFPainter;
class TImagingFileReader;
class TQtClipboard;
class TMainStatusBar;
class TMDIChild;
class TfrmFloat;
class TThumbnailGrid;
class TThumbnailScanner;
struct TWizardHooks;
struct TOptionsHooks;
struct TProgramOptions;
class TPaletteRulesPanel;
class TMessageService;
class TRecentFiles;
class TBitmap;

// Text of the message for files the editor cannot open; %s is the file name.
inline constexpr const char* UnsupportedFileMessage =
    "Error loading %s! Frameloom does not support the file type or it is a corrupted file.";

// The toolbars in the tool dock's tag order.
enum TToolbarTag { tbTagStandard = 0, tbTagFrame = 1, tbTagAnimation = 2 };

// Runs a command; its failure (a snapshot that could not be written, a frame
// the model refuses) is shown, and the program goes on.
void Guarded(TMessageService& messages, const std::function<void()>& command);

class TfrmMain final : public QMainWindow, public TEditorWindows {
    Q_OBJECT
public:
    // Reads the settings; the caller shows the window (StartMaximized tells
    // how) and may then open the command line's file.
    explicit TfrmMain(const TAppServices& services, QWidget* parent = nullptr);
    // Writes the settings and deletes the documents' temporary files.
    ~TfrmMain() override;
    TfrmMain(const TfrmMain&) = delete;
    TfrmMain& operator=(const TfrmMain&) = delete;

    TEditorContext& Context() { return *context_; }
    const TAppServices& Services() const { return services_; }
    // The action of the command table with that name, or null.
    QAction* Action(const std::string& name) const;

    // Whether the settings ask for a maximized window.
    bool StartMaximized() const { return startMaximized_; }
    // Shows the window as the settings ask.
    void ShowAsStored();
    // Opens each of the program's arguments (the program name left out),
    // in order.
    void OpenArguments(const QStringList& arguments);
    // Files a later start of the program handed over: the window comes to
    // the front, and they open once no dialog is waiting for an answer and
    // no long work is running.
    void OpenHandedFiles(const QStringList& files);
    // Opens a file as its type asks: a GIF as a document, a still image as
    // a frame (or a new animation), a video converted into a new document;
    // anything the editor does not know is refused with a message.
    void OpenFileByType(const std::string& path);
    // Puts the path at the top of the recent files.
    void AddRecentFile(const std::string& path);
    const TRecentFiles& RecentFiles() const;

    // The file commands.
    void FileOpen();
    void FileSave();
    void FileSaveAs();
    void FileSaveAll();
    void FileClose();
    // Import > AVI Animation: the chosen video becomes a new document.
    void FileImportAvi();
    // Import > Video: any video (or animated WebP) becomes a new document,
    // the part and frame rate the user chooses, with progress and Cancel.
    void FileImportVideo();
    bool ImportVideoFile(const std::string& path);
    // Add Frame: image files chosen in the open dialog become frames.
    void FrameAdd();
    // The previewing open dialog over the image types; none when cancelled.
    std::vector<std::string> ChooseImageFiles();
    // Answers false when a document refused to close.
    bool FileCloseAll();
    // Where Save writes a document of the sample folder: the "working"
    // folder beside it (in the user's data folder when the program folder
    // cannot be written, as when installed), with a number added when the
    // name is taken there. Empty for documents elsewhere.
    std::string SampleFolderRedirect(const std::string& fileName) const;

    // The commands that are a prompt plus its change; see
    // MainWindowAnimation.cpp.
    void FrameGlobalChange();
    void AnimationInfo();
    void AnimationResize();
    void AnimationPalette();
    void ToolsHtmlCode();
    // Shows one of the program's own dialogs modally, through the services.
    int RunDialog(QDialog& dialog);

    // Playback of the active animation in its document window (the
    // preview); see MainWindowPlay.cpp.
    void AnimationPlay();
    // Ends a running preview and drops its copy of the animation.
    void AnimationPause();
    // Ends a running preview: the document's view and the commands come
    // back; `release` also drops the copy.
    void StopPlayback(bool release);
    // Whether imgAni_ plays over a document's frame panel.
    bool PreviewRunning() const;
    // Whether the window still holds the copy (a preview that played to its
    // end keeps it until the next Play or a release).
    bool PreviewHeld() const { return preview_ != nullptr; }
    // The play menu: brings the document to front and plays it.
    void PlayDocument(TDocument& document);

    // The animated logo shown over the empty client area after start-up.
    void ShowStartupLogo();
    void HideStartupLogo();
    bool StartupLogoShown() const { return logo_ != nullptr; }
    // Layout commands.
    void SetToolbarVisible(int tag, bool visible);
    void ToggleThumbnails();
    void ToggleExplorerTree();
    void ToggleFrameInspector();
    void SelectFrameSize(int size);
    void SetFramePanelRight(bool right);
    void SetAutosizeSplitter(bool autosize);

    // Settings: read once while the window is made, written when it goes.
    void LoadSettings();
    void SaveSettings();

    // What the layout shows now, for the commands that come later and for
    // tests.
    int FrameItemHeight() const { return frameItemHeight_; }
    int FrameItemWidth() const { return frameItemWidth_; }
    int ThumbnailSize() const { return thumbnailSize_; }
    bool FramePanelRight() const { return framePanelRight_; }
    bool ThumbnailsVisible() const { return thumbnailsVisible_; }
    bool ExplorerTreeVisible() const { return explorerVisible_; }
    bool InspectorChecked() const;
    // Set by "HideOnce": the inspector shows itself the first time a frame
    // is shown in it.
    bool InspectorReminder() const { return inspectorReminder_; }
    TfrmFloat& Inspector() const { return *inspector_; }
    // The options dialog in one of its uses (TOptionsUse).
    void ShowOptions(int use);
    // Fills the thumbnail grid with the folder's images (again); the
    // thumbnails are made in the background and appear as they come.
    void ScanFolder(const std::string& folder);
    bool ThumbnailScanRunning() const;
    TThumbnailGrid& ThumbnailGrid() const { return *grdThumbs_; }
    const std::vector<std::string>& Favorites() const { return favorites_; }
    // Nobody is there to answer the welcome dialog (a picture of the screen
    // is being taken).
    void SetUnattended(bool unattended) { unattended_ = unattended; }
    bool WarningsReported() const;
    // The frame list's popup, shared with the document views.
    QMenu* FramePopup() const { return popFrames_; }
    QMdiArea* MdiArea() const { return mdiArea_; }
    TDocumentTabs* Tabs() const { return tabMDI_; }
    TMainStatusBar* MainStatusBar() const { return statusBar_; }
    QMdiSubWindow* SubWindowOf(const TDocument& document) const;
    // The active document's window, none without one.
    TMDIChild* ActiveChild() const;
    // The document window whose shown frame the drag carries, if it is
    // still open.
    TMDIChild* ViewDragSource(const QMimeData& mime) const;
    // Whether a point of the main window lies on the workspace, where
    // documents and the start-up logo are shown.
    bool IsOverWorkspace(const QPoint& position) const;
    TDocument* DocumentOf(const QMdiSubWindow* window) const;

    // TEditorWindows.
    bool ShowFrame(int index) override;
    void StatesChanged() override;
    void DocumentAdded(TDocument& document) override;
    void DocumentChanged(TDocument& document) override;
    void DocumentRemoved(TDocument& document) override;
    void BringToFront(TDocument& document) override;
    void PostReload(TDocument& document) override;
    void PausePreview() override;
    void StopPreview() override;
    void StartSaveTimer() override;
    void ResetInspector() override;
    int AskInsertPosition() override;
    int AskTrimFrame() override;
    bool AskPaletteSettings() override;
    void RecentFilesChanged() override;
    void Progress(TProgressStage stage, int percent) override;

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Files dropped from the desktop open as their types ask, in drop order;
    // a thumbnail dropped on the workspace starts a new animation.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // Creation, one concept per file.
    void CreateActions();
    void ConnectAnimationCommands();
    // The wizards and the Help menu (MainWindowHelp.cpp).
    void ConnectHelpCommands();
    TWizardHooks WizardHooks();
    int RunWizard(int use);
    void ShowWelcome();
    void ShowHelp(int topic);
    void OpenHelpPage(const std::string& page);
    // The shell opens the file or address; says "Could not load the client."
    // when it cannot.
    bool OpenWithShell(const std::string& target);
    // File > Export (MainWindowExport.cpp).
    void ConnectExportCommands();
    void ExportSingleImages();
    // Program Options, Organize Favorites and About (MainWindowOptions.cpp).
    void ConnectOptionsCommands();
    TOptionsHooks OptionsHooks();
    void ApplyOptions(const TProgramOptions& before, const TProgramOptions& after,
                      const TPaletteRulesPanel& palettes);
    void ToggleWarnings();
    // The thumbnail browser (MainWindowThumbs.cpp).
    QWidget* CreateThumbnailBrowser(QWidget* parent);
    void CreateThumbnailMenu();
    void RefreshThumbnailMenu();
    void RebuildFavoritesMenu();
    std::string ThumbnailPath(int index) const;
    void ShowThumbnailPanel();
    // Selects the folder in the tree and scans it unless it was the last.
    void SelectThumbnailFolder(const std::string& folder);
    // Selects and shows treeFolder_ in the tree, as far as it is read.
    void ShowTreeFolder();
    void FolderChosen(const std::string& folder);
    void BrowseThumbnailFolder();
    // Moves the thumbnails made so far into the grid, with progress.
    void TakeScannedThumbnails();
    // Empties the grid, cancelling a scan.
    void ClearThumbnails();
    void EndThumbnailScan();
    void OpenThumbnail(int index);
    void CopyThumbnail(int index);
    void ShowThumbnailProperties(int index);
    void ExportAviAnimation();
    void ExportHtmlPage();
    void CreateMenus();
    void CreateToolbars();
    void CreatePopups();
    void CreateLayout();
    void CreateFramePanel();
    void CreateThumbnailPanel();
    // A menu item made by AddAction, found by its name.
    QAction* MenuItem(const char* name) const;
    QAction* AddAction(QMenu* menu, const QString& name, const QString& caption,
                       const QString& shortcut = {});

    // Adds a dropped thumbnail's file once the drag is over; onWorkspace
    // says it was dropped on the empty workspace.
    void QueueThumbnailAdd(const std::string& path, bool onWorkspace);
    void RefreshActions();
    void RefreshStatusText();
    // Fills the frame inspector from the frame; shows it the first time
    // after it was hidden once at start-up.
    void RefreshInspector(int index);
    void RefreshFrameList();
    void SelectFrameItem(int index);
    // Item sizes of the frame list from the frame size.
    void ApplyFrameGeometry();
    // The frame panel's width from the frame size, when the splitter
    // follows it.
    void FitFramePanel();
    void ApplyToolbarStyle(bool normalStyle);
    void PlaceToolbars(const std::vector<std::pair<int, int>>& positions);
    void ApplyPanelSizes();
    void UpdateDocumentPresence();
    void RebuildWindowMenu();
    void OnSubWindowActivated(QMdiSubWindow* window);
    void OnTabSelected(int index);
    void OnTabHovered(int index);
    void CloseHoveredTab();
    void DeferredStartup();
    void PlaceStartupLogo();
    void ShowLogoFrame();
    void InstallWarnings();
    void UndoActiveDocument();
    void RedoActiveDocument();
    void FillRecentFilesMenu(QMenu* menu);
    void OpenRecentFile(const std::string& path);
    bool NoDocumentToSave();
    void SaveModified(TDocument& document);
    void RememberSaved(const TDocument& document);
    std::vector<TDocument*> DocumentsInWindowOrder() const;

    TAppServices services_;
    std::unique_ptr<TEditorContext> context_;
    // Reads the still images of the file-type table for the context.
    std::unique_ptr<TImagingFileReader> imageReader_;
    // The system clipboard, for Paste's state.
    std::unique_ptr<TQtClipboard> clipboard_;

    std::map<std::string, QAction*> actions_;
    QAction* actThumbs_ = nullptr;
    QAction* actExplorer_ = nullptr;
    QAction* actInspector_ = nullptr;
    QAction* actAutosize_ = nullptr;
    QAction* actAlignLeft_ = nullptr;
    QAction* actAlignRight_ = nullptr;
    QAction* actToolbar_[3] = {};
    QAction* actPasteComments_ = nullptr;
    QAction* actReverse_ = nullptr;
    QAction* actHtmlCode_ = nullptr;
    QAction* actTabClose_ = nullptr;
    std::vector<QAction*> exportActions_;
    std::map<int, QAction*> frameSizeActions_;
    QActionGroup* frameSizeGroup_ = nullptr;
    QMenu* mnuRecentFiles_ = nullptr;
    QMenu* mnuWindow_ = nullptr;
    std::vector<QAction*> windowListActions_;
    QMenu* popRecentFiles_ = nullptr;
    QMenu* popPlayAni_ = nullptr;
    QMenu* popFrames_ = nullptr;
    QMenu* popTab_ = nullptr;

    QMainWindow* ctrlBar_ = nullptr;
    QToolBar* toolbars_[3] = {};
    QFrame* bevTop_ = nullptr;
    QWidget* pnlMDITab_ = nullptr;
    TDocumentTabs* tabMDI_ = nullptr;
    QSplitter* hsp_ = nullptr;
    QSplitter* vspLeft_ = nullptr;
    QFrame* pnlAniFrames_ = nullptr;
    QToolButton* btnPosFrames_ = nullptr;
    TFLListBox* lbFrames_ = nullptr;
    QMdiArea* mdiArea_ = nullptr;
    QFrame* pnlThumbs_ = nullptr;
    QToolButton* btnTVClose_ = nullptr;
    QToolButton* btnCloseThumbs_ = nullptr;
    QWidget* pnlSplash_ = nullptr;
    TScaledPictureLabel* imgAni_ = nullptr;
    TMainStatusBar* statusBar_ = nullptr;
    QTimer* saveTimer_ = nullptr;
    QTimer* keepInWorkspace_ = nullptr;

    std::map<const TDocument*, QMdiSubWindow*> subWindows_;
    std::map<const TDocument*, QAction*> playEntries_;
    // While the context itself moves the activation, the MDI area's
    // activation signal must not be fed back to it.
    int contextActivating_ = 0;
    bool destroying_ = false;
    bool shownOnce_ = false;
    int hoveredTab_ = -1;
    std::string shownStatusText_;

    // The preview: a private copy of the active animation and the bitmap
    // its player draws into (shown by imgAni_ over the frame panel).
    std::unique_ptr<TGIFImage> preview_;
    std::unique_ptr<TBitmap> previewBitmap_;
    std::unique_ptr<TCanvas> previewCanvas_;
    // New's state when the preview started, given back when it ends.
    bool newEnabledBeforePlay_ = true;
    // The preview's player reports a frame about to show, or the end.
    void PreviewFrameStarting(TGIFPainter& player);
    void ShowPreviewPicture();
    // imgAni_ leaves the frame panel, hidden; the copy stays.
    void HidePreview();
    // Stops the copy's player and frees the copy.
    void ReleasePreview();
    void SetPlayingStates(bool playing);
    // The active document's entry first and the default one.
    void OrderPlayMenu();

    // The logo and the player drawing it into logoBitmap_.
    std::unique_ptr<TGIFImage> logo_;
    std::unique_ptr<TBitmap> logoBitmap_;
    std::unique_ptr<TCanvas> logoCanvas_;
    QElapsedTimer logoShownFor_;
    QBrush workspaceBrush_;

    // Layout state, as loaded and as the commands change it.
    bool startMaximized_ = true;
    int frameItemHeight_ = 0;
    int frameItemWidth_ = 0;
    int framePanelWidth_ = 0;
    bool framePanelRight_ = false;
    bool autosizeSplitter_ = true;
    int thumbnailSize_ = 75;
    bool thumbnailsVisible_ = true;
    int thumbnailPanelHeight_ = 0;
    bool explorerVisible_ = true;
    int explorerWidth_ = 0;
    bool normalToolbarStyle_ = false;
    // (left, top) of each toolbar in the dock, by tag, as loaded.
    std::vector<std::pair<int, int>> toolbarPositions_;
    bool inspectorReminder_ = false;
    // The frame inspector: a tool window of its own, beside this one.
    TfrmFloat* inspector_ = nullptr;
    QSplitter* vspThumbs_ = nullptr;
    QFileSystemModel* fsModel_ = nullptr;
    QTreeView* tvShell_ = nullptr;
    TThumbnailGrid* grdThumbs_ = nullptr;
    QLabel* lblCurrFolder_ = nullptr;
    QMenu* popThumbs_ = nullptr;
    QMenu* mnuFavorites_ = nullptr;
    std::vector<std::string> favorites_;
    std::string lastScannedFolder_;
    // The folder the tree is to show until the user picks another.
    QString treeFolder_;
    // Made with the first scan: its workers are only started when needed.
    std::unique_ptr<TThumbnailScanner> scanner_;
    // A scan's progress is on the status bar and the grid's cursor.
    bool thumbnailScanShown_ = false;
    bool unattended_ = false;
    QTimer* inspectorRefresh_ = nullptr;
    bool displayAnimation_ = true;
    // Shared with the warning handler, which the All answer switches off.
    std::shared_ptr<bool> warningsOn_;
};

} // namespace fl
