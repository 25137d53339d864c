// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ListBoxHrz.h"

#include <QEvent>
#include <QFontMetrics>
#include <QScrollBar>
#include <algorithm>

namespace fl {

THorizontalExtent::THorizontalExtent(QListWidget& list) : QObject(&list), list_(list)
{
    // The extent is counted in pixels, so the scroll bar must be too.
    list_.setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    QAbstractItemModel* model = list_.model();
    connect(model, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex&, int first, int last) { RowsInserted(first, last); });
    connect(model, &QAbstractItemModel::rowsRemoved, this, [this] { Recompute(); });
    connect(model, &QAbstractItemModel::modelReset, this, [this] { SetWidth(0); });
    list_.installEventFilter(this);
}

void THorizontalExtent::SetWidth(int width)
{
    width_ = std::max(0, width);
    ApplyToScrollBar();
}

int THorizontalExtent::EntryWidth(const QString& text) const
{
    return QFontMetrics(list_.font()).horizontalAdvance(text + QStringLiteral("XX"));
}

int THorizontalExtent::TabWidth() const
{
    // A list box's default tab stop: eight average characters.
    return QFontMetrics(list_.font()).averageCharWidth() * 8;
}

void THorizontalExtent::RowsInserted(int first, int last)
{
    for (int row = first; row <= last; ++row) {
        const QListWidgetItem* item = list_.item(row);
        if (!item)
            continue;
        const int width = EntryWidth(item->text());
        if (width > width_)
            SetWidth(width + TabWidth());
    }
}

void THorizontalExtent::Recompute()
{
    if (list_.count() == 0) {
        SetWidth(0);
        return;
    }
    int widest = 0;
    for (int row = 0; row < list_.count(); ++row)
        widest = std::max(widest, EntryWidth(list_.item(row)->text()));
    SetWidth(widest + TabWidth());
}

void THorizontalExtent::Detach()
{
    attached_ = false;
    disconnect(list_.model(), nullptr, this, nullptr);
    list_.removeEventFilter(this);
}

void THorizontalExtent::ApplyToScrollBar() const
{
    if (!attached_)
        return;
    // The extent alone decides whether the bar shows, as the policy: left
    // to Qt, the view's own range (from the laid-out items) and this one
    // would show and hide the bar in turn, each change laying the list out
    // again inside the last, until the stack ran out. Showing the bar can
    // only narrow the viewport (a vertical bar may follow), and hiding it
    // only widen it, so the choice never flips back.
    const Qt::ScrollBarPolicy policy =
        width_ > list_.viewport()->width() ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff;
    if (list_.horizontalScrollBarPolicy() != policy)
        list_.setHorizontalScrollBarPolicy(policy);
    QScrollBar* bar = list_.horizontalScrollBar();
    const int page = list_.viewport()->width();
    bar->setPageStep(page);
    bar->setRange(0, std::max(0, width_ - page));
}

bool THorizontalExtent::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &list_ && event->type() == QEvent::FontChange)
        Recompute();
    return QObject::eventFilter(watched, event);
}

TListBoxHrz::TListBoxHrz(QWidget* parent) : QListWidget(parent)
{
    // Made in the body: the base may lay out, and ask for the extent, while
    // the rule is being made.
    extent_ = new THorizontalExtent(*this);
}

TListBoxHrz::~TListBoxHrz()
{
    extent_->Detach();
}

void TListBoxHrz::updateGeometries()
{
    QListWidget::updateGeometries();
    if (extent_)
        extent_->ApplyToScrollBar();
}

} // namespace fl
