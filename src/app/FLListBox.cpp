// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/FLListBox.h"

#include <QPainter>
#include <QStyleOptionFocusRect>
#include <QStyledItemDelegate>
#include <algorithm>

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

} // namespace fl
