// SPDX-License-Identifier: GPL-3.0-or-later
// The single-image export dialog (TfrmExporter, "Export Images"): chosen
// frames of the active animation written as GIF (to a chosen palette), JPEG
// or BMP files, one per frame, with a preview of the frame clicked. The
// engine's ExportFrames writes them; the dialog collects the choices and
// asks for the file name.
#pragma once

#include <QDialog>
#include <vector>

#include "app/AppServices.h"
#include "io/FrameExport.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QProgressBar;
class QRadioButton;
class QScrollArea;
class QSlider;
class QWidget;

namespace fl {

class TEditorContext;

inline constexpr const char* ExportErrorMessage = "An error occurred exporting one or more images.";

class TfrmExporter final : public QDialog {
    Q_OBJECT
public:
    TfrmExporter(const TAppServices& services, TEditorContext& context, QWidget* parent = nullptr);

    // The choices as the controls stand.
    TFrameExportOptions Options() const;
    std::vector<int> SelectedFrames() const;

protected:
    // OK exports the selected frames first; a cancelled save dialog keeps
    // the dialog open.
    void accept() override;

private:
    QWidget* BuildGifPanel();
    QWidget* BuildJpegPanel();
    QWidget* BuildBitmapPanel();
    void ShowPreview(int line);
    void ShowFormatPanel();
    // Asks for the file name and writes; false when the save dialog was
    // cancelled.
    bool Export();

    const TAppServices services_;
    TEditorContext& context_;
    QListWidget* lbExport_ = nullptr;
    QScrollArea* sbPreview_ = nullptr;
    QLabel* imgPreview_ = nullptr;
    QRadioButton* optGIF_ = nullptr;
    QRadioButton* optJpeg_ = nullptr;
    QRadioButton* optBitmap_ = nullptr;
    QWidget* pnlGIF_ = nullptr;
    QWidget* pnlJPEG_ = nullptr;
    QWidget* pnlBitmap_ = nullptr;
    QRadioButton* optGIFNetscape_ = nullptr;
    QRadioButton* optGIFWindows_ = nullptr;
    QComboBox* cbGIFColors_ = nullptr;
    QRadioButton* optGIFWinSys20_ = nullptr;
    QRadioButton* optGIFGray_ = nullptr;
    QRadioButton* optGIFMonochrome_ = nullptr;
    QCheckBox* chkGIFOptimized_ = nullptr;
    QSlider* trackbar_ = nullptr;
    QCheckBox* chkJProgress_ = nullptr;
    QCheckBox* chkJSmooth_ = nullptr;
    QCheckBox* chkJGrayscale_ = nullptr;
    QRadioButton* optJBestQuality_ = nullptr;
    QRadioButton* optJSpdQuality_ = nullptr;
    QCheckBox* chkBMono_ = nullptr;
    QProgressBar* progress_ = nullptr;
};

} // namespace fl
