// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Application.h"

#include <QApplication>
#include <QCoreApplication>
#include <QIcon>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <memory>

#include "app/AppServices.h"
#include "app/MainWindow.h"
#include "app/SingleInstance.h"
#include "app/SplashScreen.h"
#include "editing/LibraryResources.h"
#include "platform/SyncQueue.h"

namespace fl {

void SetUpApplication()
{
    QCoreApplication::setOrganizationName(OrganizationName);
    QCoreApplication::setApplicationName(SettingsApplicationName);
    QGuiApplication::setApplicationDisplayName(ApplicationTitle);
    // The desktop entry the windows belong to, and its icon where the
    // program is installed.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.frameloom.Frameloom"));
    const QIcon icon = QIcon::fromTheme(QStringLiteral("org.frameloom.Frameloom"));
    if (!icon.isNull())
        QGuiApplication::setWindowIcon(icon);
}

void ConnectSyncQueue()
{
    static bool connected = false;
    if (connected)
        return;
    connected = true;
    TSyncQueue& queue = MainSyncQueue();
    queue.OnWakeMainThread = [] {
        if (QCoreApplication* application = QCoreApplication::instance())
            QMetaObject::invokeMethod(
                application, [] { MainSyncQueue().Drain(); }, Qt::QueuedConnection);
    };
    queue.OnProcessMessages = [] { QCoreApplication::processEvents(); };
}

TStartOptions ParseArguments(const QStringList& arguments)
{
    TStartOptions options;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == QLatin1String("--screenshot") && i + 1 < arguments.size())
            options.ScreenshotPath = arguments[++i];
        else if (arguments[i] == QLatin1String("--new-instance"))
            options.NewInstance = true;
        else
            options.Files.append(arguments[i]);
    }
    return options;
}

int RunEditor(const TAppServices& services, const QStringList& arguments,
              const std::function<void(QWidget* mainWindow)>& mainWindowChanged)
{
    ConnectSyncQueue();
    const TStartOptions options = ParseArguments(arguments);
    const bool screenshot = !options.ScreenshotPath.isEmpty();
    // A picture of the screen is always taken by an editor of its own.
    const bool single = !screenshot && !options.NewInstance;
    if (single && HandFilesToRunningEditor(InstanceServerName(), options.Files))
        return 0;
    {
        TSplashScreen splash(services.Messages, services.ProgramFolder + CompanionLibraryFileName());
        // Nobody is there to press "&Start" for a picture of the screen.
        if (screenshot)
            QTimer::singleShot(500, &splash, &QDialog::accept);
        splash.exec();
    }
    // Parent-less top-level window; owned here so that its destructor (which
    // writes the settings) runs before the services go.
    auto window = std::make_unique<TfrmMain>(services);
    if (mainWindowChanged)
        mainWindowChanged(window.get());
    window->SetUnattended(screenshot);
    window->OpenArguments(options.Files);
    window->ShowAsStored();
    TInstanceServer server(InstanceServerName());
    if (single) {
        server.OnFiles = [&window](const QStringList& files) { window->OpenHandedFiles(files); };
        server.Listen();
    }

    bool screenshotSaved = false;
    if (screenshot) {
        // Time for the window manager to place the window and for the
        // deferred start-up to run.
        constexpr int settleMs = 2500;
        QTimer::singleShot(settleMs, window.get(), [&window, &screenshotSaved, &options] {
            QScreen* screen = QGuiApplication::primaryScreen();
            screenshotSaved = screen && screen->grabWindow(0).save(options.ScreenshotPath, "PNG");
            window->close();
        });
    }
    const int result = QApplication::exec();
    if (mainWindowChanged)
        mainWindowChanged(nullptr);
    if (screenshot && !screenshotSaved)
        return 1;
    return result;
}

} // namespace fl
