// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/InspectorPalette.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>
#include <cmath>

#include "app/AppIcons.h"

namespace fl {

TLocalPaletteGrid::TLocalPaletteGrid(QWidget* parent) : QWidget(parent)
{
    setObjectName("grdPalette");
    setCursor(EyedropperCursor());
    setMinimumSize(60, 60);
}

void TLocalPaletteGrid::Layout(int count, int& rows, int& columns)
{
    if (count <= 0) {
        rows = columns = 1;
        return;
    }
    rows = std::max(1, static_cast<int>(std::sqrt(static_cast<double>(count))));
    columns = (count + rows - 1) / rows;
}

int TLocalPaletteGrid::CellAt(const QPoint& point, const QSize& size, int count)
{
    if (count <= 0 || point.x() < 0 || point.y() < 0 || point.x() >= size.width() ||
        point.y() >= size.height())
        return -1;
    int rows = 1, columns = 1;
    Layout(count, rows, columns);
    const int cellWidth = std::max(1, size.width() / columns);
    const int cellHeight = std::max(1, size.height() / rows);
    const int column = point.x() / cellWidth;
    const int row = point.y() / cellHeight;
    if (column >= columns || row >= rows)
        return -1;
    const int index = column + row * columns;
    return index < count ? index : -1;
}

QRect TLocalPaletteGrid::CellRect(int index) const
{
    const int count = static_cast<int>(colors_.size());
    if (index < 0 || index >= count)
        return {};
    int rows = 1, columns = 1;
    Layout(count, rows, columns);
    const int cellWidth = std::max(1, width() / columns);
    const int cellHeight = std::max(1, height() / rows);
    return {(index % columns) * cellWidth, (index / columns) * cellHeight, cellWidth, cellHeight};
}

void TLocalPaletteGrid::SetColors(const std::vector<TColor>& colors, bool hasPalette)
{
    colors_ = hasPalette ? colors : std::vector<TColor>();
    hasPalette_ = hasPalette;
    if (selected_ >= static_cast<int>(colors_.size()))
        selected_ = -1;
    update();
}

void TLocalPaletteGrid::Select(int index)
{
    selected_ = index >= 0 && index < static_cast<int>(colors_.size()) ? index : -1;
    update();
}

void TLocalPaletteGrid::mousePressEvent(QMouseEvent* event)
{
    const int index = CellAt(event->position().toPoint(), size(), static_cast<int>(colors_.size()));
    if (index >= 0 && (event->button() == Qt::LeftButton || event->button() == Qt::RightButton)) {
        Select(index);
        emit CellChosen(index);
    }
    if (event->button() == Qt::RightButton)
        emit MenuRequested(event->globalPosition().toPoint());
    QWidget::mousePressEvent(event);
}

void TLocalPaletteGrid::mouseDoubleClickEvent(QMouseEvent* event)
{
    const int index = CellAt(event->position().toPoint(), size(), static_cast<int>(colors_.size()));
    if (index >= 0 && event->button() == Qt::LeftButton)
        emit CellDoubleClicked(index);
    QWidget::mouseDoubleClickEvent(event);
}

void TLocalPaletteGrid::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Button));
    if (!hasPalette_) {
        // The white caption needs a dark ground whatever the style's colors.
        painter.fillRect(rect(), palette().color(QPalette::Dark).darker(150));
        const QPixmap logo = ActionIcon("AnimationPalette").pixmap(48, 48);
        const QPoint at((width() - logo.width()) / 2, (height() - logo.height()) / 2 - 10);
        painter.drawPixmap(at, logo);
        painter.setPen(Qt::white);
        painter.drawText(QRect(0, at.y() + logo.height() + 4, width(), 20), Qt::AlignHCenter | Qt::AlignTop,
                         tr("No Local Palette"));
        return;
    }
    for (int i = 0; i < static_cast<int>(colors_.size()); ++i) {
        const QRect cell = CellRect(i);
        const TColor color = colors_[static_cast<size_t>(i)];
        painter.fillRect(cell.adjusted(1, 1, -1, -1), QColor(RedOf(color), GreenOf(color), BlueOf(color)));
        // A sunken edge: dark above and left, light below and right.
        painter.setPen(palette().color(QPalette::Dark));
        painter.drawLine(cell.topLeft(), cell.topRight());
        painter.drawLine(cell.topLeft(), cell.bottomLeft());
        painter.setPen(palette().color(QPalette::Light));
        painter.drawLine(cell.bottomLeft(), cell.bottomRight());
        painter.drawLine(cell.topRight(), cell.bottomRight());
    }
    if (selected_ >= 0) {
        const QRect cell = CellRect(selected_);
        painter.setPen(QPen(Qt::red, 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(cell.adjusted(0, 0, -1, -1));
        painter.drawRect(cell.adjusted(2, 2, -3, -3));
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = cell.adjusted(3, 3, -3, -3);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
}

} // namespace fl
