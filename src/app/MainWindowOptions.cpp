// SPDX-License-Identifier: GPL-3.0-or-later
// Tools > Program Options, the favorites organizer and the About box (the
// options dialog in its three uses), and applying what the options change.
#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>

#include "app/MainWindow.h"
#include "dialogs/Options.h"
#include "dialogs/PaletteRules.h"
#include "document/EditorContext.h"
#include "document/ProgramOptions.h"
#include "editing/PaletteSettings.h"
#include "editing/TextRoutines.h"
#include "platform/MessageService.h"
#include "platform/SettingsKeys.h"

namespace fl {

namespace {

constexpr const char* WarningsQuestion = "Would you like to turn %s GIF warnings?";
constexpr const char* WarningsDebugNote = " This option is used for developer debugging purposes only.";

} // namespace

void TfrmMain::ConnectOptionsCommands()
{
    connect(MenuItem("mniOptions"), &QAction::triggered, this, [this] { ShowOptions(ouProgramOptions); });
    connect(MenuItem("mniAbout"), &QAction::triggered, this, [this] { ShowOptions(ouAbout); });
}

TOptionsHooks TfrmMain::OptionsHooks()
{
    TOptionsHooks hooks;
    const TProgramValues& values = context_->Values();
    hooks.Current =
        ReadProgramOptions(services_.Settings, normalToolbarStyle_, thumbnailSize_, values.ThumbnailFilter);
    // The options in use win over what the settings held at start-up.
    hooks.Current.SyncOpenDialog = values.SyncOpenDialog;
    hooks.Current.NoOpenDialogPreview = values.NoOpenDialogPreview;
    hooks.Current.TransparentColor = values.FrameTransparentColor;
    hooks.Current.DefaultDelay = values.DefaultDelay;
    hooks.Current.DefaultLoop = values.DefaultLoopCount;
    hooks.Favorites = favorites_;
    hooks.OpenPage = [this](const std::string& target) {
        if (target.find(':') != std::string::npos)
            OpenWithShell(target);
        else
            OpenHelpPage(target);
    };
    hooks.ToggleWarnings = [this] { ToggleWarnings(); };
    return hooks;
}

void TfrmMain::ShowOptions(int use)
{
    Guarded(services_.Messages, [this, use] {
        TOptionsHooks hooks = OptionsHooks();
        const TProgramOptions before = hooks.Current;
        TfrmOptions options(services_, use, std::move(hooks), this);
        if (RunDialog(options) != QDialog::Accepted || use == ouAbout)
            return;
        if (options.FavoritesChanged()) {
            favorites_ = options.Favorites();
            WriteFavoriteFolders(services_.Settings, favorites_);
            // The menu may be running the item that opened the dialog.
            QMetaObject::invokeMethod(this, [this] { RebuildFavoritesMenu(); }, Qt::QueuedConnection);
        }
        if (use == ouProgramOptions)
            ApplyOptions(before, options.Options(), *options.PaletteRules());
    });
}

void TfrmMain::ApplyOptions(const TProgramOptions& before, const TProgramOptions& after,
                            const TPaletteRulesPanel& palettes)
{
    TSettingsStore& settings = services_.Settings;
    WriteProgramOptions(settings, before, after);
    TProgramValues& values = context_->Values();
    values.DefaultDelay = static_cast<uint16_t>(after.DefaultDelay);
    values.DefaultLoopCount = static_cast<uint16_t>(after.DefaultLoop);
    values.SyncOpenDialog = after.SyncOpenDialog;
    values.NoOpenDialogPreview = after.NoOpenDialogPreview;
    values.ThumbnailFilter = static_cast<uint8_t>(after.FilterType);
    thumbnailSize_ = after.ThumbnailSize;
    // Thumbnails of the new size or filter, once the dialog has gone.
    if (after.ThumbnailSize != before.ThumbnailSize || after.FilterType != before.FilterType)
        QMetaObject::invokeMethod(
            this, [this] { ScanFolder(context_->Values().ThumbnailFolder); }, Qt::QueuedConnection);
    if (after.NormalToolbars != before.NormalToolbars)
        ApplyToolbarStyle(after.NormalToolbars);
    if (after.TransparentColor != before.TransparentColor) {
        values.FrameTransparentColor = after.TransparentColor;
        for (QMdiSubWindow* window : mdiArea_->subWindowList())
            for (QWidget* part : window->findChildren<QWidget*>())
                part->update();
    }
    palettes.Write(settings);
    ApplyPaletteSettings(context_->Animation(), settings);
}

void TfrmMain::ToggleWarnings()
{
    const bool on = ReadIntegerSetting(services_.Settings, KeyWarnings) == 1;
    const std::string question = FormatText(WarningsQuestion, {on ? "off" : "on"}) +
                                 (on ? std::string() : std::string(WarningsDebugNote));
    if (ShowMessageBox(services_.Messages, TMsgDlgType::mtConfirmation, question,
                       {TMsgDlgBtn::mbYes, TMsgDlgBtn::mbNo, TMsgDlgBtn::mbCancel}) != mrYes)
        return;
    if (on) {
        context_->Animation().WarningHandler = nullptr;
        WriteIntegerSetting(services_.Settings, KeyWarnings, 0);
    } else {
        InstallWarnings();
        WriteIntegerSetting(services_.Settings, KeyWarnings, 1);
    }
}

} // namespace fl
