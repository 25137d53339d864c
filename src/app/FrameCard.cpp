// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/FrameCard.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPalette>
#include <qdrawutil.h>

#include "app/BitmapImage.h"
#include "app/FLListBox.h"
#include "document/FrameListModel.h"
#include "editing/ThumbnailFolder.h"

namespace fl {

namespace {

// A rectangle from its left/top and the first pixel past it on the right
// and at the bottom.
QRect FromEdges(int left, int top, int right, int bottom)
{
    return QRect(left, top, right - left, bottom - top);
}

int RightEdge(const QRect& rect)
{
    return rect.x() + rect.width();
}

int BottomEdge(const QRect& rect)
{
    return rect.y() + rect.height();
}

// The one-pixel ring along the inside of the rectangle.
void FrameRectPixels(QPainter& painter, const QRect& rect, const QColor& color)
{
    if (rect.width() <= 0 || rect.height() <= 0)
        return;
    painter.fillRect(QRect(rect.x(), rect.y(), rect.width(), 1), color);
    painter.fillRect(QRect(rect.x(), BottomEdge(rect) - 1, rect.width(), 1), color);
    painter.fillRect(QRect(rect.x(), rect.y(), 1, rect.height()), color);
    painter.fillRect(QRect(RightEdge(rect) - 1, rect.y(), 1, rect.height()), color);
}

void SunkenEdge(QPainter& painter, const QRect& rect, const QPalette& colors)
{
    if (rect.width() >= 2 && rect.height() >= 2)
        qDrawShadePanel(&painter, rect, colors, true, 1, nullptr);
}

class TPainterState {
public:
    explicit TPainterState(QPainter& painter) : painter_(painter) { painter_.save(); }
    ~TPainterState() { painter_.restore(); }
    TPainterState(const TPainterState&) = delete;
    TPainterState& operator=(const TPainterState&) = delete;

private:
    QPainter& painter_;
};

} // namespace

QRect FrameCardPanelRect(const QRect& itemRect, int frameSize)
{
    // The right edge is fixed in list coordinates; measuring it from the
    // item's left keeps the card whole while the list scrolls sideways.
    return FromEdges(itemRect.x() + 3, itemRect.y() + 3, itemRect.x() + frameSize + 20, BottomEdge(itemRect) - 3);
}

QRect FrameCardRect(const QRect& itemRect, int frameSize)
{
    return FrameCardPanelRect(itemRect, frameSize).adjusted(2, 2, -2, -2);
}

int FrameCaptionHeight(const QFontMetrics& metrics)
{
    const int textHeight = metrics.size(Qt::TextSingleLine, QStringLiteral("Aq")).height();
    return (textHeight + 3) & 0xFF;
}

QRect FrameThumbnailRect(const QRect& card, int thumbWidth, int thumbHeight)
{
    // Centred as if the item started at x 0 (the card starts 5 pixels into
    // it), so that scrolling only shifts the thumbnail.
    const int origin = card.x() - 5;
    const int left = origin + (RightEdge(card) - origin - thumbWidth) / 2 + 3;
    const int top = (BottomEdge(card) - card.y()) / 2 + card.y() - thumbHeight / 2;
    return QRect(left, top, thumbWidth, thumbHeight);
}

QRect FrameTopStripRect(const QRect& card, int captionHeight)
{
    return FromEdges(card.x() + 3, card.y() + 3, RightEdge(card) - 3, card.y() + captionHeight + 3);
}

QRect FrameBottomStripRect(const QRect& card, int captionHeight)
{
    return FromEdges(card.x() + 3, BottomEdge(card) - captionHeight - 2, RightEdge(card) - 3, BottomEdge(card) - 2);
}

QString FrameSizeCaption(int frameWidth, int frameHeight)
{
    return QStringLiteral("%1 x %2").arg(frameHeight).arg(frameWidth);
}

void DrawFrameCard(QPainter& painter, const QRect& itemRect, const TFrameCard& card)
{
    const QRect panel = FrameCardPanelRect(itemRect, card.FrameSize);
    if (panel.width() <= 4 || panel.height() <= 4)
        return;
    const TPainterState state(painter);
    // A card never draws over its neighbours, whatever the font's height.
    painter.setClipRect(itemRect, Qt::IntersectClip);
    // Edge shades derived from the card's own color, like the system's 3-D
    // edges on a button face.
    const QPalette colors(card.BrushColor);
    painter.fillRect(panel, card.BrushColor);
    qDrawWinPanel(&painter, panel, colors, false, nullptr);
    const QRect cardRect = panel.adjusted(2, 2, -2, -2);

    int thumbWidth = 0, thumbHeight = 0;
    if (card.FrameWidth > 0 && card.FrameHeight > 0 && card.FrameSize > 0)
        ThumbnailSize(card.FrameWidth, card.FrameHeight, card.FrameSize, thumbWidth, thumbHeight);
    const QRect thumb = FrameThumbnailRect(cardRect, thumbWidth, thumbHeight);
    const QRect thumbEdge = thumb.adjusted(-1, -1, 1, 1);
    const bool hasThumbnail = thumbWidth > 0 && thumbHeight > 0;
    if (hasThumbnail) {
        SunkenEdge(painter, thumbEdge, colors);
        painter.fillRect(thumb, Qt::white);
        if (!card.Thumbnail.isNull())
            painter.drawImage(thumb, card.Thumbnail);
    }

    const int captionHeight = FrameCaptionHeight(painter.fontMetrics());
    const QRect topStrip = FrameTopStripRect(cardRect, captionHeight);
    const QRect bottomStrip = FrameBottomStripRect(cardRect, captionHeight);
    SunkenEdge(painter, topStrip, colors);
    SunkenEdge(painter, bottomStrip, colors);

    if (card.Selected) {
        if (hasThumbnail) {
            FrameRectPixels(painter, thumbEdge.adjusted(-3, -3, 3, 3), card.HighlightColor);
            FrameRectPixels(painter, thumbEdge.adjusted(-4, -4, 4, 4), card.HighlightColor);
        }
        const QRect inside = bottomStrip.adjusted(1, 1, -1, -1);
        if (inside.width() > 0 && inside.height() > 0)
            painter.fillRect(inside, card.HighlightColor);
    }

    painter.setBrush(Qt::NoBrush);
    painter.setPen(card.TextColor);
    const QFontMetrics metrics = painter.fontMetrics();
    const int textFlags = static_cast<int>(Qt::AlignLeft | Qt::AlignTop) | Qt::TextSingleLine | Qt::TextDontClip;
    const QString index = QString::number(card.Index);
    painter.drawText(QRect(QPoint(cardRect.x() + 6, cardRect.y() + 4), metrics.size(Qt::TextSingleLine, index)),
                     textFlags, index);
    // Only the size sits on the highlight; the index's strip keeps the card's color.
    if (card.Selected)
        painter.setPen(card.HighlightTextColor);
    const QString size = FrameSizeCaption(card.FrameWidth, card.FrameHeight);
    const int sizeWidth = metrics.horizontalAdvance(size);
    const QPoint sizeAt((cardRect.x() + RightEdge(cardRect) - sizeWidth) / 2, BottomEdge(cardRect) - captionHeight - 1);
    painter.drawText(QRect(sizeAt, metrics.size(Qt::TextSingleLine, size)), textFlags, size);
}

void DrawFrameListItem(QPainter& painter, const QRect& itemRect, const TFLListBox& list, const TFrameListItem& item,
                       int index, int frameSize, bool selected)
{
    TFrameCard card;
    card.Index = index;
    card.FrameSize = frameSize;
    card.Thumbnail = ToQImage(item.Thumbnail);
    card.FrameWidth = item.FrameWidth;
    card.FrameHeight = item.FrameHeight;
    card.Selected = selected;
    card.BrushColor = list.BrushColor;
    card.HighlightColor = list.HighlightColor;
    // The card is drawn in the button face color, so its text is the
    // button text.
    card.TextColor = list.palette().color(QPalette::ButtonText);
    card.HighlightTextColor = list.SelTextColor;
    DrawFrameCard(painter, itemRect, card);
}

} // namespace fl
