// SPDX-License-Identifier: GPL-3.0-or-later
// The wizards' step pages: the animation wizard's dimensions, placement,
// loop and delay, image list and finish; the optimization wizard's output,
// palettes, frames and results; and what the pages' controls choose.
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <filesystem>

#include "app/NumberEdit.h"
#include "dialogs/Wizards.h"
#include "document/EditorContext.h"

namespace fl {

namespace {

QWidget* Page(QWidget* parent, const char* name, QVBoxLayout*& layout)
{
    auto* page = new QWidget(parent);
    page->setObjectName(name);
    layout = new QVBoxLayout(page);
    return page;
}

QLabel* Text(QWidget* page, const QString& text)
{
    auto* label = new QLabel(text, page);
    label->setWordWrap(true);
    return label;
}

template <typename T> T* Named(T* widget, const char* name)
{
    widget->setObjectName(name);
    return widget;
}

// A number field with its up-down and a caption.
TNumberEdit* NumberField(QWidget* page, QGridLayout* grid, int row, const QString& caption, const char* name,
                         TUpDown*& upDown, int maximum, int start)
{
    auto* edit = Named(new TNumberEdit(maximum > 999 ? 5 : 3, page), name);
    upDown = new TUpDown(*edit, 1, maximum, page);
    edit->SetNumber(start);
    auto* label = new QLabel(caption, page);
    label->setBuddy(edit);
    grid->addWidget(label, row, 0);
    grid->addWidget(edit, row, 1);
    grid->addWidget(upDown, row, 2);
    return edit;
}

} // namespace

QWidget* TfrmWizards::BuildSizePage()
{
    QVBoxLayout* layout = nullptr;
    QWidget* page = Page(this, "pnlWizSize", layout);
    layout->addWidget(Text(page, tr("How would you like the dimensions of new animation to be determined?")));
    optSizeFirst_ = Named(new QRadioButton(tr("&Use the size of the first image in the animation"), page),
                          "optSizeFirst");
    optSizeCustom_ = Named(new QRadioButton(tr("&Custom size:"), page), "optSizeCustom");
    optSizeFirst_->setChecked(true);
    layout->addWidget(optSizeFirst_);
    layout->addWidget(optSizeCustom_);
    auto* grid = new QGridLayout;
    txtHeight_ = NumberField(page, grid, 0, tr("H&eight:"), "txtHeight", udHeight_, 500, 100);
    txtWidth_ = NumberField(page, grid, 1, tr("&Width:"), "txtWidth", udWidth_, 500, 100);
    grid->setColumnStretch(3, 1);
    layout->addLayout(grid);
    layout->addStretch(1);
    const auto follow = [this] {
        const bool custom = optSizeCustom_->isChecked();
        for (QWidget* field : {static_cast<QWidget*>(txtHeight_), static_cast<QWidget*>(txtWidth_),
                               static_cast<QWidget*>(udHeight_), static_cast<QWidget*>(udWidth_)})
            field->setEnabled(custom);
        txtHeight_->SetNumber(100);
        txtWidth_->SetNumber(100);
    };
    connect(optSizeCustom_, &QRadioButton::toggled, this, follow);
    follow();
    return page;
}

QWidget* TfrmWizards::BuildPositionPage()
{
    QVBoxLayout* layout = nullptr;
    QWidget* page = Page(this, "pnlWizPosition", layout);
    layout->addWidget(
        Text(page, tr("New images having different dimensions than that of the animation will need to "
                      "be positioned within the frame boundaries. Where should the animation wizard "
                      "place the image?")));
    optTopLeft_ = Named(new QRadioButton(tr("&Top left corner of the frame"), page), "optTopLeft");
    optCenter_ = Named(new QRadioButton(tr("&Center in the frame"), page), "optCenter");
    optTopLeft_->setChecked(true);
    chkScale_ = Named(new QCheckBox(tr("&Scale frames to fit"), page), "chkScale");
    layout->addWidget(optTopLeft_);
    layout->addWidget(optCenter_);
    layout->addWidget(chkScale_);
    auto* group = new QGroupBox(tr("Animation Transparency"), page);
    auto* groupLayout = new QVBoxLayout(group);
    chkTransparent_ = Named(new QCheckBox(tr("Make the animation transparent"), group), "chkTransparent");
    groupLayout->addWidget(chkTransparent_);
    layout->addWidget(group);
    layout->addStretch(1);
    return page;
}

QWidget* TfrmWizards::BuildLoopPage()
{
    QVBoxLayout* layout = nullptr;
    QWidget* page = Page(this, "pnlWizLoop", layout);
    layout->addWidget(Text(page, tr("Would you like to loop the animation?")));
    optLoopInfinite_ =
        Named(new QRadioButton(tr("&Yes, play the animation infinitely"), page), "optLoopInfinite");
    optLoopPlay_ = Named(new QRadioButton(tr("&Play it"), page), "optLoopPlay");
    optLoopInfinite_->setChecked(true);
    layout->addWidget(optLoopInfinite_);
    auto* playRow = new QGridLayout;
    playRow->addWidget(optLoopPlay_, 0, 0);
    txtLoop_ = Named(new TNumberEdit(5, page), "txtLoop");
    udLoop_ = new TUpDown(*txtLoop_, 1, 32767, page);
    txtLoop_->SetNumber(1);
    playRow->addWidget(txtLoop_, 0, 1);
    playRow->addWidget(udLoop_, 0, 2);
    playRow->addWidget(new QLabel(tr("time(s)"), page), 0, 3);
    playRow->setColumnStretch(4, 1);
    layout->addLayout(playRow);
    auto* delayLabel =
        Text(page, tr("How long would you like each frame to be &displayed (in 1/100th of a second)?"));
    layout->addWidget(delayLabel);
    auto* delayRow = new QHBoxLayout;
    txtDelay_ = Named(new TNumberEdit(5, page), "txtDelay");
    udDelay_ = new TUpDown(*txtDelay_, 1, 32767, page);
    txtDelay_->SetNumber(100);
    delayLabel->setBuddy(txtDelay_);
    delayRow->addWidget(txtDelay_);
    delayRow->addWidget(udDelay_);
    delayRow->addStretch(1);
    layout->addLayout(delayRow);
    layout->addStretch(1);
    const auto follow = [this] {
        const bool play = optLoopPlay_->isChecked();
        txtLoop_->setEnabled(play);
        udLoop_->setEnabled(play);
        txtLoop_->SetNumber(1);
    };
    connect(optLoopPlay_, &QRadioButton::toggled, this, follow);
    follow();
    return page;
}

QWidget* TfrmWizards::BuildImagesPage()
{
    QVBoxLayout* layout = nullptr;
    QWidget* page = Page(this, "pnlWizImages", layout);
    lbImages_ = Named(new QListWidget(page), "lbImages");
    lbImages_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    auto* label = Text(page, tr("&Select the images you would like to include in the animation."));
    label->setBuddy(lbImages_);
    layout->addWidget(label);
    auto* row = new QHBoxLayout;
    row->addWidget(lbImages_, 1);
    auto* order = new QVBoxLayout;
    btnImageUp_ = Named(new QToolButton(page), "btnImageUp");
    btnImageUp_->setArrowType(Qt::UpArrow);
    btnImageUp_->setToolTip(tr("Move Image Up"));
    btnImageDown_ = Named(new QToolButton(page), "btnImageDown");
    btnImageDown_->setArrowType(Qt::DownArrow);
    btnImageDown_->setToolTip(tr("Move Image Down"));
    order->addWidget(btnImageUp_);
    order->addWidget(btnImageDown_);
    order->addStretch(1);
    row->addLayout(order);
    layout->addLayout(row, 1);
    auto* buttons = new QHBoxLayout;
    btnAddImage_ = Named(new QPushButton(tr("&Add Image..."), page), "btnAddImage");
    btnRemoveImage_ = Named(new QPushButton(tr("&Remove Image"), page), "btnRemoveImage");
    buttons->addWidget(btnAddImage_);
    buttons->addWidget(btnRemoveImage_);
    buttons->addStretch(1);
    layout->addLayout(buttons);
    connect(btnAddImage_, &QPushButton::clicked, this, [this] {
        if (hooks_.ChooseImageFiles)
            AddImages(hooks_.ChooseImageFiles());
    });
    connect(btnRemoveImage_, &QPushButton::clicked, this, [this] {
        delete lbImages_->takeItem(lbImages_->currentRow());
        UpdateImageButtons();
    });
    connect(btnImageUp_, &QToolButton::clicked, this, [this] { MoveImage(-1); });
    connect(btnImageDown_, &QToolButton::clicked, this, [this] { MoveImage(1); });
    connect(lbImages_, &QListWidget::currentRowChanged, this, [this] { UpdateImageButtons(); });
    return page;
}

QWidget* TfrmWizards::BuildFinishPage()
{
    QVBoxLayout* layout = nullptr;
    QWidget* page = Page(this, "pnlWizFinish", layout);
    layout->addWidget(
        Text(page, tr("Congratulations! The animation wizard has everything it needs to create a new "
                      "animation. All you have to do is selected the Finish button. It will take a "
                      "few moments for the animation wizard to build the animated gif image.")));
    layout->addStretch(1);
    pbBuild_ = Named(new QProgressBar(page), "pbBuild");
    pbBuild_->hide();
    layout->addWidget(pbBuild_);
    return page;
}

QWidget* TfrmWizards::BuildOutputPage()
{
    QVBoxLayout* layout = nullptr;
    QWidget* page = Page(this, "pnlOpt0", layout);
    layout->addWidget(
        Text(page, tr("Welcome to the optimization wizard! How would you like to the optimization "
                      "wizard to finish?")));
    optCurAni_ =
        Named(new QRadioButton(tr("&Replace current animation with optimized version"), page), "optCurAni");
    optNewToAni_ =
        Named(new QRadioButton(tr("&Create a new animation from optimized version"), page), "optNewToAni");
    optCurAni_->setChecked(true);
    layout->addWidget(optCurAni_);
    layout->addWidget(optNewToAni_);
    layout->addStretch(1);
    return page;
}

QWidget* TfrmWizards::BuildPalettesPage()
{
    QVBoxLayout* layout = nullptr;
    QWidget* page = Page(this, "pnlOpt1", layout);
    layout->addWidget(Text(page, tr("What would you like to do with the animation color palettes?")));
    chkOptAll_ = Named(new QCheckBox(tr("&Optimze all palettes (global and local)"), page), "chkOptAll");
    chkRemoveLocal_ = Named(new QCheckBox(tr("&Remove local palettes (optimizes to global palette)"), page),
                            "chkRemoveLocal");
    chkPaletteSort_ =
        Named(new QCheckBox(tr("&Sort palettes and remove unused entries"), page), "chkPaletteSort");
    chkPaletteSort_->setChecked(true);
    for (QCheckBox* box : {chkOptAll_, chkRemoveLocal_, chkPaletteSort_})
        layout->addWidget(box);
    layout->addStretch(1);
    return page;
}

QWidget* TfrmWizards::BuildFramesPage()
{
    QVBoxLayout* layout = nullptr;
    QWidget* page = Page(this, "pnlOpt2", layout);
    layout->addWidget(Text(page, tr("How should the frames be optimized?")));
    chkTrim_ = Named(new QCheckBox(tr("&Trim frames to smallest rectangle needed"), page), "chkTrim");
    chkDupPixels_ =
        Named(new QCheckBox(tr("Remove &duplicate pixels with transparency"), page), "chkDupPixels");
    chkNonVisible_ =
        Named(new QCheckBox(tr("&Remove all non-visible elements (eg. comments)"), page), "chkNonVisible");
    for (QCheckBox* box : {chkTrim_, chkDupPixels_, chkNonVisible_})
        layout->addWidget(box);
    // Lossy coding trades exact colors for size: off unless asked for.
    auto* lossy = new QHBoxLayout;
    chkLossy_ = Named(new QCheckBox(tr("Allow small color changes for a smaller file (&lossy):"), page),
                      "chkLossy");
    seLossy_ = Named(new QSpinBox(page), "seLossy");
    seLossy_->setRange(1, 200);
    seLossy_->setValue(80);
    seLossy_->setEnabled(false);
    seLossy_->setToolTip(tr("How far colors may move: about a fifth of this in each color channel"));
    connect(chkLossy_, &QCheckBox::toggled, seLossy_, &QWidget::setEnabled);
    lossy->addWidget(chkLossy_);
    lossy->addWidget(seLossy_);
    lossy->addStretch(1);
    layout->addLayout(lossy);
    layout->addStretch(1);
    return page;
}

QWidget* TfrmWizards::BuildResultsPage()
{
    QVBoxLayout* layout = nullptr;
    QWidget* page = Page(this, "pnlOpt3", layout);
    layout->addWidget(
        Text(page, tr("Wow! Here are the optimized animation results. If you are satisfied with the "
                      "results, select the finish button to continue.")));
    auto* grid = new QGridLayout;
    const auto row = [&](int at, const QString& caption, const char* name) {
        grid->addWidget(new QLabel(caption, page), at, 0);
        auto* value = Named(new QLabel(page), name);
        grid->addWidget(value, at, 1, 1, 2);
        return value;
    };
    lblCurrSize_ = row(0, tr("Current Size:"), "lblCurrSize");
    lblOptimizedSize_ = row(1, tr("Optimzed Size:"), "lblOptimizedSize");
    lblTotal_ = row(2, tr("Total Savings:"), "lblTotal");
    grid->addWidget(new QLabel(tr("Estimated Download Time:"), page), 3, 0);
    auto* download = new QHBoxLayout;
    lblDLTime_ = Named(new QLabel(page), "lblDLTime");
    cbBps_ = Named(new QComboBox(page), "cbBps");
    cbBps_->addItems({"14.4", "28.8", "56.6"});
    download->addWidget(lblDLTime_);
    download->addWidget(cbBps_);
    download->addWidget(new QLabel(tr("modem."), page));
    download->addStretch(1);
    grid->addLayout(download, 3, 1, 1, 2);
    grid->setColumnStretch(2, 1);
    layout->addLayout(grid);
    layout->addStretch(1);
    connect(cbBps_, &QComboBox::currentTextChanged, this, [this] { RefreshDownloadTime(); });
    return page;
}

std::vector<std::string> TfrmWizards::Images() const
{
    std::vector<std::string> files;
    for (int i = 0; i < lbImages_->count(); ++i)
        files.push_back(lbImages_->item(i)->text().toStdString());
    return files;
}

void TfrmWizards::AddImages(const std::vector<std::string>& files)
{
    if (files.empty())
        return;
    for (const std::string& file : files)
        lbImages_->addItem(QString::fromStdString(file));
    context_.Values().InitialDir = std::filesystem::path(files.front()).parent_path().string();
    lbImages_->setCurrentRow(0);
    UpdateImageButtons();
}

void TfrmWizards::MoveImage(int by)
{
    const int row = lbImages_->currentRow();
    const int target = row + by;
    if (row < 0 || target < 0 || target >= lbImages_->count())
        return;
    QListWidgetItem* item = lbImages_->takeItem(row);
    lbImages_->insertItem(target, item);
    lbImages_->setCurrentRow(target);
}

void TfrmWizards::UpdateImageButtons()
{
    const int row = lbImages_->currentRow();
    const int count = lbImages_->count();
    btnRemoveImage_->setEnabled(count > 0);
    btnImageUp_->setEnabled(row > 0);
    btnImageDown_->setEnabled(row >= 0 && row < count - 1);
    if (step_ == 3)
        btnNext_->setEnabled(count > 0);
}

TAnimationWizardOptions TfrmWizards::AnimationOptions() const
{
    TAnimationWizardOptions options;
    options.CustomSize = optSizeCustom_->isChecked();
    options.Height = std::clamp(txtHeight_->Number(100), 1, 500);
    options.Width = std::clamp(txtWidth_->Number(100), 1, 500);
    options.Center = optCenter_->isChecked();
    options.Scale = chkScale_->isChecked();
    options.Transparent = chkTransparent_->isChecked();
    options.LoopForever = optLoopInfinite_->isChecked();
    options.Plays = std::clamp(txtLoop_->Number(1), 1, 32767);
    options.Delay = std::clamp(txtDelay_->Number(100), 1, 32767);
    return options;
}

TOptimizeWizardOptions TfrmWizards::OptimizeOptions() const
{
    TOptimizeWizardOptions options;
    options.OptimizeAllPalettes = chkOptAll_->isChecked() && chkOptAll_->isEnabled();
    options.RemoveLocalPalettes = chkRemoveLocal_->isChecked() && chkRemoveLocal_->isEnabled();
    options.SortPalettes = chkPaletteSort_->isChecked();
    options.Trim = chkTrim_->isChecked();
    options.MergePixels = chkDupPixels_->isChecked();
    options.RemoveNonVisible = chkNonVisible_->isChecked();
    options.Lossy = chkLossy_->isChecked() ? seLossy_->value() : 0;
    return options;
}

} // namespace fl
