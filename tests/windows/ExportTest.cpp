// SPDX-License-Identifier: GPL-3.0-or-later
// File > Export from the main window: the HTML page with its questions and
// the browser, and the AVI video with its progress window and Cancel.
#include <QAction>
#include <QImage>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTimer>
#include <QtTest>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "dialogs/ProgressDialog.h"
#include "document/EditorContext.h"
#include "gif/GIFImage.h"
#include "windows/MainWindowSupport.h"

namespace fl {

namespace {

using test::TMainWindowRig;

std::string ReadText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void OpenFile(TMainWindowRig& rig, const std::string& path)
{
    rig.dialogs.QueueFiles({path});
    rig.window->Action("FileOpen")->trigger();
    TMainWindowRig::Settle();
}

void Trigger(TfrmMain& window, const char* name)
{
    window.findChild<QAction*>(QString::fromLatin1(name))->trigger();
}

TfrmProgress* ProgressWindow()
{
    for (QWidget* window : QApplication::topLevelWidgets())
        if (auto* progress = qobject_cast<TfrmProgress*>(window))
            return progress;
    return nullptr;
}

// The frames ffprobe counts in the video, or -1 without ffprobe.
int ProbedFrames(const std::string& path)
{
    if (std::system("ffprobe -version >/dev/null 2>&1") != 0)
        return -1;
    std::FILE* pipe = popen(("ffprobe -v error -count_frames -show_entries stream=nb_read_frames -of "
                             "default=nw=1:nk=1 '" +
                             path + "'")
                                .c_str(),
                            "r");
    if (!pipe)
        return -1;
    char line[64] = {};
    const bool read = std::fgets(line, sizeof line, pipe) != nullptr;
    pclose(pipe);
    return read ? std::atoi(line) : -1;
}

} // namespace

class ExportTest : public QObject {
    Q_OBJECT
private slots:
    void theHtmlPageShowsTheFileAndOpensInTheBrowser();
    void anUnsavedDocumentIsSavedFirstOrNothingIsWritten();
    void anAviVideoIsWrittenAndACancelledOneLeavesNothing();
    void chosenFramesBecomeImagesOfTheChosenFormat();
};

void ExportTest::theHtmlPageShowsTheFileAndOpensInTheBrowser()
{
    TMainWindowRig rig;
    TfrmMain& window = rig.Start();
    const std::string gif = rig.File("spin.gif");
    test::WriteAnimation(gif, 2, 120, 40);
    OpenFile(rig, gif);

    rig.dialogs.QueueFiles({rig.File("page.htm")});
    rig.messages.QueueAnswer(mrYes);
    Trigger(window, "mniExportHTML");
    const TFileDialogRequest& asked = rig.dialogs.Requests().back();
    QCOMPARE(asked.Filter, std::string("HTML Files|*.htm;*.html"));
    QCOMPARE(asked.FileName, std::string("spin"));
    const std::string page = ReadText(rig.File("page.html"));
    QVERIFY(page.find("<IMG SRC=\"spin.gif\" ALT=\"Animated Image\" HEIGHT=\"40\" WIDTH=\"120\">") !=
            std::string::npos);
    QCOMPARE(rig.shell.opened, std::vector<std::string>{rig.File("page.html")});

    // A shell that cannot open it says so.
    rig.shell.succeeds = false;
    rig.dialogs.QueueFiles({rig.File("again.html")});
    rig.messages.QueueAnswer(mrYes);
    Trigger(window, "mniExportHTML");
    QCOMPARE(rig.MessagesWith("Could not load the client."), 1);

    // A folder that cannot be written is said, and the old page stays.
    rig.dialogs.QueueFiles({rig.File("missing/page.html")});
    Trigger(window, "mniExportHTML");
    QVERIFY(!std::filesystem::exists(rig.File("missing/page.html")));
    QCOMPARE(rig.MessagesWith("missing"), 1);
}

void ExportTest::anUnsavedDocumentIsSavedFirstOrNothingIsWritten()
{
    TMainWindowRig rig;
    WriteIntegerSetting(rig.settings, KeyPaletteDefaults, 1);
    TfrmMain& window = rig.Start();
    const std::string gif = rig.File("two.gif");
    test::WriteAnimation(gif, 2, 8, 8);
    OpenFile(rig, gif);
    std::filesystem::remove(gif);
    const size_t asked = rig.dialogs.Requests().size();
    rig.messages.QueueAnswer(mrNo);
    Trigger(window, "mniExportHTML");
    QCOMPARE(rig.MessagesWith("save the current document before proceeding"), 1);
    QCOMPARE(rig.dialogs.Requests().size(), asked);
}

void ExportTest::anAviVideoIsWrittenAndACancelledOneLeavesNothing()
{
    TMainWindowRig rig;
    TfrmMain& window = rig.Start();
    const std::string gif = rig.File("six.gif");
    test::WriteAnimation(gif, 6, 16, 12);
    OpenFile(rig, gif);

    const std::string video = rig.File("six.avi");
    rig.dialogs.QueueFiles({video});
    Trigger(window, "mniExportAVI");
    QCOMPARE(rig.dialogs.Requests().back().FileName, std::string("six"));
    QVERIFY(std::filesystem::is_regular_file(video));
    QVERIFY(window.isEnabled());
    if (const int frames = ProbedFrames(video); frames >= 0)
        QCOMPARE(frames, 6);

    // Cancel pressed while the frames are being prepared.
    const std::string cancelled = rig.File("cancelled.avi");
    rig.dialogs.QueueFiles({cancelled});
    bool clicked = false;
    QTimer::singleShot(0, &window, [&clicked] {
        auto* progress = ProgressWindow();
        QVERIFY(progress && progress->isVisible());
        progress->findChild<QPushButton*>("btnCancel")->click();
        clicked = true;
    });
    Trigger(window, "mniExportAVI");
    QVERIFY(clicked);
    QVERIFY(!std::filesystem::exists(cancelled));
    QVERIFY(window.isEnabled());
    QVERIFY(!ProgressWindow());
}

void ExportTest::chosenFramesBecomeImagesOfTheChosenFormat()
{
    TMainWindowRig rig;
    TfrmMain& window = rig.Start();
    const std::string gif = rig.File("anim.gif");
    test::WriteAnimation(gif, 5, 24, 16);
    OpenFile(rig, gif);
    const auto selectFrames = [](QDialog& dialog) {
        auto& list = *dialog.findChild<QListWidget*>("lbExport");
        QCOMPARE(list.count(), 5);
        QCOMPARE(list.item(2)->text(), QString("Frame - 2"));
        list.clearSelection();
        for (int frame : {0, 2, 4})
            list.item(frame)->setSelected(true);
    };

    // JPEG from the track bar's position 3 (quality 25).
    rig.dialogs.QueueFiles({rig.File("shot.jpg")});
    rig.modals.Push([&](QDialog& dialog) {
        selectFrames(dialog);
        dialog.findChild<QRadioButton*>("optJpeg")->click();
        QVERIFY(dialog.findChild<QWidget*>("pnlJPEG")->isVisible());
        QVERIFY(!dialog.findChild<QWidget*>("pnlGIF")->isVisible());
        dialog.findChild<QSlider*>("trackbar")->setValue(3);
        dialog.accept();
    });
    Trigger(window, "mniExportImages");
    for (int frame : {0, 2, 4}) {
        const QImage written(QString::fromStdString(rig.File("shotFL1" + std::to_string(frame) + ".jpg")));
        QCOMPARE(written.size(), QSize(24, 16));
    }
    QVERIFY(!std::filesystem::exists(rig.File("shotFL11.jpg")));

    // GIF with the web palette; a name chosen with another extension
    // becomes .gif.
    rig.dialogs.QueueFiles({rig.File("web.png")});
    rig.modals.Push([&](QDialog& dialog) {
        selectFrames(dialog);
        dialog.findChild<QRadioButton*>("optGIFNetscape")->click();
        dialog.accept();
    });
    Trigger(window, "mniExportImages");
    for (int frame : {0, 2, 4}) {
        TGIFImage written;
        written.LoadFromFile(rig.File("webFL1" + std::to_string(frame) + ".gif"));
        QCOMPARE(written.Frames.Count(), 1);
        QCOMPARE(written.Width(), 24);
    }

    // A cancelled save dialog keeps the dialog open; no selection just
    // closes it.
    rig.dialogs.QueueCancel();
    rig.modals.Push([&](QDialog& dialog) {
        selectFrames(dialog);
        dialog.accept();
        QVERIFY(dialog.isVisible());
        dialog.findChild<QListWidget*>("lbExport")->clearSelection();
        dialog.accept();
        QVERIFY(!dialog.isVisible());
    });
    Trigger(window, "mniExportImages");
    QVERIFY(!rig.modals.Pending());
}

} // namespace fl

QTEST_MAIN(fl::ExportTest)
#include "ExportTest.moc"
