// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/MDIChild.h"

#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEvent>
#include <QFrame>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <exception>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/AppIcons.h"
#include "app/BitmapImage.h"
#include "app/ColorComboBox.h"
#include "app/FLListBox.h"
#include "app/ThumbnailDrag.h"
#include "document/Document.h"
#include "document/EditorContext.h"
#include "gif/GIFImage.h"
#include "gif/SubImage.h"
#include "platform/Bitmap.h"
#include "platform/MessageService.h"

namespace fl {

namespace {

constexpr std::array<int, 3> PanelWidths = {20, 75, 50};

// Turns the pixels the mask marks (bit 1) fully transparent.
QImage ApplyMask(QImage image, const TBitmap& mask)
{
    image = image.convertToFormat(QImage::Format_ARGB32);
    const int width = std::min(image.width(), mask.Width());
    const int height = std::min(image.height(), mask.Height());
    for (int y = 0; y < height; ++y) {
        const uint8_t* bits = mask.ScanLine(y);
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            if (bits[x / 8] & (0x80 >> (x % 8)))
                row[x] = qRgba(0, 0, 0, 0);
    }
    return image;
}

// Keeps the document's painting suspended for a scope, also on error.
class TRedrawSuspender {
public:
    explicit TRedrawSuspender(QWidget& widget) : widget_(widget), wasEnabled_(widget.updatesEnabled())
    {
        widget_.setUpdatesEnabled(false);
    }
    ~TRedrawSuspender()
    {
        widget_.setUpdatesEnabled(wasEnabled_);
        widget_.update();
    }
    TRedrawSuspender(const TRedrawSuspender&) = delete;
    TRedrawSuspender& operator=(const TRedrawSuspender&) = delete;

private:
    QWidget& widget_;
    bool wasEnabled_;
};

} // namespace

// The paint box: the shown frame's rendering, transparent pixels over the
// frame background color, with a dotted outline.
class TFrameView final : public QWidget {
public:
    TFrameView(const TProgramValues& values, QWidget* parent) : QWidget(parent), values_(values) {}

    // The left button went down here and the mouse moved far enough.
    std::function<void()> OnDragStart;

    void SetFrame(QImage image, bool transparent)
    {
        image_ = std::move(image);
        transparent_ = transparent;
        update();
    }
    const QImage& Image() const { return image_; }

protected:
    // The picture fills the widget, which the zoom sizes: enlarged pixels
    // stay sharp blocks, a reduced picture is smoothed.
    void paintEvent(QPaintEvent*) override
    {
        if (image_.isNull())
            return;
        QPainter painter(this);
        const QRect area = rect();
        if (transparent_)
            painter.fillRect(area, ColorFromValue(values_.FrameTransparentColor));
        painter.setRenderHint(QPainter::SmoothPixmapTransform, area.width() < image_.width());
        painter.drawImage(area, image_);
        DrawOutline(painter, area.width(), area.height());
    }

    void mousePressEvent(QMouseEvent* event) override
    {
        dragPending_ = event->button() == Qt::LeftButton;
        pressedAt_ = event->position().toPoint();
        QWidget::mousePressEvent(event);
    }
    void mouseMoveEvent(QMouseEvent* event) override
    {
        if (dragPending_ && (event->buttons() & Qt::LeftButton)) {
            const QPoint moved = event->position().toPoint() - pressedAt_;
            if (std::abs(moved.x()) >= TFLListBox::DragThreshold ||
                std::abs(moved.y()) >= TFLListBox::DragThreshold) {
                dragPending_ = false;
                if (OnDragStart)
                    OnDragStart();
            }
        }
        QWidget::mouseMoveEvent(event);
    }
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        dragPending_ = false;
        QWidget::mouseReleaseEvent(event);
    }

private:
    // Every other pixel of the path from the top-left corner to the
    // top-right, bottom-right and bottom-left ones, one pixel inside the
    // right and bottom edges.
    static void DrawOutline(QPainter& painter, int width, int height)
    {
        std::vector<QPoint> path;
        for (int x = 0; x < width - 1; ++x)
            path.emplace_back(x, 0);
        for (int y = 0; y < height - 1; ++y)
            path.emplace_back(width - 1, y);
        for (int x = width - 1; x > 0; --x)
            path.emplace_back(x, height - 1);
        painter.setPen(QPen(Qt::black, 1));
        for (size_t i = 0; i < path.size(); i += 2)
            painter.drawPoint(path[i]);
    }

    const TProgramValues& values_;
    QImage image_;
    bool transparent_ = false;
    bool dragPending_ = false;
    QPoint pressedAt_;
};

// The status bar: panel 0 the modified mark, panel 1 "Modified", panel 2
// the file name and size; the last panel takes what width is left.
class TDocumentStatusBar final : public QWidget {
public:
    TDocumentStatusBar(const TDocument& document, QWidget* parent) : QWidget(parent), document_(document)
    {
        setMouseTracking(true);
        setFixedHeight(std::max(19, fontMetrics().height() + 6));
    }

    QString Text(int panel) const { return panel >= 0 && panel < 3 ? texts_[size_t(panel)] : QString(); }
    void SetText(int panel, const QString& text)
    {
        if (panel >= 0 && panel < 3 && texts_[size_t(panel)] != text) {
            texts_[size_t(panel)] = text;
            update();
        }
    }
    QRect PanelRect(int panel) const
    {
        int left = 0;
        for (int i = 0; i < panel; ++i)
            left += PanelWidths[size_t(i)];
        const int width =
            panel == 2 ? std::max(PanelWidths[2], this->width() - left) : PanelWidths[size_t(panel)];
        return {left, 0, width, height()};
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), palette().color(QPalette::Button));
        if (!document_.Modified())
            texts_[1].clear();
        for (int panel = 0; panel < 3; ++panel) {
            const QRect box = PanelRect(panel).adjusted(0, 2, -2, 0);
            painter.setPen(palette().color(QPalette::Mid));
            painter.drawLine(box.topLeft(), box.topRight());
            painter.drawLine(box.topLeft(), box.bottomLeft());
            painter.setPen(palette().color(QPalette::Light));
            painter.drawLine(box.topRight(), box.bottomRight());
            if (panel == 0) {
                if (document_.Modified()) {
                    const QPixmap mark = ModifiedMark();
                    painter.drawPixmap(box.center().x() - mark.width() / 2 + 1,
                                       box.center().y() - mark.height() / 2 + 1, mark);
                }
                continue;
            }
            painter.setPen(palette().color(QPalette::ButtonText));
            const QRect textBox = box.adjusted(3, 0, -2, 0);
            const QString shown =
                fontMetrics().elidedText(texts_[size_t(panel)], Qt::ElideRight, textBox.width());
            painter.drawText(textBox, static_cast<int>(Qt::AlignLeft | Qt::AlignVCenter) | Qt::TextSingleLine,
                             shown);
        }
    }

    void mouseMoveEvent(QMouseEvent* event) override
    {
        // The hint covers the mark and the "Modified" panel's width.
        if (event->position().x() <= PanelWidths[1])
            setToolTip(document_.Modified() ? QStringLiteral("Animation is modified") : QString());
        QWidget::mouseMoveEvent(event);
    }

private:
    const TDocument& document_;
    std::array<QString, 3> texts_;
};

TMDIChild::TMDIChild(TEditorContext& context, TDocument& document, QWidget* parent)
    : QWidget(parent), context_(context), document_(document)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    sbox_ = new QScrollArea(this);
    sbox_->setObjectName(QStringLiteral("sbox"));
    sbox_->setWidgetResizable(false);
    sbox_->setFrameShape(QFrame::NoFrame);
    screenArea_ = new QWidget;
    sbox_->setWidget(screenArea_);
    sbox_->viewport()->installEventFilter(this);

    pnlFrame_ = new QFrame(screenArea_);
    pnlFrame_->setObjectName(QStringLiteral("pnlFrame"));
    pnlFrame_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    pnlFrame_->setLineWidth(1);
    pnlFrame_->setAutoFillBackground(true);
    pnlFrame_->resize(0, 0);

    pb_ = new TFrameView(context_.Values(), pnlFrame_);
    pb_->setObjectName(QStringLiteral("pb"));
    pb_->resize(0, 0);
    pb_->OnDragStart = [this] { StartViewDrag(); };

    statusBar_ = new TDocumentStatusBar(document_, this);
    statusBar_->setObjectName(QStringLiteral("StatusBarMDI"));

    layout->addWidget(sbox_, 1);
    layout->addWidget(statusBar_);

    for (QWidget* target : {static_cast<QWidget*>(pnlFrame_), static_cast<QWidget*>(pb_)}) {
        target->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(target, &QWidget::customContextMenuRequested, this,
                [this, target](const QPoint& position) { ShowFrameMenu(target, position); });
    }
    setAcceptDrops(true);
    DocumentChanged();
}

TMDIChild::~TMDIChild() = default;

namespace {

// A card of the frame list, the shown frame of a document other than this
// one, or a thumbnail.
bool IsAcceptedDrag(const TMDIChild& target, const QMimeData& mime)
{
    return mime.hasFormat(QString::fromLatin1(TFLListBox::ItemMimeType)) ||
           (mime.hasFormat(QString::fromLatin1(TMDIChild::ViewMimeType)) && !target.IsDragOf(mime)) ||
           ThumbnailDragFile(mime).has_value();
}

} // namespace

void TMDIChild::dragEnterEvent(QDragEnterEvent* event)
{
    dragMoveEvent(event);
}

void TMDIChild::dragMoveEvent(QDragMoveEvent* event)
{
    if (!IsAcceptedDrag(*this, *event->mimeData())) {
        event->ignore();
        return;
    }
    // A thumbnail over a document is no longer over the empty workspace.
    context_.ThumbnailDrag = false;
    event->acceptProposedAction();
}

void TMDIChild::dropEvent(QDropEvent* event)
{
    const QMimeData& mime = *event->mimeData();
    if (!IsAcceptedDrag(*this, mime)) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    context_.ThumbnailDrag = false;
    if (const std::optional<std::string> file = ThumbnailDragFile(mime)) {
        if (OnThumbnailDropped)
            OnThumbnailDropped(*this, *file);
    } else if (OnFrameDropped) {
        OnFrameDropped(*this);
    }
}

std::unique_ptr<QMimeData> TMDIChild::CreateDragData() const
{
    // The window's address only names it: whoever takes the drop finds the
    // window among the open ones before using it.
    auto mime = std::make_unique<QMimeData>();
    mime->setData(QString::fromLatin1(ViewMimeType),
                  QByteArray::number(static_cast<qulonglong>(reinterpret_cast<quintptr>(this))));
    return mime;
}

bool TMDIChild::IsDragOf(const QMimeData& mime) const
{
    return mime.hasFormat(QString::fromLatin1(ViewMimeType)) &&
           mime.data(QString::fromLatin1(ViewMimeType)) ==
               QByteArray::number(static_cast<qulonglong>(reinterpret_cast<quintptr>(this)));
}

void TMDIChild::StartViewDrag()
{
    if (viewBitmap_.Empty())
        return;
    // Qt owns the drag object and deletes it once the drag is over.
    auto* drag = new QDrag(this);
    drag->setMimeData(CreateDragData().release());
    drag->setDragCursor(DragCursor().pixmap(), Qt::CopyAction);
    drag->exec(Qt::CopyAction);
}

QWidget* TMDIChild::PaintBox() const
{
    return pb_;
}

QString TMDIChild::PanelText(int panel) const
{
    return statusBar_->Text(panel);
}

void TMDIChild::SetPanelText(int panel, const QString& text)
{
    if (panel == 2)
        sizeText_ = false;
    statusBar_->SetText(panel, text);
}

void TMDIChild::ShowSizeText()
{
    screenWidth_ = context_.Animation().Width();
    screenHeight_ = context_.Animation().Height();
    sizeText_ = true;
    statusBar_->SetText(2, SizeText());
}

void TMDIChild::SetFrameMenu(QMenu* menu)
{
    frameMenu_ = menu;
}

void TMDIChild::ShowFrameMenu(QWidget* source, const QPoint& position)
{
    if (frameMenu_)
        frameMenu_->popup(source->mapToGlobal(position));
}

bool TMDIChild::ShowFrame(int index)
{
    TGIFImage& animation = context_.Animation();
    if (index < 0 || index >= animation.Frames.Count())
        return false;
    TGIFSubImage& frame = *animation.Frames[index];
    if (frame.IsEmpty())
        return false;
    const bool transparent = frame.ControlBlock && frame.ControlBlock->Transparent();
    QImage image;
    try {
        // Making sure of the mask may render again: take the bitmap afterwards.
        const bool masked = transparent && frame.MaskAvailable();
        const TBitmap* bitmap = frame.RenderBitmap();
        if (!bitmap || bitmap->Empty())
            return false;
        image = ToQImage(*bitmap);
        viewBitmap_ = *bitmap;
        if (masked && bitmap->Mask())
            image = ApplyMask(std::move(image), *bitmap->Mask());
    } catch (const std::exception& error) {
        // A frame the engine cannot render is said so; the view stays as it was.
        ShowErrorMessage(context_.Messages(), error.what());
        return false;
    }

    TRedrawSuspender suspended(*sbox_);
    screenWidth_ = animation.Width();
    screenHeight_ = animation.Height();
    frameRect_ = QRect(frame.Left(), frame.Top(), frame.Width(), frame.Height());
    if (fitWindow_)
        zoom_ = FittingZoom();
    sizeText_ = true;
    statusBar_->SetText(2, SizeText());
    LayOutScreen();
    pb_->SetFrame(std::move(image), transparent);

    ColorFromFirstFrame(*animation.Frames[0]);
    shownFrame_ = index;
    return true;
}

void TMDIChild::ColorFromFirstFrame(TGIFSubImage& first)
{
    // The area around the frame shows the color of the first frame's
    // bottom-left corner (one pixel in). A first frame the engine cannot
    // draw (no colors anywhere) leaves the color as it was: the shown frame
    // is drawn all the same.
    const TBitmap* bitmap = nullptr;
    try {
        bitmap = first.IsEmpty() ? nullptr : first.RenderBitmap();
    } catch (const std::exception&) {
        return;
    }
    if (bitmap && bitmap->Width() > 1 && bitmap->Height() > 0) {
        const uint32_t rgb = bitmap->PixelColor(1, bitmap->Height() - 1);
        QPalette colors = pnlFrame_->palette();
        colors.setColor(QPalette::Window, QColor::fromRgb(QRgb(rgb)));
        pnlFrame_->setPalette(colors);
    }
}

QString TMDIChild::SizeText() const
{
    QString text = QStringLiteral("%1 - [Height: %2 x Width: %3]")
                       .arg(QString::fromStdString(document_.ShortName()))
                       .arg(screenHeight_)
                       .arg(screenWidth_);
    if (zoom_ != 1)
        text += QStringLiteral(" %1%").arg(qRound(zoom_ * 100));
    return text;
}

namespace {

// The zoom steps: each doubles or halves, with 1.5 and 3 between 1 and 4
// for small animations.
constexpr std::array<double, 11> ZoomSteps = {0.125, 0.25, 0.5, 1, 1.5, 2, 3, 4, 8, 16, 32};

QRect Scaled(const QRect& rect, double zoom)
{
    const int left = int(std::floor(rect.left() * zoom));
    const int top = int(std::floor(rect.top() * zoom));
    return QRect(left, top, std::max(1, int(std::floor((rect.left() + rect.width()) * zoom)) - left),
                 std::max(1, int(std::floor((rect.top() + rect.height()) * zoom)) - top));
}

} // namespace

void TMDIChild::LayOutScreen()
{
    const QRect screen = Scaled(QRect(0, 0, screenWidth_, screenHeight_), zoom_);
    pnlFrame_->resize(screen.size());
    CenterFrame();
    pb_->setGeometry(Scaled(frameRect_, zoom_));
}

double TMDIChild::FittingZoom() const
{
    if (screenWidth_ <= 0 || screenHeight_ <= 0)
        return 1;
    const QSize room = sbox_->viewport()->size() - QSize(2 * ScrollMargin, 2 * ScrollMargin);
    const double zoom = std::min(double(room.width()) / screenWidth_, double(room.height()) / screenHeight_);
    return std::clamp(zoom, MinZoom, MaxZoom);
}

void TMDIChild::ApplyZoom(double zoom, bool fit)
{
    zoom = std::clamp(zoom, MinZoom, MaxZoom);
    fitWindow_ = fit;
    if (zoom == zoom_)
        return;
    zoom_ = zoom;
    {
        TRedrawSuspender suspended(*sbox_);
        LayOutScreen();
        if (sizeText_)
            statusBar_->SetText(2, SizeText());
    }
    if (OnZoomChanged)
        OnZoomChanged(*this);
}

void TMDIChild::SetZoom(double zoom)
{
    ApplyZoom(zoom, false);
}

void TMDIChild::ZoomIn()
{
    const auto next = std::upper_bound(ZoomSteps.begin(), ZoomSteps.end(), zoom_ + 1e-9);
    SetZoom(next == ZoomSteps.end() ? MaxZoom : *next);
}

void TMDIChild::ZoomOut()
{
    const auto next = std::lower_bound(ZoomSteps.begin(), ZoomSteps.end(), zoom_ - 1e-9);
    SetZoom(next == ZoomSteps.begin() ? MinZoom : *(next - 1));
}

void TMDIChild::FitToWindow()
{
    ApplyZoom(FittingZoom(), true);
}

void TMDIChild::CenterFrame()
{
    const QSize client = sbox_->viewport()->size();
    const QSize panel = pnlFrame_->size();
    const bool fitsAcross = panel.width() <= client.width();
    const bool fitsDown = panel.height() <= client.height();
    screenArea_->resize(fitsAcross ? client.width() : panel.width() + 2 * ScrollMargin,
                        fitsDown ? client.height() : panel.height() + 2 * ScrollMargin);
    pnlFrame_->move(fitsAcross ? (client.width() - panel.width()) / 2 : ScrollMargin,
                    fitsDown ? (client.height() - panel.height()) / 2 : ScrollMargin);
    sbox_->horizontalScrollBar()->setValue(0);
    sbox_->verticalScrollBar()->setValue(0);
}

void TMDIChild::DocumentChanged()
{
    setWindowTitle(QString::fromStdString(document_.FileName()));
    statusBar_->SetText(1, QString::fromStdString(document_.StatusText()));
    if (sizeText_)
        statusBar_->SetText(2, SizeText());
    statusBar_->update();
}

bool TMDIChild::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == sbox_->viewport() && event->type() == QEvent::Resize) {
        if (fitWindow_)
            ApplyZoom(FittingZoom(), true);
        CenterFrame();
    }
    // Ctrl and the wheel zoom, a step a notch; the wheel alone scrolls.
    if (watched == sbox_->viewport() && event->type() == QEvent::Wheel) {
        auto* wheel = static_cast<QWheelEvent*>(event);
        if (wheel->modifiers() & Qt::ControlModifier) {
            // Fine-grained wheels and touchpads send parts of a notch.
            wheelDelta_ += wheel->angleDelta().y();
            for (; wheelDelta_ >= 120; wheelDelta_ -= 120)
                ZoomIn();
            for (; wheelDelta_ <= -120; wheelDelta_ += 120)
                ZoomOut();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace fl
