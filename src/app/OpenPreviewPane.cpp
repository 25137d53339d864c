// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/OpenPreviewPane.h"

#include <QAbstractItemView>
#include <QBoxLayout>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPixmap>
#include <QResizeEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>

#include <algorithm>
#include <exception>
#include <functional>
#include <new>
#include <string>

#include "app/BitmapImage.h"
#include "editing/FileTypes.h"
#include "io/ImageFileReader.h"
#include "io/ImagingControl.h"
#include "platform/Bitmap.h"
#include "platform/MessageService.h"
#include "platform/SettingsKeys.h"

namespace fl {

namespace {

// The splitter reports the first time the layout gives it a width, so that
// the stored position is applied to the real width rather than to the size
// a widget has before it is laid out.
class TShellSplitter final : public QSplitter {
public:
    explicit TShellSplitter(std::function<void()> laidOut)
        : QSplitter(Qt::Horizontal), laidOut_(std::move(laidOut))
    {
    }

protected:
    void resizeEvent(QResizeEvent* event) override
    {
        QSplitter::resizeEvent(event);
        if (!reported_ && width() > 0) {
            reported_ = true;
            laidOut_();
        }
    }

private:
    std::function<void()> laidOut_;
    bool reported_ = false;
};

// The box layout that holds the widget, searched through the nested layouts.
QBoxLayout* BoxHolding(QLayout* layout, QWidget* widget)
{
    if (!layout)
        return nullptr;
    if (auto* box = qobject_cast<QBoxLayout*>(layout); box && box->indexOf(widget) >= 0)
        return box;
    for (int i = 0; i < layout->count(); ++i)
        if (QBoxLayout* found = BoxHolding(layout->itemAt(i)->layout(), widget))
            return found;
    return nullptr;
}

// The widget the dialog shows in the grid row below its top row: its own
// splitter of the sidebar and the file list.
QWidget* FileArea(QFileDialog& dialog, QGridLayout& grid)
{
    if (auto* own = dialog.findChild<QSplitter*>(QStringLiteral("splitter"), Qt::FindDirectChildrenOnly);
        own && grid.indexOf(own) >= 0)
        return own;
    if (QLayoutItem* item = grid.itemAtPosition(1, 0))
        return item->widget();
    return nullptr;
}

std::string PathText(const QString& path)
{
    const QByteArray bytes = QDir::toNativeSeparators(path).toUtf8();
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

} // namespace

TOpenPreviewPane::TOpenPreviewPane(QFileDialog& dialog, TSettingsStore& settings, TMessageService& messages)
    : dialog_(&dialog), settings_(settings), messages_(messages), reader_(std::make_unique<TImagingFileReader>())
{
    InstallControls();
}

TOpenPreviewPane::~TOpenPreviewPane()
{
    RestoreDialog();
}

void TOpenPreviewPane::InstallControls()
{
    // QFileDialog lays itself out in a grid: the top row ("Look in:", the
    // folder combo box and the tool buttons), then one widget spanning the
    // columns with the sidebar and the file list, then the name and type
    // rows. That widget moves into a splitter of our own, with the preview's
    // scroll box on the right, and the splitter takes its grid cell; so the
    // dialog's sidebar, views and their state stay exactly as Qt made them.
    auto* grid = qobject_cast<QGridLayout*>(dialog_->layout());
    QWidget* fileArea = grid ? FileArea(*dialog_, *grid) : nullptr;
    if (!fileArea)
        return; // a layout we do not know: the dialog stays without preview

    const QSize designed = dialog_->testAttribute(Qt::WA_Resized) ? dialog_->size() : dialog_->sizeHint();

    auto* splitter = new TShellSplitter([this] { SplitterLaidOut(); });
    splitter->setObjectName(QStringLiteral("SplitterShell"));
    delete grid->replaceWidget(fileArea, splitter);
    fileArea_ = fileArea;
    splitter_ = splitter;

    scrollBox_ = new QScrollArea;
    scrollBox_->setObjectName(QStringLiteral("sbxShell"));
    // The scroll area centres a panel smaller than its viewport and puts a
    // larger one at the margin of that axis, and does so again whenever the
    // viewport changes size: moving the splitter re-centres the picture.
    scrollBox_->setWidgetResizable(false);
    scrollBox_->setAlignment(Qt::AlignCenter);
    panel_ = new QWidget;
    panel_->setObjectName(QStringLiteral("pnlShell"));
    panel_->resize(1, 1);
    image_ = new QLabel(panel_);
    image_->setObjectName(QStringLiteral("imgX"));
    image_->setGeometry(0, 0, 1, 1);
    scrollBox_->setWidget(panel_);

    splitter->addWidget(fileArea);
    splitter->addWidget(scrollBox_);
    // The preview keeps its width as the dialog is resized; the file list
    // takes the rest. Neither side can be dragged away entirely.
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 0);
    splitter->setCollapsible(0, false);
    splitter->setCollapsible(1, false);

    // The dimensions go into the top row. Qt's "Look in:" label fills the
    // first grid column, which the wider captions below it size, and the
    // folder combo box starts right after that column: a label placed at
    // the caption's right end would cover the combo box. So the label
    // follows the combo box in the row's own layout instead.
    label_ = new QLabel;
    label_->setObjectName(QStringLiteral("lblShell"));
    QWidget* combo = dialog_->findChild<QComboBox*>(QStringLiteral("lookInCombo"));
    if (QBoxLayout* row = combo ? BoxHolding(grid, combo) : nullptr)
        row->insertWidget(row->indexOf(combo) + 1, label_);
    else
        grid->addWidget(label_, 0, grid->columnCount());

    dialog_->resize(designed.width() + DefaultPreviewWidth + splitter->handleWidth(), designed.height());

    connect(dialog_, &QFileDialog::currentChanged, this, &TOpenPreviewPane::ShowFile);
    connect(dialog_, &QFileDialog::directoryEntered, this, &TOpenPreviewPane::ClearPreview);
    // The list and detail views share one selection model.
    if (auto* list = dialog_->findChild<QAbstractItemView*>(QStringLiteral("listView")))
        if (QItemSelectionModel* selection = list->selectionModel())
            connect(selection, &QItemSelectionModel::selectionChanged, this, &TOpenPreviewPane::SelectionChanged);
    connect(dialog_, &QDialog::finished, this, &TOpenPreviewPane::WritePosition);
}

void TOpenPreviewPane::RestoreDialog()
{
    if (dialog_ && splitter_ && fileArea_) {
        if (auto* grid = qobject_cast<QGridLayout*>(dialog_->layout()))
            delete grid->replaceWidget(splitter_, fileArea_);
    }
    // The splitter takes the scroll box, panel and image with it; a label
    // leaves its layout as it is deleted.
    delete splitter_.data();
    delete label_.data();
}

void TOpenPreviewPane::SplitterLaidOut()
{
    if (!splitter_ || splitter_->count() < 2)
        return;
    laidOut_ = true;
    const int available = std::max(0, splitter_->width() - splitter_->handleWidth());
    // Without a stored position the preview gets its default width.
    const int fallback = std::max(0, available - DefaultPreviewWidth);
    const int position = std::clamp(ReadIntegerSetting(settings_, KeySplitterPreviewPos, fallback), 0, available);
    splitter_->setSizes({position, available - position});
}

void TOpenPreviewPane::WritePosition()
{
    // A dialog closed before it was ever laid out has no position of its
    // own; the stored one stays.
    if (!splitter_ || !laidOut_)
        return;
    WriteIntegerSetting(settings_, KeySplitterPreviewPos, splitter_->sizes().value(0));
}

void TOpenPreviewPane::SelectionChanged()
{
    auto* selection = qobject_cast<QItemSelectionModel*>(sender());
    if (selection && !selection->hasSelection()) {
        ClearPreview();
        return;
    }
    // Typing a name selects its file without making it the current one: the
    // preview follows the selection too, when it is a single file.
    const QStringList files = dialog_ ? dialog_->selectedFiles() : QStringList();
    if (files.size() == 1 && files.first() != shownFile_ && QFileInfo(files.first()).isFile())
        ShowFile(files.first());
}

void TOpenPreviewPane::ClearPreview()
{
    shownFile_.clear();
    if (!image_ || !panel_ || !label_)
        return;
    image_->clear();
    image_->resize(1, 1);
    panel_->resize(1, 1);
    label_->clear();
}

void TOpenPreviewPane::ShowFile(const QString& path)
{
    if (!image_ || !panel_ || !label_ || !scrollBox_)
        return;
    if (path.isEmpty() || QFileInfo(path).isDir()) {
        ClearPreview();
        return;
    }

    TBusyCursor busy(messages_);
    // GIF through our own reader (the first frame as shown), BMP through the
    // engine's, the other still types through the imaging control; each
    // refuses pictures beyond its memory limits.
    QImage picture;
    try {
        TBitmap bitmap;
        const std::string file = PathText(path);
        if (reader_->LoadImage(file, FileTypeIndex(file), bitmap) == icOK)
            picture = ToQImage(bitmap);
    } catch (const std::exception&) {
        // Memory running out on a picture within the limits is a failed
        // load like any other.
        picture = QImage();
    }
    if (picture.isNull()) {
        ClearPreview();
        shownFile_ = path;
        label_->setText(QStringLiteral("Unabled to load image."));
        return;
    }

    shownFile_ = path;
    const int width = picture.width();
    const int height = picture.height();
    scrollBox_->setUpdatesEnabled(false);
    image_->setPixmap(QPixmap::fromImage(std::move(picture)));
    image_->setGeometry(0, 0, width, height);
    panel_->resize(width, height);
    scrollBox_->horizontalScrollBar()->setValue(0);
    scrollBox_->verticalScrollBar()->setValue(0);
    scrollBox_->setUpdatesEnabled(true);
    label_->setText(QStringLiteral("Dimensions: (%1 x %2)").arg(height).arg(width));
}

TPreviewFileDialogService::TPreviewFileDialogService(TSettingsStore& settings, TMessageService& messages,
                                                     QWidget* parent)
    : TQtFileDialogService(parent), settings_(settings), messages_(messages)
{
}

TPreviewFileDialogService::~TPreviewFileDialogService() = default;

void TPreviewFileDialogService::PrepareDialog(QFileDialog& dialog, const TFileDialogRequest& request)
{
    pane_.reset();
    if (request.Preview && ReadIntegerSetting(settings_, KeyNoOpenDlgPreview) == 0)
        pane_ = std::make_unique<TOpenPreviewPane>(dialog, settings_, messages_);
}

void TPreviewFileDialogService::DialogClosed(QFileDialog&)
{
    pane_.reset();
}

} // namespace fl
