#include "gui/single_instance.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QTimer>
#include <QWidget>
#include <QtEndian>

#include <sys/socket.h>
#include <unistd.h>

namespace {

// One hand-over: the tag, the length of the path in bytes (big-endian), the
// path in UTF-8. The running instance answers with the reply once it has it.
constexpr char MessageTag[] = "VXH1";
constexpr qsizetype TagBytes = 4;
constexpr qsizetype HeaderBytes = TagBytes + 4;
constexpr char Reply[] = "OK";
constexpr qsizetype ReplyBytes = 2;
constexpr quint32 MaxPathBytes = 64 * 1024;
// A connection that has not delivered its message by then is dropped.
constexpr int ClientTimeoutMs = 10000;
// Longest path a local socket address holds, less a margin.
constexpr qsizetype MaxSocketPathBytes = 100;

// The user's private runtime folder ($XDG_RUNTIME_DIR) when it exists and
// belongs to the user, else empty.
QString runtimeFolder() {
    const QString folder = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (folder.isEmpty())
        return {};
    const QFileInfo info(folder);
    if (!info.isDir() || info.ownerId() != ::getuid())
        return {};
    return info.absoluteFilePath();
}

// True when the process at the other end of the socket runs as this user.
bool peerIsSameUser(qintptr descriptor) {
#ifdef SO_PEERCRED
    struct ucred credentials {};
    socklen_t length = sizeof credentials;
    if (::getsockopt(static_cast<int>(descriptor), SOL_SOCKET, SO_PEERCRED, &credentials, &length) != 0)
        return false;
    return credentials.uid == ::getuid();
#else
    Q_UNUSED(descriptor);
    return true;
#endif
}

QByteArray handOverMessage(const QByteArray& path) {
    QByteArray message(MessageTag, TagBytes);
    char length[4];
    qToBigEndian<quint32>(static_cast<quint32>(path.size()), length);
    message.append(length, 4);
    message.append(path);
    return message;
}

} // namespace

QString joinedFileArgument(const QStringList& arguments) {
    return arguments.mid(1).join(QLatin1Char(' ')).trimmed();
}

TSingleInstance::TSingleInstance(const QString& key, QObject* parent) : QObject(parent) {
    const QString name = key + QLatin1Char('-') + QString::number(::getuid());
    const QString runtime = runtimeFolder();
    const QString socketPath = runtime + QLatin1Char('/') + name;
    const bool useRuntime = !runtime.isEmpty() && QFile::encodeName(socketPath).size() <= MaxSocketPathBytes;
    // A bare name lives in the temporary folder, where the user id keeps
    // users apart and the peer check keeps out a squatter.
    serverName_ = useRuntime ? socketPath : name;
    lockPath_ = (useRuntime ? runtime : QDir::tempPath()) + QLatin1Char('/') + name + QStringLiteral(".lock");
}

TSingleInstance::~TSingleInstance() = default;

void TSingleInstance::lockStartup(int timeoutMs) {
    if (startupLock_)
        return;
    auto lock = std::make_unique<QLockFile>(lockPath_);
    // A lock left by a crashed start is noticed through its process id.
    if (lock->tryLock(timeoutMs))
        startupLock_ = std::move(lock);
}

void TSingleInstance::unlockStartup() { startupLock_.reset(); }

bool TSingleInstance::tryHandOver(const QString& fileArgument, int timeoutMs) {
    lockStartup(timeoutMs);
    QLocalSocket socket;
    socket.connectToServer(serverName_);
    if (!socket.waitForConnected(timeoutMs))
        return false;  // nobody there, or a crashed instance's socket: listen() clears it
    liveServerSeen_ = true;
    if (!peerIsSameUser(socket.socketDescriptor()))
        return false;

    // The running instance has its own working folder.
    const QByteArray path =
        fileArgument.isEmpty() ? QByteArray() : QDir::current().absoluteFilePath(fileArgument).toUtf8();
    if (static_cast<quint64>(path.size()) > MaxPathBytes)
        return false;
    socket.write(handOverMessage(path));

    QElapsedTimer clock;
    clock.start();
    while (socket.bytesAvailable() < ReplyBytes) {
        const qint64 left = timeoutMs - clock.elapsed();
        if (left <= 0 || !socket.waitForReadyRead(static_cast<int>(left)))
            break;
    }
    if (socket.read(ReplyBytes) != QByteArray(Reply, ReplyBytes))
        return false;
    socket.disconnectFromServer();
    unlockStartup();
    return true;
}

bool TSingleInstance::listen() {
    if (isListening())
        return true;
    lockStartup(5000);
    if (!liveServerSeen_) {
        // Is anybody there? A connection proves a live instance, whose socket
        // must not be taken; a refused one is a crashed instance's leftover.
        QLocalSocket probe;
        probe.connectToServer(serverName_);
        if (probe.waitForConnected(1000)) {
            liveServerSeen_ = true;
            probe.abort();
        }
    }
    bool listening = false;
    if (!liveServerSeen_) {
        QLocalServer::removeServer(serverName_);
        server_ = new QLocalServer(this);
        server_->setSocketOptions(QLocalServer::UserAccessOption);
        listening = server_->listen(serverName_);
        if (listening)
            connect(server_, &QLocalServer::newConnection, this, &TSingleInstance::acceptConnections);
    }
    unlockStartup();
    return listening;
}

bool TSingleInstance::isListening() const { return server_ != nullptr && server_->isListening(); }

void TSingleInstance::acceptConnections() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        const auto drop = [socket] {
            socket->abort();
            socket->deleteLater();
        };
        if (!peerIsSameUser(socket->socketDescriptor())) {
            drop();
            continue;
        }
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        QTimer::singleShot(ClientTimeoutMs, socket, drop);

        auto buffer = std::make_shared<QByteArray>();
        const auto receive = [this, socket, buffer, drop] {
            buffer->append(socket->readAll());
            if (buffer->size() < HeaderBytes)
                return;
            const quint32 length = qFromBigEndian<quint32>(buffer->constData() + TagBytes);
            if (!buffer->startsWith(QByteArray(MessageTag, TagBytes)) || length > MaxPathBytes ||
                buffer->size() > HeaderBytes + length) {
                drop();
                return;
            }
            if (buffer->size() < HeaderBytes + length)
                return;
            const QString path = QString::fromUtf8(buffer->mid(HeaderBytes, length));
            buffer->clear();
            socket->write(Reply, ReplyBytes);
            socket->disconnectFromServer();
            // Opening the file may show a message box; let the socket finish first.
            QMetaObject::invokeMethod(this, [this, path] { emit fileHandedOver(path); }, Qt::QueuedConnection);
        };
        connect(socket, &QLocalSocket::readyRead, this, receive);
        if (socket->bytesAvailable() > 0)
            receive();
    }
}

void TSingleInstance::bringToFront(QWidget* window) {
    if (window == nullptr)
        return;
    if (window->isMinimized())
        window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
}
