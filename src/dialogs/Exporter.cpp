// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/Exporter.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QRadioButton>
#include <QScrollArea>
#include <QSlider>
#include <QVBoxLayout>
#include <exception>

#include "app/BitmapImage.h"
#include "dialogs/DialogButtons.h"
#include "document/EditorContext.h"
#include "document/FrameListModel.h"
#include "gif/GIFImage.h"
#include "platform/Bitmap.h"
#include "platform/FileDialogService.h"
#include "platform/MessageService.h"

namespace fl {

namespace {

const char* const SaveFilters[] = {"GIF Images|*.gif", "Jpg Images|*.jpg", "Bitmap Images|*.bmp"};
const char* const DefaultExtensions[] = {"gif", "jpg", "bmp"};

template <typename T> T* Named(T* widget, const char* name)
{
    widget->setObjectName(name);
    return widget;
}

} // namespace

TfrmExporter::TfrmExporter(const TAppServices& services, TEditorContext& context, QWidget* parent)
    : QDialog(parent), services_(services), context_(context)
{
    setObjectName("frmExporter");
    setWindowTitle(tr("Export Images"));
    auto* layout = new QVBoxLayout(this);
    auto* explanation =
        new QLabel(tr("To export any or all the frames as individual image files simply select the "
                      "from the list and choose the image format options, then press OK."),
                   this);
    explanation->setWordWrap(true);
    layout->addWidget(explanation);

    auto* top = new QHBoxLayout;
    lbExport_ = Named(new QListWidget(this), "lbExport");
    lbExport_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    for (int i = 0; i < context.Frames().Count(); ++i)
        lbExport_->addItem(QString("%1 - %2").arg(QString::fromLatin1(FrameItemCaption)).arg(i));
    top->addWidget(lbExport_, 1);
    sbPreview_ = Named(new QScrollArea(this), "sbPreview");
    sbPreview_->setAlignment(Qt::AlignCenter);
    sbPreview_->setMinimumSize(180, 150);
    imgPreview_ = Named(new QLabel(sbPreview_), "imgPreview");
    sbPreview_->setWidget(imgPreview_);
    top->addWidget(sbPreview_, 1);
    layout->addLayout(top, 1);
    connect(lbExport_, &QListWidget::currentRowChanged, this, [this](int line) { ShowPreview(line); });

    auto* formats = new QGroupBox(tr("Export Image(s) as"), this);
    auto* formatRow = new QHBoxLayout(formats);
    optGIF_ = Named(new QRadioButton(tr("&Gif Image (*.gif)"), formats), "optGIF");
    optJpeg_ = Named(new QRadioButton(tr("&Jpeg Image (*.jpg)"), formats), "optJpeg");
    optBitmap_ = Named(new QRadioButton(tr("&Bitmap Image (*.bmp)"), formats), "optBitmap");
    optGIF_->setChecked(true);
    for (QRadioButton* option : {optGIF_, optJpeg_, optBitmap_}) {
        formatRow->addWidget(option);
        connect(option, &QRadioButton::toggled, this, [this] { ShowFormatPanel(); });
    }
    layout->addWidget(formats);
    pnlGIF_ = BuildGifPanel();
    pnlJPEG_ = BuildJpegPanel();
    pnlBitmap_ = BuildBitmapPanel();
    for (QWidget* panel : {pnlGIF_, pnlJPEG_, pnlBitmap_})
        layout->addWidget(panel);
    ShowFormatPanel();

    progress_ = Named(new QProgressBar(this), "Progress");
    progress_->hide();
    layout->addWidget(progress_);
    const TDialogButtons buttons = MakeDialogButtons(*this);
    layout->addLayout(buttons.Row);
    if (lbExport_->count() > 0)
        lbExport_->setCurrentRow(context.Frames().Selected() >= 0 ? context.Frames().Selected() : 0);
    lbExport_->setFocus();
}

QWidget* TfrmExporter::BuildGifPanel()
{
    auto* panel = Named(new QGroupBox(tr("Color Palette"), this), "pnlGIF");
    auto* grid = new QGridLayout(panel);
    optGIFNetscape_ = Named(new QRadioButton(tr("&Netscape (216 colors)"), panel), "optGIFNetscape");
    optGIFWindows_ = Named(new QRadioButton(tr("&Windows"), panel), "optGIFWindows");
    cbGIFColors_ = Named(new QComboBox(panel), "cbGIFColors");
    cbGIFColors_->addItems({"256", "128", "64", "32", "16", "8"});
    optGIFWinSys20_ = Named(new QRadioButton(tr("Windows &System (20 colors)"), panel), "optGIFWinSys20");
    optGIFGray_ = Named(new QRadioButton(tr("G&rayscale (255 shades)"), panel), "optGIFGray");
    optGIFMonochrome_ = Named(new QRadioButton(tr("&Monochrome (b&&w)"), panel), "optGIFMonochrome");
    chkGIFOptimized_ = Named(new QCheckBox(tr("&Optimized"), panel), "chkGIFOptimized");
    optGIFNetscape_->setChecked(true);
    chkGIFOptimized_->setChecked(true);
    grid->addWidget(optGIFNetscape_, 0, 0);
    grid->addWidget(optGIFWindows_, 1, 0);
    grid->addWidget(cbGIFColors_, 1, 1);
    grid->addWidget(new QLabel(tr("(colors)"), panel), 1, 2);
    grid->addWidget(optGIFWinSys20_, 2, 0);
    grid->addWidget(optGIFGray_, 0, 3);
    grid->addWidget(optGIFMonochrome_, 1, 3);
    grid->addWidget(chkGIFOptimized_, 2, 3);
    return panel;
}

QWidget* TfrmExporter::BuildJpegPanel()
{
    auto* panel = Named(new QWidget(this), "pnlJPEG");
    auto* row = new QHBoxLayout(panel);
    auto* quality = new QGroupBox(tr("&Compresson Quality"), panel);
    auto* qualityGrid = new QGridLayout(quality);
    trackbar_ = Named(new QSlider(Qt::Vertical, quality), "trackbar");
    // Position 0 ("Excellent") at the top.
    trackbar_->setRange(0, 4);
    trackbar_->setInvertedAppearance(true);
    trackbar_->setInvertedControls(true);
    trackbar_->setTickPosition(QSlider::TicksRight);
    trackbar_->setValue(2);
    qualityGrid->addWidget(trackbar_, 0, 0, 2, 1);
    qualityGrid->addWidget(new QLabel(tr("Excellent"), quality), 0, 1, Qt::AlignTop);
    qualityGrid->addWidget(new QLabel(tr("Poor"), quality), 1, 1, Qt::AlignBottom);
    row->addWidget(quality);

    auto* display = new QGroupBox(tr("Display"), panel);
    auto* displayLayout = new QVBoxLayout(display);
    chkJProgress_ = Named(new QCheckBox(tr("&Progressive Display"), display), "chkJProgress");
    chkJSmooth_ = Named(new QCheckBox(tr("S&moothing"), display), "chkJSmooth");
    chkJGrayscale_ = Named(new QCheckBox(tr("G&rayscale"), display), "chkJGrayscale");
    chkJSmooth_->setEnabled(false);
    for (QCheckBox* box : {chkJProgress_, chkJSmooth_, chkJGrayscale_})
        displayLayout->addWidget(box);
    connect(chkJProgress_, &QCheckBox::toggled, this, [this](bool progressive) {
        chkJSmooth_->setEnabled(progressive);
        if (!progressive)
            chkJSmooth_->setChecked(false);
    });
    row->addWidget(display);

    auto* performance = new QGroupBox(tr("Performance"), panel);
    auto* performanceLayout = new QVBoxLayout(performance);
    optJBestQuality_ = Named(new QRadioButton(tr("Best &Quality"), performance), "optJBestQuality");
    optJSpdQuality_ = Named(new QRadioButton(tr("Best &Speed"), performance), "optJSpdQuality");
    optJBestQuality_->setChecked(true);
    performanceLayout->addWidget(optJBestQuality_);
    performanceLayout->addWidget(optJSpdQuality_);
    row->addWidget(performance);
    return panel;
}

QWidget* TfrmExporter::BuildBitmapPanel()
{
    auto* panel = Named(new QWidget(this), "pnlBitmap");
    auto* row = new QHBoxLayout(panel);
    chkBMono_ = Named(new QCheckBox(tr("&Monochrome (b&&w)"), panel), "chkBMono");
    row->addWidget(chkBMono_);
    row->addStretch(1);
    return panel;
}

void TfrmExporter::ShowFormatPanel()
{
    pnlGIF_->setVisible(optGIF_->isChecked());
    pnlJPEG_->setVisible(optJpeg_->isChecked());
    pnlBitmap_->setVisible(optBitmap_->isChecked());
}

void TfrmExporter::ShowPreview(int line)
{
    imgPreview_->clear();
    TGIFImage& animation = context_.Animation();
    if (line < 0 || line >= animation.Frames.Count())
        return;
    // A frame that cannot be drawn shows nothing.
    try {
        if (const TBitmap* picture = animation.Frames[line]->RenderBitmap()) {
            imgPreview_->setPixmap(QPixmap::fromImage(ToQImage(*picture)));
            imgPreview_->adjustSize();
        }
    } catch (const std::exception&) {
        imgPreview_->clear();
    }
}

TFrameExportOptions TfrmExporter::Options() const
{
    TFrameExportOptions options;
    options.Format = optJpeg_->isChecked()     ? TExportFormat::Jpeg
                     : optBitmap_->isChecked() ? TExportFormat::Bitmap
                                               : TExportFormat::Gif;
    options.Palette = optGIFWindows_->isChecked()      ? TExportPalette::Windows
                      : optGIFWinSys20_->isChecked()   ? TExportPalette::WindowsSystem
                      : optGIFGray_->isChecked()       ? TExportPalette::Grayscale
                      : optGIFMonochrome_->isChecked() ? TExportPalette::Monochrome
                                                       : TExportPalette::Netscape;
    options.WindowsColors = cbGIFColors_->currentText().toInt();
    options.Optimized = chkGIFOptimized_->isChecked();
    options.Jpeg.Quality = JpegQualityForPosition(trackbar_->value());
    options.Jpeg.Progressive = chkJProgress_->isChecked();
    options.Jpeg.Grayscale = chkJGrayscale_->isChecked();
    options.Jpeg.FastDct = optJSpdQuality_->isChecked();
    options.Monochrome = chkBMono_->isChecked();
    return options;
}

std::vector<int> TfrmExporter::SelectedFrames() const
{
    std::vector<int> frames;
    for (int i = 0; i < lbExport_->count(); ++i)
        if (lbExport_->item(i)->isSelected())
            frames.push_back(i);
    return frames;
}

void TfrmExporter::accept()
{
    if (SelectedFrames().empty() || Export())
        QDialog::accept();
}

bool TfrmExporter::Export()
{
    const TFrameExportOptions options = Options();
    const auto format = static_cast<size_t>(options.Format);
    TFileDialogRequest request;
    request.Kind = TFileDialogKind::Save;
    request.Filter = SaveFilters[format];
    request.DefaultExt = DefaultExtensions[format];
    request.InitialDir = context_.Values().InitialDir;
    const TFileDialogAnswer answer = services_.Dialogs.Run(request);
    if (!answer.Accepted || answer.Files.empty())
        return false;
    const std::vector<int> frames = SelectedFrames();
    progress_->setRange(0, static_cast<int>(frames.size()));
    progress_->setValue(0);
    progress_->show();
    TFrameExportReport report;
    try {
        TBusyCursor busy(services_.Messages);
        report = ExportFrames(context_.Animation(), frames, answer.Files.front(), options,
                              [this](int position, int) { progress_->setValue(position); });
    } catch (const std::exception& error) {
        progress_->hide();
        ShowErrorMessage(services_.Messages, error.what());
        return true;
    }
    progress_->hide();
    // Frames that could not be written are named; the others stay written.
    if (!report.Failed.empty()) {
        std::string text = "These images could not be written:";
        for (const auto& [file, reason] : report.Failed)
            text += "\n" + file + ": " + reason;
        ShowErrorMessage(services_.Messages, text);
    } else if (report.Error) {
        ShowMessageBox(services_.Messages, TMsgDlgType::mtInformation, ExportErrorMessage,
                       {TMsgDlgBtn::mbOK});
    }
    return true;
}

} // namespace fl
