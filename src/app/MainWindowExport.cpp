// SPDX-License-Identifier: GPL-3.0-or-later
// The File > Export commands that hand the active animation to other
// programs: single images, an AVI video written with the progress window,
// and an HTML page offered to the default browser.
#include <QAction>
#include <QApplication>
#include <exception>
#include <filesystem>

#include "app/MainWindow.h"
#include "dialogs/Exporter.h"
#include "dialogs/ProgressDialog.h"
#include "document/Document.h"
#include "document/EditorContext.h"
#include "editing/FileTypes.h"
#include "editing/TextRoutines.h"
#include "gif/GIFImage.h"
#include "io/AviExport.h"
#include "io/HtmlPage.h"
#include "platform/FileDialogService.h"
#include "platform/MessageService.h"
#include "platform/ShellService.h"

namespace fl {

namespace {

constexpr const char* AviSaveFilter = "AVI Animations (*.avi)|*.avi";
constexpr const char* HtmlSaveFilter = "HTML Files|*.htm;*.html";
constexpr const char* SaveFirstQuestion = "Would you like to save the current document before proceeding?";
constexpr const char* ViewPageQuestion = "Would you like to view the HTML page in the default brower now?";
constexpr const char* AviExportFailedMessage = "Error exporting animation to AVI! Unable to complete export.";
constexpr const char* ShellFailedMessage = "Could not load the client.";

std::string WithoutExtension(const std::string& name)
{
    const size_t dot = name.find_last_of('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

} // namespace

void TfrmMain::ConnectExportCommands()
{
    connect(MenuItem("mniExportImages"), &QAction::triggered, this, [this] { ExportSingleImages(); });
    connect(MenuItem("mniExportAVI"), &QAction::triggered, this, [this] { ExportAviAnimation(); });
    connect(MenuItem("mniExportHTML"), &QAction::triggered, this, [this] { ExportHtmlPage(); });
}

bool TfrmMain::OpenWithShell(const std::string& target)
{
    if (services_.Shell.Open(target))
        return true;
    ShowMessageBox(services_.Messages, TMsgDlgType::mtInformation, ShellFailedMessage, {TMsgDlgBtn::mbOK});
    return false;
}

void TfrmMain::ExportSingleImages()
{
    if (!context_->ActiveDocument() || context_->Animation().IsEmpty())
        return;
    Guarded(services_.Messages, [this] {
        TfrmExporter exporter(services_, *context_, this);
        RunDialog(exporter);
    });
}

void TfrmMain::ExportAviAnimation()
{
    TDocument* document = context_->ActiveDocument();
    if (!document || context_->Animation().IsEmpty())
        return;
    TFileDialogRequest request;
    request.Kind = TFileDialogKind::Save;
    request.Filter = AviSaveFilter;
    request.DefaultExt = "avi";
    request.FileName = WithoutExtension(document->ShortName());
    request.InitialDir = context_->Values().InitialDir;
    const TFileDialogAnswer answer = services_.Dialogs.Run(request);
    if (!answer.Accepted || answer.Files.empty())
        return;
    const std::string path = answer.Files.front();

    TGIFImage copy;
    try {
        copy.CopyFrom(&context_->Animation());
    } catch (const std::exception&) {
        // What was copied is exported; an empty copy is reported below.
    }
    if (copy.IsEmpty()) {
        ShowErrorMessage(services_.Messages, AviExportFailedMessage);
        return;
    }
    // A window of its own: the main window is disabled while the export
    // runs, and would take its children (Cancel) along.
    TfrmProgress progress(nullptr);
    progress.SetText(
        QString::fromStdString(FormatText("Preparing %s for AVI export...", {ExtractFileName(path)})));
    progress.SetRange(0, copy.Frames.Count() - 1);
    progress.show();
    TDisabledWhile disabled(*this);
    const TAviExportProgress steps{[&progress](int index, int) { progress.SetPosition(index); },
                                   [&progress] { return progress.Cancelled(); }};
    try {
        // A cancelled export writes nothing: the target keeps what it held.
        if (!PrepareAviExport(copy, steps))
            return;
        progress.SetText(tr("Exporting to AVI..."));
        ExportAvi(path, copy, steps);
    } catch (const std::exception& error) {
        ShowErrorMessage(services_.Messages, error.what());
    }
}

void TfrmMain::ExportHtmlPage()
{
    TDocument* document = context_->ActiveDocument();
    if (!document)
        return;
    if (!document->FileExists()) {
        if (ShowMessageBox(services_.Messages, TMsgDlgType::mtConfirmation, SaveFirstQuestion,
                           {TMsgDlgBtn::mbYes, TMsgDlgBtn::mbNo, TMsgDlgBtn::mbCancel}) != mrYes)
            return;
        Action("FileSave")->trigger();
        document = context_->ActiveDocument();
        if (!document || !document->FileExists())
            return;
    }
    const THtmlPageProposal proposal = HtmlPageProposal(document->FileName());
    TFileDialogRequest request;
    request.Kind = TFileDialogKind::Save;
    request.Filter = HtmlSaveFilter;
    request.InitialDir = proposal.Folder;
    request.FileName = proposal.FileName;
    request.DefaultExt = "gif";
    const TFileDialogAnswer answer = services_.Dialogs.Run(request);
    if (!answer.Accepted || answer.Files.empty())
        return;
    const std::string target = HtmlPageTarget(answer.Files.front(), request.DefaultExt);
    if (target.empty())
        return;
    try {
        TGIFImage& animation = context_->Animation();
        WriteHtmlPage(target, HtmlPageText(document->FileName(), animation.Height(), animation.Width()));
    } catch (const std::exception& error) {
        ShowErrorMessage(services_.Messages, error.what());
        return;
    }
    if (ShowMessageBox(services_.Messages, TMsgDlgType::mtConfirmation, ViewPageQuestion,
                       {TMsgDlgBtn::mbYes, TMsgDlgBtn::mbNo, TMsgDlgBtn::mbCancel}) == mrYes)
        OpenWithShell(target);
}

} // namespace fl
