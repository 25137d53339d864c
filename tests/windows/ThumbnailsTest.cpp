// SPDX-License-Identifier: GPL-3.0-or-later
// The thumbnail browser in the main window: a folder scanned into the grid
// (unreadable files left out, the pictures fitted to the cell), its pop-up
// commands, Browse, and the favorite folders kept between runs.
#include <QAction>
#include <QImage>
#include <QLabel>
#include <QFileSystemModel>
#include <QMenu>
#include <QScrollBar>
#include <QTreeView>
#include <QtTest>
#include <filesystem>
#include <fstream>

#include "app/ThumbnailGrid.h"
#include "document/EditorContext.h"
#include "document/ProgramOptions.h"
#include "platform/SettingsKeys.h"
#include "windows/MainWindowSupport.h"

namespace fl {

namespace {

using test::TMainWindowRig;

std::string Folder(TMainWindowRig& rig, const std::string& name)
{
    const std::string folder = rig.File(name);
    std::filesystem::create_directories(folder);
    return folder;
}

void SavePicture(const std::string& path, int width, int height, QColor color)
{
    QImage picture(width, height, QImage::Format_RGB32);
    picture.fill(color);
    if (!picture.save(QString::fromStdString(path)))
        qFatal("cannot write %s", path.c_str());
}

// Scans and waits until every thumbnail is in the grid.
void Scan(TfrmMain& window, const std::string& folder)
{
    window.ScanFolder(folder);
    QTRY_VERIFY_WITH_TIMEOUT(!window.ThumbnailScanRunning(), 30000);
}

} // namespace

class ThumbnailsTest : public QObject {
    Q_OBJECT
private slots:
    void aFolderBecomesThumbnailsOfItsReadableImages();
    void thePopupCommandsActOnTheSelectedThumbnail();
    void browseAndFavoritesChooseTheFolder();
    void aNewerScanReplacesARunningOne();
    void picturesBeyondTheBudgetAreMadeAgainWhenShown();
};

void ThumbnailsTest::aFolderBecomesThumbnailsOfItsReadableImages()
{
    TMainWindowRig rig;
    TfrmMain& window = rig.Start();
    const std::string folder = Folder(rig, "pictures");
    SavePicture(folder + "/wide.png", 300, 150, Qt::red);
    SavePicture(folder + "/Tall.bmp", 150, 300, Qt::green);
    std::ofstream(folder + "/broken.png") << "not a picture";
    std::ofstream(folder + "/notes.txt") << "text";
    SavePicture(folder + "/zz-unreadable.png", 4, 4, Qt::blue);
    std::filesystem::permissions(folder + "/zz-unreadable.png", std::filesystem::perms::none);
    const bool readsAnything = std::ifstream(folder + "/zz-unreadable.png").good(); // as root
    window.ScanFolder(folder);
    QVERIFY(window.ThumbnailScanRunning() || window.ThumbnailGrid().Count() == 0);
    QTRY_VERIFY(!window.ThumbnailScanRunning());
    TThumbnailGrid& grid = window.ThumbnailGrid();
    QCOMPARE(grid.Count(), readsAnything ? 3 : 2);
    QCOMPARE(grid.Record(0).FileName, std::string("Tall.bmp"));
    QCOMPARE(grid.Record(1).FileName, std::string("wide.png"));
    QCOMPARE(grid.Record(1).Height, 150);
    QCOMPARE(grid.Record(1).Width, 300);
    grid.Select(1);
    QVERIFY(window.Context().StatusText().starts_with("wide.png - (150 x 300) "));
    QCOMPARE(window.findChild<QLabel*>("lblCurrFolder")->text(),
             QString::fromStdString("Current Folder: " + folder + "/"));

    // An empty folder and a missing one are said.
    Scan(window, Folder(rig, "empty"));
    QCOMPARE(grid.Count(), 0);
    QVERIFY(window.Context().StatusText().starts_with("Sorry no images found in "));
    window.ScanFolder(rig.File("missing"));
    QCOMPARE(rig.MessagesWith("does not appear to be a valid path."), 1);
}

void ThumbnailsTest::thePopupCommandsActOnTheSelectedThumbnail()
{
    TMainWindowRig rig;
    WriteIntegerSetting(rig.settings, KeyPaletteDefaults, 1);
    TfrmMain& window = rig.Start();
    const std::string folder = Folder(rig, "pictures");
    SavePicture(folder + "/one.png", 20, 10, Qt::blue);
    Scan(window, folder);
    TThumbnailGrid& grid = window.ThumbnailGrid();
    QCOMPARE(grid.Count(), 1);
    grid.Select(0);
    QCOMPARE(grid.PathOf(0), folder + "/one.png");
    const auto run = [&window](const char* name) {
        window.findChild<QAction*>(QString::fromLatin1(name))->trigger();
    };

    // Open starts an animation of the picture; Insert adds it as a frame.
    run("mniThumbOpen");
    QCOMPARE(window.Context().DocumentCount(), 1);
    QCOMPARE(window.Context().Animation().Frames.Count(), 1);
    rig.modals.Push([](QDialog& dialog) { dialog.accept(); });
    run("mniThumbInsert");
    QCOMPARE(window.Context().Animation().Frames.Count(), 2);

    run("mniThumbCopy");
    QCOMPARE(rig.MessagesWith("Image successfully copied to the clipboard."), 1);
    run("mniThumbEdit");
    QCOMPARE(rig.shell.opened.back(), folder + "/one.png");
    rig.modals.Push([](QDialog& dialog) { QCOMPARE(dialog.windowTitle(), QString("Image Properties")); });
    run("mniThumbProperties");
    QVERIFY(!rig.modals.Pending());
}

void ThumbnailsTest::browseAndFavoritesChooseTheFolder()
{
    TMainWindowRig rig;
    TfrmMain& window = rig.Start();
    const std::string folder = Folder(rig, "chosen");
    SavePicture(folder + "/a.png", 8, 8, Qt::red);
    rig.dialogs.QueueFiles({folder});
    window.Action("ThumbsBrowse")->trigger();
    QTRY_COMPARE(window.ThumbnailGrid().Count(), 1);
    // The tree shows the folder as soon as the file system model reads it.
    auto& tree = *window.findChild<QTreeView*>("tvShell");
    QTRY_COMPARE(tree.currentIndex().data(QFileSystemModel::FilePathRole).toString(), QString::fromStdString(folder));
    QVERIFY(tree.isExpanded(tree.currentIndex().parent()));
    QTRY_VERIFY(tree.viewport()->rect().contains(tree.visualRect(tree.currentIndex()).center()));
    QCOMPARE(rig.dialogs.Requests().back().Kind, TFileDialogKind::Folder);

    // The current folder becomes a favorite, kept at exit.
    QMenu& favorites = *window.findChild<QMenu*>("mnuFavorites");
    favorites.actions().at(0)->trigger();
    rig.Settle();
    QCOMPARE(window.Favorites(), std::vector<std::string>{folder + "/"});
    QVERIFY(rig.Exit());
    QCOMPARE(ReadFavoriteFolders(rig.settings), std::vector<std::string>{folder + "/"});

    // A favorite that went away is said and dropped.
    TfrmMain& next = rig.Start();
    std::filesystem::remove_all(folder);
    QMenu& again = *next.findChild<QMenu*>("mnuFavorites");
    again.actions().back()->trigger();
    rig.Settle();
    QCOMPARE(rig.MessagesWith("Folder may have moved or does not exist."), 1);
    QVERIFY(next.Favorites().empty());
}

void ThumbnailsTest::aNewerScanReplacesARunningOne()
{
    TMainWindowRig rig;
    TfrmMain& window = rig.Start();
    const std::string many = Folder(rig, "many");
    for (int i = 0; i < 80; ++i)
        SavePicture(many + "/" + std::to_string(100 + i) + ".png", 400, 300, Qt::darkCyan);
    const std::string few = Folder(rig, "few");
    SavePicture(few + "/x.bmp", 9, 9, Qt::red);
    SavePicture(few + "/y.bmp", 9, 9, Qt::red);
    window.ScanFolder(many);
    window.ScanFolder(few);
    QTRY_VERIFY(!window.ThumbnailScanRunning());
    // Whatever the first scan made in the meantime is gone.
    QTest::qWait(50);
    TThumbnailGrid& grid = window.ThumbnailGrid();
    QCOMPARE(grid.Count(), 2);
    QCOMPARE(grid.Record(1).FileName, std::string("y.bmp"));
    QCOMPARE(window.Context().StatusText(), std::string());

    // Clear stops a scan too.
    window.ScanFolder(many);
    window.Action("ThumbsClear")->trigger();
    QVERIFY(!window.ThumbnailScanRunning());
    QTest::qWait(50);
    QCOMPARE(grid.Count(), 0);

    // A folder that goes away during its scan ends it without a word.
    const size_t said = rig.messages.Requests().size();
    window.ScanFolder(many);
    std::filesystem::remove_all(many);
    QTRY_VERIFY(!window.ThumbnailScanRunning());
    QCOMPARE(rig.messages.Requests().size(), said);
}

void ThumbnailsTest::picturesBeyondTheBudgetAreMadeAgainWhenShown()
{
    TMainWindowRig rig;
    TfrmMain& window = rig.Start();
    const std::string folder = Folder(rig, "budget");
    for (int i = 0; i < 60; ++i)
        SavePicture(folder + "/" + std::to_string(100 + i) + ".bmp", 75, 75, Qt::magenta);
    TThumbnailGrid& grid = window.ThumbnailGrid();
    const size_t onePicture = 75 * 75 * 4;
    grid.SetPictureBudget(onePicture * 12);
    Scan(window, folder);
    QCOMPARE(grid.Count(), 60);
    QVERIFY(grid.PictureBytes() <= onePicture * 12);
    int missing = -1;
    for (int i = grid.Count() - 1; i >= 0; --i)
        if (!grid.HasPicture(i))
            missing = i;
    QVERIFY(missing > 0);

    // Scrolled into view, a dropped picture is made again.
    grid.verticalScrollBar()->setValue(grid.CellRect(missing).top() + grid.verticalScrollBar()->value());
    grid.viewport()->repaint();
    QTRY_VERIFY(grid.HasPicture(missing));
    QVERIFY(grid.PictureBytes() <= onePicture * 12);
}

} // namespace fl

QTEST_MAIN(fl::ThumbnailsTest)
#include "ThumbnailsTest.moc"
