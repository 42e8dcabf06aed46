#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <optional>

namespace tolvane::test {

// A private X server (Xvfb, on a display number it picks itself) with a window manager
// on it, so that keyboard focus moves to new windows as on a desktop; driven with
// xdotool. Everything it starts ends with it.
//
// In a Wayland session (TOLVANE_TEST_WAYLAND=1) a Wayland compositor (weston) runs in
// the X server instead of the window manager, and programs are its clients. The X
// server only lends the compositor a keyboard: weston without a display of its own
// (the headless backend) has no seat, so no window of it ever gets keyboard focus.
// Keys typed on the display reach the compositor's focused window.
class XSession {
  public:
    XSession();
    ~XSession();
    XSession(const XSession&) = delete;
    XSession& operator=(const XSession&) = delete;

    // False when the server or the window manager could not start; Problem() says why.
    bool Started() const { return started_; }
    const QString& Problem() const { return problem_; }
    // ":N".
    const QString& Display() const { return display_; }
    // Whether this is a Wayland session, and the full path of its compositor's socket
    // (a value for WAYLAND_DISPLAY).
    bool Wayland() const { return wayland_; }
    const QString& WaylandSocket() const { return waylandSocket_; }
    // The compositor's window on the X server: the one to activate for keys to reach
    // its clients.
    const QString& CompositorWindow() const { return compositorWindow_; }
    static bool WaylandWanted();

    // Runs xdotool on this display; its output without the final line break, or nothing
    // when it failed or did not end within `timeoutMs`.
    std::optional<QString> Xdotool(const QStringList& arguments, int timeoutMs = 10000) const;

    // The id of a shown top-level window of process `pid` whose title matches the
    // regular expression `title`, waiting up to `timeoutMs` for it; empty when none came.
    QString WaitForWindow(qint64 pid, const QString& title, int timeoutMs) const;
    // Makes `window` the active window with the keyboard focus; false when it did not
    // become active.
    bool Activate(const QString& window) const;
    QString ActiveWindow() const;
    // Types `text` into, or presses `keys` ("ctrl+F2") on, the focused window.
    bool Type(const QString& text) const;
    bool Key(const QString& keys) const;

  private:
    bool StartServer();
    bool StartWindowManager();
    bool StartCompositor();

    QProcess server_;
    // The window manager, or the compositor in a Wayland session.
    QProcess windowManager_;
    QTemporaryDir compositorRuntime_;
    QString display_;
    QString waylandSocket_;
    QString compositorWindow_;
    bool wayland_ = false;
    QString problem_;
    bool started_ = false;
};

}  // namespace tolvane::test
