// SPDX-License-Identifier: GPL-3.0-or-later
// The program's own controls: the gradient band, the color combo box and
// the list boxes that keep their horizontal extent.
#include <QApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QScrollBar>
#include <QtTest>

#include <utility>
#include <vector>

#include "app/ColorComboBox.h"
#include "app/FLListBox.h"
#include "app/Gradient.h"
#include "app/ListBoxHrz.h"

namespace fl {

namespace {

QStringList Names(const TColorComboBox& box)
{
    QStringList names;
    for (int i = 0; i < box.count(); ++i)
        names << box.itemText(i);
    return names;
}

QColor PixelOf(QWidget& widget, int x, int y)
{
    return widget.grab().toImage().pixelColor(x, y);
}

} // namespace

class ControlsTest : public QObject {
    Q_OBJECT
private slots:
    void GradientStepsMixTheTwoColors();
    void GradientOfTwoStepsPaintsTwoHalves();
    void GradientBandsEndAtRoundedBoundaries();
    void GradientLabelFitsItsFont();
    void ColorWidthIgnoresNarrowValues();
    void StandardColorsInInsertionOrder();
    void ColorSortListsByValue();
    void TextSortIgnoresCase();
    void ResortKeepsTheSelectedColor();
    void SelectionByValue();
    void EntryShowsSwatchAndName();
    void ExtentFollowsTheWidestEntry();
    void ExtentFollowsTheFont();
    void FrameListShowsCaptionOnlyWhenEmpty();
    void FrameListDrawsThroughItsOwner();
    void FrameListDefaultDrawingHighlightsSelection();
};

void ControlsTest::GradientStepsMixTheTwoColors()
{
    const QColor black(0, 0, 0);
    const QColor white(255, 255, 255);
    const std::vector<QColor> three = GradientSteps(black, white, 3);
    QCOMPARE(three.size(), size_t(3));
    QCOMPARE(three[0], black);
    // 255 / 2 = 127.5 rounds up.
    QCOMPARE(three[1], QColor(128, 128, 128));
    QCOMPARE(three[2], white);

    const std::vector<QColor> many = GradientSteps(QColor(200, 0, 10), QColor(0, 255, 10), 64);
    QCOMPARE(many.size(), size_t(64));
    // 62 x 200 / 63 = 196.8 and 1 x 255 / 63 = 4.05.
    QCOMPARE(many[1], QColor(197, 4, 10));
    QCOMPARE(many[63], QColor(0, 255, 10));

    QCOMPARE(GradientSteps(black, white, 1), std::vector<QColor>{black});
    QVERIFY(GradientSteps(black, white, 0).empty());
}

void ControlsTest::GradientOfTwoStepsPaintsTwoHalves()
{
    TGradient gradient;
    QCOMPARE(gradient.NumColors(), 64);
    QCOMPARE(gradient.size(), QSize(100, 40));
    gradient.SetColorTop(Qt::red);
    gradient.SetColorBottom(Qt::blue);
    gradient.SetNumColors(2);
    QImage image = gradient.grab().toImage();
    QCOMPARE(image.pixelColor(0, 0), QColor(Qt::red));
    QCOMPARE(image.pixelColor(49, 39), QColor(Qt::red));
    QCOMPARE(image.pixelColor(50, 0), QColor(Qt::blue));
    QCOMPARE(image.pixelColor(99, 39), QColor(Qt::blue));

    gradient.SetOrientation(TGradientOrientation::goVertical);
    image = gradient.grab().toImage();
    QCOMPARE(image.pixelColor(99, 19), QColor(Qt::red));
    QCOMPARE(image.pixelColor(0, 20), QColor(Qt::blue));

    // A changed color is used at once, not the steps cached before.
    gradient.SetColorBottom(Qt::green);
    QCOMPARE(PixelOf(gradient, 0, 39), QColor(Qt::green));
}

void ControlsTest::GradientBandsEndAtRoundedBoundaries()
{
    TGradient gradient;
    gradient.resize(10, 4);
    gradient.SetColorTop(QColor(0, 0, 0));
    gradient.SetColorBottom(QColor(200, 200, 200));
    gradient.SetNumColors(3);
    // Boundaries at MulDiv(10, 1, 3) = 3 and MulDiv(10, 2, 3) = 7.
    const QImage image = gradient.grab().toImage();
    QCOMPARE(image.pixelColor(2, 1), QColor(0, 0, 0));
    QCOMPARE(image.pixelColor(3, 1), QColor(100, 100, 100));
    QCOMPARE(image.pixelColor(6, 1), QColor(100, 100, 100));
    QCOMPARE(image.pixelColor(7, 1), QColor(200, 200, 200));
}

void ControlsTest::GradientLabelFitsItsFont()
{
    TGradientLabel label;
    QCOMPARE(label.height(), QFontMetrics(label.font()).height() + 8);
    QFont large = label.font();
    large.setPixelSize(40);
    label.setFont(large);
    QCOMPARE(label.height(), QFontMetrics(large).height() + 8);

    // The caption is drawn over the band; an image index without images
    // draws nothing and fails nothing.
    label.resize(200, label.height());
    label.SetColorTop(Qt::white);
    label.SetColorBottom(Qt::white);
    const QImage plain = label.grab().toImage();
    label.SetImageIndex(3);
    label.SetCaption(QStringLiteral("Section"));
    QVERIFY(label.grab().toImage() != plain);
}

void ControlsTest::ColorWidthIgnoresNarrowValues()
{
    TColorComboBox box;
    QCOMPARE(box.ColorWidth(), 18);
    QCOMPARE(box.Version(), QStringLiteral("1.00.00"));
    QCOMPARE(box.SortBy(), TColorSort::ccsUnsorted);
    box.SetColorWidth(3);
    QCOMPARE(box.ColorWidth(), 18);
    box.SetColorWidth(5);
    QCOMPARE(box.ColorWidth(), 5);
}

void ControlsTest::StandardColorsInInsertionOrder()
{
    TColorComboBox box;
    box.AddStandardColors(0x123456);
    QCOMPARE(Names(box),
             QStringList({"Default", "Aqua", "Black", "Blue", "Fuchsia", "Gray", "Green", "Lime", "Maroon",
                          "Navy", "Olive", "Purple", "Red", "Silver", "Teal", "White", "Yellow"}));
    QCOMPARE(box.ColorAt(0), 0x123456u);
    QCOMPARE(box.ColorAt(3), 0xFF0000u);
    QCOMPARE(ColorFromValue(box.ColorAt(3)), QColor(0, 0, 255));
    QCOMPARE(ColorFromValue(box.ColorAt(12)), QColor(255, 0, 0));
}

void ControlsTest::ColorSortListsByValue()
{
    TColorComboBox box;
    box.SetSortBy(TColorSort::ccsColor);
    box.AddStandardColors(0x123456);
    const QStringList sorted = {"Black",  "Maroon",  "Red",     "Green",  "Olive", "Lime",
                                "Yellow", "Default", "Navy",    "Purple", "Teal",  "Gray",
                                "Silver", "Blue",    "Fuchsia", "Aqua",   "White"};
    QCOMPARE(Names(box), sorted);
    QCOMPARE(box.itemText(0), QStringLiteral("Black"));
    QCOMPARE(box.itemText(box.count() - 1), QStringLiteral("White"));

    // A new entry goes behind the entries of equal value.
    QCOMPARE(box.AddColor(QStringLiteral("Grey too"), 0x808080), 12);
    QCOMPARE(box.itemText(11), QStringLiteral("Gray"));

    // Sorting an unsorted list gives the same order.
    TColorComboBox later;
    later.AddStandardColors(0x123456);
    later.SetSortBy(TColorSort::ccsColor);
    QCOMPARE(Names(later), sorted);
}

void ControlsTest::TextSortIgnoresCase()
{
    TColorComboBox box;
    box.SetSortBy(TColorSort::ccsText);
    box.AddColor(QStringLiteral("gamma"), 1);
    box.AddColor(QStringLiteral("Beta"), 2);
    box.AddColor(QStringLiteral("alpha"), 3);
    box.AddColor(QStringLiteral("ALPHA"), 4);
    box.AddColor(QStringLiteral("delta"), 5);
    QCOMPARE(Names(box), QStringList({"alpha", "ALPHA", "Beta", "delta", "gamma"}));

    TColorComboBox standard;
    standard.AddStandardColors(0);
    standard.SetSortBy(TColorSort::ccsText);
    QCOMPARE(Names(standard).first(), QStringLiteral("Aqua"));
    QCOMPARE(Names(standard).indexOf("Default"), 3);
    QCOMPARE(Names(standard).last(), QStringLiteral("Yellow"));
}

void ControlsTest::ResortKeepsTheSelectedColor()
{
    TColorComboBox box;
    box.AddStandardColors(0x123456);
    QVERIFY(box.SelectColor(0x0000FF));
    QCOMPARE(box.currentText(), QStringLiteral("Red"));
    box.SetSortBy(TColorSort::ccsColor);
    QCOMPARE(box.currentText(), QStringLiteral("Red"));
    QCOMPARE(box.SelectedColor(), int64_t(0x0000FF));
    box.SetSortBy(TColorSort::ccsText);
    QCOMPARE(box.currentText(), QStringLiteral("Red"));
    QCOMPARE(box.currentIndex(), Names(box).indexOf("Red"));
    // Back to unsorted leaves the order alone.
    const QStringList before = Names(box);
    box.SetSortBy(TColorSort::ccsUnsorted);
    QCOMPARE(Names(box), before);
}

void ControlsTest::SelectionByValue()
{
    TColorComboBox box;
    QCOMPARE(box.SelectedColor(), int64_t(-1));
    box.AddStandardColors(0xFFFFFF);
    // The first of equal values is chosen: "Default" before "White".
    QVERIFY(box.SelectColor(0xFFFFFF));
    QCOMPARE(box.currentIndex(), 0);
    box.setCurrentIndex(5);
    QVERIFY(!box.SelectColor(0x010203));
    QCOMPARE(box.currentIndex(), 5);
    box.setCurrentIndex(-1);
    QCOMPARE(box.SelectedColor(), int64_t(-1));
}

void ControlsTest::EntryShowsSwatchAndName()
{
    TColorComboBox box;
    box.AddColor(QStringLiteral("Teal"), 0x808000);
    QPalette colors = box.palette();
    colors.setColor(QPalette::Base, Qt::white);
    colors.setColor(QPalette::Text, Qt::black);
    box.setPalette(colors);
    QImage image(120, 20, QImage::Format_RGB32);
    image.fill(Qt::gray);
    {
        QPainter painter(&image);
        box.DrawEntry(painter, 0, QRect(0, 0, 120, 20), false);
    }
    // The swatch's frame from (1, 1) to (16, 18) in the pen color, filled
    // with the entry's color; the item is filled around it.
    QCOMPARE(image.pixelColor(0, 0), QColor(Qt::white));
    QCOMPARE(image.pixelColor(1, 1), QColor(Qt::black));
    QCOMPARE(image.pixelColor(16, 18), QColor(Qt::black));
    QCOMPARE(image.pixelColor(8, 10), QColor(0, 128, 128));
    QCOMPARE(image.pixelColor(17, 10), QColor(Qt::white));
    // The name starts behind the swatch.
    bool text = false;
    for (int x = 22; x < 120 && !text; ++x)
        for (int y = 0; y < 20 && !text; ++y)
            text = image.pixelColor(x, y) != QColor(Qt::white);
    QVERIFY(text);
}

void ControlsTest::ExtentFollowsTheWidestEntry()
{
    TListBoxHrz list;
    list.resize(300, 80);
    list.show();
    QListWidget probe;
    THorizontalExtent rule(probe);
    const int tab = rule.TabWidth();
    QVERIFY(tab > 0);

    list.addItem(QStringLiteral("short"));
    QCOMPARE(list.CurrentWidth(), rule.EntryWidth(QStringLiteral("short")) + tab);
    QCoreApplication::processEvents();
    QCOMPARE(list.horizontalScrollBar()->maximum(), 0);

    const QString longEntry = QStringLiteral("a rather long entry that is much wider than the list itself");
    list.addItem(longEntry);
    QCOMPARE(list.CurrentWidth(), rule.EntryWidth(longEntry) + tab);
    QCoreApplication::processEvents();
    QVERIFY(list.horizontalScrollBar()->maximum() > 0);
    QVERIFY(list.horizontalScrollBar()->isVisible());

    // A narrower entry leaves the extent alone.
    list.insertItem(0, QStringLiteral("mid entry"));
    QCOMPARE(list.CurrentWidth(), rule.EntryWidth(longEntry) + tab);

    delete list.takeItem(2);
    QCOMPARE(list.CurrentWidth(), rule.EntryWidth(QStringLiteral("mid entry")) + tab);
    QCoreApplication::processEvents();
    QCOMPARE(list.horizontalScrollBar()->maximum(), 0);
    QVERIFY(!list.horizontalScrollBar()->isVisible());

    list.clear();
    QCOMPARE(list.CurrentWidth(), 0);
    list.addItem(QStringLiteral("x"));
    delete list.takeItem(0);
    QCOMPARE(list.CurrentWidth(), 0);
}

void ControlsTest::ExtentFollowsTheFont()
{
    TListBoxHrz list;
    list.addItem(QStringLiteral("some entry"));
    QFont large = list.font();
    large.setPixelSize(48);
    list.setFont(large);
    QListWidget probe;
    probe.setFont(large);
    THorizontalExtent rule(probe);
    QCOMPARE(list.CurrentWidth(), rule.EntryWidth(QStringLiteral("some entry")) + rule.TabWidth());

    // Set by hand, the extent holds until the entries change.
    list.SetCurrentWidth(500);
    QCOMPARE(list.CurrentWidth(), 500);
    list.addItem(QStringLiteral("x"));
    QCOMPARE(list.CurrentWidth(), 500);
}

void ControlsTest::FrameListShowsCaptionOnlyWhenEmpty()
{
    TFLListBox list;
    list.resize(150, 100);
    QPalette colors = list.palette();
    colors.setColor(QPalette::Base, Qt::white);
    colors.setColor(QPalette::Text, Qt::black);
    list.setPalette(colors);
    const QImage blank = list.viewport()->grab().toImage();
    list.SetCaptionText(QStringLiteral("No frames"));
    QCOMPARE(list.CaptionText(), QStringLiteral("No frames"));
    const QImage captioned = list.viewport()->grab().toImage();
    QVERIFY(captioned != blank);
    // The caption starts at (5, 5): nothing above or left of it.
    for (int x = 0; x < captioned.width(); ++x)
        for (int y = 0; y < 5; ++y)
            QCOMPARE(captioned.pixelColor(x, y), QColor(Qt::white));
    for (int y = 0; y < captioned.height(); ++y)
        for (int x = 0; x < 5; ++x)
            QCOMPARE(captioned.pixelColor(x, y), QColor(Qt::white));

    // With an item the caption goes; the shared extent rule applies too.
    list.OnDrawItem = [](QPainter& painter, int, const QRect& rect, bool, bool) {
        painter.fillRect(rect, Qt::white);
    };
    list.addItem(QStringLiteral("Frame"));
    QVERIFY(list.CurrentWidth() > 0);
    QCOMPARE(list.viewport()->grab().toImage(), blank);
    list.clear();
    QCOMPARE(list.CurrentWidth(), 0);
    QCOMPARE(list.viewport()->grab().toImage(), captioned);
}

void ControlsTest::FrameListDrawsThroughItsOwner()
{
    TFLListBox list;
    list.resize(150, 200);
    list.SetItemHeight(40);
    list.HighlightColor = QColor(10, 20, 30);
    list.SelTextColor = QColor(200, 100, 50);
    std::vector<std::pair<int, bool>> drawn;
    std::vector<QColor> brushes, pens;
    QRect firstRect;
    list.OnDrawItem = [&](QPainter& painter, int index, const QRect& rect, bool selected, bool) {
        drawn.emplace_back(index, selected);
        brushes.push_back(painter.brush().color());
        pens.push_back(painter.pen().color());
        if (index == 0)
            firstRect = rect;
        painter.fillRect(rect, painter.brush());
    };
    for (int i = 0; i < 3; ++i)
        list.addItem(QStringLiteral("Frame"));
    list.setCurrentRow(1);
    list.doItemsLayout();
    const QImage image = list.viewport()->grab().toImage();

    QCOMPARE(firstRect.height(), 40);
    bool sawSelected = false, sawPlain = false;
    for (size_t i = 0; i < drawn.size(); ++i) {
        if (drawn[i].first == 1) {
            QVERIFY(drawn[i].second);
            QCOMPARE(brushes[i], list.HighlightColor);
            QCOMPARE(pens[i], list.SelTextColor);
            sawSelected = true;
        } else {
            QVERIFY(!drawn[i].second);
            QVERIFY(brushes[i] != list.HighlightColor);
            sawPlain = true;
        }
    }
    QVERIFY(sawSelected && sawPlain);
    QCOMPARE(image.pixelColor(10, 40 + 20), list.HighlightColor);
}

void ControlsTest::FrameListDefaultDrawingHighlightsSelection()
{
    TFLListBox list;
    list.resize(150, 100);
    list.HighlightColor = QColor(0, 90, 0);
    list.addItem(QStringLiteral("Frame"));
    list.addItem(QStringLiteral("Frame"));
    list.setCurrentRow(0);
    const QRect first = list.visualItemRect(list.item(0));
    const QRect second = list.visualItemRect(list.item(1));
    const QImage image = list.viewport()->grab().toImage();
    // The text sits 2 pixels in; the rest of the item is the brush.
    QCOMPARE(image.pixelColor(first.right() - 1, first.center().y()), list.HighlightColor);
    QCOMPARE(image.pixelColor(1, first.center().y()), list.HighlightColor);
    QCOMPARE(image.pixelColor(second.right() - 1, second.center().y()), list.palette().color(QPalette::Base));
    bool text = false;
    for (int x = 2; x < first.right() && !text; ++x)
        for (int y = first.top(); y <= first.bottom() && !text; ++y)
            text = image.pixelColor(x, y) != list.HighlightColor;
    QVERIFY(text);
}

} // namespace fl

QTEST_MAIN(fl::ControlsTest)
#include "ControlsTest.moc"
