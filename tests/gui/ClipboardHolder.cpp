// clipboard_holder TEXT: another program on the same Wayland display that takes the
// clipboard with TEXT as a URL list and as plain text, prints "holding", and runs until
// killed. After the line "silent" on standard input it still holds the clipboard but,
// asked for it, never delivers (its event loop sleeps).
//
// The offer also carries application/x-tolvane-holder, so that a reader can tell it has
// arrived. Having no input of its own, it can take the clipboard only from nobody: the
// compositor turns down a program whose last input is older than the owner's.
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QSocketNotifier>
#include <QThread>

#include <unistd.h>

#include <sys/prctl.h>

#include <csignal>
#include <cstdio>
#include <cstring>

namespace {

class Offer : public QMimeData {
  public:
    explicit Offer(QByteArray text) : text_(std::move(text)) {}
    void Silence() { silent_ = true; }

    QStringList formats() const override {
        // Both plain-text names: offered only one, Qt reads it at once to fill the other.
        return {QStringLiteral("text/uri-list"), QStringLiteral("text/plain"),
                QStringLiteral("text/plain;charset=utf-8"),
                QStringLiteral("application/x-tolvane-holder")};
    }
    bool hasFormat(const QString& format) const override { return formats().contains(format); }

  protected:
    QVariant retrieveData(const QString& format, QMetaType) const override {
        if (silent_) {
            for (;;)
                QThread::sleep(3600);
        }
        return format == QLatin1String("application/x-tolvane-holder") ? QByteArray("1") : text_;
    }

  private:
    bool silent_ = false;
    QByteArray text_;
};

}  // namespace

int main(int argc, char** argv) {
    // Never outlives the test that started it, even one that crashed.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fputs("usage: clipboard_holder TEXT\n", stderr);
        return 64;
    }
    auto* offer = new Offer(QByteArray(argv[1]));
    QGuiApplication::clipboard()->setMimeData(offer);
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char buffer[256];
        const ssize_t got = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (got <= 0)
            input.setEnabled(false);
        else if (QByteArray(buffer, int(got)).contains("silent"))
            offer->Silence();
    });
    std::puts("holding");
    std::fflush(stdout);
    return QGuiApplication::exec();
}
