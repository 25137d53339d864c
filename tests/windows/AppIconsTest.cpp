// SPDX-License-Identifier: GPL-3.0-or-later
// The program's pictures: an icon for the commands that show one, the
// named glyphs, the modified mark and the two cursors.
#include <QApplication>
#include <QBitmap>
#include <QtTest>

#include <cstring>

#include "app/AppIcons.h"
#include "document/ActionStates.h"

namespace fl {

namespace {

// Pixels that are not fully transparent.
int InkedPixels(const QImage& image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += qAlpha(image.pixel(x, y)) != 0;
    return count;
}

QImage Drawn(const QIcon& icon, int size)
{
    return icon.pixmap(QSize(size, size)).toImage().convertToFormat(QImage::Format_ARGB32);
}

} // namespace

class AppIconsTest : public QObject {
    Q_OBJECT
private slots:
    void CommandsHaveDistinctIcons();
    void UnknownNamesGiveNothing();
    void ArrowGlyphsPointBothWays();
    void MarkAndCursorsAreDrawn();
};

void AppIconsTest::CommandsHaveDistinctIcons()
{
    // Commands the toolbars and menus show with a picture.
    const char* shown[] = {"FileNew",       "FileOpen",         "FileSave",          "FileClose",
                           "EditUndo",      "EditCut",          "EditCopy",          "EditPaste",
                           "FrameAdd",      "FrameDelete",      "FrameMoveBegin",    "FrameMoveEnd",
                           "FrameMoveUp",   "FrameMoveDown",    "AnimationPlay",     "AnimationPause",
                           "AnimationInfo", "AnimationPalette", "AnimationOptimize", "AnimationResize",
                           "HelpContents"};
    QList<QImage> seen;
    for (const char* name : shown) {
        const QIcon icon = ActionIcon(name);
        QVERIFY2(!icon.isNull(), name);
        for (int size : {16, 24}) {
            const QImage image = Drawn(icon, size);
            QCOMPARE(image.size(), QSize(size, size));
            QVERIFY2(InkedPixels(image) > size, name);
        }
        const QImage small = Drawn(icon, 16);
        QVERIFY2(!seen.contains(small), name);
        seen << small;
    }
    // The names are the command table's.
    for (const char* name : shown) {
        bool known = false;
        for (const TActionInfo& info : ActionTable())
            known = known || std::strcmp(info.Name, name) == 0;
        QVERIFY2(known, name);
    }
}

void AppIconsTest::UnknownNamesGiveNothing()
{
    QVERIFY(ActionIcon("NoSuchAction").isNull());
    QVERIFY(ActionIcon(nullptr).isNull());
    QVERIFY(Glyph("ARROW_UP").isNull());
    QVERIFY(Glyph(nullptr).isNull());
}

void AppIconsTest::ArrowGlyphsPointBothWays()
{
    for (const char* name : {"ARROW_LEFT", "ARROW_RIGHT", "ARROW_EX_LEFT", "ARROW_EX_RIGHT"}) {
        const QPixmap glyph = Glyph(name);
        QCOMPARE(glyph.size(), QSize(14, 14));
        QVERIFY2(InkedPixels(glyph.toImage()) > 10, name);
    }
    const QImage left = Glyph("ARROW_LEFT").toImage();
    const QImage right = Glyph("ARROW_RIGHT").toImage();
    QVERIFY(left != right);
    QCOMPARE(left.mirrored(true, false), right);
    QCOMPARE(Glyph("ARROW_EX_LEFT").toImage().mirrored(true, false), Glyph("ARROW_EX_RIGHT").toImage());
    QVERIFY(Glyph("ARROW_EX_LEFT").toImage() != left);
}

void AppIconsTest::MarkAndCursorsAreDrawn()
{
    const QPixmap mark = ModifiedMark();
    QVERIFY(!mark.isNull());
    QVERIFY(mark.width() <= 20);
    QVERIFY(InkedPixels(mark.toImage()) > 10);

    for (const QCursor& cursor : {DragCursor(), EyedropperCursor()}) {
        const QPixmap picture = cursor.pixmap();
        QVERIFY(!picture.isNull());
        const QPoint hot = cursor.hotSpot();
        QVERIFY(QRect(QPoint(0, 0), picture.size()).contains(hot));
        // The hot spot sits on the drawing, where the tip is.
        QVERIFY(qAlpha(picture.toImage().pixel(hot)) != 0);
    }
    QVERIFY(DragCursor().pixmap().toImage() != EyedropperCursor().pixmap().toImage());
}

} // namespace fl

QTEST_MAIN(fl::AppIconsTest)
#include "AppIconsTest.moc"
