// A copy of the program reduced to its single-instance channel, so that tests can run
// real processes against each other:
//
//   InstanceProbe serve FOLDER         claims and prints "ready", then "activate" and every
//                                      path received, one a line; the line "release" on
//                                      standard input releases the channel ("released").
//                                      Prints "taken" and exits 3 when a copy runs.
//   InstanceProbe send FOLDER ARG...   as a later copy: claims, else hands ARG... off.
//                                      Exits 0 when they were delivered, 1 when no copy
//                                      answered, 2 when it became the running copy itself.
//
// FOLDER is the runtime folder; "-" takes the default ($XDG_RUNTIME_DIR).
#include <QByteArrayList>
#include <QCoreApplication>
#include <QSocketNotifier>

#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "app/InstanceChannel.h"

namespace {

void PrintLine(const QByteArray& line) {
    std::fwrite(line.constData(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

int Serve(tolvane::InstanceChannel& channel) {
    if (!channel.Claim()) {
        PrintLine("taken");
        return 3;
    }
    QObject::connect(&channel, &tolvane::InstanceChannel::ActivationRequested,
                     [] { PrintLine("activate"); });
    QObject::connect(&channel, &tolvane::InstanceChannel::PathReceived, &PrintLine);
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char buffer[256];
        const ssize_t got = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (got <= 0) {
            input.setEnabled(false);
            return;
        }
        if (QByteArray(buffer, int(got)).contains("release")) {
            channel.Release();
            PrintLine("released");
        }
    });
    PrintLine("ready");
    return QCoreApplication::exec();
}

int Send(tolvane::InstanceChannel& channel, int argc, char** argv) {
    if (channel.Claim())
        return 2;
    QByteArrayList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QByteArray(argv[i]));
    return channel.HandOff(arguments) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    // As the program names itself, which differs from the name of its executable.
    QCoreApplication::setApplicationName(QStringLiteral("Tolvane"));
    if (argc < 3) {
        std::fputs("usage: InstanceProbe serve|send FOLDER [ARG...]\n", stderr);
        return 64;
    }
    const QString folder =
        std::strcmp(argv[2], "-") == 0 ? QString() : QString::fromLocal8Bit(argv[2]);
    tolvane::InstanceChannel channel(QStringLiteral("Tolvane"), folder);
    if (std::strcmp(argv[1], "serve") == 0)
        return Serve(channel);
    if (std::strcmp(argv[1], "send") == 0)
        return Send(channel, argc - 3, argv + 3);
    std::fputs("unknown mode\n", stderr);
    return 64;
}
