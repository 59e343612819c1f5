// One running program per user: a second start hands its file over to the
// first and exits.
//
// The first instance listens on a local socket that only its user can reach
// (named after the user id, in the user's runtime folder when there is one);
// both ends also check the other's user id. A lock file serialises the
// "is anybody there? else listen" step so that of several programs started
// at once exactly one listens. A socket left behind by a crashed instance is
// removed; the socket of an instance that is alive is never taken over.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

class QLocalServer;
class QLocalSocket;
class QLockFile;
class QWidget;

/// The data file named on the command line: all arguments after the program
/// (the first element of `arguments`, as QCoreApplication::arguments() gives
/// them) joined with single blanks and trimmed, since a path with blanks may
/// arrive split. Empty when there are none.
QString joinedFileArgument(const QStringList& arguments);

class TSingleInstance : public QObject {
    Q_OBJECT
public:
    /// `key` names the program; tests pass their own so that they never
    /// meet a running program.
    explicit TSingleInstance(const QString& key = QStringLiteral("vextal"), QObject* parent = nullptr);
    ~TSingleInstance() override;

    /// Looks for a running instance and hands it `fileArgument` (made
    /// absolute against this process's working folder; empty: just bring it
    /// to the front). True when the running instance confirmed it: exit now.
    /// False when there is none or it did not answer within `timeoutMs`;
    /// call listen() next.
    bool tryHandOver(const QString& fileArgument, int timeoutMs = 5000);

    /// Starts listening for later starts. Returns false, and the program
    /// runs on its own, when a live instance holds the name.
    bool listen();
    bool isListening() const;

    /// The local socket name.
    QString serverName() const { return serverName_; }

    /// Shows `window` normally if minimized, raises and activates it.
    static void bringToFront(QWidget* window);

signals:
    /// A later start handed over `path` (empty: it only asks to be shown).
    void fileHandedOver(const QString& path);

private:
    void acceptConnections();
    void lockStartup(int timeoutMs);
    void unlockStartup();

    QString serverName_;
    QString lockPath_;
    std::unique_ptr<QLockFile> startupLock_;
    QLocalServer* server_ = nullptr;
    bool liveServerSeen_ = false;  // a connection succeeded: the name is not stale
};
