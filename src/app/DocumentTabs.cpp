// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/DocumentTabs.h"

#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QStyleOptionTab>
#include <QStylePainter>

#include "document/Document.h"

namespace fl {

namespace {

// The mark of a modified document (the symbol font's bullet, 0xB7).
const QString ModifiedBullet = QString(QChar(0x2022));
constexpr int SelectedShift = 2;
constexpr int TextMargin = 4;

} // namespace

TDocumentTabs::TDocumentTabs(QWidget* parent) : QTabBar(parent)
{
    setObjectName("tabMDI");
    setMouseTracking(true);
    setExpanding(false);
    setDrawBase(false);
    setUsesScrollButtons(true);
    setElideMode(Qt::ElideNone);
}

void TDocumentTabs::AddDocument(TDocument& document)
{
    const QSignalBlocker blocker(this);
    const int index = addTab(QString::fromStdString(document.ShortName()));
    setTabData(index, QVariant::fromValue(reinterpret_cast<quintptr>(&document)));
    setTabToolTip(index, QString::fromStdString(document.FileName()));
}

void TDocumentTabs::RemoveDocument(const TDocument& document)
{
    const int index = IndexOf(document);
    if (index < 0)
        return;
    const QSignalBlocker blocker(this);
    removeTab(index);
    if (hovered_ >= count())
        hovered_ = -1;
}

void TDocumentTabs::SelectDocument(const TDocument& document)
{
    const int index = IndexOf(document);
    if (index < 0)
        return;
    const QSignalBlocker blocker(this);
    setCurrentIndex(index);
}

void TDocumentTabs::DocumentChanged(const TDocument& document)
{
    const int index = IndexOf(document);
    if (index < 0)
        return;
    setTabText(index, QString::fromStdString(document.ShortName()));
    setTabToolTip(index, QString::fromStdString(document.FileName()));
    update();
}

int TDocumentTabs::IndexOf(const TDocument& document) const
{
    for (int i = 0; i < count(); ++i)
        if (DocumentAt(i) == &document)
            return i;
    return -1;
}

TDocument* TDocumentTabs::DocumentAt(int index) const
{
    if (index < 0 || index >= count())
        return nullptr;
    return reinterpret_cast<TDocument*>(tabData(index).value<quintptr>());
}

QSize TDocumentTabs::tabSizeHint(int index) const
{
    QSize size = QTabBar::tabSizeHint(index);
    size.rwidth() += fontMetrics().horizontalAdvance(ModifiedBullet) + 2 + SelectedShift;
    return size;
}

void TDocumentTabs::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    for (int i = 0; i < count(); ++i) {
        QStyleOptionTab option;
        initStyleOption(&option, i);
        painter.drawControl(QStyle::CE_TabBarTabShape, option);

        const TDocument* document = DocumentAt(i);
        const bool modified = document && document->Modified();
        const bool selected = i == currentIndex();
        QRect textRect = option.rect.adjusted(TextMargin + (selected ? SelectedShift : 0), 0, -TextMargin, 0);
        painter.setFont(font());
        if (modified) {
            painter.setPen(palette().color(QPalette::Highlight));
            painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter, ModifiedBullet);
            textRect.adjust(fontMetrics().horizontalAdvance(ModifiedBullet) + 2, 0, 0, 0);
        } else {
            painter.setPen(palette().color(QPalette::WindowText));
        }
        painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter, tabText(i));
    }
}

void TDocumentTabs::mouseMoveEvent(QMouseEvent* event)
{
    SetHovered(tabAt(event->position().toPoint()));
    QTabBar::mouseMoveEvent(event);
}

void TDocumentTabs::leaveEvent(QEvent* event)
{
    SetHovered(-1);
    QTabBar::leaveEvent(event);
}

void TDocumentTabs::contextMenuEvent(QContextMenuEvent* event)
{
    SetHovered(tabAt(event->pos()));
    if (OnPopup)
        OnPopup(event->globalPos());
}

void TDocumentTabs::SetHovered(int index)
{
    if (index == hovered_)
        return;
    hovered_ = index;
    if (OnHover)
        OnHover(index);
}

} // namespace fl
