#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>
#include <vector>

#include "TestSupport.h"
#include "app/InstanceChannel.h"

namespace tolvane {

namespace {

const QString kProbe = QStringLiteral(TOLVANE_INSTANCE_PROBE);
constexpr uid_t kNobody = 65534;

QByteArray Message(char type, const QByteArray& payload, qint64 declared = -1) {
    QByteArray message(5, '\0');
    message[0] = type;
    qToBigEndian<quint32>(quint32(declared < 0 ? payload.size() : declared), message.data() + 1);
    return message + payload;
}

int ModeOf(const QString& path) {
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
}

// A client that talks to the channel directly, as no copy of the program would.
bool ConnectAndWrite(QLocalSocket& socket, const QString& socketPath, const QByteArray& bytes) {
    socket.connectToServer(socketPath);
    if (!socket.waitForConnected(5000) || socket.write(bytes) != bytes.size())
        return false;
    return bytes.isEmpty() || socket.waitForBytesWritten(5000);
}

// A running copy: the probe claiming the channel and printing what reaches it.
class Serving {
  public:
    // `descriptors`: the most files the copy may have open (0: as inherited).
    Serving(const QString& runtime, const QString& folderArgument, uid_t user = uid_t(-1),
            rlim_t descriptors = 0) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
        process_.setProcessEnvironment(env);
        if (user != uid_t(-1)) {
            process_.setChildProcessModifier([user] {
                if (::setgroups(0, nullptr) != 0 || ::setgid(user) != 0 || ::setuid(user) != 0)
                    ::_exit(99);
            });
        }
        if (descriptors > 0) {
            process_.setChildProcessModifier([descriptors] {
                const rlimit limit{descriptors, descriptors};
                if (::setrlimit(RLIMIT_NOFILE, &limit) != 0)
                    ::_exit(99);
            });
        }
        process_.start(kProbe, {QStringLiteral("serve"), folderArgument});
    }
    ~Serving() {
        process_.kill();
        process_.waitForFinished();
    }

    // The next `count` lines it prints, waiting up to 5 s for them.
    QByteArrayList Lines(int count) {
        QByteArrayList lines;
        const QDeadlineTimer deadline(5000);
        while (lines.size() < count) {
            if (process_.canReadLine()) {
                lines.append(process_.readLine().chopped(1));
            } else if (deadline.hasExpired() ||
                       !process_.waitForReadyRead(int(deadline.remainingTime()))) {
                break;
            }
        }
        return lines;
    }
    // What else it printed; a receiver prints before it acknowledges, so after an
    // acknowledged hand-off everything is already on its way.
    QByteArray Rest() {
        process_.waitForReadyRead(200);
        return process_.readAll();
    }
    QProcess& Process() { return process_; }

  private:
    QProcess process_;
};

}  // namespace

class InstanceChannelTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() {
        QVERIFY(base_.isValid());
        QVERIFY(QDir(base_.path()).mkpath(QStringLiteral("work")));
        work_ = QFileInfo(base_.filePath(QStringLiteral("work"))).canonicalFilePath();
    }

    void init() { runtime_ = base_.filePath(QStringLiteral("run%1").arg(++serial_)); }

    void HandsPathsOverInOrder_data() {
        QTest::addColumn<QByteArrayList>("arguments");
        QTest::addColumn<QByteArrayList>("received");
        // Blanks at either end are part of a name; whether the path names something as it
        // is, the receiver finds out.
        QTest::newRow("three paths, blanks at their ends kept")
            << QByteArrayList{"/srv/one.txt", "/srv/two words.txt \t", "/srv/three.txt  "}
            << QByteArrayList{"activate", "/srv/one.txt", "/srv/two words.txt \t",
                              "/srv/three.txt  "};
        QTest::newRow("empty arguments send nothing")
            << QByteArrayList{"", "/srv/one.txt", ""} << QByteArrayList{"activate", "/srv/one.txt"};
        QTest::newRow("no arguments only raise the window")
            << QByteArrayList{} << QByteArrayList{"activate"};
        QTest::newRow("blanks alone name nothing")
            << QByteArrayList{" \t "} << QByteArrayList{"activate"};
        const QByteArray work = QFile::encodeName(work_);
        QTest::newRow("relative paths count from the sender's folder")
            << QByteArrayList{"sub/one.txt", " ./two.txt", "../three"}
            << QByteArrayList{"activate", work + "/sub/one.txt", work + "/ ./two.txt",
                              work + "/../three"};
        QTest::newRow("a name that is not UTF-8 keeps its bytes")
            << QByteArrayList{"/srv/caf\xE9 \xFF.txt"}
            << QByteArrayList{"activate", "/srv/caf\xE9 \xFF.txt"};
    }

    void HandsPathsOverInOrder() {
        QFETCH(QByteArrayList, arguments);
        QFETCH(QByteArrayList, received);
        Serving first(runtime_, runtime_);
        QCOMPARE(first.Lines(1), QByteArrayList{"ready"});
        const test::ProcessResult sent = Send(arguments);
        QCOMPARE(sent.status, 0);
        QCOMPARE(first.Lines(int(received.size())), received);
        QCOMPARE(first.Rest(), QByteArray());
    }

    void SecondCopyNeverClaimsAndReleaseHandsOver() {
        Serving first(runtime_, runtime_);
        QCOMPARE(first.Lines(1), QByteArrayList{"ready"});
        Serving second(runtime_, runtime_);
        QCOMPARE(second.Lines(1), QByteArrayList{"taken"});
        QVERIFY(second.Process().waitForFinished(5000));
        QCOMPARE(second.Process().exitCode(), 3);

        // As before a restart: the first copy is still running when the next one starts.
        first.Process().write("release\n");
        QCOMPARE(first.Lines(1), QByteArrayList{"released"});
        Serving third(runtime_, runtime_);
        QCOMPARE(third.Lines(1), QByteArrayList{"ready"});
        QCOMPARE(Send({"/srv/after.txt"}).status, 0);
        QCOMPARE(third.Lines(2), (QByteArrayList{"activate", "/srv/after.txt"}));
        QCOMPARE(first.Rest(), QByteArray());
        QCOMPARE(first.Process().state(), QProcess::Running);
    }

    void RecoversAStaleLock_data() {
        QTest::addColumn<QString>("leftover");
        QTest::newRow("a killed copy's lock and socket") << QStringLiteral("killed");
        QTest::newRow("lock of an ended process under an old host name")
            << QStringLiteral("other host");
        QTest::newRow("lock left unreadable by a crash") << QStringLiteral("unreadable");
    }

    void RecoversAStaleLock() {
        QFETCH(QString, leftover);
        const QString lock = runtime_ + QStringLiteral("/Tolvane.lock");
        if (leftover == QLatin1String("killed")) {
            Serving crashed(runtime_, runtime_);
            QCOMPARE(crashed.Lines(1), QByteArrayList{"ready"});
            crashed.Process().kill();
            QVERIFY(crashed.Process().waitForFinished(5000));
            QVERIFY(QFileInfo::exists(lock));
            QVERIFY(QFileInfo::exists(runtime_ + QStringLiteral("/Tolvane.socket")));
        } else {
            QCOMPARE(::mkdir(QFile::encodeName(runtime_).constData(), 0700), 0);
            QFile file(lock);
            QVERIFY(file.open(QIODevice::WriteOnly));
            if (leftover == QLatin1String("other host")) {
                QProcess ended;
                ended.start(QStringLiteral("true"), {});
                QVERIFY(ended.waitForStarted());
                const qint64 pid = ended.processId();
                QVERIFY(ended.waitForFinished());
                file.write(QByteArray::number(pid) + "\nTolvane\nan-old-host-name\n");
            }
            QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(-60),
                                     QFileDevice::FileModificationTime));
            file.close();
        }
        Serving next(runtime_, runtime_);
        QCOMPARE(next.Lines(1), QByteArrayList{"ready"});
        QCOMPARE(Send({"/srv/one.txt"}).status, 0);
        QCOMPARE(next.Lines(2), (QByteArrayList{"activate", "/srv/one.txt"}));
    }

    void SurvivesHostileClients_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("dropped");
        QTest::newRow("garbage") << QByteArray("hello, is anybody there?\n") << true;
        QTest::newRow("a length of 1 GiB") << Message('P', "/srv", 1 << 30) << true;
        QTest::newRow("one byte over 64 KiB") << Message('P', "/srv", 64 * 1024 + 1) << true;
        QTest::newRow("activation with a payload") << Message('A', "/srv/x") << true;
        QTest::newRow("relative working folder") << Message('W', "home") << true;
        QTest::newRow("half a message, then nothing") << Message('P', "/sr", 10) << false;
        QTest::newRow("half a header") << QByteArray("P\0\0", 3) << false;
        QTest::newRow("nothing at all") << QByteArray() << false;
    }

    void SurvivesHostileClients() {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, dropped);
        Serving first(runtime_, runtime_);
        QCOMPARE(first.Lines(1), QByteArrayList{"ready"});
        QLocalSocket hostile;
        QVERIFY(ConnectAndWrite(hostile, runtime_ + QStringLiteral("/Tolvane.socket"), bytes));
        if (dropped) {
            QVERIFY(hostile.state() == QLocalSocket::UnconnectedState ||
                    hostile.waitForDisconnected(5000));
            QCOMPARE(hostile.readAll(), QByteArray());  // never acknowledged
        }
        // Served while the hostile connection may still be open.
        QCOMPARE(Send({"/srv/after.txt"}).status, 0);
        QCOMPARE(first.Lines(2), (QByteArrayList{"activate", "/srv/after.txt"}));
        QCOMPARE(first.Rest(), QByteArray());
    }

    void FramesMessagesExactly_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("acks");
        QTest::addColumn<QByteArrayList>("received");
        QTest::newRow("two messages in one write, each read to its length")
            << Message('P', "/a/b1") + Message('P', "/c") << 2 << QByteArrayList{"/a/b1", "/c"};
        const QByteArray longest = "/" + QByteArray(64 * 1024 - 1, 'x');
        QTest::newRow("exactly 64 KiB") << Message('P', longest) << 1 << QByteArrayList{longest};
        QTest::newRow("relative path without a working folder")
            << Message('P', "a/b") << 1 << QByteArrayList{};
        QTest::newRow("relative path after the working folder")
            << Message('W', "/srv") + Message('P', " a/b ") << 2 << QByteArrayList{"/srv/ a/b "};
        QTest::newRow("working folder that is the root")
            << Message('W', "/") + Message('P', "x") << 2 << QByteArrayList{"/x"};
        QTest::newRow("empty path acknowledged, nothing added")
            << Message('P', "") + Message('A', "") << 2 << QByteArrayList{"activate"};
    }

    void FramesMessagesExactly() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, acks);
        QFETCH(QByteArrayList, received);
        Serving first(runtime_, runtime_);
        QCOMPARE(first.Lines(1), QByteArrayList{"ready"});
        QLocalSocket client;
        QVERIFY(ConnectAndWrite(client, runtime_ + QStringLiteral("/Tolvane.socket"), bytes));
        // Read what it prints before waiting for acknowledgements: a long line fills the
        // pipe, and the probe acknowledges only once it has printed.
        QCOMPARE(first.Lines(int(received.size())), received);
        while (client.bytesAvailable() < acks && client.waitForReadyRead(5000)) {
        }
        QCOMPARE(client.readAll(), QByteArray(acks, '\x06'));
        QCOMPARE(first.Rest(), QByteArray());
    }

    // A connection that says nothing is closed after a few seconds, so that idle ones
    // cannot pile up until the window runs out of descriptors.
    void ClosesIdleConnections() {
        Serving first(runtime_, runtime_);
        QCOMPARE(first.Lines(1), QByteArrayList{"ready"});
        QLocalSocket idle;
        QVERIFY(ConnectAndWrite(idle, runtime_ + QStringLiteral("/Tolvane.socket"), "P\0"));
        QVERIFY(idle.state() == QLocalSocket::UnconnectedState || idle.waitForDisconnected(20000));
        QCOMPARE(idle.readAll(), QByteArray());
    }

    // Out of descriptors, Qt closes the server and removes its socket file while the lock
    // stays: the channel listens again once descriptors are free, so later copies'
    // paths still arrive.
    void ListensAgainAfterRunningOutOfDescriptors() {
        Serving first(runtime_, runtime_, uid_t(-1), 24);
        QCOMPARE(first.Lines(1), QByteArrayList{"ready"});
        const QString socketPath = runtime_ + QStringLiteral("/Tolvane.socket");
        std::vector<std::unique_ptr<QLocalSocket>> flood;
        const QDeadlineTimer deadline(20000);
        while (QFileInfo::exists(socketPath) && !deadline.hasExpired() && flood.size() < 200) {
            flood.push_back(std::make_unique<QLocalSocket>());
            flood.back()->connectToServer(socketPath);
            flood.back()->waitForConnected(1000);
            QTest::qWait(10);
        }
        QVERIFY2(!QFileInfo::exists(socketPath), "the server never ran out of descriptors");
        flood.clear();
        QCOMPARE(Send({"/srv/after.txt"}).status, 0);
        QCOMPARE(first.Lines(2), (QByteArrayList{"activate", "/srv/after.txt"}));
        QCOMPARE(first.Process().state(), QProcess::Running);
    }

    void KeepsTheChannelPrivate_data() {
        QTest::addColumn<int>("existingMode");  // -1: the runtime folder does not exist
        QTest::addColumn<bool>("folderOfItsOwn");
        QTest::newRow("missing runtime folder made for this user only") << -1 << false;
        QTest::newRow("runtime folder open to others") << 0755 << true;
        QTest::newRow("runtime folder of this user only") << 0700 << false;
    }

    void KeepsTheChannelPrivate() {
        QFETCH(int, existingMode);
        QFETCH(bool, folderOfItsOwn);
        if (existingMode >= 0) {
            QVERIFY(QDir().mkpath(runtime_));
            QVERIFY(::chmod(QFile::encodeName(runtime_).constData(), mode_t(existingMode)) == 0);
        } else {
            runtime_ += QStringLiteral("/below/run");
        }
        const QString channel =
            folderOfItsOwn ? runtime_ + QStringLiteral("/Tolvane-%1").arg(::geteuid()) : runtime_;
        // The most permissive mask: every restriction has to come from the channel.
        const mode_t mask = ::umask(0);
        Serving first(runtime_, QStringLiteral("-"));
        const QByteArrayList started = first.Lines(1);
        ::umask(mask);
        QCOMPARE(started, QByteArrayList{"ready"});
        QCOMPARE(ModeOf(runtime_), existingMode >= 0 ? existingMode : 0700);
        QCOMPARE(ModeOf(channel), 0700);
        QCOMPARE(ModeOf(channel + QStringLiteral("/Tolvane.socket")) & 077, 0);
        QVERIFY(QFileInfo::exists(channel + QStringLiteral("/Tolvane.lock")));
        QCOMPARE(Send({"/srv/one.txt"}, QStringLiteral("-")).status, 0);
        QCOMPARE(first.Lines(2), (QByteArrayList{"activate", "/srv/one.txt"}));
    }

    void NeverTalksToAnotherUser() {
        if (::geteuid() != 0)
            QSKIP("needs the super-user to run a copy as another user");
        // The other user needs a way into the test's folder.
        QVERIFY(::chmod(QFile::encodeName(base_.path()).constData(), 0711) == 0);
        QCOMPARE(::mkdir(QFile::encodeName(runtime_).constData(), 0700), 0);
        QCOMPARE(::chown(QFile::encodeName(runtime_).constData(), kNobody, kNobody), 0);
        Serving other(runtime_, runtime_, kNobody);
        QCOMPARE(other.Lines(1), QByteArrayList{"ready"});
        const QString socketPath = runtime_ + QStringLiteral("/Tolvane.socket");
        struct stat st {};
        QCOMPARE(::lstat(QFile::encodeName(socketPath).constData(), &st), 0);
        QCOMPARE(st.st_uid, kNobody);

        // The super-user passes the folder's permissions; the channel still refuses it.
        // The copy may close before the bytes leave, so whether the write succeeds is not
        // the test: nothing may be acknowledged and nothing may reach the list.
        QLocalSocket intruder;
        intruder.connectToServer(socketPath);
        QVERIFY(intruder.waitForConnected(5000));
        intruder.write(Message('A', {}) + Message('P', "/srv/x"));
        intruder.waitForBytesWritten(5000);
        QVERIFY(intruder.state() == QLocalSocket::UnconnectedState ||
                intruder.waitForDisconnected(5000));
        QCOMPARE(intruder.readAll(), QByteArray());
        // A copy of this user in the same runtime folder gets a channel of its own.
        QCOMPARE(Send({"/srv/one.txt"}).status, 2);
        QCOMPARE(other.Rest(), QByteArray());
    }

  private:
    QTemporaryDir base_;
    QString work_;     // the working folder of sending copies
    QString runtime_;  // this test's runtime folder, not created yet
    int serial_ = 0;

    test::ProcessResult Send(const QByteArrayList& arguments, const QString& folder = {}) {
        std::vector<std::string> args = {"send",
                                         (folder.isEmpty() ? runtime_ : folder).toStdString()};
        for (const QByteArray& argument : arguments)
            args.push_back(argument.toStdString());
        return test::RunProcess(kProbe.toStdString(), args, work_.toStdString(),
                                {"XDG_RUNTIME_DIR=" + runtime_.toStdString()});
    }
};

}  // namespace tolvane

QTEST_GUILESS_MAIN(tolvane::InstanceChannelTest)
#include "InstanceChannelTest.moc"
