// SPDX-License-Identifier: GPL-3.0-or-later
// The wizards window in the main window: the animation wizard building from
// pictures of several types in each sizing mode, Cancel at every step, the
// optimization wizard's reported size against the written file, the
// welcome dialog with its tips, and the help pages.
#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QtTest>
#include <filesystem>
#include <fstream>

#include "dialogs/Wizards.h"
#include "document/Document.h"
#include "document/EditorContext.h"
#include "editing/LoopCount.h"
#include "gif/Extensions.h"
#include "gif/GIFImage.h"
#include "platform/SettingsKeys.h"
#include "platform/Stream.h"
#include "windows/MainWindowSupport.h"

namespace fl {

namespace {

using test::TMainWindowRig;

std::string SavePicture(TMainWindowRig& rig, const std::string& name, const char* format, QColor color,
                        int width, int height)
{
    QImage picture(width, height, QImage::Format_RGB32);
    picture.fill(color);
    const std::string path = rig.File(name);
    if (!picture.save(QString::fromStdString(path), format))
        qFatal("cannot write %s", path.c_str());
    return path;
}

// Five pictures of three types and several sizes, the first 30 x 20.
std::vector<std::string> FivePictures(TMainWindowRig& rig)
{
    return {SavePicture(rig, "a.png", "PNG", Qt::red, 30, 20),
            SavePicture(rig, "b.bmp", "BMP", Qt::green, 40, 10),
            SavePicture(rig, "c.jpg", "JPEG", Qt::blue, 12, 12),
            SavePicture(rig, "d.png", "PNG", Qt::yellow, 30, 20),
            SavePicture(rig, "e.bmp", "BMP", Qt::white, 8, 30)};
}

std::vector<uint8_t> GifBytes(TGIFImage& image)
{
    TMemoryStream stream;
    image.SaveToStream(stream);
    const auto* data = static_cast<const uint8_t*>(stream.Data());
    return {data, data + stream.Size()};
}

using test::Child;

void Click(QDialog& dialog, const char* name)
{
    Child<QAbstractButton>(dialog, name).click();
}

// An animation of frames with local palettes of two colors each, noisy, so
// that one shared palette writes it larger.
std::string WriteTwoColorFrames(TMainWindowRig& rig)
{
    TGIFImage image;
    image.SetWidth(32);
    image.SetHeight(32);
    uint32_t noise = 12345;
    for (int i = 0; i < 8; ++i) {
        auto frame = std::make_unique<TGIFSubImage>(&image);
        frame->SetGeometry(0, 0, 32, 32);
        frame->LocalColors.Add(MakeColor(uint8_t(i * 30), 0, 0));
        frame->LocalColors.Add(MakeColor(0, uint8_t(i * 30), 255));
        for (size_t p = 0; p < frame->PixelBytes(); ++p) {
            noise = noise * 1103515245 + 12345;
            frame->Pixels()[p] = (noise >> 16) & 1;
        }
        image.AddFrame(std::move(frame));
    }
    const std::string path = rig.File("twocolor.gif");
    image.SaveToFile(path);
    return path;
}

} // namespace

class WizardsTest : public QObject {
    Q_OBJECT
private slots:
    void theAnimationWizardBuildsFromPicturesInEachSizingMode();
    void cancelAtAnyStepChangesNothing();
    void theOptimizationWizardReportsTheWrittenSize();
    void aLargerResultKeepsTheOriginal();
    void theWelcomeDialogShowsTipsAndOpensAFile();
    void helpOpensOurPages();
};

void WizardsTest::theAnimationWizardBuildsFromPicturesInEachSizingMode()
{
    struct Mode {
        const char* name;
        bool custom, center, scale;
        int width, height;
    };
    for (const Mode& mode :
         {Mode{"first size", false, false, false, 30, 20}, Mode{"custom, centred", true, true, false, 24, 16},
          Mode{"scaled", false, false, true, 30, 20}}) {
        TMainWindowRig rig;
        TfrmMain& window = rig.Start();
        const std::vector<std::string> pictures = FivePictures(rig);
        rig.dialogs.QueueFiles(pictures);
        rig.modals.Push([&](QDialog& dialog) {
            QCOMPARE(dialog.windowTitle(), QString("Animation Wizard"));
            if (mode.custom) {
                Click(dialog, "optSizeCustom");
                Child<QLineEdit>(dialog, "txtWidth").setText(QString::number(mode.width));
                Child<QLineEdit>(dialog, "txtHeight").setText(QString::number(mode.height));
            }
            Click(dialog, "btnNext");
            if (mode.center)
                Click(dialog, "optCenter");
            if (mode.scale)
                Click(dialog, "chkScale");
            Click(dialog, "btnNext");
            Click(dialog, "optLoopPlay");
            Child<QLineEdit>(dialog, "txtLoop").setText("3");
            Child<QLineEdit>(dialog, "txtDelay").setText("40");
            Click(dialog, "btnNext");
            QVERIFY(!Child<QPushButton>(dialog, "btnNext").isEnabled());
            Click(dialog, "btnAddImage");
            QVERIFY(Child<QPushButton>(dialog, "btnNext").isEnabled());
            Click(dialog, "btnNext");
            QCOMPARE(Child<QPushButton>(dialog, "btnNext").text(), QString("&Finish"));
            Click(dialog, "btnNext");
        });
        window.Action("FileNew")->trigger();
        rig.Settle();
        QVERIFY2(window.Context().DocumentCount() == 1, mode.name);
        TDocument& document = *window.Context().ActiveDocument();
        QVERIFY(document.Untitled() && document.Modified());

        const std::string saved = rig.File("built.gif");
        rig.dialogs.QueueFiles({saved});
        window.Action("FileSaveAs")->trigger();
        rig.Settle();
        TGIFImage image;
        image.LoadFromFile(saved);
        QCOMPARE(image.Frames.Count(), 5);
        QCOMPARE(image.Width(), mode.width);
        QCOMPARE(image.Height(), mode.height);
        for (int i = 0; i < 5; ++i)
            QCOMPARE(image.Frames[i]->ControlBlock->Delay, 40);
        QCOMPARE(GetLoopCount(image), 3);
        const auto* comment = image.Frames[0]->Extensions.Find<TGIFCommentExtension>();
        QVERIFY(comment && comment->Lines.front() == "Created with Quillmark Frameloom 4.0");
    }
}

void WizardsTest::cancelAtAnyStepChangesNothing()
{
    TMainWindowRig rig;
    TfrmMain& window = rig.Start();
    for (int steps = 0; steps < 5; ++steps) {
        // The images are added on the fourth page.
        if (steps > 3)
            rig.dialogs.QueueFiles(FivePictures(rig));
        rig.modals.Push([steps](QDialog& dialog) {
            for (int i = 0; i < steps; ++i) {
                if (i == 3)
                    Click(dialog, "btnAddImage");
                Click(dialog, "btnNext");
            }
            Click(dialog, "btnCancel");
        });
        window.Action("FileNew")->trigger();
        rig.Settle();
        QCOMPARE(window.Context().DocumentCount(), 0);
    }

    const std::string path = rig.File("four.gif");
    test::WriteAnimation(path, 4, 20, 10);
    rig.dialogs.QueueFiles({path});
    window.Action("FileOpen")->trigger();
    rig.Settle();
    const std::vector<uint8_t> before = GifBytes(window.Context().Animation());
    for (int steps = 0; steps < 4; ++steps) {
        rig.modals.Push([steps](QDialog& dialog) {
            QCOMPARE(dialog.windowTitle(), QString("Optimization Wizard"));
            for (int i = 0; i < steps; ++i)
                Click(dialog, "btnNext");
            Click(dialog, "btnCancel");
        });
        window.Action("AnimationOptimize")->trigger();
        QCOMPARE(GifBytes(window.Context().Animation()), before);
        QCOMPARE(window.Context().ActiveDocument()->History().Count(), 0);
    }
    QVERIFY(!rig.modals.Pending());
}

void WizardsTest::theOptimizationWizardReportsTheWrittenSize()
{
    TMainWindowRig rig;
    TfrmMain& window = rig.Start();
    const std::string path = rig.File("four.gif");
    test::WriteAnimation(path, 4, 20, 10);
    rig.dialogs.QueueFiles({path});
    window.Action("FileOpen")->trigger();
    rig.Settle();
    QString reported;
    rig.modals.Push([&reported](QDialog& dialog) {
        Click(dialog, "btnNext");
        Click(dialog, "btnNext");
        Click(dialog, "chkTrim");
        Click(dialog, "chkDupPixels");
        // Lossy coding is off until asked for.
        auto& amount = Child<QSpinBox>(dialog, "seLossy");
        QVERIFY(!Child<QCheckBox>(dialog, "chkLossy").isChecked());
        QVERIFY(!amount.isEnabled());
        Click(dialog, "chkLossy");
        QVERIFY(amount.isEnabled());
        amount.setValue(120);
        Click(dialog, "btnNext");
        reported = Child<QLabel>(dialog, "lblOptimizedSize").text();
        QVERIFY(Child<QLabel>(dialog, "lblDLTime").text().endsWith("secs with a"));
        Click(dialog, "btnNext");
    });
    window.Action("AnimationOptimize")->trigger();
    QCOMPARE(window.Action("EditUndo")->text(), QString("&Undo GIF Optimization"));
    window.Action("FileSave")->trigger();
    rig.Settle();
    const auto written = static_cast<qint64>(std::filesystem::file_size(path));
    QCOMPARE(reported, QString::fromStdString(ByteCountText(written)));
}

void WizardsTest::aLargerResultKeepsTheOriginal()
{
    TMainWindowRig rig;
    TfrmMain& window = rig.Start();
    const std::string path = WriteTwoColorFrames(rig);
    rig.dialogs.QueueFiles({path});
    window.Action("FileOpen")->trigger();
    rig.Settle();
    const std::vector<uint8_t> before = GifBytes(window.Context().Animation());
    rig.modals.Push([](QDialog& dialog) {
        Click(dialog, "btnNext");
        QVERIFY(Child<QCheckBox>(dialog, "chkRemoveLocal").isEnabled());
        Click(dialog, "chkRemoveLocal");
        Click(dialog, "chkPaletteSort");
        Click(dialog, "btnNext");
        Click(dialog, "btnNext");
        QCOMPARE(Child<QLabel>(dialog, "lblTotal").text(), QString("None"));
        Click(dialog, "btnNext");
    });
    window.Action("AnimationOptimize")->trigger();
    QCOMPARE(rig.MessagesWith("would be larger"), 1);
    QCOMPARE(GifBytes(window.Context().Animation()), before);
    QCOMPARE(window.Context().ActiveDocument()->History().Count(), 0);
}

void WizardsTest::theWelcomeDialogShowsTipsAndOpensAFile()
{
    TMainWindowRig rig;
    WriteIntegerSetting(rig.settings, KeyWelcomeDialog, 0);
    std::ofstream(rig.programFolder + TipsFileName) << "First tip\n\nSecond tip\n";
    const std::string path = rig.File("two.gif");
    test::WriteAnimation(path, 2);
    rig.dialogs.QueueFiles({path});
    rig.modals.Push([](QDialog& dialog) {
        QCOMPARE(dialog.windowTitle(), QString("Welcome to Frameloom"));
        auto& tips = Child<QPlainTextEdit>(dialog, "mmoTips");
        QCOMPARE(tips.toPlainText(), QString("First tip"));
        Click(dialog, "btnNextTip");
        QCOMPARE(tips.toPlainText(), QString("First tip"));
        Click(dialog, "btnNextTip");
        QCOMPARE(tips.toPlainText(), QString("Second tip"));
        Click(dialog, "btnNextTip");
        QCOMPARE(tips.toPlainText(), QString("First tip"));
        Click(dialog, "chkWelcomeDefault");
        Click(dialog, "btnOpen");
    });
    TfrmMain& window = rig.Start();
    rig.Settle();
    QCOMPARE(window.Context().DocumentCount(), 1);
    QCOMPARE(ReadIntegerSetting(rig.settings, KeyWelcomeDialog), 1);
    QVERIFY(!rig.modals.Pending());

    // Without the tips file the memo says where it was looked for.
    std::filesystem::remove(rig.programFolder + TipsFileName);
    rig.modals.Push([&rig](QDialog& dialog) {
        QCOMPARE(dialog.windowTitle(), QString("Tip of the Day"));
        QVERIFY(!Child<QPushButton>(dialog, "btnNextTip").isEnabled());
        QVERIFY(Child<QPlainTextEdit>(dialog, "mmoTips")
                    .toPlainText()
                    .contains(QString::fromStdString(rig.programFolder)));
    });
    window.findChild<QAction*>("mniTipOfDay")->trigger();
    QVERIFY(!rig.modals.Pending());
}

void WizardsTest::helpOpensOurPages()
{
    TMainWindowRig rig;
    TfrmMain& window = rig.Start();
    window.Action("HelpContents")->trigger();
    QCOMPARE(rig.MessagesWith("help/index.html"), 1);
    std::filesystem::create_directories(rig.programFolder + "help");
    for (const char* page : {"index.html", "context-301.html", "support.html"})
        std::ofstream(rig.programFolder + "help/" + page) << "<html></html>";
    window.Action("HelpContents")->trigger();
    rig.modals.Push([](QDialog& dialog) { Click(dialog, "btnHelp"); });
    window.Action("FileNew")->trigger();
    window.findChild<QAction*>("mniSupport")->trigger();
    QCOMPARE(rig.shell.opened, (std::vector<std::string>{rig.programFolder + "help/index.html",
                                                         rig.programFolder + "help/context-301.html",
                                                         rig.programFolder + "help/support.html"}));
}

} // namespace fl

QTEST_MAIN(fl::WizardsTest)
#include "WizardsTest.moc"
