// SPDX-License-Identifier: GPL-3.0-or-later
// What the main window keeps in the settings: read once while the window is
// made, written when it is destroyed.
#include <QAction>
#include <QMdiArea>
#include <QToolBar>
#include <algorithm>
#include <filesystem>
#include <system_error>

#include "app/MainWindow.h"
#include "document/EditorContext.h"
#include "document/ProgramOptions.h"
#include "editing/PaletteSettings.h"
#include "platform/SettingsKeys.h"

namespace fl {

namespace {

// The window's designed bounds, used until the user places it.
constexpr int DesignedLeft = 100;
constexpr int DesignedTop = 80;
constexpr int DesignedWidth = 800;
constexpr int DesignedHeight = 600;
constexpr int DesignedThumbnailHeight = 180;
constexpr int DesignedExplorerWidth = 180;
constexpr int ThumbnailPanelMinimum = 100;
constexpr int FramePanelMinimum = 60;
// Designed places of the toolbars in the dock: one row.
constexpr int DesignedToolbarLeft[] = {0, 260, 460};

constexpr const char* NormalState = "Normal";
constexpr const char* MaximizedState = "Maximized";
constexpr const char* AlignRight = "Right";
constexpr const char* AlignLeft = "Left";

const TToolbarSettingKeys& ToolbarSettingKeys(int tag)
{
    switch (tag) {
    case tbTagStandard:
        return KeysStandardToolbar;
    case tbTagFrame:
        return KeysFrameToolbar;
    default:
        return KeysAnimationToolbar;
    }
}

bool FolderExists(const std::string& path)
{
    std::error_code error;
    return !path.empty() && std::filesystem::is_directory(std::filesystem::path(path), error);
}

} // namespace

void TfrmMain::LoadSettings()
{
    const TSettingsStore& settings = services_.Settings;
    const std::string sampleFolder = services_.ProgramFolder + "Images";

    startMaximized_ = ReadTextSetting(settings, KeyMainWindowState) != NormalState;
    if (startMaximized_)
        setGeometry(DesignedLeft, DesignedTop, DesignedWidth, DesignedHeight);
    else
        setGeometry(ReadIntegerSetting(settings, KeyMainLeft, DesignedLeft),
                    ReadIntegerSetting(settings, KeyMainTop, DesignedTop),
                    std::max(1, ReadIntegerSetting(settings, KeyMainWidth, DesignedWidth)),
                    std::max(1, ReadIntegerSetting(settings, KeyMainHeight, DesignedHeight)));

    actInspector_->setChecked(ReadBoolSetting(settings, KeyInspectorVisible));
    if (ReadIntegerSetting(settings, KeyInspectorHideOnce) == 1) {
        actInspector_->setChecked(false);
        inspectorReminder_ = true;
        WriteIntegerSetting(services_.Settings, KeyInspectorHideOnce, 0);
    }

    TProgramValues& values = context_->Values();
    const int frameSize = ReadIntegerSetting(settings, KeyFrameSize);
    context_->SetFrameSize(frameSize);
    autosizeSplitter_ = ReadBoolSetting(settings, KeyAutoSizeSplitter);
    actAutosize_->setChecked(autosizeSplitter_);
    framePanelWidth_ =
        std::max(FramePanelMinimum, ReadIntegerSetting(settings, KeyFrameWindowWidth, values.FrameSize + 46));
    SetFramePanelRight(ReadTextSetting(settings, KeyFrameWindowAlign) == AlignRight);
    values.InitialDir = ReadTextSetting(settings, KeyInitialDir, sampleFolder);
    values.DefaultDelay =
        static_cast<uint16_t>(std::clamp(ReadIntegerSetting(settings, KeyDefaultDelay), 0, 0xFFFF));
    values.DefaultLoopCount =
        static_cast<uint16_t>(std::clamp(ReadIntegerSetting(settings, KeyDefaultNSLoop), 0, 0xFFFF));
    values.SyncOpenDialog = ReadBoolSetting(settings, KeySyncOpenDialog);
    values.NoOpenDialogPreview = ReadBoolSetting(settings, KeyNoOpenDlgPreview);
    values.FrameTransparentColor =
        static_cast<uint32_t>(ReadIntegerSetting(settings, KeyFrameTransparentColor)) & 0x00FFFFFF;
    displayAnimation_ = ReadBoolSetting(settings, KeyDisplayAnimation);
    if (displayAnimation_)
        mdiArea_->setBackground(Qt::white);
    if (ReadIntegerSetting(settings, KeyWarnings) == 1)
        InstallWarnings();

    values.ThumbnailFolder = ReadTextSetting(settings, KeyThumbnailDirectory, sampleFolder);
    if (!FolderExists(values.ThumbnailFolder))
        values.ThumbnailFolder = sampleFolder;
    values.ThumbnailFilter =
        static_cast<uint8_t>(std::clamp(ReadIntegerSetting(settings, KeyThumbnailFilterType), 0, 19));
    thumbnailSize_ = std::clamp(ReadIntegerSetting(settings, KeyThumbnailSize), 1, 1024);
    favorites_ = ReadFavoriteFolders(settings);
    RebuildFavoritesMenu();
    thumbnailsVisible_ = ReadBoolSetting(settings, KeyThumbnailsVisible);
    pnlThumbs_->setVisible(thumbnailsVisible_);
    actThumbs_->setChecked(thumbnailsVisible_);
    thumbnailPanelHeight_ =
        std::max(ThumbnailPanelMinimum,
                 ReadIntegerSetting(settings, KeyThumbnailWindowHeight, DesignedThumbnailHeight));
    explorerWidth_ = std::max(0, ReadIntegerSetting(settings, KeyExplorerWidth, DesignedExplorerWidth));
    // The toggle flips: start from the opposite state.
    explorerVisible_ = !ReadBoolSetting(settings, KeyExplorerVisible);
    ToggleExplorerTree();

    toolbarPositions_.clear();
    for (int tag = 0; tag < 3; ++tag) {
        const TToolbarSettingKeys& keys = ToolbarSettingKeys(tag);
        toolbarPositions_.emplace_back(ReadIntegerSetting(settings, keys.Left, DesignedToolbarLeft[tag]),
                                       ReadIntegerSetting(settings, keys.Top, 0));
    }
    PlaceToolbars(toolbarPositions_);
    for (int tag = 0; tag < 3; ++tag)
        SetToolbarVisible(tag, ReadBoolSetting(settings, ToolbarSettingKeys(tag).Visible));
    ApplyToolbarStyle(ReadBoolSetting(settings, KeyNormalStyle));

    // A size the menu does not offer checks the largest; the list keeps it.
    const auto sizeItem = frameSizeActions_.find(frameSize);
    (sizeItem != frameSizeActions_.end() ? sizeItem->second : frameSizeActions_.at(160))->setChecked(true);
    ApplyFrameGeometry();

    context_->RecentFiles().Load(settings);
    RecentFilesChanged();

    ApplyPaletteSettings(context_->Animation(), settings);
}

void TfrmMain::SaveSettings()
{
    TSettingsStore& settings = services_.Settings;
    const Qt::WindowStates state = windowState();
    if (!(state & Qt::WindowMinimized)) {
        if (state & (Qt::WindowMaximized | Qt::WindowFullScreen)) {
            WriteTextSetting(settings, KeyMainWindowState, MaximizedState);
        } else {
            WriteTextSetting(settings, KeyMainWindowState, NormalState);
            const QRect bounds = geometry();
            WriteIntegerSetting(settings, KeyMainTop, bounds.top());
            WriteIntegerSetting(settings, KeyMainLeft, bounds.left());
            WriteIntegerSetting(settings, KeyMainHeight, bounds.height());
            WriteIntegerSetting(settings, KeyMainWidth, bounds.width());
        }
    }

    const TProgramValues& values = context_->Values();
    WriteBoolSetting(settings, KeyAutoSizeSplitter, autosizeSplitter_);
    WriteIntegerSetting(settings, KeyFrameSize, values.FrameSize);
    WriteTextSetting(settings, KeyFrameWindowAlign, framePanelRight_ ? AlignRight : AlignLeft);
    WriteIntegerSetting(settings, KeyFrameWindowWidth, framePanelWidth_);
    WriteTextSetting(settings, KeyInitialDir, values.InitialDir);
    WriteTextSetting(settings, KeyInstallDir, services_.ProgramFolder);
    // Written back as read, so that both exist with their defaults.
    WriteIntegerSetting(settings, KeyClipDefault, ReadIntegerSetting(settings, KeyClipDefault));
    WriteIntegerSetting(settings, KeyClipFrame, ReadIntegerSetting(settings, KeyClipFrame));
    WriteIntegerSetting(settings, KeyDefaultDelay, values.DefaultDelay);
    WriteIntegerSetting(settings, KeyDefaultNSLoop, values.DefaultLoopCount);

    WriteBoolSetting(settings, KeyNormalStyle, normalToolbarStyle_);
    for (int tag = 0; tag < 3; ++tag) {
        const TToolbarSettingKeys& keys = ToolbarSettingKeys(tag);
        const QToolBar* toolbar = toolbars_[tag];
        // A toolbar that was never laid out keeps the place it was given.
        auto [left, top] = toolbarPositions_.at(static_cast<size_t>(tag));
        if (shownOnce_ && !toolbar->isHidden()) {
            left = toolbar->x();
            top = toolbar->y();
        }
        WriteIntegerSetting(settings, keys.Left, left);
        WriteIntegerSetting(settings, keys.Top, top);
        WriteBoolSetting(settings, keys.Visible, !toolbar->isHidden());
    }

    WriteTextSetting(settings, KeyThumbnailDirectory, values.ThumbnailFolder);
    WriteIntegerSetting(settings, KeyThumbnailFilterType, values.ThumbnailFilter);
    WriteIntegerSetting(settings, KeyThumbnailWindowHeight, thumbnailPanelHeight_);
    WriteBoolSetting(settings, KeyThumbnailsVisible, thumbnailsVisible_);
    WriteIntegerSetting(settings, KeyExplorerWidth, explorerWidth_);
    WriteBoolSetting(settings, KeyExplorerVisible, explorerVisible_);
    WriteIntegerSetting(settings, KeyThumbnailSize, thumbnailSize_);
    WriteFavoriteFolders(settings, favorites_);
    context_->RecentFiles().Save(settings);
}

} // namespace fl
