// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/FLListBox.h"

#include <QCoreApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>
#include <QStyledItemDelegate>
#include <algorithm>
#include <cstdlib>

#include "app/ListBoxHrz.h"

namespace fl {

namespace {

// Hands every item to the list's own drawing, so that the owner decides
// what an item looks like.
class TOwnerDrawDelegate final : public QStyledItemDelegate {
public:
    explicit TOwnerDrawDelegate(TFLListBox& list) : QStyledItemDelegate(&list), list_(list) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        painter->save();
        list_.DrawItem(*painter, index.row(), option.rect, option.state & QStyle::State_Selected,
                       option.state & QStyle::State_HasFocus);
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        if (list_.ItemHeight() > 0)
            size.setHeight(list_.ItemHeight());
        return size;
    }

private:
    TFLListBox& list_;
};

} // namespace

TFLListBox::TFLListBox(QWidget* parent) : QListWidget(parent)
{
    extent_ = new THorizontalExtent(*this);
    BrushColor = palette().color(QPalette::Button);
    HighlightColor = palette().color(QPalette::Highlight);
    SelTextColor = palette().color(QPalette::HighlightedText);
    setItemDelegate(new TOwnerDrawDelegate(*this));
    // The list runs its own drags; Qt's item drag and drop stays off.
    setDragEnabled(false);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
}

TFLListBox::~TFLListBox()
{
    extent_->Detach();
}

QString TFLListBox::CaptionText() const
{
    return captionText_;
}

void TFLListBox::SetCaptionText(const QString& text)
{
    if (captionText_ != text) {
        captionText_ = text;
        viewport()->update();
    }
}

int TFLListBox::CurrentWidth() const
{
    return extent_->Width();
}

void TFLListBox::SetCurrentWidth(int width)
{
    extent_->SetWidth(width);
}

void TFLListBox::SetItemHeight(int height)
{
    if (height != itemHeight_) {
        itemHeight_ = std::max(0, height);
        // Item sizes are cached by the view: lay them out again.
        doItemsLayout();
    }
}

void TFLListBox::DrawItem(QPainter& painter, int index, const QRect& rect, bool selected, bool focused)
{
    painter.setFont(font());
    QColor brush = palette().color(QPalette::Base);
    QColor text = palette().color(QPalette::Text);
    if (index >= 0 && selected) {
        brush = HighlightColor;
        text = SelTextColor;
    }
    painter.setBrush(brush);
    painter.setPen(text);
    if (index < 0) {
        painter.fillRect(rect, brush);
        return;
    }
    if (OnDrawItem) {
        OnDrawItem(painter, index, rect, selected, focused);
    } else {
        painter.fillRect(rect, brush);
        const QListWidgetItem* entry = item(index);
        const QString caption = entry ? entry->text() : QString();
        // Two pixels in from the edge the text starts at, which is the right
        // edge in right-to-left reading order.
        const QRect textRect = rect.adjusted(2, 0, -2, 0);
        const Qt::Alignment side = layoutDirection() == Qt::RightToLeft ? Qt::AlignRight : Qt::AlignLeft;
        painter.drawText(textRect, static_cast<int>(Qt::AlignVCenter | side) | Qt::TextSingleLine, caption);
    }
    if (focused && DrawOutlineRect) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = rect;
        option.backgroundColor = brush;
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
}

void TFLListBox::paintEvent(QPaintEvent* event)
{
    QListWidget::paintEvent(event);
    if (count() == 0 && !captionText_.isEmpty()) {
        QPainter painter(viewport());
        painter.setFont(font());
        painter.setPen(palette().color(QPalette::Text));
        const QRect area = viewport()->rect().adjusted(5, 5, 0, 0);
        painter.drawText(area, static_cast<int>(Qt::AlignLeft | Qt::AlignTop) | Qt::TextSingleLine,
                         captionText_);
    }
}

void TFLListBox::updateGeometries()
{
    QListWidget::updateGeometries();
    if (extent_)
        extent_->ApplyToScrollBar();
}

QByteArray TFLListBox::DragSource() const
{
    // Process and list together name the source: another instance of the
    // program may have a list at the same address.
    return QByteArray::number(QCoreApplication::applicationPid()) + ':' +
           QByteArray::number(reinterpret_cast<quintptr>(this));
}

std::unique_ptr<QMimeData> TFLListBox::CreateDragData() const
{
    auto mime = std::make_unique<QMimeData>();
    mime->setData(QString::fromLatin1(ItemMimeType), DragSource());
    return mime;
}

bool TFLListBox::IsOwnDrag(const QMimeData& mime) const
{
    const QString type = QString::fromLatin1(ItemMimeType);
    return mime.hasFormat(type) && mime.data(type) == DragSource();
}

int TFLListBox::ItemAt(const QPointF& position) const
{
    const QModelIndex index = indexAt(position.toPoint());
    return index.isValid() ? index.row() : -1;
}

bool TFLListBox::AcceptsDrop(const QMimeData& mime, int index) const
{
    if (IsOwnDrag(mime))
        return index >= 0 && index < count();
    return AcceptsForeignDrag && AcceptsForeignDrag(mime, index);
}

void TFLListBox::mousePressEvent(QMouseEvent* event)
{
    dragPending_ = false;
    const QPoint position = event->position().toPoint();
    const int row = ItemAt(event->position());
    if (focusPolicy() & Qt::ClickFocus)
        setFocus(Qt::MouseFocusReason);
    if (event->button() == Qt::RightButton) {
        if (row >= 0) {
            setCurrentRow(row);
            emit RightPressed(row);
        }
        event->accept();
        return;
    }
    if (row < 0) {
        // A press beside the items keeps the selection: the document keeps
        // showing its frame.
        event->accept();
        return;
    }
    QListWidget::mousePressEvent(event);
    const QListWidgetItem* pressed = item(row);
    if (event->button() == Qt::LeftButton && row == currentRow() && pressed && pressed->isSelected()) {
        dragPending_ = true;
        dragStart_ = position;
    }
}

void TFLListBox::mouseMoveEvent(QMouseEvent* event)
{
    if (dragPending_) {
        if (!(event->buttons() & Qt::LeftButton)) {
            dragPending_ = false;
        } else {
            // Until the drag starts the selection stays on the pressed item
            // rather than following the mouse.
            const QPoint moved = event->position().toPoint() - dragStart_;
            if (std::abs(moved.x()) >= DragThreshold || std::abs(moved.y()) >= DragThreshold) {
                dragPending_ = false;
                StartItemDrag();
            }
            event->accept();
            return;
        }
    }
    QListWidget::mouseMoveEvent(event);
}

void TFLListBox::mouseReleaseEvent(QMouseEvent* event)
{
    dragPending_ = false;
    QListWidget::mouseReleaseEvent(event);
}

void TFLListBox::StartItemDrag()
{
    if (currentRow() < 0)
        return;
    // Qt owns the drag object and deletes it once the drag is over.
    auto* drag = new QDrag(this);
    drag->setMimeData(CreateDragData().release());
    if (!dragCursor_.isNull())
        drag->setDragCursor(dragCursor_, Qt::MoveAction);
    drag->exec(Qt::MoveAction);
}

void TFLListBox::dragEnterEvent(QDragEnterEvent* event)
{
    // Entering only decides whether the list wants the drag at all; the
    // move event that always follows decides for the position.
    const QMimeData* mime = event->mimeData();
    if (mime && IsOwnDrag(*mime)) {
        event->setDropAction(Qt::MoveAction);
        event->accept();
    } else if (mime && AcceptsForeignDrag) {
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

void TFLListBox::dragMoveEvent(QDragMoveEvent* event)
{
    const QMimeData* mime = event->mimeData();
    if (!mime || !AcceptsDrop(*mime, ItemAt(event->position()))) {
        event->ignore();
        return;
    }
    if (IsOwnDrag(*mime)) {
        event->setDropAction(Qt::MoveAction);
        event->accept();
    } else {
        event->acceptProposedAction();
    }
}

void TFLListBox::dropEvent(QDropEvent* event)
{
    const QMimeData* mime = event->mimeData();
    const int target = ItemAt(event->position());
    if (!mime || !AcceptsDrop(*mime, target)) {
        event->ignore();
        return;
    }
    if (IsOwnDrag(*mime)) {
        const int source = currentRow();
        if (source < 0 || source >= count() || target == source) {
            event->ignore();
            return;
        }
        event->setDropAction(Qt::MoveAction);
        event->accept();
        emit ItemMoveRequested(source, target);
        return;
    }
    event->acceptProposedAction();
    if (OnForeignDrop)
        OnForeignDrop(*mime, target);
}

} // namespace fl
