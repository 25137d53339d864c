// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/FrameInspector.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <exception>

#include "app/AppServices.h"
#include "app/DialogRunner.h"
#include "app/Gradient.h"
#include "dialogs/InspectorGrid.h"
#include "dialogs/InspectorPalette.h"
#include "dialogs/PaletteDialog.h"
#include "document/Document.h"
#include "document/EditorContext.h"
#include "document/EditorWindows.h"
#include "editing/TextRoutines.h"
#include "gif/GIFImage.h"
#include "platform/MessageService.h"
#include "platform/SettingsKeys.h"

namespace fl {

const char* const InspectorRowHints[InspectorRowCount] = {
    "Group lists general frame settings",
    "Displays the frame image height. (Read-only)",
    "Displays the frame image width. (Read-only)",
    "Sets left position of the image from the left of the frame.",
    "Sets top of the image from the top of the frame.",
    "Group lists the frame display options",
    "Sets the interlacing of the frame image.",
    "Displays the transparent color of the frame image. Select in Global Frame Properties. (Read-only)",
    "Indicates whether the frame uses a local palette.",
    "Group lists the animation options",
    "Sets the frame delay time in milliseconds (1/100th sec).",
    "Sets the frame drawing method in relation to the other frames.",
};

const char* const InspectorTabHints[3] = {
    "Displays the current frames properties",
    "Displays the current frame palette. Double-click a color swatch to edit.",
    "Displays the current animation comments",
};

namespace {

constexpr int MinimumWidth = 175;
constexpr int MinimumHeight = 325;
constexpr const char* InitialHint = "Displays all the frame properties in a convenient window.";

QToolButton* PaletteButton(QWidget* parent, const char* name, const QString& text)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setText(text);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    return button;
}

} // namespace

TfrmFloat::TfrmFloat(const TAppServices& services, TEditorContext& context, QWidget* mainWindow)
    : QWidget(mainWindow, Qt::Tool | Qt::WindowStaysOnTopHint), services_(services), context_(context)
{
    setObjectName("frmFloat");
    setWindowTitle(FrameInspectorCaption);
    setMinimumSize(MinimumWidth, MinimumHeight);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(4);
    cbFrames_ = new QComboBox(this);
    cbFrames_->setObjectName("cbFrames");
    connect(cbFrames_, &QComboBox::activated, this, [this](int line) { FrameChosen(line); });
    layout->addWidget(cbFrames_);

    tabImgInfo_ = new QTabWidget(this);
    tabImgInfo_->setObjectName("tabImgInfo");
    tabImgInfo_->addTab(BuildProperties(), tr("Properties"));
    tabImgInfo_->addTab(BuildPalettes(), tr("Palettes"));
    tabImgInfo_->addTab(BuildComments(), tr("Comments"));
    tabImgInfo_->setEnabled(false);
    tabImgInfo_->tabBar()->setMouseTracking(true);
    tabImgInfo_->tabBar()->installEventFilter(this);
    connect(tabImgInfo_, &QTabWidget::currentChanged, this, [this](int tab) {
        if (tab == 1)
            ShowPalette(FrameIndex());
    });
    layout->addWidget(tabImgInfo_, 1);
    layout->addWidget(BuildHints());
    setTabOrder(cbFrames_, tabImgInfo_);
    // The three tab captions stay readable at any font size.
    const int tabsWidth =
        tabImgInfo_->tabBar()->sizeHint().width() + 2 * layout->contentsMargins().left() + 8;
    setMinimumWidth(std::max(MinimumWidth, tabsWidth));
    resize(std::max(DefaultWidth, minimumWidth()), DefaultHeight);
}

TfrmFloat::~TfrmFloat() = default;

QWidget* TfrmFloat::BuildProperties()
{
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    grid_ = new TInspectorGrid(page);
    grid_->OnCommit = [this](int row, const std::string& text) -> std::optional<std::string> {
        // An edit the model refuses shows why and keeps the old value.
        try {
            return CommitInspectorRow(context_, FrameIndex(), row, text);
        } catch (const std::exception& error) {
            ShowErrorMessage(services_.Messages, error.what());
            return std::nullopt;
        }
    };
    grid_->OnRowChanged = [this](int row) {
        ShowHint(QString::fromLatin1(InspectorRowLabels[row]), QString::fromLatin1(InspectorRowHints[row]));
        context_.SelectInspectorRow(row);
    };
    layout->addWidget(grid_);
    layout->addStretch(1);
    return page;
}

QWidget* TfrmFloat::BuildPalettes()
{
    auto* page = new QWidget(this);
    page->setObjectName("pnlPalettes");
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(2, 2, 2, 2);
    grdPalette_ = new TLocalPaletteGrid(page);
    auto* label = new QLabel(tr("&Local Color Palette"), page);
    label->setBuddy(grdPalette_);
    layout->addWidget(label);
    layout->addWidget(grdPalette_, 1);
    lblColor_ = new QLabel(page);
    lblColor_->setObjectName("lblColor");
    layout->addWidget(lblColor_);
    auto* buttons = new QHBoxLayout;
    btnColorAdd_ = PaletteButton(page, "btnColorAdd", tr("&Add"));
    btnColorDelete_ = PaletteButton(page, "btnColorDelete", tr("&Delete"));
    btnColorEdit_ = PaletteButton(page, "btnColorEdit", tr("&Edit"));
    for (QToolButton* button : {btnColorAdd_, btnColorDelete_, btnColorEdit_})
        buttons->addWidget(button);
    buttons->addStretch(1);
    layout->addLayout(buttons);
    connect(btnColorAdd_, &QToolButton::clicked, this, [this] { AddColor(); });
    connect(btnColorDelete_, &QToolButton::clicked, this, [this] { DeleteColor(); });
    connect(btnColorEdit_, &QToolButton::clicked, this, [this] { EditColor(); });
    connect(grdPalette_, &TLocalPaletteGrid::CellChosen, this, [this](int index) { PaletteSelected(index); });
    connect(grdPalette_, &TLocalPaletteGrid::CellDoubleClicked, this, [this] { EditColor(); });

    popPalette_ = new QMenu(this);
    popPalette_->setObjectName("popPalette");
    QAction* edit = popPalette_->addAction(tr("&Edit Color..."), this, [this] { EditColor(); });
    edit->setObjectName("mniPopEditColor");
    QAction* add = popPalette_->addAction(tr("&Add Color"), this, [this] { AddColor(); });
    add->setObjectName("mniPopAddColor");
    QAction* remove = popPalette_->addAction(tr("&Delete Color"), this, [this] { DeleteColor(); });
    remove->setObjectName("mniPopDeleteColor");
    popPalette_->addSeparator();
    popPalette_->addAction(tr("&Cancel"));
    connect(grdPalette_, &TLocalPaletteGrid::MenuRequested, this, [this](const QPoint& at) {
        UpdatePaletteButtons();
        popPalette_->popup(at);
    });
    UpdatePaletteButtons();
    return page;
}

QWidget* TfrmFloat::BuildComments()
{
    auto* page = new QWidget(this);
    page->setObjectName("pnlComments");
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(2, 2, 2, 2);
    auto* heading = new TGradientLabel(page);
    heading->SetCaption(tr("GIF Image Comments"));
    heading->setFixedHeight(heading->FittingHeight());
    layout->addWidget(heading);
    lvComments_ = new QTreeWidget(page);
    lvComments_->setObjectName("lvComments");
    lvComments_->setRootIsDecorated(false);
    lvComments_->setHeaderLabels({tr("Comment"), tr("Frame"), tr("Index")});
    lvComments_->header()->setStretchLastSection(false);
    lvComments_->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    lvComments_->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    lvComments_->header()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
    layout->addWidget(lvComments_, 1);
    mmoComments_ = new QPlainTextEdit(page);
    mmoComments_->setObjectName("mmoComments");
    mmoComments_->installEventFilter(this);
    auto* label = new QLabel(tr("&Comment Text"), page);
    label->setBuddy(mmoComments_);
    layout->addWidget(label);
    layout->addWidget(mmoComments_, 1);
    auto* buttons = new QHBoxLayout;
    btnAddComments_ = new QPushButton(tr("&Add"), page);
    btnAddComments_->setObjectName("btnAddComments");
    btnRemoveComments_ = new QPushButton(tr("&Remove"), page);
    btnRemoveComments_->setObjectName("btnRemoveComments");
    btnRemoveComments_->setEnabled(false);
    buttons->addWidget(btnAddComments_);
    buttons->addWidget(btnRemoveComments_);
    buttons->addStretch(1);
    layout->addLayout(buttons);
    connect(btnAddComments_, &QPushButton::clicked, this, [this] { AddComment(); });
    connect(btnRemoveComments_, &QPushButton::clicked, this, [this] { RemoveComment(); });
    connect(lvComments_, &QTreeWidget::itemSelectionChanged, this, [this] { CommentSelected(); });
    connect(mmoComments_, &QPlainTextEdit::textChanged, this, [this] {
        // The memo holds at most 255 characters.
        const QString text = mmoComments_->toPlainText();
        if (text.size() > MaxCommentLength) {
            QTextCursor cursor = mmoComments_->textCursor();
            mmoComments_->setPlainText(text.left(MaxCommentLength));
            cursor.setPosition(std::min(cursor.position(), MaxCommentLength));
            mmoComments_->setTextCursor(cursor);
        }
        memoModified_ = true;
    });
    return page;
}

QWidget* TfrmFloat::BuildHints()
{
    auto* panel = new QFrame(this);
    panel->setObjectName("pnlHints");
    panel->setFrameShape(QFrame::StyledPanel);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(4, 3, 4, 3);
    lblField_ = new QLabel(FrameInspectorCaption, panel);
    lblField_->setObjectName("lblField");
    QFont bold = lblField_->font();
    bold.setBold(true);
    lblField_->setFont(bold);
    lblHint_ = new QLabel(InitialHint, panel);
    lblHint_->setObjectName("lblHint");
    lblHint_->setWordWrap(true);
    // Room for the longest hint on three lines.
    lblHint_->setMinimumHeight(lblHint_->fontMetrics().lineSpacing() * 3);
    layout->addWidget(lblField_);
    layout->addWidget(lblHint_);
    return panel;
}

template <typename Edit> void TfrmFloat::Guarded(Edit&& edit)
{
    try {
        edit();
    } catch (const std::exception& error) {
        ShowErrorMessage(services_.Messages, error.what());
    }
}

void TfrmFloat::ShowHint(const QString& field, const QString& hint)
{
    lblField_->setText(field);
    lblHint_->setText(hint);
}

void TfrmFloat::SetCaption()
{
    const TDocument* document = context_.ActiveDocument();
    setWindowTitle(document ? QString::fromStdString(
                                  FormatText("%s - %s", {FrameInspectorCaption, document->ShortName()}))
                            : QString::fromLatin1(FrameInspectorCaption));
}

void TfrmFloat::ShowFrameProperties(int index)
{
    TGIFImage& image = context_.Animation();
    if (index < 0 || index >= image.Frames.Count())
        return;
    SetCaption();
    tabImgInfo_->setEnabled(true);
    grid_->setEnabled(true);
    grid_->SetEditing(true);
    grid_->SetValues(InspectorValues(context_, index));
    FillFrameBox(index);
    ShowPalette(index);
    FillComments();
}

void TfrmFloat::Reset()
{
    grid_->Clear();
    grid_->setEnabled(false);
    setWindowTitle(FrameInspectorCaption);
    cbFrames_->clear();
    comments_.clear();
    lvComments_->clear();
    mmoComments_->clear();
    memoModified_ = false;
    grdPalette_->SetColors({}, false);
    UpdatePaletteButtons();
    lblColor_->clear();
    tabImgInfo_->setCurrentIndex(0);
    tabImgInfo_->setEnabled(false);
}

void TfrmFloat::SelectRow(int row)
{
    if (row != grid_->CurrentRow() && grid_->isEnabled())
        grid_->SelectRow(row);
}

int TfrmFloat::CurrentRow() const
{
    return grid_->CurrentRow();
}

int TfrmFloat::FrameIndex() const
{
    return std::max(cbFrames_->currentIndex(), 0);
}

void TfrmFloat::FillFrameBox(int index)
{
    fillingFrames_ = true;
    cbFrames_->clear();
    for (const std::string& line : InspectorFrameLines(context_.Animation()))
        cbFrames_->addItem(QString::fromStdString(line));
    cbFrames_->setCurrentIndex(std::min(index, cbFrames_->count() - 1));
    fillingFrames_ = false;
}

void TfrmFloat::FrameChosen(int line)
{
    if (fillingFrames_ || line < 0)
        return;
    if (line != context_.Frames().Selected())
        Guarded([&] { context_.ShowFrame(line); });
    if (grid_->isVisible() && grid_->isEnabled())
        grid_->setFocus();
}

void TfrmFloat::ShowPalette(int frameIndex)
{
    TGIFImage& image = context_.Animation();
    std::vector<TColor> colors;
    bool hasPalette = false;
    if (frameIndex >= 0 && frameIndex < image.Frames.Count()) {
        TGIFColorMap& local = image.Frames[frameIndex]->LocalColors;
        hasPalette = local.Count() > 0;
        for (int i = 0; i < local.Count(); ++i)
            colors.push_back(local.ColorAt(i));
    }
    grdPalette_->SetColors(colors, hasPalette);
    PaletteSelected(grdPalette_->Selected());
}

void TfrmFloat::PaletteSelected(int index)
{
    const std::vector<TColor>& colors = grdPalette_->Colors();
    if (index >= 0 && index < static_cast<int>(colors.size())) {
        const TColor color = colors[static_cast<size_t>(index)];
        lblColor_->setText(QString::fromStdString(
            FormatText("%s Colors - R: %s, G: %s, B: %s",
                       {std::to_string(colors.size()), std::to_string(RedOf(color)),
                        std::to_string(GreenOf(color)), std::to_string(BlueOf(color))})));
    } else {
        lblColor_->clear();
    }
    UpdatePaletteButtons();
}

void TfrmFloat::UpdatePaletteButtons()
{
    const int count = static_cast<int>(grdPalette_->Colors().size());
    const bool selected = grdPalette_->Selected() >= 0;
    btnColorDelete_->setEnabled(grdPalette_->HasPalette() && count >= 3 && selected);
    btnColorAdd_->setEnabled(count < 256);
    btnColorEdit_->setEnabled(grdPalette_->HasPalette() && selected);
    const QList<QAction*> items = popPalette_->actions();
    items[0]->setEnabled(btnColorEdit_->isEnabled());
    items[1]->setEnabled(btnColorAdd_->isEnabled());
    items[2]->setEnabled(btnColorDelete_->isEnabled());
}

std::optional<TColor> TfrmFloat::AskColor(TColor start)
{
    TfrmPalette editor(context_, services_.Messages, pmColorValue, this);
    editor.LoadColor(start);
    if (services_.Modals.Run(editor) != QDialog::Accepted)
        return std::nullopt;
    return editor.SelectedColor();
}

void TfrmFloat::EditColor()
{
    const int index = grdPalette_->Selected();
    if (!context_.ActiveDocument() || !grdPalette_->HasPalette() || index < 0)
        return;
    const int frame = FrameIndex();
    const std::optional<TColor> color = AskColor(grdPalette_->Colors()[static_cast<size_t>(index)]);
    if (color)
        Guarded([&] { ChangeLocalColor(context_, frame, index, *color); });
}

void TfrmFloat::AddColor()
{
    if (!context_.ActiveDocument())
        return;
    const int frame = FrameIndex();
    if (!grdPalette_->HasPalette()) {
        Guarded([&] { AddLocalPalette(context_, frame); });
        return;
    }
    if (grdPalette_->Colors().size() >= 256) {
        btnColorAdd_->setEnabled(false);
        return;
    }
    const std::optional<TColor> color = AskColor(MakeColor(255, 255, 255));
    if (!color)
        return;
    Guarded([&] {
        if (AddLocalColor(context_, frame, *color)) {
            grdPalette_->Select(static_cast<int>(grdPalette_->Colors().size()) - 1);
            PaletteSelected(grdPalette_->Selected());
        }
    });
}

void TfrmFloat::DeleteColor()
{
    if (!grdPalette_->HasPalette()) {
        btnColorDelete_->setEnabled(false);
        return;
    }
    const int index = grdPalette_->Selected();
    if (!context_.ActiveDocument() || index < 0)
        return;
    Guarded([&] { DeleteLocalColor(context_, FrameIndex(), index); });
    PaletteSelected(grdPalette_->Selected());
}

void TfrmFloat::FillComments()
{
    comments_ = AnimationComments(context_.Animation());
    const QSignalBlocker quiet(lvComments_);
    lvComments_->clear();
    for (size_t i = 0; i < comments_.size(); ++i) {
        auto* item = new QTreeWidgetItem(lvComments_);
        item->setText(0, QString::fromStdString(FormatText("Comment %s", {std::to_string(i + 1)})));
        item->setText(1, QString::number(comments_[i].FrameIndex));
        item->setText(2, QString::number(comments_[i].ExtensionIndex));
    }
    mmoComments_->blockSignals(true);
    mmoComments_->clear();
    mmoComments_->blockSignals(false);
    memoModified_ = false;
    btnRemoveComments_->setEnabled(false);
}

void TfrmFloat::CommentSelected()
{
    const int index = lvComments_->indexOfTopLevelItem(lvComments_->currentItem());
    const bool selected =
        index >= 0 && index < static_cast<int>(comments_.size()) && lvComments_->currentItem()->isSelected();
    btnRemoveComments_->setEnabled(selected);
    if (!selected)
        return;
    mmoComments_->blockSignals(true);
    mmoComments_->setPlainText(QString::fromStdString(comments_[static_cast<size_t>(index)].Text));
    mmoComments_->blockSignals(false);
    memoModified_ = false;
    mmoComments_->setFocus();
}

void TfrmFloat::CommitComment()
{
    const int index = lvComments_->indexOfTopLevelItem(lvComments_->currentItem());
    if (!memoModified_ || index < 0 || index >= static_cast<int>(comments_.size()))
        return;
    memoModified_ = false;
    TCommentEntry& comment = comments_[static_cast<size_t>(index)];
    const std::string text = mmoComments_->toPlainText().toStdString();
    Guarded([&] {
        if (ChangeComment(context_, comment, text))
            comment.Text = LimitedText(text, MaxCommentLength);
    });
}

void TfrmFloat::AddComment()
{
    CommitComment();
    std::optional<TCommentEntry> added;
    Guarded([&] { added = fl::AddComment(context_); });
    if (!added)
        return;
    comments_.push_back(*added);
    auto* item = new QTreeWidgetItem(lvComments_);
    item->setText(0, QString::fromStdString(added->Text));
    item->setText(1, QString::number(added->FrameIndex));
    item->setText(2, QString::number(added->ExtensionIndex));
    lvComments_->setCurrentItem(item);
    mmoComments_->setFocus();
}

void TfrmFloat::RemoveComment()
{
    const int index = lvComments_->indexOfTopLevelItem(lvComments_->currentItem());
    if (index < 0 || index >= static_cast<int>(comments_.size()))
        return;
    bool removed = false;
    Guarded([&] { removed = fl::RemoveComment(context_, comments_[static_cast<size_t>(index)]); });
    if (!removed)
        return;
    // The extensions behind it on its frame moved one place on.
    FillComments();
}

void TfrmFloat::RestorePosition(const QRect& mainWindow)
{
    TSettingsStore& settings = services_.Settings;
    const int width = std::max(minimumWidth(), ReadIntegerSetting(settings, KeyInspectorWidth));
    const int height = std::max(minimumHeight(), ReadIntegerSetting(settings, KeyInspectorHeight));
    QRect bounds(
        ReadIntegerSetting(settings, KeyInspectorLeft, mainWindow.left() + mainWindow.width() - width + 10),
        ReadIntegerSetting(settings, KeyInspectorTop, mainWindow.top() + 50), width, height);
    // A place off the screen (another monitor's, or beside a maximized main
    // window) comes back onto it.
    if (const QScreen* current = screen()) {
        const QRect available = current->availableGeometry();
        bounds.moveRight(std::min(bounds.right(), available.right()));
        bounds.moveBottom(std::min(bounds.bottom(), available.bottom()));
        bounds.moveLeft(std::max(bounds.left(), available.left()));
        bounds.moveTop(std::max(bounds.top(), available.top()));
    }
    setGeometry(bounds);
}

void TfrmFloat::StorePosition(bool visible) const
{
    TSettingsStore& settings = services_.Settings;
    const QRect bounds = geometry();
    WriteIntegerSetting(settings, KeyInspectorTop, bounds.top());
    WriteIntegerSetting(settings, KeyInspectorLeft, bounds.left());
    WriteIntegerSetting(settings, KeyInspectorHeight, bounds.height());
    WriteIntegerSetting(settings, KeyInspectorWidth, bounds.width());
    WriteBoolSetting(settings, KeyInspectorVisible, visible);
}

void TfrmFloat::closeEvent(QCloseEvent* event)
{
    // The close box only hides the inspector; the menu item follows.
    event->ignore();
    hide();
    emit Closed();
}

void TfrmFloat::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() != QEvent::ActivationChange)
        return;
    if (isActiveWindow()) {
        context_.Windows().PausePreview();
        activatedDocument_ = context_.ActiveDocument();
        SetCaption();
        grid_->ForgetPreviousValue();
    } else {
        grid_->HideDropDown();
        if (context_.ActiveDocument())
            Guarded([this] {
                grid_->CommitPending();
                CommitComment();
            });
        activatedDocument_ = nullptr;
    }
}

void TfrmFloat::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (grid_->isEnabled()) {
        grid_->SelectRow(grid_->CurrentRow() >= 0 ? grid_->CurrentRow() : irHeight);
        grid_->ForgetPreviousValue();
    }
}

void TfrmFloat::resizeEvent(QResizeEvent* event)
{
    grid_->HideDropDown();
    QWidget::resizeEvent(event);
}

bool TfrmFloat::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == tabImgInfo_->tabBar() && event->type() == QEvent::MouseMove) {
        const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
        const int tab = tabImgInfo_->tabBar()->tabAt(at);
        if (tab >= 0 && tab < 3)
            ShowHint(tabImgInfo_->tabText(tab), QString::fromLatin1(InspectorTabHints[tab]));
    } else if (watched == mmoComments_ && event->type() == QEvent::FocusOut) {
        CommitComment();
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace fl
