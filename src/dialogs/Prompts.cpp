// SPDX-License-Identifier: GPL-3.0-or-later
// The dialog's frame and its question pages: insert position, frame size,
// palettes, image properties and the HTML tag. The editing pages (resize,
// loop, global change) are in PromptEditPages.cpp.
#include "dialogs/Prompts.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "app/AppServices.h"
#include "app/BitmapImage.h"
#include "app/NumberEdit.h"
#include "dialogs/DialogButtons.h"
#include "dialogs/PaletteRules.h"
#include "document/EditorContext.h"
#include "editing/FileTypes.h"
#include "editing/TextRoutines.h"
#include "gif/GIFImage.h"
#include "io/ImageFileReader.h"
#include "io/ImageTag.h"
#include "io/ImagingControl.h"
#include "platform/Bitmap.h"
#include "platform/MessageService.h"
#include "platform/SettingsKeys.h"

namespace fl {

namespace {

struct TPageTexts {
    const char* Panel;
    const char* Title;
    const char* Tab;
};

constexpr TPageTexts PageTexts[] = {
    {"pnlDropFrame", "Insert Image", "Position"},
    {"pnlFrameDiff", "Frame Size Difference", "Frame Size"},
    {"pnlPalettes", "Palettes", "Palettes"},
    {"pnlResize", "Resize Animation", "Resize"},
    {"pnlLoop", "Animation Information", "Animation"},
    {"pnlProperties", "Image Properties", "Properties"},
    {"pnlHTML", "HTML Tag", "HTML"},
    {"pnlGlobal", "Global Change", "Properties"},
};

QRadioButton* Choice(QWidget* parent, const char* name, const char* caption)
{
    auto* button = new QRadioButton(caption, parent);
    button->setObjectName(name);
    return button;
}

QLabel* Explanation(QWidget* parent, const char* text)
{
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    return label;
}

} // namespace

int PercentOfSize(int size, int current)
{
    if (current <= 0)
        return 100;
    return static_cast<int>(std::lrint(static_cast<double>(size) / current * 100.0));
}

int SizeOfPercent(int current, int percent)
{
    return static_cast<int>(std::lrint(static_cast<double>(current) * percent / 100.0));
}

TfrmPrompts::TfrmPrompts(const TAppServices& services, TEditorContext& context, int page, QWidget* parent)
    : QDialog(parent), services_(services), context_(context), page_(std::clamp(page, 0, 7))
{
    setObjectName("frmPrompts");
    setWindowTitle(PageTexts[page_].Title);
    tabPrompts_ = new QTabWidget(this);
    tabPrompts_->setObjectName("tabPrompts");
    QWidget* panel = nullptr;
    switch (page_) {
    case ppInsertImage:
        panel = BuildInsertImage();
        break;
    case ppFrameSize:
        panel = BuildFrameSize();
        break;
    case ppPalettes:
        panel = BuildPalettes();
        break;
    case ppResize:
        panel = BuildResize();
        break;
    case ppAnimationInfo:
        panel = BuildLoop();
        break;
    case ppImageProperties:
        panel = BuildProperties();
        break;
    case ppHtmlTag:
        panel = BuildHtml();
        break;
    default:
        panel = BuildGlobal();
        break;
    }
    panel->setObjectName(PageTexts[page_].Panel);
    tabPrompts_->addTab(panel, PageTexts[page_].Tab);

    const TDialogButtons buttons = MakeDialogButtons(*this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(tabPrompts_);
    layout->addLayout(buttons.Row);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    setTabOrder(buttons.OK, buttons.Cancel);
}

TfrmPrompts::~TfrmPrompts() = default;

TNumberEdit* TfrmPrompts::NumberField(QWidget* parent, const char* name, int maxLength)
{
    auto* field = new TNumberEdit(maxLength, parent);
    field->setObjectName(name);
    return field;
}

QWidget* TfrmPrompts::BuildInsertImage()
{
    auto* panel = new QWidget(tabPrompts_);
    auto* layout = new QVBoxLayout(panel);
    layout->addWidget(Explanation(panel, "Where would you like to place this image in the animation?"));
    optStart_ = Choice(panel, "optStart", "At the &start");
    optBefore_ = Choice(panel, "optBefore", "&Before the current selected frame");
    optAfter_ = Choice(panel, "optAfter", "&After the current selected frame");
    optStart_->setChecked(true);
    for (QRadioButton* choice : {optStart_, optBefore_, optAfter_})
        layout->addWidget(choice);
    return panel;
}

void TfrmPrompts::PresetInsertChoice(int selected)
{
    if (!optAfter_)
        return;
    optAfter_->setChecked(true);
    optBefore_->setEnabled(selected != 0);
}

TInsertChoice TfrmPrompts::InsertChoice() const
{
    if (optBefore_ && optBefore_->isChecked())
        return icBeforeSelected;
    if (optAfter_ && optAfter_->isChecked())
        return icAfterSelected;
    return icAtStart;
}

QWidget* TfrmPrompts::BuildFrameSize()
{
    auto* panel = new QWidget(tabPrompts_);
    auto* layout = new QVBoxLayout(panel);
    layout->addWidget(
        Explanation(panel, "Frame dimensions are larger than the animation. How should this be handled?"));
    optClip_ = Choice(panel, "optClip", "&Trim frame to the animation size");
    optChange_ = Choice(panel, "optChange", "&Change animation to match frame size.");
    chkDefault_ = new QCheckBox("Make this the &Default", panel);
    chkDefault_->setObjectName("chkDefault");
    const TSettingsStore& settings = services_.Settings;
    (ReadIntegerSetting(settings, KeyClipFrame, 0) == 1 ? optClip_ : optChange_)->setChecked(true);
    chkDefault_->setChecked(ReadIntegerSetting(settings, KeyClipDefault, 0) != 0);
    layout->addWidget(optClip_);
    layout->addWidget(optChange_);
    layout->addWidget(chkDefault_);
    return panel;
}

bool TfrmPrompts::ClipFrame() const
{
    return optClip_ && optClip_->isChecked();
}

bool TfrmPrompts::ClipDefault() const
{
    return chkDefault_ && chkDefault_->isChecked();
}

QWidget* TfrmPrompts::BuildPalettes()
{
    palettes_ = new TPaletteRulesPanel(services_.Settings, tabPrompts_);
    return palettes_;
}

int TfrmPrompts::PaletteType() const
{
    return palettes_ ? palettes_->PaletteType() : 0;
}

int TfrmPrompts::MaxColorCount() const
{
    return palettes_ ? palettes_->MaxColorCount() : 256;
}

int TfrmPrompts::DitherMethod() const
{
    return palettes_ ? palettes_->DitherMethod() : 0;
}

int TfrmPrompts::MaxImportCount() const
{
    return palettes_ ? palettes_->MaxImportCount() : 256;
}

bool TfrmPrompts::PaletteDefaults() const
{
    return palettes_ && palettes_->PaletteDefaults();
}

QWidget* TfrmPrompts::BuildProperties()
{
    auto* panel = new QWidget(tabPrompts_);
    auto* layout = new QFormLayout(panel);
    lblFileName_ = new QLabel(panel);
    lblFileName_->setObjectName("lblFileName");
    lblFileSize_ = new QLabel(panel);
    lblFileSize_->setObjectName("lblFileSize");
    lblDimensions_ = new QLabel(panel);
    lblDimensions_->setObjectName("lblDimensions");
    layout->addRow("Filename:", lblFileName_);
    layout->addRow("File Size:", lblFileSize_);
    layout->addRow("Dimensions:", lblDimensions_);
    sbxImageProps_ = new QScrollArea(panel);
    sbxImageProps_->setObjectName("sbxImageProps");
    sbxImageProps_->setAlignment(Qt::AlignCenter);
    sbxImageProps_->setFixedSize(260, 200);
    pnlImageProps_ = new QLabel;
    pnlImageProps_->setObjectName("pnlImageProps");
    pnlImageProps_->setAlignment(Qt::AlignCenter);
    sbxImageProps_->setWidget(pnlImageProps_);
    layout->addRow(sbxImageProps_);
    return panel;
}

void TfrmPrompts::ShowImageProperties(const std::string& path)
{
    if (!lblFileName_)
        return;
    lblFileName_->setText(QFileInfo(QString::fromStdString(path)).fileName());
    TBusyCursor busy(services_.Messages);
    QImage picture;
    try {
        TImagingFileReader reader;
        TBitmap bitmap;
        if (reader.LoadImage(path, FileTypeIndex(path), bitmap) == icOK)
            picture = ToQImage(bitmap);
    } catch (const std::exception&) {
        picture = QImage();
    }
    if (picture.isNull()) {
        lblFileSize_->setText("KB");
        lblDimensions_->clear();
        pnlImageProps_->setText("Unable to load image");
        pnlImageProps_->adjustSize();
        return;
    }
    const qint64 bytes = QFileInfo(QString::fromStdString(path)).size();
    lblFileSize_->setText(QStringLiteral("%1 KB").arg(FileSizeKB(bytes)));
    lblDimensions_->setText(QStringLiteral("%1 x %2").arg(picture.width()).arg(picture.height()));
    pnlImageProps_->setPixmap(QPixmap::fromImage(picture));
    pnlImageProps_->resize(picture.size());
}

QWidget* TfrmPrompts::BuildHtml()
{
    auto* panel = new QWidget(tabPrompts_);
    auto* layout = new QVBoxLayout(panel);
    layout->addWidget(Explanation(panel,
                                  "Fill in any extra image tag attributes you would like to include into "
                                  "the HTML code, then select the Copy button which will copy the HTML to "
                                  "the clipboard."));
    auto* attributes = new QGroupBox("Image Attributes", panel);
    auto* form = new QFormLayout(attributes);
    txtFileName_ = new QLineEdit(attributes);
    txtFileName_->setObjectName("txtFileName");
    txtFileName_->setReadOnly(true);
    txtLink_ = new QLineEdit(attributes);
    txtLink_->setObjectName("txtLink");
    txtHint_ = new QLineEdit(attributes);
    txtHint_->setObjectName("txtHint");
    txtBorder_ = NumberField(attributes, "txtBorder", 5);
    txtBorder_->SetRestoreOnLeave(false);
    txtBorder_->SetNumber(0);
    udBorder_ = new TUpDown(*txtBorder_, 0, 32767, attributes);
    udBorder_->setObjectName("udBorder");
    auto* border = new QHBoxLayout;
    border->addWidget(txtBorder_);
    border->addWidget(udBorder_);
    border->addStretch();
    const auto row = [attributes, form](const char* caption, QWidget* field, QLayout* fieldLayout = nullptr) {
        auto* label = new QLabel(caption, attributes);
        label->setBuddy(field);
        if (fieldLayout)
            form->addRow(label, fieldLayout);
        else
            form->addRow(label, field);
    };
    row("&File Name:", txtFileName_);
    row("&Link:", txtLink_);
    row("Hin&t (Alt tag):", txtHint_);
    row("&Border:", txtBorder_, border);
    layout->addWidget(attributes);
    auto* codeLabel = new QLabel("&HTML Code", panel);
    txtHTML_ = new QPlainTextEdit(panel);
    txtHTML_->setObjectName("txtHTML");
    txtHTML_->setReadOnly(true);
    codeLabel->setBuddy(txtHTML_);
    layout->addWidget(codeLabel);
    layout->addWidget(txtHTML_);
    auto* copy = new QPushButton("&Copy", panel);
    copy->setObjectName("btnCopy");
    layout->addWidget(copy, 0, Qt::AlignRight);
    connect(copy, &QPushButton::clicked, this, [this] { CopyHtml(); });
    for (QLineEdit* field : {static_cast<QLineEdit*>(txtLink_), static_cast<QLineEdit*>(txtHint_),
                             static_cast<QLineEdit*>(txtBorder_)})
        connect(field, &QLineEdit::textChanged, this, [this] { RebuildHtml(); });
    connect(udBorder_, &TUpDown::Clicked, this, [this] { RebuildHtml(); });
    RebuildHtml();
    return panel;
}

void TfrmPrompts::SetHtmlFileName(const std::string& fileName)
{
    if (txtFileName_) {
        txtFileName_->setText(QString::fromStdString(fileName));
        RebuildHtml();
    }
}

void TfrmPrompts::RebuildHtml()
{
    if (!txtHTML_)
        return;
    const TGIFImage& image = context_.Animation();
    const TImageTagFields fields{txtFileName_->text().toStdString(),
                                 image.Height(),
                                 image.Width(),
                                 txtLink_->text().toStdString(),
                                 txtHint_->text().toStdString(),
                                 txtBorder_->text().toStdString()};
    txtHTML_->setPlainText(QString::fromStdString(BuildImageTag(fields)));
}

QString TfrmPrompts::HtmlCode() const
{
    return txtHTML_ ? txtHTML_->toPlainText() : QString();
}

void TfrmPrompts::CopyHtml()
{
    const QString code = HtmlCode();
    if (code.isEmpty())
        return;
    if (QClipboard* clipboard = QGuiApplication::clipboard())
        clipboard->setText(code);
    ShowMessageBox(services_.Messages, TMsgDlgType::mtInformation, HtmlCopiedMessage, {TMsgDlgBtn::mbOK});
}

void TfrmPrompts::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (page_ == ppGlobalChange)
        ResetGlobal();
    // Focus on the first field the user can fill in.
    for (QWidget* child : tabPrompts_->currentWidget()->findChildren<QWidget*>()) {
        const auto* edit = qobject_cast<QLineEdit*>(child);
        if ((child->focusPolicy() & Qt::TabFocus) && child->isVisibleTo(this) && child->isEnabled() &&
            !(edit && edit->isReadOnly())) {
            child->setFocus();
            break;
        }
    }
}

void TfrmPrompts::done(int result)
{
    if (result == QDialog::Accepted) {
        if (page_ == ppGlobalChange)
            anythingEntered_ = !txtXOffset_->text().isEmpty() || !txtYOffset_->text().isEmpty() ||
                               !txtDelay_->text().isEmpty() || !txtSpeed_->text().isEmpty() ||
                               chkInterlaced_->isChecked() || chkTransparent_->isChecked() ||
                               chkLocalPal_->isChecked() || cbDisposal_->currentIndex() >= 0;
        WriteSettings();
    }
    QDialog::done(result);
}

void TfrmPrompts::WriteSettings()
{
    TSettingsStore& settings = services_.Settings;
    if (page_ == ppFrameSize) {
        WriteIntegerSetting(settings, KeyClipFrame, ClipFrame() ? 1 : 0);
        WriteIntegerSetting(settings, KeyClipDefault, ClipDefault() ? 1 : 0);
    } else if (page_ == ppPalettes && palettes_) {
        palettes_->Write(settings);
    }
}

} // namespace fl
