#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace tolvane::test {

class XSession;

// A copy of the real program (`tolvane`) running on the display of an XSession, as a
// user of `home` would start it: its runtime folder (lock and socket), settings and
// journal are the folders below `home`, so copies with the same home are the same
// user's. A copy still running at the end is killed.
class TolvaneCopy {
  public:
    TolvaneCopy(const XSession& x, const QString& home, const QStringList& arguments,
                const QString& workingFolder);
    ~TolvaneCopy();
    TolvaneCopy(const TolvaneCopy&) = delete;
    TolvaneCopy& operator=(const TolvaneCopy&) = delete;

    // Creates the folders of `home` (the runtime folder private, as the system makes it).
    static bool PrepareHome(const QString& home);
    static QString SettingsFile(const QString& home);

    QProcess& Process() { return process_; }
    qint64 Pid() const { return process_.processId(); }
    // Waits for the main window to show; its id, or empty when it did not come.
    QString WaitForWindow(int timeoutMs);
    // Waits until another window of the copy than `window` (the main window) has the
    // keyboard, as a question it asks takes it; false when none did in time.
    bool WaitForOtherWindowFocused(const QString& window, int timeoutMs);
    // Makes `window` (the main window) the active one and waits, under Wayland, until
    // it has the keyboard again.
    bool Activate(const QString& window, int timeoutMs);
    // Waits for the copy to end; its exit code, or -1 when it did not end normally in time.
    int WaitForExit(int timeoutMs);
    // For failure messages: whether the copy runs, ended or crashed, and what it wrote
    // to its standard error.
    QByteArray Report();

  private:
    // Under Wayland, from the protocol log: 1 when the main window has the keyboard, 0
    // when another window of the copy has it, -1 when none has.
    int KeyboardOnMainWindow() const;

    const XSession& x_;
    QProcess process_;
    QString errorFile_;
};

}  // namespace tolvane::test
