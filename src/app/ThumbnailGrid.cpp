// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ThumbnailGrid.h"

#include <QDrag>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionFrame>
#include <algorithm>
#include <cstdlib>

#include "app/AppIcons.h"
#include "app/FLListBox.h"
#include "app/ThumbnailDrag.h"

namespace fl {

TThumbnailGrid::TThumbnailGrid(QWidget* parent) : QAbstractScrollArea(parent)
{
    setObjectName("grdThumbs");
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    viewport()->setMouseTracking(false);
}

void TThumbnailGrid::SetCellSize(int size)
{
    cell_ = std::max(size, 1);
    UpdateScrollRange();
    viewport()->update();
}

void TThumbnailGrid::Clear()
{
    cells_.clear();
    pictureBytes_ = 0;
    selected_ = -1;
    UpdateScrollRange();
    viewport()->update();
}

void TThumbnailGrid::Append(const TThumbnailRecord& record, int fileIndex, const QImage& picture)
{
    cells_.push_back({record, fileIndex, {}, false});
    KeepPicture(cells_.back(), picture);
    UpdateScrollRange();
    viewport()->update();
}

void TThumbnailGrid::Refill(int fileIndex, const QImage& picture)
{
    // Cells are in file order, with the unreadable files left out.
    const auto cell = std::lower_bound(cells_.begin(), cells_.end(), fileIndex,
                                       [](const TCell& c, int index) { return c.FileIndex < index; });
    if (cell == cells_.end() || cell->FileIndex != fileIndex || !cell->Picture.isNull())
        return;
    KeepPicture(*cell, picture);
    viewport()->update();
}

void TThumbnailGrid::KeepPicture(TCell& cell, const QImage& picture)
{
    cell.Picture = picture;
    cell.Wanted = false;
    pictureBytes_ += static_cast<size_t>(picture.sizeInBytes());
    if (pictureBytes_ > pictureBudget_)
        TrimPictures();
}

void TThumbnailGrid::SetPictureBudget(size_t bytes)
{
    pictureBudget_ = bytes;
    if (pictureBytes_ > pictureBudget_)
        TrimPictures();
}

std::pair<int, int> TThumbnailGrid::VisibleRange() const
{
    const int width = ColumnWidth();
    const int columns = Columns();
    const int top = verticalScrollBar()->value() / width;
    const int bottom = (verticalScrollBar()->value() + viewport()->height()) / width + 1;
    return {std::min(top * columns, Count()), std::min(bottom * columns, Count())};
}

void TThumbnailGrid::TrimPictures()
{
    const auto [first, last] = VisibleRange();
    const size_t goal = pictureBudget_ / 4 * 3;
    // Alternately from the far end above and below the visible rows.
    int above = 0;
    int below = Count() - 1;
    while (pictureBytes_ > goal && (above < first || below >= last)) {
        const bool takeAbove = above < first && (below < last || first - above >= below - last);
        TCell& cell = cells_[static_cast<size_t>(takeAbove ? above++ : below--)];
        pictureBytes_ -= static_cast<size_t>(cell.Picture.sizeInBytes());
        cell.Picture = QImage();
    }
}

void TThumbnailGrid::Select(int index)
{
    selected_ = index >= 0 && index < Count() ? index : -1;
    viewport()->update();
    emit StatusChanged(selected_ >= 0 ? QString::fromStdString(ThumbnailStatusText(cells_[static_cast<size_t>(selected_)].Record))
                                      : QString());
}

int TThumbnailGrid::ColumnWidth() const
{
    return ThumbnailColumnWidth(fontMetrics().boundingRect(QStringLiteral("Pq")).height(), cell_);
}

int TThumbnailGrid::Columns() const
{
    return ThumbnailColumns(viewport()->width(), ColumnWidth());
}

int TThumbnailGrid::Rows() const
{
    return ThumbnailRows(Count(), Columns());
}

QRect TThumbnailGrid::CellRect(int index) const
{
    const int width = ColumnWidth();
    const int columns = Columns();
    return {(index % columns) * width, (index / columns) * width - verticalScrollBar()->value(), width,
            width};
}

int TThumbnailGrid::ThumbnailAt(const QPoint& point) const
{
    const int width = ColumnWidth();
    const int column = point.x() / width;
    const int row = (point.y() + verticalScrollBar()->value()) / width;
    if (point.x() < 0 || point.y() < 0 || column >= Columns())
        return -1;
    const int index = row * Columns() + column;
    return index < Count() ? index : -1;
}

void TThumbnailGrid::UpdateScrollRange()
{
    const int height = Rows() * ColumnWidth();
    verticalScrollBar()->setPageStep(viewport()->height());
    verticalScrollBar()->setSingleStep(ColumnWidth() / 4 + 1);
    verticalScrollBar()->setRange(0, std::max(0, height - viewport()->height()));
}

void TThumbnailGrid::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollRange();
}

void TThumbnailGrid::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    const QPalette& colors = palette();
    painter.fillRect(viewport()->rect(), colors.color(QPalette::Base));
    const int lineHeight = fontMetrics().height();
    const auto [first, last] = VisibleRange();
    for (int i = first; i < last; ++i) {
        const QRect cell = CellRect(i);
        const QRect inset = cell.adjusted(2, 2, -2, -2);
        const bool selected = i == selected_;
        painter.fillRect(inset, colors.color(selected ? QPalette::Highlight : QPalette::Button));
        painter.setPen(colors.color(selected ? QPalette::HighlightedText : QPalette::ButtonText));
        // The picture centred in the inset cell above the two text lines,
        // inside a sunken edge.
        const QRect picture(inset.left() + (inset.width() - cell_) / 2, inset.top() + 4, cell_, cell_);
        TCell& entry = cells_[static_cast<size_t>(i)];
        if (!entry.Picture.isNull()) {
            // Centred; a picture a pixel larger than the cell loses its
            // last row and column.
            painter.save();
            painter.setClipRect(picture);
            painter.fillRect(picture, colors.color(QPalette::Base));
            painter.drawImage(picture.left() + (cell_ - entry.Picture.width()) / 2,
                              picture.top() + (cell_ - entry.Picture.height()) / 2, entry.Picture);
            painter.restore();
        } else if (!entry.Wanted) {
            entry.Wanted = true;
            emit PictureWanted(entry.FileIndex);
        }
        QStyleOptionFrame edge;
        edge.initFrom(viewport());
        edge.rect = picture.adjusted(-2, -2, 2, 2);
        edge.state |= QStyle::State_Sunken;
        edge.lineWidth = 1;
        style()->drawPrimitive(QStyle::PE_Frame, &edge, &painter, viewport());
        const TThumbnailRecord& record = entry.Record;
        const QRect dimensions(inset.left(), picture.bottom() + 3, inset.width(), lineHeight);
        painter.drawText(dimensions, Qt::AlignHCenter | Qt::AlignTop,
                         QStringLiteral("%1 x %2").arg(record.Height).arg(record.Width));
        const QRect name(inset.left() + 2, inset.bottom() - lineHeight, inset.width() - 4, lineHeight);
        painter.drawText(
            name, Qt::AlignHCenter | Qt::AlignBottom,
            fontMetrics().elidedText(QString::fromStdString(record.FileName), Qt::ElideRight, name.width()));
    }
}

void TThumbnailGrid::mousePressEvent(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    const int index = ThumbnailAt(at);
    setFocus();
    if (index >= 0 || event->button() == Qt::RightButton)
        Select(index);
    if (event->button() == Qt::LeftButton && index >= 0) {
        dragPending_ = true;
        dragStart_ = at;
    }
    if (event->button() == Qt::RightButton)
        emit MenuRequested(event->globalPosition().toPoint());
}

void TThumbnailGrid::mouseMoveEvent(QMouseEvent* event)
{
    if (!dragPending_ || !(event->buttons() & Qt::LeftButton))
        return;
    const QPoint moved = event->position().toPoint() - dragStart_;
    if (std::abs(moved.x()) >= TFLListBox::DragThreshold ||
        std::abs(moved.y()) >= TFLListBox::DragThreshold) {
        dragPending_ = false;
        StartDrag();
    }
}

void TThumbnailGrid::mouseReleaseEvent(QMouseEvent*)
{
    dragPending_ = false;
}

void TThumbnailGrid::mouseDoubleClickEvent(QMouseEvent* event)
{
    const int index = ThumbnailAt(event->position().toPoint());
    if (index >= 0)
        emit OpenRequested(index);
}

void TThumbnailGrid::keyPressEvent(QKeyEvent* event)
{
    const int columns = Columns();
    int next = selected_;
    switch (event->key()) {
    case Qt::Key_Left:
        next = std::max(selected_ - 1, 0);
        break;
    case Qt::Key_Right:
        next = std::min(selected_ + 1, Count() - 1);
        break;
    case Qt::Key_Up:
        next = selected_ - columns >= 0 ? selected_ - columns : selected_;
        break;
    case Qt::Key_Down:
        next = selected_ + columns < Count() ? selected_ + columns : selected_;
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (selected_ >= 0)
            emit OpenRequested(selected_);
        return;
    default:
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    if (next != selected_ && Count() > 0)
        Select(std::max(next, 0));
}

void TThumbnailGrid::StartDrag()
{
    if (selected_ < 0 || !PathOf)
        return;
    // Qt owns the drag object and deletes it once the drag is over.
    auto* drag = new QDrag(this);
    drag->setMimeData(MakeThumbnailDragData(PathOf(selected_)).release());
    if (HasPicture(selected_))
        drag->setPixmap(QPixmap::fromImage(cells_[static_cast<size_t>(selected_)].Picture));
    drag->setDragCursor(DragCursor().pixmap(), Qt::CopyAction);
    drag->exec(Qt::CopyAction);
}

} // namespace fl
