// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's layout and the commands that change it: the tool dock,
// the frame panel beside the document area (left or right, its width and
// its item sizes), the thumbnail panel below them, and the document tabs.
//
// The panels map onto splitters: hsp splits the thumbnail panel off below
// vspLeft, which splits the frame panel off beside the MDI area. The
// status bar is the window's own and so always stays at the bottom.
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QMenu>
#include <QShortcut>
#include <QPainter>
#include <QSplitter>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>
#include <optional>
#include <string>

#include "app/AppIcons.h"
#include "app/DocumentTabs.h"
#include "app/FLListBox.h"
#include "app/FrameCard.h"
#include "app/MDIChild.h"
#include "app/MainStatusBar.h"
#include "app/MainWindow.h"
#include "app/ThumbnailDrag.h"
#include "dialogs/FrameInspector.h"
#include "document/Document.h"
#include "document/EditorContext.h"

namespace fl {

namespace {

constexpr int BevelHeight = 2;
constexpr int TabStripHeight = 24;
constexpr int FramePanelMinimum = 60;
constexpr int ThumbnailPanelMinimum = 100;
constexpr int FlatRowHeight = 26;
constexpr int RegularRowHeight = 28;

QFrame* Bevel(QWidget* parent, QFrame::Shadow shadow)
{
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(shadow);
    line->setFixedHeight(BevelHeight);
    return line;
}

} // namespace

void TfrmMain::CreateLayout()
{
    auto* central = new QWidget(this);
    central->setObjectName("pnlClient");
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    // The tool dock is a window of its own inside ours, so that its toolbars
    // can be dragged about within it and nowhere else.
    ctrlBar_ = new QMainWindow(central);
    ctrlBar_->setObjectName("ctrlBar");
    ctrlBar_->setWindowFlags(Qt::Widget);
    ctrlBar_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    // Its own menu would hide toolbars behind the Toolbars menu's back.
    ctrlBar_->setContextMenuPolicy(Qt::PreventContextMenu);
    layout->addWidget(ctrlBar_);

    bevTop_ = Bevel(central, QFrame::Sunken);
    bevTop_->setObjectName("bevTop");
    layout->addWidget(bevTop_);

    pnlMDITab_ = new QWidget(central);
    pnlMDITab_->setObjectName("pnlMDITab");
    pnlMDITab_->setFixedHeight(TabStripHeight);
    auto* tabLayout = new QHBoxLayout(pnlMDITab_);
    tabLayout->setContentsMargins(0, 0, 0, 0);
    tabMDI_ = new TDocumentTabs(pnlMDITab_);
    tabLayout->addWidget(tabMDI_, 1);
    layout->addWidget(pnlMDITab_);
    connect(tabMDI_, &QTabBar::currentChanged, this, [this](int index) { OnTabSelected(index); });
    connect(tabMDI_, &QTabBar::tabBarClicked, this, [this] {
        if (QMdiSubWindow* active = mdiArea_->activeSubWindow(); active && active->isMinimized())
            active->showNormal();
    });
    tabMDI_->OnHover = [this](int index) { OnTabHovered(index); };

    hsp_ = new QSplitter(Qt::Vertical, central);
    hsp_->setObjectName("hsp");
    hsp_->setChildrenCollapsible(false);
    layout->addWidget(hsp_, 1);

    vspLeft_ = new QSplitter(Qt::Horizontal, hsp_);
    vspLeft_->setObjectName("vspLeft");
    vspLeft_->setChildrenCollapsible(false);
    CreateFramePanel();
    mdiArea_ = new QMdiArea(vspLeft_);
    mdiArea_->setObjectName("MDIClient");
    mdiArea_->setViewMode(QMdiArea::SubWindowView);
    mdiArea_->setActivationOrder(QMdiArea::CreationOrder);
    mdiArea_->installEventFilter(this);
    mdiArea_->viewport()->installEventFilter(this);
    workspaceBrush_ = mdiArea_->background();
    vspLeft_->addWidget(pnlAniFrames_);
    vspLeft_->addWidget(mdiArea_);
    vspLeft_->setStretchFactor(1, 1);
    connect(mdiArea_, &QMdiArea::subWindowActivated, this,
            [this](QMdiSubWindow* window) { OnSubWindowActivated(window); });
    connect(vspLeft_, &QSplitter::splitterMoved, this, [this] {
        HideStartupLogo();
        framePanelWidth_ = pnlAniFrames_->width();
    });

    pnlSplash_ = new QWidget(mdiArea_);
    pnlSplash_->setObjectName("pnlSplash");
    pnlSplash_->hide();
    imgAni_ = new TScaledPictureLabel(this);
    imgAni_->setObjectName("imgAni");
    imgAni_->hide();

    CreateThumbnailPanel();
    hsp_->addWidget(vspLeft_);
    hsp_->addWidget(pnlThumbs_);
    hsp_->setStretchFactor(0, 1);
    connect(hsp_, &QSplitter::splitterMoved, this, [this] {
        HideStartupLogo();
        thumbnailPanelHeight_ = pnlThumbs_->height();
    });

    setCentralWidget(central);
    statusBar_ = new TMainStatusBar(this);
    setStatusBar(statusBar_);
}

void TfrmMain::CreateFramePanel()
{
    pnlAniFrames_ = new QFrame(vspLeft_);
    pnlAniFrames_->setObjectName("pnlAniFrames");
    pnlAniFrames_->setMinimumSize(FramePanelMinimum, FramePanelMinimum);
    auto* layout = new QVBoxLayout(pnlAniFrames_);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);

    auto* top = new QHBoxLayout;
    auto* grip = new QWidget(pnlAniFrames_);
    grip->setObjectName("pnlGrip");
    auto* gripLayout = new QVBoxLayout(grip);
    gripLayout->setContentsMargins(0, 2, 0, 2);
    gripLayout->setSpacing(1);
    gripLayout->addWidget(Bevel(grip, QFrame::Raised));
    gripLayout->addWidget(Bevel(grip, QFrame::Raised));
    top->addWidget(grip, 1);
    btnPosFrames_ = new QToolButton(pnlAniFrames_);
    btnPosFrames_->setObjectName("btnPosFrames");
    btnPosFrames_->setAutoRaise(true);
    btnPosFrames_->setToolTip("Moves the frame window to the other side");
    connect(btnPosFrames_, &QToolButton::clicked, this, [this] { SetFramePanelRight(!framePanelRight_); });
    top->addWidget(btnPosFrames_);
    layout->addLayout(top);

    lbFrames_ = new TFLListBox(pnlAniFrames_);
    lbFrames_->setObjectName("lbFrames");
    lbFrames_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(lbFrames_, &QWidget::customContextMenuRequested, this, [this](const QPoint& position) {
        popFrames_->popup(lbFrames_->viewport()->mapToGlobal(position));
    });
    connect(lbFrames_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0)
            context_->ShowFrame(row);
    });
    // Frame cards from the context's frame list.
    lbFrames_->OnDrawItem = [this](QPainter& painter, int index, const QRect& rect, bool selected, bool) {
        const TFrameListModel& frames = context_->Frames();
        if (index >= 0 && index < frames.Count())
            DrawFrameListItem(painter, rect, *lbFrames_, frames.Item(index), index, context_->Values().FrameSize,
                              selected);
    };
    // The Delete key deletes the selected frame, as Edit > Delete Frame
    // does and only when it may.
    auto* deleteKey = new QShortcut(QKeySequence::Delete, lbFrames_, nullptr, nullptr, Qt::WidgetShortcut);
    connect(deleteKey, &QShortcut::activated, this, [this] {
        if (QAction* action = Action("FrameDelete"); action->isEnabled())
            action->trigger();
    });
    // A right click shows the frame before the popup opens.
    connect(lbFrames_, &TFLListBox::RightPressed, this, [this](int index) { context_->ShowFrame(index); });
    // Reordering by dragging within the list; queued, as the drop runs inside
    // the drag's own event loop.
    connect(
        lbFrames_, &TFLListBox::ItemMoveRequested, this,
        [this](int from, int to) {
            if (TDocument* document = context_->ActiveDocument())
                document->MoveFrame(from, to);
        },
        Qt::QueuedConnection);
    // A document's shown frame dropped on a card is inserted there; a
    // thumbnail is taken anywhere on the list.
    lbFrames_->AcceptsForeignDrag = [this](const QMimeData& mime, int index) {
        if (ThumbnailDragFile(mime)) {
            context_->ThumbnailDrag = false;
            return true;
        }
        return index >= 0 && ViewDragSource(mime) != nullptr;
    };
    lbFrames_->OnForeignDrop = [this](const QMimeData& mime, int index) {
        if (const std::optional<std::string> thumbnail = ThumbnailDragFile(mime)) {
            QueueThumbnailAdd(*thumbnail, false);
        } else if (const TMDIChild* source = ViewDragSource(mime); source && index >= 0) {
            // Queued like the moves; the picture is copied now, while the
            // source surely shows it.
            const TBitmap picture = source->ViewBitmap();
            QMetaObject::invokeMethod(
                this, [this, picture, index] { context_->InsertBitmapAsFrame(picture, index, "Add Frame"); },
                Qt::QueuedConnection);
        }
    };
    layout->addWidget(lbFrames_, 1);
}

void TfrmMain::CreateThumbnailPanel()
{
    pnlThumbs_ = new QFrame(hsp_);
    pnlThumbs_->setObjectName("pnlThumbs");
    pnlThumbs_->setFrameShape(QFrame::StyledPanel);
    pnlThumbs_->setMinimumHeight(ThumbnailPanelMinimum);
    auto* layout = new QVBoxLayout(pnlThumbs_);
    layout->setContentsMargins(2, 2, 2, 2);
    auto* header = new QHBoxLayout;
    btnTVClose_ = new QToolButton(pnlThumbs_);
    btnTVClose_->setObjectName("btnTVClose");
    btnTVClose_->setAutoRaise(true);
    connect(btnTVClose_, &QToolButton::clicked, this, [this] { ToggleExplorerTree(); });
    header->addWidget(btnTVClose_);
    lblCurrFolder_ = new QLabel("Current Folder:", pnlThumbs_);
    lblCurrFolder_->setObjectName("lblCurrFolder");
    // A long folder name never widens the main window.
    lblCurrFolder_->setMinimumWidth(1);
    lblCurrFolder_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    header->addWidget(lblCurrFolder_, 1);
    btnCloseThumbs_ = new QToolButton(pnlThumbs_);
    btnCloseThumbs_->setObjectName("btnCloseThumbs");
    btnCloseThumbs_->setAutoRaise(true);
    btnCloseThumbs_->setText(QString(QChar(0x00D7)));
    btnCloseThumbs_->setToolTip("Hides the thumbnail window");
    connect(btnCloseThumbs_, &QToolButton::clicked, this, [this] { ToggleThumbnails(); });
    header->addWidget(btnCloseThumbs_);
    layout->addLayout(header);
    layout->addWidget(CreateThumbnailBrowser(pnlThumbs_), 1);
}

void TfrmMain::OnTabSelected(int index)
{
    TDocument* document = tabMDI_->DocumentAt(index);
    if (QMdiSubWindow* window = document ? SubWindowOf(*document) : nullptr)
        mdiArea_->setActiveSubWindow(window);
}

void TfrmMain::OnTabHovered(int index)
{
    hoveredTab_ = index;
    // Off the tabs the panel keeps what it shows.
    if (const TDocument* document = tabMDI_->DocumentAt(index))
        statusBar_->SetHintText(QString::fromStdString(document->FileName()));
}

void TfrmMain::SetToolbarVisible(int tag, bool visible)
{
    if (tag < 0 || tag > 2)
        return;
    toolbars_[tag]->setVisible(visible);
    actToolbar_[tag]->setChecked(visible);
}

void TfrmMain::ToggleThumbnails()
{
    HideStartupLogo();
    thumbnailsVisible_ = !thumbnailsVisible_;
    pnlThumbs_->setVisible(thumbnailsVisible_);
    actThumbs_->setChecked(thumbnailsVisible_);
}

void TfrmMain::ToggleExplorerTree()
{
    HideStartupLogo();
    explorerVisible_ = !explorerVisible_;
    actExplorer_->setChecked(explorerVisible_);
    tvShell_->setVisible(explorerVisible_);
    btnTVClose_->setIcon(QIcon(Glyph(explorerVisible_ ? "ARROW_EX_LEFT" : "ARROW_EX_RIGHT")));
}

void TfrmMain::ToggleFrameInspector()
{
    inspectorReminder_ = false;
    inspector_->setVisible(actInspector_->isChecked());
}

bool TfrmMain::InspectorChecked() const
{
    return actInspector_->isChecked();
}

void TfrmMain::SelectFrameSize(int size)
{
    HideStartupLogo();
    context_->SetFrameSize(size);
    if (const auto found = frameSizeActions_.find(size); found != frameSizeActions_.end())
        found->second->setChecked(true);
    ApplyFrameGeometry();
    FitFramePanel();
}

void TfrmMain::FitFramePanel()
{
    if (!autosizeSplitter_)
        return;
    framePanelWidth_ = context_->Values().FrameSize + 46;
    ApplyPanelSizes();
}

void TfrmMain::ApplyFrameGeometry()
{
    const int size = context_->Values().FrameSize;
    frameItemHeight_ = size + 65;
    frameItemWidth_ = size + 26;
    lbFrames_->SetCurrentWidth(frameItemWidth_);
    lbFrames_->SetItemHeight(frameItemHeight_);
    for (int i = 0; i < lbFrames_->count(); ++i)
        lbFrames_->item(i)->setSizeHint(QSize(frameItemWidth_, frameItemHeight_));
}

void TfrmMain::SetFramePanelRight(bool right)
{
    HideStartupLogo();
    framePanelRight_ = right;
    vspLeft_->insertWidget(right ? 1 : 0, pnlAniFrames_);
    vspLeft_->setStretchFactor(right ? 0 : 1, 1);
    vspLeft_->setStretchFactor(right ? 1 : 0, 0);
    actAlignLeft_->setChecked(!right);
    actAlignRight_->setChecked(right);
    btnPosFrames_->setIcon(QIcon(Glyph(right ? "ARROW_LEFT" : "ARROW_RIGHT")));
    ApplyPanelSizes();
}

void TfrmMain::SetAutosizeSplitter(bool autosize)
{
    autosizeSplitter_ = autosize;
    actAutosize_->setChecked(autosize);
    FitFramePanel();
}

void TfrmMain::ApplyPanelSizes()
{
    const int width = std::max(vspLeft_->width(), framePanelWidth_ + FramePanelMinimum);
    const int rest = width - framePanelWidth_;
    vspLeft_->setSizes(framePanelRight_ ? QList<int>{rest, framePanelWidth_}
                                        : QList<int>{framePanelWidth_, rest});
    const int height = std::max(hsp_->height(), thumbnailPanelHeight_ + FramePanelMinimum);
    hsp_->setSizes({height - thumbnailPanelHeight_, thumbnailPanelHeight_});
}

void TfrmMain::ApplyToolbarStyle(bool normalStyle)
{
    normalToolbarStyle_ = normalStyle;
    const int rowHeight = normalStyle ? RegularRowHeight : FlatRowHeight;
    for (QToolBar* toolbar : toolbars_) {
        toolbar->setFixedHeight(rowHeight);
        for (QToolButton* button : toolbar->findChildren<QToolButton*>())
            button->setAutoRaise(!normalStyle);
    }
}

void TfrmMain::PlaceToolbars(const std::vector<std::pair<int, int>>& positions)
{
    // Rows from top to bottom, each from left to right: the dock keeps order
    // and rows, not pixel positions. Taking a toolbar out hides it, so the
    // caller sets the visibility afterwards.
    std::vector<int> order = {0, 1, 2};
    std::stable_sort(order.begin(), order.end(), [&positions](int a, int b) {
        const auto& [leftA, topA] = positions[static_cast<size_t>(a)];
        const auto& [leftB, topB] = positions[static_cast<size_t>(b)];
        return topA != topB ? topA < topB : leftA < leftB;
    });
    for (QToolBar* toolbar : toolbars_)
        ctrlBar_->removeToolBar(toolbar);
    int previousTop = positions[static_cast<size_t>(order.front())].second;
    for (const int tag : order) {
        const int top = positions[static_cast<size_t>(tag)].second;
        if (top != previousTop)
            ctrlBar_->addToolBarBreak(Qt::TopToolBarArea);
        previousTop = top;
        ctrlBar_->addToolBar(Qt::TopToolBarArea, toolbars_[tag]);
    }
}

} // namespace fl
