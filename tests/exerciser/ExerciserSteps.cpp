// SPDX-License-Identifier: GPL-3.0-or-later
// What the exerciser's user does, one member per kind of step, and the
// table the steps are drawn from with their weights. A step that finds
// nothing to do where it looks (no document, no card) does nothing.
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QImage>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QTabBar>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QWheelEvent>

#include <cmath>
#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "app/DocumentTabs.h"
#include "app/FLListBox.h"
#include "app/MDIChild.h"
#include "app/MainWindow.h"
#include "app/ThumbnailDrag.h"
#include "app/ThumbnailGrid.h"
#include "document/Document.h"
#include "document/EditorContext.h"
#include "document/WorkingCopyRecords.h"
#include "exerciser/Exerciser.h"

namespace fl::exerciser {

namespace fs = std::filesystem;

namespace {

template <typename T> T& Find(QObject& parent, const char* name)
{
    T* found = parent.findChild<T*>(QString::fromLatin1(name));
    if (!found)
        throw std::runtime_error(std::string("the window has no ") + name);
    return *found;
}

void SendMouse(QWidget& target, QEvent::Type type, const QPoint& at, Qt::MouseButton button,
               Qt::MouseButtons held)
{
    QMouseEvent event(type, QPointF(at), target.mapToGlobal(QPointF(at)), button, held, Qt::NoModifier);
    QApplication::sendEvent(&target, &event);
}

void Click(QWidget& target, const QPoint& at, Qt::MouseButton button = Qt::LeftButton)
{
    SendMouse(target, QEvent::MouseButtonPress, at, button, button);
    SendMouse(target, QEvent::MouseButtonRelease, at, button, Qt::NoButton);
}

// A drag arriving over the widget and dropped there, as Qt delivers it.
void DropOn(QWidget& target, const QMimeData& data, const QPoint& at, Qt::DropActions actions)
{
    QDragEnterEvent enter(at, actions, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&target, &enter);
    if (!enter.isAccepted())
        return;
    QDragMoveEvent move(at, actions, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&target, &move);
    if (!move.isAccepted())
        return;
    QDropEvent drop(QPointF(at), actions, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&target, &drop);
}

std::string Caption(const QAction& action)
{
    return action.text().remove('&').toStdString();
}

// A card scrolled into view, as the user scrolls before clicking it.
QPoint CardCentre(TFLListBox& list, int row)
{
    list.scrollToItem(list.item(row));
    return list.visualItemRect(list.item(row)).center();
}

} // namespace

const std::vector<TExerciser::TStep>& TExerciser::Steps()
{
    static const std::vector<TStep> steps = {
        {"menu command", 20, &TExerciser::MenuCommand},
        {"toolbar button", 8, &TExerciser::ToolbarButton},
        {"drop-down entry", 2, &TExerciser::DropDownEntry},
        {"shortcut", 6, &TExerciser::Shortcut},
        {"open files", 5, &TExerciser::OpenFiles},
        {"click a card", 8, &TExerciser::ClickCard},
        {"card popup", 5, &TExerciser::CardPopup},
        {"drag a card", 6, &TExerciser::DragCard},
        {"drag the view onto a card", 2, &TExerciser::DragViewToCard},
        {"drag a frame onto another view", 2, &TExerciser::DragFrameToOtherView},
        {"drop from the desktop", 2, &TExerciser::DropFromDesktop},
        {"drag a thumbnail", 2, &TExerciser::DragThumbnail},
        {"frame inspector", 8, &TExerciser::InspectorStep},
        {"thumbnail browser", 4, &TExerciser::ThumbnailStep},
        {"click a tab", 6, &TExerciser::ClickTab},
        {"tab popup", 3, &TExerciser::TabPopup},
        {"document window", 7, &TExerciser::DocumentWindowState},
        {"arrange windows", 3, &TExerciser::ArrangeWindows},
        {"frame size", 4, &TExerciser::FrameSize},
        {"dock the frame list", 2, &TExerciser::DockFrameList},
        {"move a splitter", 2, &TExerciser::MoveSplitter},
        {"resize the main window", 2, &TExerciser::ResizeMainWindow},
        {"another program's clipboard", 3, &TExerciser::OtherProgramClipboard},
        {"play and tick", 8, &TExerciser::PlayAndTick},
        {"zoom a view", 3, &TExerciser::ZoomView},
        {"exit and start again", 1, &TExerciser::ExitAndRestart},
        {"crash and start again", 1, &TExerciser::CrashAndRestart},
    };
    return steps;
}

void TExerciser::Trigger(QAction& action, const std::string& where, TRandom& random)
{
    // A disabled entry is chosen as often as an enabled one and does
    // nothing, so that what is chosen never depends on how far the
    // preview's thread has played.
    if (!action.isEnabled()) {
        Note("  " + where + " > " + Caption(action) + " (disabled)");
        return;
    }
    Note("  " + where + " > " + Caption(action));
    if (action.objectName() == QLatin1String("FileExit"))
        ExitAndRestart(random);
    else
        action.trigger();
}

void TExerciser::ChooseFromMenu(QMenu& menu, TRandom& random)
{
    // Opening the menu runs what it does before showing (enabling entries,
    // filling lists).
    menu.popup(QPoint(0, 0));
    std::vector<QAction*> entries;
    for (QAction* action : menu.actions())
        if (!action->isSeparator() && action->isVisible())
            entries.push_back(action);
    menu.hide();
    const int choice = PickOf(random, static_cast<int>(entries.size()));
    if (choice < 0)
        return;
    QAction* chosen = entries[static_cast<size_t>(choice)];
    if (QMenu* submenu = chosen->menu()) {
        if (chosen->isEnabled())
            ChooseFromMenu(*submenu, random);
        return;
    }
    Trigger(*chosen, Caption(*menu.menuAction()), random);
}

void TExerciser::MenuCommand(TRandom& random)
{
    std::vector<QMenu*> menus;
    for (QAction* action : Window().menuBar()->actions())
        if (action->menu() && action->isVisible())
            menus.push_back(action->menu());
    const int choice = PickOf(random, static_cast<int>(menus.size()));
    // The menus a preview closes do not open.
    if (choice >= 0 && menus[static_cast<size_t>(choice)]->menuAction()->isEnabled())
        ChooseFromMenu(*menus[static_cast<size_t>(choice)], random);
}

void TExerciser::ToolbarButton(TRandom& random)
{
    std::vector<QAction*> buttons;
    for (QToolBar* toolbar : Window().findChildren<QToolBar*>())
        if (toolbar->isVisible())
            for (QAction* action : toolbar->actions())
                if (QWidget* button = toolbar->widgetForAction(action); button && button->isVisible())
                    buttons.push_back(action);
    if (const int choice = PickOf(random, static_cast<int>(buttons.size())); choice >= 0)
        Trigger(*buttons[static_cast<size_t>(choice)], "toolbar", random);
}

void TExerciser::DropDownEntry(TRandom& random)
{
    const char* names[] = {"popRecentFiles", "popPlayAni"};
    QMenu& menu = Find<QMenu>(Window(), names[Pick(random, 2)]);
    // Only while its button can be pressed.
    for (QToolButton* button : Window().findChildren<QToolButton*>())
        if (button->menu() == &menu && button->isVisible() && button->isEnabled()) {
            ChooseFromMenu(menu, random);
            return;
        }
}

void TExerciser::Shortcut(TRandom& random)
{
    struct TKey {
        Qt::Key Key;
        Qt::KeyboardModifiers Modifiers;
        const char* Name;
        bool ToList;
    };
    static const TKey keys[] = {
        {Qt::Key_Z, Qt::ControlModifier, "Ctrl+Z", false},
        {Qt::Key_Y, Qt::ControlModifier, "Ctrl+Y", false},
        {Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier, "Ctrl+Shift+Z", false},
        {Qt::Key_Plus, Qt::ControlModifier, "Ctrl++", false},
        {Qt::Key_Minus, Qt::ControlModifier, "Ctrl+-", false},
        {Qt::Key_0, Qt::ControlModifier, "Ctrl+0", false},
        {Qt::Key_U, Qt::ControlModifier, "Ctrl+U", false},
        {Qt::Key_D, Qt::ControlModifier, "Ctrl+D", false},
        {Qt::Key_R, Qt::ControlModifier, "Ctrl+R", false},
        {Qt::Key_S, Qt::ControlModifier, "Ctrl+S", false},
        {Qt::Key_O, Qt::ControlModifier, "Ctrl+O", false},
        {Qt::Key_I, Qt::ControlModifier, "Ctrl+I", false},
        {Qt::Key_A, Qt::ControlModifier, "Ctrl+A", false},
        {Qt::Key_X, Qt::ControlModifier, "Ctrl+X", false},
        {Qt::Key_C, Qt::ControlModifier, "Ctrl+C", false},
        {Qt::Key_V, Qt::ControlModifier, "Ctrl+V", false},
        {Qt::Key_T, Qt::ControlModifier | Qt::ShiftModifier, "Shift+Ctrl+T", false},
        {Qt::Key_E, Qt::ControlModifier | Qt::ShiftModifier, "Shift+Ctrl+E", false},
        {Qt::Key_F5, Qt::NoModifier, "F5", false},
        {Qt::Key_Up, Qt::NoModifier, "Up in the frame list", true},
        {Qt::Key_Down, Qt::NoModifier, "Down in the frame list", true},
        {Qt::Key_Home, Qt::NoModifier, "Home in the frame list", true},
        {Qt::Key_End, Qt::NoModifier, "End in the frame list", true},
        {Qt::Key_Delete, Qt::NoModifier, "Delete in the frame list", true},
    };
    const TKey& key = keys[Pick(random, static_cast<int>(std::size(keys)))];
    Note(std::string("  key ") + key.Name);
    QWidget* target = &Window();
    if (key.ToList) {
        auto& list = Find<TFLListBox>(Window(), "lbFrames");
        list.setFocus(Qt::OtherFocusReason);
        target = &list;
    }
    // Shortcuts go to the active window; the popups of earlier steps may
    // have taken that away on the offscreen platform.
    Window().activateWindow();
    QCoreApplication::processEvents();
    QTest::keyClick(target, key.Key, key.Modifiers);
}

void TExerciser::OpenFiles(TRandom& random)
{
    Trigger(*Window().Action("FileOpen"), "File", random);
}

void TExerciser::ClickCard(TRandom& random)
{
    auto& list = Find<TFLListBox>(Window(), "lbFrames");
    const int row = PickOf(random, list.count());
    if (row < 0)
        return;
    Note("  card " + std::to_string(row));
    Click(*list.viewport(), CardCentre(list, row));
}

void TExerciser::CardPopup(TRandom& random)
{
    auto& list = Find<TFLListBox>(Window(), "lbFrames");
    const int row = PickOf(random, list.count());
    if (row < 0)
        return;
    Note("  right click on card " + std::to_string(row));
    const QPoint at = CardCentre(list, row);
    SendMouse(*list.viewport(), QEvent::MouseButtonPress, at, Qt::RightButton, Qt::RightButton);
    SendMouse(*list.viewport(), QEvent::MouseButtonRelease, at, Qt::RightButton, Qt::NoButton);
    QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, at, list.viewport()->mapToGlobal(at));
    QApplication::sendEvent(list.viewport(), &menuEvent);
    ChooseFromMenu(*Window().FramePopup(), random);
}

void TExerciser::DragCard(TRandom& random)
{
    auto& list = Find<TFLListBox>(Window(), "lbFrames");
    const int source = PickOf(random, list.count());
    const int target = PickOf(random, list.count());
    if (list.count() < 2)
        return;
    // The drag is of the selected card: the press selects it first.
    Note("  card " + std::to_string(source) + " onto card " + std::to_string(target));
    Click(*list.viewport(), CardCentre(list, source));
    const std::unique_ptr<QMimeData> data = list.CreateDragData();
    DropOn(*list.viewport(), *data, CardCentre(list, target), Qt::MoveAction);
}

void TExerciser::DragViewToCard(TRandom& random)
{
    auto& list = Find<TFLListBox>(Window(), "lbFrames");
    const int target = PickOf(random, list.count());
    const TDocument* document = Window().Context().ActiveDocument();
    QMdiSubWindow* sub = document ? Window().SubWindowOf(*document) : nullptr;
    auto* view = sub ? qobject_cast<TMDIChild*>(sub->widget()) : nullptr;
    if (!view || target < 0)
        return;
    Note("  the shown frame onto card " + std::to_string(target));
    const std::unique_ptr<QMimeData> data = view->CreateDragData();
    DropOn(*list.viewport(), *data, CardCentre(list, target), Qt::CopyAction);
}

void TExerciser::DragFrameToOtherView(TRandom& random)
{
    TEditorContext& context = Window().Context();
    const int count = context.DocumentCount();
    const int choice = PickOf(random, count);
    const bool fromCard = Chance(random, 50);
    const TDocument* active = context.ActiveDocument();
    if (choice < 0 || !active || &context.DocumentAt(choice) == active)
        return;
    QMdiSubWindow* targetWindow = Window().SubWindowOf(context.DocumentAt(choice));
    QMdiSubWindow* sourceWindow = Window().SubWindowOf(*active);
    auto* target = targetWindow ? qobject_cast<TMDIChild*>(targetWindow->widget()) : nullptr;
    auto* source = sourceWindow ? qobject_cast<TMDIChild*>(sourceWindow->widget()) : nullptr;
    if (!target || !source || !target->isVisible())
        return;
    Note(std::string("  the ") + (fromCard ? "selected card" : "shown frame") + " onto " +
         context.DocumentAt(choice).ShortName());
    auto& list = Find<TFLListBox>(Window(), "lbFrames");
    const std::unique_ptr<QMimeData> data = fromCard ? list.CreateDragData() : source->CreateDragData();
    DropOn(*target, *data, QPoint(target->width() / 2, target->height() / 2), Qt::CopyAction);
}

void TExerciser::DropFromDesktop(TRandom& random)
{
    QList<QUrl> urls;
    const int count = 1 + Pick(random, 2);
    std::string names;
    for (int i = 0; i < count; ++i) {
        const std::string& file =
            dialogs_.OpenPool[static_cast<size_t>(Pick(random, static_cast<int>(dialogs_.OpenPool.size())))];
        urls << QUrl::fromLocalFile(QString::fromStdString(file));
        names.append(" ").append(file.substr(file.find_last_of('/') + 1));
    }
    Note("  dropped" + names);
    QMimeData data;
    data.setUrls(urls);
    DropOn(Window(), data, QPoint(Window().width() / 2, Window().height() / 2), Qt::CopyAction);
}

void TExerciser::DragThumbnail(TRandom& random)
{
    const std::string& file =
        dialogs_.OpenPool[static_cast<size_t>(Pick(random, static_cast<int>(dialogs_.OpenPool.size())))];
    const std::unique_ptr<QMimeData> data = MakeThumbnailDragData(file);
    const std::string name = file.substr(file.find_last_of('/') + 1);
    TfrmMain& window = Window();
    switch (Pick(random, 3)) {
    case 0: {
        QMdiArea& area = *window.MdiArea();
        Note("  " + name + " onto the workspace");
        DropOn(window, *data, area.mapTo(&window, QPoint(area.width() - 3, area.height() - 3)), Qt::CopyAction);
        break;
    }
    case 1: {
        auto& list = Find<TFLListBox>(window, "lbFrames");
        Note("  " + name + " onto the frame list");
        DropOn(*list.viewport(), *data, QPoint(5, 5), Qt::CopyAction);
        break;
    }
    default: {
        const QList<QMdiSubWindow*> views = window.MdiArea()->subWindowList();
        const int choice = PickOf(random, static_cast<int>(views.size()));
        auto* view = choice >= 0 ? qobject_cast<TMDIChild*>(views[choice]->widget()) : nullptr;
        if (!view || !view->isVisible())
            return;
        Note("  " + name + " onto " + view->Document().ShortName());
        DropOn(*view, *data, QPoint(view->width() / 2, view->height() / 2), Qt::CopyAction);
        break;
    }
    }
}

void TExerciser::ThumbnailStep(TRandom& random)
{
    TfrmMain& window = Window();
    TThumbnailGrid& grid = window.ThumbnailGrid();
    const std::string pool = dialogs_.OpenPool.front().substr(0, dialogs_.OpenPool.front().find_last_of('/'));
    switch (Pick(random, 7)) {
    case 0:
        Note("  scan the pool folder");
        window.ScanFolder(pool);
        break;
    case 5:
        // A scan interrupted by another, or by Clear, while it runs.
        Note("  scan the pool folder twice, then maybe clear");
        window.ScanFolder(pool);
        window.ScanFolder(pool + "/");
        if (Chance(random, 50))
            window.Action("ThumbsClear")->trigger();
        break;
    case 6: {
        // A small cache makes scrolling drop pictures and make them again.
        const size_t budget = Chance(random, 50) ? size_t(1) << 16 : size_t(96) << 20;
        Note("  picture budget " + std::to_string(budget) + ", scroll the grid");
        grid.SetPictureBudget(budget);
        QScrollBar& bar = *grid.verticalScrollBar();
        bar.setValue(bar.minimum() + PickOf(random, bar.maximum() - bar.minimum() + 1));
        break;
    }
    case 1: {
        const int index = PickOf(random, grid.Count());
        if (index < 0 || !grid.isVisible())
            return;
        Note("  double click on thumbnail " + std::to_string(index));
        QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, grid.CellRect(index).center());
        break;
    }
    case 2: {
        const int index = PickOf(random, grid.Count());
        if (index < 0 || !grid.isVisible())
            return;
        Note("  right click on thumbnail " + std::to_string(index));
        const QPoint at = grid.CellRect(index).center();
        QTest::mousePress(grid.viewport(), Qt::RightButton, {}, at);
        QTest::mouseRelease(grid.viewport(), Qt::RightButton, {}, at);
        ChooseFromMenu(Find<QMenu>(window, "popThumbs"), random);
        break;
    }
    case 3: {
        const int index = PickOf(random, grid.Count());
        if (index < 0 || !grid.isVisible())
            return;
        // The grid's own drag, dropped where a user drops it.
        const std::unique_ptr<QMimeData> data = MakeThumbnailDragData(grid.PathOf(index));
        auto& list = Find<TFLListBox>(window, "lbFrames");
        const bool onList = Chance(random, 50);
        Note("  thumbnail " + std::to_string(index) + (onList ? " onto the frame list" : " onto the workspace"));
        QMdiArea& area = *window.MdiArea();
        if (onList)
            DropOn(*list.viewport(), *data, QPoint(5, 5), Qt::CopyAction);
        else
            DropOn(window, *data, area.mapTo(&window, QPoint(area.width() - 3, area.height() - 3)), Qt::CopyAction);
        break;
    }
    default:
        Note("  keys in the grid");
        grid.setFocus();
        QTest::keyClick(&grid, Chance(random, 50) ? Qt::Key_Right : Qt::Key_Down);
        if (Chance(random, 20))
            QTest::keyClick(&grid, Qt::Key_Return);
        break;
    }
}

void TExerciser::ClickTab(TRandom& random)
{
    QTabBar& tabs = *Window().Tabs();
    const int index = PickOf(random, tabs.count());
    if (index < 0 || !tabs.isVisible())
        return;
    Note("  tab " + std::to_string(index));
    QTest::mouseClick(&tabs, Qt::LeftButton, {}, tabs.tabRect(index).center());
}

void TExerciser::TabPopup(TRandom& random)
{
    QTabBar& tabs = *Window().Tabs();
    const int index = PickOf(random, tabs.count());
    if (index < 0 || !tabs.isVisible())
        return;
    Note("  right click on tab " + std::to_string(index));
    const QPoint at = tabs.tabRect(index).center();
    QTest::mouseMove(&tabs, at);
    QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, at, tabs.mapToGlobal(at));
    QApplication::sendEvent(&tabs, &menuEvent);
    ChooseFromMenu(Find<QMenu>(Window(), "popTab"), random);
}

void TExerciser::DocumentWindowState(TRandom& random)
{
    const QList<QMdiSubWindow*> windows = Window().MdiArea()->subWindowList();
    const int choice = PickOf(random, static_cast<int>(windows.size()));
    const int what = Pick(random, 5);
    if (choice < 0)
        return;
    QMdiSubWindow* sub = windows[choice];
    const std::string name = sub->windowTitle().toStdString();
    switch (what) {
    case 0:
        Note("  minimize " + name);
        sub->showMinimized();
        break;
    case 1:
        Note("  restore " + name);
        sub->showNormal();
        break;
    case 2:
        Note("  maximize " + name);
        sub->showMaximized();
        break;
    case 3:
        Note("  close box of " + name);
        sub->close();
        break;
    default:
        Note("  click into " + name);
        Click(*sub, QPoint(sub->width() / 2, sub->height() / 2));
        break;
    }
}

void TExerciser::ArrangeWindows(TRandom& random)
{
    const char* names[] = {"WindowCascade",     "WindowTileHorizontal", "WindowTileVertical",
                           "WindowMinimizeAll", "WindowArrangeAll",     "WindowNextDoc",
                           "WindowPrevDoc"};
    QAction* action = Window().Action(names[Pick(random, static_cast<int>(std::size(names)))]);
    // Next and Previous are checked as the Window menu opens.
    emit Find<QMenu>(Window(), "mnuWindow").aboutToShow();
    Trigger(*action, "Window", random);
}

void TExerciser::FrameSize(TRandom& random)
{
    const int sizes[] = {80, 96, 112, 128, 144, 160};
    const std::string name = "mniFrameSize" + std::to_string(sizes[Pick(random, 6)]);
    Trigger(Find<QAction>(Window(), name.c_str()), "View > Frame Size", random);
}

void TExerciser::DockFrameList(TRandom& random)
{
    switch (Pick(random, 3)) {
    case 0:
        Note("  side button");
        Find<QToolButton>(Window(), "btnPosFrames").click();
        break;
    case 1:
        Trigger(Find<QAction>(Window(), "mniAlignLeft"), "View > Frame Window", random);
        break;
    default:
        Trigger(Find<QAction>(Window(), "mniAlignRight"), "View > Frame Window", random);
        break;
    }
}

void TExerciser::MoveSplitter(TRandom& random)
{
    const char* names[] = {"vspLeft", "hsp"};
    const int which = Pick(random, 2);
    const int delta = Pick(random, 400) - 200;
    auto& splitter = Find<QSplitter>(Window(), names[which]);
    QSplitterHandle* handle = splitter.handle(1);
    if (!handle || !handle->isVisible())
        return;
    Note(std::string("  ") + names[which] + " by " + std::to_string(delta));
    const QPoint start = handle->rect().center();
    const QPoint end =
        start + (splitter.orientation() == Qt::Horizontal ? QPoint(delta, 0) : QPoint(0, delta));
    SendMouse(*handle, QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
    SendMouse(*handle, QEvent::MouseMove, end, Qt::NoButton, Qt::LeftButton);
    SendMouse(*handle, QEvent::MouseButtonRelease, end, Qt::LeftButton, Qt::NoButton);
}

void TExerciser::ResizeMainWindow(TRandom& random)
{
    const int width = 500 + Pick(random, 1100);
    const int height = 400 + Pick(random, 700);
    const bool maximize = Chance(random, 25);
    if (maximize) {
        Note("  maximized");
        Window().showMaximized();
        return;
    }
    Note("  to " + std::to_string(width) + " x " + std::to_string(height));
    Window().showNormal();
    Window().resize(width, height);
}

void TExerciser::OtherProgramClipboard(TRandom& random)
{
    QClipboard& clipboard = *QGuiApplication::clipboard();
    const int what = Pick(random, 4);
    const int width = 1 + Pick(random, 120);
    const int height = 1 + Pick(random, 90);
    const QColor color = QColor::fromRgb(static_cast<QRgb>(random()));
    switch (what) {
    case 0: {
        Note("  a " + std::to_string(width) + " x " + std::to_string(height) + " picture");
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(color);
        clipboard.setImage(image);
        break;
    }
    case 1:
        Note("  a text");
        clipboard.setText(QStringLiteral("A comment from another program"));
        break;
    case 2: {
        Note("  a picture and a text");
        auto* data = new QMimeData;
        QImage image(width, height, QImage::Format_ARGB32);
        image.fill(color);
        data->setImageData(image);
        data->setText(QStringLiteral("caption"));
        clipboard.setMimeData(data);
        break;
    }
    default:
        Note("  emptied");
        clipboard.clear();
        break;
    }
}

void TExerciser::ZoomView(TRandom& random)
{
    const QList<TMDIChild*> views = Window().findChildren<TMDIChild*>();
    if (views.isEmpty()) {
        Note("  no view");
        return;
    }
    TMDIChild& view = *views[Pick(random, static_cast<int>(views.size()))];
    Note("  " + view.Document().ShortName());
    switch (Pick(random, 4)) {
    case 0: {
        const int delta = (Pick(random, 2) ? 1 : -1) * (30 + Pick(random, 360));
        Note("  Ctrl+wheel " + std::to_string(delta));
        QWidget* viewport = view.findChild<QScrollArea*>("sbox")->viewport();
        QWheelEvent wheel(QPointF(5, 5), viewport->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, delta),
                          Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(viewport, &wheel);
        break;
    }
    case 1:
        Note("  fit to window");
        view.FitToWindow();
        break;
    case 2: {
        static const double zooms[] = {TMDIChild::MinZoom, 0.5, 1, 3, 8, TMDIChild::MaxZoom};
        const double zoom = zooms[Pick(random, static_cast<int>(std::size(zooms)))];
        Note("  zoom " + std::to_string(zoom));
        view.SetZoom(zoom);
        break;
    }
    default:
        Trigger(Find<QAction>(Window(), "mniZoomActual"), "View > Zoom", random);
        break;
    }
    // The screen and the frame on it follow the zoom.
    const QWidget* panel = view.FramePanel();
    const int width = view.ScreenSize().width();
    if (view.ShownFrame() >= 0 && panel->width() != std::max(1, int(std::floor(width * view.Zoom()))))
        throw std::runtime_error("the screen is " + std::to_string(panel->width()) + " wide at zoom " +
                                 std::to_string(view.Zoom()) + " of " + std::to_string(width));
}

void TExerciser::PlayAndTick(TRandom& random)
{
    const int what = Pick(random, 10);
    const int ticks = 1 + Pick(random, 20);
    const int ms = Pick(random, 3000);
    if (what < 4) {
        Trigger(*Window().Action("AnimationPlay"), "View", random);
    } else if (what < 6) {
        Trigger(*Window().Action("AnimationPause"), "View", random);
    }
    Note("  " + std::to_string(ticks) + " ticks, " + std::to_string(ms) + " ms");
    for (int i = 0; i < ticks; ++i) {
        clock_->Advance(ms / ticks);
        QCoreApplication::processEvents();
    }
}

void TExerciser::ExitAndRestart(TRandom& random)
{
    Note("  exit");
    TfrmMain& window = Window();
    const int frameSize = window.Context().Values().FrameSize;
    const bool right = window.FramePanelRight();
    const bool thumbnails = window.ThumbnailsVisible();
    const bool explorer = window.ExplorerTreeVisible();
    window.close();
    if (window.isVisible()) {
        Note("  a document kept the program open");
        return;
    }
    window_.reset();
    // Now and then with a file named on the command line.
    const int argument = Pick(random, static_cast<int>(dialogs_.OpenPool.size()) * 3);
    StartProgram();
    if (argument < static_cast<int>(dialogs_.OpenPool.size())) {
        const std::string& file = dialogs_.OpenPool[static_cast<size_t>(argument)];
        Note("  started again with " + file.substr(file.find_last_of('/') + 1));
        Window().OpenArguments({QString::fromStdString(file)});
        Settle();
    } else {
        Note("  started again");
    }
    // What the layout was at exit comes back from the settings.
    TfrmMain& again = Window();
    if (again.Context().Values().FrameSize != frameSize || again.FramePanelRight() != right ||
        again.ThumbnailsVisible() != thumbnails || again.ExplorerTreeVisible() != explorer)
        throw std::runtime_error("the layout at exit did not come back after a restart");
}

void TExerciser::CrashAndRestart(TRandom&)
{
    // What an abnormal end leaves: the working copies and their records,
    // owned by a process that no longer runs. Copies stand for them, as the
    // window's own end deletes the originals.
    constexpr int GoneProcess = 0x3FFFFFFF;
    int left = 0;
    const fs::path temp = qgetenv("TMPDIR").toStdString();
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(temp, error)) {
        TWorkingCopyRecord record;
        if (entry.path().extension() != ".owner" ||
            !ReadWorkingCopyRecord((entry.path().parent_path() / entry.path().stem()).string(), record))
            continue;
        const fs::path copy =
            temp / ("~FLcrashed" + std::to_string(left++) + "-" + entry.path().stem().string());
        fs::copy_file(record.WorkingCopy, copy, error);
        WriteWorkingCopyRecord(copy.string(), record.FileName, record.Untitled, GoneProcess);
    }
    Note("  crash with " + std::to_string(left) + " working copies");
    window_.reset();
    StartProgram();
    Note("  started again");
}

} // namespace fl::exerciser
