// SPDX-License-Identifier: GPL-3.0-or-later
// The program's start-up: the application's names, the start-up window,
// the main window shown as the settings ask, the command line's file, and
// the event loop serving the players' synchronized calls.
#pragma once

#include <QStringList>
#include <functional>

class QWidget;

namespace fl {

struct TAppServices;

inline constexpr const char* ApplicationTitle = "Quillmark Frameloom 4.0";
// Where QSettings keeps the program's settings.
inline constexpr const char* OrganizationName = "Quillmark Software";
inline constexpr const char* SettingsApplicationName = "Frameloom 4.0";

// Names the application (title, and the organization the settings use).
// Call before the settings store is made.
void SetUpApplication();
// Lets the players' threads reach the main thread through the event loop:
// a queued call arriving wakes the loop, which drains the queue. Safe to
// call more than once.
void ConnectSyncQueue();
// What the command line asks for: files to open; "--screenshot PATH",
// which closes the start-up window by itself, saves a picture of the whole
// screen to PATH once the main window has settled and ends the program (the
// README's picture and the screenshot test use it); and "--new-instance",
// which starts an editor of its own even when one is running.
struct TStartOptions {
    QStringList Files;
    QString ScreenshotPath;
    bool NewInstance = false;
};
TStartOptions ParseArguments(const QStringList& arguments);

// Hands the files to the editor already running, if there is one, and
// ends. Otherwise shows the start-up window, then the main window; opens
// every file named (the program name left out), takes the files of later
// starts, and runs until the main window closes. Answers the event loop's exit code. `mainWindowChanged` hears of
// the main window (to centre boxes on it) and of its end (null).
int RunEditor(const TAppServices& services, const QStringList& arguments,
              const std::function<void(QWidget* mainWindow)>& mainWindowChanged = {});

} // namespace fl
