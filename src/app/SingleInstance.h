// SPDX-License-Identifier: GPL-3.0-or-later
// One running editor per user: a second start hands the files named on its
// command line to the editor already running, through a local socket, and
// ends; the running one opens them.
#pragma once

#include <QObject>
#include <QStringList>
#include <functional>

class QLocalServer;

namespace fl {

// The socket's name: one per user, in the user's runtime folder (or the
// temporary folder when there is none).
QString InstanceServerName();

// Hands the files (made absolute against the current folder) to the editor
// listening under `name`. Answers whether one took them; false at once when
// none is running.
bool HandFilesToRunningEditor(const QString& name, const QStringList& files);

class TInstanceServer final : public QObject {
    Q_OBJECT
public:
    explicit TInstanceServer(QString name, QObject* parent = nullptr);
    ~TInstanceServer() override;

    // Starts listening; a socket left behind by an editor that ended
    // abnormally is taken over. False when the name cannot be had.
    bool Listen();
    // The files a later start handed over, in its command line's order.
    std::function<void(const QStringList& files)> OnFiles;

private:
    void Accept();

    QString name_;
    QLocalServer* server_;
};

} // namespace fl
