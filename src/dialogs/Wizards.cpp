// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/Wizards.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QStackedWidget>
#include <QTextStream>
#include <QToolButton>
#include <QVBoxLayout>
#include <exception>

#include "app/AppServices.h"
#include "app/BitmapImage.h"
#include "app/Gradient.h"
#include "app/NumberEdit.h"
#include "document/EditorContext.h"
#include "editing/LibraryResources.h"
#include "editing/TextRoutines.h"
#include "gif/GIFImage.h"
#include "platform/Bitmap.h"
#include "platform/MessageService.h"
#include "platform/SettingsKeys.h"
#include "platform/Stream.h"

namespace fl {

namespace {

// Headings of steps 0 to 8.
const char* const StepHeadings[] = {
    "Animation Dimensions",
    "Frame Position and Size",
    "Animation Loop and Frame Delay",
    "Frame Images",
    "Finish Wizard",
    "Animation Output ",
    "Palettes",
    "Frames",
    "Finish Wizard",
};
constexpr int FirstAnimationStep = 0;
constexpr int LastAnimationStep = 4;
constexpr int FirstOptimizationStep = 5;
constexpr int LastOptimizationStep = 8;
constexpr int HelpTopicBase = 300;

const char* UseCaption(int use)
{
    switch (use) {
    case wuAnimation:
        return "Animation Wizard";
    case wuOptimization:
        return "Optimization Wizard";
    case wuTipOfDay:
        return "Tip of the Day";
    default:
        return "Welcome to Frameloom";
    }
}

// The wizard's picture from the companion library; none when it is absent
// (the window says nothing of it: the picture only decorates).
QPixmap WizardPicture(const std::string& programFolder, int use)
{
    std::vector<uint8_t> bytes;
    if (!ReadLibraryResource(programFolder + CompanionLibraryFileName(),
                             use == wuOptimization ? "OPT_WIZ" : "ANI_WIZ", "BITMAP", bytes))
        return {};
    try {
        TMemoryStream stream;
        stream.Write(bytes.data(), bytes.size());
        stream.SetPosition(0);
        TBitmap bitmap;
        bitmap.LoadFromStream(stream);
        return QPixmap::fromImage(ToQImage(bitmap));
    } catch (const std::exception&) {
        return {};
    }
}

} // namespace

std::vector<std::string> ReadTips(const std::string& path)
{
    QFile file(QString::fromStdString(path));
    std::vector<std::string> tips;
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return tips;
    QTextStream in(&file);
    while (!in.atEnd())
        tips.push_back(in.readLine().toStdString());
    return tips;
}

TfrmWizards::TfrmWizards(const TAppServices& services, TEditorContext& context, int use, TWizardHooks hooks,
                         QWidget* parent)
    : QDialog(parent), services_(services), context_(context), hooks_(std::move(hooks)), use_(use)
{
    setObjectName("frmWizards");
    setWindowTitle(UseCaption(use));

    auto* outer = new QHBoxLayout(this);
    imgWiz_ = new QLabel(this);
    imgWiz_->setObjectName("imgWiz");
    imgWiz_->setAlignment(Qt::AlignTop);
    outer->addWidget(imgWiz_);
    auto* column = new QVBoxLayout;
    outer->addLayout(column, 1);
    lblGradient_ = new TGradientLabel(this);
    lblGradient_->setObjectName("lblGradient");
    lblGradient_->setFixedHeight(lblGradient_->FittingHeight());
    column->addWidget(lblGradient_);
    pages_ = new QStackedWidget(this);
    column->addWidget(pages_, 1);

    auto* buttons = new QHBoxLayout;
    btnHelp_ = new QPushButton(tr("&Help"), this);
    btnHelp_->setObjectName("btnHelp");
    btnBack_ = new QPushButton(tr("< &Back"), this);
    btnBack_->setObjectName("btnBack");
    btnNext_ = new QPushButton(tr("&Next >"), this);
    btnNext_->setObjectName("btnNext");
    btnOK_ = new QPushButton(tr("OK"), this);
    btnOK_->setObjectName("btnOK");
    btnCancel_ = new QPushButton(tr("Cancel"), this);
    btnCancel_->setObjectName("btnCancel");
    buttons->addWidget(btnCancel_);
    buttons->addStretch(1);
    for (QPushButton* button : {btnHelp_, btnBack_, btnNext_, btnOK_})
        buttons->addWidget(button);
    column->addLayout(buttons);
    connect(btnHelp_, &QPushButton::clicked, this, [this] {
        if (hooks_.ShowHelp)
            hooks_.ShowHelp(HelpTopicBase + use_);
    });
    connect(btnBack_, &QPushButton::clicked, this, [this] { Back(); });
    connect(btnNext_, &QPushButton::clicked, this, [this] { Next(); });
    connect(btnOK_, &QPushButton::clicked, this, [this] { accept(); });
    connect(btnCancel_, &QPushButton::clicked, this, [this] {
        if (building_)
            cancelBuild_ = true;
        else
            reject();
    });

    stepPages_ = {BuildSizePage(),     BuildPositionPage(), BuildLoopPage(),
                  BuildImagesPage(),   BuildFinishPage(),   BuildOutputPage(),
                  BuildPalettesPage(), BuildFramesPage(),   BuildResultsPage()};
    for (QWidget* page : stepPages_)
        pages_->addWidget(page);
    if (use == wuAnimation || use == wuOptimization) {
        EnterWizard(use);
        return;
    }
    imgWiz_->hide();
    lblGradient_->hide();
    btnBack_->hide();
    btnNext_->hide();
    btnHelp_->setVisible(use == wuWelcome);
    if (use == wuWelcome) {
        pnlWelcome_ = BuildWelcome();
        pnlReopen_ = BuildReopen();
        pages_->addWidget(pnlWelcome_);
        pages_->addWidget(pnlReopen_);
        pages_->setCurrentWidget(pnlWelcome_);
        btnOK_->hide();
        btnCancel_->hide();
    } else {
        pnlTipsPage_ = BuildTips();
        pages_->addWidget(pnlTipsPage_);
        pages_->setCurrentWidget(pnlTipsPage_);
        btnOK_->setDefault(true);
    }
}

TfrmWizards::~TfrmWizards() = default;

QWidget* TfrmWizards::BuildWelcome()
{
    auto* page = new QWidget(this);
    page->setObjectName("pnlWelcome");
    auto* layout = new QVBoxLayout(page);
    auto* heading = new QLabel(tr("Welcome to Quillmark Frameloom 3.0!"), page);
    QFont bold = heading->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.3);
    heading->setFont(bold);
    layout->addWidget(heading);
    layout->addWidget(new QLabel(tr("How would you like to start Frameloom?"), page));
    auto* buttons = new QHBoxLayout;
    auto* btnNew = new QPushButton(tr("New"), page);
    btnNew->setObjectName("btnNew");
    auto* btnOpen = new QPushButton(tr("Open"), page);
    btnOpen->setObjectName("btnOpen");
    btnReopen_ = new QPushButton(tr("Recent"), page);
    btnReopen_->setObjectName("btnReopen");
    btnReopen_->setEnabled(hooks_.RecentFilesShown && !hooks_.RecentFiles.empty());
    for (QPushButton* button : {btnNew, btnOpen, btnReopen_})
        buttons->addWidget(button);
    buttons->addStretch(1);
    layout->addLayout(buttons);
    connect(btnNew, &QPushButton::clicked, this, [this] { ChooseNew(); });
    connect(btnOpen, &QPushButton::clicked, this, [this] { ChooseOpen(); });
    connect(btnReopen_, &QPushButton::clicked, this, [this] { ChooseReopen(); });
    layout->addWidget(BuildTips(), 1);
    chkWelcomeDefault_ = new QCheckBox(tr("&Don't show at start up"), page);
    chkWelcomeDefault_->setObjectName("chkWelcomeDefault");
    chkWelcomeDefault_->setChecked(ReadIntegerSetting(services_.Settings, KeyWelcomeDialog) != 0);
    layout->addWidget(chkWelcomeDefault_);
    btnNew->setFocus();
    return page;
}

QWidget* TfrmWizards::BuildTips()
{
    auto* panel = new QWidget(this);
    panel->setObjectName("pnlTips");
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* heading = new TGradientLabel(panel);
    heading->SetCaption(tr("Did you know..."));
    heading->setFixedHeight(heading->FittingHeight());
    layout->addWidget(heading);
    mmoTips_ = new QPlainTextEdit(panel);
    mmoTips_->setObjectName("mmoTips");
    mmoTips_->setReadOnly(true);
    mmoTips_->setMinimumSize(320, mmoTips_->fontMetrics().lineSpacing() * 5);
    layout->addWidget(mmoTips_, 1);
    btnNextTip_ = new QPushButton(tr("&Next Tip"), panel);
    btnNextTip_->setObjectName("btnNextTip");
    layout->addWidget(btnNextTip_, 0, Qt::AlignRight);
    connect(btnNextTip_, &QPushButton::clicked, this, [this] { NextTip(); });

    tips_ = ReadTips(services_.ProgramFolder + TipsFileName);
    if (tips_.empty()) {
        btnNextTip_->setEnabled(false);
        mmoTips_->setPlainText(QString::fromStdString(MissingTipsMessage + services_.ProgramFolder + "."));
    } else {
        nextTip_ = 0;
        NextTip();
    }
    return panel;
}

QWidget* TfrmWizards::BuildReopen()
{
    auto* page = new QWidget(this);
    page->setObjectName("pnlReopen");
    auto* layout = new QVBoxLayout(page);
    auto* heading = new QLabel(tr("Reopen a previous animation"), page);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    layout->addWidget(heading);
    lbReopen_ = new QListWidget(page);
    lbReopen_->setObjectName("lbReopen");
    auto* label = new QLabel(tr("&Select a file from the list below"), page);
    label->setBuddy(lbReopen_);
    layout->addWidget(label);
    auto* row = new QHBoxLayout;
    row->addWidget(lbReopen_, 1);
    auto* scroll = new QScrollArea(page);
    scroll->setObjectName("sbReopen");
    scroll->setAlignment(Qt::AlignCenter);
    scroll->setMinimumSize(160, 120);
    imgReopen_ = new QLabel(scroll);
    imgReopen_->setObjectName("imgReopen");
    scroll->setWidget(imgReopen_);
    scroll->setWidgetResizable(false);
    row->addWidget(scroll, 1);
    layout->addLayout(row, 1);
    connect(lbReopen_, &QListWidget::currentRowChanged, this, [this](int line) { ShowReopenPreview(line); });
    return page;
}

void TfrmWizards::NextTip()
{
    if (tips_.empty())
        return;
    if (nextTip_ >= tips_.size())
        nextTip_ = 0;
    // An empty line leaves the tip shown.
    if (const std::string& tip = tips_[nextTip_]; !tip.empty())
        mmoTips_->setPlainText(QString::fromStdString(tip));
    ++nextTip_;
}

void TfrmWizards::ChooseNew()
{
    if (hooks_.HideStartupLogo)
        hooks_.HideStartupLogo();
    choice_ = wcNew;
    // Leaving the welcome dialog keeps its check box.
    WriteIntegerSetting(services_.Settings, KeyWelcomeDialog, chkWelcomeDefault_->isChecked() ? 1 : 0);
    EnterWizard(wuAnimation);
}

void TfrmWizards::ChooseOpen()
{
    if (hooks_.HideStartupLogo)
        hooks_.HideStartupLogo();
    choice_ = wcOpen;
    accept();
}

void TfrmWizards::ChooseReopen()
{
    if (hooks_.HideStartupLogo)
        hooks_.HideStartupLogo();
    choice_ = wcReopen;
    lbReopen_->clear();
    for (const std::string& file : hooks_.RecentFiles)
        lbReopen_->addItem(QString::fromStdString(file));
    setWindowTitle(tr("Recent Files"));
    pages_->setCurrentWidget(pnlReopen_);
    btnOK_->show();
    btnCancel_->show();
    btnOK_->setDefault(true);
    btnOK_->setEnabled(lbReopen_->count() > 0);
    if (lbReopen_->count() > 0)
        lbReopen_->setCurrentRow(0);
    lbReopen_->setFocus();
}

std::string TfrmWizards::ReopenFile() const
{
    const QListWidgetItem* item = lbReopen_ ? lbReopen_->currentItem() : nullptr;
    return choice_ == wcReopen && item ? item->text().toStdString() : std::string();
}

void TfrmWizards::ShowReopenPreview(int row)
{
    imgReopen_->clear();
    if (row < 0 || row >= lbReopen_->count())
        return;
    // A still picture of the file's first frame; a file that cannot be read
    // shows nothing.
    try {
        TGIFImage preview;
        preview.LoadFromFile(lbReopen_->item(row)->text().toStdString());
        if (preview.IsEmpty())
            return;
        TBitmap picture;
        preview.CopyToGraphic(picture);
        imgReopen_->setPixmap(QPixmap::fromImage(ToQImage(picture)));
        imgReopen_->adjustSize();
    } catch (const std::exception&) {
        imgReopen_->clear();
    }
}

void TfrmWizards::EnterWizard(int use)
{
    use_ = use;
    setWindowTitle(UseCaption(use));
    imgWiz_->setPixmap(WizardPicture(services_.ProgramFolder, use));
    imgWiz_->show();
    lblGradient_->show();
    btnOK_->hide();
    btnCancel_->show();
    btnHelp_->show();
    btnBack_->show();
    btnNext_->show();
    btnNext_->setDefault(true);
    if (use == wuOptimization) {
        TGIFImage& active = context_.Animation();
        sizeBefore_ = active.IsEmpty() ? 0 : WrittenSize(active, context_.Values().AnimationDefaults());
        lblCurrSize_->setText(QString::fromStdString(ByteCountText(sizeBefore_)));
        chkOptAll_->setEnabled(active.GlobalColors().Count() > 0);
        bool anyLocal = false;
        for (int i = 0; i < active.Frames.Count() && !anyLocal; ++i)
            anyLocal = active.Frames[i]->LocalColors.Count() > 0;
        chkRemoveLocal_->setEnabled(anyLocal);
        cbBps_->setCurrentText("28.8");
        ShowStep(FirstOptimizationStep);
    } else {
        ShowStep(FirstAnimationStep);
    }
}

void TfrmWizards::ShowStep(int step)
{
    step_ = step;
    pages_->setCurrentWidget(stepPages_[static_cast<size_t>(step)]);
    lblGradient_->SetCaption(tr(StepHeadings[step]));
    const bool last = step == LastAnimationStep || step == LastOptimizationStep;
    btnNext_->setText(last ? tr("&Finish") : tr("&Next >"));
    btnBack_->setEnabled(step != FirstAnimationStep && step != FirstOptimizationStep);
    btnNext_->setEnabled(step != 3 || lbImages_->count() > 0);
    if (step == 3)
        UpdateImageButtons();
}

void TfrmWizards::Next()
{
    if (step_ < 0 || building_)
        return;
    if (step_ == LastAnimationStep) {
        if (BuildAnimation())
            accept();
        return;
    }
    if (step_ == LastOptimizationStep) {
        if (FinishOptimization())
            accept();
        return;
    }
    if (step_ == 3 && lbImages_->count() == 0)
        return;
    if (step_ == 7)
        RunOptimization();
    ShowStep(step_ + 1);
}

void TfrmWizards::Back()
{
    if (step_ < 0 || building_ || step_ == FirstAnimationStep || step_ == FirstOptimizationStep)
        return;
    ShowStep(step_ - 1);
}

bool TfrmWizards::BuildAnimation()
{
    const std::vector<std::string> files = Images();
    building_ = true;
    cancelBuild_ = false;
    btnNext_->setEnabled(false);
    btnBack_->setEnabled(false);
    pbBuild_->setRange(0, static_cast<int>(files.size()));
    pbBuild_->setValue(0);
    pbBuild_->show();
    std::unique_ptr<TGIFImage> built;
    try {
        built = BuildWizardAnimation(context_, files, AnimationOptions(), [this](int done, int) {
            pbBuild_->setValue(done);
            // Cancel is pressed between two images.
            QApplication::processEvents();
            return !cancelBuild_;
        });
    } catch (const std::exception& error) {
        ShowErrorMessage(services_.Messages, error.what());
    }
    building_ = false;
    pbBuild_->hide();
    ShowStep(step_);
    if (!built)
        return false;
    try {
        return context_.AdoptAnimation(std::move(built));
    } catch (const std::exception& error) {
        ShowErrorMessage(services_.Messages, error.what());
        return false;
    }
}

void TfrmWizards::RunOptimization()
{
    TGIFImage& active = context_.Animation();
    if (active.IsEmpty())
        return;
    try {
        TBusyCursor busy(services_.Messages);
        optimized_ = OptimizedCopy(active, OptimizeOptions(), context_.Values().AnimationDefaults());
        sizeAfter_ = GifStreamSize(*optimized_);
    } catch (const std::exception& error) {
        optimized_.reset();
        sizeAfter_ = sizeBefore_;
        ShowErrorMessage(services_.Messages, error.what());
    }
    lblOptimizedSize_->setText(QString::fromStdString(ByteCountText(sizeAfter_)));
    lblTotal_->setText(QString::fromStdString(SavingsText(sizeBefore_, sizeAfter_)));
    RefreshDownloadTime();
}

void TfrmWizards::RefreshDownloadTime()
{
    lblDLTime_->setText(
        QString::fromStdString(DownloadTimeText(sizeBefore_, cbBps_->currentText().toDouble())));
}

bool TfrmWizards::FinishOptimization()
{
    if (!optimized_)
        return true;
    try {
        if (optCurAni_->isChecked())
            return ReplaceWithOptimized(context_, *optimized_) || sizeAfter_ > sizeBefore_;
        if (sizeAfter_ > sizeBefore_) {
            ShowMessageBox(
                services_.Messages, TMsgDlgType::mtInformation,
                FormatText(LargerResultMessage, {ByteCountText(sizeAfter_), ByteCountText(sizeBefore_)}),
                {TMsgDlgBtn::mbOK});
            return true;
        }
        return context_.AdoptAnimation(std::move(optimized_));
    } catch (const std::exception& error) {
        ShowErrorMessage(services_.Messages, error.what());
        return false;
    }
}

void TfrmWizards::done(int result)
{
    if (building_) {
        cancelBuild_ = true;
        return;
    }
    // Leaving while still the welcome dialog keeps its check box.
    if (use_ == wuWelcome && chkWelcomeDefault_)
        WriteIntegerSetting(services_.Settings, KeyWelcomeDialog, chkWelcomeDefault_->isChecked() ? 1 : 0);
    QDialog::done(result);
}

} // namespace fl
