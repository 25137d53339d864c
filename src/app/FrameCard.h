// SPDX-License-Identifier: GPL-3.0-or-later
// One card of the frame list: a raised panel with the frame's thumbnail in a
// sunken edge, the frame index in a strip at the top and the frame's size
// ("height x width") in a strip at the bottom; a selected card gets a frame
// around its thumbnail and a filled bottom strip.
//
// Rectangles follow the list's coordinates; where the layout speaks of a
// right or bottom edge it means the first pixel past the rectangle
// (x() + width(), y() + height()), not QRect::right().
#pragma once

#include <QColor>
#include <QImage>
#include <QRect>
#include <QString>

class QFontMetrics;
class QPainter;

namespace fl {

class TFLListBox;
struct TFrameListItem;

struct TFrameCard {
    int Index = 0;
    // The list's frame size F (80..160): the thumbnail bound.
    int FrameSize = 80;
    // The frame's picture; stretched into the thumbnail rectangle when its
    // size differs, left white when null.
    QImage Thumbnail;
    int FrameWidth = 0;
    int FrameHeight = 0;
    bool Selected = false;
    QColor BrushColor;
    QColor HighlightColor;
    // Text on the card's own color, and text on the highlight (the bottom
    // strip of a selected card): each must read against its background.
    QColor TextColor;
    QColor HighlightTextColor;
};

// The card's panel before its raised edge: the item shrunk by 3 on every
// side, its right edge at F + 20 from the item's left.
QRect FrameCardPanelRect(const QRect& itemRect, int frameSize);
// The card inside its raised double edge (K).
QRect FrameCardRect(const QRect& itemRect, int frameSize);
// Height T of a caption strip: the text height of "Aq" plus 3, kept to 8 bits.
int FrameCaptionHeight(const QFontMetrics& metrics);
// Where a thumbnail of the given size goes on card K (inside its sunken edge).
QRect FrameThumbnailRect(const QRect& card, int thumbWidth, int thumbHeight);
QRect FrameTopStripRect(const QRect& card, int captionHeight);
QRect FrameBottomStripRect(const QRect& card, int captionHeight);
// The bottom caption: the frame's height first, then its width.
QString FrameSizeCaption(int frameWidth, int frameHeight);

// Draws the card of the item rectangle in the painter's font.
void DrawFrameCard(QPainter& painter, const QRect& itemRect, const TFrameCard& card);

// Builds the card of a frame-list item with the list's colors and draws it.
void DrawFrameListItem(QPainter& painter, const QRect& itemRect, const TFLListBox& list, const TFrameListItem& item,
                       int index, int frameSize, bool selected);

} // namespace fl
