// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/InspectorGrid.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <algorithm>

namespace fl {

namespace {

// The bands' background.
const QColor BandColor(0, 128, 128);

bool IsReadOnlyRow(int row)
{
    return !IsTypedRow(row);
}

// Rows whose value column shows the I-beam.
bool ShowsTextCursor(int row)
{
    return (row >= irHeight && row <= irYOffset) || row == irDelay;
}

} // namespace

TInspectorGrid::TInspectorGrid(QWidget* parent) : QWidget(parent)
{
    setObjectName("grid");
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setEnabled(false);
    rowHeight_ = fontMetrics().boundingRect("Pq").height() + 2 + 4;
    QFont bold = font();
    bold.setBold(true);
    labelWidth_ = QFontMetrics(bold).horizontalAdvance(InspectorRowLabels[irLocalPalette]) + 2 + 8;

    editor_ = new QLineEdit(this);
    editor_->setObjectName("gridEditor");
    editor_->setFrame(false);
    editor_->hide();
    editor_->installEventFilter(this);
    connect(editor_, &QLineEdit::returnPressed, this, [this] { CommitPending(); });

    lbDrop_ = new QListWidget(this);
    lbDrop_->setObjectName("lbDrop");
    lbDrop_->setUniformItemSizes(true);
    lbDrop_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    lbDrop_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    lbDrop_->hide();
    lbDrop_->installEventFilter(this);
    connect(lbDrop_, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { ChooseDropDownItem(lbDrop_->row(item)); });
}

QRect TInspectorGrid::DropDownPlacement(const QRect& cell, int rowHeight, int items, int gridBottom)
{
    const int height = items * rowHeight + 2;
    const int below = cell.bottom() + 1;
    const int top = below + height > gridBottom + 2 * rowHeight ? cell.top() - height : below;
    return {cell.left() + 1, top, cell.width() + 1, height};
}

QSize TInspectorGrid::sizeHint() const
{
    return {labelWidth_ + 100, rowHeight_ * InspectorRowCount};
}

QRect TInspectorGrid::ValueRect(int row) const
{
    return {labelWidth_, row * rowHeight_, std::max(width() - labelWidth_, 1), rowHeight_};
}

int TInspectorGrid::RowAt(int y) const
{
    const int row = y / rowHeight_;
    return y >= 0 && row < InspectorRowCount ? row : -1;
}

void TInspectorGrid::SetValues(const TInspectorValues& values)
{
    if (currentRow_ < 0)
        currentRow_ = irHeight;
    // What the user is typing stays while the row's value is unchanged.
    const bool unchanged = values.Text[static_cast<size_t>(currentRow_)] == ValueText(currentRow_);
    values_ = values;
    if (!unchanged)
        previous_ = ValueText(currentRow_);
    PlaceEditor(!unchanged);
    update();
}

void TInspectorGrid::Clear()
{
    HideDropDown();
    values_ = {};
    currentRow_ = -1;
    previous_.clear();
    SetEditing(false);
    update();
}

void TInspectorGrid::SetEditing(bool editing)
{
    editing_ = editing;
    PlaceEditor();
}

void TInspectorGrid::SelectRow(int row, bool clicked)
{
    if (row < 0 || row >= InspectorRowCount)
        return;
    CommitPending();
    if (row == irDimensions)
        row = irHeight;
    else if (row == irDisplaySettings || row == irFramePlaying)
        row = row + 1;
    const bool changed = row != currentRow_;
    currentRow_ = row;
    previous_ = ValueText(row);
    PlaceEditor();
    update();
    if (changed && OnRowChanged)
        OnRowChanged(row);
    if (clicked && IsDropDownRow(row))
        OpenDropDown();
}

void TInspectorGrid::ForgetPreviousValue()
{
    if (currentRow_ >= 0)
        previous_ = ValueText(currentRow_);
}

void TInspectorGrid::CommitPending()
{
    if (committing_ || currentRow_ < 0 || !editing_)
        return;
    const std::string text = editor_->text().toStdString();
    if (text == previous_)
        return;
    // The messages a commit shows take the focus, which commits again.
    committing_ = true;
    const int row = currentRow_;
    std::optional<std::string> shown;
    try {
        shown = OnCommit ? OnCommit(row, text) : std::optional<std::string>(text);
    } catch (...) {
        committing_ = false;
        values_.Text[static_cast<size_t>(row)] = previous_;
        PlaceEditor();
        throw;
    }
    committing_ = false;
    values_.Text[static_cast<size_t>(row)] = shown ? *shown : previous_;
    if (row == currentRow_)
        previous_ = ValueText(row);
    PlaceEditor();
    update();
}

void TInspectorGrid::PlaceEditor(bool reloadText)
{
    if (!editing_ || currentRow_ < 0) {
        editor_->hide();
        return;
    }
    // The drop-down arrow stays visible beside the editor.
    QRect place = ValueRect(currentRow_).adjusted(1, 1, 0, -1);
    if (IsDropDownRow(currentRow_))
        place.setRight(place.right() - rowHeight_);
    editor_->setGeometry(place);
    editor_->setReadOnly(IsReadOnlyRow(currentRow_));
    if (reloadText)
        editor_->setText(QString::fromStdString(ValueText(currentRow_)));
    editor_->show();
}

void TInspectorGrid::OpenDropDown()
{
    if (currentRow_ < 0 || !IsDropDownRow(currentRow_) || !isEnabled())
        return;
    QWidget* host = window();
    if (lbDrop_->parentWidget() != host)
        lbDrop_->setParent(host);
    lbDrop_->clear();
    const std::vector<std::string> choices = DropDownChoices(currentRow_);
    int preselected = 0;
    for (size_t i = 0; i < choices.size(); ++i) {
        auto* item = new QListWidgetItem(QString::fromStdString(choices[i]), lbDrop_);
        item->setSizeHint(QSize(0, rowHeight_));
        if (choices[i] == ValueText(currentRow_))
            preselected = static_cast<int>(i);
    }
    lbDrop_->setCurrentRow(preselected);
    const QRect cell = ValueRect(currentRow_);
    const QRect place = DropDownPlacement(cell, rowHeight_, static_cast<int>(choices.size()), height());
    lbDrop_->setGeometry(QRect(mapTo(host, place.topLeft()), place.size()));
    lbDrop_->show();
    lbDrop_->raise();
    lbDrop_->setFocus();
}

void TInspectorGrid::HideDropDown()
{
    if (lbDrop_->isVisible()) {
        lbDrop_->hide();
        if (editor_->isVisible())
            editor_->setFocus();
    }
}

void TInspectorGrid::ChooseDropDownItem(int item)
{
    if (item < 0 || item >= lbDrop_->count() || currentRow_ < 0)
        return;
    const QString text = lbDrop_->item(item)->text();
    lbDrop_->hide();
    editor_->setText(text);
    CommitPending();
    if (editor_->isVisible())
        editor_->setFocus();
}

void TInspectorGrid::MoveCurrent(int step)
{
    int row = currentRow_ + step;
    while (row >= 0 && row < InspectorRowCount && IsGroupRow(row))
        row += step;
    if (row >= irHeight && row < InspectorRowCount)
        SelectRow(row);
}

bool TInspectorGrid::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == editor_) {
        if (event->type() == QEvent::FocusOut && !lbDrop_->isVisible())
            CommitPending();
        else if (event->type() == QEvent::MouseButtonPress && currentRow_ >= 0 &&
                 IsDropDownRow(currentRow_) && editor_->isReadOnly())
            OpenDropDown();
        else if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Up || key == Qt::Key_Down) {
                MoveCurrent(key == Qt::Key_Up ? -1 : 1);
                return true;
            }
            if (key == Qt::Key_F4 || (key == Qt::Key_Space && editor_->isReadOnly())) {
                OpenDropDown();
                return true;
            }
        }
    } else if (watched == lbDrop_) {
        if (event->type() == QEvent::FocusOut) {
            lbDrop_->hide();
        } else if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                ChooseDropDownItem(lbDrop_->currentRow());
                return true;
            }
            if (key == Qt::Key_Escape) {
                HideDropDown();
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TInspectorGrid::mousePressEvent(QMouseEvent* event)
{
    const int row = RowAt(event->position().toPoint().y());
    if (row >= 0 && event->button() == Qt::LeftButton)
        SelectRow(row, true);
    QWidget::mousePressEvent(event);
}

void TInspectorGrid::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    const int row = RowAt(at.y());
    setCursor(row >= 0 && at.x() >= labelWidth_ && ShowsTextCursor(row) ? Qt::IBeamCursor : Qt::ArrowCursor);
    QWidget::mouseMoveEvent(event);
}

void TInspectorGrid::resizeEvent(QResizeEvent* event)
{
    HideDropDown();
    PlaceEditor(false);
    QWidget::resizeEvent(event);
}

void TInspectorGrid::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Base));
    for (int row = 0; row < InspectorRowCount; ++row)
        PaintRow(painter, row);
}

void TInspectorGrid::PaintRow(QPainter& painter, int row)
{
    const QPalette& colors = palette();
    const QRect line(0, row * rowHeight_, width(), rowHeight_);
    const QString label = QString::fromLatin1(InspectorRowLabels[row]);
    if (IsGroupRow(row)) {
        painter.fillRect(line, BandColor);
        QFont bold = font();
        bold.setBold(true);
        painter.setFont(bold);
        painter.setPen(colors.color(QPalette::HighlightedText));
        painter.drawText(line.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, label);
        painter.setFont(font());
        return;
    }
    const QRect labelRect(0, line.top(), labelWidth_, rowHeight_);
    const bool current = row == currentRow_;
    painter.fillRect(labelRect, colors.color(current ? QPalette::Highlight : QPalette::Base));
    painter.setPen(colors.color(current ? QPalette::HighlightedText : QPalette::Text));
    painter.drawText(labelRect.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, label);

    const QRect value = ValueRect(row);
    painter.setPen(colors.color(QPalette::Text));
    int textLeft = value.left() + 2;
    if (row == irTransparent && values_.Transparent) {
        const int side = rowHeight_ - 4;
        const QRect swatch(value.left() + 2, value.top() + 2, side, side);
        const TColor color = values_.TransparentColor;
        painter.fillRect(swatch, QColor(RedOf(color), GreenOf(color), BlueOf(color)));
        painter.drawRect(swatch.adjusted(0, 0, -1, -1));
        textLeft = value.left() + 18;
    }
    painter.drawText(QRect(textLeft, value.top(), value.right() - textLeft, rowHeight_),
                     Qt::AlignLeft | Qt::AlignVCenter, QString::fromStdString(ValueText(row)));
    if (IsDropDownRow(row) && isEnabled()) {
        QStyleOption arrow;
        arrow.initFrom(this);
        arrow.rect = QRect(value.right() - rowHeight_ + 4, value.top() + 4, rowHeight_ - 8, rowHeight_ - 8);
        style()->drawPrimitive(QStyle::PE_IndicatorArrowDown, &arrow, &painter, this);
    }
    painter.setPen(colors.color(QPalette::Mid));
    painter.drawLine(line.bottomLeft(), line.bottomRight());
    painter.drawLine(labelRect.topRight(), labelRect.bottomRight());
}

} // namespace fl
