// SPDX-License-Identifier: GPL-3.0-or-later
// Building animations in the main window: Add Frame with its questions,
// and frames carried between documents through the clipboard.
#include <QDropEvent>
#include <QImage>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include "app/ColorComboBox.h"
#include "app/FLListBox.h"
#include "app/MDIChild.h"
#include "app/ThumbnailDrag.h"
#include "dialogs/Prompts.h"
#include "document/Document.h"
#include "document/EditorContext.h"
#include "gif/GIFImage.h"
#include "platform/SettingsKeys.h"
#include "windows/MainWindowSupport.h"

namespace fl {

namespace {

using test::TMainWindowRig;

// A PNG of one color.
std::string WritePng(TMainWindowRig& rig, const std::string& name, QColor color, int width = 20,
                     int height = 10)
{
    QImage picture(width, height, QImage::Format_RGB32);
    picture.fill(color);
    const std::string path = rig.File(name);
    if (!picture.save(QString::fromStdString(path), "PNG"))
        qFatal("cannot write %s", path.c_str());
    return path;
}

TColor FirstPixel(TGIFImage& image, int frame)
{
    TGIFSubImage& subImage = *image.Frames[frame];
    return subImage.ActiveColors().ColorAt(subImage.Pixels()[0]);
}

// Answers the insert question with one of its choices.
test::TScriptedDialogRunner::TScript Choose(const char* choice)
{
    return [choice](QDialog& dialog) {
        QCOMPARE(dialog.windowTitle(), QString("Insert Image"));
        dialog.findChild<QRadioButton*>(choice)->click();
        dialog.findChild<QPushButton*>("btnOK")->click();
    };
}

// Drags the data over the widget at the point; drops it there when asked.
// Answers whether the widget took the drag.
bool DragOver(QWidget& target, const QMimeData& data, QPoint at, bool drop)
{
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&target, &enter);
    QDragMoveEvent move(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&target, &move);
    if (drop && move.isAccepted()) {
        QDropEvent dropped(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&target, &dropped);
    }
    return move.isAccepted();
}

} // namespace

class AddFramesTest : public QObject {
    Q_OBJECT
private slots:
    void fivePicturesBecomeAnAnimationAndAFrameMovesToAnother();
    void theFirstPictureAsksForThePaletteRules();
    void aGifsFramesAreIncludedWhereTheUserChose();
    void aThumbnailOnTheWorkspaceStartsANewAnimation();
};

void AddFramesTest::fivePicturesBecomeAnAnimationAndAFrameMovesToAnother()
{
    TMainWindowRig rig;
    WriteIntegerSetting(rig.settings, KeyPaletteDefaults, 1);
    TfrmMain& window = rig.Start();
    const QColor colors[] = {Qt::red, Qt::green, Qt::blue, Qt::yellow, Qt::magenta};
    std::vector<std::string> files;
    for (int i = 0; i < 5; ++i)
        files.push_back(WritePng(rig, "picture" + std::to_string(i) + ".png", colors[i]));

    // The last file starts the animation; each earlier one goes in front.
    rig.dialogs.QueueFiles(files);
    for (int i = 0; i < 4; ++i)
        rig.modals.Push(Choose("optStart"));
    window.Action("FrameAdd")->trigger();
    rig.Settle();
    TEditorContext& context = window.Context();
    TGIFImage& image = context.Animation();
    QCOMPARE(image.Frames.Count(), 5);
    for (int i = 0; i < 5; ++i)
        QCOMPARE(FirstPixel(image, i), ValueFromColor(colors[i]));
    TDocument* built = context.ActiveDocument();
    QVERIFY(built && built->Untitled());
    QVERIFY(!rig.modals.Pending());

    // Reordered, and the move undone and done again.
    context.ShowFrame(0);
    window.Action("FrameMoveDown")->trigger();
    QCOMPARE(FirstPixel(image, 1), ValueFromColor(colors[0]));
    window.Action("EditUndo")->trigger();
    QCOMPARE(FirstPixel(image, 0), ValueFromColor(colors[0]));

    // The blue frame copied into a second document, after its first frame.
    context.ShowFrame(2);
    window.Action("EditCopy")->trigger();
    const std::string other = rig.File("other.gif");
    test::WriteAnimation(other, 2, 20, 10);
    rig.dialogs.QueueFiles({other});
    window.Action("FileOpen")->trigger();
    rig.Settle();
    QCOMPARE(context.ActiveDocument()->FileName(), other);
    context.ShowFrame(0);
    rig.modals.Push(Choose("optAfter"));
    window.Action("EditPaste")->trigger();
    QCOMPARE(image.Frames.Count(), 3);
    QCOMPARE(FirstPixel(image, 1), ValueFromColor(colors[2]));
    QCOMPARE(window.Action("EditUndo")->text(), QString("&Undo Paste Frame"));

    // Both saved.
    window.Action("FileSave")->trigger();
    rig.Settle();
    TGIFImage saved;
    saved.LoadFromFile(other);
    QCOMPARE(saved.Frames.Count(), 3);
    context.ActivateDocument(*built);
    const std::string builtFile = rig.File("built.gif");
    rig.dialogs.QueueFiles({builtFile});
    window.Action("FileSaveAs")->trigger();
    rig.Settle();
    TGIFImage savedBuilt;
    savedBuilt.LoadFromFile(builtFile);
    QCOMPARE(savedBuilt.Frames.Count(), 5);
}

void AddFramesTest::theFirstPictureAsksForThePaletteRules()
{
    TMainWindowRig rig;
    TfrmMain& window = rig.Start();
    const std::string file = WritePng(rig, "one.png", Qt::red);

    // Cancelled: nothing is made.
    rig.dialogs.QueueFiles({file});
    window.Action("FrameAdd")->trigger();
    QCOMPARE(rig.modals.Titles().back(), std::string("Palettes"));
    QCOMPARE(window.Context().DocumentCount(), 0);

    rig.dialogs.QueueFiles({file});
    rig.modals.Push([](QDialog& dialog) {
        dialog.findChild<QRadioButton*>("optPalNetcape")->click();
        dialog.accept();
    });
    window.Action("FrameAdd")->trigger();
    QCOMPARE(window.Context().DocumentCount(), 1);
    QCOMPARE(ReadIntegerSetting(rig.settings, KeyPaletteType), 1);
    QCOMPARE(rig.messages.BusyDepth(), 0);
}

void AddFramesTest::aGifsFramesAreIncludedWhereTheUserChose()
{
    TMainWindowRig rig;
    WriteIntegerSetting(rig.settings, KeyPaletteDefaults, 1);
    TfrmMain& window = rig.Start();
    const std::string target = rig.File("target.gif");
    const std::string source = rig.File("source.gif");
    test::WriteAnimation(target, 3, 20, 10);
    test::WriteAnimation(source, 2, 20, 10);
    rig.dialogs.QueueFiles({target});
    window.Action("FileOpen")->trigger();
    rig.Settle();
    TEditorContext& context = window.Context();
    TGIFImage& image = context.Animation();
    const std::vector<TGIFSubImage*> before = {image.Frames[0], image.Frames[1], image.Frames[2]};
    context.ShowFrame(1);

    // Add Frame with a GIF: "Include", then before the selected frame.
    rig.dialogs.QueueFiles({source});
    rig.messages.QueueAnswer(mrYes);
    rig.modals.Push(Choose("optBefore"));
    window.Action("FrameAdd")->trigger();
    rig.Settle();

    QCOMPARE(context.DocumentCount(), 1);
    QCOMPARE(image.Frames.Count(), 5);
    QCOMPARE(image.Frames[0], before[0]);
    QCOMPARE(image.Frames[3], before[1]);
    QCOMPARE(image.Frames[4], before[2]);
    QCOMPARE(context.Frames().Count(), 5);
    QCOMPARE(window.Action("EditUndo")->text(), QString("&Undo Drag and Drop Image"));
    window.Action("EditUndo")->trigger();
    window.Action("EditUndo")->trigger();
    QCOMPARE(image.Frames.Count(), 3);
}

void AddFramesTest::aThumbnailOnTheWorkspaceStartsANewAnimation()
{
    TMainWindowRig rig;
    WriteIntegerSetting(rig.settings, KeyPaletteDefaults, 1);
    TfrmMain& window = rig.Start();
    const std::string existing = rig.File("existing.gif");
    test::WriteAnimation(existing, 2, 20, 10);
    rig.dialogs.QueueFiles({existing});
    window.Action("FileOpen")->trigger();
    rig.Settle();
    TEditorContext& context = window.Context();
    const std::unique_ptr<QMimeData> thumbnail = MakeThumbnailDragData(WritePng(rig, "green.png", Qt::green));
    const QPoint workspace = window.MdiArea()->mapTo(&window, window.MdiArea()->rect().bottomRight() - QPoint(2, 2));
    auto& list = *window.findChild<TFLListBox*>("lbFrames");
    auto& view = *qobject_cast<TMDIChild*>(window.MdiArea()->subWindowList().front()->widget());

    // The flag follows the drag: set over the workspace, cleared over the
    // list, a document view and when the drag leaves.
    QVERIFY(DragOver(window, *thumbnail, workspace, false));
    QVERIFY(context.ThumbnailDrag);
    QVERIFY(DragOver(*list.viewport(), *thumbnail, QPoint(5, 5), false));
    QVERIFY(!context.ThumbnailDrag);
    QVERIFY(DragOver(window, *thumbnail, workspace, false));
    QVERIFY(DragOver(view, *thumbnail, QPoint(5, 5), false));
    QVERIFY(!context.ThumbnailDrag);
    QVERIFY(DragOver(window, *thumbnail, workspace, false));
    QDragLeaveEvent leave;
    QApplication::sendEvent(&window, &leave);
    QVERIFY(!context.ThumbnailDrag);
    // Elsewhere on the main window (the toolbars) it is refused.
    QVERIFY(!DragOver(window, *thumbnail, QPoint(2, 2), false));

    // Dropped on the list: a frame of the active animation, no question.
    QVERIFY(DragOver(*list.viewport(), *thumbnail, QPoint(5, 5), true));
    rig.Settle();
    QCOMPARE(context.DocumentCount(), 1);
    QCOMPARE(context.Animation().Frames.Count(), 3);

    // Dropped on the workspace: a new untitled animation of that picture.
    QVERIFY(DragOver(window, *thumbnail, workspace, true));
    rig.Settle();
    QCOMPARE(context.DocumentCount(), 2);
    QVERIFY(context.ActiveDocument()->Untitled());
    QCOMPARE(context.Animation().Frames.Count(), 1);
    QCOMPARE(FirstPixel(context.Animation(), 0), ValueFromColor(Qt::green));
    QCOMPARE(window.Action("EditUndo")->text(), QString("&Undo Drag and Drop Image"));
    QVERIFY(!context.ThumbnailDrag);

    // Dropped on the first document's view: that one takes it where asked.
    rig.modals.Push(Choose("optStart"));
    QVERIFY(DragOver(view, *thumbnail, QPoint(5, 5), true));
    rig.Settle();
    QCOMPARE(context.ActiveDocument()->FileName(), existing);
    QCOMPARE(context.Animation().Frames.Count(), 4);
    QCOMPARE(FirstPixel(context.Animation(), 0), ValueFromColor(Qt::green));
    QVERIFY(!rig.modals.Pending());
}

} // namespace fl

QTEST_MAIN(fl::AddFramesTest)
#include "AddFramesTest.moc"
