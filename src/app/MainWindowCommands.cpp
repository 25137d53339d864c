// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's commands: the actions of the command table with their
// hints, the menus, the toolbars and the popups, and the commands that
// arrange the document windows.
#include <QActionGroup>
#include <QClipboard>
#include <QGuiApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>
#include <exception>

#include "app/AppIcons.h"
#include "app/DocumentTabs.h"
#include "app/MDIChild.h"
#include "app/MainWindow.h"
#include "app/WindowArrangement.h"
#include "document/ActionStates.h"
#include "document/Document.h"
#include "document/EditorContext.h"
#include "platform/MessageService.h"

namespace fl {

namespace {

// The menu shows "New..." (it opens the wizard); the toolbar's hint says New.
QString MenuCaption(const std::string& name, const std::string& caption)
{
    return name == "FileNew" ? QStringLiteral("&New...") : QString::fromStdString(caption);
}

constexpr const char* ToolbarNames[] = {"tbStandard", "tbFrame", "tbAnimation"};
constexpr const char* ToolbarCaptions[] = {"Standard Toolbar", "Frame Toolbar", "Animation Toolbar"};
constexpr const char* ToolbarMenuCaptions[] = {"&Standard", "&Frame", "&Animation"};

} // namespace

void TfrmMain::CreateActions()
{
    for (const TActionInfo& info : ActionTable()) {
        auto* action = new QAction(MenuCaption(info.Name, info.Caption), this);
        action->setObjectName(info.Name);
        if (*info.Shortcut)
            action->setShortcut(QKeySequence(QString::fromLatin1(info.Shortcut)));
        action->setToolTip(QString::fromStdString(ShortHint(info.Hint)));
        action->setStatusTip(QString::fromStdString(LongHint(info.Hint)));
        action->setIcon(ActionIcon(info.Name));
        action->setEnabled(info.InitiallyEnabled);
        actions_[info.Name] = action;
    }
    actThumbs_ = new QAction("Show/Hide &Thumbnails", this);
    actThumbs_->setObjectName("mniShowThumbs");
    actThumbs_->setShortcut(QKeySequence("Shift+Ctrl+T"));
    actThumbs_->setCheckable(true);
    actThumbs_->setToolTip("Thumbnails");
    actThumbs_->setStatusTip("Shows or hides the thumbnail window");
    actThumbs_->setIcon(ActionIcon("ThumbsShowHide"));
    connect(actThumbs_, &QAction::triggered, this, [this] { ToggleThumbnails(); });
    connect(Action("FileExit"), &QAction::triggered, this, &QWidget::close);
    connect(Action("WindowCascade"), &QAction::triggered, this, [this] { CascadeWindows(*mdiArea_); });
    connect(Action("WindowTileHorizontal"), &QAction::triggered, this,
            [this] { TileWindows(*mdiArea_, true); });
    connect(Action("WindowTileVertical"), &QAction::triggered, this,
            [this] { TileWindows(*mdiArea_, false); });
    connect(Action("WindowMinimizeAll"), &QAction::triggered, this, [this] {
        for (QMdiSubWindow* window : mdiArea_->subWindowList())
            window->showMinimized();
    });
    connect(Action("WindowArrangeAll"), &QAction::triggered, this,
            [this] { ArrangeMinimizedWindows(*mdiArea_); });
    connect(Action("WindowNextDoc"), &QAction::triggered, this,
            [this] { mdiArea_->activateNextSubWindow(); });
    connect(Action("WindowPrevDoc"), &QAction::triggered, this,
            [this] { mdiArea_->activatePreviousSubWindow(); });

    connect(Action("FileOpen"), &QAction::triggered, this, [this] { FileOpen(); });
    connect(Action("FileSave"), &QAction::triggered, this, [this] { FileSave(); });
    connect(Action("FileSaveAs"), &QAction::triggered, this, [this] { FileSaveAs(); });
    connect(Action("FileSaveAll"), &QAction::triggered, this, [this] { FileSaveAll(); });
    connect(Action("FileClose"), &QAction::triggered, this, [this] { FileClose(); });
    connect(Action("FrameAdd"), &QAction::triggered, this, [this] { FrameAdd(); });
    connect(Action("FileCloseAll"), &QAction::triggered, this, [this] { FileCloseAll(); });
    connect(Action("AnimationPlay"), &QAction::triggered, this, [this] { AnimationPlay(); });
    connect(Action("AnimationPause"), &QAction::triggered, this, [this] { AnimationPause(); });

    // The edits whose logic the document holds.
    connect(Action("EditUndo"), &QAction::triggered, this, [this] { UndoActiveDocument(); });
    connect(Action("EditRedo"), &QAction::triggered, this, [this] { RedoActiveDocument(); });
    // Both habits: Ctrl+Y, and Ctrl+Shift+Z beside Undo's Ctrl+Z.
    Action("EditRedo")->setShortcuts({QKeySequence("Ctrl+Y"), QKeySequence("Ctrl+Shift+Z")});
    connect(Action("FrameDelete"), &QAction::triggered, this, [this] {
        if (TDocument* document = context_->ActiveDocument())
            document->DeleteFrame(context_->Frames().Selected());
    });
    const auto move = [this](const char* name, auto target) {
        connect(Action(name), &QAction::triggered, this, [this, target] {
            TDocument* document = context_->ActiveDocument();
            const int selected = context_->Frames().Selected();
            if (document && selected >= 0)
                document->MoveFrame(selected, target(selected, context_->Frames().Count()));
        });
    };
    move("FrameMoveUp", [](int selected, int) { return selected - 1; });
    move("FrameMoveDown", [](int selected, int) { return selected + 1; });
    move("FrameMoveBegin", [](int, int) { return 0; });
    move("FrameMoveEnd", [](int, int count) { return count - 1; });
}

void TfrmMain::UndoActiveDocument()
{
    TDocument* document = context_->ActiveDocument();
    if (!document)
        return;
    // A command that cannot be undone says why and stays in the history.
    try {
        document->Undo();
    } catch (const std::exception& error) {
        ShowErrorMessage(services_.Messages, error.what());
    }
}

void TfrmMain::RedoActiveDocument()
{
    TDocument* document = context_->ActiveDocument();
    if (!document)
        return;
    try {
        document->Redo();
    } catch (const std::exception& error) {
        ShowErrorMessage(services_.Messages, error.what());
    }
}

TMDIChild* TfrmMain::ActiveChild() const
{
    TDocument* document = context_->ActiveDocument();
    QMdiSubWindow* window = document ? SubWindowOf(*document) : nullptr;
    return window ? qobject_cast<TMDIChild*>(window->widget()) : nullptr;
}

QAction* TfrmMain::MenuItem(const char* name) const
{
    return findChild<QAction*>(QString::fromLatin1(name));
}

QAction* TfrmMain::AddAction(QMenu* menu, const QString& name, const QString& caption,
                             const QString& shortcut)
{
    auto* action = menu->addAction(caption);
    action->setObjectName(name);
    if (!shortcut.isEmpty())
        action->setShortcut(QKeySequence(shortcut));
    return action;
}

void TfrmMain::CreateMenus()
{
    const auto add = [this](QMenu* menu, const char* name) { menu->addAction(Action(name)); };
    QMenuBar* bar = menuBar();

    QMenu* file = bar->addMenu("&File");
    file->setObjectName("mnuFile");
    add(file, "FileNew");
    file->addSeparator();
    add(file, "FileOpen");
    mnuRecentFiles_ = file->addMenu("&Recent Files");
    mnuRecentFiles_->setObjectName("mnuRecentFiles");
    // Shown once the recent files are kept.
    mnuRecentFiles_->menuAction()->setVisible(false);
    file->addSeparator();
    for (const char* name : {"FileSave", "FileSaveAs", "FileSaveAll", "FileClose", "FileCloseAll"})
        add(file, name);
    file->addSeparator();
    QMenu* import = file->addMenu("&Import");
    import->setObjectName("mnuImport");
    connect(AddAction(import, "mniImportAVI", "&AVI Animation"), &QAction::triggered, this,
            [this] { FileImportAvi(); });
    connect(AddAction(import, "mniImportVideo", "&Video..."), &QAction::triggered, this,
            [this] { FileImportVideo(); });
    QMenu* exportMenu = file->addMenu("&Export");
    exportMenu->setObjectName("mnuExport");
    exportActions_.push_back(AddAction(exportMenu, "mniExportImages", "&Single Images..."));
    exportMenu->addSeparator();
    exportActions_.push_back(AddAction(exportMenu, "mniExportAVI", "As &AVI Animation..."));
    exportActions_.push_back(AddAction(exportMenu, "mniExportHTML", "As &HTML Page..."));
    connect(exportMenu, &QMenu::aboutToShow, this, [this] {
        const bool frames = context_->DocumentCount() > 0 && !context_->Animation().IsEmpty();
        for (QAction* action : exportActions_)
            action->setEnabled(frames);
    });
    file->addSeparator();
    add(file, "FileExit");

    QMenu* edit = bar->addMenu("&Edit");
    edit->setObjectName("mnuEdit");
    add(edit, "EditUndo");
    add(edit, "EditRedo");
    edit->addSeparator();
    add(edit, "EditCut");
    add(edit, "EditCopy");
    add(edit, "EditPaste");
    actPasteComments_ = AddAction(edit, "mniPasteComments", "Paste Comme&nts");
    edit->addSeparator();
    add(edit, "FrameDelete");
    add(edit, "FrameAdd");
    edit->addSeparator();
    add(edit, "FrameGlobalChange");
    edit->addSeparator();
    add(edit, "FrameMoveBegin");
    add(edit, "FrameMoveEnd");
    edit->addSeparator();
    add(edit, "FrameMoveUp");
    add(edit, "FrameMoveDown");
    connect(edit, &QMenu::aboutToShow, this, [this] {
        const QClipboard* clipboard = QGuiApplication::clipboard();
        actPasteComments_->setEnabled(context_->ActiveDocument() && clipboard &&
                                      !clipboard->text().isEmpty());
    });

    QMenu* view = bar->addMenu("&View");
    view->setObjectName("mnuView");
    add(view, "AnimationPlay");
    add(view, "AnimationPause");
    view->addSeparator();
    add(view, "AnimationInfo");
    add(view, "AnimationPalette");
    add(view, "AnimationResize");
    view->addSeparator();
    // Zoom of the active document's view; without one the items do nothing.
    QMenu* zoom = view->addMenu("&Zoom");
    zoom->setObjectName("mnuZoom");
    const auto zoomItem = [this, zoom](const char* name, const char* caption, QList<QKeySequence> keys,
                                       void (TMDIChild::*step)()) {
        QAction* action = AddAction(zoom, name, caption);
        action->setShortcuts(keys);
        connect(action, &QAction::triggered, this, [this, step] {
            if (TMDIChild* child = ActiveChild())
                (child->*step)();
        });
    };
    zoomItem("mniZoomIn", "Zoom &In", {QKeySequence("Ctrl++"), QKeySequence("Ctrl+=")}, &TMDIChild::ZoomIn);
    zoomItem("mniZoomOut", "Zoom &Out", {QKeySequence("Ctrl+-")}, &TMDIChild::ZoomOut);
    zoomItem("mniZoomActual", "&Actual Size", {QKeySequence("Ctrl+0")}, &TMDIChild::ZoomToActualSize);
    zoomItem("mniZoomFit", "&Fit to Window", {}, &TMDIChild::FitToWindow);
    QMenu* frameSize = view->addMenu("Frame &Size");
    frameSize->setObjectName("mnuFrameSize");
    frameSizeGroup_ = new QActionGroup(this);
    const char* sizeCaptions[] = {"&80 x 80",   "&96 x 96",   "&112 x 112",
                                  "1&28 x 128", "1&44 x 144", "1&60 x 160"};
    for (int i = 0; i < 6; ++i) {
        const int size = FrameSizes[i];
        QAction* action = AddAction(frameSize, QStringLiteral("mniFrameSize%1").arg(size), sizeCaptions[i]);
        action->setCheckable(true);
        action->setData(size);
        frameSizeGroup_->addAction(action);
        frameSizeActions_[size] = action;
        connect(action, &QAction::triggered, this, [this, size] { SelectFrameSize(size); });
    }
    frameSize->addSeparator();
    actAutosize_ = AddAction(frameSize, "mniAutosizeSplitter", "&Autosize Splitter Bar");
    actAutosize_->setCheckable(true);
    connect(actAutosize_, &QAction::triggered, this, [this](bool checked) { SetAutosizeSplitter(checked); });
    QMenu* frameWindow = view->addMenu("Frame &Window");
    frameWindow->setObjectName("mnuFrameWindow");
    auto* alignGroup = new QActionGroup(this);
    actAlignLeft_ = AddAction(frameWindow, "mniAlignLeft", "Align &Left");
    actAlignRight_ = AddAction(frameWindow, "mniAlignRight", "Align &Right");
    for (QAction* action : {actAlignLeft_, actAlignRight_}) {
        action->setCheckable(true);
        alignGroup->addAction(action);
    }
    connect(actAlignLeft_, &QAction::triggered, this, [this] { SetFramePanelRight(false); });
    connect(actAlignRight_, &QAction::triggered, this, [this] { SetFramePanelRight(true); });
    view->addSeparator();
    QMenu* thumbs = view->addMenu("Thu&mbnail Window");
    thumbs->setObjectName("mnuThumbnailWindow");
    thumbs->addAction(actThumbs_);
    thumbs->addSeparator();
    add(thumbs, "ThumbsBrowse");
    add(thumbs, "ThumbsRefresh");
    add(thumbs, "ThumbsClear");
    thumbs->addSeparator();
    actExplorer_ = AddAction(thumbs, "mniShowExplorer", "Show/Hide &Explorer Tree", "Shift+Ctrl+E");
    actExplorer_->setCheckable(true);
    connect(actExplorer_, &QAction::triggered, this, [this] { ToggleExplorerTree(); });
    view->addSeparator();
    QMenu* toolbarsMenu = view->addMenu("&Toolbars");
    toolbarsMenu->setObjectName("mnuToolbars");
    // Menu order: Standard, Animation, Frame; the tags stay those of the dock.
    for (const int tag : {tbTagStandard, tbTagAnimation, tbTagFrame}) {
        QAction* action = AddAction(toolbarsMenu, QStringLiteral("mniToolbar%1").arg(ToolbarNames[tag] + 2),
                                    ToolbarMenuCaptions[tag]);
        action->setCheckable(true);
        action->setChecked(true);
        action->setData(tag);
        actToolbar_[tag] = action;
        connect(action, &QAction::triggered, this,
                [this, tag](bool checked) { SetToolbarVisible(tag, checked); });
    }

    QMenu* tools = bar->addMenu("&Tools");
    tools->setObjectName("mnuTools");
    add(tools, "AnimationOptimize");
    tools->addSeparator();
    actReverse_ = AddAction(tools, "mniReverseFrames", "&Reverse Frame Order");
    actHtmlCode_ = AddAction(tools, "mniHtmlCode", "HTML &Code...");
    connect(actHtmlCode_, &QAction::triggered, this, [this] { ToolsHtmlCode(); });
    tools->addSeparator();
    actInspector_ = AddAction(tools, "mniFrameInspector", "&Frame Inspector");
    actInspector_->setCheckable(true);
    connect(actInspector_, &QAction::triggered, this, [this] { ToggleFrameInspector(); });
    tools->addSeparator();
    AddAction(tools, "mniOptions", "Program &Options...");
    connect(tools, &QMenu::aboutToShow, this, [this] {
        const bool enabled = context_->ActiveDocument() && !Action("AnimationPause")->isEnabled();
        actReverse_->setEnabled(enabled);
        actHtmlCode_->setEnabled(enabled);
    });

    mnuWindow_ = bar->addMenu("&Window");
    mnuWindow_->setObjectName("mnuWindow");
    for (const char* name : {"WindowCascade", "WindowTileHorizontal", "WindowTileVertical",
                             "WindowMinimizeAll", "WindowArrangeAll"})
        add(mnuWindow_, name);
    mnuWindow_->addSeparator();
    add(mnuWindow_, "WindowNextDoc");
    add(mnuWindow_, "WindowPrevDoc");
    connect(mnuWindow_, &QMenu::aboutToShow, this, [this] { RebuildWindowMenu(); });

    QMenu* help = bar->addMenu("&Help");
    help->setObjectName("mnuHelp");
    add(help, "HelpContents");
    help->addSeparator();
    AddAction(help, "mniTipOfDay", "&Tip of the Day...");
    AddAction(help, "mniWelcome", "&Welcome Dialog...");
    help->addSeparator();
    AddAction(help, "mniHomepage", "Quillmark Homepage");
    AddAction(help, "mniSupport", "&Support Online");
    help->addSeparator();
    AddAction(help, "mniAbout", "&About Frameloom...");
}

void TfrmMain::RebuildWindowMenu()
{
    // Through the context, so that the next refresh of the actions keeps
    // what the menu decided.
    const bool arranging = context_->Actions().Enabled("WindowCascade");
    context_->Actions().SetEnabled("WindowNextDoc", arranging);
    context_->Actions().SetEnabled("WindowPrevDoc", arranging);
    context_->PublishStates();
    for (QAction* action : windowListActions_)
        delete action;
    windowListActions_.clear();
    const QList<QMdiSubWindow*> windows = mdiArea_->subWindowList();
    if (windows.isEmpty())
        return;
    windowListActions_.push_back(mnuWindow_->addSeparator());
    int number = 1;
    for (QMdiSubWindow* window : windows) {
        QAction* action =
            mnuWindow_->addAction(QStringLiteral("&%1 %2").arg(number++).arg(window->windowTitle()));
        action->setCheckable(true);
        action->setChecked(window == mdiArea_->activeSubWindow());
        connect(action, &QAction::triggered, this, [this, window] {
            if (mdiArea_->subWindowList().contains(window))
                mdiArea_->setActiveSubWindow(window);
        });
        windowListActions_.push_back(action);
    }
}

void TfrmMain::CreateToolbars()
{
    for (int tag = 0; tag < 3; ++tag) {
        auto* toolbar = new QToolBar(ToolbarCaptions[tag], ctrlBar_);
        toolbar->setObjectName(ToolbarNames[tag]);
        toolbar->setProperty("tag", tag);
        toolbar->setFloatable(false);
        toolbar->setAllowedAreas(Qt::TopToolBarArea);
        toolbar->setIconSize(QSize(16, 16));
        toolbars_[tag] = toolbar;
        ctrlBar_->addToolBar(Qt::TopToolBarArea, toolbar);
    }
    const auto add = [this](int tag, const char* name) { toolbars_[tag]->addAction(Action(name)); };
    for (const char* name : {"FileNew", "FileOpen", "FileSave", "FileSaveAll"})
        add(tbTagStandard, name);
    toolbars_[tbTagStandard]->addSeparator();
    for (const char* name : {"EditCut", "EditCopy", "EditPaste", "EditUndo", "EditRedo"})
        add(tbTagStandard, name);
    toolbars_[tbTagStandard]->addSeparator();
    toolbars_[tbTagStandard]->addAction(actThumbs_);
    if (QWidget* button = toolbars_[tbTagStandard]->widgetForAction(actThumbs_))
        button->setObjectName("tbnThumb");
    // The Open button's drop-down is the recent-files menu again, made
    // afresh each time it opens.
    popRecentFiles_ = new QMenu(this);
    popRecentFiles_->setObjectName("popRecentFiles");
    connect(popRecentFiles_, &QMenu::aboutToShow, this, [this] { FillRecentFilesMenu(popRecentFiles_); });
    if (auto* open =
            qobject_cast<QToolButton*>(toolbars_[tbTagStandard]->widgetForAction(Action("FileOpen")))) {
        open->setMenu(popRecentFiles_);
        open->setPopupMode(QToolButton::MenuButtonPopup);
    }

    for (const char* name : {"FrameGlobalChange", "FrameAdd", "FrameDelete"})
        add(tbTagFrame, name);
    toolbars_[tbTagFrame]->addSeparator();
    for (const char* name : {"FrameMoveUp", "FrameMoveDown", "FrameMoveBegin", "FrameMoveEnd"})
        add(tbTagFrame, name);

    for (const char* name : {"AnimationInfo", "AnimationPalette", "AnimationOptimize"})
        add(tbTagAnimation, name);
    toolbars_[tbTagAnimation]->addSeparator();
    add(tbTagAnimation, "AnimationPlay");
    add(tbTagAnimation, "AnimationPause");
    popPlayAni_ = new QMenu(this);
    popPlayAni_->setObjectName("popPlayAni");
    connect(popPlayAni_, &QMenu::aboutToShow, this, [this] { OrderPlayMenu(); });
    // An entry plays its document (the button itself plays the active one).
    connect(popPlayAni_, &QMenu::triggered, this, [this](QAction* entry) {
        for (int i = 0; i < context_->DocumentCount(); ++i) {
            TDocument& document = context_->DocumentAt(i);
            const auto found = playEntries_.find(&document);
            if (found != playEntries_.end() && found->second == entry) {
                PlayDocument(document);
                return;
            }
        }
    });
    if (auto* play =
            qobject_cast<QToolButton*>(toolbars_[tbTagAnimation]->widgetForAction(Action("AnimationPlay")))) {
        play->setMenu(popPlayAni_);
        play->setPopupMode(QToolButton::MenuButtonPopup);
    }
}

void TfrmMain::CreatePopups()
{
    popFrames_ = new QMenu(this);
    popFrames_->setObjectName("popFrames");
    popFrames_->addAction(Action("FrameAdd"));
    popFrames_->addSeparator();
    for (const char* name : {"EditCut", "EditCopy", "EditPaste"})
        popFrames_->addAction(Action(name));
    popFrames_->addSeparator();
    popFrames_->addAction(Action("FrameDelete"));
    popFrames_->addSeparator();
    popFrames_->addAction(Action("FrameMoveUp"));
    popFrames_->addAction(Action("FrameMoveDown"));

    popTab_ = new QMenu(this);
    popTab_->setObjectName("popTab");
    popTab_->addAction(Action("WindowNextDoc"));
    popTab_->addAction(Action("WindowPrevDoc"));
    popTab_->addSeparator();
    actTabClose_ = AddAction(popTab_, "mniTabClose", "&Close");
    connect(actTabClose_, &QAction::triggered, this, [this] { CloseHoveredTab(); });
    connect(popTab_, &QMenu::aboutToShow, this,
            [this] { actTabClose_->setEnabled(Action("FileClose")->isEnabled()); });
    tabMDI_->OnPopup = [this](const QPoint& position) {
        hoveredTab_ = tabMDI_->HoveredTab();
        popTab_->popup(position);
    };
}

void TfrmMain::CloseHoveredTab()
{
    TDocument* document = tabMDI_->DocumentAt(hoveredTab_);
    if (!document)
        return;
    context_->ActivateDocument(*document);
    if (context_->IsOpen(document))
        context_->CloseDocument(*document, true);
}

void TfrmMain::RefreshActions()
{
    const TActionStates& states = context_->Actions();
    for (const TActionInfo& info : ActionTable()) {
        QAction* action = actions_.at(info.Name);
        action->setEnabled(states.Enabled(info.Name));
        action->setText(MenuCaption(info.Name, states.Caption(info.Name)));
    }
    for (QAction* entry : popPlayAni_->actions())
        entry->setEnabled(states.Enabled("AnimationPlay"));
}

} // namespace fl
