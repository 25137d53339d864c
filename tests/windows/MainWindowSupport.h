// SPDX-License-Identifier: GPL-3.0-or-later
// For the main window's tests: the window on scripted services and a
// settings store that outlives it (so that a test can restart the program),
// and small GIF files in a temporary folder.
#pragma once

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/AppServices.h"
#include "app/MainWindow.h"
#include "gif/GIFImage.h"
#include "gif/SubImage.h"
#include "platform/Clock.h"
#include "platform/FileDialogService.h"
#include "platform/MessageService.h"
#include "platform/SettingsKeys.h"
#include "platform/SettingsStore.h"
#include "platform/ShellService.h"
#include "support/GifFileChecks.h"
#include "windows/ScriptedDialogs.h"

namespace fl::test {

// The named child of a window or dialog; a missing one ends the test.
template <typename T> T& Child(QObject& parent, const char* name)
{
    T* found = parent.findChild<T*>(QString::fromLatin1(name));
    if (!found)
        qFatal("no %s", name);
    return *found;
}

// Writes an animation of `frames` frames, each filled with its own color.
inline void WriteAnimation(const std::string& path, int frames, int width = 6, int height = 4)
{
    TGIFImage image;
    for (int i = 0; i < frames; ++i)
        image.GlobalColors().Add(static_cast<TColor>(0x101010 * (i + 1)));
    image.SetWidth(width);
    image.SetHeight(height);
    for (int i = 0; i < frames; ++i) {
        auto frame = std::make_unique<TGIFSubImage>(&image);
        frame->SetGeometry(0, 0, width, height);
        std::fill(frame->Pixels(), frame->Pixels() + frame->PixelBytes(), static_cast<uint8_t>(i));
        image.AddFrame(std::move(frame));
    }
    image.SaveToFile(path);
}

class TMainWindowRig {
public:
    TMainWindowRig()
    {
        if (!folder_.isValid())
            throw std::runtime_error("no temporary folder");
        // No companion library here: the logo is tried and reported missing.
        programFolder = folder_.path().toStdString() + "/";
        // Working copies go to a folder of the test's own, so that those
        // another program left behind are not offered back here.
        // The welcome dialog has tests of its own.
        WriteIntegerSetting(settings, KeyWelcomeDialog, 1);
        previousTemp_ = qgetenv("TMPDIR");
        QDir(folder_.path()).mkdir(QStringLiteral("tmp"));
        qputenv("TMPDIR", folder_.filePath(QStringLiteral("tmp")).toLocal8Bit());
    }
    ~TMainWindowRig()
    {
        window.reset();
        if (previousTemp_.isEmpty())
            qunsetenv("TMPDIR");
        else
            qputenv("TMPDIR", previousTemp_);
    }

    std::string File(const std::string& name) const
    {
        return folder_.filePath(QString::fromStdString(name)).toStdString();
    }

    // Makes the window as the program does and, when asked, shows it and
    // runs the deferred start-up.
    TfrmMain& Start(bool show = true)
    {
        Exit();
        window = std::make_unique<TfrmMain>(
            TAppServices{messages, dialogs, shell, settings, modals, programFolder, clock});
        if (show) {
            window->ShowAsStored();
            Settle();
        }
        return *window;
    }
    // Closes the window (asking the documents) and, when it agreed, destroys
    // it; answers whether it closed.
    bool Exit()
    {
        if (!window)
            return true;
        if (window->isVisible() && !window->close())
            return false;
        window.reset();
        return true;
    }
    // Runs what was posted to the event loop.
    static void Settle()
    {
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
    }
    // How many boxes showed a text containing `part`.
    int MessagesWith(const std::string& part) const
    {
        return static_cast<int>(std::count_if(messages.Requests().begin(), messages.Requests().end(),
                                              [&part](const TMessageRequest& request) {
                                                  return request.Text.find(part) != std::string::npos;
                                              }));
    }

    TScriptedMessageService messages;
    TScriptedFileDialogService dialogs;
    TRecordingShellService shell;
    TScriptedDialogRunner modals;
    TMemorySettingsStore settings;
    std::shared_ptr<TVirtualClock> clock = std::make_shared<TVirtualClock>();
    std::string programFolder;
    std::unique_ptr<TfrmMain> window;

private:
    QTemporaryDir folder_;
    QByteArray previousTemp_;
};

} // namespace fl::test
