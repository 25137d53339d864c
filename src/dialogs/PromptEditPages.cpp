// SPDX-License-Identifier: GPL-3.0-or-later
// The prompt pages whose answers change the animation: resize, loop count
// with the animation's statistics, and the global frame change.
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <cstdio>

#include "app/AppServices.h"
#include "app/DialogRunner.h"
#include "app/NumberEdit.h"
#include "dialogs/PaletteDialog.h"
#include "dialogs/Prompts.h"
#include "document/CmdColorMap.h"
#include "document/EditorContext.h"
#include "editing/LoopCount.h"
#include "gif/GIFImage.h"
#include "platform/MessageService.h"
#include "platform/Stream.h"

namespace fl {

namespace {

constexpr int MaxSize = 32767;

QLineEdit* ReadOnlyField(QWidget* parent, const char* name, int value)
{
    auto* field = new QLineEdit(QString::number(value), parent);
    field->setObjectName(name);
    field->setReadOnly(true);
    field->setFixedWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("0000000")) + 12);
    return field;
}

QHBoxLayout* WithUpDown(QWidget* field, QWidget* upDown, QWidget* after = nullptr)
{
    auto* row = new QHBoxLayout;
    row->setSpacing(2);
    row->addWidget(field);
    row->addWidget(upDown);
    if (after)
        row->addWidget(after);
    row->addStretch();
    return row;
}

void AddRow(QFormLayout* form, QWidget* parent, const char* caption, QWidget* buddy, QLayout* fieldLayout)
{
    auto* label = new QLabel(caption, parent);
    label->setBuddy(buddy);
    form->addRow(label, fieldLayout);
}

// Sets a field's text without running its own edit handlers.
void SetQuietly(TNumberEdit* field, int value)
{
    const QSignalBlocker blocker(field);
    field->SetNumber(value);
}

} // namespace

// Page 3: resize.

QWidget* TfrmPrompts::BuildResize()
{
    const TGIFImage& image = context_.Animation();
    auto* panel = new QWidget(tabPrompts_);
    auto* layout = new QVBoxLayout(panel);
    auto* group = new QGroupBox("Animation Dimensions", panel);
    auto* grid = new QGridLayout(group);
    txtCurrH_ = ReadOnlyField(group, "txtCurrH", image.Height());
    txtCurrW_ = ReadOnlyField(group, "txtCurrW", image.Width());
    txtHeight_ = NumberField(group, "txtHeight", 5);
    txtWidth_ = NumberField(group, "txtWidth", 5);
    txtHeight_->SetNumber(std::clamp(image.Height(), 1, MaxSize));
    txtWidth_->SetNumber(std::clamp(image.Width(), 1, MaxSize));
    udHeight_ = new TUpDown(*txtHeight_, 1, MaxSize, group);
    udHeight_->setObjectName("udHeight");
    udWidth_ = new TUpDown(*txtWidth_, 1, MaxSize, group);
    udWidth_->setObjectName("udWidth");
    txtHPercent_ = NumberField(group, "txtHPercent", 4);
    txtWPercent_ = NumberField(group, "txtWPercent", 4);
    txtHPercent_->SetNumber(100);
    txtWPercent_->SetNumber(100);
    const auto label = [group](const char* caption, QWidget* buddy) {
        auto* text = new QLabel(caption, group);
        text->setBuddy(buddy);
        return text;
    };
    grid->addWidget(label("Current H&eight:", txtCurrH_), 0, 0);
    grid->addWidget(txtCurrH_, 0, 1);
    grid->addLayout(WithUpDown(txtHeight_, udHeight_), 0, 2);
    grid->addLayout(WithUpDown(txtHPercent_, new QLabel("%", group)), 0, 3);
    grid->addWidget(label("Current Wi&dth:", txtCurrW_), 1, 0);
    grid->addWidget(txtCurrW_, 1, 1);
    grid->addLayout(WithUpDown(txtWidth_, udWidth_), 1, 2);
    grid->addLayout(WithUpDown(txtWPercent_, new QLabel("%", group)), 1, 3);
    chkConstrain_ = new QCheckBox("&Constrain Size", group);
    chkConstrain_->setObjectName("chkConstrain");
    imgConstrain_ = new QLabel(QStringLiteral("\u26D3"), group);
    imgConstrain_->setObjectName("imgConstrain");
    imgConstrain_->setVisible(false);
    grid->addWidget(chkConstrain_, 2, 0, 1, 3);
    grid->addWidget(imgConstrain_, 0, 4, 2, 1);
    layout->addWidget(group);

    connect(txtHeight_, &QLineEdit::textChanged, this, [this] { SizeEdited(true); });
    connect(txtWidth_, &QLineEdit::textChanged, this, [this] { SizeEdited(false); });
    connect(txtHPercent_, &QLineEdit::textChanged, this, [this] { PercentEdited(true); });
    connect(txtWPercent_, &QLineEdit::textChanged, this, [this] { PercentEdited(false); });
    connect(chkConstrain_, &QCheckBox::toggled, this, [this](bool checked) {
        imgConstrain_->setVisible(checked);
        if (checked)
            ApplyConstrain();
    });
    return panel;
}

int TfrmPrompts::NewWidth() const
{
    return txtWidth_ ? std::clamp(txtWidth_->Number(1), 1, MaxSize) : 0;
}

int TfrmPrompts::NewHeight() const
{
    return txtHeight_ ? std::clamp(txtHeight_->Number(1), 1, MaxSize) : 0;
}

void TfrmPrompts::SizeEdited(bool height)
{
    if (resizing_)
        return;
    resizing_ = true;
    TNumberEdit* edited = height ? txtHeight_ : txtWidth_;
    if (edited->text().isEmpty())
        SetQuietly(edited, 1);
    const TGIFImage& image = context_.Animation();
    percent_ = height ? PercentOfSize(NewHeight(), image.Height()) : PercentOfSize(NewWidth(), image.Width());
    SetQuietly(height ? txtHPercent_ : txtWPercent_, std::clamp(percent_, 0, 9999));
    if (chkConstrain_->isChecked()) {
        // The other side takes the same percent.
        SetQuietly(height ? txtWPercent_ : txtHPercent_, std::clamp(percent_, 0, 9999));
        if (height)
            SetQuietly(txtWidth_, std::clamp(SizeOfPercent(image.Width(), percent_), 1, MaxSize));
        else
            SetQuietly(txtHeight_, std::clamp(SizeOfPercent(image.Height(), percent_), 1, MaxSize));
    }
    resizing_ = false;
}

void TfrmPrompts::PercentEdited(bool height)
{
    if (resizing_)
        return;
    resizing_ = true;
    TNumberEdit* edited = height ? txtHPercent_ : txtWPercent_;
    TNumberEdit* other = height ? txtWPercent_ : txtHPercent_;
    if (edited->text().isEmpty())
        SetQuietly(edited, 1);
    percent_ = edited->Number(1);
    const TGIFImage& image = context_.Animation();
    const bool both = chkConstrain_->isChecked();
    if (both)
        SetQuietly(other, percent_);
    if (height || both)
        SetQuietly(txtHeight_, std::clamp(SizeOfPercent(image.Height(), percent_), 1, MaxSize));
    if (!height || both)
        SetQuietly(txtWidth_, std::clamp(SizeOfPercent(image.Width(), percent_), 1, MaxSize));
    resizing_ = false;
}

void TfrmPrompts::ApplyConstrain()
{
    const TGIFImage& image = context_.Animation();
    if (NewHeight() != image.Height())
        SizeEdited(true);
    if (NewWidth() != image.Width())
        SizeEdited(false);
}

// Page 4: loop count and statistics.

QWidget* TfrmPrompts::BuildLoop()
{
    TGIFImage& image = context_.Animation();
    auto* panel = new QWidget(tabPrompts_);
    auto* layout = new QVBoxLayout(panel);

    auto* loop = new QGroupBox("Animation Loop", panel);
    auto* loopLayout = new QGridLayout(loop);
    currentPlays_ = GetLoopCount(image);
    txtCurrLoop_ = ReadOnlyField(loop, "txtCurrLoop", currentPlays_);
    optLoopInfinite_ = new QRadioButton("Looped &infinitely", loop);
    optLoopInfinite_->setObjectName("optLoopInfinite");
    optLoopPlay_ = new QRadioButton("&Played", loop);
    optLoopPlay_->setObjectName("optLoopPlay");
    txtLoop_ = NumberField(loop, "txtLoop", 5);
    udLoop_ = new TUpDown(*txtLoop_, 1, MaxSize, loop);
    udLoop_->setObjectName("udLoop");
    txtLoop_->SetNumber(std::clamp(currentPlays_, 1, MaxSize));
    (currentPlays_ != 0 ? optLoopPlay_ : optLoopInfinite_)->setChecked(true);
    txtLoop_->setEnabled(optLoopPlay_->isChecked());
    udLoop_->setEnabled(optLoopPlay_->isChecked());
    connect(optLoopPlay_, &QRadioButton::toggled, this, [this](bool checked) {
        txtLoop_->setEnabled(checked);
        udLoop_->setEnabled(checked);
    });
    auto* current = new QLabel("Current L&oop:", loop);
    current->setBuddy(txtCurrLoop_);
    loopLayout->addWidget(current, 0, 0);
    loopLayout->addWidget(txtCurrLoop_, 0, 1);
    loopLayout->addWidget(new QLabel("(0 = Infinite)", loop), 0, 2);
    loopLayout->addWidget(optLoopInfinite_, 1, 0, 1, 3);
    loopLayout->addWidget(optLoopPlay_, 2, 0);
    loopLayout->addLayout(WithUpDown(txtLoop_, udLoop_, new QLabel("time(s)", loop)), 2, 1, 1, 2);
    layout->addWidget(loop);

    auto* statistics = new QGroupBox("Animation Statistics", panel);
    auto* form = new QFormLayout(statistics);
    int64_t bytes = 0;
    try {
        TMemoryStream stream;
        image.SaveToStream(stream);
        bytes = stream.Size();
    } catch (const std::exception&) {
        // A frame that cannot be written leaves the size unknown (0).
    }
    double seconds = 0;
    for (int i = 0; i < image.Frames.Count(); ++i)
        if (const TGIFGraphicControlExtension* control = image.Frames[i]->ControlBlock)
            seconds += control->Delay / 100.0;
    char running[32];
    std::snprintf(running, sizeof running, "%4.2f secs", seconds);
    const auto value = [statistics](const char* name, const QString& text) {
        auto* label = new QLabel(text, statistics);
        label->setObjectName(name);
        return label;
    };
    form->addRow("Number of frames:", value("lblFrameCount", QString::number(image.Frames.Count())));
    form->addRow("Current Size:", value("lblCurrentSize", QStringLiteral("%1 bytes").arg(bytes)));
    form->addRow("Total Running Time:", value("lblRunningTime", QString::fromLatin1(running)));
    layout->addWidget(statistics);
    return panel;
}

int TfrmPrompts::ChosenPlays() const
{
    if (!optLoopPlay_ || !optLoopPlay_->isChecked())
        return 0;
    return udLoop_->Position();
}

// Page 7: global change.

QWidget* TfrmPrompts::BuildGlobal()
{
    auto* panel = new QWidget(tabPrompts_);
    auto* layout = new QVBoxLayout(panel);

    auto* offsets = new QGroupBox("Frame Offsets", panel);
    auto* offsetForm = new QFormLayout(offsets);
    txtXOffset_ = NumberField(offsets, "txtXOffset", 4);
    txtYOffset_ = NumberField(offsets, "txtYOffset", 4);
    udX_ = new TUpDown(*txtXOffset_, 0, 9999, offsets);
    udX_->setObjectName("udX");
    udY_ = new TUpDown(*txtYOffset_, 0, 9999, offsets);
    udY_->setObjectName("udY");
    AddRow(offsetForm, offsets, "&X Offset:", txtXOffset_, WithUpDown(txtXOffset_, udX_));
    AddRow(offsetForm, offsets, "&Y Offset:", txtYOffset_, WithUpDown(txtYOffset_, udY_));
    layout->addWidget(offsets);

    auto* display = new QGroupBox("Display Settings", panel);
    auto* displayLayout = new QVBoxLayout(display);
    chkInterlaced_ = new QCheckBox("Make &Interlaced", display);
    chkInterlaced_->setObjectName("chkInterlaced");
    chkTransparent_ = new QCheckBox("Make &Transparent", display);
    chkTransparent_->setObjectName("chkTransparent");
    chkLocalPal_ = new QCheckBox("Make &Local Palette", display);
    chkLocalPal_->setObjectName("chkLocalPal");
    btnTransparent_ = new QPushButton("Color &Select", display);
    btnTransparent_->setObjectName("btnTransparent");
    auto* transparentRow = new QHBoxLayout;
    transparentRow->addWidget(chkTransparent_);
    transparentRow->addWidget(btnTransparent_);
    transparentRow->addStretch();
    displayLayout->addWidget(chkInterlaced_);
    displayLayout->addLayout(transparentRow);
    displayLayout->addWidget(chkLocalPal_);
    layout->addWidget(display);

    auto* animation = new QGroupBox("Animation", panel);
    auto* animationForm = new QFormLayout(animation);
    txtDelay_ = NumberField(animation, "txtDelay", 5);
    udDelay_ = new TUpDown(*txtDelay_, 1, MaxSize, animation);
    udDelay_->setObjectName("udDelay");
    udDelay_->SetIncrement(10);
    AddRow(animationForm, animation, "&Delay:", txtDelay_,
           WithUpDown(txtDelay_, udDelay_, new QLabel("(1/100th sec)", animation)));
    // Beyond the delay itself: all delays scaled at once ("twice as fast").
    txtSpeed_ = NumberField(animation, "txtSpeed", 4);
    udSpeed_ = new TUpDown(*txtSpeed_, 1, 1000, animation);
    udSpeed_->setObjectName("udSpeed");
    udSpeed_->SetIncrement(10);
    AddRow(animationForm, animation, "Play s&peed:", txtSpeed_,
           WithUpDown(txtSpeed_, udSpeed_, new QLabel("% (200 = twice as fast)", animation)));
    cbDisposal_ = new QComboBox(animation);
    cbDisposal_->setObjectName("cbDisposal");
    cbDisposal_->addItems({"None", "Remove", "Background", "Previous"});
    auto* disposalLabel = new QLabel("Disposal &Method (before drawing next frame)", animation);
    disposalLabel->setBuddy(cbDisposal_);
    animationForm->addRow(disposalLabel);
    animationForm->addRow(cbDisposal_);
    layout->addWidget(animation);

    auto* reset = new QPushButton("&Reset", panel);
    reset->setObjectName("btnReset");
    layout->addWidget(reset, 0, Qt::AlignLeft);

    for (TNumberEdit* field : {txtXOffset_, txtYOffset_, txtDelay_, txtSpeed_}) {
        field->SetRestoreOnLeave(false);
        connect(field, &QLineEdit::textEdited, this, [this](const QString& text) {
            if (!text.isEmpty())
                anythingEntered_ = true;
        });
    }
    for (TUpDown* upDown : {udX_, udY_, udDelay_, udSpeed_})
        connect(upDown, &TUpDown::Clicked, this, [this] { anythingEntered_ = true; });
    connect(cbDisposal_, &QComboBox::activated, this, [this] { anythingEntered_ = true; });
    connect(reset, &QPushButton::clicked, this, [this] { ResetGlobal(); });
    connect(chkTransparent_, &QCheckBox::clicked, this,
            [this](bool checked) { TransparentToggled(checked); });
    connect(btnTransparent_, &QPushButton::clicked, this, [this] { SelectTransparentColor(); });
    ResetGlobal();
    return panel;
}

void TfrmPrompts::SetGlobalCaptions(bool transparent, bool interlaced, bool localPalette)
{
    if (!chkTransparent_)
        return;
    const auto caption = [](bool remove, const char* what) {
        return QString(remove ? "Remove " : "Make ") + what;
    };
    chkTransparent_->setText(caption(transparent, "&Transparent"));
    chkInterlaced_->setText(caption(interlaced, "&Interlaced"));
    chkLocalPal_->setText(caption(localPalette, "&Local Palette"));
}

void TfrmPrompts::SetOffsetLimits(int width, int height)
{
    if (udX_) {
        udX_->SetRange(0, width);
        udY_->SetRange(0, height);
    }
}

void TfrmPrompts::ResetGlobal()
{
    if (!txtXOffset_)
        return;
    for (TNumberEdit* field : {txtXOffset_, txtYOffset_, txtDelay_, txtSpeed_}) {
        const QSignalBlocker blocker(field);
        field->clear();
    }
    cbDisposal_->setCurrentIndex(-1);
    for (QCheckBox* box : {chkInterlaced_, chkTransparent_, chkLocalPal_})
        box->setChecked(false);
    anythingEntered_ = false;
}

void TfrmPrompts::TransparentToggled(bool checked)
{
    if (!checked || !chkTransparent_->text().startsWith(QStringLiteral("Make ")))
        return;
    const int answer = ShowMessageBox(services_.Messages, TMsgDlgType::mtConfirmation, DisposalQuestion,
                                      {TMsgDlgBtn::mbYes, TMsgDlgBtn::mbNo, TMsgDlgBtn::mbCancel});
    if (answer == mrYes) {
        cbDisposal_->setCurrentIndex(2);
        anythingEntered_ = true;
    }
    if (answer == mrYes || answer == mrNo)
        SelectTransparentColor();
    else
        chkTransparent_->setChecked(false);
}

void TfrmPrompts::SelectTransparentColor()
{
    TfrmPalette palette(context_, services_.Messages, pmTransparentColor, this);
    {
        TBusyCursor busy(services_.Messages);
        palette.PresetSelection(transparentIndex_, transparentColor_);
    }
    if (services_.Modals.Run(palette) == QDialog::Accepted) {
        transparentIndex_ = palette.SelectedIndex();
        transparentColor_ = palette.SelectedColor();
    }
}

TGlobalFrameChange TfrmPrompts::GlobalChange() const
{
    TGlobalFrameChange change;
    if (!txtXOffset_)
        return change;
    change.XOffset = txtXOffset_->text().toStdString();
    change.YOffset = txtYOffset_->text().toStdString();
    change.Delay = txtDelay_->text().toStdString();
    change.Speed = txtSpeed_->text().toStdString();
    const auto toggle = [](const QCheckBox* box) {
        // Every box starts unchecked, so a checked one is a changed one.
        return TGlobalToggle{box->isChecked(), box->isChecked(),
                             box->text().startsWith(QStringLiteral("Make "))};
    };
    change.Transparent = toggle(chkTransparent_);
    change.Interlaced = toggle(chkInterlaced_);
    change.LocalPalette = toggle(chkLocalPal_);
    change.TransparentColor = transparentColor_;
    change.Disposal = cbDisposal_->currentIndex();
    return change;
}

} // namespace fl
