// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/SingleInstance.h"

#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QTimer>
#include <unistd.h>

namespace fl {

namespace {

// What a start sends: this line, one absolute path a line (percent-encoded,
// as a name may hold a line break), and an empty line.
constexpr char Greeting[] = "frameloom-open";
constexpr int ConnectMs = 1000;
constexpr int TransferMs = 5000;
// A start names a few files; more than this is not a start of ours.
constexpr qint64 MaxMessageBytes = 1 << 20;

} // namespace

QString InstanceServerName()
{
    // The user's own runtime folder (only they can reach it), else the
    // temporary folder with the user's number in the name.
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!runtime.isEmpty() && QDir().mkpath(runtime))
        return runtime + QStringLiteral("/frameloom-instance");
    return QStringLiteral("frameloom-%1").arg(::getuid());
}

bool HandFilesToRunningEditor(const QString& name, const QStringList& files)
{
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(ConnectMs))
        return false;
    QByteArray message = QByteArray(Greeting) + '\n';
    for (const QString& file : files)
        if (!file.isEmpty())
            message += QByteArray(QFileInfo(file).absoluteFilePath().toUtf8()).toPercentEncoding("/") + '\n';
    socket.write(message + '\n');
    if (!socket.waitForBytesWritten(TransferMs))
        return false;
    // The editor answers once it has read everything.
    return socket.waitForReadyRead(TransferMs) && socket.readAll().startsWith("ok");
}

TInstanceServer::TInstanceServer(QString name, QObject* parent)
    : QObject(parent), name_(std::move(name)), server_(new QLocalServer(this))
{
    connect(server_, &QLocalServer::newConnection, this, &TInstanceServer::Accept);
}

TInstanceServer::~TInstanceServer() = default;

bool TInstanceServer::Listen()
{
    // The name of an editor that still answers on it is left to it (with
    // restricted access, listening would replace its socket file); one that
    // an abnormal end left behind is taken over.
    QLocalSocket probe;
    probe.connectToServer(name_);
    if (probe.waitForConnected(ConnectMs))
        return false;
    QLocalServer::removeServer(name_);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    return server_->listen(name_);
}

void TInstanceServer::Accept()
{
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            const QByteArray received = socket->peek(MaxMessageBytes + 1);
            const QByteArray greeting = QByteArray(Greeting) + '\n';
            if (received.size() > MaxMessageBytes || !received.startsWith(greeting.left(received.size()))) {
                socket->abort();
                return;
            }
            // Whole once the empty line has come.
            const qsizetype end = received.indexOf("\n\n");
            if (end < 0)
                return;
            socket->read(end + 2);
            QStringList files;
            for (const QByteArray& line : received.left(end).split('\n').mid(1))
                files.append(QString::fromUtf8(QByteArray::fromPercentEncoding(line)));
            socket->write("ok\n");
            socket->flush();
            // Opening may show dialogs whose event loops end this socket:
            // the files are opened once this call is over.
            QTimer::singleShot(0, this, [this, files] {
                if (OnFiles)
                    OnFiles(files);
            });
        });
    }
}

} // namespace fl
