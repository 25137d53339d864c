// SPDX-License-Identifier: GPL-3.0-or-later
// The frame inspector in the main window: values typed and chosen in the
// grid reach the saved file and come back with Undo, the local palette and
// the comments pages, and the inspector following the active document.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>

#include "dialogs/FrameInspector.h"
#include "dialogs/InspectorGrid.h"
#include "dialogs/InspectorPalette.h"
#include "document/Document.h"
#include "document/EditorContext.h"
#include "editing/FrameSettings.h"
#include "gif/Extensions.h"
#include "gif/GIFImage.h"
#include "platform/SettingsKeys.h"
#include "windows/MainWindowSupport.h"

namespace fl {

namespace {

using test::TMainWindowRig;

// Frames with their control blocks (delay 10), so that saving adds nothing.
std::string WriteTimedAnimation(TMainWindowRig& rig, const std::string& name, int frames)
{
    const std::string path = rig.File(name);
    test::WriteAnimation(path, frames, 12, 8);
    TGIFImage image;
    image.LoadFromFile(path);
    for (int i = 0; i < image.Frames.Count(); ++i)
        SetFrameDelay(*image.Frames[i], 10);
    image.SaveToFile(path);
    return path;
}

TDocument& OpenFile(TMainWindowRig& rig, const std::string& path)
{
    rig.dialogs.QueueFiles({path});
    rig.window->Action("FileOpen")->trigger();
    TMainWindowRig::Settle();
    return *rig.window->Context().ActiveDocument();
}

void TypeInto(TInspectorGrid& grid, int row, const QString& text)
{
    grid.SelectRow(row);
    grid.Editor()->setText(text);
    QTest::keyClick(grid.Editor(), Qt::Key_Return);
}

void ChooseFromDropDown(TInspectorGrid& grid, int row, const QString& choice)
{
    grid.SelectRow(row, true);
    QListWidget& list = *grid.DropDown();
    QVERIFY(list.isVisible());
    const QList<QListWidgetItem*> found = list.findItems(choice, Qt::MatchExactly);
    QCOMPARE(found.size(), 1);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.visualItemRect(found.front()).center());
}

} // namespace

class FrameInspectorTest : public QObject {
    Q_OBJECT
private slots:
    void delayAndDisposalReachTheFileAndUndoSelectsTheRow();
    void badTextIsRefusedAndTheOldValueComesBack();
    void theDropDownOpensUnderOrAboveTheCell();
    void aLocalPaletteIsMadeEditedAndRemoved();
    void commentsAreAddedChangedAndRemoved();
    void theInspectorFollowsTheActiveDocument();
    void theCloseBoxHidesItAndTheBoundsAreKept();
};

void FrameInspectorTest::delayAndDisposalReachTheFileAndUndoSelectsTheRow()
{
    TMainWindowRig rig;
    TfrmMain& window = rig.Start();
    const std::string path = WriteTimedAnimation(rig, "four.gif", 4);
    TDocument& document = OpenFile(rig, path);
    TfrmFloat& inspector = window.Inspector();
    QVERIFY(inspector.isVisible());
    window.Context().ShowFrame(3);
    QCOMPARE(inspector.findChild<QComboBox*>("cbFrames")->currentText(), QString("Frame 3: [8 x 12]"));
    QCOMPARE(inspector.windowTitle(), QString("Frame Inspector - four.gif"));

    TInspectorGrid& grid = inspector.Grid();
    for (int round = 0; round < 2; ++round) {
        window.Context().ShowFrame(3);
        TypeInto(grid, irDelay, "5 0");
        QCOMPARE(grid.ValueText(irDelay), std::string("50"));
        ChooseFromDropDown(grid, irDisposal, "Background");
        QCOMPARE(grid.ValueText(irDisposal), std::string("Background"));
        QCOMPARE(window.Action("EditUndo")->text(), QString("&Undo Change Disposal"));
        QCOMPARE(inspector.findChild<QLabel*>("lblField")->text(), QString("Disposal"));
        QVERIFY(document.Modified());
        if (round == 1)
            break;
        // Undo puts the values back and selects their rows.
        grid.SelectRow(irXOffset);
        window.Action("EditUndo")->trigger();
        QCOMPARE(grid.CurrentRow(), static_cast<int>(irDisposal));
        window.Action("EditUndo")->trigger();
        QCOMPARE(grid.CurrentRow(), static_cast<int>(irDelay));
        // Back at the saved state, the file is loaded again.
        const TGIFSubImage& frame = *window.Context().Animation().Frames[3];
        QCOMPARE(frame.ControlBlock->Delay, 10);
        QCOMPARE(frame.ControlBlock->Disposal(), 1);
    }

    window.Action("FileSave")->trigger();
    rig.Settle();
    TGIFImage saved;
    saved.LoadFromFile(path);
    QCOMPARE(saved.Frames[3]->ControlBlock->Delay, 50);
    QCOMPARE(saved.Frames[3]->ControlBlock->Disposal(), 2);
    QCOMPARE(saved.Frames[2]->ControlBlock->Delay, 10);
}

void FrameInspectorTest::badTextIsRefusedAndTheOldValueComesBack()
{
    TMainWindowRig rig;
    TfrmMain& window = rig.Start();
    TDocument& document = OpenFile(rig, WriteTimedAnimation(rig, "two.gif", 2));
    TInspectorGrid& grid = window.Inspector().Grid();
    TypeInto(grid, irXOffset, "-4");
    QCOMPARE(rig.MessagesWith("This field requires a number value."), 1);
    QCOMPARE(grid.Editor()->text(), QString("0"));
    TypeInto(grid, irYOffset, "70000");
    QCOMPARE(rig.MessagesWith("65535"), 1);
    QCOMPARE(grid.Editor()->text(), QString("0"));
    QCOMPARE(document.History().Count(), 0);
    // Read-only rows take nothing typed; bands give way to the row below.
    grid.SelectRow(irHeight);
    QVERIFY(grid.Editor()->isReadOnly());
    grid.SelectRow(irFramePlaying);
    QCOMPARE(grid.CurrentRow(), static_cast<int>(irDelay));
    grid.SelectRow(irDimensions);
    QCOMPARE(grid.CurrentRow(), static_cast<int>(irHeight));
}

void FrameInspectorTest::theDropDownOpensUnderOrAboveTheCell()
{
    const QRect cell(80, 40, 100, 20);
    QCOMPARE(TInspectorGrid::DropDownPlacement(cell, 20, 2, 240), QRect(81, 60, 101, 42));
    // Four items from the last row would reach past the grid: above.
    const QRect last(80, 220, 100, 20);
    QCOMPARE(TInspectorGrid::DropDownPlacement(last, 20, 4, 240), QRect(81, 138, 101, 82));
}

void FrameInspectorTest::aLocalPaletteIsMadeEditedAndRemoved()
{
    TMainWindowRig rig;
    TfrmMain& window = rig.Start();
    const std::string path = WriteTimedAnimation(rig, "two.gif", 2);
    TDocument& document = OpenFile(rig, path);
    TfrmFloat& inspector = window.Inspector();
    window.Context().ShowFrame(1);
    inspector.findChild<QTabWidget*>("tabImgInfo")->setCurrentIndex(1);
    TLocalPaletteGrid& palette = inspector.PaletteGrid();
    QVERIFY(!palette.HasPalette());

    rig.messages.QueueAnswer(mrYes);
    inspector.findChild<QToolButton*>("btnColorAdd")->click();
    QVERIFY(palette.HasPalette());
    QCOMPARE(inspector.Grid().ValueText(irLocalPalette), std::string("Yes"));
    const int count = static_cast<int>(palette.Colors().size());

    // Added through the single-color editor, then edited.
    rig.modals.Push([](QDialog& dialog) {
        dialog.findChild<QLineEdit*>("txtRed")->setText("10");
        dialog.accept();
    });
    inspector.AddColor();
    QCOMPARE(static_cast<int>(palette.Colors().size()), count + 1);
    QCOMPARE(palette.Selected(), count);
    QCOMPARE(palette.Colors().back(), MakeColor(10, 255, 255));
    QVERIFY(inspector.findChild<QLabel*>("lblColor")
                ->text()
                .startsWith(QString("%1 Colors - R: 10,").arg(count + 1)));
    rig.modals.Push([](QDialog& dialog) {
        dialog.findChild<QLineEdit*>("txtBlue")->setText("20");
        dialog.accept();
    });
    inspector.EditColor();
    QCOMPARE(palette.Colors().back(), MakeColor(10, 255, 20));
    QCOMPARE(window.Action("EditUndo")->text(), QString("&Undo Change Color Palette Entry"));

    TypeInto(inspector.Grid(), irLocalPalette, "no");
    QVERIFY(!palette.HasPalette());
    while (document.History().Count() > 0)
        document.Undo();
    TGIFImage reloaded;
    reloaded.LoadFromFile(path);
    QCOMPARE(window.Context().Animation().Frames[1]->LocalColors.Count(),
             reloaded.Frames[1]->LocalColors.Count());
    QVERIFY(!rig.modals.Pending());
}

void FrameInspectorTest::commentsAreAddedChangedAndRemoved()
{
    TMainWindowRig rig;
    TfrmMain& window = rig.Start();
    TDocument& document = OpenFile(rig, WriteTimedAnimation(rig, "two.gif", 2));
    TfrmFloat& inspector = window.Inspector();
    auto& list = *inspector.findChild<QTreeWidget*>("lvComments");
    auto& memo = *inspector.findChild<QPlainTextEdit*>("mmoComments");
    inspector.findChild<QTabWidget*>("tabImgInfo")->setCurrentIndex(2);

    inspector.findChild<QPushButton*>("btnAddComments")->click();
    QCOMPARE(list.topLevelItemCount(), 1);
    QCOMPARE(memo.toPlainText(), QString("Comment 1"));
    QCOMPARE(document.History().LastName(), std::string("Add GIF Comment"));

    memo.setPlainText(QString(300, 'y'));
    QCOMPARE(memo.toPlainText().size(), 255);
    inspector.CommitComment();
    QCOMPARE(document.History().LastName(), std::string("Change GIF Comment"));
    const auto* comment = window.Context().Animation().Frames[0]->Extensions.Find<TGIFCommentExtension>();
    QVERIFY(comment);
    QCOMPARE(comment->Lines.front(), std::string(255, 'y'));

    list.setCurrentItem(list.topLevelItem(0));
    inspector.findChild<QPushButton*>("btnRemoveComments")->click();
    QCOMPARE(list.topLevelItemCount(), 0);
    QVERIFY(memo.toPlainText().isEmpty());
    window.Action("EditUndo")->trigger();
    QCOMPARE(list.topLevelItemCount(), 1);
}

void FrameInspectorTest::theInspectorFollowsTheActiveDocument()
{
    TMainWindowRig rig;
    TfrmMain& window = rig.Start();
    TDocument& first = OpenFile(rig, WriteTimedAnimation(rig, "two.gif", 2));
    TDocument& second = OpenFile(rig, WriteTimedAnimation(rig, "five.gif", 5));
    TfrmFloat& inspector = window.Inspector();
    auto& frames = *inspector.findChild<QComboBox*>("cbFrames");
    QCOMPARE(frames.count(), 5);
    QCOMPARE(inspector.windowTitle(), QString("Frame Inspector - five.gif"));
    window.Context().ActivateDocument(first);
    rig.Settle();
    QCOMPARE(frames.count(), 2);
    QCOMPARE(inspector.windowTitle(), QString("Frame Inspector - two.gif"));
    // Choosing a frame in the box shows it everywhere.
    window.Context().ActivateDocument(second);
    rig.Settle();
    frames.setCurrentIndex(4);
    emit frames.activated(4);
    QCOMPARE(window.Context().Frames().Selected(), 4);

    // The last document closed empties it.
    window.Action("FileCloseAll")->trigger();
    rig.Settle();
    QCOMPARE(frames.count(), 0);
    QVERIFY(!inspector.findChild<QTabWidget*>("tabImgInfo")->isEnabled());
    QCOMPARE(inspector.windowTitle(), QString("Frame Inspector"));
}

void FrameInspectorTest::theCloseBoxHidesItAndTheBoundsAreKept()
{
    TMainWindowRig rig;
    TfrmMain& window = rig.Start();
    TfrmFloat& inspector = window.Inspector();
    QVERIFY(inspector.isVisible());
    inspector.close();
    QVERIFY(!inspector.isVisible());
    QVERIFY(!window.InspectorChecked());
    window.findChild<QAction*>("mniFrameInspector")->trigger();
    QVERIFY(inspector.isVisible());
    inspector.setGeometry(40, 60, 300, 400);
    QVERIFY(rig.Exit());
    QCOMPARE(ReadIntegerSetting(rig.settings, KeyInspectorLeft, 0), 40);
    QCOMPARE(ReadIntegerSetting(rig.settings, KeyInspectorWidth), 300);
    QCOMPARE(ReadIntegerSetting(rig.settings, KeyInspectorVisible), 1);
}

} // namespace fl

QTEST_MAIN(fl::FrameInspectorTest)
#include "FrameInspectorTest.moc"
