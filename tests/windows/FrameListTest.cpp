// SPDX-License-Identifier: GPL-3.0-or-later
// The frame list's cards (geometry and drawing) and its own mouse handling:
// selecting on a right press, starting an item drag, and the drops that ask
// for a move.
#include <QApplication>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QSignalSpy>
#include <QtTest>

#include <memory>
#include <utility>
#include <vector>

#include "app/FLListBox.h"
#include "app/FrameCard.h"
#include "document/FrameListModel.h"
#include "editing/ThumbnailFolder.h"

namespace fl {

namespace {

// Counts the drags instead of running them: a real drag waits for the
// mouse in a loop of its own.
class TCountingListBox final : public TFLListBox {
public:
    int Drags = 0;
    int DraggedRow = -1;

protected:
    void StartItemDrag() override
    {
        ++Drags;
        DraggedRow = currentRow();
    }
};

void FillList(TFLListBox& list, int items, int itemHeight)
{
    list.resize(200, items * itemHeight + 100);
    list.SetItemHeight(itemHeight);
    for (int i = 0; i < items; ++i)
        list.addItem(QStringLiteral("Frame"));
    list.show();
    list.doItemsLayout();
}

QPoint CentreOf(TFLListBox& list, int row)
{
    return list.visualItemRect(list.item(row)).center();
}

// A point of the viewport below the last item.
QPoint BelowItems(TFLListBox& list)
{
    const QRect last = list.visualItemRect(list.item(list.count() - 1));
    return QPoint(last.center().x(), last.bottom() + 20);
}

void SendMouse(QWidget& target, QEvent::Type type, const QPoint& at, Qt::MouseButton button, Qt::MouseButtons held)
{
    QMouseEvent event(type, QPointF(at), target.mapToGlobal(QPointF(at)), button, held, Qt::NoModifier);
    QApplication::sendEvent(&target, &event);
}

// Qt hands moves and drops only to the widget that took the drag's entry.
void SendDragEnter(TFLListBox& list, const QMimeData& data, const QPoint& at)
{
    QDragEnterEvent event(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list.viewport(), &event);
}

bool SendDragMove(TFLListBox& list, const QMimeData& data, const QPoint& at)
{
    SendDragEnter(list, data, at);
    QDragMoveEvent event(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list.viewport(), &event);
    return event.isAccepted();
}

void SendDrop(TFLListBox& list, const QMimeData& data, const QPoint& at)
{
    SendDragEnter(list, data, at);
    QDropEvent event(QPointF(at), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list.viewport(), &event);
}

// What the card drawing leaves alone.
const QColor Untouched(255, 0, 255);

// Unsmoothed, so that text pixels take exactly the text color.
QFont CardFont()
{
    QFont font = QApplication::font();
    font.setPixelSize(14);
    font.setBold(true);
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

struct TDrawnCard {
    QImage Image;
    int CaptionHeight = 0;
    int SizeTextWidth = 0;
};

TDrawnCard DrawCard(const TFrameCard& card, const QRect& itemRect)
{
    TDrawnCard drawn;
    drawn.Image = QImage(itemRect.right() + 20, itemRect.bottom() + 20, QImage::Format_RGB32);
    drawn.Image.fill(Untouched);
    QPainter painter(&drawn.Image);
    painter.setFont(CardFont());
    drawn.CaptionHeight = FrameCaptionHeight(painter.fontMetrics());
    drawn.SizeTextWidth =
        painter.fontMetrics().horizontalAdvance(FrameSizeCaption(card.FrameWidth, card.FrameHeight));
    DrawFrameCard(painter, itemRect, card);
    return drawn;
}

TFrameCard TestCard(bool selected)
{
    TFrameCard card;
    card.Index = 7;
    card.FrameSize = 80;
    card.FrameWidth = 320;
    card.FrameHeight = 200;
    card.Selected = selected;
    card.BrushColor = QColor(192, 192, 192);
    card.HighlightColor = QColor(0, 0, 200);
    card.TextColor = QColor(250, 250, 0);
    card.HighlightTextColor = QColor(0, 250, 250);
    // Left half red, right half green.
    card.Thumbnail = QImage(80, 50, QImage::Format_RGB32);
    card.Thumbnail.fill(QColor(255, 0, 0));
    QPainter painter(&card.Thumbnail);
    painter.fillRect(QRect(40, 0, 40, 50), QColor(0, 255, 0));
    return card;
}

bool HasColor(const QImage& image, const QRect& area, const QColor& color)
{
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (image.pixelColor(x, y) == color)
                return true;
    return false;
}

} // namespace

class FrameListTest : public QObject {
    Q_OBJECT
private slots:
    void ThumbnailSizeAndPlace();
    void CardAndStripRects();
    void SizeCaptionShowsHeightFirst();
    void SelectedCardIsFramedAndFilled();
    void ThumbnailAndCaptionsAreDrawn();
    void DegenerateCardsDrawNothingOutside();
    void ListItemDrawsItsFrame();
    void RightPressSelectsBeforeTelling();
    void DragStartsAfterTenPixels();
    void OwnDragDropsOnlyOnAnotherItem();
    void ForeignDragsGoToTheHook();
};

void FrameListTest::ThumbnailSizeAndPlace()
{
    struct TCase {
        int Width, Height;
        QRect Expected;
    };
    // Item at (0, 0), 80 + 65 high: the card K is (5, 5) to (98, 140).
    const std::vector<TCase> cases = {
        {320, 200, QRect(12, 47, 80, 50)},
        {200, 320, QRect(27, 32, 50, 80)},
        // One pixel over the bound still fits.
        {81, 81, QRect(11, 32, 81, 81)},
        {10, 4, QRect(47, 70, 10, 4)},
    };
    const QRect card = FrameCardRect(QRect(0, 0, 200, 145), 80);
    for (const TCase& item : cases) {
        int width = 0, height = 0;
        ThumbnailSize(item.Width, item.Height, 80, width, height);
        QCOMPARE(FrameThumbnailRect(card, width, height), item.Expected);
    }
    // Lower items keep the vertical centring on their own card.
    QCOMPARE(FrameThumbnailRect(FrameCardRect(QRect(0, 145, 200, 145), 80), 80, 50), QRect(12, 192, 80, 50));
    // Scrolled sideways the thumbnail moves with the card.
    QCOMPARE(FrameThumbnailRect(FrameCardRect(QRect(-30, 0, 200, 145), 80), 80, 50), QRect(-18, 47, 80, 50));
}

void FrameListTest::CardAndStripRects()
{
    const QRect item(0, 145, 200, 145);
    QCOMPARE(FrameCardPanelRect(item, 80), QRect(3, 148, 97, 139));
    const QRect card = FrameCardRect(item, 80);
    QCOMPARE(card, QRect(5, 150, 93, 135));
    QCOMPARE(FrameTopStripRect(card, 20), QRect(8, 153, 87, 20));
    QCOMPARE(FrameBottomStripRect(card, 20), QRect(8, 263, 87, 20));

    // Frame size 96: items 161 high, the card's right edge at 96 + 18.
    TFLListBox list;
    FillList(list, 2, 96 + 65);
    const QRect second = list.visualItemRect(list.item(1));
    QCOMPARE(second.height(), 161);
    const QRect card96 = FrameCardRect(second, 96);
    QCOMPARE(card96.x() + card96.width(), second.x() + 114);
    QCOMPARE(card96.height(), 151);

    // The caption strip height follows the font and stays within 8 bits.
    QFont font = list.font();
    font.setPixelSize(20);
    const int small = FrameCaptionHeight(QFontMetrics(font));
    font.setPixelSize(40);
    QVERIFY(FrameCaptionHeight(QFontMetrics(font)) > small);
    font.setPixelSize(400);
    QVERIFY(FrameCaptionHeight(QFontMetrics(font)) < 256);
}

void FrameListTest::SizeCaptionShowsHeightFirst()
{
    QCOMPARE(FrameSizeCaption(100, 40), QStringLiteral("40 x 100"));
    QCOMPARE(FrameSizeCaption(1, 65535), QStringLiteral("65535 x 1"));
}

void FrameListTest::SelectedCardIsFramedAndFilled()
{
    const QRect item(0, 0, 200, 145);
    const TFrameCard plainCard = TestCard(false);
    const TFrameCard selectedCard = TestCard(true);
    const TDrawnCard plain = DrawCard(plainCard, item);
    const TDrawnCard selected = DrawCard(selectedCard, item);
    const QColor brush = plainCard.BrushColor;
    const QColor highlight = plainCard.HighlightColor;

    // Thumbnail at (12, 47) 80 x 50, its sunken edge one pixel out: the
    // frame is 3 and 4 pixels outside that edge.
    const QRect edge(11, 46, 82, 52);
    const int midY = edge.center().y();
    const int midX = edge.center().x();
    for (const int distance : {3, 4}) {
        const QPoint ring[] = {{edge.left() - distance, midY},
                               {edge.right() + distance, midY},
                               {midX, edge.top() - distance},
                               {midX, edge.bottom() + distance}};
        for (const QPoint& at : ring) {
            QCOMPARE(selected.Image.pixelColor(at), highlight);
            QCOMPARE(plain.Image.pixelColor(at), brush);
        }
    }
    // The gap between the edge and the frame keeps the card's color.
    for (const int distance : {1, 2, 5}) {
        QCOMPARE(selected.Image.pixelColor(edge.left() - distance, midY), brush);
        QCOMPARE(selected.Image.pixelColor(edge.right() + distance, midY), brush);
    }

    const QRect strip = FrameBottomStripRect(FrameCardRect(item, 80), selected.CaptionHeight);
    const QPoint inside(strip.left() + 2, strip.top() + 2);
    QCOMPARE(selected.Image.pixelColor(inside), highlight);
    QCOMPARE(plain.Image.pixelColor(inside), brush);
    // The strip keeps its sunken edge around the fill.
    QVERIFY(selected.Image.pixelColor(strip.topLeft()) != highlight);
    QVERIFY(!HasColor(plain.Image, plain.Image.rect(), highlight));

    // Each text reads against its own background: the index on the card's
    // color keeps the card's text color, the size on the highlight takes the
    // highlighted text color.
    const QRect top = FrameTopStripRect(FrameCardRect(item, 80), selected.CaptionHeight);
    QVERIFY(HasColor(selected.Image, top, selectedCard.TextColor));
    QVERIFY(!HasColor(selected.Image, top, selectedCard.HighlightTextColor));
    QVERIFY(HasColor(selected.Image, strip, selectedCard.HighlightTextColor));
    QVERIFY(!HasColor(plain.Image, plain.Image.rect(), plainCard.HighlightTextColor));
}

void FrameListTest::ThumbnailAndCaptionsAreDrawn()
{
    const QRect item(0, 0, 200, 145);
    const TFrameCard card = TestCard(false);
    const TDrawnCard drawn = DrawCard(card, item);
    const QImage& image = drawn.Image;
    const QRect thumb(12, 47, 80, 50);
    QCOMPARE(image.pixelColor(thumb.topLeft()), QColor(255, 0, 0));
    QCOMPARE(image.pixelColor(thumb.left() + 39, thumb.bottom()), QColor(255, 0, 0));
    QCOMPARE(image.pixelColor(thumb.left() + 40, thumb.top()), QColor(0, 255, 0));
    QCOMPARE(image.pixelColor(thumb.bottomRight()), QColor(0, 255, 0));
    // Outside the thumbnail: its sunken edge, not the picture.
    QVERIFY(image.pixelColor(thumb.left() - 1, thumb.top()) != QColor(255, 0, 0));
    QVERIFY(image.pixelColor(thumb.right() + 1, thumb.bottom()) != QColor(0, 255, 0));

    // Outside the panel nothing is drawn; the card's right edge is F + 20.
    QCOMPARE(image.pixelColor(2, 70), Untouched);
    QVERIFY(image.pixelColor(99, 70) != Untouched);
    QCOMPARE(image.pixelColor(100, 70), Untouched);
    QVERIFY(image.pixelColor(50, 141) != Untouched);
    QCOMPARE(image.pixelColor(50, 142), Untouched);

    // The index in the top strip from (K.left + 6, K.top + 4), the size in
    // the bottom strip centred on the card.
    const QRect card98 = FrameCardRect(item, 80);
    const int captionHeight = drawn.CaptionHeight;
    const QRect top = FrameTopStripRect(card98, captionHeight);
    const QRect bottom = FrameBottomStripRect(card98, captionHeight);
    QVERIFY(HasColor(image, QRect(card98.left() + 6, card98.top() + 4, 20, captionHeight - 2), card.TextColor));
    QVERIFY(!HasColor(image, QRect(top.left(), top.top(), 3, top.height()), card.TextColor));
    const int textWidth = drawn.SizeTextWidth;
    const int textLeft = (card98.left() + card98.left() + card98.width() - textWidth) / 2;
    QVERIFY(HasColor(image, QRect(textLeft, bottom.top(), textWidth, bottom.height()), card.TextColor));
    QVERIFY(!HasColor(image, QRect(bottom.left(), bottom.top(), textLeft - bottom.left() - 1, bottom.height()),
                      card.TextColor));

    // A missing picture leaves the thumbnail blank instead of failing.
    TFrameCard blank = card;
    blank.Thumbnail = QImage();
    QCOMPARE(DrawCard(blank, item).Image.pixelColor(thumb.center()), QColor(Qt::white));
}

void FrameListTest::DegenerateCardsDrawNothingOutside()
{
    TFrameCard card = TestCard(true);
    // Too small an item: nothing at all.
    QImage image(60, 60, QImage::Format_RGB32);
    image.fill(Untouched);
    {
        QPainter painter(&image);
        DrawFrameCard(painter, QRect(10, 10, 6, 6), card);
    }
    QVERIFY(!HasColor(image, image.rect(), card.BrushColor));

    // An empty frame gets a card without a thumbnail; a huge one a scaled
    // thumbnail; neither draws past its item.
    for (const QSize frame : {QSize(0, 0), QSize(65535, 1), QSize(-5, 20)}) {
        card.FrameWidth = frame.width();
        card.FrameHeight = frame.height();
        image = QImage(300, 300, QImage::Format_RGB32);
        image.fill(Untouched);
        {
            QPainter painter(&image);
            DrawFrameCard(painter, QRect(0, 0, 200, 145), card);
        }
        QCOMPARE(image.pixelColor(50, 200), Untouched);
        QVERIFY(HasColor(image, QRect(0, 0, 100, 145), card.BrushColor));
    }
}

void FrameListTest::ListItemDrawsItsFrame()
{
    // A 100 x 40 blue frame at frame size 80: an 80 x 32 thumbnail, drawn
    // with the list's colors.
    TBitmap picture(100, 40, TPixelFormat::pf32bit);
    for (int y = 0; y < picture.Height(); ++y) {
        uint8_t* row = picture.ScanLine(y);
        for (int x = 0; x < picture.Width(); ++x) {
            row[x * 4] = 255; // blue, green, red, unused
            row[x * 4 + 1] = 0;
            row[x * 4 + 2] = 0;
            row[x * 4 + 3] = 0;
        }
    }
    TFrameListModel frames;
    frames.SetThumbnailBound(80);
    frames.AddItem("Frame", picture);
    TFLListBox list;
    list.BrushColor = QColor(100, 100, 100);
    list.HighlightColor = QColor(0, 200, 0);

    QImage image(200, 145, QImage::Format_RGB32);
    image.fill(Untouched);
    {
        QPainter painter(&image);
        DrawFrameListItem(painter, image.rect(), list, frames.Item(0), 0, 80, true);
    }
    const QRect thumb = FrameThumbnailRect(FrameCardRect(image.rect(), 80), 80, 32);
    QCOMPARE(thumb.size(), QSize(80, 32));
    QCOMPARE(image.pixelColor(thumb.topLeft()), QColor(0, 0, 255));
    QCOMPARE(image.pixelColor(thumb.bottomRight()), QColor(0, 0, 255));
    QCOMPARE(image.pixelColor(thumb.left() - 5, thumb.center().y()), list.HighlightColor);
    QCOMPARE(image.pixelColor(6, 6), list.BrushColor);
}

void FrameListTest::RightPressSelectsBeforeTelling()
{
    TFLListBox list;
    FillList(list, 4, 60);
    list.setCurrentRow(0);
    std::vector<std::pair<int, int>> told; // signal argument, selection then
    connect(&list, &TFLListBox::RightPressed, &list, [&](int index) { told.emplace_back(index, list.currentRow()); });

    QTest::mousePress(list.viewport(), Qt::RightButton, {}, CentreOf(list, 2));
    QCOMPARE(told.size(), size_t(1));
    QCOMPARE(told[0], std::make_pair(2, 2));
    QVERIFY(list.item(2)->isSelected());
    QTest::mouseRelease(list.viewport(), Qt::RightButton, {}, CentreOf(list, 2));

    // On the selected item it tells again (the frame is shown again).
    QTest::mousePress(list.viewport(), Qt::RightButton, {}, CentreOf(list, 2));
    QCOMPARE(told.size(), size_t(2));
    QTest::mouseRelease(list.viewport(), Qt::RightButton, {}, CentreOf(list, 2));

    // Beside the items: no signal, the selection stays.
    QTest::mousePress(list.viewport(), Qt::RightButton, {}, BelowItems(list));
    QCOMPARE(told.size(), size_t(2));
    QCOMPARE(list.currentRow(), 2);
    QTest::mouseRelease(list.viewport(), Qt::RightButton, {}, BelowItems(list));
    QTest::mousePress(list.viewport(), Qt::LeftButton, {}, BelowItems(list));
    QCOMPARE(list.currentRow(), 2);
    QVERIFY(list.item(2)->isSelected());
}

void FrameListTest::DragStartsAfterTenPixels()
{
    TCountingListBox list;
    FillList(list, 4, 60);
    list.setCurrentRow(0);
    QWidget& viewport = *list.viewport();
    const QPoint start = CentreOf(list, 1) - QPoint(0, 5);

    // The press selects item 1 and prepares its drag.
    SendMouse(viewport, QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
    QCOMPARE(list.currentRow(), 1);
    SendMouse(viewport, QEvent::MouseMove, start + QPoint(9, 9), Qt::NoButton, Qt::LeftButton);
    QCOMPARE(list.Drags, 0);
    SendMouse(viewport, QEvent::MouseMove, start + QPoint(-9, 0), Qt::NoButton, Qt::LeftButton);
    QCOMPARE(list.Drags, 0);
    SendMouse(viewport, QEvent::MouseMove, start + QPoint(0, 10), Qt::NoButton, Qt::LeftButton);
    QCOMPARE(list.Drags, 1);
    QCOMPARE(list.DraggedRow, 1);
    SendMouse(viewport, QEvent::MouseMove, start + QPoint(0, 30), Qt::NoButton, Qt::LeftButton);
    QCOMPARE(list.Drags, 1);
    SendMouse(viewport, QEvent::MouseButtonRelease, start + QPoint(0, 30), Qt::LeftButton, Qt::NoButton);

    // A release before the threshold cancels; so does the right button.
    SendMouse(viewport, QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
    SendMouse(viewport, QEvent::MouseButtonRelease, start, Qt::LeftButton, Qt::NoButton);
    SendMouse(viewport, QEvent::MouseMove, start + QPoint(0, 30), Qt::NoButton, Qt::LeftButton);
    SendMouse(viewport, QEvent::MouseButtonPress, start, Qt::RightButton, Qt::RightButton);
    SendMouse(viewport, QEvent::MouseMove, start + QPoint(0, 30), Qt::NoButton, Qt::RightButton);
    QCOMPARE(list.Drags, 1);
    SendMouse(viewport, QEvent::MouseButtonRelease, start, Qt::RightButton, Qt::NoButton);

    // A press beside the items starts nothing.
    SendMouse(viewport, QEvent::MouseButtonPress, BelowItems(list), Qt::LeftButton, Qt::LeftButton);
    SendMouse(viewport, QEvent::MouseMove, BelowItems(list) + QPoint(0, 30), Qt::NoButton, Qt::LeftButton);
    QCOMPARE(list.Drags, 1);
}

void FrameListTest::OwnDragDropsOnlyOnAnotherItem()
{
    TFLListBox list;
    FillList(list, 4, 60);
    list.setCurrentRow(3);
    QSignalSpy moves(&list, &TFLListBox::ItemMoveRequested);
    const std::unique_ptr<QMimeData> data = list.CreateDragData();
    QVERIFY(data->hasFormat(QString::fromLatin1(TFLListBox::ItemMimeType)));
    QVERIFY(list.IsOwnDrag(*data));

    QVERIFY(SendDragMove(list, *data, CentreOf(list, 0)));
    QVERIFY(SendDragMove(list, *data, CentreOf(list, 3)));
    QVERIFY(!SendDragMove(list, *data, BelowItems(list)));

    SendDrop(list, *data, BelowItems(list));
    SendDrop(list, *data, CentreOf(list, 3));
    QCOMPARE(moves.count(), 0);
    SendDrop(list, *data, CentreOf(list, 0));
    QCOMPARE(moves.count(), 1);
    QCOMPARE(moves.at(0).at(0).toInt(), 3);
    QCOMPARE(moves.at(0).at(1).toInt(), 0);
    // The list moves nothing itself: its owner moves the frame.
    QCOMPARE(list.count(), 4);
    QCOMPARE(list.currentRow(), 3);

    // Without a selection there is nothing to move.
    list.setCurrentRow(-1);
    SendDrop(list, *data, CentreOf(list, 1));
    QCOMPARE(moves.count(), 1);

    // Another list's items are not ours to move.
    list.setCurrentRow(2);
    TFLListBox other;
    const std::unique_ptr<QMimeData> foreign = other.CreateDragData();
    QVERIFY(!list.IsOwnDrag(*foreign));
    QVERIFY(!SendDragMove(list, *foreign, CentreOf(list, 0)));
    SendDrop(list, *foreign, CentreOf(list, 0));
    QCOMPARE(moves.count(), 1);
}

void FrameListTest::ForeignDragsGoToTheHook()
{
    TFLListBox list;
    FillList(list, 3, 60);
    list.setCurrentRow(1);
    QSignalSpy moves(&list, &TFLListBox::ItemMoveRequested);
    QMimeData text;
    text.setText(QStringLiteral("frame.gif"));

    // Without a hook every foreign drag is refused.
    QVERIFY(!SendDragMove(list, text, CentreOf(list, 0)));
    SendDrop(list, text, CentreOf(list, 0));

    std::vector<int> asked, dropped;
    list.AcceptsForeignDrag = [&](const QMimeData& data, int index) {
        asked.push_back(index);
        return data.hasText() && index >= 0;
    };
    list.OnForeignDrop = [&](const QMimeData& data, int index) {
        QCOMPARE(data.text(), QStringLiteral("frame.gif"));
        dropped.push_back(index);
    };
    QVERIFY(SendDragMove(list, text, CentreOf(list, 2)));
    QVERIFY(!SendDragMove(list, text, BelowItems(list)));
    QCOMPARE(asked, (std::vector<int>{2, -1}));
    SendDrop(list, text, BelowItems(list));
    SendDrop(list, text, CentreOf(list, 1));
    QCOMPARE(dropped, std::vector<int>{1});
    QCOMPARE(moves.count(), 0);
}

} // namespace fl

QTEST_MAIN(fl::FrameListTest)
#include "FrameListTest.moc"
