// SPDX-License-Identifier: GPL-3.0-or-later
// The recent files: the "&Recent Files" sub-menu (hidden while empty), the
// Open button's drop-down copy of it, and opening an entry.
#include <QAction>
#include <QMenu>
#include <filesystem>
#include <system_error>

#include "app/MainWindow.h"
#include "document/EditorContext.h"
#include "editing/TextRoutines.h"
#include "platform/MessageService.h"

namespace fl {

namespace {

constexpr const char* RecentFileHint = "Opens this file";
constexpr const char* MovedRecentFileMessage = "Could not open %s. The file may have moved.";

} // namespace

void TfrmMain::AddRecentFile(const std::string& path)
{
    context_->AddRecentFile(path);
}

const TRecentFiles& TfrmMain::RecentFiles() const
{
    return context_->RecentFiles();
}

void TfrmMain::RecentFilesChanged()
{
    FillRecentFilesMenu(mnuRecentFiles_);
    mnuRecentFiles_->menuAction()->setVisible(!RecentFiles().Empty());
}

void TfrmMain::FillRecentFilesMenu(QMenu* menu)
{
    menu->clear();
    const std::vector<std::string>& paths = RecentFiles().Paths();
    for (int i = 0; i < static_cast<int>(paths.size()); ++i) {
        QAction* item = menu->addAction(QString::fromStdString(RecentFiles().Caption(i)));
        item->setStatusTip(RecentFileHint);
        // The menu is rebuilt while an entry's own handler runs: the path is
        // copied, never read back from the entry.
        const std::string path = paths[static_cast<size_t>(i)];
        connect(item, &QAction::triggered, this, [this, path] { OpenRecentFile(path); }, Qt::QueuedConnection);
    }
}

void TfrmMain::OpenRecentFile(const std::string& path)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(std::filesystem::path(path), error)) {
        ShowMessageBox(services_.Messages, TMsgDlgType::mtWarning, FormatText(MovedRecentFileMessage, {path}),
                       {TMsgDlgBtn::mbOK});
        context_->RemoveRecentFile(path);
        return;
    }
    OpenFileByType(path);
}

} // namespace fl
