// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/Options.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "app/Application.h"
#include "app/ColorComboBox.h"
#include "app/NumberEdit.h"
#include "dialogs/DialogButtons.h"
#include "dialogs/PaletteRules.h"
#include "editing/TextRoutines.h"
#include "platform/FileDialogService.h"
#include "platform/MessageService.h"

namespace fl {

const char* const FileFilterEntries[19] = {
    "GIF Images (*.gif)",
    "Jpeg Images (*.jpg, *.jpeg)",
    "Bitmap Images (*.bmp)",
    "JIFF Images (*.jif)",
    "DCX Images (*.dcx)",
    "Icon Images (*.ico)",
    "Portable Bitmap Images (*.pbm)",
    "PC Paintbrush Images (*.pcx)",
    "LJP Images (*.ljp)",
    "Portable Graymap Images (*.pgm)",
    "PIC Images (*.pic)",
    "Portable Network Graphics (*.png)",
    "Portable Pixmap Images (*.ppm)",
    "RLE Images (*.rle)",
    "Targa Images (*.tga)",
    "TIFF Images (*.tif)",
    "Window Meta File (*.wmf)",
    "Word Perfect Graphics (*.wpg)",
    "All Supported Image Files ",
};

namespace {

const char* UseCaption(int use)
{
    switch (use) {
    case ouOrganizeFavorites:
        return "Organize Favorites";
    case ouAbout:
        return "About Frameloom";
    default:
        return "Program Options";
    }
}

template <typename T> T* Named(T* widget, const char* name)
{
    widget->setObjectName(name);
    return widget;
}

// A number field with its up-down; leaving it shows the up-down's position,
// the number brought within the range.
TNumberEdit* NumberField(QWidget* parent, const char* name, TUpDown*& upDown, int minimum, int maximum,
                         int value, int length)
{
    auto* edit = Named(new TNumberEdit(length, parent), name);
    upDown = new TUpDown(*edit, minimum, maximum, parent);
    edit->SetNumber(std::clamp(value, minimum, maximum));
    TUpDown* range = upDown;
    QObject::connect(edit, &TNumberEdit::Left, edit, [edit, range] { edit->SetNumber(range->Position()); });
    return edit;
}

QHBoxLayout* Row(QWidget* parent, const QString& caption, QWidget* field, QWidget* upDown,
                 const QString& after)
{
    auto* row = new QHBoxLayout;
    auto* label = new QLabel(caption, parent);
    label->setBuddy(field);
    row->addWidget(label);
    row->addWidget(field);
    row->addWidget(upDown);
    if (!after.isEmpty())
        row->addWidget(new QLabel(after, parent));
    row->addStretch(1);
    return row;
}

} // namespace

TfrmOptions::TfrmOptions(const TAppServices& services, int use, TOptionsHooks hooks, QWidget* parent)
    : QDialog(parent), services_(services), use_(use), hooks_(std::move(hooks))
{
    setObjectName("frmOptions");
    setWindowTitle(UseCaption(use));
    auto* layout = new QVBoxLayout(this);
    tabOptions_ = Named(new QTabWidget(this), "tabOptions");
    layout->addWidget(tabOptions_, 1);
    if (use == ouProgramOptions) {
        tabOptions_->addTab(BuildProgram(), tr("Program"));
        tabOptions_->addTab(BuildAnimation(), tr("Animation"));
        palettes_ = new TPaletteRulesPanel(services_.Settings, tabOptions_);
        tabOptions_->addTab(palettes_, tr("Palettes"));
        tabOptions_->addTab(BuildThumbnails(), tr("Thumbnails"));
        tabOptions_->addTab(BuildAbout(), tr("About Frameloom"));
    } else if (use == ouOrganizeFavorites) {
        tabOptions_->addTab(BuildFavorites(tabOptions_), tr("Favorites"));
    } else {
        tabOptions_->addTab(BuildAbout(), tr("About Frameloom"));
    }
    // Every tab caption readable at any font size.
    setMinimumWidth(tabOptions_->tabBar()->sizeHint().width() + 2 * layout->contentsMargins().left() + 8);
    const TDialogButtons buttons = MakeDialogButtons(*this);
    buttons.Cancel->setVisible(use != ouAbout);
    layout->addLayout(buttons.Row);
}

QWidget* TfrmOptions::BuildProgram()
{
    const TProgramOptions& current = hooks_.Current;
    auto* page = new QWidget(tabOptions_);
    auto* layout = new QVBoxLayout(page);
    auto* group = new QGroupBox(tr("General Program Settings"), page);
    auto* groupLayout = new QVBoxLayout(group);
    const auto box = [group, groupLayout](const char* name, const QString& caption, bool checked) {
        auto* check = Named(new QCheckBox(caption, group), name);
        check->setChecked(checked);
        groupLayout->addWidget(check);
        return check;
    };
    chkFlatTB_ =
        box("chkFlatTB", tr("Use &regular style toolbar buttons (not flat)"), current.NormalToolbars);
    chkAnimation_ = box("chkAnimation", tr("Show animated &logo on start up"), current.DisplayAnimation);
    chkExplorer_ =
        box("chkExplorer", tr("Syncronize open file dialog with &Explorer folder"), current.SyncOpenDialog);
    edtMaxUndo_ = NumberField(group, "edtMaxUndo", udMaxUndo_, 5, 50, current.MaxUndo, 3);
    groupLayout->addLayout(Row(group, tr("Maximum steps of &undo"), edtMaxUndo_, udMaxUndo_, {}));
    chkNoOpenPreview_ = box("chkNoOpenPreview", tr("Use open file &dialogs without image preview"),
                            current.NoOpenDialogPreview);
    cbTransColor_ = Named(new TColorComboBox(group), "cbTransColor");
    cbTransColor_->AddStandardColors(current.TransparentColor);
    cbTransColor_->SelectColor(current.TransparentColor);
    auto* colorLabel = new QLabel(tr("&Background color for transparent frames"), group);
    colorLabel->setBuddy(cbTransColor_);
    groupLayout->addWidget(colorLabel);
    groupLayout->addWidget(cbTransColor_);
    chkCompatibility_ =
        box("chkCompatibility", tr("&Check animation compatibility when saving"), current.CheckCompatibility);
    layout->addWidget(group);
    layout->addStretch(1);
    return page;
}

QWidget* TfrmOptions::BuildAnimation()
{
    const TProgramOptions& current = hooks_.Current;
    auto* page = new QWidget(tabOptions_);
    auto* layout = new QVBoxLayout(page);
    auto* defaults = new QGroupBox(tr("General Animation Defaults"), page);
    auto* defaultsLayout = new QVBoxLayout(defaults);
    auto* note = new QLabel(
        tr("Use these default when creating new animations from scratch or when values are not available."),
        defaults);
    note->setWordWrap(true);
    defaultsLayout->addWidget(note);
    edtDelay_ = NumberField(defaults, "edtDelay", udDelay_, 1, 32767, current.DefaultDelay, 5);
    defaultsLayout->addLayout(
        Row(defaults, tr("&Frame Delay:"), edtDelay_, udDelay_, tr("1/100 th of a second")));
    edtLoop_ = NumberField(defaults, "edtLoop", udLoop_, 0, 32767, current.DefaultLoop, 5);
    defaultsLayout->addLayout(
        Row(defaults, tr("&Animation Loop:"), edtLoop_, udLoop_, tr("(0 = infinite loop)")));
    layout->addWidget(defaults);

    auto* inserting = new QGroupBox(tr("Inserting New Frames"), page);
    auto* insertingLayout = new QVBoxLayout(inserting);
    auto* question = new QLabel(
        tr("If frame dimensions are larger than the animation. How should this be handled?"), inserting);
    question->setWordWrap(true);
    insertingLayout->addWidget(question);
    optClip_ = Named(new QRadioButton(tr("&Trim frame to the animation size"), inserting), "optClip");
    optChange_ =
        Named(new QRadioButton(tr("&Change animation to match frame size."), inserting), "optChange");
    (current.ClipFrame ? optClip_ : optChange_)->setChecked(true);
    chkDefault_ = Named(new QCheckBox(tr("Make this the &Default"), inserting), "chkDefault");
    chkDefault_->setChecked(current.ClipDefault);
    for (QWidget* widget : {static_cast<QWidget*>(optClip_), static_cast<QWidget*>(optChange_),
                            static_cast<QWidget*>(chkDefault_)})
        insertingLayout->addWidget(widget);
    layout->addWidget(inserting);
    layout->addStretch(1);
    return page;
}

QWidget* TfrmOptions::BuildThumbnails()
{
    const TProgramOptions& current = hooks_.Current;
    auto* page = new QWidget(tabOptions_);
    auto* layout = new QVBoxLayout(page);
    auto* group = new QGroupBox(tr("Thumbnail Viewer Options"), page);
    auto* grid = new QGridLayout(group);
    cbThumbSize_ = Named(new QComboBox(group), "cbThumbSize");
    for (int size : ThumbnailSizes)
        cbThumbSize_->addItem(QString::number(size));
    const int sizeIndex = cbThumbSize_->findText(QString::number(current.ThumbnailSize));
    if (sizeIndex >= 0)
        cbThumbSize_->setCurrentIndex(sizeIndex);
    else
        cbThumbSize_->setCurrentText(QString::number(current.ThumbnailSize));
    auto* sizeLabel = new QLabel(tr("Thumbnail image &size"), group);
    sizeLabel->setBuddy(cbThumbSize_);
    grid->addWidget(sizeLabel, 0, 0);
    grid->addWidget(cbThumbSize_, 0, 1);
    cbFileFilters_ = Named(new QComboBox(group), "cbFileFilters");
    for (const char* entry : FileFilterEntries)
        cbFileFilters_->addItem(QString::fromLatin1(entry));
    cbFileFilters_->setCurrentIndex(FilterEntryOfValue(current.FilterType));
    auto* filterLabel = new QLabel(tr("&File search filter type"), group);
    filterLabel->setBuddy(cbFileFilters_);
    grid->addWidget(filterLabel, 1, 0);
    grid->addWidget(cbFileFilters_, 1, 1);
    chkDropDefault_ = Named(new QCheckBox(tr("&Open GIFs dragged from thumbnails as an animation"), group),
                            "chkDropDefault");
    chkDropDefault_->setChecked(current.OpenDraggedGifs);
    grid->addWidget(chkDropDefault_, 2, 0, 1, 2);
    auto* note = new QLabel(tr("Note: If this option is NOT checked then all images in the GIF will be "
                               "inserted into the active document."),
                            group);
    note->setWordWrap(true);
    grid->addWidget(note, 3, 0, 1, 2);
    chkAutoLoad_ =
        Named(new QCheckBox(tr("&Auto-load thumbnails to current folder on start up"), group), "chkAutoLoad");
    chkAutoLoad_->setChecked(current.AutoLoadThumbnails);
    grid->addWidget(chkAutoLoad_, 4, 0, 1, 2);
    layout->addWidget(group);
    layout->addWidget(BuildFavorites(page), 1);
    return page;
}

QWidget* TfrmOptions::BuildFavorites(QWidget* parent)
{
    auto* group = new QGroupBox(tr("Favorites Folders"), parent);
    auto* row = new QHBoxLayout(group);
    lvFavorites_ = Named(new QTreeWidget(group), "lvFavorites");
    lvFavorites_->setHeaderLabels({tr("Folder Location")});
    lvFavorites_->setRootIsDecorated(false);
    for (const std::string& folder : hooks_.Favorites)
        new QTreeWidgetItem(lvFavorites_, {QString::fromStdString(folder)});
    row->addWidget(lvFavorites_, 1);
    auto* buttons = new QVBoxLayout;
    btnUp_ = Named(new QPushButton(tr("&Up"), group), "btnUp");
    btnDown_ = Named(new QPushButton(tr("Do&wn"), group), "btnDown");
    btnAdd_ = Named(new QPushButton(tr("A&dd..."), group), "btnAdd");
    btnRemove_ = Named(new QPushButton(tr("Re&move"), group), "btnRemove");
    for (QPushButton* button : {btnUp_, btnDown_, btnAdd_, btnRemove_})
        buttons->addWidget(button);
    buttons->addStretch(1);
    row->addLayout(buttons);
    connect(btnUp_, &QPushButton::clicked, this, [this] { MoveFavorite(-1); });
    connect(btnDown_, &QPushButton::clicked, this, [this] { MoveFavorite(1); });
    connect(btnAdd_, &QPushButton::clicked, this, [this] { AddFavorite(); });
    connect(btnRemove_, &QPushButton::clicked, this, [this] { RemoveFavorite(); });
    connect(lvFavorites_, &QTreeWidget::itemSelectionChanged, this, [this] { UpdateFavoriteButtons(); });
    UpdateFavoriteButtons();
    return group;
}

QWidget* TfrmOptions::BuildAbout()
{
    auto* page = new QWidget(tabOptions_);
    auto* layout = new QVBoxLayout(page);
    auto* title = new QLabel(QString::fromLatin1(ApplicationTitle), page);
    QFont big = title->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.5);
    title->setFont(big);
    layout->addWidget(title);
    layout->addWidget(new QLabel(tr("Version 4.0"), page));
    auto* text =
        new QLabel(tr("An editor for animated GIF images: open, edit, optimize, play and save animations, "
                      "and build them from still images.\nFree software under the GNU General Public "
                      "License, version 3 or later."),
                   page);
    text->setWordWrap(true);
    layout->addWidget(text);
    auto* buttons = new QHBoxLayout;
    auto* home = Named(new QPushButton(tr("&Home Page"), page), "btnHomePage");
    auto* mail = Named(new QPushButton(tr("&E-mail Support"), page), "btnEmail");
    buttons->addWidget(home);
    buttons->addWidget(mail);
    buttons->addStretch(1);
    layout->addLayout(buttons);
    layout->addStretch(1);
    connect(home, &QPushButton::clicked, this, [this] {
        if (hooks_.OpenPage)
            hooks_.OpenPage(HomePage);
    });
    connect(mail, &QPushButton::clicked, this, [this] {
        if (hooks_.OpenPage)
            hooks_.OpenPage(SupportAddress);
    });
    return page;
}

TProgramOptions TfrmOptions::Options() const
{
    TProgramOptions options = hooks_.Current;
    if (use_ != ouProgramOptions)
        return options;
    options.NormalToolbars = chkFlatTB_->isChecked();
    options.DisplayAnimation = chkAnimation_->isChecked();
    options.SyncOpenDialog = chkExplorer_->isChecked();
    options.MaxUndo = udMaxUndo_->Position();
    options.NoOpenDialogPreview = chkNoOpenPreview_->isChecked();
    if (const int64_t color = cbTransColor_->SelectedColor(); color >= 0)
        options.TransparentColor = static_cast<unsigned>(color);
    options.CheckCompatibility = chkCompatibility_->isChecked();
    options.DefaultDelay = udDelay_->Position();
    options.DefaultLoop = udLoop_->Position();
    options.ClipFrame = optClip_->isChecked();
    options.ClipDefault = chkDefault_->isChecked();
    options.ThumbnailSize = std::max(1, cbThumbSize_->currentText().toInt());
    options.FilterType = FilterValueOfEntry(cbFileFilters_->currentIndex());
    options.OpenDraggedGifs = chkDropDefault_->isChecked();
    options.AutoLoadThumbnails = chkAutoLoad_->isChecked();
    return options;
}

std::vector<std::string> TfrmOptions::Favorites() const
{
    std::vector<std::string> folders;
    for (int i = 0; lvFavorites_ && i < lvFavorites_->topLevelItemCount(); ++i)
        folders.push_back(lvFavorites_->topLevelItem(i)->text(0).toStdString());
    return folders;
}

void TfrmOptions::UpdateFavoriteButtons()
{
    const int row = lvFavorites_->indexOfTopLevelItem(lvFavorites_->currentItem());
    const bool selected = row >= 0 && lvFavorites_->currentItem()->isSelected();
    btnUp_->setEnabled(selected && row > 0);
    btnDown_->setEnabled(selected && row < lvFavorites_->topLevelItemCount() - 1);
    btnRemove_->setEnabled(selected);
}

void TfrmOptions::MoveFavorite(int by)
{
    const int row = lvFavorites_->indexOfTopLevelItem(lvFavorites_->currentItem());
    const int target = row + by;
    if (row < 0 || target < 0 || target >= lvFavorites_->topLevelItemCount())
        return;
    QTreeWidgetItem* item = lvFavorites_->takeTopLevelItem(row);
    lvFavorites_->insertTopLevelItem(target, item);
    lvFavorites_->setCurrentItem(item);
    favoritesChanged_ = true;
}

void TfrmOptions::AddFavorite()
{
    QTreeWidgetItem* selected = lvFavorites_->currentItem();
    TFileDialogRequest request;
    request.Kind = TFileDialogKind::Folder;
    request.InitialDir = selected ? selected->text(0).toStdString() : std::string();
    const TFileDialogAnswer answer = services_.Dialogs.Run(request);
    if (!answer.Accepted || answer.Files.empty() || answer.Files.front().empty())
        return;
    const QString folder = QString::fromStdString(answer.Files.front());
    if (!lvFavorites_->findItems(folder, Qt::MatchExactly).isEmpty())
        return;
    auto* item = new QTreeWidgetItem({folder});
    const int row = lvFavorites_->indexOfTopLevelItem(selected);
    lvFavorites_->insertTopLevelItem(row >= 0 ? row + 1 : lvFavorites_->topLevelItemCount(), item);
    lvFavorites_->setCurrentItem(item);
    lvFavorites_->setFocus();
    favoritesChanged_ = true;
}

void TfrmOptions::RemoveFavorite()
{
    QTreeWidgetItem* item = lvFavorites_->currentItem();
    if (!item)
        return;
    const int row = lvFavorites_->indexOfTopLevelItem(item);
    if (ShowMessageBox(services_.Messages, TMsgDlgType::mtInformation,
                       FormatText(RemoveFavoriteQuestion, {item->text(0).toStdString()}),
                       {TMsgDlgBtn::mbYes, TMsgDlgBtn::mbNo}) != mrYes)
        return;
    delete lvFavorites_->takeTopLevelItem(row);
    favoritesChanged_ = true;
    if (row > 0) {
        lvFavorites_->setCurrentItem(lvFavorites_->topLevelItem(row - 1));
        lvFavorites_->setFocus();
    }
    UpdateFavoriteButtons();
}

void TfrmOptions::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F7 && event->modifiers() == (Qt::ShiftModifier | Qt::AltModifier)) {
        if (hooks_.ToggleWarnings)
            hooks_.ToggleWarnings();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace fl
