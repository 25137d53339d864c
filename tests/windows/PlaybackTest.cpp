// SPDX-License-Identifier: GPL-3.0-or-later
// Playing the active animation in its document window: the preview, the
// commands it locks, the play menu, and ending it in every way.
#include <QFile>
#include <QLabel>
#include <QListWidgetItem>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QtTest>
#include <set>

#include "app/FLListBox.h"
#include "app/MDIChild.h"
#include "document/Document.h"
#include "document/EditorContext.h"
#include "platform/SyncQueue.h"
#include "windows/MainWindowSupport.h"

using namespace fl;
using namespace fl::test;

namespace {

constexpr const char* LockedMenus[] = {"mnuFile", "mnuEdit", "mnuTools", "mnuWindow", "mnuHelp"};

// Runs the player's calls one at a time until `done`, at most `rounds`
// times; each round waits only until the player's next call arrives, so
// that every state between two calls is seen.
template <typename Predicate> bool PumpUntil(Predicate done, int rounds = 3000)
{
    for (int i = 0; i < rounds && !done(); ++i)
        MainSyncQueue().WaitAndDrain(20);
    return done();
}

TMDIChild* ChildOf(TfrmMain& window, const TDocument& document)
{
    QMdiSubWindow* sub = window.SubWindowOf(document);
    return sub ? qobject_cast<TMDIChild*>(sub->widget()) : nullptr;
}

TMDIChild* ActiveChild(TfrmMain& window)
{
    TDocument* document = window.Context().ActiveDocument();
    return document ? ChildOf(window, *document) : nullptr;
}

TScaledPictureLabel* Preview(TfrmMain& window)
{
    return window.findChild<TScaledPictureLabel*>(QStringLiteral("imgAni"));
}

bool MenuEnabled(TfrmMain& window, const char* name)
{
    const auto* menu = window.findChild<QMenu*>(QString::fromLatin1(name));
    return menu && menu->menuAction()->isEnabled();
}

// The frame number of "Playing Frame N of M", -1 for any other text.
int PlayingFrame(const QString& text, int last)
{
    const QString suffix = QStringLiteral(" of %1").arg(last);
    if (!text.startsWith(QStringLiteral("Playing Frame ")) || !text.endsWith(suffix))
        return -1;
    bool ok = false;
    const int frame = text.mid(14, text.size() - 14 - suffix.size()).toInt(&ok);
    return ok ? frame : -1;
}

} // namespace

class PlaybackTest : public QObject {
    Q_OBJECT
private slots:
    void previewShowsEveryFrameOfALongAnimation();
    void previewWithoutLoopEndsByItself();
    void stillImagesAreNotPlayed();
    void previewLocksCommandsUntilAFrameIsChosen();
    void playMenuPlaysTheChosenDocument();
    void pauseReleasesAndClosingIsSafe();
};

void PlaybackTest::previewShowsEveryFrameOfALongAnimation()
{
    const QString corpus = QStringLiteral(FL_SHARED_DIR) + "/corpus/animated/gifplayer-muybridge.gif";
    if (!QFile::exists(corpus))
        QSKIP("the corpus is not there");
    TMainWindowRig rig;
    const std::string path = rig.File("gifplayer-muybridge.gif");
    QVERIFY(QFile::copy(corpus, QString::fromStdString(path)));
    TfrmMain& window = rig.Start();
    window.OpenFileByType(path);
    rig.Settle();
    TMDIChild* child = ActiveChild(window);
    QVERIFY(child);
    const int last = window.Context().Animation().Frames.Count() - 1;
    QCOMPARE(last, 379);

    window.Action("AnimationPlay")->trigger();
    TScaledPictureLabel* preview = Preview(window);
    QVERIFY(window.PreviewRunning());
    QCOMPARE(preview->parentWidget(), child->FramePanel());
    QCOMPARE(preview->geometry(), QRect(0, 0, 472, 298));
    QVERIFY(!preview->isHidden());
    QVERIFY(child->PaintBox()->isHidden());

    // Frames follow one another, and so do the pictures.
    std::set<int> framesSeen;
    int previous = -1;
    int pictureChanges = 0;
    QImage lastPicture = preview->Picture();
    bool ordered = true;
    QVERIFY(PumpUntil([&] {
        const int frame = PlayingFrame(child->PanelText(2), last);
        if (frame >= 0 && frame != previous) {
            ordered = ordered && frame > previous;
            previous = frame;
            framesSeen.insert(frame);
        }
        if (const QImage picture = preview->Picture(); picture != lastPicture) {
            ++pictureChanges;
            lastPicture = picture;
        }
        return framesSeen.size() >= 6;
    }));
    QVERIFY(ordered);
    QCOMPARE(*framesSeen.begin(), 0);
    QVERIFY(pictureChanges >= 4);
    QCOMPARE(lastPicture.size(), QSize(472, 298));
    QVERIFY(window.PreviewRunning());

    window.AnimationPause();
    QVERIFY(!window.PreviewRunning());
    QCOMPARE(child->PanelText(2), QStringLiteral("gifplayer-muybridge.gif - [Height: 298 x Width: 472]"));
    QVERIFY(!child->PaintBox()->isHidden());
    QCOMPARE(preview->parentWidget(), static_cast<QWidget*>(&window));
    QVERIFY(preview->isHidden());
    // The animation being edited was never touched by the preview.
    QVERIFY(!window.Context().ActiveDocument()->Modified());
}

void PlaybackTest::previewWithoutLoopEndsByItself()
{
    TMainWindowRig rig;
    const std::string path = rig.File("three.gif");
    WriteAnimation(path, 3, 5, 7);
    TfrmMain& window = rig.Start();
    window.OpenFileByType(path);
    rig.Settle();
    TMDIChild* child = ActiveChild(window);
    QVERIFY(child);
    const bool newBefore = window.Action("FileNew")->isEnabled();

    window.AnimationPlay();
    QVERIFY(window.PreviewRunning());
    QStringList texts;
    QVERIFY(PumpUntil([&] {
        const QString text = child->PanelText(2);
        if (texts.isEmpty() || texts.last() != text)
            texts << text;
        return !window.PreviewRunning();
    }));
    // Every frame once, then back to editing on its own.
    const QString sizeText = QStringLiteral("three.gif - [Height: 7 x Width: 5]");
    QCOMPARE(texts, QStringList({sizeText, "Playing Frame 0 of 2", "Playing Frame 1 of 2",
                                 "Playing Frame 2 of 2", sizeText}));
    QVERIFY(!child->PaintBox()->isHidden());
    QVERIFY(!window.Action("AnimationPause")->isEnabled());
    QVERIFY(window.Action("AnimationPlay")->isEnabled());
    QVERIFY(window.Action("FileOpen")->isEnabled());
    QVERIFY(window.Action("FrameAdd")->isEnabled());
    QCOMPARE(window.Action("FileNew")->isEnabled(), newBefore);
    for (const char* menu : LockedMenus)
        QVERIFY2(MenuEnabled(window, menu), menu);
    // The copy is kept (the end came from its own player) until a frame is
    // shown or the next Play.
    QVERIFY(window.PreviewHeld());
    QVERIFY(window.Context().ShowFrame(1));
    QVERIFY(!window.PreviewHeld());

    // A minimized document window is restored to play in.
    QMdiSubWindow* sub = window.SubWindowOf(*window.Context().ActiveDocument());
    sub->showMinimized();
    window.AnimationPlay();
    QVERIFY(!sub->isMinimized());
    QVERIFY(window.PreviewRunning());
    QVERIFY(PumpUntil([&] { return !window.PreviewRunning(); }));
    QCOMPARE(child->PanelText(2), sizeText);
}

void PlaybackTest::stillImagesAreNotPlayed()
{
    TMainWindowRig rig;
    TfrmMain& window = rig.Start();
    // No document: nothing to play, and nothing says so.
    window.AnimationPlay();
    QVERIFY(!window.Action("AnimationPlay")->isEnabled());
    QVERIFY(!window.Action("AnimationPause")->isEnabled());
    QCOMPARE(rig.messages.BeepCount(), 0);

    // Five frames, four of them without pixels (a file keeps no such
    // frames, an edited animation may).
    const std::string path = rig.File("still.gif");
    WriteAnimation(path, 5);
    window.OpenFileByType(path);
    rig.Settle();
    TEditorContext& context = window.Context();
    for (int i = 1; i < 5; ++i)
        context.Animation().Frames[i]->SetGeometry(0, 0, 0, 0);
    QVERIFY(context.Animation().Frames[1]->IsEmpty());
    TMDIChild* child = ActiveChild(window);
    QVERIFY(child);
    const QString sizeText = child->PanelText(2);
    const size_t before = rig.messages.Requests().size();

    window.Action("AnimationPlay")->trigger();
    QCOMPARE(rig.messages.BeepCount(), 1);
    QCOMPARE(rig.messages.Requests().size(), before + 1);
    const TMessageRequest& request = rig.messages.Requests().back();
    QCOMPARE(request.Kind, TMsgDlgType::mtInformation);
    QCOMPARE(request.Text, std::string("This GIF is not an animation, therefore it cannot be played. Add "
                                       "additional images in order to play it."));
    QCOMPARE(request.Buttons.size(), size_t(1));
    QVERIFY(request.Buttons.front().Button == TMsgDlgBtn::mbOK);

    QVERIFY(!window.PreviewRunning());
    QVERIFY(!window.PreviewHeld());
    QVERIFY(!child->PaintBox()->isHidden());
    QCOMPARE(child->PanelText(2), sizeText);
    QVERIFY(window.Action("AnimationPlay")->isEnabled());
    QVERIFY(!window.Action("AnimationPause")->isEnabled());
    QVERIFY(window.Action("FileOpen")->isEnabled());
    for (const char* menu : LockedMenus)
        QVERIFY2(MenuEnabled(window, menu), menu);
}

void PlaybackTest::previewLocksCommandsUntilAFrameIsChosen()
{
    TMainWindowRig rig;
    const std::string path = rig.File("frames.gif");
    WriteAnimation(path, 3);
    TfrmMain& window = rig.Start();
    window.OpenFileByType(path);
    rig.Settle();
    TMDIChild* child = ActiveChild(window);
    QVERIFY(child);

    window.AnimationPlay();
    QVERIFY(window.PreviewRunning());
    for (const char* menu : LockedMenus)
        QVERIFY2(!MenuEnabled(window, menu), menu);
    QVERIFY(MenuEnabled(window, "mnuView"));
    QVERIFY(window.Action("AnimationPause")->isEnabled());
    for (const char* name : {"AnimationPlay", "AnimationInfo", "FileSaveAs", "FileClose", "EditCopy",
                             "EditPaste", "FrameAdd", "FrameDelete", "FrameMoveBegin", "FrameMoveEnd",
                             "FrameMoveUp", "FrameMoveDown", "FileNew", "FileOpen"})
        QVERIFY2(!window.Action(name)->isEnabled(), name);
    // The view's own items stay usable.
    QVERIFY(window.findChild<QAction*>("mniShowThumbs")->isEnabled());
    QVERIFY(window.findChild<QAction*>("mniFrameSize96")->isEnabled());
    QVERIFY(PumpUntil([&] { return child->PanelText(2).startsWith("Playing Frame"); }));

    // Clicking a frame card ends the preview and shows that frame.
    auto* list = window.findChild<TFLListBox*>("lbFrames");
    QVERIFY(list && list->count() == 3);
    const QRect card = list->visualItemRect(list->item(1));
    QVERIFY(card.isValid());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, card.center());
    QVERIFY(!window.PreviewRunning());
    QVERIFY(!window.PreviewHeld());
    QCOMPARE(child->ShownFrame(), 1);
    QVERIFY(!child->PaintBox()->isHidden());
    QCOMPARE(Preview(window)->parentWidget(), static_cast<QWidget*>(&window));
    QCOMPARE(child->PanelText(2), QStringLiteral("frames.gif - [Height: 4 x Width: 6]"));
    for (const char* menu : LockedMenus)
        QVERIFY2(MenuEnabled(window, menu), menu);
    for (const char* name : {"AnimationPlay", "FileOpen", "FrameAdd", "FrameDelete", "FrameMoveBegin",
                             "FrameMoveEnd", "FrameMoveUp", "FrameMoveDown", "EditCopy"})
        QVERIFY2(window.Action(name)->isEnabled(), name);
    QVERIFY(!window.Action("AnimationPause")->isEnabled());

    // Stopped on the last frame, the moves that lead nowhere stay off.
    window.AnimationPlay();
    QVERIFY(window.PreviewRunning());
    list->setCurrentRow(2);
    QVERIFY(!window.PreviewRunning());
    QVERIFY(window.Action("FrameMoveUp")->isEnabled());
    QVERIFY(!window.Action("FrameMoveDown")->isEnabled());
    QVERIFY(!window.Action("FrameMoveEnd")->isEnabled());

    // A card dragged while it plays: the move ends the preview.
    window.AnimationPlay();
    QVERIFY(window.PreviewRunning());
    emit list->ItemMoveRequested(2, 0);
    rig.Settle();
    QVERIFY(!window.PreviewRunning());
    QVERIFY(!window.Action("AnimationPause")->isEnabled());
    QVERIFY(window.Action("AnimationPlay")->isEnabled());
    QVERIFY(!window.Action("FrameMoveBegin")->isEnabled());
    QVERIFY(window.Action("FrameMoveEnd")->isEnabled());
}

void PlaybackTest::playMenuPlaysTheChosenDocument()
{
    TMainWindowRig rig;
    const std::string first = rig.File("first.gif");
    const std::string second = rig.File("second.gif");
    WriteAnimation(first, 3, 6, 4);
    WriteAnimation(second, 4, 9, 5);
    TfrmMain& window = rig.Start();
    window.OpenFileByType(first);
    window.OpenFileByType(second);
    rig.Settle();
    TEditorContext& context = window.Context();
    TDocument* firstDocument = context.FindDocument(first);
    TDocument* secondDocument = context.FindDocument(second);
    QVERIFY(firstDocument && secondDocument);
    auto* menu = window.findChild<QMenu*>("popPlayAni");
    QVERIFY(menu);
    QCOMPARE(menu->actions().size(), 2);
    const auto entryFor = [menu](const std::string& path) -> QAction* {
        for (QAction* entry : menu->actions())
            if (entry->text() == QString::fromStdString(path))
                return entry;
        return nullptr;
    };
    QVERIFY(entryFor(first) && entryFor(second));

    // The first document plays; choosing the second ends that preview and
    // plays the second in its own window.
    context.ActivateDocument(*firstDocument);
    rig.Settle();
    window.AnimationPlay();
    QVERIFY(window.PreviewRunning());
    TMDIChild* firstChild = ChildOf(window, *firstDocument);
    TMDIChild* secondChild = ChildOf(window, *secondDocument);
    QCOMPARE(Preview(window)->parentWidget(), firstChild->FramePanel());

    window.PlayDocument(*secondDocument);
    QCOMPARE(context.ActiveDocument(), secondDocument);
    QVERIFY(window.PreviewRunning());
    QCOMPARE(Preview(window)->parentWidget(), secondChild->FramePanel());
    QCOMPARE(Preview(window)->size(), QSize(9, 5));
    QVERIFY(!firstChild->PaintBox()->isHidden());
    QCOMPARE(firstChild->PanelText(2), QStringLiteral("first.gif - [Height: 4 x Width: 6]"));
    QVERIFY(secondChild->PaintBox()->isHidden());
    QVERIFY(PumpUntil([&] { return secondChild->PanelText(2).endsWith(" of 3"); }));

    // Opened again, the menu lists the active document first, as its default.
    emit menu->aboutToShow();
    QCOMPARE(menu->actions().first(), entryFor(second));
    QCOMPARE(menu->defaultAction(), entryFor(second));
    QCOMPARE(menu->actions().size(), 2);
    for (QAction* entry : menu->actions())
        QCOMPARE(entry->statusTip(), QStringLiteral("Plays the current animation"));
    // The entries follow Play: off while a preview runs.
    QVERIFY(!entryFor(first)->isEnabled());

    // Chosen from the menu, the first document comes to front and plays.
    window.AnimationPause();
    QVERIFY(entryFor(first)->isEnabled());
    entryFor(first)->trigger();
    QCOMPARE(context.ActiveDocument(), firstDocument);
    QVERIFY(window.PreviewRunning());
    QCOMPARE(Preview(window)->parentWidget(), firstChild->FramePanel());
    emit menu->aboutToShow();
    QCOMPARE(menu->actions().first(), entryFor(first));
    QCOMPARE(menu->defaultAction(), entryFor(first));

    // Bringing the other document to front ends the preview.
    context.ActivateDocument(*secondDocument);
    QVERIFY(!window.PreviewRunning());
    QVERIFY(!window.PreviewHeld());
    QVERIFY(!firstChild->PaintBox()->isHidden());
}

void PlaybackTest::pauseReleasesAndClosingIsSafe()
{
    TMainWindowRig rig;
    const std::string path = rig.File("frames.gif");
    const std::string other = rig.File("other.gif");
    WriteAnimation(path, 4);
    WriteAnimation(other, 2);
    TfrmMain& window = rig.Start();
    window.OpenFileByType(path);
    rig.Settle();
    TMDIChild* child = ActiveChild(window);

    window.AnimationPlay();
    QVERIFY(PumpUntil(
        [&] { return !Preview(window)->Picture().isNull() && child->PanelText(2).startsWith("Playing"); }));
    window.Action("AnimationPause")->trigger();
    QVERIFY(!window.PreviewRunning());
    QVERIFY(!window.PreviewHeld());
    QVERIFY(Preview(window)->Picture().isNull());
    QVERIFY(!window.Action("AnimationPause")->isEnabled());

    // Closing the document that plays leaves the preview label to the window.
    window.AnimationPlay();
    QVERIFY(PumpUntil([&] { return child->PanelText(2).startsWith("Playing"); }));
    window.SubWindowOf(*window.Context().ActiveDocument())->close();
    rig.Settle();
    QCOMPARE(window.Context().DocumentCount(), 0);
    QVERIFY(!window.PreviewRunning());
    QVERIFY(!window.PreviewHeld());
    QCOMPARE(Preview(window)->parentWidget(), static_cast<QWidget*>(&window));

    // Closing the whole window while a preview runs.
    window.OpenFileByType(other);
    rig.Settle();
    window.AnimationPlay();
    QVERIFY(window.PreviewRunning());
    QVERIFY(PumpUntil([&] { return ActiveChild(window)->PanelText(2).startsWith("Playing"); }));
    QVERIFY(rig.Exit());
    QVERIFY(!rig.window);
}

QTEST_MAIN(PlaybackTest)
#include "PlaybackTest.moc"
