// SPDX-License-Identifier: GPL-3.0-or-later
// The editor: the Qt services and the user's settings, then the start-up
// sequence.
#include <QApplication>

#include "app/AppServices.h"
#include "app/Application.h"
#include "app/QtFileDialogService.h"
#include "app/QtMessageService.h"
#include "app/QtSettingsStore.h"
#include "app/QtShellService.h"

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    fl::SetUpApplication();

    fl::TQtMessageService messages;
    fl::TQtFileDialogService dialogs;
    fl::TQtShellService shell;
    fl::TQtSettingsStore settings;
    const fl::TAppServices services{
        messages, dialogs, shell, settings, (QCoreApplication::applicationDirPath() + "/").toStdString(),
        nullptr};
    QStringList arguments = QCoreApplication::arguments();
    if (!arguments.isEmpty())
        arguments.removeFirst();
    return fl::RunEditor(services, arguments, [&messages, &dialogs](QWidget* mainWindow) {
        messages.SetParent(mainWindow);
        dialogs.SetParent(mainWindow);
    });
}
