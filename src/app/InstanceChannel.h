#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QDeadlineTimer>
#include <QHash>
#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <memory>

class QLocalSocket;

namespace tolvane {

// One running copy per user. The first copy holds a lock file and listens on a local
// socket, both in a folder only this user can enter; a later copy asks it to raise its
// window and passes on its command-line paths, one message each, in order.
//
// A message is a type byte, a 4-byte big-endian length and that many bytes; every
// message is acknowledged with one byte once it has been handled, so the sender knows
// its paths arrived in order and were added before it ends. The paths travel as the
// bytes the system gave the program: a name that is not valid UTF-8 still names its file.
class InstanceChannel : public QObject {
    Q_OBJECT

  public:
    // The longest payload a message may carry; longer ones are refused.
    static constexpr int kMaxPayload = 64 * 1024;
    // Connections served at once; later ones wait in the queue until one ends. Each
    // holds a descriptor, and a window that runs out of descriptors cannot open files.
    static constexpr int kMaxPeers = 32;
    // A connection that sends nothing for this long is closed.
    static constexpr int kIdleMs = 3000;

    // `name` is the instance name. `runtimeFolder` defaults to $XDG_RUNTIME_DIR, else
    // Qt's runtime location; when we create it, it is made 0700. When it is not this
    // user's own private folder, the channel lives in a 0700 folder of ours inside it.
    explicit InstanceChannel(QString name, QString runtimeFolder = {}, QObject* parent = nullptr);
    ~InstanceChannel() override;

    // Takes the per-user lock and starts listening. False only when a running copy holds
    // the lock. A lock left by a crashed copy is taken over and its socket file removed.
    // When the folder, the lock or the socket cannot be used at all this copy carries on
    // as the only one (true), without a channel, and says why on the log.
    bool Claim();

    // As a later copy: asks the running copy to raise its window, then sends every
    // non-empty argument as its own message, in order, each after the previous one was
    // acknowledged. Relative paths are resolved on the other side against this copy's
    // working folder. `timeoutMs` bounds connecting and each acknowledgement. False when
    // the running copy could not be reached or left a message unacknowledged; then
    // `delivered` (when given) counts the leading arguments it did take, and the rest
    // are the caller's to keep.
    bool HandOff(const QByteArrayList& arguments, int timeoutMs = 5000,
                 qsizetype* delivered = nullptr);
    // The same for arguments already decoded (as UTF-8).
    bool HandOff(const QStringList& arguments, int timeoutMs = 5000);

    // Gives up the socket and the lock, so that a copy started next (a restart) becomes
    // the running one at once. Also done on destruction.
    void Release();

  signals:
    void ActivationRequested();
    // A path as the sender gave it, blanks at either end kept (a relative one is taken
    // from the sender's working folder); never empty nor blanks alone. The bytes the
    // sender's system gave it.
    void PathReceived(const QByteArray& path);

  private:
    // Empty when no private folder was found.
    QString SocketPath() const;
    QString LockPath() const;
    bool Listen();
    void Accept();
    void ReadFrom(QLocalSocket* socket);
    bool Handle(QLocalSocket* socket, char type, const QByteArray& payload);
    void Drop(QLocalSocket* socket);
    void LookAfterServer();
    bool RecoverStaleLock();

    QString name_;
    QString folder_;
    std::unique_ptr<QLockFile> lock_;
    bool claimed_ = false;
    QLocalServer server_;
    bool listenWarned_ = false;
    // Closes idle connections and listens again where the server stopped.
    QTimer housekeeping_;
    struct Peer {
        QByteArray folder;  // the working folder the copy sent
        QDeadlineTimer idleUntil;
    };
    QHash<QLocalSocket*, Peer> peers_;
};

}  // namespace tolvane
