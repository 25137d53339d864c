// SPDX-License-Identifier: GPL-3.0-or-later
// The options dialog from the main window: values confirmed reach the
// settings by the dialog's write rules and a new main window reads them;
// Cancel writes nothing; the favorites list; About; the warnings switch.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QtTest>
#include <filesystem>
#include <fstream>

#include "dialogs/Options.h"
#include "document/EditorContext.h"
#include "document/ProgramOptions.h"
#include "platform/SettingsKeys.h"
#include "windows/MainWindowSupport.h"

namespace fl {

namespace {

using test::TMainWindowRig;

using test::Child;

// Types into a number field and leaves it, as the user does.
void TypeNumber(QDialog& dialog, const char* name, const char* text)
{
    auto& field = Child<QLineEdit>(dialog, name);
    field.setFocus();
    field.setText(text);
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(&field, &out);
}

} // namespace

class OptionsTest : public QObject {
    Q_OBJECT
private slots:
    void confirmedOptionsAreStoredAndReadByTheNextStart();
    void cancelWritesNothing();
    void rememberedAnswersChangeOnlyWhileRemembered();
    void favoritesAreAddedOnceMovedAndRemoved();
    void aboutAndTheWarningsSwitch();
};

void OptionsTest::confirmedOptionsAreStoredAndReadByTheNextStart()
{
    TMainWindowRig rig;
    TfrmMain& window = rig.Start();
    QString shownUndo;
    rig.modals.Push([&shownUndo](QDialog& dialog) {
        QCOMPARE(dialog.windowTitle(), QString("Program Options"));
        TypeNumber(dialog, "edtMaxUndo", "99");
        shownUndo = Child<QLineEdit>(dialog, "edtMaxUndo").text();
        TypeNumber(dialog, "edtDelay", "250");
        Child<QCheckBox>(dialog, "chkFlatTB").click();
        Child<QCheckBox>(dialog, "chkAnimation").setChecked(false);
        Child<QRadioButton>(dialog, "optChange").click();
        Child<QCheckBox>(dialog, "chkDefault").setChecked(true);
        Child<QComboBox>(dialog, "cbFileFilters").setCurrentIndex(18);
        Child<QComboBox>(dialog, "cbThumbSize").setCurrentText("125");
        Child<QRadioButton>(dialog, "optPalNetcape").click();
        dialog.accept();
    });
    window.findChild<QAction*>("mniOptions")->trigger();
    QCOMPARE(shownUndo, QString("50"));
    const TSettingsStore& settings = rig.settings;
    QCOMPARE(ReadIntegerSetting(settings, KeyMaxUndo), 50);
    QCOMPARE(ReadIntegerSetting(settings, KeyDefaultDelay), 250);
    QCOMPARE(ReadIntegerSetting(settings, KeyNormalStyle), 1);
    QCOMPARE(ReadIntegerSetting(settings, KeyDisplayAnimation), 0);
    QCOMPARE(ReadIntegerSetting(settings, KeyClipFrame), 0);
    QCOMPARE(ReadIntegerSetting(settings, KeyClipDefault), 1);
    QCOMPARE(ReadIntegerSetting(settings, KeyThumbnailFilterType), 19);
    QCOMPARE(ReadIntegerSetting(settings, KeyThumbnailSize), 125);
    QCOMPARE(ReadIntegerSetting(settings, KeyPaletteType), 1);
    QCOMPARE(window.Context().Values().DefaultDelay, 250);

    // The next start reads them back.
    TfrmMain& next = rig.Start();
    QCOMPARE(next.Context().Values().DefaultDelay, 250);
    QCOMPARE(next.ThumbnailSize(), 125);
    rig.modals.Push([](QDialog& dialog) {
        QCOMPARE(Child<QLineEdit>(dialog, "edtDelay").text(), QString("250"));
        QVERIFY(Child<QCheckBox>(dialog, "chkFlatTB").isChecked());
        QVERIFY(Child<QRadioButton>(dialog, "optChange").isChecked());
        QCOMPARE(Child<QComboBox>(dialog, "cbFileFilters").currentIndex(), 18);
        QCOMPARE(Child<QComboBox>(dialog, "cbThumbSize").currentText(), QString("125"));
    });
    next.findChild<QAction*>("mniOptions")->trigger();
    QVERIFY(!rig.modals.Pending());
}

void OptionsTest::cancelWritesNothing()
{
    TMainWindowRig rig;
    TfrmMain& window = rig.Start();
    const std::vector<std::string> before = rig.settings.ValueNames(SectionSettings);
    rig.modals.Push([](QDialog& dialog) {
        TypeNumber(dialog, "edtDelay", "7");
        Child<QCheckBox>(dialog, "chkExplorer").setChecked(true);
        dialog.reject();
    });
    window.findChild<QAction*>("mniOptions")->trigger();
    QCOMPARE(rig.settings.ValueNames(SectionSettings), before);
    QCOMPARE(window.Context().Values().DefaultDelay, 100);
}

void OptionsTest::rememberedAnswersChangeOnlyWhileRemembered()
{
    TMainWindowRig rig;
    TfrmMain& window = rig.Start();
    const auto confirm = [&](bool compatibility, bool dropDefault) {
        rig.modals.Push([=](QDialog& dialog) {
            Child<QCheckBox>(dialog, "chkCompatibility").setChecked(compatibility);
            Child<QCheckBox>(dialog, "chkDropDefault").setChecked(dropDefault);
            dialog.accept();
        });
        window.findChild<QAction*>("mniOptions")->trigger();
    };
    WriteIntegerSetting(rig.settings, KeyCompatibility, 0);
    confirm(false, true);
    QCOMPARE(ReadIntegerSetting(rig.settings, KeyCompatibility), 0);
    QCOMPARE(ReadIntegerSetting(rig.settings, KeyDropImageDefault), 0);
    WriteIntegerSetting(rig.settings, KeyCompatibility, mrYes);
    WriteIntegerSetting(rig.settings, KeyDropImageDefault, mrNo);
    confirm(false, true);
    QCOMPARE(ReadIntegerSetting(rig.settings, KeyCompatibility), mrNo);
    QCOMPARE(ReadIntegerSetting(rig.settings, KeyDropImageDefault), mrYes);
}

void OptionsTest::favoritesAreAddedOnceMovedAndRemoved()
{
    TMainWindowRig rig;
    WriteFavoriteFolders(rig.settings, {"/a", "/b"});
    TfrmMain& window = rig.Start();
    rig.dialogs.QueueFiles({"/c"});
    rig.dialogs.QueueFiles({"/c"});
    rig.messages.QueueAnswer(mrYes);
    rig.modals.Push([](QDialog& dialog) {
        QCOMPARE(dialog.windowTitle(), QString("Organize Favorites"));
        auto& list = Child<QTreeWidget>(dialog, "lvFavorites");
        auto& options = static_cast<TfrmOptions&>(dialog);
        list.setCurrentItem(list.topLevelItem(0));
        options.AddFavorite();
        options.AddFavorite();
        QCOMPARE(list.topLevelItemCount(), 3);
        QCOMPARE(list.topLevelItem(1)->text(0), QString("/c"));
        QVERIFY(Child<QPushButton>(dialog, "btnUp").isEnabled());
        options.MoveFavorite(-1);
        list.setCurrentItem(list.topLevelItem(2));
        options.RemoveFavorite();
        dialog.accept();
    });
    window.ShowOptions(ouOrganizeFavorites);
    QCOMPARE(rig.MessagesWith("Do you want to remove /b the Favorites list?"), 1);
    QCOMPARE(ReadFavoriteFolders(rig.settings), (std::vector<std::string>{"/c", "/a"}));
}

void OptionsTest::aboutAndTheWarningsSwitch()
{
    TMainWindowRig rig;
    TfrmMain& window = rig.Start();
    std::filesystem::create_directories(rig.programFolder + "help");
    std::ofstream(rig.programFolder + "help/homepage.html") << "<html></html>";
    rig.modals.Push([](QDialog& dialog) {
        QCOMPARE(dialog.windowTitle(), QString("About Frameloom"));
        Child<QPushButton>(dialog, "btnHomePage").click();
        Child<QPushButton>(dialog, "btnEmail").click();
    });
    window.findChild<QAction*>("mniAbout")->trigger();
    QCOMPARE(rig.shell.opened, (std::vector<std::string>{rig.programFolder + "help/homepage.html",
                                                         std::string(SupportAddress)}));

    rig.messages.QueueAnswer(mrYes);
    rig.modals.Push(
        [](QDialog& dialog) { QTest::keyClick(&dialog, Qt::Key_F7, Qt::ShiftModifier | Qt::AltModifier); });
    window.findChild<QAction*>("mniOptions")->trigger();
    QCOMPARE(rig.MessagesWith("Would you like to turn on GIF warnings? This option is used"), 1);
    QCOMPARE(ReadIntegerSetting(rig.settings, KeyWarnings), 1);
    QVERIFY(window.WarningsReported());
}

} // namespace fl

QTEST_MAIN(fl::OptionsTest)
#include "OptionsTest.moc"
