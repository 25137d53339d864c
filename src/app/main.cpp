// SPDX-License-Identifier: GPL-3.0-or-later
// The editor: the Qt services and the user's settings, then the start-up
// sequence.
#include <string>

#include "app/AppServices.h"
#include "app/Application.h"
#include "app/DialogRunner.h"
#include "app/EditorApplication.h"
#include "app/OpenPreviewPane.h"
#include "app/QtMessageService.h"
#include "app/QtSettingsStore.h"
#include "app/QtShellService.h"

int main(int argc, char* argv[])
{
    fl::TEditorApplication application(argc, argv);
    fl::SetUpApplication();

    // The file dialogs read and write the user's settings (the open
    // dialog's preview), so the store comes first and outlives them.
    fl::TQtSettingsStore settings;
    fl::TQtMessageService messages;
    application.OnError = [&messages](const std::string& message) { fl::ShowErrorMessage(messages, message); };
    fl::TPreviewFileDialogService dialogs(settings, messages);
    fl::TQtShellService shell;
    fl::TModalDialogRunner modals;
    const fl::TAppServices services{
        messages, dialogs, shell, settings, modals, (QCoreApplication::applicationDirPath() + "/").toStdString(),
        nullptr};
    QStringList arguments = QCoreApplication::arguments();
    if (!arguments.isEmpty())
        arguments.removeFirst();
    const int code = fl::RunEditor(services, arguments, [&messages, &dialogs](QWidget* mainWindow) {
        messages.SetParent(mainWindow);
        dialogs.SetParent(mainWindow);
    });
    // The message service goes before the application.
    application.OnError = nullptr;
    return code;
}
