#include "InstanceChannel.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QPointer>
#include <QStandardPaths>
#include <QThread>
#include <QtEndian>
#include <QtGlobal>

#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <string_view>

#include "filelist/PathAsGiven.h"

namespace tolvane {

namespace {

constexpr char kActivate = 'A';
constexpr char kWorkingFolder = 'W';
constexpr char kPath = 'P';
constexpr char kAck = '\x06';
constexpr qint64 kHeaderSize = 5;
// Accepted connections Qt may hold for us beyond those being served.
constexpr int kMaxPending = 8;
constexpr int kHousekeepingMs = 1000;

// A live copy writes its process id into the lock file as soon as it has created it;
// one that is still unreadable after this long was left half-written by a crash.
constexpr qint64 kUnreadableLockAgeMs = 2000;

bool IsPrivateFolder(const QByteArray& path) {
    struct stat st {};
    return ::lstat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() &&
           (st.st_mode & 077) == 0;
}

// Creates `path` as a folder only its owner may enter; one that exists is tightened
// only when it is a real folder of ours (never through a link, never someone else's).
void MakePrivateFolder(const QByteArray& path) {
    if (::mkdir(path.constData(), 0700) == 0) {
        ::chmod(path.constData(), 0700);  // in case the umask took the owner's bits
        return;
    }
    struct stat st {};
    if (::lstat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid())
        ::chmod(path.constData(), 0700);
}

// The folder for the lock and the socket: the runtime folder itself when it is this
// user's and closed to everyone else (as the session's runtime folder is), else a
// folder of ours inside it. Empty when neither can be had.
QString PrivateFolder(const QString& runtime, const QString& name) {
    if (runtime.isEmpty())
        return {};
    QString folder = QDir::cleanPath(QDir(runtime).absolutePath());
    const QByteArray encoded = QFile::encodeName(folder);
    if (!QFileInfo::exists(folder)) {
        QDir().mkpath(QFileInfo(folder).path());
        MakePrivateFolder(encoded);
    }
    if (IsPrivateFolder(encoded))
        return folder;
    const QString own =
        folder + QLatin1Char('/') + name + QLatin1Char('-') + QString::number(::geteuid());
    MakePrivateFolder(QFile::encodeName(own));
    return IsPrivateFolder(QFile::encodeName(own)) ? own : QString();
}

// Whether the process at the other end of a connected socket runs as this user. The
// folder already keeps others out; this also holds where it cannot (the super-user
// passes every folder), so no copy ever talks to another user's.
bool PeerIsThisUser(qintptr descriptor) {
    struct ucred credentials {};
    socklen_t size = sizeof credentials;
    return descriptor >= 0 &&
           ::getsockopt(static_cast<int>(descriptor), SOL_SOCKET, SO_PEERCRED, &credentials,
                        &size) == 0 &&
           credentials.uid == ::geteuid();
}

// Whether the system holds bytes for the socket that Qt has not read yet: after the
// window was busy, a copy's next message may wait there while its timer runs out.
// (What Qt has read was handled, or is the start of a message that stopped.)
bool BytesWaiting(QLocalSocket* socket) {
    int waiting = 0;
    return ::ioctl(static_cast<int>(socket->socketDescriptor()), FIONREAD, &waiting) == 0 &&
           waiting > 0;
}

QByteArray Message(char type, const QByteArray& payload) {
    QByteArray message(kHeaderSize, '\0');
    message[0] = type;
    qToBigEndian<quint32>(static_cast<quint32>(payload.size()), message.data() + 1);
    return message + payload;
}

// Sends one message and waits for its acknowledgement; only the short-lived sending
// copy blocks like this.
bool SendAndWait(QLocalSocket& socket, char type, const QByteArray& payload, int timeoutMs) {
    const QByteArray message = Message(type, payload);
    if (socket.write(message) != message.size())
        return false;
    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(timeoutMs))
            return false;
    }
    while (socket.bytesAvailable() < 1) {
        if (!socket.waitForReadyRead(timeoutMs))
            return false;
    }
    char ack = 0;
    return socket.getChar(&ack) && ack == kAck;
}

// Connects to the running copy. A copy that holds the lock may not listen yet (it
// has just started, or many copies were started at once), so an absent or refusing
// socket is tried again while the lock file is there.
bool ConnectWithin(QLocalSocket& socket, const QString& socketPath, const QString& lockPath,
                   int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        socket.connectToServer(socketPath);
        if (socket.waitForConnected(static_cast<int>(deadline.remainingTime())))
            return true;
        const QLocalSocket::LocalSocketError error = socket.error();
        socket.abort();
        const bool notYet = error == QLocalSocket::ServerNotFoundError ||
                            error == QLocalSocket::ConnectionRefusedError;
        if (!notYet || !QFileInfo::exists(lockPath) || deadline.hasExpired())
            return false;
        QThread::msleep(20);
    }
}

}  // namespace

InstanceChannel::InstanceChannel(QString name, QString runtimeFolder, QObject* parent)
    : QObject(parent), name_(std::move(name)) {
    if (runtimeFolder.isEmpty())
        runtimeFolder = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (runtimeFolder.isEmpty())
        runtimeFolder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    folder_ = PrivateFolder(runtimeFolder, name_);
    connect(&server_, &QLocalServer::newConnection, this, &InstanceChannel::Accept);
    housekeeping_.setInterval(kHousekeepingMs);
    connect(&housekeeping_, &QTimer::timeout, this, &InstanceChannel::LookAfterServer);
}

InstanceChannel::~InstanceChannel() {
    Release();
}

QString InstanceChannel::SocketPath() const {
    return folder_.isEmpty() ? QString()
                             : folder_ + QLatin1Char('/') + name_ + QStringLiteral(".socket");
}

QString InstanceChannel::LockPath() const {
    return folder_.isEmpty() ? QString()
                             : folder_ + QLatin1Char('/') + name_ + QStringLiteral(".lock");
}

bool InstanceChannel::Claim() {
    if (claimed_)
        return true;
    if (folder_.isEmpty()) {
        qWarning("No private runtime folder: running without a single-instance channel");
        return true;
    }
    lock_ = std::make_unique<QLockFile>(LockPath());
    // Only a lock whose owner is gone is stale, however old it is.
    lock_->setStaleLockTime(0);
    if (!lock_->tryLock(0)) {
        if (lock_->error() != QLockFile::LockFailedError) {
            qWarning("Cannot create %s: running without a single-instance channel",
                     qPrintable(LockPath()));
            return true;
        }
        if (!RecoverStaleLock())
            return false;
    }
    claimed_ = true;
    Listen();
    housekeeping_.start();
    return true;
}

bool InstanceChannel::Listen() {
    // Only the holder of the lock may remove a socket file: one left by a crashed copy
    // (or by our own server, closed by Qt) would make listening fail.
    QLocalServer::removeServer(SocketPath());
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    server_.setMaxPendingConnections(kMaxPending);
    if (server_.listen(SocketPath())) {
        listenWarned_ = false;
        return true;
    }
    if (!listenWarned_)
        qWarning("Cannot listen on %s: %s", qPrintable(SocketPath()),
                 qPrintable(server_.errorString()));
    listenWarned_ = true;
    return false;
}

// Qt closes the server, and removes its socket file, when accepting fails (as when the
// process has run out of descriptors), and says so to nobody: later copies would find
// the lock but no socket, and their paths would go nowhere until a restart.
void InstanceChannel::LookAfterServer() {
    for (QLocalSocket* socket : peers_.keys()) {
        if (peers_.value(socket).idleUntil.hasExpired() && !BytesWaiting(socket))
            Drop(socket);
    }
    if (claimed_ && !server_.isListening())
        Listen();
}

// Qt recognises the lock of a process that has ended on this machine. A lock written
// before the machine's name changed, or left unreadable by a crash, it keeps for ever;
// those are taken over here. Removing takes the lock file's own advisory lock, which a
// live holder keeps, so a running copy's lock is never removed.
bool InstanceChannel::RecoverStaleLock() {
    qint64 pid = 0;
    QString host;
    QString application;
    bool stale = false;
    if (lock_->getLockInfo(&pid, &host, &application)) {
        stale = pid > 0 && ::kill(static_cast<pid_t>(pid), 0) == -1 && errno == ESRCH;
    } else {
        const QDateTime written = QFileInfo(LockPath()).lastModified();
        stale = written.isValid() &&
                written.msecsTo(QDateTime::currentDateTime()) > kUnreadableLockAgeMs;
    }
    return stale && lock_->removeStaleLockFile() && lock_->tryLock(0);
}

bool InstanceChannel::HandOff(const QByteArrayList& arguments, int timeoutMs,
                              qsizetype* delivered) {
    if (delivered)
        *delivered = 0;
    if (folder_.isEmpty())
        return false;
    QLocalSocket socket;
    if (!ConnectWithin(socket, SocketPath(), LockPath(), timeoutMs))
        return false;
    if (!PeerIsThisUser(socket.socketDescriptor()))
        return false;
    if (!SendAndWait(socket, kActivate, {}, timeoutMs))
        return false;
    // The folder relative arguments count from; the running copy has its own.
    std::error_code error;
    const std::string workingFolder = std::filesystem::current_path(error).native();
    if (!error && !workingFolder.empty() && workingFolder.size() <= size_t(kMaxPayload) &&
        !SendAndWait(socket, kWorkingFolder, QByteArray::fromStdString(workingFolder), timeoutMs))
        return false;
    for (const QByteArray& argument : arguments) {
        // An empty argument names nothing; one longer than a message cannot name a file.
        const bool sendable = !argument.isEmpty() && argument.size() <= kMaxPayload;
        if (sendable && !SendAndWait(socket, kPath, argument, timeoutMs))
            return false;
        if (delivered)
            ++*delivered;
    }
    socket.disconnectFromServer();
    return true;
}

bool InstanceChannel::HandOff(const QStringList& arguments, int timeoutMs) {
    QByteArrayList encoded;
    encoded.reserve(arguments.size());
    for (const QString& argument : arguments)
        encoded.append(argument.toUtf8());
    return HandOff(encoded, timeoutMs);
}

void InstanceChannel::Release() {
    housekeeping_.stop();
    for (QLocalSocket* socket : peers_.keys())
        Drop(socket);
    // Closing removes the socket file.
    server_.close();
    if (claimed_)
        lock_->unlock();
    claimed_ = false;
}

void InstanceChannel::Accept() {
    // Beyond the limit, connections wait (in Qt's queue, then in the system's) until a
    // served one ends.
    while (peers_.size() < kMaxPeers) {
        QLocalSocket* socket = server_.nextPendingConnection();
        if (!socket)
            break;
        if (!PeerIsThisUser(socket->socketDescriptor())) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        peers_.insert(socket, {{}, QDeadlineTimer(kIdleMs)});
        // The largest message fits, and a copy that floods us is read no faster than
        // its messages are handled.
        socket->setReadBufferSize(kHeaderSize + kMaxPayload);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { ReadFrom(socket); });
        connect(socket, &QLocalSocket::disconnected, this, [this, socket] { Drop(socket); });
        if (socket->bytesAvailable() > 0)
            ReadFrom(socket);
    }
}

// Handles every complete message the connection holds and leaves a partial one for
// later: a copy that stops half-way never keeps others waiting.
void InstanceChannel::ReadFrom(QLocalSocket* socket) {
    const QPointer<QLocalSocket> alive(socket);
    if (peers_.contains(socket))
        peers_[socket].idleUntil = QDeadlineTimer(kIdleMs);
    while (alive && peers_.contains(socket) && socket->bytesAvailable() >= kHeaderSize) {
        const QByteArray header = socket->peek(kHeaderSize);
        const char type = header[0];
        const quint32 length = qFromBigEndian<quint32>(header.constData() + 1);
        const bool known = type == kPath || type == kWorkingFolder || type == kActivate;
        if (!known || length > quint32(kMaxPayload) || (type == kActivate && length != 0)) {
            Drop(socket);
            return;
        }
        if (socket->bytesAvailable() < kHeaderSize + qint64(length))
            return;
        socket->skip(kHeaderSize);
        const QByteArray payload = socket->read(length);
        if (!Handle(socket, type, payload)) {
            Drop(socket);
            return;
        }
        // A receiver may have released the channel meanwhile.
        if (alive && peers_.contains(socket)) {
            socket->write(&kAck, 1);
            // Handling may have taken a while; the copy was waiting, not idle.
            peers_[socket].idleUntil = QDeadlineTimer(kIdleMs);
        }
    }
}

bool InstanceChannel::Handle(QLocalSocket* socket, char type, const QByteArray& payload) {
    if (type == kActivate) {
        emit ActivationRequested();
        return true;
    }
    if (type == kWorkingFolder) {
        if (!payload.startsWith('/') || payload.contains('\0'))
            return false;
        peers_[socket].folder = payload;
        return true;
    }
    // Blanks at either end are part of a Linux name: the path stays as it was sent, and
    // the receiver decides whether it names something as it is. Blanks alone name
    // nothing a person meant; a file so named is still reached by its absolute path,
    // which is what a copy of the program sends.
    QByteArray path = payload;
    if (TrimPathBlanks(std::string_view(path.constData(), size_t(path.size()))).empty())
        return true;
    if (!path.startsWith('/')) {
        const QByteArray folder = peers_.value(socket).folder;
        // Without the sender's working folder a relative path would name something else.
        if (folder.isEmpty())
            return true;
        path.prepend(folder.endsWith('/') ? folder : folder + '/');
    }
    emit PathReceived(path);
    return true;
}

void InstanceChannel::Drop(QLocalSocket* socket) {
    if (peers_.remove(socket) == 0)
        return;
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
    // A place is free: a connection that waited for one is served now.
    if (server_.hasPendingConnections())
        QMetaObject::invokeMethod(this, &InstanceChannel::Accept, Qt::QueuedConnection);
}

}  // namespace tolvane
