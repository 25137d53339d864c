// SPDX-License-Identifier: GPL-3.0-or-later
// The main window on scripted services: start-up from an empty or a stored
// settings store, the settings written at exit, the command line, the
// warnings dialog, the document tabs, the MDI area driving the active
// document, the last document closing, the layout commands and the menus.
#include <QContextMenuEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QLocalSocket>
#include <QProcess>
#include <QProgressBar>
#include <QSplitter>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>
#include <filesystem>

#include "app/DocumentTabs.h"
#include "app/FLListBox.h"
#include "app/MainStatusBar.h"
#include "app/SingleInstance.h"
#include "app/WarningsDialog.h"
#include "document/ActionStates.h"
#include "document/Document.h"
#include "document/EditorContext.h"
#include "editing/LibraryResources.h"
#include "platform/GIFException.h"
#include "platform/SettingsKeys.h"
#include "platform/Stream.h"
#include "windows/MainWindowSupport.h"

using namespace fl;
using namespace fl::test;

namespace {

template <typename T> T* Find(QObject* parent, const char* name)
{
    return parent->findChild<T*>(QString::fromLatin1(name));
}

// The captions of a menu's items, "-" for separators.
QStringList Items(const QMenu* menu)
{
    QStringList items;
    for (const QAction* action : menu->actions())
        items << (action->isSeparator() ? QStringLiteral("-") : action->text());
    return items;
}

// Whether the animation saves to exactly these bytes.
bool SameBytes(TGIFImage& animation, const TMemoryStream& expected)
{
    TMemoryStream now;
    animation.SaveToStream(now);
    return now.Size() == expected.Size() &&
           std::memcmp(now.Data(), expected.Data(), size_t(expected.Size())) == 0;
}

QMenu* TopMenu(TfrmMain& window, const QString& caption)
{
    for (QAction* action : window.menuBar()->actions())
        if (action->text() == caption)
            return action->menu();
    return nullptr;
}

void MoveMouse(QWidget* widget, const QPoint& position)
{
    QMouseEvent move(QEvent::MouseMove, QPointF(position), widget->mapToGlobal(QPointF(position)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &move);
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void firstStartTakesTheDefaults();
    void startupLogoPlaysUntilTheLayoutChanges();
    void missingLibraryIsReportedAndStartUpGoesOn();
    void commandLineOpensGifAndRefusesUnknownTypes();
    void laterStartsHandTheirFilesOver();
    void warningsDialogAnswers();
    void warningsAllLastsBeyondARestart();
    void tabHoverShowsThePath();
    void exitWritesEveryKey();
    void windowStateAtExit();
    void hiddenToolbarStaysHidden();
    void layoutCommandsPersist();
    void inspectorHiddenOnce();
    void switchingModifiedDocumentsKeepsBoth();
    void singleDocumentStaysLoaded();
    void vanishedInactiveDocumentIsDiscarded();
    void closingTheLastDocument();
    void closeIsRefusedByADocument();
    void arrangingDocumentWindows();
    void progressShowsOnlyDuringWork();
    void menusListTheirItems();
    void actionsCarryHints();
    void frameCommandsAndUndo();
    void recentFilesKeepTheNewestTen();
    void saveKeepsTheSampleFolderClean();
    void saveAllWritesEveryModifiedDocument();
    void closeAllStopsAtARefusingDocument();
    void frameListDrawsCardsAndReorders();
    void openDialogOpensEveryChosenFile();
};

void MainWindowTest::firstStartTakesTheDefaults()
{
    TMainWindowRig rig;
    TfrmMain& window = rig.Start();
    QVERIFY(window.StartMaximized());
    QVERIFY(window.isMaximized());
    QVERIFY(!window.FramePanelRight());
    QCOMPARE(Find<QSplitter>(&window, "vspLeft")->widget(0)->objectName(), QString("pnlAniFrames"));
    QCOMPARE(window.Context().Values().FrameSize, 160);
    QCOMPARE(window.FrameItemHeight(), 225);
    QCOMPARE(Find<TFLListBox>(&window, "lbFrames")->CurrentWidth(), 186);
    QVERIFY(Find<QAction>(&window, "mniFrameSize160")->isChecked());
    QCOMPARE(window.ThumbnailSize(), 75);
    QVERIFY(Find<QWidget>(&window, "pnlThumbs")->isVisible());
    QVERIFY(Find<QAction>(&window, "mniShowThumbs")->isChecked());
    QVERIFY(Find<QToolButton>(&window, "tbnThumb")->isChecked());
    QVERIFY(window.ExplorerTreeVisible());
    QVERIFY(Find<QAction>(&window, "mniShowExplorer")->isChecked());
    QVERIFY(!Find<QMenu>(&window, "mnuRecentFiles")->menuAction()->isVisible());
    for (const char* toolbar : {"tbStandard", "tbFrame", "tbAnimation"})
        QVERIFY(Find<QToolBar>(&window, toolbar)->isVisible());
    // No document: the bevel shows, the tab strip does not.
    QVERIFY(Find<QWidget>(&window, "bevTop")->isVisible());
    QVERIFY(!Find<QWidget>(&window, "pnlMDITab")->isVisible());
    QVERIFY(!Find<QProgressBar>(&window, "prgBar")->isVisible());
    QVERIFY(window.InspectorChecked());
    QVERIFY(!window.InspectorReminder());
    QVERIFY(!window.WarningsReported());
    QCOMPARE(window.Context().Values().InitialDir, rig.programFolder + "Images");
    QCOMPARE(window.windowTitle(), QString("Quillmark Frameloom 4.0"));
}

void MainWindowTest::startupLogoPlaysUntilTheLayoutChanges()
{
    TMainWindowRig rig;
    rig.programFolder = (QCoreApplication::applicationDirPath() + "/").toStdString();
    if (!std::filesystem::exists(rig.programFolder + CompanionLibraryFileName()))
        QSKIP("the companion library is not built beside the test");
    TfrmMain& window = rig.Start();
    QVERIFY(window.StartupLogoShown());
    auto* splash = Find<QWidget>(&window, "pnlSplash");
    auto* logo = Find<QLabel>(&window, "imgAni");
    QVERIFY(splash->isVisible());
    QVERIFY(logo->parentWidget() == splash);
    // The player runs on the virtual clock and draws through the event loop.
    QTRY_VERIFY(!logo->pixmap().isNull());
    QVERIFY(splash->geometry().contains(logo->geometry().translated(splash->pos())));
    QCOMPARE(rig.messages.Requests().size(), size_t(0));

    window.ToggleThumbnails();
    QVERIFY(!window.StartupLogoShown());
    QVERIFY(!splash->isVisible());
    QVERIFY(logo->parentWidget() == &window);
    // Never shown again in the same run.
    window.ToggleThumbnails();
    QVERIFY(!splash->isVisible());
}

void MainWindowTest::missingLibraryIsReportedAndStartUpGoesOn()
{
    TMainWindowRig rig;
    TfrmMain& window = rig.Start();
    QCOMPARE(rig.MessagesWith("Could not load " + CompanionLibraryFileName() + " library file."), 1);
    QVERIFY(!window.StartupLogoShown());
    QVERIFY(window.isVisible());

    // With the logo switched off nothing is tried.
    WriteIntegerSetting(rig.settings, KeyDisplayAnimation, 0);
    rig.messages = TScriptedMessageService();
    rig.Start();
    QCOMPARE(rig.messages.Requests().size(), size_t(0));
}

void MainWindowTest::commandLineOpensGifAndRefusesUnknownTypes()
{
    TMainWindowRig rig;
    WriteIntegerSetting(rig.settings, KeyDisplayAnimation, 0);
    TfrmMain& window = rig.Start();
    window.OpenArguments({QString::fromStdString(rig.File("picture.xyz"))});
    QCOMPARE(
        rig.MessagesWith("Error loading picture.xyz! Frameloom does not support the file type or it is a "
                         "corrupted file."),
        1);
    QCOMPARE(rig.messages.Requests().back().Kind, TMsgDlgType::mtWarning);
    QCOMPARE(window.Context().DocumentCount(), 0);
    QVERIFY(Find<QWidget>(&window, "bevTop")->isVisible());

    window.OpenArguments({});
    QCOMPARE(rig.messages.Requests().size(), size_t(1));

    // A GIF that is not there: the one message, and still no document.
    const std::string missing = rig.File("missing.gif");
    window.OpenArguments({QString::fromStdString(missing)});
    QCOMPARE(rig.messages.Requests().size(), size_t(2));
    QCOMPARE(rig.MessagesWith("Error loading " + missing + "!"), 1);
    QCOMPARE(window.Context().DocumentCount(), 0);

    const std::string path = rig.File("three.gif");
    WriteAnimation(path, 3);
    window.OpenArguments({QString::fromStdString(path)});
    rig.Settle();
    QCOMPARE(window.Context().DocumentCount(), 1);
    QCOMPARE(window.MdiArea()->subWindowList().size(), 1);
    QCOMPARE(window.Tabs()->count(), 1);
    QCOMPARE(window.Tabs()->tabText(0), QString("three.gif"));
    QCOMPARE(Find<QListWidget>(&window, "lbFrames")->count(), 3);
    QVERIFY(Find<QWidget>(&window, "pnlMDITab")->isVisible());
    QVERIFY(!Find<QWidget>(&window, "bevTop")->isVisible());
    QVERIFY(window.Action("AnimationPlay")->isEnabled());
    QVERIFY(window.Action("FrameDelete")->isEnabled());
    QVERIFY(window.Action("WindowCascade")->isEnabled());
    QCOMPARE(Find<QMenu>(&window, "popPlayAni")->actions().size(), 1);

    // The same file again only brings it to front.
    window.OpenFileByType(path);
    QCOMPARE(window.Context().DocumentCount(), 1);
    QCOMPARE(rig.messages.BeepCount(), 2);

    // Every file named opens, in order.
    const std::string second = rig.File("second.gif");
    WriteAnimation(second, 2);
    window.OpenArguments({QString::fromStdString(path), QString::fromStdString(second)});
    rig.Settle();
    QCOMPARE(window.Context().DocumentCount(), 2);
    QCOMPARE(window.Context().ActiveDocument()->ShortName(), std::string("second.gif"));
}

void MainWindowTest::laterStartsHandTheirFilesOver()
{
    // The socket lives in the user's runtime folder: one of the test's own,
    // so that an editor running on the machine is left alone.
    QTemporaryDir runtime;
    const QByteArray savedRuntime = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    const auto restore = qScopeGuard([&savedRuntime] {
        if (savedRuntime.isEmpty())
            qunsetenv("XDG_RUNTIME_DIR");
        else
            qputenv("XDG_RUNTIME_DIR", savedRuntime);
    });
    TMainWindowRig rig;
    WriteIntegerSetting(rig.settings, KeyDisplayAnimation, 0);
    TfrmMain& window = rig.Start();
    QVERIFY(InstanceServerName().startsWith(runtime.path()));
    TInstanceServer server(InstanceServerName());
    server.OnFiles = [&window](const QStringList& files) { window.OpenHandedFiles(files); };
    QVERIFY(server.Listen());
    // A second editor does not take the name from a running one.
    TInstanceServer rival(InstanceServerName());
    QVERIFY(!rival.Listen());

    // A second start of the program with two files, one named relative to
    // where it was started: it hands them over and ends.
    const std::string first = rig.File("first.gif");
    const std::string second = rig.File("second.gif");
    WriteAnimation(first, 1);
    WriteAnimation(second, 2);
    QProcess start;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    start.setProcessEnvironment(environment);
    start.setWorkingDirectory(QString::fromStdString(std::filesystem::path(second).parent_path().string()));
    start.start(QCoreApplication::applicationDirPath() + "/frameloom",
                {QString::fromStdString(first), QStringLiteral("second.gif")});
    QVERIFY(start.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(start.state() == QProcess::NotRunning, 20000);
    if (start.state() != QProcess::NotRunning)
        start.kill();
    QCOMPARE(start.exitCode(), 0);
    QTRY_COMPARE(window.Context().DocumentCount(), 2);
    QVERIFY(window.Context().FindDocument(first) && window.Context().FindDocument(second));

    // Something else on the socket is dropped and opens nothing.
    QLocalSocket stranger;
    stranger.connectToServer(InstanceServerName());
    QVERIFY(stranger.waitForConnected(1000));
    stranger.write("GET / HTTP/1.0\n\n");
    QTRY_COMPARE(stranger.state(), QLocalSocket::UnconnectedState);
    QCOMPARE(window.Context().DocumentCount(), 2);

    // Files handed over while long work runs (the window disabled under
    // its progress window) wait for it to end.
    const std::string third = rig.File("third.gif");
    WriteAnimation(third, 1);
    window.setEnabled(false);
    window.OpenHandedFiles({QString::fromStdString(third)});
    QTest::qWait(400);
    QCOMPARE(window.Context().DocumentCount(), 2);
    window.setEnabled(true);
    QTRY_COMPARE(window.Context().DocumentCount(), 3);
}

void MainWindowTest::warningsDialogAnswers()
{
    TMainWindowRig rig;
    WriteIntegerSetting(rig.settings, KeyDisplayAnimation, 0);
    WriteIntegerSetting(rig.settings, KeyWarnings, 1);
    TfrmMain& window = rig.Start();
    QVERIFY(window.WarningsReported());
    TGIFImage& animation = window.Context().Animation();

    rig.messages.QueueAnswer(mrIgnore);
    animation.DispatchWarning(nullptr, 1, "Bad block");
    QCOMPARE(
        rig.messages.Requests().back().Text,
        std::string("A GIF process has resulted in a warning. The source is traced to TGIFImage with the "
                    "following message: \"Bad block.\""));
    const auto& buttons = rig.messages.Requests().back().Buttons;
    QCOMPARE(buttons.size(), size_t(3));
    QCOMPARE(buttons[0].Button, TMsgDlgBtn::mbAbort);
    QCOMPARE(buttons[1].Button, TMsgDlgBtn::mbIgnore);
    QCOMPARE(buttons[2].Button, TMsgDlgBtn::mbAll);

    TGIFSubImage frame(&animation);
    rig.messages.QueueAnswer(mrAbort);
    try {
        animation.DispatchWarning(&frame, 2, "Broken");
        QFAIL("Abort must end the operation");
    } catch (const GIFException& error) {
        QCOMPARE(std::string(error.what()), std::string(AbortedProcessMessage));
    }
    QVERIFY(rig.messages.Requests().back().Text.find("an error. The source is traced to TGIFSubImage") !=
            std::string::npos);
    // Closing the box aborts as well.
    QVERIFY_THROWS_EXCEPTION(GIFException, animation.DispatchWarning(nullptr, 0, "Note"));
    QVERIFY(rig.messages.Requests().back().Text.find("special comments") != std::string::npos);
    QVERIFY(window.WarningsReported());
}

void MainWindowTest::warningsAllLastsBeyondARestart()
{
    TMainWindowRig rig;
    WriteIntegerSetting(rig.settings, KeyDisplayAnimation, 0);
    WriteIntegerSetting(rig.settings, KeyWarnings, 1);
    TfrmMain& window = rig.Start();
    rig.messages.QueueAnswer(mrAll);
    window.Context().Animation().DispatchWarning(nullptr, 1, "First");
    QCOMPARE(ReadIntegerSetting(rig.settings, KeyWarnings), 0);
    window.Context().Animation().DispatchWarning(nullptr, 1, "Second");
    QCOMPARE(rig.messages.Requests().size(), size_t(1));
    rig.Settle();
    QVERIFY(!window.Context().Animation().WarningHandler);

    TfrmMain& restarted = rig.Start();
    QVERIFY(!restarted.WarningsReported());
    restarted.Context().Animation().DispatchWarning(nullptr, 1, "Third");
    QCOMPARE(rig.messages.Requests().size(), size_t(1));
}

void MainWindowTest::tabHoverShowsThePath()
{
    TMainWindowRig rig;
    WriteIntegerSetting(rig.settings, KeyDisplayAnimation, 0);
    TfrmMain& window = rig.Start();
    const std::string first = rig.File("first.gif");
    const std::string second = rig.File("second.gif");
    WriteAnimation(first, 2);
    WriteAnimation(second, 2);
    window.OpenFileByType(first);
    window.OpenFileByType(second);
    rig.Settle();
    TDocumentTabs* tabs = window.Tabs();
    QCOMPARE(tabs->count(), 2);

    MoveMouse(tabs, tabs->tabRect(0).center());
    QCOMPARE(tabs->HoveredTab(), 0);
    QCOMPARE(window.MainStatusBar()->HintText().toStdString(), tabs->DocumentAt(0)->FileName());
    QVERIFY(window.MainStatusBar()->HintText().endsWith("first.gif"));

    const QPoint outside(tabs->tabRect(1).right() + 20, tabs->tabRect(1).center().y());
    QVERIFY(outside.x() < tabs->width());
    MoveMouse(tabs, outside);
    QCOMPARE(tabs->HoveredTab(), -1);
    QVERIFY(window.MainStatusBar()->HintText().endsWith("first.gif"));

    MoveMouse(tabs, tabs->tabRect(1).center());
    QVERIFY(window.MainStatusBar()->HintText().endsWith("second.gif"));

    // The tab popup closes the tab it was opened on, not the active one.
    QContextMenuEvent menu(QContextMenuEvent::Mouse, tabs->tabRect(0).center(),
                           tabs->mapToGlobal(tabs->tabRect(0).center()));
    QCoreApplication::sendEvent(tabs, &menu);
    auto* popup = Find<QMenu>(&window, "popTab");
    QVERIFY(popup->isVisible());
    QAction* close = Find<QAction>(&window, "mniTabClose");
    QVERIFY(close->isEnabled());
    close->trigger();
    popup->hide();
    rig.Settle();
    QCOMPARE(window.Context().DocumentCount(), 1);
    QCOMPARE(tabs->count(), 1);
    QVERIFY(tabs->tabText(0) == "second.gif");
    QCOMPARE(window.Context().ActiveDocument()->ShortName(), std::string("second.gif"));
}

void MainWindowTest::exitWritesEveryKey()
{
    TMainWindowRig rig;
    rig.Start();
    QVERIFY(rig.Exit());
    const TSettingKey* written[] = {
        &KeyMainWindowState,
        &KeyAutoSizeSplitter,
        &KeyFrameSize,
        &KeyFrameWindowAlign,
        &KeyFrameWindowWidth,
        &KeyInitialDir,
        &KeyInstallDir,
        &KeyClipDefault,
        &KeyClipFrame,
        &KeyDefaultDelay,
        &KeyDefaultNSLoop,
        &KeyNormalStyle,
        &KeysStandardToolbar.Left,
        &KeysStandardToolbar.Top,
        &KeysStandardToolbar.Visible,
        &KeysFrameToolbar.Left,
        &KeysFrameToolbar.Top,
        &KeysFrameToolbar.Visible,
        &KeysAnimationToolbar.Left,
        &KeysAnimationToolbar.Top,
        &KeysAnimationToolbar.Visible,
        &KeyThumbnailDirectory,
        &KeyThumbnailFilterType,
        &KeyThumbnailWindowHeight,
        &KeyThumbnailsVisible,
        &KeyExplorerWidth,
        &KeyExplorerVisible,
        &KeyThumbnailSize,
    };
    for (const TSettingKey* key : written)
        QVERIFY2(rig.settings.ValueExists(key->Section, key->Name), key->Name);
    QCOMPARE(ReadIntegerSetting(rig.settings, KeyClipDefault), 0);
    QCOMPARE(ReadIntegerSetting(rig.settings, KeyClipFrame), 1);
    QCOMPARE(ReadTextSetting(rig.settings, KeyMainWindowState), std::string("Maximized"));
    QCOMPARE(ReadTextSetting(rig.settings, KeyInstallDir, ""), rig.programFolder);
    QCOMPARE(ReadIntegerSetting(rig.settings, KeyFrameSize), 160);
    QCOMPARE(ReadTextSetting(rig.settings, KeyFrameWindowAlign), std::string("Left"));
    QCOMPARE(ReadIntegerSetting(rig.settings, KeyThumbnailSize), 75);
    QCOMPARE(ReadIntegerSetting(rig.settings, KeyThumbnailFilterType), 19);
    // Maximized: no bounds.
    QVERIFY(!rig.settings.ValueExists(KeyMainTop.Section, KeyMainTop.Name));

    // Values that were stored come back as they were.
    WriteIntegerSetting(rig.settings, KeyClipDefault, 6);
    WriteIntegerSetting(rig.settings, KeyDefaultDelay, 25);
    rig.Start(false);
    rig.window.reset();
    QCOMPARE(ReadIntegerSetting(rig.settings, KeyClipDefault), 6);
    QCOMPARE(ReadIntegerSetting(rig.settings, KeyDefaultDelay), 25);
}

void MainWindowTest::windowStateAtExit()
{
    TMainWindowRig rig;
    WriteIntegerSetting(rig.settings, KeyDisplayAnimation, 0);
    WriteTextSetting(rig.settings, KeyMainWindowState, "Maximized");
    WriteIntegerSetting(rig.settings, KeyMainLeft, 11);
    WriteIntegerSetting(rig.settings, KeyMainTop, 22);
    WriteIntegerSetting(rig.settings, KeyMainWidth, 633);
    WriteIntegerSetting(rig.settings, KeyMainHeight, 477);
    rig.Start();
    QVERIFY(rig.window->isMaximized());
    QVERIFY(rig.Exit());
    QCOMPARE(ReadTextSetting(rig.settings, KeyMainWindowState), std::string("Maximized"));
    QCOMPARE(ReadIntegerSetting(rig.settings, KeyMainLeft, 0), 11);
    QCOMPARE(ReadIntegerSetting(rig.settings, KeyMainWidth, 0), 633);

    // "Normal" restores the bounds and writes them back.
    WriteTextSetting(rig.settings, KeyMainWindowState, "Normal");
    TfrmMain& normal = rig.Start();
    QVERIFY(!normal.StartMaximized());
    QCOMPARE(normal.geometry(), QRect(11, 22, 633, 477));
    normal.setGeometry(30, 40, 700, 500);
    QVERIFY(rig.Exit());
    QCOMPARE(ReadTextSetting(rig.settings, KeyMainWindowState), std::string("Normal"));
    QCOMPARE(ReadIntegerSetting(rig.settings, KeyMainLeft, 0), 30);
    QCOMPARE(ReadIntegerSetting(rig.settings, KeyMainTop, 0), 40);
    QCOMPARE(ReadIntegerSetting(rig.settings, KeyMainWidth, 0), 700);
    QCOMPARE(ReadIntegerSetting(rig.settings, KeyMainHeight, 0), 500);

    // Minimized: nothing about the window at all.
    WriteTextSetting(rig.settings, KeyMainWindowState, "Anything");
    TfrmMain& minimized = rig.Start();
    QVERIFY(minimized.StartMaximized());
    minimized.setWindowState(Qt::WindowMinimized);
    rig.window.reset();
    QCOMPARE(ReadTextSetting(rig.settings, KeyMainWindowState), std::string("Anything"));
    QCOMPARE(ReadIntegerSetting(rig.settings, KeyMainLeft, 0), 30);
}

void MainWindowTest::hiddenToolbarStaysHidden()
{
    TMainWindowRig rig;
    WriteIntegerSetting(rig.settings, KeyDisplayAnimation, 0);
    TfrmMain& window = rig.Start();
    QAction* item = Find<QAction>(&window, "mniToolbarFrame");
    QVERIFY(item->isChecked());
    item->trigger();
    QVERIFY(!item->isChecked());
    QVERIFY(Find<QToolBar>(&window, "tbFrame")->isHidden());
    QVERIFY(rig.Exit());
    QCOMPARE(ReadIntegerSetting(rig.settings, KeysFrameToolbar.Visible), 0);

    TfrmMain& restarted = rig.Start();
    QVERIFY(Find<QToolBar>(&restarted, "tbFrame")->isHidden());
    QVERIFY(!Find<QAction>(&restarted, "mniToolbarFrame")->isChecked());
    QVERIFY(Find<QToolBar>(&restarted, "tbStandard")->isVisible());
    QVERIFY(Find<QAction>(&restarted, "mniToolbarStandard")->isChecked());
    QVERIFY(Find<QAction>(&restarted, "mniToolbarAnimation")->isChecked());

    // A toolbar stored on a row of its own gets that row back.
    QVERIFY(rig.Exit());
    WriteIntegerSetting(rig.settings, KeysFrameToolbar.Visible, 1);
    WriteIntegerSetting(rig.settings, KeysAnimationToolbar.Top, 40);
    WriteIntegerSetting(rig.settings, KeysAnimationToolbar.Left, 0);
    TfrmMain& rows = rig.Start();
    auto* standard = Find<QToolBar>(&rows, "tbStandard");
    auto* animation = Find<QToolBar>(&rows, "tbAnimation");
    QVERIFY(animation->y() > standard->y());
    QCOMPARE(Find<QToolBar>(&rows, "tbFrame")->y(), standard->y());
}

void MainWindowTest::layoutCommandsPersist()
{
    TMainWindowRig rig;
    WriteIntegerSetting(rig.settings, KeyDisplayAnimation, 0);
    TfrmMain& window = rig.Start();
    Find<QAction>(&window, "mniFrameSize80")->trigger();
    QCOMPARE(window.Context().Values().FrameSize, 80);
    QCOMPARE(window.FrameItemHeight(), 145);
    QCOMPARE(Find<TFLListBox>(&window, "lbFrames")->CurrentWidth(), 106);
    QCOMPARE(Find<QSplitter>(&window, "vspLeft")->sizes().front(), 126);

    Find<QAction>(&window, "mniAlignRight")->trigger();
    QVERIFY(window.FramePanelRight());
    QCOMPARE(Find<QSplitter>(&window, "vspLeft")->widget(1)->objectName(), QString("pnlAniFrames"));
    Find<QToolButton>(&window, "btnCloseThumbs")->click();
    QVERIFY(!window.ThumbnailsVisible());
    QVERIFY(Find<QWidget>(&window, "pnlThumbs")->isHidden());
    QVERIFY(!Find<QToolButton>(&window, "tbnThumb")->isChecked());
    Find<QAction>(&window, "mniShowExplorer")->trigger();
    QVERIFY(!window.ExplorerTreeVisible());
    QVERIFY(rig.Exit());
    QCOMPARE(ReadTextSetting(rig.settings, KeyFrameWindowAlign), std::string("Right"));
    QCOMPARE(ReadIntegerSetting(rig.settings, KeyFrameWindowWidth, 0), 126);

    TfrmMain& restarted = rig.Start();
    QVERIFY(restarted.FramePanelRight());
    QVERIFY(Find<QAction>(&restarted, "mniAlignRight")->isChecked());
    QVERIFY(Find<QAction>(&restarted, "mniFrameSize80")->isChecked());
    QVERIFY(!restarted.ThumbnailsVisible());
    QVERIFY(!Find<QAction>(&restarted, "mniShowThumbs")->isChecked());
    QVERIFY(!restarted.ExplorerTreeVisible());
    // The next toggle shows the tree again.
    Find<QAction>(&restarted, "mniShowExplorer")->trigger();
    QVERIFY(restarted.ExplorerTreeVisible());

    // A size the menu does not offer checks 160 while the list keeps it.
    rig.Exit();
    WriteIntegerSetting(rig.settings, KeyFrameSize, 100);
    TfrmMain& odd = rig.Start(false);
    QVERIFY(Find<QAction>(&odd, "mniFrameSize160")->isChecked());
    QCOMPARE(odd.Context().Values().FrameSize, 100);
    QCOMPARE(odd.FrameItemHeight(), 165);
}

void MainWindowTest::inspectorHiddenOnce()
{
    TMainWindowRig rig;
    WriteIntegerSetting(rig.settings, KeyInspectorHideOnce, 1);
    TfrmMain& window = rig.Start(false);
    QVERIFY(!window.InspectorChecked());
    QVERIFY(window.InspectorReminder());
    QCOMPARE(ReadIntegerSetting(rig.settings, KeyInspectorHideOnce), 0);
    Find<QAction>(&window, "mniFrameInspector")->trigger();
    QVERIFY(window.InspectorChecked());
    QVERIFY(!window.InspectorReminder());

    // The window writes the inspector's visibility when it goes.
    QVERIFY(rig.Exit());
    QCOMPARE(ReadIntegerSetting(rig.settings, KeyInspectorVisible), 1);
    WriteIntegerSetting(rig.settings, KeyInspectorVisible, 0);
    QVERIFY(!rig.Start(false).InspectorChecked());
    QVERIFY(!rig.window->InspectorReminder());
}

void MainWindowTest::switchingModifiedDocumentsKeepsBoth()
{
    TMainWindowRig rig;
    WriteIntegerSetting(rig.settings, KeyDisplayAnimation, 0);
    TfrmMain& window = rig.Start();
    const std::string first = rig.File("a.gif");
    const std::string second = rig.File("b.gif");
    WriteAnimation(first, 3);
    WriteAnimation(second, 4);
    window.OpenFileByType(first);
    window.OpenFileByType(second);
    rig.Settle();
    TEditorContext& context = window.Context();
    TDocument* a = context.FindDocument(first);
    TDocument* b = context.FindDocument(second);
    QVERIFY(a && b);
    QCOMPARE(context.ActiveDocument(), b);
    b->DeleteFrame(0);
    QCOMPARE(context.Animation().Frames.Count(), 3);

    window.MdiArea()->setActiveSubWindow(window.SubWindowOf(*a));
    rig.Settle();
    QCOMPARE(context.ActiveDocument(), a);
    QCOMPARE(window.Tabs()->currentIndex(), 0);
    QCOMPARE(context.Animation().Frames.Count(), 3);
    a->DeleteFrame(2);
    a->DeleteFrame(1);
    QCOMPARE(context.Animation().Frames.Count(), 1);

    // Through the tabs this time.
    window.Tabs()->setCurrentIndex(1);
    rig.Settle();
    QCOMPARE(context.ActiveDocument(), b);
    QCOMPARE(context.Animation().Frames.Count(), 3);
    QCOMPARE(Find<QListWidget>(&window, "lbFrames")->count(), 3);
    window.MdiArea()->setActiveSubWindow(window.SubWindowOf(*a));
    rig.Settle();
    QCOMPARE(context.Animation().Frames.Count(), 1);
    QVERIFY(a->Modified() && b->Modified());
    QCOMPARE(rig.MessagesWith("moved"), 0);
}

void MainWindowTest::singleDocumentStaysLoaded()
{
    TMainWindowRig rig;
    WriteIntegerSetting(rig.settings, KeyDisplayAnimation, 0);
    TfrmMain& window = rig.Start();
    const std::string path = rig.File("single.gif");
    WriteAnimation(path, 2);
    window.OpenFileByType(path);
    rig.Settle();
    TDocument* document = window.Context().ActiveDocument();
    QVERIFY(document);
    const int loads = rig.messages.BusyCount();
    QMdiSubWindow* sub = window.SubWindowOf(*document);
    window.MdiArea()->setActiveSubWindow(nullptr);
    window.MdiArea()->setActiveSubWindow(sub);
    window.Context().DocumentDeactivated(*document);
    window.MdiArea()->activateNextSubWindow();
    rig.Settle();
    QVERIFY(document->Loaded());
    QCOMPARE(rig.messages.BusyCount(), loads);
    QCOMPARE(window.Context().Animation().Frames.Count(), 2);
}

void MainWindowTest::vanishedInactiveDocumentIsDiscarded()
{
    TMainWindowRig rig;
    WriteIntegerSetting(rig.settings, KeyDisplayAnimation, 0);
    TfrmMain& window = rig.Start();
    const std::string gone = rig.File("gone.gif");
    const std::string kept = rig.File("kept.gif");
    WriteAnimation(gone, 2);
    WriteAnimation(kept, 3);
    window.OpenFileByType(gone);
    window.OpenFileByType(kept);
    rig.Settle();
    std::filesystem::remove(gone);

    window.Tabs()->setCurrentIndex(0);
    rig.Settle();
    QCOMPARE(rig.MessagesWith("has either moved or cannot be opened"), 1);
    QCOMPARE(window.Context().DocumentCount(), 1);
    QCOMPARE(window.Tabs()->count(), 1);
    QCOMPARE(window.MdiArea()->subWindowList().size(), 1);
    QCOMPARE(Find<QMenu>(&window, "popPlayAni")->actions().size(), 1);
    TDocument* active = window.Context().ActiveDocument();
    QVERIFY(active && active->FileName() == window.Context().FindDocument(kept)->FileName());
    QCOMPARE(window.Context().Animation().Frames.Count(), 3);
    QVERIFY(window.MdiArea()->activeSubWindow() == window.SubWindowOf(*active));
}

void MainWindowTest::closingTheLastDocument()
{
    TMainWindowRig rig;
    WriteIntegerSetting(rig.settings, KeyDisplayAnimation, 0);
    TfrmMain& window = rig.Start();
    const std::string path = rig.File("last.gif");
    WriteAnimation(path, 2);
    window.OpenFileByType(path);
    rig.Settle();
    QVERIFY(window.Action("FileClose")->isEnabled());

    window.MdiArea()->subWindowList().front()->close();
    rig.Settle();
    QCOMPARE(window.Context().DocumentCount(), 0);
    QVERIFY(window.MdiArea()->subWindowList().isEmpty());
    for (const TActionInfo& info : ActionTable())
        if (info.Enabling != TActionEnabling::Fixed)
            QVERIFY2(!window.Action(info.Name)->isEnabled(), info.Name);
    for (const char* name : {"FrameDelete", "FrameMoveUp", "FrameMoveDown", "FrameMoveBegin", "FrameMoveEnd"})
        QVERIFY2(!window.Action(name)->isEnabled(), name);
    QVERIFY(Find<QWidget>(&window, "bevTop")->isVisible());
    QVERIFY(!Find<QWidget>(&window, "pnlMDITab")->isVisible());
    QCOMPARE(Find<QListWidget>(&window, "lbFrames")->count(), 0);
    auto* timer = Find<QTimer>(&window, "Timer");
    QVERIFY(timer->isActive());
    QCOMPARE(timer->interval(), 700);

    // A document opened before the timer fires has Save re-evaluated by it.
    window.OpenFileByType(path);
    rig.Settle();
    QVERIFY(!window.Action("FileSave")->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(window.Action("FileSave")->isEnabled(), 2000);
    QVERIFY(window.Action("FileSaveAll")->isEnabled());
    QVERIFY(!timer->isActive());
}

void MainWindowTest::closeIsRefusedByADocument()
{
    TMainWindowRig rig;
    WriteIntegerSetting(rig.settings, KeyDisplayAnimation, 0);
    TfrmMain& window = rig.Start();
    const std::string path = rig.File("edited.gif");
    WriteAnimation(path, 3);
    window.OpenFileByType(path);
    rig.Settle();
    window.Context().ActiveDocument()->DeleteFrame(0);

    rig.messages.QueueAnswer(mrCancel);
    QVERIFY(!rig.Exit());
    QVERIFY(window.isVisible());
    QCOMPARE(window.Context().DocumentCount(), 1);
    QCOMPARE(rig.MessagesWith("Would you like to save changes to edited.gif?"), 1);

    // The document window's own close box asks too.
    rig.messages.QueueAnswer(mrCancel);
    window.SubWindowOf(*window.Context().ActiveDocument())->close();
    rig.Settle();
    QCOMPARE(window.Context().DocumentCount(), 1);

    rig.messages.QueueAnswer(mrNo);
    QVERIFY(rig.Exit());
    QVERIFY(!rig.window);
}

void MainWindowTest::arrangingDocumentWindows()
{
    TMainWindowRig rig;
    WriteIntegerSetting(rig.settings, KeyDisplayAnimation, 0);
    TfrmMain& window = rig.Start();
    for (const char* name : {"one.gif", "two.gif", "three.gif"}) {
        WriteAnimation(rig.File(name), 2);
        window.OpenFileByType(rig.File(name));
    }
    rig.Settle();
    QMdiArea* area = window.MdiArea();
    const QList<QMdiSubWindow*> windows = area->subWindowList();
    QCOMPARE(windows.size(), 3);
    const QRect client = area->viewport()->rect();

    window.Action("WindowTileVertical")->trigger();
    int left = 0;
    for (QMdiSubWindow* sub : windows) {
        QCOMPARE(sub->geometry().left(), left);
        QCOMPARE(sub->geometry().height(), client.height());
        left = sub->geometry().right() + 1;
    }
    QCOMPARE(left, client.width());

    window.Action("WindowTileHorizontal")->trigger();
    int top = 0;
    for (QMdiSubWindow* sub : windows) {
        QCOMPARE(sub->geometry().top(), top);
        QCOMPARE(sub->geometry().width(), client.width());
        top = sub->geometry().bottom() + 1;
    }
    QCOMPARE(top, client.height());

    // Next and previous follow the order the documents were opened in.
    TEditorContext& context = window.Context();
    QCOMPARE(context.ActiveDocument()->ShortName(), std::string("three.gif"));
    window.Action("WindowNextDoc")->trigger();
    rig.Settle();
    QCOMPARE(context.ActiveDocument()->ShortName(), std::string("one.gif"));
    QCOMPARE(context.Animation().Frames.Count(), 2);
    QCOMPARE(window.Tabs()->currentIndex(), 0);
    window.Action("WindowPrevDoc")->trigger();
    rig.Settle();
    QCOMPARE(context.ActiveDocument()->ShortName(), std::string("three.gif"));

    window.Action("WindowMinimizeAll")->trigger();
    for (QMdiSubWindow* sub : windows)
        QVERIFY(sub->isMinimized());
    // Icons line up from the bottom left; a full row goes on above it.
    window.Action("WindowArrangeAll")->trigger();
    QCOMPARE(windows.first()->geometry().bottomLeft(), QPoint(0, client.bottom()));
    for (QMdiSubWindow* sub : windows)
        QVERIFY(client.contains(sub->geometry()));
}

void MainWindowTest::progressShowsOnlyDuringWork()
{
    TMainWindowRig rig;
    WriteIntegerSetting(rig.settings, KeyDisplayAnimation, 0);
    TfrmMain& window = rig.Start();
    auto* bar = Find<QProgressBar>(&window, "prgBar");
    QVERIFY(bar->parentWidget() == window.MainStatusBar()->Panel(1));
    QCOMPARE(window.MainStatusBar()->Panel(1)->width(), 225);
    QCOMPARE(window.MainStatusBar()->Panel(0)->width(), 20);
    window.Progress(TProgressStage::Starting, 0);
    QVERIFY(bar->isVisible());
    QCOMPARE(bar->value(), 0);
    window.Progress(TProgressStage::Running, 40);
    QCOMPARE(bar->value(), 40);
    window.Progress(TProgressStage::Running, 140);
    QCOMPARE(bar->value(), 100);
    window.Progress(TProgressStage::Ending, 100);
    QVERIFY(!bar->isVisible());
    QCOMPARE(bar->value(), 0);
}

void MainWindowTest::menusListTheirItems()
{
    TMainWindowRig rig;
    TfrmMain& window = rig.Start(false);
    QStringList top;
    for (const QAction* action : window.menuBar()->actions())
        top << action->text();
    QCOMPARE(top, QStringList({"&File", "&Edit", "&View", "&Tools", "&Window", "&Help"}));

    QCOMPARE(Items(TopMenu(window, "&File")),
             QStringList({"&New...", "-", "&Open...", "&Recent Files", "-", "&Save", "Save &As...",
                          "Sa&ve All", "&Close", "Close &All", "-", "&Import", "&Export", "-", "E&xit"}));
    QCOMPARE(Items(Find<QMenu>(&window, "mnuExport")),
             QStringList({"&Single Images...", "-", "As &AVI Animation...", "As &HTML Page..."}));
    QCOMPARE(
        Items(TopMenu(window, "&Edit")),
        QStringList({"&Undo", "&Redo", "-", "Cu&t", "&Copy", "&Paste", "Paste Comme&nts", "-", "&Delete Frame",
                     "&Add Frame...", "-", "&Global Frame Properties...", "-", "Move Frame to &Beginning",
                     "Move Frame to &End", "-", "&Move Frame Up", "Move Frame Do&wn"}));
    QCOMPARE(Items(TopMenu(window, "&View")),
             QStringList({"&Play Animation", "Pa&use Animation", "-", "&Animation Information...",
                          "&Global Palette...", "Re&size...", "-", "&Zoom", "Frame &Size", "Frame &Window", "-",
                          "Thu&mbnail Window",
                          "-", "&Toolbars"}));
    QCOMPARE(Items(Find<QMenu>(&window, "mnuZoom")),
             QStringList({"Zoom &In", "Zoom &Out", "&Actual Size", "&Fit to Window"}));
    QCOMPARE(Items(Find<QMenu>(&window, "mnuFrameSize")),
             QStringList({"&80 x 80", "&96 x 96", "&112 x 112", "1&28 x 128", "1&44 x 144", "1&60 x 160", "-",
                          "&Autosize Splitter Bar"}));
    QCOMPARE(Items(Find<QMenu>(&window, "mnuThumbnailWindow")),
             QStringList({"Show/Hide &Thumbnails", "-", "&Browse...", "&Refresh", "C&lear Window", "-",
                          "Show/Hide &Explorer Tree"}));
    QCOMPARE(Items(Find<QMenu>(&window, "mnuToolbars")), QStringList({"&Standard", "&Animation", "&Frame"}));
    QCOMPARE(Items(TopMenu(window, "&Tools")),
             QStringList({"Optimize &Animation...", "-", "&Reverse Frame Order", "HTML &Code...", "-",
                          "&Frame Inspector", "-", "Program &Options..."}));
    QCOMPARE(Items(TopMenu(window, "&Window")),
             QStringList({"&Cascade", "Tile &Horizontally", "Tile &Vertically", "&Minimize All",
                          "&Arrange All", "-", "&Next Document", "&Previous Document"}));
    QCOMPARE(Items(TopMenu(window, "&Help")),
             QStringList({"&Contents...", "-", "&Tip of the Day...", "&Welcome Dialog...", "-",
                          "Quillmark Homepage", "&Support Online", "-", "&About Frameloom..."}));
    QCOMPARE(Items(Find<QMenu>(&window, "popFrames")),
             QStringList({"&Add Frame...", "-", "Cu&t", "&Copy", "&Paste", "-", "&Delete Frame", "-",
                          "&Move Frame Up", "Move Frame Do&wn"}));
    QCOMPARE(Items(Find<QMenu>(&window, "popTab")),
             QStringList({"&Next Document", "&Previous Document", "-", "&Close"}));

    const std::pair<const char*, const char*> shortcuts[] = {
        {"FileNew", "Ctrl+N"},
        {"FileOpen", "Ctrl+O"},
        {"FileSave", "Ctrl+S"},
        {"EditUndo", "Ctrl+Z"},
        {"EditRedo", "Ctrl+Y"},
        {"mniZoomIn", "Ctrl++"},
        {"mniZoomOut", "Ctrl+-"},
        {"mniZoomActual", "Ctrl+0"},
        {"FrameAdd", "Ctrl+A"},
        {"FrameMoveUp", "Ctrl+U"},
        {"AnimationPlay", "Ctrl+R"},
        {"ThumbsRefresh", "F5"},
        {"HelpContents", "F1"},
        {"mniShowThumbs", "Shift+Ctrl+T"},
        {"mniShowExplorer", "Shift+Ctrl+E"},
    };
    for (const auto& [name, keys] : shortcuts)
        QCOMPARE(Find<QAction>(&window, name)->shortcut(), QKeySequence(keys));
    QVERIFY(window.Action("EditRedo")->shortcuts().contains(QKeySequence("Ctrl+Shift+Z")));
    // Radio groups: one frame size, one side.
    Find<QAction>(&window, "mniFrameSize96")->trigger();
    QVERIFY(!Find<QAction>(&window, "mniFrameSize160")->isChecked());
    QVERIFY(Find<QAction>(&window, "mniAlignLeft")->isChecked());
    QVERIFY(!Find<QAction>(&window, "mniAlignRight")->isChecked());

    // The Window menu lists the open documents.
    const std::string path = rig.File("listed.gif");
    WriteAnimation(path, 1);
    window.OpenFileByType(path);
    rig.Settle();
    QMenu* windows = TopMenu(window, "&Window");
    emit windows->aboutToShow();
    QVERIFY(Items(windows).last().endsWith("listed.gif"));
    QVERIFY(windows->actions().last()->isChecked());
}

void MainWindowTest::actionsCarryHints()
{
    TMainWindowRig rig;
    TfrmMain& window = rig.Start(false);
    QCOMPARE(window.Action("FileSave")->toolTip(), QString("Save"));
    QCOMPARE(window.Action("FileSave")->statusTip(), QString("Save current file"));
    QCOMPARE(window.Action("AnimationPlay")->statusTip(), QString("Plays the current animation"));
    for (const TActionInfo& info : ActionTable()) {
        QAction* action = window.Action(info.Name);
        QVERIFY2(action && !action->toolTip().isEmpty() && !action->statusTip().isEmpty(), info.Name);
        QCOMPARE(action->isEnabled(), info.InitiallyEnabled);
    }
    // A hint's long part goes to panel 2.
    QStatusTipEvent tip("Plays the current animation");
    QCoreApplication::sendEvent(&window, &tip);
    QCOMPARE(window.MainStatusBar()->HintText(), QString("Plays the current animation"));
}

void MainWindowTest::frameCommandsAndUndo()
{
    TMainWindowRig rig;
    TfrmMain& window = rig.Start();
    const std::string path = rig.File("frames.gif");
    WriteAnimation(path, 3);
    window.OpenFileByType(path);
    rig.Settle();
    TEditorContext& context = window.Context();
    TMemoryStream original;
    context.Animation().SaveToStream(original);

    auto* list = Find<TFLListBox>(&window, "lbFrames");
    list->setCurrentRow(2);
    rig.Settle();
    QCOMPARE(context.Frames().Selected(), 2);
    QVERIFY(window.Action("FrameMoveUp")->isEnabled());
    QVERIFY(!window.Action("FrameMoveDown")->isEnabled());

    window.Action("FrameMoveBegin")->trigger();
    QCOMPARE(context.Frames().Selected(), 0);
    QVERIFY(!window.Action("FrameMoveBegin")->isEnabled());
    QCOMPARE(window.Action("EditUndo")->text(), QStringLiteral("&Undo Move Frame"));
    window.Action("FrameDelete")->trigger();
    QCOMPARE(context.Animation().Frames.Count(), 2);
    QCOMPARE(list->count(), 2);
    QVERIFY(context.ActiveDocument()->Modified());

    TMemoryStream edited;
    context.Animation().SaveToStream(edited);
    QVERIFY(!window.Action("EditRedo")->isEnabled());

    window.Action("EditUndo")->trigger();
    window.Action("EditUndo")->trigger();
    rig.Settle();
    QVERIFY(!window.Action("EditUndo")->isEnabled());
    QVERIFY(!context.ActiveDocument()->Modified());
    QVERIFY(SameBytes(context.Animation(), original));

    // Redo makes the undone edits again, newest undone first, byte for
    // byte, and each becomes an undo step again.
    QCOMPARE(window.Action("EditRedo")->text(), QStringLiteral("&Redo Move Frame"));
    window.Action("EditRedo")->trigger();
    QCOMPARE(window.Action("EditRedo")->text(), QStringLiteral("&Redo Delete Frame"));
    QCOMPARE(window.Action("EditUndo")->text(), QStringLiteral("&Undo Move Frame"));
    window.Action("EditRedo")->trigger();
    rig.Settle();
    QVERIFY(!window.Action("EditRedo")->isEnabled());
    QVERIFY(context.ActiveDocument()->Modified());
    QCOMPARE(list->count(), 2);
    QVERIFY(SameBytes(context.Animation(), edited));
    window.Action("EditUndo")->trigger();
    window.Action("EditRedo")->trigger();
    QVERIFY(SameBytes(context.Animation(), edited));

    // A new edit ends redoing. The Delete key in the frame list deletes the
    // selected frame.
    window.Action("EditUndo")->trigger();
    QVERIFY(window.Action("EditRedo")->isEnabled());
    window.activateWindow();
    list->setFocus(Qt::OtherFocusReason);
    QTest::keyClick(list, Qt::Key_Delete);
    QCOMPARE(context.Animation().Frames.Count(), 2);
    QCOMPARE(window.Action("EditUndo")->text(), QStringLiteral("&Undo Delete Frame"));
    QVERIFY(!window.Action("EditRedo")->isEnabled());
}

void MainWindowTest::recentFilesKeepTheNewestTen()
{
    TMainWindowRig rig;
    TfrmMain& window = rig.Start();
    std::vector<std::string> paths;
    for (int i = 0; i < 11; ++i) {
        paths.push_back(rig.File("recent" + std::to_string(i) + ".gif"));
        WriteAnimation(paths.back(), 1);
        window.OpenFileByType(paths.back());
        rig.Settle();
    }
    QMenu* recent = Find<QMenu>(&window, "mnuRecentFiles");
    QVERIFY(recent->menuAction()->isVisible());
    QCOMPARE(recent->actions().size(), 10);
    const std::string newest = window.Context().FindDocument(paths[10])->FileName();
    QCOMPARE(recent->actions().front()->text(), QString::fromStdString("&0 " + newest));
    QCOMPARE(recent->actions().front()->statusTip(), QStringLiteral("Opens this file"));

    // An entry whose file went says so and leaves the list.
    std::filesystem::remove(paths[1]);
    const std::string gone = window.Context().FindDocument(paths[1])->FileName();
    QAction* goneEntry = recent->actions().at(9);
    QCOMPARE(goneEntry->text(), QString::fromStdString("&9 " + gone));
    goneEntry->trigger();
    rig.Settle();
    QCOMPARE(rig.MessagesWith("Could not open " + gone + ". The file may have moved."), 1);
    QCOMPARE(recent->actions().size(), 9);

    QVERIFY(rig.Exit());
    const std::vector<std::string> names = rig.settings.ValueNames("Settings\\MRU");
    QCOMPARE(int(names.size()), 9);
    QCOMPARE(rig.settings.ReadString("Settings\\MRU", "MRU0", ""), newest);

    // The next start lists them again.
    TfrmMain& again = rig.Start();
    QCOMPARE(Find<QMenu>(&again, "mnuRecentFiles")->actions().size(), 9);
    QCOMPARE(again.RecentFiles().Paths().front(), newest);
}

void MainWindowTest::saveKeepsTheSampleFolderClean()
{
    TMainWindowRig rig;
    TfrmMain& window = rig.Start();
    namespace fs = std::filesystem;
    const fs::path program(rig.programFolder);
    fs::create_directories(program / "Images");
    fs::create_directories(program / "working");
    const std::string sample = (program / "Images" / "sample.gif").string();
    WriteAnimation(sample, 3);
    WriteAnimation((program / "working" / "sample.gif").string(), 1); // already taken
    const auto sampleBytes = FileBytes(sample);

    window.OpenFileByType(sample);
    rig.Settle();
    TDocument* document = window.Context().ActiveDocument();
    QVERIFY(document);
    document->DeleteFrame(0);
    rig.settings.WriteInteger("Settings", "Compatibility", 7);
    window.Action("FileSave")->trigger();

    QCOMPARE(FileBytes(sample), sampleBytes);
    const fs::path saved(document->FileName());
    QCOMPARE(saved.parent_path(), program / "working");
    QVERIFY(saved.filename() != "sample.gif");
    QVERIFY(saved.filename().string().rfind("sample", 0) == 0);
    QCOMPARE(saved.extension().string(), std::string(".gif"));
    QVERIFY(!document->Modified());
    QVERIFY(fs::exists(saved));
    QCOMPARE(window.RecentFiles().Paths().front(), document->FileName());
    QCOMPARE(window.SampleFolderRedirect(rig.File("elsewhere.gif")), std::string());
}

void MainWindowTest::saveAllWritesEveryModifiedDocument()
{
    TMainWindowRig rig;
    TfrmMain& window = rig.Start();
    rig.settings.WriteInteger("Settings", "Compatibility", 7);
    std::vector<std::string> paths;
    for (int i = 0; i < 3; ++i) {
        paths.push_back(rig.File("all" + std::to_string(i) + ".gif"));
        WriteAnimation(paths.back(), 3);
        window.OpenFileByType(paths.back());
        rig.Settle();
        if (i != 1)
            window.Context().ActiveDocument()->DeleteFrame(0);
    }
    QVERIFY(window.Action("FileSaveAll")->isEnabled());
    window.Action("FileSaveAll")->trigger();
    rig.Settle();
    QCOMPARE(FramesInFile(paths[0]), 2);
    QCOMPARE(FramesInFile(paths[1]), 3);
    QCOMPARE(FramesInFile(paths[2]), 2);
    QVERIFY(!window.Context().AnyDocumentModified());
    QCOMPARE(window.Context().ActiveDocument()->FileName(),
             window.Context().FindDocument(paths[2])->FileName());
    // Nothing asked (the missing logo library aside), nothing failed.
    QCOMPARE(rig.MessagesWith("Error"), 0);
    QCOMPARE(rig.MessagesWith("Would you like"), 0);
    QVERIFY(rig.dialogs.Requests().empty());
}

void MainWindowTest::closeAllStopsAtARefusingDocument()
{
    TMainWindowRig rig;
    TfrmMain& window = rig.Start();
    for (int i = 0; i < 3; ++i) {
        const std::string path = rig.File("close" + std::to_string(i) + ".gif");
        WriteAnimation(path, 2);
        window.OpenFileByType(path);
        rig.Settle();
    }
    TDocument* first = window.Context().FindDocument(rig.File("close0.gif"));
    TDocument* middle = window.Context().FindDocument(rig.File("close1.gif"));
    window.Context().ActivateDocument(*middle);
    middle->DeleteFrame(0);
    rig.messages.QueueAnswer(mrCancel);
    QVERIFY(!window.FileCloseAll());
    rig.Settle();
    // The last one closed, the middle one refused.
    QCOMPARE(window.Context().DocumentCount(), 2);
    QVERIFY(window.Context().IsOpen(first));
    QVERIFY(window.Context().IsOpen(middle));
    QVERIFY(middle->Modified());
    QCOMPARE(window.Context().ActiveDocument(), middle);
    QCOMPARE(window.Context().Frames().Count(), 1);
    QCOMPARE(Find<TFLListBox>(&window, "lbFrames")->count(), 1);

    rig.messages.QueueAnswer(mrNo);
    QVERIFY(window.FileCloseAll());
    rig.Settle();
    QCOMPARE(window.Context().DocumentCount(), 0);
    QVERIFY(!window.Action("FileCloseAll")->isEnabled());
}

void MainWindowTest::frameListDrawsCardsAndReorders()
{
    TMainWindowRig rig;
    TfrmMain& window = rig.Start();
    const std::string path = rig.File("cards.gif");
    WriteAnimation(path, 4, 30, 20);
    window.OpenFileByType(path);
    rig.Settle();
    auto* list = Find<TFLListBox>(&window, "lbFrames");
    QCOMPARE(list->count(), 4);
    QCOMPARE(list->visualItemRect(list->item(1)).height(), 225);

    // Dragging card 3 onto card 0 makes it the first frame.
    list->setCurrentRow(3);
    rig.Settle();
    const TGIFSubImage* moved = window.Context().Animation().Frames[3];
    emit list->ItemMoveRequested(3, 0);
    rig.Settle();
    QCOMPARE(window.Context().Animation().Frames[0], moved);
    QCOMPARE(list->currentRow(), 0);
    QVERIFY(!window.Action("FrameMoveBegin")->isEnabled());
    QVERIFY(!window.Action("FrameMoveUp")->isEnabled());
    QCOMPARE(window.Action("EditUndo")->text(), QStringLiteral("&Undo Move Frame"));

    // A right click shows the card's frame before the popup.
    emit list->RightPressed(2);
    QCOMPARE(window.Context().Frames().Selected(), 2);
    QCOMPARE(window.Context().ActiveDocument()->FrameToSelect, 2);
}

void MainWindowTest::openDialogOpensEveryChosenFile()
{
    TMainWindowRig rig;
    TfrmMain& window = rig.Start();
    const std::string first = rig.File("first.gif");
    const std::string second = rig.File("second.gif");
    WriteAnimation(first, 2);
    WriteAnimation(second, 3);

    rig.dialogs.QueueCancel();
    window.Action("FileOpen")->trigger();
    QCOMPARE(window.Context().DocumentCount(), 0);

    rig.dialogs.QueueFiles({first, second});
    window.Action("FileOpen")->trigger();
    rig.Settle();
    const TFileDialogRequest& request = rig.dialogs.Requests().back();
    QVERIFY(request.Kind == TFileDialogKind::Open);
    QVERIFY(request.MultiSelect);
    QCOMPARE(request.Filter, std::string("GIF Images (*.gif)|*.gif"));
    QCOMPARE(window.Context().DocumentCount(), 2);
    QCOMPARE(window.Context().ActiveDocument(), window.Context().FindDocument(second));
    QCOMPARE(window.Context().Animation().Frames.Count(), 3);
    QCOMPARE(window.Context().Values().InitialDir, std::filesystem::path(first).parent_path().string());

    // Opening an open file again only brings it to front.
    rig.dialogs.QueueFiles({first});
    window.Action("FileOpen")->trigger();
    rig.Settle();
    QCOMPARE(window.Context().DocumentCount(), 2);
    QCOMPARE(window.Context().ActiveDocument(), window.Context().FindDocument(first));
    QCOMPARE(window.Context().Animation().Frames.Count(), 2);
}

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
