// SPDX-License-Identifier: GPL-3.0-or-later
// The property prompts and the palette editor, filled in as a user does,
// and the commands of the main window that run them.
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QtTest>
#include <algorithm>

#include "dialogs/PaletteDialog.h"
#include "dialogs/Prompts.h"
#include "document/CmdColorMap.h"
#include "document/Document.h"
#include "document/EditorContext.h"
#include "editing/PaletteEntries.h"
#include "gif/GIFImage.h"
#include "platform/SettingsKeys.h"
#include "windows/MainWindowSupport.h"

namespace fl {

namespace {

using test::TMainWindowRig;

using test::Child;

// Replaces the field's text through the keyboard and leaves the field.
void Type(QLineEdit& field, const QString& text)
{
    QFocusEvent in(QEvent::FocusIn, Qt::TabFocusReason);
    QApplication::sendEvent(&field, &in);
    field.selectAll();
    if (text.isEmpty())
        QTest::keyClick(&field, Qt::Key_Backspace);
    else
        QTest::keyClicks(&field, text);
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(&field, &out);
}

QString Text(QWidget& parent, const char* name)
{
    return Child<QLineEdit>(parent, name).text();
}

// A main window with one animation of the given size open.
TfrmMain& OpenAnimation(TMainWindowRig& rig, int frames, int width, int height)
{
    TfrmMain& window = rig.Start();
    const std::string path = rig.File("prompt.gif");
    test::WriteAnimation(path, frames, width, height);
    rig.dialogs.QueueFiles({path});
    window.Action("FileOpen")->trigger();
    rig.Settle();
    return window;
}

QString UndoCaption(TfrmMain& window)
{
    return window.Action("EditUndo")->text();
}

} // namespace

class PromptsTest : public QObject {
    Q_OBJECT
private slots:
    void resizeFieldsFollowEachOther();
    void resizeArithmeticRoundsHalfToEven();
    void loopPageReadsTheAnimation();
    void htmlCodeFollowsTheFieldsAndIsCopied();
    void imagePropertiesThroughTheImagingControl();
    void globalPageTransparencyQuestion();
    void globalPageWithNothingEnteredChangesNothing();
    void frameSizeAndPalettePagesKeepTheirSettings();
    void paletteAddAndDeleteLimits();
    void paletteRefusesValuesOutOfRange();
    void paletteKeepsColorsThePicturesNeed();
    void paletteGridHitTest();
    void commandsRunTheirDialogsAndAreUndone();
};

void PromptsTest::resizeFieldsFollowEachOther()
{
    TMainWindowRig rig;
    TfrmMain& window = OpenAnimation(rig, 1, 200, 100);
    TfrmPrompts prompt(window.Services(), window.Context(), ppResize);
    prompt.show();
    QCOMPARE(Text(prompt, "txtCurrW"), QString("200"));
    QCOMPARE(Text(prompt, "txtHeight"), QString("100"));

    Child<QCheckBox>(prompt, "chkConstrain").click();
    QVERIFY(Child<QLabel>(prompt, "imgConstrain").isVisible());
    Type(Child<QLineEdit>(prompt, "txtWidth"), "50");
    QCOMPARE(Text(prompt, "txtWPercent"), QString("25"));
    QCOMPARE(Text(prompt, "txtHPercent"), QString("25"));
    QCOMPARE(Text(prompt, "txtHeight"), QString("25"));

    Child<QCheckBox>(prompt, "chkConstrain").click();
    Type(Child<QLineEdit>(prompt, "txtHPercent"), "150");
    QCOMPARE(Text(prompt, "txtHeight"), QString("150"));
    QCOMPARE(Text(prompt, "txtWidth"), QString("50"));

    // An emptied field becomes 1, and letters cannot be typed.
    Type(Child<QLineEdit>(prompt, "txtWidth"), "");
    QCOMPARE(Text(prompt, "txtWidth"), QString("1"));
    Type(Child<QLineEdit>(prompt, "txtHeight"), "x9");
    QCOMPARE(Text(prompt, "txtHeight"), QString("9"));
    QCOMPARE(prompt.NewWidth(), 1);
    QCOMPARE(prompt.NewHeight(), 9);
}

void PromptsTest::resizeArithmeticRoundsHalfToEven()
{
    QCOMPARE(SizeOfPercent(50, 1), 0);
    QCOMPARE(SizeOfPercent(150, 1), 2);
    QCOMPARE(SizeOfPercent(250, 1), 2);
    QCOMPARE(PercentOfSize(1, 8), 12);
    QCOMPARE(PercentOfSize(3, 8), 38);
    QCOMPARE(PercentOfSize(5, 0), 100);
}

void PromptsTest::loopPageReadsTheAnimation()
{
    TMainWindowRig rig;
    TfrmMain& window = OpenAnimation(rig, 3, 6, 4);
    TfrmPrompts prompt(window.Services(), window.Context(), ppAnimationInfo);
    QCOMPARE(prompt.windowTitle(), QString("Animation Information"));
    QCOMPARE(Text(prompt, "txtCurrLoop"), QString("1"));
    QVERIFY(Child<QRadioButton>(prompt, "optLoopPlay").isChecked());
    QCOMPARE(Text(prompt, "txtLoop"), QString("1"));
    QCOMPARE(Child<QLabel>(prompt, "lblFrameCount").text(), QString("3"));
    QVERIFY(Child<QLabel>(prompt, "lblCurrentSize").text().endsWith(" bytes"));
    QVERIFY(Child<QLabel>(prompt, "lblRunningTime").text().endsWith(" secs"));

    Child<QRadioButton>(prompt, "optLoopInfinite").click();
    QVERIFY(!Child<QLineEdit>(prompt, "txtLoop").isEnabled());
    QCOMPARE(prompt.ChosenPlays(), 0);
    Child<QRadioButton>(prompt, "optLoopPlay").click();
    Type(Child<QLineEdit>(prompt, "txtLoop"), "4");
    QCOMPARE(prompt.ChosenPlays(), 4);
}

void PromptsTest::htmlCodeFollowsTheFieldsAndIsCopied()
{
    TMainWindowRig rig;
    TfrmMain& window = OpenAnimation(rig, 1, 120, 40);
    TfrmPrompts prompt(window.Services(), window.Context(), ppHtmlTag);
    prompt.SetHtmlFileName("spin.gif");
    QCOMPARE(prompt.HtmlCode(), QString("<img src=\"spin.gif\" height=\"40\" width=\"120\" border=\"0\">"));
    Type(Child<QLineEdit>(prompt, "txtBorder"), "");
    Type(Child<QLineEdit>(prompt, "txtLink"), "http://example.org/");
    QCOMPARE(
        prompt.HtmlCode(),
        QString("<a href=\"http://example.org/\"><img src=\"spin.gif\" height=\"40\" width=\"120\"></a>"));
    Child<QPushButton>(prompt, "btnCopy").click();
    QCOMPARE(rig.MessagesWith(HtmlCopiedMessage), 1);
    QCOMPARE(QGuiApplication::clipboard()->text(), prompt.HtmlCode());
}

void PromptsTest::imagePropertiesThroughTheImagingControl()
{
    TMainWindowRig rig;
    TfrmMain& window = rig.Start();
    const std::string path = rig.File("still.gif");
    test::WriteAnimation(path, 1, 30, 20);
    TfrmPrompts prompt(window.Services(), window.Context(), ppImageProperties);
    prompt.ShowImageProperties(path);
    QCOMPARE(Child<QLabel>(prompt, "lblFileName").text(), QString("still.gif"));
    QCOMPARE(Child<QLabel>(prompt, "lblFileSize").text(), QString("1 KB"));
    QCOMPARE(Child<QLabel>(prompt, "lblDimensions").text(), QString("30 x 20"));

    prompt.ShowImageProperties(rig.File("missing.png"));
    QCOMPARE(Child<QLabel>(prompt, "lblFileSize").text(), QString("KB"));
    QCOMPARE(Child<QLabel>(prompt, "pnlImageProps").text(), QString("Unable to load image"));
}

void PromptsTest::globalPageTransparencyQuestion()
{
    TMainWindowRig rig;
    TfrmMain& window = OpenAnimation(rig, 2, 6, 4);
    TfrmPrompts prompt(window.Services(), window.Context(), ppGlobalChange);
    prompt.SetGlobalCaptions(false, true, false);
    prompt.show();
    auto& transparent = Child<QCheckBox>(prompt, "chkTransparent");
    QCOMPARE(transparent.text(), QString("Make &Transparent"));
    QCOMPARE(Child<QCheckBox>(prompt, "chkInterlaced").text(), QString("Remove &Interlaced"));

    rig.messages.QueueAnswer(mrCancel);
    transparent.click();
    QVERIFY(!transparent.isChecked());
    QVERIFY(rig.modals.Titles().empty());

    // Yes: Background, then the color is picked on the frame.
    rig.messages.QueueAnswer(mrYes);
    rig.modals.Push([](QDialog& palette) {
        auto& dialog = dynamic_cast<TfrmPalette&>(palette);
        dialog.ClickCell(1);
        dialog.accept();
    });
    transparent.click();
    QCOMPARE(rig.MessagesWith("method to Background."), 2);
    QCOMPARE(rig.modals.Titles().back(), std::string("Transparent Color"));
    QCOMPARE(Child<QComboBox>(prompt, "cbDisposal").currentIndex(), 2);
    prompt.accept();
    QVERIFY(prompt.AnythingEntered());
    const TGlobalFrameChange change = prompt.GlobalChange();
    QVERIFY(change.Transparent.Changed && change.Transparent.MakeCaption);
    QCOMPARE(change.TransparentColor, window.Context().Animation().GlobalColors().ColorAt(1));
    QCOMPARE(change.Disposal, 2);
}

void PromptsTest::globalPageWithNothingEnteredChangesNothing()
{
    TMainWindowRig rig;
    TfrmMain& window = OpenAnimation(rig, 2, 6, 4);
    TfrmPrompts prompt(window.Services(), window.Context(), ppGlobalChange);
    prompt.show();
    Type(Child<QLineEdit>(prompt, "txtDelay"), "25");
    Child<QPushButton>(prompt, "btnReset").click();
    QVERIFY(Text(prompt, "txtDelay").isEmpty());
    prompt.accept();
    QVERIFY(!prompt.AnythingEntered());
}

void PromptsTest::frameSizeAndPalettePagesKeepTheirSettings()
{
    TMainWindowRig rig;
    TfrmMain& window = rig.Start();
    {
        TfrmPrompts prompt(window.Services(), window.Context(), ppFrameSize);
        QVERIFY(Child<QRadioButton>(prompt, "optChange").isChecked());
        Child<QRadioButton>(prompt, "optClip").click();
        Child<QCheckBox>(prompt, "chkDefault").click();
        prompt.accept();
    }
    QCOMPARE(ReadIntegerSetting(rig.settings, KeyClipFrame), 1);
    QCOMPARE(ReadIntegerSetting(rig.settings, KeyClipDefault), 1);

    WriteIntegerSetting(rig.settings, KeyPaletteType, 7);
    WriteIntegerSetting(rig.settings, KeyMaxColorCount, 100);
    {
        TfrmPrompts prompt(window.Services(), window.Context(), ppPalettes);
        QVERIFY(Child<QRadioButton>(prompt, "optPalOptimzed").isChecked());
        QCOMPARE(Child<QComboBox>(prompt, "cbMaxColors").currentText(), QString("256"));
        Child<QComboBox>(prompt, "cbMaxColors").setCurrentIndex(2);
        Child<QRadioButton>(prompt, "optFloyd").click();
        prompt.reject();
    }
    QCOMPARE(ReadIntegerSetting(rig.settings, KeyMaxColorCount), 100);
    {
        TfrmPrompts prompt(window.Services(), window.Context(), ppPalettes);
        Child<QComboBox>(prompt, "cbMaxColors").setCurrentIndex(2);
        Child<QRadioButton>(prompt, "optFloyd").click();
        prompt.accept();
    }
    QCOMPARE(ReadIntegerSetting(rig.settings, KeyMaxColorCount), 64);
    QCOMPARE(ReadIntegerSetting(rig.settings, KeyDitherMethod), 1);
    QCOMPARE(ReadIntegerSetting(rig.settings, KeyPaletteType), 0);
    QVERIFY(!rig.settings.ValueExists(KeyPaletteDefaults.Section, KeyPaletteDefaults.Name));
}

void PromptsTest::paletteAddAndDeleteLimits()
{
    TMainWindowRig rig;
    TfrmMain& window = OpenAnimation(rig, 2, 6, 4);
    TfrmPalette palette(window.Context(), rig.messages, pmGlobalPalette);
    QCOMPARE(palette.windowTitle(), QString("Global Palette"));
    auto& add = Child<QToolButton>(palette, "btnColorAdd");
    auto& remove = Child<QToolButton>(palette, "btnColorDelete");
    QCOMPARE(palette.Colors().Count(), 2);
    QVERIFY(!remove.isEnabled());
    palette.DeleteColor();
    QCOMPARE(palette.Colors().Count(), 2);

    add.click();
    QCOMPARE(palette.Colors().Count(), 3);
    QCOMPARE(palette.SelectedIndex(), 2);
    QCOMPARE(palette.Colors().ColorAt(2), MakeColor(255, 255, 255));
    QVERIFY(remove.isEnabled());
    while (palette.Colors().Count() < 256)
        add.click();
    QVERIFY(!add.isEnabled());
    palette.AddColor();
    QCOMPARE(palette.Colors().Count(), 256);
    QVERIFY(palette.Modified());
    // The animation itself is not touched.
    QCOMPARE(window.Context().Animation().GlobalColors().Count(), 2);
}

void PromptsTest::paletteRefusesValuesOutOfRange()
{
    TMainWindowRig rig;
    TfrmMain& window = OpenAnimation(rig, 2, 6, 4);
    TfrmPalette palette(window.Context(), rig.messages, pmGlobalPalette);
    palette.ClickCell(1);
    const QString before = Text(palette, "txtRed");
    Type(Child<QLineEdit>(palette, "txtRed"), "300");
    QCOMPARE(rig.MessagesWith("'300' is not within the 0-255 range."), 1);
    QCOMPARE(Text(palette, "txtRed"), before);
    QVERIFY(!palette.Modified());

    Type(Child<QLineEdit>(palette, "txtGreen"), "");
    QCOMPARE(rig.MessagesWith("is not a valid integer value."), 1);
    Type(Child<QLineEdit>(palette, "txtBlue"), "200");
    QVERIFY(palette.Modified());
    QCOMPARE(BlueOf(palette.Colors().ColorAt(1)), 200);

    // Mode 2: one color, taken from the fields on OK.
    TfrmPalette single(window.Context(), rig.messages, pmColorValue);
    QCOMPARE(single.windowTitle(), QString("Change Color Value"));
    single.LoadColor(MakeColor(1, 2, 3));
    Child<QLineEdit>(single, "txtGreen").setText("99");
    single.accept();
    QCOMPARE(single.SelectedColor(), MakeColor(1, 99, 3));
}

void PromptsTest::paletteKeepsColorsThePicturesNeed()
{
    TMainWindowRig rig;
    TfrmMain& window = OpenAnimation(rig, 2, 6, 4);
    window.Context().Animation().GlobalColors().Add(MakeColor(7, 7, 7));
    TfrmPalette palette(window.Context(), rig.messages, pmGlobalPalette);
    // Entry 1 is used by the second frame.
    palette.ClickCell(1);
    palette.DeleteColor();
    QCOMPARE(rig.MessagesWith(ColorRequiredMessage), 1);
    QCOMPARE(palette.Colors().Count(), 3);
    // Entry 0 is the first frame's, but an unused entry 2 can go; then
    // deleting the first selects the one before it.
    palette.ClickCell(2);
    palette.DeleteColor();
    QCOMPARE(palette.Colors().Count(), 2);
    QCOMPARE(palette.SelectedIndex(), 1);
    QCOMPARE(palette.Origins(), (std::vector<int>{0, 1}));
}

void PromptsTest::paletteGridHitTest()
{
    QCOMPARE(TfrmPalette::HitTest(3, 3, 256), 0);
    QCOMPARE(TfrmPalette::HitTest(18, 3, 256), 1);
    QCOMPARE(TfrmPalette::HitTest(3, 18, 256), 16);
    QCOMPARE(TfrmPalette::HitTest(242, 242, 256), 255);
    QCOMPARE(TfrmPalette::HitTest(2, 10, 256), -1);
    QCOMPARE(TfrmPalette::HitTest(244, 10, 256), -1);
    QCOMPARE(TfrmPalette::HitTest(18, 3, 1), -1);
}

void PromptsTest::commandsRunTheirDialogsAndAreUndone()
{
    TMainWindowRig rig;
    TfrmMain& window = OpenAnimation(rig, 2, 6, 4);
    TGIFImage& image = window.Context().Animation();

    // Resize sits in the View menu after Global Palette.
    QMenu& view = Child<QMenu>(window, "mnuView");
    const QList<QAction*> items = view.actions();
    const auto globalPalette = std::find(items.begin(), items.end(), window.Action("AnimationPalette"));
    QVERIFY(globalPalette != items.end() && *(globalPalette + 1) == window.Action("AnimationResize"));

    rig.modals.Push([](QDialog& dialog) {
        Type(Child<QLineEdit>(dialog, "txtWidth"), "12");
        Child<QPushButton>(dialog, "btnOK").click();
    });
    window.Action("AnimationResize")->trigger();
    QCOMPARE(image.Width(), 12);
    QCOMPARE(UndoCaption(window), QString("&Undo Change Animation Size"));
    window.Action("EditUndo")->trigger();
    QCOMPARE(image.Width(), 6);

    rig.modals.Push([](QDialog& dialog) {
        Child<QRadioButton>(dialog, "optLoopInfinite").click();
        dialog.accept();
    });
    window.Action("AnimationInfo")->trigger();
    QCOMPARE(UndoCaption(window), QString("&Undo Change Animation Loop"));

    rig.modals.Push([](QDialog& dialog) {
        Type(Child<QLineEdit>(dialog, "txtDelay"), "7");
        dialog.accept();
    });
    window.Action("FrameGlobalChange")->trigger();
    QCOMPARE(UndoCaption(window), QString("&Undo Global Properties Change"));
    QCOMPARE(image.Frames[0]->ControlBlock->Delay, 7);

    rig.modals.Push([](QDialog& dialog) {
        auto& palette = dynamic_cast<TfrmPalette&>(dialog);
        palette.ClickCell(0);
        Type(Child<QLineEdit>(dialog, "txtRed"), "77");
        dialog.accept();
    });
    window.Action("AnimationPalette")->trigger();
    QCOMPARE(UndoCaption(window), QString("&Undo Change Global Palette"));
    QCOMPARE(RedOf(image.GlobalColors().ColorAt(0)), 77);
    QVERIFY(window.Context().ActiveDocument()->Modified());

    // Cancelled dialogs change nothing.
    const int steps = window.Context().ActiveDocument()->History().Count();
    for (const char* name : {"AnimationResize", "AnimationInfo", "FrameGlobalChange", "AnimationPalette"})
        window.Action(name)->trigger();
    QCOMPARE(window.Context().ActiveDocument()->History().Count(), steps);

    rig.modals.Push([](QDialog& dialog) { QCOMPARE(dialog.windowTitle(), QString("HTML Tag")); });
    window.findChild<QAction*>("mniHtmlCode")->trigger();
    QCOMPARE(rig.modals.Titles().back(), std::string("HTML Tag"));
    QCOMPARE(rig.messages.BusyDepth(), 0);
}

} // namespace fl

QTEST_MAIN(fl::PromptsTest)
#include "PromptsTest.moc"
