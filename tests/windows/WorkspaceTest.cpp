// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's workspace as a user handles it: changing the frame size
// with an animation open, switching between minimized documents through
// their tabs, and where document windows open and cascade.
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTabBar>
#include <QtTest>

#include "app/FLListBox.h"
#include "app/WindowArrangement.h"
#include "document/Document.h"
#include "document/EditorContext.h"
#include "windows/MainWindowSupport.h"

using namespace fl;
using namespace fl::test;

namespace {

std::string ActiveName(TfrmMain& window)
{
    const TDocument* document = window.Context().ActiveDocument();
    return document ? document->ShortName() : std::string();
}

int ListedFrames(TfrmMain& window)
{
    return window.findChild<TFLListBox*>("lbFrames")->count();
}

void ClickTab(TfrmMain& window, int index)
{
    auto* tabs = window.findChild<QTabBar*>("tabMDI");
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(index).center());
    TMainWindowRig::Settle();
}

} // namespace

class WorkspaceTest : public QObject {
    Q_OBJECT
private slots:
    void frameSizeChangesWithAnAnimationOpen();
    void minimizedDocumentsSwitchByTab();
    void documentWindowsStayInTheWorkspace();
    void windowsComeBackIntoReach();
    void frameWithoutColorsIsStillAFrame();
};

void WorkspaceTest::frameSizeChangesWithAnAnimationOpen()
{
    // The list's horizontal extent and the view's own scroll range used to
    // show and hide the scroll bar in turn until the stack overflowed.
    TMainWindowRig rig;
    TfrmMain& window = rig.Start();
    window.OpenFileByType(FL_SHARED_DIR "/corpus/animated/animated-red-blue.gif");
    rig.Settle();
    for (const int size : {96, 160, 80, 160, 112, 144}) {
        window.SelectFrameSize(size);
        rig.Settle();
        auto* list = window.findChild<TFLListBox*>("lbFrames");
        QCOMPARE(list->CurrentWidth(), size + 26);
        QCOMPARE(list->visualItemRect(list->item(0)).height(), size + 65);
    }
}

void WorkspaceTest::minimizedDocumentsSwitchByTab()
{
    TMainWindowRig rig;
    TfrmMain& window = rig.Start();
    WriteAnimation(rig.File("one.gif"), 2);
    WriteAnimation(rig.File("two.gif"), 3);
    window.OpenFileByType(rig.File("one.gif"));
    window.OpenFileByType(rig.File("two.gif"));
    rig.Settle();
    // Minimizing activates each window in turn; the reloads those
    // activations posted must not leave a document marked as shown.
    window.Action("WindowMinimizeAll")->trigger();
    rig.Settle();

    ClickTab(window, 0);
    QCOMPARE(ActiveName(window), std::string("one.gif"));
    QCOMPARE(window.Context().Animation().Frames.Count(), 2);
    QCOMPARE(ListedFrames(window), 2);
    ClickTab(window, 1);
    QCOMPARE(ActiveName(window), std::string("two.gif"));
    QCOMPARE(ListedFrames(window), 3);

    // Closing the shown document leaves the list to the other one.
    ClickTab(window, 0);
    window.Action("FileClose")->trigger();
    rig.Settle();
    QCOMPARE(ActiveName(window), std::string("two.gif"));
    QCOMPARE(window.Context().Animation().Frames.Count(), 3);
    QCOMPARE(ListedFrames(window), 3);
}

void WorkspaceTest::documentWindowsStayInTheWorkspace()
{
    // Slots step down and right and start again before leaving the area.
    QCOMPARE(CascadeSlot(QSize(400, 200), 20, 0), QRect(0, 0, 300, 150));
    QCOMPARE(CascadeSlot(QSize(400, 200), 20, 2), QRect(40, 40, 300, 150));
    QCOMPARE(CascadeSlot(QSize(400, 200), 20, 3), QRect(0, 0, 300, 150));
    QCOMPARE(CascadeSlot(QSize(10, 10), 20, 5), QRect(0, 0, 7, 7));

    TMainWindowRig rig;
    TfrmMain& window = rig.Start();
    window.setGeometry(0, 0, 1600, 1000);
    rig.Settle();
    const char* names[] = {"a.gif", "b.gif", "c.gif", "d.gif", "e.gif"};
    for (const char* name : names) {
        WriteAnimation(rig.File(name), 1);
        window.OpenFileByType(rig.File(name));
        rig.Settle();
    }
    QMdiArea* area = window.MdiArea();
    const QRect workspace = area->viewport()->rect();
    const auto allInside = [&] {
        for (QMdiSubWindow* sub : area->subWindowList())
            if (!workspace.contains(sub->geometry()))
                return false;
        return true;
    };
    QVERIFY(allInside());
    QCOMPARE(area->subWindowList().size(), 5);

    // Cascade keeps usable sizes: each window three quarters of the area.
    window.Action("WindowCascade")->trigger();
    rig.Settle();
    QVERIFY(allInside());
    for (QMdiSubWindow* sub : area->subWindowList())
        QCOMPARE(sub->size(), QSize(workspace.width() * 3 / 4, workspace.height() * 3 / 4));
    // The active document stays on top, in the last slot.
    QMdiSubWindow* active = area->activeSubWindow();
    QVERIFY(active);
    for (QMdiSubWindow* sub : area->subWindowList())
        QVERIFY(sub == active || sub->y() < active->y());
}

void WorkspaceTest::windowsComeBackIntoReach()
{
    TMainWindowRig rig;
    TfrmMain& window = rig.Start();
    window.showNormal();
    window.resize(1400, 900);
    rig.Settle();
    for (const char* name : {"a.gif", "b.gif", "c.gif", "d.gif"}) {
        WriteAnimation(rig.File(name), 1);
        window.OpenFileByType(rig.File(name));
    }
    rig.Settle();
    QMdiArea* area = window.MdiArea();
    const QList<QMdiSubWindow*> windows = area->subWindowList();
    windows[3]->move(600, 400);
    windows[0]->move(650, 450);
    windows[0]->showMinimized();
    rig.Settle();
    const auto allReachable = [&] {
        const QRect workspace = area->viewport()->rect();
        for (QMdiSubWindow* sub : windows)
            if (!workspace.contains(sub->geometry().topLeft()))
                return false;
        return true;
    };

    // A smaller main window brings the windows and icons along.
    window.resize(500, 420);
    rig.Settle();
    QVERIFY(allReachable());
    // A window restored from its icon comes back where it can be seen.
    windows[0]->showNormal();
    rig.Settle();
    QVERIFY(allReachable());
    // Icons that do not fit in one row stay inside rather than above.
    window.Action("WindowMinimizeAll")->trigger();
    rig.Settle();
    QVERIFY(allReachable());

    // The area lays icons out again by itself (after a state change, in
    // rows from its bottom that a short workspace overflows at the top):
    // an icon moved above the workspace comes back too.
    windows[1]->move(0, -4);
    rig.Settle();
    QVERIFY(allReachable());
}

void WorkspaceTest::frameWithoutColorsIsStillAFrame()
{
    // Two 1 x 1 frames: the first has its own colors, the second none and no
    // global table to fall back on once it is first.
    TMainWindowRig rig;
    TfrmMain& window = rig.Start();
    window.OpenFileByType(FL_SHARED_DIR "/corpus/robustness/empty-palette.gif");
    rig.Settle();
    TEditorContext& context = window.Context();
    QCOMPARE(context.Frames().Count(), 2);
    context.ActiveDocument()->MoveFrame(1, 0);
    rig.Settle();

    // Showing either frame says what went wrong at most, and the commands
    // and the list follow the selection all the same.
    for (const int frame : {1, 0}) {
        context.ShowFrame(frame);
        rig.Settle();
        QCOMPARE(window.findChild<TFLListBox*>("lbFrames")->currentRow(), frame);
        QVERIFY(window.Action("FileSaveAs")->isEnabled());
        QVERIFY(window.Action("FrameDelete")->isEnabled());
        QCOMPARE(window.Action("FrameMoveBegin")->isEnabled(), frame != 0);
        QCOMPARE(window.Action("FrameMoveEnd")->isEnabled(), frame != 1);
    }
    // Its card keeps the frame's size when the thumbnails are made again.
    window.SelectFrameSize(96);
    QCOMPARE(context.Frames().Item(0).FrameWidth, 1);
    QCOMPARE(context.Frames().Item(0).FrameHeight, 1);
}

QTEST_MAIN(WorkspaceTest)
#include "WorkspaceTest.moc"
