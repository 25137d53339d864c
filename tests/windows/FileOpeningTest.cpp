// SPDX-License-Identifier: GPL-3.0-or-later
// Files into the editor through the main window: a corpus animation opened,
// edited by dragging a card, undone, saved under another name and opened
// again; and files of three types dropped from the desktop at once.
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QPushButton>
#include <QDropEvent>
#include <QImage>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QUrl>
#include <QtTest>
#include <filesystem>

#include "app/FLListBox.h"
#include "app/MDIChild.h"
#include "document/Document.h"
#include "document/EditorContext.h"
#include "gif/GIFImage.h"
#include "gif/SubImage.h"
#include "dialogs/VideoImportDialog.h"
#include "io/AviExport.h"
#include "platform/SettingsKeys.h"
#include "windows/MainWindowSupport.h"

namespace fl {

namespace {

using test::FileBytes;
using test::TMainWindowRig;

// The pixels of every frame, as the engine holds them.
std::vector<std::vector<uint8_t>> FramePixels(TGIFImage& image)
{
    std::vector<std::vector<uint8_t>> frames;
    for (int i = 0; i < image.Frames.Count(); ++i) {
        const TGIFSubImage& frame = *image.Frames[i];
        frames.emplace_back(frame.Pixels(), frame.Pixels() + frame.PixelBytes());
    }
    return frames;
}

std::vector<std::vector<uint8_t>> FramePixels(const std::string& path)
{
    TGIFImage image;
    image.LoadFromFile(path);
    return FramePixels(image);
}

void DropOnto(QWidget& target, const QMimeData& data, const QPoint& at)
{
    QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&target, &enter);
    QDragMoveEvent move(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&target, &move);
    QDropEvent drop(QPointF(at), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&target, &drop);
}

} // namespace

class FileOpeningTest : public QObject {
    Q_OBJECT
private slots:
    void corpusAnimationSurvivesADraggedMoveAndItsUndo();
    void threeDroppedFilesOpenInDropOrder();
    void videosImportWithTheirChoices();
    void filesTheEditorCannotUseAreRefused();
    void pasteFollowsTheClipboard();
    void aDocumentsShownFrameDropsOntoACard();
};

void FileOpeningTest::corpusAnimationSurvivesADraggedMoveAndItsUndo()
{
    const QString corpus = QStringLiteral(FL_SHARED_DIR) + "/corpus/animated/animated-red-blue.gif";
    if (!QFile::exists(corpus))
        QSKIP("the corpus is not there");
    TMainWindowRig rig;
    TfrmMain& window = rig.Start();
    const std::string original = rig.File("red-blue.gif");
    QVERIFY(QFile::copy(corpus, QString::fromStdString(original)));
    const std::vector<uint8_t> originalBytes = FileBytes(original);
    const auto originalFrames = FramePixels(original);
    QVERIFY(originalFrames.size() >= 3);

    // The reference: the same file saved unedited under another name.
    rig.dialogs.QueueFiles({original});
    window.Action("FileOpen")->trigger();
    rig.Settle();
    TDocument* document = window.Context().ActiveDocument();
    QVERIFY(document);
    const std::string reference = rig.File("reference.gif");
    rig.dialogs.QueueFiles({reference});
    window.Action("FileSaveAs")->trigger();
    rig.Settle();
    QVERIFY(std::filesystem::exists(reference));

    // Card 0 dragged onto card 2.
    auto* list = window.findChild<TFLListBox*>("lbFrames");
    QCOMPARE(list->count(), static_cast<int>(originalFrames.size()));
    list->setCurrentRow(0);
    rig.Settle();
    const std::unique_ptr<QMimeData> drag = list->CreateDragData();
    DropOnto(*list->viewport(), *drag, list->visualItemRect(list->item(2)).center());
    rig.Settle();
    auto moved = originalFrames;
    std::rotate(moved.begin(), moved.begin() + 1, moved.begin() + 3);
    QVERIFY(FramePixels(window.Context().Animation()) == moved);
    QCOMPARE(list->currentRow(), 2);
    QVERIFY(document->Modified());

    window.Action("EditUndo")->trigger();
    rig.Settle();
    QVERIFY(FramePixels(window.Context().Animation()) == originalFrames);

    const std::string savedAs = rig.File("after-undo.gif");
    rig.dialogs.QueueFiles({savedAs});
    window.Action("FileSaveAs")->trigger();
    rig.Settle();
    QCOMPARE(document->FileName(), savedAs);
    QVERIFY(!document->Modified());
    QVERIFY(FileBytes(savedAs) == FileBytes(reference));
    // The opened file itself was never written.
    QVERIFY(FileBytes(original) == originalBytes);

    // Reopened, the file shows the frames it started with.
    QVERIFY(window.FileCloseAll());
    rig.Settle();
    window.OpenFileByType(savedAs);
    rig.Settle();
    QCOMPARE(window.Context().DocumentCount(), 1);
    QCOMPARE(list->count(), static_cast<int>(originalFrames.size()));
    QVERIFY(FramePixels(window.Context().Animation()) == originalFrames);
    QCOMPARE(window.RecentFiles().Paths().front(), savedAs);
}

void FileOpeningTest::threeDroppedFilesOpenInDropOrder()
{
    TMainWindowRig rig;
    WriteIntegerSetting(rig.settings, KeyPaletteDefaults, 1);
    TfrmMain& window = rig.Start();
    const std::string gif = rig.File("dropped.gif");
    test::WriteAnimation(gif, 3, 16, 12);
    const std::string bmp = rig.File("still.bmp");
    QImage still(16, 12, QImage::Format_RGB888);
    still.fill(Qt::darkGreen);
    QVERIFY(still.save(QString::fromStdString(bmp)));
    const std::string avi = rig.File("clip.avi");
    {
        TGIFImage clip;
        clip.LoadFromFile(gif);
        QVERIFY(ExportAvi(avi, clip));
    }

    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(gif)),
                  QUrl::fromLocalFile(QString::fromStdString(bmp)),
                  QUrl::fromLocalFile(QString::fromStdString(avi))});
    DropOnto(window, data, window.rect().center());
    // The files open once the drop is over.
    QCOMPARE(window.Context().DocumentCount(), 0);
    rig.Settle();

    // The animation opened first, so the still image joined it as a frame;
    // the video became a document of its own.
    QCOMPARE(window.Context().DocumentCount(), 2);
    TDocument* animation = window.Context().FindDocument(gif);
    QVERIFY(animation);
    QVERIFY(animation->Modified());
    QCOMPARE(animation->History().LastName(), std::string("Add Frame"));
    TDocument* video = window.Context().ActiveDocument();
    QVERIFY(video != animation);
    QVERIFY(video->Untitled());
    QVERIFY(video->Modified());
    QCOMPARE(window.Context().Animation().Frames.Count(), 3);
    QCOMPARE(window.findChild<TFLListBox*>("lbFrames")->count(), 3);

    window.Context().ActivateDocument(*animation);
    rig.Settle();
    QCOMPARE(window.Context().Animation().Frames.Count(), 4);
    QCOMPARE(rig.MessagesWith("Error"), 0);
}

void FileOpeningTest::videosImportWithTheirChoices()
{
    TMainWindowRig rig;
    TfrmMain& window = rig.Start();
    const std::string mp4 = rig.File("clip.mp4");
    const std::string make = "ffmpeg -v error -y -f lavfi -i testsrc2=size=48x32:rate=10 -t 2 -c:v libx264 "
                             "-pix_fmt yuv420p '" + mp4 + "' 2>/dev/null";
    if (std::system(make.c_str()) != 0)
        QSKIP("the ffmpeg tool cannot make an MP4 here");

    // Cancel in "Import Video" makes nothing.
    rig.modals.Push([](QDialog& dialog) { dialog.reject(); });
    QVERIFY(!window.ImportVideoFile(mp4));
    QCOMPARE(window.Context().DocumentCount(), 0);
    QCOMPARE(rig.modals.Titles().back(), std::string("Import Video"));

    // The dialog tells the frames its choices make: the second second at 5
    // a second, whole frames.
    rig.modals.Push([](QDialog& dialog) {
        auto& choices = static_cast<TVideoImportDialog&>(dialog);
        QCOMPARE(choices.EstimatedFrames(), 20);
        dialog.findChild<QDoubleSpinBox*>("edtFrom")->setValue(1);
        auto* rate = dialog.findChild<QComboBox*>("cbRate");
        rate->setCurrentIndex(rate->findData(5.0));
        dialog.findChild<QCheckBox*>("chkChanges")->setChecked(false);
        QCOMPARE(choices.EstimatedFrames(), 5);
        QVERIFY(dialog.findChild<QLabel*>("lblFrames")->text().contains("5 frames"));
        dialog.findChild<QPushButton*>("btnOK")->click();
    });
    QVERIFY(window.ImportVideoFile(mp4));
    rig.Settle();
    QCOMPARE(window.Context().DocumentCount(), 1);
    TDocument* video = window.Context().ActiveDocument();
    QVERIFY(video->Untitled() && video->Modified());
    const TGIFImage& animation = window.Context().Animation();
    QCOMPARE(animation.Frames.Count(), 5);
    QCOMPARE(int(animation.Frames[0]->ControlBlock->Delay), 20);
    QCOMPARE(window.findChild<TFLListBox*>("lbFrames")->count(), 5);
    QVERIFY(window.isEnabled());

    // A file that is no video says why, and makes nothing.
    const std::string fake = rig.File("fake.webm");
    QFile(QString::fromStdString(fake)).open(QIODevice::WriteOnly);
    QVERIFY(!window.ImportVideoFile(fake));
    QCOMPARE(rig.MessagesWith("Error importing " + fake + " to GIF."), 1);
    QCOMPARE(window.Context().DocumentCount(), 1);
}

void FileOpeningTest::filesTheEditorCannotUseAreRefused()
{
    TMainWindowRig rig;
    TfrmMain& window = rig.Start();
    const std::string text = rig.File("notes.txt");
    QFile(QString::fromStdString(text)).open(QIODevice::WriteOnly);
    const std::string hollow = rig.File("hollow.gif");
    {
        QFile file(QString::fromStdString(hollow));
        QVERIFY(file.open(QIODevice::WriteOnly));
        // A header, a screen and the trailer: nothing to show.
        file.write(QByteArray::fromHex("4749463839610400040000000000"
                                       "3b"));
    }
    window.AddRecentFile(hollow);

    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(text)),
                  QUrl::fromLocalFile(QString::fromStdString(hollow))});
    DropOnto(window, data, window.rect().center());
    rig.Settle();
    QCOMPARE(window.Context().DocumentCount(), 0);
    QCOMPARE(rig.MessagesWith("Error loading notes.txt! Frameloom does not support the file type"), 1);
    QCOMPARE(rig.MessagesWith("Unable to decode " + hollow + ". The file is could be corrupt."), 1);
    QVERIFY(window.RecentFiles().Empty());
}

void FileOpeningTest::pasteFollowsTheClipboard()
{
    TMainWindowRig rig;
    TfrmMain& window = rig.Start();
    QGuiApplication::clipboard()->clear();
    const std::string path = rig.File("paste.gif");
    test::WriteAnimation(path, 2);
    window.OpenFileByType(path);
    rig.Settle();
    QAction* paste = window.Action("EditPaste");
    QVERIFY(!paste->isEnabled());

    QImage picture(4, 4, QImage::Format_RGB32);
    picture.fill(Qt::red);
    QGuiApplication::clipboard()->setImage(picture);
    rig.Settle();
    QVERIFY(paste->isEnabled());
    window.Context().ShowFrame(1);
    QVERIFY(paste->isEnabled());

    QGuiApplication::clipboard()->clear();
    rig.Settle();
    QVERIFY(!paste->isEnabled());
}

void FileOpeningTest::aDocumentsShownFrameDropsOntoACard()
{
    TMainWindowRig rig;
    // The palette rules are remembered: no question for the dropped frame.
    WriteIntegerSetting(rig.settings, KeyPaletteDefaults, 1);
    TfrmMain& window = rig.Start();
    const std::string source = rig.File("source.gif");
    const std::string target = rig.File("target.gif");
    test::WriteAnimation(source, 2, 16, 12);
    test::WriteAnimation(target, 3, 16, 12);
    window.OpenFileByType(source);
    rig.Settle();
    TMDIChild* sourceView =
        qobject_cast<TMDIChild*>(window.SubWindowOf(*window.Context().ActiveDocument())->widget());
    window.Context().ShowFrame(1);
    const uint32_t shownColor = sourceView->ViewBitmap().PixelColor(0, 0);
    const std::unique_ptr<QMimeData> drag = sourceView->CreateDragData();
    window.OpenFileByType(target);
    rig.Settle();
    TDocument* targetDocument = window.Context().ActiveDocument();

    auto* list = window.findChild<TFLListBox*>("lbFrames");
    list->doItemsLayout();
    // Below the cards nothing is dropped.
    const QRect last = list->visualItemRect(list->item(list->count() - 1));
    DropOnto(*list->viewport(), *drag, QPoint(last.center().x(), last.bottom() + 20));
    rig.Settle();
    QCOMPARE(window.Context().Animation().Frames.Count(), 3);

    DropOnto(*list->viewport(), *drag, list->visualItemRect(list->item(1)).center());
    rig.Settle();
    QCOMPARE(window.Context().ActiveDocument(), targetDocument);
    QCOMPARE(window.Context().Animation().Frames.Count(), 4);
    QCOMPARE(list->count(), 4);
    QCOMPARE(window.Context().Frames().Selected(), 1);
    QCOMPARE(targetDocument->History().LastName(), std::string("Add Frame"));
    TGIFSubImage& inserted = *window.Context().Animation().Frames[1];
    QCOMPARE(inserted.RenderBitmap()->PixelColor(0, 0), shownColor);

    // Once the source window is gone its drag carries nothing.
    window.Context().CloseDocument(*window.Context().FindDocument(source), false);
    rig.Settle();
    DropOnto(*list->viewport(), *drag, list->visualItemRect(list->item(0)).center());
    rig.Settle();
    QCOMPARE(window.Context().Animation().Frames.Count(), 4);
}

} // namespace fl

QTEST_MAIN(fl::FileOpeningTest)
#include "FileOpeningTest.moc"
