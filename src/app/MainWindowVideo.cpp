// SPDX-License-Identifier: GPL-3.0-or-later
// Importing a video of any kind FFmpeg reads, or an animated WebP picture,
// as a new document: the part and rate chosen in "Import Video", the work
// shown in the progress window, which can cancel it.
#include <memory>
#include <string>

#include "app/DialogRunner.h"
#include "app/MainWindow.h"
#include "dialogs/ProgressDialog.h"
#include "dialogs/VideoImportDialog.h"
#include "document/EditorContext.h"
#include "editing/FileTypes.h"
#include "editing/TextRoutines.h"
#include "gif/GIFImage.h"
#include "io/VideoImport.h"
#include "platform/FileDialogService.h"
#include "platform/MessageService.h"

namespace fl {

namespace {

constexpr const char* VideoDialogFilter =
    "Videos (*.mp4;*.webm;*.mov;*.mkv;*.avi;*.webp;*.apng;*.m4v;*.mpg;*.mpeg;*.ogv;*.flv;*.wmv;*.3gp)|"
    "*.mp4;*.webm;*.mov;*.mkv;*.avi;*.webp;*.apng;*.m4v;*.mpg;*.mpeg;*.ogv;*.flv;*.wmv;*.3gp|All Files (*.*)|*.*";

} // namespace

void TfrmMain::FileImportVideo()
{
    TFileDialogRequest request;
    request.Kind = TFileDialogKind::Open;
    request.Filter = VideoDialogFilter;
    request.InitialDir = context_->Values().InitialDir;
    const TFileDialogAnswer answer = services_.Dialogs.Run(request);
    if (answer.Accepted && !answer.Files.empty())
        ImportVideoFile(answer.Files.front());
}

bool TfrmMain::ImportVideoFile(const std::string& path)
{
    HideStartupLogo();
    const auto fail = [this, &path](const std::string& reason) {
        ShowMessageBox(services_.Messages, TMsgDlgType::mtError,
                       FormatText(AviImportFailedMessage, {path}) + "\n\n" + reason, {TMsgDlgBtn::mbOK});
        return false;
    };
    std::unique_ptr<TVideoSource> source;
    try {
        TBusyCursor busy(services_.Messages);
        source = OpenVideo(path);
    } catch (const std::exception& error) {
        return fail(error.what());
    }
    TVideoImportDialog dialog(QString::fromStdString(ExtractFileName(path)), source->Facts(), this);
    if (services_.Modals.Run(dialog) != QDialog::Accepted)
        return false;
    TVideoImportOptions options = dialog.Options();

    // A window of its own, as the main window is disabled meanwhile.
    TfrmProgress progress(nullptr);
    progress.SetText(QString::fromStdString(FormatText("Importing %s...", {ExtractFileName(path)})));
    progress.SetRange(0, 100);
    progress.show();
    auto image = std::make_unique<TGIFImage>();
    bool made = false;
    {
        TDisabledWhile disabled(*this);
        TBusyCursor busy(services_.Messages);
        options.Progress = [&progress](int percent) {
            progress.SetPosition(percent);
            return !progress.Cancelled();
        };
        try {
            made = ImportVideo(*image, *source, options);
        } catch (const std::exception& error) {
            progress.hide();
            return fail(error.what());
        }
    }
    progress.hide();
    // Cancelled: nothing was made.
    if (!made || image->IsEmpty())
        return false;
    return context_->AdoptAnimation(std::move(image));
}

} // namespace fl
