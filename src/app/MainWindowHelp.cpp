// SPDX-License-Identifier: GPL-3.0-or-later
// The wizards window in its four uses (welcome, animation wizard,
// optimization wizard, tip of the day) and the Help menu: our own help
// pages, shipped in the program folder's "help" folder, open in the default
// browser through the shell service.
#include <QAction>
#include <QDialog>
#include <QMenu>
#include <filesystem>

#include "app/MainWindow.h"
#include "dialogs/Wizards.h"
#include "document/EditorContext.h"
#include "editing/TextRoutines.h"
#include "platform/MessageService.h"
#include "platform/ShellService.h"

namespace fl {

namespace {

constexpr const char* HelpFolder = "help/";
constexpr const char* MissingHelpMessage = "The help page %s could not be found.";

} // namespace

void TfrmMain::ConnectHelpCommands()
{
    connect(Action("FileNew"), &QAction::triggered, this, [this] { RunWizard(wuAnimation); });
    connect(Action("AnimationOptimize"), &QAction::triggered, this, [this] {
        if (context_->ActiveDocument() && !context_->Animation().IsEmpty())
            RunWizard(wuOptimization);
    });
    connect(Action("HelpContents"), &QAction::triggered, this, [this] { ShowHelp(0); });
    connect(MenuItem("mniTipOfDay"), &QAction::triggered, this, [this] { RunWizard(wuTipOfDay); });
    connect(MenuItem("mniWelcome"), &QAction::triggered, this, [this] { ShowWelcome(); });
    connect(MenuItem("mniHomepage"), &QAction::triggered, this, [this] { OpenHelpPage("homepage.html"); });
    connect(MenuItem("mniSupport"), &QAction::triggered, this, [this] { OpenHelpPage("support.html"); });
}

TWizardHooks TfrmMain::WizardHooks()
{
    TWizardHooks hooks;
    hooks.HideStartupLogo = [this] { HideStartupLogo(); };
    hooks.ChooseImageFiles = [this] { return ChooseImageFiles(); };
    hooks.RecentFiles = context_->RecentFiles().Paths();
    hooks.RecentFilesShown = !hooks.RecentFiles.empty();
    hooks.ShowHelp = [this](int topic) { ShowHelp(topic); };
    return hooks;
}

int TfrmMain::RunWizard(int use)
{
    int result = QDialog::Rejected;
    Guarded(services_.Messages, [&] {
        TfrmWizards wizard(services_, *context_, use, WizardHooks(), this);
        result = RunDialog(wizard);
    });
    return result;
}

void TfrmMain::ShowWelcome()
{
    int choice = wcNew;
    std::string reopen;
    Guarded(services_.Messages, [&] {
        TfrmWizards wizard(services_, *context_, wuWelcome, WizardHooks(), this);
        if (RunDialog(wizard) != QDialog::Accepted)
            return;
        choice = wizard.WelcomeChoice();
        reopen = wizard.ReopenFile();
    });
    if (choice == wcOpen)
        Action("FileOpen")->trigger();
    else if (choice == wcReopen && !reopen.empty())
        OpenFileByType(reopen);
}

void TfrmMain::ShowHelp(int topic)
{
    OpenHelpPage(topic == 0 ? std::string("index.html") : "context-" + std::to_string(topic) + ".html");
}

void TfrmMain::OpenHelpPage(const std::string& page)
{
    const std::string path = services_.ProgramFolder + HelpFolder + page;
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        ShowErrorMessage(services_.Messages, FormatText(MissingHelpMessage, {path}));
    else
        OpenWithShell(path);
}

} // namespace fl
