// SPDX-License-Identifier: GPL-3.0-or-later
// The document window on a real editor context: the logical screen, the
// frame at its offset with its transparency and outline, scrolling and
// centring, and the status bar following the document.
#include <QApplication>
#include <QFrame>
#include <QMouseEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QWheelEvent>
#include <QtTest>

#include <memory>

#include "WindowTestSupport.h"
#include "app/MDIChild.h"
#include "gif/GIFTypes.h"

namespace fl {

using test::TEditorSetup;
using test::TFrameSketch;

namespace {

constexpr int ScreenWidth = 20;
constexpr int ScreenHeight = 16;
const QColor Black(0, 0, 0);
const QColor Red(255, 0, 0);
const QColor Green(0, 255, 0);

// A green opaque first frame over the whole screen, and a red 6 x 5 second
// frame at (5, 4) with two transparent pixels at (2, 2) and (3, 2).
std::string WriteAnimation(const test::TTestFolder& folder)
{
    TFrameSketch background{0, 0, ScreenWidth, ScreenHeight, 2, -1, {}};
    TFrameSketch spot{5, 4, 6, 5, 1, 3, {{2, 2, 3}, {3, 2, 3}}};
    auto image = test::SketchAnimation(
        ScreenWidth, ScreenHeight,
        {MakeColor(0, 0, 0), MakeColor(255, 0, 0), MakeColor(0, 255, 0), MakeColor(0, 0, 255)},
        {background, spot});
    const std::string path = folder.File("screen.gif");
    image->SaveToFile(path);
    return path;
}

void MoveMouse(QWidget& widget, int x)
{
    QMouseEvent move(QEvent::MouseMove, QPointF(x, 5), widget.mapToGlobal(QPointF(x, 5)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&widget, &move);
}

} // namespace

class MDIChildTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void ScreenTakesTheLogicalSize();
    void FrameIsDrawnAtItsOffset();
    void TransparentPixelsShowTheFrameBackground();
    void OutlineIsDotted();
    void MissingFramesAreRefused();
    void LargeScreenScrollsWithMargins();
    void StatusBarFollowsTheDocument();
    void ZoomScalesTheScreenInBlocks();

private:
    QWidget* Child(const char* name) const { return child_->findChild<QWidget*>(QString::fromLatin1(name)); }
    QImage PaintBox() const { return Child("pb")->grab().toImage(); }

    std::unique_ptr<test::TTestFolder> folder_;
    std::unique_ptr<TEditorSetup> editor_;
    std::unique_ptr<TMDIChild> child_;
    TDocument* document_ = nullptr;
};

void MDIChildTest::init()
{
    folder_ = std::make_unique<test::TTestFolder>();
    editor_ = std::make_unique<TEditorSetup>();
    document_ = &editor_->Open(WriteAnimation(*folder_));
    child_ = std::make_unique<TMDIChild>(editor_->context, *document_);
    editor_->windows.OnShowFrame = [this](int index) { return child_->ShowFrame(index); };
    editor_->windows.OnDocumentChanged = [this](TDocument&) { child_->DocumentChanged(); };
    child_->resize(300, 200);
    child_->show();
    QCoreApplication::processEvents();
}

void MDIChildTest::cleanup()
{
    child_.reset();
    editor_.reset();
    folder_.reset();
}

void MDIChildTest::ScreenTakesTheLogicalSize()
{
    QVERIFY(child_->ShowFrame(1));
    QWidget* panel = Child("pnlFrame");
    QVERIFY(panel && Child("sbox") && Child("StatusBarMDI"));
    QCOMPARE(panel->size(), QSize(ScreenWidth, ScreenHeight));
    const QSize client = child_->findChild<QScrollArea*>("sbox")->viewport()->size();
    QCOMPARE(panel->pos(), QPoint((client.width() - ScreenWidth) / 2, (client.height() - ScreenHeight) / 2));

    // Resizing keeps it in the middle.
    child_->resize(200, 300);
    QCoreApplication::processEvents();
    const QSize resized = child_->findChild<QScrollArea*>("sbox")->viewport()->size();
    QCOMPARE(panel->pos(),
             QPoint((resized.width() - ScreenWidth) / 2, (resized.height() - ScreenHeight) / 2));
}

void MDIChildTest::FrameIsDrawnAtItsOffset()
{
    QVERIFY(child_->ShowFrame(1));
    QCOMPARE(child_->ShownFrame(), 1);
    QCOMPARE(Child("pb")->geometry(), QRect(5, 4, 6, 5));
    const QImage screen = Child("pnlFrame")->grab().toImage();
    QCOMPARE(screen.pixelColor(5 + 1, 4 + 2), Red);
    QCOMPARE(screen.pixelColor(5 + 4, 4 + 3), Red);
    // Around the frame the screen shows the first frame's corner color.
    QCOMPARE(screen.pixelColor(15, 12), Green);
    QCOMPARE(screen.pixelColor(3, 2), Green);

    QVERIFY(child_->ShowFrame(0));
    QCOMPARE(Child("pb")->geometry(), QRect(0, 0, ScreenWidth, ScreenHeight));
    QCOMPARE(PaintBox().pixelColor(5, 5), Green);
}

void MDIChildTest::TransparentPixelsShowTheFrameBackground()
{
    editor_->context.Values().FrameTransparentColor = 0x00C08040;
    QVERIFY(child_->ShowFrame(1));
    QImage image = PaintBox();
    QCOMPARE(image.pixelColor(2, 2), QColor(0x40, 0x80, 0xC0));
    QCOMPARE(image.pixelColor(3, 2), QColor(0x40, 0x80, 0xC0));
    QCOMPARE(image.pixelColor(1, 2), Red);
    QCOMPARE(image.pixelColor(4, 2), Red);

    // The color is the program's current one, not the one at ShowFrame.
    editor_->context.Values().FrameTransparentColor = 0x00FFFFFF;
    image = PaintBox();
    QCOMPARE(image.pixelColor(2, 2), QColor(255, 255, 255));
}

void MDIChildTest::OutlineIsDotted()
{
    QVERIFY(child_->ShowFrame(1));
    const QImage image = PaintBox();
    // Along the top, down the right edge and back along the bottom, every
    // other pixel; the left edge has none.
    QCOMPARE(image.pixelColor(0, 0), Black);
    QCOMPARE(image.pixelColor(1, 0), Red);
    QCOMPARE(image.pixelColor(2, 0), Black);
    QCOMPARE(image.pixelColor(4, 0), Black);
    QCOMPARE(image.pixelColor(5, 0), Red);
    QCOMPARE(image.pixelColor(5, 1), Black);
    QCOMPARE(image.pixelColor(5, 2), Red);
    QCOMPARE(image.pixelColor(5, 3), Black);
    QCOMPARE(image.pixelColor(5, 4), Red);
    QCOMPARE(image.pixelColor(4, 4), Black);
    QCOMPARE(image.pixelColor(3, 4), Red);
    QCOMPARE(image.pixelColor(2, 4), Black);
    QCOMPARE(image.pixelColor(0, 4), Red);
    QCOMPARE(image.pixelColor(0, 2), Red);
}

void MDIChildTest::MissingFramesAreRefused()
{
    QVERIFY(child_->ShowFrame(1));
    QVERIFY(!child_->ShowFrame(-1));
    QVERIFY(!child_->ShowFrame(2));
    QCOMPARE(child_->ShownFrame(), 1);
    QCOMPARE(Child("pb")->geometry(), QRect(5, 4, 6, 5));

    // No frames at all.
    editor_->context.Animation().Reset();
    QVERIFY(!child_->ShowFrame(0));
}

void MDIChildTest::LargeScreenScrollsWithMargins()
{
    constexpr int Wide = 600;
    auto image = test::SketchAnimation(Wide, 40, {MakeColor(0, 0, 0), MakeColor(0, 0, 255)},
                                       {TFrameSketch{0, 0, Wide, 40, 1, -1, {}}});
    const std::string path = folder_->File("wide.gif");
    image->SaveToFile(path);
    TDocument& wide = editor_->Open(path);
    TMDIChild child(editor_->context, wide);
    child.resize(300, 200);
    child.show();
    QCoreApplication::processEvents();
    QVERIFY(child.ShowFrame(0));
    QCoreApplication::processEvents();

    auto* box = child.findChild<QScrollArea*>("sbox");
    QWidget* panel = child.findChild<QWidget*>("pnlFrame");
    const QSize client = box->viewport()->size();
    QVERIFY(client.width() < Wide);
    QCOMPARE(panel->x(), TMDIChild::ScrollMargin);
    QCOMPARE(panel->y(), (client.height() - 40) / 2);
    QCOMPARE(box->widget()->width(), Wide + 2 * TMDIChild::ScrollMargin);
    QCOMPARE(box->horizontalScrollBar()->maximum(), Wide + 2 * TMDIChild::ScrollMargin - client.width());

    // Showing a frame scrolls back to the origin.
    box->horizontalScrollBar()->setValue(50);
    QVERIFY(child.ShowFrame(0));
    QCOMPARE(box->horizontalScrollBar()->value(), 0);

    // A window wide enough centres the screen again, without scrolling.
    child.resize(800, 200);
    QCoreApplication::processEvents();
    QCOMPARE(panel->x(), (box->viewport()->width() - Wide) / 2);
    QCOMPARE(box->horizontalScrollBar()->maximum(), 0);
}

void MDIChildTest::StatusBarFollowsTheDocument()
{
    QWidget* bar = Child("StatusBarMDI");
    QCOMPARE(child_->windowTitle(), QString::fromStdString(document_->FileName()));
    QVERIFY(child_->ShowFrame(0));
    QCOMPARE(child_->PanelText(2), QStringLiteral("screen.gif - [Height: 16 x Width: 20]"));
    QCOMPARE(child_->PanelText(1), QString());
    const QImage unmodified = bar->grab().toImage().copy(0, 0, 20, bar->height());
    MoveMouse(*bar, 10);
    QCOMPARE(bar->toolTip(), QString());

    document_->MoveFrame(0, 1);
    QVERIFY(document_->Modified());
    QCOMPARE(child_->PanelText(1), QStringLiteral("Modified"));
    MoveMouse(*bar, 10);
    QCOMPARE(bar->toolTip(), QStringLiteral("Animation is modified"));
    // The mark appears in panel 0.
    QVERIFY(bar->grab().toImage().copy(0, 0, 20, bar->height()) != unmodified);

    // Undoing the only edit of a named document reloads it unmodified.
    document_->Undo();
    QVERIFY(!document_->Modified());
    QCOMPARE(child_->PanelText(1), QString());
    MoveMouse(*bar, 10);
    QCOMPARE(bar->toolTip(), QString());
    QCOMPARE(bar->grab().toImage().copy(0, 0, 20, bar->height()), unmodified);

    // A new name reaches the caption and the size text.
    const std::string renamed = folder_->File("renamed.gif");
    document_->AssignFileName(renamed);
    child_->DocumentChanged();
    QCOMPARE(child_->windowTitle(), QString::fromStdString(document_->FileName()));
    QCOMPARE(child_->PanelText(2), QStringLiteral("renamed.gif - [Height: 16 x Width: 20]"));

    // The main window's own texts stay until the next frame is shown.
    child_->SetPanelText(2, QStringLiteral("Playing Frame 0 of 1"));
    child_->DocumentChanged();
    QCOMPARE(child_->PanelText(2), QStringLiteral("Playing Frame 0 of 1"));
}

void MDIChildTest::ZoomScalesTheScreenInBlocks()
{
    QVERIFY(child_->ShowFrame(1));
    QWidget* panel = Child("pnlFrame");
    int zoomed = 0;
    child_->OnZoomChanged = [&zoomed](TMDIChild&) { ++zoomed; };

    // Steps up from 100 %: 150 %, then 200 %; the frame keeps its place.
    child_->ZoomIn();
    QCOMPARE(child_->Zoom(), 1.5);
    QCOMPARE(panel->size(), QSize(30, 24));
    QCOMPARE(Child("pb")->geometry(), QRect(7, 6, 9, 7));
    child_->ZoomIn();
    QCOMPARE(Child("pb")->geometry(), QRect(10, 8, 12, 10));
    QCOMPARE(zoomed, 2);
    QVERIFY(child_->PanelText(2).endsWith(" 200%"));

    // Above 100 % a pixel is a block of one color: the transparent pixel
    // (2, 2) of the red frame covers (8..11, 8..11) at 400 %.
    child_->SetZoom(4);
    const QImage image = PaintBox();
    QCOMPARE(image.size(), QSize(24, 20));
    for (int y = 8; y < 12; ++y)
        for (int x = 8; x < 12; ++x)
            QCOMPARE(image.pixelColor(x, y), image.pixelColor(8, 8));
    QVERIFY(image.pixelColor(8, 8) != Red);
    QCOMPARE(image.pixelColor(7, 8), Red);

    // Ctrl and the wheel zoom a step a notch, half notches add up; the
    // wheel alone does not zoom.
    QWidget* viewport = child_->findChild<QScrollArea*>("sbox")->viewport();
    const auto wheel = [viewport](int delta, Qt::KeyboardModifiers modifiers) {
        QWheelEvent event(QPointF(5, 5), viewport->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, delta),
                          Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
        QApplication::sendEvent(viewport, &event);
    };
    wheel(-120, Qt::ControlModifier);
    QCOMPARE(child_->Zoom(), 3.0);
    wheel(60, Qt::ControlModifier);
    QCOMPARE(child_->Zoom(), 3.0);
    wheel(60, Qt::ControlModifier);
    QCOMPARE(child_->Zoom(), 4.0);
    wheel(-120, Qt::NoModifier);
    QCOMPARE(child_->Zoom(), 4.0);

    // The ends hold; Actual Size goes back to 100 % and the plain caption.
    for (int i = 0; i < 12; ++i)
        child_->ZoomIn();
    QCOMPARE(child_->Zoom(), TMDIChild::MaxZoom);
    child_->ZoomToActualSize();
    QCOMPARE(panel->size(), QSize(ScreenWidth, ScreenHeight));
    QVERIFY(child_->PanelText(2).endsWith("Width: 20]"));

    // Fit to Window fills the view, margins aside, and follows its size
    // until the zoom is set otherwise.
    child_->FitToWindow();
    const QSize room = viewport->size() - QSize(2 * TMDIChild::ScrollMargin, 2 * TMDIChild::ScrollMargin);
    QCOMPARE(child_->Zoom(), std::min(room.width() / double(ScreenWidth), room.height() / double(ScreenHeight)));
    child_->resize(child_->width() + 200, child_->height() + 200);
    QCoreApplication::processEvents();
    QVERIFY(child_->FitsWindow());
    QVERIFY(child_->Zoom() > std::min(room.width() / double(ScreenWidth), room.height() / double(ScreenHeight)));
    child_->ZoomOut();
    QVERIFY(!child_->FitsWindow());
}

} // namespace fl

QTEST_MAIN(fl::MDIChildTest)

#include "MDIChildTest.moc"
