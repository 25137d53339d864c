// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/AppIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <cstring>
#include <functional>
#include <vector>

namespace fl {

namespace {

// Every drawing works on a 16 x 16 grid and is scaled for larger sizes.
using TDrawing = std::function<void(QPainter&)>;

const QColor Outline(40, 40, 40);
const QColor Paper(250, 250, 250);
const QColor FolderYellow(235, 190, 60);
const QColor DiskBlue(50, 90, 170);
const QColor GoGreen(40, 150, 60);
const QColor StopRed(200, 40, 40);
const QColor ArrowBlue(30, 100, 200);
const QColor FilmGray(90, 90, 100);

void Page(QPainter& p, qreal x, qreal y, qreal w, qreal h)
{
    QPainterPath path;
    path.moveTo(x, y);
    path.lineTo(x + w - 4, y);
    path.lineTo(x + w, y + 4);
    path.lineTo(x + w, y + h);
    path.lineTo(x, y + h);
    path.closeSubpath();
    p.setPen(QPen(Outline, 1));
    p.setBrush(Paper);
    p.drawPath(path);
    p.drawLine(QPointF(x + w - 4, y), QPointF(x + w - 4, y + 4));
    p.drawLine(QPointF(x + w - 4, y + 4), QPointF(x + w, y + 4));
}

// Undo's arrow: three quarters of a circle ending in a head at the top left.
void DrawTurningArrow(QPainter& p)
{
    p.setPen(QPen(ArrowBlue, 2, Qt::SolidLine, Qt::FlatCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(4, 4, 9, 9), 90 * 16, -270 * 16);
    QPolygonF head;
    head << QPointF(1, 4.5) << QPointF(7, 1) << QPointF(7, 8);
    p.setPen(Qt::NoPen);
    p.setBrush(ArrowBlue);
    p.drawPolygon(head);
}

void Folder(QPainter& p)
{
    p.setPen(QPen(Outline, 1));
    p.setBrush(FolderYellow.darker(115));
    p.drawRect(QRectF(1.5, 3.5, 6, 2));
    p.setBrush(FolderYellow);
    p.drawRect(QRectF(1.5, 5.5, 13, 8));
}

void Disk(QPainter& p, qreal x, qreal y)
{
    p.setPen(QPen(Outline, 1));
    p.setBrush(DiskBlue);
    p.drawRect(QRectF(x + 0.5, y + 0.5, 12, 12));
    p.setBrush(Paper);
    p.drawRect(QRectF(x + 2.5, y + 0.5, 8, 5));
    p.setBrush(QColor(200, 200, 210));
    p.drawRect(QRectF(x + 3.5, y + 8.5, 6, 4));
}

void Cross(QPainter& p, const QRectF& box, const QColor& color)
{
    p.setPen(QPen(color, 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(box.topLeft(), box.bottomRight());
    p.drawLine(box.topRight(), box.bottomLeft());
}

void Plus(QPainter& p, const QPointF& centre, qreal half, const QColor& color)
{
    p.setPen(QPen(color, 2, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(centre.x() - half, centre.y()), QPointF(centre.x() + half, centre.y()));
    p.drawLine(QPointF(centre.x(), centre.y() - half), QPointF(centre.x(), centre.y() + half));
}

// A film frame: a dark strip with sprocket holes around a light picture.
void Film(QPainter& p, const QRectF& box)
{
    p.setPen(QPen(Outline, 1));
    p.setBrush(FilmGray);
    p.drawRect(box);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(170, 210, 240));
    p.drawRect(box.adjusted(3, 2, -3, -2));
    p.setBrush(Paper);
    for (qreal y = box.top() + 1.5; y < box.bottom() - 1; y += 3) {
        p.drawRect(QRectF(box.left() + 1, y, 1, 1.5));
        p.drawRect(QRectF(box.right() - 2, y, 1, 1.5));
    }
}

void Arrow(QPainter& p, bool up, qreal top, qreal bottom, const QColor& color)
{
    const qreal tip = up ? top : bottom;
    const qreal base = up ? top + 5 : bottom - 5;
    QPolygonF head;
    head << QPointF(8, tip) << QPointF(3, base) << QPointF(13, base);
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawPolygon(head);
    p.drawRect(QRectF(6, up ? base : top, 4, up ? bottom - base : base - top));
}

void Window(QPainter& p, const QRectF& box)
{
    p.setPen(QPen(Outline, 1));
    p.setBrush(Paper);
    p.drawRect(box);
    p.setBrush(ArrowBlue);
    p.drawRect(QRectF(box.left(), box.top(), box.width(), 2.5));
}

void Disc(QPainter& p, const QColor& color, const QString& letter)
{
    p.setPen(QPen(color.darker(130), 1));
    p.setBrush(color);
    p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
    QFont font = p.font();
    font.setBold(true);
    font.setPixelSize(11);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRectF(1.5, 1.5, 13, 13), Qt::AlignCenter, letter);
}

struct TIconEntry {
    const char* Action;
    // The freedesktop icon name, or null when no theme has one.
    const char* ThemeName;
    TDrawing Draw;
};

const std::vector<TIconEntry>& IconTable()
{
    static const std::vector<TIconEntry> table = {
        {"FileNew", "document-new",
         [](QPainter& p) {
             Page(p, 2.5, 1.5, 10, 13);
             Plus(p, {12, 11}, 3, GoGreen);
         }},
        {"FileOpen", "document-open", [](QPainter& p) { Folder(p); }},
        {"FileSave", "document-save", [](QPainter& p) { Disk(p, 1.5, 1.5); }},
        {"FileSaveAs", "document-save-as",
         [](QPainter& p) {
             Disk(p, 0.5, 0.5);
             p.setPen(QPen(StopRed, 2, Qt::SolidLine, Qt::RoundCap));
             p.drawLine(QPointF(9, 14), QPointF(15, 8));
         }},
        {"FileSaveAll", nullptr,
         [](QPainter& p) {
             Disk(p, 0, 0);
             Disk(p, 3, 3);
         }},
        {"FileClose", "window-close",
         [](QPainter& p) {
             Page(p, 2.5, 1.5, 10, 13);
             Cross(p, QRectF(8, 8, 6, 6), StopRed);
         }},
        {"FileExit", "application-exit",
         [](QPainter& p) {
             p.setPen(QPen(Outline, 1));
             p.setBrush(QColor(150, 100, 60));
             p.drawRect(QRectF(2.5, 1.5, 7, 13));
             p.setPen(QPen(GoGreen, 2, Qt::SolidLine, Qt::FlatCap));
             p.drawLine(QPointF(7, 8), QPointF(14, 8));
             p.drawLine(QPointF(11, 5), QPointF(14, 8));
             p.drawLine(QPointF(11, 11), QPointF(14, 8));
         }},
        {"EditUndo", "edit-undo", [](QPainter& p) { DrawTurningArrow(p); }},
        {"EditRedo", "edit-redo",
         [](QPainter& p) {
             // Undo's arrow, mirrored.
             p.translate(16, 0);
             p.scale(-1, 1);
             DrawTurningArrow(p);
         }},
        {"EditCut", "edit-cut",
         [](QPainter& p) {
             p.setPen(QPen(Outline, 1.5));
             p.drawLine(QPointF(5, 1), QPointF(10, 10));
             p.drawLine(QPointF(11, 1), QPointF(6, 10));
             p.setBrush(Qt::NoBrush);
             p.setPen(QPen(StopRed, 1.5));
             p.drawEllipse(QRectF(2, 10, 4, 4));
             p.drawEllipse(QRectF(10, 10, 4, 4));
         }},
        {"EditCopy", "edit-copy",
         [](QPainter& p) {
             Page(p, 1.5, 0.5, 8, 10);
             Page(p, 6.5, 5.5, 8, 10);
         }},
        {"EditPaste", "edit-paste",
         [](QPainter& p) {
             p.setPen(QPen(Outline, 1));
             p.setBrush(QColor(170, 120, 70));
             p.drawRect(QRectF(1.5, 2.5, 10, 12));
             p.setBrush(QColor(200, 200, 200));
             p.drawRect(QRectF(4.5, 1.5, 4, 2));
             Page(p, 6.5, 6.5, 8, 9);
         }},
        {"FrameAdd", nullptr,
         [](QPainter& p) {
             Film(p, QRectF(0.5, 1.5, 11, 13));
             Plus(p, {12, 12}, 3, GoGreen);
         }},
        {"FrameDelete", "edit-delete",
         [](QPainter& p) {
             Film(p, QRectF(0.5, 1.5, 11, 13));
             Cross(p, QRectF(9, 9, 6, 6), StopRed);
         }},
        {"FrameMoveBegin", "go-top",
         [](QPainter& p) {
             p.fillRect(QRectF(2, 1, 12, 2), Outline);
             Arrow(p, true, 4, 15, ArrowBlue);
         }},
        {"FrameMoveEnd", "go-bottom",
         [](QPainter& p) {
             p.fillRect(QRectF(2, 13, 12, 2), Outline);
             Arrow(p, false, 1, 12, ArrowBlue);
         }},
        {"FrameMoveUp", "go-up", [](QPainter& p) { Arrow(p, true, 1, 15, ArrowBlue); }},
        {"FrameMoveDown", "go-down", [](QPainter& p) { Arrow(p, false, 1, 15, ArrowBlue); }},
        {"FrameGlobalChange", nullptr,
         [](QPainter& p) {
             Film(p, QRectF(4.5, 0.5, 11, 9));
             Film(p, QRectF(2.5, 3.5, 11, 9));
             Film(p, QRectF(0.5, 6.5, 11, 9));
         }},
        {"AnimationPlay", "media-playback-start",
         [](QPainter& p) {
             QPolygonF play;
             play << QPointF(4, 2) << QPointF(14, 8) << QPointF(4, 14);
             p.setPen(QPen(GoGreen.darker(130), 1));
             p.setBrush(GoGreen);
             p.drawPolygon(play);
         }},
        {"AnimationPause", "media-playback-pause",
         [](QPainter& p) {
             p.fillRect(QRectF(3, 2, 4, 12), ArrowBlue);
             p.fillRect(QRectF(9, 2, 4, 12), ArrowBlue);
         }},
        {"AnimationInfo", "dialog-information", [](QPainter& p) { Disc(p, ArrowBlue, QStringLiteral("i")); }},
        {"AnimationPalette", nullptr,
         [](QPainter& p) {
             const QColor colors[] = {StopRed, GoGreen, ArrowBlue, FolderYellow};
             for (int i = 0; i < 4; ++i) {
                 p.setPen(QPen(Outline, 1));
                 p.setBrush(colors[i]);
                 p.drawRect(QRectF(1.5 + (i % 2) * 7, 1.5 + (i / 2) * 7, 6, 6));
             }
         }},
        {"AnimationOptimize", nullptr,
         [](QPainter& p) {
             Film(p, QRectF(0.5, 1.5, 11, 13));
             QPolygonF bolt;
             bolt << QPointF(12, 1) << QPointF(8, 9) << QPointF(11, 9) << QPointF(9, 15) << QPointF(15, 6)
                  << QPointF(12, 6) << QPointF(15, 1);
             p.setPen(QPen(Outline, 0.8));
             p.setBrush(FolderYellow);
             p.drawPolygon(bolt);
         }},
        {"AnimationResize", nullptr,
         [](QPainter& p) {
             p.setPen(QPen(Outline, 1, Qt::DashLine));
             p.setBrush(Qt::NoBrush);
             p.drawRect(QRectF(1.5, 1.5, 13, 13));
             p.setPen(QPen(ArrowBlue, 1.5));
             p.drawLine(QPointF(4, 12), QPointF(12, 4));
             p.drawLine(QPointF(8, 4), QPointF(12, 4));
             p.drawLine(QPointF(12, 4), QPointF(12, 8));
             p.drawLine(QPointF(4, 8), QPointF(4, 12));
             p.drawLine(QPointF(4, 12), QPointF(8, 12));
         }},
        {"ThumbsBrowse", "folder-open",
         [](QPainter& p) {
             Folder(p);
             p.setPen(QPen(Outline, 2, Qt::SolidLine, Qt::RoundCap));
             p.setBrush(QColor(210, 230, 250));
             p.drawEllipse(QRectF(7, 6, 6, 6));
             p.drawLine(QPointF(12, 11), QPointF(15, 14));
         }},
        {"ThumbsRefresh", "view-refresh",
         [](QPainter& p) {
             p.setPen(QPen(GoGreen, 2, Qt::SolidLine, Qt::FlatCap));
             p.setBrush(Qt::NoBrush);
             p.drawArc(QRectF(3, 3, 10, 10), 30 * 16, 300 * 16);
             QPolygonF head;
             head << QPointF(15, 2) << QPointF(15, 8) << QPointF(9, 6);
             p.setPen(Qt::NoPen);
             p.setBrush(GoGreen);
             p.drawPolygon(head);
         }},
        {"ThumbsShowHide", nullptr,
         [](QPainter& p) {
             p.setPen(QPen(Outline, 1));
             for (int i = 0; i < 4; ++i) {
                 p.setBrush(i % 3 == 0 ? QColor(170, 210, 240) : QColor(240, 220, 150));
                 p.drawRect(QRectF(1.5 + (i % 2) * 7, 1.5 + (i / 2) * 7, 6, 6));
             }
         }},
        {"WindowCascade", nullptr,
         [](QPainter& p) {
             Window(p, QRectF(0.5, 0.5, 10, 8));
             Window(p, QRectF(5.5, 6.5, 10, 8));
         }},
        {"WindowTileHorizontal", nullptr,
         [](QPainter& p) {
             Window(p, QRectF(0.5, 0.5, 15, 6.5));
             Window(p, QRectF(0.5, 8.5, 15, 6.5));
         }},
        {"WindowTileVertical", nullptr,
         [](QPainter& p) {
             Window(p, QRectF(0.5, 0.5, 6.5, 15));
             Window(p, QRectF(8.5, 0.5, 6.5, 15));
         }},
        {"HelpContents", "help-contents", [](QPainter& p) { Disc(p, ArrowBlue, QStringLiteral("?")); }},
    };
    return table;
}

QPixmap Render(const TDrawing& draw, int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 16.0, size / 16.0);
    draw(painter);
    return pixmap;
}

QIcon DrawnIcon(const TDrawing& draw)
{
    QIcon icon;
    for (int size : {16, 24})
        icon.addPixmap(Render(draw, size));
    return icon;
}

// A 14 x 14 glyph: one or two arrow heads pointing left; the right-hand
// glyphs are their mirror images, so that a pair always matches.
QPixmap ArrowGlyph(bool left, bool twice)
{
    QImage image(14, 14, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::black);
        const qreal width = twice ? 4 : 5;
        const qreal start = twice ? 3 : 4.5;
        for (int i = 0; i < (twice ? 2 : 1); ++i) {
            const qreal from = start + i * width;
            QPolygonF head;
            head << QPointF(from, 7) << QPointF(from + width, 3) << QPointF(from + width, 11);
            painter.drawPolygon(head);
        }
    }
    return QPixmap::fromImage(left ? image : image.mirrored(true, false));
}

QPixmap CursorCanvas()
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

} // namespace

QIcon ActionIcon(const char* actionName)
{
    if (!actionName)
        return {};
    for (const TIconEntry& entry : IconTable()) {
        if (std::strcmp(entry.Action, actionName) != 0)
            continue;
        QIcon drawn = DrawnIcon(entry.Draw);
        return entry.ThemeName ? QIcon::fromTheme(QString::fromLatin1(entry.ThemeName), drawn) : drawn;
    }
    return {};
}

QPixmap Glyph(const char* name)
{
    if (!name)
        return {};
    if (std::strcmp(name, "ARROW_LEFT") == 0)
        return ArrowGlyph(true, false);
    if (std::strcmp(name, "ARROW_RIGHT") == 0)
        return ArrowGlyph(false, false);
    if (std::strcmp(name, "ARROW_EX_LEFT") == 0)
        return ArrowGlyph(true, true);
    if (std::strcmp(name, "ARROW_EX_RIGHT") == 0)
        return ArrowGlyph(false, true);
    return {};
}

QPixmap ModifiedMark()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(StopRed.darker(140), 1));
    painter.setBrush(StopRed);
    painter.drawEllipse(QRectF(3.5, 3.5, 9, 9));
    painter.setPen(QPen(Qt::white, 1.5, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(8, 5.5), QPointF(8, 8.5));
    painter.drawPoint(QPointF(8, 10.5));
    return pixmap;
}

QCursor DragCursor()
{
    QPixmap pixmap = CursorCanvas();
    QPainter painter(&pixmap);
    // The pointer, its tip at the hot spot.
    QPolygon pointer;
    pointer << QPoint(1, 1) << QPoint(1, 17) << QPoint(5, 13) << QPoint(8, 20) << QPoint(10, 19)
            << QPoint(7, 12) << QPoint(12, 12);
    painter.setPen(Qt::black);
    painter.setBrush(Qt::white);
    painter.drawPolygon(pointer);
    // A small frame with a plus: a frame is being carried.
    painter.setBrush(Qt::white);
    painter.drawRect(14, 16, 12, 10);
    painter.drawLine(20, 18, 20, 24);
    painter.drawLine(17, 21, 23, 21);
    painter.end();
    return QCursor(pixmap, 1, 1);
}

QCursor EyedropperCursor()
{
    QPixmap pixmap = CursorCanvas();
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    // The tube from the tip at the bottom left up to the bulb.
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::white);
    QPolygonF tube;
    tube << QPointF(1, 30) << QPointF(3, 25) << QPointF(17, 11) << QPointF(20, 14) << QPointF(6, 28);
    painter.drawPolygon(tube);
    painter.setBrush(Qt::black);
    painter.drawEllipse(QRectF(19, 3, 10, 10));
    painter.setPen(QPen(Qt::black, 3, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(15, 10), QPointF(21, 16));
    painter.end();
    return QCursor(pixmap, 1, 30);
}

} // namespace fl
